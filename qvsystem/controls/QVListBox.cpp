#include "qvsystem/controls/QVListBox.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>

CQVListBox::CQVListBox(QWidget* parent) : QListWidget(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Whatever changes the items, through these functions or QListWidget's own, keeps the
    // extent right.
    QAbstractItemModel* items = model();
    connect(items, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { RaiseExtent(first, last); });
    connect(items, &QAbstractItemModel::rowsRemoved, this, [this] { RecomputeExtent(); });
    connect(items, &QAbstractItemModel::modelReset, this, [this] { RecomputeExtent(); });
    connect(items, &QAbstractItemModel::dataChanged, this, [this] { RecomputeExtent(); });
}

CQVListBox::~CQVListBox()
{
    // The items go after this part of the object: their removal must not measure them.
    model()->disconnect(this);
}

int CQVListBox::GetItemExtent(const QString& text) const
{
    const QFontMetrics metrics(font());
    return metrics.horizontalAdvance(text) + metrics.averageCharWidth();
}

int CQVListBox::AddString(const QString& text)
{
    if (text.isNull())
        return -1;
    addItem(text);
    return count() - 1;
}

int CQVListBox::InsertString(int index, const QString& text)
{
    if (text.isNull() || index < -1 || index > count())
        return -1;
    if (index == -1)
        index = count();
    insertItem(index, text);
    return index;
}

int CQVListBox::DeleteString(int index)
{
    if (index < 0 || index >= count())
        return -1;
    delete takeItem(index);
    return count();
}

void CQVListBox::ResetContent()
{
    clear();
    // An empty list sends no removal when cleared; the extent still starts again from 0.
    RecomputeExtent();
}

void CQVListBox::SetFont(const QFont& newFont)
{
    setFont(newFont);
    RecomputeExtent();
}

void CQVListBox::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        RecomputeExtent();
}

void CQVListBox::RaiseExtent(int first, int last)
{
    int widest = m_nHorizontalExtent;
    for (int row = first; row <= last; ++row) {
        if (const QListWidgetItem* entry = item(row))
            widest = std::max(widest, GetItemExtent(entry->text()));
    }
    if (widest > m_nHorizontalExtent) {
        m_nHorizontalExtent = widest;
        ApplyExtent();
    }
}

void CQVListBox::RecomputeExtent()
{
    int widest = 0;
    for (int row = 0; row < count(); ++row)
        widest = std::max(widest, GetItemExtent(item(row)->text()));
    m_nHorizontalExtent = widest;
    ApplyExtent();
}

void CQVListBox::ApplyExtent()
{
    QScrollBar* bar = horizontalScrollBar();
    const int visible = viewport()->width();
    bar->setPageStep(visible);
    bar->setSingleStep(std::max(1, QFontMetrics(font()).averageCharWidth()));
    bar->setRange(0, std::max(0, m_nHorizontalExtent - visible));
}

void CQVListBox::updateGeometries()
{
    // The view lays its scroll range out from the item sizes; the extent has the last word.
    // Showing or hiding a scroll bar resizes the viewport, which lays the view out again from
    // inside this call: those inner layouts are the view's alone, or the two ranges would
    // hand the bar back and forth until the stack ran out.
    if (m_bLayingOut) {
        QListWidget::updateGeometries();
        return;
    }
    m_bLayingOut = true;
    QListWidget::updateGeometries();
    ApplyExtent();
    m_bLayingOut = false;
}
