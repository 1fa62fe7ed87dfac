#include "TestSupport.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/DatabaseFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

namespace {

// A database with the interface the load and save steps use: a magic, one text and a
// count, enough to tell a good file from a damaged one.
struct FakeDatabase {
    std::string text = "initial";
    uint32_t count = 7;
    QString path;
    QString encodingSoftware;
    bool modified = true;
    bool throwOnSave = false;
    int resets = 0;

    void Clear()
    {
        text.clear();
        count = 0;
    }
    void Reset()
    {
        Clear();
        path.clear();
        encodingSoftware.clear();
        ++resets;
    }
    void Load(CArchive& archive)
    {
        char magic[5] = {};
        if (archive.Read(magic, 5) != 5 || std::string(magic, 5) != "cordb")
            throw CArchiveException(CArchiveException::badClass);
        archive >> encodingSoftware >> text >> count;
    }
    void Save(CArchive& archive)
    {
        archive.Write("cordb", 5);
        archive << encodingSoftware << text;
        if (throwOnSave)
            throw CFileException(CFileException::diskFull);
        archive << count;
    }
    void SetPath(const QString& value) { path = value; }
    void SetEncodingSoftware(const QString& value) { encodingSoftware = value; }
    void SetModified(bool value) { modified = value; }
};

class DatabaseFileTest : public testing::Test {
protected:
    QString File() const { return m_dir.path() + QStringLiteral("/library.cordb"); }
    QStringList FolderEntries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir m_dir;
};

// What is saved must load back, and a successful save must clear the modified flag and
// record the path and the encoding software.
TEST_F(DatabaseFileTest, SaveThenLoadRoundTrip)
{
    FakeDatabase saved;
    saved.text = "Caf\xe9 songs";
    saved.count = 42;
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(
        DatabaseFile::Save(saved, File(), QStringLiteral("Corda Librarian 1.0.0.1"), {false, &error}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(saved.modified);
    EXPECT_EQ(saved.path, File());

    FakeDatabase loaded;
    ASSERT_TRUE(DatabaseFile::Load(loaded, File(), {false, &error}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(loaded.text, saved.text);
    EXPECT_EQ(loaded.count, 42u);
    EXPECT_EQ(loaded.encodingSoftware, QStringLiteral("Corda Librarian 1.0.0.1"));
    EXPECT_EQ(loaded.path, File());
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("library.cordb")});
}

// A missing database file is the normal first start: no message, nothing changed.
TEST_F(DatabaseFileTest, MissingFileIsNotAnError)
{
    FakeDatabase database;
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(DatabaseFile::Load(database, File(), {false, &error}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(database.text, "initial");
    EXPECT_EQ(database.resets, 0);
}

// A damaged file must give string 145 with the path, leave a new empty library, and stay
// byte for byte as it was (the user may still rescue it).
TEST_F(DatabaseFileTest, DamagedFileReportsAndStaysUnchanged)
{
    const QByteArray damaged("cordX\x00\x01garbage", 14);
    corda::test::WriteAll(File(), damaged);
    const std::string before = corda::test::Md5sumOf(File());

    FakeDatabase database;
    QString error;
    EXPECT_FALSE(DatabaseFile::Load(database, File(), {false, &error}));
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("An error has occurred while opening the database file '%1'.\r\n\r\n").arg(File())))
        << error.toStdString();
    EXPECT_GT(error.size(), LoadAppString(IDS_DATABASE_OPEN_ERROR).size());
    EXPECT_EQ(database.resets, 1);
    EXPECT_TRUE(database.text.empty());
    EXPECT_TRUE(database.path.isEmpty());
    EXPECT_EQ(corda::test::Md5sumOf(File()), before);
}

// A file cut short must be refused the same way, not read as a partial library.
TEST_F(DatabaseFileTest, TruncatedFileIsRefused)
{
    FakeDatabase saved;
    ASSERT_TRUE(DatabaseFile::Save(saved, File(), QStringLiteral("x"), {}));
    QByteArray bytes = corda::test::ReadAll(File());
    bytes.chop(2);
    corda::test::WriteAll(File(), bytes);

    FakeDatabase loaded;
    QString error;
    EXPECT_FALSE(DatabaseFile::Load(loaded, File(), {false, &error}));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(loaded.resets, 1);
    EXPECT_EQ(corda::test::ReadAll(File()), bytes);
}

// A save that fails half-way must keep the previous file, leave no temporary file behind,
// and keep the library marked modified so that the next save tries again.
TEST_F(DatabaseFileTest, FailedSaveKeepsPreviousFile)
{
    FakeDatabase first;
    first.text = "first";
    ASSERT_TRUE(DatabaseFile::Save(first, File(), QStringLiteral("x"), {}));
    const QByteArray before = corda::test::ReadAll(File());

    FakeDatabase second;
    second.text = "second, longer than the first";
    second.throwOnSave = true;
    QString error;
    EXPECT_FALSE(DatabaseFile::Save(second, File(), QStringLiteral("x"), {false, &error}));
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("An error has occurred while saving the database file '%1'.\r\n\r\n").arg(File())));
    EXPECT_TRUE(second.modified);
    EXPECT_EQ(corda::test::ReadAll(File()), before);
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("library.cordb")});
}

// A database folder that does not exist cannot be opened for the safe save: the failure
// is reported, not taken for success.
TEST_F(DatabaseFileTest, SaveIntoMissingFolderFails)
{
    FakeDatabase database;
    QString error;
    const QString path = m_dir.path() + QStringLiteral("/no such folder/library.cordb");
    EXPECT_FALSE(DatabaseFile::Save(database, path, QStringLiteral("x"), {false, &error}));
    EXPECT_TRUE(error.contains(path));
    EXPECT_TRUE(database.modified);
}

} // namespace
