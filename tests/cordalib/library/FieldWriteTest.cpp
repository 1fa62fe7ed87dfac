// Writing only some fields of a record into its file: what others changed in the file's
// header since the record was taken must survive an edit of another field. The staged form
// touches the file only at its commit.

#include "LibraryTestHelpers.h"

#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/FieldRewrite.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"

#include "qvsystem/system/FileUtilities.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using corda::test::ByteWriter;

namespace {

const QByteArray MUSIC =
    QByteArray("\x00\x01\xfe\xff music data that follows the header \x7f", 44).repeated(40);

QByteArray SongHeader(const std::string& artist, const std::string& album, uint8_t authorship,
                      const std::string& composer)
{
    ByteWriter w;
    w.Raw("crda").U16(4).U8(0).U8(3).Text("Title").Text(artist).U8(0);
    w.U8(2).Text(album).U16(1984).U8(0);
    w.U8(authorship);
    if (authorship == 0)
        w.Text(composer).Text("Lyricist");
    w.Text("Arranger").Text("Tab A").Text("").Text("(c)").Text("e1").Text("e2").Text("e3");
    return w.Bytes();
}

QByteArray LessonHeader(const std::string& subtitle, uint16_t style)
{
    ByteWriter w;
    w.Raw("crda").U16(4).U8(1).Text("Lesson").Text(subtitle).U16(style).U8(1).Text("Author").Text("x").Text(
        "(c) L");
    return w.Bytes();
}

class FieldWriteTest : public testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        corda::test::WriteAll(path, bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

} // namespace

// The fault guarded against: rewriting every field of a stale record puts an old artist
// back over a change made outside the program; the record must also learn the change.
TEST_F(FieldWriteTest, SongEditKeepsOutsideChangeOfAnotherField)
{
    const QString path =
        Write(QStringLiteral("song.crd"), SongHeader("Old Artist", "Album", 0, "Comp") + MUSIC);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    // Another program renames the artist.
    corda::test::WriteAll(path, SongHeader("New Artist", "Album", 0, "Comp") + MUSIC);

    song.SetAlbum("Edited Album");
    QString error;
    ASSERT_TRUE(song.WriteFieldsToFile(CSongRecord::FieldBit(songFieldAlbum), false, &error))
        << error.toStdString();
    EXPECT_EQ(corda::test::ReadAll(path), SongHeader("New Artist", "Edited Album", 0, "Comp") + MUSIC);
    // The record reflects the file now on disk.
    EXPECT_EQ(song.GetArtist(), "New Artist");
    EXPECT_EQ(song.GetAlbum(), "Edited Album");
    EXPECT_EQ(song.GetTranscriber(), "Tab A");
    EXPECT_EQ(song.GetChecksum(), corda::test::Md5sumOf(path));
    FILETIME time = 0;
    ASSERT_TRUE(AfxGetFileLastWriteTime(path, time));
    EXPECT_EQ(song.GetLastWriteTime(), time);
    EXPECT_EQ(song.CompareWithFile(false), 0u);
}

// Traditional and its composer: making a song traditional drops both names from the
// header; making it non-traditional again writes the names that were asked for.
TEST_F(FieldWriteTest, TraditionalAndComposerFields)
{
    const QString path = Write(QStringLiteral("trad.crd"), SongHeader("A", "B", 0, "Comp") + MUSIC);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));

    song.SetTraditional(true);
    song.SetComposer("ignored");
    ASSERT_TRUE(song.WriteFieldsToFile(
        CSongRecord::FieldBit(songFieldTraditional) | CSongRecord::FieldBit(songFieldComposer), false));
    EXPECT_EQ(corda::test::ReadAll(path), SongHeader("A", "B", 1, "") + MUSIC);
    EXPECT_TRUE(song.IsTraditional());
    EXPECT_EQ(song.GetComposer(), "");

    song.SetTraditional(false);
    song.SetComposer("New Comp");
    song.SetLyricist("Lyricist");
    ASSERT_TRUE(song.WriteFieldsToFile(CSongRecord::FieldBit(songFieldTraditional) |
                                           CSongRecord::FieldBit(songFieldComposer) |
                                           CSongRecord::FieldBit(songFieldLyricist),
                                       false));
    EXPECT_EQ(corda::test::ReadAll(path), SongHeader("A", "B", 0, "New Comp") + MUSIC);
    EXPECT_FALSE(song.IsTraditional());
    EXPECT_EQ(song.GetComposer(), "New Comp");
}

// Lessons the same way; a file of the other kind is refused with a reason and untouched.
TEST_F(FieldWriteTest, LessonFieldsAndWrongKind)
{
    const QString path = Write(QStringLiteral("lesson.crd"), LessonHeader("Old Sub", 3) + MUSIC);
    CLessonRecord lesson;
    lesson.SetPath(path);
    ASSERT_TRUE(lesson.ReadFromFile(false));
    corda::test::WriteAll(path, LessonHeader("Outside Sub", 3) + MUSIC);
    lesson.SetStyle(lessonStyleRock);
    ASSERT_TRUE(lesson.WriteFieldsToFile(CLessonRecord::FieldBit(lessonFieldStyle), false));
    EXPECT_EQ(corda::test::ReadAll(path), LessonHeader("Outside Sub", lessonStyleRock) + MUSIC);
    EXPECT_EQ(lesson.GetSubtitle(), "Outside Sub");
    EXPECT_EQ(lesson.GetChecksum(), corda::test::Md5sumOf(path));

    // A song record pointed at the lesson file.
    CSongRecord song;
    song.SetPath(path);
    song.SetTitle("Song");
    const QByteArray before = corda::test::ReadAll(path);
    QString error;
    EXPECT_FALSE(song.WriteFieldsToFile(CSongRecord::FieldBit(songFieldTitle), false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("invalid file type"))) << error.toStdString();
    EXPECT_EQ(corda::test::ReadAll(path), before);
    EXPECT_EQ(song.GetTitle(), "Song");
}

// The staged rewrite: the file and the record stay as they were until the commit (a rewrite
// dropped before it leaves nothing behind); a commit on the closer's thread puts the file in
// place and the record then takes it; a commit that cannot put the file in place is
// reported and leaves the record alone.
TEST_F(FieldWriteTest, StagedRewriteChangesNothingBeforeItsCommit)
{
    const QByteArray old = SongHeader("Artist", "Album", 0, "Comp") + MUSIC;
    const QString path = Write(QStringLiteral("song.crd"), old);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    CSongRecord values = song;
    values.SetAlbum("Staged Album");
    const unsigned album = CSongRecord::FieldBit(songFieldAlbum);
    {
        CFieldRewrite dropped;
        ASSERT_TRUE(dropped.Prepare(values, album, false, nullptr));
        EXPECT_EQ(corda::test::ReadAll(path), old);
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("song.crd")});

    CMirrorFileCloser closer;
    CFieldRewrite rewrite;
    ASSERT_TRUE(rewrite.Prepare(values, album, false, nullptr));
    EXPECT_EQ(rewrite.GetFields(), album);
    rewrite.Commit(&closer);
    QString error;
    ASSERT_TRUE(rewrite.Finish(song, false, &error)) << error.toStdString();
    EXPECT_EQ(corda::test::ReadAll(path), SongHeader("Artist", "Staged Album", 0, "Comp") + MUSIC);
    EXPECT_EQ(song.GetAlbum(), "Staged Album");
    EXPECT_EQ(song.GetChecksum(), corda::test::Md5sumOf(path));
    EXPECT_EQ(song.CompareWithFile(false), 0u);

    // Between the write and the commit a non-empty folder takes the file's place.
    const CSongRecord before = song;
    values.SetAlbum("Never Written");
    CFieldRewrite failing;
    ASSERT_TRUE(failing.Prepare(values, album, false, nullptr));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside")));
    failing.Commit(&closer);
    EXPECT_FALSE(failing.Finish(song, false, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(song.GetAlbum(), before.GetAlbum());
    EXPECT_EQ(song.GetChecksum(), before.GetChecksum());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("song.crd")});
}
