// The list search scans every field of the library on each keystroke; its matches must be
// exactly those of stristr, the case-insensitive search of the 8-bit texts.

#include "cordalib/app/RecordSearch.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/system/TextUtilities.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
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

namespace {

std::unique_ptr<CSongRecord> RandomSong(std::mt19937& rng)
{
    auto song = std::make_unique<CSongRecord>();
    song->SetTitle(RandomText(rng, 40));
    song->SetArtist(RandomText(rng, 20));
    song->SetAlbum(RandomText(rng, 20));
    song->SetComposer(RandomText(rng, 12));
    song->SetLyricist(RandomText(rng, 12));
    song->SetArranger(RandomText(rng, 12));
    song->SetTranscriber(RandomText(rng, 12));
    return song;
}

std::vector<CSongRecord*> SongsBySearch(const CLibraryDatabase& database, const std::string& text, int field)
{
    std::vector<CSongRecord*> songs;
    for (CSongRecord* song : database.GetSongs()) {
        if (SongMatchesSearch(*song, text, field))
            songs.push_back(song);
    }
    return songs;
}

std::vector<CLessonRecord*> LessonsBySearch(const CLibraryDatabase& database, const std::string& text,
                                            int field)
{
    std::vector<CLessonRecord*> lessons;
    for (CLessonRecord* lesson : database.GetLessons()) {
        if (LessonMatchesSearch(*lesson, text, field))
            lessons.push_back(lesson);
    }
    return lessons;
}

} // namespace

// The index scans one folded copy of all records sixteen places at a time: a match that
// spans two fields or two records, one in the last bytes of the copy, a hit credited to
// the wrong record or field, or a record listed twice would each differ from the
// record-by-record search on some of these.
TEST(RecordSearchIndex, SameRecordsAsTheRecordSearchForEveryField)
{
    std::mt19937 rng(7);
    CLibraryDatabase database;
    for (int i = 0; i < 300; ++i) {
        auto song = RandomSong(rng);
        auto lesson = std::make_unique<CLessonRecord>();
        lesson->SetTitle(song->GetTitle());
        lesson->SetSubtitle(song->GetAlbum());
        lesson->SetAuthor(song->GetArtist());
        database.AddSong(std::move(song));
        database.AddLesson(std::move(lesson));
    }
    std::vector<std::string> patterns = {"the", "THE", "\xc9t\xc9", "a", "s s", "the the the the the t", ""};
    for (int i = 0; i < 80; ++i)
        patterns.push_back(RandomText(rng, 1 + i % 24));
    // A pattern that only the end of the last record's last field holds.
    database.GetSongs().back()->SetTranscriber("zq");
    database.GetLessons().back()->SetAuthor("zq");
    database.SetModified();
    patterns.push_back("ZQ");

    CRecordSearchIndex index;
    std::vector<CSongRecord*> songs;
    std::vector<CLessonRecord*> lessons;
    size_t found = 0;
    for (const std::string& pattern : patterns) {
        for (int field = songSearchAll; field < SONG_SEARCH_FIELD_COUNT; ++field) {
            ASSERT_TRUE(index.FindSongs(database, pattern, field, songs));
            ASSERT_EQ(songs, SongsBySearch(database, pattern, field))
                << "'" << pattern << "' field " << field;
            found += songs.size();
        }
        for (int field = lessonSearchAll; field < LESSON_SEARCH_FIELD_COUNT; ++field) {
            ASSERT_TRUE(index.FindLessons(database, pattern, field, lessons));
            ASSERT_EQ(lessons, LessonsBySearch(database, pattern, field))
                << "'" << pattern << "' field " << field;
        }
    }
    EXPECT_GT(found, 1000u);
    EXPECT_EQ(index.GetBuildCount(), 2u) << "one copy of songs and one of lessons serve every search";

    index.FindSongs(database, "zq", songSearchTranscriber, songs);
    EXPECT_EQ(songs, std::vector<CSongRecord*>{database.GetSongs().back()});

    EXPECT_FALSE(index.FindSongs(database, "the", SONG_SEARCH_FIELD_COUNT, songs));
    EXPECT_TRUE(songs.empty());
    EXPECT_FALSE(index.FindLessons(database, "the", -1, lessons));
    EXPECT_TRUE(lessons.empty());
}

// A keystroke after an edit, a synchronization or a reload must see the library as it is
// now: the copy is made again whenever the database has changed, and only then.
TEST(RecordSearchIndex, FollowsEveryChangeOfTheLibrary)
{
    CLibraryDatabase database;
    auto first = std::make_unique<CSongRecord>();
    first->SetTitle("Yesterday");
    CSongRecord* yesterday = database.AddSong(std::move(first));
    CRecordSearchIndex index;
    std::vector<CSongRecord*> songs;

    index.FindSongs(database, "yester", songSearchAll, songs);
    EXPECT_EQ(songs, std::vector<CSongRecord*>{yesterday});
    index.FindSongs(database, "day", songSearchTitle, songs);
    EXPECT_EQ(index.GetBuildCount(), 1u) << "an unchanged library is not copied again";

    // An edit: the fields change, then the library is marked modified.
    yesterday->SetTitle("Tomorrow");
    database.SetModified();
    index.FindSongs(database, "yester", songSearchAll, songs);
    EXPECT_TRUE(songs.empty());
    index.FindSongs(database, "MORROW", songSearchAll, songs);
    EXPECT_EQ(songs, std::vector<CSongRecord*>{yesterday});

    // A saved library is marked unmodified; its records stay as they are.
    const uint64_t builds = index.GetBuildCount();
    database.SetModified(false);
    index.FindSongs(database, "morrow", songSearchAll, songs);
    EXPECT_EQ(index.GetBuildCount(), builds);

    auto second = std::make_unique<CSongRecord>();
    second->SetArtist("Tomorrow People");
    CSongRecord* people = database.AddSong(std::move(second));
    index.FindSongs(database, "morrow", songSearchAll, songs);
    EXPECT_EQ(songs, (std::vector<CSongRecord*>{yesterday, people}));

    database.RemoveSong(yesterday);
    index.FindSongs(database, "morrow", songSearchAll, songs);
    EXPECT_EQ(songs, std::vector<CSongRecord*>{people});

    // Another database, even one made where an earlier one was, is another library.
    std::optional<CLibraryDatabase> place;
    place.emplace();
    auto third = std::make_unique<CSongRecord>();
    third->SetTitle("Morrowind");
    place->AddSong(std::move(third));
    index.FindSongs(*place, "morrow", songSearchAll, songs);
    EXPECT_EQ(songs.size(), 1u);
    place.reset();
    place.emplace();
    place->AppendSong(std::make_unique<CSongRecord>());
    index.FindSongs(*place, "morrow", songSearchAll, songs);
    EXPECT_TRUE(songs.empty());

    database.Clear();
    index.FindSongs(database, "", songSearchAll, songs);
    EXPECT_TRUE(songs.empty());
}

namespace {

// Every search the lists can make, compared with the record-by-record search.
void ExpectSameAsRecordSearch(CRecordSearchIndex& index, const CLibraryDatabase& database,
                              const std::vector<std::string>& patterns, const char* step)
{
    std::vector<CSongRecord*> songs;
    std::vector<CLessonRecord*> lessons;
    for (const std::string& pattern : patterns) {
        for (int field = songSearchAll; field < SONG_SEARCH_FIELD_COUNT; ++field) {
            ASSERT_TRUE(index.FindSongs(database, pattern, field, songs));
            ASSERT_EQ(songs, SongsBySearch(database, pattern, field))
                << step << ": '" << pattern << "' field " << field;
        }
        for (int field = lessonSearchAll; field < LESSON_SEARCH_FIELD_COUNT; ++field) {
            ASSERT_TRUE(index.FindLessons(database, pattern, field, lessons));
            ASSERT_EQ(lessons, LessonsBySearch(database, pattern, field))
                << step << ": '" << pattern << "' field " << field;
        }
    }
}

} // namespace

// The copy is brought up to date block by block from the records the database names. A
// kept block whose record changed, a copied record taken from the wrong place, a removed
// record left in (or its neighbour dropped), an added record made where a removed one lay
// and taken for it, slivers of blocks, or a change the database did not name (a plain
// SetModified) handled as a named one would each give other matches than the
// record-by-record search in one of these rounds.
TEST(RecordSearchIndex, UpdatedCopyGivesTheSameMatchesAfterEachChange)
{
    std::mt19937 rng(11);
    CLibraryDatabase database;
    const size_t initial = 5 * CRecordSearchIndex::BLOCK_RECORDS + 17;
    for (size_t i = 0; i < initial; ++i) {
        database.AddSong(RandomSong(rng));
        if (i % 3 == 0) {
            auto lesson = std::make_unique<CLessonRecord>();
            lesson->SetTitle(RandomText(rng, 20));
            lesson->SetSubtitle(RandomText(rng, 20));
            lesson->SetAuthor(RandomText(rng, 10));
            database.AddLesson(std::move(lesson));
        }
    }
    std::vector<std::string> patterns = {"the", "\xc9t\xc9", "zq", "", "s s"};
    for (int i = 0; i < 6; ++i)
        patterns.push_back(RandomText(rng, 1 + i % 4));

    CRecordSearchIndex index;
    ExpectSameAsRecordSearch(index, database, patterns, "first copy");
    ASSERT_EQ(index.GetBuildCount(), 2u);
    const auto pick = [&]() { return database.GetSongs()[rng() % database.GetSongCount()]; };

    for (int round = 0; round < 12; ++round) {
        // An edit or a refresh from the file: new fields, the record named.
        for (int i = 0; i < 3; ++i) {
            CSongRecord* song = pick();
            song->SetTitle(RandomText(rng, 40) + "zq");
            song->SetTranscriber(RandomText(rng, 12));
            database.NoteSongChanged(song);
        }
        CLessonRecord* lesson = database.GetLessons()[rng() % database.GetLessonCount()];
        lesson->SetAuthor("ZQ " + RandomText(rng, 8));
        database.NoteLessonChanged(lesson);
        // Removals here and there, the first and last records among them now and then,
        // then adds, which the allocator may place where a removed record lay.
        for (int i = 0; i < 5; ++i)
            database.RemoveSong(pick());
        if (round % 4 == 0)
            database.RemoveSong(database.GetSongs().front());
        if (round % 4 == 1)
            database.RemoveSong(database.GetSongs().back());
        for (int i = 0; i < 4; ++i) {
            auto song = RandomSong(rng);
            song->SetArtist(song->GetArtist() + "zq");
            database.AddSong(std::move(song));
        }
        ExpectSameAsRecordSearch(index, database, patterns, "after named changes");
    }
    EXPECT_EQ(index.GetBuildCount(), 2u) << "named changes update the copy instead of making it anew";
    EXPECT_GE(index.GetUpdateCount(), 24u);

    // A field changed without naming the record: only a new copy can see it.
    CSongRecord* quiet = pick();
    quiet->SetAlbum("Unnamed QZX change");
    database.SetModified();
    std::vector<CSongRecord*> songs;
    index.FindSongs(database, "qzx", songSearchAlbum, songs);
    EXPECT_EQ(songs, std::vector<CSongRecord*>{quiet});
    EXPECT_EQ(index.GetBuildCount(), 3u);

    // A bulk removal (a folder taken out of the library) and a Clear followed by adds.
    while (database.GetSongCount() > CRecordSearchIndex::BLOCK_RECORDS / 3)
        database.RemoveSong(database.GetSongs()[database.GetSongCount() / 2]);
    ExpectSameAsRecordSearch(index, database, patterns, "after a bulk removal");
    database.Clear();
    for (int i = 0; i < 40; ++i)
        database.AddSong(RandomSong(rng));
    ExpectSameAsRecordSearch(index, database, patterns, "after a Clear and adds");
}

// The journal behind the updates: what it names, and when it must admit that it does not
// know (a change that named no record, a revision from before it, another database's).
TEST(LibraryDatabaseJournal, NamesAddedAndChangedRecordsUntilAnUnnamedChange)
{
    CLibraryDatabase database;
    CSongRecord* a = database.AddSong(std::make_unique<CSongRecord>());
    const uint64_t afterA = database.GetRevision();
    database.SetModified(false);
    CSongRecord* b = database.AddSong(std::make_unique<CSongRecord>());
    CLessonRecord* lesson = database.AddLesson(std::make_unique<CLessonRecord>());
    database.NoteSongChanged(a);
    EXPECT_TRUE(database.IsModified()) << "a named change marks the library modified";
    EXPECT_NE(database.GetRevision(), afterA);

    std::vector<const CSongRecord*> songs;
    std::vector<const CLessonRecord*> lessons;
    ASSERT_TRUE(database.GetSongsChangedSince(afterA, songs));
    EXPECT_EQ(songs, (std::vector<const CSongRecord*>{b, a}));
    ASSERT_TRUE(database.GetLessonsChangedSince(afterA, lessons));
    EXPECT_EQ(lessons, std::vector<const CLessonRecord*>{lesson});
    ASSERT_TRUE(database.GetSongsChangedSince(database.GetRevision(), songs));
    EXPECT_TRUE(songs.empty());

    // A removal changes the revision but names nothing: the lists simply lose the record.
    const uint64_t beforeRemoval = database.GetRevision();
    database.RemoveSong(b);
    EXPECT_NE(database.GetRevision(), beforeRemoval);
    ASSERT_TRUE(database.GetSongsChangedSince(beforeRemoval, songs));
    EXPECT_TRUE(songs.empty());

    database.NoteSongChanged(nullptr);
    ASSERT_TRUE(database.GetSongsChangedSince(beforeRemoval, songs));
    EXPECT_TRUE(songs.empty()) << "null names nothing";

    const uint64_t beforeUnnamed = database.GetRevision();
    database.SetModified();
    EXPECT_FALSE(database.GetSongsChangedSince(beforeUnnamed, songs));
    EXPECT_FALSE(database.GetLessonsChangedSince(afterA, lessons));
    EXPECT_TRUE(database.GetSongsChangedSince(database.GetRevision(), songs));

    CLibraryDatabase other;
    EXPECT_FALSE(database.GetSongsChangedSince(other.GetRevision(), songs))
        << "a revision of a later database is not one of this";
    const uint64_t beforeClear = database.GetRevision();
    database.Clear();
    EXPECT_FALSE(database.GetSongsChangedSince(beforeClear, songs));
}

// Typing a word searches each longer text only among the last text's matches. Narrowing
// that let a record in whose other field the shorter text lay, that took a text which only
// holds the last one somewhere other than at its start, that survived a change of the
// library, or that narrowed from a longer, an equal or another field's text would each
// give other matches than the record-by-record search here.
TEST(RecordSearchIndex, KeystrokesOfOneWordSearchOnlyAmongTheLastMatches)
{
    std::mt19937 rng(5);
    CLibraryDatabase database;
    for (int i = 0; i < 5000; ++i) // three blocks
        database.AddSong(RandomSong(rng));
    // The shorter text in the title, the longer one only in the artist.
    database.GetSongs()[10]->SetTitle("th-");
    database.GetSongs()[10]->SetArtist("the");
    database.SetModified();

    CRecordSearchIndex index;
    std::vector<CSongRecord*> songs;
    const auto search = [&](const std::string& text, int field, bool narrowed) {
        const uint64_t before = index.GetNarrowedCount();
        ASSERT_TRUE(index.FindSongs(database, text, field, songs));
        EXPECT_EQ(songs, SongsBySearch(database, text, field)) << "'" << text << "' field " << field;
        EXPECT_EQ(index.GetNarrowedCount() - before, narrowed ? 1u : 0u)
            << "'" << text << "' field " << field;
    };
    for (const int field : {int(songSearchAll), int(songSearchTitle), int(songSearchArtist)}) {
        search("t", field, false);
        search("th", field, true);
        search("THE", field, true);
        search("the ", field, true);
        search("the ", field, false); // the same text again
        search("he", field, false);   // shorter
        search("the", field, true);   // holds "he", though not at its start
        search("es", field, false);   // does not hold it
    }
    search("th", songSearchTitle, false);
    search("the", songSearchArtist, false); // another field
    search("th", songSearchArtist, false);

    // A change of the library: the copy is brought up to date and searched whole.
    database.GetSongs()[20]->SetTitle("the ththe");
    database.NoteSongChanged(database.GetSongs()[20]);
    search("thth", songSearchArtist, false);
    search("ththe", songSearchArtist, true);
    database.GetSongs()[30]->SetArtist("ththe");
    database.SetModified();
    search("ththe ", songSearchArtist, false);
    search("ththe", songSearchAll, false);
    EXPECT_GE(songs.size(), 2u);
}
