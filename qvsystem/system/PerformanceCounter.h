#pragma once
// Elapsed wall time of an operation on the monotonic clock (nanosecond counts).

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

class QVSYSTEM_EXPORT CPerformanceCounter {
public:
    CPerformanceCounter();

    // Begins a measurement; false when one is running or the clock cannot be read.
    bool Start();
    // Ends the running measurement; false when none is running.
    bool Stop();

    // Seconds between Start and Stop; 0.0 without a finished measurement.
    double GetElapsedTime() const;
    // The elapsed seconds with that many decimals ("%.Nf"); empty for more than 16 or
    // fewer than 0.
    QString GetElapsedTimeText(int decimals) const;

    bool IsRunning() const { return m_bIsRunning; }
    bool HasValidTime() const { return m_bHasValidTime; }

private:
    bool m_bHasValidTime = false;
    bool m_bIsRunning = false;
    int64_t m_nFrequency = 0;
    int64_t m_nStartCount = 0;
    int64_t m_nStopCount = 0;
};
