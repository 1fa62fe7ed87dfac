#include "qvsystem/controls/SortHeaderCtrl.h"

#include "qvsystem/controls/DrawingFunctions.h"
#include "qvsystem/controls/QVListCtrl.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace {

// Points closer than this to an item's right edge are on its divider.
constexpr int DIVIDER_HIT_WIDTH = 4;

} // namespace

CSortHeaderCtrl::CSortHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    connect(this, &QHeaderView::sectionClicked, this,
            [this](int logicalIndex) { emit HeaderItemClicked(logicalIndex, m_releaseButton); });
    UpdateFonts();
}

CSortHeaderCtrl::~CSortHeaderCtrl() = default;

void CSortHeaderCtrl::SetSort(int column, bool ascending)
{
    m_nSortColumn = column < 0 ? -1 : column;
    m_bSortAscending = ascending;
    viewport()->update();
}

void CSortHeaderCtrl::SetSortColumn(int column)
{
    SetSort(column, m_bSortAscending);
}

void CSortHeaderCtrl::SetSortAscending(bool ascending)
{
    SetSort(m_nSortColumn, ascending);
}

void CSortHeaderCtrl::GetSort(int& column, bool& ascending) const
{
    column = m_nSortColumn;
    ascending = m_bSortAscending;
}

void CSortHeaderCtrl::UseBoldFont(bool use)
{
    m_bUseBoldFont = use;
    viewport()->update();
}

void CSortHeaderCtrl::UpdateFonts()
{
    m_fontBold = font();
    m_fontBold.setBold(true);
    viewport()->update();
}

void CSortHeaderCtrl::GetCustomDrawSortData(int& column, bool& ascending) const
{
    GetSort(column, ascending);
}

int CSortHeaderCtrl::HitTest(const QPoint& point, int* flags) const
{
    const int item = logicalIndexAt(point);
    int hit = HHT_NOWHERE;
    if (item < 0) {
        if (point.x() >= length() - offset())
            hit = HHT_TORIGHT;
    } else {
        const int right = sectionViewportPosition(item) + sectionSize(item);
        hit = right - point.x() <= DIVIDER_HIT_WIDTH ? HHT_ONDIVIDER : HHT_ONHEADER;
    }
    if (flags)
        *flags = hit;
    return item;
}

void CSortHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    CustomDraw(painter, rect, logicalIndex);
}

void CSortHeaderCtrl::CustomDraw(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    int sortColumn = -1;
    bool ascending = true;
    GetCustomDrawSortData(sortColumn, ascending);
    if (sortColumn < 0 || logicalIndex != sortColumn) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }

    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.sortIndicator = QStyleOptionHeader::None;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    // The label keeps clear of the arrow: the arrow sits at the right edge, or at the left
    // edge when the heading is right-aligned.
    const bool rightAligned = (option.textAlignment & Qt::AlignRight) != 0;
    const int arrowSpace = SORT_ARROW_MARGIN + SORT_ARROW_SIZE + SORT_ARROW_MARGIN / 2;
    QStyleOptionHeader label = option;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    if (rightAligned)
        label.rect.setLeft(std::max(label.rect.left(), rect.left() + arrowSpace));
    else
        label.rect.setRight(std::min(label.rect.right(), rect.right() - arrowSpace));
    if (m_bUseBoldFont)
        painter->setFont(m_fontBold);
    label.fontMetrics = painter->fontMetrics();
    if (textElideMode() != Qt::ElideNone)
        label.text = label.fontMetrics.elidedText(label.text, textElideMode(), label.rect.width());
    if (label.rect.isValid())
        style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();

    const int fromEdge = SORT_ARROW_MARGIN + SORT_ARROW_SIZE / 2;
    const QPoint centre(rightAligned ? rect.x() + fromEdge : rect.x() + rect.width() - fromEdge,
                        rect.y() + rect.height() / 2);
    AfxFillArrow(painter, centre, SORT_ARROW_SIZE, ascending ? ARROW_UP : ARROW_DOWN,
                 palette().color(QPalette::Shadow));
}

void CSortHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_releaseButton = event->button();
    QHeaderView::mouseReleaseEvent(event);
    m_releaseButton = Qt::NoButton;
}

void CSortHeaderCtrl::changeEvent(QEvent* event)
{
    QHeaderView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateFonts();
}

CQVListCtrlHeaderCtrl::CQVListCtrlHeaderCtrl(CQVListCtrl* list) : CSortHeaderCtrl(list), m_pList(list) {}

CQVListCtrlHeaderCtrl::~CQVListCtrlHeaderCtrl() = default;

void CQVListCtrlHeaderCtrl::GetCustomDrawSortData(int& column, bool& ascending) const
{
    column = m_pList->GetInsertedColumn(m_pList->GetSortColumn());
    ascending = m_pList->IsSortAscending();
}

void CQVListCtrlHeaderCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    int flags = HHT_NOWHERE;
    const int item = HitTest(event->pos(), &flags);
    event->accept();
    m_pList->OnHeaderContextMenu(item, flags, event->globalPos());
}
