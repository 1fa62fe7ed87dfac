#include "qvsystem/controls/GroupHeaderCtrl.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>

namespace {

const QColor BACKGROUND(255, 255, 255);
const QColor LINE(255, 0, 0);
const QColor TEXT(0, 0, 255);

void UseTestPalette(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, BACKGROUND);
    palette.setColor(QPalette::Mid, LINE);
    palette.setColor(QPalette::WindowText, TEXT);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true); // stands in for the parent's background
}

// Columns where the row has the line colour, as a run "first-last", or "none".
std::string LineRun(const QImage& image, int row)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, row) == LINE) {
            if (first < 0)
                first = x;
            else if (last != x - 1)
                return "broken";
            last = x;
        }
    }
    return first < 0 ? "none" : std::to_string(first) + "-" + std::to_string(last);
}

int RowsWithLineColour(const QImage& image)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += LineRun(image, y) != "none" ? 1 : 0;
    return rows;
}

bool ColumnsBlank(const QImage& image, int first, int last)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = first; x <= last; ++x) {
            if (image.pixelColor(x, y) != BACKGROUND)
                return false;
        }
    }
    return true;
}

} // namespace

// Guards against the line starting under the text or without the gap, running off the
// centre row or short of the right edge, and being drawn where there is no room.
TEST(GroupHeaderCtrlTest, LineRunsFromAfterTheTextToTheRightEdge)
{
    CGroupHeaderCtrl header(QStringLiteral("&Options"));
    UseTestPalette(header);
    header.resize(220, 21);
    const QImage image = header.grab().toImage();
    const int left = header.GetLineLeft();
    EXPECT_EQ(header.GetLineRow(), 10);
    EXPECT_EQ(LineRun(image, 10), std::to_string(left) + "-219");
    EXPECT_EQ(RowsWithLineColour(image), 1);
    // The five columns before the line are empty; the text ends just before them.
    ASSERT_GT(left, 20);
    EXPECT_TRUE(ColumnsBlank(image, left - CGroupHeaderCtrl::LINE_GAP, left - 1));
    EXPECT_FALSE(
        ColumnsBlank(image, left - CGroupHeaderCtrl::LINE_GAP - 4, left - CGroupHeaderCtrl::LINE_GAP - 1));
    EXPECT_FALSE(ColumnsBlank(image, 0, 3));

    // Without a text the line starts at the left edge.
    header.SetText(QString());
    EXPECT_EQ(LineRun(header.grab().toImage(), 10), "0-219");

    // Too narrow for the line: the text alone.
    header.SetText(QStringLiteral("A heading far longer than the control"));
    header.resize(60, 21);
    EXPECT_EQ(RowsWithLineColour(header.grab().toImage()), 0);
}

// Guards against the separator line being off the centre or short of either edge.
TEST(GroupHeaderCtrlTest, SeparatorIsOneLineAcrossTheCentre)
{
    CQVSeparator separator;
    UseTestPalette(separator);
    for (int height : {3, 8}) {
        separator.resize(150, height);
        const QImage image = separator.grab().toImage();
        EXPECT_EQ(LineRun(image, height / 2), "0-149") << height;
        EXPECT_EQ(RowsWithLineColour(image), 1) << height;
    }
}
