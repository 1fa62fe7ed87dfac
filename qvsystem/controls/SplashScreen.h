#pragma once
// The splash screen shown while the program starts: a frameless window of exactly the
// bitmap's size, centred on the screen, with four texts drawn over the bitmap (status,
// version number, special build, copyright).
//
// Qt widgets live on the UI thread only, so the window belongs to that thread too. The
// program loads its library on the same thread; the status line therefore repaints at
// once when it changes (a synchronous repaint, not a deferred update), and the window
// paints between the start-up steps.
//
// The owner keeps a pointer to the splash object and hands its address to the
// constructor; Close and the automatic close clear it, so the owner never reaches a
// closed splash. By default the object deletes itself once its window is gone. The
// owner makes every call while holding GetCriticalSectionPtr(), the same lock the
// automatic close takes; it is recursive, so a nested event loop that runs the
// automatic close while the owner holds it does not deadlock.

#include "qvsystem/qvsystem_export.h"

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <mutex>

class CSplashScreen;

// The timer of the automatic close, also the QTimer's object name.
inline constexpr int SPLASH_AUTOCLOSE_TIMER_ID = 45;

// The splash window: the bitmap with its texts.
class QVSYSTEM_EXPORT CSplashScreenWnd : public QWidget {
    Q_OBJECT

public:
    // One of the four texts with the rectangle it is drawn in (window coordinates; an
    // empty rectangle is not drawn).
    struct Text {
        QRect rect;
        QString text;
    };

    CSplashScreenWnd(const QPixmap& bitmap, const Text& status, const Text& version, const Text& specialBuild,
                     const Text& copyright);

    // Replaces the status text and repaints its rectangle before returning.
    void SetStatus(const QString& text);
    const QString& GetStatus() const { return m_status.text; }

    // The fonts of the texts: the status and the version in the UI font at 8 points, the
    // copyright in a sans-serif at 7 points.
    static QFont StatusFont();
    static QFont CopyrightFont();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_bitmap;
    Text m_status;
    Text m_version;
    Text m_specialBuild;
    Text m_copyright;
};

class QVSYSTEM_EXPORT CSplashScreen : public QObject {
    Q_OBJECT

public:
    // ppOwner: where the owner keeps its pointer to this object (may be null).
    explicit CSplashScreen(CSplashScreen** ppOwner);
    // Closes the window if it is still there and clears the owner's pointer if it still
    // points here.
    ~CSplashScreen() override;

    // The process-wide lock that guards the owner's pointer.
    static std::recursive_mutex* GetCriticalSectionPtr();

    // The window that comes to the front (restored if minimised) once the splash is gone:
    // the program's main window. Without a function nothing is brought forward.
    static void SetMainWindowFunction(std::function<QWidget*()> function);

    // Whether the object deletes itself once its window is gone (default on).
    void SetAutoDelete(bool autoDelete) { m_bAutoDelete = autoDelete; }

    void SetBitmapID(unsigned bitmapId) { m_nBitmapID = bitmapId; }
    // Each sets the rectangle and the text; a null text leaves both as they were.
    void InitializeStatus(const QRect& rect, const QString& text);
    void InitializeVersionNumber(const QRect& rect, const QString& text);
    void InitializeSpecialBuild(const QRect& rect, const QString& text);
    void InitializeCopyright(const QRect& rect, const QString& text);

    // Creates, centres and shows the window and paints it at once. Nonzero on success; 0
    // when the bitmap cannot be loaded, when it is already open or when it was closed.
    int Open();
    // Replaces the status text and repaints the status rectangle at once.
    void SetStatus(const QString& text);
    // Closes the splash the given number of milliseconds from now.
    void AutoClose(int milliseconds);
    // Clears the owner's pointer and asks the window to close; only the first call (or the
    // automatic close, whichever comes first) does anything.
    void Close();

    bool IsClosed() const { return m_bClosed; }
    // The window while it exists, else null.
    CSplashScreenWnd* GetWindow() const { return m_pWnd; }

signals:
    // The window is gone (the main window has already been brought forward).
    void Closed();

private:
    void OnAutoCloseTimer();
    void ClearOwnerPointer();
    void DestroyWindow();

    CSplashScreen** m_ppOwner = nullptr;
    unsigned m_nBitmapID = 0;
    CSplashScreenWnd::Text m_status;
    CSplashScreenWnd::Text m_version;
    CSplashScreenWnd::Text m_specialBuild;
    CSplashScreenWnd::Text m_copyright;
    QPointer<CSplashScreenWnd> m_pWnd;
    QTimer m_autoCloseTimer;
    bool m_bOpened = false;
    bool m_bClosed = false;
    bool m_bWindowGone = false;
    bool m_bAutoDelete = true;
};
