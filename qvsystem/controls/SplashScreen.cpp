#include "qvsystem/controls/SplashScreen.h"

#include "qvsystem/controls/ResourceImages.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace {

std::function<QWidget*()>& MainWindowFunction()
{
    static std::function<QWidget*()> function;
    return function;
}

// How long Open waits for the window system to show the new window before it paints: the
// UI thread goes on loading afterwards and handles no events until it is done.
constexpr int EXPOSE_WAIT_MS = 500;

QString ToDisplayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void BringMainWindowForward()
{
    const auto& function = MainWindowFunction();
    QWidget* window = function ? function() : nullptr;
    if (!window)
        return;
    window = window->window();
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

} // namespace

// --- CSplashScreenWnd -------------------------------------------------------------------

CSplashScreenWnd::CSplashScreenWnd(const QPixmap& bitmap, const Text& status, const Text& version,
                                   const Text& specialBuild, const Text& copyright)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), m_bitmap(bitmap), m_status(status),
      m_version(version), m_specialBuild(specialBuild), m_copyright(copyright)
{
    setObjectName(QStringLiteral("SplashScreen"));
    setAttribute(Qt::WA_OpaquePaintEvent, !m_bitmap.hasAlphaChannel());
    setCursor(Qt::ArrowCursor);
    setFixedSize(m_bitmap.deviceIndependentSize().toSize());
}

QFont CSplashScreenWnd::StatusFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8);
    return font;
}

QFont CSplashScreenWnd::CopyrightFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(7);
    return font;
}

void CSplashScreenWnd::SetStatus(const QString& text)
{
    m_status.text = text;
    if (isVisible() && !m_status.rect.isEmpty())
        repaint(m_status.rect);
}

void CSplashScreenWnd::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, m_bitmap);

    // The bitmap is light under every text: the texts are black (the special build red)
    // whatever the colour scheme of the desktop.
    const auto draw = [&](const Text& item, const QFont& font, const QColor& colour, int flags) {
        if (item.rect.isEmpty() || item.text.isEmpty() || !event->region().intersects(item.rect))
            return;
        painter.save();
        painter.setClipRect(item.rect, Qt::IntersectClip);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(item.rect, flags, ToDisplayText(item.text));
        painter.restore();
    };
    const QFont statusFont = StatusFont();
    draw(m_status, statusFont, Qt::black, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    draw(m_version, statusFont, Qt::black, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine);
    draw(m_specialBuild, statusFont, Qt::red, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    draw(m_copyright, CopyrightFont(), Qt::black, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine);
}

// --- CSplashScreen ----------------------------------------------------------------------

CSplashScreen::CSplashScreen(CSplashScreen** ppOwner) : m_ppOwner(ppOwner)
{
    m_autoCloseTimer.setObjectName(QString::number(SPLASH_AUTOCLOSE_TIMER_ID));
    m_autoCloseTimer.setSingleShot(true);
    connect(&m_autoCloseTimer, &QTimer::timeout, this, &CSplashScreen::OnAutoCloseTimer);
}

CSplashScreen::~CSplashScreen()
{
    ClearOwnerPointer();
    delete m_pWnd.data();
}

std::recursive_mutex* CSplashScreen::GetCriticalSectionPtr()
{
    static std::recursive_mutex criticalSection;
    return &criticalSection;
}

void CSplashScreen::SetMainWindowFunction(std::function<QWidget*()> function)
{
    MainWindowFunction() = std::move(function);
}

void CSplashScreen::InitializeStatus(const QRect& rect, const QString& text)
{
    if (!text.isNull())
        m_status = {rect, text};
}

void CSplashScreen::InitializeVersionNumber(const QRect& rect, const QString& text)
{
    if (!text.isNull())
        m_version = {rect, text};
}

void CSplashScreen::InitializeSpecialBuild(const QRect& rect, const QString& text)
{
    if (!text.isNull())
        m_specialBuild = {rect, text};
}

void CSplashScreen::InitializeCopyright(const QRect& rect, const QString& text)
{
    if (!text.isNull())
        m_copyright = {rect, text};
}

int CSplashScreen::Open()
{
    if (m_bOpened || m_bClosed)
        return 0;
    const QPixmap bitmap = AfxLoadResourceBitmap(m_nBitmapID);
    if (bitmap.isNull())
        return 0;
    m_bOpened = true;
    m_pWnd = new CSplashScreenWnd(bitmap, m_status, m_version, m_specialBuild, m_copyright);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_pWnd->rect();
        frame.moveCenter(screen->geometry().center());
        m_pWnd->move(frame.topLeft());
    }
    m_pWnd->show();
    m_pWnd->raise();
    m_pWnd->activateWindow();
    // Paint before the caller goes back to its loading: let the window system map the
    // window (no input is taken meanwhile), then draw it whole.
    const QDeadlineTimer deadline(EXPOSE_WAIT_MS);
    while (m_pWnd && m_pWnd->windowHandle() && !m_pWnd->windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    if (m_pWnd)
        m_pWnd->repaint();
    return 1;
}

void CSplashScreen::SetStatus(const QString& text)
{
    m_status.text = text;
    if (m_pWnd)
        m_pWnd->SetStatus(text);
}

void CSplashScreen::AutoClose(int milliseconds)
{
    if (m_bClosed)
        return;
    m_autoCloseTimer.start(std::max(0, milliseconds));
}

void CSplashScreen::Close()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    m_autoCloseTimer.stop();
    ClearOwnerPointer();
    QMetaObject::invokeMethod(this, &CSplashScreen::DestroyWindow, Qt::QueuedConnection);
}

void CSplashScreen::OnAutoCloseTimer()
{
    std::lock_guard lock(*GetCriticalSectionPtr());
    if (m_bClosed)
        return;
    m_bClosed = true;
    ClearOwnerPointer();
    DestroyWindow();
}

void CSplashScreen::ClearOwnerPointer()
{
    std::lock_guard lock(*GetCriticalSectionPtr());
    // The owner may already keep a newer splash there.
    if (m_ppOwner && *m_ppOwner == this)
        *m_ppOwner = nullptr;
    m_ppOwner = nullptr;
}

void CSplashScreen::DestroyWindow()
{
    if (m_bWindowGone)
        return;
    m_bWindowGone = true;
    const bool hadWindow = m_pWnd;
    if (m_pWnd) {
        m_pWnd->hide();
        delete m_pWnd.data();
    }
    if (hadWindow)
        BringMainWindowForward();
    emit Closed();
    if (m_bAutoDelete)
        deleteLater();
}
