#include "ListCtrlDriver.h"
#include "MessageBoxDriver.h"
#include "TestSupport.h"

#include "qvsystem/controls/ColumnsDlg.h"
#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVValidationBalloon.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using corda::test::CModalDriver;
using corda::test::CPopupDriver;
using corda::test::CTestList;

namespace {

const QString kAppKey = QStringLiteral("Software\\Corda Test\\Columns Dialog\\1.0");

class ColumnsDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        AfxSetSettingsStorePath(m_dir.filePath(QStringLiteral("registry.db")));
        AfxSetApplicationRegistryKey(kAppKey);
        // The offscreen platform cannot raise windows; Qt raises the balloon and menus.
        corda::test::AllowQtWarning(
            QStringLiteral("^This plugin does not support (raise\\(\\)|grabbing the keyboard)$"));
    }
    void TearDown() override
    {
        AfxSetApplicationRegistryKey(QString());
        AfxSetSettingsStorePath(QString());
    }
    QTemporaryDir m_dir;
};

// A list with five declared columns shown in the order 3 0 1 4, column 2 hidden.
void Arrange(CTestList& list)
{
    list.Declare(5);
    list.GetHeaderCtrl()->moveSection(3, 0);
    list.ShowQVColumn(2, false);
}

struct Row {
    QString heading;
    bool ticked;
    bool operator==(const Row& other) const { return heading == other.heading && ticked == other.ticked; }
};

std::vector<Row> Rows(const CColumnsDlg& dialog)
{
    std::vector<Row> rows;
    CQVListCtrl* list = dialog.GetColumnsList();
    for (int row = 0; row < list->GetItemCount(); ++row)
        rows.push_back({list->GetItemText(row, 0), list->GetCheck(row)});
    return rows;
}

template <typename T> T* Control(const QWidget& dialog, int id)
{
    return dialog.findChild<T*>(QString::number(id));
}

void ShowDialog(CColumnsDlg& dialog)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(dialog.IsInitialized());
}

void ClickRow(CColumnsDlg& dialog, int row)
{
    CQVListCtrl* list = dialog.GetColumnsList();
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 10, rect.center().y()));
}

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

// Guards against a dialog that lists the columns in another order than the user sees them,
// moves rows it should not, or resets to anything but the declared order and widths.
TEST_F(ColumnsDlgTest, ListsMovesAndResets)
{
    CTestList list;
    Arrange(list);
    CColumnsDlg dialog(&list);
    ShowDialog(dialog);
    SaveScreenshot(dialog, QStringLiteral("columns-dialog.png"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Columns"));
    EXPECT_EQ(Control<QLabel>(dialog, IDC_QV_COLUMNS_INSTRUCTION)->text(),
              QStringLiteral("Select the columns you would like visible.  Use the Move Up and Move Down "
                             "buttons to reorder the columns however you like."));

    EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"Column 3", true},
                                              {"Column 0", true},
                                              {"Column 1", true},
                                              {"Column 4", true},
                                              {"Column 2", false}}));
    auto* up = Control<QPushButton>(dialog, IDC_QV_COLUMNS_MOVE_UP);
    auto* down = Control<QPushButton>(dialog, IDC_QV_COLUMNS_MOVE_DOWN);
    auto* width = Control<QLineEdit>(dialog, IDC_QV_COLUMNS_WIDTH);
    ASSERT_TRUE(up && down && width);
    EXPECT_EQ(up->text(), QStringLiteral("Move &Up"));
    EXPECT_EQ(down->text(), QStringLiteral("Move &Down"));
    EXPECT_EQ(Control<QPushButton>(dialog, IDC_QV_COLUMNS_RESET)->text(), QStringLiteral("&Reset"));
    EXPECT_EQ(Control<QLabel>(dialog, IDC_QV_COLUMNS_WIDTH_LABEL)->text(),
              QStringLiteral("&Selected column width:"));

    // The first row is selected: it can only move down; its width is shown.
    EXPECT_FALSE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());
    EXPECT_EQ(width->text(), QStringLiteral("90"));

    ClickRow(dialog, 4);
    EXPECT_EQ(width->text(), QStringLiteral("80"));
    EXPECT_TRUE(up->isEnabled());
    EXPECT_FALSE(down->isEnabled());
    QTest::mouseClick(up, Qt::LeftButton);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(Rows(dialog)[2], (Row{"Column 2", false}));
    EXPECT_EQ(dialog.GetColumnsList()->GetSingleSelectionItem(), 2);
    EXPECT_TRUE(down->isEnabled());

    QTest::mouseClick(Control<QPushButton>(dialog, IDC_QV_COLUMNS_RESET), Qt::LeftButton);
    EXPECT_EQ(Rows(dialog), (std::vector<Row>{{"Column 0", true},
                                              {"Column 1", true},
                                              {"Column 2", true},
                                              {"Column 3", true},
                                              {"Column 4", true}}));
    EXPECT_EQ(dialog.GetColumnsList()->GetSingleSelectionItem(), 0);
    EXPECT_EQ(width->text(), QString::number(DEFAULT_COLUMN_WIDTH));
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(dialog.GetColumnWidth(column), DEFAULT_COLUMN_WIDTH);
    dialog.reject();
}

// Guards against OK losing the user's choices: ticks, widths (clamped when typed too large)
// and the new order all reach the list; Cancel changes nothing.
TEST_F(ColumnsDlgTest, OkAppliesVisibilityWidthsAndOrderAndCancelDoesNot)
{
    CTestList list;
    Arrange(list);
    {
        CColumnsDlg dialog(&list);
        ShowDialog(dialog);
        CQVListCtrl* rows = dialog.GetColumnsList();
        ClickRow(dialog, 1);
        QTest::keyClick(rows, Qt::Key_Space); // hide Column 0
        ClickRow(dialog, 4);
        QTest::keyClick(rows, Qt::Key_Space); // show Column 2 and bring it to the front
        EXPECT_TRUE(rows->GetCheck(4));
        EXPECT_FALSE(rows->GetCheck(1));
        for (int step = 0; step < 4; ++step)
            QTest::mouseClick(Control<QPushButton>(dialog, IDC_QV_COLUMNS_MOVE_UP), Qt::LeftButton);
        auto* width = Control<QLineEdit>(dialog, IDC_QV_COLUMNS_WIDTH);
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("123456"));
        ClickRow(dialog, 1); // leaving the row takes the width, clamped
        EXPECT_EQ(dialog.GetColumnWidth(2), MAX_COLUMN_WIDTH);
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("45"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(list.TrueColumnsLeftToRight(), (std::vector<int>{2, 3, 1, 4}));
    EXPECT_FALSE(list.IsQVColumnVisible(0));
    EXPECT_EQ(list.GetQVColumnWidth(2), MAX_COLUMN_WIDTH);
    EXPECT_EQ(list.GetQVColumnWidth(3), 45);
    EXPECT_EQ(list.GetQVColumnWidth(0), 60);

    {
        CColumnsDlg dialog(&list);
        ShowDialog(dialog);
        QTest::mouseClick(Control<QPushButton>(dialog, IDC_QV_COLUMNS_RESET), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(list.TrueColumnsLeftToRight(), (std::vector<int>{2, 3, 1, 4}));
    EXPECT_EQ(list.GetQVColumnWidth(3), 45);
}

// Guards against a list left without any column: OK with nothing ticked shows the balloon at
// the list and keeps the dialog open with the list unchanged.
TEST_F(ColumnsDlgTest, NothingTickedShowsTheBalloonAtTheList)
{
    CTestList list;
    Arrange(list);
    CColumnsDlg dialog(&list);
    ShowDialog(dialog);
    CQVListCtrl* rows = dialog.GetColumnsList();
    for (int row = 0; row < rows->GetItemCount(); ++row)
        rows->SetCheck(row, false);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);

    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(dialog.IsValidationErrorMessageActive());
    CQVValidationBalloon* balloon = dialog.GetValidationToolTipWindow();
    EXPECT_EQ(balloon->GetText(), QStringLiteral("You must check at least one item from this list"));
    const QRect listRect = AfxGetScreenRect(rows);
    EXPECT_EQ(balloon->GetTipPoint().x(), listRect.left() + listRect.width() / 2);
    EXPECT_EQ(list.GetInsertedColumnCount(), 4);
    dialog.reject();
}

// Guards against the header menu's last item not reaching the dialog.
TEST_F(ColumnsDlgTest, HeaderMenuOpensTheDialog)
{
    CTestList list;
    Arrange(list);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    bool dialogSeen = false;
    std::unique_ptr<CModalDriver<CColumnsDlg>> dialogDriver;
    CPopupDriver menuDriver([&](QMenu& menu) {
        QAction* columns = menu.actions().last();
        EXPECT_EQ(columns->text(), QStringLiteral("&Columns..."));
        EXPECT_EQ(columns->data().toInt(), ID_QV_HEADER_COLUMNS);
        dialogDriver = std::make_unique<CModalDriver<CColumnsDlg>>([&](CColumnsDlg& dialog) {
            dialogSeen = true;
            EXPECT_EQ(Rows(dialog).size(), 5u);
            dialog.GetColumnsList()->SetCheck(4, true);
            dialog.accept();
        });
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(columns).center());
    });
    list.OnHeaderContextMenu(0, HHT_ONHEADER, list.mapToGlobal(QPoint(10, 5)));
    EXPECT_TRUE(menuDriver.Seen());
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(list.IsQVColumnVisible(2));
}

namespace {

// A dialog that keeps a list's columns under a sub key of the application.
class CListStateDialog : public CQVDialog {
public:
    CListStateDialog() : CQVDialog(0)
    {
        m_pList = new CTestList(5);
        m_pList->Declare(3);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_pList);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("2"));
        layout->addWidget(cancel);
    }
    using CQVDialog::GetStateListCtrls;
    void GetStateListCtrls(CQVListCtrlSubKeyMap& map, bool) override
    {
        map[m_pList] = QStringLiteral("Window Settings\\State Dialog");
    }
    CTestList* m_pList;
};

} // namespace

// Guards against list state that is saved only when the dialog is accepted: a cancelled
// dialog keeps the user's column changes too, and the next one loads them.
TEST_F(ColumnsDlgTest, DialogClosedWithCancelStillSavesItsListState)
{
    {
        CListStateDialog dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.m_pList->ShowQVColumn(1, false);
        dialog.m_pList->SetQVColumnWidth(2, 155);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    const CRegistryPath path(HKEY_CURRENT_USER, kAppKey + QStringLiteral("\\Window Settings\\State Dialog"));
    EXPECT_EQ(AfxGetProfileDWord(path, QStringLiteral("Columns"), QStringLiteral("Count"), 0), 3u);
    EXPECT_EQ(AfxGetProfileDWord(path, QStringLiteral("Columns\\Column 1"), QStringLiteral("Sort Order"), 0),
              0xFFFFFFFFu);
    EXPECT_EQ(AfxGetProfileDWord(path, QStringLiteral("Columns\\Column 2"), QStringLiteral("Width"), 0),
              155u);

    CListStateDialog again;
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_FALSE(again.m_pList->IsQVColumnVisible(1));
    EXPECT_EQ(again.m_pList->GetQVColumnWidth(2), 155);
    again.reject();
}
