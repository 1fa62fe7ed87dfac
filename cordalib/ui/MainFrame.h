#pragma once
// The program's single top-level window. Today it holds the title and icon, the menu bar
// with the commands that work (File > Open Location, File > Exit), the running-instance
// answer, the saved placement, the idle save (timer 13), and a central area listing the
// library's songs above its lessons.
//
// The panes of the finished window (search bar, view tree, header panes, lists, footer
// in their splitters) replace the central area through SetCentralPane; the menus are
// filled through the menu accessors and the command ids below; everything else here
// stays as it is.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>

class CCordaLibrarianApp;
class CLibraryListModel;
class CRunningInstanceServer;
class QMenu;
class CQVListCtrl;

// Menu commands (the command ids are also the actions' object names).
inline constexpr int ID_FILE_OPEN_LOCATION_DATABASE_FILES = 32789;
inline constexpr int ID_FILE_OPEN_LOCATION_BACKUP_FILES = 32852;
inline constexpr int ID_FILE_OPEN_LOCATION_LOG_FILES = 32924;
inline constexpr int ID_FILE_OPEN_LOCATION_TEMPORARY_FILES = 32788;
inline constexpr int ID_APP_EXIT = 57665;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // The idle save: timer 13 ticks every 30 s and saves a modified library after five
    // minutes without input.
    static constexpr int IDLE_TIMER_ID = 13;
    static constexpr int IDLE_TIMER_PERIOD_MS = 30000;
    static constexpr uint32_t IDLE_SAVE_AFTER_MS = 300000;

    explicit CMainFrame(CCordaLibrarianApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the menus and panes, fills the lists and starts the idle timer; the window
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

    // Brings the window to the front, restoring it when minimized or hidden.
    void ActivateFrame();

    // Takes the library's records again after a change (synchronization, load).
    void RefreshLists();
    // One tick of the idle timer with this much idle time: saves a modified library without
    // error messages once the user has been idle long enough. True when it saved.
    bool OnIdleTimer(uint32_t idleMilliseconds);

    QMenu* GetFileMenu() const { return m_pFileMenu; }
    QMenu* GetEditMenu() const { return m_pEditMenu; }
    QMenu* GetViewMenu() const { return m_pViewMenu; }
    QMenu* GetToolsMenu() const { return m_pToolsMenu; }
    QMenu* GetHelpMenu() const { return m_pHelpMenu; }
    // Menus without items stay out of the menu bar until they get some.
    void UpdateMenuBar();

    // Puts the pane in the client area (the frame owns it from then on).
    void SetCentralPane(QWidget* pane);
    // The lists carry the list control id 23014 as their object name.
    static constexpr int IDC_LIST = 23014;
    CQVListCtrl* GetSongListView() const { return m_pSongList; }
    CQVListCtrl* GetLessonListView() const { return m_pLessonList; }
    CLibraryListModel* GetSongListModel() const { return m_pSongModel; }
    CLibraryListModel* GetLessonListModel() const { return m_pLessonModel; }
    QTimer* GetIdleTimer() { return &m_idleTimer; }

signals:
    // The window has closed the normal way (placement saved): the program ends.
    void frameClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateListPanes();
    void OpenFileLocation(int location);
    QAction* AddCommand(QMenu* menu, const QString& text, int commandId);

    CCordaLibrarianApp& m_app;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pEditMenu = nullptr;
    QMenu* m_pViewMenu = nullptr;
    QMenu* m_pToolsMenu = nullptr;
    QMenu* m_pHelpMenu = nullptr;
    CQVListCtrl* m_pSongList = nullptr;
    CQVListCtrl* m_pLessonList = nullptr;
    CLibraryListModel* m_pSongModel = nullptr;
    CLibraryListModel* m_pLessonModel = nullptr;
    CRunningInstanceServer* m_pRunningInstanceServer = nullptr;
    QTimer m_idleTimer;
    bool m_bFirstPaintRecorded = false;
    bool m_bClosed = false;
};
