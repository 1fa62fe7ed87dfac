#pragma once
// The File Locations page of the Options dialog: the four folders (Database Files, Backup
// Files, Log Files, Temporary Files) in a list, each opened with the shell (Open) or chosen
// with the folder browser (Modify...).
//
// OK writes the four folders and creates those that do not exist. When the database's
// folder changed, library.cordb is copied from the old folder into the new one (the old
// file stays), so the library opens from there at the next start; the next save of the
// library goes there too. A library database already in the new folder is replaced only
// when the user says so; otherwise, and when the copy fails (the user is told why), the
// Database Files folder stays as it was, so the library is never left behind.

#include "cordalib/ui/OptionsDialogPage.h"
#include "qvsystem/controls/QVListCtrl.h"

class QPushButton;

// The list of the four locations: without a stored column state its columns take their
// default widths (the locations filling the list) rather than the widths of the headings.
class COptionsFileLocationsListCtrl : public CQVListCtrl {
    Q_OBJECT

public:
    explicit COptionsFileLocationsListCtrl(QWidget* parent = nullptr);
    ~COptionsFileLocationsListCtrl() override;

    void SetDefaultLocationWidth(int width) { m_nLocationWidth = width; }
    int GetDefaultColumnWidth(int trueColumn) const override;
    void LoadDefaultColumnWidths() override;

private:
    int m_nLocationWidth = DEFAULT_COLUMN_WIDTH;
};

class COptionsFileLocationsDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 25;
    static constexpr int IDC_LOCATIONS = 61;
    static constexpr int IDC_OPEN = 94;
    static constexpr int IDC_MODIFY = 72;
    // The list's columns.
    static constexpr int COLUMN_FILE_TYPE = 0;
    static constexpr int COLUMN_LOCATION = 1;
    static constexpr int FILE_TYPE_COLUMN_WIDTH = 150;
    // The folder browser's flags: file-system folders, an edit box, the new style.
    static constexpr unsigned BROWSE_FLAGS = 0x51;

    explicit COptionsFileLocationsDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsFileLocationsDialogPage() override;

    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;
    void UpdateControlStates() override;
    using COptionsDialogPage::GetStateListCtrls;
    void GetStateListCtrls(CQVListCtrlSubKeyMap& map, bool saving) override;

    // Opens the selected row's folder; chooses a new folder for it.
    void OnOpen();
    void OnModify();

    COptionsFileLocationsListCtrl* GetListControl() const { return m_pList; }
    // The folder a row shows now (empty outside the rows).
    QString GetRowLocation(int row) const;

private:
    // Copies the library database after its folder changed; false when the copy did not
    // happen (declined or failed), and the Database Files folder is to go back.
    bool CopyDatabaseFile(const QString& from, const QString& to);

    COptionsFileLocationsListCtrl* m_pList = nullptr;
    QPushButton* m_pOpen = nullptr;
    QPushButton* m_pModify = nullptr;
};
