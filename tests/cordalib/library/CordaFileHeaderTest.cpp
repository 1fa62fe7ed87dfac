// The tablature header: reading the four versions, rewriting a file's header without
// touching the music data after it, and comparing a record with its file.

#include "LibraryTestHelpers.h"

#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/platform/FileTime.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <random>
#include <sys/stat.h>

using corda::test::ByteWriter;
using corda::test::Md5Of;

namespace {

QByteArray Remainder(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray bytes;
    for (size_t i = 0; i < size; ++i)
        bytes.append(static_cast<char>(rng() & 0xFF));
    return bytes;
}

ByteWriter Tag(uint16_t version)
{
    ByteWriter w;
    w.Raw("crda").U16(version);
    return w;
}

// A version 4 song with an album (release type 0) and a composer and lyricist.
QByteArray Song4(const std::string& title, const std::string& album, uint16_t year)
{
    ByteWriter w = Tag(4);
    w.U8(0).U8(7).Text(title).Text("The Artist").U8(0);
    w.U8(2).Text(album).U16(year).U8(1);
    w.U8(0).Text("Composer").Text("Lyricist");
    w.Text("Arranger").Text("Tab A").Text("Tab B").Text("(c) 1999").Text("x1").Text("x2").Text("x3");
    return w.Bytes();
}

QByteArray Lesson4(const std::string& title, uint16_t style, uint8_t level)
{
    ByteWriter w = Tag(4);
    w.U8(1).Text(title).Text("Subtitle").U16(style).U8(level).Text("Author").Text("extra").Text("(c) L");
    return w.Bytes();
}

// Versions 1 to 3: the legacy layout.
QByteArray Legacy(uint16_t version, uint8_t code, const std::string& legacyTitle, uint16_t legacyYear,
                  uint8_t authorship = 0)
{
    ByteWriter w = Tag(version);
    w.Text("Old Title")
        .Text("Old Artist")
        .U8(code)
        .Text(legacyTitle)
        .U8(5)
        .Text("Comp")
        .Text("Lyr")
        .Text("Arr");
    if (version < 3)
        w.Text("Transcriber");
    w.U16(legacyYear).U8(authorship).Text("(c) old").Text("e1");
    if (version < 3)
        w.Text("e2");
    return w.Bytes();
}

class HeaderFileTest : public testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        corda::test::WriteAll(path, bytes);
        return path;
    }

    static CCordaFileHeader ReadHeader(const QString& path)
    {
        CCordaFileHeader header;
        QString error;
        EXPECT_TRUE(ReadHeaderFromFile(path, header, nullptr, nullptr, &error)) << error.toStdString();
        return header;
    }

    // The cause of the header exception that reading the bytes throws, or -1.
    int ReadCause(const QByteArray& bytes)
    {
        const QString path = Write(QStringLiteral("cause.crd"), bytes);
        CFile file(path, CFile::modeRead);
        CArchive archive(&file, CArchive::load);
        CCordaFileHeader header;
        try {
            header.Read(archive);
        } catch (const CCordaFileException& e) {
            return e.m_cause;
        } catch (const CArchiveException& e) {
            return 100 + e.m_cause;
        }
        return -1;
    }

    QTemporaryDir m_dir;
};

void SetFileTime(const QString& path, FILETIME time)
{
    const timespec ts = AfxFileTimeToTimespec(time);
    const timespec times[2] = {ts, ts};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

// A foreign file, an unknown version or file type must be refused with the documented
// cause, and a truncated header with the archive's end-of-file error.
TEST_F(HeaderFileTest, RefusesBadTagVersionTypeAndTruncation)
{
    EXPECT_EQ(ReadCause(ByteWriter().Raw("crdb").U16(4).U8(0).Bytes()), CCordaFileException::invalidFileTag);
    EXPECT_EQ(ReadCause(ByteWriter().Raw("adrc").U16(4).U8(0).Bytes()), CCordaFileException::invalidFileTag);
    EXPECT_EQ(ReadCause(Tag(0).Bytes()), CCordaFileException::invalidFileVersion);
    EXPECT_EQ(ReadCause(Tag(5).Bytes()), CCordaFileException::invalidFileVersion);
    EXPECT_EQ(ReadCause(Tag(4).U8(2).Bytes()), CCordaFileException::invalidFileType);
    const QByteArray song = Song4("Title", "Album", 1999);
    EXPECT_EQ(ReadCause(song), -1);
    for (qsizetype cut : {qsizetype(3), qsizetype(7), song.size() / 2, song.size() - 1})
        EXPECT_EQ(ReadCause(song.left(cut)), 100 + CArchiveException::endOfFile) << cut;
    // A text length far past the end of the data.
    EXPECT_EQ(ReadCause(Tag(4).U8(0).U8(0).U8(0xFF).U16(0xFFFF).U32(0xFFFFFF00u).Bytes()),
              100 + CArchiveException::endOfFile);
}

// The legacy layouts map onto the release fields by their code; the reader must not
// confuse the version 1/2 layout (extra transcriber and text) with version 3.
TEST_F(HeaderFileTest, ReadsLegacyVersionsByCode)
{
    struct Case {
        uint8_t code;
        uint8_t releaseType;
    } cases[] = {{6, 2}, {9, 1}, {7, 3}, {10, 3}, {0, 0}, {3, 0}, {200, 0}};
    for (uint16_t version : {1, 2, 3}) {
        for (const Case& c : cases) {
            const CCordaFileHeader h = ReadHeader(
                Write(QStringLiteral("legacy.crd"), Legacy(version, c.code, "Legacy Album", 1975)));
            SCOPED_TRACE(testing::Message() << "version " << version << " code " << int(c.code));
            EXPECT_EQ(h.GetVersion(), version);
            EXPECT_EQ(h.GetFileType(), cordaFileSong);
            EXPECT_EQ(h.GetReleaseType(), c.releaseType);
            EXPECT_EQ(h.GetTitle(), "Old Title");
            EXPECT_EQ(h.GetArtist(), "Old Artist");
            EXPECT_EQ(h.GetComposer(), "Comp");
            EXPECT_EQ(h.GetArranger(), "Arr");
            EXPECT_EQ(h.GetCopyright(), "(c) old");
            EXPECT_EQ(h.GetTranscriber(), version < 3 ? "Transcriber" : "");
            EXPECT_EQ(h.GetExtraText(1), version < 3 ? "e2" : "");
            EXPECT_EQ(h.GetAlbum(), c.releaseType == 3 ? "" : "Legacy Album");
            if (c.releaseType == 0) {
                EXPECT_EQ(h.GetAlbumKind(), c.code);
                EXPECT_EQ(h.GetAlbumYear(), 1975);
                EXPECT_EQ(h.GetAlbumFlag(), 5);
            }
            if (c.releaseType == 1) {
                EXPECT_EQ(h.GetRelease1Flag(), 5);
            }
        }
    }
}

// The joined transcriber text of the header.
TEST(HeaderFields, TranscriberJoinAndSetterRanges)
{
    CCordaFileHeader h;
    EXPECT_EQ(h.GetTranscriber(), "");
    h.SetTranscriberB("B");
    EXPECT_EQ(h.GetTranscriber(), "B");
    h.SetTranscriberA("A");
    EXPECT_EQ(h.GetTranscriber(), "A :: B");
    h.SetTranscriberB("A");
    EXPECT_EQ(h.GetTranscriber(), "A");
    h.SetTranscriberB("");
    EXPECT_EQ(h.GetTranscriber(), "A");

    EXPECT_FALSE(h.SetTitle(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(h.SetAuthorshipType(2));
    EXPECT_FALSE(h.SetLessonStyle(19));
    EXPECT_TRUE(h.SetLessonStyle(18));
    EXPECT_FALSE(h.SetLessonLevel(3));
    EXPECT_EQ(h.GetLessonStyle(), 18);
    h.SetReleaseType(3);
    EXPECT_FALSE(h.SetAlbum("x"));
    EXPECT_EQ(h.GetAlbum(), "");
}

namespace {

struct RoundTrip {
    const char* name;
    QByteArray header;
    bool lesson;
};

} // namespace

// Rewriting a header, growing or shrinking, must keep every byte after it, keep the
// file's version, and settle: repeated saves give one header and a stable size.
TEST_F(HeaderFileTest, RewriteKeepsRemainderAndVersion)
{
    const RoundTrip trips[] = {
        {"v1", Legacy(1, 3, "Album", 1980), false},  {"v2", Legacy(2, 9, "Single", 1981), false},
        {"v3", Legacy(3, 6, "Dated", 1982), false},  {"v4song", Song4("Title", "Album", 1999), false},
        {"v4lesson", Lesson4("Lesson", 4, 1), true},
    };
    const QByteArray remainder = Remainder(70000, 7);
    const QByteArray remainderMd5 = Md5Of(remainder);
    for (const RoundTrip& trip : trips) {
        SCOPED_TRACE(trip.name);
        const QString path =
            Write(QString::fromLatin1(trip.name) + QStringLiteral(".crd"), trip.header + remainder);
        const uint16_t version = ReadHeader(path).GetVersion();
        qint64 lastSize = -1;
        const std::string titles[] = {std::string(300, 'G'), "S", "Third title"};
        for (int round = 0; round < 3; ++round) {
            QString error;
            if (trip.lesson) {
                CLessonRecord lesson;
                lesson.SetPath(path);
                ASSERT_TRUE(lesson.ReadFromFile(false, &error)) << error.toStdString();
                lesson.SetTitle(titles[round]);
                lesson.SetStyle(static_cast<uint16_t>(10 + round));
                lesson.SetLevel(static_cast<uint8_t>(round % 3));
                lesson.SetAuthor("Author " + std::to_string(round));
                ASSERT_TRUE(lesson.WriteToFile(false, &error)) << error.toStdString();
                const CCordaFileHeader h = ReadHeader(path);
                EXPECT_EQ(h.GetLessonTitle(), titles[round]);
                EXPECT_EQ(h.GetLessonStyle(), 10 + round);
                EXPECT_EQ(h.GetLessonLevel(), round % 3);
                EXPECT_EQ(h.GetLessonAuthor(), "Author " + std::to_string(round));
                EXPECT_EQ(h.GetLessonExtraText(), "extra");
                EXPECT_EQ(h.GetVersion(), version);
            } else {
                CSongRecord song;
                song.SetPath(path);
                ASSERT_TRUE(song.ReadFromFile(false, &error)) << error.toStdString();
                song.SetTitle(titles[round]);
                song.SetArtist("Artist " + std::to_string(round));
                song.SetAlbum("Album " + std::to_string(round));
                ASSERT_TRUE(song.WriteToFile(false, &error)) << error.toStdString();
                const CCordaFileHeader h = ReadHeader(path);
                EXPECT_EQ(h.GetTitle(), titles[round]);
                EXPECT_EQ(h.GetArtist(), "Artist " + std::to_string(round));
                EXPECT_EQ(h.GetAlbum(), "Album " + std::to_string(round));
                EXPECT_EQ(h.GetVersion(), version);
            }
            const QByteArray bytes = corda::test::ReadAll(path);
            ASSERT_GT(bytes.size(), remainder.size());
            EXPECT_EQ(Md5Of(bytes.right(remainder.size())), remainderMd5);
            // One header only: what precedes the remainder is exactly one header.
            CFile file(path, CFile::modeRead);
            CArchive archive(&file, CArchive::load);
            CCordaFileHeader h;
            h.Read(archive);
            archive.Close();
            EXPECT_EQ(file.GetPosition(), static_cast<uint64_t>(bytes.size() - remainder.size()));
            if (round == 2) {
                EXPECT_EQ(bytes.size(), lastSize + qint64(titles[2].size()) - qint64(titles[1].size()));
            }
            lastSize = bytes.size();
        }
    }
}

// The header that a song edit writes, byte for byte: the selected release block only,
// the edited fields, and the carried-unchanged bytes (content byte, extra texts).
TEST_F(HeaderFileTest, SongRewriteWritesExpectedBytes)
{
    const QByteArray remainder = Remainder(5000, 3);
    const QString path = Write(QStringLiteral("song.crd"), Song4("Title", "Album", 1999) + remainder);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    EXPECT_EQ(song.GetTranscriber(), "Tab A :: Tab B");
    EXPECT_EQ(song.GetYear(), 1999);
    song.SetTitle("New");
    song.SetYear(2001);
    song.SetTranscriber("ignored: transcribers are not written");
    ASSERT_TRUE(song.WriteToFile(false));

    ByteWriter expected = Tag(4);
    expected.U8(0).U8(7).Text("New").Text("The Artist").U8(0).U8(2).Text("Album").U16(2001).U8(1);
    expected.U8(0).Text("Composer").Text("Lyricist");
    expected.Text("Arranger").Text("Tab A").Text("Tab B").Text("(c) 1999").Text("x1").Text("x2").Text("x3");
    EXPECT_EQ(corda::test::ReadAll(path), expected.Bytes() + remainder);
}

// Making a song traditional writes authorship type 1 and drops composer and lyricist
// from a version 4 header.
TEST_F(HeaderFileTest, TraditionalDropsComposerAndLyricist)
{
    const QByteArray remainder = Remainder(100, 4);
    const QString path = Write(QStringLiteral("trad.crd"), Song4("Title", "Album", 1999) + remainder);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    song.SetTraditional(true);
    ASSERT_TRUE(song.WriteToFile(false));

    ByteWriter expected = Tag(4);
    expected.U8(0).U8(7).Text("Title").Text("The Artist").U8(0).U8(2).Text("Album").U16(1999).U8(1);
    expected.U8(1);
    expected.Text("Arranger").Text("Tab A").Text("Tab B").Text("(c) 1999").Text("x1").Text("x2").Text("x3");
    EXPECT_EQ(corda::test::ReadAll(path), expected.Bytes() + remainder);

    CSongRecord reread;
    reread.SetPath(path);
    ASSERT_TRUE(reread.ReadFromFile(false));
    EXPECT_TRUE(reread.IsTraditional());
    EXPECT_EQ(reread.GetComposer(), "");
}

// A version 3 song with legacy code 9 is a release type 1; its album edit must reach the
// legacy title while the file stays version 3 with code 9.
TEST_F(HeaderFileTest, LegacyCode9AlbumEditStaysVersion3)
{
    const QByteArray remainder = Remainder(3000, 5);
    const QString path = Write(QStringLiteral("v3.crd"), Legacy(3, 9, "Old Single", 1977) + remainder);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    EXPECT_EQ(song.GetAlbum(), "Old Single");
    EXPECT_EQ(ReadHeader(path).GetReleaseType(), 1);
    song.SetAlbum("New Single");
    song.SetYear(1990); // the release type 0 year: not what code 9 writes
    ASSERT_TRUE(song.WriteToFile(false));

    ByteWriter expected = Tag(3);
    expected.Text("Old Title")
        .Text("Old Artist")
        .U8(9)
        .Text("New Single")
        .U8(5)
        .Text("Comp")
        .Text("Lyr")
        .Text("Arr");
    expected.U16(1977).U8(0).Text("(c) old").Text("e1");
    EXPECT_EQ(corda::test::ReadAll(path), expected.Bytes() + remainder);
}

// Other legacy codes rebuild the legacy title and year from the album fields.
TEST_F(HeaderFileTest, LegacyAlbumCodeRebuildsTitleAndYear)
{
    const QString path = Write(QStringLiteral("v2.crd"), Legacy(2, 2, "LP", 1970));
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    song.SetAlbum("Second LP");
    song.SetYear(1972);
    ASSERT_TRUE(song.WriteToFile(false));
    ByteWriter expected = Tag(2);
    expected.Text("Old Title")
        .Text("Old Artist")
        .U8(2)
        .Text("Second LP")
        .U8(5)
        .Text("Comp")
        .Text("Lyr")
        .Text("Arr");
    expected.Text("Transcriber").U16(1972).U8(0).Text("(c) old").Text("e1").Text("e2");
    EXPECT_EQ(corda::test::ReadAll(path), expected.Bytes());
}

// A release without a title (type 3) keeps its header as it was when the album is edited.
TEST_F(HeaderFileTest, ReleaseType3IgnoresAlbumEdit)
{
    ByteWriter w = Tag(4);
    w.U8(0).U8(0).Text("T").Text("A").U8(3).U8(0).Text("C").Text("L");
    w.Text("").Text("").Text("").Text("").Text("").Text("").Text("");
    const QByteArray original = w.Bytes() + Remainder(50, 6);
    const QString path = Write(QStringLiteral("r3.crd"), original);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    EXPECT_EQ(song.GetAlbum(), "");
    song.SetAlbum("Edited");
    ASSERT_TRUE(song.WriteToFile(false));
    EXPECT_EQ(corda::test::ReadAll(path), original);
}

// After a rewrite the record carries the new file's time and checksum (not the old
// file's); a refused rewrite leaves the file and the record as they were.
TEST_F(HeaderFileTest, WriteTakesCommittedTimeAndChecksum)
{
    const QString path = Write(QStringLiteral("w.crd"), Song4("Title", "Album", 1999) + Remainder(2000, 8));
    SetFileTime(path, 130000000000000000ULL);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    EXPECT_EQ(song.GetLastWriteTime(), 130000000000000000ULL);
    EXPECT_EQ(song.GetChecksum(), corda::test::Md5sumOf(path));
    song.SetTitle("Changed");
    ASSERT_TRUE(song.WriteToFile(false));
    FILETIME onDisk = 0;
    ASSERT_TRUE(AfxGetFileLastWriteTime(path, onDisk));
    EXPECT_EQ(song.GetLastWriteTime(), onDisk);
    EXPECT_NE(song.GetLastWriteTime(), 130000000000000000ULL);
    EXPECT_EQ(song.GetChecksum(), corda::test::Md5sumOf(path));
    EXPECT_EQ(song.CompareWithFile(false), 0u);

    // The file is a lesson now: a song record must not rewrite it.
    const QByteArray lesson = Lesson4("L", 1, 1);
    corda::test::WriteAll(path, lesson);
    const CSongRecord before = song;
    EXPECT_FALSE(song.WriteToFile(false));
    EXPECT_EQ(corda::test::ReadAll(path), lesson);
    EXPECT_EQ(song.GetChecksum(), before.GetChecksum());
    EXPECT_EQ(song.GetLastWriteTime(), before.GetLastWriteTime());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

// Failures report the documented texts: the description alone without show-errors, the
// file-error box (through the message functions) with it; fields stay unchanged.
TEST_F(HeaderFileTest, ReadFailuresReportTheirCause)
{
    const QString path = Write(QStringLiteral("bad.crd"), ByteWriter().Raw("RIFF").U16(4).Bytes());
    CSongRecord song;
    song.SetPath(path);
    song.SetTitle("kept");
    QString error;
    EXPECT_FALSE(song.ReadFromFile(false, &error));
    EXPECT_EQ(error, QStringLiteral("The file contains an invalid file header tag."));
    EXPECT_EQ(song.GetTitle(), "kept");
    EXPECT_EQ(song.GetChecksum(), corda::test::Md5sumOf(path)) << "the checksum is taken even so";

    QStringList shown;
    AfxSetMessageBoxConsoleHandler([&](const CQVMessageBoxRequest& request) {
        shown.append(request.text);
        return IDOK;
    });
    error = QStringLiteral("stale");
    EXPECT_FALSE(song.ReadFromFile(true, &error));
    EXPECT_TRUE(error.isEmpty());
    CSongRecord missing;
    missing.SetPath(m_dir.filePath(QStringLiteral("missing.crd")));
    EXPECT_EQ(missing.CompareWithFile(true), unsigned(fileChangeOpenFailed));
    AfxSetMessageBoxConsoleHandler(nullptr);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("An error has occurred while reading the file '%1'.\r\n\r\nThe file "
                                       "contains an invalid file header tag.")
                            .arg(path));
    EXPECT_TRUE(shown[1].startsWith(
        QStringLiteral("An error has occurred while opening the file '%1'.").arg(missing.GetPath())));

    EXPECT_FALSE(missing.WriteToFile(false, &error));
    EXPECT_FALSE(error.isEmpty());
}

// An unchanged last write time means unchanged: the header is not even read (proved by a
// damaged header with the old time). Then each kind of change sets its bits.
TEST_F(HeaderFileTest, CompareWithFileBits)
{
    const FILETIME t0 = 131000000000000000ULL;
    const QByteArray remainder = Remainder(500, 9);
    const QString path = Write(QStringLiteral("c.crd"), Song4("Title", "Album", 1999) + remainder);
    SetFileTime(path, t0);
    CSongRecord song;
    song.SetPath(path);
    ASSERT_TRUE(song.ReadFromFile(false));
    ASSERT_EQ(song.CompareWithFile(false), 0u);

    corda::test::WriteAll(path, QByteArray("XXXX") + Song4("Title", "Album", 1999).mid(4) + remainder);
    SetFileTime(path, t0);
    EXPECT_EQ(song.CompareWithFile(false), 0u);

    SetFileTime(path, t0 + 10000000);
    QString error;
    EXPECT_EQ(song.CompareWithFile(false, &error), unsigned(fileChangeUnreadable | fileChangeFileNewer));
    EXPECT_FALSE(error.isEmpty());

    // Same header, other music data, earlier time: only the checksum differs.
    corda::test::WriteAll(path, Song4("Title", "Album", 1999) + Remainder(500, 10));
    SetFileTime(path, t0 - 10000000);
    EXPECT_EQ(song.CompareWithFile(false), unsigned(fileChangeChecksum | fileChangeFileOlder));

    // Header fields differ: their bits, and no checksum comparison.
    corda::test::WriteAll(path, Song4("Other", "Album", 2000) + remainder);
    SetFileTime(path, t0 + 1);
    EXPECT_EQ(song.CompareWithFile(false), unsigned(fileChangeTitle | fileChangeYear | fileChangeFileNewer));

    corda::test::WriteAll(path, Lesson4("Title", 1, 1));
    const unsigned mask = song.CompareWithFile(false);
    EXPECT_TRUE(mask & fileChangeWrongKind);
    EXPECT_TRUE(mask & FILE_CHANGE_CONTENT_MASK);
}

// Lessons take style and level only when they are in range; their bits are their own.
TEST_F(HeaderFileTest, LessonRangesAndBits)
{
    const QString path = Write(QStringLiteral("l.crd"), Lesson4("Scales", 40, 9));
    CLessonRecord lesson;
    lesson.SetPath(path);
    lesson.SetStyle(3);
    lesson.SetLevel(2);
    ASSERT_TRUE(lesson.ReadFromFile(false));
    EXPECT_EQ(lesson.GetTitle(), "Scales");
    EXPECT_EQ(lesson.GetStyle(), 3);
    EXPECT_EQ(lesson.GetLevel(), 2);
    EXPECT_EQ(lesson.GetAuthor(), "Author");
    EXPECT_EQ(lesson.GetCopyright(), "(c) L");
    lesson.SetLastWriteTime(1);
    EXPECT_EQ(lesson.CompareWithFile(false),
              unsigned(fileChangeLessonStyle | fileChangeLessonLevel | fileChangeFileNewer));

    CSongRecord song;
    song.SetPath(path);
    song.SetTitle("kept");
    EXPECT_FALSE(song.ReadFromFile(false));
    EXPECT_EQ(song.GetTitle(), "kept");
}

// Reading a record's fields marks the active library modified.
TEST_F(HeaderFileTest, ReadFromFileMarksLibraryModified)
{
    CLibraryDatabase database;
    CLibraryDatabase::SetActive(&database);
    CSongRecord song;
    song.SetPath(Write(QStringLiteral("m.crd"), Song4("T", "A", 1)));
    EXPECT_FALSE(database.IsModified());
    EXPECT_TRUE(song.ReadFromFile(false));
    EXPECT_TRUE(database.IsModified());
    CLibraryDatabase::SetActive(nullptr);
}

// The whole-file checksum and time of ReadHeaderFromFile agree with md5sum and stat.
TEST_F(HeaderFileTest, ReadHeaderFromFileChecksumAndTime)
{
    const QString path = Write(QStringLiteral("h.crd"), Song4("T", "A", 1) + Remainder(40000, 11));
    SetFileTime(path, 132000000000000000ULL);
    CCordaFileHeader header;
    header.SetTitle("stale");
    FILETIME time = 1;
    std::string checksum;
    QString error;
    ASSERT_TRUE(ReadHeaderFromFile(path, header, &time, &checksum, &error));
    EXPECT_EQ(header.GetTitle(), "T");
    EXPECT_EQ(time, 132000000000000000ULL);
    EXPECT_EQ(checksum, corda::test::Md5sumOf(path));

    // Files up to a few megabytes are read in one piece, larger ones in blocks: both give
    // the same header, time and checksum, on either side of the boundary.
    const QByteArray head = Song4("T", "A", 1);
    for (const qsizetype total : {qsizetype{4 << 20} - 1, qsizetype{4 << 20}, qsizetype{4 << 20} + 1}) {
        const QString big = Write(QStringLiteral("big.crd"), head + Remainder(total - head.size(), 7));
        ASSERT_EQ(QFileInfo(big).size(), total);
        header.SetTitle("stale");
        ASSERT_TRUE(ReadHeaderFromFile(big, header, &time, &checksum, &error)) << error.toStdString();
        EXPECT_EQ(header.GetTitle(), "T");
        EXPECT_EQ(checksum, corda::test::Md5sumOf(big)) << total;
    }
    // A damaged header reads the same, small or large.
    for (const int remainder : {100, 5 << 20}) {
        const QString bad = Write(QStringLiteral("bad.crd"),
                                  ByteWriter().Raw("RIFF").U16(4).Bytes() + Remainder(remainder, 3));
        EXPECT_FALSE(ReadHeaderFromFile(bad, header, &time, &checksum, &error));
        EXPECT_EQ(error, QStringLiteral("The file contains an invalid file header tag.")) << remainder;
        EXPECT_TRUE(checksum.empty());
    }

    EXPECT_FALSE(ReadHeaderFromFile(QString(), header, nullptr, nullptr, &error));
    EXPECT_FALSE(
        ReadHeaderFromFile(m_dir.filePath(QStringLiteral("none.crd")), header, &time, &checksum, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(header.GetTitle(), "") << "reset to defaults";
}

// The exception's texts, clamped causes and the truncating buffer form.
TEST(CordaFileExceptionTest, TextsAndBuffer)
{
    QString text;
    EXPECT_TRUE(CCordaFileException(CCordaFileException::invalidFileVersion).GetErrorMessage(text));
    EXPECT_EQ(text, QStringLiteral("The file contains an invalid file version number."));
    const CCordaFileException clamped(9);
    EXPECT_EQ(clamped.m_cause, CCordaFileException::genericException);
    EXPECT_EQ(clamped.m_lOsError, -1);
    char16_t buffer[8];
    EXPECT_TRUE(CCordaFileException(4).GetErrorMessage(buffer, 8));
    EXPECT_EQ(QString::fromUtf16(buffer), QStringLiteral("The fil"));
    EXPECT_FALSE(CCordaFileException(4).GetErrorMessage(nullptr, 8));
    CCordaFileException raw;
    raw.m_cause = 5;
    EXPECT_FALSE(raw.GetErrorMessage(text));
}
