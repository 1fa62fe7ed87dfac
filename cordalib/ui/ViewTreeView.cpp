#include "cordalib/ui/ViewTreeView.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/system/TextUtilities.h"

#include <QEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Room above and below an item's text.
constexpr int ITEM_PADDING = 6;
// The text's distance from the label's left edge.
constexpr int TEXT_OFFSET = 2;

// The rows' height: the bold text and room above and below it.
class CViewTreeItemDelegate : public QStyledItemDelegate {
public:
    explicit CViewTreeItemDelegate(CViewTreeView& tree) : QStyledItemDelegate(&tree), m_tree(tree) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QFontMetrics metrics(m_tree.GetBoldFont());
        const int width =
            metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 2 * ITEM_PADDING;
        return QSize(std::max(width, QStyledItemDelegate::sizeHint(option, index).width()),
                     metrics.height() + 2 * ITEM_PADDING);
    }

private:
    CViewTreeView& m_tree;
};

} // namespace

CViewTreeView::CViewTreeView(QWidget* parent) : CQVTreeCtrl(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setFrameShape(QFrame::StyledPanel);
    setIndentation(0);
    AfxCreateBoldFont(font(), m_fontBold);
    setItemDelegate(new CViewTreeItemDelegate(*this));
    SetBkColor(QColor::fromRgb(DEFAULT_BACKGROUND));
    OnInitialUpdate();
}

CViewTreeView::~CViewTreeView() = default;

void CViewTreeView::OnInitialUpdate()
{
    if (m_pSongsItem)
        return;
    m_pSongsItem = InsertItem(LoadAppString(IDS_SONGS));
    m_pSongsItem->setData(0, Qt::UserRole, VIEW_SONGS);
    BoldItem(m_pSongsItem, true);
    m_pLessonsItem = InsertItem(LoadAppString(IDS_LESSONS));
    m_pLessonsItem->setData(0, Qt::UserRole, VIEW_LESSONS);
    BoldItem(m_pLessonsItem, true);
}

void CViewTreeView::SetBkColor(const QColor& colour)
{
    m_crBackground = colour;
    QPalette shaded = palette();
    shaded.setColor(QPalette::Base, colour);
    setPalette(shaded);
    viewport()->update();
}

bool CViewTreeView::SelectView(int view)
{
    if (view == VIEW_SONGS)
        return SelectItem(m_pSongsItem, false);
    if (view == VIEW_LESSONS)
        return SelectItem(m_pLessonsItem, false);
    return false;
}

int CViewTreeView::GetCurrentView() const
{
    const QTreeWidgetItem* item = currentItem();
    if (!item || !item->isSelected())
        return -1;
    return item->data(0, Qt::UserRole).toInt();
}

void CViewTreeView::OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    CQVTreeCtrl::OnSelectionChanged(current, previous);
    if (current)
        emit CurrentViewChanged(current->data(0, Qt::UserRole).toInt());
}

void CViewTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    const QRect row = option.rect;
    const bool selected = selectionModel() && selectionModel()->isSelected(index);
    painter->save();
    painter->fillRect(row, m_crBackground);
    if (selected)
        AfxFillGradient(painter, row, QColor::fromRgb(SELECTION_GRADIENT_START),
                        QColor::fromRgb(SELECTION_GRADIENT_END), true);
    const QRect label = visualRect(index);
    const QRect textRect(label.left() + TEXT_OFFSET, row.top(),
                         std::max(row.right() - label.left() - TEXT_OFFSET, 0), row.height());
    const QFontMetrics metrics(m_fontBold);
    painter->setFont(m_fontBold);
    painter->setPen(
        palette().color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::WindowText));
    painter->drawText(
        textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textRect.width()));
    if (selected && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = row;
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
        focus.backgroundColor = QColor::fromRgb(SELECTION_GRADIENT_START);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
    painter->restore();
}

void CViewTreeView::changeEvent(QEvent* event)
{
    CQVTreeCtrl::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        AfxCreateBoldFont(font(), m_fontBold);
        // The rows take the new font's height.
        scheduleDelayedItemsLayout();
    }
}

bool CViewTreeView::focusNextPrevChild(bool next)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&CViewTreeView::MoveFocusRequested))) {
        emit MoveFocusRequested(next);
        return true;
    }
    return CQVTreeCtrl::focusNextPrevChild(next);
}
