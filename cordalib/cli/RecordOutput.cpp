#include "cordalib/cli/RecordOutput.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/platform/CodePage.h"

#include <QStringList>

namespace {

QString Field(const std::string& text)
{
    // A tab or line break inside a field would break the line format.
    QString value = AfxAnsiToUnicode(text);
    for (QChar& c : value) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return value;
}

} // namespace

QString RecordOutput::IsoDate(const COleDateTime& utc)
{
    if (utc.GetStatus() != COleDateTime::valid)
        return QString();
    return utc.FormatIso8601Utc();
}

QString RecordOutput::SongLine(const CSongRecord& song)
{
    return QStringList{
        Field(song.GetTitle()),          Field(song.GetArtist()),           Field(song.GetAlbum()),
        QString::number(song.GetYear()), QString::number(song.GetRating()), song.GetPath()}
        .join(QLatin1Char('\t'));
}

QString RecordOutput::LessonLine(const CLessonRecord& lesson)
{
    return QStringList{Field(lesson.GetTitle()),  Field(lesson.GetSubtitle()),
                       lesson.GetStyleName(),     lesson.GetLevelName(),
                       Field(lesson.GetAuthor()), QString::number(lesson.GetRating()),
                       lesson.GetPath()}
        .join(QLatin1Char('\t'));
}

void RecordOutput::WriteSong(CJsonWriter& json, const CSongRecord& song)
{
    json.BeginObject();
    json.Member(QStringLiteral("id"), uint64_t{song.GetId()});
    json.Key(QStringLiteral("title")).AnsiValue(song.GetTitle());
    json.Key(QStringLiteral("artist")).AnsiValue(song.GetArtist());
    json.Key(QStringLiteral("album")).AnsiValue(song.GetAlbum());
    json.Member(QStringLiteral("year"), unsigned{song.GetYear()});
    json.Key(QStringLiteral("traditional")).Bool(song.IsTraditional());
    json.Key(QStringLiteral("composer")).AnsiValue(song.GetComposer());
    json.Key(QStringLiteral("lyricist")).AnsiValue(song.GetLyricist());
    json.Key(QStringLiteral("arranger")).AnsiValue(song.GetArranger());
    json.Key(QStringLiteral("transcriber")).AnsiValue(song.GetTranscriber());
    json.Key(QStringLiteral("copyright")).AnsiValue(song.GetCopyright());
    json.Member(QStringLiteral("path"), song.GetPath());
    json.Member(QStringLiteral("dateAdded"), IsoDate(song.GetDateAdded()));
    json.Member(QStringLiteral("lastWriteTime"), uint64_t{song.GetLastWriteTime()});
    json.Key(QStringLiteral("checksum")).AnsiValue(song.GetChecksum());
    json.Member(QStringLiteral("rating"), unsigned{song.GetRating()});
    json.EndObject();
}

void RecordOutput::WriteLesson(CJsonWriter& json, const CLessonRecord& lesson)
{
    json.BeginObject();
    json.Member(QStringLiteral("id"), uint64_t{lesson.GetId()});
    json.Key(QStringLiteral("title")).AnsiValue(lesson.GetTitle());
    json.Key(QStringLiteral("subtitle")).AnsiValue(lesson.GetSubtitle());
    json.Member(QStringLiteral("style"), unsigned{lesson.GetStyle()});
    json.Member(QStringLiteral("styleName"), lesson.GetStyleName());
    json.Member(QStringLiteral("level"), unsigned{lesson.GetLevel()});
    json.Member(QStringLiteral("levelName"), lesson.GetLevelName());
    json.Key(QStringLiteral("author")).AnsiValue(lesson.GetAuthor());
    json.Key(QStringLiteral("copyright")).AnsiValue(lesson.GetCopyright());
    json.Member(QStringLiteral("path"), lesson.GetPath());
    json.Member(QStringLiteral("dateAdded"), IsoDate(lesson.GetDateAdded()));
    json.Member(QStringLiteral("lastWriteTime"), uint64_t{lesson.GetLastWriteTime()});
    json.Key(QStringLiteral("checksum")).AnsiValue(lesson.GetChecksum());
    json.Member(QStringLiteral("rating"), unsigned{lesson.GetRating()});
    json.EndObject();
}
