#pragma once
// The Options dialog (Tools > Options...): a tree of ten option pages. The tree has the
// bold headings "Environment" (AutoComplete ... System Tray) and "Online" (Check For
// Updates), all expanded; selecting an item shows its page (a heading shows its first
// child's) in the page area, and the dialog's help topic is the shown page's.
//
// OK validates and saves every page that has been shown, the shown one first; the first
// page whose data are not valid comes to the front with its balloon and the dialog stays
// open. Cancel changes nothing.

#include "qvsystem/controls/QVDialog.h"

#include <array>

class CCordaLibrarianApp;
class CMainFrame;
class COptionsDialogPage;
class CQVDialogPageTreeCtrl;
class QTreeWidgetItem;

class COptionsDlg : public CQVDialog {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 20;
    static constexpr int IDC_PAGE_TREE = 53;
    static constexpr int IDC_PAGE_AREA = 54;
    // The dialog's size and the tree's width (dialog units).
    static constexpr int DIALOG_WIDTH_UNITS = 438;
    static constexpr int DIALOG_HEIGHT_UNITS = 226;
    static constexpr int TREE_WIDTH_UNITS = 137;

    // The pages, in the order they are added.
    enum optionsPages {
        pageAutoComplete = 0,
        pageFileLocations = 1,
        pageGeneral = 2,
        pageKeyboard = 3,
        pageMessageBoxes = 4,
        pageSearch = 5,
        pageSecurity = 6,
        pageStartup = 7,
        pageSystemTray = 8,
        pageCheckForUpdates = 9,
        PAGE_COUNT = 10
    };

    // The frame's icon and keys follow the options when one is given.
    COptionsDlg(CCordaLibrarianApp& app, CMainFrame* frame, QWidget* parent = nullptr);
    ~COptionsDlg() override;

    // Places the page area, adds the pages and builds the tree (once).
    bool OnInitDialog() override;
    // The page tree's SaveData; the dialog closes only when it succeeded.
    void OnOK() override;
    QString GetHelpTopic() const override;
    void GetDialogPageTreeCtrls(std::vector<CQVDialogPageTreeCtrl*>& trees) const override;

    CQVDialogPageTreeCtrl* GetPageTree() const { return m_pTree; }
    QWidget* GetPageArea() const { return m_pPageArea; }
    // Null before the dialog is initialised or for an index outside the pages.
    COptionsDialogPage* GetPage(int index) const;
    QTreeWidgetItem* GetPageItem(int index) const;
    QTreeWidgetItem* GetEnvironmentItem() const { return m_pEnvironment; }
    QTreeWidgetItem* GetOnlineItem() const { return m_pOnline; }
    // Selects the page's item as a click would (the shown page may refuse to be left).
    bool SelectPage(int index);

private:
    void CreatePages();

    CCordaLibrarianApp& m_app;
    CMainFrame* m_pFrame;
    CQVDialogPageTreeCtrl* m_pTree = nullptr;
    QWidget* m_pPageArea = nullptr;
    std::array<COptionsDialogPage*, PAGE_COUNT> m_pages{};
    std::array<QTreeWidgetItem*, PAGE_COUNT> m_items{};
    QTreeWidgetItem* m_pEnvironment = nullptr;
    QTreeWidgetItem* m_pOnline = nullptr;
};

// Tools > Options...: runs the dialog over the main window; after OK the search bar shows
// its Search button exactly while AutoResults is off, and the current list is redrawn.
// Returns the dialog's result.
int RunOptionsDialog(CMainFrame& frame, CCordaLibrarianApp& app);

// Makes Tools > Options... run RunOptionsDialog.
void InstallOptionsCommand(CMainFrame& frame, CCordaLibrarianApp& app);
