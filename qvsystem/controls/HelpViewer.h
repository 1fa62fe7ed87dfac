#pragma once
// The help viewer: one window for the whole program, reused and raised by every request.
// At its left three tabs, Contents (the tree of the contents file), Index (the keywords of
// the index file, narrowed as you type) and Search (full-text search, best pages first); at
// its right the page. Links between pages are followed inside the viewer; web addresses
// (http and https) go to the desktop's browser through AfxOpenHelpTarget; nothing else is
// opened, and nothing outside the help folder is read.
//
// Opened while a modal dialog runs (F1 in a dialog), the window becomes a window of that
// dialog so that the dialog does not block it, and is handed back to the desktop when the
// dialog closes.
//
// Tests and tools find the controls by their ids (the object names below).

#include "qvsystem/controls/HelpCollection.h"
#include "qvsystem/qvsystem_export.h"

#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

inline constexpr int IDC_QV_HELP_TABS = 23300;
inline constexpr int IDC_QV_HELP_CONTENTS_TREE = 23301;
inline constexpr int IDC_QV_HELP_INDEX_EDIT = 23302;
inline constexpr int IDC_QV_HELP_INDEX_LIST = 23303;
inline constexpr int IDC_QV_HELP_INDEX_DISPLAY = 23304;
inline constexpr int IDC_QV_HELP_SEARCH_EDIT = 23305;
inline constexpr int IDC_QV_HELP_SEARCH_LIST_TOPICS = 23306;
inline constexpr int IDC_QV_HELP_SEARCH_RESULTS = 23307;
inline constexpr int IDC_QV_HELP_SEARCH_DISPLAY = 23308;
inline constexpr int IDC_QV_HELP_SEARCH_FOUND = 23309;
inline constexpr int IDC_QV_HELP_BROWSER = 23310;
inline constexpr int IDC_QV_HELP_BACK = 23311;
inline constexpr int IDC_QV_HELP_FORWARD = 23312;
inline constexpr int IDC_QV_HELP_HOME = 23313;

// The page view: loads pages, stylesheets and images from the help folder only.
class QVSYSTEM_EXPORT CHelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit CHelpBrowser(QWidget* parent = nullptr);
    void SetCollection(const CHelpCollection* collection) { m_pCollection = collection; }
    QVariant loadResource(int type, const QUrl& name) override;

private:
    const CHelpCollection* m_pCollection = nullptr;
};

class QVSYSTEM_EXPORT CHelpViewer : public QWidget {
    Q_OBJECT

public:
    enum helpViewerTabs { contentsTab = 0, indexTab = 1, searchTab = 2 };

    // The one viewer window; created when asked for and not there yet.
    static CHelpViewer* GetViewer(bool create);
    static void DestroyViewer();

    ~CHelpViewer() override;

    // Loads the help file's pages from the folder unless they are the ones shown. False
    // with the reason when the folder holds no help.
    bool OpenHelpFile(const QString& helpFile, const QString& folder, QString* error);

    // Each shows its tab (and the first page while none is shown); false with the reason
    // when the tab's file or the topic cannot be shown, in which case nothing changes.
    bool ShowContents(QString* error);
    bool ShowIndex(const QString& keyword, QString* error);
    bool ShowSearch(const QString& query, QString* error);
    // An empty topic shows the first page.
    bool ShowTopic(const QString& topic, QString* error);

    // Shows the window (restored when minimized), raises and activates it.
    void Present();

    const CHelpCollection& GetCollection() const { return m_collection; }
    const QString& GetHelpFile() const { return m_strHelpFile; }
    // The page shown ("page.htm"), empty when none.
    QString GetCurrentTopic() const;
    int GetCurrentTab() const;
    CHelpBrowser* GetBrowser() const { return m_pBrowser; }

    // What the Index and Search tabs' buttons do.
    void FilterIndex(const QString& text);
    bool DisplaySelectedIndexTopic();
    void RunSearch();
    bool DisplaySelectedSearchTopic();

signals:
    void TopicShown(const QString& topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CHelpViewer();

    void BuildContents();
    void AddContentsEntries(QTreeWidgetItem* parent, const std::vector<CHelpContentsEntry>& entries);
    void BuildIndex();
    void ShowPage(const QString& path, const QString& anchor);
    void ShowFirstPageIfNone();
    void OnContentsItemChanged(QTreeWidgetItem* item);
    void OnSourceChanged(const QUrl& url);
    void OnLinkClicked(const QUrl& url);
    void HighlightSearchWords();
    void ReportRefusal(const QString& description);
    void AttachToOwner(QWidget* owner);
    void DetachFromOwner();

    CHelpCollection m_collection;
    QString m_strHelpFile;
    QStringList m_highlightWords; // from the search whose result is being shown
    bool m_bSyncingContents = false;
    bool m_bPlaced = false; // shown once: its geometry is the user's
    QPointer<QWidget> m_pOwner;

    QTabWidget* m_pTabs = nullptr;
    QTreeWidget* m_pContents = nullptr;
    QLineEdit* m_pIndexEdit = nullptr;
    QTreeWidget* m_pIndexList = nullptr;
    QPushButton* m_pIndexDisplay = nullptr;
    QLineEdit* m_pSearchEdit = nullptr;
    QPushButton* m_pSearchListTopics = nullptr;
    QTreeWidget* m_pSearchResults = nullptr;
    QPushButton* m_pSearchDisplay = nullptr;
    QLabel* m_pSearchFound = nullptr;
    QSplitter* m_pSplitter = nullptr;
    CHelpBrowser* m_pBrowser = nullptr;
    QToolButton* m_pBack = nullptr;
    QToolButton* m_pForward = nullptr;
    QToolButton* m_pHome = nullptr;
};
