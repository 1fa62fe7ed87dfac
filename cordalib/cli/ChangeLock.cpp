#include "cordalib/cli/ChangeLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CChangeLock::~CChangeLock()
{
    Unlock();
}

QString CChangeLock::GetLockFilePath()
{
    QString folder = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        folder = QStringLiteral("/tmp/corda-librarian-%1").arg(getuid());
        const QByteArray encoded = QFile::encodeName(folder);
        if (mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
            return QString();
        struct stat info = {};
        // A folder that another user made in /tmp is not ours to lock in.
        if (lstat(encoded.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
            return QString();
    }
    return folder + QStringLiteral("/cordalib-cli.lock");
}

bool CChangeLock::TryLock()
{
    if (m_fd >= 0)
        return true;
    const QString path = GetLockFilePath();
    if (path.isEmpty())
        return false;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CChangeLock::Unlock()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
