#include "TestSupport.h"

#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/FlashBox.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/controls/SplashScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QMainWindow>
#include <QPaintEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
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

namespace {

// A window the progress windows are shown over, with a child that must not take input.
struct COwner {
    QMainWindow window;
    QPushButton* button = new QPushButton(QStringLiteral("Owner"), &window);
    COwner()
    {
        window.setCentralWidget(button);
        window.resize(640, 400);
        window.show();
    }
};

class ProgressWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    }
};

} // namespace

// Guards against a press seen twice (the operation would stop the next run too) or not at
// all, and against Escape, the close button or Enter closing the window while the
// operation runs on behind it.
TEST_F(ProgressWindowsTest, CancelIsSeenOncePerPressAndNeverClosesTheWindow)
{
    COwner owner;
    CProgressDlg progress;
    ASSERT_TRUE(progress.CreateProgressStyle(&owner.window));
    progress.ShowProgressStyle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    QPushButton* cancel = progress.findChild<QPushButton*>(QString::number(IDC_QV_PROGRESS_CANCEL));
    ASSERT_EQ(cancel, progress.GetCancelButton());

    EXPECT_FALSE(progress.CheckCancelButton());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.CheckCancelButton());
    EXPECT_FALSE(progress.CheckCancelButton());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(progress.CheckCancelButton()); // two presses before one look: one answer
    EXPECT_FALSE(progress.CheckCancelButton());

    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.CheckCancelButton());
    EXPECT_FALSE(progress.close()); // the window's close button
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.CheckCancelButton());
    QTest::keyClick(&progress, Qt::Key_Return);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_FALSE(progress.CheckCancelButton());

    // While Cancel is disabled nothing cancels.
    progress.EnableCancelButton(false);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTest::keyClick(&progress, Qt::Key_Escape);
    progress.close();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_FALSE(progress.CheckCancelButton());
    progress.EnableCancelButton(true);

    // A press still waiting in the event queue is seen by the next look.
    const QPoint centre = cancel->rect().center();
    QCoreApplication::postEvent(cancel,
                                new QMouseEvent(QEvent::MouseButtonPress, centre, cancel->mapToGlobal(centre),
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                        cancel->mapToGlobal(centre), Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
    EXPECT_TRUE(progress.CheckCancelButton());

    // The connection is closed once, on the first Cancel, and the button is disabled then.
    int closed = 0;
    progress.SetSocket([&closed] { ++closed; });
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(progress.CheckCancelButton());
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
    progress.DestroyWindow();
}

// Guards against the owner staying disabled after the window went (the program would be
// dead to input), against the owner taking input while the window is up, and against
// enabling an owner that someone else had disabled.
TEST_F(ProgressWindowsTest, OwnerIsDisabledOnlyWhileShown)
{
    COwner owner;
    {
        CProgressDlg progress;
        ASSERT_TRUE(progress.CreateProgressStyle(owner.button));
        progress.ShowProgressStyle();
        EXPECT_FALSE(owner.window.isEnabled());
        EXPECT_FALSE(owner.button->isEnabled());
        EXPECT_TRUE(progress.isEnabled());
        EXPECT_TRUE(progress.GetCancelButton()->isEnabled());
        progress.HideProgressStyle();
        EXPECT_TRUE(owner.window.isEnabled());
        progress.ShowProgressStyle();
        EXPECT_FALSE(owner.window.isEnabled());
        progress.DestroyWindow();
        EXPECT_TRUE(owner.window.isEnabled());
        EXPECT_FALSE(progress.isVisible());
    }
    {
        CFlashBox box;
        ASSERT_TRUE(box.Create(owner.button));
        EXPECT_TRUE(box.isVisible());
        EXPECT_FALSE(owner.window.isEnabled());
        // The user cannot close it before its operation is done.
        QTest::keyClick(&box, Qt::Key_Escape);
        box.close();
        EXPECT_TRUE(box.isVisible());
        EXPECT_FALSE(owner.window.isEnabled());
        EXPECT_TRUE(box.DestroyWindow());
        EXPECT_TRUE(owner.window.isEnabled());
        EXPECT_FALSE(box.isVisible());
    }
    {
        // Deleted while shown: the owner is given back too.
        auto box = std::make_unique<CFlashBox>();
        ASSERT_TRUE(box->Create(&owner.window));
        EXPECT_FALSE(owner.window.isEnabled());
        box.reset();
        EXPECT_TRUE(owner.window.isEnabled());
    }
    owner.window.setEnabled(false);
    {
        CFlashBox box;
        ASSERT_TRUE(box.Create(&owner.window));
        box.DestroyWindow();
        EXPECT_FALSE(owner.window.isEnabled());
        CProgressDlg progress;
        progress.CreateProgressStyle(&owner.window);
        progress.ShowProgressStyle();
        progress.HideProgressStyle();
        EXPECT_FALSE(owner.window.isEnabled());
    }
}

// Guards against the bar moving without letting waiting events through (the window would
// freeze during a long operation), and against positions outside the range or a lost
// previous position.
TEST_F(ProgressWindowsTest, MovingTheBarLetsWaitingEventsThroughAndStaysInRange)
{
    CProgressDlg progress;
    ASSERT_TRUE(progress.CreateProgressStyle(nullptr));
    progress.ShowProgressStyle();
    QProgressBar* bar = progress.findChild<QProgressBar*>(QString::number(IDC_QV_PROGRESS_BAR));
    ASSERT_NE(bar, nullptr);
    int lower = -1, upper = -1;
    progress.GetRange(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 100);

    const auto queued = [&progress](const std::function<int()>& move) {
        bool ran = false;
        QMetaObject::invokeMethod(
            &progress, [&ran] { ran = true; }, Qt::QueuedConnection);
        move();
        return ran;
    };
    EXPECT_TRUE(queued([&] { return progress.SetPos(5); }));
    EXPECT_TRUE(queued([&] { return progress.OffsetPos(1); }));
    EXPECT_TRUE(queued([&] { return progress.StepIt(); }));
    EXPECT_EQ(progress.GetPos(), 16);
    EXPECT_EQ(bar->value(), 16);

    EXPECT_EQ(progress.SetPos(250), 16);
    EXPECT_EQ(progress.GetPos(), 100);
    EXPECT_EQ(progress.OffsetPos(-1000), 100);
    EXPECT_EQ(progress.GetPos(), 0);
    progress.SetRange(10, 13);
    EXPECT_EQ(progress.GetPos(), 10);
    EXPECT_EQ(progress.SetStep(2), 10);
    EXPECT_EQ(progress.StepIt(), 10);
    EXPECT_EQ(progress.StepIt(), 12);
    EXPECT_EQ(progress.GetPos(), 10); // past the end: starts again
    EXPECT_EQ(bar->minimum(), 10);
    EXPECT_EQ(bar->maximum(), 13);
    EXPECT_EQ(bar->value(), 10);
    progress.DestroyWindow();
}

// Guards against status texts cut anywhere but where their style says (a path that loses
// its file name tells the user nothing), and against a caption or icon missing.
TEST_F(ProgressWindowsTest, StatusLinesShortenByTheirStyleAndTheWindowsLookRight)
{
    const QFontMetrics metrics(QApplication::font());
    const QString path =
        QStringLiteral("/home/anna/Music/Tablature/Blues/Iron Maidenhead/19 - Angel (Live).crd");
    const int width = metrics.horizontalAdvance(path) / 2;
    const QString ellipsis(QChar(0x2026));

    const QString byPath = CEllipsisLabel::ElideText(path, SS_PATHELLIPSIS, metrics, width);
    EXPECT_TRUE(byPath.endsWith(QStringLiteral("/19 - Angel (Live).crd"))) << byPath.toStdString();
    EXPECT_TRUE(byPath.startsWith(QStringLiteral("/home"))) << byPath.toStdString();
    EXPECT_TRUE(byPath.contains(ellipsis));
    EXPECT_LE(metrics.horizontalAdvance(byPath), width);
    // Too narrow even for the name: its end (the extension) is what stays.
    const QString narrow =
        CEllipsisLabel::ElideText(path, SS_PATHELLIPSIS, metrics, metrics.horizontalAdvance(path) / 6);
    EXPECT_TRUE(narrow.startsWith(ellipsis)) << narrow.toStdString();
    EXPECT_TRUE(narrow.endsWith(QStringLiteral(".crd"))) << narrow.toStdString();

    const QString byEnd = CEllipsisLabel::ElideText(path, SS_ENDELLIPSIS, metrics, width);
    EXPECT_TRUE(byEnd.startsWith(QStringLiteral("/home/anna")));
    EXPECT_TRUE(byEnd.endsWith(ellipsis));
    EXPECT_LE(metrics.horizontalAdvance(byEnd), width);

    const QString sentence =
        QStringLiteral("Comparing the files of the synchronized folders with the library");
    const QString byWord = CEllipsisLabel::ElideText(sentence, SS_WORDELLIPSIS, metrics,
                                                     metrics.horizontalAdvance(sentence) / 2);
    ASSERT_TRUE(byWord.endsWith(ellipsis)) << byWord.toStdString();
    EXPECT_TRUE(sentence.startsWith(byWord.chopped(1) + QLatin1Char(' '))) << byWord.toStdString();
    EXPECT_EQ(CEllipsisLabel::ElideText(sentence, 0, metrics, 10), sentence);
    EXPECT_EQ(CEllipsisLabel::ElideText(QStringLiteral("short"), SS_PATHELLIPSIS, metrics, 1000),
              QStringLiteral("short"));

    // The caption is the program's title from its string table, else its name.
    CStringTable table{{AFX_IDS_APP_TITLE, "Corda Librarian"}, {14, "Backing Up Library"}};
    AfxSetApplicationStringTable(&table);
    COwner owner;
    CProgressDlg progress(IDI_BACKUP_PROGRESS);
    progress.SetStatusEllipsisStyle(SS_PATHELLIPSIS);
    progress.SetSecondaryStatusEllipsisStyle(SS_ENDELLIPSIS);
    ASSERT_TRUE(progress.CreateProgressStyle(&owner.window));
    progress.ShowProgressStyle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Corda Librarian"));
    progress.SetStatus(path + path);
    progress.SetSecondaryStatus(QStringLiteral("File 19 of 36"));
    progress.SetPos(53);
    EXPECT_EQ(progress.GetStatus(), path + path);
    EXPECT_TRUE(progress.GetStatusControl()->GetDisplayedText().endsWith(QStringLiteral("Angel (Live).crd")));
    EXPECT_LE(metrics.horizontalAdvance(progress.GetStatusControl()->GetDisplayedText()),
              progress.GetStatusControl()->contentsRect().width());
    EXPECT_EQ(progress.GetIconControl()->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
    SaveScreenshot(progress.grab().toImage(), QStringLiteral("progress.png"));
    progress.DestroyWindow();

    CFlashBox box(0, 14);
    box.SetStatus(QStringLiteral("Loading database..."));
    ASSERT_TRUE(box.Create(&owner.window));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Backing Up Library"));
    EXPECT_EQ(box.GetIconControl()->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
    // The status repaints at once: the operation after it lets no event through.
    CPaintCounter counter(box.GetStatusControl());
    box.SetStatus(QStringLiteral("Saving database..."));
    EXPECT_GE(counter.count, 1);
    EXPECT_EQ(box.GetStatusControl()->GetDisplayedText(), QStringLiteral("Saving database..."));
    SaveScreenshot(box.grab().toImage(), QStringLiteral("flashbox.png"));
    box.DestroyWindow();
    AfxSetApplicationStringTable(nullptr);

    QCoreApplication::setApplicationName(QStringLiteral("Tab Keeper"));
    CFlashBox plain;
    ASSERT_TRUE(plain.Create(nullptr));
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("Tab Keeper"));
    plain.DestroyWindow();
}
