// Synchronization scenarios on real folders.
#include "MaintenanceTestSupport.h"

#include "cordalib/maintenance/Synchronize.h"

#include "cordalib/library/CordaFileHeader.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QHash>

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace maintenance_test;

namespace {

// The number of reader threads for one test, back to the default afterwards.
class ReaderThreads {
public:
    explicit ReaderThreads(int helpers) { SetSynchronizeReaderThreads(helpers); }
    ~ReaderThreads() { SetSynchronizeReaderThreads(-1); }
    ReaderThreads(const ReaderThreads&) = delete;
    ReaderThreads& operator=(const ReaderThreads&) = delete;
};

class SynchronizeTest : public LibraryFixture {
protected:
    void CheckNewFilesInWalkOrder(const QString& a, const QStringList& files, const QStringList& folders,
                                  bool asOtherUser);

    CSyncResults Sync(const QStringList& folders, IProgressWindow* window = nullptr, int* returned = nullptr)
    {
        CSyncResults results;
        const int result = Synchronize(m_database, folders, results, window);
        if (returned)
            *returned = result;
        return results;
    }
};

// Runs the enclosed code without the permission override of root, so that a folder or
// file without read permission cannot be read (as for every other user).
class Unprivileged {
public:
    explicit Unprivileged(const QString& root)
    {
        if (geteuid() != 0)
            return;
        chmod(QFile::encodeName(root).constData(), 0755);
        m_active = seteuid(65534) == 0;
    }
    ~Unprivileged()
    {
        if (m_active) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    bool m_active = false;
};

// A folder nested in another synchronized folder must not give its files two records.
TEST_F(SynchronizeTest, NestedFolderFilesAreHandledOnce)
{
    const QString outer = Folder("Tabs");
    const QString inner = Folder("Tabs/Rock");
    Write("Tabs/a.crd", CrdWriter::Song("A"));
    Write("Tabs/Rock/b.crd", CrdWriter::Song("B"));
    Write("Tabs/Rock/c.CRD", CrdWriter::Lesson("C"));
    Write("Tabs/Rock/notes.txt", "not a tablature file");

    int returned = 0;
    CSyncResults results = Sync({inner, outer + "/"}, nullptr, &returned);
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(results.m_outcome, syncCompleted);
    EXPECT_EQ(results.m_nSongsAdded, 2u);
    EXPECT_EQ(results.m_nLessonsAdded, 1u);
    EXPECT_TRUE(results.m_errors.isEmpty()) << results.m_errors.join("\n").toStdString();
    EXPECT_EQ(SongPaths(), QStringList({Path("Tabs/Rock/b.crd"), Path("Tabs/a.crd")}));
    EXPECT_TRUE(m_database.IsModified());
    const CSongRecord* song = FindSong(Path("Tabs/a.crd"));
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->GetTitle(), "A");
    EXPECT_EQ(song->GetChecksum(), corda::test::Md5sumOf(song->GetPath()));
    EXPECT_NE(song->GetId(), 0u);

    // Nothing changed on disk: the next run has nothing to report and changes nothing.
    m_database.SetModified(false);
    results = Sync({outer, inner}, nullptr, &returned);
    EXPECT_EQ(returned, 1);
    EXPECT_FALSE(results.HasSomethingToReport());
    EXPECT_FALSE(m_database.IsModified());
    EXPECT_EQ(m_database.GetSongCount(), 2u);
}

// A file moved to another folder under its name, and one renamed in its folder, must
// keep their records (rating, date added, id).
TEST_F(SynchronizeTest, MovedAndRenamedFilesKeepTheirRecords)
{
    const QString a = Folder("A");
    const QString b = Folder("B");
    Write("A/move.crd", CrdWriter::Song("Moved"));
    Write("A/rename.crd", CrdWriter::Song("Renamed"));
    Write("A/lesson.crd", CrdWriter::Lesson("Lesson"));
    Sync({a, b});
    ASSERT_EQ(m_database.GetSongCount(), 2u);
    CSongRecord* moved = FindSong(Path("A/move.crd"));
    CSongRecord* renamed = FindSong(Path("A/rename.crd"));
    CLessonRecord* lesson = FindLesson(Path("A/lesson.crd"));
    ASSERT_TRUE(moved && renamed && lesson);
    moved->SetRating(4);
    renamed->SetRating(2);
    lesson->SetRating(5);
    moved->SetDateAdded(COleDateTime(40000.5));
    const uint64_t movedId = moved->GetId();

    ASSERT_TRUE(QFile::rename(Path("A/move.crd"), Path("B/move.crd")));
    ASSERT_TRUE(QFile::rename(Path("A/rename.crd"), Path("A/Renamed.crd")));
    ASSERT_TRUE(QFile::rename(Path("A/lesson.crd"), Path("B/lesson.crd")));
    const CSyncResults results = Sync({a, b});

    EXPECT_EQ(results.m_nSongsRenamed, 2u);
    EXPECT_EQ(results.m_nLessonsRenamed, 1u);
    EXPECT_EQ(results.GetAdded() + results.GetRemoved() + results.GetUpdated(), 0u);
    ASSERT_EQ(m_database.GetSongCount(), 2u);
    EXPECT_EQ(FindSong(Path("B/move.crd")), moved);
    EXPECT_EQ(FindSong(Path("A/Renamed.crd")), renamed);
    EXPECT_EQ(FindLesson(Path("B/lesson.crd")), lesson);
    EXPECT_EQ(moved->GetRating(), 4);
    EXPECT_EQ(moved->GetId(), movedId);
    EXPECT_EQ(moved->GetDateAdded().m_dt, 40000.5);
    EXPECT_EQ(renamed->GetRating(), 2);
    EXPECT_EQ(lesson->GetRating(), 5);
}

// Moved and renamed at once is no longer recognisable: one record goes, one comes.
TEST_F(SynchronizeTest, MovedAndRenamedFileIsRemovedAndAdded)
{
    const QString a = Folder("A");
    const QString b = Folder("B");
    Write("A/x.crd", CrdWriter::Song("X"));
    Sync({a, b});
    FindSong(Path("A/x.crd"))->SetRating(3);

    ASSERT_TRUE(QFile::rename(Path("A/x.crd"), Path("B/y.crd")));
    const CSyncResults results = Sync({a, b});
    EXPECT_EQ(results.m_nSongsRemoved, 1u);
    EXPECT_EQ(results.m_nSongsAdded, 1u);
    EXPECT_EQ(results.m_nSongsRenamed, 0u);
    ASSERT_EQ(SongPaths(), QStringList{Path("B/y.crd")});
    EXPECT_EQ(FindSong(Path("B/y.crd"))->GetRating(), 0);
}

// Two identical copies for one missing record: the moved copy wins even when the copy
// renamed in place comes first; the other copy becomes a new record.
TEST_F(SynchronizeTest, MoveWinsOverRenameInPlaceAndTheOtherCopyIsAdded)
{
    const QString a = Folder("A");
    const QString b = Folder("B");
    const QByteArray bytes = CrdWriter::Song("Copy");
    Write("A/x.crd", bytes);
    Write("A/other.crd", CrdWriter::Song("Other"));
    Sync({a, b});
    CSongRecord* record = FindSong(Path("A/x.crd"));
    ASSERT_NE(record, nullptr);
    record->SetRating(5);

    ASSERT_TRUE(QFile::remove(Path("A/x.crd")));
    Write("A/a-copy.crd", bytes); // same folder, other name: found first
    Write("B/x.crd", bytes);      // other folder, same name
    const CSyncResults results = Sync({a, b});

    EXPECT_EQ(results.m_nSongsRenamed, 1u);
    EXPECT_EQ(results.m_nSongsAdded, 1u);
    EXPECT_EQ(results.m_nSongsRemoved, 0u);
    EXPECT_EQ(FindSong(Path("B/x.crd")), record);
    EXPECT_EQ(record->GetRating(), 5);
    const CSongRecord* added = FindSong(Path("A/a-copy.crd"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetRating(), 0);
    EXPECT_EQ(added->GetChecksum(), record->GetChecksum());
}

// Names that differ only in letter case are two files here: each needs its own record,
// and a change of case alone is a rename that keeps the record.
TEST_F(SynchronizeTest, NamesDifferingOnlyInCaseAreDifferentFiles)
{
    const QString a = Folder("A");
    Write("A/Song.crd", CrdWriter::Song("Upper"));
    Write("A/song.crd", CrdWriter::Song("Lower"));
    CSyncResults results = Sync({a});
    EXPECT_EQ(results.m_nSongsAdded, 2u);
    EXPECT_EQ(SongPaths(), QStringList({Path("A/Song.crd"), Path("A/song.crd")}));
    EXPECT_FALSE(Sync({a}).HasSomethingToReport());

    CSongRecord* upper = FindSong(Path("A/Song.crd"));
    upper->SetRating(3);
    ASSERT_TRUE(QFile::rename(Path("A/Song.crd"), Path("A/SONG.crd")));
    results = Sync({a});
    EXPECT_EQ(results.m_nSongsRenamed, 1u);
    EXPECT_EQ(results.GetAdded() + results.GetRemoved(), 0u);
    EXPECT_EQ(FindSong(Path("A/SONG.crd")), upper);
    EXPECT_EQ(upper->GetRating(), 3);
}

// A song rewritten as a lesson must not stay a song.
TEST_F(SynchronizeTest, SongRewrittenAsLessonChangesKind)
{
    const QString a = Folder("A");
    const QString path = Write("A/x.crd", CrdWriter::Song("Was a song"));
    Sync({a});
    ASSERT_EQ(m_database.GetSongCount(), 1u);

    Write("A/x.crd", CrdWriter::Lesson("Now a lesson"));
    SetModified(path, time(nullptr) + 100);
    const CSyncResults results = Sync({a});
    EXPECT_EQ(results.m_nSongsRemoved, 1u);
    EXPECT_EQ(results.m_nLessonsAdded, 1u);
    EXPECT_EQ(m_database.GetSongCount(), 0u);
    ASSERT_NE(FindLesson(path), nullptr);
    EXPECT_EQ(FindLesson(path)->GetTitle(), "Now a lesson");
}

// Taking a folder off the list drops its records but never touches its files.
TEST_F(SynchronizeTest, FolderTakenOffTheListLosesItsRecordsNotItsFiles)
{
    const QString a = Folder("A");
    const QString b = Folder("B");
    Write("A/keep.crd", CrdWriter::Song("Keep"));
    const QByteArray song = CrdWriter::Song("Gone");
    const QByteArray lesson = CrdWriter::Lesson("Gone too");
    Write("B/gone.crd", song);
    Write("B/gone-lesson.crd", lesson);
    Sync({a, b});
    ASSERT_EQ(m_database.GetSongCount() + m_database.GetLessonCount(), 3u);

    const CSyncResults results = Sync({a});
    EXPECT_EQ(results.m_nSongsRemoved, 1u);
    EXPECT_EQ(results.m_nLessonsRemoved, 1u);
    EXPECT_EQ(SongPaths(), QStringList{Path("A/keep.crd")});
    EXPECT_EQ(corda::test::ReadAll(Path("B/gone.crd")), song);
    EXPECT_EQ(corda::test::ReadAll(Path("B/gone-lesson.crd")), lesson);
}

// An empty folder list: every record goes, every file stays.
TEST_F(SynchronizeTest, EmptyFolderListRemovesEveryRecord)
{
    const QString a = Folder("A");
    const QByteArray bytes = CrdWriter::Song("S");
    Write("A/s.crd", bytes);
    Write("A/l.crd", CrdWriter::Lesson("L"));
    Sync({a});
    m_database.SetModified(false);

    int returned = 0;
    const CSyncResults results = Sync({}, nullptr, &returned);
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(results.GetRemoved(), 2u);
    EXPECT_EQ(m_database.GetSongCount() + m_database.GetLessonCount(), 0u);
    EXPECT_TRUE(m_database.IsModified());
    EXPECT_EQ(corda::test::ReadAll(Path("A/s.crd")), bytes);
}

// The newer side wins: a file older than the record gets the record's information
// written into it; a newer file refreshes the record. Both count as Updated.
TEST_F(SynchronizeTest, OlderFileIsWrittenBackAndNewerFileRefreshesTheRecord)
{
    const QString a = Folder("A");
    const QString older =
        Write("A/older.crd", CrdWriter::Song("Library title", "Artist", "Album", 1999,
                                             QByteArray("body that must survive\0\1\2", 25)));
    const QString newer = Write("A/newer.crd", CrdWriter::Song("Old title"));
    SetModified(older, 1700000000);
    SetModified(newer, 1700000000);
    Sync({a});
    CSongRecord* olderRecord = FindSong(older);
    CSongRecord* newerRecord = FindSong(newer);
    ASSERT_TRUE(olderRecord && newerRecord);
    olderRecord->SetRating(4);

    // Someone else changed the header and left the file older than the library knows.
    Write("A/older.crd", CrdWriter::Song("Foreign title", "Artist", "Album", 1999,
                                         QByteArray("body that must survive\0\1\2", 25)));
    SetModified(older, 1600000000);
    Write("A/newer.crd", CrdWriter::Song("New title"));
    SetModified(newer, 1800000000);

    const CSyncResults results = Sync({a});
    EXPECT_EQ(results.m_nSongsUpdated, 2u);
    EXPECT_TRUE(results.m_errors.isEmpty()) << results.m_errors.join("\n").toStdString();

    const QByteArray written = corda::test::ReadAll(older);
    EXPECT_EQ(CrdWriter::TitleOf(written), "Library title");
    EXPECT_TRUE(written.endsWith(QByteArray("body that must survive\0\1\2", 25)));
    EXPECT_EQ(olderRecord->GetChecksum(), corda::test::Md5sumOf(older));
    EXPECT_EQ(olderRecord->GetRating(), 4);
    FILETIME fileTime = 0;
    ASSERT_TRUE(AfxGetFileLastWriteTime(older, fileTime));
    EXPECT_EQ(olderRecord->GetLastWriteTime(), fileTime);

    EXPECT_EQ(newerRecord->GetTitle(), "New title");
    EXPECT_EQ(newerRecord->GetChecksum(), corda::test::Md5sumOf(newer));
    ASSERT_TRUE(AfxGetFileLastWriteTime(newer, fileTime));
    EXPECT_EQ(newerRecord->GetLastWriteTime(), fileTime);

    // A lesson refreshes the same way: fields, time and checksum of the file as it is now.
    const QString lessonPath = Write("A/lesson.crd", CrdWriter::Lesson("Old lesson"));
    SetModified(lessonPath, 1700000000);
    Sync({a});
    CLessonRecord* lesson = FindLesson(lessonPath);
    ASSERT_NE(lesson, nullptr);
    Write("A/lesson.crd", CrdWriter::Lesson("New lesson"));
    SetModified(lessonPath, 1800000000);
    const CSyncResults again = Sync({a});
    EXPECT_EQ(again.m_nLessonsUpdated, 1u);
    EXPECT_EQ(lesson->GetTitle(), "New lesson");
    EXPECT_EQ(lesson->GetChecksum(), corda::test::Md5sumOf(lessonPath));
    ASSERT_TRUE(AfxGetFileLastWriteTime(lessonPath, fileTime));
    EXPECT_EQ(lesson->GetLastWriteTime(), fileTime);
}

// Cancel while scanning must leave the library exactly as it was.
TEST_F(SynchronizeTest, CancelWhileScanningAppliesNothing)
{
    const QString a = Folder("A");
    Write("A/kept.crd", CrdWriter::Song("Kept"));
    Write("A/gone.crd", CrdWriter::Song("Gone"));
    Sync({a});
    ASSERT_TRUE(QFile::remove(Path("A/gone.crd")));
    for (int i = 0; i < 5; ++i)
        Write(QStringLiteral("A/new%1.crd").arg(i), CrdWriter::Song("New " + std::to_string(i)));
    m_database.SetModified(false);

    ScriptedWindow window;
    window.cancelAtCheck = 4;
    int returned = 1;
    const CSyncResults results = Sync({a}, &window, &returned);
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(results.m_outcome, syncCancelled);
    EXPECT_FALSE(results.HasSomethingToReport());
    EXPECT_EQ(SongPaths(), QStringList({Path("A/gone.crd"), Path("A/kept.crd")}));
    EXPECT_FALSE(m_database.IsModified());
    EXPECT_EQ(window.calls.back(), "Destroy");
    EXPECT_TRUE(window.messages.isEmpty());
}

// A missing folder refuses the run after the others were scanned, and says why.
TEST_F(SynchronizeTest, MissingFolderRefusesTheRunAndChangesNothing)
{
    const QString a = Folder("A");
    Write("A/old.crd", CrdWriter::Song("Old"));
    Sync({a});
    Write("A/new.crd", CrdWriter::Song("New"));
    ASSERT_TRUE(QFile::remove(Path("A/old.crd")));
    m_database.SetModified(false);

    ScriptedWindow window;
    int returned = 1;
    const CSyncResults results = Sync({Path("missing"), a}, &window, &returned);
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(results.m_outcome, syncFolderMissing);
    EXPECT_EQ(SongPaths(), QStringList{Path("A/old.crd")});
    EXPECT_FALSE(m_database.IsModified());
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_TRUE(window.messages[0].startsWith("One or more of the synchronization folders does not exist."));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"Create", "Hide", "ShowMessage", "Destroy"}));
    EXPECT_EQ(window.statuses, QStringList{"Scanning folders for changes. Please wait..."});
}

// Links to folders: a loop, a link to an ancestor, a link to a sibling and a dangling link
// must end, handle every file once, and keep the direct path of each file.
TEST_F(SynchronizeTest, FolderLinksEndAndEveryFileIsHandledOnce)
{
    const QString a = Folder("A");
    const QString b = Folder("B");
    Folder("A/sub/deeper");
    Write("A/top.crd", CrdWriter::Song("Top"));
    Write("A/sub/inner.crd", CrdWriter::Song("Inner"));
    Write("A/sub/deeper/deep.crd", CrdWriter::Lesson("Deep"));
    const auto link = [&](const QString& target, const QString& at) {
        ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(Path(at)).constData()), 0);
    };
    link(Path("A/sub"), "A/sub/loop");       // itself
    link(Path("A"), "A/sub/deeper/up");      // an ancestor
    link(Path("A/sub/deeper"), "A/0-first"); // a folder the walk reaches directly as well
    link(Path("nowhere"), "A/dangling");     // points nowhere
    link(Path("A"), "B/all-of-a");           // another synchronized folder's tree
    Folder("Outside");
    Write("Outside/outside.crd", CrdWriter::Song("Outside"));
    link(Path("Outside"), "B/outside");

    ScriptedWindow window;
    int returned = 0;
    const CSyncResults results = Sync({a, b}, &window, &returned);
    EXPECT_EQ(returned, 1);
    EXPECT_TRUE(results.m_errors.isEmpty()) << results.m_errors.join("\n").toStdString();
    EXPECT_EQ(results.m_nSongsAdded, 3u);
    EXPECT_EQ(results.m_nLessonsAdded, 1u);
    EXPECT_EQ(SongPaths(),
              QStringList({Path("A/sub/inner.crd"), Path("A/top.crd"), Path("B/outside/outside.crd")}));
    ASSERT_EQ(m_database.GetLessonCount(), 1u);
    EXPECT_EQ(m_database.GetLessons()[0]->GetPath(), Path("A/sub/deeper/deep.crd"));

    // And the same again: no record is taken for a new one under another path.
    const CSyncResults again = Sync({a, b});
    EXPECT_FALSE(again.HasSomethingToReport()) << again.m_errors.join("\n").toStdString();
}

// A folder or file that cannot be read must give an error line and keep its records:
// not being able to look is no proof that the files are gone.
TEST_F(SynchronizeTest, UnreadableFolderAndFileKeepTheirRecords)
{
    const QString a = Folder("A");
    Write("A/locked/hidden.crd", CrdWriter::Song("Hidden"));
    Write("A/locked/deeper/hidden2.crd", CrdWriter::Lesson("Hidden too"));
    const QString unreadable = Write("A/unreadable.crd", CrdWriter::Song("Unreadable"));
    Write("A/gone.crd", CrdWriter::Song("Gone"));
    Sync({a});
    ASSERT_EQ(m_database.GetSongCount(), 3u);
    ASSERT_EQ(m_database.GetLessonCount(), 1u);

    ASSERT_TRUE(QFile::remove(Path("A/gone.crd")));
    Write("A/new-unreadable.crd", CrdWriter::Song("New but unreadable"));
    const QByteArray locked = QFile::encodeName(Path("A/locked"));
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    ASSERT_EQ(chmod(QFile::encodeName(unreadable).constData(), 0), 0);
    ASSERT_EQ(chmod(QFile::encodeName(Path("A/new-unreadable.crd")).constData(), 0), 0);
    CSyncResults results;
    int returned = 0;
    {
        Unprivileged unprivileged(Root());
        results = Sync({a}, nullptr, &returned);
    }
    chmod(locked.constData(), 0755);

    EXPECT_EQ(returned, 1);
    EXPECT_EQ(results.m_nSongsRemoved, 1u); // only the file that is really gone
    EXPECT_EQ(results.m_nLessonsRemoved, 0u);
    EXPECT_EQ(results.GetAdded(), 0u);
    EXPECT_NE(FindSong(Path("A/locked/hidden.crd")), nullptr);
    EXPECT_NE(FindLesson(Path("A/locked/deeper/hidden2.crd")), nullptr);
    EXPECT_NE(FindSong(unreadable), nullptr);
    EXPECT_EQ(FindSong(Path("A/gone.crd")), nullptr);
    ASSERT_EQ(results.m_errors.size(), 3) << results.m_errors.join("\n").toStdString();
    EXPECT_EQ(results.m_errors.filter(Path("A/locked") + " - ").size(), 1);
    EXPECT_EQ(results.m_errors.filter(Path("A/new-unreadable.crd") + " - ").size(), 1);
    EXPECT_EQ(results.m_errors.filter(unreadable + " - ").size(), 1);
}

// An unchanged file is judged readable from its permission bits where they are sure and
// by the kernel where they are not: a reader who is not the owner, the owner whose own
// bits refuse while others may read, group-only files. Whatever the bits, the sync must
// report exactly the files the kernel would not let this user open.
TEST_F(SynchronizeTest, UnchangedFilesAreReadableExactlyWhenTheKernelSaysSo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to sync as another user";
    const QString a = Folder("A");
    struct Case {
        const char* name;
        mode_t mode;
        bool ownedByReader;
    };
    const Case cases[] = {{"a.crd", 0644, false}, {"b.crd", 0604, false}, {"c.crd", 0640, false},
                          {"d.crd", 0400, false}, {"e.crd", 0004, false}, {"f.crd", 0044, true},
                          {"g.crd", 0400, true},  {"h.crd", 0000, true},  {"i.crd", 0040, false}};
    for (const Case& c : cases)
        Write(QStringLiteral("A/") + c.name, CrdWriter::Song(c.name));
    Sync({a});
    ASSERT_EQ(m_database.GetSongCount(), std::size(cases));
    QStringList refused;
    for (const Case& c : cases) {
        const QByteArray path = QFile::encodeName(Path(QStringLiteral("A/") + c.name));
        ASSERT_EQ(chmod(path.constData(), c.mode), 0);
        if (c.ownedByReader) {
            ASSERT_EQ(chown(path.constData(), 65534, 65534), 0);
        }
    }
    CSyncResults results;
    {
        Unprivileged unprivileged(Root());
        for (const Case& c : cases) {
            const QString path = Path(QStringLiteral("A/") + c.name);
            const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                refused.append(path);
            else
                close(fd);
        }
        results = Sync({a});
    }
    ASSERT_FALSE(refused.isEmpty());
    ASSERT_LT(refused.size(), static_cast<qsizetype>(std::size(cases)));
    QStringList reported;
    for (const QString& error : results.m_errors)
        reported.append(error.section(QStringLiteral(" - "), 0, 0));
    reported.sort();
    EXPECT_EQ(reported, refused) << results.m_errors.join("\n").toStdString();
    EXPECT_EQ(m_database.GetSongCount(), std::size(cases)) << "no record is lost for being unreadable";
}

namespace {

// The order the walk meets files in: a folder's entries as the kernel lists them, then
// its sub-folders one after another.
void ListInWalkOrder(const QString& folder, QStringList& files, QStringList& folders)
{
    folders.append(folder);
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return;
    QStringList subfolders;
    while (const dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        if (entry->d_type == DT_DIR)
            subfolders.append(folder + QLatin1Char('/') + name);
        else if (name.endsWith(QLatin1String(".crd")))
            files.append(folder + QLatin1Char('/') + name);
    }
    closedir(dir);
    for (const QString& subfolder : subfolders)
        ListInWalkOrder(subfolder, files, folders);
}

} // namespace

// New files are read by several threads at once; the records must still be added, and
// the error lines listed, in the order the walk found the files, with the walk's own
// errors (a folder it cannot open) among them where they occurred.
TEST_F(SynchronizeTest, NewFilesKeepTheOrderTheWalkFoundThem)
{
    const QString a = Folder("A");
    const bool asOtherUser = geteuid() == 0;
    for (const char* sub : {"", "/m", "/m/deep", "/z"}) {
        for (int i = 0; i < 120; ++i) {
            const QString name =
                QStringLiteral("A%1/f%2.crd").arg(QLatin1String(sub)).arg(i, 3, 10, QLatin1Char('0'));
            if (i % 9 == 4)
                Write(name, "damaged: no header here");
            else if (i % 5 == 0)
                Write(name, CrdWriter::Lesson(name.toStdString()));
            else
                Write(name, CrdWriter::Song(name.toStdString()));
        }
    }
    if (asOtherUser) {
        Write("A/m/locked/hidden.crd", CrdWriter::Song("Hidden"));
        ASSERT_EQ(chmod(QFile::encodeName(Path("A/m/locked")).constData(), 0), 0);
    }
    QStringList files, folders;
    ListInWalkOrder(a, files, folders);

    for (const int helpers : {-1, 0}) {
        SCOPED_TRACE(helpers);
        ReaderThreads threads(helpers);
        m_database.Clear();
        CheckNewFilesInWalkOrder(a, files, folders, asOtherUser);
    }
    chmod(QFile::encodeName(Path("A/m/locked")).constData(), 0755);
}

void SynchronizeTest::CheckNewFilesInWalkOrder(const QString& a, const QStringList& files,
                                               const QStringList& folders, bool asOtherUser)
{
    CSyncResults results;
    {
        Unprivileged unprivileged(Root());
        results = Sync({a});
    }

    QStringList songs, lessons, errors;
    for (const QString& file : files) {
        const QString name = QFileInfo(file).fileName();
        const int i = name.mid(1, 3).toInt();
        if (file.contains(QLatin1String("/locked/")))
            continue;
        if (i % 9 == 4)
            errors.append(file);
        else
            (i % 5 == 0 ? lessons : songs).append(file);
    }
    QStringList reported;
    for (const QString& line : results.m_errors)
        reported.append(line.section(QStringLiteral(" - "), 0, 0));
    if (asOtherUser) {
        // Folders are walked in listing order: the locked one is met after the files of
        // every folder before it in that order.
        QStringList expected;
        qsizetype next = 0;
        for (const QString& folder : folders) {
            if (folder == Path("A/m/locked")) {
                expected.append(folder);
                continue;
            }
            for (; next < errors.size() && QFileInfo(errors[next]).path() == folder; ++next)
                expected.append(errors[next]);
        }
        EXPECT_EQ(reported, expected);
    } else {
        EXPECT_EQ(reported, errors);
    }
    // Each record holds its own file's header and checksum, and the records are added as a
    // run on one thread adds them: by checksum, ties in the order found.
    QHash<QString, std::string> checksums;
    for (const QString& file : songs + lessons)
        checksums.insert(file, QCryptographicHash::hash(corda::test::ReadAll(file), QCryptographicHash::Md5)
                                   .toHex()
                                   .toStdString());
    const auto byChecksum = [&checksums](QStringList paths) {
        std::stable_sort(paths.begin(), paths.end(),
                         [&](const QString& x, const QString& y) { return checksums[x] < checksums[y]; });
        return paths;
    };
    QStringList addedSongs, addedLessons;
    for (const CSongRecord* song : m_database.GetSongs()) {
        addedSongs.append(song->GetPath());
        EXPECT_EQ(song->GetTitle(), song->GetPath().mid(Root().size() + 1).toStdString());
        EXPECT_EQ(song->GetChecksum(), checksums.value(song->GetPath()));
    }
    for (const CLessonRecord* lesson : m_database.GetLessons()) {
        addedLessons.append(lesson->GetPath());
        EXPECT_EQ(lesson->GetTitle(), lesson->GetPath().mid(Root().size() + 1).toStdString());
    }
    EXPECT_EQ(addedSongs, byChecksum(songs));
    EXPECT_EQ(addedLessons, byChecksum(lessons));
    EXPECT_EQ(results.m_nSongsAdded, static_cast<uint32_t>(songs.size()));
}

// With no helper threads every file is read after the walk, on the calling thread: Cancel
// must still be asked between files there, and a run cancelled then changes nothing.
TEST_F(SynchronizeTest, CancelWhileReadingChangedFilesAppliesNothing)
{
    ReaderThreads threads(0);
    const QString a = Folder("A");
    QStringList paths;
    for (int i = 0; i < 40; ++i)
        paths.append(Write(QStringLiteral("A/f%1.crd").arg(i), CrdWriter::Song("Old " + std::to_string(i))));
    Sync({a});
    ASSERT_EQ(m_database.GetSongCount(), 40u);
    ScriptedWindow unchanged;
    Sync({a}, &unchanged);

    // The same entries, every one changed: the walk asks as often as before, and the
    // reading asks once more before each file.
    for (int i = 0; i < 40; ++i) {
        Write(QStringLiteral("A/f%1.crd").arg(i), CrdWriter::Song("New " + std::to_string(i)));
        SetModified(paths[i], 1800000000 + i);
    }
    m_database.SetModified(false);
    ScriptedWindow window;
    window.cancelAtCheck = unchanged.cancelChecks + 10;
    int returned = 1;
    const CSyncResults results = Sync({a}, &window, &returned);
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(results.m_outcome, syncCancelled);
    EXPECT_EQ(window.cancelChecks, unchanged.cancelChecks + 10);
    EXPECT_FALSE(m_database.IsModified());
    for (const CSongRecord* song : m_database.GetSongs())
        EXPECT_EQ(song->GetTitle().rfind("Old ", 0), 0u) << song->GetTitle();

    const CSyncResults done = Sync({a});
    EXPECT_EQ(done.m_nSongsUpdated, 40u);
    for (const CSongRecord* song : m_database.GetSongs())
        EXPECT_EQ(song->GetTitle().rfind("New ", 0), 0u) << song->GetTitle();
}

// Files that disappear between the listing and their comparison add error lines; their
// records stay for this run.
TEST_F(SynchronizeTest, FilesVanishingDuringTheScanAreReportedNotRemoved)
{
    const QString a = Folder("A");
    QStringList paths;
    for (const char* name : {"x.crd", "y.crd", "z.crd"})
        paths.append(Write(QStringLiteral("A/") + name, CrdWriter::Song(name)));
    Sync({a});
    ASSERT_EQ(m_database.GetSongCount(), 3u);
    for (const QString& path : paths)
        SetModified(path, 1500000000); // the comparison must open the file

    ScriptedWindow window;
    // Checks 1 and 2 come before the folder is listed, 3 before the first entry is read:
    // by the check before the second entry the whole listing is read, and at most one
    // file has been handled.
    window.onCheck = [&](int check) {
        if (check == 4)
            for (const QString& path : paths)
                QFile::remove(path);
    };
    const CSyncResults results = Sync({a}, &window);
    ASSERT_FALSE(QFile::exists(paths[0])) << "the window was not asked as often as expected";
    EXPECT_EQ(results.m_nSongsRemoved, 0u);
    EXPECT_EQ(m_database.GetSongCount(), 3u);
    EXPECT_GE(results.m_errors.size(), 2);
    for (const QString& error : results.m_errors)
        EXPECT_TRUE(error.startsWith(paths[0] + " - ") || error.startsWith(paths[1] + " - ") ||
                    error.startsWith(paths[2] + " - "))
            << error.toStdString();
}

TEST(SyncOperationTest, KindsOfFiveOrMoreAreRefused)
{
    CSyncOperation operation;
    EXPECT_TRUE(operation.SetKind(CSyncOperation::remove));
    EXPECT_FALSE(operation.SetKind(5));
    EXPECT_FALSE(operation.SetKind(-1));
    EXPECT_EQ(operation.GetKind(), CSyncOperation::remove);
}

} // namespace
