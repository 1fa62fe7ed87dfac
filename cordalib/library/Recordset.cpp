#include "cordalib/library/Recordset.h"

#include "cordalib/library/LessonTypes.h"
#include "cordalib/library/SongValueGroups.h"
#include "cordalib/library/TextCollation.h"

#include "qvsystem/platform/CodePage.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <string_view>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace {

// Records lie apart in memory, a cache miss each. Gathering one field of every record
// first, in a loop that does nothing else, lets the processor have many of those misses
// in flight at once; the work on the texts then runs over the gathered list, asking for
// the texts a few entries ahead.
template <typename Record, typename Field>
void GatherTexts(const std::vector<Record*>& records, Field field, std::vector<std::string_view>& texts)
{
    texts.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        texts[i] = field(*records[i]);
}

inline void PrefetchText(const std::vector<std::string_view>& texts, size_t i)
{
    if (i + 8 < texts.size())
        __builtin_prefetch(texts[i + 8].data());
}

template <typename T, typename Compare>
void SortWith(std::vector<T*>& entries, bool ascending, Compare compare)
{
    // Descending is the same rule with the operands exchanged.
    if (ascending)
        std::sort(entries.begin(), entries.end(),
                  [&](const T* a, const T* b) { return compare(*a, *b) < 0; });
    else
        std::sort(entries.begin(), entries.end(),
                  [&](const T* a, const T* b) { return compare(*b, *a) < 0; });
}

template <typename T, typename Text> void SortByWideKey(std::vector<T*>& entries, bool ascending, Text text)
{
    const CTextCollation& collation = CTextCollation::Default();
    using Keyed = std::pair<CTextCollation::WideKey, T*>;
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (T* entry : entries)
        keyed.emplace_back(collation.MakeWideKey(text(*entry)), entry);
    // Stable, as the keyed text sort: equal keys keep the list's order.
    if (ascending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const Keyed& a, const Keyed& b) { return a.first.Compare(b.first) < 0; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const Keyed& a, const Keyed& b) { return b.first.Compare(a.first) < 0; });
    for (size_t i = 0; i < keyed.size(); ++i)
        entries[i] = keyed[i].second;
}

// How many parts a list of n entries is worked on in: one per core for large lists, one
// for small ones, whose work would not pay for starting threads.
size_t ParallelParts(size_t n)
{
    constexpr size_t WORTH_THREADS = 32768;
    if (n < WORTH_THREADS)
        return 1;
    const size_t cores = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
    return std::min(cores, n / (WORTH_THREADS / 2));
}

// work(p) for every part, each on a thread of its own but the first, which runs here.
template <typename Work> void RunParts(size_t parts, const Work& work)
{
    std::vector<std::thread> helpers;
    helpers.reserve(parts > 0 ? parts - 1 : 0);
    for (size_t p = 1; p < parts; ++p)
        helpers.emplace_back([&work, p] { work(p); });
    if (parts > 0)
        work(0);
    for (std::thread& helper : helpers)
        helper.join();
}

// The parts (as ParallelParts cut them, each sorted) merged pairwise into one sorted list.
template <typename Item, typename Less>
void MergeSortedParts(std::vector<Item>& items, std::vector<Item>& buffer, size_t parts, Less less)
{
    const size_t n = items.size();
    std::vector<size_t> starts;
    for (size_t p = 0; p <= parts; ++p)
        starts.push_back(p * n / parts);
    while (starts.size() > 2) {
        buffer.resize(n);
        std::vector<size_t> next;
        const size_t runs = starts.size() - 1;
        RunParts(runs / 2, [&](size_t pair) {
            const auto at = [&](size_t i) { return items.begin() + static_cast<std::ptrdiff_t>(starts[i]); };
            std::merge(at(2 * pair), at(2 * pair + 1), at(2 * pair + 1), at(2 * pair + 2),
                       buffer.begin() + static_cast<std::ptrdiff_t>(starts[2 * pair]), less);
        });
        for (size_t r = 0; r + 1 < runs; r += 2)
            next.push_back(starts[r]);
        if (runs % 2 == 1) {
            std::copy(items.begin() + static_cast<std::ptrdiff_t>(starts[runs - 1]), items.end(),
                      buffer.begin() + static_cast<std::ptrdiff_t>(starts[runs - 1]));
            next.push_back(starts[runs - 1]);
        }
        next.push_back(n);
        items.swap(buffer);
        starts = std::move(next);
    }
}

// The core of the text sorts (exact weight table only): the positions of the texts in
// the order of their sort keys; texts whose keys are equal keep their order in the list,
// so that the result does not depend on the sort's inner steps or on the core count.
void OrderBySortKeys(const std::vector<std::string_view>& texts, bool ascending, std::vector<uint32_t>& order)
{
    const CTextCollation& collation = CTextCollation::Default();
    // One key per entry in one buffer: comparisons compare words of key bytes, with no
    // walk through the weight table for texts that share a long start ("The ...").
    // Each key is padded with zeros to whole words, high byte first in each word; the
    // padding can only make a text compare as its longer twin, which the byte length
    // then puts after it. The buffers stay with the thread: a list sorts again and again,
    // and fresh memory for every sort would cost more in page faults than the sort.
    struct Keyed {
        uint64_t first;    // the key's first word, which decides most comparisons
        uint32_t offset;   // of the key's words in the buffer
        uint32_t length;   // of the key in bytes
        uint32_t position; // of the text in the list
    };
    // Large lists are keyed and sorted a part per core; the sorted parts are then merged.
    struct Part {
        std::vector<uint64_t> words;
        std::string key;
    };
    struct Scratch {
        std::vector<Keyed> keyed;
        std::vector<Keyed> merged;
        std::vector<Part> parts;
        std::vector<uint64_t> joined;
    };
    // The helpers reach the caller's buffers through these references, never through the
    // thread-local itself, which is another object on their threads.
    static thread_local Scratch scratch;
    std::vector<Keyed>& keyed = scratch.keyed;
    std::vector<Part>& parts = scratch.parts;
    std::vector<Keyed>& merged = scratch.merged;
    std::vector<uint64_t>& joined = scratch.joined;
    const size_t n = texts.size();
    const size_t partCount = ParallelParts(n);
    if (parts.size() < partCount)
        parts.resize(partCount);
    keyed.resize(n);
    const auto bounds = [&](size_t p) { return std::pair{p * n / partCount, (p + 1) * n / partCount}; };
    RunParts(partCount, [&](size_t p) {
        const auto [from, to] = bounds(p);
        std::vector<uint64_t>& words = parts[p].words;
        std::string& key = parts[p].key;
        words.clear();
        for (size_t e = from; e < to; ++e) {
            PrefetchText(texts, e);
            key.clear();
            collation.AppendSortKey(texts[e], key);
            const size_t length = key.size();
            const size_t count = (length + 7) / 8;
            key.resize(count * 8, '\0');
            const size_t offset = words.size();
            for (size_t w = 0; w < count; ++w) {
                uint64_t word;
                std::memcpy(&word, key.data() + w * 8, sizeof word);
                if constexpr (std::endian::native == std::endian::little)
                    word = __builtin_bswap64(word);
                words.push_back(word);
            }
            // Keys are a few bytes per character of a record's text: far below these limits.
            keyed[e] = {words[offset], static_cast<uint32_t>(offset), static_cast<uint32_t>(length),
                        static_cast<uint32_t>(e)};
        }
    });
    // One buffer of words for the comparisons: the parts' words one after another.
    const uint64_t* base = n > 0 ? parts[0].words.data() : nullptr;
    if (partCount > 1) {
        joined.clear();
        for (size_t p = 0; p < partCount; ++p) {
            const auto shift = static_cast<uint32_t>(joined.size());
            const auto [from, to] = bounds(p);
            for (size_t e = from; e < to; ++e)
                keyed[e].offset += shift;
            joined.insert(joined.end(), parts[p].words.begin(), parts[p].words.end());
        }
        base = joined.data();
    }
    const auto compare = [base](const Keyed& a, const Keyed& b) {
        if (a.first != b.first)
            return a.first < b.first ? -1 : 1;
        const uint32_t count = (std::min(a.length, b.length) + 7) / 8;
        const uint64_t* wa = base + a.offset;
        const uint64_t* wb = base + b.offset;
        for (uint32_t w = 1; w < count; ++w) {
            if (wa[w] != wb[w])
                return wa[w] < wb[w] ? -1 : 1;
        }
        return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
    };
    const auto sortParts = [&](auto less) {
        RunParts(partCount, [&](size_t p) {
            const auto [from, to] = bounds(p);
            std::sort(keyed.begin() + static_cast<std::ptrdiff_t>(from),
                      keyed.begin() + static_cast<std::ptrdiff_t>(to), less);
        });
        MergeSortedParts(keyed, merged, partCount, less);
    };
    // Equal keys are ordered by position in either direction: a strict order, so the
    // parts' sorts and their merge give one result.
    if (ascending)
        sortParts([&](const Keyed& a, const Keyed& b) {
            const int c = compare(a, b);
            return c < 0 || (c == 0 && a.position < b.position);
        });
    else
        sortParts([&](const Keyed& a, const Keyed& b) {
            const int c = compare(b, a);
            return c < 0 || (c == 0 && a.position < b.position);
        });
    order.resize(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = keyed[i].position;
}

template <typename T> void SortByText(std::vector<T*>& entries, bool ascending, std::string T::*field)
{
    const CTextCollation& collation = CTextCollation::Default();
    if (!collation.IsTableExact()) {
        // Locales the weight table cannot express collate through QCollator's keys.
        return SortByWideKey(entries, ascending, [field](const T& e) { return AfxAnsiToUnicode(e.*field); });
    }
    static thread_local std::vector<std::string_view> texts;
    static thread_local std::vector<uint32_t> order;
    static thread_local std::vector<T*> before;
    GatherTexts(
        entries, [field](const T& t) -> const std::string& { return t.*field; }, texts);
    OrderBySortKeys(texts, ascending, order);
    before.assign(entries.begin(), entries.end());
    for (size_t i = 0; i < order.size(); ++i)
        entries[i] = before[order[i]];
}

// Paths collate as UTF-16: one sort key per entry instead of collating at every
// comparison.
template <typename T> void SortByPath(std::vector<T*>& entries, bool ascending)
{
    SortByWideKey(entries, ascending, [](const T& e) -> const QString& { return e.m_path; });
}

template <typename T> void SortByRecordField(std::vector<T*>& entries, int column, bool ascending)
{
    SortWith(entries, ascending, [column](const T& a, const T& b) { return T::Compare(a, b, column); });
}

void SortEntries(std::vector<CSongRecord*>& entries, int column, bool ascending)
{
    switch (column) {
    case songFieldTitle:
        return SortByText(entries, ascending, &CSongRecord::m_title);
    case songFieldArtist:
        return SortByText(entries, ascending, &CSongRecord::m_artist);
    case songFieldAlbum:
        return SortByText(entries, ascending, &CSongRecord::m_album);
    case songFieldComposer:
        return SortByText(entries, ascending, &CSongRecord::m_composer);
    case songFieldLyricist:
        return SortByText(entries, ascending, &CSongRecord::m_lyricist);
    case songFieldArranger:
        return SortByText(entries, ascending, &CSongRecord::m_arranger);
    case songFieldTranscriber:
        return SortByText(entries, ascending, &CSongRecord::m_transcriber);
    case songFieldCopyright:
        return SortByText(entries, ascending, &CSongRecord::m_copyright);
    case songFieldChecksum:
        return SortByText(entries, ascending, &CSongRecord::m_checksum);
    case songFieldPath:
        return SortByPath(entries, ascending);
    default:
        return SortByRecordField(entries, column, ascending);
    }
}

void SortEntries(std::vector<CLessonRecord*>& entries, int column, bool ascending)
{
    switch (column) {
    case lessonFieldTitle:
        return SortByText(entries, ascending, &CLessonRecord::m_title);
    case lessonFieldSubtitle:
        return SortByText(entries, ascending, &CLessonRecord::m_subtitle);
    case lessonFieldAuthor:
        return SortByText(entries, ascending, &CLessonRecord::m_author);
    case lessonFieldCopyright:
        return SortByText(entries, ascending, &CLessonRecord::m_copyright);
    case lessonFieldChecksum:
        return SortByText(entries, ascending, &CLessonRecord::m_checksum);
    case lessonFieldPath:
        return SortByPath(entries, ascending);
    case lessonFieldStyle: {
        // The names' order is fixed for the run: one rank per style.
        int ranks[LESSON_STYLE_COUNT + 1];
        for (unsigned s = 0; s <= LESSON_STYLE_COUNT; ++s)
            ranks[s] = GetLessonStyleSortRank(s);
        const auto rank = [&](uint16_t style) {
            return ranks[std::min<unsigned>(style, LESSON_STYLE_COUNT)];
        };
        return SortWith(entries, ascending, [&](const CLessonRecord& a, const CLessonRecord& b) {
            const int ra = rank(a.m_style), rb = rank(b.m_style);
            return (ra > rb) - (ra < rb);
        });
    }
    default:
        return SortByRecordField(entries, column, ascending);
    }
}

template <typename T> int CompareCounts(const T& a, const T& b)
{
    return (a.m_count > b.m_count) - (a.m_count < b.m_count);
}

void SortEntries(std::vector<CArtistSummaryRecord*>& entries, int column, bool ascending)
{
    if (column == 0)
        SortByText(entries, ascending, &CArtistSummaryRecord::m_artist);
    else
        SortWith(entries, ascending, CompareCounts<CArtistSummaryRecord>);
}

void SortEntries(std::vector<CAlbumSummaryRecord*>& entries, int column, bool ascending)
{
    if (column == 0)
        SortByText(entries, ascending, &CAlbumSummaryRecord::m_album);
    else
        SortWith(entries, ascending, CompareCounts<CAlbumSummaryRecord>);
}

void SortEntries(std::vector<CLessonStyleSummaryRecord*>& entries, int column, bool ascending)
{
    if (column == 0) {
        SortWith(entries, ascending,
                 [](const CLessonStyleSummaryRecord& a, const CLessonStyleSummaryRecord& b) {
                     const int ra = GetLessonStyleSortRank(a.m_style), rb = GetLessonStyleSortRank(b.m_style);
                     return (ra > rb) - (ra < rb);
                 });
    } else {
        SortWith(entries, ascending, CompareCounts<CLessonStyleSummaryRecord>);
    }
}

void SortEntries(std::vector<CLessonLevelSummaryRecord*>& entries, int column, bool ascending)
{
    if (column == 0) {
        SortWith(entries, ascending,
                 [](const CLessonLevelSummaryRecord& a, const CLessonLevelSummaryRecord& b) {
                     return (a.m_level > b.m_level) - (a.m_level < b.m_level);
                 });
    } else {
        SortWith(entries, ascending, CompareCounts<CLessonLevelSummaryRecord>);
    }
}

template <typename T> constexpr int ColumnCountOf()
{
    if constexpr (std::is_same_v<T, CSongRecord>)
        return songFieldCount;
    else if constexpr (std::is_same_v<T, CLessonRecord>)
        return lessonFieldCount;
    else
        return 2;
}

bool IsAllMarker(const std::string& filter)
{
    return filter == SUMMARY_KEY_ALL || filter == SUMMARY_KEY_NONE;
}

} // namespace

template <typename T> int CCordaLibrarianRecordset<T>::GetColumnCount()
{
    return ColumnCountOf<T>();
}

template <typename T> void CCordaLibrarianRecordset<T>::Add(T* entry)
{
    if (entry)
        m_all.push_back(entry);
}

template <typename T> bool CCordaLibrarianRecordset<T>::Remove(T* entry)
{
    if (!entry)
        return false;
    const auto filtered = std::find(m_filtered.begin(), m_filtered.end(), entry);
    if (filtered != m_filtered.end())
        m_filtered.erase(filtered);
    const auto all = std::find(m_all.begin(), m_all.end(), entry);
    if (all == m_all.end())
        return false;
    m_all.erase(all);
    return true;
}

template <typename T> void CCordaLibrarianRecordset<T>::Clear()
{
    m_all.clear();
    m_filtered.clear();
}

template <typename T> T* CCordaLibrarianRecordset<T>::Get(size_t index) const
{
    const std::vector<T*>& visible = Visible();
    return index < visible.size() ? visible[index] : nullptr;
}

template <typename T> void CCordaLibrarianRecordset<T>::SortVisible(int column, bool ascending)
{
    SortEntries(Visible(), column, ascending);
    ++m_sortRuns;
}

template <typename T> bool CCordaLibrarianRecordset<T>::Sort(int column, bool ascending, bool force)
{
    if (column < 0 || column >= GetColumnCount())
        return false;
    if (!force && column == m_sortColumn && ascending == m_sortAscending)
        return true;
    m_filterActive = !m_filtered.empty();
    SortVisible(column, ascending);
    m_sortColumn = column;
    m_sortAscending = ascending;
    return true;
}

template class CCordaLibrarianRecordset<CSongRecord>;
template class CCordaLibrarianRecordset<CLessonRecord>;
template class CCordaLibrarianRecordset<CArtistSummaryRecord>;
template class CCordaLibrarianRecordset<CAlbumSummaryRecord>;
template class CCordaLibrarianRecordset<CLessonStyleSummaryRecord>;
template class CCordaLibrarianRecordset<CLessonLevelSummaryRecord>;

void CSongRecordset::SortVisible(int column, bool ascending)
{
    if (m_orderSource && m_orderSource->PutInSortOrder(Visible(), column, ascending)) {
        ++m_sortRuns;
        return;
    }
    CCordaLibrarianRecordset<CSongRecord>::SortVisible(column, ascending);
}

std::string CSongRecord::*GetSongSortKeyField(int column)
{
    switch (column) {
    case songFieldTitle:
        return &CSongRecord::m_title;
    case songFieldArtist:
        return &CSongRecord::m_artist;
    case songFieldAlbum:
        return &CSongRecord::m_album;
    case songFieldComposer:
        return &CSongRecord::m_composer;
    case songFieldLyricist:
        return &CSongRecord::m_lyricist;
    case songFieldArranger:
        return &CSongRecord::m_arranger;
    case songFieldTranscriber:
        return &CSongRecord::m_transcriber;
    case songFieldCopyright:
        return &CSongRecord::m_copyright;
    case songFieldChecksum:
        return &CSongRecord::m_checksum;
    default:
        return nullptr;
    }
}

void OrderTextsBySortKeys(const std::vector<std::string_view>& texts, bool ascending,
                          std::vector<uint32_t>& order)
{
    OrderBySortKeys(texts, ascending, order);
}

int CompareBySortKeys(std::string_view a, std::string_view b)
{
    // As the sort compares them: keys padded with zeros to whole words, compared over the
    // shorter one's words, then by length.
    const CTextCollation& collation = CTextCollation::Default();
    std::string ka, kb;
    collation.AppendSortKey(a, ka);
    collation.AppendSortKey(b, kb);
    const size_t la = ka.size(), lb = kb.size();
    const size_t span = (std::min(la, lb) + 7) / 8 * 8;
    ka.resize(std::max(la, span), '\0');
    kb.resize(std::max(lb, span), '\0');
    if (const int c = std::memcmp(ka.data(), kb.data(), span); c != 0)
        return c < 0 ? -1 : 1;
    return la < lb ? -1 : (la > lb ? 1 : 0);
}

bool CSongRecordset::Filter(const char* artist, const char* album, bool force)
{
    if (!artist || !album)
        return false;
    if (!force && m_artistFilter == artist && m_albumFilter == album)
        return true;
    m_filtered.clear();
    m_artistFilter = artist;
    m_albumFilter = album;
    const bool anyArtist = IsAllMarker(m_artistFilter);
    const bool anyAlbum = IsAllMarker(m_albumFilter);
    if (anyArtist && anyAlbum) {
        // The full list was what the last sort ordered unless a filter was active then.
        if (!m_filterActive)
            return true;
    } else {
        for (CSongRecord* song : m_all) {
            if ((anyArtist || song->m_artist == m_artistFilter) &&
                (anyAlbum || song->m_album == m_albumFilter))
                m_filtered.push_back(song);
        }
    }
    Sort(m_sortColumn, m_sortAscending, true);
    return true;
}

bool CLessonRecordset::Filter(unsigned style, unsigned level, bool force)
{
    if (!(style < LESSON_STYLE_COUNT || style == LESSON_STYLE_ALL))
        return false;
    if (!(level < LESSON_LEVEL_COUNT || level == LESSON_LEVEL_ALL))
        return false;
    if (!force && style == m_styleFilter && level == m_levelFilter)
        return true;
    m_filtered.clear();
    m_styleFilter = static_cast<uint16_t>(style);
    m_levelFilter = static_cast<uint8_t>(level);
    const bool anyStyle = m_styleFilter == LESSON_STYLE_ALL;
    const bool anyLevel = m_levelFilter == LESSON_LEVEL_ALL;
    if (anyStyle && anyLevel) {
        if (!m_filterActive)
            return true;
    } else {
        for (CLessonRecord* lesson : m_all) {
            if ((anyStyle || lesson->m_style == m_styleFilter) &&
                (anyLevel || lesson->m_level == m_levelFilter))
                m_filtered.push_back(lesson);
        }
    }
    Sort(m_sortColumn, m_sortAscending, true);
    return true;
}

template <typename T> CSummaryRecordset<T>::~CSummaryRecordset()
{
    CSummaryRecordset<T>::Clear();
}

template <typename T> bool CSummaryRecordset<T>::Remove(T* entry)
{
    if (!CCordaLibrarianRecordset<T>::Remove(entry))
        return false;
    delete entry;
    return true;
}

template <typename T> void CSummaryRecordset<T>::Clear()
{
    for (T* entry : this->m_all)
        delete entry;
    CCordaLibrarianRecordset<T>::Clear();
}

template <typename T> void CSummaryRecordset<T>::ResizeEntries(size_t count)
{
    this->m_filtered.clear();
    while (this->m_all.size() > count) {
        delete this->m_all.back();
        this->m_all.pop_back();
    }
    this->m_all.reserve(count);
    while (this->m_all.size() < count)
        this->m_all.push_back(new T());
}

template <typename T> bool CSummaryRecordset<T>::Sort(int column, bool ascending, bool)
{
    if (column < 0 || column >= this->GetColumnCount())
        return false;
    this->m_filterActive = !this->m_filtered.empty();
    this->SortVisible(column, ascending);
    return true;
}

template class CSummaryRecordset<CArtistSummaryRecord>;
template class CSummaryRecordset<CAlbumSummaryRecord>;
template class CSummaryRecordset<CLessonStyleSummaryRecord>;
template class CSummaryRecordset<CLessonLevelSummaryRecord>;

namespace {

// Counts per exact text: an open-addressing table of hashes and views into the records,
// so that a lookup reads a record's text again only when the hashes agree, and a table of
// thousands of groups stays a few contiguous megabytes.
class CTextCounter {
public:
    struct Group {
        std::string_view text;
        uint64_t count = 0;
        size_t first = 0; // the index of the group's first text in the list
        uint64_t hash = 0;
        bool used = false;
    };

    void Add(std::string_view text, size_t index, uint64_t count)
    {
        AddHashed(std::hash<std::string_view>()(text), text, index, count);
    }

    void AddTo(CTextCounter& other) const
    {
        for (const Group& group : m_slots) {
            if (group.used)
                other.AddHashed(group.hash, group.text, group.first, group.count);
        }
    }

    std::vector<Group> GroupsInFirstOrder() const
    {
        std::vector<Group> groups;
        groups.reserve(m_used);
        for (const Group& group : m_slots) {
            if (group.used)
                groups.push_back(group);
        }
        std::sort(groups.begin(), groups.end(),
                  [](const Group& a, const Group& b) { return a.first < b.first; });
        return groups;
    }

private:
    void AddHashed(uint64_t hash, std::string_view text, size_t index, uint64_t count)
    {
        if (2 * (m_used + 1) > m_slots.size())
            Grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Group& group = m_slots[i];
            if (!group.used) {
                group = Group{text, count, index, hash, true};
                ++m_used;
                return;
            }
            if (group.hash == hash && group.text == text) {
                group.count += count;
                group.first = std::min(group.first, index);
                return;
            }
        }
    }

    void Grow()
    {
        std::vector<Group> old = std::move(m_slots);
        m_slots.assign(std::max<size_t>(64, old.size() * 2), Group());
        m_used = 0;
        for (const Group& group : old) {
            if (group.used)
                AddHashed(group.hash, group.text, group.first, group.count);
        }
    }

    std::vector<Group> m_slots;
    size_t m_used = 0;
};

// Counts per exact value in first-seen order, then one summary record per value. Texts
// are looked up by views into the records, which outlive the build.
template <typename Recordset, typename Summary, typename Record, typename Key, typename KeyOf>
void BuildSummary(Recordset& recordset, const std::vector<Record*>& records, KeyOf keyOf, Key Summary::*field)
{
    recordset.Clear();
    constexpr bool isText = std::is_same_v<Key, std::string>;
    if constexpr (isText) {
        static thread_local std::vector<std::string_view> gathered;
        std::vector<std::string_view>& texts = gathered; // the helpers use the caller's
        GatherTexts(records, keyOf, texts);
        // A part per core counts its own records; the counts are then added up and the
        // groups made in the order their first record has in the list, as one pass
        // makes them.
        const size_t partCount = ParallelParts(texts.size());
        std::vector<CTextCounter> counters(partCount);
        const size_t n = texts.size();
        RunParts(partCount, [&](size_t p) {
            for (size_t i = p * n / partCount; i < (p + 1) * n / partCount; ++i) {
                PrefetchText(texts, i);
                counters[p].Add(texts[i], i, 1);
            }
        });
        for (size_t p = 1; p < partCount; ++p)
            counters[p].AddTo(counters[0]);
        for (const CTextCounter::Group& group : counters[0].GroupsInFirstOrder()) {
            auto* summary = new Summary();
            summary->*field = Key(group.text);
            summary->m_count = group.count;
            recordset.Add(summary);
        }
    } else {
        std::unordered_map<Key, Summary*> groups;
        for (const Record* record : records) {
            auto [it, inserted] = groups.try_emplace(keyOf(*record), nullptr);
            if (inserted) {
                it->second = new Summary();
                it->second->*field = it->first;
                recordset.Add(it->second);
            }
            ++it->second->m_count;
        }
    }
    recordset.Sort(0, true);
}

// The summaries from the groups' counts; false where the groups decline the songs.
template <typename Recordset, typename Summary>
bool BuildSummaryFromGroups(Recordset& recordset, const std::vector<CSongRecord*>& songs,
                            CSongValueGroups* groups, CSongValueGroups::Field field,
                            std::string Summary::*key)
{
    static thread_local std::vector<CSongValueGroups::Group> counted;
    bool sorted = false;
    if (!groups || !groups->Count(songs, field, counted, &sorted))
        return false;
    recordset.ResizeEntries(counted.size());
    for (size_t i = 0; i < counted.size(); ++i) {
        Summary* summary = recordset.GetAllEntries()[i];
        summary->*key = counted[i].text;
        summary->m_count = counted[i].count;
    }
    if (!sorted)
        recordset.Sort(0, true);
    return true;
}

} // namespace

void CArtistSummaryRecordset::Build(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups)
{
    if (BuildSummaryFromGroups(*this, songs, groups, CSongValueGroups::artistField,
                               &CArtistSummaryRecord::m_artist))
        return;
    BuildSummary(
        *this, songs, [](const CSongRecord& s) -> const std::string& { return s.m_artist; },
        &CArtistSummaryRecord::m_artist);
}

void CAlbumSummaryRecordset::Build(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups)
{
    if (BuildSummaryFromGroups(*this, songs, groups, CSongValueGroups::albumField,
                               &CAlbumSummaryRecord::m_album))
        return;
    BuildSummary(
        *this, songs, [](const CSongRecord& s) -> const std::string& { return s.m_album; },
        &CAlbumSummaryRecord::m_album);
}

void CLessonStyleSummaryRecordset::Build(const std::vector<CLessonRecord*>& lessons)
{
    BuildSummary(
        *this, lessons, [](const CLessonRecord& l) -> const uint16_t& { return l.m_style; },
        &CLessonStyleSummaryRecord::m_style);
}

void CLessonLevelSummaryRecordset::Build(const std::vector<CLessonRecord*>& lessons)
{
    BuildSummary(
        *this, lessons, [](const CLessonRecord& l) -> const uint8_t& { return l.m_level; },
        &CLessonLevelSummaryRecord::m_level);
}
