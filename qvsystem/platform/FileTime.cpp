#include "qvsystem/platform/FileTime.h"

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace {

constexpr int64_t TICKS_PER_SECOND = 10000000;
constexpr int64_t UNIX_EPOCH_SECONDS = static_cast<int64_t>(FILETIME_UNIX_EPOCH / TICKS_PER_SECOND);

} // namespace

FILETIME AfxTimespecToFileTime(const timespec& time)
{
    // Times before 1601 have no file time; they clamp to its start, as far-future ones
    // clamp to its end, instead of wrapping around.
    const int64_t seconds = static_cast<int64_t>(time.tv_sec);
    if (seconds < -UNIX_EPOCH_SECONDS)
        return 0;
    const uint64_t sinceStart = static_cast<uint64_t>(seconds + UNIX_EPOCH_SECONDS);
    if (sinceStart > UINT64_MAX / TICKS_PER_SECOND - 1)
        return UINT64_MAX;
    int64_t nsec = time.tv_nsec;
    if (nsec < 0)
        nsec = 0;
    if (nsec > 999999999)
        nsec = 999999999;
    return sinceStart * TICKS_PER_SECOND + static_cast<uint64_t>(nsec / 100);
}

timespec AfxFileTimeToTimespec(FILETIME time)
{
    timespec result{};
    const int64_t seconds = static_cast<int64_t>(time / TICKS_PER_SECOND) - UNIX_EPOCH_SECONDS;
    result.tv_sec = static_cast<time_t>(seconds);
    result.tv_nsec = static_cast<long>((time % TICKS_PER_SECOND) * 100);
    return result;
}

int CompareFileTime(FILETIME a, FILETIME b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool AfxGetFileLastWriteTime(const QString& path, FILETIME& time)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0)
        return false;
    time = AfxTimespecToFileTime(st.st_mtim);
    return true;
}
