#include "cordalib/ui/VirtualListBox.h"

#include "cordalib/ui/ListItemDelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMetaMethod>

CVirtualListBoxModel::CVirtualListBoxModel(CVirtualListBox& box) : m_box(box) {}

QString CVirtualListBoxModel::GetItemText(int row, int) const
{
    if (m_bRebuilding || row < 0 || row >= m_nItemCount)
        return QString();
    return m_box.GetRowText(row);
}

void CVirtualListBoxModel::BeginRebuild()
{
    if (m_bRebuilding)
        return;
    m_bRebuilding = true;
    beginResetModel();
}

void CVirtualListBoxModel::EndRebuild(int itemCount)
{
    if (!m_bRebuilding)
        return;
    m_nItemCount = std::max(itemCount, 0);
    m_bRebuilding = false;
    endResetModel();
}

CVirtualListBox::CVirtualListBox(QWidget* parent) : CQVListCtrl(parent, new CVirtualListBoxModel(*this))
{
    m_pBoxModel = static_cast<CVirtualListBoxModel*>(GetListModel());
    setSelectionMode(QAbstractItemView::SingleSelection);
    SetBlockNonItemClicks(true);
    BlockHeaderSort(true);
    setHeaderHidden(true);
    GetHeaderCtrl()->setSectionsMovable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    InsertColumn(0, QString(), LVCFMT_LEFT, viewport()->width());
    setItemDelegate(new CListItemDelegate(this));
    CListItemDelegate::KeepSelectionColoursWithoutFocus(this);
    CListItemDelegate::UseUnshapedText(this);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) {
                if (m_bHandlingBlocked || selected.isEmpty())
                    return;
                const QModelIndexList indexes = selected.indexes();
                if (!indexes.isEmpty())
                    OnRowSelected(indexes.front().row());
            });
}

CVirtualListBox::~CVirtualListBox() = default;

void CVirtualListBox::BeginRebuild()
{
    m_pBoxModel->BeginRebuild();
}

void CVirtualListBox::EndRebuild(int rowCount)
{
    m_pBoxModel->EndRebuild(rowCount);
}

bool CVirtualListBox::SelectRow(int row, bool focus, bool makeVisible)
{
    if (row < 0 || row >= GetItemCount())
        return false;
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (focus)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (makeVisible)
        scrollTo(index);
    return true;
}

void CVirtualListBox::FitColumnToClient()
{
    if (GetInsertedColumnCount() > 0)
        SetColumnWidth(0, viewport()->width());
}

int CVirtualListBox::FindItem(const QString& typed, int startRow) const
{
    const int rows = GetItemCount();
    if (typed.isEmpty() || rows <= 1)
        return -1;
    const int start = startRow >= 1 && startRow < rows ? startRow : 1;
    int row = start;
    do {
        if (GetFindText(row, static_cast<int>(typed.size())).startsWith(typed, Qt::CaseInsensitive))
            return row;
        row = row + 1 < rows ? row + 1 : 1;
    } while (row != start);
    return -1;
}

void CVirtualListBox::keyboardSearch(const QString& search)
{
    if (search.isEmpty()) {
        m_typeAhead.Clear();
        return;
    }
    const QModelIndex current = currentIndex();
    const int focused = current.isValid() ? current.row() : GetSelectedRow();
    int start = 0;
    const QString typed = m_typeAhead.Take(search, focused, start);
    const int row = FindItem(typed, start);
    if (row >= 0)
        SelectRow(row, true, true);
}

bool CVirtualListBox::viewportEvent(QEvent* event)
{
    const bool handled = CQVListCtrl::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        FitColumnToClient();
    return handled;
}

bool CVirtualListBox::focusNextPrevChild(bool next)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&CVirtualListBox::MoveFocusRequested))) {
        emit MoveFocusRequested(next);
        return true;
    }
    return CQVListCtrl::focusNextPrevChild(next);
}
