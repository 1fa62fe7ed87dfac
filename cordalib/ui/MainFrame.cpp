#include "cordalib/ui/MainFrame.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/LibraryListModel.h"
#include "cordalib/ui/RunningInstance.h"
#include "cordalib/ui/TestHooks.h"
#include "cordalib/ui/WindowPlacement.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/system/FileUtilities.h"
#include "qvsystem/system/TextUtilities.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>

namespace {

QRect DesktopWorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableVirtualGeometry() : QRect();
}

} // namespace

CMainFrame::CMainFrame(CCordaLibrarianApp& app, QWidget* parent) : QMainWindow(parent), m_app(app)
{
    setObjectName(QStringLiteral("128"));
    setWindowTitle(LoadAppString(IDS_APPLICATION_TITLE));
    QIcon icon = AfxLoadResourceIcon(IDR_MAINFRAME_ICON);
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("applications-multimedia"));
    setWindowIcon(icon);
    m_idleTimer.setObjectName(QString::number(IDLE_TIMER_ID));
    m_idleTimer.setInterval(IDLE_TIMER_PERIOD_MS);
    connect(&m_idleTimer, &QTimer::timeout, this, [this] { OnIdleTimer(AfxGetInputIdleTime()); });
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create()
{
    CreateMenus();
    CreateListPanes();
    // Idle time counts from the first question: ask now, so that it counts from creation.
    AfxGetInputIdleTime();
    m_idleTimer.start();
    return true;
}

QAction* CMainFrame::AddCommand(QMenu* menu, const QString& text, int commandId)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::number(commandId));
    action->setData(commandId);
    return action;
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();
    m_pFileMenu = bar->addMenu(tr("&File"));
    m_pEditMenu = bar->addMenu(tr("&Edit"));
    m_pViewMenu = bar->addMenu(tr("&View"));
    m_pToolsMenu = bar->addMenu(tr("&Tools"));
    m_pHelpMenu = bar->addMenu(tr("&Help"));

    QMenu* openLocation = m_pFileMenu->addMenu(tr("Open &Location"));
    const struct {
        const char* text;
        int commandId;
        int location;
    } locations[] = {
        {"&Database Files", ID_FILE_OPEN_LOCATION_DATABASE_FILES, fileLocationDatabaseFiles},
        {"&Backup Files", ID_FILE_OPEN_LOCATION_BACKUP_FILES, fileLocationBackupFiles},
        {"&Log Files", ID_FILE_OPEN_LOCATION_LOG_FILES, fileLocationLogFiles},
        {"&Temporary Files", ID_FILE_OPEN_LOCATION_TEMPORARY_FILES, fileLocationTemporaryFiles},
    };
    for (const auto& entry : locations) {
        const int location = entry.location;
        connect(AddCommand(openLocation, tr(entry.text), entry.commandId), &QAction::triggered, this,
                [this, location] { OpenFileLocation(location); });
    }
    m_pFileMenu->addSeparator();
    connect(AddCommand(m_pFileMenu, tr("E&xit"), ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);
    UpdateMenuBar();
}

void CMainFrame::UpdateMenuBar()
{
    for (QMenu* menu : {m_pFileMenu, m_pEditMenu, m_pViewMenu, m_pToolsMenu, m_pHelpMenu}) {
        if (menu)
            menu->menuAction()->setVisible(!menu->isEmpty());
    }
}

void CMainFrame::OpenFileLocation(int location)
{
    QString folder;
    if (m_app.GetFileLocation(location, folder, false))
        AfxOpenFile(folder);
}

void CMainFrame::CreateListPanes()
{
    auto* splitter = new QSplitter(Qt::Vertical);
    const auto makeList = [this, splitter](CLibraryListModel::recordKind kind, CLibraryListModel** model) {
        *model = new CLibraryListModel(kind, &m_app.GetLibraryDatabase());
        auto* list = new CQVListCtrl(splitter, *model); // the list owns the model
        list->setObjectName(QString::number(IDC_LIST));
        (*model)->InsertColumns(*list);
        list->viewport()->installEventFilter(this);
        return list;
    };
    m_pSongList = makeList(CLibraryListModel::songRecords, &m_pSongModel);
    m_pLessonList = makeList(CLibraryListModel::lessonRecords, &m_pLessonModel);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    SetCentralPane(splitter);
}

void CMainFrame::SetCentralPane(QWidget* pane)
{
    setCentralWidget(pane);
}

void CMainFrame::RefreshLists()
{
    if (m_pSongModel)
        m_pSongModel->Refresh();
    if (m_pLessonModel)
        m_pLessonModel->Refresh();
}

bool CMainFrame::StartRunningInstanceServer(const QString& serverPath)
{
    if (!m_pRunningInstanceServer) {
        m_pRunningInstanceServer = new CRunningInstanceServer(this);
        connect(m_pRunningInstanceServer, &CRunningInstanceServer::runningInstanceRequested, this, [this] {
            ActivateFrame();
            TestHooks::RecordEvent(QStringLiteral("raised"));
        });
    }
    return m_pRunningInstanceServer->Listen(serverPath);
}

void CMainFrame::ActivateFrame()
{
    if (isMinimized() || isHidden())
        showNormal();
    raise();
    activateWindow();
}

bool CMainFrame::RestoreWindowPlacement()
{
    WINDOWPLACEMENT placement;
    if (!DecodeWindowPlacement(m_app.GetWindowSettings().GetWindowPlacement(), DesktopWorkArea(), &placement))
        return false;
    setGeometry(placement.GetNormalRect());
    if (placement.showCmd == SW_SHOWMAXIMIZED)
        showMaximized();
    else
        showNormal();
    return true;
}

void CMainFrame::ShowMaximizedByDefault()
{
    const QRect area = DesktopWorkArea();
    if (!area.isEmpty()) {
        QRect normal(QPoint(0, 0), area.size() * 3 / 4);
        normal.moveCenter(area.center());
        setGeometry(normal);
    }
    showMaximized();
}

bool CMainFrame::SaveWindowPlacement()
{
    WINDOWPLACEMENT placement;
    const Qt::WindowStates states = windowState();
    if (states & Qt::WindowMinimized) {
        placement.showCmd = SW_SHOWMINIMIZED;
        if (states & Qt::WindowMaximized)
            placement.flags |= WPF_RESTORETOMAXIMIZED;
    } else if (states & Qt::WindowMaximized) {
        placement.showCmd = SW_SHOWMAXIMIZED;
    } else {
        placement.showCmd = SW_NORMAL;
    }
    // The normal rectangle is the window's own area in its normal state (as it is restored
    // with setGeometry), also while it is maximized or minimized.
    const QRect normal = isMaximized() || isMinimized() || isFullScreen() ? normalGeometry() : geometry();
    placement.SetNormalRect(normal);
    return m_app.GetWindowSettings().SetWindowPlacement(EncodeWindowPlacement(placement), true);
}

bool CMainFrame::OnIdleTimer(uint32_t idleMilliseconds)
{
    if (idleMilliseconds < IDLE_SAVE_AFTER_MS || !m_app.GetLibraryDatabase().IsModified())
        return false;
    return m_app.SaveDatabase(true, false);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_bClosed) {
        m_bClosed = true;
        m_idleTimer.stop();
        SaveWindowPlacement();
    }
    event->accept();
    QMainWindow::closeEvent(event);
    emit frameClosed();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_bFirstPaintRecorded && m_pSongList &&
        watched == m_pSongList->viewport() && TestHooks::IsEventFileSet()) {
        m_bFirstPaintRecorded = true;
        const int songs = m_pSongModel->rowCount();
        const int lessons = m_pLessonModel->rowCount();
        // After this paint has been handled.
        QTimer::singleShot(0, this, [songs, lessons] {
            TestHooks::RecordEvent(QStringLiteral("painted songs=%1 lessons=%2").arg(songs).arg(lessons));
        });
    }
    return QMainWindow::eventFilter(watched, event);
}
