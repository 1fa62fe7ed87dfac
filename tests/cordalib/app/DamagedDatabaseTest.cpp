// A library file that cannot be read must never be lost: the program starts with an empty
// library, and the first save that would replace the file keeps it beside itself.
#include "AppTestFixture.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/DatabaseFile.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

class DamagedDatabaseTest : public AppTestFixture {
protected:
    QString DatabaseFolder() const { return ProductFolder() + QStringLiteral("/Database Files"); }
    QString DatabaseFile() const { return DatabaseFolder() + QStringLiteral("/library.cordb"); }
    QStringList FolderEntries() const
    {
        QStringList entries = QDir(DatabaseFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        return entries;
    }
    void WriteDamaged(const QByteArray& bytes)
    {
        QDir().mkpath(DatabaseFolder());
        corda::test::WriteAll(DatabaseFile(), bytes);
    }
    static void AddOneSong(CCordaLibrarianApp& app, const char* title)
    {
        auto song = std::make_unique<CSongRecord>();
        song->SetTitle(title);
        song->SetPath(QStringLiteral("/m/%1.crd").arg(QLatin1String(title)));
        song->SetChecksum("0123456789abcdef0123456789abcdef");
        app.GetLibraryDatabase().AddSong(std::move(song));
    }
    // The songs that a fresh start-up reads from library.cordb.
    size_t SongsOnDisk() const
    {
        CCordaLibrarianApp reader;
        QString error;
        reader.InitCore(false, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return reader.GetLibraryDatabase().GetSongCount();
    }
};

// The fault: the first save after an unreadable library replaced the file, and whatever it
// held was gone. Now the file is kept byte for byte as library.cordb.damaged, the new
// library is saved beside it, and a later save makes no further copy.
TEST_F(DamagedDatabaseTest, FirstSaveKeepsTheUnreadableFile)
{
    const QByteArray damaged("cordb\x02\x00not a library at all", 26);
    WriteDamaged(damaged);
    {
        CCordaLibrarianApp app;
        QString error;
        ASSERT_TRUE(app.InitCore(false, &error));
        EXPECT_TRUE(error.contains(DatabaseFile())) << error.toStdString();
        EXPECT_EQ(app.GetLibraryDatabase().GetSongCount(), 0u);
        EXPECT_EQ(app.GetDamagedDatabasePath(), DatabaseFile());
        // Nothing is written by loading.
        EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("library.cordb")});

        AddOneSong(app, "New");
        ASSERT_TRUE(app.SaveDatabase(true, false, &error)) << error.toStdString();
        EXPECT_TRUE(app.GetDamagedDatabasePath().isEmpty());
        EXPECT_EQ(FolderEntries(),
                  (QStringList{QStringLiteral("library.cordb"), QStringLiteral("library.cordb.damaged")}));
        EXPECT_EQ(corda::test::ReadAll(DatabaseFile() + QStringLiteral(".damaged")), damaged);

        AddOneSong(app, "Later");
        ASSERT_TRUE(app.SaveDatabase(true, false, &error)) << error.toStdString();
        EXPECT_EQ(FolderEntries().size(), 2);
        EXPECT_EQ(corda::test::ReadAll(DatabaseFile() + QStringLiteral(".damaged")), damaged);
    }
    EXPECT_EQ(SongsOnDisk(), 2u);
}

// Copies kept at earlier start-ups must stay as they are: the next free number is used,
// and the shutdown save (ExitCore) goes through the same keeping.
TEST_F(DamagedDatabaseTest, EarlierKeptCopiesAreNeverOverwritten)
{
    QDir().mkpath(DatabaseFolder());
    corda::test::WriteAll(DatabaseFile() + QStringLiteral(".damaged"), "first kept");
    corda::test::WriteAll(DatabaseFile() + QStringLiteral(".damaged.2"), "second kept");
    const QByteArray damaged("\xff\xfe garbage of a third kind");
    WriteDamaged(damaged);
    {
        CCordaLibrarianApp app;
        QString error;
        ASSERT_TRUE(app.InitCore(false, &error));
        AddOneSong(app, "Only");
        app.ExitCore();
        EXPECT_FALSE(app.GetLibraryDatabase().IsModified());
    }
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile() + QStringLiteral(".damaged")), QByteArray("first kept"));
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile() + QStringLiteral(".damaged.2")), QByteArray("second kept"));
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile() + QStringLiteral(".damaged.3")), damaged);
    EXPECT_EQ(SongsOnDisk(), 1u);
}

// A readable or missing library needs no copy; a damaged file that the user removed before
// the save leaves nothing to keep, and the save still succeeds.
TEST_F(DamagedDatabaseTest, NoCopyWithoutADamagedFile)
{
    {
        CCordaLibrarianApp app;
        ASSERT_TRUE(app.InitCore(false));
        EXPECT_TRUE(app.GetDamagedDatabasePath().isEmpty());
        AddOneSong(app, "Fresh");
        ASSERT_TRUE(app.SaveDatabase(true, false));
    }
    {
        CCordaLibrarianApp app;
        ASSERT_TRUE(app.InitCore(false));
        EXPECT_TRUE(app.GetDamagedDatabasePath().isEmpty());
        AddOneSong(app, "Second");
        ASSERT_TRUE(app.SaveDatabase(true, false));
    }
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("library.cordb")});

    WriteDamaged("broken");
    CCordaLibrarianApp app;
    QString error;
    ASSERT_TRUE(app.InitCore(false, &error));
    ASSERT_FALSE(error.isEmpty());
    ASSERT_TRUE(QFile::remove(DatabaseFile()));
    AddOneSong(app, "After");
    ASSERT_TRUE(app.SaveDatabase(true, false, &error)) << error.toStdString();
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("library.cordb")});
}

// The keeping itself: the copy is the same bytes under the next free name, and a path
// that does not exist is nothing to keep (not a failure that would block the save).
TEST_F(DamagedDatabaseTest, KeepDamagedFileNamesAndBytes)
{
    const QString path = m_dir.path() + QStringLiteral("/lib ü.cordb");
    corda::test::WriteAll(path, "abc");
    QString kept;
    QString error;
    ASSERT_TRUE(DatabaseFile::KeepDamagedFile(path, &kept, &error)) << error.toStdString();
    EXPECT_EQ(kept, path + QStringLiteral(".damaged"));
    corda::test::WriteAll(path, "def"); // a new file at the path
    ASSERT_TRUE(DatabaseFile::KeepDamagedFile(path, &kept, &error));
    EXPECT_EQ(kept, path + QStringLiteral(".damaged.2"));
    EXPECT_EQ(corda::test::ReadAll(path + QStringLiteral(".damaged")), QByteArray("abc"));
    EXPECT_EQ(corda::test::ReadAll(path + QStringLiteral(".damaged.2")), QByteArray("def"));

    EXPECT_TRUE(DatabaseFile::KeepDamagedFile(m_dir.path() + QStringLiteral("/absent"), &kept, &error));
    EXPECT_TRUE(kept.isEmpty());
    EXPECT_FALSE(DatabaseFile::KeepDamagedFile(QString(), &kept, &error));
}

} // namespace
