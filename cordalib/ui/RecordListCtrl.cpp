#include "cordalib/ui/RecordListCtrl.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/ui/ListItemDelegate.h"
#include "cordalib/ui/RatingMarks.h"
#include "cordalib/ui/WaitCursor.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/system/FormatUtilities.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <string_view>

namespace {

// Draws the rating column: the row's background, then a star for each point of the
// rating; the other cells get a dot in a selected row, and an unrated row that is not
// selected says so in grey.
class CRecordListDelegate : public CListItemDelegate {
public:
    explicit CRecordListDelegate(CRecordListCtrl& list)
        : CListItemDelegate(&list), m_list(list), m_strNotRated(LoadAppString(IDS_NOT_RATED))
    {
    }

protected:
    bool PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const override
    {
        if (m_list.GetTrueColumn(index.column()) != m_list.GetRatingColumn())
            return false;
        const int rating = std::clamp(m_list.GetRating(index.row()), 0, CRatingMarks::MARK_COUNT);
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QRect& rect = option.rect;
        painter->save();
        painter->setClipRect(rect);
        painter->fillRect(rect, GetRowBackground(option, index.row()));
        const QColor mark =
            option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
        for (int cell = 0; cell < CRatingMarks::MARK_COUNT; ++cell) {
            const QRect cellRect = CRatingMarks::GetCellRect(rect, cell);
            if (cell < rating)
                CRatingMarks::DrawStar(*painter, cellRect, mark);
            else if (selected)
                CRatingMarks::DrawDot(*painter, cellRect, mark);
        }
        if (rating == 0 && !selected) {
            const QRect first = CRatingMarks::GetCellRect(rect, 0);
            const QRect textRect(first.left(), rect.top(), std::max(rect.right() - first.left() + 1, 0),
                                 rect.height());
            painter->setFont(option.font);
            painter->setPen(option.palette.color(QPalette::Disabled, QPalette::Text));
            painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              option.fontMetrics.elidedText(m_strNotRated, Qt::ElideRight, textRect.width()));
        }
        painter->restore();
        return true;
    }

private:
    CRecordListCtrl& m_list;
    QString m_strNotRated;
};

} // namespace

// --- Model

CRecordListModel::CRecordListModel(CRecordListCtrl& list) : m_list(list) {}

QString CRecordListModel::GetItemText(int row, int trueColumn) const
{
    if (row < 0 || row >= m_nItemCount || m_nRebuildDepth > 0)
        return QString();
    return m_list.GetRecordText(row, trueColumn);
}

void CRecordListModel::BeginRebuild()
{
    if (m_nRebuildDepth++ == 0)
        beginResetModel();
}

void CRecordListModel::EndRebuild(int itemCount)
{
    if (m_nRebuildDepth <= 0 || --m_nRebuildDepth > 0)
        return;
    m_nItemCount = std::max(itemCount, 0);
    endResetModel();
}

// --- List

CRecordListCtrl::CRecordListCtrl(CLibraryDatabase* database, QWidget* parent)
    : CQVListCtrl(parent, new CRecordListModel(*this)), m_pDatabase(database)
{
    m_pRecordModel = static_cast<CRecordListModel*>(GetListModel());
    setObjectName(QString::number(CONTROL_ID));
    SetBlockNonItemClicks(true);
    GetHeaderCtrl()->UseBoldFont(true);
    const QColor shade = QColor::fromRgb(ALTERNATE_ROW_COLOR);
    SetRowHighlightColor(shade);
    auto* delegate = new CRecordListDelegate(*this);
    delegate->SetAlternateRowColor(shade);
    setItemDelegate(delegate);
    CListItemDelegate::KeepSelectionColoursWithoutFocus(this);
    CListItemDelegate::UseUnshapedText(this);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ReportSelectionChange(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ReportSelectionChange(); });
}

CRecordListCtrl::~CRecordListCtrl() = default;

QString CRecordListCtrl::RecordText(const std::string& text, int maxLength)
{
    const size_t length = static_cast<size_t>(std::max(maxLength, 0));
    return AfxAnsiToUnicode(std::string_view(text).substr(0, length));
}

QString CRecordListCtrl::DateText(const COleDateTime& utc)
{
    COleDateTime local;
    if (!AfxUTCToLocalTime(utc, local))
        return QString();
    return AfxFormatLocaleDateTime(local);
}

QString CRecordListCtrl::FileTimeText(FILETIME time)
{
    return DateText(COleDateTime::FromFileTime(time));
}

CLibraryDatabase* CRecordListCtrl::GetDatabase() const
{
    if (m_pDatabase)
        return m_pDatabase;
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    return app ? &app->GetLibraryDatabase() : nullptr;
}

bool CRecordListCtrl::SetRating(int row, int rating)
{
    return rating >= 0 && rating <= CRatingMarks::MARK_COUNT && SetRecordRating(row, rating, GetDatabase());
}

void CRecordListCtrl::ReportSelectionChange()
{
    if (!m_bIgnoreSelectionChanges && isVisible())
        emit SelectionChanged();
}

// --- Rebuilds and the selection

void CRecordListCtrl::BeginRebuild()
{
    m_pRecordModel->BeginRebuild();
}

void CRecordListCtrl::EndRebuild()
{
    m_pRecordModel->EndRebuild(GetRecordCount());
}

void CRecordListCtrl::SaveSelection()
{
    if (IsRebuilding())
        return;
    m_savedSelection.clear();
    m_pSavedFocus = nullptr;
    const QModelIndex current = currentIndex();
    for (int row : GetSelectedItems()) {
        const void* key = GetRecordKey(row);
        if (!key)
            continue;
        m_savedSelection.insert(key);
        if (current.isValid() && current.row() == row)
            m_pSavedFocus = key;
    }
    m_bIgnoreSelectionChanges = true;
    selectionModel()->clear();
    m_bIgnoreSelectionChanges = false;
}

void CRecordListCtrl::RestoreSelection(bool selectFirst, bool makeVisible)
{
    const int count = GetItemCount();
    const int lastColumn = GetInsertedColumnCount() - 1;
    QAbstractItemModel* rows = model();
    int focusRow = -1;
    int firstSelected = -1;
    if (!m_savedSelection.empty() && lastColumn >= 0) {
        QItemSelection selection;
        size_t found = 0;
        int runStart = -1;
        const auto closeRun = [&](int end) {
            selection.select(rows->index(runStart, 0), rows->index(end, lastColumn));
            runStart = -1;
        };
        int row = 0;
        for (; row < count && found < m_savedSelection.size(); ++row) {
            const void* key = GetRecordKey(row);
            if (key && m_savedSelection.count(key) != 0) {
                ++found;
                if (runStart < 0)
                    runStart = row;
                if (firstSelected < 0)
                    firstSelected = row;
                if (key == m_pSavedFocus)
                    focusRow = row;
            } else if (runStart >= 0) {
                closeRun(row - 1);
            }
        }
        if (runStart >= 0)
            closeRun(row - 1);
        if (!selection.isEmpty())
            selectionModel()->select(selection, QItemSelectionModel::Select);
        if (focusRow >= 0)
            selectionModel()->setCurrentIndex(rows->index(focusRow, 0), QItemSelectionModel::NoUpdate);
    }
    if (selectFirst && firstSelected < 0 && count > 0 && SelectItem(0))
        firstSelected = 0;
    if (makeVisible && count > 0) {
        const int visibleRow = focusRow >= 0 ? focusRow : firstSelected;
        if (visibleRow >= 0)
            scrollTo(rows->index(visibleRow, 0));
    }
}

// --- Sorting and columns

bool CRecordListCtrl::SortItems(int trueColumn, bool ascending, bool force)
{
    if (trueColumn < -1 || trueColumn >= GetColumnTotal())
        return false;
    if (!force && trueColumn == GetSortColumn() && ascending == IsSortAscending())
        return false;
    const CWaitCursor wait;
    SaveSelection();
    BeginRebuild();
    SortRecordset(trueColumn, ascending);
    SetSortColumn(trueColumn);
    SetSortAscending(ascending);
    EndRebuild();
    if (!m_bRestoreSuppressed && !IsRebuilding())
        RestoreSelection(true, true);
    viewport()->update();
    return true;
}

bool CRecordListCtrl::CanQVColumnBeHidden(int trueColumn) const
{
    const int shown = GetInsertedColumnCount();
    if (shown < 2)
        return false;
    if (shown > 2)
        return true;
    return !IsQVColumnVisible(0) || trueColumn == 0;
}

void CRecordListCtrl::OnDeleteSortColumn(int, int, int)
{
    for (int position = 0; position < GetInsertedColumnCount(); ++position) {
        const int trueColumn = GetLeftToRightTrueColumn(position);
        if (trueColumn > 0) {
            SortItems(trueColumn, true, true);
            return;
        }
    }
    SortItems(-1, true, false);
}

void CRecordListCtrl::OnHeaderItemClick(int insertedColumn, Qt::MouseButton button)
{
    // "#" numbers the rows as they stand; it has no order of its own to click.
    if (GetTrueColumn(insertedColumn) == 0)
        return;
    CQVListCtrl::OnHeaderItemClick(insertedColumn, button);
}

// --- Type-ahead

QString CRecordListCtrl::GetTypeAheadText(int row, int trueColumn, int) const
{
    return GetRecordText(row, trueColumn);
}

int CRecordListCtrl::GetTypeAheadColumn() const
{
    if (GetSortColumn() >= 0 && IsQVColumnVisible(GetSortColumn()))
        return GetSortColumn();
    return GetLeftToRightTrueColumn(0);
}

int CRecordListCtrl::FindItem(const QString& typed, int startRow) const
{
    const int count = std::min(GetItemCount(), GetRecordCount());
    const int column = GetTypeAheadColumn();
    if (typed.isEmpty() || count <= 0 || column < 0)
        return -1;
    const int start = startRow >= 0 && startRow < count ? startRow : 0;
    int row = start;
    do {
        if (GetTypeAheadText(row, column, static_cast<int>(typed.size()))
                .startsWith(typed, Qt::CaseInsensitive))
            return row;
        row = row + 1 < count ? row + 1 : 0;
    } while (row != start);
    return -1;
}

void CRecordListCtrl::keyboardSearch(const QString& search)
{
    if (search.isEmpty()) {
        m_typeAhead.Clear();
        return;
    }
    const QModelIndex current = currentIndex();
    int start = 0;
    const QString typed = m_typeAhead.Take(search, current.isValid() ? current.row() : -1, start);
    const int row = FindItem(typed, start);
    if (row < 0)
        return;
    const QModelIndex found = model()->index(row, 0);
    selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(found);
}

// --- Rating click

QRect CRecordListCtrl::GetRatingRect(int row) const
{
    const int inserted = GetInsertedColumn(GetRatingColumn());
    if (inserted < 0 || row < 0 || row >= GetItemCount())
        return QRect();
    return visualRect(model()->index(row, inserted));
}

int CRecordListCtrl::HitTestRatingClick(const QPoint& point, int* row) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid() || GetTrueColumn(index.column()) != GetRatingColumn())
        return -1;
    const QModelIndex current = currentIndex();
    if (!current.isValid() || current.row() != index.row())
        return -1;
    *row = index.row();
    return CRatingMarks::HitTestCell(visualRect(index), point);
}

void CRecordListCtrl::OnRatingClick(int row, int cell)
{
    const int rating = cell + 1;
    if (!SetRating(row, rating))
        return;
    emit RatingChanged(row, rating);
    if (GetSortColumn() == GetRatingColumn()) {
        SortItems(GetRatingColumn(), IsSortAscending(), true);
        const QModelIndex current = currentIndex();
        if (current.isValid())
            scrollTo(current);
    } else {
        viewport()->update(GetRatingRect(row));
    }
}

void CRecordListCtrl::mousePressEvent(QMouseEvent* event)
{
    m_bRatingPress = false;
    if (event->button() == Qt::LeftButton) {
        int row = -1;
        const int cell = HitTestRatingClick(event->position().toPoint(), &row);
        if (cell >= 0) {
            // The press sets the rating and leaves the selection as it is.
            m_bRatingPress = true;
            OnRatingClick(row, cell);
            event->accept();
            return;
        }
    }
    CQVListCtrl::mousePressEvent(event);
}

void CRecordListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        // The second press of quick clicks on the stars is a rating click too, never the
        // default action on whatever row the first one moved under the pointer.
        int row = -1;
        const int cell = HitTestRatingClick(event->position().toPoint(), &row);
        if (m_bRatingPress || cell >= 0) {
            m_bRatingPress = true;
            if (cell >= 0)
                OnRatingClick(row, cell);
            event->accept();
            return;
        }
    }
    CQVListCtrl::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit DefaultActionRequested();
}

void CRecordListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bRatingPress && (event->buttons() & Qt::LeftButton)) {
        event->accept();
        return;
    }
    CQVListCtrl::mouseMoveEvent(event);
}

void CRecordListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bRatingPress && event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    CQVListCtrl::mouseReleaseEvent(event);
}

// --- Keys and menus

void CRecordListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit DefaultActionRequested();
        event->accept();
        return;
    }
    CQVListCtrl::keyPressEvent(event);
}

void CRecordListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    emit ContextMenuRequested(event->globalPos());
    event->accept();
}

bool CRecordListCtrl::focusNextPrevChild(bool next)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&CRecordListCtrl::MoveFocusRequested))) {
        emit MoveFocusRequested(next);
        return true;
    }
    return CQVListCtrl::focusNextPrevChild(next);
}

void CRecordListCtrl::InsertDefaultColumns()
{
    int position = GetInsertedColumnCount();
    for (const CRecordColumnDefinition& column : GetColumnDefinitions())
        InsertQVColumn(position++, column.trueColumn, true, LoadAppString(column.headingId), column.format,
                       column.width);
}

int CRecordListCtrl::GetDefaultColumnWidth(int trueColumn) const
{
    const std::span<const CRecordColumnDefinition> columns = GetColumnDefinitions();
    if (trueColumn < 0 || trueColumn >= static_cast<int>(columns.size()))
        return CQVListCtrl::GetDefaultColumnWidth(trueColumn);
    return columns[static_cast<size_t>(trueColumn)].width;
}

void CRecordListCtrl::LoadDefaultColumnWidths()
{
    for (const CRecordColumnDefinition& column : GetColumnDefinitions())
        SetQVColumnWidth(column.trueColumn, GetDefaultColumnWidth(column.trueColumn));
}
