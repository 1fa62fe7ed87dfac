#include "cordalib/app/RecordSearch.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/platform/CodePage.h"

#include <array>
#include <cstdint>
#include <cstring>

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
