#include "cordalib/app/CrashSignalSafe.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t PAGE_CHUNK = 4096; // far below any pipe's capacity

ssize_t RetryRead(int fd, void* buffer, size_t length)
{
    ssize_t count;
    do {
        count = ::read(fd, buffer, length);
    } while (count < 0 && errno == EINTR);
    return count;
}

} // namespace

CSafeMemoryReader::~CSafeMemoryReader()
{
    Close();
}

bool CSafeMemoryReader::Open()
{
    if (IsOpen())
        return true;
    if (::pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) == 0)
        return true;
    m_fds[0] = m_fds[1] = -1;
    return false;
}

void CSafeMemoryReader::Close()
{
    for (int& fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

size_t CSafeMemoryReader::ReadChunk(uintptr_t address, unsigned char* out, size_t length) const
{
    ssize_t written;
    do {
        written = ::write(m_fds[1], reinterpret_cast<const void*>(address), length);
    } while (written < 0 && errno == EINTR);
    if (written <= 0)
        return 0;
    // Take back exactly what went in, so the pipe is empty for the next read.
    size_t got = 0;
    while (got < static_cast<size_t>(written)) {
        const ssize_t count = RetryRead(m_fds[0], out + got, static_cast<size_t>(written) - got);
        if (count <= 0)
            break;
        got += static_cast<size_t>(count);
    }
    return got;
}

size_t CSafeMemoryReader::Read(uintptr_t address, void* out, size_t length) const
{
    if (!IsOpen())
        return 0;
    auto* bytes = static_cast<unsigned char*>(out);
    size_t done = 0;
    while (done < length) {
        const uintptr_t at = address + done;
        if (at < address) // wrapped past the top of the address space
            break;
        // Stay within one page, so that a partial answer means the next page is unreadable.
        size_t chunk = PAGE_CHUNK - (at % PAGE_CHUNK);
        if (chunk > length - done)
            chunk = length - done;
        const size_t got = ReadChunk(at, bytes + done, chunk);
        done += got;
        if (got < chunk)
            break;
    }
    return done;
}

size_t CrashReadSmallFile(const char* path, char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        buffer[0] = '\0';
        return 0;
    }
    size_t length = 0;
    while (length + 1 < size) {
        const ssize_t count = RetryRead(fd, buffer + length, size - 1 - length);
        if (count <= 0)
            break;
        length += static_cast<size_t>(count);
    }
    ::close(fd);
    buffer[length] = '\0';
    return length;
}

bool CrashParseHex(const char* text, size_t length, size_t* pos, uint64_t* value)
{
    uint64_t result = 0;
    const size_t start = *pos;
    while (*pos < length) {
        const char c = text[*pos];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        result = (result << 4) | digit;
        ++*pos;
    }
    *value = result;
    return *pos > start;
}

bool CrashParseDecimal(const char* text, size_t length, size_t* pos, uint64_t* value)
{
    uint64_t result = 0;
    const size_t start = *pos;
    while (*pos < length && text[*pos] >= '0' && text[*pos] <= '9') {
        result = result * 10 + static_cast<uint64_t>(text[*pos] - '0');
        ++*pos;
    }
    *value = result;
    return *pos > start;
}

bool CrashFindNumber(const char* text, size_t length, const char* key, uint64_t* value)
{
    const size_t keyLength = strlen(key);
    size_t line = 0;
    while (line < length) {
        if (length - line >= keyLength && memcmp(text + line, key, keyLength) == 0) {
            size_t pos = line + keyLength;
            while (pos < length && (text[pos] == ' ' || text[pos] == '\t'))
                ++pos;
            return CrashParseDecimal(text, length, &pos, value);
        }
        const void* end = memchr(text + line, '\n', length - line);
        if (!end)
            break;
        line = static_cast<size_t>(static_cast<const char*>(end) - text) + 1;
    }
    return false;
}

CrashCalendarTime CrashCalendarFromUnix(int64_t seconds)
{
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Days to the civil calendar, counted in 400-year eras from 0000-03-01.
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year),
            static_cast<int>(month),
            static_cast<int>(day),
            static_cast<int>(rest / 3600),
            static_cast<int>(rest % 3600 / 60),
            static_cast<int>(rest % 60)};
}

bool CrashCreateFolders(char* path)
{
    if (path[0] != '/')
        return false;
    for (char* p = path + 1;; ++p) {
        if (*p != '/' && *p != '\0')
            continue;
        const char saved = *p;
        *p = '\0';
        bool ok = true;
        if (::mkdir(path, 0700) != 0) {
            struct stat status;
            ok = errno == EEXIST && ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
        }
        *p = saved;
        if (!ok)
            return false;
        if (saved == '\0')
            return true;
        while (p[1] == '/') // "a//b" is one separator
            ++p;
        if (p[1] == '\0')
            return true;
    }
}

size_t CrashCopyText(char* out, size_t size, const char* text)
{
    if (size == 0)
        return 0;
    size_t length = 0;
    while (text[length] != '\0' && length + 1 < size) {
        out[length] = text[length];
        ++length;
    }
    out[length] = '\0';
    return length;
}

bool CrashAppendText(char* out, size_t size, size_t* length, const char* text)
{
    if (*length >= size)
        return false;
    const size_t added = CrashCopyText(out + *length, size - *length, text);
    *length += added;
    return text[added] == '\0';
}

const char* CrashFileNamePart(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}
