#include "cordalib/ui/ListItemDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

#include <algorithm>

CListItemDelegate::CListItemDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), m_pView(view) {}

QColor CListItemDelegate::GetRowBackground(const QStyleOptionViewItem& option, int row) const
{
    if (option.state & QStyle::State_Selected)
        return option.palette.color(QPalette::Active, QPalette::Highlight);
    if (m_crAlternate.isValid() && (row % 2) == 1)
        return m_crAlternate;
    return option.palette.color(QPalette::Active, QPalette::Base);
}

QString CListItemDelegate::BoundedText(const QString& text, int cellWidth)
{
    const int limit = std::clamp(cellWidth, MIN_TEXT_PREFIX, MAX_TEXT_PREFIX);
    if (text.size() <= limit)
        return text;
    qsizetype cut = limit;
    // Never half of a surrogate pair.
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    // The ellipsis is there even when the prefix happens to fit (zero-width characters).
    return text.left(cut) + QChar(0x2026);
}

void CListItemDelegate::KeepSelectionColoursWithoutFocus(QAbstractItemView* view)
{
    if (!view)
        return;
    QPalette palette = view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view->setPalette(palette);
}

void CListItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = BoundedText(option->text, option->rect.width());
    // The style picks its colours from the active group only when told the window is.
    option->state |= QStyle::State_Active;
    if (!(option->state & QStyle::State_Selected) && m_crAlternate.isValid() && (index.row() % 2) == 1)
        option->backgroundBrush = m_crAlternate;
}

bool CListItemDelegate::PaintCell(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const
{
    return false;
}

void CListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    if (PaintCell(painter, option, index))
        return;
    QStyledItemDelegate::paint(painter, option, index);
}
