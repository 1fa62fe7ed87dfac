#pragma once
// Where a list's songs lie among a database's songs. Data kept beside a database (a sort
// order, text groups) is indexed by position in its list of songs; these walks map a
// list onto those positions and carry positions across the database's changes.

#include "cordalib/library/SongRecord.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr uint32_t SONG_POSITION_GONE = UINT32_MAX;

// Calls visit(position) for every entry, in order, and returns true, when the entries are
// songs of `songs` in its order; otherwise false (visit may have seen a part of them). One
// pass over the pointers: no record is read.
template <typename Visit>
bool VisitSongPositions(const std::vector<CSongRecord*>& songs, const std::vector<CSongRecord*>& entries,
                        Visit visit)
{
    size_t e = 0;
    for (size_t i = 0; i < songs.size() && e < entries.size(); ++i) {
        if (songs[i] == entries[e]) {
            visit(static_cast<uint32_t>(i));
            ++e;
        }
    }
    return e == entries.size();
}

// For each song of `before` (the songs as they were), its position in `now`, or
// SONG_POSITION_GONE. Songs are only appended and removed, so the ones still there follow
// each other as before. A song made where a removed one lay can take its position; the
// database names every added song, so the caller treats named songs as new anyway.
inline std::vector<uint32_t> CarrySongPositions(const std::vector<const CSongRecord*>& before,
                                                const std::vector<CSongRecord*>& now)
{
    std::vector<uint32_t> moved(before.size(), SONG_POSITION_GONE);
    size_t j = 0;
    for (size_t k = 0; k < before.size() && j < now.size(); ++k) {
        if (now[j] == before[k])
            moved[k] = static_cast<uint32_t>(j++);
    }
    return moved;
}

// True when the database holds exactly the songs it held, in the same places: the changes
// since were edits only, and each named song is found where it was.
inline bool SameSongs(const std::vector<const CSongRecord*>& before, const std::vector<CSongRecord*>& now)
{
    return before.size() == now.size() && std::equal(before.begin(), before.end(), now.begin());
}

// The positions in `songs` of the named songs that are among them, ascending. A few are
// looked for one by one; more in one pass over all songs.
inline std::vector<uint32_t> FindSongPositions(const std::vector<CSongRecord*>& songs,
                                               std::vector<const CSongRecord*> named)
{
    std::sort(named.begin(), named.end());
    named.erase(std::unique(named.begin(), named.end()), named.end());
    std::vector<uint32_t> positions;
    constexpr size_t FEW = 16;
    if (named.size() <= FEW) {
        for (const CSongRecord* song : named) {
            const auto found = std::find(songs.begin(), songs.end(), song);
            if (found != songs.end())
                positions.push_back(static_cast<uint32_t>(found - songs.begin()));
        }
        std::sort(positions.begin(), positions.end());
    } else {
        for (size_t i = 0; i < songs.size(); ++i) {
            if (std::binary_search(named.begin(), named.end(), songs[i]))
                positions.push_back(static_cast<uint32_t>(i));
        }
    }
    return positions;
}
