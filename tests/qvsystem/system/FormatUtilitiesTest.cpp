#include "qvsystem/system/FormatUtilities.h"

#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace {

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// Every test here runs in a known locale and gives the previous one back.
class FormatUtilitiesTest : public testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QStringLiteral("en_US"))); }
    void TearDown() override { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

// Sets the time zone for one scope and restores the previous one.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        m_zone.emplace("TZ", zone);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        m_zone.reset(); // the old value back first, then the C library reads it again
        ::tzset();
    }

private:
    std::optional<ScopedEnvironment> m_zone;
};

const COleDateTime kAfternoon(2026, 12, 8, 15, 4, 5);
const COleDateTime kInvalid(0.0, COleDateTime::invalid);

} // namespace

// Guards the shell's size texts: three significant digits, the unit switching at 1000 of
// the smaller one, and truncation (0.99 MB must not round up to 1.00 MB).
TEST_F(FormatUtilitiesTest, ShortFileSizeKeepsThreeTruncatedDigits)
{
    const struct {
        int64_t size;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {532, "532 bytes"},
        {1023, "1023 bytes"},
        {1024, "1.00 KB"},
        {1340, "1.30 KB"},
        {10239, "9.99 KB"},
        {10240, "10.0 KB"},
        {23506, "22.9 KB"},
        {102399, "99.9 KB"},
        {102400, "100 KB"},
        {1023999, "999 KB"},
        {1024000, "0.97 MB"},
        {1048575, "0.99 MB"},
        {2400016, "2.28 MB"},
        {1073741824, "1.00 GB"},
        {10995116277760, "10.0 TB"},
        {int64_t{1} << 50, "1.00 PB"},
        {int64_t{1} << 60, "1.00 EB"},
        {std::numeric_limits<int64_t>::max(), "7.99 EB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AfxFormatFileSize(c.size), Q(c.text)) << c.size;
}

// Guards negative sizes (a size difference, a damaged record): a signed text, and no
// overflow at the most negative value.
TEST_F(FormatUtilitiesTest, NegativeSizesCarryASign)
{
    EXPECT_EQ(AfxFormatFileSize(-532), Q("-532 bytes"));
    EXPECT_EQ(AfxFormatFileSize(-1340), Q("-1.30 KB"));
    EXPECT_EQ(AfxFormatFileSize(std::numeric_limits<int64_t>::min()), Q("-8.00 EB"));
    EXPECT_EQ(AfxFormatExtendedFileSize(-5000), Q("-4.88 KB"));
}

// Guards the extended text of the properties sheet: below 1024 bytes the short text alone,
// above it the exact count grouped as the locale groups digits.
TEST_F(FormatUtilitiesTest, ExtendedFileSizeAddsGroupedCount)
{
    EXPECT_EQ(AfxFormatExtendedFileSize(1023), Q("1023 bytes"));
    EXPECT_EQ(AfxFormatExtendedFileSize(1024), Q("1.00 KB (1,024 bytes)"));
    // 1,520,435 bytes are 1.44999 MB: cut, not rounded.
    EXPECT_EQ(AfxFormatExtendedFileSize(1520435), Q("1.44 MB (1,520,435 bytes)"));
    EXPECT_EQ(AfxFormatExtendedFileSize(std::numeric_limits<int64_t>::max()),
              Q("7.99 EB (9,223,372,036,854,775,807 bytes)"));

    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    EXPECT_EQ(AfxFormatExtendedFileSize(1520435), Q("1,44 MB (1.520.435 bytes)"));
    EXPECT_EQ(AfxFormatFileSize(23506), Q("22,9 KB"));
}

// Guards the translation of Windows pictures: quoted literals, doubled quotes, the one-digit
// year, 12-hour clocks (midnight is 12) and letters that are no field in that picture.
TEST_F(FormatUtilitiesTest, PicturesFollowWindowsSyntax)
{
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon, Q("yyyy'-'MM'-'dd")), Q("2026-12-08"));
    EXPECT_EQ(AfxFormatLocaleTime(kAfternoon, Q("HH':'mm':'ss")), Q("15:04:05"));
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon, Q("d/M/y yy")), Q("8/12/6 26"));
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon, Q("dddd, MMMM d, yyyy")), Q("Tuesday, December 8, 2026"));
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon, Q("ddd MMM")), Q("Tue Dec"));
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon, Q("'It''s' d 'o''clock' h")), Q("It's 8 o'clock h"));
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon, Q("dd''MM")), Q("08'12"));
    EXPECT_EQ(AfxFormatLocaleTime(kAfternoon, Q("h:mm tt")), Q("3:04 PM"));
    EXPECT_EQ(AfxFormatLocaleTime(kAfternoon, Q("hh t 'h' d")), Q("03 P h d"));
    EXPECT_EQ(AfxFormatLocaleTime(COleDateTime(2026, 1, 2, 0, 5, 9), Q("h:m:s tt H")), Q("12:5:9 AM 0"));
    EXPECT_EQ(AfxFormatLocaleDate(COleDateTime(905, 3, 4, 0, 0, 0), Q("yyyy")), Q("0905"));
    EXPECT_EQ(AfxFormatLocaleDateTime(kAfternoon, Q("yyyy-MM-dd"), Q("HH:mm")), Q("2026-12-08 15:04"));
}

// Guards the default formats: the locale's dates, and a time with seconds but without the
// time zone that Qt's long format would add.
TEST_F(FormatUtilitiesTest, DefaultFormatsComeFromLocale)
{
    EXPECT_EQ(AfxGetLocaleShortDate(kAfternoon), Q("12/8/26"));
    EXPECT_EQ(AfxFormatLocaleDate(kAfternoon), Q("12/8/26"));
    EXPECT_EQ(AfxGetLocaleLongDate(kAfternoon), Q("Tuesday, December 8, 2026"));
    const QString time = AfxFormatLocaleTime(kAfternoon);
    EXPECT_TRUE(time.startsWith(Q("3:04:05"))) << time.toStdString();
    EXPECT_TRUE(time.endsWith(Q("PM"))) << time.toStdString();
    EXPECT_EQ(AfxGetLocaleShortDateTime(kAfternoon), Q("12/8/26 ") + time);
    EXPECT_EQ(AfxGetLocaleLongDateTime(kAfternoon), Q("Tuesday, December 8, 2026 ") + time);
    EXPECT_EQ(AfxFormatLocaleDateTime(kAfternoon), Q("12/8/26 ") + time);

    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    EXPECT_EQ(AfxFormatLocaleTime(kAfternoon), Q("15:04:05"));
    EXPECT_EQ(AfxGetLocaleShortDate(kAfternoon), Q("08.12.26"));
}

// Guards against texts for dates that do not exist: an invalid or null date-time shows
// nothing, not 1899-12-30.
TEST_F(FormatUtilitiesTest, InvalidDateTimeGivesEmptyText)
{
    const COleDateTime null(0.0, COleDateTime::null);
    for (const COleDateTime& value : {kInvalid, null, COleDateTime(1e9)}) {
        EXPECT_TRUE(AfxGetLocaleShortDate(value).isEmpty());
        EXPECT_TRUE(AfxGetLocaleLongDate(value).isEmpty());
        EXPECT_TRUE(AfxFormatLocaleDate(value, Q("yyyy")).isEmpty());
        EXPECT_TRUE(AfxFormatLocaleTime(value).isEmpty());
        EXPECT_TRUE(AfxFormatLocaleDateTime(value).isEmpty());
        EXPECT_TRUE(AfxGetLocaleShortDateTime(value).isEmpty());
        EXPECT_TRUE(AfxGetLocaleLongDateTime(value).isEmpty());
    }
}

// Guards the conversions that the lists use for "Date Added": the zone's offset and its
// summer time apply, the round trip is exact, and a failure leaves the output alone.
TEST_F(FormatUtilitiesTest, ConvertsBetweenUtcAndLocalTime)
{
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    COleDateTime local;
    ASSERT_TRUE(AfxUTCToLocalTime(COleDateTime(2026, 1, 15, 12, 0, 0), local));
    EXPECT_EQ(local, COleDateTime(2026, 1, 15, 13, 0, 0));
    ASSERT_TRUE(AfxUTCToLocalTime(COleDateTime(2026, 7, 1, 23, 30, 0), local));
    EXPECT_EQ(local, COleDateTime(2026, 7, 2, 1, 30, 0));

    COleDateTime utc;
    ASSERT_TRUE(AfxLocalTimeToUTC(COleDateTime(2026, 7, 2, 1, 30, 0), utc));
    EXPECT_EQ(utc, COleDateTime(2026, 7, 1, 23, 30, 0));

    COleDateTime untouched(2000, 1, 1, 0, 0, 0);
    EXPECT_FALSE(AfxUTCToLocalTime(kInvalid, untouched));
    EXPECT_FALSE(AfxLocalTimeToUTC(kInvalid, untouched));
    EXPECT_EQ(untouched, COleDateTime(2000, 1, 1, 0, 0, 0));
}

// Guards the clock: the current UTC time lies between two readings of the system clock,
// whatever the local zone.
TEST_F(FormatUtilitiesTest, CurrentUtcTimeIsTheSystemClock)
{
    ScopedTimeZone zone("JST-9");
    const int64_t before = QDateTime::currentSecsSinceEpoch();
    const COleDateTime now = AfxGetCurrentUTCTime();
    const int64_t after = QDateTime::currentSecsSinceEpoch();
    ASSERT_EQ(now.GetStatus(), COleDateTime::valid);
    const auto seconds = static_cast<int64_t>(std::llround((now.m_dt - 25569.0) * 86400.0));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}
