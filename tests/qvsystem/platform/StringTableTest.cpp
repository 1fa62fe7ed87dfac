#include "qvsystem/platform/StringTable.h"
#include "qvsystem/platform/ErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>

// Inserts in any order, with printf conversions, and the escapes that must stay text.
TEST(MessageFormatTest, Inserts)
{
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%2 before %1"), "a", "b"), QStringLiteral("b before a"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("100%% of %1!d! files"), 42),
              QStringLiteral("100% of 42 files"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("[%1!04X!][%2!-5s!][%3!5s!]"), 255, "ab", QStringLiteral("cd")),
              QStringLiteral("[00FF][ab   ][   cd]"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1!u! %1!x! %1!I64x!"), -1),
              QStringLiteral("4294967295 ffffffff ffffffffffffffff"));
    EXPECT_EQ(
        AfxFormatMessage(QStringLiteral("%1!d! %2!lu! %3!.2f! %4"), -7LL, 18446744073709551615ULL, 2.5, 0.1),
        QStringLiteral("-7 18446744073709551615 2.50 0.1"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1!s! %1"), 12), QStringLiteral("12 12"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1!.3s!"), "abcdef"), QStringLiteral("abc"));
    // Inserts without a value, and anything that is not an insert, stay as written.
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1 %2!d! %3 %0 %a 50%"), "x"),
              QStringLiteral("x %2!d! %3 %0 %a 50%"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1!d"), 5), QStringLiteral("5!d"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1!q!"), 5), QStringLiteral("5"));
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%1!999999999d!"), 5).size(), 4096);
}

// Two-digit inserts reach the tenth value and beyond.
TEST(MessageFormatTest, TwoDigitInserts)
{
    EXPECT_EQ(AfxFormatMessage(QStringLiteral("%10-%1-%11"), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10),
              QStringLiteral("10-1-%11"));
}

// The program's table is consulted first, then qvsystem's.
TEST(StringTableTest, LoadOrder)
{
    QString text = QStringLiteral("stale");
    EXPECT_FALSE(AfxLoadString(1, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(AfxLoadString(IDS_QV_DO_NOT_SHOW_AGAIN), QStringLiteral("&Do not show this message again"));
    EXPECT_EQ(AfxLoadString(22508),
              QStringLiteral("An error has occurred while renaming the file '%1' to '%2'.\r\n\r\n%3"));

    const CStringTable application{{1, "eins \u00fc"}, {IDS_QV_MEMORY_EXCEPTION, "program's own"}};
    AfxSetApplicationStringTable(&application);
    EXPECT_EQ(AfxLoadString(1), QStringLiteral("eins \u00fc"));
    EXPECT_EQ(AfxLoadString(IDS_QV_MEMORY_EXCEPTION), QStringLiteral("program's own"));
    EXPECT_EQ(AfxLoadString(IDS_QV_SYSTEM_ERROR), QStringLiteral("A system error has occurred.\r\n\r\n%1"));
    AfxSetApplicationStringTable(nullptr);
    EXPECT_EQ(AfxLoadString(IDS_QV_MEMORY_EXCEPTION), QStringLiteral("Out of memory."));
}

// Error texts come without line breaks, and codes without a text report false.
TEST(ErrorTextTest, PlatformErrorText)
{
    QString text;
    ASSERT_TRUE(AfxGetPlatformErrorText(ENOENT, text));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    for (const long code : {-1L, 99999L, 1L << 40}) {
        text = QStringLiteral("stale");
        EXPECT_FALSE(AfxGetPlatformErrorText(code, text)) << code;
        EXPECT_TRUE(text.isEmpty());
    }
}
