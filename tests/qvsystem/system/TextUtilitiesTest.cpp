#include "qvsystem/system/TextUtilities.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPainter>
#include <QRect>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>

namespace {

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// The offset of the match, or -1 when there is none.
std::ptrdiff_t Find(const char* text, const char* pattern)
{
    const char* found = stristr(text, pattern);
    return found ? found - text : -1;
}

bool Near(QRgb a, QColor b)
{
    return std::abs(qRed(a) - b.red()) <= 8 && std::abs(qGreen(a) - b.green()) <= 8 &&
           std::abs(qBlue(a) - b.blue()) <= 8;
}

} // namespace

// Guards the range test of numeric fields: bounds inclusive, and a number too big for 64
// bits must not pass as the saturated maximum.
TEST(TextUtilitiesTest, ValidNumberChecksRangeAndOverflow)
{
    EXPECT_TRUE(AfxIsValidNumber(Q("1999"), 0, 9999));
    EXPECT_TRUE(AfxIsValidNumber(Q("-5"), -5, 5));
    EXPECT_TRUE(AfxIsValidNumber(Q("+5"), -5, 5));
    EXPECT_FALSE(AfxIsValidNumber(Q("-6"), -5, 5));
    EXPECT_FALSE(AfxIsValidNumber(Q("6"), -5, 5));
    EXPECT_TRUE(AfxIsValidNumber(Q("9223372036854775807"), kMin, kMax));
    EXPECT_TRUE(AfxIsValidNumber(Q("-9223372036854775808"), kMin, kMax));
    EXPECT_FALSE(AfxIsValidNumber(Q("9223372036854775808"), kMin, kMax));
    EXPECT_FALSE(AfxIsValidNumber(Q("-9223372036854775809"), kMin, kMax));
    EXPECT_FALSE(AfxIsValidNumber(Q("99999999999999999999999"), kMin, kMax));
    EXPECT_FALSE(AfxIsValidNumber(Q("5"), 10, 1)); // an empty range holds nothing
}

// Guards the whole-text rule: blanks, stray characters, a lone sign or prefix, and digits
// of other scripts are no number.
TEST(TextUtilitiesTest, ValidNumberRequiresTheWholeText)
{
    for (const char* text :
         {"", " 5", "5 ", "5a", "1.5", "+", "-", "0x", "--5", "+-5", "\xd9\xa3", "\xef\xbc\x95"})
        EXPECT_FALSE(AfxIsValidNumber(Q(text), kMin, kMax)) << '"' << text << '"';
    EXPECT_FALSE(AfxIsValidNumber(QString(), kMin, kMax));
}

// Guards the bases of the runtime's syntax: base 0 detects hex and octal, base 16 takes a
// prefix, digits must lie below the base, and bases outside 2..36 are refused.
TEST(TextUtilitiesTest, ValidNumberFollowsTheBase)
{
    EXPECT_TRUE(AfxIsValidNumber(Q("ff"), 255, 255, 16));
    EXPECT_TRUE(AfxIsValidNumber(Q("0xFF"), 255, 255, 16));
    EXPECT_TRUE(AfxIsValidNumber(Q("-0x10"), -16, -16, 0));
    EXPECT_TRUE(AfxIsValidNumber(Q("017"), 15, 15, 0));
    EXPECT_TRUE(AfxIsValidNumber(Q("zz"), 35 * 36 + 35, 35 * 36 + 35, 36));
    EXPECT_FALSE(AfxIsValidNumber(Q("019"), kMin, kMax, 0));
    EXPECT_FALSE(AfxIsValidNumber(Q("12"), kMin, kMax, 2));
    EXPECT_FALSE(AfxIsValidNumber(Q("0x10"), kMin, kMax, 10));
    EXPECT_FALSE(AfxIsValidNumber(Q("1"), kMin, kMax, 1));
    EXPECT_FALSE(AfxIsValidNumber(Q("1"), kMin, kMax, 37));
}

// Guards the signed/unsigned choice: an unsigned number takes no minus sign (the runtime's
// parser would wrap "-1" to the largest value) and may use all 64 bits.
TEST(TextUtilitiesTest, NumericSignedAndUnsigned)
{
    EXPECT_TRUE(AfxIsNumeric(Q("-1"), true, 10));
    EXPECT_FALSE(AfxIsNumeric(Q("-1"), false, 10));
    EXPECT_TRUE(AfxIsNumeric(Q("+1"), false, 10));
    EXPECT_TRUE(AfxIsNumeric(Q("18446744073709551615"), false, 10));
    EXPECT_FALSE(AfxIsNumeric(Q("18446744073709551615"), true, 10));
    EXPECT_FALSE(AfxIsNumeric(Q("18446744073709551616"), false, 10));
    EXPECT_TRUE(AfxIsNumeric(Q("0xffffffffffffffff"), false, 16));
    EXPECT_FALSE(AfxIsNumeric(QString(), false, 10));
}

TEST(TextUtilitiesTest, TextEmptyWithAndWithoutWhiteSpace)
{
    EXPECT_TRUE(AfxIsTextEmpty(Q(""), false));
    EXPECT_TRUE(AfxIsTextEmpty(Q(" \t\r\n\u00a0"), true));
    EXPECT_FALSE(AfxIsTextEmpty(Q(" \t"), false));
    EXPECT_FALSE(AfxIsTextEmpty(Q("  x "), true));
    EXPECT_FALSE(AfxIsTextEmpty(QString(), true));
    EXPECT_FALSE(AfxIsTextEmpty(QString(), false));
}

// Guards the case folding of the search filter on 8-bit record texts: Windows-1252 letters
// beyond ASCII fold, the multiplication and division signs (a naive "+0x20" rule would
// pair them) do not, and bytes above 0x7F never reach a signed-char lookup.
TEST(TextUtilitiesTest, StristrFoldsWindows1252Letters)
{
    EXPECT_EQ(Find("Hello World", "WORLD"), 6);
    EXPECT_EQ(Find("aaab", "AAB"), 1);
    EXPECT_EQ(Find("Caf\xc9 Noir", "caf\xe9"), 0);
    EXPECT_EQ(Find("x \x8a"
                   "koda",
                   "\x9a"
                   "KODA"),
              2);
    EXPECT_EQ(Find("\x9f"
                   "es",
                   "\xff"
                   "ES"),
              0);
    EXPECT_EQ(Find("\xde"
                   "orn",
                   "\xfe"
                   "orn"),
              0);
    EXPECT_EQ(Find("2\xd7"
                   "3",
                   "2\xf7"
                   "3"),
              -1);
    EXPECT_EQ(Find("[a]", "{A}"), -1);
    EXPECT_EQ(Find("abc", "abcd"), -1);
    EXPECT_EQ(Find("", "a"), -1);
    EXPECT_EQ(Find("abc", ""), 0);
    EXPECT_EQ(Find("", ""), 0);
    EXPECT_EQ(stristr(static_cast<const char*>(nullptr), "a"), nullptr);
    EXPECT_EQ(stristr("a", nullptr), nullptr);

    char text[] = "Abbey Road";
    char* found = stristr(text, "ROAD");
    ASSERT_EQ(found, text + 6);
    *found = 'T'; // the writable overload points into the caller's buffer
    EXPECT_STREQ(text, "Abbey Toad");
}

// Guards against asking a platform integration that is not there: without a GUI
// application the answer is simply "not held".
TEST(TextUtilitiesTest, ShiftKeyWithoutGuiIsNotDown)
{
    ASSERT_EQ(qobject_cast<QGuiApplication*>(QCoreApplication::instance()), nullptr);
    EXPECT_FALSE(AfxIsShiftKeyDown());
}

// Guards the idle save's clock: keyboard and mouse events reset it, other events do not.
TEST(TextUtilitiesTest, InputIdleTimeFollowsInputEventsOnly)
{
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    const int64_t installed = AfxGetLastInputTime();
    ASSERT_NE(installed, 0);

    QObject target;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QEvent other(QEvent::User);
    QCoreApplication::sendEvent(&target, &other);
    EXPECT_EQ(AfxGetLastInputTime(), installed);
    EXPECT_GE(AfxGetInputIdleTime(), 20u);

    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, Q("a"));
    QCoreApplication::sendEvent(&target, &key);
    const int64_t afterKey = AfxGetLastInputTime();
    EXPECT_GE(afterKey, installed + 20);

    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    QMouseEvent mouse(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &mouse);
    EXPECT_GE(AfxGetLastInputTime(), afterKey + 5);
}

// Guards the direction flag and the extent of the fill: start colour at the first pixel,
// end colour at the last, constant across the other direction, nothing outside the rect.
TEST(TextUtilitiesTest, FillGradientRunsInTheChosenDirection)
{
    const QColor start(0, 102, 153), end(0, 153, 153), outside(Qt::white);
    for (const bool horizontal : {true, false}) {
        QImage image(120, 120, QImage::Format_RGB32);
        image.fill(outside);
        {
            QPainter painter(&image);
            ASSERT_TRUE(AfxFillGradient(&painter, QRect(10, 10, 100, 100), start, end, horizontal));
        }
        const auto at = [&](int along, int across) {
            return horizontal ? image.pixel(10 + along, 10 + across) : image.pixel(10 + across, 10 + along);
        };
        EXPECT_TRUE(Near(at(0, 50), start)) << horizontal;
        EXPECT_TRUE(Near(at(99, 50), end)) << horizontal;
        EXPECT_GT(qGreen(at(50, 50)), start.green() + 10) << horizontal;
        EXPECT_LT(qGreen(at(50, 50)), end.green() - 10) << horizontal;
        EXPECT_EQ(at(50, 0), at(50, 99)) << horizontal;
        EXPECT_EQ(image.pixel(5, 5), outside.rgb());
        EXPECT_EQ(image.pixel(115, 115), outside.rgb());
    }
    EXPECT_FALSE(AfxFillGradient(nullptr, QRect(0, 0, 10, 10), start, end, true));
}
