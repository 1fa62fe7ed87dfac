#include "cordalib/library/SongValueGroups.h"

#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/Recordset.h"
#include "cordalib/library/SongPositions.h"
#include "cordalib/library/TextCollation.h"

#include <algorithm>

uint32_t CSongValueGroups::CTexts::Number(const std::string& text)
{
    const auto found = lookup.find(text);
    if (found != lookup.end())
        return found->second;
    const auto number = static_cast<uint32_t>(texts.size());
    texts.push_back(text);
    lookup.emplace(texts.back(), number);
    return number;
}

void CSongValueGroups::CTexts::Rank()
{
    if (ranks.size() == texts.size())
        return;
    std::vector<std::string_view> views(texts.begin(), texts.end());
    std::vector<uint32_t> order;
    OrderTextsBySortKeys(views, true, order);
    ranks.assign(texts.size(), 0);
    uint32_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && CompareBySortKeys(views[order[i - 1]], views[order[i]]) != 0)
            ++rank;
        ranks[order[i]] = rank;
    }
}

void CSongValueGroups::CTexts::Clear()
{
    numbers.clear();
    lookup.clear();
    texts.clear();
    ranks.clear();
}

const std::string& CSongValueGroups::TextOf(const CSongRecord& song, Field field)
{
    return field == artistField ? song.GetArtist() : song.GetAlbum();
}

bool CSongValueGroups::Count(const std::vector<CSongRecord*>& entries, Field field,
                             std::vector<Group>& groups, bool* inTextOrder)
{
    groups.clear();
    if (inTextOrder)
        *inTextOrder = false;
    if (!m_database || field < 0 || field >= fieldCount)
        return false;
    const std::vector<CSongRecord*>& songs = m_database->GetSongs();
    if (entries.size() * FEWEST_SHARE < songs.size() || songs.size() >= SONG_POSITION_GONE)
        return false;
    Refresh();
    CTexts& texts = m_fields[field];
    m_counts.resize(texts.texts.size(), 0);
    m_met.clear();
    const bool inOrder = VisitSongPositions(songs, entries, [&](uint32_t position) {
        const uint32_t number = texts.numbers[position];
        if (m_counts[number]++ == 0)
            m_met.push_back(number);
    });
    if (inOrder && inTextOrder && CTextCollation::Default().IsTableExact()) {
        // Equal keys share a rank: a stable sort keeps them in the order first met.
        texts.Rank();
        std::stable_sort(m_met.begin(), m_met.end(),
                         [&](uint32_t a, uint32_t b) { return texts.ranks[a] < texts.ranks[b]; });
        *inTextOrder = true;
    }
    if (inOrder) {
        groups.reserve(m_met.size());
        for (uint32_t number : m_met)
            groups.push_back({texts.texts[number], m_counts[number]});
    }
    for (uint32_t number : m_met)
        m_counts[number] = 0;
    return inOrder;
}

void CSongValueGroups::Refresh()
{
    const CLibraryDatabase& database = *m_database;
    if (m_builtFor == m_database && m_revision == database.GetRevision() &&
        m_records.size() == database.GetSongCount())
        return;
    std::vector<const CSongRecord*> changed;
    // Beyond a small part of the songs, or once many texts of the past linger, the
    // numbers are made anew.
    const size_t n = database.GetSongCount();
    const bool worn = m_fields[artistField].texts.size() + m_fields[albumField].texts.size() > 4 * (n + 64);
    if (m_builtFor == m_database && !worn && database.GetSongsChangedSince(m_revision, changed) &&
        changed.size() <= n / 64 + 64) {
        Update(std::move(changed));
        ++m_updates;
    } else {
        Build();
        ++m_builds;
    }
    m_builtFor = m_database;
    m_revision = database.GetRevision();
}

void CSongValueGroups::Build()
{
    const std::vector<CSongRecord*>& songs = m_database->GetSongs();
    for (int field = 0; field < fieldCount; ++field) {
        CTexts& texts = m_fields[field];
        texts.Clear();
        texts.numbers.resize(songs.size());
        for (size_t i = 0; i < songs.size(); ++i)
            texts.numbers[i] = texts.Number(TextOf(*songs[i], Field(field)));
    }
    m_records.assign(songs.begin(), songs.end());
}

// The songs that are neither named nor removed keep their numbers at their new
// positions; the named ones (edited or added) are looked up again.
void CSongValueGroups::Update(std::vector<const CSongRecord*> changed)
{
    const std::vector<CSongRecord*>& songs = m_database->GetSongs();
    if (SameSongs(m_records, songs)) {
        // Edits only: just the named songs are looked up again.
        for (const uint32_t j : FindSongPositions(songs, changed)) {
            for (int field = 0; field < fieldCount; ++field)
                m_fields[field].numbers[j] = m_fields[field].Number(TextOf(*songs[j], Field(field)));
        }
        return;
    }
    std::sort(changed.begin(), changed.end());
    const std::vector<uint32_t> moved = CarrySongPositions(m_records, songs);
    // New positions to old ones, for the songs that keep their numbers.
    std::vector<uint32_t> from(songs.size(), SONG_POSITION_GONE);
    for (size_t k = 0; k < moved.size(); ++k) {
        const uint32_t to = moved[k];
        if (to != SONG_POSITION_GONE && !std::binary_search(changed.begin(), changed.end(), songs[to]))
            from[to] = static_cast<uint32_t>(k);
    }
    for (int field = 0; field < fieldCount; ++field) {
        CTexts& texts = m_fields[field];
        std::vector<uint32_t> numbers(songs.size());
        for (size_t j = 0; j < songs.size(); ++j) {
            numbers[j] = from[j] != SONG_POSITION_GONE ? texts.numbers[from[j]]
                                                       : texts.Number(TextOf(*songs[j], Field(field)));
        }
        texts.numbers = std::move(numbers);
    }
    m_records.assign(songs.begin(), songs.end());
}
