// Library backups checked with an independent zip reader (Python's zipfile).
#include "MaintenanceTestSupport.h"

#include "cordalib/maintenance/Backup.h"
#include "cordalib/maintenance/Synchronize.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/File.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace maintenance_test;

namespace {

class BackupTest : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        m_databasePath = Path("data/library.cordb");
        QDir().mkpath(Path("data"));
    }

    void SaveDatabase()
    {
        CFile file;
        ASSERT_TRUE(file.Open(m_databasePath, CFile::modeCreate | CFile::modeWrite));
        CArchive archive(&file, CArchive::store);
        m_database.Save(archive);
        archive.Close();
        file.Close();
    }

    // One line per entry, "name md5", in archive order; "BAD" first when the archive's
    // own check fails.
    QStringList ReadArchive(const QString& archive)
    {
        const QString script = QStringLiteral(
            "import hashlib, sys, zipfile\n"
            "z = zipfile.ZipFile(sys.argv[1])\n"
            "bad = z.testzip()\n"
            "if bad is not None: print('BAD', bad)\n"
            "for info in z.infolist(): print(info.filename, hashlib.md5(z.read(info)).hexdigest())\n");
        const QString scriptPath = Path("read-archive.py");
        corda::test::WriteAll(scriptPath, script.toUtf8());
        int exitCode = -1;
        const QByteArray output =
            corda::test::RunCommand(QStringLiteral("python3 '%1' '%2'").arg(scriptPath, archive), &exitCode);
        EXPECT_EQ(exitCode, 0) << "python3's zipfile could not read " << archive.toStdString();
        return QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
    }

    static QString Md5(const QString& path) { return QString::fromStdString(corda::test::Md5sumOf(path)); }

    QString m_databasePath;
};

// The layout the archive promises: the database first under its own name, then songs
// and lessons in library order under their paths without the root, byte for byte.
TEST_F(BackupTest, ArchiveHoldsTheDatabaseThenEveryFileWithItsRootRemoved)
{
    const QString a = Folder("Tabs/A");
    Write("Tabs/A/one.crd", CrdWriter::Song("One"));
    Write("Tabs/A/Sub/two.crd", CrdWriter::Song("Two", "Artist", "Album", 2001, QByteArray(50000, 'x')));
    Write("Tabs/A/lesson.crd", CrdWriter::Lesson("Lesson"));
    CSyncResults synced;
    ASSERT_EQ(Synchronize(m_database, {a}, synced, nullptr), 1);
    ASSERT_EQ(m_database.GetSongCount(), 2u);
    SaveDatabase();

    const QString archive = Path("backup.zip");
    ScriptedWindow window;
    CBackupResults results;
    ASSERT_TRUE(Backup(m_database, m_databasePath, archive, results, &window));
    EXPECT_EQ(results.m_outcome, backupCompleted);
    EXPECT_EQ(results.m_nFilesBackedUp, 4u);
    EXPECT_TRUE(results.m_errors.isEmpty()) << results.m_errors.join("\n").toStdString();

    QStringList expected{"library.cordb " + Md5(m_databasePath)};
    for (const CSongRecord* song : m_database.GetSongs())
        expected.append(song->GetPath().mid(1) + ' ' + Md5(song->GetPath()));
    for (const CLessonRecord* lesson : m_database.GetLessons())
        expected.append(lesson->GetPath().mid(1) + ' ' + Md5(lesson->GetPath()));
    EXPECT_EQ(ReadArchive(archive), expected);

    EXPECT_EQ(window.rangeLower, 0);
    EXPECT_EQ(window.rangeUpper, 4);
    EXPECT_EQ(window.steps, 4);
    EXPECT_EQ(window.statuses, QStringList{"Backing up the library. Please wait..."});
    EXPECT_EQ(window.captions, QStringList{"Backup Progress"});
    EXPECT_EQ(window.calls, (std::vector<std::string>{"Create", "Hide", "Destroy"}));
}

// An empty library still backs up its database file.
TEST_F(BackupTest, EmptyLibraryGivesOnlyTheDatabase)
{
    SaveDatabase();
    const QString archive = Path("empty.zip");
    CBackupResults results;
    ASSERT_TRUE(Backup(m_database, m_databasePath, archive, results, nullptr));
    EXPECT_EQ(results.m_nFilesBackedUp, 1u);
    EXPECT_EQ(ReadArchive(archive), QStringList{"library.cordb " + Md5(m_databasePath)});
}

// A file that cannot be added costs one error line; the rest of the library is still
// backed up and the archive is complete.
TEST_F(BackupTest, MissingFileGivesOneErrorLineAndTheRunGoesOn)
{
    const QString a = Folder("A");
    Write("A/1.crd", CrdWriter::Song("1"));
    Write("A/2.crd", CrdWriter::Song("2"));
    Write("A/3.crd", CrdWriter::Lesson("3"));
    CSyncResults synced;
    ASSERT_EQ(Synchronize(m_database, {a}, synced, nullptr), 1);
    SaveDatabase();
    const QString missing = m_database.GetSongs()[0]->GetPath();
    ASSERT_TRUE(QFile::remove(missing));

    const QString archive = Path("partial.zip");
    CBackupResults results;
    ASSERT_TRUE(Backup(m_database, m_databasePath, archive, results, nullptr));
    EXPECT_EQ(results.m_nFilesBackedUp, 3u);
    ASSERT_EQ(results.m_errors.size(), 1);
    EXPECT_TRUE(results.m_errors[0].startsWith(missing + " - ")) << results.m_errors[0].toStdString();
    const QStringList entries = ReadArchive(archive);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries.filter(missing.mid(1)).isEmpty());
}

// Cancel must not leave a partial archive that could pass for a backup.
TEST_F(BackupTest, CancelDeletesTheArchive)
{
    const QString a = Folder("A");
    Write("A/1.crd", CrdWriter::Song("1"));
    Write("A/2.crd", CrdWriter::Song("2"));
    CSyncResults synced;
    ASSERT_EQ(Synchronize(m_database, {a}, synced, nullptr), 1);
    SaveDatabase();

    const QString archive = Path("cancelled.zip");
    ScriptedWindow window;
    window.cancelAtCheck = 2; // after the database and the first song
    CBackupResults results;
    EXPECT_FALSE(Backup(m_database, m_databasePath, archive, results, &window));
    EXPECT_EQ(results.m_outcome, backupCancelled);
    EXPECT_EQ(results.m_nFilesBackedUp, 2u);
    EXPECT_FALSE(QFile::exists(archive));
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_EQ(window.calls.back(), "Destroy");
}

// Cancelling a backup chosen to replace an older archive must not lose the older one:
// the new archive is only ever a temporary file until it completes.
TEST_F(BackupTest, CancelKeepsTheArchiveItWasToReplace)
{
    const QString a = Folder("A");
    Write("A/1.crd", CrdWriter::Song("1"));
    Write("A/2.crd", CrdWriter::Song("2"));
    CSyncResults synced;
    ASSERT_EQ(Synchronize(m_database, {a}, synced, nullptr), 1);
    SaveDatabase();

    const QString archive = Path("existing.zip");
    CBackupResults first;
    ASSERT_TRUE(Backup(m_database, m_databasePath, archive, first, nullptr));
    const QByteArray before = corda::test::ReadAll(archive);

    ScriptedWindow window;
    window.cancelAtCheck = 2;
    CBackupResults results;
    EXPECT_FALSE(Backup(m_database, m_databasePath, archive, results, &window));
    EXPECT_EQ(results.m_outcome, backupCancelled);
    EXPECT_EQ(corda::test::ReadAll(archive), before);
    EXPECT_EQ(QDir(QFileInfo(archive).path()).entryList(QDir::Files | QDir::Hidden).filter("existing").size(),
              1);
}

// An archive that cannot be created is refused with its message and no window.
TEST_F(BackupTest, ArchiveThatCannotBeCreatedIsRefused)
{
    SaveDatabase();
    ScriptedWindow window;
    CBackupResults results;
    EXPECT_FALSE(Backup(m_database, m_databasePath, Path("no/such/folder/backup.zip"), results, &window));
    EXPECT_EQ(results.m_outcome, backupNotCreated);
    EXPECT_EQ(window.messages, QStringList{"The backup file could not be created"});
    EXPECT_EQ(window.calls, std::vector<std::string>{"ShowMessage"});
}

namespace {

// Restores the default number of deflating helpers after a test that sets it.
struct DeflateThreads {
    explicit DeflateThreads(int threads) { SetBackupDeflateThreads(threads); }
    ~DeflateThreads() { SetBackupDeflateThreads(-1); }
};

} // namespace

// Helpers deflate files ahead of the writer: entries out of order, a file written twice
// or lost, a file too large to hold that is not streamed, an error line for the wrong
// file, or more files held than the window allows would each show against the archive
// written without helpers.
TEST_F(BackupTest, HelpersGiveTheSameArchiveInTheSameOrderWithFewFilesHeld)
{
    const QString a = Folder("A");
    for (int i = 0; i < 60; ++i) {
        const QByteArray body(1000 + 997 * i, static_cast<char>('a' + i % 26));
        if (i % 7 == 3)
            Write(QStringLiteral("A/L%1/lesson%2.crd").arg(i % 3).arg(i),
                  CrdWriter::Lesson(std::to_string(i)));
        else
            Write(QStringLiteral("A/S%1/song%2.crd").arg(i % 4).arg(i),
                  CrdWriter::Song(std::to_string(i), "Artist", "Album", 2000, body));
    }
    // Over the size a helper holds in memory.
    Write("A/huge.crd", CrdWriter::Song("Huge", "Artist", "Album", 2000, QByteArray(5 << 20, 'h')));
    CSyncResults synced;
    ASSERT_EQ(Synchronize(m_database, {a}, synced, nullptr), 1);
    ASSERT_EQ(m_database.GetSongCount() + m_database.GetLessonCount(), 61u);
    SaveDatabase();
    const QString missing = m_database.GetSongs()[5]->GetPath();
    const QByteArray kept = corda::test::ReadAll(missing);
    ASSERT_TRUE(QFile::remove(missing));

    QStringList expected{"library.cordb " + Md5(m_databasePath)};
    for (const CSongRecord* song : m_database.GetSongs()) {
        if (song->GetPath() != missing)
            expected.append(song->GetPath().mid(1) + ' ' + Md5(song->GetPath()));
    }
    for (const CLessonRecord* lesson : m_database.GetLessons())
        expected.append(lesson->GetPath().mid(1) + ' ' + Md5(lesson->GetPath()));

    for (int threads : {0, 1, 3}) {
        DeflateThreads helpers(threads);
        const QString archive = Path(QStringLiteral("helpers-%1.zip").arg(threads));
        ScriptedWindow window;
        CBackupResults results;
        ASSERT_TRUE(Backup(m_database, m_databasePath, archive, results, &window)) << threads;
        EXPECT_EQ(results.m_nFilesBackedUp, 61u);
        ASSERT_EQ(results.m_errors.size(), 1);
        EXPECT_TRUE(results.m_errors[0].startsWith(missing + " - ")) << results.m_errors[0].toStdString();
        EXPECT_EQ(window.steps, 62);
        EXPECT_EQ(ReadArchive(archive), expected) << threads << " helpers";
        int exitCode = -1;
        corda::test::RunCommand(QStringLiteral("unzip -tqq '%1'").arg(archive), &exitCode);
        EXPECT_EQ(exitCode, 0) << "unzip -t";
        EXPECT_LE(GetBackupPeakFilesInFlight(), static_cast<size_t>(2 * threads + 2));
        if (threads > 0) {
            EXPECT_GT(GetBackupPeakFilesInFlight(), 0u);
        }
    }
    corda::test::WriteAll(missing, kept);
}

// Cancel while helpers are ahead of the writer: no archive appears, the one it was to
// replace stays byte for byte, no temporary file is left beside it, and the files the
// helpers had deflated beyond the cancel point are not counted.
TEST_F(BackupTest, CancelWithHelpersAheadKeepsTheOldArchive)
{
    const QString a = Folder("A");
    for (int i = 0; i < 40; ++i)
        Write(QStringLiteral("A/%1.crd").arg(i),
              CrdWriter::Song(std::to_string(i), "Artist", "Album", 2000, QByteArray(20000, 'x')));
    CSyncResults synced;
    ASSERT_EQ(Synchronize(m_database, {a}, synced, nullptr), 1);
    SaveDatabase();
    DeflateThreads helpers(2);

    const QString fresh = Path("fresh.zip");
    ScriptedWindow first;
    first.cancelAtCheck = 10;
    CBackupResults results;
    EXPECT_FALSE(Backup(m_database, m_databasePath, fresh, results, &first));
    EXPECT_EQ(results.m_outcome, backupCancelled);
    EXPECT_EQ(results.m_nFilesBackedUp, 10u);
    EXPECT_FALSE(QFile::exists(fresh));

    const QString archive = Path("old.zip");
    corda::test::WriteAll(archive, "an older backup");
    ScriptedWindow second;
    second.cancelAtCheck = 25;
    EXPECT_FALSE(Backup(m_database, m_databasePath, archive, results, &second));
    EXPECT_EQ(results.m_nFilesBackedUp, 25u);
    EXPECT_EQ(corda::test::ReadAll(archive), QByteArray("an older backup"));
    const QStringList left = QDir(QFileInfo(archive).path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.filter(".zip").size(), 1) << left.join(' ').toStdString();
}

TEST(BackupEntryNameTest, RootIsRemovedAndNamesCannotClimbOut)
{
    EXPECT_EQ(GetBackupEntryName("/home/me/Tabs/song.crd"), "home/me/Tabs/song.crd");
    EXPECT_EQ(GetBackupEntryName("//server/share/a.crd"), "server/share/a.crd");
    EXPECT_EQ(GetBackupEntryName("/a/../../b/./c.crd"), "b/c.crd");
}

} // namespace
