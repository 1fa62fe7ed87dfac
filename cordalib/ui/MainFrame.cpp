#include "cordalib/ui/MainFrame.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/KeyboardSettings.h"
#include "cordalib/library/CordaStrings.h"
#include "cordalib/library/Recordset.h"
#include "cordalib/ui/CordaLibrarianSplitterWnd.h"
#include "cordalib/ui/FrameCommands.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/LessonSummaryListBox.h"
#include "cordalib/ui/MainFooterFormView.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RecordHeaderFormView.h"
#include "cordalib/ui/RecordListView.h"
#include "cordalib/ui/RunningInstance.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SongSummaryListBox.h"
#include "cordalib/ui/TestHooks.h"
#include "cordalib/ui/ViewTreeView.h"
#include "cordalib/ui/WindowPlacement.h"
#include "qvsystem/controls/HtmlHelp.h"
#include "qvsystem/controls/KeyboardMappingScheme.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/online/UpdateDlg.h"
#include "qvsystem/system/FileUtilities.h"
#include "qvsystem/system/TextUtilities.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSystemTrayIcon>

#include <algorithm>
#include <limits>

namespace {

QRect DesktopWorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableVirtualGeometry() : QRect();
}

// The true column of the "#" column, which is never a Sort By item.
constexpr int NUMBER_COLUMN = 0;

// A stored pane size as a layout size (the store holds unsigned 32-bit numbers).
int StoredPaneSize(uint32_t value)
{
    return static_cast<int>(std::min<uint32_t>(value, std::numeric_limits<int>::max()));
}

// The first selected row, or -1; walks the selection ranges, never the rows.
int FirstSelectedRow(const CQVListCtrl* list)
{
    const QItemSelectionModel* selection = list->selectionModel();
    if (!selection || !selection->hasSelection())
        return -1;
    int first = -1;
    for (const QItemSelectionRange& range : selection->selection()) {
        if (range.isValid() && (first < 0 || range.top() < first))
            first = range.top();
    }
    return first;
}

// Gives the row the focused state without changing the selection.
void FocusRow(CQVListCtrl* list, int row)
{
    if (!list || !list->model() || row < 0 || row >= list->model()->rowCount())
        return;
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::NoUpdate);
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

CMainFrame::~CMainFrame()
{
    // The panes go while the frame is still whole; what they report on their way out
    // (focus, selection) is no longer acted on.
    m_bDestroying = true;
    disconnect(m_focusChangedConnection);
    if (m_pTrayIcon)
        m_pTrayIcon->setContextMenu(nullptr);
    delete m_pMainSplitter;
}

bool CMainFrame::Create()
{
    CreateMenus();
    CreatePanes();
    CreateTrayMenu();
    if (m_app.GetSystemTraySettings().GetMinimizeToSystemTray())
        AddTrayIcon();
    // The search bar and the footer keep their heights.
    m_pMainSplitter->SetAllowDragging(false);
    ApplyListSearch(VIEW_SONGS, QString(), 0, true);
    ApplyListSearch(VIEW_LESSONS, QString(), 0, true);
    if (m_pFooter)
        m_pFooter->ShowCurrentSelection();
    // The window's first focus is the search text.
    if (m_pSearchBar)
        m_pSearchBar->setFocus(Qt::OtherFocusReason);
    InstallFrameCommands(*this, m_app);
    m_focusChangedConnection =
        connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommandStates(); });
    UpdateCommandStates();
    // Idle time counts from the first question: ask now, so that it counts from creation.
    AfxGetInputIdleTime();
    m_idleTimer.start();
    return true;
}

// --- Menus

QAction* CMainFrame::AddCommand(QMenu* menu, const QString& text, int commandId)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::number(commandId));
    action->setData(commandId);
    return action;
}

int CMainFrame::ApplyKeyboardScheme(const CKeyboardMappingScheme& scheme)
{
    const int keyed = ::ApplyKeyboardScheme(scheme, menuBar()->findChildren<QAction*>());
    if (m_pSearchBar)
        m_pSearchBar->ApplyKeyboardScheme(scheme.CreateAcceleratorTable());
    return keyed;
}

void CMainFrame::SetCommandHandler(int commandId, std::function<void()> handler,
                                   std::function<bool()> enabled)
{
    QAction* action = FindCommand(commandId);
    if (!action)
        return;
    CCommandHandler& entry = m_commandHandlers[commandId];
    disconnect(entry.connection);
    entry.enabled = std::move(enabled);
    entry.connection = connect(action, &QAction::triggered, this, std::move(handler));
    UpdateCommandStates();
}

bool CMainFrame::HasCommandHandler(int commandId) const
{
    return m_commandHandlers.find(commandId) != m_commandHandlers.end();
}

QAction* CMainFrame::FindCommand(int commandId) const
{
    for (QMenu* menu : {m_pFileMenu, m_pEditMenu, m_pViewMenu, m_pToolsMenu, m_pHelpMenu}) {
        if (!menu)
            continue;
        for (QAction* action : menu->findChildren<QAction*>(QString::number(commandId)))
            return action;
    }
    return nullptr;
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();
    m_pFileMenu = bar->addMenu(tr("&File"));
    m_pEditMenu = bar->addMenu(tr("&Edit"));
    m_pViewMenu = bar->addMenu(tr("&View"));
    m_pToolsMenu = bar->addMenu(tr("&Tools"));
    m_pHelpMenu = bar->addMenu(tr("&Help"));

    AddCommand(m_pFileMenu, tr("&Folders..."), int(CordaCommands::ID_FILE_FOLDERS));
    m_pFileMenu->addSeparator();
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
    AddCommand(m_pFileMenu, tr("P&roperties"), int(CordaCommands::ID_FILE_PROPERTIES));
    m_pFileMenu->addSeparator();
    connect(AddCommand(m_pFileMenu, tr("E&xit"), ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);

    const struct {
        const char* text;
        uint32_t commandId;
        bool separatorAfter;
    } editCommands[] = {
        {"&Undo", CordaCommands::ID_EDIT_UNDO, true},
        {"Cu&t", CordaCommands::ID_EDIT_CUT, false},
        {"&Copy", CordaCommands::ID_EDIT_COPY, false},
        {"&Paste", CordaCommands::ID_EDIT_PASTE, true},
    };
    for (const auto& entry : editCommands) {
        const uint32_t commandId = entry.commandId;
        connect(AddCommand(m_pEditMenu, tr(entry.text), int(commandId)), &QAction::triggered, this,
                [this, commandId] { OnFocusedEditCommand(commandId); });
        if (entry.separatorAfter)
            m_pEditMenu->addSeparator();
    }
    AddCommand(m_pEditMenu, tr("&Delete"), int(CordaCommands::ID_EDIT_DELETE));
    m_pEditMenu->addSeparator();
    connect(AddCommand(m_pEditMenu, tr("Select &All"), ID_EDIT_SELECT_ALL), &QAction::triggered, this,
            &CMainFrame::OnSelectAll);
    connect(AddCommand(m_pEditMenu, tr("U&nselect All"), ID_EDIT_UNSELECT_ALL), &QAction::triggered, this,
            &CMainFrame::OnUnselectAll);

    QAction* songs = AddCommand(m_pViewMenu, tr("&Songs"), ID_VIEW_SONGS);
    QAction* lessons = AddCommand(m_pViewMenu, tr("&Lessons"), ID_VIEW_LESSONS);
    for (QAction* action : {songs, lessons})
        action->setCheckable(true);
    connect(songs, &QAction::triggered, this, [this] { OnViewCommand(VIEW_SONGS); });
    connect(lessons, &QAction::triggered, this, [this] { OnViewCommand(VIEW_LESSONS); });
    m_pViewMenu->addSeparator();
    m_pSortMenu = m_pViewMenu->addMenu(tr("Sort &By"));
    m_pSortMenu->setObjectName(QStringLiteral("Sort By"));
    m_pSortMenu->addSeparator();
    QAction* ascending = AddCommand(m_pSortMenu, tr("Sort &Ascending"), ID_VIEW_SORT_ASCENDING);
    QAction* descending = AddCommand(m_pSortMenu, tr("Sort &Descending"), ID_VIEW_SORT_DESCENDING);
    for (QAction* action : {ascending, descending})
        action->setCheckable(true);
    connect(ascending, &QAction::triggered, this, [this] { OnSortDirection(true); });
    connect(descending, &QAction::triggered, this, [this] { OnSortDirection(false); });
    m_pViewMenu->addSeparator();
    connect(AddCommand(m_pViewMenu, tr("&Columns..."), ID_VIEW_COLUMNS), &QAction::triggered, this,
            &CMainFrame::OnEditColumns);

    AddCommand(m_pToolsMenu, tr("&Synchronize"), int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
    AddCommand(m_pToolsMenu, tr("&Backup..."), int(CordaCommands::ID_TOOLS_BACKUP));
    m_pToolsMenu->addSeparator();
    AddCommand(m_pToolsMenu, tr("&Options..."), int(CordaCommands::ID_TOOLS_OPTIONS));

    // The help pages are in the program's own viewer; "cordalib.chm" names their folder.
    const QString helpFile = QStringLiteral("cordalib.chm");
    connect(AddCommand(m_pHelpMenu, tr("&Contents..."), int(CordaCommands::ID_HELP_CONTENTS)),
            &QAction::triggered, this, [helpFile] { AfxHtmlHelpDisplayContents(helpFile); });
    connect(AddCommand(m_pHelpMenu, tr("&Index..."), int(CordaCommands::ID_HELP_INDEX)), &QAction::triggered,
            this, [helpFile] { AfxHtmlHelpDisplayIndex(helpFile, QString()); });
    connect(AddCommand(m_pHelpMenu, tr("&Search..."), int(CordaCommands::ID_HELP_SEARCH)),
            &QAction::triggered, this, [helpFile] { AfxHtmlHelpDisplaySearch(helpFile, QString()); });
    m_pHelpMenu->addSeparator();
    connect(AddCommand(m_pHelpMenu, tr("&What's New?"), int(CordaCommands::ID_HELP_WHATS_NEW)),
            &QAction::triggered, this,
            [helpFile] { AfxHtmlHelpDisplayTopic(helpFile, QStringLiteral("whatsnewinthisrelease.htm")); });
    m_pHelpMenu->addSeparator();
    connect(
        AddCommand(m_pHelpMenu, tr("Check for &Updates..."), int(CordaCommands::ID_HELP_CHECK_FOR_UPDATES)),
        &QAction::triggered, this,
        [this] { AfxCheckForUpdates(this, m_app.GetProductRegistryPath(), IDS_APPLICATION_TITLE); });
    m_pHelpMenu->addSeparator();
    connect(AddCommand(m_pHelpMenu, tr("&About Corda Librarian..."), int(CordaCommands::ID_APP_ABOUT)),
            &QAction::triggered, this, [this] { ShowAboutCordaLibrarian(this); });

    // The popup is rebuilt every time it opens: the columns shown may have changed.
    connect(m_pSortMenu, &QMenu::aboutToShow, this, [this] { UpdateSortMenu(m_pSortMenu); });
    for (QMenu* menu : {m_pFileMenu, m_pEditMenu, m_pViewMenu, m_pToolsMenu})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    UpdateMenuBar();
}

void CMainFrame::UpdateMenuBar()
{
    for (QMenu* menu : {m_pFileMenu, m_pEditMenu, m_pViewMenu, m_pToolsMenu, m_pHelpMenu}) {
        if (menu)
            menu->menuAction()->setVisible(!menu->isEmpty());
    }
}

void CMainFrame::CreateTrayMenu()
{
    m_pTrayMenu = std::make_unique<QMenu>();
    m_pTrayMenu->setObjectName(QString::number(IDR_TRAY_MENU));
    QAction* restore = AddCommand(m_pTrayMenu.get(), tr("&Corda Librarian"), ID_TRAY_RESTORE);
    m_pTrayMenu->setDefaultAction(restore);
    connect(restore, &QAction::triggered, this, &CMainFrame::ActivateFrame);
    m_pTrayMenu->addSeparator();
    QAction* exit = AddCommand(m_pTrayMenu.get(), tr("E&xit"), ID_APP_EXIT);
    // The exit command is posted: the menu is gone before the window closes.
    connect(exit, &QAction::triggered, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QAction* command = FindCommand(ID_APP_EXIT))
                    command->trigger();
            },
            Qt::QueuedConnection);
    });
}

void CMainFrame::OpenFileLocation(int location)
{
    QString folder;
    if (m_app.GetFileLocation(location, folder, false))
        AfxOpenFile(folder);
}

// --- Panes

void CMainFrame::CreatePanes()
{
    m_pMainSplitter = new CMainSplitterWnd;
    m_pMainSplitter->setObjectName(QString::number(IDW_PANE_FIRST));
    m_pSearchBar = new CMainHeaderFormView;
    m_pBrowseSplitter = new CCordaLibrarianSplitterWnd(Qt::Horizontal);
    m_pBrowseSplitter->setObjectName(QString::number(IDW_BROWSE_SPLITTER));
    m_pFooter = new CMainFooterFormView;
    m_pMainSplitter->AddPane(m_pSearchBar, SEARCH_BAR_HEIGHT);
    m_pMainSplitter->AddPane(m_pBrowseSplitter, LIST_PANE_SIZE);
    m_pMainSplitter->AddPane(m_pFooter, FOOTER_HEIGHT);

    CLibraryDatabase* database = &m_app.GetLibraryDatabase();
    m_pViewTree = new CViewTreeView;
    m_pSongSplitter = new CCordaLibrarianSplitterWnd(Qt::Vertical);
    m_pSongSplitter->setObjectName(QString::number(IDW_BROWSE_PANE));
    m_pLessonSplitter = new CCordaLibrarianSplitterWnd(Qt::Vertical);
    m_pLessonSplitter->setObjectName(QString::number(IDW_HIDDEN_BROWSE_PANE));
    m_pSongHeader = new CSongHeaderFormView;
    m_pLessonHeader = new CLessonHeaderFormView;
    m_pSongView = new CSongListView(nullptr, database);
    m_pLessonView = new CLessonListView(nullptr, database);
    m_pSongList = m_pSongView->GetSongListCtrl();
    m_pLessonList = m_pLessonView->GetLessonListCtrl();
    for (CRecordListCtrl* list :
         {static_cast<CRecordListCtrl*>(m_pSongList), static_cast<CRecordListCtrl*>(m_pLessonList)})
        list->setObjectName(QString::number(IDC_LIST));

    // The summary boxes live in the header panes and narrow their list.
    m_pArtistBox = new CArtistSummaryListBox;
    m_pAlbumBox = new CAlbumSummaryListBox;
    m_pStyleBox = new CLessonStyleSummaryListBox;
    m_pLevelBox = new CLessonLevelSummaryListBox;
    m_pSongHeader->SetSummaryBoxes(m_pArtistBox, m_pAlbumBox);
    m_pLessonHeader->SetSummaryBoxes(m_pStyleBox, m_pLevelBox);
    m_pSongList->SetSummaryBoxes(m_pArtistBox, m_pAlbumBox);
    m_pLessonList->SetSummaryBoxes(m_pStyleBox, m_pLevelBox);
    connect(m_pSongHeader, &CRecordHeaderFormView::SelectAllRequested, this, [this](QWidget* box, int) {
        if (box == m_pArtistBox)
            m_pArtistBox->SelectKey(SUMMARY_KEY_ALL, true);
        else if (box == m_pAlbumBox)
            m_pAlbumBox->SelectKey(SUMMARY_KEY_ALL, true);
    });
    connect(m_pLessonHeader, &CRecordHeaderFormView::SelectAllRequested, this, [this](QWidget* box, int) {
        if (box == m_pStyleBox)
            m_pStyleBox->SelectKey(LESSON_STYLE_ALL, true);
        else if (box == m_pLevelBox)
            m_pLevelBox->SelectKey(LESSON_LEVEL_ALL, true);
    });

    m_pSongSplitter->AddPane(m_pSongHeader, HEADER_PANE_HEIGHT);
    m_pSongSplitter->AddPane(m_pSongView, LIST_PANE_SIZE);
    m_pLessonSplitter->AddPane(m_pLessonHeader, HEADER_PANE_HEIGHT);
    m_pLessonSplitter->AddPane(m_pLessonView, LIST_PANE_SIZE);
    m_pBrowseSplitter->AddPane(m_pViewTree, VIEW_TREE_WIDTH);
    m_pBrowseSplitter->AddPane(m_pSongSplitter, LIST_PANE_SIZE);
    m_pBrowseSplitter->AddPane(m_pLessonSplitter, LIST_PANE_SIZE);
    m_pLessonSplitter->hide();
    // Columns and their saved state, for the hidden list as well (its Sort By popup and
    // Columns dialog work before it is first shown).
    m_pSongView->OnInitialUpdate();
    m_pLessonView->OnInitialUpdate();

    m_pViewTree->SetBkColor(QColor::fromRgb(CViewTreeView::DEFAULT_BACKGROUND));
    m_pViewTree->SelectView(VIEW_SONGS);
    connect(m_pViewTree, &CViewTreeView::CurrentViewChanged, this, &CMainFrame::OnViewTreeChanged);
    connect(m_pSearchBar, &CMainHeaderFormView::SearchRequested, this, &CMainFrame::OnListSearch);
    for (CRecordListCtrl* list :
         {static_cast<CRecordListCtrl*>(m_pSongList), static_cast<CRecordListCtrl*>(m_pLessonList)})
        connect(list, &CRecordListCtrl::SelectionChanged, this,
                [this, list] { OnListSelectionChanged(list); });
    ConnectFocusRing();
    m_pSongList->viewport()->installEventFilter(this);
    setCentralWidget(m_pMainSplitter);
}

void CMainFrame::ConnectFocusRing()
{
    connect(m_pSearchBar, &CMainHeaderFormView::MoveFocusRequested, this, &CMainFrame::MoveFocus);
    // Keys the search bar keeps from the window still run the command they belong to.
    connect(m_pSearchBar, &CMainHeaderFormView::AcceleratorCommand, this, [this](int commandId) {
        if (QAction* command = FindCommand(commandId); command && command->isEnabled())
            command->trigger();
    });
    connect(m_pViewTree, &CViewTreeView::MoveFocusRequested, this,
            [this](bool forward) { MoveFocus(stopViewTree, forward); });
    for (CVirtualListBox* box :
         {static_cast<CVirtualListBox*>(m_pArtistBox), static_cast<CVirtualListBox*>(m_pStyleBox)})
        connect(box, &CVirtualListBox::MoveFocusRequested, this,
                [this](bool forward) { MoveFocus(stopFirstSummary, forward); });
    for (CVirtualListBox* box :
         {static_cast<CVirtualListBox*>(m_pAlbumBox), static_cast<CVirtualListBox*>(m_pLevelBox)})
        connect(box, &CVirtualListBox::MoveFocusRequested, this,
                [this](bool forward) { MoveFocus(stopSecondSummary, forward); });
    for (CRecordListCtrl* list :
         {static_cast<CRecordListCtrl*>(m_pSongList), static_cast<CRecordListCtrl*>(m_pLessonList)})
        connect(list, &CRecordListCtrl::MoveFocusRequested, this,
                [this](bool forward) { MoveFocus(stopList, forward); });
}

CRecordListCtrl* CMainFrame::GetList(int view) const
{
    if (view == VIEW_SONGS)
        return m_pSongList;
    if (view == VIEW_LESSONS)
        return m_pLessonList;
    return nullptr;
}

CRecordListCtrl* CMainFrame::GetCurrentList() const
{
    return GetList(m_nCurrentView);
}

CRecordHeaderFormView* CMainFrame::GetCurrentHeader() const
{
    if (m_nCurrentView == VIEW_LESSONS)
        return m_pLessonHeader;
    return m_pSongHeader;
}

QString CMainFrame::GetRowPath(const CRecordListCtrl* list, int row)
{
    if (const auto* songs = qobject_cast<const CSongListCtrl*>(list)) {
        if (const CSongRecord* song = songs->GetRecord(row))
            return song->GetPath();
    } else if (const auto* lessons = qobject_cast<const CLessonListCtrl*>(list)) {
        if (const CLessonRecord* lesson = lessons->GetRecord(row))
            return lesson->GetPath();
    }
    return QString();
}

QString CMainFrame::GetCurrentSelectionPath() const
{
    const CRecordListCtrl* list = GetCurrentList();
    return list ? GetRowPath(list, list->GetSingleSelectionItem()) : QString();
}

void CMainFrame::OnListSelectionChanged(CRecordListCtrl* list)
{
    if (m_bDestroying)
        return;
    if (list == GetCurrentList() && m_pFooter)
        m_pFooter->ShowCurrentSelection();
    UpdateCommandStates();
}

void CMainFrame::RefreshLists()
{
    if (m_pSongList)
        m_pSongList->ApplySearch(m_pSongList->GetSearchText(), m_pSongList->GetSearchField(), true);
    if (m_pLessonList)
        m_pLessonList->ApplySearch(m_pLessonList->GetSearchText(), m_pLessonList->GetSearchField(), true);
    if (m_pFooter)
        m_pFooter->ShowCurrentSelection();
}

bool CMainFrame::ApplyListSearch(int view, const QString& text, int field, bool force)
{
    if (view == VIEW_SONGS && m_pSongList)
        return m_pSongList->ApplySearch(text, field, force);
    if (view == VIEW_LESSONS && m_pLessonList)
        return m_pLessonList->ApplySearch(text, field, force);
    return false;
}

void CMainFrame::OnListSearch(int view, const QString& text, int field, bool force)
{
    ApplyListSearch(view, text, field, force);
}

// --- Views

bool CMainFrame::SetCurrentView(int view)
{
    if (view != VIEW_SONGS && view != VIEW_LESSONS)
        return false;
    if (view == m_nCurrentView)
        return true;
    CCordaLibrarianSplitterWnd* oldSplitter = view == VIEW_SONGS ? m_pLessonSplitter : m_pSongSplitter;
    CCordaLibrarianSplitterWnd* newSplitter = view == VIEW_SONGS ? m_pSongSplitter : m_pLessonSplitter;
    const QString oldName = oldSplitter->objectName();
    oldSplitter->setObjectName(newSplitter->objectName());
    newSplitter->setObjectName(oldName);

    if (m_pSearchBar)
        m_pSearchBar->SetViewFields(view);

    CRecordListCtrl* list = GetList(view);
    if (list) {
        ApplyListSearch(view, QString(), 0, false);
        list->UnselectAllItems();
        if (list->SelectItem(0, true))
            list->scrollTo(list->model()->index(0, 0));
    }
    if (m_pFooter)
        m_pFooter->ShowFile(GetRowPath(list, 0));

    m_nCurrentView = view;
    oldSplitter->hide();
    newSplitter->show();
    m_pBrowseSplitter->RecalcLayout();
    // A switch that did not come from the tree shows there too (the tree's notice of it
    // finds the view already current).
    if (m_pViewTree)
        m_pViewTree->SelectView(view);
    UpdateCommandStates();
    update();
    return true;
}

void CMainFrame::OnViewTreeChanged(int view)
{
    if (m_pSearchBar)
        m_pSearchBar->SetSearchText(QString(), true);
    SetCurrentView(view);
}

void CMainFrame::OnViewCommand(int view)
{
    // The tree's selection switches the view.
    if (!m_pViewTree || !m_pViewTree->SelectView(view) || m_nCurrentView != view)
        SetCurrentView(view);
    UpdateCommandStates();
}

// --- Focus ring

QWidget* CMainFrame::GetFocusStopWidget(int stop) const
{
    CRecordHeaderFormView* header = GetCurrentHeader();
    switch (stop) {
    case stopSearchBar:
        return m_pSearchBar;
    case stopViewTree:
        return m_pViewTree;
    case stopFirstSummary:
        return header ? header->GetFirstSummaryBox() : nullptr;
    case stopSecondSummary:
        return header ? header->GetSecondSummaryBox() : nullptr;
    case stopList:
        return GetCurrentList();
    default:
        return nullptr;
    }
}

int CMainFrame::GetFocusStop(const QWidget* widget) const
{
    if (!widget)
        return -1;
    for (int stop = 0; stop < FOCUS_STOP_COUNT; ++stop) {
        const QWidget* pane = GetFocusStopWidget(stop);
        if (pane && (pane == widget || pane->isAncestorOf(widget)))
            return stop;
    }
    return -1;
}

void CMainFrame::MoveFocus(int fromStop, bool forward)
{
    if (m_bDestroying || fromStop < 0 || fromStop >= FOCUS_STOP_COUNT)
        return;
    int stop = fromStop;
    // A stop whose pane is missing is passed over.
    for (int step = 0; step < FOCUS_STOP_COUNT - 1; ++step) {
        stop = forward ? (stop + 1) % FOCUS_STOP_COUNT : (stop + FOCUS_STOP_COUNT - 1) % FOCUS_STOP_COUNT;
        QWidget* pane = GetFocusStopWidget(stop);
        if (!pane || !pane->isVisibleTo(this) || !pane->isEnabled())
            continue;
        pane->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        auto* list = qobject_cast<CQVListCtrl*>(pane);
        if (list && (stop == stopFirstSummary || stop == stopSecondSummary)) {
            const int selected = list->GetSingleSelectionItem();
            FocusRow(list, selected >= 0 ? selected : 0);
        } else if (list && stop == stopList) {
            const int selected = FirstSelectedRow(list);
            FocusRow(list, selected >= 0 ? selected : 0);
        }
        return;
    }
}

bool CMainFrame::focusNextPrevChild(bool next)
{
    const int stop = GetFocusStop(QApplication::focusWidget());
    if (stop < 0)
        return QMainWindow::focusNextPrevChild(next);
    MoveFocus(stop, next);
    return true;
}

// --- Commands

bool CMainFrame::CanSelectAll() const
{
    const CRecordListCtrl* list = GetCurrentList();
    return list && list->hasFocus() && list->GetItemCount() > 0;
}

bool CMainFrame::CanUnselectAll() const
{
    const CRecordListCtrl* list = GetCurrentList();
    return list && list->hasFocus() && list->selectionModel() && list->selectionModel()->hasSelection();
}

void CMainFrame::OnSelectAll()
{
    CQVListCtrl* list = GetCurrentList();
    if (!list || list->GetItemCount() == 0)
        return;
    list->setFocus(Qt::OtherFocusReason);
    list->SelectAllItems();
}

void CMainFrame::OnUnselectAll()
{
    CQVListCtrl* list = GetCurrentList();
    if (!list)
        return;
    list->setFocus(Qt::OtherFocusReason);
    list->UnselectAllItems();
}

void CMainFrame::OnEditColumns()
{
    if (CQVListCtrl* list = GetCurrentList())
        list->EditColumns();
}

void CMainFrame::OnSortColumn(int trueColumn)
{
    if (CQVListCtrl* list = GetCurrentList())
        list->SortItemsByColumn(trueColumn, false);
}

void CMainFrame::OnSortDirection(bool ascending)
{
    if (CQVListCtrl* list = GetCurrentList())
        list->SortItemsByDirection(ascending, false);
}

void CMainFrame::UpdateSortMenu(QMenu* menu)
{
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        bool isNumber = false;
        const int id = action->data().toInt(&isNumber);
        if (isNumber && id >= ID_VIEW_SORT_COLUMN_FIRST && id <= ID_VIEW_SORT_COLUMN_LAST) {
            menu->removeAction(action);
            action->deleteLater();
        }
    }
    CQVListCtrl* list = GetCurrentList();
    if (list) {
        QAction* top = menu->actions().value(0);
        const int shown = list->GetInsertedColumnCount();
        for (int position = 0; position < shown; ++position) {
            const int trueColumn = list->GetLeftToRightTrueColumn(position);
            QVCOLUMN column;
            if (trueColumn == NUMBER_COLUMN || trueColumn < 0 ||
                trueColumn > ID_VIEW_SORT_COLUMN_LAST - ID_VIEW_SORT_COLUMN_FIRST ||
                !list->GetQVColumn(trueColumn, column))
                continue;
            auto* action = new QAction(column.strHeading, menu);
            action->setObjectName(QString::number(ID_VIEW_SORT_COLUMN_FIRST + trueColumn));
            action->setData(ID_VIEW_SORT_COLUMN_FIRST + trueColumn);
            action->setCheckable(true);
            const bool sortColumn = list->GetSortColumn() == trueColumn;
            action->setChecked(sortColumn);
            action->setEnabled(!(sortColumn && shown <= 1));
            connect(action, &QAction::triggered, this, [this, trueColumn] { OnSortColumn(trueColumn); });
            menu->insertAction(top, action);
        }
    }
    UpdateCommandStates();
}

void CMainFrame::UpdateCommandStates()
{
    if (m_bDestroying)
        return;
    if (QAction* songs = FindCommand(ID_VIEW_SONGS))
        songs->setChecked(m_nCurrentView == VIEW_SONGS);
    if (QAction* lessons = FindCommand(ID_VIEW_LESSONS))
        lessons->setChecked(m_nCurrentView == VIEW_LESSONS);
    if (QAction* selectAll = FindCommand(ID_EDIT_SELECT_ALL))
        selectAll->setEnabled(CanSelectAll());
    if (QAction* unselectAll = FindCommand(ID_EDIT_UNSELECT_ALL))
        unselectAll->setEnabled(CanUnselectAll());
    // A command whose handler has not been installed cannot be given.
    for (const uint32_t commandId : {CordaCommands::ID_FILE_FOLDERS, CordaCommands::ID_FILE_PROPERTIES,
                                     CordaCommands::ID_EDIT_DELETE, CordaCommands::ID_TOOLS_SYNCHRONIZE,
                                     CordaCommands::ID_TOOLS_BACKUP, CordaCommands::ID_TOOLS_OPTIONS}) {
        if (QAction* action = FindCommand(int(commandId)))
            action->setEnabled(HasCommandHandler(int(commandId)));
    }
    for (const auto& [commandId, entry] : m_commandHandlers) {
        if (entry.enabled) {
            if (QAction* action = FindCommand(commandId))
                action->setEnabled(entry.enabled());
        }
    }
    for (const uint32_t commandId : {CordaCommands::ID_EDIT_UNDO, CordaCommands::ID_EDIT_CUT,
                                     CordaCommands::ID_EDIT_COPY, CordaCommands::ID_EDIT_PASTE}) {
        if (QAction* action = FindCommand(int(commandId)))
            action->setEnabled(CanFocusedEditCommand(commandId));
    }
    const CQVListCtrl* list = GetCurrentList();
    const bool sorted = list && list->GetSortColumn() >= 0;
    const bool ascending = list && list->IsSortAscending();
    if (QAction* action = FindCommand(ID_VIEW_SORT_ASCENDING)) {
        action->setEnabled(sorted);
        action->setChecked(ascending);
    }
    if (QAction* action = FindCommand(ID_VIEW_SORT_DESCENDING)) {
        action->setEnabled(sorted);
        action->setChecked(list && !ascending);
    }
}

// --- Notification area

bool CMainFrame::AddTrayIcon()
{
    if (m_bTrayIconAdded)
        return true;
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    if (!m_pTrayIcon) {
        m_pTrayIcon = new QSystemTrayIcon(this);
        m_pTrayIcon->setObjectName(QString::number(IDI_TRAY_ICON));
        const QIcon icon = AfxLoadResourceIcon(IDR_MAINFRAME_ICON);
        m_pTrayIcon->setIcon(icon.isNull() ? windowIcon() : QIcon(icon.pixmap(16, 16)));
        m_pTrayIcon->setToolTip(LoadAppString(IDS_APPLICATION_TITLE));
        m_pTrayIcon->setContextMenu(m_pTrayMenu.get());
        connect(m_pTrayIcon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                        ActivateFrame();
                });
    }
    m_pTrayIcon->show();
    m_bTrayIconAdded = m_pTrayIcon->isVisible();
    return m_bTrayIconAdded;
}

bool CMainFrame::RemoveTrayIcon()
{
    if (!m_bTrayIconAdded)
        return true;
    m_pTrayIcon->hide();
    m_bTrayIconAdded = false;
    return true;
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Minimized into the notification area: only while the icon is there to bring it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_bTrayIconAdded &&
        m_app.GetSystemTraySettings().GetMinimizeToSystemTray()) {
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && m_bTrayIconAdded)
                hide();
        });
    }
}

// --- Placement and pane sizes

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

void CMainFrame::RestorePaneSizes()
{
    CWindowSettings& settings = m_app.GetWindowSettings();
    const int tree = m_pViewTree ? m_pBrowseSplitter->indexOf(m_pViewTree) : -1;
    if (tree >= 0)
        m_pBrowseSplitter->SetPaneInfo(tree, StoredPaneSize(settings.GetViewTreeViewWidth()),
                                       m_pBrowseSplitter->GetPaneMinimumSize(tree));
    // The hidden splitter takes its height now too, so that it shows it when switched to.
    m_pSongSplitter->SetPaneInfo(0, StoredPaneSize(settings.GetSongHeaderHeight()),
                                 m_pSongSplitter->GetPaneMinimumSize(0));
    m_pLessonSplitter->SetPaneInfo(0, StoredPaneSize(settings.GetLessonHeaderHeight()),
                                   m_pLessonSplitter->GetPaneMinimumSize(0));
    m_pBrowseSplitter->RecalcLayout();
}

bool CMainFrame::SavePaneSizes()
{
    CWindowSettings& settings = m_app.GetWindowSettings();
    bool saved = true;
    const int tree = m_pViewTree ? m_pBrowseSplitter->indexOf(m_pViewTree) : -1;
    if (tree >= 0)
        saved = settings.SetViewTreeViewWidth(m_pBrowseSplitter->GetPaneIdealSize(tree), true) && saved;
    saved = settings.SetSongHeaderHeight(m_pSongSplitter->GetPaneIdealSize(0), true) && saved;
    saved = settings.SetLessonHeaderHeight(m_pLessonSplitter->GetPaneIdealSize(0), true) && saved;
    return saved;
}

// --- Idle save

bool CMainFrame::OnIdleTimer(uint32_t idleMilliseconds)
{
    if (idleMilliseconds < m_nIdleSaveAfter || !m_app.GetLibraryDatabase().IsModified())
        return false;
    return m_app.SaveDatabase(true, false);
}

void CMainFrame::SetIdleSaveTiming(int periodMilliseconds, uint32_t idleMilliseconds)
{
    m_idleTimer.setInterval(std::max(1, periodMilliseconds));
    m_nIdleSaveAfter = idleMilliseconds;
}

// --- Closing

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_bClosed) {
        m_bClosed = true;
        m_idleTimer.stop();
        RemoveTrayIcon();
        SaveWindowPlacement();
        SavePaneSizes();
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
        const int songs = m_pSongList->GetItemCount();
        const int lessons = m_pLessonList ? m_pLessonList->GetItemCount() : 0;
        // After this paint has been handled.
        QTimer::singleShot(0, this, [this, songs, lessons] {
            TestHooks::RecordEvent(QStringLiteral("painted songs=%1 lessons=%2").arg(songs).arg(lessons));
            if (TestHooks::ExitAfterFirstPaint())
                close();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Edit commands of the focused text field

namespace {

QLineEdit* FocusedLineEdit()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(focus))
        return combo->lineEdit();
    return nullptr;
}

} // namespace

bool CMainFrame::CanFocusedEditCommand(uint32_t commandId) const
{
    const QLineEdit* edit = FocusedLineEdit();
    if (!edit)
        return false;
    switch (commandId) {
    case CordaCommands::ID_EDIT_UNDO:
        return !edit->isReadOnly() && edit->isUndoAvailable();
    case CordaCommands::ID_EDIT_CUT:
        return !edit->isReadOnly() && edit->hasSelectedText() && edit->echoMode() == QLineEdit::Normal;
    case CordaCommands::ID_EDIT_COPY:
        return edit->hasSelectedText() && edit->echoMode() == QLineEdit::Normal;
    case CordaCommands::ID_EDIT_PASTE:
        return !edit->isReadOnly() && !QGuiApplication::clipboard()->text().isEmpty();
    default:
        return false;
    }
}

void CMainFrame::OnFocusedEditCommand(uint32_t commandId)
{
    // The menu item may have been enabled before the focus moved: ask again.
    if (!CanFocusedEditCommand(commandId))
        return;
    QLineEdit* edit = FocusedLineEdit();
    switch (commandId) {
    case CordaCommands::ID_EDIT_UNDO:
        edit->undo();
        break;
    case CordaCommands::ID_EDIT_CUT:
        edit->cut();
        break;
    case CordaCommands::ID_EDIT_COPY:
        edit->copy();
        break;
    case CordaCommands::ID_EDIT_PASTE:
        edit->paste();
        break;
    default:
        break;
    }
}
