#include "cordalib/maintenance/Backup.h"

#include "cordalib/maintenance/MaintenanceStrings.h"

#include "cordalib/library/LibraryDatabase.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/PerformanceCounter.h"
#include "qvsystem/system/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace MaintenanceStrings;

namespace {

// The library's default compression level.
constexpr int BACKUP_COMPRESSION_LEVEL = -1;
// Files up to this size are read and deflated whole by a helper; larger ones are streamed
// by the writer a block at a time, so memory stays bounded however large the files are.
constexpr uint64_t BACKUP_HOLD_LIMIT = 4u << 20;

std::atomic<int> g_deflateThreads{-1};
std::atomic<size_t> g_peakInFlight{0};

size_t DeflateThreadCount()
{
    const int chosen = g_deflateThreads.load();
    if (chosen >= 0)
        return static_cast<size_t>(chosen);
    return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// The archive's files deflated by helper threads ahead of the writer, in archive order: a
// helper takes the next file only while fewer than the window's files wait for the writer,
// so a run holds a bounded number of files in memory.
class CBackupDeflater {
public:
    CBackupDeflater(const std::vector<QString>& paths, size_t threads)
        : m_paths(paths), m_window(2 * threads + 2), m_slots(m_window)
    {
        for (size_t t = 0; t < threads; ++t)
            m_helpers.emplace_back([this] { Work(); });
    }
    ~CBackupDeflater() { Stop(); }
    CBackupDeflater(const CBackupDeflater&) = delete;
    CBackupDeflater& operator=(const CBackupDeflater&) = delete;

    bool IsRunning() const { return !m_helpers.empty(); }

    // The file at index (the next one in order), once a helper has made it.
    void Take(size_t index, CZipDeflatedFile& file, int& result, QString& errorText)
    {
        std::unique_lock lock(m_mutex);
        Slot& slot = m_slots[index % m_window];
        m_changed.wait(lock, [&] { return slot.ready && slot.index == index; });
        file = std::move(slot.file);
        result = slot.result;
        errorText = std::move(slot.errorText);
        slot = Slot();
        m_taken = index + 1;
        m_changed.notify_all();
    }

    void Stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& helper : m_helpers)
            helper.join();
        m_helpers.clear();
    }

private:
    struct Slot {
        size_t index = 0;
        bool ready = false;
        CZipDeflatedFile file;
        int result = 0;
        QString errorText;
    };

    void Work()
    {
        for (;;) {
            size_t index = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(
                    lock, [&] { return m_stop || m_next >= m_paths.size() || m_next < m_taken + m_window; });
                if (m_stop || m_next >= m_paths.size())
                    return;
                index = m_next++;
                const size_t inFlight = m_next - m_taken;
                if (inFlight > g_peakInFlight.load())
                    g_peakInFlight = inFlight;
            }
            CZipDeflatedFile file;
            QString errorText;
            const int result = AfxDeflateFileForZip(m_paths[index], BACKUP_COMPRESSION_LEVEL,
                                                    BACKUP_HOLD_LIMIT, file, errorText);
            {
                std::lock_guard lock(m_mutex);
                Slot& slot = m_slots[index % m_window];
                slot.index = index;
                slot.file = std::move(file);
                slot.result = result;
                slot.errorText = std::move(errorText);
                slot.ready = true;
            }
            m_changed.notify_all();
        }
    }

    const std::vector<QString>& m_paths;
    const size_t m_window;
    std::vector<Slot> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_next = 0;  // the next file a helper takes
    size_t m_taken = 0; // files the writer has taken
    bool m_stop = false;
    std::vector<std::thread> m_helpers;
};

class BackupRun {
public:
    BackupRun(void* archive, const std::vector<QString>& paths, CBackupResults& results,
              IProgressWindow* window)
        : m_archive(archive), m_paths(paths), m_results(results), m_pWindow(window),
          m_deflater(paths, DeflateThreadCount())
    {
    }

    // Writes the file at index (in order) under its entry name.
    void AddFile(size_t index, const QString& entryName)
    {
        const QString& path = m_paths[index];
        QString errorText;
        int result = QV_ZIP_OK;
        if (m_deflater.IsRunning()) {
            CZipDeflatedFile file;
            m_deflater.Take(index, file, result, errorText);
            if (result == QV_ZIP_OK)
                result = AfxAddDeflatedFileToZipFile(m_archive, file, entryName, errorText);
        } else {
            result = AfxAddFileToZipFile(m_archive, path, entryName, BACKUP_COMPRESSION_LEVEL, errorText);
        }
        if (result == QV_ZIP_OK)
            ++m_results.m_nFilesBackedUp;
        else
            m_results.m_errors.append(FormatErrorLine(path, errorText));
        if (m_pWindow)
            m_pWindow->StepIt();
    }

    // False when Cancel was pressed; every file until then is in the archive.
    bool AddRecords(size_t first, size_t count)
    {
        for (size_t index = first; index < first + count; ++index) {
            if (m_pWindow && m_pWindow->CheckCancelButton())
                return false;
            AddFile(index, GetBackupEntryName(m_paths[index]));
        }
        return true;
    }

    void Stop() { m_deflater.Stop(); }

private:
    void* m_archive;
    const std::vector<QString>& m_paths;
    CBackupResults& m_results;
    IProgressWindow* m_pWindow;
    CBackupDeflater m_deflater;
};

} // namespace

void SetBackupDeflateThreads(int threads)
{
    g_deflateThreads = threads < 0 ? -1 : std::min(threads, 16);
}

size_t GetBackupPeakFilesInFlight()
{
    return g_peakInFlight.load();
}

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

    // Every file in archive order: the database, the songs, the lessons.
    const QString sourceDatabase = databasePath.isEmpty() ? database.GetPath() : databasePath;
    std::vector<QString> paths;
    paths.reserve(1 + database.GetSongCount() + database.GetLessonCount());
    paths.push_back(sourceDatabase);
    for (const CSongRecord* song : database.GetSongs())
        paths.push_back(song->GetPath());
    for (const CLessonRecord* lesson : database.GetLessons())
        paths.push_back(lesson->GetPath());

    g_peakInFlight = 0;
    BackupRun run(archive, paths, results, window);
    run.AddFile(0, QFileInfo(sourceDatabase).fileName());
    const bool cancelled = !run.AddRecords(1, database.GetSongCount()) ||
                           !run.AddRecords(1 + database.GetSongCount(), database.GetLessonCount());
    run.Stop();

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
