#include "faultpost/ErrorReport.h"

#include "cordalib/app/AppStrings.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>
#include <QXmlStreamReader>

namespace {

// Control characters (a damaged file has them) and line breaks become one blank each; the
// value is cut to its cap.
QString Clean(const QString& text)
{
    QString clean = text.trimmed().left(CErrorReport::MAX_VALUE_LENGTH);
    for (QChar& c : clean) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return clean.simplified();
}

} // namespace

CErrorReport::loadResult CErrorReport::Load(const QString& path, QString* problem)
{
    *this = CErrorReport();
    QString ignored;
    QString& why = problem ? *problem : ignored;
    why.clear();

    const QFileInfo info(path);
    if (!info.exists()) {
        why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPORT_MISSING), path);
        return loadMissing;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPORT_UNREADABLE), path,
                               info.isFile() ? file.errorString() : QStringLiteral("not a file"));
        return loadUnreadable;
    }
    // Read one byte past the cap, so that a file that grew since its size was taken is
    // still seen as too large.
    const QByteArray bytes = file.read(MAX_REPORT_SIZE + 1);
    if (file.size() > MAX_REPORT_SIZE || bytes.size() > MAX_REPORT_SIZE) {
        why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPORT_TOO_LARGE), path,
                               static_cast<int>(MAX_REPORT_SIZE >> 20));
        return loadTooLarge;
    }
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
        why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_NOT_A_REPORT), path,
                               LoadAppString(IDS_FAULTPOST_NO_BYTE_ORDER_MARK));
        return loadNotAReport;
    }
    const bool oddLength = bytes.size() % 2 != 0;
    const qsizetype units = (bytes.size() - 2) / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i) {
        const auto low = static_cast<unsigned char>(bytes[2 + 2 * i]);
        const auto high = static_cast<unsigned char>(bytes[3 + 2 * i]);
        text[i] = QChar(static_cast<char16_t>(low | (high << 8)));
    }

    QXmlStreamReader reader(text);
    if (!reader.readNextStartElement()) {
        why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPORT_DAMAGED), path, reader.errorString());
        return loadDamaged;
    }
    if (reader.name() != QLatin1String("errorReport")) {
        why = AfxFormatMessage(
            LoadAppString(IDS_FAULTPOST_NOT_A_REPORT), path,
            AfxFormatMessage(LoadAppString(IDS_FAULTPOST_WRONG_ROOT), reader.name().toString()));
        return loadNotAReport;
    }
    const struct {
        const char* name;
        QString* value;
    } fields[] = {
        {"id", &m_id},
        {"date", &m_dateText},
        {"productName", &m_productName},
        {"productVersion", &m_productVersion},
        {"faultingModule", &m_faultingModule},
        {"faultAddress", &m_faultAddress},
        {"exceptionCode", &m_exceptionCode},
        {"errorMessage", &m_errorMessage},
        {"operatingSystem", &m_operatingSystem},
    };
    while (reader.readNextStartElement()) {
        QString* target = nullptr;
        for (const auto& field : fields) {
            if (reader.name() == QLatin1String(field.name))
                target = field.value;
        }
        if (reader.name() == QLatin1String("module"))
            ++m_moduleCount;
        if (target) {
            const QString value = reader.readElementText(QXmlStreamReader::SkipChildElements);
            if (!reader.hasError())
                *target = Clean(value);
        } else {
            reader.skipCurrentElement();
        }
    }
    if (!m_dateText.isEmpty()) {
        m_date = QDateTime::fromString(m_dateText, Qt::ISODate);
        if (m_date.isValid())
            m_date.setTimeZone(QTimeZone::utc());
    }

    QString cause;
    if (reader.hasError())
        cause = reader.errorString();
    else if (oddLength)
        cause = LoadAppString(IDS_FAULTPOST_ODD_LENGTH);
    if (cause.isEmpty())
        return loadComplete;
    if (!HasSummary()) {
        why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPORT_DAMAGED), path, cause);
        return loadDamaged;
    }
    why = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_REPORT_INCOMPLETE), cause);
    return loadIncomplete;
}

bool CErrorReport::HasSummary() const
{
    return !m_faultingModule.isEmpty() || !m_errorMessage.isEmpty() || !m_exceptionCode.isEmpty();
}

QString CErrorReport::GetFaultText() const
{
    if (!m_errorMessage.isEmpty())
        return m_errorMessage;
    return m_exceptionCode.isEmpty() ? QString() : QStringLiteral("0x") + m_exceptionCode;
}

QString CErrorReport::GetLocalTimeText() const
{
    if (!m_date.isValid())
        return m_dateText;
    return QLocale().toString(m_date.toLocalTime(), QLocale::LongFormat);
}
