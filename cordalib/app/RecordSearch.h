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
// a contiguous, case-folded copy of the searched fields, so that a keystroke reads a few
// megabytes in order instead of every record in the heap. The copy is cut into blocks of
// a few thousand records. When the database has changed, the blocks of the records it
// names as added or changed are folded again and the others kept; when it cannot name
// them (a load, a Clear, SetModified), the copy is made anew, one block per core.
class CRecordSearchIndex {
public:
    // The matching records replace out. False (out emptied) for a field out of range.
    bool FindSongs(const CLibraryDatabase& database, const std::string& text, int field,
                   std::vector<CSongRecord*>& out);
    bool FindLessons(const CLibraryDatabase& database, const std::string& text, int field,
                     std::vector<CLessonRecord*>& out);

    // How many times a whole copy was made, and how many times one was brought up to date
    // (tests see that a search reused it, or refreshed it instead of making it anew).
    uint64_t GetBuildCount() const { return m_builds; }
    uint64_t GetUpdateCount() const { return m_updates; }

    // Records a block holds when it is made (the last one of a copy may hold fewer; an
    // update may leave some with fewer).
    static constexpr size_t BLOCK_RECORDS = 2048;

    // One block of the folded copy: each record's fields in search-field order, each ended
    // by a zero byte; record k's fields begin at starts[k], and starts ends with the size.
    struct CFoldedBlock {
        std::vector<const void*> records;
        std::string text;
        std::vector<size_t> starts;
    };
    // The copy of one kind: its blocks hold the database's records in its order; the
    // generation counts the times they were made or brought up to date.
    struct CFoldedTexts {
        const CLibraryDatabase* database = nullptr;
        uint64_t revision = 0;
        uint64_t generation = 0;
        size_t count = 0;
        std::vector<CFoldedBlock> blocks;
    };
    // The last search of one kind: its folded pattern, field and matches per block, kept
    // while the copy stays. A longer text that holds it (the next keystroke of the same
    // word) can only match records among these, and searches only them.
    struct CLastFind {
        uint64_t generation = 0;
        bool valid = false;
        int field = 0;
        std::string pattern;
        std::vector<std::vector<uint32_t>> hits;
    };

    // How many searches looked only through the last search's matches.
    uint64_t GetNarrowedCount() const { return m_narrowed; }

private:
    CFoldedTexts m_songs;
    CFoldedTexts m_lessons;
    CLastFind m_lastSongs;
    CLastFind m_lastLessons;
    uint64_t m_narrowed = 0;
    uint64_t m_builds = 0;
    uint64_t m_updates = 0;
};
