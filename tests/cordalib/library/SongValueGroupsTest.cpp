#include "cordalib/library/SongValueGroups.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/Recordset.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// Few letters: many songs share an artist or an album, and case variants occur.
std::string RandomText(std::mt19937& rng, int longest)
{
    static const std::string letters = "aAbB \xe9";
    std::string text;
    for (int i = 0, n = int(rng() % (longest + 1)); i < n; ++i)
        text.push_back(letters[rng() % letters.size()]);
    return text;
}

std::unique_ptr<CSongRecord> RandomSong(std::mt19937& rng)
{
    return std::make_unique<CSongRecord>(0, "title", RandomText(rng, 3).c_str(), RandomText(rng, 4).c_str(),
                                         0, false, nullptr, nullptr, nullptr, nullptr, nullptr, QString(),
                                         COleDateTime(), 0, nullptr, 0);
}

using CSummary = std::vector<std::pair<std::string, uint64_t>>;

template <typename Recordset, typename Key>
CSummary Built(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups, Key key)
{
    Recordset summary;
    summary.Build(songs, groups);
    CSummary out;
    for (size_t i = 0; i < summary.GetCount(); ++i)
        out.emplace_back(summary.Get(i)->*key, summary.Get(i)->m_count);
    return out;
}

// Both boxes' summaries through the groups must be exactly those of hashing the texts, for
// all songs and for a part of them in the database's order.
void ExpectSameSummaries(const CLibraryDatabase& database, CSongValueGroups& groups, const char* when)
{
    groups.SetDatabase(&database);
    std::vector<CSongRecord*> thirds;
    for (size_t i = 0; i < database.GetSongCount(); i += 3)
        thirds.push_back(database.GetSongs()[i]);
    const std::vector<CSongRecord*>* parts[] = {&database.GetSongs(), &thirds};
    for (const std::vector<CSongRecord*>* part : parts) {
        const uint64_t counts = groups.GetBuildCount() + groups.GetUpdateCount();
        EXPECT_EQ((Built<CArtistSummaryRecordset>(*part, &groups, &CArtistSummaryRecord::m_artist)),
                  (Built<CArtistSummaryRecordset>(*part, nullptr, &CArtistSummaryRecord::m_artist)))
            << when << ", " << part->size() << " songs";
        EXPECT_EQ((Built<CAlbumSummaryRecordset>(*part, &groups, &CAlbumSummaryRecord::m_album)),
                  (Built<CAlbumSummaryRecordset>(*part, nullptr, &CAlbumSummaryRecord::m_album)))
            << when << ", " << part->size() << " songs";
        // The groups really counted (a decline would compare hashing with itself).
        std::vector<CSongValueGroups::Group> counted;
        EXPECT_TRUE(groups.Count(*part, CSongValueGroups::albumField, counted)) << when;
        EXPECT_LE(groups.GetBuildCount() + groups.GetUpdateCount(), counts + 1) << when;
    }
}

} // namespace

// The counts by the kept numbers must equal the counts by text after the numbers are made,
// after edits, adds and removals the database names (brought up to date, not made anew),
// and after a Clear; entries out of the database's order, few entries and songs of another
// database are declined and counted by text instead.
TEST(SongValueGroupsTest, SameSummariesAsHashingThroughChanges)
{
    std::mt19937 rng(3);
    CLibraryDatabase database;
    for (int i = 0; i < 2000; ++i)
        database.AddSong(RandomSong(rng));
    CSongValueGroups groups;
    ExpectSameSummaries(database, groups, "made");
    EXPECT_EQ(groups.GetBuildCount(), 1u);

    for (int round = 0; round < 5; ++round) {
        for (int k = 0; k < 4; ++k) {
            CSongRecord* song = database.GetSongs()[rng() % database.GetSongCount()];
            song->SetArtist(RandomText(rng, 3) + "new");
            song->SetAlbum(RandomText(rng, 4));
            database.NoteSongChanged(song);
        }
        database.RemoveSong(database.GetSongs()[rng() % database.GetSongCount()]);
        database.RemoveSong(database.GetSongs().front());
        database.AddSong(RandomSong(rng));
        ExpectSameSummaries(database, groups, "changed");
        EXPECT_EQ(groups.GetBuildCount(), 1u) << "brought up to date, not made anew, in round " << round;
    }
    EXPECT_EQ(groups.GetUpdateCount(), 5u);

    // Edits alone, a few and then many songs: the named ones are found where they lie.
    for (const int edits : {3, 40}) {
        for (int k = 0; k < edits; ++k) {
            CSongRecord* song = database.GetSongs()[rng() % database.GetSongCount()];
            song->SetArtist(RandomText(rng, 3) + "edit");
            song->SetAlbum(RandomText(rng, 4) + "edit");
            database.NoteSongChanged(song);
        }
        ExpectSameSummaries(database, groups, "edited");
    }
    EXPECT_EQ(groups.GetBuildCount(), 1u);
    EXPECT_EQ(groups.GetUpdateCount(), 7u);

    std::vector<CSongValueGroups::Group> counted;
    std::vector<CSongRecord*> reversed(database.GetSongs().rbegin(), database.GetSongs().rend());
    EXPECT_FALSE(groups.Count(reversed, CSongValueGroups::artistField, counted));
    EXPECT_TRUE(counted.empty());
    EXPECT_EQ((Built<CArtistSummaryRecordset>(reversed, &groups, &CArtistSummaryRecord::m_artist)),
              (Built<CArtistSummaryRecordset>(reversed, nullptr, &CArtistSummaryRecord::m_artist)));
    std::vector<CSongRecord*> few(database.GetSongs().begin(), database.GetSongs().begin() + 20);
    EXPECT_FALSE(groups.Count(few, CSongValueGroups::artistField, counted));
    CLibraryDatabase other;
    for (int i = 0; i < 100; ++i)
        other.AddSong(RandomSong(rng));
    EXPECT_FALSE(groups.Count(other.GetSongs(), CSongValueGroups::artistField, counted));
    CSongValueGroups unset;
    EXPECT_FALSE(unset.Count(database.GetSongs(), CSongValueGroups::artistField, counted));

    // A Clear names no record: the numbers are made anew from the new songs.
    database.Clear();
    for (int i = 0; i < 300; ++i)
        database.AddSong(RandomSong(rng));
    ExpectSameSummaries(database, groups, "after Clear");
    EXPECT_EQ(groups.GetBuildCount(), 2u);
}
