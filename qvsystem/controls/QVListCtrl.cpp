#include "qvsystem/controls/QVListCtrl.h"

#include "qvsystem/controls/ColumnsDlg.h"
#include "qvsystem/controls/QVScrollBar.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ProfileValues.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace {

const QString& ColumnsKey()
{
    static const QString key = QStringLiteral("Columns");
    return key;
}

QString ColumnKey(int column)
{
    return ColumnsKey() + QStringLiteral("\\Column %1").arg(column);
}

// Merged row ranges [top, bottom] of a selection, ascending.
std::vector<std::pair<int, int>> SelectedRowRanges(const QItemSelectionModel* selection)
{
    std::vector<std::pair<int, int>> ranges;
    if (!selection)
        return ranges;
    for (const QItemSelectionRange& range : selection->selection()) {
        if (range.isValid())
            ranges.emplace_back(range.top(), range.bottom());
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

bool IsBlockableButton(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::MiddleButton || button == Qt::RightButton;
}

} // namespace

CQVListCtrl::CQVListCtrl(QWidget* parent, CQVListModel* model) : QTreeView(parent)
{
    // Bars that repaint a relayout's unchanged picture cheaply. The scroll area connects its
    // own scrolling to a new bar, but the view's slots only to the bars it started with.
    setVerticalScrollBar(new CQVScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new CQVScrollBar(Qt::Horizontal, this));
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, this,
            &CQVListCtrl::verticalScrollbarValueChanged);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            &CQVListCtrl::verticalScrollbarAction);
    connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this,
            &CQVListCtrl::horizontalScrollbarValueChanged);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
            &CQVListCtrl::horizontalScrollbarAction);

    m_pModel = model ? model : new CQVStoredListModel(this);
    m_pModel->setParent(this);

    m_pHeader = new CQVListCtrlHeaderCtrl(this);
    setHeader(m_pHeader);
    setModel(m_pModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The view's own sorting would take the header's clicks (and turns clicking off).
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);
    m_pHeader->setSectionsMovable(true);
    m_pHeader->setFirstSectionMovable(true);
    m_pHeader->setSectionsClickable(true);
    m_pHeader->setStretchLastSection(false);
    m_pHeader->setSortIndicatorShown(false);
    m_pHeader->setSectionResizeMode(QHeaderView::Interactive);
    m_pHeader->setDefaultSectionSize(DEFAULT_COLUMN_WIDTH);

    m_crEmptyText = palette().color(QPalette::Disabled, QPalette::Text);
    UpdateFonts();

    connect(m_pHeader, &CSortHeaderCtrl::HeaderItemClicked, this,
            [this](int item, Qt::MouseButton button) { OnHeaderItemClick(item, button); });
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, [this] { OnRowsChanged(); });
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, [this] { OnRowsChanged(); });
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] { OnRowsChanged(); });
    connect(m_pModel, &QAbstractItemModel::columnsInserted, this, [this] { ExpandSelectionToRows(); });
    m_bWasEmpty = GetItemCount() == 0;
}

CQVListCtrl::~CQVListCtrl() = default;

bool CQVListCtrl::Create(const QRect& rect, QWidget* parent, int id)
{
    setParent(parent);
    setGeometry(rect);
    setObjectName(QString::number(id));
    return true;
}

CQVStoredListModel* CQVListCtrl::GetStoredModel() const
{
    return qobject_cast<CQVStoredListModel*>(m_pModel);
}

// --- Virtual operations

int CQVListCtrl::GetDefaultColumnWidth(int) const
{
    return DEFAULT_COLUMN_WIDTH;
}

void CQVListCtrl::LoadDefaultColumnWidths()
{
    for (int inserted = 0; inserted < GetInsertedColumnCount(); ++inserted)
        SetColumnWidth(inserted, LVSCW_AUTOSIZE_USEHEADER);
}

bool CQVListCtrl::SortItems(int, bool, bool)
{
    return false;
}

int CQVListCtrl::MoveSelectedItemUp()
{
    if (!CanMoveSelectedItemUp())
        return -1;
    const int from = GetSingleSelectionItem();
    if (!m_pModel->MoveItem(from, from - 1))
        return -1;
    scrollTo(m_pModel->index(from - 1, 0));
    return from - 1;
}

int CQVListCtrl::MoveSelectedItemDown()
{
    if (!CanMoveSelectedItemDown())
        return -1;
    const int from = GetSingleSelectionItem();
    if (!m_pModel->MoveItem(from, from + 1))
        return -1;
    scrollTo(m_pModel->index(from + 1, 0));
    return from + 1;
}

bool CQVListCtrl::CanQVColumnBeHidden(int) const
{
    return GetInsertedColumnCount() > 1;
}

void CQVListCtrl::OnHeaderContextMenu(int, int, const QPoint& screenPoint)
{
    if (m_mapColumns.empty())
        return;
    QMenu menu(this);
    for (const auto& [trueColumn, column] : m_mapColumns) {
        QAction* action = menu.addAction(column.strHeading);
        action->setData(ID_QV_HEADER_COLUMN_FIRST + trueColumn);
        action->setCheckable(true);
        const bool visible = IsQVColumnVisible(trueColumn);
        action->setChecked(visible);
        if (visible && !CanQVColumnBeHidden(trueColumn))
            action->setEnabled(false);
    }
    menu.addSeparator();
    menu.addAction(AfxLoadString(IDS_QV_COLUMNS_MENU))->setData(ID_QV_HEADER_COLUMNS);

    const QAction* chosen = menu.exec(screenPoint);
    const int command = chosen ? chosen->data().toInt() : 0;
    if (command >= ID_QV_HEADER_COLUMN_FIRST && command <= ID_QV_HEADER_COLUMN_LAST) {
        const int trueColumn = command - ID_QV_HEADER_COLUMN_FIRST;
        ShowQVColumn(trueColumn, !IsQVColumnVisible(trueColumn));
    } else if (command == ID_QV_HEADER_COLUMNS) {
        EditColumns();
    }
}

void CQVListCtrl::OnDeleteSortColumn(int, int, int)
{
    SortItems(GetLeftToRightTrueColumn(0), true, false);
}

void CQVListCtrl::OnHeaderItemClick(int insertedColumn, Qt::MouseButton button)
{
    if (button != Qt::LeftButton || m_bHeaderSortBlocked)
        return;
    const int trueColumn = GetTrueColumn(insertedColumn);
    if (trueColumn < 0)
        return;
    SortItemsByColumn(trueColumn, false);
}

// --- Declared columns

int CQVListCtrl::InsertViewColumnAt(int insertedColumn, int trueColumn, const QString& heading, int format,
                                    int width)
{
    const int inserted = m_pModel->InsertViewColumn(insertedColumn, trueColumn, heading, format);
    if (inserted < 0)
        return -1;
    // A new column is displayed at the place of its inserted index.
    const int visual = m_pHeader->visualIndex(inserted);
    if (visual >= 0 && visual != inserted)
        m_pHeader->moveSection(visual, inserted);
    SetColumnWidth(inserted, width >= 0 ? width : GetDefaultColumnWidth(GetTrueColumn(inserted)));
    return inserted;
}

int CQVListCtrl::InsertQVColumn(int position, int trueColumn, bool visible, const QString& heading,
                                int format, int width, int subItem)
{
    if (trueColumn < 0 || position < 0 || DoesTrueColumnExist(trueColumn))
        return -1;
    int inserted = -1;
    if (visible) {
        inserted = InsertViewColumnAt(position, trueColumn, heading, format, width);
        if (inserted < 0)
            return -1;
    }
    QVCOLUMN column;
    column.nPosition = visible ? position : -1;
    column.nTrueColumn = trueColumn;
    column.bVisible = visible ? 1 : 0;
    column.strHeading = heading;
    column.nFormat = format;
    column.nWidth = width;
    column.nSubItem = subItem;
    m_mapColumns[trueColumn] = column;
    return inserted;
}

int CQVListCtrl::InsertQVColumn(int position, const QVCOLUMN& column)
{
    return InsertQVColumn(position, column.nTrueColumn, column.bVisible != 0, column.strHeading,
                          column.nFormat, column.nWidth, column.nSubItem);
}

bool CQVListCtrl::DeleteQVColumn(int insertedColumn)
{
    if (insertedColumn < 0 || insertedColumn >= GetInsertedColumnCount())
        return false;
    const bool declared = m_pModel->IsViewColumnDeclared(insertedColumn);
    const int trueColumn = GetTrueColumn(insertedColumn);
    if (!m_pModel->RemoveViewColumn(insertedColumn))
        return false;
    if (declared)
        m_mapColumns.erase(trueColumn);
    return true;
}

void CQVListCtrl::HideColumnFromView(int trueColumn, bool notifySort)
{
    auto found = m_mapColumns.find(trueColumn);
    const int inserted = GetInsertedColumn(trueColumn);
    if (found == m_mapColumns.end() || inserted < 0)
        return;
    const int position = GetColumnSortOrder(inserted);
    found->second.nPosition = position;
    found->second.nWidth = GetColumnWidth(inserted);
    m_pModel->RemoveViewColumn(inserted);
    found->second.bVisible = 0;
    if (notifySort && trueColumn == m_nSortColumn)
        OnDeleteSortColumn(inserted, trueColumn, position);
}

bool CQVListCtrl::ShowQVColumn(int trueColumn, bool show)
{
    auto found = m_mapColumns.find(trueColumn);
    if (found == m_mapColumns.end())
        return false;
    if (IsQVColumnVisible(trueColumn) == show)
        return true;
    if (!show) {
        HideColumnFromView(trueColumn, true);
        return true;
    }
    QVCOLUMN& column = found->second;
    const int count = GetInsertedColumnCount();
    const int at = column.nPosition >= 0 && column.nPosition <= count ? column.nPosition : count;
    if (InsertViewColumnAt(at, trueColumn, column.strHeading, column.nFormat, column.nWidth) < 0)
        return false;
    column.bVisible = 1;
    return true;
}

bool CQVListCtrl::IsQVColumnVisible(int trueColumn) const
{
    return DoesTrueColumnExist(trueColumn) && GetInsertedColumn(trueColumn) >= 0;
}

bool CQVListCtrl::GetQVColumn(int trueColumn, QVCOLUMN& column) const
{
    const auto found = m_mapColumns.find(trueColumn);
    if (found == m_mapColumns.end())
        return false;
    column = found->second;
    const int inserted = GetInsertedColumn(trueColumn);
    if (inserted >= 0) {
        column.nWidth = GetColumnWidth(inserted);
        column.nOrder = GetColumnSortOrder(inserted);
    }
    return true;
}

int CQVListCtrl::GetQVColumnWidth(int trueColumn) const
{
    const auto found = m_mapColumns.find(trueColumn);
    if (found == m_mapColumns.end())
        return -1;
    const int inserted = GetInsertedColumn(trueColumn);
    return inserted >= 0 ? GetColumnWidth(inserted) : found->second.nWidth;
}

bool CQVListCtrl::SetQVColumnWidth(int trueColumn, int width)
{
    auto found = m_mapColumns.find(trueColumn);
    if (found == m_mapColumns.end())
        return false;
    const int inserted = GetInsertedColumn(trueColumn);
    if (inserted >= 0)
        return SetColumnWidth(inserted, width);
    if (width < 0)
        return false;
    found->second.nWidth = width;
    return true;
}

int CQVListCtrl::GetTrueColumn(int insertedColumn) const
{
    return m_pModel->GetViewColumnTrueColumn(insertedColumn);
}

int CQVListCtrl::GetInsertedColumn(int trueColumn) const
{
    if (trueColumn < 0)
        return -1;
    if (m_mapColumns.empty())
        return trueColumn < GetInsertedColumnCount() ? trueColumn : -1;
    return m_pModel->FindViewColumn(trueColumn);
}

int CQVListCtrl::GetLeftToRightColumn(int position) const
{
    if (position < 0 || position >= GetInsertedColumnCount())
        return -1;
    return m_pHeader->logicalIndex(position);
}

int CQVListCtrl::GetLeftToRightTrueColumn(int position) const
{
    return GetTrueColumn(GetLeftToRightColumn(position));
}

int CQVListCtrl::GetColumnSortOrder(int insertedColumn) const
{
    if (insertedColumn < 0 || insertedColumn >= GetInsertedColumnCount())
        return -1;
    return m_pHeader->visualIndex(insertedColumn);
}

int CQVListCtrl::GetTrueColumnCount() const
{
    return m_mapColumns.empty() ? GetInsertedColumnCount() : static_cast<int>(m_mapColumns.size());
}

int CQVListCtrl::GetInsertedColumnCount() const
{
    return m_pModel->GetViewColumnCount();
}

int CQVListCtrl::GetMaxTrueColumn() const
{
    return m_mapColumns.empty() ? GetInsertedColumnCount() - 1 : m_mapColumns.rbegin()->first;
}

bool CQVListCtrl::DoesTrueColumnExist(int trueColumn) const
{
    return m_mapColumns.count(trueColumn) != 0;
}

std::vector<int> CQVListCtrl::GetTrueColumns() const
{
    std::vector<int> columns;
    columns.reserve(m_mapColumns.size());
    for (const auto& entry : m_mapColumns)
        columns.push_back(entry.first);
    return columns;
}

bool CQVListCtrl::SetColumnAlignment(int insertedColumn, int format)
{
    if (!m_pModel->SetViewColumnFormat(insertedColumn, format))
        return false;
    if (m_pModel->IsViewColumnDeclared(insertedColumn))
        m_mapColumns[GetTrueColumn(insertedColumn)].nFormat = format;
    return true;
}

int CQVListCtrl::EditColumns()
{
    CColumnsDlg dialog(this, window());
    return dialog.exec();
}

// --- View columns

int CQVListCtrl::InsertColumn(int insertedColumn, const QString& heading, int format, int width, int)
{
    return InsertViewColumnAt(insertedColumn, -1, heading, format, width);
}

bool CQVListCtrl::DeleteColumn(int insertedColumn)
{
    if (insertedColumn < 0 || insertedColumn >= GetInsertedColumnCount())
        return false;
    if (m_pModel->IsViewColumnDeclared(insertedColumn)) {
        // The declaration stays, hidden, with the place and width it had.
        HideColumnFromView(GetTrueColumn(insertedColumn), false);
        return true;
    }
    return m_pModel->RemoveViewColumn(insertedColumn);
}

bool CQVListCtrl::SetColumnWidth(int insertedColumn, int width)
{
    if (insertedColumn < 0 || insertedColumn >= GetInsertedColumnCount())
        return false;
    if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
        int fit = sizeHintForColumn(insertedColumn);
        if (width == LVSCW_AUTOSIZE_USEHEADER)
            fit = std::max(fit, m_pHeader->sectionSizeHint(insertedColumn));
        width = std::max(fit, 0);
    }
    if (width < 0)
        return false;
    m_pHeader->resizeSection(insertedColumn, width);
    return true;
}

int CQVListCtrl::GetColumnWidth(int insertedColumn) const
{
    if (insertedColumn < 0 || insertedColumn >= GetInsertedColumnCount())
        return 0;
    return m_pHeader->sectionSize(insertedColumn);
}

std::vector<int> CQVListCtrl::GetColumnOrderArray() const
{
    std::vector<int> order;
    const int count = GetInsertedColumnCount();
    order.reserve(count);
    for (int position = 0; position < count; ++position)
        order.push_back(m_pHeader->logicalIndex(position));
    return order;
}

bool CQVListCtrl::SetColumnOrderArray(const std::vector<int>& order)
{
    const int count = GetInsertedColumnCount();
    if (static_cast<int>(order.size()) != count)
        return false;
    std::vector<char> seen(order.size(), 0);
    for (int inserted : order) {
        if (inserted < 0 || inserted >= count || seen[inserted])
            return false;
        seen[inserted] = 1;
    }
    for (int position = 0; position < count; ++position) {
        const int from = m_pHeader->visualIndex(order[position]);
        if (from != position)
            m_pHeader->moveSection(from, position);
    }
    return true;
}

// --- Sorting

bool CQVListCtrl::SortItemsByColumn(int trueColumn, bool force)
{
    const bool ascending = force || trueColumn != m_nSortColumn || !m_bSortAscending;
    return SortItems(trueColumn, ascending, force);
}

bool CQVListCtrl::SortItemsByDirection(bool ascending, bool force)
{
    return SortItems(m_nSortColumn, ascending, force);
}

bool CQVListCtrl::AutoSortItems()
{
    return SortItems(m_nSortColumn, m_bSortAscending, true);
}

void CQVListCtrl::SetSortColumn(int trueColumn)
{
    m_nSortColumn = trueColumn < 0 ? -1 : trueColumn;
    m_pHeader->viewport()->update();
}

void CQVListCtrl::SetSortAscending(bool ascending)
{
    m_bSortAscending = ascending;
    m_pHeader->viewport()->update();
}

// --- State

int CQVListCtrl::ClampedWidth(int width) const
{
    return std::clamp(width, 0, MAX_COLUMN_WIDTH);
}

template <class Location> bool CQVListCtrl::SaveStateTo(const Location& location, bool stopAtFirstFailure)
{
    bool saved = true;
    const auto write = [&](const QString& key, const char* name, int value) {
        if (!saved && stopAtFirstFailure)
            return;
        if (!AfxWriteProfileDWord(location, key, QString::fromLatin1(name), static_cast<uint32_t>(value)))
            saved = false;
    };
    const int count = GetTrueColumnCount();
    const bool persisted = IsColumnSortOrderPersisted();
    write(ColumnsKey(), "Count", count);
    write(ColumnsKey(), "Sort Column", m_nSortColumn);
    write(ColumnsKey(), "Sort Ascending", m_bSortAscending ? 1 : 0);
    write(ColumnsKey(), "Persist Sort Order", persisted ? 1 : 0);
    for (int column = 0; column < count && (saved || !stopAtFirstFailure); ++column) {
        const QString key = ColumnKey(column);
        write(key, "Width", persisted ? GetQVColumnWidth(column) : GetColumnWidth(column));
        if (persisted)
            write(key, "Sort Order", GetColumnSortOrder(GetInsertedColumn(column)));
    }
    return saved;
}

template <class Location> bool CQVListCtrl::LoadStateFrom(const Location& location)
{
    const auto read = [&](const QString& key, const char* name, int defaultValue) {
        return static_cast<int>(AfxGetProfileDWord(location, key, QString::fromLatin1(name),
                                                   static_cast<uint32_t>(defaultValue)));
    };
    int count = read(ColumnsKey(), "Count", 0);
    const int sortColumn = read(ColumnsKey(), "Sort Column", -1);
    const int sortAscending = read(ColumnsKey(), "Sort Ascending", 1);
    const bool persisted = read(ColumnsKey(), "Persist Sort Order", 0) != 0;

    // The stored count is not trusted: columns this list does not have are never read, so a
    // damaged value neither allocates nor loops for long.
    count = std::clamp(count, 0, GetMaxTrueColumn() + 1);
    if (count == 0) {
        LoadDefaultColumnWidths();
        return true;
    }
    std::vector<int> widths(count, -1);
    std::vector<int> orders(count, -1);
    for (int column = count - 1; column >= 0; --column) {
        widths[column] = read(ColumnKey(column), "Width", -1);
        if (persisted)
            orders[column] = read(ColumnKey(column), "Sort Order", -1);
    }
    // A state without the first column's width is not applied at all.
    if (widths[0] < 0) {
        LoadDefaultColumnWidths();
        return true;
    }

    // The sort state first, so that a stored sort column that the state hides is replaced
    // as if the user had hidden it.
    const bool sortColumnExists = persisted ? DoesTrueColumnExist(sortColumn)
                                            : sortColumn >= 0 && sortColumn < GetInsertedColumnCount();
    SetSortColumn(sortColumnExists ? sortColumn : -1);
    SetSortAscending(sortAscending != 0);

    if (!persisted) {
        for (int column = count - 1; column >= 0; --column) {
            if (widths[column] >= 0)
                SetColumnWidth(column, ClampedWidth(widths[column]));
        }
        return true;
    }

    std::map<int, int> trueColumnAtPosition;
    for (int column = count - 1; column >= 0; --column) {
        if (!DoesTrueColumnExist(column))
            continue;
        if (widths[column] >= 0)
            SetQVColumnWidth(column, ClampedWidth(widths[column]));
        if (orders[column] != -1) {
            trueColumnAtPosition[orders[column]] = column;
            ShowQVColumn(column, true);
        } else if (GetInsertedColumnCount() > 1 || !IsQVColumnVisible(column)) {
            // Never the last shown column: a state that hides everything would leave a list
            // without columns and nothing to click to bring one back.
            ShowQVColumn(column, false);
        }
    }
    if (!trueColumnAtPosition.empty()) {
        std::vector<int> order;
        std::vector<char> placed(GetInsertedColumnCount(), 0);
        for (const auto& [position, trueColumn] : trueColumnAtPosition) {
            const int inserted = GetInsertedColumn(trueColumn);
            if (inserted >= 0 && !placed[inserted]) {
                order.push_back(inserted);
                placed[inserted] = 1;
            }
        }
        // Shown columns that the state placed nowhere (duplicate positions) keep their order
        // after the placed ones.
        for (int inserted : GetColumnOrderArray()) {
            if (!placed[inserted])
                order.push_back(inserted);
        }
        SetColumnOrderArray(order);
    }
    return true;
}

bool CQVListCtrl::SaveState(const QString& subKey)
{
    CRegistryPath path;
    return AfxGetApplicationRegistryPath(subKey, path) && SaveState(path);
}

bool CQVListCtrl::SaveState(const CRegistryPath& path)
{
    if (!path.IsValid() || path.GetSubKey().isEmpty())
        return false;
    return SaveStateTo(path, true);
}

bool CQVListCtrl::SaveState(HKEY key, bool closeKey)
{
    if (key == 0)
        return false;
    const bool saved = SaveStateTo(key, false);
    if (closeKey)
        RegCloseKey(key);
    return saved;
}

bool CQVListCtrl::LoadState(const QString& subKey)
{
    CRegistryPath path;
    if (!AfxGetApplicationRegistryPath(subKey, path)) {
        LoadDefaultColumnWidths();
        return false;
    }
    return LoadState(path);
}

bool CQVListCtrl::LoadState(const CRegistryPath& path)
{
    if (!path.IsValid() || path.GetSubKey().isEmpty()) {
        LoadDefaultColumnWidths();
        return false;
    }
    return LoadStateFrom(path);
}

bool CQVListCtrl::LoadState(HKEY key, bool closeKey)
{
    if (key == 0) {
        LoadDefaultColumnWidths();
        return false;
    }
    const bool loaded = LoadStateFrom(key);
    if (closeKey)
        RegCloseKey(key);
    return loaded;
}

// --- Items and selection

int CQVListCtrl::GetItemCount() const
{
    return m_pModel->rowCount();
}

bool CQVListCtrl::SelectItem(int item, bool focus)
{
    if (item < 0 || item >= GetItemCount() || GetInsertedColumnCount() == 0)
        return false;
    const QModelIndex index = m_pModel->index(item, 0);
    selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (focus)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    return true;
}

int CQVListCtrl::GetSingleSelectionItem() const
{
    const auto ranges = SelectedRowRanges(selectionModel());
    if (ranges.size() == 1 && ranges.front().first == ranges.front().second)
        return ranges.front().first;
    return -1;
}

bool CQVListCtrl::IsItemSelected(int item) const
{
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.isValid() && item >= range.top() && item <= range.bottom())
            return true;
    }
    return false;
}

int CQVListCtrl::GetSelectedCount() const
{
    int count = 0;
    for (const auto& range : SelectedRowRanges(selectionModel()))
        count += range.second - range.first + 1;
    return count;
}

std::vector<int> CQVListCtrl::GetSelectedItems() const
{
    std::vector<int> items;
    for (const auto& range : SelectedRowRanges(selectionModel())) {
        for (int row = range.first; row <= range.second; ++row)
            items.push_back(row);
    }
    return items;
}

void CQVListCtrl::SelectAllItems()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    selectAll();
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

void CQVListCtrl::UnselectAllItems()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    clearSelection();
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

void CQVListCtrl::ExpandSelectionToRows()
{
    // A column inserted beside selected rows is not part of their selection ranges; the rows
    // must stay wholly selected.
    const int lastColumn = GetInsertedColumnCount() - 1;
    if (lastColumn < 0 || !selectionModel())
        return;
    QItemSelection rows;
    for (const auto& range : SelectedRowRanges(selectionModel()))
        rows.select(m_pModel->index(range.first, 0), m_pModel->index(range.second, lastColumn));
    if (!rows.isEmpty())
        selectionModel()->select(rows, QItemSelectionModel::Select);
}

bool CQVListCtrl::HasCheckedItem() const
{
    const int count = GetItemCount();
    for (int item = 0; item < count; ++item) {
        if (m_pModel->GetItemCheck(item))
            return true;
    }
    return false;
}

bool CQVListCtrl::HitTestOnItem(const QPoint& clientPoint) const
{
    return indexAt(clientPoint).isValid();
}

bool CQVListCtrl::CanMoveSelectedItemUp() const
{
    return GetSingleSelectionItem() > 0;
}

bool CQVListCtrl::CanMoveSelectedItemDown() const
{
    const int item = GetSingleSelectionItem();
    return item >= 0 && item < GetItemCount() - 1;
}

void CQVListCtrl::SetCheckBoxes(bool checkBoxes)
{
    m_pModel->SetCheckBoxes(checkBoxes);
}

bool CQVListCtrl::HasCheckBoxes() const
{
    return m_pModel->HasCheckBoxes();
}

int CQVListCtrl::InsertItem(int item, const QString& text)
{
    CQVStoredListModel* stored = GetStoredModel();
    return stored ? stored->InsertItem(item, text) : -1;
}

bool CQVListCtrl::DeleteItem(int item)
{
    CQVStoredListModel* stored = GetStoredModel();
    return stored && stored->DeleteItem(item);
}

bool CQVListCtrl::DeleteAllItems()
{
    CQVStoredListModel* stored = GetStoredModel();
    if (!stored)
        return false;
    stored->DeleteAllItems();
    return true;
}

bool CQVListCtrl::SetItemText(int item, int trueColumn, const QString& text)
{
    CQVStoredListModel* stored = GetStoredModel();
    return stored && stored->SetItemText(item, trueColumn, text);
}

QString CQVListCtrl::GetItemText(int item, int trueColumn) const
{
    return m_pModel->GetItemText(item, trueColumn);
}

bool CQVListCtrl::SetItemData(int item, const QVariant& value)
{
    CQVStoredListModel* stored = GetStoredModel();
    return stored && stored->SetItemDataValue(item, value);
}

QVariant CQVListCtrl::GetItemData(int item) const
{
    CQVStoredListModel* stored = GetStoredModel();
    return stored ? stored->GetItemDataValue(item) : QVariant();
}

bool CQVListCtrl::SetCheck(int item, bool checked)
{
    return m_pModel->SetItemCheck(item, checked);
}

bool CQVListCtrl::GetCheck(int item) const
{
    return m_pModel->GetItemCheck(item);
}

// --- Empty text, shading, view mode, fonts

void CQVListCtrl::SetEmptyText(const QString& text)
{
    m_strEmptyText = text;
    viewport()->update();
}

void CQVListCtrl::SetEmptyTextAlignment(int alignment)
{
    m_nEmptyTextAlignment = std::clamp(alignment, 0, 2);
    viewport()->update();
}

void CQVListCtrl::SetEmptyTextColor(const QColor& colour)
{
    m_crEmptyText = colour;
    viewport()->update();
}

QRect CQVListCtrl::GetEmptyTextRect() const
{
    const int margin = std::max(fontMetrics().height() / 2, 4);
    return viewport()->rect().adjusted(margin, margin, -margin, -margin);
}

void CQVListCtrl::SetRowHighlightColor(const QColor& colour, bool highlight)
{
    m_crRowHighlight = colour;
    m_bRowsHighlighted = highlight && colour.isValid();
    if (m_bRowsHighlighted) {
        QPalette shaded = palette();
        shaded.setColor(QPalette::AlternateBase, colour);
        setPalette(shaded);
    }
    setAlternatingRowColors(m_bRowsHighlighted);
    viewport()->update();
}

void CQVListCtrl::SetReportView()
{
    m_bReportView = true;
    setHeaderHidden(false);
}

void CQVListCtrl::SetListView()
{
    m_bReportView = false;
    setHeaderHidden(true);
}

void CQVListCtrl::UpdateFonts()
{
    m_fontBold = font();
    m_fontBold.setBold(true);
    m_fontItalic = font();
    m_fontItalic.setItalic(true);
    m_fontUnderline = font();
    m_fontUnderline.setUnderline(true);
    if (m_pHeader)
        m_pHeader->UpdateFonts();
}

void CQVListCtrl::OnRowsChanged()
{
    const bool empty = GetItemCount() == 0;
    if (empty != m_bWasEmpty) {
        m_bWasEmpty = empty;
        if (HasEmptyText())
            viewport()->update();
    }
}

// --- Events

void CQVListCtrl::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (GetItemCount() != 0 || !HasEmptyText())
        return;
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(m_crEmptyText);
    static constexpr Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    painter.drawText(GetEmptyTextRect(),
                     static_cast<int>(horizontal[m_nEmptyTextAlignment] | Qt::AlignTop) | Qt::TextWordWrap,
                     m_strEmptyText);
}

bool CQVListCtrl::IsBlockedNonItemClick(const QMouseEvent* event) const
{
    return m_bNonItemClicksBlocked && IsBlockableButton(event->button()) &&
           !HitTestOnItem(event->position().toPoint());
}

void CQVListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (IsBlockedNonItemClick(event)) {
        // No selection change, and no drag selection started from here either.
        m_bBlockedPress = true;
        event->accept();
        return;
    }
    m_bBlockedPress = false;
    QTreeView::mousePressEvent(event);
}

void CQVListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (IsBlockedNonItemClick(event)) {
        m_bBlockedPress = true;
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void CQVListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bBlockedPress) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void CQVListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bBlockedPress) {
        if (event->buttons() == Qt::NoButton)
            m_bBlockedPress = false;
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void CQVListCtrl::changeEvent(QEvent* event)
{
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateFonts();
}
