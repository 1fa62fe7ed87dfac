#include "qvsystem/controls/QVTreeCtrl.h"

#include <QCollator>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include <functional>

// Stands between the view and its selection: a change of the current item or of the
// selection away from it is put to the tree first.
class CQVTreeSelectionGate : public QItemSelectionModel {
public:
    CQVTreeSelectionGate(QAbstractItemModel* model, CQVTreeCtrl* tree)
        : QItemSelectionModel(model, tree), m_pTree(tree)
    {
    }

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        if (index != currentIndex() && !m_pTree->AllowCurrentChange(currentIndex(), index))
            return;
        QItemSelectionModel::setCurrentIndex(index, command);
    }

    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        QItemSelectionModel::select(index, command);
    }

    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override
    {
        if (command & (QItemSelectionModel::Select | QItemSelectionModel::Toggle)) {
            for (const QModelIndex& index : selection.indexes()) {
                if (index != currentIndex() && m_pTree->IsRefused(index))
                    return;
            }
        }
        QItemSelectionModel::select(selection, command);
    }

private:
    CQVTreeCtrl* m_pTree;
};

CQVTreeCtrl::CQVTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    QItemSelectionModel* old = selectionModel();
    setSelectionModel(new CQVTreeSelectionGate(model(), this));
    delete old;
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
    const bool wasAsking = m_bAsking;
    m_bAsking = ask;
    const QModelIndex index = indexFromItem(item);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_bAsking = wasAsking;
    return currentIndex() == index;
}

bool CQVTreeCtrl::CanChangeSelection(QTreeWidgetItem*, QTreeWidgetItem*)
{
    return true;
}

void CQVTreeCtrl::OnSelectionChanged(QTreeWidgetItem*, QTreeWidgetItem*) {}

bool CQVTreeCtrl::AllowCurrentChange(const QModelIndex& from, const QModelIndex& to)
{
    if (!m_bAsking)
        return true;
    if (IsRefused(to))
        return false;
    if (CanChangeSelection(itemFromIndex(from), itemFromIndex(to)))
        return true;
    m_refused = to;
    return false;
}

bool CQVTreeCtrl::IsRefused(const QModelIndex& index) const
{
    return m_refused.isValid() && index.isValid() && m_refused.row() == index.row() &&
           m_refused.parent() == index.parent();
}

void CQVTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeWidget::currentChanged(current, previous);
    QTreeWidgetItem* now = itemFromIndex(current);
    QTreeWidgetItem* before = itemFromIndex(previous);
    OnSelectionChanged(now, before);
    emit SelectionChanged(now, before);
}

void CQVTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    m_refused = QPersistentModelIndex();
    QTreeWidget::mousePressEvent(event);
}

void CQVTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    m_refused = QPersistentModelIndex();
}

void CQVTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    m_refused = QPersistentModelIndex();
    QTreeWidget::keyPressEvent(event);
    m_refused = QPersistentModelIndex();
}
