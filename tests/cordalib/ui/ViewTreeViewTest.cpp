// The view tree: its two bold items, the view it reports when the selection changes, and
// the drawing of its rows (background, gradient behind the selected row, text colours and
// the focus rectangle).
#include "TestSupport.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/ui/ViewTreeView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage Picture(CViewTreeView& tree)
{
    tree.viewport()->repaint();
    return tree.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect RowRect(const CViewTreeView& tree, QTreeWidgetItem* item)
{
    QRect rect = tree.visualItemRect(item);
    rect.setLeft(0);
    rect.setRight(tree.viewport()->width() - 1);
    return rect;
}

int CountColour(const QImage& image, const QRect& rect, const QColor& colour, int tolerance = 0)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) <= tolerance &&
                std::abs(pixel.green() - colour.green()) <= tolerance &&
                std::abs(pixel.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

} // namespace

// Exactly two bold items, "Songs" (0) and "Lessons" (1), made once; choosing one reports
// its view, choosing the same again reports nothing, and unknown views are refused.
TEST(ViewTreeView, ItemsAndTheViewTheyChoose)
{
    CViewTreeView tree;
    tree.OnInitialUpdate();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.GetSongsItem()->text(0), LoadAppString(IDS_SONGS));
    EXPECT_EQ(tree.GetLessonsItem()->text(0), LoadAppString(IDS_LESSONS));
    EXPECT_TRUE(tree.IsItemBold(tree.GetSongsItem()));
    EXPECT_TRUE(tree.IsItemBold(tree.GetLessonsItem()));
    EXPECT_EQ(tree.GetCurrentView(), -1);

    QSignalSpy views(&tree, &CViewTreeView::CurrentViewChanged);
    tree.resize(200, 300);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    EXPECT_TRUE(tree.SelectView(CViewTreeView::VIEW_SONGS));
    EXPECT_TRUE(tree.SelectView(CViewTreeView::VIEW_SONGS));
    EXPECT_FALSE(tree.SelectView(2));
    EXPECT_FALSE(tree.SelectView(-1));
    ASSERT_EQ(views.count(), 1);
    EXPECT_EQ(views.at(0).at(0).toInt(), CViewTreeView::VIEW_SONGS);

    // The user's click and the keyboard choose too.
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                      tree.visualItemRect(tree.GetLessonsItem()).center());
    EXPECT_EQ(tree.GetCurrentView(), CViewTreeView::VIEW_LESSONS);
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Up);
    EXPECT_EQ(tree.GetCurrentView(), CViewTreeView::VIEW_SONGS);
    ASSERT_EQ(views.count(), 3);
    EXPECT_EQ(views.at(1).at(0).toInt(), CViewTreeView::VIEW_LESSONS);
    EXPECT_EQ(views.at(2).at(0).toInt(), CViewTreeView::VIEW_SONGS);

    QSignalSpy focusRing(&tree, &CViewTreeView::MoveFocusRequested);
    QTest::keyClick(&tree, Qt::Key_Tab);
    ASSERT_EQ(focusRing.count(), 1);
    EXPECT_TRUE(focusRing.at(0).at(0).toBool());
}

// Unselected rows show the tree's background; the selected one a left-to-right gradient
// from RGB(0, 102, 153) to RGB(0, 153, 153) with the text in the highlight-text colour;
// while the tree has the focus, a focus rectangle runs round the selected row.
TEST(ViewTreeView, RowsAreDrawnWithTheGradientAndBackground)
{
    CViewTreeView tree;
    tree.SetBkColor(QColor(235, 245, 245));
    tree.resize(200, 200);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    tree.SelectView(CViewTreeView::VIEW_SONGS);
    tree.clearFocus();
    QApplication::processEvents();
    const QImage image = Picture(tree);

    const QRect songs = RowRect(tree, tree.GetSongsItem());
    const QRect lessons = RowRect(tree, tree.GetLessonsItem());
    ASSERT_FALSE(songs.isEmpty());
    // The row is high enough for the bold text and its room.
    EXPECT_GE(songs.height(), QFontMetrics(tree.GetBoldFont()).height() + 4);

    const QColor left = image.pixelColor(songs.left(), songs.top() + 1);
    const QColor right = image.pixelColor(songs.right(), songs.top() + 1);
    EXPECT_LE(std::abs(left.green() - 102), 4);
    EXPECT_LE(std::abs(right.green() - 153), 4);
    EXPECT_EQ(left.red(), 0);
    EXPECT_LE(std::abs(left.blue() - 153), 2);
    // The selected row's text is in the highlight-text colour, the other row's in the
    // window-text colour, over the background.
    const QColor highlightText = tree.palette().color(QPalette::Active, QPalette::HighlightedText);
    EXPECT_GT(CountColour(image, songs, highlightText, 40), 5);
    const QColor background(235, 245, 245);
    EXPECT_GT(CountColour(image, lessons, background), lessons.width() * lessons.height() / 2);
    const QColor windowText = tree.palette().color(QPalette::Active, QPalette::WindowText);
    EXPECT_GT(CountColour(image, lessons, windowText, 60), 5);
    EXPECT_EQ(CountColour(image, lessons, QColor(0, 102, 153), 10), 0);

    // The text starts 2 pixels right of the label's edge.
    int firstInk = -1;
    for (int x = 0; x < lessons.width() && firstInk < 0; ++x) {
        for (int y = lessons.top(); y <= lessons.bottom(); ++y) {
            if (image.pixelColor(x, y).rgb() != background.rgb()) {
                firstInk = x;
                break;
            }
        }
    }
    EXPECT_GE(firstInk, tree.visualItemRect(tree.GetLessonsItem()).left() + 2);
    EXPECT_LE(firstInk, tree.visualItemRect(tree.GetLessonsItem()).left() + 6);

    // With the focus, the selected row's edge pixels change (the focus rectangle).
    tree.activateWindow();
    tree.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(tree.hasFocus());
    const QImage focused = Picture(tree);
    EXPECT_NE(focused.copy(songs), image.copy(songs));
    EXPECT_EQ(focused.copy(lessons), image.copy(lessons));

    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(tree.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("view-tree.png")));
    }
}
