#include "qvsystem/controls/QVListModel.h"

#include <algorithm>

Qt::Alignment AfxListColumnAlignment(int format)
{
    switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

CQVListModel::CQVListModel(QObject* parent) : QAbstractTableModel(parent) {}

CQVListModel::~CQVListModel() = default;

QVariant CQVListModel::GetItemData(int, int, int) const
{
    return QVariant();
}

bool CQVListModel::GetItemCheck(int) const
{
    return false;
}

bool CQVListModel::SetItemCheck(int, bool)
{
    return false;
}

bool CQVListModel::MoveItem(int, int)
{
    return false;
}

void CQVListModel::ResetItems()
{
    beginResetModel();
    endResetModel();
}

void CQVListModel::UpdateItems(int first, int last)
{
    const int count = rowCount();
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    if (first > last || m_columns.empty())
        return;
    emit dataChanged(index(first, 0), index(last, GetViewColumnCount() - 1));
}

bool CQVListModel::ReorderItems(const std::vector<int>& newRowOfOldRow)
{
    const int count = rowCount();
    if (static_cast<int>(newRowOfOldRow.size()) != count)
        return false;
    // A permutation only: anything else would point persistent indexes at the wrong rows.
    std::vector<char> seen(newRowOfOldRow.size(), 0);
    for (int target : newRowOfOldRow) {
        if (target < 0 || target >= count || seen[target])
            return false;
        seen[target] = 1;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOfOldRow[old.row()], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

int CQVListModel::GetViewColumnTrueColumn(int inserted) const
{
    if (inserted < 0 || inserted >= GetViewColumnCount())
        return -1;
    const int trueColumn = m_columns[inserted].nTrueColumn;
    return trueColumn < 0 ? inserted : trueColumn;
}

bool CQVListModel::IsViewColumnDeclared(int inserted) const
{
    return inserted >= 0 && inserted < GetViewColumnCount() && m_columns[inserted].nTrueColumn >= 0;
}

int CQVListModel::FindViewColumn(int trueColumn) const
{
    if (trueColumn < 0)
        return -1;
    for (int i = 0; i < GetViewColumnCount(); ++i) {
        if (m_columns[i].nTrueColumn == trueColumn)
            return i;
    }
    return -1;
}

int CQVListModel::InsertViewColumn(int inserted, int trueColumn, const QString& heading, int format)
{
    if (inserted < 0)
        return -1;
    inserted = std::min(inserted, GetViewColumnCount());
    beginInsertColumns(QModelIndex(), inserted, inserted);
    m_columns.insert(m_columns.begin() + inserted, ViewColumn{std::max(trueColumn, -1), heading, format});
    endInsertColumns();
    return inserted;
}

bool CQVListModel::RemoveViewColumn(int inserted)
{
    if (inserted < 0 || inserted >= GetViewColumnCount())
        return false;
    beginRemoveColumns(QModelIndex(), inserted, inserted);
    m_columns.erase(m_columns.begin() + inserted);
    endRemoveColumns();
    return true;
}

bool CQVListModel::SetViewColumnHeading(int inserted, const QString& heading)
{
    if (inserted < 0 || inserted >= GetViewColumnCount())
        return false;
    m_columns[inserted].strHeading = heading;
    emit headerDataChanged(Qt::Horizontal, inserted, inserted);
    return true;
}

QString CQVListModel::GetViewColumnHeading(int inserted) const
{
    if (inserted < 0 || inserted >= GetViewColumnCount())
        return QString();
    return m_columns[inserted].strHeading;
}

bool CQVListModel::SetViewColumnFormat(int inserted, int format)
{
    if (inserted < 0 || inserted >= GetViewColumnCount())
        return false;
    m_columns[inserted].nFormat = format;
    emit headerDataChanged(Qt::Horizontal, inserted, inserted);
    UpdateItems(0, rowCount() - 1);
    return true;
}

int CQVListModel::GetViewColumnFormat(int inserted) const
{
    if (inserted < 0 || inserted >= GetViewColumnCount())
        return LVCFMT_LEFT;
    return m_columns[inserted].nFormat;
}

void CQVListModel::SetCheckBoxes(bool checkBoxes)
{
    if (m_bCheckBoxes == checkBoxes)
        return;
    m_bCheckBoxes = checkBoxes;
    UpdateItems(0, rowCount() - 1);
}

QModelIndex CQVListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= GetItemCount() || column >= GetViewColumnCount())
        return QModelIndex();
    return createIndex(row, column);
}

int CQVListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(GetItemCount(), 0);
}

int CQVListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : GetViewColumnCount();
}

QVariant CQVListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int trueColumn = GetViewColumnTrueColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return GetItemText(index.row(), trueColumn);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AfxListColumnAlignment(m_columns[index.column()].nFormat));
    case Qt::CheckStateRole:
        if (m_bCheckBoxes && index.column() == 0)
            return GetItemCheck(index.row()) ? Qt::Checked : Qt::Unchecked;
        return QVariant();
    default:
        return GetItemData(index.row(), trueColumn, role);
    }
}

bool CQVListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !m_bCheckBoxes || index.column() != 0 ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    if (!SetItemCheck(index.row(), value.toInt() == Qt::Checked))
        return false;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant CQVListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= GetViewColumnCount())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_columns[section].strHeading;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AfxListColumnAlignment(m_columns[section].nFormat));
    return QVariant();
}

Qt::ItemFlags CQVListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_bCheckBoxes && index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}

CQVStoredListModel::CQVStoredListModel(QObject* parent) : CQVListModel(parent) {}

CQVStoredListModel::~CQVStoredListModel() = default;

int CQVStoredListModel::InsertItem(int row, const QString& text)
{
    if (row < 0)
        return -1;
    row = std::min(row, GetItemCount());
    beginInsertRows(QModelIndex(), row, row);
    Row item;
    item.texts.push_back(text);
    m_rows.insert(m_rows.begin() + row, std::move(item));
    endInsertRows();
    return row;
}

bool CQVStoredListModel::DeleteItem(int row)
{
    if (!IsValidRow(row))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

void CQVStoredListModel::DeleteAllItems()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

bool CQVStoredListModel::SetItemText(int row, int trueColumn, const QString& text)
{
    if (!IsValidRow(row) || trueColumn < 0)
        return false;
    std::vector<QString>& texts = m_rows[row].texts;
    if (trueColumn >= static_cast<int>(texts.size()))
        texts.resize(trueColumn + 1);
    texts[trueColumn] = text;
    UpdateItems(row, row);
    return true;
}

bool CQVStoredListModel::SetItemDataValue(int row, const QVariant& value)
{
    if (!IsValidRow(row))
        return false;
    m_rows[row].data = value;
    return true;
}

QVariant CQVStoredListModel::GetItemDataValue(int row) const
{
    return IsValidRow(row) ? m_rows[row].data : QVariant();
}

int CQVStoredListModel::GetItemCount() const
{
    return static_cast<int>(m_rows.size());
}

QString CQVStoredListModel::GetItemText(int row, int trueColumn) const
{
    if (!IsValidRow(row) || trueColumn < 0 || trueColumn >= static_cast<int>(m_rows[row].texts.size()))
        return QString();
    return m_rows[row].texts[trueColumn];
}

bool CQVStoredListModel::GetItemCheck(int row) const
{
    return IsValidRow(row) && m_rows[row].bChecked;
}

bool CQVStoredListModel::SetItemCheck(int row, bool checked)
{
    if (!IsValidRow(row))
        return false;
    if (m_rows[row].bChecked != checked) {
        m_rows[row].bChecked = checked;
        if (HasCheckBoxes() && GetViewColumnCount() > 0)
            emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
    }
    return true;
}

bool CQVStoredListModel::MoveItem(int from, int to)
{
    if (!IsValidRow(from) || !IsValidRow(to))
        return false;
    if (from == to)
        return true;
    // Qt's destination is the row the item goes before, counted before the move.
    const int destination = to > from ? to + 1 : to;
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination))
        return false;
    Row item = std::move(m_rows[from]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(item));
    endMoveRows();
    return true;
}
