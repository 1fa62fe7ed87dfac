#include "cordalib/library/SongSortOrder.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/Recordset.h"
#include "cordalib/library/TextCollation.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Short texts from few letters: many titles tie (equal keys: case, or the same text).
std::string RandomText(std::mt19937& rng, int longest)
{
    static const std::string letters = "aAbB \xe9\xc9";
    std::string text = rng() % 4 == 0 ? "The " : "";
    for (int i = 0, n = 1 + int(rng() % longest); i < n; ++i)
        text.push_back(letters[rng() % letters.size()]);
    return text;
}

std::unique_ptr<CSongRecord> RandomSong(std::mt19937& rng, uint64_t id = 0)
{
    return std::make_unique<CSongRecord>(id, RandomText(rng, 3).c_str(), RandomText(rng, 2).c_str(),
                                         RandomText(rng, 4).c_str(), 0, false, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, QString(), COleDateTime(), 0, nullptr, 0);
}

// Every third song and every song whose title starts with "The": parts of the database in
// its order, as a search gives them.
std::vector<std::vector<CSongRecord*>> Parts(const CLibraryDatabase& database)
{
    std::vector<CSongRecord*> thirds, thes;
    for (size_t i = 0; i < database.GetSongCount(); ++i) {
        CSongRecord* song = database.GetSongs()[i];
        if (i % 3 == 0)
            thirds.push_back(song);
        if (song->GetTitle().rfind("The ", 0) == 0)
            thes.push_back(song);
    }
    return {database.GetSongs(), thirds, thes};
}

std::vector<CSongRecord*> Sorted(const std::vector<CSongRecord*>& entries, int column, bool ascending,
                                 CSongOrderSource* source)
{
    CSongRecordset set;
    set.SetOrderSource(source);
    for (CSongRecord* song : entries)
        set.Add(song);
    set.Sort(column, ascending, true);
    std::vector<CSongRecord*> out;
    for (size_t i = 0; i < set.GetCount(); ++i)
        out.push_back(set.Get(i));
    return out;
}

// One ready order per column and direction, as lists that keep their sort column have.
using COrders = std::array<CSongSortOrder, 4>;

// Checks that the ready orders give exactly the sort's rows for every part, column and
// direction.
void ExpectSameAsSort(const CLibraryDatabase& database, COrders& orders, const char* when)
{
    size_t o = 0;
    for (int column : {int(songFieldTitle), int(songFieldAlbum)}) {
        for (bool ascending : {true, false}) {
            CSongSortOrder& order = orders[o++];
            order.SetDatabase(&database);
            for (const std::vector<CSongRecord*>& part : Parts(database)) {
                ASSERT_EQ(Sorted(part, column, ascending, &order), Sorted(part, column, ascending, nullptr))
                    << when << ": column " << column << (ascending ? " ascending" : " descending") << ", "
                    << part.size() << " rows";
            }
        }
    }
}

uint64_t Builds(const COrders& orders)
{
    uint64_t builds = 0;
    for (const CSongSortOrder& order : orders)
        builds += order.GetBuildCount();
    return builds;
}

} // namespace

// Equal keys ("the", "The", the same title twice) must keep the list's order in both
// directions and at any size: a sort whose tie order depends on its inner steps or the
// number of cores cannot be reproduced by a ready order, and rows would jump.
TEST(SongSortOrderTest, EqualKeysKeepListOrder)
{
    if (!CTextCollation::Default().IsTableExact())
        GTEST_SKIP() << "the collation falls back to QCollator here";
    std::mt19937 rng(5);
    std::vector<std::unique_ptr<CSongRecord>> songs;
    for (int i = 0; i < 70000; ++i) // large enough to be sorted a part per core
        songs.push_back(RandomSong(rng, uint64_t(i) + 1));
    std::vector<CSongRecord*> entries;
    for (const auto& song : songs)
        entries.push_back(song.get());
    for (bool ascending : {true, false}) {
        const std::vector<CSongRecord*> sorted = Sorted(entries, songFieldTitle, ascending, nullptr);
        ASSERT_EQ(sorted.size(), entries.size());
        size_t ties = 0;
        for (size_t i = 1; i < sorted.size(); ++i) {
            const int c = CompareBySortKeys(sorted[i - 1]->GetTitle(), sorted[i]->GetTitle());
            ASSERT_TRUE(ascending ? c <= 0 : c >= 0) << "at " << i;
            if (c == 0) {
                ++ties;
                ASSERT_LT(sorted[i - 1]->GetId(), sorted[i]->GetId()) << "tie out of list order at " << i;
            }
        }
        EXPECT_GT(ties, 1000u) << "the titles should tie often";
    }
    // Case variants tie, and the comparison agrees with the collation's order.
    EXPECT_EQ(CompareBySortKeys("the wall", "The Wall"), 0);
    EXPECT_LT(CompareBySortKeys("a", "ab"), 0);
    EXPECT_GT(CompareBySortKeys("b", "ab"), 0);
}

// The ready order must give the sort's rows, ties included, after it is made, after
// edits, adds and removals that the database names (brought up to date, not made anew),
// and after a Clear; and it must decline rows that are not in the database's order, few
// rows, columns that are not texts, and rows of another database.
TEST(SongSortOrderTest, SameRowsAsTheSortThroughChanges)
{
    if (!CTextCollation::Default().IsTableExact())
        GTEST_SKIP() << "the collation falls back to QCollator here";
    std::mt19937 rng(11);
    CLibraryDatabase database;
    for (int i = 0; i < 3000; ++i)
        database.AddSong(RandomSong(rng));
    COrders orders;
    ExpectSameAsSort(database, orders, "made");
    EXPECT_EQ(Builds(orders), 4u);

    // Edits, adds and removals, each followed by requests.
    for (int round = 0; round < 6; ++round) {
        const uint64_t builds = Builds(orders);
        for (int k = 0; k < 5; ++k) {
            CSongRecord* song = database.GetSongs()[rng() % database.GetSongCount()];
            song->SetTitle(RandomText(rng, 3));
            song->SetAlbum(RandomText(rng, 4));
            database.NoteSongChanged(song);
        }
        database.RemoveSong(database.GetSongs()[rng() % database.GetSongCount()]);
        database.RemoveSong(database.GetSongs().front());
        database.AddSong(RandomSong(rng));
        ExpectSameAsSort(database, orders, "changed");
        EXPECT_EQ(Builds(orders), builds) << "brought up to date, not made anew, in round " << round;
    }
    for (const CSongSortOrder& order : orders)
        EXPECT_EQ(order.GetUpdateCount(), 6u);
    // Edits alone, a few and then many songs: the named ones leave their places and come
    // back where their new texts belong.
    for (const int edits : {3, 40}) {
        const uint64_t before = Builds(orders);
        for (int k = 0; k < edits; ++k) {
            CSongRecord* song = database.GetSongs()[rng() % database.GetSongCount()];
            song->SetTitle(RandomText(rng, 3));
            song->SetAlbum(RandomText(rng, 4));
            database.NoteSongChanged(song);
        }
        ExpectSameAsSort(database, orders, "edited");
        EXPECT_EQ(Builds(orders), before) << edits << " edits";
    }
    for (const CSongSortOrder& order : orders)
        EXPECT_EQ(order.GetUpdateCount(), 8u);
    CSongSortOrder& order = orders[0];

    // The sort of the same column again after a change is an update, not a build.
    const std::vector<CSongRecord*> all = database.GetSongs();
    ASSERT_EQ(Sorted(all, songFieldTitle, true, &order), Sorted(all, songFieldTitle, true, nullptr));
    const uint64_t builds = order.GetBuildCount();
    const uint64_t updates = order.GetUpdateCount();
    database.GetSongs()[7]->SetTitle("The new one");
    database.NoteSongChanged(database.GetSongs()[7]);
    ASSERT_EQ(Sorted(database.GetSongs(), songFieldTitle, true, &order),
              Sorted(database.GetSongs(), songFieldTitle, true, nullptr));
    EXPECT_EQ(order.GetBuildCount(), builds);
    EXPECT_EQ(order.GetUpdateCount(), updates + 1);

    // Declined: rows out of the database's order, few rows, a number column, no database.
    std::vector<CSongRecord*> reversed(database.GetSongs().rbegin(), database.GetSongs().rend());
    EXPECT_FALSE(order.PutInSortOrder(reversed, songFieldTitle, true));
    EXPECT_EQ(reversed, std::vector<CSongRecord*>(database.GetSongs().rbegin(), database.GetSongs().rend()));
    std::vector<CSongRecord*> few(database.GetSongs().begin(), database.GetSongs().begin() + 10);
    EXPECT_FALSE(order.PutInSortOrder(few, songFieldTitle, true));
    std::vector<CSongRecord*> rows = database.GetSongs();
    EXPECT_FALSE(order.PutInSortOrder(rows, songFieldYear, true));
    EXPECT_EQ(Sorted(reversed, songFieldTitle, false, &order),
              Sorted(reversed, songFieldTitle, false, nullptr));
    CLibraryDatabase other;
    for (int i = 0; i < 100; ++i)
        other.AddSong(RandomSong(rng));
    std::vector<CSongRecord*> foreign = other.GetSongs();
    EXPECT_FALSE(order.PutInSortOrder(foreign, songFieldTitle, true));
    EXPECT_TRUE(order.PutInSortOrder(rows, songFieldTitle, true));

    // A Clear names no record: the order is made anew from the new songs.
    database.Clear();
    for (int i = 0; i < 500; ++i)
        database.AddSong(RandomSong(rng));
    const uint64_t before = Builds(orders);
    ExpectSameAsSort(database, orders, "after Clear");
    EXPECT_EQ(Builds(orders), before + 4);
}
