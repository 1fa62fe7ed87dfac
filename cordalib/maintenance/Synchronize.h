#pragma once
// Folder synchronization: one run walks every synchronized folder, compares each
// tablature file with the library, plans the changes (add, write back, refresh, follow a
// renamed or moved file by its checksum, remove) and applies them.
//
// The run is a free function over the database rather than a member of it, because the
// database lives in the lower library folder and the run needs the folder walk, the
// progress window and the report texts of this one.
//
// Paths are compared exactly, as the file system compares them: on Linux "Song.crd" and
// "song.crd" are two files, and each keeps its own record.

#include "cordalib/maintenance/FolderScanner.h"
#include "cordalib/maintenance/ProgressWindow.h"
#include "cordalib/maintenance/SyncResults.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"

#include "qvsystem/platform/OleDateTime.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CLibraryDatabase;

// One planned change.
class CSyncOperation {
public:
    enum syncOperationTypes : int { add = 0, writeToFile = 1, readFromFile = 2, rename = 3, remove = 4 };
    static constexpr int SYNC_OPERATION_TYPE_COUNT = 5;

    CSyncOperation() = default;
    // An operation on a library record.
    CSyncOperation(int kind, const QString& path, CSongRecord* song);
    CSyncOperation(int kind, const QString& path, CLessonRecord* lesson);
    // Adding a record read from a new file; the operation owns it until it is inserted.
    CSyncOperation(const QString& path, std::unique_ptr<CSongRecord> newSong);
    CSyncOperation(const QString& path, std::unique_ptr<CLessonRecord> newLesson);

    int GetKind() const { return m_kind; }
    // Values of 5 or more are refused (false, unchanged).
    bool SetKind(int kind);

    const QString& GetPath() const { return m_path; }
    void SetPath(const QString& path) { m_path = path; }
    const QString& GetOldPath() const { return m_oldPath; }
    void SetOldPath(const QString& path) { m_oldPath = path; }

    CSongRecord* GetSong() const { return m_pSong; }
    CLessonRecord* GetLesson() const { return m_pLesson; }
    // Hands the new record of an add over to the library.
    std::unique_ptr<CSongRecord> TakeNewSong() { return std::move(m_newSong); }
    std::unique_ptr<CLessonRecord> TakeNewLesson() { return std::move(m_newLesson); }

private:
    int m_kind = add;
    QString m_path;
    QString m_oldPath; // rename only
    CSongRecord* m_pSong = nullptr;
    CLessonRecord* m_pLesson = nullptr;
    std::unique_ptr<CSongRecord> m_newSong;
    std::unique_ptr<CLessonRecord> m_newLesson;
};

// A new file found while scanning, with the record built from its header.
template <typename Record> struct CSyncNewFile {
    QString path;
    std::unique_ptr<Record> record;
};

// What one run keeps between scanning and planning.
class CSyncContext {
public:
    COleDateTime m_startTime; // UTC; the date added of every record the run creates
    // The records not (yet) seen on disk, by path. Scanning takes out every record whose
    // file it finds.
    QHash<QString, CSongRecord*> m_songsByPath;
    QHash<QString, CLessonRecord*> m_lessonsByPath;
    // Records whose file differs, with the comparison flags, in the order found.
    std::vector<std::pair<CSongRecord*, unsigned>> m_songsToUpdate;
    std::vector<std::pair<CLessonRecord*, unsigned>> m_lessonsToUpdate;
    std::vector<CSyncNewFile<CSongRecord>> m_newSongFiles;
    std::vector<CSyncNewFile<CLessonRecord>> m_newLessonFiles;
    QStringList m_scanErrors;
};

// Synchronizes the library with the folders (a copy is taken). Returns nonzero when the
// run was carried to its end, even with errors, and 0 when Cancel was pressed while
// scanning or a folder is missing; then the library is unchanged and results.m_outcome
// says which. The window (may be null: no Cancel, no messages) is created, shown and
// destroyed by the run; a missing folder is reported through its ShowMessage.
int Synchronize(CLibraryDatabase& database, QStringList folders, CSyncResults& results,
                IProgressWindow* window);

// How many helper threads read files beside the walk: -1 (the default) chooses from the
// number of processors, 0 leaves all reading to the thread that runs the synchronization.
// The results are the same either way.
void SetSynchronizeReaderThreads(int helpers);
