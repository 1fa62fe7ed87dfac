#pragma once
// OLE automation date: days since 1899-12-30 as a double (fraction = time of day) with a
// status. Negative values count whole days backwards with a positive time fraction, as
// on Windows.

#include "qvsystem/platform/FileTime.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

struct SYSTEMTIME {
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0; // 0 = Sunday
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
};

class QVSYSTEM_EXPORT COleDateTime {
public:
    enum DateTimeStatus : int32_t { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default; // 0.0, valid
    explicit COleDateTime(double days, DateTimeStatus status = valid) : m_dt(days), m_status(status) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second);
    explicit COleDateTime(const SYSTEMTIME& time);
    // No time-zone conversion: the file time's clock is taken as it is.
    static COleDateTime FromFileTime(FILETIME time);

    // The current local time, and the current UTC time.
    static COleDateTime GetCurrentTime();
    static COleDateTime GetCurrentUTCTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // 0 on success; an out-of-range part makes the value invalid.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }

    // Calendar parts; -1 (AFX_OLE_DATETIME_ERROR) for a value that is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday
    int GetDayOfYear() const;
    bool GetAsSystemTime(SYSTEMTIME& time) const;
    // No time-zone conversion; false for an invalid value or one before 1601.
    bool GetAsFileTime(FILETIME& time) const;
    // ISO 8601 with a trailing Z ("2026-12-08T08:20:42Z"), for a value held in UTC.
    QString FormatIso8601Utc() const;

    // Comparisons follow the calendar order (negative day counts included).
    bool operator==(const COleDateTime& other) const;
    bool operator!=(const COleDateTime& other) const { return !(*this == other); }
    bool operator<(const COleDateTime& other) const;
    bool operator>(const COleDateTime& other) const { return other < *this; }
    bool operator<=(const COleDateTime& other) const { return !(other < *this); }
    bool operator>=(const COleDateTime& other) const { return !(*this < other); }

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;
};

// Conversions through the C library's time-zone rules; false when the value is not valid
// or the platform cannot convert it.
QVSYSTEM_EXPORT bool PlatformUtcToLocalTime(const COleDateTime& utc, COleDateTime& local);
QVSYSTEM_EXPORT bool PlatformLocalTimeToUtc(const COleDateTime& local, COleDateTime& utc);
