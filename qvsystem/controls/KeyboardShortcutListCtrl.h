#pragma once
// The editable list of keyboard shortcuts behind the keyboard options: the commands of one
// or more schemes with their keys, in the columns "Command" and "Shortcut Key", filtered by
// a text and sorted by either column.
//
// The list works on items made from each scheme's entries (the schemes themselves are only
// read): assigning and clearing keys changes the items, and whoever saves reads them back
// with GetKeyboardShortcuts. Within a scheme no key is held by two items. Rows are virtual:
// the model formats each text from the item it shows.

#include "qvsystem/controls/KeyboardMappingScheme.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVListModel.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <memory>
#include <vector>

// Texts of qvsystem's table.
inline constexpr unsigned IDS_QV_KEYBOARD_COLUMN_COMMAND = 22913;      // "Command"
inline constexpr unsigned IDS_QV_KEYBOARD_COLUMN_SHORTCUT_KEY = 22914; // "Shortcut Key"

// One row: a shortcut; sub-item 0 is its command text, 1 its key's display name.
class QVSYSTEM_EXPORT CKeyboardShortcutVirtualListCtrlItem {
public:
    explicit CKeyboardShortcutVirtualListCtrlItem(const CKeyboardShortcut& shortcut) : m_shortcut(shortcut) {}

    QString GetItemText(int subItem) const;
    const CKeyboardShortcut& GetKeyboardShortcut() const { return m_shortcut; }
    CKeyboardShortcut& GetKeyboardShortcut() { return m_shortcut; }

private:
    CKeyboardShortcut m_shortcut;
};

class CKeyboardShortcutListModel;

class QVSYSTEM_EXPORT CKeyboardShortcutListCtrl : public CQVListCtrl {
    Q_OBJECT

public:
    static constexpr int COLUMN_COMMAND = 0;
    static constexpr int COLUMN_SHORTCUT_KEY = 1;
    static constexpr int DEFAULT_COMMAND_WIDTH = 190;
    static constexpr int DEFAULT_SHORTCUT_KEY_WIDTH = 100;

    explicit CKeyboardShortcutListCtrl(QWidget* parent = nullptr);
    ~CKeyboardShortcutListCtrl() override;

    // ---- Schemes (not owned; each must outlive its place in the list) ----

    // Appends the scheme with items made from its entries; its index.
    int AddKeyboardMappingScheme(const CKeyboardMappingScheme* scheme);
    // -1 for a null scheme or an index outside 0..count.
    int InsertKeyboardMappingScheme(int index, const CKeyboardMappingScheme* scheme);
    // Replaces the scheme and remakes its items (shown again when it is the active one).
    bool SetKeyboardMappingScheme(int index, const CKeyboardMappingScheme* scheme);
    // The active scheme going leaves no scheme active and the list empty.
    bool RemoveKeyboardMappingScheme(int index);
    int GetKeyboardMappingSchemeCount() const { return static_cast<int>(m_schemes.size()); }
    bool IsValidKeyboardMappingSchemeIndex(int index) const
    {
        return index >= 0 && index < GetKeyboardMappingSchemeCount();
    }
    const CKeyboardMappingScheme* GetKeyboardMappingScheme(int index) const;
    // The shortcuts as the list holds them now (keys assigned, cleared or reset), in the
    // scheme's order.
    bool GetKeyboardShortcuts(int index, std::vector<CKeyboardShortcut>& shortcuts) const;

    // Shows the scheme's items, filtered and sorted as the list is.
    bool LoadKeyboardMappingScheme(int index);
    int GetActiveKeyboardMappingSchemeIndex() const { return m_nActiveScheme; }

    // ---- Filter ----

    // Shows only the items whose command text or key name contains the text, ignoring
    // case; the empty text shows all. A text equal (ignoring case) to the current one does
    // nothing.
    void Filter(const QString& text);
    bool IsFiltered() const { return !m_strFilter.isEmpty(); }
    const QString& GetFilterText() const { return m_strFilter; }
    int GetFilteredItemCount() const { return IsFiltered() ? static_cast<int>(Rows().size()) : 0; }
    bool IsValidFilteredItemIndex(int index) const { return index >= 0 && index < GetFilteredItemCount(); }
    const CKeyboardShortcutVirtualListCtrlItem* GetFilteredItem(int index) const;

    // ---- Shown items ----

    // The shortcut of a shown row; false outside the rows.
    bool GetShownShortcut(int shownIndex, CKeyboardShortcut& shortcut) const;
    // The shown row of the command, -1 when it is not shown.
    int FindShownCommand(uint32_t commandId) const;

    // Gives the key to the shown item and takes it from whichever item of the scheme had
    // it; false outside the rows.
    bool SetShortcutKey(int shownIndex, const CShortcutKey& key);
    // Takes the key from the item of the active scheme that has it; that item's shown row,
    // -1 when none has it or it is filtered out.
    int ClearShortcutKey(const CShortcutKey& key);
    // Clears the shown item's key; with resort the list re-sorts when sorted by the key
    // column.
    bool ClearShortcutKey(int shownIndex, bool resort);
    // Clears the keys of the selected rows; how many rows were selected.
    int ClearSelectedShortcutKeys();
    int GetSelectedItemsAssignedShortcutKeyCount() const;
    // Every scheme with a default-scheme function: each item whose command the defaults
    // hold takes the default key (or none); the others keep theirs unless a default key
    // went to another item.
    void ResetAllKeyboardShortcuts();

    // ---- CQVListCtrl ----

    int GetDefaultColumnWidth(int trueColumn) const override;
    // By command text or key name (case-sensitive); ascending puts keys before no key.
    bool SortItems(int trueColumn, bool ascending, bool force) override;

private:
    using ItemList = std::vector<std::unique_ptr<CKeyboardShortcutVirtualListCtrlItem>>;
    struct SchemeEntry {
        const CKeyboardMappingScheme* pScheme = nullptr;
        ItemList items;
    };

    static ItemList MakeItems(const CKeyboardMappingScheme& scheme);
    // Makes the command column, while at its default width, wide enough for the names.
    void WidenCommandColumn(const CKeyboardMappingScheme& scheme);
    bool Passes(const CKeyboardShortcutVirtualListCtrlItem& item) const;
    // The active scheme's items in the sort order, then the shown ones.
    void SortActive();
    void RebuildShown();
    // After a key changed: re-sort when sorted by the key column, else redraw the rows.
    void KeysChanged(const std::vector<const CKeyboardShortcutVirtualListCtrlItem*>& changed);
    int ShownIndexOf(const CKeyboardShortcutVirtualListCtrlItem* item) const;
    CKeyboardShortcutVirtualListCtrlItem* TakeKeyFromActive(const CShortcutKey& key);
    // The rows: the shown items, kept by the model (which the base class asks for rows
    // before this class is built).
    std::vector<CKeyboardShortcutVirtualListCtrlItem*>& Rows();
    const std::vector<CKeyboardShortcutVirtualListCtrlItem*>& Rows() const;

    CKeyboardShortcutListModel* m_pListModel;
    std::vector<SchemeEntry> m_schemes;
    int m_nActiveScheme = -1;
    QString m_strFilter;
    std::vector<CKeyboardShortcutVirtualListCtrlItem*> m_sorted; // the active scheme's items
};
