#include "qvsystem/system/SingleInstance.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer encoded names are cut here and followed by a digest, well within NAME_MAX.
constexpr qsizetype kMaxEncodedName = 160;

bool IsKeptByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || c == '{' || c == '}';
}

// A folder only we can enter: a symbolic link, someone else's folder or one that others may
// write into could let another user take or fake the lock.
bool IsPrivateFolder(const QByteArray& folder)
{
    struct stat status {};
    if (::lstat(folder.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid())
        return false;
    if ((status.st_mode & 077) != 0 && ::chmod(folder.constData(), 0700) != 0)
        return false;
    return true;
}

// The folder for lock files, or empty when there is none we may use.
QString RuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        struct stat status {};
        if (::stat(runtime, &status) == 0 && S_ISDIR(status.st_mode))
            return QFile::decodeName(runtime);
    }
    const QByteArray fallback =
        "/tmp/corda-runtime-" + QByteArray::number(static_cast<qulonglong>(::getuid()));
    if (::mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return IsPrivateFolder(fallback) ? QFile::decodeName(fallback) : QString();
}

} // namespace

QString CSingleInstance::LockFileNameForMutexName(const QString& mutexName)
{
    const QByteArray utf8 = mutexName.toUtf8();
    QByteArray encoded;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        // A leading period would hide the file or make the names "." and "..".
        if (IsKeptByte(c) && !(i == 0 && c == '.')) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0').toUpper();
        }
    }
    if (encoded.size() > kMaxEncodedName) {
        encoded.truncate(kMaxEncodedName);
        encoded += '-';
        encoded += QCryptographicHash::hash(utf8, QCryptographicHash::Sha1).toHex();
    }
    return QString::fromLatin1(encoded) + QStringLiteral(".lock");
}

CSingleInstance::CSingleInstance(const QString& mutexName)
{
    // An unnamed mutex is private to its creator: nobody else can find it.
    if (mutexName.isEmpty())
        return;
    const QString folder = RuntimeFolder();
    if (folder.isEmpty()) {
        m_dwErrorCode = ACCESS_DENIED;
        return;
    }
    m_strLockFilePath = folder + u'/' + LockFileNameForMutexName(mutexName);

    const QByteArray path = QFile::encodeName(m_strLockFilePath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_dwErrorCode = ACCESS_DENIED;
        return;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        m_dwErrorCode = errno == EWOULDBLOCK ? ALREADY_EXISTS : GENERAL_FAILURE;
        ::close(fd);
        return;
    }
    m_nLockFile = fd;
}

CSingleInstance::~CSingleInstance()
{
    // The file stays: removing it would let a newcomer lock a fresh file while a late
    // opener still locks the old one, and both would think they were alone.
    if (m_nLockFile >= 0)
        ::close(m_nLockFile);
}

bool CSingleInstance::IsAnotherInstanceRunning() const
{
    return m_dwErrorCode == ALREADY_EXISTS || m_dwErrorCode == ACCESS_DENIED;
}
