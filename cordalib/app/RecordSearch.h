#pragma once
// The search of the song and lesson lists: a record passes when the text is empty or
// occurs, without regard to case, in one of the fields the search field selects. The
// desktop lists and cordalib-cli both build their base sets with it.

#include <QString>

#include <string>

class CSongRecord;
class CLessonRecord;

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
