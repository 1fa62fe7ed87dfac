#include "CliTestSupport.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/cli/ChangeLock.h"
#include "qvsystem/system/SingleInstance.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdlib>

using namespace clitest;

namespace {

class CliCommands : public CliTest {
protected:
    // Two songs by two artists and one lesson, synchronized into the library.
    void MakeLibrary()
    {
        Song first;
        first.title = "Blackbird";
        first.artist = "The Beatles";
        first.album = "White Album";
        first.year = 1968;
        first.composer = "Lennon";
        first.seed = 3;
        Write(Music("rock/blackbird.crd"), SongFile(first));
        Song second;
        second.title = "Caf\xe9 Blue";
        second.artist = "Zoe";
        second.album = "Nights";
        second.year = 2001;
        second.arranger = "Pat";
        second.seed = 5;
        Write(Music("jazz/cafe.crd"), SongFile(second));
        Lesson lesson;
        lesson.title = "Scales";
        lesson.subtitle = "Major";
        lesson.style = 17;
        lesson.level = 1;
        lesson.author = "Kim";
        Write(Music("lessons/scales.crd"), LessonFile(lesson));
        Expect(0, {"folders", "add", Music()});
        Expect(0, {"sync"});
    }

    QJsonDocument Json(const QStringList& arguments, int exitCode = 0)
    {
        QStringList all{"--json"};
        all += arguments;
        const Result result = Expect(exitCode, all);
        QJsonParseError error;
        QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
        return document;
    }

    // Runs with the runtime folder of the child processes, so that locks taken here are
    // the ones the children see.
    template <typename T> std::unique_ptr<T> MakeLockInChildRuntime(const QString& name = QString())
    {
        const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
        setenv("XDG_RUNTIME_DIR", QFile::encodeName(Path(QStringLiteral("runtime"))).constData(), 1);
        std::unique_ptr<T> lock;
        if constexpr (std::is_same_v<T, CSingleInstance>)
            lock = std::make_unique<T>(name);
        else {
            lock = std::make_unique<T>();
            EXPECT_TRUE(lock->TryLock());
        }
        setenv("XDG_RUNTIME_DIR", old.constData(), 1);
        return lock;
    }
};

// Scripts depend on the exit status: a usage error must be 1 and help must succeed.
TEST_F(CliCommands, UsageErrorsAndHelp)
{
    Expect(1, {});
    Expect(1, {"frobnicate"});
    Expect(1, {"songs", "--style", "Rock"});
    const Result help = Expect(0, {"--help"});
    EXPECT_TRUE(help.out.startsWith("usage: cordalib-cli"));
}

// Adding folders: a missing folder and one already in the list (in another letter case)
// are refused with status 3 and leave the list unchanged; removing works by the stored path.
TEST_F(CliCommands, FoldersAddListRemove)
{
    QDir().mkpath(Music("a"));
    QDir().mkpath(Music("b"));
    Expect(0, {"folders", "add", Music("a"), Music("b")});
    Result missing = Expect(3, {"folders", "add", Music("nothing here")});
    EXPECT_TRUE(missing.err.contains("does not exist"));
    Result duplicate = Expect(3, {"folders", "add", Music("A")});
    EXPECT_TRUE(duplicate.err.contains("The folder you selected already exists in the list"))
        << duplicate.err.toStdString();

    Result list = Expect(0, {"folders"});
    EXPECT_EQ(list.out, (Music("a") + QLatin1Char('\n') + Music("b") + QLatin1Char('\n')).toUtf8());
    const QJsonDocument json = Json({"folders"});
    EXPECT_EQ(json.array().size(), 2);

    Expect(3, {"folders", "remove", Music("c")});
    Expect(0, {"folders", "remove", Music("a")});
    EXPECT_EQ(Expect(0, {"folders"}).out, (Music("b") + QLatin1Char('\n')).toUtf8());
}

// The first run adds everything and prints the result text; a second run with nothing to
// report prints nothing; --json prints the documented object.
TEST_F(CliCommands, SyncReportsResultsOnlyWhenSomethingHappened)
{
    MakeLibrary();
    // Nothing changed on disk since the first run.
    const Result quiet = Expect(0, {"sync"});
    EXPECT_TRUE(quiet.out.isEmpty()) << quiet.out.toStdString();

    Song third;
    third.title = "New";
    third.seed = 9;
    Write(Music("rock/new.crd"), SongFile(third));
    const Result text = Expect(0, {"sync"});
    // Standard error is not a terminal here: no progress line.
    EXPECT_TRUE(text.err.isEmpty()) << text.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Added: 1\nUpdated: 0\nRenamed: 0\nRemoved: 0\nErrors: "
                                                  "0\nElapsed time: \\d+\\.\\d{5} seconds\n$"))
                    .match(QString::fromUtf8(text.out))
                    .hasMatch())
        << text.out.toStdString();

    QFile::remove(Music("rock/new.crd"));
    const QJsonObject json = Json({"sync"}).object();
    EXPECT_EQ(json.value("added").toInt(), 0);
    EXPECT_EQ(json.value("removed").toInt(), 1);
    EXPECT_EQ(json.value("errors").toArray().size(), 0);
    EXPECT_TRUE(json.value("completed").toBool());
    EXPECT_TRUE(json.value("elapsedSeconds").isDouble());
    const QStringList keys = json.keys();
    for (const char* key :
         {"added", "updated", "renamed", "removed", "errors", "elapsedSeconds", "completed"})
        EXPECT_TRUE(keys.contains(QLatin1String(key))) << key;
}

// A missing synchronized folder refuses the run with string 17 (status 3) and the library
// file is not rewritten.
TEST_F(CliCommands, SyncRefusedForMissingFolder)
{
    MakeLibrary();
    QDir().mkpath(Path("gone"));
    Expect(0, {"folders", "add", Path("gone")});
    QDir(Path("gone")).removeRecursively();
    const QByteArray before = corda::test::ReadAll(DatabasePath());
    const Result refused = Expect(3, {"sync"});
    EXPECT_TRUE(refused.err.contains("One or more of the synchronization folders does not exist"));
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_FALSE(Json({"sync"}, 3).object().value("completed").toBool(true));
    EXPECT_EQ(corda::test::ReadAll(DatabasePath()), before);
}

// Listings follow the stored order, the search (case-insensitive, field by field), the
// summary filters and the sort; a filter that matches nothing lists nothing.
TEST_F(CliCommands, SongListingsSearchFilterAndSort)
{
    MakeLibrary();
    const QJsonArray all = Json({"songs", "--sort", "Title"}).array();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0].toObject().value("title").toString(), QStringLiteral("Blackbird"));
    EXPECT_EQ(all[1].toObject().value("title").toString(), QString::fromUtf8("Caf\xc3\xa9 Blue"));
    const QJsonObject song = all[0].toObject();
    EXPECT_EQ(song.value("year").toInt(), 1968);
    EXPECT_EQ(song.value("composer").toString(), QStringLiteral("Lennon"));
    EXPECT_FALSE(song.value("traditional").toBool());
    EXPECT_EQ(song.value("path").toString(), Music("rock/blackbird.crd"));
    EXPECT_EQ(song.value("checksum").toString().size(), 32);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"))
                    .match(song.value("dateAdded").toString())
                    .hasMatch());

    const QJsonArray descending = Json({"songs", "--sort", "title", "--descending"}).array();
    EXPECT_EQ(descending[0].toObject().value("title").toString(), QString::fromUtf8("Caf\xc3\xa9 Blue"));
    const QJsonArray byNumber = Json({"songs", "--sort", "4", "--descending"}).array(); // Year
    EXPECT_EQ(byNumber[0].toObject().value("year").toInt(), 2001);

    EXPECT_EQ(Json({"songs", "--search", "BEATLES"}).array().size(), 1);
    EXPECT_EQ(Json({"songs", "--search", "beatles", "--field", "title"}).array().size(), 0);
    EXPECT_EQ(Json({"songs", "--search", "pat", "--field", "arranger"}).array().size(), 1);
    EXPECT_EQ(Json({"songs", "--artist", "Zoe"}).array().size(), 1);
    EXPECT_EQ(Json({"songs", "--artist", "zoe"}).array().size(), 0); // exact, as the summary boxes
    EXPECT_EQ(Json({"songs", "--artist", "Zoe", "--album", "White Album"}).array().size(), 0);

    Expect(1, {"songs", "--sort", "Nonsense"});
    Expect(1, {"songs", "--field", "style"});

    const Result text = Expect(0, {"songs", "--search", "blackbird"});
    EXPECT_EQ(
        text.out,
        ("Blackbird\tThe Beatles\tWhite Album\t1968\t0\t" + Music("rock/blackbird.crd") + "\n").toUtf8());
}

// Lessons take style and level by name or number; their JSON carries the names.
TEST_F(CliCommands, LessonListings)
{
    MakeLibrary();
    const QJsonArray lessons = Json({"lessons"}).array();
    ASSERT_EQ(lessons.size(), 1);
    const QJsonObject lesson = lessons[0].toObject();
    EXPECT_EQ(lesson.value("style").toInt(), 17);
    EXPECT_EQ(lesson.value("styleName").toString(), QStringLiteral("Rock"));
    EXPECT_EQ(lesson.value("levelName").toString(), QStringLiteral("Intermediate"));
    EXPECT_EQ(Json({"lessons", "--style", "rock"}).array().size(), 1);
    EXPECT_EQ(Json({"lessons", "--style", "17", "--level", "Intermediate"}).array().size(), 1);
    EXPECT_EQ(Json({"lessons", "--style", "Jazz"}).array().size(), 0);
    Expect(1, {"lessons", "--style", "Polka"});
    Expect(1, {"lessons", "--level", "3"});
}

// Summaries print "All ... (N)" with the number of groups first, then one row per group.
TEST_F(CliCommands, Summaries)
{
    MakeLibrary();
    EXPECT_EQ(Expect(0, {"artists"}).out, QByteArray("All artists (2)\nThe Beatles (1)\nZoe (1)\n"));
    EXPECT_EQ(Expect(0, {"albums", "--artist", "Zoe"}).out, QByteArray("All albums (1)\nNights (1)\n"));
    EXPECT_EQ(Expect(0, {"styles"}).out, QByteArray("All styles (1)\nRock (1)\n"));
    EXPECT_EQ(Expect(0, {"levels", "--style", "Rock"}).out, QByteArray("All levels (1)\nIntermediate (1)\n"));
    EXPECT_EQ(Expect(0, {"artists", "--search", "zzz"}).out, QByteArray("All artists (0)\n"));
}

// header shows every field of a file's header, whether or not the file is in the library.
TEST_F(CliCommands, HeaderShowsEveryField)
{
    Song song;
    song.title = "T";
    song.artist = "A";
    song.album = "Caf\xe9";
    song.transcriber = "X";
    Write(Music("h.crd"), SongFile(song));
    const QJsonObject header = Json({"header", Music("h.crd")}).object();
    EXPECT_EQ(header.value("version").toInt(), 4);
    EXPECT_EQ(header.value("fileType").toInt(), 0);
    EXPECT_EQ(header.value("title").toString(), QStringLiteral("T"));
    EXPECT_EQ(header.value("album").toString(), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_EQ(header.value("transcriber").toString(), QStringLiteral("X"));
    EXPECT_TRUE(header.contains("lessonStyle"));
    Write(Music("bad.crd"), QByteArray("nope"));
    Expect(2, {"header", Music("bad.crd")});
}

// edit rewrites the header (every byte after it kept), updates the record and saves the
// library; bad values are refused and change nothing.
TEST_F(CliCommands, EditWritesTheFileAndTheRecord)
{
    MakeLibrary();
    const QString file = Music("rock/blackbird.crd");
    const QByteArray before = corda::test::ReadAll(file);
    const QByteArray body = before.right(3000);

    Expect(1, {"edit", file, "--year", "10000"});
    Expect(1, {"edit", file, "--traditional", "maybe"});
    Expect(1, {"edit", file, "--style", "Rock"}); // a lesson field on a song
    EXPECT_EQ(corda::test::ReadAll(file), before);

    Expect(0, {"edit", file, "--title", "Blackbird (live)", "--year", "1970", "--traditional", "yes"});
    const QByteArray after = corda::test::ReadAll(file);
    EXPECT_TRUE(after.endsWith(body));
    const QJsonObject header = Json({"header", file}).object();
    EXPECT_EQ(header.value("title").toString(), QStringLiteral("Blackbird (live)"));
    EXPECT_EQ(header.value("authorshipType").toInt(), 1);
    const QJsonArray songs = Json({"songs", "--search", "live"}).array();
    ASSERT_EQ(songs.size(), 1);
    EXPECT_EQ(songs[0].toObject().value("year").toInt(), 1970);
    EXPECT_TRUE(songs[0].toObject().value("traditional").toBool());
    EXPECT_EQ(songs[0].toObject().value("checksum").toString().toStdString(), corda::test::Md5sumOf(file));

    Expect(3, {"edit", Music("not-there.crd"), "--title", "x"});
}

// rate keeps 0..5 only; rename validates the name as the rename dialog does and moves the
// file; both change the stored library.
TEST_F(CliCommands, RateAndRename)
{
    MakeLibrary();
    const QString file = Music("jazz/cafe.crd");
    Expect(0, {"rate", file, "4"});
    Expect(1, {"rate", file, "6"});
    // With --json a changing command prints the record as it left it.
    EXPECT_EQ(Json({"rate", file, "4"}).object().value("rating").toInt(), 4);
    EXPECT_EQ(Json({"songs", "--artist", "Zoe"}).array()[0].toObject().value("rating").toInt(), 4);

    const Result invalid = Expect(3, {"rename", file, "bad:name.crd"});
    EXPECT_TRUE(invalid.err.contains("must be a valid file name"));
    Expect(3, {"rename", file, "CON"});
    EXPECT_TRUE(QFile::exists(file));

    // Renaming never replaces another file.
    Write(Music("jazz/taken.txt"), QByteArray("someone else's file"));
    Expect(2, {"rename", file, "taken.txt"});
    EXPECT_EQ(corda::test::ReadAll(Music("jazz/taken.txt")), QByteArray("someone else's file"));
    EXPECT_TRUE(QFile::exists(file));

    Expect(0, {"rename", file, "blue.crd"});
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(QFile::exists(Music("jazz/blue.crd")));
    const QJsonObject renamed = Json({"songs", "--artist", "Zoe"}).array()[0].toObject();
    EXPECT_EQ(renamed.value("path").toString(), Music("jazz/blue.crd"));
    EXPECT_EQ(renamed.value("rating").toInt(), 4);
    // The next synchronization sees no change.
    EXPECT_TRUE(Expect(0, {"sync"}).out.isEmpty());
}

// remove takes records out of the library and leaves the files, unless --trash.
TEST_F(CliCommands, RemoveKeepsTheFile)
{
    MakeLibrary();
    const QString file = Music("rock/blackbird.crd");
    Expect(3, {"remove", Music("unknown.crd")});
    Expect(0, {"remove", file});
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(Json({"songs"}).array().size(), 1);

    // With --trash the file goes to the user's trash (here inside the test's data folder).
    const QString other = Music("jazz/cafe.crd");
    Expect(0, {"remove", other, "--trash"});
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("data/Trash/files/cafe.crd"))));
    EXPECT_EQ(Json({"songs"}).array().size(), 0);
    // Nothing is removed unless every file is in the library.
    Expect(3, {"remove", Music("lessons/scales.crd"), Music("unknown.crd")});
    EXPECT_EQ(Json({"lessons"}).array().size(), 1);
}

// A lesson is edited with the lesson fields; style and level go by name or number.
TEST_F(CliCommands, EditALesson)
{
    MakeLibrary();
    const QString file = Music("lessons/scales.crd");
    Expect(1, {"edit", file, "--year", "1999"}); // a song field
    Expect(1, {"edit", file, "--level", "Expert"});
    Expect(0, {"edit", file, "--style", "jazz", "--level", "2", "--author", "Lee"});
    const QJsonObject header = Json({"header", file}).object();
    EXPECT_EQ(header.value("lessonStyle").toInt(), 10);
    EXPECT_EQ(header.value("lessonLevel").toInt(), 2);
    EXPECT_EQ(header.value("lessonAuthor").toString(), QStringLiteral("Lee"));
    const QJsonObject lesson = Json({"lessons"}).array()[0].toObject();
    EXPECT_EQ(lesson.value("styleName").toString(), QStringLiteral("Jazz"));
    EXPECT_EQ(lesson.value("author").toString(), QStringLiteral("Lee"));
}

// backup writes a new archive that Python's zipfile accepts: the database first, then
// the files under their paths without the leading "/", with identical contents. An
// existing file is never replaced.
TEST_F(CliCommands, BackupWritesAValidArchive)
{
    MakeLibrary();
    const QString archive = Path("backup.zip");
    const Result result = Expect(0, {"backup", archive});
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^Files backed up: 4\nErrors: 0\nElapsed time: \\d+\\.\\d{5} seconds\n$"))
                    .match(QString::fromUtf8(result.out))
                    .hasMatch())
        << result.out.toStdString();
    int exitCode = -1;
    const QByteArray listing = corda::test::RunCommand(
        QStringLiteral("python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                       "assert z.testzip() is None; print(\"\\n\".join(z.namelist()))' '%1'")
            .arg(archive),
        &exitCode);
    ASSERT_EQ(exitCode, 0);
    const QStringList names = QString::fromUtf8(listing).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names[0], QStringLiteral("library.cordb"));
    EXPECT_TRUE(names.contains(Music("rock/blackbird.crd").mid(1)));
    const QByteArray inside = corda::test::RunCommand(
        QStringLiteral("unzip -p '%1' '%2' | md5sum").arg(archive, Music("rock/blackbird.crd").mid(1)));
    EXPECT_EQ(inside.left(32).toStdString(), corda::test::Md5sumOf(Music("rock/blackbird.crd")));

    const QByteArray before = corda::test::ReadAll(archive);
    Expect(3, {"backup", archive});
    EXPECT_EQ(corda::test::ReadAll(archive), before);
}

// info prints the usage-information rows; the counts add up.
TEST_F(CliCommands, InfoShowsTheDatabase)
{
    MakeLibrary();
    const QString info = QString::fromUtf8(Expect(0, {"info"}).out);
    EXPECT_TRUE(info.startsWith(QStringLiteral("library.cordb\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Encoding software: Corda Librarian")));
    EXPECT_TRUE(info.contains(QStringLiteral("  Number of files: 3\n")));
    EXPECT_TRUE(info.contains(QStringLiteral("  Songs\n    Number of files: 2\n")));
    EXPECT_TRUE(info.contains(QStringLiteral("  Lessons\n    Number of files: 1\n")));
    const QJsonObject json = Json({"info"}).object();
    EXPECT_EQ(json.value("numberOfFiles").toInt(), 3);
    EXPECT_EQ(json.value("songs").toInt(), 2);
    EXPECT_EQ(json.value("lessons").toInt(), 1);
}

// check reports missing and changed files and changes nothing.
TEST_F(CliCommands, CheckReportsWithoutChanging)
{
    MakeLibrary();
    EXPECT_TRUE(Expect(0, {"check"}).out.isEmpty());
    QFile::remove(Music("lessons/scales.crd"));
    Song changed;
    changed.title = "Blackbird";
    changed.artist = "Somebody Else";
    changed.album = "White Album";
    changed.year = 1968;
    changed.seed = 3;
    Write(Music("rock/blackbird.crd"), SongFile(changed));
    const QByteArray before = corda::test::ReadAll(DatabasePath());
    const Result result = Expect(2, {"check"});
    EXPECT_TRUE(result.out.contains("scales.crd")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("blackbird.crd"));
    EXPECT_FALSE(result.out.contains("cafe.crd"));
    EXPECT_EQ(corda::test::ReadAll(DatabasePath()), before);
}

// While the desktop program holds its single-instance lock, changes are refused and
// listings still work.
TEST_F(CliCommands, ChangesRefusedWhileTheDesktopProgramRuns)
{
    MakeLibrary();
    auto desktop = MakeLockInChildRuntime<CSingleInstance>(
        QString::fromLatin1(CCordaLibrarianApp::SINGLE_INSTANCE_MUTEX_NAME));
    ASSERT_TRUE(desktop->IsLockHeld());
    const QByteArray before = corda::test::ReadAll(DatabasePath());
    const Result refused = Expect(3, {"rate", Music("jazz/cafe.crd"), "2"});
    EXPECT_TRUE(refused.err.contains("Corda Librarian is running"));
    Expect(3, {"sync"});
    Expect(3, {"folders", "add", Path("home")});
    Expect(0, {"songs"});
    Expect(0, {"folders"});
    EXPECT_EQ(corda::test::ReadAll(DatabasePath()), before);
    desktop.reset();
    Expect(0, {"rate", Music("jazz/cafe.crd"), "2"});
}

// A second command line that changes the library while another one does is refused.
TEST_F(CliCommands, SecondChangerIsRefused)
{
    MakeLibrary();
    auto other = MakeLockInChildRuntime<CChangeLock>();
    const Result refused = Expect(3, {"rate", Music("jazz/cafe.crd"), "2"});
    EXPECT_TRUE(refused.err.contains("Another cordalib-cli"));
    Expect(0, {"songs"});
}

// A damaged database is reported with status 2 and never replaced from the command line.
TEST_F(CliCommands, DamagedDatabaseIsLeftAlone)
{
    MakeLibrary();
    QByteArray damaged = corda::test::ReadAll(DatabasePath());
    damaged[0] = 'X';
    corda::test::WriteAll(DatabasePath(), damaged);
    const Result listing = Expect(2, {"songs"});
    EXPECT_TRUE(listing.err.contains("An error has occurred while opening the database file"));
    Expect(2, {"rate", Music("jazz/cafe.crd"), "1"});
    Expect(2, {"sync"});
    EXPECT_EQ(corda::test::ReadAll(DatabasePath()), damaged);
}

} // namespace
