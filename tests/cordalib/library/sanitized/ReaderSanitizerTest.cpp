// The header and database readers on every seed file and on 10,000 deterministic
// mutations of valid inputs. Built with the address (and leak) and undefined-behaviour
// sanitizers: an out-of-bounds access, a leak or undefined arithmetic ends the run. What
// reads must also write and read back unchanged.

#include "fuzz/MemoryFile.h"

#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/LibraryDatabase.h"

#include "qvsystem/platform/Archive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes WriteHeader(const CCordaFileHeader& header)
{
    CMemoryFile file;
    CArchive archive(&file, CArchive::store);
    header.Write(archive);
    archive.Close();
    return file.Data();
}

// Reads a header; when it reads, checks that writing it and reading that back gives the
// same bytes. Returns whether the input read.
bool ExerciseHeader(const Bytes& input)
{
    CMemoryFile file(input.data(), input.size());
    CCordaFileHeader header;
    try {
        CArchive archive(&file, CArchive::load);
        header.Read(archive);
        archive.Close();
    } catch (const CException&) {
        return false;
    }
    const Bytes written = WriteHeader(header);
    CMemoryFile again(written.data(), written.size());
    CCordaFileHeader reread;
    CArchive archive(&again, CArchive::load);
    reread.Read(archive);
    EXPECT_EQ(WriteHeader(reread), written);
    return true;
}

Bytes SaveDatabase(CLibraryDatabase& database)
{
    CMemoryFile file;
    CArchive archive(&file, CArchive::store);
    database.Save(archive);
    archive.Close();
    return file.Data();
}

bool ExerciseDatabase(const Bytes& input)
{
    CMemoryFile file(input.data(), input.size());
    CLibraryDatabase database;
    try {
        CArchive archive(&file, CArchive::load);
        database.Load(archive);
        archive.Close();
    } catch (const CException&) {
        database.Reset();
        EXPECT_EQ(database.GetSongCount() + database.GetLessonCount(), 0u);
        return false;
    }
    const Bytes saved = SaveDatabase(database);
    CMemoryFile again(saved.data(), saved.size());
    CLibraryDatabase reloaded;
    CArchive archive(&again, CArchive::load);
    reloaded.Load(archive);
    EXPECT_EQ(reloaded.GetSongCount(), database.GetSongCount());
    EXPECT_EQ(reloaded.GetLessonCount(), database.GetLessonCount());
    return true;
}

std::vector<Bytes> ValidHeaders()
{
    std::vector<Bytes> headers;
    for (uint16_t version : {1, 2, 3, 4}) {
        for (uint8_t type : {0, 1}) {
            for (uint8_t release : {0, 1, 2, 3}) {
                if (version < 4 && (type == 1 || release > 0))
                    continue;
                CCordaFileHeader header;
                header.SetVersion(version);
                header.SetFileType(type);
                header.SetReleaseType(release);
                header.SetTitle("A title of some length");
                header.SetArtist("Artist \xe9");
                header.SetAlbum(std::string(300, 'a'));
                header.SetComposer("Composer");
                header.SetAuthorshipType(release % 2);
                header.SetTranscriberA("T");
                header.SetLessonTitle("Lesson");
                header.SetLessonAuthor("Author");
                headers.push_back(WriteHeader(header));
            }
        }
    }
    return headers;
}

Bytes ValidDatabase(int songs, int lessons)
{
    CLibraryDatabase database;
    database.SetEncodingSoftware(QStringLiteral("Corda Librarian 1.0.0.1"));
    for (int i = 0; i < songs; ++i) {
        database.AddSong(std::make_unique<CSongRecord>(
            0, "Title", "Artist", "Album", 1999, i % 2 == 0, "C", "L", "A", "T", "(c)",
            QStringLiteral("/music/song%1.crd").arg(i), COleDateTime(45000.0 + i), 1000u * i,
            "0123456789abcdef0123456789abcdef", uint8_t(i % 6)));
    }
    for (int i = 0; i < lessons; ++i) {
        database.AddLesson(std::make_unique<CLessonRecord>(
            0, "Lesson", "Sub", uint16_t(i % 19), uint8_t(i % 3), "Au", "(c)",
            QStringLiteral("/music/lesson%1.crd").arg(i), COleDateTime(), 0, "", 0));
    }
    return SaveDatabase(database);
}

// Bit flips, special byte values, truncation, removal and duplication of a span: the
// damage that file corruption and hostile files bring.
Bytes Mutate(const Bytes& input, std::mt19937& rng)
{
    Bytes out = input;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !out.empty(); ++e) {
        const size_t at = rng() % out.size();
        switch (rng() % 6) {
        case 0:
            out[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
            break;
        case 1: {
            static const uint8_t special[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
            out[at] = special[rng() % sizeof special];
            break;
        }
        case 2:
            out.resize(at);
            break;
        case 3: {
            const size_t length = std::min<size_t>(out.size() - at, 1 + rng() % 16);
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(at),
                      out.begin() + static_cast<std::ptrdiff_t>(at + length));
            break;
        }
        case 4: {
            const size_t length = std::min<size_t>(out.size() - at, 1 + rng() % 16);
            const Bytes span(out.begin() + static_cast<std::ptrdiff_t>(at),
                             out.begin() + static_cast<std::ptrdiff_t>(at + length));
            out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), span.begin(), span.end());
            break;
        }
        default:
            // A length prefix or count pushed to its largest forms.
            for (size_t k = at; k < std::min(out.size(), at + 1 + rng() % 8); ++k)
                out[k] = 0xFF;
            break;
        }
    }
    return out;
}

std::vector<Bytes> Seeds(const char* kind)
{
    std::vector<Bytes> seeds;
    const QString folder = QStringLiteral(CORDA_SOURCE_DIR "/fuzz/seeds/") + QString::fromLatin1(kind);
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        seeds.emplace_back(bytes.begin(), bytes.end());
    }
    return seeds;
}

} // namespace

// Every seed of the fuzz corpora, whatever it holds, reads or is refused cleanly.
TEST(ReaderSanitizerTest, ReplaysSeeds)
{
    for (const Bytes& seed : Seeds("header"))
        ExerciseHeader(seed);
    for (const Bytes& seed : Seeds("database"))
        ExerciseDatabase(seed);
}

// The valid inputs read; 5,000 mutations of each kind read or are refused cleanly, and
// some of them still read (the mutations reach the readers' inner paths).
TEST(ReaderSanitizerTest, MutatedHeadersAndDatabases)
{
    std::mt19937 rng(20261208);
    const std::vector<Bytes> headers = ValidHeaders();
    for (const Bytes& header : headers)
        ASSERT_TRUE(ExerciseHeader(header));
    int headersRead = 0;
    for (int i = 0; i < 5000; ++i)
        headersRead += ExerciseHeader(Mutate(headers[rng() % headers.size()], rng));
    EXPECT_GT(headersRead, 100);

    const std::vector<Bytes> databases = {ValidDatabase(0, 0), ValidDatabase(3, 2), ValidDatabase(40, 10)};
    for (const Bytes& database : databases)
        ASSERT_TRUE(ExerciseDatabase(database));
    int databasesRead = 0;
    for (int i = 0; i < 5000; ++i)
        databasesRead += ExerciseDatabase(Mutate(databases[rng() % databases.size()], rng));
    EXPECT_GT(databasesRead, 100);
}
