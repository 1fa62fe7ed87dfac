#include "cordalib/ui/FilePropertySheet.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/ui/FileGeneralPropertyPage.h"
#include "cordalib/ui/FileUsageInformationPropertyPage.h"
#include "qvsystem/system/FileUtilities.h"

#include <QPushButton>

CFilePropertySheet::CFilePropertySheet(const CLibraryDatabase& database, const QString& path, QWidget* parent,
                                       int selectPage)
    : CQVPropertySheet(IDS_FILE_PROPERTIES, parent, selectPage)
{
    setWindowTitle(LoadAppString(IDS_FILE_PROPERTIES));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QString folder;
    QString fileName;
    AfxExtractFolderPathAndFileNameFromPath(path, folder, fileName);
    m_pGeneral = new CFileGeneralPropertyPage(path, CLibraryDatabase::FORMAT_VERSION);
    m_pUsage = new CFileUsageInformationPropertyPage(database, fileName);
    AddPage(m_pGeneral);
    AddPage(m_pUsage);
}

CFilePropertySheet::~CFilePropertySheet() = default;

bool CFilePropertySheet::OnInitDialog()
{
    CQVPropertySheet::OnInitDialog();
    // Nothing on the pages can be changed: there is nothing to apply.
    if (QPushButton* apply = GetButton(IDC_QV_SHEET_APPLY))
        apply->setVisible(false);
    return true;
}

QString CFilePropertySheet::GetDatabaseFilePath(const CCordaLibrarianApp& app)
{
    const CLibraryDatabase& database = app.GetLibraryDatabase();
    if (!database.GetPath().isEmpty())
        return database.GetPath();
    const QString path = app.GetDefaultDatabasePath();
    return AfxIsExistingFile(path) ? path : QString();
}
