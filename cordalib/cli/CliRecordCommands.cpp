// The cordalib-cli commands on single records and files: header, edit, rate, rename,
// remove, info and check.
#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/cli/CliSupport.h"
#include "cordalib/cli/CordaLibCli.h"
#include "cordalib/cli/JsonWriter.h"
#include "cordalib/cli/RecordOutput.h"
#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/FileChangeMask.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/system/FileUtilities.h"
#include "qvsystem/system/FormatUtilities.h"
#include "qvsystem/system/TextUtilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <optional>

namespace {

QString AbsolutePath(const QString& file)
{
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

// A style or level given as its display name (ignoring case) or as its number.
std::optional<unsigned> ParseNamedValue(const QString& text, unsigned count, const QString& (*name)(unsigned))
{
    bool isNumber = false;
    const unsigned number = text.trimmed().toUInt(&isNumber);
    if (isNumber)
        return number < count ? std::optional<unsigned>(number) : std::nullopt;
    for (unsigned value = 0; value < count; ++value) {
        if (name(value).compare(text.trimmed(), Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

// The options that belong to the other record kind.
bool HasAnyOption(const CCliArguments& arguments, std::initializer_list<const char*> names, QString& found)
{
    for (const char* name : names) {
        if (arguments.HasOption(name)) {
            found = QLatin1String(name);
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<unsigned> CliParseLessonStyle(const QString& text)
{
    return ParseNamedValue(text, LESSON_STYLE_COUNT, &GetLessonStyleName);
}

std::optional<unsigned> CliParseLessonLevel(const QString& text)
{
    return ParseNamedValue(text, LESSON_LEVEL_COUNT, &GetLessonLevelName);
}

void CCordaLibCli::FindRecord(const QString& file, CSongRecord*& song, CLessonRecord*& lesson) const
{
    song = nullptr;
    lesson = nullptr;
    const QString path = AbsolutePath(file);
    const CLibraryDatabase& database = m_app->GetLibraryDatabase();
    for (CSongRecord* record : database.GetSongs()) {
        if (record->GetPath().compare(path, Qt::CaseInsensitive) == 0 ||
            record->GetPath().compare(file, Qt::CaseInsensitive) == 0) {
            song = record;
            return;
        }
    }
    for (CLessonRecord* record : database.GetLessons()) {
        if (record->GetPath().compare(path, Qt::CaseInsensitive) == 0 ||
            record->GetPath().compare(file, Qt::CaseInsensitive) == 0) {
            lesson = record;
            return;
        }
    }
}

int CCordaLibCli::FindRecordOrRefuse(const QString& file, CSongRecord*& song, CLessonRecord*& lesson)
{
    FindRecord(file, song, lesson);
    if (song || lesson)
        return CLI_EXIT_SUCCESS;
    Err(AfxFormatMessage(LoadAppString(IDS_CLI_NOT_IN_LIBRARY), AbsolutePath(file)));
    return CLI_EXIT_REFUSED;
}

void CCordaLibCli::PrintRecordJson(const CSongRecord* song, const CLessonRecord* lesson)
{
    if (!m_args.json)
        return;
    CJsonWriter json;
    if (song)
        RecordOutput::WriteSong(json, *song);
    else if (lesson)
        RecordOutput::WriteLesson(json, *lesson);
    else
        json.Null();
    OutJson(json.GetText());
}

int CCordaLibCli::RunHeader()
{
    const QString path = AbsolutePath(m_args.positional.front());
    CCordaFileHeader header;
    QString error;
    if (!ReadHeaderFromFile(path, header, nullptr, nullptr, &error)) {
        Err(QStringLiteral("%1 - %2").arg(path, error));
        return CLI_EXIT_FAILURE;
    }
    struct Row {
        const char* name;
        QString value;
        bool numeric;
    };
    struct Text {
        QString value;
        Text(const std::string& bytes) : value(AfxAnsiToUnicode(bytes)) {}
    };
    auto text = [](const std::string& bytes) { return Text(bytes); };
    auto number = [](unsigned value) { return value; };
    std::vector<Row> rows;
    auto add = [&rows](const char* name, auto value) {
        if constexpr (std::is_same_v<decltype(value), Text>)
            rows.push_back({name, value.value, false});
        else
            rows.push_back({name, QString::number(value), true});
    };
    add("version", number(header.GetVersion()));
    add("fileType", number(header.GetFileType()));
    add("contentByte", number(header.GetContentByte()));
    add("title", text(header.GetTitle()));
    add("artist", text(header.GetArtist()));
    add("releaseType", number(header.GetReleaseType()));
    add("albumKind", number(header.GetAlbumKind()));
    add("albumTitle", text(header.GetAlbumTitle()));
    add("albumYear", number(header.GetAlbumYear()));
    add("albumFlag", number(header.GetAlbumFlag()));
    add("release1Title", text(header.GetRelease1Title()));
    add("release1Flag", number(header.GetRelease1Flag()));
    add("release2Title", text(header.GetRelease2Title()));
    add("release2Day", number(header.GetRelease2Date(0)));
    add("release2Month", number(header.GetRelease2Date(1)));
    add("release2Year", number(header.GetRelease2Date(2)));
    add("authorshipType", number(header.GetAuthorshipType()));
    add("composer", text(header.GetComposer()));
    add("lyricist", text(header.GetLyricist()));
    add("arranger", text(header.GetArranger()));
    add("transcriberA", text(header.GetTranscriberA()));
    add("transcriberB", text(header.GetTranscriberB()));
    add("copyright", text(header.GetCopyright()));
    add("extraText1", text(header.GetExtraText(0)));
    add("extraText2", text(header.GetExtraText(1)));
    add("extraText3", text(header.GetExtraText(2)));
    add("lessonTitle", text(header.GetLessonTitle()));
    add("lessonSubtitle", text(header.GetLessonSubtitle()));
    add("lessonStyle", number(header.GetLessonStyle()));
    add("lessonLevel", number(header.GetLessonLevel()));
    add("lessonAuthor", text(header.GetLessonAuthor()));
    add("lessonExtraText", text(header.GetLessonExtraText()));
    add("lessonCopyright", text(header.GetLessonCopyright()));
    add("legacyCode", number(header.GetLegacyCode()));
    add("legacyTitle", text(header.GetLegacyTitle()));
    add("legacyFlag", number(header.GetLegacyFlag()));
    add("legacyYear", number(header.GetLegacyYear()));
    add("album", text(header.GetAlbum()));
    add("transcriber", text(header.GetTranscriber()));
    if (m_args.json) {
        CJsonWriter json;
        json.BeginObject();
        for (const Row& row : rows) {
            json.Key(QLatin1String(row.name));
            if (row.numeric)
                json.Value(row.value.toUInt());
            else
                json.Value(row.value);
        }
        json.EndObject();
        OutJson(json.GetText());
    } else {
        for (const Row& row : rows)
            Out(QStringLiteral("%1: %2").arg(QLatin1String(row.name), row.value));
    }
    return CLI_EXIT_SUCCESS;
}

int CCordaLibCli::RunEdit()
{
    CSongRecord* song = nullptr;
    CLessonRecord* lesson = nullptr;
    const int found = FindRecordOrRefuse(m_args.positional.front(), song, lesson);
    if (found != CLI_EXIT_SUCCESS)
        return found;
    const int result = song ? EditSong(*song) : EditLesson(*lesson);
    if (result == CLI_EXIT_SUCCESS)
        PrintRecordJson(song, lesson);
    return result;
}

int CCordaLibCli::EditSong(CSongRecord& song)
{
    QString option;
    if (HasAnyOption(m_args, {"subtitle", "style", "level", "author"}, option)) {
        Err(QStringLiteral("edit: --%1 is a lesson field").arg(option));
        return CLI_EXIT_USAGE;
    }
    CSongRecord edited = song;
    auto text = [this](const char* name, std::string& field) {
        if (m_args.HasOption(name))
            field = AfxUnicodeToAnsi(m_args.Option(name));
    };
    text("title", edited.m_title);
    text("artist", edited.m_artist);
    text("album", edited.m_album);
    text("composer", edited.m_composer);
    text("lyricist", edited.m_lyricist);
    text("arranger", edited.m_arranger);
    text("copyright", edited.m_copyright);
    if (m_args.HasOption("year")) {
        const QString year = m_args.Option("year").trimmed();
        if (!AfxIsValidNumber(year, 0, 9999)) {
            Err(AfxFormatMessage(LoadAppString(IDS_VALIDATE_NUMBER_RANGE), 0, 9999));
            return CLI_EXIT_USAGE;
        }
        edited.m_year = static_cast<uint16_t>(year.toUInt());
    }
    if (m_args.HasOption("traditional")) {
        const QString value = m_args.Option("traditional");
        if (value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
            edited.m_traditional = true;
        else if (value.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
            edited.m_traditional = false;
        else {
            Err(QStringLiteral("edit: --traditional takes yes or no"));
            return CLI_EXIT_USAGE;
        }
    }
    if (edited.m_traditional) {
        // A traditional song has neither composer nor lyricist, as in the edit dialog.
        if ((m_args.HasOption("composer") && !m_args.Option("composer").isEmpty()) ||
            (m_args.HasOption("lyricist") && !m_args.Option("lyricist").isEmpty())) {
            Err(QStringLiteral("edit: a traditional song has no composer or lyricist"));
            return CLI_EXIT_USAGE;
        }
        edited.m_composer.clear();
        edited.m_lyricist.clear();
    }
    const bool modified = edited.m_title != song.m_title || edited.m_artist != song.m_artist ||
                          edited.m_album != song.m_album || edited.m_year != song.m_year ||
                          edited.m_traditional != song.m_traditional ||
                          edited.m_composer != song.m_composer || edited.m_lyricist != song.m_lyricist ||
                          edited.m_arranger != song.m_arranger || edited.m_copyright != song.m_copyright;
    if (!modified)
        return CLI_EXIT_SUCCESS;

    const CSongRecord previous = song;
    song = edited;
    QString error;
    if (!song.WriteToFile(false, &error)) {
        song = previous;
        Err(error);
        return CLI_EXIT_FAILURE;
    }
    m_app->GetLibraryDatabase().SetModified(true);
    return SaveLibrary();
}

int CCordaLibCli::EditLesson(CLessonRecord& lesson)
{
    QString option;
    if (HasAnyOption(m_args, {"artist", "album", "year", "traditional", "composer", "lyricist", "arranger"},
                     option)) {
        Err(QStringLiteral("edit: --%1 is a song field").arg(option));
        return CLI_EXIT_USAGE;
    }
    CLessonRecord edited = lesson;
    auto text = [this](const char* name, std::string& field) {
        if (m_args.HasOption(name))
            field = AfxUnicodeToAnsi(m_args.Option(name));
    };
    text("title", edited.m_title);
    text("subtitle", edited.m_subtitle);
    text("author", edited.m_author);
    text("copyright", edited.m_copyright);
    if (m_args.HasOption("style")) {
        const std::optional<unsigned> style = CliParseLessonStyle(m_args.Option("style"));
        if (!style) {
            Err(LoadAppString(IDS_VALIDATE_STYLE));
            return CLI_EXIT_USAGE;
        }
        edited.m_style = static_cast<uint16_t>(*style);
    }
    if (m_args.HasOption("level")) {
        const std::optional<unsigned> level = CliParseLessonLevel(m_args.Option("level"));
        if (!level) {
            Err(LoadAppString(IDS_VALIDATE_LEVEL));
            return CLI_EXIT_USAGE;
        }
        edited.m_level = static_cast<uint8_t>(*level);
    }
    const bool modified = edited.m_title != lesson.m_title || edited.m_subtitle != lesson.m_subtitle ||
                          edited.m_style != lesson.m_style || edited.m_level != lesson.m_level ||
                          edited.m_author != lesson.m_author || edited.m_copyright != lesson.m_copyright;
    if (!modified)
        return CLI_EXIT_SUCCESS;

    const CLessonRecord previous = lesson;
    lesson = edited;
    QString error;
    if (!lesson.WriteToFile(false, &error)) {
        lesson = previous;
        Err(error);
        return CLI_EXIT_FAILURE;
    }
    m_app->GetLibraryDatabase().SetModified(true);
    return SaveLibrary();
}

int CCordaLibCli::RunRate()
{
    bool ok = false;
    const unsigned rating = m_args.positional[1].trimmed().toUInt(&ok);
    if (!ok || rating > 5) {
        Err(QStringLiteral("rate: the rating is a number from 0 to 5"));
        return CLI_EXIT_USAGE;
    }
    CSongRecord* song = nullptr;
    CLessonRecord* lesson = nullptr;
    const int found = FindRecordOrRefuse(m_args.positional.front(), song, lesson);
    if (found != CLI_EXIT_SUCCESS)
        return found;
    const uint8_t current = song ? song->GetRating() : lesson->GetRating();
    int result = CLI_EXIT_SUCCESS;
    if (current != rating) {
        if (song)
            song->SetRating(static_cast<uint8_t>(rating));
        else
            lesson->SetRating(static_cast<uint8_t>(rating));
        m_app->GetLibraryDatabase().SetModified(true);
        result = SaveLibrary();
    }
    if (result == CLI_EXIT_SUCCESS)
        PrintRecordJson(song, lesson);
    return result;
}

int CCordaLibCli::RunRename()
{
    CSongRecord* song = nullptr;
    CLessonRecord* lesson = nullptr;
    const int found = FindRecordOrRefuse(m_args.positional.front(), song, lesson);
    if (found != CLI_EXIT_SUCCESS)
        return found;
    const QString newName = m_args.positional[1];
    if (!AfxIsValidFileName(newName)) {
        Err(LoadAppString(IDS_VALIDATE_FILE_NAME));
        return CLI_EXIT_REFUSED;
    }
    const QString oldPath = song ? song->GetPath() : lesson->GetPath();
    QString folder;
    QString oldName;
    AfxExtractFolderPathAndFileNameFromPath(oldPath, folder, oldName);
    // A change of letter case alone is a new name.
    if (newName == oldName) {
        PrintRecordJson(song, lesson);
        return CLI_EXIT_SUCCESS;
    }
    const QString newPath = QDir(QFileInfo(oldPath).absolutePath()).filePath(newName);

    QString cause;
    if (QFileInfo::exists(newPath) && newPath.compare(oldPath, Qt::CaseInsensitive) != 0) {
        // Never replace another file.
        AfxGetSystemErrorText(EEXIST, cause);
    } else if (!QFile::rename(oldPath, newPath)) {
        QFile file(oldPath);
        cause = QFileInfo::exists(oldPath) ? file.errorString() : QString();
        if (cause.isEmpty() || cause == QLatin1String("Unknown error"))
            AfxGetSystemErrorText(QFileInfo::exists(oldPath) ? EACCES : ENOENT, cause);
    } else {
        if (song)
            song->SetPath(newPath);
        else
            lesson->SetPath(newPath);
        m_app->GetLibraryDatabase().SetModified(true);
        const int result = SaveLibrary();
        if (result == CLI_EXIT_SUCCESS)
            PrintRecordJson(song, lesson);
        return result;
    }
    Err(AfxFormatMessage(LoadAppString(IDS_RENAME_FILE_ERROR), oldPath, newPath, cause));
    return CLI_EXIT_FAILURE;
}

int CCordaLibCli::RunRemove()
{
    std::vector<CSongRecord*> songs;
    std::vector<CLessonRecord*> lessons;
    // Every file must be in the library before anything is removed.
    for (const QString& file : m_args.positional) {
        CSongRecord* song = nullptr;
        CLessonRecord* lesson = nullptr;
        const int found = FindRecordOrRefuse(file, song, lesson);
        if (found != CLI_EXIT_SUCCESS)
            return found;
        if (song && std::find(songs.begin(), songs.end(), song) == songs.end())
            songs.push_back(song);
        if (lesson && std::find(lessons.begin(), lessons.end(), lesson) == lessons.end())
            lessons.push_back(lesson);
    }
    const bool trash = m_args.HasFlag("trash");
    CLibraryDatabase& database = m_app->GetLibraryDatabase();
    int result = CLI_EXIT_SUCCESS;
    auto recycle = [&](const QString& path) {
        // Silent, no confirmation, no error display: as the list's Delete does.
        if (trash && !AfxRecycleFile(path, false, 0x414)) {
            Err(QStringLiteral("%1 - the file could not be moved to the trash").arg(path));
            result = CLI_EXIT_FAILURE;
        }
    };
    for (CSongRecord* song : songs) {
        const QString path = song->GetPath();
        database.RemoveSong(song);
        recycle(path);
    }
    for (CLessonRecord* lesson : lessons) {
        const QString path = lesson->GetPath();
        database.RemoveLesson(lesson);
        recycle(path);
    }
    const int saved = SaveLibrary();
    if (saved == CLI_EXIT_SUCCESS && m_args.json) {
        CJsonWriter json;
        json.BeginObject()
            .Member(QStringLiteral("removed"), uint64_t{songs.size() + lessons.size()})
            .EndObject();
        OutJson(json.GetText());
    }
    return saved != CLI_EXIT_SUCCESS ? saved : result;
}

int CCordaLibCli::RunInfo()
{
    const CLibraryDatabase& database = m_app->GetLibraryDatabase();
    const QString fileName =
        database.GetPath().isEmpty() ? LoadAppString(IDS_NEW_DATABASE) : database.GetFileName();
    auto localText = [](const COleDateTime& local) {
        // A zero time is an unset one.
        if (local.m_dt == 0.0 && local.GetStatus() == COleDateTime::valid)
            return QString();
        return AfxFormatLocaleDateTime(local);
    };
    const size_t songs = database.GetSongCount();
    const size_t lessons = database.GetLessonCount();
    const QString encoding = database.GetEncodingSoftware().isEmpty() ? LoadAppString(IDS_UNKNOWN)
                                                                      : database.GetEncodingSoftware();
    if (m_args.json) {
        CJsonWriter json;
        json.BeginObject()
            .Member(QStringLiteral("fileName"), fileName)
            .Member(QStringLiteral("path"), database.GetPath())
            .Member(QStringLiteral("created"), RecordOutput::IsoDate(database.GetCreated()))
            .Member(QStringLiteral("modified"), RecordOutput::IsoDate(database.GetModified()))
            .Member(QStringLiteral("encodingSoftware"), encoding)
            .Member(QStringLiteral("numberOfFiles"), uint64_t{songs + lessons})
            .Member(QStringLiteral("songs"), uint64_t{songs})
            .Member(QStringLiteral("lessons"), uint64_t{lessons})
            .EndObject();
        OutJson(json.GetText());
        return CLI_EXIT_SUCCESS;
    }
    const QString filesFormat = LoadAppString(IDS_USAGE_NUMBER_OF_FILES);
    Out(fileName);
    Out(QStringLiteral("  ") +
        AfxFormatMessage(LoadAppString(IDS_USAGE_CREATED), localText(database.GetCreatedLocal())));
    Out(QStringLiteral("  ") +
        AfxFormatMessage(LoadAppString(IDS_USAGE_MODIFIED), localText(database.GetModifiedLocal())));
    Out(QStringLiteral("  ") + AfxFormatMessage(LoadAppString(IDS_USAGE_ENCODING_SOFTWARE), encoding));
    Out(QStringLiteral("  ") +
        AfxFormatMessage(filesFormat, static_cast<unsigned long long>(songs + lessons)));
    Out(QStringLiteral("  ") + LoadAppString(IDS_SONGS));
    Out(QStringLiteral("    ") + AfxFormatMessage(filesFormat, static_cast<unsigned long long>(songs)));
    Out(QStringLiteral("  ") + LoadAppString(IDS_LESSONS));
    Out(QStringLiteral("    ") + AfxFormatMessage(filesFormat, static_cast<unsigned long long>(lessons)));
    return CLI_EXIT_SUCCESS;
}

namespace {

struct ChangeName {
    unsigned bit;
    const char* name;
};

QString DescribeMask(unsigned mask, bool song, const QString& error)
{
    if (mask & fileChangeOpenFailed)
        return error.isEmpty() ? QStringLiteral("cannot be opened") : error;
    if (mask & fileChangeUnreadable)
        return error.isEmpty() ? QStringLiteral("header cannot be read") : error;
    if (mask & fileChangeWrongKind)
        return song ? QStringLiteral("no longer a song") : QStringLiteral("no longer a lesson");
    static const ChangeName songBits[] = {
        {fileChangeTitle, "title"},         {fileChangeArtist, "artist"},
        {fileChangeAlbum, "album"},         {fileChangeYear, "year"},
        {fileChangeComposer, "composer"},   {fileChangeLyricist, "lyricist"},
        {fileChangeArranger, "arranger"},   {fileChangeTranscriber, "transcriber"},
        {fileChangeCopyright, "copyright"}, {fileChangeChecksum, "checksum"}};
    static const ChangeName lessonBits[] = {
        {fileChangeLessonTitle, "title"},      {fileChangeLessonSubtitle, "subtitle"},
        {fileChangeLessonStyle, "style"},      {fileChangeLessonLevel, "level"},
        {fileChangeLessonAuthor, "author"},    {fileChangeLessonCopyright, "copyright"},
        {fileChangeLessonChecksum, "checksum"}};
    QStringList changed;
    if (song) {
        for (const ChangeName& entry : songBits)
            if (mask & entry.bit)
                changed.append(QLatin1String(entry.name));
    } else {
        for (const ChangeName& entry : lessonBits)
            if (mask & entry.bit)
                changed.append(QLatin1String(entry.name));
    }
    return QStringLiteral("changed: ") + changed.join(QStringLiteral(", "));
}

} // namespace

int CCordaLibCli::RunCheck()
{
    struct Problem {
        QString path;
        QString kind;
        QString description;
    };
    std::vector<Problem> problems;
    auto check = [&problems](const QString& path, bool song, auto compare) {
        if (!QFileInfo::exists(path)) {
            problems.push_back(
                {path, song ? QStringLiteral("song") : QStringLiteral("lesson"), QStringLiteral("missing")});
            return;
        }
        QString error;
        const unsigned mask = compare(error);
        if (mask & FILE_CHANGE_CONTENT_MASK)
            problems.push_back({path, song ? QStringLiteral("song") : QStringLiteral("lesson"),
                                DescribeMask(mask, song, error)});
    };
    const CLibraryDatabase& database = m_app->GetLibraryDatabase();
    for (const CSongRecord* song : database.GetSongs())
        check(song->GetPath(), true, [song](QString& error) { return song->CompareWithFile(false, &error); });
    for (const CLessonRecord* lesson : database.GetLessons())
        check(lesson->GetPath(), false,
              [lesson](QString& error) { return lesson->CompareWithFile(false, &error); });

    if (m_args.json) {
        CJsonWriter json;
        json.BeginArray();
        for (const Problem& problem : problems)
            json.BeginObject()
                .Member(QStringLiteral("path"), problem.path)
                .Member(QStringLiteral("kind"), problem.kind)
                .Member(QStringLiteral("problem"), problem.description)
                .EndObject();
        json.EndArray();
        OutJson(json.GetText());
    } else {
        for (const Problem& problem : problems)
            Out(AfxFormatMessage(LoadAppString(IDS_ERROR_LINE_FORMAT), problem.path, problem.description));
    }
    return problems.empty() ? CLI_EXIT_SUCCESS : CLI_EXIT_FAILURE;
}
