#include "qvsystem/controls/QVTreeCtrl.h"

#include <QCollator>
#include <QKeyEvent>
#include <QMouseEvent>

#include <functional>

CQVTreeCtrl::CQVTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
}

CQVTreeCtrl::~CQVTreeCtrl() = default;

bool CQVTreeCtrl::BoldItem(QTreeWidgetItem* item, bool bold)
{
    if (!item)
        return false;
    QFont font = item->font(0);
    font.setBold(bold);
    item->setFont(0, font);
    return true;
}

bool CQVTreeCtrl::IsItemBold(const QTreeWidgetItem* item) const
{
    return item && item->font(0).bold();
}

bool CQVTreeCtrl::ExpandBranch(QTreeWidgetItem* item)
{
    if (!item)
        return false;
    std::function<bool(QTreeWidgetItem*)> visit = [&visit](QTreeWidgetItem* node) {
        if (!node)
            return false;
        if (node->childCount() > 0)
            node->setExpanded(true);
        for (int i = 0; i < node->childCount(); ++i) {
            if (!visit(node->child(i)))
                return false;
        }
        return true;
    };
    return visit(item);
}

bool CQVTreeCtrl::ExpandAll()
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (!ExpandBranch(topLevelItem(i)))
            return false;
    }
    return true;
}

QTreeWidgetItem* CQVTreeCtrl::InsertItem(const QString& text, QTreeWidgetItem* parent, bool sorted)
{
    auto* item = new QTreeWidgetItem(QStringList{text});
    const int count = parent ? parent->childCount() : topLevelItemCount();
    int position = count;
    if (sorted) {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (int i = 0; i < count; ++i) {
            const QTreeWidgetItem* sibling = parent ? parent->child(i) : topLevelItem(i);
            if (collator.compare(text, sibling->text(0)) < 0) {
                position = i;
                break;
            }
        }
    }
    if (parent)
        parent->insertChild(position, item);
    else
        insertTopLevelItem(position, item);
    return item;
}

bool CQVTreeCtrl::SelectItem(QTreeWidgetItem* item, bool ask)
{
    if (!item || item->treeWidget() != this)
        return false;
    if (item != currentItem() && ask && !CanChangeSelection(currentItem(), item))
        return false;
    setCurrentItem(item);
    return currentItem() == item;
}

bool CQVTreeCtrl::CanChangeSelection(QTreeWidgetItem*, QTreeWidgetItem*)
{
    return true;
}

void CQVTreeCtrl::OnSelectionChanged(QTreeWidgetItem*, QTreeWidgetItem*) {}

bool CQVTreeCtrl::AllowChangeTo(const QModelIndex& index)
{
    // Rows count, not cells: another column of the current row is no change.
    const QModelIndex current = currentIndex();
    if (!index.isValid() ||
        (current.isValid() && index.row() == current.row() && index.parent() == current.parent()))
        return true;
    return CanChangeSelection(currentItem(), itemFromIndex(index.siblingAtColumn(0)));
}

void CQVTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeWidget::currentChanged(current, previous);
    QTreeWidgetItem* now = itemFromIndex(current);
    QTreeWidgetItem* before = itemFromIndex(previous);
    OnSelectionChanged(now, before);
    emit SelectionChanged(now, before);
}

// The view changes the current item from inside its mouse and key handling; the change is
// put to CanChangeSelection before the view sees the event, and a refused press is followed
// by neither a drag selection nor a release selection.
void CQVTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    m_bPressRefused = false;
    if (!AllowChangeTo(indexAt(event->position().toPoint()))) {
        m_bPressRefused = true;
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CQVTreeCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPressRefused && (event->buttons() & Qt::LeftButton)) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CQVTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bPressRefused) {
        m_bPressRefused = false;
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

QModelIndex CQVTreeCtrl::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex target = QTreeWidget::moveCursor(cursorAction, modifiers);
    return AllowChangeTo(target) ? target : currentIndex();
}

void CQVTreeCtrl::keyboardSearch(const QString& search)
{
    // The item typing would reach: the next one whose text starts with the typed text.
    if (!search.isEmpty()) {
        const QModelIndex start = currentIndex().isValid() ? currentIndex() : model()->index(0, 0);
        const QModelIndexList found = model()->match(
            start, Qt::DisplayRole, search, 1, Qt::MatchStartsWith | Qt::MatchWrap | Qt::MatchRecursive);
        if (!found.isEmpty() && !AllowChangeTo(found.front()))
            return;
    }
    QTreeWidget::keyboardSearch(search);
}
