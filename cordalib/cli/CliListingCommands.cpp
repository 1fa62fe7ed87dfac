// The cordalib-cli listings: songs, lessons and the four summaries. They run through the
// same recordsets, search and summary filter as the desktop lists.
#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/RecordSearch.h"
#include "cordalib/cli/CliSupport.h"
#include "cordalib/cli/CordaLibCli.h"
#include "cordalib/cli/JsonWriter.h"
#include "cordalib/cli/RecordOutput.h"
#include "cordalib/library/Recordset.h"
#include "qvsystem/platform/CodePage.h"

#include <algorithm>

namespace {

// The column headings of the two lists, in true-column order.
const char* const SONG_HEADINGS[] = {"#",          "Title",         "Artist",    "Album",
                                     "Year",       "Traditional",   "Composer",  "Lyricist",
                                     "Arranger",   "Transcriber",   "Copyright", "File Name",
                                     "Date Added", "Last Modified", "Checksum",  "Rating"};
const char* const LESSON_HEADINGS[] = {"#",          "Title",         "Subtitle",  "Style",
                                       "Level",      "Author",        "Copyright", "File Name",
                                       "Date Added", "Last Modified", "Checksum",  "Rating"};

// A heading (ignoring case) or a true-column number; -1 when it names no column.
int ColumnFromText(const QString& text, const char* const* headings, int count)
{
    bool isNumber = false;
    const int number = text.trimmed().toInt(&isNumber);
    if (isNumber)
        return number >= 0 && number < count ? number : -1;
    for (int column = 0; column < count; ++column) {
        if (text.trimmed().compare(QLatin1String(headings[column]), Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

} // namespace

int CCordaLibCli::RunSongs()
{
    const int field =
        SongSearchFieldFromName(m_args.HasOption("field") ? m_args.Option("field") : QStringLiteral("all"));
    if (field < 0) {
        Err(QStringLiteral("songs: unknown field '%1'").arg(m_args.Option("field")));
        return CLI_EXIT_USAGE;
    }
    int column = -1;
    if (m_args.HasOption("sort")) {
        column = ColumnFromText(m_args.Option("sort"), SONG_HEADINGS, std::size(SONG_HEADINGS));
        if (column < 0) {
            Err(QStringLiteral("songs: unknown column '%1'").arg(m_args.Option("sort")));
            return CLI_EXIT_USAGE;
        }
    } else if (m_args.HasFlag("descending")) {
        Err(QStringLiteral("songs: --descending needs --sort"));
        return CLI_EXIT_USAGE;
    }

    const std::string text = AfxUnicodeToAnsi(m_args.Option("search"));
    CSongRecordset recordset;
    for (CSongRecord* song : m_app->GetLibraryDatabase().GetSongs()) {
        if (SongMatchesSearch(*song, text, field))
            recordset.Add(song);
    }
    const std::string artist =
        m_args.HasOption("artist") ? AfxUnicodeToAnsi(m_args.Option("artist")) : SUMMARY_KEY_ALL;
    const std::string album =
        m_args.HasOption("album") ? AfxUnicodeToAnsi(m_args.Option("album")) : SUMMARY_KEY_ALL;
    std::vector<CSongRecord*> visible;
    bool anyMatch = true;
    if (artist != SUMMARY_KEY_ALL || album != SUMMARY_KEY_ALL) {
        // The lists only offer groups that exist; a filter that matches nothing here
        // must list nothing, not fall back to every song.
        const auto& all = recordset.GetAllEntries();
        anyMatch = std::any_of(all.begin(), all.end(), [&](const CSongRecord* song) {
            return (artist == SUMMARY_KEY_ALL || song->GetArtist() == artist) &&
                   (album == SUMMARY_KEY_ALL || song->GetAlbum() == album);
        });
        recordset.Filter(artist.c_str(), album.c_str(), true);
    }
    if (anyMatch) {
        if (column >= 0)
            recordset.Sort(column, !m_args.HasFlag("descending"), true);
        for (size_t i = 0; i < recordset.GetCount(); ++i)
            visible.push_back(recordset.Get(i));
    }

    if (m_args.json) {
        CJsonWriter json;
        json.BeginArray();
        for (const CSongRecord* song : visible)
            RecordOutput::WriteSong(json, *song);
        json.EndArray();
        OutJson(json.GetText());
    } else {
        for (const CSongRecord* song : visible)
            Out(RecordOutput::SongLine(*song));
    }
    return CLI_EXIT_SUCCESS;
}

int CCordaLibCli::RunLessons()
{
    const int field =
        LessonSearchFieldFromName(m_args.HasOption("field") ? m_args.Option("field") : QStringLiteral("all"));
    if (field < 0) {
        Err(QStringLiteral("lessons: unknown field '%1'").arg(m_args.Option("field")));
        return CLI_EXIT_USAGE;
    }
    int column = -1;
    if (m_args.HasOption("sort")) {
        column = ColumnFromText(m_args.Option("sort"), LESSON_HEADINGS, std::size(LESSON_HEADINGS));
        if (column < 0) {
            Err(QStringLiteral("lessons: unknown column '%1'").arg(m_args.Option("sort")));
            return CLI_EXIT_USAGE;
        }
    } else if (m_args.HasFlag("descending")) {
        Err(QStringLiteral("lessons: --descending needs --sort"));
        return CLI_EXIT_USAGE;
    }
    unsigned style = LESSON_STYLE_ALL;
    unsigned level = LESSON_LEVEL_ALL;
    if (m_args.HasOption("style")) {
        const std::optional<unsigned> parsed = CliParseLessonStyle(m_args.Option("style"));
        if (!parsed) {
            Err(LoadAppString(IDS_VALIDATE_STYLE));
            return CLI_EXIT_USAGE;
        }
        style = *parsed;
    }
    if (m_args.HasOption("level")) {
        const std::optional<unsigned> parsed = CliParseLessonLevel(m_args.Option("level"));
        if (!parsed) {
            Err(LoadAppString(IDS_VALIDATE_LEVEL));
            return CLI_EXIT_USAGE;
        }
        level = *parsed;
    }

    const std::string text = AfxUnicodeToAnsi(m_args.Option("search"));
    CLessonRecordset recordset;
    for (CLessonRecord* lesson : m_app->GetLibraryDatabase().GetLessons()) {
        if (LessonMatchesSearch(*lesson, text, field))
            recordset.Add(lesson);
    }
    std::vector<CLessonRecord*> visible;
    bool anyMatch = true;
    if (style != LESSON_STYLE_ALL || level != LESSON_LEVEL_ALL) {
        const auto& all = recordset.GetAllEntries();
        anyMatch = std::any_of(all.begin(), all.end(), [&](const CLessonRecord* lesson) {
            return (style == LESSON_STYLE_ALL || lesson->GetStyle() == style) &&
                   (level == LESSON_LEVEL_ALL || lesson->GetLevel() == level);
        });
        recordset.Filter(style, level, true);
    }
    if (anyMatch) {
        if (column >= 0)
            recordset.Sort(column, !m_args.HasFlag("descending"), true);
        for (size_t i = 0; i < recordset.GetCount(); ++i)
            visible.push_back(recordset.Get(i));
    }

    if (m_args.json) {
        CJsonWriter json;
        json.BeginArray();
        for (const CLessonRecord* lesson : visible)
            RecordOutput::WriteLesson(json, *lesson);
        json.EndArray();
        OutJson(json.GetText());
    } else {
        for (const CLessonRecord* lesson : visible)
            Out(RecordOutput::LessonLine(*lesson));
    }
    return CLI_EXIT_SUCCESS;
}

int CCordaLibCli::RunSummary()
{
    const QString& command = m_args.command;
    const bool songs = command == QLatin1String("artists") || command == QLatin1String("albums");
    const int field = songs ? SongSearchFieldFromName(m_args.HasOption("field") ? m_args.Option("field")
                                                                                : QStringLiteral("all"))
                            : LessonSearchFieldFromName(m_args.HasOption("field") ? m_args.Option("field")
                                                                                  : QStringLiteral("all"));
    if (field < 0) {
        Err(QStringLiteral("%1: unknown field '%2'").arg(command, m_args.Option("field")));
        return CLI_EXIT_USAGE;
    }
    const std::string text = AfxUnicodeToAnsi(m_args.Option("search"));
    const QString rowFormat = LoadAppString(IDS_SUMMARY_ROW_FORMAT);

    // The rows: display text (the value as stored), the JSON members, the count.
    struct Row {
        QString text;
        uint64_t count;
        std::function<void(CJsonWriter&)> members;
    };
    std::vector<Row> rows;
    unsigned allTextId = 0;
    if (songs) {
        std::vector<CSongRecord*> base;
        for (CSongRecord* song : m_app->GetLibraryDatabase().GetSongs()) {
            if (SongMatchesSearch(*song, text, field))
                base.push_back(song);
        }
        if (command == QLatin1String("artists")) {
            allTextId = IDS_ALL_ARTISTS;
            CArtistSummaryRecordset summary;
            summary.Build(base);
            for (size_t i = 0; i < summary.GetCount(); ++i) {
                const CArtistSummaryRecord* record = summary.Get(i);
                const QString value = AfxAnsiToUnicode(record->m_artist);
                rows.push_back({value, record->m_count, [value](CJsonWriter& json) {
                                    json.Member(QStringLiteral("artist"), value);
                                }});
            }
        } else {
            allTextId = IDS_ALL_ALBUMS;
            const std::string artist =
                m_args.HasOption("artist") ? AfxUnicodeToAnsi(m_args.Option("artist")) : SUMMARY_KEY_ALL;
            // The second box counts only the songs of the first box's choice.
            if (artist != SUMMARY_KEY_ALL)
                std::erase_if(base,
                              [&artist](const CSongRecord* song) { return song->GetArtist() != artist; });
            CAlbumSummaryRecordset summary;
            summary.Build(base);
            for (size_t i = 0; i < summary.GetCount(); ++i) {
                const CAlbumSummaryRecord* record = summary.Get(i);
                const QString value = AfxAnsiToUnicode(record->m_album);
                rows.push_back({value, record->m_count,
                                [value](CJsonWriter& json) { json.Member(QStringLiteral("album"), value); }});
            }
        }
    } else {
        std::vector<CLessonRecord*> base;
        for (CLessonRecord* lesson : m_app->GetLibraryDatabase().GetLessons()) {
            if (LessonMatchesSearch(*lesson, text, field))
                base.push_back(lesson);
        }
        if (command == QLatin1String("styles")) {
            allTextId = IDS_ALL_STYLES;
            CLessonStyleSummaryRecordset summary;
            summary.Build(base);
            for (size_t i = 0; i < summary.GetCount(); ++i) {
                const CLessonStyleSummaryRecord* record = summary.Get(i);
                const QString name = GetLessonStyleName(record->m_style);
                const unsigned style = record->m_style;
                rows.push_back({name, record->m_count, [name, style](CJsonWriter& json) {
                                    json.Member(QStringLiteral("style"), style);
                                    json.Member(QStringLiteral("styleName"), name);
                                }});
            }
        } else {
            allTextId = IDS_ALL_LEVELS;
            unsigned style = LESSON_STYLE_ALL;
            if (m_args.HasOption("style")) {
                const std::optional<unsigned> parsed = CliParseLessonStyle(m_args.Option("style"));
                if (!parsed) {
                    Err(LoadAppString(IDS_VALIDATE_STYLE));
                    return CLI_EXIT_USAGE;
                }
                style = *parsed;
            }
            if (style != LESSON_STYLE_ALL)
                std::erase_if(base,
                              [style](const CLessonRecord* lesson) { return lesson->GetStyle() != style; });
            CLessonLevelSummaryRecordset summary;
            summary.Build(base);
            for (size_t i = 0; i < summary.GetCount(); ++i) {
                const CLessonLevelSummaryRecord* record = summary.Get(i);
                const QString name = GetLessonLevelName(record->m_level);
                const unsigned level = record->m_level;
                rows.push_back({name, record->m_count, [name, level](CJsonWriter& json) {
                                    json.Member(QStringLiteral("level"), level);
                                    json.Member(QStringLiteral("levelName"), name);
                                }});
            }
        }
    }

    const QString allText = LoadAppString(allTextId);
    if (m_args.json) {
        CJsonWriter json;
        json.BeginObject();
        json.Member(QStringLiteral("all"), allText);
        json.Member(QStringLiteral("count"), uint64_t{rows.size()});
        json.Key(QStringLiteral("rows")).BeginArray();
        for (const Row& row : rows) {
            json.BeginObject();
            row.members(json);
            json.Member(QStringLiteral("count"), row.count);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        OutJson(json.GetText());
        return CLI_EXIT_SUCCESS;
    }
    Out(AfxFormatMessage(rowFormat, allText, static_cast<unsigned long long>(rows.size())));
    for (const Row& row : rows)
        Out(AfxFormatMessage(rowFormat, row.text, static_cast<unsigned long long>(row.count)));
    return CLI_EXIT_SUCCESS;
}
