#pragma once
// MD5 (RFC 1321) and the checksum texts that identify a file's content in the library.
// A checksum text is the 16 digest bytes as 32 hexadecimal digits, an 8-bit string.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

class CFile;

// The context of the published algorithm: state words, bit count (low word first) and
// the partial input block.
struct MD5_CTX {
    uint32_t state[4];
    uint32_t count[2];
    unsigned char buffer[64];
};

inline constexpr size_t MD5_DIGEST_LENGTH = 16;
inline constexpr size_t MD5_CHECKSUM_LENGTH = 32;

// The RFC 1321 interface. Null contexts are ignored; the context is wiped by MD5Final.
QVSYSTEM_EXPORT void MD5Init(MD5_CTX* context);
QVSYSTEM_EXPORT void MD5Update(MD5_CTX* context, const unsigned char* input, unsigned int inputLen);
QVSYSTEM_EXPORT void MD5Final(unsigned char digest[16], MD5_CTX* context);

QVSYSTEM_EXPORT void AfxMD5Init(MD5_CTX* context);
QVSYSTEM_EXPORT void AfxMD5Update(MD5_CTX* context, const unsigned char* input, unsigned int inputLen);
QVSYSTEM_EXPORT void AfxMD5Final(unsigned char digest[16], MD5_CTX* context);

// The digest of length bytes into digest (16 bytes, zeroed first). Fails on null pointers.
QVSYSTEM_EXPORT bool AfxGenerateMD5Digest(const void* data, size_t length, unsigned char* digest);
// The checksum text of length bytes; the output is emptied first. Fails on null data.
QVSYSTEM_EXPORT bool AfxGenerateMD5Checksum(const void* data, size_t length, std::string& checksum,
                                            bool uppercase = false);
// The text of a 16-byte digest. Fails (empty text) only on a null digest.
QVSYSTEM_EXPORT bool AfxFormatMD5Checksum(const unsigned char* digest, std::string& checksum,
                                          bool uppercase = false);

// The lowercase checksum of the file's bytes from its current position to the end, read
// in blocks of 16384 bytes. A read error gives false and no text.
QVSYSTEM_EXPORT bool AfxGenerateFileMD5Checksum(CFile* file, std::string& checksum);
QVSYSTEM_EXPORT bool AfxGenerateFileMD5Checksum(CFile& file, std::string& checksum);
// The lowercase checksum of the whole file; false when it cannot be opened or read.
QVSYSTEM_EXPORT bool AfxGenerateFileMD5Checksum(const QString& path, std::string& checksum);
