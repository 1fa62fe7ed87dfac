#pragma once
// The search of the song and lesson lists: a record passes when the text is empty or
// occurs, without regard to case, in one of the fields the search field selects. The
// desktop lists and cordalib-cli both build their base sets with it.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSongRecord;
class CLessonRecord;
class CLibraryDatabase;

// Song search fields: 0 = any of the seven below (not copyright, path or checksum).
enum songSearchFields : int {
    songSearchAll = 0,
    songSearchTitle,
    songSearchArtist,
    songSearchAlbum,
    songSearchComposer,
    songSearchLyricist,
    songSearchArranger,
    songSearchTranscriber,
    SONG_SEARCH_FIELD_COUNT
};

// Lesson search fields: 0 = any of the three below.
enum lessonSearchFields : int {
    lessonSearchAll = 0,
    lessonSearchTitle,
    lessonSearchSubtitle,
    lessonSearchAuthor,
    LESSON_SEARCH_FIELD_COUNT
};

// The search text is the 8-bit (code-page) form of what the user typed.
bool SongMatchesSearch(const CSongRecord& song, const std::string& text, int field);
bool LessonMatchesSearch(const CLessonRecord& lesson, const std::string& text, int field);

// A field by its name ("all", "title", ... ignoring case); -1 when there is none.
int SongSearchFieldFromName(const QString& name);
int LessonSearchFieldFromName(const QString& name);

// The records of a database that pass a search, in the database's order: the same
// records as SongMatchesSearch and LessonMatchesSearch pass. Each list keeps one: it holds
// a contiguous, case-folded copy of the searched fields, made at the first search and
// again once the database's revision has changed, so that a keystroke reads a few
// megabytes in order instead of every record in the heap.
class CRecordSearchIndex {
public:
    // The matching records replace out. False (out emptied) for a field out of range.
    bool FindSongs(const CLibraryDatabase& database, const std::string& text, int field,
                   std::vector<CSongRecord*>& out);
    bool FindLessons(const CLibraryDatabase& database, const std::string& text, int field,
                     std::vector<CLessonRecord*>& out);

    // How many times a copy was made (tests see that a search reused it).
    uint64_t GetBuildCount() const { return m_builds; }

    // The folded copy of one kind: each record's fields in search-field order, each ended
    // by a zero byte; record r's fields begin at starts[r], and starts ends with the size.
    struct CFoldedTexts {
        const CLibraryDatabase* database = nullptr;
        uint64_t revision = 0;
        std::string text;
        std::vector<size_t> starts;
    };

private:
    CFoldedTexts m_songs;
    CFoldedTexts m_lessons;
    uint64_t m_builds = 0;
};
