#pragma once
// Which of a database's songs share an artist text and which an album text: one small
// number per song and field, kept from search to search. The summary boxes count a
// search's matches by these numbers, without reading the matching records at all, where
// hashing and comparing every match's text costs a cache miss or two per song. After
// edits, adds and removals the database names the records concerned and only those are
// looked up again; a load or Clear, or a change that names no record, makes them anew.

#include "cordalib/library/SongRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CLibraryDatabase;

class CSongValueGroups {
public:
    enum Field { artistField, albumField, fieldCount };

    // One exact text of the field and how many entries have it; the view stays valid
    // until the next Count.
    struct Group {
        std::string_view text;
        uint64_t count = 0;
    };

    // The database whose songs the entries are; null: every request is declined.
    void SetDatabase(const CLibraryDatabase* database) { m_database = database; }

    // The entries' groups of equal texts, in the order of each group's first entry, or,
    // where *inTextOrder is given and the collation has an exact weight table, in the
    // order the text sort gives them (equal keys in the order of their first entry), and
    // *inTextOrder tells which. Declines (false) for entries that are not songs of the
    // database in its order, and for few of them (hashing their texts is cheaper than a
    // pass over all songs).
    bool Count(const std::vector<CSongRecord*>& entries, Field field, std::vector<Group>& groups,
               bool* inTextOrder = nullptr);

    // How many times the numbers were made anew, and how many times brought up to date.
    uint64_t GetBuildCount() const { return m_builds; }
    uint64_t GetUpdateCount() const { return m_updates; }

    // Entries below this share of the songs are left to hashing (one in ...).
    static constexpr size_t FEWEST_SHARE = 16;

private:
    // The distinct texts of one field, numbered in the order they were met, and each
    // song's number. Numbers of texts no song has any longer stay until the next build.
    struct CTexts {
        std::vector<uint32_t> numbers;
        std::deque<std::string> texts; // a deque: the lookup's views must not move
        std::unordered_map<std::string_view, uint32_t> lookup;
        // Per number, the place of its text in the text sort, equal keys sharing one;
        // valid while it covers every number.
        std::vector<uint32_t> ranks;

        uint32_t Number(const std::string& text);
        void Rank();
        void Clear();
    };

    void Refresh();
    void Build();
    void Update(std::vector<const CSongRecord*> changed);
    static const std::string& TextOf(const CSongRecord& song, Field field);

    const CLibraryDatabase* m_database = nullptr;
    // What the numbers were made from: the database, its revision, its songs then.
    const CLibraryDatabase* m_builtFor = nullptr;
    uint64_t m_revision = 0;
    std::vector<const CSongRecord*> m_records;
    std::array<CTexts, fieldCount> m_fields;
    // Per number: how many entries have it (zero again after each count).
    std::vector<uint64_t> m_counts;
    std::vector<uint32_t> m_met; // the numbers in the order their first entry came
    uint64_t m_builds = 0;
    uint64_t m_updates = 0;
};
