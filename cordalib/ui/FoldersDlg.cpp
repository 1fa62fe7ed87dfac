#include "cordalib/ui/FoldersDlg.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/SynchronizedFolders.h"
#include "qvsystem/controls/FolderDialog.h"
#include "qvsystem/controls/QVListBox.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/QVValidationBalloon.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The browser's flags: file-system folders only, an edit box, the resizable browser.
constexpr unsigned FOLDER_BROWSE_FLAGS = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;

bool DefaultBrowse(QWidget* owner, const QString& title, QString& folder)
{
    return AfxFolderDialogDoModal(owner, title, folder, FOLDER_BROWSE_FLAGS) != 0;
}

CFoldersDlg::BrowseFunction& BrowseHook()
{
    static CFoldersDlg::BrowseFunction function;
    return function;
}

// Remembered in memory only, for the rest of the run.
QString& LastAddedFolder()
{
    static QString folder;
    return folder;
}

} // namespace

void CFoldersDlg::SetBrowseFunction(BrowseFunction function)
{
    BrowseHook() = std::move(function);
}

QString CFoldersDlg::GetLastAddedFolder()
{
    return LastAddedFolder();
}

void CFoldersDlg::SetLastAddedFolder(const QString& folder)
{
    LastAddedFolder() = folder;
}

CFoldersDlg::CFoldersDlg(CCordaLibrarianApp& app, QWidget* parent)
    : CQVDialog(IDD_FOLDERS, parent), m_app(app)
{
    setObjectName(QString::number(IDD_FOLDERS));
    setWindowTitle(tr("Folders"));

    auto* label = new QLabel(tr("&Folders to synchronize:"), this);
    m_pList = new CQVListBox(this);
    m_pList->setObjectName(QString::number(IDC_FOLDERS_LIST));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setMinimumSize(380, 200);
    label->setBuddy(m_pList);

    m_pAdd = new QPushButton(tr("&Add..."), this);
    m_pAdd->setObjectName(QString::number(IDC_FOLDERS_ADD));
    m_pRemove = new QPushButton(tr("&Remove"), this);
    m_pRemove->setObjectName(QString::number(IDC_FOLDERS_REMOVE));
    for (QPushButton* button : {m_pAdd, m_pRemove})
        button->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QString::number(1));
    ok->setText(AfxLoadString(IDS_QV_SHEET_OK));
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QString::number(2));
    cancel->setText(AfxLoadString(IDS_QV_SHEET_CANCEL));

    auto* side = new QVBoxLayout;
    side->addWidget(m_pAdd);
    side->addWidget(m_pRemove);
    side->addStretch(1);
    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_pList, 1, 0);
    grid->addLayout(side, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addSpacing(6);
    layout->addWidget(buttons);

    connect(m_pAdd, &QPushButton::clicked, this, [this] { AddFolder(); });
    connect(m_pRemove, &QPushButton::clicked, this, [this] { RemoveSelectedFolder(); });
    connect(m_pList, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    UpdateButtons();
}

CFoldersDlg::~CFoldersDlg() = default;

QString CFoldersDlg::GetHelpTopic() const
{
    return QStringLiteral("addingafoldertothelibrary.htm");
}

bool CFoldersDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    LoadData();
    return true;
}

bool CFoldersDlg::LoadData()
{
    m_folders = m_app.GetSynchronizedFolders();
    m_pList->ResetContent();
    for (const QString& folder : m_folders)
        m_pList->AddString(folder);
    if (!m_folders.isEmpty())
        m_pList->setCurrentRow(0);
    UpdateButtons();
    return true;
}

bool CFoldersDlg::AddFolder()
{
    QString folder = LastAddedFolder();
    // A remembered folder that has gone is no place to start.
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        folder.clear();
    const QString title = LoadAppString(IDS_SELECT_FOLDER_TO_ADD);
    const bool chosen = BrowseHook() ? BrowseHook()(this, title, folder) : DefaultBrowse(this, title, folder);
    if (!chosen || folder.isEmpty())
        return false;
    for (const QString& existing : std::as_const(m_folders)) {
        if (existing.compare(folder, Qt::CaseInsensitive) == 0) {
            AfxQVMessageBox(LoadAppString(IDS_FOLDER_ALREADY_IN_LIST), MB_OK | MB_ICONINFORMATION);
            return false;
        }
    }
    m_folders.append(folder);
    m_pList->setCurrentRow(m_pList->AddString(folder));
    LastAddedFolder() = folder;
    UpdateButtons();
    return true;
}

bool CFoldersDlg::RemoveSelectedFolder()
{
    const int row = m_pList->currentRow();
    if (row < 0 || row >= m_folders.size())
        return false;
    m_folders.removeAt(row);
    const int left = m_pList->DeleteString(row);
    if (left > 0)
        m_pList->setCurrentRow(row < left ? row : left - 1);
    UpdateButtons();
    return true;
}

bool CFoldersDlg::ValidateData(int& icon, QString& caption, QString& text, QRect& rect)
{
    (void)icon;
    (void)caption;
    for (const QString& folder : std::as_const(m_folders)) {
        if (!QFileInfo(folder).isDir()) {
            text = LoadAppString(IDS_FOLDER_PATHS_DO_NOT_EXIST);
            GetDlgItemRect(IDC_FOLDERS_LIST, rect);
            return false;
        }
    }
    return true;
}

bool CFoldersDlg::SaveData()
{
    // The list was kept within what the store loads, so this only fails to write; the
    // folders are the application's either way.
    m_app.SetSynchronizedFolders(m_folders, true);
    return true;
}

void CFoldersDlg::OnIdle()
{
    UpdateButtons();
}

void CFoldersDlg::UpdateButtons()
{
    // The store loads at most 50 folders: a longer list would be refused when saved.
    m_pAdd->setEnabled(m_folders.size() < CSynchronizedFolders::MAX_FOLDERS);
    m_pRemove->setEnabled(m_pList->currentRow() >= 0);
}
