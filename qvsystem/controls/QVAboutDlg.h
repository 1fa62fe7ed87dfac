#pragma once
// The program's About box: a banner picture, a tree with "Product Information", "Loaded
// Modules" (one child per module loaded in the process, sorted by name) and, when the
// program gives a text, "Acknowledgements"; on the right the version details of the
// selected module: name, version, copyright, special build (red), file path and comments.
// Selecting "Loaded Modules" itself lists every module with its version and path.
//
// The details come from each module's version block (CModuleVersion); a module without one
// shows only its path.

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/ModuleVersion.h"

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CQVListCtrl;
class CQVTreeCtrl;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class QTreeWidgetItem;

inline constexpr unsigned IDD_QV_ABOUT = 20720;
// Control ids, also the widgets' object names (OK is 1).
inline constexpr int IDC_QV_ABOUT_BANNER = 23220;
inline constexpr int IDC_QV_ABOUT_BANNER_LINE = 23221;
inline constexpr int IDC_QV_ABOUT_TREE = 23222;
inline constexpr int IDC_QV_ABOUT_NAME = 23223;
inline constexpr int IDC_QV_ABOUT_VERSION = 23224;
inline constexpr int IDC_QV_ABOUT_COPYRIGHT = 23225;
inline constexpr int IDC_QV_ABOUT_SPECIAL_BUILD = 23226;
inline constexpr int IDC_QV_ABOUT_FILE_PATH_LABEL = 23227;
inline constexpr int IDC_QV_ABOUT_FILE_PATH = 23228;
inline constexpr int IDC_QV_ABOUT_COMMENTS_LABEL = 23229;
inline constexpr int IDC_QV_ABOUT_COMMENTS = 23230;
inline constexpr int IDC_QV_ABOUT_ACKNOWLEDGEMENTS_HEADING = 23231;
inline constexpr int IDC_QV_ABOUT_ACKNOWLEDGEMENTS = 23232;
inline constexpr int IDC_QV_ABOUT_MODULE_LIST = 23233;
inline constexpr int IDC_QV_ABOUT_SEPARATOR = 23234;
// Texts of qvsystem's table.
inline constexpr unsigned IDS_QV_ABOUT = 21700;                     // "About"
inline constexpr unsigned IDS_QV_ABOUT_PRODUCT_INFORMATION = 21701; // "Product Information"
inline constexpr unsigned IDS_QV_ABOUT_LOADED_MODULES = 21702;      // "Loaded Modules"
inline constexpr unsigned IDS_QV_ABOUT_ACKNOWLEDGEMENTS = 21703;    // "Acknowledgements"
inline constexpr unsigned IDS_QV_ABOUT_FILE_PATH = 21704;           // "&File path:"
inline constexpr unsigned IDS_QV_ABOUT_COMMENTS = 21705;            // "&Comments:"
inline constexpr unsigned IDS_QV_ABOUT_COLUMN_NAME = 21706;         // "Name"
inline constexpr unsigned IDS_QV_ABOUT_COLUMN_VERSION = 21707;      // "Version"
inline constexpr unsigned IDS_QV_ABOUT_COLUMN_PATH = 21708;         // "Path"
inline constexpr unsigned IDS_QV_ABOUT_OK = 21709;                  // "OK"

// The files of the modules loaded in a process, in load order: this process's from the
// dynamic linker, another one's from /proc/<pid>/maps (empty when it cannot be read).
// Only modules with a file are listed (not the kernel's vDSO); the main program of this
// process is listed by its path too.
QVSYSTEM_EXPORT QStringList AfxEnumerateProcessModules(qint64 processId);

class QVSYSTEM_EXPORT CQVAboutDlg : public CQVDialog {
    Q_OBJECT

public:
    // Columns of the module list.
    static constexpr int COLUMN_NAME = 0;
    static constexpr int COLUMN_VERSION = 1;
    static constexpr int COLUMN_PATH = 2;

    // A null caption gives "About"; process id 0 is this process; an empty program path is
    // this process's program; banner id 0 shows no banner; an empty text gives no
    // acknowledgements page.
    CQVAboutDlg(const QString& caption, qint64 processId, const QString& programModulePath,
                unsigned bannerBitmapId = 0, const QString& acknowledgements = QString(),
                QWidget* parent = nullptr);
    ~CQVAboutDlg() override;

    bool OnInitDialog() override;
    void GetBoldControlIDs(std::vector<int>& ids) const override;

    bool HasAcknowledgements() const { return !m_strAcknowledgements.isEmpty(); }
    // Shows the acknowledgements heading and field instead of the details, or the reverse.
    void ShowAcknowledgements(bool show);
    // Fills the tree (the product, the loaded modules) and the module list.
    bool LoadModules();
    // Puts the banner bitmap into the banner control; false when there is none.
    bool LoadWatermark();
    void DeleteModuleVersionArrayContents();

    CQVTreeCtrl* GetTreeCtrl() const { return m_pTree; }
    CQVListCtrl* GetModuleList() const { return m_pModuleList; }
    QTreeWidgetItem* GetProductInformationItem() const { return m_pProductItem; }
    QTreeWidgetItem* GetLoadedModulesItem() const { return m_pModulesItem; }
    QTreeWidgetItem* GetAcknowledgementsItem() const { return m_pAcknowledgementsItem; }
    // The child of "Loaded Modules" with that file name, or null.
    QTreeWidgetItem* FindModuleItem(const QString& fileName) const;

private:
    struct CModuleEntry {
        QString strPath;
        CModuleVersion version;
    };

    int AddModule(const QString& path);
    void OnSelectionChanged(QTreeWidgetItem* current);
    void ShowModule(int index, bool product);
    void ShowModuleList();
    void ClearDetails();

    QString m_strCaption;
    qint64 m_nProcessId;
    QString m_strProgramModulePath;
    unsigned m_nBannerBitmapId;
    QString m_strAcknowledgements;
    std::vector<std::unique_ptr<CModuleEntry>> m_modules;

    QLabel* m_pBanner = nullptr;
    QFrame* m_pBannerLine = nullptr;
    CQVTreeCtrl* m_pTree = nullptr;
    QStackedWidget* m_pPages = nullptr;
    QWidget* m_pDetailsPage = nullptr;
    QWidget* m_pAcknowledgementsPage = nullptr;
    QLabel* m_pName = nullptr;
    QLabel* m_pVersion = nullptr;
    QLabel* m_pCopyright = nullptr;
    QLabel* m_pSpecialBuild = nullptr;
    QLineEdit* m_pFilePath = nullptr;
    QPlainTextEdit* m_pComments = nullptr;
    QPlainTextEdit* m_pAcknowledgements = nullptr;
    CQVListCtrl* m_pModuleList = nullptr;
    QTreeWidgetItem* m_pProductItem = nullptr;
    QTreeWidgetItem* m_pModulesItem = nullptr;
    QTreeWidgetItem* m_pAcknowledgementsItem = nullptr;
};
