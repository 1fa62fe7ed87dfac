#include "qvsystem/platform/Archive.h"

#include "qvsystem/platform/CodePage.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Large texts move in pieces that CFile's unsigned counts can carry.
constexpr uint64_t MAX_CHUNK = 1u << 30;

constexpr unsigned char WIDE_MARKER[3] = {0xFF, 0xFE, 0xFF};

} // namespace

CArchive::CArchive(CFile* file, unsigned mode, int bufferSize)
    : m_pFile(file), m_nMode(mode),
      m_buffer(static_cast<size_t>(bufferSize < 16 ? (bufferSize <= 0 ? 4096 : 16) : bufferSize))
{
}

CArchive::~CArchive() = default;

void CArchive::ThrowArchive(int cause) const
{
    throw CArchiveException(cause, m_pFile ? m_pFile->GetFilePath() : QString());
}

void CArchive::FillBuffer(unsigned needed)
{
    const size_t available = m_limit - m_pos;
    if (available >= needed)
        return;
    if (available != 0 && m_pos != 0)
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, available);
    m_pos = 0;
    m_limit = available;
    while (m_limit < needed) {
        const unsigned n =
            m_pFile->Read(m_buffer.data() + m_limit, static_cast<unsigned>(m_buffer.size() - m_limit));
        if (n == 0)
            break;
        m_limit += n;
    }
}

unsigned CArchive::Read(void* buffer, unsigned count)
{
    if (!m_pFile)
        ThrowArchive(CArchiveException::genericException);
    if (!IsLoading())
        ThrowArchive(CArchiveException::writeOnly);
    if (count == 0)
        return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    const size_t fromBuffer = std::min<size_t>(count, m_limit - m_pos);
    std::memcpy(out, m_buffer.data() + m_pos, fromBuffer);
    m_pos += fromBuffer;
    unsigned done = static_cast<unsigned>(fromBuffer);
    const unsigned rest = count - done;
    if (rest == 0)
        return done;
    if (rest >= m_buffer.size())
        return done + m_pFile->Read(out + done, rest);
    FillBuffer(rest);
    const size_t more = std::min<size_t>(rest, m_limit - m_pos);
    std::memcpy(out + done, m_buffer.data() + m_pos, more);
    m_pos += more;
    return done + static_cast<unsigned>(more);
}

void CArchive::ReadExact(void* buffer, unsigned count)
{
    if (Read(buffer, count) != count)
        ThrowArchive(CArchiveException::endOfFile);
}

void CArchive::Write(const void* buffer, unsigned count)
{
    if (!m_pFile)
        ThrowArchive(CArchiveException::genericException);
    if (IsLoading())
        ThrowArchive(CArchiveException::readOnly);
    if (count == 0)
        return;
    if (count <= m_buffer.size() - m_limit) {
        std::memcpy(m_buffer.data() + m_limit, buffer, count);
        m_limit += count;
        return;
    }
    if (m_limit != 0) {
        m_pFile->Write(m_buffer.data(), static_cast<unsigned>(m_limit));
        m_limit = 0;
    }
    if (count >= m_buffer.size()) {
        m_pFile->Write(buffer, count);
    } else {
        std::memcpy(m_buffer.data(), buffer, count);
        m_limit = count;
    }
}

void CArchive::Flush()
{
    if (!m_pFile)
        return;
    if (IsLoading()) {
        // Give back the read-ahead so the file stands right after the consumed bytes.
        if (m_limit > m_pos)
            m_pFile->Seek(-static_cast<int64_t>(m_limit - m_pos), CFile::current);
        m_pos = m_limit = 0;
    } else if (m_limit != 0) {
        m_pFile->Write(m_buffer.data(), static_cast<unsigned>(m_limit));
        m_limit = 0;
    }
}

void CArchive::Close()
{
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_pFile = nullptr;
    m_pos = m_limit = 0;
}

uint64_t CArchive::GetBytesRemaining() const
{
    if (!m_pFile || !IsLoading())
        return 0;
    const uint64_t length = m_pFile->GetLength();
    const uint64_t position = m_pFile->GetPosition();
    return (m_limit - m_pos) + (length > position ? length - position : 0);
}

namespace {

template <typename T> void PutLittleEndian(unsigned char* out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out[i] = static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * i));
}

template <typename T> T GetLittleEndian(const unsigned char* in)
{
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<uint64_t>(in[i]) << (8 * i);
    return static_cast<T>(value);
}

} // namespace

#define CORDA_ARCHIVE_INTEGER(Type)                                                                          \
    CArchive& CArchive::operator<<(Type value)                                                               \
    {                                                                                                        \
        unsigned char bytes[sizeof(Type)];                                                                   \
        PutLittleEndian(bytes, static_cast<std::make_unsigned_t<Type>>(value));                              \
        Write(bytes, sizeof bytes);                                                                          \
        return *this;                                                                                        \
    }                                                                                                        \
    CArchive& CArchive::operator>>(Type& value)                                                              \
    {                                                                                                        \
        unsigned char bytes[sizeof(Type)];                                                                   \
        ReadExact(bytes, sizeof bytes);                                                                      \
        value = static_cast<Type>(GetLittleEndian<std::make_unsigned_t<Type>>(bytes));                       \
        return *this;                                                                                        \
    }

CORDA_ARCHIVE_INTEGER(uint8_t)
CORDA_ARCHIVE_INTEGER(uint16_t)
CORDA_ARCHIVE_INTEGER(uint32_t)
CORDA_ARCHIVE_INTEGER(uint64_t)
CORDA_ARCHIVE_INTEGER(int16_t)
CORDA_ARCHIVE_INTEGER(int32_t)
CORDA_ARCHIVE_INTEGER(int64_t)

#undef CORDA_ARCHIVE_INTEGER

CArchive& CArchive::operator<<(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return *this << bits;
}

CArchive& CArchive::operator<<(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return *this << bits;
}

CArchive& CArchive::operator>>(float& value)
{
    uint32_t bits;
    *this >> bits;
    std::memcpy(&value, &bits, sizeof bits);
    return *this;
}

CArchive& CArchive::operator>>(double& value)
{
    uint64_t bits;
    *this >> bits;
    std::memcpy(&value, &bits, sizeof bits);
    return *this;
}

void CArchive::WriteStringLength(uint64_t length, bool wide)
{
    if (wide)
        Write(WIDE_MARKER, sizeof WIDE_MARKER);
    if (length < 0xFF) {
        *this << static_cast<uint8_t>(length);
        return;
    }
    *this << static_cast<uint8_t>(0xFF);
    // 0xFFFE would read back as the UTF-16 marker, so it too takes the longer form.
    if (length < 0xFFFE) {
        *this << static_cast<uint16_t>(length);
        return;
    }
    *this << static_cast<uint16_t>(0xFFFF);
    if (length < 0xFFFFFFFFu) {
        *this << static_cast<uint32_t>(length);
        return;
    }
    *this << static_cast<uint32_t>(0xFFFFFFFFu) << length;
}

uint64_t CArchive::ReadStringLength(bool& wide)
{
    wide = false;
    for (;;) {
        uint8_t byteLength;
        *this >> byteLength;
        if (byteLength < 0xFF)
            return byteLength;
        uint16_t wordLength;
        *this >> wordLength;
        if (wordLength == 0xFFFE) {
            // A second marker is no text of either form.
            if (wide)
                ThrowArchive(CArchiveException::badIndex);
            wide = true;
            continue;
        }
        if (wordLength < 0xFFFF)
            return wordLength;
        uint32_t dwordLength;
        *this >> dwordLength;
        if (dwordLength < 0xFFFFFFFFu)
            return dwordLength;
        uint64_t qwordLength;
        *this >> qwordLength;
        return qwordLength;
    }
}

uint64_t CArchive::ReadCheckedStringLength(bool& wide)
{
    const uint64_t length = ReadStringLength(wide);
    // The prefix is untrusted: a length that runs past the data is the end of the file.
    if (length > static_cast<uint64_t>(std::numeric_limits<qsizetype>::max()) / 2)
        ThrowArchive(CArchiveException::endOfFile);
    const uint64_t bytes = wide ? length * 2 : length;
    if (bytes > m_limit - m_pos && bytes > GetBytesRemaining())
        ThrowArchive(CArchiveException::endOfFile);
    return length;
}

std::string CArchive::ReadNarrowText(uint64_t length)
{
    std::string result(static_cast<size_t>(length), '\0');
    for (size_t done = 0; done < result.size();) {
        const size_t chunk = std::min<uint64_t>(result.size() - done, MAX_CHUNK);
        ReadExact(result.data() + done, static_cast<unsigned>(chunk));
        done += chunk;
    }
    return result;
}

QString CArchive::ReadWideText(uint64_t length)
{
    QString result(static_cast<qsizetype>(length), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    for (uint64_t done = 0; done < length;) {
        const uint64_t chunk = std::min<uint64_t>(length - done, MAX_CHUNK / 2);
        ReadExact(out + done, static_cast<unsigned>(chunk * 2));
        done += chunk;
    }
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
        for (uint64_t i = 0; i < length; ++i)
            out[i] = qFromLittleEndian<quint16>(out + i);
    }
    return result;
}

CArchive& CArchive::operator<<(const std::string& text)
{
    WriteStringLength(text.size(), false);
    for (size_t done = 0; done < text.size();) {
        const size_t chunk = std::min<uint64_t>(text.size() - done, MAX_CHUNK);
        Write(text.data() + done, static_cast<unsigned>(chunk));
        done += chunk;
    }
    return *this;
}

CArchive& CArchive::operator<<(const QString& text)
{
    const size_t length = static_cast<size_t>(text.size());
    WriteStringLength(length, true);
    const char16_t* data = reinterpret_cast<const char16_t*>(text.constData());
    unsigned char bytes[1024];
    for (size_t done = 0; done < length;) {
        const size_t chunk = std::min<size_t>(length - done, sizeof bytes / 2);
        for (size_t i = 0; i < chunk; ++i)
            qToLittleEndian<quint16>(data[done + i], bytes + 2 * i);
        Write(bytes, static_cast<unsigned>(chunk * 2));
        done += chunk;
    }
    return *this;
}

CArchive& CArchive::operator>>(QString& text)
{
    bool wide;
    const uint64_t length = ReadCheckedStringLength(wide);
    text = wide ? ReadWideText(length) : AfxAnsiToUnicode(ReadNarrowText(length));
    return *this;
}

CArchive& CArchive::operator>>(std::string& text)
{
    bool wide;
    const uint64_t length = ReadCheckedStringLength(wide);
    text = wide ? AfxUnicodeToAnsi(ReadWideText(length)) : ReadNarrowText(length);
    return *this;
}
