#pragma once
// The program's single top-level window: the title and icon, the menu bar, the panes in
// their splitters, the switch between the song and the lesson view, the focus ring, the
// footer, the notification-area icon, the saved placement and pane sizes, the idle save
// (timer 13) and the running-instance answer.
//
// Panes (row, column of their splitter):
//   main splitter, 3 rows, fixed:  (0) search bar 60 high, (1) browse splitter, (2) footer 80 high
//   browse splitter, 2 columns:    (0) view tree 200 wide, (1) song or lesson splitter
//   song / lesson splitter, 2 rows: (0) header pane 175 high, (1) the list
// Only one of the song and lesson splitters is shown; the shown one carries the object name
// of browse pane (0, 1).
//
// Commands are QActions whose object name is the command id. A later command goes in with
// AddCommand on one of the menu accessors and a connection of its triggered signal; its
// enabled and checked state, when it has one, is set in UpdateCommandStates, which runs
// before a menu opens and whenever the focus or a list's selection changes.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class CAlbumSummaryListBox;
class CKeyboardMappingScheme;
class CArtistSummaryListBox;
class CCordaLibrarianApp;
class CCordaLibrarianSplitterWnd;
class CLessonHeaderFormView;
class CLessonLevelSummaryListBox;
class CLessonListCtrl;
class CLessonListView;
class CLessonStyleSummaryListBox;
class CMainFooterFormView;
class CMainHeaderFormView;
class CMainSplitterWnd;
class CQVListCtrl;
class CRecordHeaderFormView;
class CRecordListCtrl;
class CRunningInstanceServer;
class CSongHeaderFormView;
class CSongListCtrl;
class CSongListView;
class CViewTreeView;
class QMenu;
class QSystemTrayIcon;

// Menu commands (the command ids are also the actions' object names).
inline constexpr int ID_FILE_OPEN_LOCATION_DATABASE_FILES = 32789;
inline constexpr int ID_FILE_OPEN_LOCATION_BACKUP_FILES = 32852;
inline constexpr int ID_FILE_OPEN_LOCATION_LOG_FILES = 32924;
inline constexpr int ID_FILE_OPEN_LOCATION_TEMPORARY_FILES = 32788;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_EDIT_SELECT_ALL = 57642;
inline constexpr int ID_EDIT_UNSELECT_ALL = 32848;
inline constexpr int ID_VIEW_SONGS = 32804;
inline constexpr int ID_VIEW_LESSONS = 32805;
inline constexpr int ID_VIEW_COLUMNS = 32794;
inline constexpr int ID_VIEW_SORT_ASCENDING = 32806;
inline constexpr int ID_VIEW_SORT_DESCENDING = 32807;
// The Sort By popup's column items: the first id plus the true column.
inline constexpr int ID_VIEW_SORT_COLUMN_FIRST = 50900;
inline constexpr int ID_VIEW_SORT_COLUMN_LAST = 50950;
// The notification-area menu's entry that brings the window back.
inline constexpr int ID_TRAY_RESTORE = 32960;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // The idle save: timer 13 ticks every 30 s and saves a modified library after five
    // minutes without input.
    static constexpr int IDLE_TIMER_ID = 13;
    static constexpr int IDLE_TIMER_PERIOD_MS = 30000;
    static constexpr uint32_t IDLE_SAVE_AFTER_MS = 300000;

    static constexpr int VIEW_SONGS = 0;
    static constexpr int VIEW_LESSONS = 1;
    // The stops of the focus ring.
    enum focusStops {
        stopSearchBar = 0,
        stopViewTree = 1,
        stopFirstSummary = 2,
        stopSecondSummary = 3,
        stopList = 4
    };
    static constexpr int FOCUS_STOP_COUNT = 5;

    // Initial pane sizes.
    static constexpr int SEARCH_BAR_HEIGHT = 60;
    static constexpr int FOOTER_HEIGHT = 80;
    static constexpr int VIEW_TREE_WIDTH = 200;
    static constexpr int HEADER_PANE_HEIGHT = 175;
    static constexpr int LIST_PANE_SIZE = 200;
    // Object names of the splitters: the first pane id of the frame, browse pane (0, 1), and
    // the hidden one beside it.
    static constexpr int IDW_PANE_FIRST = 0xE900;
    static constexpr int IDW_BROWSE_PANE = IDW_PANE_FIRST + 1;
    static constexpr int IDW_HIDDEN_BROWSE_PANE = IDW_BROWSE_PANE + 1;
    static constexpr int IDW_BROWSE_SPLITTER = IDW_PANE_FIRST + 16;
    // The notification-area icon and its menu.
    static constexpr int IDI_TRAY_ICON = 227;
    static constexpr int IDR_TRAY_MENU = 227;
    // The lists carry the list control id 23014 as their object name.
    static constexpr int IDC_LIST = 23014;

    explicit CMainFrame(CCordaLibrarianApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the menus and panes, adds the notification-area icon when the option asks for
    // it, fills the lists, shows the current selection and starts the idle timer; the window
    // stays hidden until the placement is restored or it is shown maximized.
    bool Create();

    // Answers the running-instance message at the path (RunningInstance.h).
    bool StartRunningInstanceServer(const QString& serverPath);
    CRunningInstanceServer* GetRunningInstanceServer() const { return m_pRunningInstanceServer; }

    // Shows the window as the stored placement says; false (nothing shown) when there is
    // no usable placement, and the caller shows the window maximized.
    bool RestoreWindowPlacement();
    // Without a usable placement: maximized, over a normal rectangle of three quarters of
    // the desktop (what un-maximizing gives, and what a desktop without a window manager,
    // which ignores the maximize, shows).
    void ShowMaximizedByDefault();
    // Writes the window's placement now (the close does it too).
    bool SaveWindowPlacement();
    // The view tree's width and both header heights, from the settings and into them (the
    // close saves them). The hidden header pane gets its height too.
    void RestorePaneSizes();
    bool SavePaneSizes();

    // Brings the window to the front, restoring it when minimized or hidden.
    void ActivateFrame();

    // --- Views
    // Switches to the song (0) or lesson (1) view: the search bar and the new list's search
    // start empty, row 0 is the selection and the footer shows its file. False for another
    // index; the current view again changes nothing.
    bool SetCurrentView(int view);
    int GetCurrentView() const { return m_nCurrentView; }

    // --- Focus ring: from a stop to the next (forward) or previous one.
    void MoveFocus(int fromStop, bool forward);
    // The stop whose pane holds the widget, or -1.
    int GetFocusStop(const QWidget* widget) const;
    QWidget* GetFocusStopWidget(int stop) const;

    // --- Notification area. Adding when present and removing when absent succeed; adding
    // fails where the desktop has no notification area, and the flag stays off.
    bool AddTrayIcon();
    bool RemoveTrayIcon();
    bool IsTrayIconAdded() const { return m_bTrayIconAdded; }
    // Menu 227: "&Corda Librarian" (default, brings the window back) and "E&xit".
    QMenu* GetTrayMenu() const { return m_pTrayMenu.get(); }

    // --- Panes (null when absent)
    CMainHeaderFormView* GetSearchBar() const { return m_pSearchBar; }
    CViewTreeView* GetViewTree() const { return m_pViewTree; }
    CSongHeaderFormView* GetSongHeader() const { return m_pSongHeader; }
    CLessonHeaderFormView* GetLessonHeader() const { return m_pLessonHeader; }
    CSongListView* GetSongListView() const { return m_pSongView; }
    CLessonListView* GetLessonListView() const { return m_pLessonView; }
    CSongListCtrl* GetSongList() const { return m_pSongList; }
    CLessonListCtrl* GetLessonList() const { return m_pLessonList; }
    CMainFooterFormView* GetFooter() const { return m_pFooter; }
    CRecordListCtrl* GetCurrentList() const;
    CRecordListCtrl* GetList(int view) const;
    CRecordHeaderFormView* GetCurrentHeader() const;
    CMainSplitterWnd* GetMainSplitter() const { return m_pMainSplitter; }
    CCordaLibrarianSplitterWnd* GetBrowseSplitter() const { return m_pBrowseSplitter; }
    CCordaLibrarianSplitterWnd* GetSongSplitter() const { return m_pSongSplitter; }
    CCordaLibrarianSplitterWnd* GetLessonSplitter() const { return m_pLessonSplitter; }

    // The file of the current list's single selected record; empty when no row or several
    // rows are selected. Reads the selection, never the rows.
    QString GetCurrentSelectionPath() const;
    // The file of a row's record, empty beyond the rows.
    static QString GetRowPath(const CRecordListCtrl* list, int row);

    // --- Commands
    // Searches both lists again after the library changed (synchronization, load): the
    // current texts and fields, forced.
    void RefreshLists();
    // One tick of the idle timer with this much idle time: saves a modified library without
    // error messages once the user has been idle long enough. True when it saved.
    bool OnIdleTimer(uint32_t idleMilliseconds);
    // The timer's period and the idle time that counts (tests shorten both).
    void SetIdleSaveTiming(int periodMilliseconds, uint32_t idleMilliseconds);
    uint32_t GetIdleSaveAfter() const { return m_nIdleSaveAfter; }

    // Fills a popup that holds "Sort &Ascending": its column items are replaced by one per
    // shown column of the current list but "#", from left to right, at the top.
    void UpdateSortMenu(QMenu* menu);
    // Enables and checks the commands for the current state.
    void UpdateCommandStates();
    QAction* FindCommand(int commandId) const;

    QMenu* GetFileMenu() const { return m_pFileMenu; }
    QMenu* GetEditMenu() const { return m_pEditMenu; }
    QMenu* GetViewMenu() const { return m_pViewMenu; }
    QMenu* GetSortMenu() const { return m_pSortMenu; }
    QMenu* GetToolsMenu() const { return m_pToolsMenu; }
    QMenu* GetHelpMenu() const { return m_pHelpMenu; }
    // Menus without items stay out of the menu bar until they get some.
    void UpdateMenuBar();
    // The user's shortcuts on the menu commands (with their key names in the menus) and on
    // the search bar's own table; after start-up and after the keyboard options change.
    // Returns how many commands got a key.
    int ApplyKeyboardScheme(const CKeyboardMappingScheme& scheme);
    // A menu item with the command id as its object name and data.
    QAction* AddCommand(QMenu* menu, const QString& text, int commandId);
    // What a menu command does, and when it is enabled (always when not given); replaces
    // an earlier handler. The library commands (folders, synchronize, backup, options,
    // properties, delete) are greyed until their handler is set.
    void SetCommandHandler(int commandId, std::function<void()> handler, std::function<bool()> enabled = {});
    bool HasCommandHandler(int commandId) const;

    QTimer* GetIdleTimer() { return &m_idleTimer; }

signals:
    // The window has closed the normal way (placement saved): the program ends.
    void frameClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void CreateMenus();
    void CreatePanes();
    void CreateTrayMenu();
    void OnViewCommand(int view);
    void OnSelectAll();
    void OnUnselectAll();
    void OnEditColumns();
    void OnSortColumn(int trueColumn);
    void OnSortDirection(bool ascending);
    void OnListSearch(int view, const QString& text, int field, bool force);
    void OnViewTreeChanged(int view);
    void OnListSelectionChanged(CRecordListCtrl* list);
    void ConnectFocusRing();
    bool ApplyListSearch(int view, const QString& text, int field, bool force);
    void OpenFileLocation(int location);
    bool CanSelectAll() const;
    // Undo, cut, copy and paste act on the text field that has the focus.
    bool CanFocusedEditCommand(uint32_t commandId) const;
    void OnFocusedEditCommand(uint32_t commandId);
    bool CanUnselectAll() const;

    CCordaLibrarianApp& m_app;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pEditMenu = nullptr;
    QMenu* m_pViewMenu = nullptr;
    QMenu* m_pSortMenu = nullptr;
    QMenu* m_pToolsMenu = nullptr;
    QMenu* m_pHelpMenu = nullptr;
    CMainSplitterWnd* m_pMainSplitter = nullptr;
    CCordaLibrarianSplitterWnd* m_pBrowseSplitter = nullptr;
    CCordaLibrarianSplitterWnd* m_pSongSplitter = nullptr;
    CCordaLibrarianSplitterWnd* m_pLessonSplitter = nullptr;
    CMainHeaderFormView* m_pSearchBar = nullptr;
    CViewTreeView* m_pViewTree = nullptr;
    CSongHeaderFormView* m_pSongHeader = nullptr;
    CLessonHeaderFormView* m_pLessonHeader = nullptr;
    CArtistSummaryListBox* m_pArtistBox = nullptr;
    CAlbumSummaryListBox* m_pAlbumBox = nullptr;
    CLessonStyleSummaryListBox* m_pStyleBox = nullptr;
    CLessonLevelSummaryListBox* m_pLevelBox = nullptr;
    CSongListView* m_pSongView = nullptr;
    CLessonListView* m_pLessonView = nullptr;
    CSongListCtrl* m_pSongList = nullptr;
    CLessonListCtrl* m_pLessonList = nullptr;
    CMainFooterFormView* m_pFooter = nullptr;
    CRunningInstanceServer* m_pRunningInstanceServer = nullptr;
    std::unique_ptr<QMenu> m_pTrayMenu;
    QSystemTrayIcon* m_pTrayIcon = nullptr;
    QTimer m_idleTimer;
    uint32_t m_nIdleSaveAfter = IDLE_SAVE_AFTER_MS;
    int m_nCurrentView = VIEW_SONGS;
    bool m_bTrayIconAdded = false;
    bool m_bFirstPaintRecorded = false;
    bool m_bClosed = false;
    bool m_bDestroying = false;
    QMetaObject::Connection m_focusChangedConnection;
    struct CCommandHandler {
        std::function<bool()> enabled;
        QMetaObject::Connection connection;
    };
    std::map<int, CCommandHandler> m_commandHandlers;
};
