#include "cordalib/app/RecordSearch.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/system/TextUtilities.h"

namespace {

bool Contains(const std::string& field, const std::string& text)
{
    return stristr(field.c_str(), text.c_str()) != nullptr;
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

bool SongMatchesSearch(const CSongRecord& song, const std::string& text, int field)
{
    if (text.empty())
        return true;
    switch (field) {
    case songSearchAll:
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

bool LessonMatchesSearch(const CLessonRecord& lesson, const std::string& text, int field)
{
    if (text.empty())
        return true;
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
