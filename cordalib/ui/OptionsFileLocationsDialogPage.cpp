#include "cordalib/ui/OptionsFileLocationsDialogPage.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/FileLocations.h"
#include "cordalib/ui/WaitCursor.h"
#include "qvsystem/controls/FolderDialog.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/FileUtilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

constexpr qint64 COPY_BLOCK = 1024 * 1024;

// Writes a copy of the file through a temporary file beside the target that replaces it
// only when complete, so a failed copy never leaves half a database behind.
bool CopyFileSafely(const QString& from, const QString& to, QString& error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        error = source.errorString();
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        error = target.errorString();
        return false;
    }
    while (!source.atEnd()) {
        const QByteArray block = source.read(COPY_BLOCK);
        if (block.isEmpty() && source.error() != QFileDevice::NoError) {
            error = source.errorString();
            target.cancelWriting();
            return false;
        }
        if (target.write(block) != block.size()) {
            error = target.errorString();
            target.cancelWriting();
            return false;
        }
    }
    if (!target.commit()) {
        error = target.errorString();
        return false;
    }
    return true;
}

} // namespace

COptionsFileLocationsListCtrl::COptionsFileLocationsListCtrl(QWidget* parent) : CQVListCtrl(parent) {}

COptionsFileLocationsListCtrl::~COptionsFileLocationsListCtrl() = default;

int COptionsFileLocationsListCtrl::GetDefaultColumnWidth(int trueColumn) const
{
    if (trueColumn == COptionsFileLocationsDialogPage::COLUMN_FILE_TYPE)
        return COptionsFileLocationsDialogPage::FILE_TYPE_COLUMN_WIDTH;
    if (trueColumn == COptionsFileLocationsDialogPage::COLUMN_LOCATION)
        return m_nLocationWidth;
    return CQVListCtrl::GetDefaultColumnWidth(trueColumn);
}

void COptionsFileLocationsListCtrl::LoadDefaultColumnWidths()
{
    for (int trueColumn : GetTrueColumns())
        SetQVColumnWidth(trueColumn, GetDefaultColumnWidth(trueColumn));
}

COptionsFileLocationsDialogPage::COptionsFileLocationsDialogPage(const COptionsContext& context,
                                                                 QWidget* parent)
    : COptionsDialogPage(IDD, tr("File locations"), QStringLiteral("changingthefilelocations.htm"), context,
                         parent)
{
    m_pList = new COptionsFileLocationsListCtrl(this);
    m_pList->setObjectName(QString::number(IDC_LOCATIONS));
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->BlockHeaderSort(true);
    const int listWidth = OptionsDialogUnitsToPixels(this, PAGE_WIDTH_UNITS - 7, 0).width();
    const int frame = 2 * m_pList->frameWidth() + 2;
    m_pList->SetDefaultLocationWidth(
        std::max(FILE_TYPE_COLUMN_WIDTH, listWidth - FILE_TYPE_COLUMN_WIDTH - frame));
    m_pList->InsertQVColumn(COLUMN_FILE_TYPE, COLUMN_FILE_TYPE, true, LoadAppString(IDS_FILE_TYPE_COLUMN),
                            LVCFMT_LEFT, m_pList->GetDefaultColumnWidth(COLUMN_FILE_TYPE));
    m_pList->InsertQVColumn(COLUMN_LOCATION, COLUMN_LOCATION, true, LoadAppString(IDS_LOCATION_COLUMN),
                            LVCFMT_LEFT, m_pList->GetDefaultColumnWidth(COLUMN_LOCATION));
    Body()->addWidget(m_pList, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_pOpen = new QPushButton(tr("&Open"), this);
    m_pOpen->setObjectName(QString::number(IDC_OPEN));
    m_pModify = new QPushButton(tr("&Modify..."), this);
    m_pModify->setObjectName(QString::number(IDC_MODIFY));
    for (QPushButton* button : {m_pOpen, m_pModify}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    Body()->addLayout(buttons);

    connect(m_pOpen, &QPushButton::clicked, this, &COptionsFileLocationsDialogPage::OnOpen);
    connect(m_pModify, &QPushButton::clicked, this, &COptionsFileLocationsDialogPage::OnModify);
}

COptionsFileLocationsDialogPage::~COptionsFileLocationsDialogPage() = default;

void COptionsFileLocationsDialogPage::GetStateListCtrls(CQVListCtrlSubKeyMap& map, bool)
{
    map[m_pList] = QString::fromLatin1(CWindowSettings::FILE_LOCATIONS_LIST_CTRL_KEY);
}

bool COptionsFileLocationsDialogPage::LoadData()
{
    m_pList->DeleteAllItems();
    for (int location = 0; location < FILE_LOCATION_COUNT; ++location) {
        const int row = m_pList->InsertItem(location, CFileLocationSettings::GetLocationName(location));
        QString folder;
        App().GetFileLocation(location, folder);
        m_pList->SetItemText(row, COLUMN_LOCATION, QDir::toNativeSeparators(folder));
        m_pList->SetItemData(row, location);
    }
    m_pList->SelectItem(0, true);
    return true;
}

QString COptionsFileLocationsDialogPage::GetRowLocation(int row) const
{
    if (row < 0 || row >= m_pList->GetItemCount())
        return QString();
    return QDir::fromNativeSeparators(m_pList->GetItemText(row, COLUMN_LOCATION));
}

bool COptionsFileLocationsDialogPage::ValidateData(int&, QString&, QString& text, QRect& rect)
{
    for (int row = 0; row < m_pList->GetItemCount(); ++row) {
        if (GetRowLocation(row).trimmed().isEmpty())
            return RefuseControl(m_pList, LoadAppString(IDS_INVALID_FILE_LOCATIONS), text, rect);
    }
    return true;
}

bool COptionsFileLocationsDialogPage::SaveData()
{
    CFileLocationSettings& locations = App().GetFileLocationSettings();
    const QString oldFolder = locations.GetFileLocation(fileLocationDatabaseFiles);
    const QString oldPath = App().GetDefaultDatabasePath();
    int databaseRow = -1;
    for (int row = 0; row < m_pList->GetItemCount(); ++row) {
        const int location = m_pList->GetItemData(row).toInt();
        if (location == fileLocationDatabaseFiles)
            databaseRow = row;
        App().SetFileLocation(location, GetRowLocation(row), true);
    }
    locations.CreateFolders();
    const QString newPath = App().GetDefaultDatabasePath();
    if (QDir::cleanPath(oldPath) != QDir::cleanPath(newPath) && !CopyDatabaseFile(oldPath, newPath)) {
        App().SetFileLocation(fileLocationDatabaseFiles, oldFolder, true);
        if (databaseRow >= 0)
            m_pList->SetItemText(databaseRow, COLUMN_LOCATION, QDir::toNativeSeparators(oldFolder));
    }
    return true;
}

bool COptionsFileLocationsDialogPage::CopyDatabaseFile(const QString& from, const QString& to)
{
    // Nothing saved yet: the next save writes the library into the new folder.
    if (!QFileInfo::exists(from))
        return true;
    const QFileInfo target(to);
    const QString newFolder = QDir::toNativeSeparators(target.absolutePath());
    const QString oldFolder = QDir::toNativeSeparators(QFileInfo(from).absolutePath());
    if (target.exists()) {
        // Another spelling of the same folder (a link to it): the file is already there.
        if (target.canonicalFilePath() == QFileInfo(from).canonicalFilePath())
            return true;
        const QString question =
            AfxFormatMessage(LoadAppString(IDS_REPLACE_DATABASE_FILE), newFolder, oldFolder);
        if (AfxQVMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
    }
    QString error;
    bool copied = false;
    {
        CWaitCursor wait;
        copied = CopyFileSafely(from, to, error);
    }
    if (!copied) {
        AfxQVMessageBox(AfxFormatMessage(LoadAppString(IDS_DATABASE_COPY_FAILED),
                                         QDir::toNativeSeparators(to), error, oldFolder),
                        MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void COptionsFileLocationsDialogPage::OnOpen()
{
    const int row = m_pList->GetSingleSelectionItem();
    if (row < 0)
        return;
    AfxOpenFile(GetRowLocation(row));
}

void COptionsFileLocationsDialogPage::OnModify()
{
    const int row = m_pList->GetSingleSelectionItem();
    if (row < 0)
        return;
    QString folder = GetRowLocation(row);
    const QString title = AfxFormatMessage(LoadAppString(IDS_SELECT_LOCATION_FOLDER),
                                           m_pList->GetItemText(row, COLUMN_FILE_TYPE));
    if (AfxFolderDialogDoModal(this, title, folder, BROWSE_FLAGS) && !folder.isEmpty())
        m_pList->SetItemText(row, COLUMN_LOCATION, QDir::toNativeSeparators(folder));
}

void COptionsFileLocationsDialogPage::UpdateControlStates()
{
    const bool single = m_pList->GetSelectedCount() == 1;
    m_pOpen->setEnabled(single);
    m_pModify->setEnabled(single);
}
