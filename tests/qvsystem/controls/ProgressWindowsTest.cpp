#include "TestSupport.h"

#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/controls/SplashScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPaintEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>
#include <mutex>

namespace {

// For looking at the windows: CORDA_TEST_SCREENSHOTS names a folder (outside the source tree).
void SaveScreenshot(const QImage& shot, const QString& name)
{
    EXPECT_FALSE(shot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

// Polls the condition, letting events through, until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 2000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The start-up texts and where the program draws them, as left, top, right, bottom.
QRect WinRect(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}
const QRect STATUS_RECT = WinRect(93, 160, 378, 188);
const QRect VERSION_RECT = WinRect(114, 75, 353, 93);
const QRect SPECIAL_BUILD_RECT = WinRect(114, 95, 353, 131);
const QRect COPYRIGHT_RECT = WinRect(93, 213, 378, 235);

void InitializeStartupTexts(CSplashScreen& splash)
{
    splash.SetBitmapID(IDB_SPLASH_SCREEN);
    splash.InitializeStatus(STATUS_RECT, QStringLiteral("Initializing Corda Librarian..."));
    splash.InitializeVersionNumber(VERSION_RECT, QStringLiteral("Version 1.0.0.1"));
    splash.InitializeSpecialBuild(SPECIAL_BUILD_RECT, QStringLiteral("Preview build for testers"));
    splash.InitializeCopyright(COPYRIGHT_RECT,
                               QStringLiteral("Copyright \u00a9 2024 Corda Software. All rights reserved."));
}

QImage Grab(QWidget* window)
{
    return window ? window->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

// Counts the paint events of a widget and the region they covered.
class CPaintCounter : public QObject {
public:
    explicit CPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion region;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

// Mean and standard deviation of the luminance inside a rectangle.
void Luminance(const QImage& image, const QRect& rect, double& mean, double& deviation)
{
    double sum = 0, sumSquares = 0;
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const double l = qGray(image.pixel(x, y));
            sum += l;
            sumSquares += l * l;
            ++n;
        }
    }
    mean = sum / n;
    deviation = std::sqrt(std::max(0.0, sumSquares / n - mean * mean));
}

// The offscreen platform cannot raise windows and says so; that is no fault of ours.
class SplashScreenTest : public testing::Test {
protected:
    void SetUp() override
    {
        corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    }
};

} // namespace

// Guards against missing or misnamed images (a window without its picture), a 2x bitmap
// that doubles the window's logical size, and a redrawn splash that puts dark or busy
// art under the texts, where black and red text would be unreadable.
TEST(ResourceImagesTest, ImagesByIdHaveTheirSizesAndTheSplashTextsSitOnCalmAreas)
{
    const QPixmap splash1x = AfxLoadResourceBitmap(IDB_SPLASH_SCREEN, 1.0);
    const QPixmap splash2x = AfxLoadResourceBitmap(IDB_SPLASH_SCREEN, 2.0);
    ASSERT_FALSE(splash1x.isNull());
    ASSERT_FALSE(splash2x.isNull());
    EXPECT_EQ(splash1x.size(), QSize(470, 260));
    EXPECT_EQ(splash2x.size(), QSize(940, 520));
    EXPECT_EQ(splash2x.deviceIndependentSize().toSize(), QSize(470, 260));
    EXPECT_EQ(AfxGetResourceBitmapPath(IDB_SPLASH_SCREEN), QStringLiteral(":/qvsystem/images/230.png"));
    EXPECT_TRUE(AfxLoadResourceBitmap(999999).isNull());
    EXPECT_TRUE(AfxGetResourceBitmapPath(999999).isEmpty());

    const QImage image = splash1x.toImage();
    for (const QRect& rect : {STATUS_RECT, VERSION_RECT, SPECIAL_BUILD_RECT, COPYRIGHT_RECT}) {
        double mean = 0, deviation = 0;
        Luminance(image, rect, mean, deviation);
        EXPECT_GT(mean, 220) << "dark under " << rect.x() << "," << rect.y();
        EXPECT_LT(deviation, 6) << "busy under " << rect.x() << "," << rect.y();
    }

    const QIcon app = AfxLoadResourceIcon(IDR_MAINFRAME_ICON);
    ASSERT_FALSE(app.isNull());
    const QList<QSize> sizes = app.availableSizes();
    for (int pixels : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(pixels, pixels))) << pixels;
    for (unsigned id : {IDI_QV_PROGRESS, IDI_BACKUP_PROGRESS}) {
        const QIcon icon = AfxLoadResourceIcon(id);
        EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(64, 64)})) << id;
        // A 32-pixel place on a 2x screen takes the 64-pixel drawing, not a blown-up 32.
        EXPECT_EQ(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64)) << id;
    }
    EXPECT_TRUE(AfxLoadResourceIcon(999999).isNull());
}

// Guards against a second Close (or a Close after the automatic close) acting again:
// clearing a newer splash the owner keeps in the same pointer, or closing twice; and
// against the owner's pointer surviving the close, which would let it touch a dead splash.
TEST_F(SplashScreenTest, CloseActsOnceAndClearsOnlyItsOwnPointer)
{
    CSplashScreen* owner = nullptr;
    auto first = std::make_unique<CSplashScreen>(&owner);
    owner = first.get();
    first->SetAutoDelete(false);
    InitializeStartupTexts(*first);
    ASSERT_EQ(first->Open(), 1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first->GetWindow()));
    EXPECT_EQ(first->Open(), 0); // already open
    QSignalSpy closed(first.get(), &CSplashScreen::Closed);

    {
        std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
        first->Close();
    }
    EXPECT_EQ(owner, nullptr);
    CSplashScreen second(&owner);
    second.SetAutoDelete(false);
    owner = &second;
    first->Close();
    EXPECT_EQ(owner, &second);
    ASSERT_TRUE(closed.wait(2000));
    EXPECT_EQ(first->GetWindow(), nullptr);
    QTest::qWait(20);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(first->Open(), 0); // a closed splash does not come back
    second.Close();
    EXPECT_EQ(owner, nullptr);

    // The automatic close: the timer closes it and clears the pointer; a Close after that
    // does nothing. The owner holds the lock meanwhile, as it does for every call.
    CSplashScreen* autoOwner = nullptr;
    auto timed = std::make_unique<CSplashScreen>(&autoOwner);
    autoOwner = timed.get();
    timed->SetAutoDelete(false);
    InitializeStartupTexts(*timed);
    ASSERT_EQ(timed->Open(), 1);
    QSignalSpy timedClosed(timed.get(), &CSplashScreen::Closed);
    timed->AutoClose(30);
    {
        std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
        ASSERT_TRUE(timedClosed.wait(2000));
    }
    EXPECT_EQ(autoOwner, nullptr);
    EXPECT_EQ(timed->GetWindow(), nullptr);
    CSplashScreen third(&autoOwner);
    third.SetAutoDelete(false);
    autoOwner = &third;
    timed->Close();
    timed->AutoClose(0);
    QTest::qWait(30);
    EXPECT_EQ(timedClosed.count(), 1);
    EXPECT_EQ(autoOwner, &third);

    // The default: the object deletes itself once its window is gone.
    CSplashScreen* selfOwner = nullptr;
    selfOwner = new CSplashScreen(&selfOwner);
    QPointer<CSplashScreen> guard(selfOwner);
    InitializeStartupTexts(*selfOwner);
    ASSERT_EQ(selfOwner->Open(), 1);
    selfOwner->AutoClose(10);
    EXPECT_TRUE(WaitFor([&] { return guard.isNull(); }));
    EXPECT_EQ(selfOwner, nullptr);
}

// Guards against a splash without its bitmap opening as an empty window (start-up must be
// able to tell), and against the window's size or place differing from the bitmap's.
TEST_F(SplashScreenTest, WindowIsTheBitmapCentredOrNothing)
{
    CSplashScreen* owner = nullptr;
    CSplashScreen missing(&owner);
    missing.SetAutoDelete(false);
    missing.SetBitmapID(999999);
    EXPECT_EQ(missing.Open(), 0);
    EXPECT_EQ(missing.GetWindow(), nullptr);

    CSplashScreen splash(&owner);
    splash.SetAutoDelete(false);
    InitializeStartupTexts(splash);
    ASSERT_EQ(splash.Open(), 1);
    CSplashScreenWnd* window = splash.GetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(470, 260));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 1);
    SaveScreenshot(Grab(window), QStringLiteral("splash.png"));
}

// Guards against a text with an empty rectangle being drawn anyway (the program leaves the
// special build's rectangle empty when there is none), and against texts not drawn at all.
TEST_F(SplashScreenTest, TextWithAnEmptyRectangleIsNotDrawn)
{
    const auto render = [](const QRect& specialRect, const QString& specialText) {
        CSplashScreen splash(nullptr);
        splash.SetAutoDelete(false);
        splash.SetBitmapID(IDB_SPLASH_SCREEN);
        splash.InitializeSpecialBuild(specialRect, specialText);
        EXPECT_EQ(splash.Open(), 1);
        return Grab(splash.GetWindow());
    };
    const QImage bare = render(QRect(), QString());
    const QImage emptyRect = render(QRect(QPoint(114, 95), QSize(0, 36)), QStringLiteral("Special build"));
    const QImage drawn = render(SPECIAL_BUILD_RECT, QStringLiteral("Special build"));
    ASSERT_FALSE(bare.isNull());
    EXPECT_EQ(emptyRect, bare);
    EXPECT_NE(drawn, bare);
    // Drawn in red, inside its rectangle only.
    bool red = false;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if (drawn.pixel(x, y) == bare.pixel(x, y))
                continue;
            EXPECT_TRUE(SPECIAL_BUILD_RECT.contains(x, y)) << x << "," << y;
            const QColor c = drawn.pixelColor(x, y);
            red = red || (c.red() > 150 && c.green() < 90 && c.blue() < 90);
        }
    }
    EXPECT_TRUE(red);
    // A null text is no text: the rectangle set before stays, and so does its text.
    CSplashScreen splash(nullptr);
    splash.SetAutoDelete(false);
    splash.SetBitmapID(IDB_SPLASH_SCREEN);
    splash.InitializeSpecialBuild(SPECIAL_BUILD_RECT, QStringLiteral("Special build"));
    splash.InitializeSpecialBuild(QRect(), QString());
    ASSERT_EQ(splash.Open(), 1);
    EXPECT_EQ(Grab(splash.GetWindow()), drawn);
}

// Guards against the status line waiting for an event loop to repaint: start-up keeps the
// UI thread busy between its steps, so a deferred update would never show.
TEST_F(SplashScreenTest, StatusRepaintsAtOnceAndTheMainWindowComesForward)
{
    QWidget mainWindow;
    mainWindow.resize(300, 200);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    mainWindow.showMinimized();
    CSplashScreen::SetMainWindowFunction([&mainWindow]() { return &mainWindow; });

    CSplashScreen* owner = nullptr;
    owner = new CSplashScreen(&owner);
    QPointer<CSplashScreen> guard(owner);
    InitializeStartupTexts(*owner);
    ASSERT_EQ(owner->Open(), 1);
    CSplashScreenWnd* window = owner->GetWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QImage before = Grab(window);

    CPaintCounter counter(window);
    owner->SetStatus(QStringLiteral("Loading keyboard settings..."));
    EXPECT_EQ(counter.count, 1); // no event was processed in between
    EXPECT_TRUE(counter.region.boundingRect().contains(STATUS_RECT));
    EXPECT_FALSE(counter.region.boundingRect().intersects(VERSION_RECT));
    EXPECT_EQ(window->GetStatus(), QStringLiteral("Loading keyboard settings..."));
    const QImage after = Grab(window);
    EXPECT_NE(after, before);
    EXPECT_EQ(after.copy(VERSION_RECT), before.copy(VERSION_RECT));
    SaveScreenshot(after, QStringLiteral("splash-status.png"));

    {
        std::lock_guard lock(*CSplashScreen::GetCriticalSectionPtr());
        owner->Close();
    }
    EXPECT_TRUE(WaitFor([&] { return guard.isNull(); }));
    EXPECT_FALSE(mainWindow.isMinimized());
    CSplashScreen::SetMainWindowFunction(nullptr);
}
