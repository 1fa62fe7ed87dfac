#include "qvsystem/online/HttpHeader.h"

#include <QDateTime>
#include <QList>
#include <QLocale>

namespace {

// Days between the OLE date origin (1899-12-30) and the Unix epoch.
constexpr double OLE_DAYS_AT_UNIX_EPOCH = 25569.0;
constexpr double MILLISECONDS_PER_DAY = 86400000.0;

// A status number as the first line gives it after the version word: optional blanks, an
// optional sign and digits; 0 when there are none. Values past nine digits are no status.
int LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    int digits = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && digits < 9) {
        value = value * 10 + (text[i++].unicode() - u'0');
        ++digits;
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

bool CHttpHeader::InitializeFromStream(const QByteArray& stream)
{
    const qsizetype end = stream.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    // The header is 8-bit text; Latin-1 keeps every byte as one character.
    const QString text = QString::fromLatin1(stream.constData(), end);
    const QList<QStringView> lines = QStringView(text).split(u"\r\n");

    m_fields.clear();
    m_strVersion.clear();
    m_nStatusCode = 0;
    const QStringView first = lines.value(0);
    qsizetype blank = 0;
    while (blank < first.size() && !first[blank].isSpace())
        ++blank;
    m_strVersion = first.left(blank).toString();
    m_nStatusCode = LeadingNumber(first.mid(blank));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const QString name = line.left(colon).trimmed().toString();
        if (!name.isEmpty())
            m_fields[name] = line.mid(colon + 1).trimmed().toString();
    }
    m_nLength = static_cast<int>(end + 4);
    return true;
}

QString CHttpHeader::GetFieldValue(const QString& name) const
{
    const auto found = m_fields.find(name);
    return found == m_fields.end() ? QString() : found->second;
}

void CHttpHeader::SetFieldValue(const QString& name, const QString& value)
{
    if (!name.isEmpty())
        m_fields[name] = value;
}

bool CHttpHeader::RemoveField(const QString& name)
{
    return m_fields.erase(name) != 0;
}

void CHttpHeader::RemoveAllFields()
{
    m_fields.clear();
}

QString CHttpHeader::FindField(const QString& name) const
{
    const auto exact = m_fields.find(name);
    if (exact != m_fields.end())
        return exact->second;
    for (const auto& [key, value] : m_fields) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

bool CHttpHeader::HasContentLength() const
{
    return !FindField(QStringLiteral("Content-Length")).isNull();
}

int64_t CHttpHeader::GetContentLength() const
{
    const QString value = FindField(QStringLiteral("Content-Length"));
    if (value.isNull())
        return 0;
    bool ok = false;
    const qlonglong length = value.toLongLong(&ok);
    return ok && length >= 0 ? length : -1;
}

bool CHttpHeader::IsChunked() const
{
    return FindField(QStringLiteral("Transfer-Encoding"))
        .contains(QLatin1String("chunked"), Qt::CaseInsensitive);
}

COleDateTime CHttpHeader::GetLastModified() const
{
    const QString value = FindField(QStringLiteral("Last-Modified")).simplified();
    // The web's date format and the two older ones servers still send, all in GMT.
    static const char* const formats[] = {"ddd, dd MMM yyyy HH:mm:ss 'GMT'", "dddd, dd-MMM-yy HH:mm:ss 'GMT'",
                                          "ddd MMM d HH:mm:ss yyyy"};
    QDateTime time;
    for (const char* format : formats) {
        time = QLocale::c().toDateTime(value, QLatin1String(format));
        if (time.isValid())
            break;
    }
    if (value.isEmpty() || !time.isValid())
        return COleDateTime(0.0, COleDateTime::invalid);
    time.setTimeSpec(Qt::UTC);
    return COleDateTime(static_cast<double>(time.toMSecsSinceEpoch()) / MILLISECONDS_PER_DAY +
                        OLE_DAYS_AT_UNIX_EPOCH);
}
