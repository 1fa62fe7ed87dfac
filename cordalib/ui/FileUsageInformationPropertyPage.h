#pragma once
// "Usage Information" page of the file properties: one tree with what the library itself
// records: its created and modified times, the software that wrote it, and the number of
// files in all, of songs and of lessons (the total is always songs + lessons).

#include "qvsystem/controls/QVPropertyPage.h"

#include <QString>

class CLibraryDatabase;
class CQVTreeCtrl;

class CFileUsageInformationPropertyPage : public CQVPropertyPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD_FILE_USAGE_INFORMATION = 236;
    static constexpr int IDC_USAGE_TREE = 1210;

    // fileName: the database file's name ("New Database" when empty).
    CFileUsageInformationPropertyPage(const CLibraryDatabase& database, const QString& fileName,
                                      QWidget* parent = nullptr);
    ~CFileUsageInformationPropertyPage() override;

    CQVTreeCtrl* GetTreeControl() const { return m_pTree; }

    QString GetHelpTopic() const override;
    bool OnInitDialog() override;
    bool LoadData() override;

private:
    const CLibraryDatabase& m_database;
    QString m_strFileName;
    CQVTreeCtrl* m_pTree = nullptr;
};
