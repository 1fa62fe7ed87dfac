#include "qvsystem/controls/KeyboardShortcutListCtrl.h"

#include "qvsystem/platform/StringTable.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <map>

QString CKeyboardShortcutVirtualListCtrlItem::GetItemText(int subItem) const
{
    if (subItem == CKeyboardShortcutListCtrl::COLUMN_COMMAND)
        return m_shortcut.GetCommandText();
    if (subItem == CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY)
        return m_shortcut.GetShortcutKey().GetShortcutKeyName(true);
    return QString();
}

// The rows are the list's shown items.
class CKeyboardShortcutListModel : public CQVListModel {
public:
    int GetItemCount() const override { return static_cast<int>(m_rows.size()); }
    QString GetItemText(int row, int trueColumn) const override
    {
        if (row < 0 || row >= GetItemCount())
            return QString();
        return m_rows[static_cast<size_t>(row)]->GetItemText(trueColumn);
    }

    std::vector<CKeyboardShortcutVirtualListCtrlItem*> m_rows;
};

CKeyboardShortcutListCtrl::CKeyboardShortcutListCtrl(QWidget* parent)
    : CQVListCtrl(parent, new CKeyboardShortcutListModel)
{
    m_pListModel = static_cast<CKeyboardShortcutListModel*>(GetListModel());
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    InsertQVColumn(COLUMN_COMMAND, COLUMN_COMMAND, true, AfxLoadString(IDS_QV_KEYBOARD_COLUMN_COMMAND),
                   LVCFMT_LEFT, DEFAULT_COMMAND_WIDTH);
    InsertQVColumn(COLUMN_SHORTCUT_KEY, COLUMN_SHORTCUT_KEY, true,
                   AfxLoadString(IDS_QV_KEYBOARD_COLUMN_SHORTCUT_KEY), LVCFMT_LEFT,
                   DEFAULT_SHORTCUT_KEY_WIDTH);
}

CKeyboardShortcutListCtrl::~CKeyboardShortcutListCtrl() = default;

std::vector<CKeyboardShortcutVirtualListCtrlItem*>& CKeyboardShortcutListCtrl::Rows()
{
    return m_pListModel->m_rows;
}

const std::vector<CKeyboardShortcutVirtualListCtrlItem*>& CKeyboardShortcutListCtrl::Rows() const
{
    return m_pListModel->m_rows;
}

int CKeyboardShortcutListCtrl::GetDefaultColumnWidth(int trueColumn) const
{
    if (trueColumn == COLUMN_COMMAND)
        return DEFAULT_COMMAND_WIDTH;
    if (trueColumn == COLUMN_SHORTCUT_KEY)
        return DEFAULT_SHORTCUT_KEY_WIDTH;
    return CQVListCtrl::GetDefaultColumnWidth(trueColumn);
}

// ---- Schemes

CKeyboardShortcutListCtrl::ItemList CKeyboardShortcutListCtrl::MakeItems(const CKeyboardMappingScheme& scheme)
{
    ItemList items;
    items.reserve(static_cast<size_t>(scheme.GetKeyboardShortcutCount()));
    for (const CKeyboardShortcut& shortcut : scheme.GetKeyboardShortcuts())
        items.push_back(std::make_unique<CKeyboardShortcutVirtualListCtrlItem>(shortcut));
    return items;
}

int CKeyboardShortcutListCtrl::AddKeyboardMappingScheme(const CKeyboardMappingScheme* scheme)
{
    return InsertKeyboardMappingScheme(GetKeyboardMappingSchemeCount(), scheme);
}

int CKeyboardShortcutListCtrl::InsertKeyboardMappingScheme(int index, const CKeyboardMappingScheme* scheme)
{
    if (!scheme || index < 0 || index > GetKeyboardMappingSchemeCount())
        return -1;
    SchemeEntry entry;
    entry.pScheme = scheme;
    entry.items = MakeItems(*scheme);
    m_schemes.insert(m_schemes.begin() + index, std::move(entry));
    if (m_nActiveScheme >= index)
        ++m_nActiveScheme;
    WidenCommandColumn(*scheme);
    return index;
}

bool CKeyboardShortcutListCtrl::SetKeyboardMappingScheme(int index, const CKeyboardMappingScheme* scheme)
{
    if (!scheme || !IsValidKeyboardMappingSchemeIndex(index))
        return false;
    const bool active = index == m_nActiveScheme;
    if (active) {
        // The rows point into the items about to go.
        m_sorted.clear();
        RebuildShown();
    }
    m_schemes[static_cast<size_t>(index)].pScheme = scheme;
    m_schemes[static_cast<size_t>(index)].items = MakeItems(*scheme);
    if (active)
        LoadKeyboardMappingScheme(index);
    return true;
}

bool CKeyboardShortcutListCtrl::RemoveKeyboardMappingScheme(int index)
{
    if (!IsValidKeyboardMappingSchemeIndex(index))
        return false;
    if (index == m_nActiveScheme) {
        m_nActiveScheme = -1;
        m_sorted.clear();
        RebuildShown();
    } else if (index < m_nActiveScheme) {
        --m_nActiveScheme;
    }
    m_schemes.erase(m_schemes.begin() + index);
    return true;
}

const CKeyboardMappingScheme* CKeyboardShortcutListCtrl::GetKeyboardMappingScheme(int index) const
{
    return IsValidKeyboardMappingSchemeIndex(index) ? m_schemes[static_cast<size_t>(index)].pScheme : nullptr;
}

bool CKeyboardShortcutListCtrl::GetKeyboardShortcuts(int index,
                                                     std::vector<CKeyboardShortcut>& shortcuts) const
{
    shortcuts.clear();
    if (!IsValidKeyboardMappingSchemeIndex(index))
        return false;
    for (const auto& item : m_schemes[static_cast<size_t>(index)].items)
        shortcuts.push_back(item->GetKeyboardShortcut());
    return true;
}

bool CKeyboardShortcutListCtrl::LoadKeyboardMappingScheme(int index)
{
    if (!IsValidKeyboardMappingSchemeIndex(index))
        return false;
    m_nActiveScheme = index;
    m_sorted.clear();
    for (const auto& item : m_schemes[static_cast<size_t>(index)].items)
        m_sorted.push_back(item.get());
    SortActive();
    RebuildShown();
    return true;
}

void CKeyboardShortcutListCtrl::WidenCommandColumn(const CKeyboardMappingScheme& scheme)
{
    // Only a column still at its default width: a width the user chose stays.
    if (GetQVColumnWidth(COLUMN_COMMAND) != DEFAULT_COMMAND_WIDTH)
        return;
    int widest = 0;
    for (const CKeyboardShortcut& shortcut : scheme.GetKeyboardShortcuts())
        widest = std::max(widest, fontMetrics().horizontalAdvance(shortcut.GetCommandText()));
    const int needed = widest + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    if (needed > DEFAULT_COMMAND_WIDTH)
        SetQVColumnWidth(COLUMN_COMMAND, std::min(needed, 2 * DEFAULT_COMMAND_WIDTH));
}

// ---- Sorting and filtering

void CKeyboardShortcutListCtrl::SortActive()
{
    const int column = GetSortColumn();
    if (column != COLUMN_COMMAND && column != COLUMN_SHORTCUT_KEY)
        return;
    const bool ascending = IsSortAscending();
    auto less = [column](const CKeyboardShortcutVirtualListCtrlItem* a,
                         const CKeyboardShortcutVirtualListCtrlItem* b) {
        if (column == COLUMN_SHORTCUT_KEY) {
            const bool aKey = a->GetKeyboardShortcut().IsShortcutKeySet();
            const bool bKey = b->GetKeyboardShortcut().IsShortcutKeySet();
            if (aKey != bKey)
                return aKey; // keys before no key
        }
        return a->GetItemText(column).compare(b->GetItemText(column), Qt::CaseSensitive) < 0;
    };
    if (ascending)
        std::stable_sort(m_sorted.begin(), m_sorted.end(), less);
    else
        std::stable_sort(m_sorted.begin(), m_sorted.end(),
                         [&less](const auto* a, const auto* b) { return less(b, a); });
}

bool CKeyboardShortcutListCtrl::Passes(const CKeyboardShortcutVirtualListCtrlItem& item) const
{
    if (m_strFilter.isEmpty())
        return true;
    return item.GetItemText(COLUMN_COMMAND).contains(m_strFilter, Qt::CaseInsensitive) ||
           item.GetItemText(COLUMN_SHORTCUT_KEY).contains(m_strFilter, Qt::CaseInsensitive);
}

void CKeyboardShortcutListCtrl::RebuildShown()
{
    // Only a pause of its own is restored: a list whose updates are off because its window's
    // are (a page being shown) must not keep them off once the window turns them on again.
    const bool updates = !testAttribute(Qt::WA_ForceUpdatesDisabled);
    setUpdatesEnabled(false);
    Rows().clear();
    for (CKeyboardShortcutVirtualListCtrlItem* item : m_sorted) {
        if (Passes(*item))
            Rows().push_back(item);
    }
    m_pListModel->ResetItems();
    setUpdatesEnabled(updates);
}

bool CKeyboardShortcutListCtrl::SortItems(int trueColumn, bool ascending, bool force)
{
    if (trueColumn != COLUMN_COMMAND && trueColumn != COLUMN_SHORTCUT_KEY)
        return false;
    if (!force && trueColumn == GetSortColumn() && ascending == IsSortAscending())
        return true;
    SetSortColumn(trueColumn);
    SetSortAscending(ascending);
    SortActive();
    // The rows keep their items (and so their selection) through the new order.
    std::vector<CKeyboardShortcutVirtualListCtrlItem*> shown;
    for (CKeyboardShortcutVirtualListCtrlItem* item : m_sorted) {
        if (Passes(*item))
            shown.push_back(item);
    }
    if (shown.size() != Rows().size()) {
        Rows() = std::move(shown);
        m_pListModel->ResetItems();
        return true;
    }
    std::map<const CKeyboardShortcutVirtualListCtrlItem*, int> newRow;
    for (size_t row = 0; row < shown.size(); ++row)
        newRow[shown[row]] = static_cast<int>(row);
    std::vector<int> newRowOfOldRow(Rows().size());
    for (size_t row = 0; row < Rows().size(); ++row)
        newRowOfOldRow[row] = newRow[Rows()[row]];
    Rows() = std::move(shown);
    m_pListModel->ReorderItems(newRowOfOldRow);
    return true;
}

void CKeyboardShortcutListCtrl::Filter(const QString& text)
{
    if (text.compare(m_strFilter, Qt::CaseInsensitive) == 0)
        return;
    m_strFilter = text;
    RebuildShown();
}

const CKeyboardShortcutVirtualListCtrlItem* CKeyboardShortcutListCtrl::GetFilteredItem(int index) const
{
    return IsValidFilteredItemIndex(index) ? Rows()[static_cast<size_t>(index)] : nullptr;
}

// ---- Keys

bool CKeyboardShortcutListCtrl::GetShownShortcut(int shownIndex, CKeyboardShortcut& shortcut) const
{
    if (shownIndex < 0 || shownIndex >= static_cast<int>(Rows().size()))
        return false;
    shortcut = Rows()[static_cast<size_t>(shownIndex)]->GetKeyboardShortcut();
    return true;
}

int CKeyboardShortcutListCtrl::FindShownCommand(uint32_t commandId) const
{
    for (size_t row = 0; row < Rows().size(); ++row) {
        if (Rows()[row]->GetKeyboardShortcut().GetCommandID() == commandId)
            return static_cast<int>(row);
    }
    return -1;
}

int CKeyboardShortcutListCtrl::ShownIndexOf(const CKeyboardShortcutVirtualListCtrlItem* item) const
{
    const auto found = std::find(Rows().begin(), Rows().end(), item);
    return found == Rows().end() ? -1 : static_cast<int>(found - Rows().begin());
}

CKeyboardShortcutVirtualListCtrlItem* CKeyboardShortcutListCtrl::TakeKeyFromActive(const CShortcutKey& key)
{
    if (!key.IsKeySet() || !IsValidKeyboardMappingSchemeIndex(m_nActiveScheme))
        return nullptr;
    CKeyboardShortcutVirtualListCtrlItem* holder = nullptr;
    for (const auto& item : m_schemes[static_cast<size_t>(m_nActiveScheme)].items) {
        if (item->GetKeyboardShortcut().GetShortcutKey().IsSameAccelerator(key)) {
            item->GetKeyboardShortcut().ClearShortcutKey();
            holder = item.get();
        }
    }
    return holder;
}

void CKeyboardShortcutListCtrl::KeysChanged(
    const std::vector<const CKeyboardShortcutVirtualListCtrlItem*>& changed)
{
    if (GetSortColumn() == COLUMN_SHORTCUT_KEY) {
        SortItems(COLUMN_SHORTCUT_KEY, IsSortAscending(), true);
        return;
    }
    for (const CKeyboardShortcutVirtualListCtrlItem* item : changed) {
        const int row = ShownIndexOf(item);
        if (row >= 0)
            m_pListModel->UpdateItems(row, row);
    }
}

bool CKeyboardShortcutListCtrl::SetShortcutKey(int shownIndex, const CShortcutKey& key)
{
    if (shownIndex < 0 || shownIndex >= static_cast<int>(Rows().size()))
        return false;
    CKeyboardShortcutVirtualListCtrlItem* item = Rows()[static_cast<size_t>(shownIndex)];
    const CKeyboardShortcutVirtualListCtrlItem* previous = TakeKeyFromActive(key);
    item->GetKeyboardShortcut().SetShortcutKey(key);
    KeysChanged({previous, item});
    return true;
}

int CKeyboardShortcutListCtrl::ClearShortcutKey(const CShortcutKey& key)
{
    const CKeyboardShortcutVirtualListCtrlItem* holder = TakeKeyFromActive(key);
    if (!holder)
        return -1;
    KeysChanged({holder});
    return ShownIndexOf(holder);
}

bool CKeyboardShortcutListCtrl::ClearShortcutKey(int shownIndex, bool resort)
{
    if (shownIndex < 0 || shownIndex >= static_cast<int>(Rows().size()))
        return false;
    CKeyboardShortcutVirtualListCtrlItem* item = Rows()[static_cast<size_t>(shownIndex)];
    item->GetKeyboardShortcut().ClearShortcutKey();
    if (resort && GetSortColumn() == COLUMN_SHORTCUT_KEY)
        SortItems(COLUMN_SHORTCUT_KEY, IsSortAscending(), true);
    else
        m_pListModel->UpdateItems(shownIndex, shownIndex);
    return true;
}

int CKeyboardShortcutListCtrl::ClearSelectedShortcutKeys()
{
    const std::vector<int> rows = GetSelectedItems();
    std::vector<const CKeyboardShortcutVirtualListCtrlItem*> changed;
    for (int row : rows) {
        if (row < 0 || row >= static_cast<int>(Rows().size()))
            continue;
        Rows()[static_cast<size_t>(row)]->GetKeyboardShortcut().ClearShortcutKey();
        changed.push_back(Rows()[static_cast<size_t>(row)]);
    }
    if (!changed.empty())
        KeysChanged(changed);
    return static_cast<int>(rows.size());
}

int CKeyboardShortcutListCtrl::GetSelectedItemsAssignedShortcutKeyCount() const
{
    int count = 0;
    for (int row : GetSelectedItems()) {
        if (row >= 0 && row < static_cast<int>(Rows().size()) &&
            Rows()[static_cast<size_t>(row)]->GetKeyboardShortcut().IsShortcutKeySet())
            ++count;
    }
    return count;
}

void CKeyboardShortcutListCtrl::ResetAllKeyboardShortcuts()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool updates = !testAttribute(Qt::WA_ForceUpdatesDisabled);
    setUpdatesEnabled(false);
    for (SchemeEntry& entry : m_schemes) {
        const LOADDEFAULTMAPPINGSCHEMEFUNCTION loadDefault =
            entry.pScheme->GetLoadDefaultMappingSchemeFunction();
        if (!loadDefault)
            continue;
        CKeyboardMappingScheme defaults(entry.pScheme->GetName(), loadDefault);
        defaults.LoadDefaultMappingScheme();
        std::vector<CShortcutKey> given;
        for (const auto& item : entry.items) {
            CKeyboardShortcut standard;
            if (defaults.GetKeyboardShortcutUsingCommandID(item->GetKeyboardShortcut().GetCommandID(),
                                                           standard)) {
                item->GetKeyboardShortcut().SetShortcutKey(standard.GetShortcutKey());
                if (standard.IsShortcutKeySet())
                    given.push_back(standard.GetShortcutKey());
            }
        }
        // Items the defaults do not name keep their keys, unless a default key went to
        // another item: one key, one command.
        for (const auto& item : entry.items) {
            CKeyboardShortcut standard;
            if (defaults.GetKeyboardShortcutUsingCommandID(item->GetKeyboardShortcut().GetCommandID(),
                                                           standard))
                continue;
            const CShortcutKey& key = item->GetKeyboardShortcut().GetShortcutKey();
            if (std::any_of(given.begin(), given.end(),
                            [&key](const CShortcutKey& other) { return other.IsSameAccelerator(key); }))
                item->GetKeyboardShortcut().ClearShortcutKey();
        }
    }
    if (GetSortColumn() == COLUMN_SHORTCUT_KEY)
        SortItems(COLUMN_SHORTCUT_KEY, IsSortAscending(), true);
    else if (!Rows().empty())
        m_pListModel->UpdateItems(0, static_cast<int>(Rows().size()) - 1);
    setUpdatesEnabled(updates);
    QApplication::restoreOverrideCursor();
}
