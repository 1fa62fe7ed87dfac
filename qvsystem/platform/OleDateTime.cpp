#include "qvsystem/platform/OleDateTime.h"

#include <cmath>
#include <ctime>

namespace {

constexpr int AFX_OLE_DATETIME_ERROR = -1;
constexpr int64_t MS_PER_DAY = 86400000;
// 0100-01-01 and 9999-12-31, the calendar's range.
constexpr int64_t MIN_DAY = -657434;
constexpr int64_t MAX_DAY = 2958465;
// Days from 1899-12-30 (day 0) to 1970-01-01, and from 1601-01-01 to 1899-12-30.
constexpr int64_t UNIX_EPOCH_DAY = 25569;
constexpr int64_t FILETIME_EPOCH_DAYS = 109205;

int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Proleptic Gregorian calendar on days since 1970-01-01.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// A negative day count holds the day backwards and the time of day forwards: -1.25 is
// 1899-12-29 06:00. The linear form counts both forwards, so it orders as the calendar.
double ToLinear(double dt)
{
    if (dt >= 0.0)
        return dt;
    const double whole = std::trunc(dt);
    return whole + (whole - dt);
}

// Milliseconds since 1899-12-30 00:00, rounded to the nearest one as Windows does, so a
// time that went through a double comes back to the same second. False outside the
// calendar's range.
bool ToMilliseconds(const COleDateTime& value, int64_t& ms)
{
    if (value.m_status != COleDateTime::valid || !std::isfinite(value.m_dt))
        return false;
    if (value.m_dt <= static_cast<double>(MIN_DAY - 1) || value.m_dt >= static_cast<double>(MAX_DAY + 1))
        return false;
    ms = std::llround(ToLinear(value.m_dt) * static_cast<double>(MS_PER_DAY));
    const int64_t day = FloorDiv(ms, MS_PER_DAY);
    return day >= MIN_DAY && day <= MAX_DAY;
}

double FromMilliseconds(int64_t ms)
{
    const int64_t day = FloorDiv(ms, MS_PER_DAY);
    const double fraction = static_cast<double>(ms - day * MS_PER_DAY) / static_cast<double>(MS_PER_DAY);
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

struct Parts {
    int year, month, day, hour, minute, second, millisecond, dayOfWeek, dayOfYear;
};

bool Breakdown(const COleDateTime& value, Parts& parts)
{
    int64_t ms;
    if (!ToMilliseconds(value, ms))
        return false;
    const int64_t day = FloorDiv(ms, MS_PER_DAY);
    int64_t rest = ms - day * MS_PER_DAY;
    const int64_t unixDay = day - UNIX_EPOCH_DAY;
    CivilFromDays(unixDay, parts.year, parts.month, parts.day);
    parts.millisecond = static_cast<int>(rest % 1000);
    rest /= 1000;
    parts.second = static_cast<int>(rest % 60);
    rest /= 60;
    parts.minute = static_cast<int>(rest % 60);
    parts.hour = static_cast<int>(rest / 60);
    // 1970-01-01 was a Thursday.
    parts.dayOfWeek = static_cast<int>(((unixDay + 4) % 7 + 7) % 7);
    parts.dayOfYear = static_cast<int>(unixDay - DaysFromCivil(parts.year, 1, 1)) + 1;
    return true;
}

bool ComposeMilliseconds(int year, int month, int day, int hour, int minute, int second, int millisecond,
                         int64_t& ms)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return false;
    const int64_t oleDay = DaysFromCivil(year, month, day) + UNIX_EPOCH_DAY;
    ms = oleDay * MS_PER_DAY + ((hour * 60 + minute) * 60 + second) * 1000 + millisecond;
    return true;
}

COleDateTime FromParts(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    int64_t ms;
    if (!ComposeMilliseconds(year, month, day, hour, minute, second, millisecond, ms))
        return COleDateTime(0.0, COleDateTime::invalid);
    return COleDateTime(FromMilliseconds(ms));
}

COleDateTime FromUnixMilliseconds(int64_t unixMs)
{
    const int64_t ms = unixMs + UNIX_EPOCH_DAY * MS_PER_DAY;
    const int64_t day = FloorDiv(ms, MS_PER_DAY);
    if (day < MIN_DAY || day > MAX_DAY)
        return COleDateTime(0.0, COleDateTime::invalid);
    return COleDateTime(FromMilliseconds(ms));
}

COleDateTime FromTm(const struct tm& tm, int millisecond)
{
    return FromParts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec > 59 ? 59 : tm.tm_sec, millisecond);
}

} // namespace

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime::COleDateTime(const SYSTEMTIME& time)
{
    *this = FromParts(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                      time.wMilliseconds);
}

COleDateTime COleDateTime::FromFileTime(FILETIME time)
{
    const uint64_t ms = time / 10000 + (time % 10000 >= 5000 ? 1 : 0);
    return FromUnixMilliseconds(static_cast<int64_t>(ms) -
                                (FILETIME_EPOCH_DAYS + UNIX_EPOCH_DAY) * MS_PER_DAY);
}

COleDateTime COleDateTime::GetCurrentTime()
{
    const time_t now = ::time(nullptr);
    struct tm tm;
    if (!::localtime_r(&now, &tm))
        return COleDateTime(0.0, invalid);
    return FromTm(tm, 0);
}

COleDateTime COleDateTime::GetCurrentUTCTime()
{
    // Whole seconds, as the Windows clock functions give them.
    return FromUnixMilliseconds(static_cast<int64_t>(::time(nullptr)) * 1000);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    *this = FromParts(year, month, day, hour, minute, second, 0);
    return m_status == valid ? 0 : 1;
}

int COleDateTime::GetYear() const
{
    Parts p;
    return Breakdown(*this, p) ? p.year : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetMonth() const
{
    Parts p;
    return Breakdown(*this, p) ? p.month : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetDay() const
{
    Parts p;
    return Breakdown(*this, p) ? p.day : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetHour() const
{
    Parts p;
    return Breakdown(*this, p) ? p.hour : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetMinute() const
{
    Parts p;
    return Breakdown(*this, p) ? p.minute : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetSecond() const
{
    Parts p;
    return Breakdown(*this, p) ? p.second : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetDayOfWeek() const
{
    Parts p;
    return Breakdown(*this, p) ? p.dayOfWeek + 1 : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetDayOfYear() const
{
    Parts p;
    return Breakdown(*this, p) ? p.dayOfYear : AFX_OLE_DATETIME_ERROR;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    Parts p;
    if (!Breakdown(*this, p))
        return false;
    time.wYear = static_cast<uint16_t>(p.year);
    time.wMonth = static_cast<uint16_t>(p.month);
    time.wDayOfWeek = static_cast<uint16_t>(p.dayOfWeek);
    time.wDay = static_cast<uint16_t>(p.day);
    time.wHour = static_cast<uint16_t>(p.hour);
    time.wMinute = static_cast<uint16_t>(p.minute);
    time.wSecond = static_cast<uint16_t>(p.second);
    time.wMilliseconds = static_cast<uint16_t>(p.millisecond);
    return true;
}

bool COleDateTime::GetAsFileTime(FILETIME& time) const
{
    int64_t ms;
    if (!ToMilliseconds(*this, ms))
        return false;
    const int64_t since1601 = ms + FILETIME_EPOCH_DAYS * MS_PER_DAY;
    if (since1601 < 0)
        return false;
    time = static_cast<uint64_t>(since1601) * 10000;
    return true;
}

QString COleDateTime::FormatIso8601Utc() const
{
    Parts p;
    if (!Breakdown(*this, p))
        return QString();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", p.year, p.month, p.day, p.hour, p.minute,
                             p.second);
}

bool COleDateTime::operator==(const COleDateTime& other) const
{
    if (m_status != other.m_status)
        return false;
    // Values that are not valid carry no time: equal by status alone.
    return m_status != valid || ToLinear(m_dt) == ToLinear(other.m_dt);
}

bool COleDateTime::operator<(const COleDateTime& other) const
{
    if (m_status != other.m_status)
        return m_status < other.m_status;
    return m_status == valid && ToLinear(m_dt) < ToLinear(other.m_dt);
}

bool PlatformUtcToLocalTime(const COleDateTime& utc, COleDateTime& local)
{
    int64_t ms;
    if (!ToMilliseconds(utc, ms))
        return false;
    const int64_t unixMs = ms - UNIX_EPOCH_DAY * MS_PER_DAY;
    const int64_t seconds = FloorDiv(unixMs, 1000);
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm;
    if (!::localtime_r(&t, &tm))
        return false;
    const COleDateTime result = FromTm(tm, static_cast<int>(unixMs - seconds * 1000));
    if (result.GetStatus() != COleDateTime::valid)
        return false;
    local = result;
    return true;
}

bool PlatformLocalTimeToUtc(const COleDateTime& local, COleDateTime& utc)
{
    Parts p;
    if (!Breakdown(local, p))
        return false;
    struct tm tm {};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    tm.tm_isdst = -1;
    // mktime's -1 is also a real time (one second before 1970): a sentinel tells them apart.
    tm.tm_yday = -1;
    const time_t t = ::mktime(&tm);
    if (t == static_cast<time_t>(-1) && tm.tm_yday == -1)
        return false;
    const COleDateTime result = FromUnixMilliseconds(static_cast<int64_t>(t) * 1000 + p.millisecond);
    if (result.GetStatus() != COleDateTime::valid)
        return false;
    utc = result;
    return true;
}
