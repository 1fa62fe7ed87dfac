#include "cordalib/ui/CordaLibrarianGuiApp.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CrashReport.h"
#include "cordalib/app/UpdateReminder.h"
#include "cordalib/maintenance/Synchronize.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/RunningInstance.h"
#include "cordalib/ui/TerminationSignals.h"
#include "cordalib/ui/TestHooks.h"
#include "qvsystem/controls/FlashBox.h"
#include "qvsystem/controls/HtmlHelp.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/controls/SplashScreen.h"
#include "qvsystem/online/CheckForUpdatesReminderDlg.h"
#include "qvsystem/online/OpenExternalLink.h"
#include "qvsystem/online/QVSocket.h"
#include "qvsystem/online/UpdateDlg.h"
#include "qvsystem/system/FormatUtilities.h"
#include "qvsystem/system/ModuleVersion.h"
#include "qvsystem/system/ProfileValues.h"
#include "qvsystem/system/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

#include <mutex>

namespace {

// The splash texts' rectangles on the bitmap (left, top, right, bottom; right and bottom
// just outside).
QRect SplashRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

CCordaLibrarianGuiApp* GetCordaLibrarianGuiApp()
{
    return dynamic_cast<CCordaLibrarianGuiApp*>(GetCordaLibrarianApp());
}

CCordaLibrarianGuiApp::CCordaLibrarianGuiApp()
{
    SetStatusCallback([this](const QString& text) { SetSplashStatus(text); });
    InstallKeyboardSettings(*this, m_keyboard);
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The main window's close ends the program, not the last window that happens to
        // close (a message box before the main window exists, the splash).
        application->setQuitOnLastWindowClosed(false);
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { OnSessionEnding(); });
        // A session manager may end the event loop without closing the window.
        connect(application, &QCoreApplication::aboutToQuit, this, [this] {
            if (m_pMainFrame && m_pMainFrame->isVisible())
                m_pMainFrame->close();
        });
    }
    CSplashScreen::SetMainWindowFunction([this]() -> QWidget* { return m_pMainFrame.get(); });
}

CCordaLibrarianGuiApp::~CCordaLibrarianGuiApp()
{
    CSplashScreen::SetMainWindowFunction(nullptr);
    HideFlashBox();
    CloseSplashScreen();
    m_pMainFrame.reset();
}

QString CCordaLibrarianGuiApp::GetRunningInstanceServerPath() const
{
    if (!m_pSingleInstance || m_pSingleInstance->GetLockFilePath().isEmpty())
        return QString();
    return RunningInstance::GetServerPath(QFileInfo(m_pSingleInstance->GetLockFilePath()).absolutePath());
}

bool CCordaLibrarianGuiApp::InitInstance()
{
    // 1. One copy per user: a second one asks the first to come forward and ends, whether
    // or not it answered.
    m_pSingleInstance = std::make_unique<CSingleInstance>(
        QString::fromLatin1(CCordaLibrarianApp::SINGLE_INSTANCE_MUTEX_NAME));
    if (m_pSingleInstance->IsAnotherInstanceRunning()) {
        RunningInstance::NotifyRunningInstance(GetRunningInstanceServerPath());
        return false;
    }
    // 2. A fault from here on leaves an error report and starts the report sender.
    InstallCrashHandler();
    m_pTerminationSignals = std::make_unique<CTerminationSignals>();
    if (m_pTerminationSignals->Install())
        connect(m_pTerminationSignals.get(), &CTerminationSignals::terminationRequested, this,
                [this](int) { RequestClose(); });
    TestHooks::InstallBoxAnswering();
    // F1, the help buttons and the Help menu show the pages in the program's own viewer.
    AfxInstallHtmlHelpViewer();

    // 3 to 10: folder names, registry, file locations, first-run defaults, splash
    // (OnBeforeLoadSettings), settings, database (with string 145 on a damaged file).
    if (!InitCore(true) || m_bQuitRequested)
        return false;

    // 11 and 12: the main window, at its stored placement or maximized, with its pane sizes.
    if (!CreateMainFrame())
        return false;
    if (!m_pMainFrame->RestoreWindowPlacement())
        m_pMainFrame->ShowMaximizedByDefault();
    m_pMainFrame->RestorePaneSizes();
    m_pMainFrame->ApplyKeyboardScheme(m_keyboard.GetKeyboardMappingScheme());
    m_pMainFrame->StartRunningInstanceServer(GetRunningInstanceServerPath());

    // 13.
    AutoCloseSplashScreen(SPLASH_CLOSE_DELAY_MS);

    // 14.
    if (IsCheckForUpdatesReminderDue(GetProductRegistryPath(), COleDateTime::GetCurrentUTCTime()))
        OnCheckForUpdatesReminderDue();

    if (TestHooks::SynchronizeAtStart())
        QTimer::singleShot(0, this, &CCordaLibrarianGuiApp::RunTestSynchronization);
    return !m_bQuitRequested;
}

bool CCordaLibrarianGuiApp::CreateMainFrame()
{
    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    if (!m_pMainFrame->Create()) {
        m_pMainFrame.reset();
        return false;
    }
    connect(m_pMainFrame.get(), &CMainFrame::frameClosed, this, [this] {
        m_bQuitRequested = true;
        // Queued: a close before the event loop runs still ends it at once.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    return true;
}

int CCordaLibrarianGuiApp::Run()
{
    if (InitInstance() && !m_bQuitRequested)
        QApplication::exec();
    return ExitInstance();
}

int CCordaLibrarianGuiApp::ExitInstance()
{
    const bool splashOpen = HasSplashScreen();
    CloseSplashScreen();
    // The splash takes its window down from the event loop, which has ended.
    if (splashOpen)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    if (m_bSocketsInitialized) {
        CQVSocket::Deinitialize();
        m_bSocketsInitialized = false;
    }
    // A window still open (the event loop ended some other way) closes the normal way first.
    if (m_pMainFrame && m_pMainFrame->isVisible())
        m_pMainFrame->close();
    if (GetLibraryDatabase().IsModified()) {
        ShowFlashBox(IDS_SAVING_DATABASE);
        ExitCore();
        HideFlashBox();
    }
    return 0;
}

void CCordaLibrarianGuiApp::RequestClose()
{
    m_bQuitRequested = true;
    // A modal window (a message box during start-up) gives way first.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog)
            break;
        dialog->reject();
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    if (m_pMainFrame)
        m_pMainFrame->close();
}

void CCordaLibrarianGuiApp::OnSessionEnding()
{
    if (m_pMainFrame)
        m_pMainFrame->SaveWindowPlacement();
    if (GetLibraryDatabase().IsModified())
        SaveDatabase(true, false);
}

bool CCordaLibrarianGuiApp::OnBeforeLoadSettings()
{
    // 8. The Startup group is read here, before the others, to decide on the splash.
    GetStartupSettings().Load();
    if (GetStartupSettings().GetShowSplashScreen() && !OpenSplashScreen())
        return false;
    // 9a and 9b: links opened from help and dialogs ask first; the update check's sockets.
    QVSystemSetOpenExternalLinkCallback(
        [this](const QString& link) { return IsOpenExternalLinkAllowed(link) ? 1 : 0; });
    if (!CQVSocket::Initialize())
        return false;
    m_bSocketsInitialized = true;
    return true;
}

void CCordaLibrarianGuiApp::OnBeginLoadDatabase()
{
    // The splash shows "Loading database..." itself.
    if (!HasSplashScreen())
        ShowFlashBox(IDS_LOADING_DATABASE);
}

void CCordaLibrarianGuiApp::OnEndLoadDatabase()
{
    HideFlashBox();
}

void CCordaLibrarianGuiApp::ShowFlashBox(unsigned textId)
{
    HideFlashBox();
    auto box = std::make_unique<CFlashBox>();
    // Set first: Create paints the box before it returns.
    box->SetStatus(LoadAppString(textId));
    // Over the main window while it is on screen; at start-up and exit there is none.
    QWidget* owner = m_pMainFrame && m_pMainFrame->isVisible() ? m_pMainFrame.get() : nullptr;
    if (!box->Create(owner))
        return;
    m_pFlashBox = std::move(box);
}

void CCordaLibrarianGuiApp::HideFlashBox()
{
    if (!m_pFlashBox)
        return;
    m_pFlashBox->DestroyWindow();
    m_pFlashBox.reset();
}

void CCordaLibrarianGuiApp::OnCheckForUpdatesReminderDue()
{
    CloseSplashScreen();
    const CRegistryPath path = GetProductRegistryPath();
    QString text = LoadAppString(IDS_CHECK_FOR_UPDATES_NOW);
    const COleDateTime lastChecked = AfxGetProfileCheckForUpdatesLastChecked(path);
    COleDateTime local;
    if (lastChecked.GetStatus() == COleDateTime::valid && lastChecked.m_dt != 0.0 &&
        AfxUTCToLocalTime(lastChecked, local))
        text = AfxFormatMessage(LoadAppString(IDS_NOT_CHECKED_SINCE), AfxFormatLocaleDate(local));
    CCheckForUpdatesReminderDlg reminder(path, m_pMainFrame.get());
    reminder.SetStatus(text);
    if (reminder.exec() == QDialog::Accepted)
        AfxCheckForUpdates(m_pMainFrame.get(), path, IDS_APPLICATION_TITLE);
}

bool CCordaLibrarianGuiApp::HasSplashScreen() const
{
    std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
    return m_pSplashScreen != nullptr;
}

bool CCordaLibrarianGuiApp::OpenSplashScreen()
{
    CModuleVersion version;
    uint16_t major = 0, minor = 0, revision = 0, build = 0;
    if (!version.Load(static_cast<HMODULE>(nullptr)) ||
        !version.GetProductVersion(major, minor, revision, build))
        return false;
    QString specialBuild, copyright;
    version.GetSpecialBuild(specialBuild);
    version.GetLegalCopyright(copyright);
    const QString versionText = QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(revision).arg(build);

    std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
    auto* splash = new CSplashScreen(&m_pSplashScreen);
    m_pSplashScreen = splash;
    splash->SetBitmapID(IDB_SPLASH_SCREEN);
    splash->InitializeStatus(SplashRect(93, 160, 378, 188), LoadAppString(IDS_INITIALIZING));
    splash->InitializeVersionNumber(SplashRect(114, 75, 353, 93),
                                    AfxFormatMessage(LoadAppString(IDS_VERSION_FORMAT), versionText));
    splash->InitializeSpecialBuild(SplashRect(114, 95, 353, 131), specialBuild);
    splash->InitializeCopyright(SplashRect(93, 213, 378, 235), copyright);
    if (!splash->Open()) {
        delete splash;
        m_pSplashScreen = nullptr;
        return false;
    }
    return true;
}

void CCordaLibrarianGuiApp::SetSplashStatus(const QString& text)
{
    std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
    if (m_pSplashScreen)
        m_pSplashScreen->SetStatus(text);
}

void CCordaLibrarianGuiApp::AutoCloseSplashScreen(int milliseconds)
{
    std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
    if (m_pSplashScreen)
        m_pSplashScreen->AutoClose(milliseconds);
}

void CCordaLibrarianGuiApp::CloseSplashScreen()
{
    std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
    if (m_pSplashScreen)
        m_pSplashScreen->Close();
}

void CCordaLibrarianGuiApp::RunTestSynchronization()
{
    CSyncResults results;
    Synchronize(GetLibraryDatabase(), GetSynchronizedFolders(), results, nullptr);
    if (m_pMainFrame)
        m_pMainFrame->RefreshLists();
    TestHooks::RecordEvent(QStringLiteral("synchronized songs=%1 lessons=%2")
                               .arg(GetLibraryDatabase().GetSongCount())
                               .arg(GetLibraryDatabase().GetLessonCount()));
}
