// The record values: defaults, the null rules of the setters, display names, and the
// comparison rule of each field.

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LessonTypes.h"
#include "cordalib/library/SongRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// Defaults and copies: a copy keeps the id.
TEST(RecordTest, DefaultsAndCopies)
{
    const CLessonRecord lesson;
    EXPECT_EQ(lesson.GetStyle(), lessonStyleGeneral);
    EXPECT_EQ(lesson.GetLevel(), lessonLevelBeginner);
    EXPECT_EQ(lesson.GetDateAdded().GetStatus(), COleDateTime::valid);
    EXPECT_EQ(lesson.GetDateAdded().m_dt, 0.0);

    CSongRecord song(77, "Title", nullptr, "Album", 1999, true, nullptr, nullptr, nullptr, nullptr, nullptr,
                     QString(), COleDateTime(45000.0), 5, nullptr, 3);
    EXPECT_EQ(song.GetArtist(), "");
    EXPECT_TRUE(song.GetPath().isEmpty());
    const CSongRecord copy = song;
    EXPECT_EQ(copy.GetId(), 77u);
    EXPECT_EQ(copy.GetTitle(), "Title");
    CSongRecord assigned;
    assigned = song;
    EXPECT_EQ(assigned.GetId(), 77u);
}

// Null path and checksum are refused and leave the field; empty ones are stored.
TEST(RecordTest, NullPathAndChecksumRefused)
{
    CSongRecord song;
    ASSERT_TRUE(song.SetPath(QStringLiteral("/a.crd")));
    ASSERT_TRUE(song.SetChecksum("abc"));
    EXPECT_FALSE(song.SetPath(QString()));
    EXPECT_FALSE(song.SetChecksum(static_cast<const char*>(nullptr)));
    EXPECT_EQ(song.GetPath(), QStringLiteral("/a.crd"));
    EXPECT_EQ(song.GetChecksum(), "abc");
    EXPECT_TRUE(song.SetPath(QStringLiteral("")));
    EXPECT_TRUE(song.SetChecksum(""));
    EXPECT_TRUE(song.GetPath().isEmpty());

    CLessonRecord lesson;
    EXPECT_FALSE(lesson.SetPath(QString()));
    EXPECT_FALSE(lesson.SetChecksum(static_cast<const char*>(nullptr)));
}

// Out-of-range style or level shows "Unknown" instead of failing.
TEST(RecordTest, DisplayNames)
{
    EXPECT_TRUE(LoadLessonStyleNames());
    EXPECT_TRUE(LoadLessonLevelNames());
    EXPECT_TRUE(LoadTraditionalTexts());
    CLessonRecord lesson;
    lesson.SetStyle(lessonStyleProgressiveRock);
    lesson.SetLevel(lessonLevelAdvanced);
    EXPECT_EQ(lesson.GetStyleName(), QStringLiteral("Progressive Rock"));
    EXPECT_EQ(lesson.GetLevelName(), QStringLiteral("Advanced"));
    lesson.SetStyle(19);
    lesson.SetLevel(3);
    EXPECT_EQ(lesson.GetStyleName(), QStringLiteral("Unknown"));
    EXPECT_EQ(lesson.GetLevelName(), QStringLiteral("Unknown"));
    lesson.SetStyle(0xFFFF);
    EXPECT_EQ(lesson.GetStyleName(), QStringLiteral("Unknown"));
    CSongRecord song;
    EXPECT_EQ(song.GetTraditionalText(), QStringLiteral("No"));
    song.SetTraditional(true);
    EXPECT_EQ(song.GetTraditionalText(), QStringLiteral("Yes"));
}

// Field rules: texts ignore case, ids compare as unsigned 64-bit, styles by their names
// (Rock after Reggae, Alternative first, unknown styles as "Unknown").
TEST(RecordTest, FieldComparisons)
{
    CSongRecord a, b;
    a.SetTitle("Hello");
    b.SetTitle("hELLO");
    EXPECT_EQ(CSongRecord::Compare(a, b, songFieldTitle), 0);
    a.SetId(0x100000000ULL);
    b.SetId(0xFFFFFFFFULL);
    EXPECT_GT(CSongRecord::Compare(a, b, songFieldId), 0);
    a.SetLastWriteTime(2);
    b.SetLastWriteTime(10);
    EXPECT_LT(CSongRecord::Compare(a, b, songFieldLastWriteTime), 0);
    a.SetPath(QStringLiteral("/B.crd"));
    b.SetPath(QStringLiteral("/a.crd"));
    EXPECT_GT(CSongRecord::Compare(a, b, songFieldPath), 0);

    CLessonRecord x, y;
    x.SetStyle(lessonStyleRock);
    y.SetStyle(lessonStyleReggae);
    EXPECT_GT(CLessonRecord::Compare(x, y, lessonFieldStyle), 0);
    y.SetStyle(40); // "Unknown" sorts between "Swing" and nothing after it
    x.SetStyle(lessonStyleSwing);
    EXPECT_LT(CLessonRecord::Compare(x, y, lessonFieldStyle), 0);
    x.SetStyle(lessonStyleAlternative);
    EXPECT_LT(CLessonRecord::Compare(x, y, lessonFieldStyle), 0);
}

// An invalid date is never less than another; it orders after every valid date, so a
// sort over mixed dates sees a consistent order (and cannot run out of bounds).
TEST(RecordTest, InvalidDatesOrderLast)
{
    std::vector<CSongRecord> songs(200);
    for (size_t i = 0; i < songs.size(); ++i) {
        songs[i].SetId(i);
        songs[i].SetDateAdded(i % 3 == 0 ? COleDateTime(1.0, COleDateTime::invalid)
                                         : COleDateTime(double(songs.size() - i)));
    }
    const CSongRecord& invalid = songs[0];
    const CSongRecord& valid = songs[1];
    EXPECT_GE(CSongRecord::Compare(invalid, valid, songFieldDateAdded), 0);
    EXPECT_EQ(CSongRecord::Compare(invalid, songs[3], songFieldDateAdded), 0);
    std::vector<const CSongRecord*> order;
    for (const CSongRecord& s : songs)
        order.push_back(&s);
    std::sort(order.begin(), order.end(), [](const CSongRecord* l, const CSongRecord* r) {
        return CSongRecord::Compare(*l, *r, songFieldDateAdded) < 0;
    });
    bool seenInvalid = false;
    for (size_t i = 0; i < order.size(); ++i) {
        const bool isInvalid = order[i]->GetDateAdded().GetStatus() != COleDateTime::valid;
        EXPECT_FALSE(seenInvalid && !isInvalid) << "valid date after an invalid one at " << i;
        seenInvalid = seenInvalid || isInvalid;
        if (i > 0 && !isInvalid) {
            EXPECT_LE(order[i - 1]->GetDateAdded().m_dt, order[i]->GetDateAdded().m_dt);
        }
    }
}
