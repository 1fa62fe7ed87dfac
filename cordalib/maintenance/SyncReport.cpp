#include "cordalib/maintenance/SyncReport.h"

#include "cordalib/maintenance/MaintenanceStrings.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/MirrorFile.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/FileUtilities.h"

#include <QDir>

#include <algorithm>
#include <initializer_list>
#include <variant>

using namespace MaintenanceStrings;

namespace {

using PrintfValue = std::variant<int, double>;

// Fills the printf conversions of a table text (%d and %f with flags, width and
// precision, and %%) with the values in order. The table text is data: a conversion that
// does not fit its value, or a count that does not match, makes the result fail instead
// of reaching printf.
bool FormatPrintf(const QString& format, std::initializer_list<PrintfValue> values, QString& result)
{
    result.clear();
    auto next = values.begin();
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%')) {
            result.append(c);
            continue;
        }
        if (i + 1 < n && format.at(i + 1) == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            ++i;
            continue;
        }
        QByteArray directive("%");
        qsizetype j = i + 1;
        while (j < n && QStringView(u"-+ 0#").contains(format.at(j)))
            directive.append(format.at(j++).toLatin1());
        int digits = 0;
        while (j < n && format.at(j).isDigit() && digits < 3) {
            directive.append(format.at(j++).toLatin1());
            ++digits;
        }
        if (j < n && format.at(j) == QLatin1Char('.')) {
            directive.append(format.at(j++).toLatin1());
            digits = 0;
            while (j < n && format.at(j).isDigit() && digits < 2) {
                directive.append(format.at(j++).toLatin1());
                ++digits;
            }
        }
        if (j >= n || next == values.end())
            return false;
        const QChar conversion = format.at(j);
        if (conversion == QLatin1Char('d') && std::holds_alternative<int>(*next)) {
            directive.append('d');
            result += QString::asprintf(directive.constData(), std::get<int>(*next));
        } else if (conversion == QLatin1Char('f') && std::holds_alternative<double>(*next)) {
            directive.append('f');
            result += QString::asprintf(directive.constData(), std::get<double>(*next));
        } else {
            return false;
        }
        ++next;
        i = j;
    }
    return next == values.end();
}

// The table's text when it fits the values, else the built-in one.
QString FormatTablePrintf(unsigned id, const char* builtIn, std::initializer_list<PrintfValue> values)
{
    QString result;
    if (FormatPrintf(Load(id), values, result))
        return result;
    FormatPrintf(QString::fromLatin1(builtIn), values, result);
    return result;
}

void TimeParts(const COleDateTime& time, int (&parts)[6])
{
    const bool valid = time.GetStatus() == COleDateTime::valid;
    parts[0] = valid ? time.GetYear() : -1;
    parts[1] = valid ? time.GetMonth() : -1;
    parts[2] = valid ? time.GetDay() : -1;
    parts[3] = valid ? time.GetHour() : -1;
    parts[4] = valid ? time.GetMinute() : -1;
    parts[5] = valid ? time.GetSecond() : -1;
}

QString FormatTimeName(unsigned id, const char* builtIn, const COleDateTime& time)
{
    int parts[6];
    TimeParts(time, parts);
    return FormatTablePrintf(id, builtIn, {parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]});
}

} // namespace

QString FormatElapsedTime(double seconds)
{
    return FormatTablePrintf(IDS_ELAPSED_SECONDS_FORMAT, "%.5f seconds", {seconds});
}

QString FormatSyncResultText(const CSyncResults& results)
{
    return AfxFormatMessage(Load(IDS_SYNC_RESULTS), results.GetAdded(), results.GetUpdated(),
                            results.GetRenamed(), results.GetRemoved(),
                            static_cast<long long>(results.m_errors.size()),
                            FormatElapsedTime(results.m_dElapsedSeconds));
}

QString FormatBackupResultText(uint32_t filesBackedUp, qsizetype errorCount, double elapsedSeconds)
{
    return AfxFormatMessage(Load(IDS_BACKUP_RESULTS), filesBackedUp, static_cast<long long>(errorCount),
                            FormatElapsedTime(elapsedSeconds));
}

QString FormatErrorLogFileName(const COleDateTime& localTime)
{
    return FormatTimeName(IDS_ERROR_LOG_FILE_NAME, "errorlog-%04d%02d%02d%02d%02d%02d.txt", localTime);
}

QString FormatBackupFileName(const COleDateTime& localTime)
{
    return FormatTimeName(IDS_BACKUP_FILE_NAME_FORMAT, "backup-%04d%02d%02d%02d%02d%02d", localTime);
}

bool WriteErrorLog(const QStringList& errors, const QString& logFolder, QString& logPath,
                   CFileException* error, const COleDateTime& localTime)
{
    logPath = QDir(logFolder).filePath(FormatErrorLogFileName(localTime));
    QByteArray content;
    for (const QString& line : errors) {
        content += line.toUtf8();
        content += '\n';
    }
    CMirrorFile file;
    CFileException openError;
    if (!file.Open(logPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeText,
                   &openError)) {
        if (error)
            *error = openError;
        return false;
    }
    try {
        qsizetype offset = 0;
        while (offset < content.size()) {
            const qsizetype chunk = std::min<qsizetype>(content.size() - offset, 1 << 20);
            file.Write(content.constData() + offset, static_cast<unsigned>(chunk));
            offset += chunk;
        }
        file.Close();
    } catch (const CFileException& e) {
        file.Abort();
        if (error)
            *error = e;
        return false;
    }
    return true;
}

int ShowOperationResults(const QString& summary, const QStringList& errors, const QString& logFolder)
{
    if (errors.isEmpty())
        return AfxQVMessageBox(summary, MB_OK | MB_ICONINFORMATION);
    const QString text = summary + QStringLiteral("\n\n") + Load(IDS_VIEW_ERROR_REPORT);
    const int answer = AfxQVMessageBox(text, MB_YESNO | MB_ICONINFORMATION);
    if (answer != IDYES)
        return answer;
    QString logPath;
    CFileException error;
    if (!WriteErrorLog(errors, logFolder, logPath, &error)) {
        AfxFileIOExceptionMessageBox(error, logPath, IDS_QV_CREATE_FILE_ERROR, MB_OK | MB_ICONWARNING);
        return answer;
    }
    AfxOpenFile(logPath);
    return answer;
}
