#include "cordalib/library/SongSortOrder.h"

#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongPositions.h"
#include "cordalib/library/TextCollation.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr uint32_t GONE = SONG_POSITION_GONE;

bool IsMarked(const std::vector<uint64_t>& marks, size_t i)
{
    return (marks[i / 64] >> (i % 64)) & 1u;
}

void Mark(std::vector<uint64_t>& marks, size_t i)
{
    marks[i / 64] |= uint64_t{1} << (i % 64);
}

} // namespace

bool CSongSortOrder::PutInSortOrder(std::vector<CSongRecord*>& entries, int column, bool ascending)
{
    if (!m_database || !GetSongSortKeyField(column) || !CTextCollation::Default().IsTableExact())
        return false;
    const std::vector<CSongRecord*>& songs = m_database->GetSongs();
    const size_t n = songs.size();
    if (entries.size() * FEWEST_SHARE < n || n >= GONE)
        return false;
    // The entries must be songs of the database in its order: then the sort keeps equal
    // keys in that order, as the order of all songs does.
    m_marks.assign((n + 63) / 64, 0);
    if (!VisitSongPositions(songs, entries, [this](uint32_t i) { Mark(m_marks, i); }))
        return false;
    Refresh(column, ascending);
    size_t k = 0;
    for (uint32_t p : m_order) {
        if (IsMarked(m_marks, p))
            entries[k++] = songs[p];
    }
    return true;
}

void CSongSortOrder::Refresh(int column, bool ascending)
{
    const CLibraryDatabase& database = *m_database;
    const bool same = m_builtFor == m_database && m_column == column && m_ascending == ascending;
    if (same && m_revision == database.GetRevision() && m_records.size() == database.GetSongCount())
        return;
    std::vector<const CSongRecord*> changed;
    // Placing a record again costs a search through the order and a move of its tail:
    // beyond a small part of the songs, the order is made anew.
    if (same && database.GetSongsChangedSince(m_revision, changed) &&
        changed.size() <= database.GetSongCount() / 64 + 64) {
        Update(std::move(changed));
        ++m_updates;
    } else {
        Build(column, ascending);
        ++m_builds;
    }
    m_builtFor = m_database;
    m_revision = database.GetRevision();
    m_column = column;
    m_ascending = ascending;
}

void CSongSortOrder::Build(int column, bool ascending)
{
    const std::vector<CSongRecord*>& songs = m_database->GetSongs();
    std::string CSongRecord::*field = GetSongSortKeyField(column);
    std::vector<std::string_view> texts(songs.size());
    for (size_t i = 0; i < songs.size(); ++i)
        texts[i] = songs[i]->*field;
    OrderTextsBySortKeys(texts, ascending, m_order);
    m_records.assign(songs.begin(), songs.end());
}

// The songs that are neither named nor removed keep their places relative to each other:
// their texts are the same, and their positions in the database keep their order, which
// decides between equal keys. The named ones are then placed one by one.
void CSongSortOrder::Update(std::vector<const CSongRecord*> changed)
{
    const std::vector<CSongRecord*>& songs = m_database->GetSongs();
    const size_t n = songs.size();
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    const auto isChanged = [&](const CSongRecord* song) {
        return std::binary_search(changed.begin(), changed.end(), song);
    };
    std::vector<uint32_t> order;
    order.reserve(n);
    std::vector<uint32_t> unplaced; // ascending
    if (SameSongs(m_records, songs)) {
        // Edits only: the named songs leave their places, the others keep theirs.
        unplaced = FindSongPositions(songs, changed);
        std::vector<uint64_t> named((n + 63) / 64, 0);
        for (uint32_t x : unplaced)
            Mark(named, x);
        for (uint32_t p : m_order) {
            if (!IsMarked(named, p))
                order.push_back(p);
        }
    } else {
        const std::vector<uint32_t> moved = CarrySongPositions(m_records, songs);
        std::vector<uint64_t> placed((n + 63) / 64, 0);
        for (uint32_t p : m_order) {
            const uint32_t to = moved[p];
            if (to != GONE && !isChanged(songs[to])) {
                order.push_back(to);
                Mark(placed, to);
            }
        }
        for (size_t x = 0; x < n; ++x) {
            if (!IsMarked(placed, x))
                unplaced.push_back(static_cast<uint32_t>(x));
        }
    }
    std::string CSongRecord::*field = GetSongSortKeyField(m_column);
    const bool ascending = m_ascending;
    for (const uint32_t x : unplaced) {
        const std::string_view text = songs[x]->*field;
        // Before x come the songs whose keys sort first, and those with an equal key that
        // lie before it in the database.
        const auto before = [&](uint32_t y, size_t) {
            const std::string_view other = songs[y]->*field;
            const int c = ascending ? CompareBySortKeys(other, text) : CompareBySortKeys(text, other);
            return c < 0 || (c == 0 && y < x);
        };
        const auto at = std::lower_bound(order.begin(), order.end(), x, before);
        order.insert(at, x);
    }
    m_order = std::move(order);
    m_records.assign(songs.begin(), songs.end());
}
