// The recordsets behind the lists: sorting by every column, the filters, and the
// summaries of the browsing lists.

#include "cordalib/library/Recordset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

std::vector<std::unique_ptr<CSongRecord>> MakeSongs()
{
    struct Row {
        const char* title;
        const char* artist;
        const char* album;
        uint16_t year;
    } rows[] = {
        {"b", "Zed", "One", 1990},         {"A", "abba", "Two", 1980},  {"c", "Abba", "Two", 1970},
        {"\xe9t\xe9", "Zed", "One", 2000}, {"D", "Zed", "Three", 1960},
    };
    std::vector<std::unique_ptr<CSongRecord>> songs;
    uint64_t id = 1;
    for (const Row& r : rows) {
        songs.push_back(std::make_unique<CSongRecord>(id++, r.title, r.artist, r.album, r.year, false,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr, QString(),
                                                      COleDateTime(), 0, nullptr, 0));
    }
    return songs;
}

std::vector<std::string> Titles(const CSongRecordset& set)
{
    std::vector<std::string> titles;
    for (size_t i = 0; i < set.GetCount(); ++i)
        titles.push_back(set.Get(i)->GetTitle());
    return titles;
}

} // namespace

// Columns out of range are refused and change nothing; indexed access out of range is
// null.
TEST(RecordsetTest, OutOfRangeColumns)
{
    const auto songs = MakeSongs();
    CSongRecordset set;
    for (const auto& s : songs)
        set.Add(s.get());
    EXPECT_FALSE(set.Sort(16, true));
    EXPECT_FALSE(set.Sort(-1, true));
    EXPECT_EQ(set.GetSortColumn(), -1);
    EXPECT_EQ(set.GetSortRuns(), 0u);
    EXPECT_EQ(set.Get(5), nullptr);
    EXPECT_EQ(set.Get(0)->GetTitle(), "b");

    CLessonRecordset lessons;
    EXPECT_FALSE(lessons.Sort(12, true));
    EXPECT_TRUE(lessons.Sort(11, true));
    CArtistSummaryRecordset artists;
    EXPECT_FALSE(artists.Sort(2, true));
    EXPECT_TRUE(artists.Sort(1, true));
}

// A repeated sort with the same column and direction does no work (the entry added
// since stays where it is) unless forced.
TEST(RecordsetTest, RepeatedSortSortsOnce)
{
    auto songs = MakeSongs();
    CSongRecordset set;
    for (const auto& s : songs)
        set.Add(s.get());
    ASSERT_TRUE(set.Sort(songFieldTitle, true));
    EXPECT_EQ(Titles(set), (std::vector<std::string>{"A", "b", "c", "D", "\xe9t\xe9"}));
    CSongRecord late(9, "0 first", nullptr, nullptr, 0, false, nullptr, nullptr, nullptr, nullptr, nullptr,
                     QString(), COleDateTime(), 0, nullptr, 0);
    set.Add(&late);
    EXPECT_TRUE(set.Sort(songFieldTitle, true));
    EXPECT_EQ(set.GetSortRuns(), 1u);
    EXPECT_EQ(set.Get(5), &late);
    EXPECT_TRUE(set.Sort(songFieldTitle, true, true));
    EXPECT_EQ(set.Get(0), &late);
    ASSERT_TRUE(set.Sort(songFieldTitle, false));
    EXPECT_EQ(set.Get(0)->GetTitle(), "\xe9t\xe9");
    EXPECT_EQ(set.GetSortRuns(), 3u);
    EXPECT_FALSE(set.IsSortAscending());
}

// Filters: exact texts, full-list order re-sorted by the stored column, the all-markers
// restore everything, and a filter that matches nothing shows all entries.
TEST(RecordsetTest, SongFilter)
{
    auto songs = MakeSongs();
    CSongRecordset set;
    for (const auto& s : songs)
        set.Add(s.get());
    EXPECT_FALSE(set.Filter(nullptr, SUMMARY_KEY_ALL));
    ASSERT_TRUE(set.Sort(songFieldYear, true));
    ASSERT_TRUE(set.Filter("Zed", SUMMARY_KEY_ALL));
    EXPECT_EQ(Titles(set), (std::vector<std::string>{"D", "b", "\xe9t\xe9"}));
    EXPECT_TRUE(set.IsFilterActive());
    ASSERT_TRUE(set.Filter("Zed", "One"));
    EXPECT_EQ(set.GetCount(), 2u);
    ASSERT_TRUE(set.Filter("abba", SUMMARY_KEY_ALL));
    EXPECT_EQ(Titles(set), (std::vector<std::string>{"A"})) << "artist texts compare case-sensitively";

    ASSERT_TRUE(set.Filter("Nobody", SUMMARY_KEY_ALL));
    EXPECT_EQ(set.GetCount(), 5u);
    EXPECT_FALSE(set.IsFilterActive());

    ASSERT_TRUE(set.Filter("Zed", SUMMARY_KEY_ALL));
    ASSERT_TRUE(set.Filter(SUMMARY_KEY_ALL, SUMMARY_KEY_NONE));
    EXPECT_EQ(Titles(set), (std::vector<std::string>{"D", "c", "A", "b", "\xe9t\xe9"}))
        << "re-sorted by year";

    // Removing takes the entry out of the filtered and the full list.
    ASSERT_TRUE(set.Filter("Zed", SUMMARY_KEY_ALL));
    EXPECT_TRUE(set.Remove(songs[0].get()));
    EXPECT_EQ(set.GetCount(), 2u);
    EXPECT_FALSE(set.Remove(songs[0].get()));
    EXPECT_EQ(set.GetAllEntries().size(), 4u);
}

// Lesson filters accept the values in range and the all-markers only.
TEST(RecordsetTest, LessonFilter)
{
    std::vector<std::unique_ptr<CLessonRecord>> lessons;
    const uint16_t styles[] = {2, 2, 17, 9};
    const uint8_t levels[] = {0, 1, 1, 2};
    for (int i = 0; i < 4; ++i) {
        lessons.push_back(std::make_unique<CLessonRecord>(i + 1, "L", nullptr, styles[i], levels[i], nullptr,
                                                          nullptr, QString(), COleDateTime(), 0, nullptr, 0));
    }
    CLessonRecordset set;
    for (const auto& l : lessons)
        set.Add(l.get());
    EXPECT_FALSE(set.Filter(19, LESSON_LEVEL_ALL));
    EXPECT_FALSE(set.Filter(LESSON_STYLE_ALL, 3));
    EXPECT_TRUE(set.Filter(2, LESSON_LEVEL_ALL));
    EXPECT_EQ(set.GetCount(), 2u);
    EXPECT_TRUE(set.Filter(LESSON_STYLE_ALL, 1));
    EXPECT_EQ(set.GetCount(), 2u);
    EXPECT_TRUE(set.Filter(2, 1));
    ASSERT_EQ(set.GetCount(), 1u);
    EXPECT_EQ(set.Get(0)->GetId(), 2u);
    EXPECT_TRUE(set.Filter(LESSON_STYLE_ALL, LESSON_LEVEL_ALL));
    EXPECT_EQ(set.GetCount(), 4u);
    // By style name: Blues, Blues, General, Rock.
    ASSERT_TRUE(set.Sort(lessonFieldStyle, true));
    EXPECT_EQ(set.Get(2)->GetStyle(), 9);
    EXPECT_EQ(set.Get(3)->GetStyle(), 17);
}

// Summaries group by exact text (two artists differing only in case are two groups),
// count, and sort by their group.
TEST(RecordsetTest, Summaries)
{
    auto songs = MakeSongs();
    std::vector<CSongRecord*> base;
    for (const auto& s : songs)
        base.push_back(s.get());
    CArtistSummaryRecordset artists;
    artists.Build(base);
    ASSERT_EQ(artists.GetCount(), 3u);
    uint64_t abbaCounts = 0;
    for (size_t i = 0; i < artists.GetCount(); ++i) {
        if (artists.Get(i)->m_artist == "abba" || artists.Get(i)->m_artist == "Abba") {
            EXPECT_EQ(artists.Get(i)->m_count, 1u);
            ++abbaCounts;
        }
    }
    EXPECT_EQ(abbaCounts, 2u);
    EXPECT_EQ(artists.Get(2)->m_artist, "Zed");
    EXPECT_EQ(artists.Get(2)->m_count, 3u);
    ASSERT_TRUE(artists.Sort(1, false));
    EXPECT_EQ(artists.Get(0)->m_artist, "Zed");
    // A summary sort always sorts.
    ASSERT_TRUE(artists.Sort(1, false));
    EXPECT_EQ(artists.GetSortRuns(), 3u);

    CAlbumSummaryRecordset albums;
    albums.Build(base);
    ASSERT_EQ(albums.GetCount(), 3u);
    EXPECT_EQ(albums.Get(0)->m_album, "One");
    EXPECT_EQ(albums.Get(1)->m_album, "Three");

    std::vector<std::unique_ptr<CLessonRecord>> lessons;
    std::vector<CLessonRecord*> lessonBase;
    for (uint16_t style : {17, 0, 17, 40}) {
        lessons.push_back(std::make_unique<CLessonRecord>(1, "L", nullptr, style, 1, nullptr, nullptr,
                                                          QString(), COleDateTime(), 0, nullptr, 0));
        lessonBase.push_back(lessons.back().get());
    }
    CLessonStyleSummaryRecordset styles;
    styles.Build(lessonBase);
    ASSERT_EQ(styles.GetCount(), 3u);
    EXPECT_EQ(styles.Get(0)->m_style, 0);  // Alternative
    EXPECT_EQ(styles.Get(1)->m_style, 17); // Rock
    EXPECT_EQ(styles.Get(1)->m_count, 2u);
    EXPECT_EQ(styles.Get(2)->m_style, 40); // Unknown
    CLessonLevelSummaryRecordset levels;
    levels.Build(lessonBase);
    ASSERT_EQ(levels.GetCount(), 1u);
    EXPECT_EQ(levels.Get(0)->m_count, 4u);
}

// Every column of a large recordset sorts into the order of the record comparison, in
// both directions (the precomputed keys must agree with the rule).
TEST(RecordsetTest, EveryColumnMatchesRecordComparison)
{
    std::mt19937 rng(5);
    const std::string letters = "aAbBcC \xe9\xc9\xe8-\xdf";
    const auto text = [&] {
        std::string t;
        for (int i = 0, n = 1 + int(rng() % 6); i < n; ++i)
            t.push_back(letters[rng() % letters.size()]);
        return t;
    };
    std::vector<std::unique_ptr<CSongRecord>> songs;
    for (int i = 0; i < 2000; ++i) {
        songs.push_back(std::make_unique<CSongRecord>(
            rng(), text().c_str(), text().c_str(), text().c_str(), uint16_t(rng() % 50), rng() % 2 == 0,
            text().c_str(), text().c_str(), text().c_str(), text().c_str(), text().c_str(),
            QStringLiteral("/m/") + QString::fromLatin1(text().c_str()),
            COleDateTime(double(rng() % 100), rng() % 7 == 0 ? COleDateTime::invalid : COleDateTime::valid),
            rng() % 1000, text().c_str(), uint8_t(rng() % 6)));
    }
    CSongRecordset set;
    for (const auto& s : songs)
        set.Add(s.get());
    for (int column = 0; column < songFieldCount; ++column) {
        for (bool ascending : {true, false}) {
            ASSERT_TRUE(set.Sort(column, ascending));
            for (size_t i = 1; i < set.GetCount(); ++i) {
                const int order = CSongRecord::Compare(*set.Get(i - 1), *set.Get(i), column);
                ASSERT_TRUE(ascending ? order <= 0 : order >= 0) << "column " << column << " at " << i;
            }
        }
    }
}

// Long titles that share their start ("The ...", a whole title inside a longer one) are
// decided by the later words of their sort keys and by the keys' lengths; a wrong word,
// padding or length rule would put such titles out of the collation's order.
TEST(RecordsetTest, TitlesSharingLongStartsSortByCollation)
{
    std::mt19937 rng(11);
    const char* starts[] = {"The ", "the ", "The Long And Winding Road", "THE LONG AND WINDING ROAD ", ""};
    const std::string letters = "aAeE \xe9\xc9\xe6\xdf\xad";
    std::vector<std::unique_ptr<CSongRecord>> songs;
    for (int i = 0; i < 1500; ++i) {
        std::string title = starts[rng() % std::size(starts)];
        for (int k = 0, n = int(rng() % 20); k < n; ++k)
            title.push_back(letters[rng() % letters.size()]);
        songs.push_back(std::make_unique<CSongRecord>(i + 1, title.c_str(), nullptr, nullptr, 0, false,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr, QString(),
                                                      COleDateTime(), 0, nullptr, 0));
    }
    CSongRecordset set;
    for (const auto& s : songs)
        set.Add(s.get());
    for (bool ascending : {true, false}) {
        ASSERT_TRUE(set.Sort(songFieldTitle, ascending, true));
        ASSERT_EQ(set.GetCount(), songs.size());
        int ties = 0;
        for (size_t i = 1; i < set.GetCount(); ++i) {
            const int order = CSongRecord::Compare(*set.Get(i - 1), *set.Get(i), songFieldTitle);
            ties += order == 0;
            ASSERT_TRUE(ascending ? order <= 0 : order >= 0)
                << "'" << set.Get(i - 1)->GetTitle() << "' before '" << set.Get(i)->GetTitle() << "'";
        }
        EXPECT_GT(ties, 10);
    }
}

// Lists of tens of thousands of songs are keyed, sorted and counted a part per core: a
// key word taken from the wrong part, a merge that drops, repeats or misorders entries,
// or summary counts split between the parts' groups would show against the record
// comparison and a plain count.
TEST(RecordsetTest, LargeListsSortAndCountAsOnePass)
{
    std::mt19937 rng(23);
    const std::string letters = "aAbB \xe9\xc9-";
    const auto text = [&](int longest) {
        std::string t = rng() % 3 == 0 ? "The " : "";
        for (int i = 0, n = 1 + int(rng() % longest); i < n; ++i)
            t.push_back(letters[rng() % letters.size()]);
        return t;
    };
    std::vector<std::unique_ptr<CSongRecord>> songs;
    std::map<std::string, uint64_t> artistCounts;
    std::map<std::string, uint64_t> albumCounts;
    for (int i = 0; i < 70001; ++i) {
        const std::string artist = text(3);
        const std::string album = text(5);
        ++artistCounts[artist];
        ++albumCounts[album];
        songs.push_back(std::make_unique<CSongRecord>(i + 1, text(14).c_str(), artist.c_str(), album.c_str(),
                                                      0, false, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      QString(), COleDateTime(), 0, nullptr, 0));
    }
    CSongRecordset set;
    std::vector<CSongRecord*> all;
    for (const auto& s : songs) {
        set.Add(s.get());
        all.push_back(s.get());
    }
    for (bool ascending : {true, false}) {
        ASSERT_TRUE(set.Sort(songFieldTitle, ascending, true));
        ASSERT_EQ(set.GetCount(), songs.size());
        std::vector<CSongRecord*> sorted;
        for (size_t i = 0; i < set.GetCount(); ++i) {
            sorted.push_back(set.Get(i));
            if (i > 0) {
                const int order = CSongRecord::Compare(*set.Get(i - 1), *set.Get(i), songFieldTitle);
                ASSERT_TRUE(ascending ? order <= 0 : order >= 0) << "at " << i;
            }
        }
        std::sort(sorted.begin(), sorted.end());
        std::vector<CSongRecord*> original = all;
        std::sort(original.begin(), original.end());
        ASSERT_EQ(sorted, original) << "every song once";
    }

    CArtistSummaryRecordset artists;
    artists.Build(all);
    CAlbumSummaryRecordset albums;
    albums.Build(all);
    std::map<std::string, uint64_t> seenArtists;
    for (size_t i = 0; i < artists.GetCount(); ++i)
        seenArtists[artists.Get(i)->m_artist] += artists.Get(i)->m_count;
    std::map<std::string, uint64_t> seenAlbums;
    for (size_t i = 0; i < albums.GetCount(); ++i)
        seenAlbums[albums.Get(i)->m_album] += albums.Get(i)->m_count;
    EXPECT_EQ(artists.GetCount(), artistCounts.size()) << "one group per exact text";
    EXPECT_EQ(seenArtists, artistCounts);
    EXPECT_EQ(albums.GetCount(), albumCounts.size());
    EXPECT_EQ(seenAlbums, albumCounts);
}
