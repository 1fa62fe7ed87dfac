#include "cordalib/maintenance/Synchronize.h"

#include "cordalib/maintenance/MaintenanceStrings.h"

#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/FileChangeMask.h"
#include "cordalib/library/LibraryDatabase.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/FileUtilities.h"
#include "qvsystem/system/PerformanceCounter.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <type_traits>
#include <unordered_map>

using namespace MaintenanceStrings;

CSyncOperation::CSyncOperation(int kind, const QString& path, CSongRecord* song)
    : m_kind(kind), m_path(path), m_pSong(song)
{
}

CSyncOperation::CSyncOperation(int kind, const QString& path, CLessonRecord* lesson)
    : m_kind(kind), m_path(path), m_pLesson(lesson)
{
}

CSyncOperation::CSyncOperation(const QString& path, std::unique_ptr<CSongRecord> newSong)
    : m_kind(add), m_path(path), m_pSong(newSong.get()), m_newSong(std::move(newSong))
{
}

CSyncOperation::CSyncOperation(const QString& path, std::unique_ptr<CLessonRecord> newLesson)
    : m_kind(add), m_path(path), m_pLesson(newLesson.get()), m_newLesson(std::move(newLesson))
{
}

bool CSyncOperation::SetKind(int kind)
{
    if (kind < 0 || kind >= SYNC_OPERATION_TYPE_COUNT)
        return false;
    m_kind = kind;
    return true;
}

namespace {

// What differs between the two record kinds, for the code that treats both alike.
template <typename Record> struct KindTraits;

template <> struct KindTraits<CSongRecord> {
    static auto& ByPath(CSyncContext& context) { return context.m_songsByPath; }
    static auto& ToUpdate(CSyncContext& context) { return context.m_songsToUpdate; }
    static auto& NewFiles(CSyncContext& context) { return context.m_newSongFiles; }
    static bool Remove(CLibraryDatabase& database, CSongRecord* record)
    {
        return database.RemoveSong(record);
    }
    static void Add(CLibraryDatabase& database, std::unique_ptr<CSongRecord> record)
    {
        database.AddSong(std::move(record));
    }
    static CSongRecord* Of(const CSyncOperation& operation) { return operation.GetSong(); }
    static void Note(CLibraryDatabase& database, const CSongRecord* record)
    {
        database.NoteSongChanged(record);
    }
};

template <> struct KindTraits<CLessonRecord> {
    static auto& ByPath(CSyncContext& context) { return context.m_lessonsByPath; }
    static auto& ToUpdate(CSyncContext& context) { return context.m_lessonsToUpdate; }
    static auto& NewFiles(CSyncContext& context) { return context.m_newLessonFiles; }
    static bool Remove(CLibraryDatabase& database, CLessonRecord* record)
    {
        return database.RemoveLesson(record);
    }
    static void Add(CLibraryDatabase& database, std::unique_ptr<CLessonRecord> record)
    {
        database.AddLesson(std::move(record));
    }
    static CLessonRecord* Of(const CSyncOperation& operation) { return operation.GetLesson(); }
    static void Note(CLibraryDatabase& database, const CLessonRecord* record)
    {
        database.NoteLessonChanged(record);
    }
};

std::unique_ptr<CSongRecord> NewSong(const CCordaFileHeader& header, const QString& path,
                                     const COleDateTime& dateAdded, FILETIME lastWriteTime,
                                     const std::string& checksum)
{
    auto song = std::make_unique<CSongRecord>();
    song->m_title = header.GetTitle();
    song->m_artist = header.GetArtist();
    song->m_album = header.GetAlbum();
    song->m_year = header.GetAlbumYear();
    song->m_traditional = header.GetAuthorshipType() == 1;
    song->m_composer = header.GetComposer();
    song->m_lyricist = header.GetLyricist();
    song->m_arranger = header.GetArranger();
    song->m_transcriber = header.GetTranscriber();
    song->m_copyright = header.GetCopyright();
    song->m_path = path;
    song->m_dateAdded = dateAdded;
    song->m_lastWriteTime = lastWriteTime;
    song->m_checksum = checksum;
    return song;
}

std::unique_ptr<CLessonRecord> NewLesson(const CCordaFileHeader& header, const QString& path,
                                         const COleDateTime& dateAdded, FILETIME lastWriteTime,
                                         const std::string& checksum)
{
    auto lesson = std::make_unique<CLessonRecord>();
    lesson->m_title = header.GetLessonTitle();
    lesson->m_subtitle = header.GetLessonSubtitle();
    // As stored, so that the next comparison with the file finds them equal; an
    // unknown value shows as "Unknown".
    lesson->m_style = header.GetLessonStyle();
    lesson->m_level = header.GetLessonLevel();
    lesson->m_author = header.GetLessonAuthor();
    lesson->m_copyright = header.GetLessonCopyright();
    lesson->m_path = path;
    lesson->m_dateAdded = dateAdded;
    lesson->m_lastWriteTime = lastWriteTime;
    lesson->m_checksum = checksum;
    return lesson;
}

// A file with a record that may have changed: its comparison (and, for a refresh, the
// reading of its header and checksum) is left to the file readers.
struct CKnownFile {
    CSongRecord* song = nullptr;
    CLessonRecord* lesson = nullptr;
};

// Step 5 of a file's scan for one kind: false when the kind's table holds no record for
// the path. An unchanged file is settled here; a file that may have changed goes to the
// readers, whose comparison decides later (TakeScanResults) what becomes of it.
template <typename Record>
bool CompareKnownFile(CSyncContext& context, const QString& path, const CScannedFile& file, CKnownFile& known)
{
    auto& byPath = KindTraits<Record>::ByPath(context);
    const auto it = byPath.find(path);
    if (it == byPath.end())
        return false;
    Record* record = it.value();
    // What the comparison would find first, asked relative to the open folder: the same
    // last write time means unchanged. A file that cannot be read still goes through the
    // comparison, which reports it.
    FILETIME lastWriteTime = 0;
    bool readable = false;
    const bool unchanged =
        file.GetState(lastWriteTime, readable) && lastWriteTime == record->GetLastWriteTime() && readable;
    // Taken out now; a file whose kind changed puts its record back once compared.
    byPath.erase(it);
    if (!unchanged) {
        if constexpr (std::is_same_v<Record, CSongRecord>)
            known.song = record;
        else
            known.lesson = record;
    }
    return true;
}

std::atomic<int> g_readerThreads{-1};

// Reading files (header and checksum of every byte) is most of a synchronization that
// finds new or changed files. Helper threads read them while the walk goes on; when it
// ends, the walking thread reads what is left beside them. The results are taken in the
// order the walk found the files, so a run gives the same plan, records and error report
// whatever the threads did. Records are only read here; nothing changes them until the
// plan is applied, after every reader has stopped.
class CFileReader {
public:
    // What a file gave: a new record, or for a file that had one the comparison's flags
    // and, when the record is to be refreshed from it, the header, time and checksum.
    struct CJob {
        QString path;
        qsizetype errorPosition = 0; // where its error line goes among the walk's own
        CKnownFile known;
        unsigned flags = 0;
        std::unique_ptr<CCordaFileHeader> header;
        FILETIME lastWriteTime = 0;
        std::string checksum;
        std::unique_ptr<CSongRecord> song;
        std::unique_ptr<CLessonRecord> lesson;
        QString errorText; // set when a new file could not be read
        bool failed = false;
    };

    explicit CFileReader(const COleDateTime& startTime) : m_startTime(startTime)
    {
        const int chosen = g_readerThreads;
        // Beyond a few readers the disk, not the processor, sets the pace.
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned helpers =
            chosen >= 0 ? static_cast<unsigned>(chosen) : (cores > 1 ? std::min(cores - 1, 3u) : 0);
        for (unsigned i = 0; i < helpers; ++i)
            m_helpers.emplace_back([this] { Help(); });
    }
    // Unread files are dropped (a cancelled run); helpers finish the file in hand.
    ~CFileReader()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopped = true;
        }
        m_wake.notify_all();
        Join();
    }
    CFileReader(const CFileReader&) = delete;
    CFileReader& operator=(const CFileReader&) = delete;

    void Add(const QString& path, const CKnownFile& known, qsizetype errorPosition)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            CJob& job = m_jobs.emplace_back();
            job.path = path;
            job.known = known;
            job.errorPosition = errorPosition;
        }
        m_wake.notify_one();
    }

    // Reads what is left, with the helpers, asking cancelled between files. False when it
    // said yes: the reading stops and the results are not to be used.
    bool Finish(const std::function<bool()>& cancelled)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
        }
        m_wake.notify_all();
        while (!cancelled()) {
            CJob* job = Take(false);
            if (!job) {
                Join();
                return true;
            }
            Read(*job);
        }
        return false;
    }

    // Every job, in the order added, once Finish has returned true.
    std::deque<CJob>& GetJobs() { return m_jobs; }

private:
    // The next job to read; a helper waits for one until the list is closed.
    CJob* Take(bool wait)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (wait)
            m_wake.wait(lock, [this] { return m_stopped || m_closed || m_next < m_jobs.size(); });
        if (m_stopped || m_next >= m_jobs.size())
            return nullptr;
        // A deque keeps its elements where they are while more are added.
        return &m_jobs[m_next++];
    }

    void Help()
    {
        while (CJob* job = Take(true))
            Read(*job);
    }

    void Read(CJob& job) const
    {
        try {
            if (job.known.song || job.known.lesson) {
                job.flags = job.known.song ? job.known.song->CompareWithFile(false, nullptr)
                                           : job.known.lesson->CompareWithFile(false, nullptr);
                if ((job.flags & FILE_CHANGE_CONTENT_MASK) == 0)
                    return;
                if (!(job.flags & fileChangeWrongKind)) {
                    if (!(job.flags & (fileChangeFileOlder | fileChangeOpenFailed | fileChangeUnreadable)))
                        ReadForRefresh(job);
                    return;
                }
                // The file's kind changed: it is new.
            }
            ReadNewFile(job);
        } catch (const std::exception& e) {
            // Nothing may leave a helper thread; the file is reported as unreadable.
            job.failed = true;
            job.errorText = QString::fromLocal8Bit(e.what());
        }
    }

    // The refresh reads the file again when applied; reading it here lets that happen
    // beside the walk. A file that fails here is left to the refresh, which reports it.
    static void ReadForRefresh(CJob& job)
    {
        auto header = std::make_unique<CCordaFileHeader>();
        if (ReadHeaderFromFile(job.path, *header, &job.lastWriteTime, &job.checksum, nullptr))
            job.header = std::move(header);
    }

    void ReadNewFile(CJob& job) const
    {
        CCordaFileHeader header;
        FILETIME lastWriteTime = 0;
        std::string checksum;
        if (!ReadHeaderFromFile(job.path, header, &lastWriteTime, &checksum, &job.errorText)) {
            job.failed = true;
            return;
        }
        if (header.GetFileType() == cordaFileLesson)
            job.lesson = NewLesson(header, job.path, m_startTime, lastWriteTime, checksum);
        else
            job.song = NewSong(header, job.path, m_startTime, lastWriteTime, checksum);
    }

    void Join()
    {
        for (std::thread& helper : m_helpers) {
            if (helper.joinable())
                helper.join();
        }
    }

    const COleDateTime m_startTime;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<CJob> m_jobs;
    size_t m_next = 0;
    bool m_closed = false;
    bool m_stopped = false;
    std::vector<std::thread> m_helpers;
};

// A refresh read beside the walk, by record.
struct CRefresh {
    std::unique_ptr<CCordaFileHeader> header;
    FILETIME lastWriteTime = 0;
    std::string checksum;
};
using CRefreshes = std::unordered_map<const void*, CRefresh>;

// A path reaches this once at most: the walk never enters a folder twice.
void ScanFile(CSyncContext& context, CFileReader& reader, const QString& path, const CScannedFile& file)
{
    CKnownFile known;
    if (!CompareKnownFile<CSongRecord>(context, path, file, known) &&
        !CompareKnownFile<CLessonRecord>(context, path, file, known)) {
        reader.Add(path, known, context.m_scanErrors.size()); // a new file
        return;
    }
    if (known.song || known.lesson)
        reader.Add(path, known, context.m_scanErrors.size());
}

// What the readers found, in the order the walk found the files: changed records, new
// files and the error lines where the walk would have put them.
void TakeScanResults(CSyncContext& context, std::deque<CFileReader::CJob>& jobs, CRefreshes& refreshes)
{
    QStringList errors;
    qsizetype walkErrors = 0;
    for (CFileReader::CJob& job : jobs) {
        if (job.known.song || job.known.lesson) {
            if ((job.flags & FILE_CHANGE_CONTENT_MASK) == 0)
                continue;
            if (!(job.flags & fileChangeWrongKind)) {
                const void* record = job.known.song ? static_cast<const void*>(job.known.song)
                                                    : static_cast<const void*>(job.known.lesson);
                if (job.known.song)
                    context.m_songsToUpdate.emplace_back(job.known.song, job.flags);
                else
                    context.m_lessonsToUpdate.emplace_back(job.known.lesson, job.flags);
                if (job.header)
                    refreshes[record] = {std::move(job.header), job.lastWriteTime, std::move(job.checksum)};
                continue;
            }
            // The record stays unseen (it will be planned as such); the file is new.
            if (job.known.song)
                context.m_songsByPath.insert(job.path, job.known.song);
            else
                context.m_lessonsByPath.insert(job.path, job.known.lesson);
        }
        if (job.failed) {
            while (walkErrors < job.errorPosition)
                errors.append(context.m_scanErrors.at(walkErrors++));
            errors.append(FormatErrorLine(job.path, job.errorText));
        } else if (job.lesson) {
            context.m_newLessonFiles.push_back({job.path, std::move(job.lesson)});
        } else if (job.song) {
            context.m_newSongFiles.push_back({job.path, std::move(job.song)});
        }
    }
    while (walkErrors < context.m_scanErrors.size())
        errors.append(context.m_scanErrors.at(walkErrors++));
    context.m_scanErrors = std::move(errors);
}

bool LessCaseInsensitive(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

bool IsInAnyFolder(const QStringList& folders, const QString& path)
{
    return std::any_of(folders.begin(), folders.end(),
                       [&](const QString& folder) { return IsPathInFolder(folder, path); });
}

// Splits a path into its folder (with the separator) and its file name.
void SplitPath(const QString& path, QString& folder, QString& name)
{
    if (!AfxExtractFolderPathAndFileNameFromPath(path, folder, name)) {
        folder.clear();
        name = path;
    }
}

// Step 6 a to e for one kind: appends the planned operations to the plan.
template <typename Record>
void PlanKind(CSyncContext& context, const QStringList& folders, const CFolderScanner& scanner,
              std::vector<CSyncOperation>& plan)
{
    auto& byPath = KindTraits<Record>::ByPath(context);

    // a. Records not seen on disk: outside every folder, or waiting for a rename. Records
    // in a folder that could not be walked were not looked for and stay as they are.
    std::multimap<std::string, Record*> unseen;
    std::vector<Record*> notSeen;
    notSeen.reserve(static_cast<size_t>(byPath.size()));
    for (auto it = byPath.cbegin(); it != byPath.cend(); ++it)
        notSeen.push_back(it.value());
    // The hash gives no order: take the library's, so that a plan never depends on it.
    std::sort(notSeen.begin(), notSeen.end(),
              [](const Record* a, const Record* b) { return a->m_id < b->m_id; });
    for (Record* record : notSeen) {
        const QString& path = record->GetPath();
        if (scanner.IsInIncompleteFolder(path))
            continue;
        // The folder test first: it needs no call on the file system.
        if (!IsInAnyFolder(folders, path) && AfxDoesFileExist(path))
            plan.emplace_back(CSyncOperation::remove, path, record);
        else
            unseen.emplace(record->GetChecksum(), record);
    }

    // b. New files grouped by checksum, letter case aside; every other comparison is exact.
    auto& newFiles = KindTraits<Record>::NewFiles(context);
    std::stable_sort(newFiles.begin(), newFiles.end(), [](const auto& a, const auto& b) {
        return LessCaseInsensitive(a.record->GetChecksum(), b.record->GetChecksum());
    });

    // c. Renames and moves, then additions.
    std::vector<std::string> checksums;
    checksums.reserve(newFiles.size());
    for (const auto& file : newFiles)
        checksums.push_back(file.record->GetChecksum());
    std::vector<bool> newUsed(newFiles.size(), false);
    using UnseenEntry = typename std::multimap<std::string, Record*>::iterator;
    size_t front = 0;
    while (front < newFiles.size()) {
        if (newUsed[front]) {
            ++front;
            continue;
        }
        const std::string key = checksums[front];
        const auto range = unseen.equal_range(key);
        if (range.first == range.second) {
            plan.emplace_back(newFiles[front].path, std::move(newFiles[front].record));
            ++front;
            continue;
        }

        struct Candidate {
            size_t file;
            UnseenEntry record;
        };
        std::vector<Candidate> moved;   // kind 0: another folder, the same name
        std::vector<Candidate> renamed; // kind 1: the same folder, another name
        for (size_t n = front; n < newFiles.size(); ++n) {
            if (newUsed[n] || checksums[n] != key)
                continue;
            QString newFolder, newName;
            SplitPath(newFiles[n].path, newFolder, newName);
            for (auto r = range.first; r != range.second; ++r) {
                QString oldFolder, oldName;
                SplitPath(r->second->GetPath(), oldFolder, oldName);
                const bool sameFolder = newFolder == oldFolder;
                const bool sameName = newName == oldName;
                if (!sameFolder && sameName)
                    moved.push_back({n, r});
                else if (sameFolder && !sameName)
                    renamed.push_back({n, r});
            }
        }
        std::vector<UnseenEntry> usedRecords;
        auto take = [&](const Candidate& candidate) {
            if (newUsed[candidate.file] ||
                std::find(usedRecords.begin(), usedRecords.end(), candidate.record) != usedRecords.end())
                return;
            Record* record = candidate.record->second;
            CSyncOperation operation(CSyncOperation::rename, newFiles[candidate.file].path, record);
            operation.SetOldPath(record->GetPath());
            plan.push_back(std::move(operation));
            // The library's record keeps its identity, rating and date added.
            newFiles[candidate.file].record.reset();
            newUsed[candidate.file] = true;
            usedRecords.push_back(candidate.record);
        };
        std::for_each(moved.begin(), moved.end(), take);
        std::for_each(renamed.begin(), renamed.end(), take);

        for (; front < newFiles.size() && checksums[front] == key; ++front) {
            if (!newUsed[front])
                plan.emplace_back(newFiles[front].path, std::move(newFiles[front].record));
        }
        for (const UnseenEntry& used : usedRecords)
            unseen.erase(used);
    }

    // d. What is still unseen is gone.
    for (const auto& [checksum, record] : unseen)
        plan.emplace_back(CSyncOperation::remove, record->GetPath(), record);

    // e. Changed files: the newer side wins.
    for (const auto& [record, flags] : KindTraits<Record>::ToUpdate(context)) {
        if ((flags & FILE_CHANGE_CONTENT_MASK) == 0)
            continue;
        plan.emplace_back((flags & fileChangeFileOlder) ? CSyncOperation::writeToFile
                                                        : CSyncOperation::readFromFile,
                          record->GetPath(), record);
    }
}

template <typename Record>
void ApplyOperation(CLibraryDatabase& database, CSyncOperation& operation, const CRefreshes& refreshes,
                    uint32_t& added, uint32_t& updated, uint32_t& renamed, uint32_t& removed,
                    QStringList& errors)
{
    Record* record = KindTraits<Record>::Of(operation);
    QString errorText;
    switch (operation.GetKind()) {
    case CSyncOperation::add:
        if constexpr (std::is_same_v<Record, CSongRecord>)
            KindTraits<Record>::Add(database, operation.TakeNewSong());
        else
            KindTraits<Record>::Add(database, operation.TakeNewLesson());
        ++added;
        break;
    case CSyncOperation::writeToFile:
        if (record->WriteToFile(false, &errorText)) {
            KindTraits<Record>::Note(database, record);
            ++updated;
        } else
            errors.append(FormatErrorLine(record->GetPath(), errorText));
        break;
    case CSyncOperation::readFromFile: {
        const auto refresh = refreshes.find(record);
        const bool taken = refresh != refreshes.end() &&
                           record->TakeFromHeader(*refresh->second.header, refresh->second.lastWriteTime,
                                                  refresh->second.checksum);
        if (taken || record->ReadFromFile(false, &errorText)) {
            KindTraits<Record>::Note(database, record);
            ++updated;
        } else {
            errors.append(FormatErrorLine(record->GetPath(), errorText));
        }
        break;
    }
    case CSyncOperation::rename:
        record->SetPath(operation.GetPath());
        KindTraits<Record>::Note(database, record);
        ++renamed;
        break;
    case CSyncOperation::remove: {
        const QString path = record->GetPath();
        if (KindTraits<Record>::Remove(database, record))
            ++removed;
        else
            errors.append(FormatErrorLine(path, Load(IDS_REMOVE_RECORD_FAILED)));
        break;
    }
    default:
        break;
    }
}

void CloseWindow(IProgressWindow* window)
{
    if (window)
        window->Destroy();
}

} // namespace

void SetSynchronizeReaderThreads(int helpers)
{
    g_readerThreads = helpers < 0 ? -1 : std::min(helpers, 16);
}

int Synchronize(CLibraryDatabase& database, QStringList folders, CSyncResults& results,
                IProgressWindow* window)
{
    CPerformanceCounter counter;
    counter.Start();
    results.Zero();

    CSyncContext context;
    context.m_startTime = COleDateTime::GetCurrentUTCTime();
    // Records sharing a path: the first one stands for the file.
    context.m_songsByPath.reserve(static_cast<qsizetype>(database.GetSongCount()));
    for (CSongRecord* song : database.GetSongs()) {
        if (!context.m_songsByPath.contains(song->GetPath()))
            context.m_songsByPath.insert(song->GetPath(), song);
    }
    context.m_lessonsByPath.reserve(static_cast<qsizetype>(database.GetLessonCount()));
    for (CLessonRecord* lesson : database.GetLessons()) {
        if (!context.m_lessonsByPath.contains(lesson->GetPath()))
            context.m_lessonsByPath.insert(lesson->GetPath(), lesson);
    }

    if (window && !window->Create())
        window = nullptr;
    if (window)
        window->SetStatus(Load(IDS_SYNC_SCANNING));

    CFileReader reader(context.m_startTime);
    CFolderScanner scanner(window, context.m_scanErrors,
                           [&context, &reader](const QString& path, const CScannedFile& file) {
                               ScanFile(context, reader, path, file);
                           });
    for (QString& folder : folders)
        folder = NormalizeFolderPath(folder);

    bool folderMissing = false;
    bool cancelled = false;
    for (const QString& folder : folders) {
        if (window && window->CheckCancelButton()) {
            cancelled = true;
            break;
        }
        if (!AfxDoesFileExist(folder)) {
            folderMissing = true;
            continue;
        }
        if (!scanner.ScanFolder(folder) || (window && window->CheckCancelButton())) {
            cancelled = true;
            break;
        }
    }
    // Links to folders come last, so that every file reachable without one keeps the
    // path it has without it. A refused run applies nothing, so it needs none of them.
    if (!cancelled && !folderMissing && !scanner.ScanLinks())
        cancelled = true;

    // The files the walk left to the readers; Cancel is asked between them as the walk did.
    if (!cancelled && !folderMissing &&
        !reader.Finish([window] { return window && window->CheckCancelButton(); }))
        cancelled = true;

    if (cancelled) {
        results.m_outcome = syncCancelled;
        CloseWindow(window);
        return 0;
    }
    if (folderMissing) {
        results.m_outcome = syncFolderMissing;
        if (window) {
            window->Hide();
            window->ShowMessage(Load(IDS_SYNC_FOLDER_MISSING), MB_OK | MB_ICONEXCLAMATION);
        }
        CloseWindow(window);
        return 0;
    }

    CRefreshes refreshes;
    TakeScanResults(context, reader.GetJobs(), refreshes);
    std::vector<CSyncOperation> plan;
    PlanKind<CSongRecord>(context, folders, scanner, plan);
    PlanKind<CLessonRecord>(context, folders, scanner, plan);

    counter.Stop();
    results.m_dElapsedSeconds = counter.GetElapsedTime();
    results.m_errors += context.m_scanErrors;

    if (!plan.empty()) {
        counter.Start();
        if (window)
            window->SetStatus(Load(IDS_SYNC_APPLYING));
        for (CSyncOperation& operation : plan) {
            if (operation.GetSong())
                ApplyOperation<CSongRecord>(database, operation, refreshes, results.m_nSongsAdded,
                                            results.m_nSongsUpdated, results.m_nSongsRenamed,
                                            results.m_nSongsRemoved, results.m_errors);
            else if (operation.GetLesson())
                ApplyOperation<CLessonRecord>(database, operation, refreshes, results.m_nLessonsAdded,
                                              results.m_nLessonsUpdated, results.m_nLessonsRenamed,
                                              results.m_nLessonsRemoved, results.m_errors);
        }
        counter.Stop();
        // Only a measurement of its own: the scanning time is counted once.
        results.m_dElapsedSeconds += counter.GetElapsedTime();
    }

    // Every change above named its record or was an add or a removal, each of which marks
    // the library modified: the search index refreshes those records alone.
    results.m_outcome = syncCompleted;
    CloseWindow(window);
    return 1;
}
