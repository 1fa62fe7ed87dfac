#pragma once
// The desktop program's application object. It is the application core
// (CCordaLibrarianApp) with the steps that need windows around it: the single-instance
// test and the running-instance message, the splash screen, the main window with its
// placement, the update reminder, and a shutdown that always goes the normal way (the
// main window's close, then ExitInstance, which saves a changed library) whether the user
// closes the window, the session ends, or SIGTERM, SIGINT or SIGHUP arrives.
//
// It derives from the core rather than owning one, so that GetCordaLibrarianApp() — the
// accessor every part of the program uses for the library and the settings — is this
// object, and the core's start-up sequence stays the one sequence: the window steps go in
// through the core's hook functions at their places.

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/KeyboardSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class CFlashBox;
class CMainFrame;
class CSingleInstance;
class CSplashScreen;
class CTerminationSignals;

class CCordaLibrarianGuiApp : public QObject, public CCordaLibrarianApp {
    Q_OBJECT

public:
    // The splash closes itself this long after the main window is up.
    static constexpr int SPLASH_CLOSE_DELAY_MS = 1300;

    CCordaLibrarianGuiApp();
    ~CCordaLibrarianGuiApp() override;

    // The start-up sequence; false when the process should end (another copy runs, or a
    // step that must succeed failed).
    bool InitInstance();
    // The shutdown sequence: closes the splash and saves a modified library with the
    // "Saving database..." window, with error messages. Returns the exit status.
    int ExitInstance();
    // InitInstance, the event loop while the main window is open, ExitInstance.
    int Run();

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    // The socket path of the running-instance message for this user.
    QString GetRunningInstanceServerPath() const;

    // Ends the program the normal way: the main window closes (placement saved) and the
    // event loop ends. Before the main window exists the start-up is cut short instead.
    void RequestClose();
    bool IsQuitRequested() const { return m_bQuitRequested; }

    // At the end of a session: saves the placement and a modified library at once (no
    // message box may hold up the logout; a failure leaves the library modified for
    // ExitInstance to try again).
    void OnSessionEnding();

protected:
    bool OnBeforeLoadSettings() override;
    void OnBeginLoadDatabase() override;
    void OnEndLoadDatabase() override;
    // The reminder is due: the splash closes, the reminder asks, and OK runs the update
    // check as Help > Check for Updates... does.
    virtual void OnCheckForUpdatesReminderDue();

    // The splash screen (all calls made under its lock); each does nothing without one.
    bool HasSplashScreen() const;
    bool OpenSplashScreen();
    void SetSplashStatus(const QString& text);
    void AutoCloseSplashScreen(int milliseconds);
    void CloseSplashScreen();
    // The small status window of a short step (loading without the splash, saving at
    // exit), shown until HideFlashBox.
    void ShowFlashBox(unsigned textId);
    void HideFlashBox();

private:
    bool CreateMainFrame();
    void RunTestSynchronization();

    std::unique_ptr<CSingleInstance> m_pSingleInstance;
    std::unique_ptr<CTerminationSignals> m_pTerminationSignals;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    CSplashScreen* m_pSplashScreen = nullptr;
    CKeyboardSettings m_keyboard{GetProfile()};
    bool m_bSocketsInitialized = false;
    std::unique_ptr<CFlashBox> m_pFlashBox;
    bool m_bQuitRequested = false;
};

// The running desktop application object, or null (no application, or cordalib-cli's).
CCordaLibrarianGuiApp* GetCordaLibrarianGuiApp();
