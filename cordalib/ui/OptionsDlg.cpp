#include "cordalib/ui/OptionsDlg.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/OptionsDialogPages.h"
#include "cordalib/ui/OptionsFileLocationsDialogPage.h"
#include "cordalib/ui/OptionsKeyboardDialogPage.h"
#include "cordalib/ui/RecordListCtrl.h"
#include "qvsystem/controls/QVDialogPageTreeCtrl.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Where each page goes in the tree.
struct CPageEntry {
    int index;
    unsigned labelId;
    bool online;
};

constexpr CPageEntry PAGE_TREE[COptionsDlg::PAGE_COUNT] = {
    {COptionsDlg::pageAutoComplete, IDS_OPTIONS_AUTOCOMPLETE, false},
    {COptionsDlg::pageFileLocations, IDS_OPTIONS_FILE_LOCATIONS, false},
    {COptionsDlg::pageGeneral, IDS_OPTIONS_GENERAL, false},
    {COptionsDlg::pageKeyboard, IDS_OPTIONS_KEYBOARD, false},
    {COptionsDlg::pageMessageBoxes, IDS_OPTIONS_MESSAGE_BOXES, false},
    {COptionsDlg::pageSearch, IDS_OPTIONS_SEARCH, false},
    {COptionsDlg::pageSecurity, IDS_OPTIONS_SECURITY, false},
    {COptionsDlg::pageStartup, IDS_OPTIONS_STARTUP, false},
    {COptionsDlg::pageSystemTray, IDS_OPTIONS_SYSTEM_TRAY, false},
    {COptionsDlg::pageCheckForUpdates, IDS_OPTIONS_CHECK_FOR_UPDATES, true},
};

} // namespace

COptionsDlg::COptionsDlg(CCordaLibrarianApp& app, CMainFrame* frame, QWidget* parent)
    : CQVDialog(IDD, parent), m_app(app), m_pFrame(frame)
{
    setObjectName(QString::number(IDD));
    setWindowTitle(LoadAppString(IDS_OPTIONS_CAPTION));

    const QSize margin = OptionsDialogUnitsToPixels(this, 7, 7);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin.width(), margin.height(), margin.width(), margin.height());
    layout->setSpacing(margin.height());

    auto* row = new QHBoxLayout;
    row->setSpacing(margin.width());
    m_pTree = new CQVDialogPageTreeCtrl(this);
    m_pTree->setObjectName(QString::number(IDC_PAGE_TREE));
    m_pTree->setFixedWidth(OptionsDialogUnitsToPixels(this, TREE_WIDTH_UNITS, 0).width());
    // The page area only marks where the pages go; it draws nothing itself.
    m_pPageArea = new QWidget(this);
    m_pPageArea->setObjectName(QString::number(IDC_PAGE_AREA));
    m_pPageArea->setMinimumSize(OptionsDialogUnitsToPixels(this, COptionsDialogPage::PAGE_WIDTH_UNITS,
                                                           COptionsDialogPage::PAGE_HEIGHT_UNITS));
    row->addWidget(m_pTree);
    row->addWidget(m_pPageArea, 1);
    layout->addLayout(row, 1);

    layout->addWidget(CreateHelpSeparator(this));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CreateHelpButton(this));
    buttons->addStretch(1);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

COptionsDlg::~COptionsDlg()
{
    // Ending the dialog here, while the pages are whole, keeps their lists' column state.
    if (IsInitialized())
        DestroyWindow();
    m_pTree->DeleteDialogPageArrayContents();
}

void COptionsDlg::CreatePages()
{
    const COptionsContext context{m_app, m_pFrame, m_app.GetKeyboardSettings()};
    m_pages[pageAutoComplete] = new COptionsAutoCompleteDialogPage(context);
    m_pages[pageFileLocations] = new COptionsFileLocationsDialogPage(context);
    m_pages[pageGeneral] = new COptionsGeneralDialogPage(context);
    m_pages[pageKeyboard] = new COptionsKeyboardDialogPage(context);
    m_pages[pageMessageBoxes] = new COptionsMessageBoxesDialogPage(context);
    m_pages[pageSearch] = new COptionsSearchDialogPage(context);
    m_pages[pageSecurity] = new COptionsSecurityDialogPage(context);
    m_pages[pageStartup] = new COptionsStartupDialogPage(context);
    m_pages[pageSystemTray] = new COptionsSystemTrayDialogPage(context);
    m_pages[pageCheckForUpdates] = new COptionsCheckForUpdatesDialogPage(context);

    // The page area is as large as the largest page needs, so no page is cut.
    QSize area = m_pPageArea->minimumSize();
    for (COptionsDialogPage* page : m_pages) {
        m_pTree->AddDialogPage(page->GetTemplateID(), page);
        area = area.expandedTo(page->minimumSizeHint()).expandedTo(page->minimumSize());
    }
    m_pPageArea->setMinimumSize(area);

    m_pEnvironment = m_pTree->InsertItem(LoadAppString(IDS_OPTIONS_ENVIRONMENT));
    m_pTree->BoldItem(m_pEnvironment, true);
    m_pOnline = m_pTree->InsertItem(LoadAppString(IDS_OPTIONS_ONLINE));
    m_pTree->BoldItem(m_pOnline, true);
    for (const CPageEntry& entry : PAGE_TREE) {
        QTreeWidgetItem* item = m_pTree->InsertItem(LoadAppString(entry.labelId),
                                                    entry.online ? m_pOnline : m_pEnvironment, true);
        m_pTree->SetDialogPage(item, entry.index);
        m_items[entry.index] = item;
    }
}

bool COptionsDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    if (!m_pEnvironment) {
        CreatePages();
        m_pTree->SetDialogPageRect(m_pPageArea);
        adjustSize();
    }
    m_pTree->ExpandAll();
    m_pTree->SelectItem(m_pEnvironment, false);
    m_pTree->setFocus();
    return true;
}

void COptionsDlg::OnOK()
{
    if (m_pTree->SaveData())
        CQVDialog::OnOK();
}

QString COptionsDlg::GetHelpTopic() const
{
    return m_pTree->GetSelectedHelpTopic();
}

void COptionsDlg::GetDialogPageTreeCtrls(std::vector<CQVDialogPageTreeCtrl*>& trees) const
{
    trees.push_back(m_pTree);
}

COptionsDialogPage* COptionsDlg::GetPage(int index) const
{
    return index >= 0 && index < PAGE_COUNT ? m_pages[static_cast<size_t>(index)] : nullptr;
}

QTreeWidgetItem* COptionsDlg::GetPageItem(int index) const
{
    return index >= 0 && index < PAGE_COUNT ? m_items[static_cast<size_t>(index)] : nullptr;
}

bool COptionsDlg::SelectPage(int index)
{
    QTreeWidgetItem* item = GetPageItem(index);
    return item && m_pTree->SelectItem(item, true);
}

int RunOptionsDialog(CMainFrame& frame, CCordaLibrarianApp& app)
{
    COptionsDlg dialog(app, &frame, &frame);
    const int result = dialog.exec();
    if (result == QDialog::Accepted) {
        if (CMainHeaderFormView* searchBar = frame.GetSearchBar())
            searchBar->ShowSearchButton(!app.GetSearchSettings().GetEnableAutoResults());
        if (CRecordListCtrl* list = frame.GetCurrentList())
            list->viewport()->update();
    }
    return result;
}

void InstallOptionsCommand(CMainFrame& frame, CCordaLibrarianApp& app)
{
    frame.SetCommandHandler(int(CordaCommands::ID_TOOLS_OPTIONS),
                            [&frame, &app] { RunOptionsDialog(frame, app); });
}
