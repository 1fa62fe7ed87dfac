// The search bar and its field chooser: when a search runs and with what, the accelerators
// of the bar, and what the bar and the chooser look like.
#include "TestSupport.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/SearchFilterCtrl.h"
#include "qvsystem/controls/SearchEdit.h"
#include "qvsystem/platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The field chooser alone, on a plain background.
class FieldChooserTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_window.resize(500, 40);
        m_window.setAutoFillBackground(true);
        QPalette palette = m_window.palette();
        palette.setColor(QPalette::Window, QColor(0, 0, 0));
        m_window.setPalette(palette);
        m_chooser = new CSearchFilterCtrl(&m_window);
        m_chooser->setObjectName(QStringLiteral("77"));
        for (const char* text : {"All", "Title", "Artist", "Album"})
            m_chooser->AddItem(QString::fromLatin1(text));
        m_chooser->SetTextColour(Qt::white);
        m_chooser->SetArrowColour(QColor(255, 0, 0));
        m_chooser->setGeometry(10, 10, 480, m_chooser->sizeHint().height());
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    // The rows of the arrow as [first, last] red columns per row, in device pixels.
    std::vector<std::pair<int, int>> ArrowRows(const QImage& image) const
    {
        std::vector<std::pair<int, int>> rows;
        for (int y = 0; y < image.height(); ++y) {
            int first = -1;
            int last = -1;
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == qRgb(255, 0, 0)) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            }
            if (first >= 0)
                rows.emplace_back(first, last);
        }
        return rows;
    }

    QWidget m_window;
    CSearchFilterCtrl* m_chooser = nullptr;
};

// Guards against items overlapping or drifting (each starts where the last ended plus " - "),
// an index outside the list being accepted, and the item rows leaving no room for the arrow.
TEST_F(FieldChooserTest, ItemsAreLaidOutInOneLineAndBadIndexesAreRefused)
{
    const QFontMetrics metrics = m_chooser->fontMetrics();
    const int separator = metrics.horizontalAdvance(QStringLiteral(" - "));
    int left = 0;
    for (int i = 0; i < m_chooser->GetItemCount(); ++i) {
        const QRect item = m_chooser->GetItemRect(i);
        EXPECT_EQ(item.left(), left) << i;
        EXPECT_EQ(item.top(), 5);
        EXPECT_EQ(item.height(), metrics.height());
        EXPECT_EQ(item.width(), metrics.horizontalAdvance(m_chooser->GetItemText(i)));
        left += item.width() + separator;
    }
    EXPECT_TRUE(m_chooser->GetItemRect(4).isNull());
    EXPECT_EQ(m_chooser->GetItemText(4), QString());
    EXPECT_EQ(m_chooser->GetItemText(-1), QString());

    EXPECT_EQ(m_chooser->GetCurItem(), -1);
    EXPECT_EQ(m_chooser->SetCurItem(2), 2);
    EXPECT_EQ(m_chooser->SetCurItem(4), -1);
    EXPECT_EQ(m_chooser->SetCurItem(-1), -1);
    EXPECT_EQ(m_chooser->GetCurItem(), 2);
    EXPECT_GE(m_chooser->sizeHint().height(), 5 + metrics.height());
}

// Guards against a click on the current item or between items notifying, a click notifying
// without the control id or more than once, and the hand cursor showing off the items.
TEST_F(FieldChooserTest, ClickOnAnotherItemMakesItCurrentAndNotifiesOnce)
{
    m_chooser->SetCurItem(0);
    QSignalSpy spy(m_chooser, &CSearchFilterCtrl::CommandNotification);
    const QRect all = m_chooser->GetItemRect(0);
    const QRect artist = m_chooser->GetItemRect(2);
    QTest::mouseClick(m_chooser, Qt::LeftButton, {}, all.center());
    EXPECT_EQ(spy.count(), 0);
    // On the " - " after "Title": no item.
    const QRect title = m_chooser->GetItemRect(1);
    QTest::mouseClick(m_chooser, Qt::LeftButton, {},
                      QPoint(title.left() + title.width() + 2, title.center().y()));
    EXPECT_EQ(spy.count(), 0);
    QTest::mouseClick(m_chooser, Qt::RightButton, {}, artist.center());
    EXPECT_EQ(spy.count(), 0);

    QTest::mouseClick(m_chooser, Qt::LeftButton, {}, artist.center());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), SFN_SELCHANGE);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 77);
    EXPECT_EQ(m_chooser->GetCurItem(), 2);

    QTest::mouseMove(m_chooser, artist.center());
    EXPECT_EQ(m_chooser->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(m_chooser, QPoint(title.left() + title.width() + 2, title.center().y()));
    EXPECT_EQ(m_chooser->cursor().shape(), Qt::ArrowCursor);
}

// Guards against the arrow being blurred, misplaced or of the wrong shape: 4 rows of 7, 5,
// 3 and 1 solid pixels from row 1, centred on the current item, following a click; each
// logical pixel is whole device pixels at any scale.
TEST_F(FieldChooserTest, ArrowSitsSolidAboveTheCurrentItem)
{
    for (int item : {0, 3}) {
        m_chooser->SetCurItem(item);
        const QImage image = m_chooser->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int ratio = qRound(image.devicePixelRatio());
        const auto rows = ArrowRows(image);
        ASSERT_EQ(rows.size(), static_cast<size_t>(4 * ratio)) << item;
        const QRect rect = m_chooser->GetItemRect(item);
        const int centre = rect.left() + rect.width() / 2;
        for (int row = 0; row < 4; ++row) {
            for (int sub = 0; sub < ratio; ++sub) {
                const auto& [first, last] = rows[row * ratio + sub];
                EXPECT_EQ(first, (centre - 3 + row) * ratio) << item << " row " << row;
                EXPECT_EQ(last, (centre + 3 - row) * ratio + ratio - 1) << item << " row " << row;
            }
        }
        // The first red row is logical row 1, and nothing but pure red or the background
        // lies in the arrow's box (no smoothing).
        EXPECT_EQ(image.pixel(centre * ratio, ratio - 1), qRgb(0, 0, 0));
        EXPECT_EQ(image.pixel(centre * ratio, ratio), qRgb(255, 0, 0));
        for (int y = 0; y < 6 * ratio; ++y) {
            for (int x = (centre - 4) * ratio; x < (centre + 5) * ratio; ++x) {
                const QRgb pixel = image.pixel(x, y);
                EXPECT_TRUE(pixel == qRgb(255, 0, 0) || pixel == qRgb(0, 0, 0)) << x << "," << y;
            }
        }
    }
}

// The search bar with the application's settings.
class SearchBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_app = std::make_unique<CCordaLibrarianApp>();
        SetAutoResults(true, 0);
        CreateBar();
    }

    void CreateBar()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(900, 60);
        m_bar = new CMainHeaderFormView(m_window.get());
        m_bar->setGeometry(0, 0, 900, 60);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
        m_bar->setFocus();
        m_edit = m_bar->GetSearchEdit();
        ASSERT_TRUE(m_edit->hasFocus());
        m_requests = std::make_unique<QSignalSpy>(m_bar, &CMainHeaderFormView::SearchRequested);
    }

    void SetAutoResults(bool enabled, uint32_t delay)
    {
        m_app->GetSearchSettings().SetEnableAutoResults(enabled, false);
        m_app->GetSearchSettings().SetAutoResultsDelay(delay, false);
    }

    void ClickClearButton()
    {
        const QRect button = m_edit->GetButtonRect();
        const QPoint centre(button.left() + button.width() / 2 + 1, button.top() + button.height() / 2 + 1);
        QTest::mouseClick(m_edit, Qt::LeftButton, {}, centre);
    }

    QString RequestText(int index) const { return m_requests->at(index).at(1).toString(); }
    int RequestField(int index) const { return m_requests->at(index).at(2).toInt(); }
    int RequestView(int index) const { return m_requests->at(index).at(0).toInt(); }

    std::unique_ptr<CCordaLibrarianApp> m_app;
    std::unique_ptr<QWidget> m_window;
    CMainHeaderFormView* m_bar = nullptr;
    CSearchEdit* m_edit = nullptr;
    std::unique_ptr<QSignalSpy> m_requests;
};

// Guards against the delay starting at the first key instead of the last (a burst searching
// in the middle), a burst searching more than once, and the search coming before the quiet
// time is over.
TEST_F(SearchBarTest, DelayedAutoResultsSearchOnceAfterTheLastKey)
{
    SetAutoResults(true, 500);
    QElapsedTimer sinceLastKey;
    QTest::keyClicks(m_edit, QStringLiteral("bea"));
    QTest::qWait(150);
    QTest::keyClick(m_edit, Qt::Key_T);
    QTest::qWait(150);
    QTest::keyClick(m_edit, Qt::Key_S);
    sinceLastKey.start();
    EXPECT_EQ(m_requests->count(), 0);
    EXPECT_TRUE(m_bar->GetAutoResultsTimer().isActive());
    ASSERT_TRUE(m_requests->wait(3000));
    EXPECT_GE(sinceLastKey.elapsed(), 450);
    ASSERT_EQ(m_requests->count(), 1);
    EXPECT_EQ(RequestText(0), QStringLiteral("beats"));
    EXPECT_EQ(RequestField(0), 0);
    EXPECT_EQ(RequestView(0), 0);
    EXPECT_FALSE(m_requests->at(0).at(3).toBool());
    // Nothing follows.
    EXPECT_FALSE(m_requests->wait(800));
    EXPECT_EQ(m_requests->count(), 1);
}

// Guards against AutoResults without delay waiting for anything or skipping keystrokes, and
// against Enter searching a second time while AutoResults is on.
TEST_F(SearchBarTest, UndelayedAutoResultsSearchAtEveryKey)
{
    EXPECT_FALSE(m_bar->GetSearchButton()->isVisibleTo(m_bar));
    QTest::keyClicks(m_edit, QStringLiteral("abc"));
    ASSERT_EQ(m_requests->count(), 3);
    EXPECT_EQ(RequestText(0), QStringLiteral("a"));
    EXPECT_EQ(RequestText(1), QStringLiteral("ab"));
    EXPECT_EQ(RequestText(2), QStringLiteral("abc"));
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    ASSERT_EQ(m_requests->count(), 4);
    EXPECT_EQ(RequestText(3), QStringLiteral("ab"));
    QTest::keyClick(m_edit, Qt::Key_Return);
    EXPECT_EQ(m_requests->count(), 4);
    EXPECT_FALSE(m_bar->GetAutoResultsTimer().isActive());
}

// Guards against typing searching while AutoResults is off, the button being hidden in this
// mode, and Enter or the button not searching (or Enter also reaching other handlers).
TEST_F(SearchBarTest, WithoutAutoResultsOnlyEnterAndTheButtonSearch)
{
    SetAutoResults(false, 0);
    CreateBar();
    QPushButton* button = m_bar->GetSearchButton();
    EXPECT_TRUE(button->isVisible());
    QTest::keyClicks(m_edit, QStringLiteral("rock"));
    QTest::qWait(50);
    EXPECT_EQ(m_requests->count(), 0);
    EXPECT_FALSE(m_bar->GetAutoResultsTimer().isActive());

    QSignalSpy returnPressed(m_edit, &QLineEdit::returnPressed);
    QTest::keyClick(m_edit, Qt::Key_Return);
    ASSERT_EQ(m_requests->count(), 1);
    EXPECT_EQ(RequestText(0), QStringLiteral("rock"));
    EXPECT_EQ(returnPressed.count(), 0); // consumed
    QTest::keyClick(m_edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(m_requests->count(), 2);

    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(m_requests->count(), 3);
    EXPECT_EQ(RequestText(2), QStringLiteral("rock"));

    // The option is switched on again: the button goes.
    m_bar->ShowSearchButton(false);
    EXPECT_FALSE(button->isVisible());
}

// Guards against the clear button waiting for the AutoResults delay (or for the pending
// search of the last keys), and against it not showing everything when AutoResults is off.
TEST_F(SearchBarTest, ClearButtonShowsEverythingAtOnce)
{
    SetAutoResults(true, 500);
    QTest::keyClicks(m_edit, QStringLiteral("rock"));
    ASSERT_TRUE(m_bar->GetAutoResultsTimer().isActive());
    ClickClearButton();
    EXPECT_EQ(m_edit->text(), QString());
    ASSERT_GE(m_requests->count(), 1);
    for (int i = 0; i < m_requests->count(); ++i)
        EXPECT_EQ(RequestText(i), QString()) << i;
    EXPECT_FALSE(m_bar->GetAutoResultsTimer().isActive());
    const int afterClear = m_requests->count();
    EXPECT_FALSE(m_requests->wait(800));
    EXPECT_EQ(m_requests->count(), afterClear);
    // The flag is gone after the click: the next keys wait again.
    QTest::keyClick(m_edit, Qt::Key_A);
    EXPECT_EQ(m_requests->count(), afterClear);
    EXPECT_TRUE(m_bar->GetAutoResultsTimer().isActive());

    SetAutoResults(false, 0);
    m_requests->clear();
    m_bar->SetSearchText(QStringLiteral("jazz"), true);
    ClickClearButton();
    ASSERT_EQ(m_requests->count(), 1);
    EXPECT_EQ(RequestText(0), QString());
}

// Guards against a field change searching with an empty text, not searching with a text
// when AutoResults is off, or searching with the old field.
TEST_F(SearchBarTest, FieldChangeSearchesOnlyWithText)
{
    SetAutoResults(false, 0);
    CreateBar();
    CSearchFilterCtrl* chooser = m_bar->GetSongFieldChooser();
    ASSERT_EQ(chooser->GetItemCount(), 8);
    EXPECT_EQ(chooser->GetItemText(0), QStringLiteral("All"));
    EXPECT_EQ(chooser->GetItemText(7), QStringLiteral("Transcriber"));
    EXPECT_EQ(chooser->GetCurItem(), 0);
    QTest::mouseClick(chooser, Qt::LeftButton, {}, chooser->GetItemRect(2).center());
    EXPECT_EQ(chooser->GetCurItem(), 2);
    EXPECT_EQ(m_requests->count(), 0);

    m_bar->SetSearchText(QStringLiteral("beat"), true);
    EXPECT_EQ(m_requests->count(), 0);
    QTest::mouseClick(chooser, Qt::LeftButton, {}, chooser->GetItemRect(3).center());
    ASSERT_EQ(m_requests->count(), 1);
    EXPECT_EQ(RequestText(0), QStringLiteral("beat"));
    EXPECT_EQ(RequestField(0), 3);
    // The current field again is no change.
    QTest::mouseClick(chooser, Qt::LeftButton, {}, chooser->GetItemRect(3).center());
    EXPECT_EQ(m_requests->count(), 1);
}

// Guards against a view change searching, keeping the old text or field, showing the wrong
// chooser, accepting a view that does not exist, and a pending delayed search firing for a
// text the program has replaced.
TEST_F(SearchBarTest, ViewChangeEmptiesTheTextWithoutSearching)
{
    SetAutoResults(true, 500);
    CSearchFilterCtrl* songs = m_bar->GetSongFieldChooser();
    CSearchFilterCtrl* lessons = m_bar->GetLessonFieldChooser();
    EXPECT_TRUE(songs->isVisible());
    EXPECT_FALSE(lessons->isVisible());
    ASSERT_EQ(lessons->GetItemCount(), 4);
    EXPECT_EQ(lessons->GetItemText(2), QStringLiteral("Subtitle"));
    lessons->SetCurItem(3);
    QTest::keyClicks(m_edit, QStringLiteral("blues"));
    ASSERT_TRUE(m_bar->GetAutoResultsTimer().isActive());

    EXPECT_TRUE(m_bar->SetViewFields(1));
    EXPECT_EQ(m_edit->text(), QString());
    EXPECT_EQ(m_bar->GetView(), 1);
    EXPECT_FALSE(songs->isVisible());
    EXPECT_TRUE(lessons->isVisible());
    EXPECT_EQ(lessons->GetCurItem(), 0);
    EXPECT_FALSE(m_requests->wait(800));

    EXPECT_FALSE(m_bar->SetViewFields(2));
    EXPECT_FALSE(m_bar->SetViewFields(-1));
    EXPECT_EQ(m_bar->GetView(), 1);
    EXPECT_TRUE(lessons->isVisible());

    // Searches now go to the lesson list with the lesson field.
    SetAutoResults(true, 0);
    QTest::mouseClick(lessons, Qt::LeftButton, {}, lessons->GetItemRect(1).center());
    EXPECT_EQ(m_requests->count(), 0);
    QTest::keyClick(m_edit, Qt::Key_B);
    ASSERT_EQ(m_requests->count(), 1);
    EXPECT_EQ(RequestView(0), 1);
    EXPECT_EQ(RequestField(0), 1);
    // A text set by the user's side of the program searches.
    m_bar->SetSearchText(QStringLiteral("folk"), false);
    ASSERT_EQ(m_requests->count(), 2);
    EXPECT_EQ(RequestText(1), QStringLiteral("folk"));
}

// Guards against a stored delay beyond the options' range overflowing the timer, so that the
// list would never follow the text.
TEST_F(SearchBarTest, OutOfRangeDelayIsTakenAsTheLongest)
{
    // The setter refuses such a value, so it comes in as a stored one would.
    CSearchSettings& search = m_app->GetSearchSettings();
    ASSERT_FALSE(search.SetAutoResultsDelay(0xFFFFFFFFu, false));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AfxSetSettingsStorePath(dir.path() + QStringLiteral("/registry.db"));
    struct StoreReset {
        ~StoreReset() { AfxSetSettingsStorePath(QString()); }
    } storeReset;
    ASSERT_TRUE(m_app->SetRegistryLocation());
    ASSERT_TRUE(m_app->GetProfile().WriteProfileInt(QString::fromLatin1(CSearchSettings::SECTION),
        QString::fromLatin1(CSearchSettings::AUTORESULTS_DELAY), 0xFFFFFFFFu));
    search.Load();
    ASSERT_EQ(search.GetAutoResultsDelay(), 0xFFFFFFFFu);
    EXPECT_EQ(CMainHeaderFormView::GetAutoResultsDelay(), CMainHeaderFormView::MAX_AUTORESULTS_DELAY);
    QTest::keyClick(m_edit, Qt::Key_X);
    ASSERT_TRUE(m_bar->GetAutoResultsTimer().isActive());
    EXPECT_EQ(m_bar->GetAutoResultsTimer().interval(), CMainHeaderFormView::MAX_AUTORESULTS_DELAY);
}

// Guards against window shortcuts taking the edit keys from the search text (Ctrl+C copying
// list rows instead of text), the bar's own keys not reaching their commands, both the bar
// and the window answering one key, and Tab leaving the focus ring.
TEST_F(SearchBarTest, AcceleratorsKeepEditKeysForTheText)
{
    // The default scheme's keys of interest.
    const std::vector<QVACCEL> scheme = {
        {FVIRTKEY | FCONTROL, 'F', 32912}, // File.Folders
        {FVIRTKEY | FCONTROL, 'C', 57634}, // Edit.Copy
        {FVIRTKEY | FCONTROL, 'A', 57642}, // Edit.SelectAll
        {FVIRTKEY, 0x2E, 32854},           // Edit.Delete
        {FVIRTKEY, 0x71, 32804},           // View.Songs, F2
        {FVIRTKEY, 0x76, 32909},           // Tools.Synchronize, F7
        {FVIRTKEY, 0x78, 57643},           // Edit.Undo moved to F9
    };
    m_bar->ApplyKeyboardScheme(scheme);
    ASSERT_EQ(m_bar->GetAcceleratorTable().size(), 3u);
    for (const QVACCEL& accel : m_bar->GetAcceleratorTable())
        EXPECT_TRUE(accel.cmd == 32912 || accel.cmd == 32804 || accel.cmd == 32909) << accel.cmd;

    // The window's own shortcuts for the same keys, as the frame has them.
    QSignalSpy commands(m_bar, &CMainHeaderFormView::AcceleratorCommand);
    int windowShortcuts = 0;
    for (const QKeySequence& key :
         {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+A")),
          QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_F7), QKeySequence(Qt::Key_F9),
          QKeySequence(QStringLiteral("Ctrl+F"))}) {
        auto* action = new QAction(m_window.get());
        action->setShortcut(key);
        m_window->addAction(action);
        QObject::connect(action, &QAction::triggered, [&windowShortcuts] { ++windowShortcuts; });
    }

    m_bar->SetSearchText(QStringLiteral("abcdef"), true);
    m_edit->setSelection(1, 3);
    QApplication::clipboard()->clear();
    QTest::keyClick(m_edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bcd"));
    QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_edit->selectedText(), QStringLiteral("abcdef"));
    m_edit->setCursorPosition(0);
    QTest::keyClick(m_edit, Qt::Key_Delete);
    EXPECT_EQ(m_edit->text(), QStringLiteral("bcdef"));
    QTest::keyClick(m_edit, Qt::Key_F9);
    EXPECT_EQ(m_edit->text(), QStringLiteral("bcdef"));
    EXPECT_EQ(windowShortcuts, 0);
    EXPECT_EQ(commands.count(), 0);

    QTest::keyClick(m_edit, Qt::Key_F7);
    QTest::keyClick(m_edit, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(m_edit, Qt::Key_F2);
    ASSERT_EQ(commands.count(), 3);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 32909);
    EXPECT_EQ(commands.at(1).at(0).toInt(), 32912);
    EXPECT_EQ(commands.at(2).at(0).toInt(), 32804);
    EXPECT_EQ(windowShortcuts, 0);
    EXPECT_EQ(m_edit->text(), QStringLiteral("bcdef"));

    // Keys in neither table stay with the window's shortcuts.
    auto* other = new QAction(m_window.get());
    other->setShortcut(QKeySequence(Qt::Key_F5));
    m_window->addAction(other);
    QSignalSpy otherSpy(other, &QAction::triggered);
    QTest::keyClick(m_edit, Qt::Key_F5);
    EXPECT_EQ(otherSpy.count(), 1);

    // A new scheme replaces the table: F7 is no command of the bar any more.
    m_bar->ApplyKeyboardScheme({{FVIRTKEY, 0x77, 32909}});
    QTest::keyClick(m_edit, Qt::Key_F7);
    EXPECT_EQ(windowShortcuts, 1);
    EXPECT_EQ(commands.count(), 3);

    QSignalSpy moves(m_bar, &CMainHeaderFormView::MoveFocusRequested);
    QTest::keyClick(m_edit, Qt::Key_Tab);
    QTest::keyClick(m_edit, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(moves.count(), 2);
    EXPECT_EQ(moves.at(0).at(0).toInt(), 0);
    EXPECT_TRUE(moves.at(0).at(1).toBool());
    EXPECT_FALSE(moves.at(1).at(1).toBool());
    EXPECT_TRUE(m_edit->hasFocus());
}

// Guards against a caption or chooser text clipped by the layout, the choosers not following
// the width, and the background not being the gradient; writes the pictures when asked to.
TEST_F(SearchBarTest, LayoutAndPicture)
{
    SetAutoResults(false, 0);
    CreateBar();
    m_bar->GetLessonFieldChooser()->SetCurItem(0);
    m_bar->SetSearchText(QStringLiteral("Blue Train"), true);
    for (int width : {700, 1200}) {
        m_window->resize(width, 60);
        m_bar->setGeometry(0, 0, width, 60);
        for (CSearchFilterCtrl* chooser : {m_bar->GetSongFieldChooser(), m_bar->GetLessonFieldChooser()}) {
            EXPECT_EQ(chooser->geometry().right() + 1, width - 10);
            EXPECT_GE(chooser->width(), chooser->sizeHint().width());
            EXPECT_LE(chooser->geometry().bottom(), 59);
        }
        QLabel* caption = m_bar->GetCaption();
        EXPECT_GE(caption->width(), caption->sizeHint().width());
        EXPECT_GE(caption->height(), caption->fontMetrics().height());
        EXPECT_TRUE(caption->font().bold());
        EXPECT_EQ(caption->font().pointSize(), 10);
        EXPECT_LE(caption->geometry().right(), m_edit->geometry().left());
        QPushButton* button = m_bar->GetSearchButton();
        EXPECT_GE(button->width(), button->sizeHint().width());
        EXPECT_LE(m_edit->geometry().right(), button->geometry().left());
        EXPECT_LE(button->geometry().right(), width);
        EXPECT_GE(m_bar->sizeHint().height(), 60);
        EXPECT_LE(m_bar->sizeHint().height(), 60);
    }
    const QImage image = m_bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = image.devicePixelRatio();
    EXPECT_EQ(image.width(), qRound(1200 * ratio));
    const QColor left = image.pixelColor(0, image.height() - 1);
    const QColor right = image.pixelColor(image.width() - 1, image.height() - 1);
    EXPECT_NEAR(left.green(), 102, 3);
    EXPECT_NEAR(right.green(), 153, 3);
    EXPECT_NEAR(left.blue(), 153, 3);
    EXPECT_EQ(left.red(), 0);
    // The caption is white text on the gradient.
    const QRect caption = m_bar->GetCaption()->geometry();
    int white = 0;
    for (int y = qRound(caption.top() * ratio); y < qRound((caption.bottom() + 1) * ratio); ++y)
        for (int x = qRound(caption.left() * ratio); x < qRound((caption.right() + 1) * ratio); ++x)
            white += image.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_GT(white, 20);

    const QString folder = qEnvironmentVariable("CORDA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        m_window->resize(700, 60);
        m_bar->setGeometry(0, 0, 700, 60);
        const QString suffix = ratio > 1 ? QStringLiteral("@2x") : QString();
        EXPECT_TRUE(m_bar->grab().save(folder + QStringLiteral("/searchbar-songs") + suffix +
                                       QStringLiteral(".png")));
        m_bar->SetViewFields(1);
        m_bar->ShowSearchButton(false);
        m_bar->GetLessonFieldChooser()->SetCurItem(2);
        EXPECT_TRUE(m_bar->grab().save(folder + QStringLiteral("/searchbar-lessons") + suffix +
                                       QStringLiteral(".png")));
    }
}

} // namespace
