#include "TestSupport.h"

#include "qvsystem/controls/KeyboardShortcutListCtrl.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QTest>

namespace {

constexpr uint32_t ID_FOLDERS = 32912;
constexpr uint32_t ID_COPY = 57634;
constexpr uint32_t ID_PASTE = 57637;
constexpr uint32_t ID_DELETE = 32854;
constexpr uint32_t ID_CONTROL_PANEL = 40000; // a name with "ctrl" in it, no key
constexpr uint32_t ID_SYNCHRONIZE = 32909;
constexpr uint32_t ID_BACKUP = 32918;

CShortcutKey Ctrl(uint16_t code)
{
    return CShortcutKey(code, SKM_CONTROL);
}

void LoadDefaults(CKeyboardMappingScheme& scheme)
{
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_FOLDERS, QStringLiteral("File.Folders"), Ctrl('F')));
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_COPY, QStringLiteral("Edit.Copy"), Ctrl('C')));
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_PASTE, QStringLiteral("Edit.Paste"), Ctrl('V')));
    scheme.AddKeyboardShortcut(
        CKeyboardShortcut(ID_DELETE, QStringLiteral("Edit.Delete"), CShortcutKey(0x2E, SKM_EXTENDED)));
    scheme.AddKeyboardShortcut(
        CKeyboardShortcut(ID_CONTROL_PANEL, QStringLiteral("View.CtrlPanel"), CShortcutKey()));
    scheme.AddKeyboardShortcut(
        CKeyboardShortcut(ID_SYNCHRONIZE, QStringLiteral("Tools.Synchronize"), CShortcutKey(0x76, 0)));
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_BACKUP, QStringLiteral("Tools.Backup"), CShortcutKey()));
}

class KeyboardShortcutListCtrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_scheme.LoadDefaultMappingScheme();
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_list.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        ASSERT_EQ(m_list.AddKeyboardMappingScheme(&m_scheme), 0);
        ASSERT_TRUE(m_list.LoadKeyboardMappingScheme(0));
        m_list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_COMMAND, true);
        m_list.resize(400, 300);
    }

    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_list.GetItemCount(); ++row)
            texts.append(m_list.GetListModel()->GetItemText(row, column));
        return texts;
    }
    CShortcutKey KeyOf(uint32_t commandId) const
    {
        std::vector<CKeyboardShortcut> shortcuts;
        m_list.GetKeyboardShortcuts(0, shortcuts);
        for (const CKeyboardShortcut& shortcut : shortcuts) {
            if (shortcut.GetCommandID() == commandId)
                return shortcut.GetShortcutKey();
        }
        return CShortcutKey(0xFFFF, 0xFF);
    }

    CKeyboardMappingScheme m_scheme{QStringLiteral("Main View"), LoadDefaults};
    CKeyboardShortcutListCtrl m_list;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

} // namespace

// Guards the two columns and their sorting: command texts case-sensitively, key names with
// the commands that have a key first when ascending and last when descending.
TEST_F(KeyboardShortcutListCtrlTest, ColumnsAndSorting)
{
    EXPECT_EQ(m_list.GetListModel()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Command"));
    EXPECT_EQ(m_list.GetListModel()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Shortcut Key"));
    EXPECT_EQ(m_list.GetColumnWidth(0), 190);
    EXPECT_EQ(m_list.GetColumnWidth(1), 100);
    EXPECT_EQ(Column(0), (QStringList{"Edit.Copy", "Edit.Delete", "Edit.Paste", "File.Folders",
                                      "Tools.Backup", "Tools.Synchronize", "View.CtrlPanel"}));
    EXPECT_EQ(Column(1), (QStringList{"Ctrl+C", "Del", "Ctrl+V", "Ctrl+F", "", "F7", ""}));

    m_list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY, false);
    EXPECT_EQ(Column(1), (QStringList{"Ctrl+C", "Ctrl+F", "Ctrl+V", "Del", "F7", "", ""}));
    m_list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY, false);
    EXPECT_FALSE(m_list.IsSortAscending());
    EXPECT_EQ(Column(1), (QStringList{"", "", "F7", "Del", "Ctrl+V", "Ctrl+F", "Ctrl+C"}));

    // The selection follows its row through a re-sort.
    m_list.SelectItem(m_list.FindShownCommand(ID_DELETE), true);
    m_list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_COMMAND, true);
    ASSERT_EQ(m_list.GetSelectedItems().size(), 1u);
    EXPECT_EQ(m_list.GetSelectedItems()[0], m_list.FindShownCommand(ID_DELETE));
}

// Guards the filter: "ctrl" shows every command whose key uses Ctrl and the command whose
// name holds those letters; the case of the text does not matter, and an unchanged text
// (ignoring case) leaves the rows alone.
TEST_F(KeyboardShortcutListCtrlTest, FilterMatchesNamesAndKeys)
{
    m_list.Filter(QStringLiteral("ctrl"));
    EXPECT_TRUE(m_list.IsFiltered());
    EXPECT_EQ(Column(0), (QStringList{"Edit.Copy", "Edit.Paste", "File.Folders", "View.CtrlPanel"}));
    EXPECT_EQ(m_list.GetFilteredItemCount(), 4);
    ASSERT_NE(m_list.GetFilteredItem(3), nullptr);
    EXPECT_EQ(m_list.GetFilteredItem(3)->GetKeyboardShortcut().GetCommandID(), ID_CONTROL_PANEL);
    EXPECT_EQ(m_list.GetFilteredItem(4), nullptr);

    m_list.SelectItem(1, true);
    m_list.Filter(QStringLiteral("CTRL"));
    EXPECT_EQ(m_list.GetSelectedItems(), std::vector<int>{1});

    // A re-sort while filtered, then the filter ends: all rows in the new order.
    m_list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_COMMAND, false);
    EXPECT_EQ(Column(0).first(), QStringLiteral("View.CtrlPanel"));
    m_list.Filter(QString());
    EXPECT_FALSE(m_list.IsFiltered());
    EXPECT_EQ(m_list.GetFilteredItemCount(), 0);
    EXPECT_EQ(Column(0), (QStringList{"View.CtrlPanel", "Tools.Synchronize", "Tools.Backup", "File.Folders",
                                      "Edit.Paste", "Edit.Delete", "Edit.Copy"}));

    m_list.Filter(QStringLiteral("f7"));
    EXPECT_EQ(Column(0), QStringList{"Tools.Synchronize"});
    m_list.Filter(QStringLiteral("no such thing"));
    EXPECT_EQ(m_list.GetItemCount(), 0);
}

// Guards the edits of the keyboard page: a key given to a second command leaves the first,
// also while the first is filtered out; Remove clears the selected keys; Reset All brings
// the defaults back without changing the scheme the list was made from.
TEST_F(KeyboardShortcutListCtrlTest, AssignRemoveAndResetKeepOneCommandPerKey)
{
    ASSERT_TRUE(m_list.SetShortcutKey(m_list.FindShownCommand(ID_BACKUP), Ctrl('C')));
    EXPECT_EQ(KeyOf(ID_BACKUP), Ctrl('C'));
    EXPECT_FALSE(KeyOf(ID_COPY).IsKeySet());
    EXPECT_EQ(m_list.GetListModel()->GetItemText(m_list.FindShownCommand(ID_COPY), 1), QString());

    // The holder of F7 is filtered out: the key still leaves it.
    m_list.Filter(QStringLiteral("Folders"));
    ASSERT_TRUE(m_list.SetShortcutKey(0, CShortcutKey(0x76, 0)));
    m_list.Filter(QString());
    EXPECT_FALSE(KeyOf(ID_SYNCHRONIZE).IsKeySet());
    EXPECT_EQ(KeyOf(ID_FOLDERS), CShortcutKey(0x76, 0));
    EXPECT_FALSE(m_list.SetShortcutKey(99, Ctrl('Q')));

    // Clearing by key gives the row that had it; a key nobody has gives -1.
    EXPECT_EQ(m_list.ClearShortcutKey(Ctrl('V')), m_list.FindShownCommand(ID_PASTE));
    EXPECT_EQ(m_list.ClearShortcutKey(Ctrl('V')), -1);

    // Remove on a selection of three rows, two of which have a key.
    m_list.SelectItem(m_list.FindShownCommand(ID_BACKUP), true);
    m_list.selectionModel()->select(m_list.model()->index(m_list.FindShownCommand(ID_DELETE), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_list.selectionModel()->select(m_list.model()->index(m_list.FindShownCommand(ID_PASTE), 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(m_list.GetSelectedItemsAssignedShortcutKeyCount(), 2);
    EXPECT_EQ(m_list.ClearSelectedShortcutKeys(), 3);
    EXPECT_EQ(m_list.GetSelectedItemsAssignedShortcutKeyCount(), 0);
    EXPECT_FALSE(KeyOf(ID_DELETE).IsKeySet());

    // The scheme itself is untouched until someone saves the list's shortcuts.
    CKeyboardShortcut copy;
    ASSERT_TRUE(m_scheme.GetKeyboardShortcutUsingCommandID(ID_COPY, copy));
    EXPECT_EQ(copy.GetShortcutKey(), Ctrl('C'));

    // Sorted by key, the reset re-sorts; every default is back and Backup has none again.
    m_list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY, true);
    m_list.ResetAllKeyboardShortcuts();
    std::vector<CKeyboardShortcut> after;
    ASSERT_TRUE(m_list.GetKeyboardShortcuts(0, after));
    EXPECT_EQ(after, m_scheme.GetKeyboardShortcuts());
    EXPECT_EQ(Column(1), (QStringList{"Ctrl+C", "Ctrl+F", "Ctrl+V", "Del", "F7", "", ""}));
}

// Guards the schemes kept by the list: inserting before the active one keeps it active,
// replacing it shows the new items, and removing it leaves an empty list, not stale rows.
TEST_F(KeyboardShortcutListCtrlTest, SchemesComeAndGo)
{
    CKeyboardMappingScheme other(QStringLiteral("Other"), nullptr);
    other.AddKeyboardShortcut(CKeyboardShortcut(1, QStringLiteral("Other.One"), Ctrl('1')));
    EXPECT_EQ(m_list.InsertKeyboardMappingScheme(0, &other), 0);
    EXPECT_EQ(m_list.InsertKeyboardMappingScheme(5, &other), -1);
    EXPECT_EQ(m_list.InsertKeyboardMappingScheme(0, nullptr), -1);
    EXPECT_EQ(m_list.GetActiveKeyboardMappingSchemeIndex(), 1);
    EXPECT_EQ(m_list.GetItemCount(), 7);

    // Reset All leaves a scheme without defaults as it is.
    m_list.LoadKeyboardMappingScheme(0);
    m_list.SetShortcutKey(0, Ctrl('2'));
    m_list.ResetAllKeyboardShortcuts();
    EXPECT_EQ(Column(1), QStringList{"Ctrl+2"});

    m_list.LoadKeyboardMappingScheme(1);
    ASSERT_TRUE(m_list.SetKeyboardMappingScheme(1, &other));
    EXPECT_EQ(Column(0), QStringList{"Other.One"});
    ASSERT_TRUE(m_list.RemoveKeyboardMappingScheme(1));
    EXPECT_EQ(m_list.GetActiveKeyboardMappingSchemeIndex(), -1);
    EXPECT_EQ(m_list.GetItemCount(), 0);
    EXPECT_EQ(m_list.GetKeyboardMappingSchemeCount(), 1);
    EXPECT_FALSE(m_list.RemoveKeyboardMappingScheme(1));
    EXPECT_EQ(m_list.GetKeyboardMappingScheme(0), &other);

    // Long command names widen the column from its default width, not from a chosen one.
    const QString longName = QString(25, QLatin1Char('W'));
    CKeyboardMappingScheme longNames(QStringLiteral("Long"), nullptr);
    longNames.AddKeyboardShortcut(CKeyboardShortcut(1, longName, CShortcutKey()));
    CKeyboardShortcutListCtrl wide;
    wide.AddKeyboardMappingScheme(&longNames);
    EXPECT_GT(wide.GetColumnWidth(0), wide.fontMetrics().horizontalAdvance(longName));
    CKeyboardShortcutListCtrl chosen;
    chosen.SetQVColumnWidth(CKeyboardShortcutListCtrl::COLUMN_COMMAND, 150);
    chosen.AddKeyboardMappingScheme(&longNames);
    EXPECT_EQ(chosen.GetColumnWidth(0), 150);
}
