#pragma once
// Safe save: writing with modeCreate goes to a temporary file in the target's folder,
// which replaces the target (keeping its permissions) only when Close succeeds. Abort,
// a failed Close, or destruction without Close leave the target as it was and remove
// the temporary file.

#include "qvsystem/platform/File.h"

#include <QByteArray>

#include <sys/types.h>
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
// name points to it, so a crash leaves every file either old or new, never empty.
class QVSYSTEM_EXPORT CMirrorFileBatch {
public:
    CMirrorFileBatch();
    ~CMirrorFileBatch(); // finishes
    CMirrorFileBatch(const CMirrorFileBatch&) = delete;
    CMirrorFileBatch& operator=(const CMirrorFileBatch&) = delete;

    // The batch on this thread, or null.
    static CMirrorFileBatch* GetCurrent();
    // A folder whose entries changed; one per filesystem is kept.
    void AddFolder(const QByteArray& nativeFolder);
    // Syncs what was added so far. False when a sync failed: failedFolder and osError tell
    // which and why (the files are in place, their renames possibly not yet durable).
    bool Finish(QString* failedFolder = nullptr, int* osError = nullptr);

private:
    struct Folder {
        dev_t device;
        QByteArray path;
    };
    std::vector<Folder> m_folders;
    CMirrorFileBatch* m_pPrevious = nullptr;
};
