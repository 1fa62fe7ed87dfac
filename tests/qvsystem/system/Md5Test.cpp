#include "TestSupport.h"

#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/system/MD5.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The test suite of RFC 1321, appendix A.5.
const std::pair<const char*, const char*> kRfcSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

// Bytes that differ everywhere, so that a block read twice or skipped changes the digest.
QByteArray PatternBytes(qsizetype size, uint32_t seed = 0x9E3779B9u)
{
    QByteArray bytes(size, Qt::Uninitialized);
    uint32_t x = seed;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x >> 24);
    }
    return bytes;
}

std::string Digest(const unsigned char* data, size_t length)
{
    std::string text;
    EXPECT_TRUE(AfxGenerateMD5Checksum(data, length, text));
    return text;
}

} // namespace

// Guards the block function itself: wrong constants, shifts or word order.
TEST(Md5Test, RfcSuiteDigests)
{
    for (const auto& [message, expected] : kRfcSuite) {
        std::string text;
        ASSERT_TRUE(AfxGenerateMD5Checksum(message, std::strlen(message), text));
        EXPECT_EQ(text, expected) << "message \"" << message << "\"";

        MD5_CTX context;
        AfxMD5Init(&context);
        AfxMD5Update(&context, reinterpret_cast<const unsigned char*>(message),
                     static_cast<unsigned>(std::strlen(message)));
        unsigned char digest[16];
        AfxMD5Final(digest, &context);
        std::string viaContext;
        ASSERT_TRUE(AfxFormatMD5Checksum(digest, viaContext));
        EXPECT_EQ(viaContext, expected);
    }
}

// Guards the partial-block buffering: input fed in pieces that straddle the 64-byte
// blocks and the padding boundary must give the digest of the whole.
TEST(Md5Test, PiecewiseUpdatesMatchTheWhole)
{
    const char* message = kRfcSuite[6].first;
    const auto* bytes = reinterpret_cast<const unsigned char*>(message);
    const unsigned length = static_cast<unsigned>(std::strlen(message));
    for (unsigned split = 0; split <= length; ++split) {
        for (unsigned second = split; second <= length; second += 7) {
            MD5_CTX context;
            MD5Init(&context);
            MD5Update(&context, bytes, split);
            MD5Update(&context, bytes + split, second - split);
            MD5Update(&context, bytes + second, length - second);
            unsigned char digest[16];
            MD5Final(digest, &context);
            std::string text;
            AfxFormatMD5Checksum(digest, text);
            ASSERT_EQ(text, kRfcSuite[6].second) << "split at " << split << " and " << second;
        }
    }

    // Lengths around the 56-byte padding limit, byte by byte against one call.
    const QByteArray data = PatternBytes(200);
    for (int n = 50; n <= 130; ++n) {
        MD5_CTX context;
        MD5Init(&context);
        for (int i = 0; i < n; ++i)
            MD5Update(&context, reinterpret_cast<const unsigned char*>(data.constData()) + i, 1);
        unsigned char digest[16];
        MD5Final(digest, &context);
        std::string text;
        AfxFormatMD5Checksum(digest, text);
        ASSERT_EQ(text, Digest(reinterpret_cast<const unsigned char*>(data.constData()), n)) << n << " bytes";
    }
}

// Guards word loading from input that is not aligned to four bytes.
TEST(Md5Test, UnalignedInput)
{
    const char* message = kRfcSuite[5].first;
    const size_t length = std::strlen(message);
    std::vector<unsigned char> buffer(length + 8);
    for (size_t offset = 1; offset < 8; ++offset) {
        std::memcpy(buffer.data() + offset, message, length);
        EXPECT_EQ(Digest(buffer.data() + offset, length), kRfcSuite[5].second) << "offset " << offset;
    }
}

// Guards the text form: order of the bytes, two digits each, case on request only, and
// an output that never keeps an earlier value.
TEST(Md5Test, ChecksumTextAndNullArguments)
{
    unsigned char digest[16];
    for (int i = 0; i < 16; ++i)
        digest[i] = static_cast<unsigned char>((i << 4) | (15 - i));
    std::string text = "stale";
    ASSERT_TRUE(AfxFormatMD5Checksum(digest, text));
    EXPECT_EQ(text, "0f1e2d3c4b5a69788796a5b4c3d2e1f0");
    ASSERT_TRUE(AfxFormatMD5Checksum(digest, text, true));
    EXPECT_EQ(text, "0F1E2D3C4B5A69788796A5B4C3D2E1F0");
    ASSERT_TRUE(AfxGenerateMD5Checksum("abc", 3, text, true));
    EXPECT_EQ(text, "900150983CD24FB0D6963F7D28E17F72");

    text = "stale";
    EXPECT_FALSE(AfxFormatMD5Checksum(nullptr, text));
    EXPECT_TRUE(text.empty());
    text = "stale";
    EXPECT_FALSE(AfxGenerateMD5Checksum(nullptr, 3, text));
    EXPECT_TRUE(text.empty());

    unsigned char out[16];
    std::memset(out, 0xAA, sizeof out);
    EXPECT_FALSE(AfxGenerateMD5Digest(nullptr, 3, out));
    for (unsigned char byte : out)
        EXPECT_EQ(byte, 0);
    EXPECT_FALSE(AfxGenerateMD5Digest("abc", 3, nullptr));

    // Null contexts and digests are ignored rather than dereferenced.
    MD5Init(nullptr);
    MD5Update(nullptr, digest, 16);
    MD5Final(nullptr, nullptr);
    std::string none = "stale";
    EXPECT_FALSE(AfxGenerateFileMD5Checksum(static_cast<CFile*>(nullptr), none));
    EXPECT_TRUE(none.empty());
}

// Guards the file loop at the block size: a final short block, an exact multiple, one
// byte over, and a file far larger than any buffer.
TEST(Md5Test, FileChecksumsMatchMd5sum)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (qsizetype size :
         {qsizetype(0), qsizetype(16383), qsizetype(16384), qsizetype(16385), qsizetype(100) * 1024 * 1024}) {
        const QString path = dir.filePath(QStringLiteral("file-%1.bin").arg(size));
        corda::test::WriteAll(path, PatternBytes(size, static_cast<uint32_t>(size) + 1));
        const std::string expected = corda::test::Md5sumOf(path);
        ASSERT_EQ(expected.size(), 32u);

        std::string byPath;
        ASSERT_TRUE(AfxGenerateFileMD5Checksum(path, byPath)) << size;
        EXPECT_EQ(byPath, expected) << size << " bytes by path";

        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead));
        std::string byHandle;
        ASSERT_TRUE(AfxGenerateFileMD5Checksum(file, byHandle));
        EXPECT_EQ(byHandle, expected) << size << " bytes by handle";
        QFile::remove(path);
    }
    std::string none = "stale";
    EXPECT_FALSE(AfxGenerateFileMD5Checksum(QString(), none));
    EXPECT_TRUE(none.empty());
}

// Guards the handle form: it digests from the current position, not from the start.
TEST(Md5Test, HandleChecksumStartsAtTheCurrentPosition)
{
    QTemporaryDir dir;
    const QByteArray bytes = PatternBytes(40000);
    const QString whole = dir.filePath(QStringLiteral("whole.bin"));
    const QString tail = dir.filePath(QStringLiteral("tail.bin"));
    corda::test::WriteAll(whole, bytes);
    corda::test::WriteAll(tail, bytes.mid(12345));

    CFile file;
    ASSERT_TRUE(file.Open(whole, CFile::modeRead));
    file.Seek(12345, CFile::begin);
    std::string text;
    ASSERT_TRUE(AfxGenerateFileMD5Checksum(&file, text));
    EXPECT_EQ(text, corda::test::Md5sumOf(tail));
}

namespace {

// A file whose second read fails, as a disk error would.
class FailingFile : public CFile {
public:
    unsigned Read(void* buffer, unsigned count) override
    {
        if (++m_reads > 1)
            CFileException::ThrowOsError(EIO, GetFilePath());
        return CFile::Read(buffer, count);
    }

private:
    int m_reads = 0;
};

} // namespace

// Guards against a read error passing for the checksum of the bytes read so far, and
// against paths that cannot be digested giving any text.
TEST(Md5Test, UnreadableFilesGiveNoChecksum)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    corda::test::WriteAll(path, PatternBytes(50000));

    FailingFile failing;
    ASSERT_TRUE(failing.Open(path, CFile::modeRead));
    std::string text = "stale";
    EXPECT_FALSE(AfxGenerateFileMD5Checksum(failing, text));
    EXPECT_TRUE(text.empty());

    text = "stale";
    EXPECT_FALSE(AfxGenerateFileMD5Checksum(dir.filePath(QStringLiteral("missing.bin")), text));
    EXPECT_TRUE(text.empty());
    text = "stale";
    EXPECT_FALSE(AfxGenerateFileMD5Checksum(dir.path(), text)); // a folder
    EXPECT_TRUE(text.empty());
}

// Guards the conversion of non-ASCII paths to the local encoding.
TEST(Md5Test, NonAsciiPath)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Caf\u00e9 \u65e5\u672c.crd"));
    corda::test::WriteAll(path, QByteArray("abc"));
    std::string text;
    ASSERT_TRUE(AfxGenerateFileMD5Checksum(path, text));
    EXPECT_EQ(text, "900150983cd24fb0d6963f7d28e17f72");
}
