#pragma once
// "File Properties": the read-only sheet about the library database file, with the General
// and Usage Information pages. OK and Cancel close it; there is no Apply button and no
// caption help button (the sheet's Help button opens the active page's topic).

#include "qvsystem/controls/QVPropertySheet.h"

#include <QString>

class CCordaLibrarianApp;
class CFileGeneralPropertyPage;
class CFileUsageInformationPropertyPage;
class CLibraryDatabase;

class CFilePropertySheet : public CQVPropertySheet {
    Q_OBJECT

public:
    static constexpr int PAGE_GENERAL = 0;
    static constexpr int PAGE_USAGE_INFORMATION = 1;

    // path: the database file (empty for a library that has no file yet); the sheet opens
    // at selectPage.
    CFilePropertySheet(const CLibraryDatabase& database, const QString& path, QWidget* parent = nullptr,
                       int selectPage = PAGE_GENERAL);
    ~CFilePropertySheet() override;

    CFileGeneralPropertyPage* GetGeneralPage() const { return m_pGeneral; }
    CFileUsageInformationPropertyPage* GetUsageInformationPage() const { return m_pUsage; }

    // The file the sheet describes for the program's library: the database's own path, or
    // the library file at its usual place once it exists there; empty while there is none.
    static QString GetDatabaseFilePath(const CCordaLibrarianApp& app);

protected:
    bool OnInitDialog() override;

private:
    CFileGeneralPropertyPage* m_pGeneral = nullptr;
    CFileUsageInformationPropertyPage* m_pUsage = nullptr;
};
