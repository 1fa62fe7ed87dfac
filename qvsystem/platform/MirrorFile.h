#pragma once
// Safe save: writing with modeCreate goes to a temporary file in the target's folder,
// which replaces the target (keeping its permissions) only when Close succeeds. Abort,
// a failed Close, or destruction without Close leave the target as it was and remove
// the temporary file.

#include "qvsystem/platform/File.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <vector>

class QVSYSTEM_EXPORT CMirrorFile : public CFile {
public:
    CMirrorFile() = default;
    ~CMirrorFile() override; // aborts when still open

    bool Open(const QString& path, unsigned openFlags, CFileException* error = nullptr) override;
    void Close() override; // fsync, rename over the target, fsync the folder; throws on failure
    void Abort() override;

    // The temporary file's path while open for writing (empty otherwise).
    QString GetTemporaryPath() const { return m_strMirrorName; }

private:
    void DiscardMirror();
    [[noreturn]] void FailClose(int osError);

    QString m_strMirrorName;
    // The system-call forms: a name need not be valid UTF-8 to be removed or replaced.
    QByteArray m_nativeMirror;
    QByteArray m_nativeTarget;
    bool m_targetExisted = false;
    unsigned m_targetMode = 0;
    unsigned m_targetOwner = 0;
    unsigned m_targetGroup = 0;
};

// While one lives on a thread, the safe saves of that thread leave the sync of their folders
// to the batch's end, where one sync per filesystem makes every rename durable at once
// instead of a disk flush per file. Each file's data is still on the disk before its new
// name points to it, so a crash leaves every file either old or new, never empty. A
// CMirrorFileCloser made inside the batch closes into it from its helper thread as well.
class QVSYSTEM_EXPORT CMirrorFileBatch {
public:
    CMirrorFileBatch();
    ~CMirrorFileBatch(); // finishes
    CMirrorFileBatch(const CMirrorFileBatch&) = delete;
    CMirrorFileBatch& operator=(const CMirrorFileBatch&) = delete;

    // The batch on this thread, or null.
    static CMirrorFileBatch* GetCurrent();
    // A folder whose entries changed; one per filesystem is kept. Any thread may add.
    void AddFolder(const QByteArray& nativeFolder);
    // Syncs what was added so far. False when a sync failed: failedFolder and osError tell
    // which and why (the files are in place, their renames possibly not yet durable).
    bool Finish(QString* failedFolder = nullptr, int* osError = nullptr);

private:
    struct Folder {
        dev_t device;
        QByteArray path;
    };
    std::mutex m_mutex;
    std::vector<Folder> m_folders;
    // The folder added last, which the next file most often shares.
    QByteArray m_lastFolder;
    CMirrorFileBatch* m_pPrevious = nullptr;
};

// Closes mirror files on a helper thread, in the order they are started, so that a run over
// many files can read and write the next file while the disk takes the last one. Made inside
// a batch, it leaves the folder syncs of its closes to that batch, which must outlive it.
class QVSYSTEM_EXPORT CMirrorFileCloser {
public:
    CMirrorFileCloser();
    ~CMirrorFileCloser(); // waits for every close started, then ends the thread
    CMirrorFileCloser(const CMirrorFileCloser&) = delete;
    CMirrorFileCloser& operator=(const CMirrorFileCloser&) = delete;

    // Hands an open file over for its Close; until Wait(file) returns, nothing else may
    // touch it.
    void Start(CMirrorFile& file);
    // Waits until the file's close is done and rethrows what that Close threw; the file
    // must have been started here and not waited for yet.
    void Wait(CMirrorFile& file);

private:
    struct Job {
        CMirrorFile* file;
        bool done = false;
        std::exception_ptr failure;
    };
    void Work();

    CMirrorFileBatch* const m_pBatch;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Started and not yet waited for, oldest first; the helper works through them in order.
    std::deque<Job> m_jobs;
    size_t m_nNext = 0; // the first job the helper has not taken
    bool m_bStop = false;
    std::thread m_helper;
};
