#include "TestSupport.h"

#include "qvsystem/platform/OleDateTime.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace corda::test;

namespace {

void ExpectParts(const COleDateTime& t, int y, int mo, int d, int h, int mi, int s)
{
    EXPECT_EQ(t.GetYear(), y);
    EXPECT_EQ(t.GetMonth(), mo);
    EXPECT_EQ(t.GetDay(), d);
    EXPECT_EQ(t.GetHour(), h);
    EXPECT_EQ(t.GetMinute(), mi);
    EXPECT_EQ(t.GetSecond(), s);
}

// Sets TZ for one test and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        m_hadOld = std::getenv("TZ") != nullptr;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

} // namespace

// Known day counts pin the epoch, the leap-year rules and the negative-day layout.
TEST(OleDateTimeTest, KnownDayCounts)
{
    struct Case {
        int y, mo, d, h, mi, s;
        double days;
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},       {1900, 1, 1, 0, 0, 0, 2.0},       {1900, 3, 1, 0, 0, 0, 61.0},
        {2000, 1, 1, 0, 0, 0, 36526.0},     {2000, 1, 1, 18, 0, 0, 36526.75}, {1899, 12, 29, 6, 0, 0, -1.25},
        {1899, 12, 29, 18, 0, 0, -1.75},    {1800, 1, 1, 12, 0, 0, -36522.5}, {100, 1, 1, 0, 0, 0, -657434.0},
        {9999, 12, 31, 0, 0, 0, 2958465.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        const COleDateTime t(c.y, c.mo, c.d, c.h, c.mi, c.s);
        ASSERT_EQ(t.GetStatus(), COleDateTime::valid);
        EXPECT_DOUBLE_EQ(t.m_dt, c.days);
        ExpectParts(COleDateTime(c.days), c.y, c.mo, c.d, c.h, c.mi, c.s);
    }
    EXPECT_EQ(COleDateTime(0.0).GetDayOfWeek(), 7);  // Saturday
    EXPECT_EQ(COleDateTime(-1.5).GetDayOfWeek(), 6); // Friday
    EXPECT_EQ(COleDateTime(2026, 12, 8, 0, 0, 0).GetDayOfWeek(), 3);
    EXPECT_EQ(COleDateTime(2000, 12, 31, 0, 0, 0).GetDayOfYear(), 366);
    EXPECT_EQ(COleDateTime(1900, 12, 31, 0, 0, 0).GetDayOfYear(), 365);
}

// Every second of sample days must survive compose, double, breakdown: truncating the
// fraction instead of rounding would lose a second on many of them.
TEST(OleDateTimeTest, SecondsSurviveTheDouble)
{
    for (const int year : {100, 1899, 1900, 2026, 9999}) {
        const int month = year == 1899 ? 12 : 6;
        const int day = year == 1899 ? 29 : 15;
        for (int second = 0; second < 86400; second += 7) {
            const COleDateTime t(year, month, day, second / 3600, second / 60 % 60, second % 60);
            SYSTEMTIME st;
            ASSERT_TRUE(t.GetAsSystemTime(st));
            ASSERT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, year * 10000 + month * 100 + day);
            ASSERT_EQ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond, second) << year;
            ASSERT_EQ(st.wMilliseconds, 0);
            ASSERT_EQ(COleDateTime(st), t);
        }
    }
    // Just below midnight rounds up into the next day.
    ExpectParts(COleDateTime(36526.0 - 1e-10), 2000, 1, 1, 0, 0, 0);
}

// Out-of-range parts give an invalid value whose parts read as errors.
TEST(OleDateTimeTest, SetDateTimeValidates)
{
    const int bad[][6] = {{2026, 13, 1, 0, 0, 0}, {2026, 0, 1, 0, 0, 0},  {1900, 2, 29, 0, 0, 0},
                          {2026, 4, 31, 0, 0, 0}, {2026, 1, 1, 24, 0, 0}, {2026, 1, 1, 0, 60, 0},
                          {2026, 1, 1, 0, 0, 60}, {99, 1, 1, 0, 0, 0},    {10000, 1, 1, 0, 0, 0}};
    for (const auto& p : bad) {
        COleDateTime t;
        EXPECT_NE(t.SetDateTime(p[0], p[1], p[2], p[3], p[4], p[5]), 0);
        EXPECT_EQ(t.GetStatus(), COleDateTime::invalid);
        EXPECT_EQ(t.GetYear(), -1);
        EXPECT_TRUE(t.FormatIso8601Utc().isEmpty());
    }
    COleDateTime leap;
    EXPECT_EQ(leap.SetDate(2000, 2, 29), 0);
    EXPECT_EQ(COleDateTime(3e6).GetYear(), -1);
    EXPECT_EQ(COleDateTime(0.0, COleDateTime::null).GetMonth(), -1);
}

// Sorting must follow the calendar even where negative day counts run backwards.
TEST(OleDateTimeTest, OrderFollowsTheCalendar)
{
    std::vector<COleDateTime> values = {COleDateTime(1.0),  COleDateTime(-1.75), COleDateTime(0.25),
                                        COleDateTime(-2.0), COleDateTime(-1.25), COleDateTime(-0.9)};
    std::sort(values.begin(), values.end());
    std::vector<double> order;
    for (const COleDateTime& v : values)
        order.push_back(v.m_dt);
    // -0.9 is 1899-12-30 21:36, after 0.25 (06:00 the same day).
    EXPECT_EQ(order, (std::vector<double>{-2.0, -1.25, -1.75, 0.25, -0.9, 1.0}));
    EXPECT_EQ(COleDateTime(-0.5), COleDateTime(0.5)); // the same moment
    EXPECT_LT(COleDateTime(-1.25), COleDateTime(-1.75));
    EXPECT_NE(COleDateTime(1.0), COleDateTime(1.0, COleDateTime::invalid));
}

// UTC and local time convert through the C library's rules, daylight saving included.
TEST(OleDateTimeTest, UtcAndLocalConversions)
{
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    COleDateTime local;
    ASSERT_TRUE(PlatformUtcToLocalTime(COleDateTime(2026, 7, 1, 12, 0, 0), local));
    ExpectParts(local, 2026, 7, 1, 14, 0, 0);
    ASSERT_TRUE(PlatformUtcToLocalTime(COleDateTime(2026, 12, 31, 23, 30, 15), local));
    ExpectParts(local, 2027, 1, 1, 0, 30, 15);
    COleDateTime utc;
    ASSERT_TRUE(PlatformLocalTimeToUtc(COleDateTime(2026, 1, 15, 0, 30, 0), utc));
    ExpectParts(utc, 2026, 1, 14, 23, 30, 0);
    ASSERT_TRUE(PlatformLocalTimeToUtc(COleDateTime(1970, 1, 1, 0, 59, 59), utc));
    ExpectParts(utc, 1969, 12, 31, 23, 59, 59); // mktime's -1, a real time
    EXPECT_FALSE(PlatformUtcToLocalTime(COleDateTime(0.0, COleDateTime::invalid), local));

    ScopedTimeZone west("EST5");
    ASSERT_TRUE(PlatformUtcToLocalTime(COleDateTime(1899, 12, 29, 6, 0, 0), local));
    ExpectParts(local, 1899, 12, 29, 1, 0, 0);
    COleDateTime back;
    ASSERT_TRUE(PlatformLocalTimeToUtc(local, back));
    EXPECT_EQ(back, COleDateTime(1899, 12, 29, 6, 0, 0));

    const COleDateTime nowUtc = COleDateTime::GetCurrentUTCTime();
    COleDateTime nowLocalAsUtc;
    ASSERT_TRUE(PlatformLocalTimeToUtc(COleDateTime::GetCurrentTime(), nowLocalAsUtc));
    // Both clocks read within the same minute unless the machine is suspended between.
    EXPECT_LT(std::abs(nowLocalAsUtc.m_dt - nowUtc.m_dt), 60.0 / 86400);
}

// File times and timespecs convert exactly, with the epoch offsets in place.
TEST(OleDateTimeTest, FileTimeConversions)
{
    EXPECT_DOUBLE_EQ(COleDateTime::FromFileTime(FILETIME_UNIX_EPOCH).m_dt, 25569.0);
    ExpectParts(COleDateTime::FromFileTime(0), 1601, 1, 1, 0, 0, 0);
    const COleDateTime t(2026, 12, 8, 8, 20, 42);
    EXPECT_EQ(t.FormatIso8601Utc(), QStringLiteral("2026-12-08T08:20:42Z"));
    FILETIME ft = 0;
    ASSERT_TRUE(t.GetAsFileTime(ft));
    EXPECT_EQ(ft % 10000000, 0u);
    EXPECT_EQ(COleDateTime::FromFileTime(ft), t);
    EXPECT_FALSE(COleDateTime(1600, 12, 31, 0, 0, 0).GetAsFileTime(ft));
    EXPECT_EQ(COleDateTime::FromFileTime(UINT64_MAX).GetStatus(), COleDateTime::invalid);

    EXPECT_EQ(AfxTimespecToFileTime(timespec{0, 0}), FILETIME_UNIX_EPOCH);
    EXPECT_EQ(AfxTimespecToFileTime(timespec{1, 550}), FILETIME_UNIX_EPOCH + 10000005);
    EXPECT_EQ(AfxTimespecToFileTime(timespec{-1, 999999900}), FILETIME_UNIX_EPOCH - 1);
    EXPECT_EQ(AfxTimespecToFileTime(timespec{-20000000000LL, 0}), 0u);
    const timespec back = AfxFileTimeToTimespec(FILETIME_UNIX_EPOCH - 1);
    EXPECT_EQ(back.tv_sec, -1);
    EXPECT_EQ(back.tv_nsec, 999999900);
    EXPECT_EQ(CompareFileTime(1, 2), -1);
    EXPECT_EQ(CompareFileTime(2, 2), 0);
    EXPECT_EQ(CompareFileTime(UINT64_MAX, 0), 1);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.crd"));
    WriteAll(path, "x");
    const timespec times[2] = {{1700000000, 123456700}, {1700000000, 123456700}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    FILETIME written = 0;
    ASSERT_TRUE(AfxGetFileLastWriteTime(path, written));
    EXPECT_EQ(written, FILETIME_UNIX_EPOCH + 17000000001234567ULL);
    EXPECT_FALSE(AfxGetFileLastWriteTime(dir.filePath(QStringLiteral("none")), written));
}
