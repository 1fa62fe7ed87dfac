#include "cordalib/app/RecordSearch.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/platform/CodePage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Case-insensitive search of the 8-bit texts, with the results of stristr: the text and
// the pattern end at their first zero byte, letters fold to lower case through the code
// page. It scans eight bytes at a time for the pattern's first letter in either case,
// with no conversion or allocation per record.
class CFoldedSearch {
public:
    CFoldedSearch()
    {
        for (int c = 0; c < 256; ++c) {
            const auto byte = static_cast<unsigned char>(c);
            const unsigned char back =
                AfxUnicodeCharToAnsi(QChar(AfxAnsiCharToUnicode(byte)).toLower().unicode());
            m_fold[byte] = (back == '?' && byte != '?') ? byte : back;
        }
        for (int c = 1; c < 256; ++c) {
            Forms& forms = m_forms[m_fold[c]];
            if (forms.count < 2)
                forms.bytes[forms.count] = static_cast<unsigned char>(c);
            ++forms.count;
        }
    }

    static const CFoldedSearch& Get()
    {
        static const CFoldedSearch search;
        return search;
    }

    unsigned char Fold(unsigned char c) const { return m_fold[c]; }

    bool Contains(const std::string& text, const char* pattern, size_t patternLength) const
    {
        if (patternLength == 0)
            return true;
        const auto* t = reinterpret_cast<const unsigned char*>(text.data());
        const size_t size = text.size();
        const auto* p = reinterpret_cast<const unsigned char*>(pattern);
        const unsigned char first = m_fold[p[0]];
        const Forms& forms = m_forms[first];
        size_t pos = 0;
        if (forms.count >= 1 && forms.count <= 2) {
            // Words without a zero byte or either form of the first letter are skipped.
            const uint64_t a = Broadcast(forms.bytes[0]);
            const uint64_t b = Broadcast(forms.count == 2 ? forms.bytes[1] : forms.bytes[0]);
            while (pos + 8 <= size) {
                uint64_t word;
                std::memcpy(&word, t + pos, sizeof word);
                if (HasZero(word) || HasZero(word ^ a) || HasZero(word ^ b))
                    break;
                pos += 8;
            }
        }
        for (; pos < size && t[pos] != 0; ++pos) {
            if (m_fold[t[pos]] != first)
                continue;
            if (size - pos < patternLength)
                return false; // the rest of the text is shorter than the pattern
            size_t k = 1;
            while (k < patternLength && m_fold[t[pos + k]] == m_fold[p[k]])
                ++k;
            if (k == patternLength)
                return true;
            // Past a mismatch the scan goes on a byte at a time: matches are rare enough.
        }
        return false;
    }

private:
    static uint64_t Broadcast(unsigned char c) { return 0x0101010101010101ull * c; }
    static bool HasZero(uint64_t v)
    {
        return ((v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull) != 0;
    }

    // The bytes that fold to a letter (two at most are kept; more disable the word scan).
    struct Forms {
        unsigned char bytes[2] = {0, 0};
        unsigned count = 0;
    };
    std::array<unsigned char, 256> m_fold{};
    std::array<Forms, 256> m_forms{};
};

// The pattern as stristr sees it: up to its first zero byte.
struct Pattern {
    explicit Pattern(const std::string& text) : data(text.c_str()), length(std::strlen(text.c_str())) {}
    const char* data;
    size_t length;
};

bool Contains(const std::string& field, const Pattern& pattern)
{
    return CFoldedSearch::Get().Contains(field, pattern.data, pattern.length);
}

// The folded copy keeps each field up to its first zero byte, where stristr stops too,
// and ends it with a zero byte, which no pattern holds: a match never spans two fields.
void AppendFolded(std::string& out, const std::string& field)
{
    const void* zero = std::memchr(field.data(), 0, field.size());
    const size_t length =
        zero ? static_cast<size_t>(static_cast<const char*>(zero) - field.data()) : field.size();
    const size_t start = out.size();
    out.resize(start + length + 1);
    const CFoldedSearch& search = CFoldedSearch::Get();
    auto* target = reinterpret_cast<unsigned char*>(out.data() + start);
    const auto* source = reinterpret_cast<const unsigned char*>(field.data());
    for (size_t i = 0; i < length; ++i)
        target[i] = search.Fold(source[i]);
    target[length] = 0;
}

using CFoldedBlock = CRecordSearchIndex::CFoldedBlock;
using CFoldedTexts = CRecordSearchIndex::CFoldedTexts;

constexpr size_t BLOCK_RECORDS = CRecordSearchIndex::BLOCK_RECORDS;

template <typename Record, size_t N>
void AppendRecord(CFoldedBlock& block, const Record* record,
                  const std::array<std::string Record::*, N>& fields)
{
    block.records.push_back(record);
    block.starts.push_back(block.text.size());
    for (std::string Record::*field : fields)
        AppendFolded(block.text, record->*field);
}

void SealBlock(CFoldedBlock& block)
{
    block.starts.push_back(block.text.size());
}

template <typename Record, size_t N>
void FoldBlock(CFoldedBlock& block, Record* const* records, size_t count,
               const std::array<std::string Record::*, N>& fields)
{
    block.records.clear();
    block.text.clear();
    block.starts.clear();
    block.records.reserve(count);
    block.starts.reserve(count + 1);
    for (size_t r = 0; r < count; ++r) {
        // Records lie apart in memory: ask for the next ones while this one is copied.
        if (r + 4 < count)
            __builtin_prefetch(records[r + 4]);
        AppendRecord(block, records[r], fields);
    }
    SealBlock(block);
}

// Runs work(i) for i below count on the cores there are (this thread included); small
// jobs stay on this thread, where a thread start would cost more than it saves.
template <typename Work> void ForEachParallel(size_t count, size_t worthThreadsFrom, const Work& work)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min<size_t>({cores, 8, count});
    if (threads <= 1 || count < worthThreadsFrom) {
        for (size_t i = 0; i < count; ++i)
            work(i);
        return;
    }
    std::atomic<size_t> next{0};
    const auto run = [&] {
        for (size_t i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (size_t t = 1; t < threads; ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread& helper : helpers)
        helper.join();
}

template <typename Record, size_t N>
void Build(CFoldedTexts& folded, const CLibraryDatabase& database, const std::vector<Record*>& records,
           const std::array<std::string Record::*, N>& fields)
{
    const size_t blocks = (records.size() + BLOCK_RECORDS - 1) / BLOCK_RECORDS;
    folded.blocks.clear();
    folded.blocks.resize(blocks);
    CFoldedSearch::Get(); // the fold table is made before the helpers read it
    ForEachParallel(blocks, 4, [&](size_t b) {
        const size_t first = b * BLOCK_RECORDS;
        FoldBlock(folded.blocks[b], records.data() + first, std::min(BLOCK_RECORDS, records.size() - first),
                  fields);
    });
    folded.count = records.size();
    folded.database = &database;
    folded.revision = database.GetRevision();
}

// Brings the copy up to the database's records: a block whose records are still the
// database's next ones, none of them named as changed, is kept as it is; the records of
// other blocks are taken over (their folded bytes copied) where they are still next and
// unchanged, and folded again where they are named; records not in the copy are folded.
// Every record that is not named was in the copy with these fields (records are only
// appended, and an added record is named, even one made where a removed one lay), so the
// result holds exactly the database's records, each with its current fields.
template <typename Record, size_t N>
void Update(CFoldedTexts& folded, const CLibraryDatabase& database, const std::vector<Record*>& records,
            std::vector<const void*> changed, const std::array<std::string Record::*, N>& fields)
{
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    const auto isChanged = [&](const void* record) {
        if (changed.size() <= 8)
            return std::find(changed.begin(), changed.end(), record) != changed.end();
        return std::binary_search(changed.begin(), changed.end(), record);
    };

    std::vector<CFoldedBlock> blocks;
    blocks.reserve(folded.blocks.size() + 2);
    CFoldedBlock pending;
    const auto flush = [&] {
        if (!pending.records.empty()) {
            SealBlock(pending);
            blocks.push_back(std::move(pending));
            pending = CFoldedBlock();
        }
    };
    size_t j = 0;
    for (CFoldedBlock& old : folded.blocks) {
        const size_t size = old.records.size();
        // Small blocks are merged with their neighbours rather than kept, so that adds and
        // removals do not leave the copy in slivers.
        const bool keep = size >= BLOCK_RECORDS / 2 && j + size <= records.size() &&
                          std::equal(old.records.begin(), old.records.end(), records.begin() + j,
                                     [](const void* a, const Record* b) { return a == b; }) &&
                          std::none_of(old.records.begin(), old.records.end(), isChanged);
        if (keep) {
            flush();
            blocks.push_back(std::move(old));
            j += size;
            continue;
        }
        for (size_t k = 0; k < size; ++k) {
            const void* record = old.records[k];
            if (j >= records.size() || records[j] != record)
                continue; // removed since
            if (isChanged(record)) {
                AppendRecord(pending, records[j], fields);
            } else {
                pending.records.push_back(record);
                pending.starts.push_back(pending.text.size());
                pending.text.append(old.text, old.starts[k], old.starts[k + 1] - old.starts[k]);
            }
            ++j;
            if (pending.records.size() >= BLOCK_RECORDS)
                flush();
        }
    }
    for (; j < records.size(); ++j) {
        AppendRecord(pending, records[j], fields);
        if (pending.records.size() >= BLOCK_RECORDS)
            flush();
    }
    flush();
    folded.blocks = std::move(blocks);
    folded.count = records.size();
    folded.revision = database.GetRevision();
}

// Makes the copy current: kept while the revision stays, updated when the database names
// what changed (and that is a small part of it), made anew otherwise.
template <typename Record, size_t N, typename ChangedSince>
void Refresh(CFoldedTexts& folded, const CLibraryDatabase& database, const std::vector<Record*>& records,
             const std::array<std::string Record::*, N>& fields, const ChangedSince& changedSince,
             uint64_t& builds, uint64_t& updates)
{
    if (folded.database == &database && folded.revision == database.GetRevision() &&
        folded.count == records.size())
        return;
    std::vector<const void*> changed;
    if (folded.database == &database && changedSince(folded.revision, changed) &&
        changed.size() <= records.size() / 4 + BLOCK_RECORDS) {
        Update(folded, database, records, std::move(changed), fields);
        ++folded.generation;
        ++updates;
        return;
    }
    Build(folded, database, records, fields);
    ++folded.generation;
    ++builds;
}

constexpr size_t NOT_FOUND = static_cast<size_t>(-1);

// Most patterns are a few letters: their middle is compared here rather than through a
// call to memcmp for every place where the first and last letters agree.
inline bool SameBytes(const char* a, const char* b, size_t count)
{
    if (count > 8)
        return std::memcmp(a, b, count) == 0;
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// The first place at or after pos where the (folded) pattern occurs and ends by end, in a
// folded text of size bytes. Sixteen starting places are tested at once for the pattern's
// first and last bytes; only where both agree are the bytes between compared. The loads
// may read on past end (into the next records, when end closes one record's fields), so a
// short record costs a load or two, not a byte loop.
size_t FindWithin(const char* text, size_t size, size_t pos, size_t end, const char* pattern, size_t length)
{
    if (pos > end || length > end - pos)
        return NOT_FOUND;
    const size_t last = end - length; // the last place a match can start
    const size_t middle = length > 2 ? length - 2 : 0;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(pattern[0]);
    const __m128i final = _mm_set1_epi8(pattern[length - 1]);
    // Both loads stay inside the text.
    while (pos <= last && pos + length + 14 < size) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos + length - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
        if (last - pos < 15)
            mask &= (2u << (last - pos)) - 1; // places past the last one belong to the next record
        while (mask != 0) {
            const size_t at = pos + static_cast<size_t>(__builtin_ctz(mask));
            if (SameBytes(text + at + 1, pattern + 1, middle))
                return at;
            mask &= mask - 1;
        }
        pos += 16;
    }
#endif
    for (; pos <= last; ++pos) {
        if (text[pos] == pattern[0] && text[pos + length - 1] == pattern[length - 1] &&
            SameBytes(text + pos + 1, pattern + 1, middle))
            return pos;
    }
    return NOT_FOUND;
}

// The first position at or after pos where the pattern occurs in the folded text.
size_t FindNext(const char* text, size_t size, size_t pos, const char* pattern, size_t length)
{
    return FindWithin(text, size, pos, size, pattern, length);
}

// Which field of its record (0-based) a position of the folded text lies in.
int FieldAt(const std::string& text, size_t recordStart, size_t pos)
{
    int field = 0;
    const char* p = text.data() + recordStart;
    const char* end = text.data() + pos;
    while (const void* zero = std::memchr(p, 0, static_cast<size_t>(end - p))) {
        ++field;
        p = static_cast<const char*>(zero) + 1;
    }
    return field;
}

// The matches of one block, as indexes into the block.
void FindInBlock(const CFoldedBlock& block, const std::string& pattern, int field, std::vector<uint32_t>& out)
{
    const std::string& text = block.text;
    const std::vector<size_t>& starts = block.starts;
    size_t pos = 0;
    while (true) {
        const size_t at = FindNext(text.data(), text.size(), pos, pattern.data(), pattern.size());
        if (at == NOT_FOUND)
            break;
        // The record whose fields hold the match: the last one starting at or before it.
        const size_t r =
            static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
        if (field == 0 || FieldAt(text, starts[r], at) == field - 1) {
            out.push_back(static_cast<uint32_t>(r));
            pos = starts[r + 1];
        } else {
            pos = at + 1;
        }
    }
}

// The matches among some records of one block (indexes into the block, ascending): each
// is searched within its own fields only.
void FindInCandidates(const CFoldedBlock& block, const std::string& pattern, int field,
                      const std::vector<uint32_t>& candidates, std::vector<uint32_t>& out)
{
    const std::string& text = block.text;
    const std::vector<size_t>& starts = block.starts;
    for (const uint32_t r : candidates) {
        const size_t end = starts[r + 1];
        size_t pos = starts[r];
        while (true) {
            const size_t at = FindWithin(text.data(), text.size(), pos, end, pattern.data(), pattern.size());
            if (at == NOT_FOUND)
                break;
            if (field == 0 || FieldAt(text, starts[r], at) == field - 1) {
                out.push_back(r);
                break;
            }
            pos = at + 1;
        }
    }
}

// Searches of at least this many records are shared among the cores.
constexpr size_t WORTH_THREADS_FROM = 64 * 1024;

// field: 0 for any, otherwise the 1-based field in the copy. Large copies are searched a
// run of blocks per core; the matches are joined in block order. When the last search
// of the copy had the same field and a pattern that this longer one holds, only its
// matches are searched again: no other record can hold the longer pattern.
template <typename Record>
void FindIn(const CFoldedTexts& folded, const std::vector<Record*>& records, const std::string& searchText,
            int field, std::vector<Record*>& out, CRecordSearchIndex::CLastFind& last, uint64_t& narrowed)
{
    out.clear();
    const Pattern raw(searchText);
    if (raw.length == 0) {
        out = records;
        return;
    }
    std::string pattern(raw.data, raw.length);
    for (char& c : pattern)
        c = static_cast<char>(CFoldedSearch::Get().Fold(static_cast<unsigned char>(c)));
    const size_t blockCount = folded.blocks.size();
    const bool narrow = last.valid && last.generation == folded.generation && last.field == field &&
                        last.hits.size() == blockCount && pattern.size() > last.pattern.size() &&
                        pattern.find(last.pattern) != std::string::npos;
    // The last search is forgotten until this one is complete.
    last.valid = false;
    std::vector<size_t> bases(blockCount + 1, 0);
    for (size_t b = 0; b < blockCount; ++b)
        bases[b + 1] = bases[b] + folded.blocks[b].records.size();
    size_t searched = bases[blockCount];
    std::vector<std::vector<uint32_t>> candidates;
    if (narrow) {
        candidates = std::move(last.hits);
        searched = 0;
        for (const std::vector<uint32_t>& c : candidates)
            searched += c.size();
        ++narrowed;
    }
    // A few parts per core, so that one slow part does not hold the others up.
    const size_t parts = std::min<size_t>(blockCount, 16);
    std::vector<std::vector<uint32_t>> hits(blockCount);
    // The matches searched again cost more a record than a pass over the whole copy does.
    const size_t worthThreads =
        searched >= (narrow ? WORTH_THREADS_FROM / 4 : WORTH_THREADS_FROM) ? 2 : SIZE_MAX;
    ForEachParallel(parts, worthThreads, [&](size_t part) {
        for (size_t b = part * blockCount / parts; b < (part + 1) * blockCount / parts; ++b) {
            if (narrow)
                FindInCandidates(folded.blocks[b], pattern, field, candidates[b], hits[b]);
            else
                FindInBlock(folded.blocks[b], pattern, field, hits[b]);
        }
    });
    size_t total = 0;
    for (const std::vector<uint32_t>& h : hits)
        total += h.size();
    out.reserve(total);
    for (size_t b = 0; b < blockCount; ++b) {
        for (uint32_t r : hits[b])
            out.push_back(records[bases[b] + r]);
    }
    last.hits = std::move(hits);
    last.pattern = std::move(pattern);
    last.field = field;
    last.generation = folded.generation;
    last.valid = true;
}

int FieldFromName(const QString& name, std::initializer_list<const char*> names)
{
    int index = 0;
    for (const char* candidate : names) {
        if (name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0)
            return index;
        ++index;
    }
    return -1;
}

} // namespace

bool SongMatchesSearch(const CSongRecord& song, const std::string& searchText, int field)
{
    if (searchText.empty())
        return true;
    const Pattern text(searchText);
    switch (field) {
    case songSearchAll:
        // The records lie apart in memory: asking for every field's text at once lets
        // their cache misses overlap instead of following one another.
        for (const std::string* f :
             {&song.GetTitle(), &song.GetArtist(), &song.GetAlbum(), &song.GetComposer(), &song.GetLyricist(),
              &song.GetArranger(), &song.GetTranscriber()})
            __builtin_prefetch(f->data());
        return Contains(song.GetTitle(), text) || Contains(song.GetArtist(), text) ||
               Contains(song.GetAlbum(), text) || Contains(song.GetComposer(), text) ||
               Contains(song.GetLyricist(), text) || Contains(song.GetArranger(), text) ||
               Contains(song.GetTranscriber(), text);
    case songSearchTitle:
        return Contains(song.GetTitle(), text);
    case songSearchArtist:
        return Contains(song.GetArtist(), text);
    case songSearchAlbum:
        return Contains(song.GetAlbum(), text);
    case songSearchComposer:
        return Contains(song.GetComposer(), text);
    case songSearchLyricist:
        return Contains(song.GetLyricist(), text);
    case songSearchArranger:
        return Contains(song.GetArranger(), text);
    case songSearchTranscriber:
        return Contains(song.GetTranscriber(), text);
    default:
        return false;
    }
}

bool LessonMatchesSearch(const CLessonRecord& lesson, const std::string& searchText, int field)
{
    if (searchText.empty())
        return true;
    const Pattern text(searchText);
    switch (field) {
    case lessonSearchAll:
        return Contains(lesson.GetTitle(), text) || Contains(lesson.GetSubtitle(), text) ||
               Contains(lesson.GetAuthor(), text);
    case lessonSearchTitle:
        return Contains(lesson.GetTitle(), text);
    case lessonSearchSubtitle:
        return Contains(lesson.GetSubtitle(), text);
    case lessonSearchAuthor:
        return Contains(lesson.GetAuthor(), text);
    default:
        return false;
    }
}

int SongSearchFieldFromName(const QString& name)
{
    return FieldFromName(
        name, {"all", "title", "artist", "album", "composer", "lyricist", "arranger", "transcriber"});
}

int LessonSearchFieldFromName(const QString& name)
{
    return FieldFromName(name, {"all", "title", "subtitle", "author"});
}

bool CRecordSearchIndex::FindSongs(const CLibraryDatabase& database, const std::string& text, int field,
                                   std::vector<CSongRecord*>& out)
{
    out.clear();
    if (field < songSearchAll || field >= SONG_SEARCH_FIELD_COUNT)
        return false;
    const std::vector<CSongRecord*>& songs = database.GetSongs();
    // An empty text matches every song: the folded copy is not made for it (a list shows
    // all songs at start-up, long before anyone types).
    if (Pattern(text).length == 0) {
        out = songs;
        return true;
    }
    Refresh(
        m_songs, database, songs,
        std::array{&CSongRecord::m_title, &CSongRecord::m_artist, &CSongRecord::m_album,
                   &CSongRecord::m_composer, &CSongRecord::m_lyricist, &CSongRecord::m_arranger,
                   &CSongRecord::m_transcriber},
        [&](uint64_t revision, std::vector<const void*>& changed) {
            std::vector<const CSongRecord*> named;
            const bool known = database.GetSongsChangedSince(revision, named);
            changed.assign(named.begin(), named.end());
            return known;
        },
        m_builds, m_updates);
    FindIn(m_songs, songs, text, field, out, m_lastSongs, m_narrowed);
    return true;
}

bool CRecordSearchIndex::FindLessons(const CLibraryDatabase& database, const std::string& text, int field,
                                     std::vector<CLessonRecord*>& out)
{
    out.clear();
    if (field < lessonSearchAll || field >= LESSON_SEARCH_FIELD_COUNT)
        return false;
    const std::vector<CLessonRecord*>& lessons = database.GetLessons();
    if (Pattern(text).length == 0) {
        out = lessons;
        return true;
    }
    Refresh(
        m_lessons, database, lessons,
        std::array{&CLessonRecord::m_title, &CLessonRecord::m_subtitle, &CLessonRecord::m_author},
        [&](uint64_t revision, std::vector<const void*>& changed) {
            std::vector<const CLessonRecord*> named;
            const bool known = database.GetLessonsChangedSince(revision, named);
            changed.assign(named.begin(), named.end());
            return known;
        },
        m_builds, m_updates);
    FindIn(m_lessons, lessons, text, field, out, m_lastLessons, m_narrowed);
    return true;
}
