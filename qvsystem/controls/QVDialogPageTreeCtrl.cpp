#include "qvsystem/controls/QVDialogPageTreeCtrl.h"

#include "qvsystem/controls/QVDialog.h"

#include <QEvent>

#include <algorithm>
#include <functional>

namespace {

// The page index lives in the item itself, so that deleted items leave nothing behind.
constexpr int PAGE_INDEX_ROLE = Qt::UserRole + 0x5151;

} // namespace

CQVDialogPageTreeCtrl::CQVDialogPageTreeCtrl(QWidget* parent) : CQVTreeCtrl(parent) {}

CQVDialogPageTreeCtrl::~CQVDialogPageTreeCtrl()
{
    if (m_pPlaceholder)
        m_pPlaceholder->removeEventFilter(this);
    for (auto& [templateId, page] : m_arrPages) {
        if (page && !page->parent())
            delete page.data();
    }
}

bool CQVDialogPageTreeCtrl::AddDialogPage(unsigned templateId, CQVDialog* page)
{
    if (!page)
        return false;
    m_arrPages.emplace_back(templateId, page);
    return true;
}

bool CQVDialogPageTreeCtrl::SetDialogPage(QTreeWidgetItem* item, int index)
{
    if (!item || item->treeWidget() != this || !IsValidDialogPageIndex(index))
        return false;
    item->setData(0, PAGE_INDEX_ROLE, index);
    return true;
}

int CQVDialogPageTreeCtrl::GetDialogPageIndex(const QTreeWidgetItem* item) const
{
    if (!item)
        return -1;
    const QVariant value = item->data(0, PAGE_INDEX_ROLE);
    return value.isValid() ? value.toInt() : -1;
}

CQVDialogPageTreeCtrl::DialogPage CQVDialogPageTreeCtrl::GetDialogPage(QTreeWidgetItem* item,
                                                                       bool useFirstChild) const
{
    if (!item)
        return {0, nullptr};
    int index = GetDialogPageIndex(item);
    if (!IsValidDialogPageIndex(index) && useFirstChild && item->childCount() > 0)
        index = GetDialogPageIndex(item->child(0));
    if (!IsValidDialogPageIndex(index) || !m_arrPages[index].second)
        return {0, nullptr};
    return {m_arrPages[index].first, m_arrPages[index].second.data()};
}

CQVDialogPageTreeCtrl::DialogPage CQVDialogPageTreeCtrl::GetSelectedDialogPage(bool useFirstChild) const
{
    return GetDialogPage(currentItem(), useFirstChild);
}

QString CQVDialogPageTreeCtrl::GetSelectedHelpTopic() const
{
    const DialogPage page = GetSelectedDialogPage(m_bUseFirstChild);
    return page.second ? page.second->GetHelpTopic() : QString();
}

bool CQVDialogPageTreeCtrl::SetDialogPageRect(QWidget* placeholder)
{
    if (!placeholder)
        return false;
    if (m_pPlaceholder)
        m_pPlaceholder->removeEventFilter(this);
    m_pPlaceholder = placeholder;
    placeholder->installEventFilter(this);
    UpdatePageRect();
    return true;
}

void CQVDialogPageTreeCtrl::UpdatePageRect()
{
    QWidget* parent = parentWidget();
    if (!m_pPlaceholder || !parent)
        return;
    QPoint topLeft;
    if (m_pPlaceholder->parentWidget() == parent)
        topLeft = m_pPlaceholder->pos();
    else
        topLeft = parent->mapFromGlobal(m_pPlaceholder->mapToGlobal(QPoint(0, 0)));
    m_rcPage = QRect(topLeft, m_pPlaceholder->size());
    if (m_pCurrentPage && m_pCurrentPage->parentWidget() == parent)
        m_pCurrentPage->setGeometry(m_rcPage);
}

bool CQVDialogPageTreeCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pPlaceholder && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        UpdatePageRect();
    return CQVTreeCtrl::eventFilter(watched, event);
}

bool CQVDialogPageTreeCtrl::CanChangeSelection(QTreeWidgetItem* from, QTreeWidgetItem*)
{
    const DialogPage page = GetDialogPage(from, m_bUseFirstChild);
    if (!page.second || !page.second->IsInitialized())
        return true;
    int icon = TTI_WARNING;
    QString caption = AfxLoadString(IDS_QV_VALIDATION_ERROR);
    QString text;
    QRect rect;
    if (page.second->ValidateData(icon, caption, text, rect))
        return true;
    page.second->ShowValidationErrorMessage(icon, caption, text, rect);
    return false;
}

void CQVDialogPageTreeCtrl::OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (current == previous)
        return;
    const DialogPage page = GetDialogPage(current, m_bUseFirstChild);
    if (page.second)
        ShowPage(page.second);
}

bool CQVDialogPageTreeCtrl::CreatePage(CQVDialog* page)
{
    QWidget* parent = parentWidget();
    if (!parent)
        return false;
    if (page->parentWidget() != parent || page->isWindow())
        page->setParent(parent, Qt::Widget);
    page->setEnabled(true);
    page->setFocusPolicy(Qt::NoFocus);
    page->InitDialog();
    return true;
}

bool CQVDialogPageTreeCtrl::ShowPage(CQVDialog* page)
{
    QWidget* parent = parentWidget();
    if (!parent)
        return false;
    const bool updates = parent->updatesEnabled();
    parent->setUpdatesEnabled(false);
    if (!page->IsInitialized() || page->parentWidget() != parent)
        CreatePage(page);
    UpdatePageRect();
    page->setGeometry(m_rcPage);
    page->raise();
    page->show();
    if (m_pCurrentPage && m_pCurrentPage != page)
        m_pCurrentPage->hide();
    m_pCurrentPage = page;
    parent->setUpdatesEnabled(updates);
    return true;
}

template <typename Visit> void CQVDialogPageTreeCtrl::ForEachItem(Visit visit) const
{
    std::function<bool(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        if (!visit(item))
            return false;
        for (int i = 0; i < item->childCount(); ++i) {
            if (!walk(item->child(i)))
                return false;
        }
        return true;
    };
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (!walk(topLevelItem(i)))
            return;
    }
}

bool CQVDialogPageTreeCtrl::SaveData()
{
    CQVDialog* selected = GetSelectedDialogPage(m_bUseFirstChild).second;
    if (selected && selected->IsInitialized() && !selected->ValidateAndSaveData())
        return false;
    bool ok = true;
    std::vector<CQVDialog*> saved;
    if (selected)
        saved.push_back(selected);
    ForEachItem([&](QTreeWidgetItem* item) {
        const int index = GetDialogPageIndex(item);
        if (!IsValidDialogPageIndex(index))
            return true;
        CQVDialog* page = m_arrPages[index].second;
        if (!page || !page->IsInitialized() || std::find(saved.begin(), saved.end(), page) != saved.end())
            return true;
        saved.push_back(page);
        int icon = TTI_WARNING;
        QString caption = AfxLoadString(IDS_QV_VALIDATION_ERROR);
        QString text;
        QRect rect;
        if (!page->ValidateData(icon, caption, text, rect)) {
            // Show the page first, so that the balloon points at a control the user sees.
            SelectItem(item, false);
            if (m_pCurrentPage != page)
                ShowPage(page);
            text.clear();
            rect = QRect();
            icon = TTI_WARNING;
            caption = AfxLoadString(IDS_QV_VALIDATION_ERROR);
            page->ValidateData(icon, caption, text, rect);
            page->ShowValidationErrorMessage(icon, caption, text, rect);
            ok = false;
            return false;
        }
        if (!page->SaveData()) {
            ok = false;
            return false;
        }
        return true;
    });
    return ok;
}

bool CQVDialogPageTreeCtrl::RemoveDialogPageIndexFromMap(QTreeWidgetItem* item)
{
    if (!item || item->treeWidget() != this || !item->data(0, PAGE_INDEX_ROLE).isValid())
        return false;
    item->setData(0, PAGE_INDEX_ROLE, QVariant());
    return true;
}

void CQVDialogPageTreeCtrl::RemoveInvalidDialogPageIndicesFromMap()
{
    ForEachItem([this](QTreeWidgetItem* item) {
        const QVariant value = item->data(0, PAGE_INDEX_ROLE);
        if (value.isValid() && !IsValidDialogPageIndex(value.toInt()))
            item->setData(0, PAGE_INDEX_ROLE, QVariant());
        return true;
    });
}

void CQVDialogPageTreeCtrl::DeleteDialogPageIndicesMapContents()
{
    ForEachItem([](QTreeWidgetItem* item) {
        item->setData(0, PAGE_INDEX_ROLE, QVariant());
        return true;
    });
}

void CQVDialogPageTreeCtrl::DeleteDialogPageArrayContents()
{
    std::vector<std::pair<unsigned, QPointer<CQVDialog>>> pages;
    pages.swap(m_arrPages);
    m_pCurrentPage = nullptr;
    for (auto& [templateId, page] : pages)
        delete page.data();
}
