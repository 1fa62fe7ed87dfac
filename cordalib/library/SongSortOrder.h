#pragma once
// The order of all of a database's songs by one text column, kept from sort to sort, so
// that a list whose entries are a part of the database in its order (a search's matches,
// narrowed by the summary boxes) comes out sorted by one pass over it instead of a sort.
// It is the recordset's own order: equal keys stay in the database's order, which is the
// order such entries have in the list. After edits, adds and removals the database names
// the records concerned, and only those are placed again; a load or Clear, a change that
// names no record, or another column makes it anew.

#include "cordalib/library/Recordset.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CLibraryDatabase;

class CSongSortOrder : public CSongOrderSource {
public:
    // The database whose songs the entries are; null: every request is declined.
    void SetDatabase(const CLibraryDatabase* database) { m_database = database; }

    // Declines (false) for entries that are not in the database's order, that hold few of
    // its songs (their own sort is cheaper than a pass over all), for columns that are not
    // texts, and where the collation falls back to QCollator.
    bool PutInSortOrder(std::vector<CSongRecord*>& entries, int column, bool ascending) override;

    // How many times the order was made anew, and how many times brought up to date.
    uint64_t GetBuildCount() const { return m_builds; }
    uint64_t GetUpdateCount() const { return m_updates; }

    // Entries below this share of the songs are left to the sort (one in ...).
    static constexpr size_t FEWEST_SHARE = 16;

private:
    void Refresh(int column, bool ascending);
    void Build(int column, bool ascending);
    void Update(std::vector<const CSongRecord*> changed);

    const CLibraryDatabase* m_database = nullptr;
    // What the order was made from: the database, its revision, the column and direction.
    const CLibraryDatabase* m_builtFor = nullptr;
    uint64_t m_revision = 0;
    int m_column = -1;
    bool m_ascending = true;
    // The songs as they were then, in the database's order, and their positions in sorted order.
    std::vector<const CSongRecord*> m_records;
    std::vector<uint32_t> m_order;
    std::vector<uint64_t> m_marks; // one bit per song: which ones the entries hold
    uint64_t m_builds = 0;
    uint64_t m_updates = 0;
};
