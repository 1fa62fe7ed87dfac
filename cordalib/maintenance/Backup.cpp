#include "cordalib/maintenance/Backup.h"

#include "cordalib/maintenance/MaintenanceStrings.h"

#include "cordalib/library/LibraryDatabase.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/PerformanceCounter.h"
#include "qvsystem/system/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>

using namespace MaintenanceStrings;

namespace {

// The library's default compression level.
constexpr int BACKUP_COMPRESSION_LEVEL = -1;

class BackupRun {
public:
    BackupRun(void* archive, CBackupResults& results, IProgressWindow* window)
        : m_archive(archive), m_results(results), m_pWindow(window)
    {
    }

    void AddFile(const QString& path, const QString& entryName)
    {
        QString errorText;
        if (AfxAddFileToZipFile(m_archive, path, entryName, BACKUP_COMPRESSION_LEVEL, errorText) == QV_ZIP_OK)
            ++m_results.m_nFilesBackedUp;
        else
            m_results.m_errors.append(FormatErrorLine(path, errorText));
        if (m_pWindow)
            m_pWindow->StepIt();
    }

    // False when Cancel was pressed; every file until then is in the archive.
    template <typename Records> bool AddRecords(const Records& records)
    {
        for (const auto* record : records) {
            if (m_pWindow && m_pWindow->CheckCancelButton())
                return false;
            AddFile(record->GetPath(), GetBackupEntryName(record->GetPath()));
        }
        return true;
    }

private:
    void* m_archive;
    CBackupResults& m_results;
    IProgressWindow* m_pWindow;
};

} // namespace

QString GetBackupEntryName(const QString& path)
{
    // A clean path cannot climb out of the folder an archive is extracted into.
    QString name = QDir::cleanPath(path);
    for (;;) {
        if (name.startsWith(QLatin1Char('/')))
            name.remove(0, 1);
        else if (name.startsWith(QLatin1String("../")))
            name.remove(0, 3);
        else
            break;
    }
    return name;
}

bool Backup(const CLibraryDatabase& database, const QString& databasePath, const QString& archivePath,
            CBackupResults& results, IProgressWindow* window)
{
    results = CBackupResults();
    auto refuse = [&]() {
        results.m_outcome = backupNotCreated;
        if (window)
            window->ShowMessage(Load(IDS_BACKUP_NOT_CREATED), MB_OK | MB_ICONERROR);
        return false;
    };

    void* archive = AfxOpenZipFile(archivePath, QV_ZIP_APPEND_CREATE);
    if (!archive)
        return refuse();

    if (window && !window->Create())
        window = nullptr;
    if (window) {
        window->SetCaption(Load(IDS_BACKUP_PROGRESS_CAPTION));
        const size_t total = database.GetSongCount() + database.GetLessonCount() + 1;
        window->SetRange(0, total > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(total));
        window->SetStatus(Load(IDS_BACKING_UP_LIBRARY));
    }
    CPerformanceCounter counter;
    counter.Start();

    BackupRun run(archive, results, window);
    const QString sourceDatabase = databasePath.isEmpty() ? database.GetPath() : databasePath;
    run.AddFile(sourceDatabase, QFileInfo(sourceDatabase).fileName());
    const bool cancelled = !run.AddRecords(database.GetSongs()) || !run.AddRecords(database.GetLessons());

    // A cancelled archive is discarded without touching an archive it was to replace.
    const int closed = cancelled ? AfxAbortZipFile(archive) : AfxCloseZipFile(archive);
    const QString closeError = closed == QV_ZIP_OK ? QString() : AfxGetZipErrorText(closed);
    if (window)
        window->Hide();
    counter.Stop();
    results.m_dElapsedSeconds = counter.GetElapsedTime();

    if (cancelled) {
        results.m_outcome = backupCancelled;
        if (window)
            window->Destroy();
        return false;
    }
    if (closed != QV_ZIP_OK) {
        // The archive was never completed, so there is nothing to report as backed up.
        results.m_errors.append(FormatErrorLine(archivePath, closeError));
        refuse();
        if (window)
            window->Destroy();
        return false;
    }
    if (window)
        window->Destroy();
    results.m_outcome = backupCompleted;
    return true;
}
