// The library database: the file layout byte for byte, refusal of damaged files, and the
// in-memory operations (ids, removal, queries).

#include "LibraryTestHelpers.h"

#include "cordalib/library/LibraryDatabase.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/File.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using corda::test::ByteWriter;

namespace {

class DatabaseFileTest : public testing::Test {
protected:
    QString PathOf(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    void SaveTo(CLibraryDatabase& database, const QString& path)
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        database.Save(archive);
        archive.Close();
        file.Close();
    }

    // Loads as the application does: on a throw the database is Reset. Returns the
    // archive error's cause, or -1 when the load succeeded.
    int LoadFrom(CLibraryDatabase& database, const QString& path)
    {
        CFile file(path, CFile::modeRead);
        CArchive archive(&file, CArchive::load);
        database.Clear();
        try {
            database.Load(archive);
            archive.Close();
            return -1;
        } catch (const CArchiveException& e) {
            archive.Abort();
            database.Reset();
            return e.m_cause;
        }
    }

    // The database header of the layout: magic, version, two dates, encoding software.
    static ByteWriter Prologue(uint16_t version = 0)
    {
        ByteWriter w;
        w.Raw("cordb")
            .U16(version)
            .Date(0, 45000.25)
            .Date(0, 45100.5)
            .Wide(QStringLiteral("Corda Librarian 1.0"));
        return w;
    }

    static void AppendSong(ByteWriter& w, const std::string& title, const QString& path, uint8_t rating)
    {
        w.U16(0).Text(title).Text("Artist").Text("Album").U16(1999).U32(1);
        w.Text("Composer").Text("Lyricist").Text("Arranger").Text("Transcriber").Text("(c)");
        w.Wide(path)
            .Date(0, 44000.5)
            .U32(0x89ABCDEF)
            .U32(0x01234567)
            .Text("0123456789abcdef0123456789abcdef");
        w.U8(rating);
    }

    static void AppendLesson(ByteWriter& w, const std::string& title, uint16_t style, uint8_t level)
    {
        w.U16(0).Text(title).Text("Sub").U16(style).U8(level).Text("Author").Text("(c) L");
        w.Wide(QStringLiteral("/music/lessons/") + QString::fromStdString(title) + QStringLiteral(".crd"));
        w.Date(1, 0.0).U32(5).U32(0).Text("ffffffffffffffffffffffffffffffff").U8(2);
    }

    static void ExpectEmpty(const CLibraryDatabase& database)
    {
        EXPECT_EQ(database.GetSongCount(), 0u);
        EXPECT_EQ(database.GetLessonCount(), 0u);
        EXPECT_EQ(database.GetNextSongId(), 1u);
        EXPECT_EQ(database.GetNextLessonId(), 1u);
        EXPECT_TRUE(database.GetEncodingSoftware().isEmpty());
        EXPECT_FALSE(database.IsModified());
    }

    QTemporaryDir m_dir;
};

} // namespace

// The empty library: magic, version, created, modified, encoding software (UTF-16),
// then two zero counts, and nothing else.
TEST_F(DatabaseFileTest, EmptyLibraryLayout)
{
    CLibraryDatabase database;
    database.SetEncodingSoftware(QStringLiteral("Corda Librarian 1.0.0.1"));
    const QString path = PathOf("empty.cordb");
    SaveTo(database, path);
    ByteWriter expected;
    expected.Raw("cordb").U16(0);
    expected.Date(database.GetCreated().m_status, database.GetCreated().m_dt);
    expected.Date(database.GetModified().m_status, database.GetModified().m_dt);
    expected.Wide(QStringLiteral("Corda Librarian 1.0.0.1")).U32(0).U32(0);
    EXPECT_EQ(corda::test::ReadAll(path), expected.Bytes());
}

// A file built from the layout by hand (not by Save) loads with its records in file order
// and ids 1..N; both text forms are accepted for every text.
TEST_F(DatabaseFileTest, LoadsHandBuiltFile)
{
    ByteWriter w = Prologue();
    w.U32(3);
    AppendSong(w, "First", QStringLiteral("/music/Été/first.crd"), 5);
    AppendSong(w, std::string(300, 'x'), QStringLiteral("/music/second.crd"), 0);
    // A song whose title is stored as UTF-16 and whose path as an 8-bit text.
    w.U16(0).Wide(QStringLiteral("Caf\u00e9")).Text("").Text("").U16(0).U32(0);
    w.Text("")
        .Text("")
        .Text("")
        .Text("")
        .Text("")
        .Text("/music/\xe9.crd")
        .Date(2, 0.0)
        .U32(0)
        .U32(0)
        .Text("")
        .U8(0);
    w.U32(2);
    AppendLesson(w, "Scales", 4, 1);
    AppendLesson(w, "Chords", 30, 7);
    const QString path = PathOf("hand.cordb");
    corda::test::WriteAll(path, w.Bytes());

    CLibraryDatabase database;
    ASSERT_EQ(LoadFrom(database, path), -1);
    EXPECT_EQ(database.GetCreated().m_dt, 45000.25);
    EXPECT_EQ(database.GetModified().m_dt, 45100.5);
    EXPECT_EQ(database.GetEncodingSoftware(), QStringLiteral("Corda Librarian 1.0"));
    ASSERT_EQ(database.GetSongCount(), 3u);
    ASSERT_EQ(database.GetLessonCount(), 2u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(database.GetSongs()[i]->GetId(), i + 1);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(database.GetLessons()[i]->GetId(), i + 1);
    EXPECT_EQ(database.GetNextSongId(), 4u);

    const CSongRecord& first = *database.GetSongs()[0];
    EXPECT_EQ(first.GetTitle(), "First");
    EXPECT_EQ(first.GetArtist(), "Artist");
    EXPECT_EQ(first.GetYear(), 1999);
    EXPECT_TRUE(first.IsTraditional());
    EXPECT_EQ(first.GetTranscriber(), "Transcriber");
    EXPECT_EQ(first.GetPath(), QStringLiteral("/music/Été/first.crd"));
    EXPECT_EQ(first.GetDateAdded().m_dt, 44000.5);
    EXPECT_EQ(first.GetLastWriteTime(), 0x0123456789ABCDEFULL);
    EXPECT_EQ(first.GetChecksum(), "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(first.GetRating(), 5);
    EXPECT_EQ(database.GetSongs()[1]->GetTitle(), std::string(300, 'x'));
    EXPECT_EQ(database.GetSongs()[2]->GetTitle(), "Caf\xe9");
    EXPECT_EQ(database.GetSongs()[2]->GetPath(), QStringLiteral("/music/\u00e9.crd"));
    EXPECT_EQ(database.GetSongs()[2]->GetDateAdded().GetStatus(), COleDateTime::null);

    const CLessonRecord& chords = *database.GetLessons()[1];
    EXPECT_EQ(chords.GetTitle(), "Chords");
    EXPECT_EQ(chords.GetStyle(), 30) << "stored values are kept as they are";
    EXPECT_EQ(chords.GetStyleName(), QStringLiteral("Unknown"));
    EXPECT_EQ(chords.GetLastWriteTime(), 5u);
    EXPECT_EQ(chords.GetDateAdded().GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(database.GetLessons()[0]->GetStyleName(), QStringLiteral("Fingerpick"));
}

// Wrong magic, another version, a truncated file, a count past the end and an unknown
// record version are refused with the archive's errors; the library ends empty and the
// file is untouched. A count of 2^32-1 must not be reserved before it is checked.
TEST_F(DatabaseFileTest, RefusesDamagedFiles)
{
    ByteWriter good = Prologue();
    good.U32(1);
    AppendSong(good, "Song", QStringLiteral("/a.crd"), 1);
    good.U32(1);
    AppendLesson(good, "Lesson", 1, 1);

    struct Case {
        const char* name;
        QByteArray bytes;
        int cause;
    };
    std::vector<Case> cases = {
        {"magic", QByteArray("cordc") + good.Bytes().mid(5), CArchiveException::badClass},
        {"version 1", Prologue(1).U32(0).U32(0).Bytes(), CArchiveException::badSchema},
        {"song count", Prologue().U32(0xFFFFFFFFu).Bytes() + QByteArray(200, '\0'),
         CArchiveException::endOfFile},
        {"lesson count", Prologue().U32(0).U32(0x10000000u).Bytes() + QByteArray(500, '\1'),
         CArchiveException::endOfFile},
        {"text length",
         Prologue().U32(1).U16(0).U8(0xFF).U16(0xFFFF).U32(0x7FFFFFFF).Bytes() + QByteArray(60, 'a'),
         CArchiveException::endOfFile},
        {"record version",
         [&] {
             ByteWriter w = Prologue();
             w.U32(1);
             AppendSong(w, "Song", QStringLiteral("/a.crd"), 1);
             QByteArray bytes = w.Bytes();
             bytes[Prologue().Size() + 4] = 1; // the song's record version
             return bytes + QByteArray(4, '\0');
         }(),
         CArchiveException::badSchema},
    };
    for (qsizetype cut : {qsizetype(0), qsizetype(4), qsizetype(20), good.Size() / 2, good.Size() - 1})
        cases.push_back({"truncated", good.Bytes().left(cut), CArchiveException::endOfFile});

    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " (" << c.bytes.size() << " bytes)");
        const QString path = PathOf("damaged.cordb");
        corda::test::WriteAll(path, c.bytes);
        CLibraryDatabase database;
        database.AddSong(std::make_unique<CSongRecord>());
        EXPECT_EQ(LoadFrom(database, path), c.cause);
        ExpectEmpty(database);
        EXPECT_EQ(corda::test::ReadAll(path), c.bytes);
    }

    CLibraryDatabase database;
    ASSERT_EQ(LoadFrom(database,
                       [&] {
                           corda::test::WriteAll(PathOf("good.cordb"), good.Bytes());
                           return PathOf("good.cordb");
                       }()),
              -1);
    EXPECT_EQ(database.GetSongCount(), 1u);
}

// What Save writes, Load reads back field for field, texts longer than the reader's
// block included; the file position ends just after the database.
TEST_F(DatabaseFileTest, SaveLoadRoundTrip)
{
    CLibraryDatabase database;
    database.SetEncodingSoftware(QStringLiteral("Test 1.2.3.4"));
    const std::string longText(300000, 'L');
    const QString longPath =
        QStringLiteral("/music/") + QString(200000, QChar(0x263A)) + QStringLiteral(".crd");
    database.AddSong(std::make_unique<CSongRecord>(0, "T\xe9", "A", "B", 2020, false, "C", "L", "R", "X :: Y",
                                                   "(c)", QStringLiteral("/music/\u00dcber.crd"),
                                                   COleDateTime(45123.75), 0xFFFFFFFF00000001ULL,
                                                   "abcdefabcdefabcdefabcdefabcdef12", 4));
    database.AddSong(std::make_unique<CSongRecord>(0, longText.c_str(), nullptr, nullptr, 0, true, nullptr,
                                                   nullptr, nullptr, nullptr, nullptr, longPath,
                                                   COleDateTime(1.0, COleDateTime::invalid), 0, nullptr, 0));
    database.AddLesson(std::make_unique<CLessonRecord>(
        0, "Les", "Sub", 18, 2, "Au", "(c)", QStringLiteral("/l.crd"), COleDateTime(-1.5), 42, "sum", 1));
    const QString path = PathOf("round.cordb");
    SaveTo(database, path);
    const QByteArray saved = corda::test::ReadAll(path);
    corda::test::WriteAll(path, saved + QByteArray("trailing"));

    CLibraryDatabase loaded;
    CFile file(path, CFile::modeRead);
    CArchive archive(&file, CArchive::load);
    loaded.Load(archive);
    archive.Close();
    EXPECT_EQ(file.GetPosition(), static_cast<uint64_t>(saved.size()));

    EXPECT_EQ(loaded.GetEncodingSoftware(), QStringLiteral("Test 1.2.3.4"));
    EXPECT_EQ(loaded.GetCreated(), database.GetCreated());
    ASSERT_EQ(loaded.GetSongCount(), 2u);
    const CSongRecord& a = *loaded.GetSongs()[0];
    const CSongRecord& b = *database.GetSongs()[0];
    EXPECT_EQ(a.GetTitle(), b.GetTitle());
    EXPECT_EQ(a.GetTranscriber(), b.GetTranscriber());
    EXPECT_EQ(a.GetPath(), b.GetPath());
    EXPECT_EQ(a.GetDateAdded(), b.GetDateAdded());
    EXPECT_EQ(a.GetLastWriteTime(), b.GetLastWriteTime());
    EXPECT_EQ(a.GetChecksum(), b.GetChecksum());
    EXPECT_EQ(a.GetRating(), 4);
    EXPECT_EQ(loaded.GetSongs()[1]->GetTitle(), longText);
    EXPECT_EQ(loaded.GetSongs()[1]->GetPath(), longPath);
    EXPECT_TRUE(loaded.GetSongs()[1]->IsTraditional());
    EXPECT_EQ(loaded.GetSongs()[1]->GetDateAdded().GetStatus(), COleDateTime::invalid);
    ASSERT_EQ(loaded.GetLessonCount(), 1u);
    EXPECT_EQ(loaded.GetLessons()[0]->GetStyle(), 18);
    EXPECT_EQ(loaded.GetLessons()[0]->GetDateAdded().m_dt, -1.5);

    // Saving what was loaded gives the same bytes but for the modified time.
    const QString again = PathOf("again.cordb");
    SaveTo(loaded, again);
    QByteArray resaved = corda::test::ReadAll(again);
    ASSERT_EQ(resaved.size(), saved.size());
    resaved.replace(19, 12, saved.mid(19, 12));
    EXPECT_EQ(resaved, saved);
}

// A Save needs a storing archive and a Load a loading one.
TEST_F(DatabaseFileTest, ArchiveDirectionIsChecked)
{
    const QString path = PathOf("dir.cordb");
    corda::test::WriteAll(path, Prologue().U32(0).U32(0).Bytes());
    CLibraryDatabase database;
    {
        CFile file(path, CFile::modeRead);
        CArchive archive(&file, CArchive::load);
        try {
            database.Save(archive);
            ADD_FAILURE() << "Save on a loading archive";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
        }
    }
    CFile file(path, CFile::modeReadWrite);
    CArchive archive(&file, CArchive::store);
    try {
        database.Load(archive);
        ADD_FAILURE() << "Load on a storing archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }
    archive.Abort();
}

// Ids, removal (later entries move up), the modified flag, Clear and Reset.
TEST(LibraryDatabaseTest, IdsRemovalAndFlags)
{
    CLibraryDatabase database;
    EXPECT_FALSE(database.IsModified());
    CSongRecord* s1 = database.AddSong(std::make_unique<CSongRecord>());
    CSongRecord* s2 = database.AddSong(std::make_unique<CSongRecord>());
    CSongRecord* s3 = database.AddSong(std::make_unique<CSongRecord>());
    EXPECT_EQ(s1->GetId(), 1u);
    EXPECT_EQ(s3->GetId(), 3u);
    EXPECT_TRUE(database.IsModified());
    database.SetModified(false);

    CSongRecord outsider;
    EXPECT_FALSE(database.RemoveSong(&outsider));
    EXPECT_FALSE(database.RemoveSong(nullptr));
    EXPECT_FALSE(database.IsModified());
    EXPECT_TRUE(database.RemoveSong(s2));
    EXPECT_TRUE(database.IsModified());
    ASSERT_EQ(database.GetSongCount(), 2u);
    EXPECT_EQ(database.GetSongs()[0], s1);
    EXPECT_EQ(database.GetSongs()[1], s3);

    CLessonRecord* l1 = database.AddLesson(std::make_unique<CLessonRecord>());
    EXPECT_EQ(l1->GetId(), 1u);
    EXPECT_EQ(database.AddSong(nullptr), nullptr);

    database.Clear();
    EXPECT_EQ(database.GetSongCount(), 0u);
    EXPECT_EQ(database.GetNextSongId(), 1u);
    EXPECT_EQ(database.GetNextLessonId(), 1u);
    EXPECT_TRUE(database.IsModified()) << "Clear alone does not save";
    database.SetPath(QStringLiteral("/data/library.cordb"));
    EXPECT_EQ(database.GetFileName(), QStringLiteral("library.cordb"));
    EXPECT_FALSE(database.SetPath(QString()));
    database.Reset();
    EXPECT_FALSE(database.IsModified());
    EXPECT_TRUE(database.GetPath().isEmpty());
}

// Path lookups ignore case; artist/album lookups do not; style and level out of range
// find nothing.
TEST(LibraryDatabaseTest, Queries)
{
    CLibraryDatabase database;
    database.AddSong(std::make_unique<CSongRecord>(
        0, "T", "Artist", "Album", 0, false, nullptr, nullptr, nullptr, nullptr, nullptr,
        QStringLiteral("/Music/Song.crd"), COleDateTime(), 0, nullptr, 0));
    database.AddLesson(std::make_unique<CLessonRecord>(0, "L", nullptr, 3, 2, nullptr, nullptr,
                                                       QStringLiteral("/Music/Étude.crd"), COleDateTime(), 0,
                                                       nullptr, 0));
    EXPECT_TRUE(database.ContainsSongPath(QStringLiteral("/music/song.CRD")));
    EXPECT_FALSE(database.ContainsLessonPath(QStringLiteral("/music/song.crd")));
    EXPECT_TRUE(database.ContainsPath(QStringLiteral("/MUSIC/ÉTUDE.crd")));
    EXPECT_FALSE(database.ContainsPath(QString()));
    EXPECT_FALSE(database.ContainsPath(QStringLiteral("/Music/Song")));
    EXPECT_TRUE(database.ContainsSong("Artist", "Album"));
    EXPECT_FALSE(database.ContainsSong("artist", "Album"));
    EXPECT_FALSE(database.ContainsSong(nullptr, "Album"));
    EXPECT_TRUE(database.ContainsLesson(3, 2));
    EXPECT_FALSE(database.ContainsLesson(3, 1));
    EXPECT_FALSE(database.ContainsLesson(19 + 3, 2));
}
