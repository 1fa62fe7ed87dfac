#include "ListCtrlDriver.h"
#include "TestSupport.h"

#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/SortHeaderCtrl.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

using corda::test::CNumberModel;
using corda::test::CPopupDriver;
using corda::test::CTestList;
using corda::test::SortCall;

namespace {

const QString kAppKey = QStringLiteral("Software\\Corda Test\\List Control\\1.0");

class ListCtrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        AfxSetSettingsStorePath(m_dir.filePath(QStringLiteral("registry.db")));
        AfxSetApplicationRegistryKey(kAppKey);
    }
    void TearDown() override
    {
        AfxSetApplicationRegistryKey(QString());
        AfxSetSettingsStorePath(QString());
    }

    static CRegistryPath Path(const QString& subKey)
    {
        return CRegistryPath(HKEY_CURRENT_USER, kAppKey + "\\" + subKey);
    }
    static int Raw(const QString& subKey, const QString& key, const char* name)
    {
        return static_cast<int>(
            AfxGetProfileDWord(Path(subKey), key, QString::fromLatin1(name), 0xDEADBEEFu));
    }
    static void PutRaw(const QString& subKey, const QString& key, const char* name, int value)
    {
        ASSERT_TRUE(
            AfxWriteProfileDWord(Path(subKey), key, QString::fromLatin1(name), static_cast<uint32_t>(value)));
    }

    QTemporaryDir m_dir;
};

QPoint SectionCentre(const CQVListCtrl& list, int inserted)
{
    const QHeaderView* header = list.GetHeaderCtrl();
    return QPoint(header->sectionViewportPosition(inserted) + header->sectionSize(inserted) / 2,
                  header->height() / 2);
}

// Clicks far enough apart that no two make a double click.
void ClickHeader(CQVListCtrl& list, int inserted, Qt::MouseButton button = Qt::LeftButton)
{
    const int apart = QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50;
    QTest::mouseClick(list.GetHeaderCtrl()->viewport(), button, {}, SectionCentre(list, inserted), apart);
}

// A right click on the header, as the window system reports it.
void RightClickHeader(CQVListCtrl& list, int inserted)
{
    QWidget* viewport = list.GetHeaderCtrl()->viewport();
    const QPoint point = SectionCentre(list, inserted);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, viewport->mapToGlobal(point));
    QApplication::sendEvent(viewport, &event);
}

// For looking at the list: CORDA_TEST_SCREENSHOTS names a folder (outside the source tree).
void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QImage shot = widget.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

} // namespace

// Guards against the three column numberings drifting apart: hidden columns leave the
// inserted numbering, a column shown again returns to the place and width it had (also
// after the user dragged it), and declarations refuse duplicates.
TEST_F(ListCtrlTest, HidingAndShowingKeepsPlaceAndWidth)
{
    CTestList list;
    list.Declare(5);
    ASSERT_EQ(list.GetInsertedColumnCount(), 5);
    EXPECT_EQ(list.InsertQVColumn(0, 3, true, QStringLiteral("again")), -1);
    EXPECT_EQ(list.InsertQVColumn(-1, 9, true, QStringLiteral("negative")), -1);
    EXPECT_FALSE(list.DoesTrueColumnExist(9));

    // The user drags column 4 to the front: 4 0 1 2 3.
    list.GetHeaderCtrl()->moveSection(4, 0);
    ASSERT_EQ(list.TrueColumnsLeftToRight(), (std::vector<int>{4, 0, 1, 2, 3}));
    ASSERT_TRUE(list.SetQVColumnWidth(2, 123));

    ASSERT_TRUE(list.ShowQVColumn(2, false));
    EXPECT_FALSE(list.IsQVColumnVisible(2));
    EXPECT_EQ(list.GetInsertedColumn(2), -1);
    EXPECT_EQ(list.GetInsertedColumnCount(), 4);
    EXPECT_EQ(list.GetTrueColumn(2), 3); // inserted 3 moved down to 2
    EXPECT_EQ(list.GetQVColumnWidth(2), 123);
    EXPECT_EQ(list.TrueColumnsLeftToRight(), (std::vector<int>{4, 0, 1, 3}));
    EXPECT_TRUE(list.SetQVColumnWidth(2, 140)); // remembered while hidden

    ASSERT_TRUE(list.ShowQVColumn(2, true));
    EXPECT_EQ(list.TrueColumnsLeftToRight(), (std::vector<int>{4, 0, 1, 2, 3}));
    EXPECT_EQ(list.GetQVColumnWidth(2), 140);
    EXPECT_EQ(list.GetColumnWidth(list.GetInsertedColumn(2)), 140);
    for (int inserted = 0; inserted < list.GetInsertedColumnCount(); ++inserted)
        EXPECT_EQ(list.GetColumnSortOrder(inserted), list.GetHeaderCtrl()->visualIndex(inserted));

    // The model's texts follow the true column whatever the inserted index.
    const int inserted2 = list.GetInsertedColumn(2);
    EXPECT_EQ(list.model()->index(5, inserted2).data().toString(), QStringLiteral("2:5"));
    EXPECT_EQ(list.model()->headerData(inserted2, Qt::Horizontal).toString(), QStringLiteral("Column 2"));

    // A column declared hidden comes in at the end with the default width when none given.
    EXPECT_EQ(list.InsertQVColumn(1, 7, false, QStringLiteral("Later")), -1);
    EXPECT_TRUE(list.DoesTrueColumnExist(7));
    EXPECT_EQ(list.GetQVColumnWidth(7), -1);
    ASSERT_TRUE(list.ShowQVColumn(7, true));
    EXPECT_EQ(list.GetLeftToRightTrueColumn(5), 7);
    EXPECT_EQ(list.GetQVColumnWidth(7), DEFAULT_COLUMN_WIDTH);
    EXPECT_EQ(list.GetLeftToRightColumn(6), -1);
    EXPECT_FALSE(list.ShowQVColumn(42, true));
}

// Guards against the list being left sorted by a column the user can no longer see.
TEST_F(ListCtrlTest, HidingTheSortColumnSortsAscendingByTheLeftmost)
{
    CTestList list;
    list.Declare(4);
    list.GetHeaderCtrl()->moveSection(2, 0); // 2 0 1 3
    list.SortItems(1, false, true);
    list.m_calls.clear();

    list.ShowQVColumn(3, false); // not the sort column: no sort
    EXPECT_TRUE(list.m_calls.empty());
    list.ShowQVColumn(1, false);
    ASSERT_EQ(list.m_calls.size(), 1u);
    EXPECT_EQ(list.m_calls[0], (SortCall{2, true, false}));
    EXPECT_EQ(list.GetSortColumn(), 2);
}

// Guards against header clicks that do not toggle, sort with the wrong button or while
// blocked, or an arrow drawn in the wrong place or direction.
TEST_F(ListCtrlTest, HeaderClicksSortAndTheArrowFollows)
{
    CTestList list;
    list.Declare(3);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ClickHeader(list, 1, Qt::LeftButton);
    ClickHeader(list, 1, Qt::LeftButton);
    ClickHeader(list, 1, Qt::LeftButton);
    ASSERT_EQ(list.m_calls.size(), 3u);
    EXPECT_EQ(list.m_calls[0], (SortCall{1, true, false}));
    EXPECT_EQ(list.m_calls[1], (SortCall{1, false, false}));
    EXPECT_EQ(list.m_calls[2], (SortCall{1, true, false}));
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), QStringLiteral("0:0"));

    ClickHeader(list, 1, Qt::LeftButton);
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), QStringLiteral("0:19"));
    ClickHeader(list, 2, Qt::LeftButton);
    EXPECT_EQ(list.m_calls.back(), (SortCall{2, true, false}));

    list.m_calls.clear();
    ClickHeader(list, 0, Qt::MiddleButton);
    list.BlockHeaderSort(true);
    ClickHeader(list, 0, Qt::LeftButton);
    EXPECT_TRUE(list.m_calls.empty());
    list.BlockHeaderSort(false);

    // The arrow: 4 pixels plus half its size from the right edge, pointing up when
    // ascending; from the left edge when the heading is right-aligned.
    const QColor shadow = list.GetHeaderCtrl()->palette().color(QPalette::Shadow);
    const auto arrowRows = [&](int inserted, bool fromLeft) {
        const QImage image = list.GetHeaderCtrl()->viewport()->grab().toImage();
        const QHeaderView* view = list.GetHeaderCtrl();
        const int left = view->sectionViewportPosition(inserted);
        const int x = fromLeft ? left + 4 + 3 : left + view->sectionSize(inserted) - 4 - 3;
        std::vector<int> widths;
        for (int y = 0; y < image.height(); ++y) {
            int width = 0;
            for (int dx = -5; dx <= 5; ++dx)
                width += image.pixelColor(x + dx, y).rgb() == shadow.rgb() ? 1 : 0;
            if (width > 0)
                widths.push_back(width);
        }
        return widths;
    };
    list.SetSortColumn(2);
    list.SetSortAscending(true);
    SaveScreenshot(list, QStringLiteral("list-sorted.png"));
    std::vector<int> rows = arrowRows(2, false);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows, (std::vector<int>{1, 3, 5, 7}));
    list.SetSortAscending(false);
    EXPECT_EQ(arrowRows(2, false), (std::vector<int>{7, 5, 3, 1}));
    EXPECT_TRUE(arrowRows(1, false).empty());
    list.SetColumnAlignment(list.GetInsertedColumn(2), LVCFMT_RIGHT);
    EXPECT_EQ(arrowRows(2, true), (std::vector<int>{7, 5, 3, 1}));
    list.SetSortColumn(-1);
    EXPECT_TRUE(arrowRows(2, true).empty());

    // With the bold font the sorted heading carries more ink than the same heading plain.
    const auto ink = [&](int inserted) {
        const QImage image = list.GetHeaderCtrl()->viewport()->grab().toImage();
        const QHeaderView* view = list.GetHeaderCtrl();
        int dark = 0;
        for (int x = view->sectionViewportPosition(inserted);
             x < view->sectionViewportPosition(inserted) + view->sectionSize(inserted) - 14; ++x) {
            for (int y = 0; y < image.height(); ++y)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
        return dark;
    };
    list.SetColumnAlignment(list.GetInsertedColumn(2), LVCFMT_LEFT);
    list.SetSortColumn(2);
    const int plain = ink(2);
    list.GetHeaderCtrl()->UseBoldFont(true);
    EXPECT_GT(ink(2), plain);
    SaveScreenshot(list, QStringLiteral("list-sorted-bold.png"));
}

// Guards against a saved list state that does not come back as it was, and pins the value
// layout that earlier versions of the program stored.
TEST_F(ListCtrlTest, SavedStateReloadsIdentically)
{
    const QString subKey = QStringLiteral("Window Settings\\Test List");
    {
        CTestList list;
        list.Declare(5);
        list.SetQVColumnWidth(0, 33);
        list.SetQVColumnWidth(3, 210);
        list.GetHeaderCtrl()->moveSection(3, 0); // 3 0 1 2 4
        list.ShowQVColumn(1, false);             // 3 0 2 4
        list.SetQVColumnWidth(1, 77);            // hidden, remembered
        list.SortItems(4, false, true);
        ASSERT_TRUE(list.SaveState(subKey));
    }
    EXPECT_EQ(Raw(subKey, "Columns", "Count"), 5);
    EXPECT_EQ(Raw(subKey, "Columns", "Sort Column"), 4);
    EXPECT_EQ(Raw(subKey, "Columns", "Sort Ascending"), 0);
    EXPECT_EQ(Raw(subKey, "Columns", "Persist Sort Order"), 1);
    const int widths[] = {33, 77, 80, 210, 100};
    const int orders[] = {1, -1, 2, 0, 3};
    for (int column = 0; column < 5; ++column) {
        const QString key = QStringLiteral("Columns\\Column %1").arg(column);
        EXPECT_EQ(Raw(subKey, key, "Width"), widths[column]) << column;
        EXPECT_EQ(Raw(subKey, key, "Sort Order"), orders[column]) << column;
    }

    CTestList loaded;
    loaded.Declare(5);
    ASSERT_TRUE(loaded.LoadState(subKey));
    EXPECT_EQ(loaded.TrueColumnsLeftToRight(), (std::vector<int>{3, 0, 2, 4}));
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(loaded.GetQVColumnWidth(column), widths[column]) << column;
    EXPECT_FALSE(loaded.IsQVColumnVisible(1));
    EXPECT_EQ(loaded.GetSortColumn(), 4);
    EXPECT_FALSE(loaded.IsSortAscending());
    EXPECT_TRUE(loaded.m_calls.empty()); // loading sets the state; the owner sorts

    // The registry-path and open-key forms write and read the same layout.
    CTestList other;
    other.Declare(5);
    other.ShowQVColumn(4, false);
    const CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Software\\Corda Test\\Elsewhere"));
    ASSERT_TRUE(other.SaveState(path));
    EXPECT_EQ(AfxGetProfileDWord(path, QStringLiteral("Columns\\Column 4"), QStringLiteral("Sort Order"), 0),
              0xFFFFFFFFu);
    HKEY key = 0;
    ASSERT_EQ(path.CreateSubKey(&key), ERROR_SUCCESS);
    CTestList fromKey;
    fromKey.Declare(5);
    ASSERT_TRUE(fromKey.LoadState(key, false));
    EXPECT_FALSE(fromKey.IsQVColumnVisible(4));
    fromKey.ShowQVColumn(4, true);
    ASSERT_TRUE(fromKey.SaveState(key, true));
    EXPECT_EQ(AfxGetProfileDWord(path, QStringLiteral("Columns\\Column 4"), QStringLiteral("Sort Order"), 9),
              4u);

    // Without a location nothing is written and loading reports failure.
    AfxSetApplicationRegistryKey(QString());
    EXPECT_FALSE(other.SaveState(subKey));
    EXPECT_FALSE(other.LoadState(subKey));
    EXPECT_FALSE(other.SaveState(HKEY(0), true));
    EXPECT_FALSE(other.LoadState(CRegistryPath()));
}

// Guards against undeclared lists (true = inserted) losing their widths.
TEST_F(ListCtrlTest, UndeclaredColumnsSaveTheirWidths)
{
    CQVListCtrl list;
    list.InsertColumn(0, QStringLiteral("Folder"), LVCFMT_LEFT, 250);
    list.InsertColumn(1, QStringLiteral("Files"), LVCFMT_RIGHT, 60);
    EXPECT_EQ(list.GetTrueColumn(1), 1);
    EXPECT_FALSE(list.IsColumnSortOrderPersisted());
    ASSERT_TRUE(list.SaveState(QStringLiteral("Folders")));
    EXPECT_EQ(Raw(QStringLiteral("Folders"), "Columns", "Persist Sort Order"), 0);
    EXPECT_EQ(Raw(QStringLiteral("Folders"), "Columns\\Column 1", "Sort Order"),
              static_cast<int>(0xDEADBEEFu));

    CQVListCtrl loaded;
    loaded.InsertColumn(0, QStringLiteral("Folder"), LVCFMT_LEFT, 100);
    loaded.InsertColumn(1, QStringLiteral("Files"), LVCFMT_RIGHT, 100);
    ASSERT_TRUE(loaded.LoadState(QStringLiteral("Folders")));
    EXPECT_EQ(loaded.GetColumnWidth(0), 250);
    EXPECT_EQ(loaded.GetColumnWidth(1), 60);
}

// Guards against a partial state (no width for the first column) being half applied
// instead of falling back to the default widths.
TEST_F(ListCtrlTest, StateWithoutFirstWidthFallsBackToDefaults)
{
    const QString subKey = QStringLiteral("Partial");
    PutRaw(subKey, QStringLiteral("Columns"), "Count", 3);
    PutRaw(subKey, QStringLiteral("Columns"), "Persist Sort Order", 1);
    PutRaw(subKey, QStringLiteral("Columns\\Column 1"), "Width", 300);
    PutRaw(subKey, QStringLiteral("Columns\\Column 2"), "Width", 301);
    PutRaw(subKey, QStringLiteral("Columns\\Column 2"), "Sort Order", -1);

    CTestList reference;
    reference.Declare(3);
    reference.LoadDefaultColumnWidths();

    CTestList list;
    list.Declare(3);
    ASSERT_TRUE(list.LoadState(subKey));
    EXPECT_TRUE(list.IsQVColumnVisible(2));
    for (int column = 0; column < 3; ++column)
        EXPECT_EQ(list.GetQVColumnWidth(column), reference.GetQVColumnWidth(column)) << column;
    EXPECT_NE(list.GetQVColumnWidth(1), 300);

    // Nothing stored at all: the defaults too.
    CTestList fresh;
    fresh.Declare(3);
    ASSERT_TRUE(fresh.LoadState(QStringLiteral("Never Saved")));
    EXPECT_EQ(fresh.GetQVColumnWidth(2), reference.GetQVColumnWidth(2));
}

// Guards against stored values that a damaged or hostile settings store holds: huge
// counts, positions and widths must not allocate, loop for long or hide every column.
TEST_F(ListCtrlTest, HostileStoredValuesAreContained)
{
    const QString subKey = QStringLiteral("Hostile");
    PutRaw(subKey, QStringLiteral("Columns"), "Count", 0x7FFFFFFF);
    PutRaw(subKey, QStringLiteral("Columns"), "Sort Column", 999);
    PutRaw(subKey, QStringLiteral("Columns"), "Persist Sort Order", 1);
    PutRaw(subKey, QStringLiteral("Columns\\Column 0"), "Width", 0x7FFFFFFF);
    PutRaw(subKey, QStringLiteral("Columns\\Column 0"), "Sort Order", -1);
    PutRaw(subKey, QStringLiteral("Columns\\Column 1"), "Width", -50);
    PutRaw(subKey, QStringLiteral("Columns\\Column 1"), "Sort Order", -1);
    PutRaw(subKey, QStringLiteral("Columns\\Column 2"), "Width", 90);
    PutRaw(subKey, QStringLiteral("Columns\\Column 2"), "Sort Order", -1);

    QElapsedTimer timer;
    timer.start();
    CTestList list;
    list.Declare(3);
    ASSERT_TRUE(list.LoadState(subKey));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(list.GetInsertedColumnCount(), 1);
    EXPECT_TRUE(list.IsQVColumnVisible(0));
    EXPECT_EQ(list.GetQVColumnWidth(0), MAX_COLUMN_WIDTH);
    EXPECT_EQ(list.GetQVColumnWidth(1), 70); // a negative width is ignored
    EXPECT_EQ(list.GetSortColumn(), -1);

    // Positions far out of range and duplicated still give a valid order of every shown
    // column.
    const QString other = QStringLiteral("Hostile Order");
    PutRaw(other, QStringLiteral("Columns"), "Count", 3);
    PutRaw(other, QStringLiteral("Columns"), "Persist Sort Order", 1);
    const int positions[] = {0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF};
    for (int column = 0; column < 3; ++column) {
        PutRaw(other, QStringLiteral("Columns\\Column %1").arg(column), "Width", 50);
        PutRaw(other, QStringLiteral("Columns\\Column %1").arg(column), "Sort Order", positions[column]);
    }
    CTestList ordered;
    ordered.Declare(3);
    ASSERT_TRUE(ordered.LoadState(other));
    EXPECT_EQ(ordered.TrueColumnsLeftToRight(), (std::vector<int>{1, 0, 2}));
}

// Guards against clicks beside the items clearing the selection of a list that blocks them.
TEST_F(ListCtrlTest, BlockedNonItemClicksKeepTheSelection)
{
    CTestList list(3);
    list.Declare(2);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QWidget* viewport = list.viewport();
    const QPoint below(20, viewport->height() - 10);
    ASSERT_FALSE(list.HitTestOnItem(below));
    const QPoint onItem = list.visualRect(list.model()->index(2, 0)).center();
    ASSERT_TRUE(list.HitTestOnItem(onItem));

    list.SetBlockNonItemClicks(true);
    list.SelectItem(1, true);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}) {
        QTest::mouseClick(viewport, button, {}, below);
        QTest::mouseDClick(viewport, button, {}, below);
        EXPECT_EQ(list.GetSingleSelectionItem(), 1) << button;
    }
    // A press beside the items and a drag onto them selects nothing either.
    QTest::mousePress(viewport, Qt::LeftButton, {}, below);
    QTest::mouseMove(viewport, onItem);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, onItem);
    EXPECT_EQ(list.GetSingleSelectionItem(), 1);
    // Clicks on items still select.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onItem);
    EXPECT_EQ(list.GetSingleSelectionItem(), 2);

    list.SetBlockNonItemClicks(false);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, below);
    EXPECT_EQ(list.GetSelectedCount(), 0);
}

// Guards against a header menu that lets the user hide the last column, or that does not
// toggle the column chosen.
TEST_F(ListCtrlTest, HeaderMenuTogglesColumnsButKeepsTheLast)
{
    CTestList list;
    list.Declare(3);
    list.ShowQVColumn(2, false);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    corda::test::AllowQtWarning(
        QStringLiteral("^This plugin does not support (raise\\(\\)|grabbing the keyboard)$"));
    const auto openMenu = [&](std::function<void(QMenu&)> action) {
        CPopupDriver driver(std::move(action));
        RightClickHeader(list, 0);
        QTRY_VERIFY_WITH_TIMEOUT(driver.Seen(), 5000);
    };
    QStringList texts;
    std::vector<bool> checked, enabled;
    std::vector<int> commands;
    openMenu([&](QMenu& menu) {
        for (QAction* action : menu.actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            checked.push_back(action->isChecked());
            enabled.push_back(action->isEnabled());
            if (!action->isSeparator())
                commands.push_back(action->data().toInt());
        }
        QAction* third = menu.actions().at(2);
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(third).center());
    });
    EXPECT_EQ(texts, (QStringList{"Column 0", "Column 1", "Column 2", "-", "&Columns..."}));
    // The command ids other code (and stored menus) know them by.
    EXPECT_EQ(commands, (std::vector<int>{50900, 50901, 50902, 50007}));
    EXPECT_EQ(checked, (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_TRUE(list.IsQVColumnVisible(2));

    list.ShowQVColumn(1, false);
    list.ShowQVColumn(2, false);
    openMenu([&](QMenu& menu) {
        EXPECT_FALSE(menu.actions().at(0)->isEnabled());
        EXPECT_TRUE(menu.actions().at(0)->isChecked());
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(menu.actions().at(0)).center());
        if (menu.isVisible())
            menu.close();
    });
    EXPECT_TRUE(list.IsQVColumnVisible(0));
    EXPECT_EQ(list.GetInsertedColumnCount(), 1);
}

// Guards against rows losing their selection when a column is shown beside them, and
// against the selection helpers miscounting.
TEST_F(ListCtrlTest, SelectionSurvivesColumnChangesAndSorting)
{
    CTestList list(10);
    list.Declare(3);
    list.SelectItem(2);
    list.SelectItem(3);
    list.SelectItem(7, true);
    ASSERT_EQ(list.GetSelectedItems(), (std::vector<int>{2, 3, 7}));
    EXPECT_EQ(list.GetSingleSelectionItem(), -1);

    list.ShowQVColumn(0, false);
    list.ShowQVColumn(0, true);
    EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{2, 3, 7}));
    EXPECT_TRUE(list.selectionModel()->isRowSelected(7, QModelIndex()));

    // Sorting descending moves the selected items with their rows.
    list.SortItems(0, false, true);
    EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{2, 6, 7}));
    EXPECT_EQ(list.currentIndex().row(), 2);

    list.SelectAllItems();
    EXPECT_EQ(list.GetSelectedCount(), 10);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    list.UnselectAllItems();
    EXPECT_EQ(list.GetSelectedCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Guards against moved rows leaving their texts, data or check state behind, and against
// moves past either end.
TEST_F(ListCtrlTest, StoredRowsMoveWithEverythingTheyHold)
{
    CQVListCtrl list;
    list.InsertColumn(0, QStringLiteral("Name"));
    list.InsertColumn(1, QStringLiteral("Path"));
    list.SetCheckBoxes(true);
    for (int row = 0; row < 3; ++row) {
        ASSERT_EQ(list.InsertItem(row, QStringLiteral("name %1").arg(row)), row);
        list.SetItemText(row, 1, QStringLiteral("path %1").arg(row));
        list.SetItemData(row, row * 10);
    }
    list.SetCheck(0, true);
    EXPECT_TRUE(list.HasCheckedItem());
    EXPECT_FALSE(list.CanMoveSelectedItemUp());
    EXPECT_EQ(list.MoveSelectedItemDown(), -1); // nothing selected

    list.SelectItem(0, true);
    EXPECT_FALSE(list.CanMoveSelectedItemUp());
    EXPECT_EQ(list.MoveSelectedItemDown(), 1);
    EXPECT_EQ(list.MoveSelectedItemDown(), 2);
    EXPECT_EQ(list.MoveSelectedItemDown(), -1);
    EXPECT_EQ(list.GetItemText(2, 0), QStringLiteral("name 0"));
    EXPECT_EQ(list.GetItemText(2, 1), QStringLiteral("path 0"));
    EXPECT_EQ(list.GetItemData(2).toInt(), 0);
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_EQ(list.model()->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("name 1"));
    EXPECT_EQ(list.GetSingleSelectionItem(), 2);
    EXPECT_EQ(list.MoveSelectedItemUp(), 1);
    EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("path 0"));

    // An owner-data list has nothing to move.
    CTestList virtualList(3);
    virtualList.Declare(1);
    virtualList.SelectItem(1);
    EXPECT_EQ(virtualList.MoveSelectedItemUp(), -1);
    EXPECT_EQ(virtualList.InsertItem(0, QStringLiteral("x")), -1);
}

// Guards against the empty text missing, staying after rows arrive, or ignoring its
// alignment; and against alternate rows that are not shaded.
TEST_F(ListCtrlTest, EmptyTextAndRowShadingAreDrawn)
{
    CTestList list(0);
    list.Declare(2);
    list.SetEmptyText(QStringLiteral("There are no items to show in this view."));
    list.SetEmptyTextColor(QColor(200, 0, 0));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    const auto redColumns = [&]() {
        const QImage image = list.viewport()->grab().toImage();
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                const QColor colour = image.pixelColor(x, y);
                if (colour.red() > 150 && colour.green() < 100 && colour.blue() < 100) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        }
        return std::make_pair(first, last);
    };
    const auto left = redColumns();
    ASSERT_GE(left.first, 0);
    EXPECT_LT(left.first, list.viewport()->width() / 4);
    list.SetEmptyTextAlignmentRight();
    const auto right = redColumns();
    EXPECT_GT(right.second, list.viewport()->width() * 3 / 4);
    EXPECT_GT(right.first, left.first);

    list.Model()->SetRowCount(4);
    EXPECT_EQ(redColumns().first, -1);

    const QColor shade(225, 245, 245);
    list.SetRowHighlightColor(shade);
    EXPECT_TRUE(list.IsRowHighlighted(1));
    EXPECT_FALSE(list.IsRowHighlighted(2));
    const QImage image = list.viewport()->grab().toImage();
    const auto colourAt = [&](int row) {
        const QRect rect = list.visualRect(list.model()->index(row, 1));
        return image.pixelColor(rect.right() - 2, rect.center().y());
    };
    EXPECT_EQ(colourAt(1).rgb(), shade.rgb());
    EXPECT_EQ(colourAt(3).rgb(), shade.rgb());
    EXPECT_NE(colourAt(2).rgb(), shade.rgb());
}

// Guards against an owner-data model that breaks the model contract under the column and
// row changes the list makes, checked on the size the song list reaches.
TEST_F(ListCtrlTest, LargeOwnerDataModelPassesTheModelTester)
{
    CTestList list(100000);
    list.Declare(3);
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    list.ShowQVColumn(1, false);
    list.ShowQVColumn(1, true);
    list.SelectItem(99999, true);
    list.SortItems(0, false, true);
    EXPECT_EQ(list.GetSingleSelectionItem(), 0);
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), QStringLiteral("0:99999"));
    list.Model()->UpdateItems(10, 20);
    list.Model()->SetRowCount(50000);
    EXPECT_EQ(list.GetItemCount(), 50000);
    EXPECT_EQ(list.GetSelectedCount(), 0);
}
