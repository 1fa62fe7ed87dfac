#include "qvsystem/controls/QVListBox.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

namespace {

int Width(const CQVListBox& list, const QString& text)
{
    const QFontMetrics metrics(list.font());
    return metrics.horizontalAdvance(text) + metrics.averageCharWidth();
}

const QString SHORT = QStringLiteral("Blues");
const QString MEDIUM = QStringLiteral("Fingerstyle acoustic");
const QString WIDEST = QStringLiteral("Progressive rock in odd time signatures, live");

} // namespace

// Guards against the extent keeping the deleted widest item's width (a scroll range into
// nothing) or shrinking below the widest item left, and against the view's scroll range
// not following the extent.
TEST(QVListBoxTest, ExtentFollowsTheWidestItem)
{
    CQVListBox list;
    list.resize(120, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.GetHorizontalExtent(), 0);

    EXPECT_EQ(list.AddString(SHORT), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(list, SHORT));
    EXPECT_EQ(list.InsertString(0, WIDEST), 0);
    EXPECT_EQ(list.InsertString(-1, MEDIUM), 2);
    // A narrower item never lowers the extent on its own.
    EXPECT_EQ(list.GetHorizontalExtent(), Width(list, WIDEST));
    // After the view's own delayed layout, which sets a scroll range of its own.
    QTest::qWait(50);
    const int visible = list.viewport()->width();
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), Width(list, WIDEST) - visible);

    EXPECT_EQ(list.DeleteString(0), 2);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(list, MEDIUM));
    QTest::qWait(50);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), std::max(0, Width(list, MEDIUM) - visible));

    // Items removed through QListWidget's own calls count as well.
    delete list.takeItem(1);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(list, SHORT));

    list.ResetContent();
    EXPECT_EQ(list.GetHorizontalExtent(), 0);
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
}

// Guards against a new font leaving the old font's widths in place.
TEST(QVListBoxTest, NewFontMeasuresAgain)
{
    CQVListBox list;
    list.AddString(MEDIUM);
    const int before = list.GetHorizontalExtent();
    QFont larger = list.font();
    larger.setPointSize(larger.pointSize() * 3);
    list.SetFont(larger);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(list, MEDIUM));
    EXPECT_GT(list.GetHorizontalExtent(), before);
    // Also when the font arrives by the ordinary route.
    QFont smaller = list.font();
    smaller.setPointSize(std::max(4, smaller.pointSize() / 4));
    list.setFont(smaller);
    EXPECT_EQ(list.GetHorizontalExtent(), Width(list, MEDIUM));
    EXPECT_LT(list.GetHorizontalExtent(), before * 3);
}

// Guards against invalid arguments changing the list or being reported as success.
TEST(QVListBoxTest, InvalidArgumentsFail)
{
    CQVListBox list;
    EXPECT_EQ(list.AddString(QString()), -1);
    EXPECT_EQ(list.InsertString(1, SHORT), -1);
    EXPECT_EQ(list.InsertString(-2, SHORT), -1);
    EXPECT_EQ(list.InsertString(0, QString()), -1);
    EXPECT_EQ(list.DeleteString(0), -1);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.GetHorizontalExtent(), 0);
    // An empty text is a real item.
    EXPECT_EQ(list.AddString(QLatin1String("")), 0);
    EXPECT_EQ(list.DeleteString(-1), -1);
    EXPECT_EQ(list.DeleteString(1), -1);
    EXPECT_EQ(list.DeleteString(0), 0);
}

// Guards against the view's own scroll range and the extent handing the horizontal bar back
// and forth while a layout runs, which recursed until the stack ran out (seen with a folder
// path just about as wide as the list): every width around that point must settle.
TEST(QVListBoxTest, ItemsAsWideAsTheListSettle)
{
    for (int length = 30; length <= 110; ++length) {
        SCOPED_TRACE(length);
        QDialog dialog;
        auto* list = new CQVListBox(&dialog);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMinimumSize(380, 200);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(list);
        dialog.show();
        list->setCurrentRow(list->AddString(QStringLiteral("/home/user/Tablature")));
        list->setCurrentRow(list->AddString(QStringLiteral("/home/") + QString(length, QLatin1Char('m'))));
        list->setCurrentRow(
            list->AddString(QStringLiteral("/home/") + QString(length + 7, QLatin1Char('w'))));
        QCoreApplication::processEvents();
        EXPECT_EQ(list->horizontalScrollBar()->maximum(),
                  std::max(0, list->GetHorizontalExtent() - list->viewport()->width()));
    }
}
