#include "qvsystem/platform/CodePage.h"

#include <array>

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes that the code page leaves undefined map
// to the C1 control of the same value, as Windows' own conversion does.
constexpr char16_t HIGH_CONTROLS[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<char16_t, 256> MakeToUnicode()
{
    std::array<char16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i)
        table[i] = (i >= 0x80 && i < 0xA0) ? HIGH_CONTROLS[i - 0x80] : static_cast<char16_t>(i);
    return table;
}

// One byte per UTF-16 unit: a plain lookup is the fastest way through every record text.
constexpr std::array<unsigned char, 65536> MakeFromUnicode()
{
    std::array<unsigned char, 65536> table{};
    for (unsigned i = 0; i < 65536; ++i)
        table[i] = '?';
    const std::array<char16_t, 256> toUnicode = MakeToUnicode();
    for (unsigned i = 0; i < 256; ++i)
        table[toUnicode[i]] = static_cast<unsigned char>(i);
    return table;
}

constexpr std::array<char16_t, 256> TO_UNICODE = MakeToUnicode();
constexpr std::array<unsigned char, 65536> FROM_UNICODE = MakeFromUnicode();

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

char16_t AfxAnsiCharToUnicode(unsigned char c)
{
    return TO_UNICODE[c];
}

unsigned char AfxUnicodeCharToAnsi(char16_t c)
{
    return FROM_UNICODE[c];
}

QString AfxAnsiToUnicode(std::string_view text)
{
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    for (const char c : text)
        *out++ = TO_UNICODE[static_cast<unsigned char>(c)];
    return result;
}

std::string AfxUnicodeToAnsi(const QString& text)
{
    const auto* in = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    std::string result(static_cast<size_t>(size), '\0');
    size_t used = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        // A character outside the BMP is one character: one '?', not two.
        if (IsHighSurrogate(c) && i + 1 < size && IsLowSurrogate(in[i + 1]))
            ++i;
        result[used++] = static_cast<char>(FROM_UNICODE[c]);
    }
    result.resize(used);
    return result;
}
