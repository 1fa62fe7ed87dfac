// The list search scans every field of the library on each keystroke; its matches must be
// exactly those of stristr, the case-insensitive search of the 8-bit texts.

#include "cordalib/app/RecordSearch.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/system/TextUtilities.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

bool Reference(const std::string& field, const std::string& pattern)
{
    return stristr(field.c_str(), pattern.c_str()) != nullptr;
}

// Texts over letters of both cases (accented ones, Š/š and Ÿ/ÿ included), other bytes of
// every kind and, now and then, an embedded zero byte; long enough for the word scan.
std::string RandomText(std::mt19937& rng, size_t maxLength)
{
    static const std::string common = "theTHEaAsS \xe9\xc9\x8a\x9a\x9f\xff\xdf\xe6\xc6-";
    std::string text;
    const size_t length = rng() % (maxLength + 1);
    for (size_t i = 0; i < length; ++i) {
        const unsigned roll = rng() % 20;
        if (roll == 0)
            text.push_back(static_cast<char>(rng() % 256)); // any byte, zero included
        else
            text.push_back(common[rng() % common.size()]);
    }
    return text;
}

} // namespace

// A skipped word that held the first letter, a match cut at a zero byte or found past
// one, a fold that differs from stristr's, or a pattern read past its end would all show
// up as a different answer on some of these texts.
TEST(RecordSearch, SameMatchesAsStristrOnEveryField)
{
    std::mt19937 rng(42);
    std::vector<std::string> patterns = {"the",
                                         "THE",
                                         "\xc9t\xc9",
                                         "\x8a",
                                         "\x9f",
                                         "a",
                                         "s s",
                                         "\xe6"
                                         "a"};
    for (int i = 0; i < 60; ++i)
        patterns.push_back(RandomText(rng, 4));
    patterns.push_back(std::string("th\0e", 4)); // stristr sees "th"
    patterns.push_back(std::string("\0x", 2));   // stristr sees an empty pattern

    int matches = 0, misses = 0;
    for (int i = 0; i < 400; ++i) {
        CSongRecord song;
        song.SetTitle(RandomText(rng, 40));
        song.SetArtist(RandomText(rng, 20));
        song.SetAlbum(RandomText(rng, 20));
        song.SetComposer(RandomText(rng, 12));
        song.SetLyricist(RandomText(rng, 12));
        song.SetArranger(RandomText(rng, 12));
        song.SetTranscriber(RandomText(rng, 12));
        CLessonRecord lesson;
        lesson.SetTitle(song.GetTitle());
        lesson.SetSubtitle(song.GetAlbum());
        lesson.SetAuthor(song.GetArtist());
        const std::string songFields[] = {song.GetTitle(),      song.GetArtist(),   song.GetAlbum(),
                                          song.GetComposer(),   song.GetLyricist(), song.GetArranger(),
                                          song.GetTranscriber()};
        for (const std::string& pattern : patterns) {
            if (pattern.empty())
                continue;
            bool any = false;
            for (int f = 0; f < 7; ++f) {
                const bool expected = Reference(songFields[f], pattern);
                any = any || expected;
                ASSERT_EQ(SongMatchesSearch(song, pattern, f + 1), expected)
                    << "field " << f + 1 << " '" << songFields[f] << "' / '" << pattern << "'";
            }
            ASSERT_EQ(SongMatchesSearch(song, pattern, songSearchAll), any);
            (any ? matches : misses)++;
            const bool lessonAny = Reference(lesson.GetTitle(), pattern) ||
                                   Reference(lesson.GetSubtitle(), pattern) ||
                                   Reference(lesson.GetAuthor(), pattern);
            ASSERT_EQ(LessonMatchesSearch(lesson, pattern, lessonSearchAll), lessonAny);
            ASSERT_EQ(LessonMatchesSearch(lesson, pattern, lessonSearchAuthor),
                      Reference(lesson.GetAuthor(), pattern));
        }
    }
    EXPECT_GT(matches, 1000);
    EXPECT_GT(misses, 1000);
}

// The fixed cases a user meets: case and accents of the code page, and the empty search.
TEST(RecordSearch, CaseFoldsThroughTheCodePage)
{
    CSongRecord song;
    song.SetTitle("Les \xc9T\xc9S de \x8a"
                  "afran");
    song.SetArtist("The Beatles");
    EXPECT_TRUE(SongMatchesSearch(song, "\xe9t\xe9s", songSearchTitle));
    EXPECT_TRUE(SongMatchesSearch(song,
                                  "\x9a"
                                  "AFRAN",
                                  songSearchAll));
    EXPECT_FALSE(SongMatchesSearch(song, "etes", songSearchAll)) << "accents are not ignored";
    EXPECT_TRUE(SongMatchesSearch(song, "beatles", songSearchArtist));
    EXPECT_FALSE(SongMatchesSearch(song, "beatles", songSearchTitle));
    EXPECT_TRUE(SongMatchesSearch(song, "", songSearchTitle));
    EXPECT_FALSE(SongMatchesSearch(song, "the", 99));
}
