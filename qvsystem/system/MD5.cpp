// MD5 as RFC 1321 describes it. The block function is written for speed: the rounds
// are unrolled, message words are loaded once per block, and the auxiliary functions
// are arranged so that as little work as possible waits on the previous step's result.
#include "qvsystem/system/MD5.h"

#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"

#include <QFile>

#include <bit>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr unsigned FILE_BLOCK_SIZE = 16384;

inline uint32_t RotateLeft(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

// Input words are little-endian whatever the host; memcpy keeps unaligned input legal.
inline uint32_t LoadWord(const unsigned char* p)
{
    uint32_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap32(word);
    return word;
}

inline void StoreWord(unsigned char* p, uint32_t word)
{
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap32(word);
    std::memcpy(p, &word, sizeof word);
}

// F = (b & c) | (~b & d), computed as a multiplexer.
#define MD5_STEP_F(a, b, c, d, x, s, t)                                                                      \
    a += (d ^ (b & (c ^ d))) + x + t;                                                                        \
    a = RotateLeft(a, s) + b
// G = (b & d) | (c & ~d): the two terms never share a bit, so they may be added one at
// a time, and the term without b is ready before b is.
#define MD5_STEP_G(a, b, c, d, x, s, t)                                                                      \
    a += x + t + (c & ~d);                                                                                   \
    a += b & d;                                                                                              \
    a = RotateLeft(a, s) + b
#define MD5_STEP_H(a, b, c, d, x, s, t)                                                                      \
    a += (b ^ c ^ d) + x + t;                                                                                \
    a = RotateLeft(a, s) + b
#define MD5_STEP_I(a, b, c, d, x, s, t)                                                                      \
    a += (c ^ (b | ~d)) + x + t;                                                                             \
    a = RotateLeft(a, s) + b

void Transform(uint32_t state[4], const unsigned char* block, size_t blocks)
{
    uint32_t sa = state[0], sb = state[1], sc = state[2], sd = state[3];
    for (; blocks != 0; --blocks, block += 64) {
        const uint32_t x0 = LoadWord(block + 0), x1 = LoadWord(block + 4), x2 = LoadWord(block + 8),
                       x3 = LoadWord(block + 12), x4 = LoadWord(block + 16), x5 = LoadWord(block + 20),
                       x6 = LoadWord(block + 24), x7 = LoadWord(block + 28), x8 = LoadWord(block + 32),
                       x9 = LoadWord(block + 36), x10 = LoadWord(block + 40), x11 = LoadWord(block + 44),
                       x12 = LoadWord(block + 48), x13 = LoadWord(block + 52), x14 = LoadWord(block + 56),
                       x15 = LoadWord(block + 60);
        uint32_t a = sa, b = sb, c = sc, d = sd;

        MD5_STEP_F(a, b, c, d, x0, 7, 0xd76aa478);
        MD5_STEP_F(d, a, b, c, x1, 12, 0xe8c7b756);
        MD5_STEP_F(c, d, a, b, x2, 17, 0x242070db);
        MD5_STEP_F(b, c, d, a, x3, 22, 0xc1bdceee);
        MD5_STEP_F(a, b, c, d, x4, 7, 0xf57c0faf);
        MD5_STEP_F(d, a, b, c, x5, 12, 0x4787c62a);
        MD5_STEP_F(c, d, a, b, x6, 17, 0xa8304613);
        MD5_STEP_F(b, c, d, a, x7, 22, 0xfd469501);
        MD5_STEP_F(a, b, c, d, x8, 7, 0x698098d8);
        MD5_STEP_F(d, a, b, c, x9, 12, 0x8b44f7af);
        MD5_STEP_F(c, d, a, b, x10, 17, 0xffff5bb1);
        MD5_STEP_F(b, c, d, a, x11, 22, 0x895cd7be);
        MD5_STEP_F(a, b, c, d, x12, 7, 0x6b901122);
        MD5_STEP_F(d, a, b, c, x13, 12, 0xfd987193);
        MD5_STEP_F(c, d, a, b, x14, 17, 0xa679438e);
        MD5_STEP_F(b, c, d, a, x15, 22, 0x49b40821);

        MD5_STEP_G(a, b, c, d, x1, 5, 0xf61e2562);
        MD5_STEP_G(d, a, b, c, x6, 9, 0xc040b340);
        MD5_STEP_G(c, d, a, b, x11, 14, 0x265e5a51);
        MD5_STEP_G(b, c, d, a, x0, 20, 0xe9b6c7aa);
        MD5_STEP_G(a, b, c, d, x5, 5, 0xd62f105d);
        MD5_STEP_G(d, a, b, c, x10, 9, 0x02441453);
        MD5_STEP_G(c, d, a, b, x15, 14, 0xd8a1e681);
        MD5_STEP_G(b, c, d, a, x4, 20, 0xe7d3fbc8);
        MD5_STEP_G(a, b, c, d, x9, 5, 0x21e1cde6);
        MD5_STEP_G(d, a, b, c, x14, 9, 0xc33707d6);
        MD5_STEP_G(c, d, a, b, x3, 14, 0xf4d50d87);
        MD5_STEP_G(b, c, d, a, x8, 20, 0x455a14ed);
        MD5_STEP_G(a, b, c, d, x13, 5, 0xa9e3e905);
        MD5_STEP_G(d, a, b, c, x2, 9, 0xfcefa3f8);
        MD5_STEP_G(c, d, a, b, x7, 14, 0x676f02d9);
        MD5_STEP_G(b, c, d, a, x12, 20, 0x8d2a4c8a);

        MD5_STEP_H(a, b, c, d, x5, 4, 0xfffa3942);
        MD5_STEP_H(d, a, b, c, x8, 11, 0x8771f681);
        MD5_STEP_H(c, d, a, b, x11, 16, 0x6d9d6122);
        MD5_STEP_H(b, c, d, a, x14, 23, 0xfde5380c);
        MD5_STEP_H(a, b, c, d, x1, 4, 0xa4beea44);
        MD5_STEP_H(d, a, b, c, x4, 11, 0x4bdecfa9);
        MD5_STEP_H(c, d, a, b, x7, 16, 0xf6bb4b60);
        MD5_STEP_H(b, c, d, a, x10, 23, 0xbebfbc70);
        MD5_STEP_H(a, b, c, d, x13, 4, 0x289b7ec6);
        MD5_STEP_H(d, a, b, c, x0, 11, 0xeaa127fa);
        MD5_STEP_H(c, d, a, b, x3, 16, 0xd4ef3085);
        MD5_STEP_H(b, c, d, a, x6, 23, 0x04881d05);
        MD5_STEP_H(a, b, c, d, x9, 4, 0xd9d4d039);
        MD5_STEP_H(d, a, b, c, x12, 11, 0xe6db99e5);
        MD5_STEP_H(c, d, a, b, x15, 16, 0x1fa27cf8);
        MD5_STEP_H(b, c, d, a, x2, 23, 0xc4ac5665);

        MD5_STEP_I(a, b, c, d, x0, 6, 0xf4292244);
        MD5_STEP_I(d, a, b, c, x7, 10, 0x432aff97);
        MD5_STEP_I(c, d, a, b, x14, 15, 0xab9423a7);
        MD5_STEP_I(b, c, d, a, x5, 21, 0xfc93a039);
        MD5_STEP_I(a, b, c, d, x12, 6, 0x655b59c3);
        MD5_STEP_I(d, a, b, c, x3, 10, 0x8f0ccc92);
        MD5_STEP_I(c, d, a, b, x10, 15, 0xffeff47d);
        MD5_STEP_I(b, c, d, a, x1, 21, 0x85845dd1);
        MD5_STEP_I(a, b, c, d, x8, 6, 0x6fa87e4f);
        MD5_STEP_I(d, a, b, c, x15, 10, 0xfe2ce6e0);
        MD5_STEP_I(c, d, a, b, x6, 15, 0xa3014314);
        MD5_STEP_I(b, c, d, a, x13, 21, 0x4e0811a1);
        MD5_STEP_I(a, b, c, d, x4, 6, 0xf7537e82);
        MD5_STEP_I(d, a, b, c, x11, 10, 0xbd3af235);
        MD5_STEP_I(c, d, a, b, x2, 15, 0x2ad7d2bb);
        MD5_STEP_I(b, c, d, a, x9, 21, 0xeb86d391);
        sa += a;
        sb += b;
        sc += c;
        sd += d;
    }
    state[0] = sa;
    state[1] = sb;
    state[2] = sc;
    state[3] = sd;
}

#undef MD5_STEP_F
#undef MD5_STEP_G
#undef MD5_STEP_H
#undef MD5_STEP_I

// Feeds a length that may exceed what MD5Update takes in one call.
void UpdateLarge(MD5_CTX* context, const unsigned char* data, size_t length)
{
    constexpr size_t chunk = size_t(1) << 30;
    while (length > chunk) {
        MD5Update(context, data, static_cast<unsigned int>(chunk));
        data += chunk;
        length -= chunk;
    }
    MD5Update(context, data, static_cast<unsigned int>(length));
}

bool FinishFileChecksum(MD5_CTX& context, std::string& checksum)
{
    unsigned char digest[MD5_DIGEST_LENGTH] = {};
    MD5Final(digest, &context);
    return AfxFormatMD5Checksum(digest, checksum, false);
}

} // namespace

void MD5Init(MD5_CTX* context)
{
    if (!context)
        return;
    context->count[0] = context->count[1] = 0;
    context->state[0] = 0x67452301;
    context->state[1] = 0xefcdab89;
    context->state[2] = 0x98badcfe;
    context->state[3] = 0x10325476;
    std::memset(context->buffer, 0, sizeof context->buffer);
}

void MD5Update(MD5_CTX* context, const unsigned char* input, unsigned int inputLen)
{
    if (!context || !input || inputLen == 0)
        return;

    unsigned index = (context->count[0] >> 3) & 0x3F;
    const uint32_t bits = static_cast<uint32_t>(inputLen) << 3;
    context->count[0] += bits;
    if (context->count[0] < bits)
        ++context->count[1];
    context->count[1] += static_cast<uint32_t>(inputLen >> 29);

    const unsigned partLen = 64 - index;
    unsigned i = 0;
    if (inputLen >= partLen) {
        if (index != 0) {
            std::memcpy(&context->buffer[index], input, partLen);
            Transform(context->state, context->buffer, 1);
            i = partLen;
        }
        // Whole blocks straight from the caller's bytes, without a copy.
        const size_t blocks = (inputLen - i) / 64;
        Transform(context->state, input + i, blocks);
        i += static_cast<unsigned>(blocks * 64);
        index = 0;
    }
    std::memcpy(&context->buffer[index], input + i, inputLen - i);
}

void MD5Final(unsigned char digest[16], MD5_CTX* context)
{
    if (!digest || !context)
        return;

    unsigned char bits[8];
    StoreWord(bits, context->count[0]);
    StoreWord(bits + 4, context->count[1]);

    // One 0x80 byte, then zeros up to 56 bytes modulo 64, then the bit count.
    static const unsigned char padding[64] = {0x80};
    const unsigned index = (context->count[0] >> 3) & 0x3F;
    const unsigned padLen = index < 56 ? 56 - index : 120 - index;
    MD5Update(context, padding, padLen);
    MD5Update(context, bits, 8);

    for (int i = 0; i < 4; ++i)
        StoreWord(digest + 4 * i, context->state[i]);

    // The context held the message; do not leave it behind.
    std::memset(context, 0, sizeof *context);
}

void AfxMD5Init(MD5_CTX* context)
{
    MD5Init(context);
}

void AfxMD5Update(MD5_CTX* context, const unsigned char* input, unsigned int inputLen)
{
    MD5Update(context, input, inputLen);
}

void AfxMD5Final(unsigned char digest[16], MD5_CTX* context)
{
    MD5Final(digest, context);
}

bool AfxGenerateMD5Digest(const void* data, size_t length, unsigned char* digest)
{
    if (digest)
        std::memset(digest, 0, MD5_DIGEST_LENGTH);
    if (!data || !digest)
        return false;
    MD5_CTX context;
    MD5Init(&context);
    UpdateLarge(&context, static_cast<const unsigned char*>(data), length);
    MD5Final(digest, &context);
    return true;
}

bool AfxGenerateMD5Checksum(const void* data, size_t length, std::string& checksum, bool uppercase)
{
    checksum.clear();
    unsigned char digest[MD5_DIGEST_LENGTH];
    if (!AfxGenerateMD5Digest(data, length, digest))
        return false;
    return AfxFormatMD5Checksum(digest, checksum, uppercase);
}

bool AfxFormatMD5Checksum(const unsigned char* digest, std::string& checksum, bool uppercase)
{
    checksum.clear();
    if (!digest)
        return false;
    const char* digits = uppercase ? "0123456789ABCDEF" : "0123456789abcdef";
    checksum.resize(MD5_CHECKSUM_LENGTH);
    for (size_t i = 0; i < MD5_DIGEST_LENGTH; ++i) {
        checksum[2 * i] = digits[digest[i] >> 4];
        checksum[2 * i + 1] = digits[digest[i] & 0x0F];
    }
    return true;
}

bool AfxGenerateFileMD5Checksum(CFile* file, std::string& checksum)
{
    checksum.clear();
    if (!file)
        return false;
    MD5_CTX context;
    MD5Init(&context);
    alignas(64) unsigned char buffer[FILE_BLOCK_SIZE];
    try {
        for (;;) {
            const unsigned count = file->Read(buffer, FILE_BLOCK_SIZE);
            if (count == 0)
                break;
            MD5Update(&context, buffer, count);
        }
    } catch (const CException&) {
        return false;
    }
    return FinishFileChecksum(context, checksum);
}

bool AfxGenerateFileMD5Checksum(CFile& file, std::string& checksum)
{
    return AfxGenerateFileMD5Checksum(&file, checksum);
}

bool AfxGenerateFileMD5Checksum(const QString& path, std::string& checksum)
{
    checksum.clear();
    if (path.isEmpty())
        return false;

    // The descriptor directly: this runs over every file of a library on each
    // synchronization, and nothing here needs more than read(2).
    const QByteArray local = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    MD5_CTX context;
    MD5Init(&context);
    alignas(64) unsigned char buffer[FILE_BLOCK_SIZE];
    bool ok = true;
    for (;;) {
        const ssize_t count = ::read(fd, buffer, FILE_BLOCK_SIZE);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            ok = false; // also EISDIR: a folder has no checksum
            break;
        }
        if (count == 0)
            break;
        MD5Update(&context, buffer, static_cast<unsigned>(count));
    }
    ::close(fd);
    if (!ok)
        return false;
    return FinishFileChecksum(context, checksum);
}
