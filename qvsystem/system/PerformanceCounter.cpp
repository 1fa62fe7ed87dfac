#include "qvsystem/system/PerformanceCounter.h"

#include <time.h>

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

bool ReadCounter(int64_t& count)
{
    timespec now{};
    if (::clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return false;
    count = static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
    return true;
}

} // namespace

CPerformanceCounter::CPerformanceCounter()
{
    timespec resolution{};
    // A clock that cannot be read has no frequency; Start then fails.
    if (::clock_getres(CLOCK_MONOTONIC, &resolution) == 0)
        m_nFrequency = kNanosecondsPerSecond;
}

bool CPerformanceCounter::Start()
{
    if (m_bIsRunning || m_nFrequency == 0)
        return false;
    int64_t count;
    if (!ReadCounter(count))
        return false;
    m_nStartCount = count;
    m_bIsRunning = true;
    m_bHasValidTime = false;
    return true;
}

bool CPerformanceCounter::Stop()
{
    if (!m_bIsRunning)
        return false;
    int64_t count;
    if (!ReadCounter(count))
        count = m_nStartCount;
    m_nStopCount = count;
    m_bIsRunning = false;
    m_bHasValidTime = true;
    return true;
}

double CPerformanceCounter::GetElapsedTime() const
{
    if (!m_bHasValidTime || m_nFrequency == 0)
        return 0.0;
    return static_cast<double>(m_nStopCount - m_nStartCount) / static_cast<double>(m_nFrequency);
}

QString CPerformanceCounter::GetElapsedTimeText(int decimals) const
{
    // A negative count would build a format that printf does not define.
    if (decimals < 0 || decimals > 16)
        return QString();
    return QString::asprintf("%.*f", decimals, GetElapsedTime());
}
