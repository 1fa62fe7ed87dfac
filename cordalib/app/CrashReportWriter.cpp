#include "cordalib/app/CrashReportWriter.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include <unistd.h>

namespace {

constexpr uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// XML 1.0 admits tab, line feed and carriage return below the blank, and neither of the
// two non-characters at the end of the basic plane.
bool IsXmlCharacter(uint32_t codePoint)
{
    if (codePoint < 0x20)
        return codePoint == 0x09 || codePoint == 0x0A || codePoint == 0x0D;
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
        return false;
    return codePoint != 0xFFFE && codePoint != 0xFFFF && codePoint <= 0x10FFFF;
}

// One code point from UTF-8 at text[*pos]; a malformed, overlong or surrogate sequence
// gives U+FFFD and consumes one byte, so decoding always moves on.
uint32_t DecodeUtf8(const unsigned char* text, size_t length, size_t* pos)
{
    const unsigned char lead = text[*pos];
    size_t extra;
    uint32_t codePoint, minimum;
    if (lead < 0x80) {
        ++*pos;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        codePoint = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        codePoint = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        codePoint = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++*pos;
        return REPLACEMENT_CHARACTER;
    }
    if (length - *pos <= extra) {
        ++*pos;
        return REPLACEMENT_CHARACTER;
    }
    for (size_t i = 1; i <= extra; ++i) {
        const unsigned char next = text[*pos + i];
        if ((next & 0xC0) != 0x80) {
            ++*pos;
            return REPLACEMENT_CHARACTER;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        ++*pos;
        return REPLACEMENT_CHARACTER;
    }
    *pos += extra + 1;
    return codePoint;
}

} // namespace

void CCrashReportWriter::Open(int fd)
{
    m_fd = fd;
    m_count = 0;
    m_pieceUnits = 0;
    m_flushes = 0;
    m_failed = false;
    m_inCData = false;
    m_previous[0] = m_previous[1] = 0;
}

bool CCrashReportWriter::WriteAll(const unsigned char* bytes, size_t length)
{
    if (m_fd < 0)
        return true;
    while (length > 0) {
        const ssize_t written = ::write(m_fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

bool CCrashReportWriter::Flush()
{
    if (m_count > 0) {
        for (size_t i = 0; i < m_count; ++i) {
            m_bytes[2 * i] = static_cast<unsigned char>(m_units[i] & 0xFF);
            m_bytes[2 * i + 1] = static_cast<unsigned char>(m_units[i] >> 8);
        }
        if (!WriteAll(m_bytes, 2 * m_count))
            m_failed = true;
        ++m_flushes;
        m_count = 0;
    }
    return !m_failed;
}

bool CCrashReportWriter::WriteRaw(const void* bytes, size_t length)
{
    Flush();
    if (!WriteAll(static_cast<const unsigned char*>(bytes), length))
        m_failed = true;
    return !m_failed;
}

void CCrashReportWriter::BeginPiece()
{
    if (m_count > FLUSH_THRESHOLD)
        Flush();
    m_pieceUnits = 0;
}

void CCrashReportWriter::Put(uint16_t unit)
{
    // Inside CDATA a "]]>" would end the section: close it before the '>' and open a new one.
    if (m_inCData && unit == '>' && m_previous[0] == ']' && m_previous[1] == ']') {
        m_inCData = false;
        PutAscii("]]><![CDATA[", 12);
        m_inCData = true;
    }
    if (m_pieceUnits == PIECE_UNITS)
        BeginPiece();
    if (m_count == BUFFER_UNITS) // cannot happen while pieces keep their bound
        Flush();
    m_units[m_count++] = unit;
    ++m_pieceUnits;
    m_previous[0] = m_previous[1];
    m_previous[1] = unit;
}

void CCrashReportWriter::PutCodePoint(uint32_t codePoint)
{
    if (codePoint > 0xFFFF) {
        codePoint -= 0x10000;
        Put(static_cast<uint16_t>(0xD800 | (codePoint >> 10)));
        Put(static_cast<uint16_t>(0xDC00 | (codePoint & 0x3FF)));
    } else {
        Put(static_cast<uint16_t>(codePoint));
    }
}

void CCrashReportWriter::PutAscii(const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        Put(static_cast<unsigned char>(text[i]));
}

void CCrashReportWriter::PutLiteral(const char* text, size_t length)
{
    PutExternalText(text, length, false);
}

void CCrashReportWriter::PutExternalText(const char* text, size_t length, bool escape)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t pos = 0;
    while (pos < length) {
        uint32_t codePoint = DecodeUtf8(bytes, length, &pos);
        if (!IsXmlCharacter(codePoint))
            codePoint = REPLACEMENT_CHARACTER;
        if (escape && !m_inCData) {
            switch (codePoint) {
            case '&':
                PutAscii("&amp;", 5);
                continue;
            case '<':
                PutAscii("&lt;", 4);
                continue;
            case '>':
                PutAscii("&gt;", 4);
                continue;
            case '"':
                PutAscii("&quot;", 6);
                continue;
            default:
                break;
            }
        }
        PutCodePoint(codePoint);
    }
}

void CCrashReportWriter::PutPadded(const uint16_t* units, size_t length, int width, bool zeroPad,
                                   bool leftAlign)
{
    size_t padding =
        width > 0 && static_cast<size_t>(width) > length ? static_cast<size_t>(width) - length : 0;
    if (leftAlign) {
        for (size_t i = 0; i < length; ++i)
            Put(units[i]);
        while (padding-- > 0)
            Put(' ');
        return;
    }
    size_t start = 0;
    if (zeroPad && length > 0 && units[0] == '-') { // the sign goes before the zeros
        Put('-');
        start = 1;
    }
    while (padding-- > 0)
        Put(zeroPad ? '0' : ' ');
    for (size_t i = start; i < length; ++i)
        Put(units[i]);
}

void CCrashReportWriter::PutNumber(uint64_t magnitude, bool negative, unsigned base, bool upper, int width,
                                   bool zeroPad, bool leftAlign)
{
    uint16_t digits[24];
    size_t count = 0;
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        digits[count++] = static_cast<unsigned char>(alphabet[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);
    if (negative)
        digits[count++] = '-';
    for (size_t i = 0; i < count / 2; ++i) {
        const uint16_t swap = digits[i];
        digits[i] = digits[count - 1 - i];
        digits[count - 1 - i] = swap;
    }
    PutPadded(digits, count, width, zeroPad && !leftAlign, leftAlign);
}

void CCrashReportWriter::Format(const char* format, ...)
{
    BeginPiece();
    va_list args;
    va_start(args, format);
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%') {
            const char* run = p;
            while (*p != '\0' && *p != '%')
                ++p;
            PutLiteral(run, static_cast<size_t>(p - run));
            continue;
        }
        const char* directive = p++;
        bool zeroPad = false, leftAlign = false;
        for (;; ++p) {
            if (*p == '0')
                zeroPad = true;
            else if (*p == '-')
                leftAlign = true;
            else
                break;
        }
        int width = 0;
        while (*p >= '0' && *p <= '9')
            width = width * 10 + (*p++ - '0');
        int precision = -1;
        if (p[0] == '.' && p[1] == '*') {
            precision = va_arg(args, int);
            p += 2;
        }
        int longs = 0;
        bool sizeLength = false;
        while (*p == 'l') {
            ++longs;
            ++p;
        }
        if (*p == 'z') {
            sizeLength = true;
            ++p;
        }
        switch (*p) {
        case 'd':
        case 'i': {
            long long value = sizeLength   ? static_cast<long long>(va_arg(args, size_t))
                              : longs >= 2 ? va_arg(args, long long)
                              : longs == 1 ? va_arg(args, long)
                                           : va_arg(args, int);
            const bool negative = value < 0;
            const uint64_t magnitude =
                negative ? static_cast<uint64_t>(-(value + 1)) + 1 : static_cast<uint64_t>(value);
            PutNumber(magnitude, negative, 10, false, width, zeroPad, leftAlign);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            const unsigned long long value = sizeLength   ? va_arg(args, size_t)
                                             : longs >= 2 ? va_arg(args, unsigned long long)
                                             : longs == 1 ? va_arg(args, unsigned long)
                                                          : va_arg(args, unsigned);
            PutNumber(value, false, *p == 'u' ? 10 : 16, *p == 'X', width, zeroPad, leftAlign);
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (text) {
                const size_t length =
                    precision >= 0 ? strnlen(text, static_cast<size_t>(precision)) : strlen(text);
                PutExternalText(text, length);
            }
            break;
        }
        case '%':
            Put('%');
            break;
        default: // not a directive this formatter knows: shown as written
            PutAscii(directive, static_cast<size_t>(p - directive) + (*p != '\0' ? 1 : 0));
            break;
        }
        if (*p != '\0')
            ++p;
    }
    va_end(args);
}

void CCrashReportWriter::BeginCData()
{
    BeginPiece();
    PutAscii("<![CDATA[", 9);
    m_inCData = true;
    m_previous[0] = m_previous[1] = 0;
}

void CCrashReportWriter::EndCData()
{
    BeginPiece();
    m_inCData = false;
    PutAscii("]]>", 3);
}

void CCrashReportWriter::CDataElement(const char* openTag, const char* text, const char* closeTag)
{
    CDataElement(openTag, text, strlen(text), closeTag);
}

void CCrashReportWriter::CDataElement(const char* openTag, const char* text, size_t length,
                                      const char* closeTag)
{
    BeginPiece();
    PutAscii(openTag, strlen(openTag));
    BeginCData();
    PutExternalText(text, length);
    EndCData();
    BeginPiece();
    PutAscii(closeTag, strlen(closeTag));
}

void CCrashReportWriter::Characters(const uint16_t* units, size_t count)
{
    BeginPiece();
    for (size_t i = 0; i < count; ++i)
        Put(units[i]);
}
