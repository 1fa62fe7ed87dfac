#pragma once
// The sortable, filterable views that every list owns over records: songs and lessons
// (entries owned by the database) and the four summaries of the browsing lists (entries
// owned by the recordset).
//
// The visible list is the filtered list when it holds an entry, otherwise the list of
// all entries; counts, indexed access and sorting act on it.

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The selection keys of the browsing lists: the first item ("all") and no selection.
// Neither restricts a summary or a filter.
inline constexpr const char* SUMMARY_KEY_ALL = "zqjk://";
inline constexpr const char* SUMMARY_KEY_NONE = "zqjx://";
// The lesson filters' all-markers.
inline constexpr uint16_t LESSON_STYLE_ALL = 0xFFFE;
inline constexpr uint8_t LESSON_LEVEL_ALL = 0xFE;

struct CArtistSummaryRecord {
    std::string m_artist;
    uint64_t m_count = 0;
};

struct CAlbumSummaryRecord {
    std::string m_album;
    uint64_t m_count = 0;
};

struct CLessonStyleSummaryRecord {
    uint16_t m_style = lessonStyleGeneral;
    uint64_t m_count = 0;
};

struct CLessonLevelSummaryRecord {
    uint8_t m_level = lessonLevelBeginner;
    uint64_t m_count = 0;
};

template <typename T> class CCordaLibrarianRecordset {
public:
    CCordaLibrarianRecordset() = default;
    virtual ~CCordaLibrarianRecordset() = default;
    CCordaLibrarianRecordset(const CCordaLibrarianRecordset&) = delete;
    CCordaLibrarianRecordset& operator=(const CCordaLibrarianRecordset&) = delete;

    // Appends to the list of all entries (null is ignored).
    void Add(T* entry);
    // Takes the entry out of both lists; false when it is not there.
    virtual bool Remove(T* entry);
    // Empties both lists.
    virtual void Clear();

    size_t GetCount() const { return Visible().size(); }
    // The visible entry at index; null out of range.
    T* Get(size_t index) const;

    // Sorts the visible list by a column; false for a column out of range. Unless forced,
    // a call with the stored column and direction does nothing.
    virtual bool Sort(int column, bool ascending, bool force = false);

    int GetSortColumn() const { return m_sortColumn; }
    bool IsSortAscending() const { return m_sortAscending; }
    bool IsFilterActive() const { return m_filterActive; }
    const std::vector<T*>& GetAllEntries() const { return m_all; }
    const std::vector<T*>& GetFilteredEntries() const { return m_filtered; }
    // How many sorts have run (a cheap way to see that a repeated sort did nothing).
    uint64_t GetSortRuns() const { return m_sortRuns; }

    static int GetColumnCount();

protected:
    const std::vector<T*>& Visible() const { return m_filtered.empty() ? m_all : m_filtered; }
    std::vector<T*>& Visible() { return m_filtered.empty() ? m_all : m_filtered; }
    // Sorts the visible list (no checks, nothing stored).
    virtual void SortVisible(int column, bool ascending);

    std::vector<T*> m_all;
    std::vector<T*> m_filtered;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    bool m_filterActive = false;
    uint64_t m_sortRuns = 0;
};

extern template class CCordaLibrarianRecordset<CSongRecord>;
extern template class CCordaLibrarianRecordset<CLessonRecord>;
extern template class CCordaLibrarianRecordset<CArtistSummaryRecord>;
extern template class CCordaLibrarianRecordset<CAlbumSummaryRecord>;
extern template class CCordaLibrarianRecordset<CLessonStyleSummaryRecord>;
extern template class CCordaLibrarianRecordset<CLessonLevelSummaryRecord>;

// A ready order of a database's songs by a column. Given entries that are in the
// database's order, it puts them in the order the recordset's sort gives them, or declines
// (false, entries left as they are) and the recordset sorts them itself.
class CSongOrderSource {
public:
    virtual ~CSongOrderSource() = default;
    virtual bool PutInSortOrder(std::vector<CSongRecord*>& entries, int column, bool ascending) = 0;
};

// The text a song column sorts by through the collation's sort keys; null for the columns
// sorted otherwise (numbers, dates, the path).
std::string CSongRecord::*GetSongSortKeyField(int column);
// What the text sorts do with the collation's sort keys (the default collation, exact
// weight table only): the texts' positions in sorted order, equal keys in list order;
// and the comparison of two texts that order rests on (0: equal keys).
void OrderTextsBySortKeys(const std::vector<std::string_view>& texts, bool ascending,
                          std::vector<uint32_t>& order);
int CompareBySortKeys(std::string_view a, std::string_view b);

class CSongRecordset : public CCordaLibrarianRecordset<CSongRecord> {
public:
    // Sorts ask this source first (null: none); it must outlive its use here.
    void SetOrderSource(CSongOrderSource* source) { m_orderSource = source; }
    // Narrows to the songs with this artist and album (exact texts); SUMMARY_KEY_ALL (or
    // SUMMARY_KEY_NONE) for either means no restriction. Null texts are refused. Unless
    // forced, the stored filters again do nothing.
    bool Filter(const char* artist, const char* album, bool force = false);
    const std::string& GetArtistFilter() const { return m_artistFilter; }
    const std::string& GetAlbumFilter() const { return m_albumFilter; }

protected:
    void SortVisible(int column, bool ascending) override;

private:
    CSongOrderSource* m_orderSource = nullptr;
    std::string m_artistFilter = SUMMARY_KEY_ALL;
    std::string m_albumFilter = SUMMARY_KEY_ALL;
};

class CLessonRecordset : public CCordaLibrarianRecordset<CLessonRecord> {
public:
    // Narrows to the lessons with this style and level; LESSON_STYLE_ALL and
    // LESSON_LEVEL_ALL mean no restriction. Other values out of range are refused.
    bool Filter(unsigned style, unsigned level, bool force = false);
    uint16_t GetStyleFilter() const { return m_styleFilter; }
    uint8_t GetLevelFilter() const { return m_levelFilter; }

private:
    uint16_t m_styleFilter = LESSON_STYLE_ALL;
    uint8_t m_levelFilter = LESSON_LEVEL_ALL;
};

// Summary recordsets own their entries. Their Sort always sorts and stores nothing:
// column 0 the group (texts and style names by collation, levels by value), 1 the count.
template <typename T> class CSummaryRecordset : public CCordaLibrarianRecordset<T> {
public:
    ~CSummaryRecordset() override;
    bool Remove(T* entry) override; // also deletes it
    void Clear() override;          // also deletes the entries
    bool Sort(int column, bool ascending, bool force = false) override;
    // Keeps exactly count entries, the ones it has first (their texts keep their buffers),
    // with no filtered list; the caller then sets every entry. A box rebuilt on every
    // keystroke so spares thousands of allocations.
    void ResizeEntries(size_t count);
};

class CSongValueGroups;

// The song summaries count by the groups' numbers where the groups take the songs, and
// by hashing the texts otherwise; both give the same summaries.
class CArtistSummaryRecordset : public CSummaryRecordset<CArtistSummaryRecord> {
public:
    // Clears, counts the songs per artist (exact texts), sorts by artist ascending.
    void Build(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups = nullptr);
};

class CAlbumSummaryRecordset : public CSummaryRecordset<CAlbumSummaryRecord> {
public:
    // Clears, counts the songs per album (exact texts), sorts by album ascending.
    void Build(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups = nullptr);
};

class CLessonStyleSummaryRecordset : public CSummaryRecordset<CLessonStyleSummaryRecord> {
public:
    // Clears, counts the lessons per style value, sorts by style name ascending.
    void Build(const std::vector<CLessonRecord*>& lessons);
};

class CLessonLevelSummaryRecordset : public CSummaryRecordset<CLessonLevelSummaryRecord> {
public:
    // Clears, counts the lessons per level value, sorts by level ascending.
    void Build(const std::vector<CLessonRecord*>& lessons);
};

extern template class CSummaryRecordset<CArtistSummaryRecord>;
extern template class CSummaryRecordset<CAlbumSummaryRecord>;
extern template class CSummaryRecordset<CLessonStyleSummaryRecord>;
extern template class CSummaryRecordset<CLessonLevelSummaryRecord>;
