#pragma once
// The lock that two cordalib-cli processes changing the library take in turn: an
// exclusive flock on "cordalib-cli.lock" in the runtime folder ($XDG_RUNTIME_DIR, or a
// private folder under /tmp). It is never waited for: a second process that changes the
// library at the same time is refused. The lock goes with the process.

#include <QString>

class CChangeLock {
public:
    CChangeLock() = default;
    ~CChangeLock();
    CChangeLock(const CChangeLock&) = delete;
    CChangeLock& operator=(const CChangeLock&) = delete;

    // False when another process holds the lock or the lock file cannot be opened.
    bool TryLock();
    void Unlock();
    bool IsLocked() const { return m_fd >= 0; }

    static QString GetLockFilePath();

private:
    int m_fd = -1;
};
