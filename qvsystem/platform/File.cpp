#include "qvsystem/platform/File.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Share modes are not enforced. flock locks are advisory (the editors that open our
// files never take them), and they bind per open description, so one process that opens
// a file twice would lock itself out where Windows would not.

namespace {

int OpenFlagsToPosix(unsigned flags)
{
    int posix = O_CLOEXEC;
    if (flags & CFile::modeReadWrite)
        posix |= O_RDWR;
    else if (flags & CFile::modeWrite)
        posix |= O_WRONLY;
    else
        posix |= O_RDONLY;
    if (flags & CFile::osWriteThrough)
        posix |= O_DSYNC;
    if (flags & CFile::modeCreate) {
        posix |= O_CREAT;
        if (!(flags & CFile::modeNoTruncate))
            posix |= O_TRUNC;
    }
    return posix;
}

void FillError(CFileException* error, int osError, const QString& path)
{
    if (!error)
        return;
    error->m_cause = CFileException::OsErrorToException(osError);
    error->m_lOsError = osError;
    error->m_strFileName = path;
}

} // namespace

CFile::CFile() = default;

CFile::CFile(const QString& path, unsigned openFlags)
{
    CFileException error;
    if (!Open(path, openFlags, &error))
        throw error;
}

CFile::~CFile()
{
    if (m_hFile != hFileNull)
        CFile::Abort();
}

bool CFile::Open(const QString& path, unsigned openFlags, CFileException* error)
{
    if (m_hFile != hFileNull) {
        // Reopening an open file would leak the descriptor.
        FillError(error, EBADF, path);
        return false;
    }
    m_strFileName = path;
    m_openFlags = openFlags;
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty()) {
        FillError(error, ENOENT, path);
        return false;
    }
    int fd;
    do {
        fd = ::open(native.constData(), OpenFlagsToPosix(openFlags), 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FillError(error, errno, path);
        return false;
    }
    // open(2) accepts a folder for reading; the Windows original refuses it.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        FillError(error, EISDIR, path);
        return false;
    }
    m_hFile = fd;
    return true;
}

void CFile::Close()
{
    if (m_hFile == hFileNull)
        return;
    const int fd = m_hFile;
    m_hFile = hFileNull;
    // Linux frees the descriptor even when close reports EINTR: never retry.
    if (::close(fd) != 0 && errno != EINTR)
        CFileException::ThrowOsError(errno, m_strFileName);
}

void CFile::Abort()
{
    if (m_hFile == hFileNull)
        return;
    ::close(m_hFile);
    m_hFile = hFileNull;
}

unsigned CFile::Read(void* buffer, unsigned count)
{
    if (m_hFile == hFileNull)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    if (count == 0)
        return 0;
    if (!buffer)
        throw CFileException(CFileException::genericException, EFAULT, m_strFileName);
    auto* bytes = static_cast<unsigned char*>(buffer);
    unsigned done = 0;
    // Short reads happen only at the end of the file, as callers expect.
    while (done < count) {
        const size_t chunk = std::min<size_t>(count - done, SSIZE_MAX);
        const ssize_t n = ::read(m_hFile, bytes + done, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, m_strFileName);
        }
        if (n == 0)
            break;
        done += static_cast<unsigned>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, unsigned count)
{
    if (m_hFile == hFileNull)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    if (count == 0)
        return;
    if (!buffer)
        throw CFileException(CFileException::genericException, EFAULT, m_strFileName);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    unsigned done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_hFile, bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, m_strFileName);
        }
        if (n == 0)
            throw CFileException(CFileException::diskFull, ENOSPC, m_strFileName);
        done += static_cast<unsigned>(n);
    }
}

void CFile::Flush()
{
    if (m_hFile == hFileNull)
        return;
    if (::fsync(m_hFile) != 0 && errno != EINVAL && errno != EROFS)
        CFileException::ThrowOsError(errno, m_strFileName);
}

uint64_t CFile::Seek(int64_t offset, unsigned from)
{
    if (m_hFile == hFileNull)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    int whence;
    switch (from) {
    case begin:
        whence = SEEK_SET;
        break;
    case current:
        whence = SEEK_CUR;
        break;
    case end:
        whence = SEEK_END;
        break;
    default:
        throw CFileException(CFileException::badSeek, EINVAL, m_strFileName);
    }
    const off_t result = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (result < 0) {
        const int error = errno;
        // A position before the start is a bad seek, not a bad path.
        throw CFileException(error == EINVAL ? CFileException::badSeek
                                             : CFileException::OsErrorToException(error),
                             error, m_strFileName);
    }
    return static_cast<uint64_t>(result);
}

uint64_t CFile::GetPosition() const
{
    if (m_hFile == hFileNull)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    const off_t result = ::lseek(m_hFile, 0, SEEK_CUR);
    if (result < 0)
        CFileException::ThrowOsError(errno, m_strFileName);
    return static_cast<uint64_t>(result);
}

uint64_t CFile::GetLength() const
{
    if (m_hFile == hFileNull)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    struct stat st;
    if (::fstat(m_hFile, &st) != 0)
        CFileException::ThrowOsError(errno, m_strFileName);
    return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t length)
{
    if (m_hFile == hFileNull)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    if (length > static_cast<uint64_t>(INT64_MAX))
        throw CFileException(CFileException::badSeek, EINVAL, m_strFileName);
    int result;
    do {
        result = ::ftruncate(m_hFile, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        CFileException::ThrowOsError(errno, m_strFileName);
}

bool CFile::GetLastWriteTime(FILETIME& time) const
{
    struct stat st;
    if (m_hFile == hFileNull || ::fstat(m_hFile, &st) != 0)
        return false;
    time = AfxTimespecToFileTime(st.st_mtim);
    return true;
}

QString CFile::GetFileName() const
{
    const qsizetype slash = m_strFileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? m_strFileName : m_strFileName.mid(slash + 1);
}

CMemFile::CMemFile(const unsigned char* data, uint64_t size, const QString& path)
    : m_data(data), m_size(data ? size : 0)
{
    m_strFileName = path;
}

bool CMemFile::Open(const QString&, unsigned, CFileException* error)
{
    if (error)
        *error = CFileException(CFileException::accessDenied, EACCES, m_strFileName);
    return false;
}

void CMemFile::Close() {}

void CMemFile::Abort() {}

unsigned CMemFile::Read(void* buffer, unsigned count)
{
    if (count == 0)
        return 0;
    if (!buffer)
        throw CFileException(CFileException::genericException, EFAULT, m_strFileName);
    const uint64_t left = m_position < m_size ? m_size - m_position : 0;
    const auto n = static_cast<unsigned>(std::min<uint64_t>(count, left));
    if (n != 0)
        std::memcpy(buffer, m_data + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void*, unsigned)
{
    throw CFileException(CFileException::accessDenied, EACCES, m_strFileName);
}

void CMemFile::Flush() {}

uint64_t CMemFile::Seek(int64_t offset, unsigned from)
{
    int64_t base;
    switch (from) {
    case begin:
        base = 0;
        break;
    case current:
        base = static_cast<int64_t>(m_position);
        break;
    case end:
        base = static_cast<int64_t>(m_size);
        break;
    default:
        throw CFileException(CFileException::badSeek, EINVAL, m_strFileName);
    }
    // As lseek: any position at or after the start, past the end included.
    if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset))
        throw CFileException(CFileException::badSeek, EINVAL, m_strFileName);
    m_position = static_cast<uint64_t>(base + offset);
    return m_position;
}

uint64_t CMemFile::GetPosition() const
{
    return m_position;
}

uint64_t CMemFile::GetLength() const
{
    return m_size;
}

void CMemFile::SetLength(uint64_t)
{
    throw CFileException(CFileException::accessDenied, EACCES, m_strFileName);
}
