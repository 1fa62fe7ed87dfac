#pragma once
// The Folders dialog: the list of synchronized folders, with Add (the folder browser) and
// Remove. It works on a copy of the application's list; OK checks that every folder exists
// and then makes the copy the application's list and saves it to the settings store.

#include "qvsystem/controls/QVDialog.h"

#include <QString>
#include <QStringList>

#include <functional>

class CCordaLibrarianApp;
class CQVListBox;
class QPushButton;

inline constexpr unsigned IDD_FOLDERS = 239;
// Control ids, also the controls' object names.
inline constexpr int IDC_FOLDERS_LIST = 23080;
inline constexpr int IDC_FOLDERS_ADD = 23081;
inline constexpr int IDC_FOLDERS_REMOVE = 23082;

class CFoldersDlg : public CQVDialog {
    Q_OBJECT

public:
    // What Add asks the user with: the owner, the browser's title and the folder (in: where
    // the browser starts, when it exists; out: the folder chosen). False when cancelled.
    using BrowseFunction = std::function<bool(QWidget* owner, const QString& title, QString& folder)>;
    // Replaces the folder browser (tests answer it without a window); null restores it.
    static void SetBrowseFunction(BrowseFunction function);
    // The folder Add chose last in this run of the program (empty at first).
    static QString GetLastAddedFolder();
    static void SetLastAddedFolder(const QString& folder);

    explicit CFoldersDlg(CCordaLibrarianApp& app, QWidget* parent = nullptr);
    ~CFoldersDlg() override;

    // The working list, in the order shown.
    const QStringList& GetFolders() const { return m_folders; }

    // Add: the browser, then the folder appended and selected unless it is in the list
    // already (ignoring letter case: string 118). True when a folder was added.
    bool AddFolder();
    // Remove: the selected folder goes; the one now at its place, or the last, is selected.
    bool RemoveSelectedFolder();

    CQVListBox* GetListBox() const { return m_pList; }
    QPushButton* GetAddButton() const { return m_pAdd; }
    QPushButton* GetRemoveButton() const { return m_pRemove; }

    QString GetHelpTopic() const override;
    bool OnInitDialog() override;
    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;
    void OnIdle() override;

private:
    void UpdateButtons();

    CCordaLibrarianApp& m_app;
    QStringList m_folders;
    CQVListBox* m_pList = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pRemove = nullptr;
};
