// The stored window placement: only a well-formed record that fits the desktop is used,
// and what the window saves reads back the same.
#include "TestSupport.h"

#include "cordalib/ui/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

const QRect WORK_AREA(0, 0, 1920, 1040);

WINDOWPLACEMENT Placement(const QRect& normal, uint32_t showCmd = SW_NORMAL)
{
    WINDOWPLACEMENT placement;
    placement.showCmd = showCmd;
    placement.SetNormalRect(normal);
    return placement;
}

// The bytes must be the system's record: 11 little-endian 32-bit fields, length first,
// the normal rectangle last with right and bottom just outside; and they must decode to
// the same values.
TEST(WindowPlacementTest, RecordLayoutRoundTrips)
{
    WINDOWPLACEMENT placement = Placement(QRect(100, 50, 800, 600), SW_SHOWMAXIMIZED);
    placement.flags = WPF_RESTORETOMAXIMIZED;
    placement.ptMinPosition = QPoint(-32000, -32000);
    placement.ptMaxPosition = QPoint(-8, -8);
    const QByteArray bytes = EncodeWindowPlacement(placement);
    ASSERT_EQ(bytes.size(), 44);
    EXPECT_EQ(bytes.left(12), QByteArray::fromHex("2c000000"
                                                  "02000000"
                                                  "03000000"));
    EXPECT_EQ(bytes.mid(12, 8), QByteArray::fromHex("0083ffff"
                                                    "0083ffff"));
    EXPECT_EQ(bytes.mid(28), QByteArray::fromHex("64000000"
                                                 "32000000"
                                                 "84030000"
                                                 "8a020000"));

    WINDOWPLACEMENT read;
    ASSERT_TRUE(DecodeWindowPlacement(bytes, WORK_AREA, &read));
    EXPECT_EQ(read.length, 44u);
    EXPECT_EQ(read.flags, WPF_RESTORETOMAXIMIZED);
    EXPECT_EQ(read.showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(read.ptMinPosition, QPoint(-32000, -32000));
    EXPECT_EQ(read.ptMaxPosition, QPoint(-8, -8));
    EXPECT_EQ(read.GetNormalRect(), QRect(100, 50, 800, 600));
}

// A record of another length, or one whose own length field is not 44, is not a placement
// this program wrote: it is ignored and the output is left alone.
TEST(WindowPlacementTest, WrongLengthIsIgnored)
{
    const QByteArray good = EncodeWindowPlacement(Placement(QRect(10, 10, 300, 200)));
    WINDOWPLACEMENT untouched;
    untouched.showCmd = 77;
    for (const QByteArray& bytes :
         {QByteArray(), good.left(43), good + QByteArray(1, '\0'), good + good, QByteArray(44, '\0')}) {
        SCOPED_TRACE(bytes.size());
        WINDOWPLACEMENT read = untouched;
        EXPECT_FALSE(DecodeWindowPlacement(bytes, WORK_AREA, &read));
        EXPECT_EQ(read.showCmd, 77u);
    }
    for (uint32_t length : {0u, 40u, 43u, 45u, 0x2c000000u}) {
        SCOPED_TRACE(length);
        WINDOWPLACEMENT placement = Placement(QRect(10, 10, 300, 200));
        placement.length = length;
        WINDOWPLACEMENT read;
        EXPECT_FALSE(DecodeWindowPlacement(EncodeWindowPlacement(placement), WORK_AREA, &read));
    }
    EXPECT_FALSE(DecodeWindowPlacement(good, WORK_AREA, nullptr));
}

// A rectangle on a monitor that is gone, partly outside the work area, or without area
// must not be restored (the window would open where nobody can reach it); one that
// touches the edges exactly, or is stored with its corners swapped, is fine.
TEST(WindowPlacementTest, RectangleMustLieInsideTheWorkArea)
{
    struct Case {
        const char* name;
        int32_t left, top, right, bottom;
        bool usable;
    };
    const Case cases[] = {
        {"inside", 100, 100, 900, 700, true},
        {"exactly the work area", 0, 0, 1920, 1040, true},
        {"corners swapped", 900, 700, 100, 100, true},
        {"second monitor gone", 2000, 100, 2800, 700, false},
        {"left of the desktop", -1700, 100, -900, 700, false},
        {"one pixel past the right", 1121, 100, 1921, 700, false},
        {"one pixel past the bottom", 100, 241, 900, 1041, false},
        {"above the top", 100, -1, 900, 600, false},
        {"no width", 100, 100, 100, 700, false},
        {"no height", 100, 100, 900, 100, false},
        {"extreme numbers", INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WINDOWPLACEMENT placement;
        placement.normalLeft = c.left;
        placement.normalTop = c.top;
        placement.normalRight = c.right;
        placement.normalBottom = c.bottom;
        WINDOWPLACEMENT read;
        EXPECT_EQ(DecodeWindowPlacement(EncodeWindowPlacement(placement), WORK_AREA, &read), c.usable);
        if (c.usable) {
            EXPECT_TRUE(WORK_AREA.contains(read.GetNormalRect()));
        }
    }
    // A work area that does not start at the origin (a panel on the left or top).
    const QRect shifted(64, 32, 1856, 1008);
    WINDOWPLACEMENT read;
    EXPECT_FALSE(
        DecodeWindowPlacement(EncodeWindowPlacement(Placement(QRect(0, 32, 400, 300))), shifted, &read));
    EXPECT_TRUE(
        DecodeWindowPlacement(EncodeWindowPlacement(Placement(QRect(64, 32, 400, 300))), shifted, &read));
    EXPECT_FALSE(
        DecodeWindowPlacement(EncodeWindowPlacement(Placement(QRect(64, 32, 400, 300))), QRect(), &read));
}

// A window must never come back hidden, minimized or inactive: those show commands become
// normal; maximized and the other visible states are kept.
TEST(WindowPlacementTest, HiddenAndMinimizedStatesBecomeNormal)
{
    for (uint32_t showCmd = 0; showCmd <= 11; ++showCmd) {
        SCOPED_TRACE(showCmd);
        WINDOWPLACEMENT read;
        ASSERT_TRUE(DecodeWindowPlacement(EncodeWindowPlacement(Placement(QRect(5, 5, 50, 50), showCmd)),
                                          WORK_AREA, &read));
        const bool replaced =
            showCmd == 0 || showCmd == 2 || showCmd == 4 || showCmd == 6 || showCmd == 7 || showCmd == 8;
        EXPECT_EQ(read.showCmd, replaced ? SW_NORMAL : showCmd);
    }
}

} // namespace
