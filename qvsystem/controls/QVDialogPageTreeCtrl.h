#pragma once
// A tree whose items show pages: option dialogs made of a tree of pages, each page itself a
// CQVDialog placed inside the tree's parent at the page rectangle.
//
// Pages are added first (AddDialogPage; the tree keeps them in that order), then items are
// mapped to them (SetDialogPage). Selecting an item shows its page, creating it on first use
// (the page becomes a child of the tree's parent and is initialised, so its OnInitDialog
// loads its data). An item without a page of its own shows its first child's page while the
// use-first-child flag is on (the default); with the flag off it shows nothing and the page
// that was shown stays. Leaving a page whose data are not valid is refused with the page's
// balloon, and the selection stays on it.
//
// The page rectangle comes from a placeholder widget and follows that widget when the
// layout moves or resizes it.

#include "qvsystem/controls/QVTreeCtrl.h"
#include "qvsystem/qvsystem_export.h"

#include <QPointer>
#include <QRect>

#include <utility>
#include <vector>

class CQVDialog;

class QVSYSTEM_EXPORT CQVDialogPageTreeCtrl : public CQVTreeCtrl {
    Q_OBJECT

public:
    using DialogPage = std::pair<unsigned, CQVDialog*>; // template id, page

    explicit CQVDialogPageTreeCtrl(QWidget* parent = nullptr);
    // Pages never shown (they have no parent yet) are deleted with the tree; the others are
    // children of the tree's parent and go with it.
    ~CQVDialogPageTreeCtrl() override;

    void SetUseFirstChild(bool use) { m_bUseFirstChild = use; }
    bool IsUseFirstChildSet() const { return m_bUseFirstChild; }

    // Appends the page (not shown yet) with its template id; false for a null page. The tree
    // takes ownership.
    bool AddDialogPage(unsigned templateId, CQVDialog* page);
    int GetDialogPageCount() const { return static_cast<int>(m_arrPages.size()); }
    // Maps the item to the page at the index; false when the item is not in this tree or the
    // index is outside the page array.
    bool SetDialogPage(QTreeWidgetItem* item, int index);
    // The item's page; with useFirstChild an item without a page gives its first child's.
    // (0, null) when there is none.
    DialogPage GetDialogPage(QTreeWidgetItem* item, bool useFirstChild) const;
    DialogPage GetSelectedDialogPage(bool useFirstChild) const;
    // The help topic of the selected item's page (honouring the use-first-child flag).
    QString GetSelectedHelpTopic() const;
    // The page that is shown now (null before the first).
    CQVDialog* GetCurrentDialogPage() const { return m_pCurrentPage; }

    // Takes the placeholder's rectangle, in the tree parent's coordinates; false for null.
    bool SetDialogPageRect(QWidget* placeholder);
    QRect GetDialogPageRect() const { return m_rcPage; }

    // Validates and saves the selected page, then every other page that was shown; the first
    // failure selects its item, shows its balloon and stops with false.
    bool SaveData();

    bool IsValidDialogPageIndex(int index) const { return index >= 0 && index < GetDialogPageCount(); }
    // The item's page index (-1 when it has none).
    int GetDialogPageIndex(const QTreeWidgetItem* item) const;
    bool RemoveDialogPageIndexFromMap(QTreeWidgetItem* item);
    void RemoveInvalidDialogPageIndicesFromMap();
    void DeleteDialogPageIndicesMapContents();
    // Deletes every page and empties the page array.
    void DeleteDialogPageArrayContents();

protected:
    bool CanChangeSelection(QTreeWidgetItem* from, QTreeWidgetItem* to) override;
    void OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ShowPage(CQVDialog* page);
    bool CreatePage(CQVDialog* page);
    void UpdatePageRect();
    template <typename Visit> void ForEachItem(Visit visit) const;

    bool m_bUseFirstChild = true;
    QRect m_rcPage;
    QPointer<QWidget> m_pPlaceholder;
    std::vector<std::pair<unsigned, QPointer<CQVDialog>>> m_arrPages;
    QPointer<CQVDialog> m_pCurrentPage;
};
