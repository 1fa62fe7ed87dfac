#pragma once
// Byte-level helpers for the library tests: files are built byte by byte from the
// documented layouts, independently of the code under test.

#include "TestSupport.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include <cstdint>
#include <cstring>
#include <string>

namespace corda::test {

class ByteWriter {
public:
    ByteWriter& U8(uint8_t v)
    {
        m_bytes.append(static_cast<char>(v));
        return *this;
    }
    ByteWriter& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    ByteWriter& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    ByteWriter& U64(uint64_t v) { return U32(static_cast<uint32_t>(v)).U32(static_cast<uint32_t>(v >> 32)); }
    ByteWriter& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
    ByteWriter& F64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U64(bits);
    }
    ByteWriter& Raw(const QByteArray& bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }
    ByteWriter& Raw(const char* text) { return Raw(QByteArray(text)); }
    // The length prefix of the archive's texts (8-bit form).
    ByteWriter& Length(uint64_t n)
    {
        if (n < 0xFF)
            return U8(static_cast<uint8_t>(n));
        U8(0xFF);
        if (n < 0xFFFE)
            return U16(static_cast<uint16_t>(n));
        U16(0xFFFF);
        if (n < 0xFFFFFFFFu)
            return U32(static_cast<uint32_t>(n));
        return U32(0xFFFFFFFFu).U64(n);
    }
    // An 8-bit text (bytes taken as they are).
    ByteWriter& Text(const std::string& text)
    {
        Length(text.size());
        return Raw(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    }
    // A UTF-16 text: marker FF FE FF, length, two bytes a character.
    ByteWriter& Wide(const QString& text)
    {
        U8(0xFF).U16(0xFFFE);
        Length(static_cast<uint64_t>(text.size()));
        for (QChar c : text)
            U16(c.unicode());
        return *this;
    }
    ByteWriter& Date(int32_t status, double days) { return I32(status).F64(days); }

    const QByteArray& Bytes() const { return m_bytes; }
    qsizetype Size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

inline QByteArray Md5Of(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

} // namespace corda::test
