// The main window's layout and housekeeping: the splitters and their fixed rows, the pane
// sizes kept across runs, the footer, the notification area, the idle save and what the
// window looks like.
#include "MainFrameTestLibrary.h"
#include "TestSupport.h"

#include "cordalib/ui/CordaLibrarianSplitterWnd.h"
#include "cordalib/ui/MainFooterFormView.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RecordListCtrl.h"
#include "cordalib/ui/ViewTreeView.h"
#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/system/FormatUtilities.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

class MainFrameLayoutTest : public MainFrameLibraryTest {
protected:
    // A shown frame of the given client size, laid out.
    std::unique_ptr<CMainFrame> ShowFrame(int width = 1000, int height = 700)
    {
        auto frame = std::make_unique<CMainFrame>(App());
        EXPECT_TRUE(frame->Create());
        frame->resize(width, height);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        QApplication::processEvents();
        return frame;
    }

    // Drags the bar of a splitter (between pane index - 1 and index) by delta pixels.
    static void DragBar(QSplitter* splitter, int index, int delta)
    {
        QSplitterHandle* bar = splitter->handle(index);
        ASSERT_NE(bar, nullptr);
        const QPoint start = bar->rect().center();
        const QPoint step = splitter->orientation() == Qt::Vertical ? QPoint(0, delta) : QPoint(delta, 0);
        QTest::mousePress(bar, Qt::LeftButton, {}, start);
        QTest::mouseMove(bar, start + step / 2);
        QTest::mouseMove(bar, start + step);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, start + step);
        QApplication::processEvents();
    }
};

// The layout must hand out space in the order asked for, give the rest to the last pane of
// that order, leave room for the bars, collapse a pane that would fall below its minimum,
// and ignore hidden panes (no space, no bar).
TEST_F(MainFrameLayoutTest, LayoutHandsOutIdealSizesInOrder)
{
    using W = CCordaLibrarianSplitterWnd;
    const std::vector<int> mainOrder{0, 2, 1};
    // Plenty of room: header and footer keep 60 and 80, the middle row takes the rest.
    EXPECT_EQ(W::LayoutPanes(700, 6, {60, 200, 80}, {10, 10, 10}, {}, mainOrder),
              (std::vector<int>{60, 548, 80}));
    // The framework's own order would have given the rest to the last row instead.
    EXPECT_EQ(W::LayoutPanes(700, 6, {60, 200, 80}, {10, 10, 10}, {}, {0, 1, 2}),
              (std::vector<int>{60, 200, 428}));
    // Short of room: the middle row falls below its minimum and its space goes to the
    // footer, handed out before it.
    EXPECT_EQ(W::LayoutPanes(157, 6, {60, 200, 80}, {10, 10, 10}, {}, mainOrder),
              (std::vector<int>{60, 0, 85}));
    // Even less: the footer gets what is left after the header, the middle row nothing.
    EXPECT_EQ(W::LayoutPanes(100, 6, {60, 200, 80}, {10, 10, 10}, {}, mainOrder),
              (std::vector<int>{60, 0, 28}));
    // Not even the header fits: the first pane takes all there is.
    EXPECT_EQ(W::LayoutPanes(40, 6, {60, 200, 80}, {10, 10, 10}, {}, mainOrder),
              (std::vector<int>{28, 0, 0}));
    // A pane whose ideal size is below its minimum is not shown; the others share the room.
    EXPECT_EQ(W::LayoutPanes(500, 6, {5, 100, 100}, {10, 10, 10}, {}, {0, 1, 2}),
              (std::vector<int>{0, 100, 388}));
    // Hidden panes take neither space nor a bar (the browse splitter with the lessons hidden).
    EXPECT_EQ(W::LayoutPanes(800, 6, {200, 200, 200}, {10, 10, 10}, {false, false, true}, {0, 1, 2}),
              (std::vector<int>{200, 594, 0}));
    EXPECT_EQ(W::LayoutPanes(800, 6, {200, 200}, {10, 10}, {true, true}, {0, 1}), (std::vector<int>{0, 0}));
    // Nothing to hand out.
    EXPECT_EQ(W::LayoutPanes(0, 6, {60, 200, 80}, {10, 10, 10}, {}, mainOrder), (std::vector<int>{0, 0, 0}));
}

// Growing the window must grow only the browse row; the search bar and footer keep 60 and
// 80 pixels and their bars do not move when dragged, while the header bar of the list
// does and its new height becomes the pane's size.
TEST_F(MainFrameLayoutTest, SearchBarAndFooterKeepTheirHeights)
{
    GenerateLibrary(20, 5);
    auto frame = ShowFrame(900, 600);
    CMainSplitterWnd* main = frame->GetMainSplitter();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(main->IsAllowDragging());
    EXPECT_EQ(main->handleWidth(), 6);
    const QList<int> before = main->sizes();
    ASSERT_EQ(before.size(), 3);
    EXPECT_EQ(before[0], 60);
    EXPECT_EQ(before[2], 80);
    EXPECT_EQ(before[0] + before[1] + before[2] + 12, main->height());
    EXPECT_EQ(frame->GetSearchBar()->height(), 60);
    EXPECT_EQ(frame->GetFooter()->height(), 80);

    frame->resize(1100, 800);
    QApplication::processEvents();
    const QList<int> after = main->sizes();
    EXPECT_EQ(after[0], 60);
    EXPECT_EQ(after[2], 80);
    EXPECT_EQ(after[1], before[1] + 200);

    // The fixed bars neither move nor show the sizing cursor.
    EXPECT_EQ(main->handle(1)->cursor().shape(), Qt::ArrowCursor);
    DragBar(main, 1, 40);
    DragBar(main, 2, -30);
    EXPECT_EQ(main->sizes(), after);

    CCordaLibrarianSplitterWnd* songs = frame->GetSongSplitter();
    EXPECT_TRUE(songs->IsAllowDragging());
    EXPECT_EQ(songs->handle(1)->cursor().shape(), Qt::SplitVCursor);
    EXPECT_EQ(songs->sizes().value(0), 175);
    DragBar(songs, 1, 25);
    const int dragged = songs->sizes().value(0);
    EXPECT_GT(dragged, 175);
    EXPECT_EQ(songs->GetPaneIdealSize(0), dragged);
    // The dragged height survives growing the window.
    frame->resize(1100, 900);
    QApplication::processEvents();
    EXPECT_EQ(songs->sizes().value(0), dragged);
}

// The header heights (and the view tree's width) must be written on close and come back
// at the next start, the hidden lesson pane included, so switching to lessons shows the
// height the user left there.
TEST_F(MainFrameLayoutTest, PaneSizesAreSavedOnCloseAndRestored)
{
    GenerateLibrary(10, 10);
    int lessonHeight = 0;
    int treeWidth = 0;
    ASSERT_TRUE(App().GetWindowSettings().SetSongHeaderHeight(140, true));
    ASSERT_TRUE(App().GetWindowSettings().SetLessonHeaderHeight(120, true));
    {
        auto frame = ShowFrame();
        frame->RestorePaneSizes();
        QApplication::processEvents();
        EXPECT_EQ(frame->GetSongSplitter()->sizes().value(0), 140);
        ASSERT_TRUE(frame->SetCurrentView(CMainFrame::VIEW_LESSONS));
        QApplication::processEvents();
        EXPECT_EQ(frame->GetLessonSplitter()->sizes().value(0), 120);
        DragBar(frame->GetLessonSplitter(), 1, 30);
        lessonHeight = frame->GetLessonSplitter()->sizes().value(0);
        EXPECT_GT(lessonHeight, 120);
        QWidget* tree = frame->GetViewTree();
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->width(), 200);
        DragBar(frame->GetBrowseSplitter(), frame->GetBrowseSplitter()->indexOf(tree) + 1, 40);
        treeWidth = tree->width();
        EXPECT_GT(treeWidth, 200);
        frame->close();
    }
    CCordaLibrarianApp reader;
    ASSERT_TRUE(reader.InitCore(false));
    EXPECT_EQ(reader.GetWindowSettings().GetSongHeaderHeight(), 140u);
    EXPECT_EQ(reader.GetWindowSettings().GetLessonHeaderHeight(), static_cast<uint32_t>(lessonHeight));
    EXPECT_EQ(reader.GetWindowSettings().GetViewTreeViewWidth(), static_cast<uint32_t>(treeWidth));

    // The next start: both heights come back while songs are shown.
    App().GetWindowSettings().Load();
    auto frame = ShowFrame();
    frame->RestorePaneSizes();
    QApplication::processEvents();
    EXPECT_EQ(frame->GetSongSplitter()->sizes().value(0), 140);
    ASSERT_TRUE(frame->SetCurrentView(CMainFrame::VIEW_LESSONS));
    QApplication::processEvents();
    EXPECT_EQ(frame->GetLessonSplitter()->sizes().value(0), lessonHeight);
    EXPECT_EQ(frame->GetViewTree()->width(), treeWidth);
}

// Without a notification area the icon cannot be added: the flag stays off (so a later
// request tries again), removing succeeds, and minimizing must not hide the window, since
// nothing would bring it back.
TEST_F(MainFrameLayoutTest, NoNotificationAreaLeavesTheTrayFlagOff)
{
    ASSERT_TRUE(App().GetSystemTraySettings().GetMinimizeToSystemTray());
    auto frame = ShowFrame();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        EXPECT_TRUE(frame->IsTrayIconAdded());
        EXPECT_TRUE(frame->RemoveTrayIcon());
        EXPECT_FALSE(frame->IsTrayIconAdded());
        EXPECT_TRUE(frame->AddTrayIcon());
        return;
    }
    EXPECT_FALSE(frame->IsTrayIconAdded());
    EXPECT_FALSE(frame->AddTrayIcon());
    EXPECT_FALSE(frame->IsTrayIconAdded());
    EXPECT_TRUE(frame->RemoveTrayIcon());
    frame->showMinimized();
    QApplication::processEvents();
    QTest::qWait(20);
    EXPECT_TRUE(frame->isVisible());
    frame->showNormal();
    frame->close();
    EXPECT_FALSE(frame->IsTrayIconAdded());
}

// The notification-area menu: its default entry brings a hidden window back, and Exit
// closes the window the normal way, after the menu has gone (posted, not at once).
TEST_F(MainFrameLayoutTest, TrayMenuRestoresAndExits)
{
    // The offscreen platform has no stacking order to change.
    corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    auto frame = ShowFrame();
    QMenu* menu = frame->GetTrayMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("227"));
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Corda Librarian"), QStringLiteral("E&xit")}));
    ASSERT_NE(menu->defaultAction(), nullptr);
    EXPECT_EQ(menu->defaultAction()->text(), QStringLiteral("&Corda Librarian"));

    frame->hide();
    menu->defaultAction()->trigger();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());

    QSignalSpy closed(frame.get(), &CMainFrame::frameClosed);
    menu->actions().back()->trigger();
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(closed.wait(5000));
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(App().GetWindowSettings().GetWindowPlacement().size(), 44);
}

// The footer must show the single selected record's file: name, folder and a size only
// for a file that can be read; nothing for no selection or several rows; and a value that
// did not change is left alone.
TEST_F(MainFrameLayoutTest, FooterShowsTheSelectedFile)
{
    GenerateLibrary(12, 2);
    auto frame = ShowFrame();
    CMainFooterFormView* footer = frame->GetFooter();
    CRecordListCtrl* list = frame->GetCurrentList();
    ASSERT_NE(footer, nullptr);
    ASSERT_NE(list, nullptr);
    const auto rowOf = [&](const QString& path) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (CMainFrame::GetRowPath(list, row) == path)
                return row;
        }
        return -1;
    };
    const QString real = MusicFolder() + QStringLiteral("/first song.crd");
    const int realRow = rowOf(real);
    const int missingRow = rowOf(QStringLiteral("/nowhere/song 3.crd"));
    const int otherMissingRow = rowOf(QStringLiteral("/nowhere/song 4.crd"));
    ASSERT_GE(realRow, 0);
    ASSERT_GE(missingRow, 0);
    ASSERT_GE(otherMissingRow, 0);

    list->UnselectAllItems();
    list->SelectItem(realRow, true);
    EXPECT_EQ(footer->GetFileName(), QStringLiteral("first song.crd"));
    EXPECT_EQ(footer->GetFolder(), MusicFolder());
    EXPECT_EQ(footer->GetFileSize(), AfxFormatFileSize(2048));
    EXPECT_FALSE(footer->GetFileSize().isEmpty());

    list->UnselectAllItems();
    list->SelectItem(missingRow, true);
    EXPECT_EQ(footer->GetFileName(), QStringLiteral("song 3.crd"));
    EXPECT_EQ(footer->GetFolder(), QStringLiteral("/nowhere"));
    EXPECT_TRUE(footer->GetFileSize().isEmpty());

    // The selection moves to another file of the same folder: only the name is replaced.
    const int changes = footer->GetValueChangeCount();
    list->selectionModel()->setCurrentIndex(list->model()->index(otherMissingRow, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(footer->GetFileName(), QStringLiteral("song 4.crd"));
    EXPECT_EQ(footer->GetValueChangeCount(), changes + 1);

    // Two rows, then none: nothing is shown.
    list->SelectItem(realRow, false);
    EXPECT_TRUE(footer->GetFileName().isEmpty());
    EXPECT_TRUE(footer->GetFolder().isEmpty());
    EXPECT_TRUE(footer->GetFileSize().isEmpty());
    list->SelectItem(missingRow, true);
    list->UnselectAllItems();
    EXPECT_TRUE(footer->GetFileName().isEmpty());

    footer->ShowFile(real);
    EXPECT_EQ(footer->GetFileName(), QStringLiteral("first song.crd"));
    footer->ShowFile(QString());
    EXPECT_TRUE(footer->GetFileName().isEmpty());
    EXPECT_TRUE(footer->GetFolder().isEmpty());
    EXPECT_TRUE(footer->GetFileSize().isEmpty());
    // A file that cannot be opened shows no size.
    QFile::setPermissions(real, QFileDevice::WriteOwner);
    footer->ShowFile(real);
    if (!QFile(real).open(QIODevice::ReadOnly)) {
        EXPECT_TRUE(footer->GetFileSize().isEmpty());
    }
    QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // The values end 10 pixels before the right edge.
    const QWidget* folder = footer->findChild<QWidget*>(QString::number(CMainFooterFormView::IDC_FOLDER));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->geometry().right() + 1, footer->width() - 10);
}

// Timer 13 must save a modified library once the user has been idle long enough, and not
// before; the timing is shortened here, the documented one is the default.
TEST_F(MainFrameLayoutTest, IdleTimerSavesAModifiedLibrary)
{
    auto frame = std::make_unique<CMainFrame>(App());
    ASSERT_TRUE(frame->Create());
    EXPECT_EQ(frame->GetIdleTimer()->interval(), CMainFrame::IDLE_TIMER_PERIOD_MS);
    EXPECT_EQ(frame->GetIdleSaveAfter(), CMainFrame::IDLE_SAVE_AFTER_MS);
    AddSong("Idle", "Nobody", "None", QStringLiteral("/nowhere/idle.crd"));
    ASSERT_TRUE(App().GetLibraryDatabase().IsModified());

    frame->SetIdleSaveTiming(10, 3600 * 1000);
    QTest::qWait(100);
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
    EXPECT_TRUE(App().GetLibraryDatabase().IsModified());

    frame->SetIdleSaveTiming(10, 50);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(DatabaseFile()), 5000);
    EXPECT_FALSE(App().GetLibraryDatabase().IsModified());
    CCordaLibrarianApp reader;
    ASSERT_TRUE(reader.InitCore(false));
    EXPECT_EQ(reader.GetLibraryDatabase().GetSongCount(), 1u);
}

} // namespace
