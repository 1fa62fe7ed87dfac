#pragma once
// "General" page of the file properties: what the library database file is (name, type,
// format version), where it is, its size and its file-system times. Read-only. Without a
// path (a library never saved) the name reads "New Database"; when the file cannot be
// asked about, the location and the times read "Unknown" and the size is that of 0 bytes.

#include "qvsystem/controls/QVPropertyPage.h"

#include <QString>

#include <cstdint>

class CEllipsisLabel;
class QLabel;

class CFileGeneralPropertyPage : public CQVPropertyPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD_FILE_GENERAL = 235;
    // Control ids of the values, also their object names.
    static constexpr int IDC_FILE_ICON = 1200;
    static constexpr int IDC_FILE_NAME = 1201;
    static constexpr int IDC_FILE_TYPE = 1202;
    static constexpr int IDC_FILE_VERSION = 1203;
    static constexpr int IDC_FILE_LOCATION = 1204;
    static constexpr int IDC_FILE_SIZE = 1205;
    static constexpr int IDC_FILE_CREATED = 1206;
    static constexpr int IDC_FILE_MODIFIED = 1207;
    static constexpr int IDC_FILE_ACCESSED = 1208;

    // path: the database file (empty: none yet); formatVersion: the database's format.
    CFileGeneralPropertyPage(const QString& path, uint16_t formatVersion, QWidget* parent = nullptr);
    ~CFileGeneralPropertyPage() override;

    // The text a value control shows (empty for an id without one).
    QString GetValueText(int id) const;

    QString GetHelpTopic() const override;
    void GetBoldControlIDs(std::vector<int>& ids) const override;
    bool OnInitDialog() override;
    bool LoadData() override;

private:
    QLabel* Value(int id) const;

    QString m_strPath;
    uint16_t m_nFormatVersion;
    QLabel* m_pIcon = nullptr;
    CEllipsisLabel* m_pLocation = nullptr;
};
