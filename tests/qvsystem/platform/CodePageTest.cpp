#include "qvsystem/platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Windows-1252 0x80..0x9F as published by the code page's owner.
const char16_t kHigh[32] = {u'\u20AC', 0x81,      u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020',
                            u'\u2021', u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', 0x8D,
                            u'\u017D', 0x8F,      0x90,      u'\u2018', u'\u2019', u'\u201C', u'\u201D',
                            u'\u2022', u'\u2013', u'\u2014', u'\u02DC', u'\u2122', u'\u0161', u'\u203A',
                            u'\u0153', 0x9D,      u'\u017E', u'\u0178'};

char16_t Expected(unsigned byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

} // namespace

// Every byte maps to its 1252 character and back, one at a time and as a string.
TEST(CodePageTest, EveryByteRoundTrips)
{
    std::string all;
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(AfxAnsiCharToUnicode(static_cast<unsigned char>(byte)), Expected(byte)) << byte;
        EXPECT_EQ(AfxUnicodeCharToAnsi(Expected(byte)), byte) << byte;
        all.push_back(static_cast<char>(byte));
    }
    const QString wide = AfxAnsiToUnicode(all);
    ASSERT_EQ(wide.size(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(wide[i].unicode(), Expected(static_cast<unsigned>(i)));
    EXPECT_EQ(AfxUnicodeToAnsi(wide), all);
    EXPECT_TRUE(AfxAnsiToUnicode(std::string_view()).isEmpty());
}

// Characters outside the code page become '?', one per character, never a wrong byte.
TEST(CodePageTest, UnmappableBecomesQuestionMark)
{
    int mapped = 0;
    for (unsigned c = 0; c < 0x10000; ++c) {
        const unsigned char byte = AfxUnicodeCharToAnsi(static_cast<char16_t>(c));
        if (byte != '?' || c == '?') {
            ++mapped;
            EXPECT_EQ(Expected(byte), c);
        }
    }
    EXPECT_EQ(mapped, 256);
    EXPECT_EQ(AfxUnicodeToAnsi(QString::fromUtf8("\u0080\u0100\u20AD\u2713")), "????");
    // A character outside the BMP is one '?', a lone surrogate another.
    EXPECT_EQ(AfxUnicodeToAnsi(QString::fromUtf8("a\U0001F3B8b")), "a?b");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00};
    EXPECT_EQ(AfxUnicodeToAnsi(QString(reinterpret_cast<const QChar*>(lone), 4)), "x?y?");
    EXPECT_EQ(AfxUnicodeToAnsi(QString::fromUtf8("\u20AC\u00E9")), "\x80\xE9");
}
