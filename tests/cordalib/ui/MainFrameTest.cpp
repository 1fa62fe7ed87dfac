// The main window and the desktop application object in one process: the lists, the
// menus, the placement, the running-instance answer, the idle save, the termination
// signals and the normal shutdown.
#include "TestSupport.h"

#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/KeyboardSettings.h"
#include "cordalib/ui/CordaLibrarianGuiApp.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RunningInstance.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/TerminationSignals.h"
#include "cordalib/ui/WindowPlacement.h"
#include "qvsystem/controls/FlashBox.h"
#include "qvsystem/controls/KeyboardMappingScheme.h"
#include "qvsystem/controls/MessageBoxDriver.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/SearchEdit.h"
#include "qvsystem/online/CheckForUpdatesReminderDlg.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/FormatUtilities.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <ctime>
#include <memory>
#include <thread>

namespace {

// Receives the file addresses that the shell would open.
class CUrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> m_urls;

public slots:
    void Open(const QUrl& url) { m_urls.append(url); }
};

// Notes the status of every flash box as it is painted (the box lives only while a
// synchronous step runs, so it cannot be looked at afterwards).
class CFlashBoxWatcher : public QObject {
public:
    QStringList m_statuses;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (auto* box = qobject_cast<CFlashBox*>(watched)) {
                if (m_statuses.isEmpty() || m_statuses.back() != box->GetStatus())
                    m_statuses.append(box->GetStatus());
            }
        }
        return false;
    }
};

bool AnyFlashBoxVisible()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<CFlashBox*>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

class MainFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_dataHome = m_dir.path() + QStringLiteral("/data");
        QDir().mkpath(m_dataHome);
        setenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome).constData(), 1);
        AfxSetSettingsStorePath(m_dir.path() + QStringLiteral("/config/registry.db"));
    }
    void TearDown() override
    {
        AfxSetSettingsStorePath(QString());
        setenv("XDG_DATA_HOME", m_oldDataHome.constData(), 1);
    }

    QString DatabaseFile() const
    {
        return m_dataHome + QStringLiteral("/Corda Software/Corda Librarian/Database Files/library.cordb");
    }

    static void AddSong(CCordaLibrarianApp& app, const char* title, const char* artist)
    {
        auto song = std::make_unique<CSongRecord>();
        song->SetTitle(title);
        song->SetArtist(artist);
        song->SetAlbum("Album");
        song->SetYear(1987);
        song->SetPath(QStringLiteral("/music/%1.crd").arg(QString::fromLatin1(title).left(4)));
        app.GetLibraryDatabase().AddSong(std::move(song));
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/clu-XXXXXX")};
    QByteArray m_oldDataHome;
    QString m_dataHome;
};

// The lists must show every record with its Windows-1252 texts converted (not shown as
// Latin-1 or mangled), and must follow the library when it changes.
TEST_F(MainFrameTest, ListsShowTheLibraryRecords)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    AddSong(app,
            "Stra\xdf"
            "e \x93Heart\x94",
            "Jos\xe9 \x80uro");
    AddSong(app, "Second", "B");
    auto lesson = std::make_unique<CLessonRecord>();
    lesson->SetTitle("Caf\xe9 Scales");
    lesson->SetStyle(0);
    lesson->SetLevel(2);
    lesson->SetAuthor("Zo\xeb");
    lesson->SetPath(QStringLiteral("/music/lesson.crd"));
    app.GetLibraryDatabase().AddLesson(std::move(lesson));

    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    CSongListCtrl* songs = frame.GetSongList();
    CLessonListCtrl* lessons = frame.GetLessonList();
    ASSERT_NE(songs, nullptr);
    ASSERT_NE(lessons, nullptr);
    QAbstractItemModelTester songTester(songs->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_EQ(songs->GetItemCount(), 2);
    ASSERT_EQ(lessons->GetItemCount(), 1);
    EXPECT_EQ(songs->objectName(), QStringLiteral("23014"));
    EXPECT_EQ(lessons->objectName(), QStringLiteral("23014"));
    // Every declared column is shown, with its heading.
    EXPECT_EQ(songs->GetInsertedColumnCount(), 16);
    EXPECT_EQ(lessons->GetInsertedColumnCount(), 12);
    EXPECT_EQ(songs->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Title"));
    EXPECT_EQ(lessons->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Style"));
    const int first = songs->GetRecord(0)->GetTitle() == "Second" ? 1 : 0;
    EXPECT_EQ(songs->GetRecordText(first, CSongListCtrl::songColumnTitle),
              QStringLiteral("Stra\u00dfe \u201cHeart\u201d"));
    EXPECT_EQ(songs->GetRecordText(first, CSongListCtrl::songColumnArtist),
              QStringLiteral("Jos\u00e9 \u20acuro"));
    EXPECT_EQ(songs->GetRecordText(first, CSongListCtrl::songColumnYear), QStringLiteral("1987"));
    EXPECT_EQ(songs->GetRecordText(1 - first, CSongListCtrl::songColumnFileName),
              QStringLiteral("/music/Seco.crd"));
    EXPECT_TRUE(songs->GetRecordText(2, CSongListCtrl::songColumnTitle).isEmpty());
    EXPECT_EQ(lessons->GetRecordText(0, CLessonListCtrl::lessonColumnTitle),
              QStringLiteral("Caf\u00e9 Scales"));
    EXPECT_EQ(lessons->GetRecordText(0, CLessonListCtrl::lessonColumnLevel), QStringLiteral("Advanced"));
    EXPECT_EQ(lessons->GetRecordText(0, CLessonListCtrl::lessonColumnAuthor), QStringLiteral("Zo\u00eb"));
    EXPECT_EQ(CMainFrame::GetRowPath(lessons, 0), QStringLiteral("/music/lesson.crd"));

    // A new record appears after a refresh; an emptied library empties both lists.
    AddSong(app, "Third", "C");
    frame.RefreshLists();
    EXPECT_EQ(songs->GetItemCount(), 3);
    EXPECT_EQ(lessons->GetItemCount(), 1);
    app.GetLibraryDatabase().Clear();
    frame.RefreshLists();
    EXPECT_EQ(songs->GetItemCount(), 0);
    EXPECT_EQ(lessons->GetItemCount(), 0);
}

// The program's window must carry the user's shortcuts: the defaults on the menu commands
// with their key names, and a key moved to another command in the settings leaves the first.
TEST_F(MainFrameTest, MenuCommandsCarryTheKeyboardScheme)
{
    CCordaLibrarianApp app;
    CKeyboardSettings keyboard(app.GetProfile());
    InstallKeyboardSettings(app, keyboard);
    ASSERT_TRUE(app.InitCore(false));
    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    EXPECT_GT(frame.ApplyKeyboardScheme(keyboard.GetKeyboardMappingScheme()), 0);
    QAction* contents = frame.FindCommand(int(CordaCommands::ID_HELP_CONTENTS));
    QAction* selectAll = frame.FindCommand(int(CordaCommands::ID_EDIT_SELECT_ALL));
    ASSERT_NE(contents, nullptr);
    ASSERT_NE(selectAll, nullptr);
    EXPECT_TRUE(contents->text().endsWith(QStringLiteral("\tF1"))) << contents->text().toStdString();
    EXPECT_TRUE(selectAll->text().endsWith(
        QLatin1Char('\t') + QKeySequence(QStringLiteral("Ctrl+A")).toString(QKeySequence::NativeText)))
        << selectAll->text().toStdString();

    CKeyboardMappingScheme moved = keyboard.GetKeyboardMappingScheme();
    CKeyboardShortcut contentsShortcut;
    ASSERT_TRUE(moved.GetKeyboardShortcutUsingCommandID(CordaCommands::ID_HELP_CONTENTS, contentsShortcut));
    ASSERT_TRUE(moved.SetShortcutKey(CordaCommands::ID_HELP_SEARCH, contentsShortcut.GetShortcutKey()));
    ASSERT_TRUE(keyboard.SetKeyboardMappingScheme(moved, true));
    frame.ApplyKeyboardScheme(keyboard.GetKeyboardMappingScheme());
    EXPECT_FALSE(contents->text().contains(QLatin1Char('\t'))) << contents->text().toStdString();
    EXPECT_TRUE(
        frame.FindCommand(int(CordaCommands::ID_HELP_SEARCH))->text().endsWith(QStringLiteral("\tF1")));
}

// File > Exit must close the window the normal way: the placement is written (44 bytes,
// decodable) and the frame says it closed; the menus that have no working command yet stay
// out of the menu bar; the menus hold the commands in the documented order; Open Location
// hands the folder to the shell.
TEST_F(MainFrameTest, MenusExitAndOpenLocation)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Corda Librarian"));
    EXPECT_FALSE(frame.windowIcon().isNull());
    ASSERT_NE(frame.GetFileMenu(), nullptr);
    EXPECT_TRUE(frame.GetFileMenu()->menuAction()->isVisible());
    EXPECT_TRUE(frame.GetEditMenu()->menuAction()->isVisible());
    EXPECT_TRUE(frame.GetViewMenu()->menuAction()->isVisible());
    EXPECT_TRUE(frame.GetHelpMenu()->menuAction()->isVisible());
    // Each menu's commands in their order, "|" for a separator, ">" for a sub menu.
    auto layout = [](QMenu* menu) {
        QStringList items;
        for (QAction* action : menu->actions())
            items << (action->isSeparator() ? QStringLiteral("|")
                      : action->menu()      ? QStringLiteral(">")
                                            : action->objectName());
        return items.join(QLatin1Char(' '));
    };
    EXPECT_EQ(layout(frame.GetFileMenu()), QStringLiteral("32912 | > | 32793 | 57665"));
    EXPECT_EQ(layout(frame.GetEditMenu()), QStringLiteral("57643 | 57635 57634 57637 | 32854 | 57642 32848"));
    EXPECT_EQ(layout(frame.GetToolsMenu()), QStringLiteral("32909 32918 | 32774"));
    EXPECT_EQ(layout(frame.GetHelpMenu()), QStringLiteral("32808 57666 32810 | 32811 | 32790 | 32780"));

    // A command is greyed until its module gives it a handler, then follows its enabler.
    const int backup = int(CordaCommands::ID_TOOLS_BACKUP);
    QAction* backupAction = frame.FindCommand(backup);
    ASSERT_NE(backupAction, nullptr);
    if (!frame.HasCommandHandler(backup)) {
        EXPECT_FALSE(backupAction->isEnabled());
    }
    int runs = 0;
    bool allowed = false;
    frame.SetCommandHandler(
        backup, [&runs] { ++runs; }, [&allowed] { return allowed; });
    EXPECT_FALSE(backupAction->isEnabled());
    allowed = true;
    frame.UpdateCommandStates();
    EXPECT_TRUE(backupAction->isEnabled());
    backupAction->trigger();
    // A second handler replaces the first rather than running beside it.
    frame.SetCommandHandler(backup, [&runs] { runs += 10; });
    backupAction->trigger();
    EXPECT_EQ(runs, 11);

    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    auto* databaseFiles = frame.findChild<QAction*>(QString::number(ID_FILE_OPEN_LOCATION_DATABASE_FILES));
    ASSERT_NE(databaseFiles, nullptr);
    databaseFiles->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.m_urls.size(), 1);
    EXPECT_EQ(catcher.m_urls.front().toLocalFile(), QFileInfo(DatabaseFile()).absolutePath());

    frame.showNormal();
    frame.setGeometry(120, 80, 640, 480);
    QSignalSpy closed(&frame, &CMainFrame::frameClosed);
    auto* exitAction = frame.findChild<QAction*>(QString::number(ID_APP_EXIT));
    ASSERT_NE(exitAction, nullptr);
    EXPECT_EQ(exitAction->text(), QStringLiteral("E&xit"));
    exitAction->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(frame.isVisible());

    QByteArray stored;
    ASSERT_TRUE(app.GetProfile().GetProfileBinary(QStringLiteral("Window Settings"),
                                                  QStringLiteral("Window Placement"), stored));
    EXPECT_EQ(stored.size(), 44);
    WINDOWPLACEMENT placement;
    ASSERT_TRUE(DecodeWindowPlacement(stored, QRect(0, 0, 10000, 10000), &placement));
    EXPECT_EQ(placement.showCmd, SW_NORMAL);
    EXPECT_EQ(placement.GetNormalRect(), QRect(120, 80, 640, 480));
}

// What the window saved, the next start-up restores: normal geometry, or maximized over
// the saved normal rectangle; a record of the wrong size is ignored (the caller maximizes).
TEST_F(MainFrameTest, PlacementIsRestored)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    const QRect area = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    const QRect normal(area.left() + 30, area.top() + 40, 500, 300);
    for (uint32_t showCmd : {SW_NORMAL, SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED}) {
        SCOPED_TRACE(showCmd);
        WINDOWPLACEMENT placement;
        placement.showCmd = showCmd;
        placement.SetNormalRect(normal);
        ASSERT_TRUE(app.GetWindowSettings().SetWindowPlacement(EncodeWindowPlacement(placement), true));
        CMainFrame frame(app);
        ASSERT_TRUE(frame.Create());
        ASSERT_TRUE(frame.RestoreWindowPlacement());
        EXPECT_TRUE(frame.isVisible());
        EXPECT_FALSE(frame.isMinimized());
        EXPECT_EQ(frame.isMaximized(), showCmd == SW_SHOWMAXIMIZED);
        if (showCmd != SW_SHOWMAXIMIZED) {
            EXPECT_EQ(frame.geometry(), normal);
        }
        frame.close();
        WINDOWPLACEMENT saved;
        ASSERT_TRUE(DecodeWindowPlacement(app.GetWindowSettings().GetWindowPlacement(), area, &saved));
        EXPECT_EQ(saved.showCmd, showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_NORMAL);
        EXPECT_EQ(saved.GetNormalRect(), normal);
    }
    QByteArray wrong = app.GetWindowSettings().GetWindowPlacement();
    wrong.chop(1);
    ASSERT_TRUE(app.GetWindowSettings().SetWindowPlacement(wrong, true));
    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    EXPECT_FALSE(frame.RestoreWindowPlacement());
    EXPECT_FALSE(frame.isVisible());
}

// The running-instance answer: a request in time is answered and restores a minimized
// window; a late one (the asker has gone), a wrong number, or a socket left by a crashed
// copy never raise anything and never block.
TEST_F(MainFrameTest, RunningInstanceAnswer)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    const QString path = RunningInstance::GetServerPath(m_dir.path());
    EXPECT_TRUE(path.startsWith(m_dir.path() + QLatin1Char('/')));
    EXPECT_GE(RunningInstance::GetMessageNumber(), 0xC000u);
    EXPECT_LE(RunningInstance::GetMessageNumber(), 0xFFFFu);

    // A socket file left behind by a copy that crashed: nobody answers, nothing blocks.
    int exitCode = -1;
    corda::test::RunCommand(
        QStringLiteral(
            "python3 -c \"import socket,sys; s=socket.socket(socket.AF_UNIX); s.bind(sys.argv[1])\" '%1'")
            .arg(path),
        &exitCode);
    ASSERT_EQ(exitCode, 0);
    ASSERT_TRUE(QFileInfo::exists(path));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(RunningInstance::NotifyRunningInstance(path));
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_TRUE(frame.StartRunningInstanceServer(path));

    // The offscreen platform has no stacking order to change.
    corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    frame.showMinimized();
    QSignalSpy requested(frame.GetRunningInstanceServer(), &CRunningInstanceServer::runningInstanceRequested);
    std::atomic<int> answered{-1};
    std::thread asker([&] { answered = RunningInstance::NotifyRunningInstance(path) ? 1 : 0; });
    QTRY_VERIFY_WITH_TIMEOUT(answered.load() >= 0, 5000);
    asker.join();
    EXPECT_EQ(answered.load(), 1);
    EXPECT_EQ(requested.count(), 1);
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_TRUE(frame.isVisible());

    // Requests that must be refused, sent by hand.
    const auto send = [&path](uint32_t number, int64_t askedNs) {
        QLocalSocket socket;
        socket.connectToServer(path);
        EXPECT_TRUE(socket.waitForConnected(1000));
        QByteArray request;
        for (int i = 0; i < 4; ++i)
            request.append(static_cast<char>((number >> (8 * i)) & 0xFF));
        for (int i = 0; i < 8; ++i)
            request.append(static_cast<char>((static_cast<uint64_t>(askedNs) >> (8 * i)) & 0xFF));
        socket.write(request);
        socket.waitForBytesWritten(1000);
        // The server drops the connection without an answer.
        QElapsedTimer waited;
        waited.start();
        while (socket.state() != QLocalSocket::UnconnectedState && waited.elapsed() < 3000)
            QTest::qWait(10);
        EXPECT_EQ(socket.state(), QLocalSocket::UnconnectedState);
        return socket.readAll();
    };
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t nowNs = static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    EXPECT_TRUE(send(RunningInstance::GetMessageNumber(), nowNs - 1500000000LL).isEmpty());
    EXPECT_TRUE(send(RunningInstance::GetMessageNumber() ^ 1u, nowNs).isEmpty());
    EXPECT_EQ(requested.count(), 1);
}

// A long runtime folder must still give a socket path that fits a socket address.
TEST_F(MainFrameTest, ServerPathFitsASocketAddress)
{
    const QString longFolder = QStringLiteral("/run/user/1000/") + QString(60, QLatin1Char('f'));
    const QString path = RunningInstance::GetServerPath(longFolder);
    EXPECT_TRUE(path.startsWith(longFolder + QLatin1Char('/')));
    EXPECT_LT(QFile::encodeName(path).size(), 108);
    EXPECT_EQ(RunningInstance::GetServerPath(longFolder), path);
    EXPECT_TRUE(RunningInstance::GetServerPath(QString()).isEmpty());
}

// Timer 13 saves a modified library after five minutes without input, quietly, and
// leaves an unchanged library (or a shorter idle time) alone.
TEST_F(MainFrameTest, IdleSave)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    EXPECT_EQ(frame.GetIdleTimer()->objectName(), QStringLiteral("13"));
    EXPECT_EQ(frame.GetIdleTimer()->interval(), 30000);
    EXPECT_TRUE(frame.GetIdleTimer()->isActive());

    EXPECT_FALSE(frame.OnIdleTimer(CMainFrame::IDLE_SAVE_AFTER_MS));
    AddSong(app, "Idle", "A");
    EXPECT_FALSE(frame.OnIdleTimer(CMainFrame::IDLE_SAVE_AFTER_MS - 1));
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
    EXPECT_TRUE(frame.OnIdleTimer(CMainFrame::IDLE_SAVE_AFTER_MS));
    EXPECT_TRUE(QFileInfo::exists(DatabaseFile()));
    EXPECT_FALSE(app.GetLibraryDatabase().IsModified());
    EXPECT_FALSE(frame.OnIdleTimer(CMainFrame::IDLE_SAVE_AFTER_MS * 2));
}

// The signals that end the program must reach the event loop as a request, not kill the
// process; the previous handlers come back afterwards, and only one watcher can be
// installed at a time.
TEST_F(MainFrameTest, TerminationSignalsBecomeRequests)
{
    struct sigaction before {};
    sigaction(SIGHUP, nullptr, &before);
    {
        CTerminationSignals signalsWatcher;
        ASSERT_TRUE(signalsWatcher.Install());
        CTerminationSignals second;
        EXPECT_FALSE(second.Install());
        QSignalSpy spy(&signalsWatcher, &CTerminationSignals::terminationRequested);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        ::raise(SIGINT);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 5000);
        EXPECT_EQ(spy.at(0).at(0).toInt(), SIGHUP);
        EXPECT_EQ(spy.at(1).at(0).toInt(), SIGTERM);
        EXPECT_EQ(spy.at(2).at(0).toInt(), SIGINT);
    }
    struct sigaction after {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    CTerminationSignals again;
    EXPECT_TRUE(again.Install());
}

// The reminder that start-up brings up when a check is due: it names the day of the last
// check in the user's calendar (or asks plainly when there was none), and No checks nothing.
TEST_F(MainFrameTest, UpdateReminderNamesTheLastCheck)
{
    struct ReminderApp : CCordaLibrarianGuiApp {
        using CCordaLibrarianGuiApp::OnCheckForUpdatesReminderDue;
    } app;
    ASSERT_TRUE(app.SetRegistryLocation());
    const CRegistryPath path = app.GetProductRegistryPath();
    QStringList asked;
    const auto remind = [&]() {
        corda::test::CModalDriver<CCheckForUpdatesReminderDlg> driver(
            [&](CCheckForUpdatesReminderDlg& reminder) {
                asked << reminder.GetStatus();
                reminder.reject();
            });
        app.OnCheckForUpdatesReminderDue();
        EXPECT_TRUE(driver.Seen());
    };
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastChecked(path, COleDateTime(0.0)));
    remind();
    const COleDateTime lastChecked(2026, 3, 14, 12, 0, 0);
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastChecked(path, lastChecked));
    remind();
    COleDateTime local;
    ASSERT_TRUE(AfxUTCToLocalTime(lastChecked, local));
    EXPECT_EQ(asked,
              QStringList({QStringLiteral("Would you like to check for updates now?"),
                           QStringLiteral("You have not checked for updates since %1.  Would you like to "
                                          "check for updates now?")
                               .arg(AfxFormatLocaleDate(local))}));
    // No is no check: the time of the last one stays.
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastChecked(path), lastChecked);
}

// The desktop application object: start-up shows the main window (maximized without a
// stored placement) and, without the splash, "Loading database..." in a flash box only
// while the library loads; a close request goes through the window's close (placement
// saved) and ends the program; the shutdown saves the changed library under "Saving
// database..."; the session's end saves without closing.
TEST_F(MainFrameTest, GuiApplicationStartsAndClosesTheNormalWay)
{
    CCordaLibrarianGuiApp app;
    ASSERT_EQ(GetCordaLibrarianGuiApp(), &app);
    ASSERT_EQ(GetCordaLibrarianApp(), &app);
    // Test binaries carry no version block, which the splash needs.
    app.SetApplicationDataFolderNames();
    app.SetRegistryLocation();
    app.GetStartupSettings().SetShowSplashScreen(false, true);

    // The offscreen platform has no stacking order to change.
    corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    CFlashBoxWatcher watcher;
    qApp->installEventFilter(&watcher);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(watcher.m_statuses, QStringList{QStringLiteral("Loading database...")});
    EXPECT_FALSE(AnyFlashBoxVisible());
    CMainFrame* frame = app.GetMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMaximized());
    ASSERT_NE(frame->GetRunningInstanceServer(), nullptr);
    EXPECT_TRUE(frame->GetRunningInstanceServer()->IsListening());
    EXPECT_EQ(frame->GetRunningInstanceServer()->GetServerPath(), app.GetRunningInstanceServerPath());
    // First run: the reminder's dismissal date is recorded.
    EXPECT_NE(AfxGetProfileCheckForUpdatesLastDismissed(app.GetProductRegistryPath()), COleDateTime());

    AddSong(app, "Session", "S");
    app.OnSessionEnding();
    EXPECT_TRUE(QFileInfo::exists(DatabaseFile()));
    EXPECT_FALSE(app.GetLibraryDatabase().IsModified());
    EXPECT_TRUE(frame->isVisible());

    AddSong(app, "Shutdown", "S");
    app.RequestClose();
    EXPECT_TRUE(app.IsQuitRequested());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(app.GetWindowSettings().GetWindowPlacement().size(), 44);
    EXPECT_EQ(app.ExitInstance(), 0);
    qApp->removeEventFilter(&watcher);
    EXPECT_EQ(watcher.m_statuses.back(), QStringLiteral("Saving database..."));
    EXPECT_FALSE(AnyFlashBoxVisible());
    EXPECT_FALSE(app.GetLibraryDatabase().IsModified());
    CCordaLibrarianApp reader;
    ASSERT_TRUE(reader.InitCore(false));
    EXPECT_EQ(reader.GetLibraryDatabase().GetSongCount(), 2u);
}

} // namespace

#include "MainFrameTest.moc"

// Edit > Undo, Cut, Copy and Paste act on the focused text field and are greyed where they
// would do nothing (no field, no selection, nothing to undo).
TEST_F(MainFrameTest, EditCommandsActOnTheFocusedTextField)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    CMainFrame frame(app);
    ASSERT_TRUE(frame.Create());
    frame.show();
    QLineEdit* edit = frame.GetSearchBar()->GetSearchEdit();
    ASSERT_NE(edit, nullptr);
    QApplication::setActiveWindow(&frame);
    edit->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(edit->hasFocus(), 5000);
    QAction* cut = frame.FindCommand(int(CordaCommands::ID_EDIT_CUT));
    QAction* copy = frame.FindCommand(int(CordaCommands::ID_EDIT_COPY));
    QAction* paste = frame.FindCommand(int(CordaCommands::ID_EDIT_PASTE));
    QAction* undo = frame.FindCommand(int(CordaCommands::ID_EDIT_UNDO));
    ASSERT_TRUE(cut && copy && paste && undo);
    frame.UpdateCommandStates();
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(undo->isEnabled());

    QTest::keyClicks(edit, QStringLiteral("rock"));
    edit->setSelection(1, 2);
    frame.UpdateCommandStates();
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(undo->isEnabled());
    QApplication::clipboard()->clear();
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("oc"));
    cut->trigger();
    EXPECT_EQ(edit->text(), QStringLiteral("rk"));
    edit->setCursorPosition(2);
    frame.UpdateCommandStates(); // as opening the menu does
    paste->trigger();
    EXPECT_EQ(edit->text(), QStringLiteral("rkoc"));
    frame.UpdateCommandStates();
    undo->trigger();
    EXPECT_EQ(edit->text(), QStringLiteral("rk"));

    // With the focus in the list the text commands are greyed.
    frame.GetCurrentList()->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!edit->hasFocus(), 5000);
    frame.UpdateCommandStates();
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(paste->isEnabled());
}
