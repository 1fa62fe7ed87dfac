#include "cordalib/ui/OptionsKeyboardDialogPage.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/KeyboardSettings.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/WaitCursor.h"
#include "qvsystem/controls/CaptureShortcutKeyDlg.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/SearchEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

COptionsShortcutListCtrl::COptionsShortcutListCtrl(QWidget* parent) : CKeyboardShortcutListCtrl(parent) {}

COptionsShortcutListCtrl::~COptionsShortcutListCtrl() = default;

void COptionsShortcutListCtrl::LoadDefaultColumnWidths()
{
    for (int trueColumn : GetTrueColumns())
        SetQVColumnWidth(trueColumn, GetDefaultColumnWidth(trueColumn));
}

COptionsKeyboardDialogPage::COptionsKeyboardDialogPage(const COptionsContext& context, QWidget* parent)
    : COptionsDialogPage(IDD, tr("Keyboard settings"), QStringLiteral("changingthekeyboardsettings.htm"),
                         context, parent),
      m_scheme(LoadAppString(IDS_MAIN_VIEW_SCHEME), LoadDefaultKeyboardMappingScheme)
{
    auto* fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(OptionsDialogUnitsToPixels(this, 4, 0).width());
    m_pScheme = new QComboBox(this);
    m_pScheme->setObjectName(QString::number(IDC_SCHEME));
    m_pScheme->addItem(LoadAppString(IDS_MAIN_VIEW_SCHEME));
    auto* schemeLabel = new QLabel(tr("&Scheme:"), this);
    schemeLabel->setBuddy(m_pScheme);
    m_pFilter = new CSearchEdit(this);
    m_pFilter->setObjectName(QString::number(IDC_FILTER));
    auto* filterLabel = new QLabel(tr("&Filter:"), this);
    filterLabel->setBuddy(m_pFilter);
    fields->addWidget(schemeLabel, 0, 0);
    fields->addWidget(m_pScheme, 0, 1);
    fields->addWidget(filterLabel, 1, 0);
    fields->addWidget(m_pFilter, 1, 1);
    fields->setColumnStretch(1, 1);
    Body()->addLayout(fields);

    m_pList = new COptionsShortcutListCtrl(this);
    m_pList->setObjectName(QString::number(IDC_SHORTCUTS));
    Body()->addWidget(m_pList, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_pAssign = new QPushButton(tr("&Assign..."), this);
    m_pAssign->setObjectName(QString::number(IDC_ASSIGN));
    m_pRemove = new QPushButton(tr("&Remove"), this);
    m_pRemove->setObjectName(QString::number(IDC_REMOVE));
    m_pResetAll = new QPushButton(tr("Re&set All"), this);
    m_pResetAll->setObjectName(QString::number(IDC_RESET_ALL));
    for (QPushButton* button : {m_pAssign, m_pRemove, m_pResetAll}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    Body()->addLayout(buttons);

    connect(m_pAssign, &QPushButton::clicked, this, &COptionsKeyboardDialogPage::OnAssign);
    connect(m_pRemove, &QPushButton::clicked, this, &COptionsKeyboardDialogPage::OnRemove);
    connect(m_pResetAll, &QPushButton::clicked, this, &COptionsKeyboardDialogPage::OnResetAll);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, &COptionsKeyboardDialogPage::OnAssign);
    connect(m_pFilter, &QLineEdit::textChanged, m_pList, &CKeyboardShortcutListCtrl::Filter);
    connect(m_pFilter, &CSearchEdit::CommandNotification, this, &COptionsKeyboardDialogPage::OnFilterCommand);
    connect(m_pScheme, &QComboBox::currentIndexChanged, this, &COptionsKeyboardDialogPage::OnSchemeChanged);
    // The selection decides the buttons at once, not only at the next idle time.
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &COptionsKeyboardDialogPage::UpdateControlStates);
}

COptionsKeyboardDialogPage::~COptionsKeyboardDialogPage() = default;

void COptionsKeyboardDialogPage::GetStateListCtrls(CQVListCtrlSubKeyMap& map, bool)
{
    map[m_pList] = QString::fromLatin1(CWindowSettings::KEYBOARD_SHORTCUT_LIST_CTRL_KEY);
}

bool COptionsKeyboardDialogPage::LoadData()
{
    if (CKeyboardSettings* settings = KeyboardSettings())
        m_scheme = settings->GetKeyboardMappingScheme();
    else
        m_scheme.LoadDefaultMappingScheme();
    if (m_pList->GetKeyboardMappingSchemeCount() == 0)
        m_pList->AddKeyboardMappingScheme(&m_scheme);
    else
        m_pList->SetKeyboardMappingScheme(0, &m_scheme);
    // Without a stored sort the commands are in name order.
    if (m_pList->GetSortColumn() < 0) {
        m_pList->SetSortColumn(CKeyboardShortcutListCtrl::COLUMN_COMMAND);
        m_pList->SetSortAscending(true);
    }
    m_pScheme->setCurrentIndex(0);
    m_pList->LoadKeyboardMappingScheme(0);
    return true;
}

bool COptionsKeyboardDialogPage::SaveData()
{
    CKeyboardSettings* settings = KeyboardSettings();
    if (!settings)
        return true;
    CWaitCursor wait;
    CKeyboardMappingScheme scheme = settings->GetKeyboardMappingScheme();
    scheme.ClearAllShortcutKeys();
    std::vector<CKeyboardShortcut> shortcuts;
    m_pList->GetKeyboardShortcuts(0, shortcuts);
    for (const CKeyboardShortcut& shortcut : shortcuts) {
        if (shortcut.IsShortcutKeySet())
            scheme.AddKeyboardShortcut(shortcut);
    }
    // A failed write of the store is not reported; the keys are in force for this run.
    settings->SetKeyboardMappingScheme(scheme, true);
    if (CMainFrame* frame = Frame())
        frame->ApplyKeyboardScheme(settings->GetKeyboardMappingScheme());
    return true;
}

void COptionsKeyboardDialogPage::UpdateControlStates()
{
    m_pAssign->setEnabled(m_pList->GetSelectedCount() == 1);
    m_pRemove->setEnabled(m_pList->GetSelectedItemsAssignedShortcutKeyCount() > 0);
}

void COptionsKeyboardDialogPage::OnAssign()
{
    const int row = m_pList->GetSingleSelectionItem();
    if (row < 0)
        return;
    CCaptureShortcutKeyDlg capture(this);
    if (capture.exec() != QDialog::Accepted || !capture.GetShortcutKey().IsKeySet())
        return;
    m_pList->SetShortcutKey(row, capture.GetShortcutKey());
    UpdateControlStates();
}

void COptionsKeyboardDialogPage::OnRemove()
{
    m_pList->ClearSelectedShortcutKeys();
    UpdateControlStates();
}

void COptionsKeyboardDialogPage::OnResetAll()
{
    if (AfxQVMessageBox(LoadAppString(IDS_RESET_KEYBOARD_SHORTCUTS), MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    m_pList->ResetAllKeyboardShortcuts();
    UpdateControlStates();
}

void COptionsKeyboardDialogPage::OnSchemeChanged(int index)
{
    m_pFilter->clear();
    m_pList->LoadKeyboardMappingScheme(index);
    UpdateControlStates();
}

void COptionsKeyboardDialogPage::OnFilterCommand(int notificationCode, int)
{
    if (notificationCode == EN_QV_CLEARBUTTON)
        m_pFilter->clear();
}
