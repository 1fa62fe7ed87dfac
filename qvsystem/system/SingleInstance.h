#pragma once
// A guard that tells whether another process already runs under the same name: an
// exclusive flock on "<name>.lock" in $XDG_RUNTIME_DIR (or, when that is unset, a private
// folder /tmp/corda-runtime-<uid>, mode 0700). The lock lasts as long as the object and
// goes with the process, however it ends.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

class QVSYSTEM_EXPORT CSingleInstance {
public:
    // The codes that creation leaves, as the Windows mutex does.
    static constexpr uint32_t NO_ERROR_CODE = 0;
    static constexpr uint32_t ACCESS_DENIED = 5;    // the lock file cannot be opened
    static constexpr uint32_t GENERAL_FAILURE = 31; // opened, but the system cannot lock it
    static constexpr uint32_t ALREADY_EXISTS = 183; // another holder has the lock

    // Takes the lock for the name. A null or empty name guards nothing (no other instance
    // can be seen).
    explicit CSingleInstance(const QString& mutexName);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when another holder has the lock, or when the lock file could not be opened
    // (error 183 or 5).
    bool IsAnotherInstanceRunning() const;
    uint32_t GetErrorCode() const { return m_dwErrorCode; }
    // This object holds the lock.
    bool IsLockHeld() const { return m_nLockFile >= 0; }
    // The lock file that the name maps to (empty for no name or no usable folder).
    const QString& GetLockFilePath() const { return m_strLockFilePath; }

    // The file name for a mutex name: letters, digits and ._-{} kept, every other byte of
    // the UTF-8 text as %XX, so that different names never share a file; long names are cut
    // and end in a digest of the whole name.
    static QString LockFileNameForMutexName(const QString& mutexName);

private:
    int m_nLockFile = -1;
    uint32_t m_dwErrorCode = NO_ERROR_CODE;
    QString m_strLockFilePath;
};
