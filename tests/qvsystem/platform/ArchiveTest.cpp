#include "PlatformTestHelpers.h"
#include "TestSupport.h"

#include "qvsystem/platform/Archive.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <new>
#include <sys/resource.h>

using namespace corda::test;

namespace {

class ArchiveTest : public testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    template <typename Body> QByteArray Store(const QString& path, Body body, int bufferSize = 4096)
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store, bufferSize);
        body(ar);
        ar.Close();
        file.Close();
        return ReadAll(path);
    }

    QTemporaryDir m_dir;
};

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

struct PrefixCase {
    size_t length;
    QByteArray prefix;
};

const PrefixCase kPrefixCases[] = {
    {0, Bytes({0x00})},
    {254, Bytes({0xFE})},
    {255, Bytes({0xFF, 0xFF, 0x00})},
    {65533, Bytes({0xFF, 0xFD, 0xFF})},
    // 0xFFFE as a 16-bit length would read back as the UTF-16 marker.
    {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
    {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
    {65536, Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
};

} // namespace

// Guards the byte-for-byte string layout shared with files written on Windows, at every
// boundary of the length prefix, for both text forms and both read targets.
TEST_F(ArchiveTest, StringPrefixesAndRoundTrips)
{
    for (const PrefixCase& c : kPrefixCases) {
        SCOPED_TRACE(c.length);
        std::string narrow(c.length, '\0');
        QString wide(static_cast<qsizetype>(c.length), Qt::Uninitialized);
        for (size_t i = 0; i < c.length; ++i) {
            narrow[i] = static_cast<char>(0x20 + i % 0xDF); // includes 1252 bytes above 0x7F
            wide[static_cast<qsizetype>(i)] =
                QChar(static_cast<char16_t>(0x41 + i % 26 + (i % 3 == 0 ? 0x400 : 0)));
        }
        const QByteArray narrowBytes = Store(Path("n.bin"), [&](CArchive& ar) { ar << narrow; });
        ASSERT_EQ(narrowBytes.size(), c.prefix.size() + static_cast<qsizetype>(c.length));
        EXPECT_EQ(narrowBytes.left(c.prefix.size()).toHex(), c.prefix.toHex());
        EXPECT_EQ(0, std::memcmp(narrowBytes.constData() + c.prefix.size(), narrow.data(), c.length));

        const QByteArray wideBytes = Store(Path("w.bin"), [&](CArchive& ar) { ar << wide; });
        const QByteArray widePrefix = Bytes({0xFF, 0xFE, 0xFF}) + c.prefix;
        ASSERT_EQ(wideBytes.size(), widePrefix.size() + 2 * static_cast<qsizetype>(c.length));
        EXPECT_EQ(wideBytes.left(widePrefix.size()).toHex(), widePrefix.toHex());
        if (c.length > 0) {
            EXPECT_EQ(static_cast<unsigned char>(wideBytes[widePrefix.size()]), wide[0].unicode() & 0xFF);
            EXPECT_EQ(static_cast<unsigned char>(wideBytes[widePrefix.size() + 1]), wide[0].unicode() >> 8);
        }

        CFile nf(Path("n.bin"), CFile::modeRead);
        CArchive nar(&nf, CArchive::load);
        std::string narrowBack;
        nar >> narrowBack;
        EXPECT_EQ(narrowBack, narrow);
        EXPECT_EQ(nar.GetBytesRemaining(), 0u);
        nf.SeekToBegin();
        CArchive nar2(&nf, CArchive::load);
        QString narrowAsWide;
        nar2 >> narrowAsWide;
        EXPECT_EQ(narrowAsWide.size(), static_cast<qsizetype>(c.length));

        CFile wf(Path("w.bin"), CFile::modeRead);
        CArchive war(&wf, CArchive::load);
        QString wideBack;
        war >> wideBack;
        EXPECT_EQ(wideBack, wide);
        wf.SeekToBegin();
        CArchive war2(&wf, CArchive::load);
        std::string wideAsNarrow;
        war2 >> wideAsNarrow;
        // Cyrillic has no Windows-1252 byte: every third character becomes '?'.
        ASSERT_EQ(wideAsNarrow.size(), c.length);
        if (c.length > 3) {
            EXPECT_EQ(wideAsNarrow.substr(0, 3), "?BC");
        }
    }
}

// The reader must take the 64-bit length form that a writer uses for huge texts.
TEST_F(ArchiveTest, ReadsSixtyFourBitPrefix)
{
    WriteAll(Path("q.bin"),
             Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0}) + "abc");
    CFile file(Path("q.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    std::string text;
    ar >> text;
    EXPECT_EQ(text, "abc");
}

// A hostile prefix must not become a huge allocation: the child's address space is
// capped well below the claimed size, so an allocation fails loudly there.
TEST_F(ArchiveTest, OversizedPrefixThrowsEndOfFileWithoutAllocating)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the cap allows";
#endif
    const QByteArray claims[] = {
        // 2^40 bytes, 8-bit.
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0}) + "xy",
        // 2^40 characters, UTF-16.
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 1, 0, 0}) + "xy",
        // 512 MiB: small enough that an eager allocation might succeed without the cap.
        Bytes({0xFF, 0xFF, 0xFF, 0, 0, 0, 0x20}) + "xy",
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x20}) + "xy",
    };
    int index = 0;
    for (const QByteArray& claim : claims) {
        SCOPED_TRACE(index++);
        WriteAll(Path("claim.bin"), claim);
        const QString path = Path("claim.bin");
        const int code = RunInChild([&] {
            long pages = 0;
            if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%ld", &pages) != 1)
                    pages = 0;
                std::fclose(statm);
            }
            const rlim_t cap =
                static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (128u << 20);
            const rlimit limit{cap, cap};
            if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0)
                return 10;
            for (int target = 0; target < 2; ++target) {
                try {
                    CFile file(path, CFile::modeRead);
                    CArchive ar(&file, CArchive::load);
                    if (target == 0) {
                        std::string text;
                        ar >> text;
                    } else {
                        QString text;
                        ar >> text;
                    }
                    return 1;
                } catch (const CArchiveException& e) {
                    if (e.m_cause != CArchiveException::endOfFile)
                        return 2;
                } catch (const std::bad_alloc&) {
                    return 3;
                }
            }
            return 0;
        });
        EXPECT_EQ(code, 0) << "1 no error, 2 wrong cause, 3 allocated the claimed size";
    }
}

// Integers and floats are little-endian whatever the host, and read back exactly.
TEST_F(ArchiveTest, NumbersAreLittleEndian)
{
    const QByteArray bytes = Store(Path("i.bin"), [](CArchive& ar) {
        ar << uint8_t(0xAB) << uint16_t(0x0102) << uint32_t(0x03040506) << uint64_t(0x0708090A0B0C0D0EULL)
           << int16_t(-2) << int32_t(-3) << int64_t(-4) << 1.0f << -2.5;
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("ab"
                                        "0201"
                                        "06050403"
                                        "0e0d0c0b0a090807"
                                        "feff"
                                        "fdffffff"
                                        "fcffffffffffffff"
                                        "0000803f"
                                        "00000000000004c0"));
    CFile file(Path("i.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    uint8_t a;
    uint16_t b;
    uint32_t c;
    uint64_t d;
    int16_t e;
    int32_t f;
    int64_t g;
    float h;
    double i;
    ar >> a >> b >> c >> d >> e >> f >> g >> h >> i;
    EXPECT_EQ(a, 0xAB);
    EXPECT_EQ(b, 0x0102);
    EXPECT_EQ(c, 0x03040506u);
    EXPECT_EQ(d, 0x0708090A0B0C0D0EULL);
    EXPECT_EQ(e, -2);
    EXPECT_EQ(f, -3);
    EXPECT_EQ(g, -4);
    EXPECT_EQ(h, 1.0f);
    EXPECT_EQ(i, -2.5);
    EXPECT_THROW(ar >> a, CArchiveException);
}

// Values that straddle buffer refills (tiny buffers on both sides, reads larger than
// the buffer) must come back unchanged.
TEST_F(ArchiveTest, BufferBoundariesKeepData)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 200; ++i)
        texts.push_back(std::string(static_cast<size_t>(i * 7 % 300), static_cast<char>('a' + i % 26)));
    Store(
        Path("b.bin"),
        [&](CArchive& ar) {
            for (size_t i = 0; i < texts.size(); ++i)
                ar << texts[i] << static_cast<uint32_t>(i);
        },
        16);
    for (int bufferSize : {16, 100, 4096}) {
        SCOPED_TRACE(bufferSize);
        CFile file(Path("b.bin"), CFile::modeRead);
        CArchive ar(&file, CArchive::load, bufferSize);
        for (size_t i = 0; i < texts.size(); ++i) {
            std::string text;
            uint32_t index;
            ar >> text >> index;
            ASSERT_EQ(text, texts[i]);
            ASSERT_EQ(index, i);
        }
        EXPECT_EQ(ar.GetBytesRemaining(), 0u);
    }
}

// Callers find the end of a header from the file position after closing the archive;
// the read-ahead must be given back.
TEST_F(ArchiveTest, LoadingCloseLeavesFileAfterLastConsumedByte)
{
    QByteArray data;
    for (int i = 0; i < 10000; ++i)
        data.append(static_cast<char>(i % 251));
    WriteAll(Path("r.bin"), data);
    CFile file(Path("r.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    uint8_t first;
    uint32_t second;
    ar >> first >> second;
    EXPECT_EQ(ar.GetBytesRemaining(), 9995u);
    ar.Close();
    EXPECT_EQ(file.GetPosition(), 5u);
    unsigned char next = 0;
    ASSERT_EQ(file.Read(&next, 1), 1u);
    EXPECT_EQ(next, 5);
}

// Wrong-direction use and truncated data are archive errors; a failed write is the
// file's own error, not swallowed in the buffer.
TEST_F(ArchiveTest, ErrorsCarryTheirCauses)
{
    WriteAll(Path("e.bin"), Bytes({0x05, 'a', 'b'}));
    CFile file(Path("e.bin"), CFile::modeRead);
    CArchive loading(&file, CArchive::load);
    try {
        loading << uint8_t(1);
        ADD_FAILURE() << "stored into a loading archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::readOnly);
    }
    std::string text = "unchanged";
    try {
        loading >> text;
        ADD_FAILURE() << "read a truncated text";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_EQ(e.m_strFileName, Path("e.bin"));
    }
    EXPECT_EQ(text, "unchanged");

    CFile out(Path("s.bin"), CFile::modeCreate | CFile::modeWrite);
    CArchive storing(&out, CArchive::store);
    uint8_t value;
    try {
        storing >> value;
        ADD_FAILURE() << "loaded from a storing archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::writeOnly);
    }

    // Two UTF-16 markers in a row are no text.
    WriteAll(Path("m.bin"), Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x01, 'a', 0}));
    CFile marked(Path("m.bin"), CFile::modeRead);
    CArchive markedAr(&marked, CArchive::load);
    QString wide;
    EXPECT_THROW(markedAr >> wide, CArchiveException);

    CFile full(QStringLiteral("/dev/full"), CFile::modeWrite);
    CArchive fullAr(&full, CArchive::store);
    fullAr << std::string(100, 'x');
    try {
        fullAr.Close();
        ADD_FAILURE() << "a write to a full device succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
    }
}

// An archive over bytes in memory reads what one over the file holding them reads, and
// throws the same end-of-file error, naming the same path, when the bytes run out. The
// memory file never reads outside its bytes, refuses writes and seeks as lseek does.
TEST_F(ArchiveTest, MemoryFileReadsAsTheFileDoes)
{
    const QString path = Path("memory.bin");
    const QByteArray bytes =
        Store(path, [](CArchive& ar) { ar << QString(300, QLatin1Char('w')) << uint32_t{0xA1B2C3D4}; });
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    {
        CMemFile memory(data, static_cast<uint64_t>(bytes.size()), path);
        CArchive ar(&memory, CArchive::load);
        QString text;
        uint32_t number = 0;
        ar >> text >> number;
        EXPECT_EQ(text, QString(300, QLatin1Char('w')));
        EXPECT_EQ(number, 0xA1B2C3D4u);
    }
    // Cut short: the error of a truncated file, with its path.
    CMemFile cut(data, static_cast<uint64_t>(bytes.size() - 10), path);
    CArchive ar(&cut, CArchive::load);
    QString text;
    uint32_t number = 0;
    try {
        ar >> text >> number;
        FAIL() << "read past the end of the bytes";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        EXPECT_EQ(e.m_strFileName, path);
    }

    CMemFile memory(data, 8, path);
    unsigned char buffer[16] = {};
    EXPECT_EQ(memory.Seek(6, CFile::begin), 6u);
    EXPECT_EQ(memory.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::memcmp(buffer, data + 6, 2), 0);
    EXPECT_EQ(memory.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(memory.Seek(100, CFile::begin), 100u) << "past the end, as lseek";
    EXPECT_EQ(memory.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(memory.Seek(-3, CFile::end), 5u);
    EXPECT_THROW(memory.Seek(-6, CFile::current), CFileException);
    EXPECT_EQ(memory.GetPosition(), 5u);
    EXPECT_EQ(memory.GetLength(), 8u);
    EXPECT_THROW(memory.Write(buffer, 1), CFileException);
    EXPECT_THROW(memory.SetLength(1), CFileException);
}
