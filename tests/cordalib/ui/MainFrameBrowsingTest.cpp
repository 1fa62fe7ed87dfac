// Browsing in the main window: switching between songs and lessons, the Sort By popup,
// the focus ring, the Edit and View commands on the current list, a library of 100,000
// songs, and what the window looks like with songs and with lessons.
#include "MainFrameTestLibrary.h"
#include "TestSupport.h"

#include "cordalib/ui/CordaLibrarianSplitterWnd.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/LessonSummaryListBox.h"
#include "cordalib/ui/MainFooterFormView.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RatingMarks.h"
#include "cordalib/ui/RecordHeaderFormView.h"
#include "cordalib/ui/RecordListView.h"
#include "cordalib/ui/SearchFilterCtrl.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SongSummaryListBox.h"
#include "cordalib/ui/ViewTreeView.h"
#include "qvsystem/controls/ColumnsDlg.h"
#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/SearchEdit.h"
#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/File.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <map>

namespace {

class MainFrameBrowsingTest : public MainFrameLibraryTest {
protected:
    std::unique_ptr<CMainFrame> ShowFrame(int width = 1280, int height = 800)
    {
        auto frame = std::make_unique<CMainFrame>(App());
        EXPECT_TRUE(frame->Create());
        frame->resize(width, height);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        QApplication::processEvents();
        return frame;
    }

    static std::unique_ptr<CMainFrame> Activate(std::unique_ptr<CMainFrame> frame)
    {
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        return frame;
    }

    // The Sort By popup as it is when opened: the texts of its items (separators as "-").
    static QStringList OpenSortMenu(CMainFrame& frame)
    {
        // The offscreen platform can neither stack popups nor grab the keyboard for them.
        corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
        corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support grabbing the keyboard$"));
        QMenu* menu = frame.GetSortMenu();
        menu->popup(QPoint(10, 10));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (action->isVisible())
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        menu->hide();
        QApplication::processEvents();
        return texts;
    }

    static QAction* SortItem(CMainFrame& frame, int trueColumn)
    {
        for (QAction* action : frame.GetSortMenu()->actions()) {
            if (action->data().toInt() == ID_VIEW_SORT_COLUMN_FIRST + trueColumn)
                return action;
        }
        return nullptr;
    }

    static void TypeSearch(CMainFrame& frame, const QString& text)
    {
        CSearchEdit* edit = frame.GetSearchBar()->GetSearchEdit();
        edit->setFocus();
        QTest::keyClicks(edit, text);
        QApplication::processEvents();
    }
};

// Switching views must empty the search text and the new list's search, select row 0
// alone and show its file in the footer; the splitters exchange the browse pane's name;
// the current view again, or a view that does not exist, changes nothing.
TEST_F(MainFrameBrowsingTest, SwitchingViewsResetsBothSearchesAndSelectsRowZero)
{
    GenerateLibrary(30, 12);
    auto frame = ShowFrame();
    CSongListCtrl* songs = frame->GetSongList();
    CLessonListCtrl* lessons = frame->GetLessonList();
    CMainHeaderFormView* bar = frame->GetSearchBar();
    ASSERT_EQ(songs->GetItemCount(), 30);
    ASSERT_EQ(lessons->GetItemCount(), 12);
    EXPECT_EQ(frame->GetCurrentView(), CMainFrame::VIEW_SONGS);
    EXPECT_EQ(frame->GetViewTree()->GetCurrentView(), CMainFrame::VIEW_SONGS);

    // A song search that leaves five songs, with the fourth selected.
    TypeSearch(*frame, QStringLiteral("Bj"));
    ASSERT_EQ(songs->GetSearchText(), QStringLiteral("Bj"));
    ASSERT_EQ(songs->GetItemCount(), 5);
    songs->UnselectAllItems();
    songs->SelectItem(3, true);

    frame->FindCommand(ID_VIEW_LESSONS)->trigger();
    EXPECT_EQ(frame->GetCurrentView(), CMainFrame::VIEW_LESSONS);
    EXPECT_EQ(frame->GetViewTree()->GetCurrentView(), CMainFrame::VIEW_LESSONS);
    EXPECT_TRUE(frame->FindCommand(ID_VIEW_LESSONS)->isChecked());
    EXPECT_FALSE(frame->FindCommand(ID_VIEW_SONGS)->isChecked());
    EXPECT_TRUE(bar->GetSearchText().isEmpty());
    EXPECT_TRUE(bar->GetLessonFieldChooser()->isVisible());
    EXPECT_FALSE(bar->GetSongFieldChooser()->isVisible());
    EXPECT_EQ(bar->GetLessonFieldChooser()->GetCurItem(), 0);
    EXPECT_TRUE(frame->GetLessonSplitter()->isVisible());
    EXPECT_FALSE(frame->GetSongSplitter()->isVisible());
    EXPECT_EQ(frame->GetLessonSplitter()->objectName(), QString::number(CMainFrame::IDW_BROWSE_PANE));
    EXPECT_EQ(frame->GetSongSplitter()->objectName(), QString::number(CMainFrame::IDW_HIDDEN_BROWSE_PANE));
    EXPECT_EQ(lessons->GetSelectedItems(), std::vector<int>{0});
    EXPECT_EQ(lessons->currentIndex().row(), 0);
    EXPECT_EQ(frame->GetFooter()->GetFileName(), QFileInfo(CMainFrame::GetRowPath(lessons, 0)).fileName());
    EXPECT_FALSE(frame->GetFooter()->GetFileName().isEmpty());

    // A lesson search, then back to songs: the song list shows all its songs again.
    TypeSearch(*frame, QStringLiteral("tude 1"));
    ASSERT_EQ(lessons->GetSearchText(), QStringLiteral("tude 1"));
    ASSERT_EQ(lessons->GetItemCount(), 3); // 1, 10, 11
    frame->FindCommand(ID_VIEW_SONGS)->trigger();
    EXPECT_EQ(frame->GetCurrentView(), CMainFrame::VIEW_SONGS);
    EXPECT_TRUE(bar->GetSearchText().isEmpty());
    EXPECT_TRUE(songs->GetSearchText().isEmpty());
    EXPECT_EQ(songs->GetItemCount(), 30);
    EXPECT_EQ(songs->GetSelectedItems(), std::vector<int>{0});
    EXPECT_EQ(frame->GetFooter()->GetFileName(), QFileInfo(CMainFrame::GetRowPath(songs, 0)).fileName());
    EXPECT_EQ(frame->GetSongSplitter()->objectName(), QString::number(CMainFrame::IDW_BROWSE_PANE));

    // Through the tree, as the user clicks it: the lesson search was reset as well.
    frame->GetViewTree()->SelectView(CMainFrame::VIEW_LESSONS);
    EXPECT_EQ(frame->GetCurrentView(), CMainFrame::VIEW_LESSONS);
    EXPECT_TRUE(lessons->GetSearchText().isEmpty());
    EXPECT_EQ(lessons->GetItemCount(), 12);

    // Nothing changes for the current view or an unknown one.
    lessons->UnselectAllItems();
    lessons->SelectItem(4, true);
    EXPECT_TRUE(frame->SetCurrentView(CMainFrame::VIEW_LESSONS));
    EXPECT_FALSE(frame->SetCurrentView(2));
    EXPECT_FALSE(frame->SetCurrentView(-1));
    EXPECT_EQ(frame->GetCurrentView(), CMainFrame::VIEW_LESSONS);
    EXPECT_EQ(lessons->GetSelectedItems(), std::vector<int>{4});

    // An empty list: nothing is selected and the footer is empty.
    frame->SetCurrentView(CMainFrame::VIEW_SONGS);
    TypeSearch(*frame, QStringLiteral("no such song"));
    ASSERT_EQ(songs->GetItemCount(), 0);
    frame->SetCurrentView(CMainFrame::VIEW_LESSONS);
    App().GetLibraryDatabase().Clear();
    frame->RefreshLists();
    frame->SetCurrentView(CMainFrame::VIEW_SONGS);
    EXPECT_EQ(songs->GetItemCount(), 0);
    EXPECT_TRUE(frame->GetFooter()->GetFileName().isEmpty());
}

// The Sort By popup must list the shown columns of the current list from left to right,
// never "#", be rebuilt each time it opens, and sort by the chosen column (again: the other
// direction); Sort Ascending and Descending follow the list's direction.
TEST_F(MainFrameBrowsingTest, SortByPopupListsShownColumnsAndSorts)
{
    GenerateLibrary(24, 6);
    auto frame = ShowFrame();
    CSongListCtrl* songs = frame->GetSongList();
    const auto expectedItems = [](const CRecordListCtrl* list) {
        QStringList items;
        for (int position = 0; position < list->GetInsertedColumnCount(); ++position) {
            const int trueColumn = list->GetLeftToRightTrueColumn(position);
            QVCOLUMN column;
            if (trueColumn != 0 && list->GetQVColumn(trueColumn, column))
                items << column.strHeading;
        }
        items << QStringLiteral("-") << QStringLiteral("Sort &Ascending")
              << QStringLiteral("Sort &Descending");
        return items;
    };

    ASSERT_TRUE(songs->ShowQVColumn(CSongListCtrl::songColumnYear, false));
    ASSERT_TRUE(songs->ShowQVColumn(CSongListCtrl::songColumnCopyright, false));
    // The user dragged Artist to the far left, before "#".
    songs->header()->moveSection(
        songs->header()->visualIndex(songs->GetInsertedColumn(CSongListCtrl::songColumnArtist)), 0);
    QStringList items = OpenSortMenu(*frame);
    EXPECT_EQ(items, expectedItems(songs));
    EXPECT_EQ(items.value(0), QStringLiteral("Artist"));
    EXPECT_EQ(items.value(1), QStringLiteral("Title"));
    EXPECT_FALSE(items.contains(QStringLiteral("#")));
    EXPECT_FALSE(items.contains(QStringLiteral("Year")));
    EXPECT_EQ(items.size(), 13 + 3);

    // Rebuilt on every opening: a column hidden since is gone, none is listed twice.
    ASSERT_TRUE(songs->ShowQVColumn(CSongListCtrl::songColumnAlbum, false));
    items = OpenSortMenu(*frame);
    EXPECT_EQ(items, expectedItems(songs));
    EXPECT_FALSE(items.contains(QStringLiteral("Album")));
    EXPECT_EQ(items.count(QStringLiteral("Artist")), 1);

    // Choosing Artist sorts ascending by artist; it is then checked.
    QAction* artist = SortItem(*frame, CSongListCtrl::songColumnArtist);
    ASSERT_NE(artist, nullptr);
    EXPECT_EQ(artist->objectName(),
              QString::number(ID_VIEW_SORT_COLUMN_FIRST + CSongListCtrl::songColumnArtist));
    artist->trigger();
    EXPECT_EQ(songs->GetSortColumn(), CSongListCtrl::songColumnArtist);
    EXPECT_TRUE(songs->IsSortAscending());
    EXPECT_EQ(songs->GetRecord(0)->GetArtist(), "Bj\xf6rk");
    // The last artist depends on the locale's collation of accented capitals.
    const std::string lastArtist = songs->GetRecord(23)->GetArtist();
    EXPECT_NE(lastArtist, songs->GetRecord(0)->GetArtist());
    OpenSortMenu(*frame);
    ASSERT_NE(SortItem(*frame, CSongListCtrl::songColumnArtist), nullptr);
    EXPECT_TRUE(SortItem(*frame, CSongListCtrl::songColumnArtist)->isChecked());
    EXPECT_FALSE(SortItem(*frame, CSongListCtrl::songColumnTitle)->isChecked());
    EXPECT_TRUE(frame->FindCommand(ID_VIEW_SORT_ASCENDING)->isEnabled());
    EXPECT_TRUE(frame->FindCommand(ID_VIEW_SORT_ASCENDING)->isChecked());
    EXPECT_FALSE(frame->FindCommand(ID_VIEW_SORT_DESCENDING)->isChecked());

    // The sort column again reverses; the direction commands set the direction.
    SortItem(*frame, CSongListCtrl::songColumnArtist)->trigger();
    EXPECT_EQ(songs->GetSortColumn(), CSongListCtrl::songColumnArtist);
    EXPECT_FALSE(songs->IsSortAscending());
    EXPECT_EQ(songs->GetRecord(0)->GetArtist(), lastArtist);
    frame->FindCommand(ID_VIEW_SORT_ASCENDING)->trigger();
    EXPECT_TRUE(songs->IsSortAscending());
    EXPECT_EQ(songs->GetRecord(0)->GetArtist(), "Bj\xf6rk");
    OpenSortMenu(*frame);
    SortItem(*frame, CSongListCtrl::songColumnTitle)->trigger();
    EXPECT_EQ(songs->GetSortColumn(), CSongListCtrl::songColumnTitle);
    EXPECT_TRUE(songs->IsSortAscending());

    // The lessons' popup lists the lessons' columns.
    frame->SetCurrentView(CMainFrame::VIEW_LESSONS);
    items = OpenSortMenu(*frame);
    EXPECT_EQ(items, expectedItems(frame->GetLessonList()));
    EXPECT_TRUE(items.contains(QStringLiteral("Subtitle")));
    EXPECT_FALSE(items.contains(QStringLiteral("Artist")));
}

// Tab must walk search bar, view tree, first and second summary box and list and wrap;
// Shift+Tab the other way. A summary box gets its selected row focused, the list its first
// selected row.
TEST_F(MainFrameBrowsingTest, FocusRingWithTabAndShiftTab)
{
    GenerateLibrary(30, 12);
    auto frame = Activate(ShowFrame());
    CSongListCtrl* songs = frame->GetSongList();
    songs->UnselectAllItems();
    songs->SelectItem(9, false);
    songs->SelectItem(5, false);
    const auto stopOfFocus = [&] { return frame->GetFocusStop(QApplication::focusWidget()); };
    EXPECT_EQ(stopOfFocus(), CMainFrame::stopSearchBar);
    EXPECT_EQ(QApplication::focusWidget(), frame->GetSearchBar()->GetSearchEdit());

    const int forward[] = {CMainFrame::stopViewTree,      CMainFrame::stopFirstSummary,
                           CMainFrame::stopSecondSummary, CMainFrame::stopList,
                           CMainFrame::stopSearchBar,     CMainFrame::stopViewTree};
    for (int expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(stopOfFocus(), expected);
        EXPECT_EQ(QApplication::focusWidget(), frame->GetFocusStopWidget(expected) == frame->GetSearchBar()
                                                   ? frame->GetSearchBar()->GetSearchEdit()
                                                   : frame->GetFocusStopWidget(expected));
        if (expected == CMainFrame::stopList) {
            EXPECT_EQ(songs->currentIndex().row(), 5);
        }
        if (expected == CMainFrame::stopFirstSummary) {
            // The artist box's "All" row is selected after the search.
            auto* box = qobject_cast<CQVListCtrl*>(frame->GetFocusStopWidget(expected));
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->currentIndex().row(),
                      box->GetSingleSelectionItem() >= 0 ? box->GetSingleSelectionItem() : 0);
        }
    }
    const int backward[] = {CMainFrame::stopSearchBar,     CMainFrame::stopList,
                            CMainFrame::stopSecondSummary, CMainFrame::stopFirstSummary,
                            CMainFrame::stopViewTree,      CMainFrame::stopSearchBar};
    for (int expected : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(stopOfFocus(), expected);
    }

    // In the lesson view the stops are the style and level boxes and the lesson list.
    frame->SetCurrentView(CMainFrame::VIEW_LESSONS);
    frame->MoveFocus(CMainFrame::stopViewTree, true);
    EXPECT_EQ(QApplication::focusWidget(), frame->GetLessonHeader()->GetFirstSummaryBox());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), frame->GetLessonHeader()->GetSecondSummaryBox());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), frame->GetLessonList());
    EXPECT_EQ(frame->GetLessonList()->currentIndex().row(), 0);
}

// Select All and Unselect All act on the current list while it has the focus (and has
// rows, or a selection); with the focus in the search text they are off.
TEST_F(MainFrameBrowsingTest, SelectAllAndUnselectAllOnTheCurrentList)
{
    GenerateLibrary(40, 5);
    auto frame = Activate(ShowFrame());
    QAction* selectAll = frame->FindCommand(ID_EDIT_SELECT_ALL);
    QAction* unselectAll = frame->FindCommand(ID_EDIT_UNSELECT_ALL);
    ASSERT_NE(selectAll, nullptr);
    ASSERT_NE(unselectAll, nullptr);
    EXPECT_EQ(selectAll->text(), QStringLiteral("Select &All"));
    EXPECT_EQ(unselectAll->text(), QStringLiteral("U&nselect All"));
    EXPECT_EQ(selectAll->objectName(), QStringLiteral("57642"));
    EXPECT_EQ(unselectAll->objectName(), QStringLiteral("32848"));

    // Focus in the search text.
    EXPECT_FALSE(selectAll->isEnabled());
    EXPECT_FALSE(unselectAll->isEnabled());

    CSongListCtrl* songs = frame->GetSongList();
    frame->MoveFocus(CMainFrame::stopSecondSummary, true);
    ASSERT_TRUE(songs->hasFocus());
    EXPECT_TRUE(selectAll->isEnabled());
    selectAll->trigger();
    EXPECT_EQ(songs->GetSelectedCount(), 40);
    EXPECT_TRUE(frame->GetFooter()->GetFileName().isEmpty());
    EXPECT_TRUE(unselectAll->isEnabled());
    unselectAll->trigger();
    EXPECT_EQ(songs->GetSelectedCount(), 0);
    EXPECT_FALSE(unselectAll->isEnabled());
    EXPECT_TRUE(songs->hasFocus());

    // A list without rows: nothing to select.
    TypeSearch(*frame, QStringLiteral("no such song"));
    ASSERT_EQ(songs->GetItemCount(), 0);
    songs->setFocus();
    EXPECT_FALSE(selectAll->isEnabled());
}

// View > Columns... must open the Columns dialog of the current list (songs, then
// lessons); cancelling changes nothing.
TEST_F(MainFrameBrowsingTest, ColumnsCommandEditsTheCurrentList)
{
    GenerateLibrary(5, 5);
    auto frame = ShowFrame();
    QAction* columns = frame->FindCommand(ID_VIEW_COLUMNS);
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(columns->text(), QStringLiteral("&Columns..."));
    for (int view : {CMainFrame::VIEW_SONGS, CMainFrame::VIEW_LESSONS}) {
        SCOPED_TRACE(view);
        frame->SetCurrentView(view);
        CRecordListCtrl* list = frame->GetCurrentList();
        const int shown = list->GetInsertedColumnCount();
        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CColumnsDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            const CQVListCtrl* rows = dialog->GetColumnsList();
            for (int row = 0; row < rows->GetItemCount(); ++row)
                listed << rows->GetItemText(row, 0);
            dialog->reject();
        });
        columns->trigger();
        EXPECT_EQ(listed.size(), list->GetTrueColumnCount());
        EXPECT_TRUE(listed.contains(view == CMainFrame::VIEW_SONGS ? QStringLiteral("Artist")
                                                                   : QStringLiteral("Subtitle")))
            << listed.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(list->GetInsertedColumnCount(), shown);
    }
}

// With 100,000 songs the frame's own work stays instant: switching views, selecting all
// (the footer reads the selection count) and opening the Sort By popup do not walk rows.
TEST_F(MainFrameBrowsingTest, HundredThousandSongs)
{
    auto& database = App().GetLibraryDatabase();
    for (int i = 0; i < 100000; ++i) {
        auto song = std::make_unique<CSongRecord>();
        song->SetTitle("Song " + std::to_string(i));
        song->SetArtist("Artist " + std::to_string(i % 500));
        song->SetAlbum("Album " + std::to_string(i % 900));
        song->SetPath(QStringLiteral("/nowhere/%1.crd").arg(i));
        database.AddSong(std::move(song));
    }
    AddLesson("Lesson", "Someone", 1, 1, QStringLiteral("/nowhere/lesson.crd"));
    auto frame = Activate(ShowFrame());
    CSongListCtrl* songs = frame->GetSongList();
    ASSERT_EQ(songs->GetItemCount(), 100000);

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i) {
        frame->SetCurrentView(CMainFrame::VIEW_LESSONS);
        frame->SetCurrentView(CMainFrame::VIEW_SONGS);
        QApplication::processEvents();
    }
    songs->setFocus();
    frame->FindCommand(ID_EDIT_SELECT_ALL)->trigger();
    EXPECT_EQ(songs->GetSelectedCount(), 100000);
    EXPECT_TRUE(frame->GetFooter()->GetFileName().isEmpty());
    OpenSortMenu(*frame);
    frame->FindCommand(ID_EDIT_UNSELECT_ALL)->trigger();
    songs->SelectItem(99999, true);
    EXPECT_EQ(frame->GetFooter()->GetFileName(), QFileInfo(CMainFrame::GetRowPath(songs, 99999)).fileName());
    // Generous: a walk over the rows in each step would take far longer on this machine.
    EXPECT_LT(clock.elapsed(), 3000);
}

// The window with songs and with lessons on accented names: no pane overlaps another, no
// caption or label is cut, and the footer's texts are white on the dark gradient. The
// pictures go to CORDA_SCREENSHOT_DIR when it is set.
TEST_F(MainFrameBrowsingTest, RendersWithoutOverlapsOrClippedTexts)
{
    GenerateLibrary(60, 40);
    auto frame = ShowFrame(1280, 800);
    const QString outDir = qEnvironmentVariable("CORDA_SCREENSHOT_DIR");
    for (int view : {CMainFrame::VIEW_SONGS, CMainFrame::VIEW_LESSONS}) {
        SCOPED_TRACE(view);
        frame->SetCurrentView(view);
        CRecordListCtrl* list = frame->GetCurrentList();
        list->UnselectAllItems();
        list->SelectItem(0, true);
        QApplication::processEvents();

        QList<QWidget*> panes{frame->GetSearchBar(), frame->GetViewTree(), frame->GetCurrentHeader(),
                              view == CMainFrame::VIEW_SONGS
                                  ? static_cast<QWidget*>(frame->GetSongListView())
                                  : static_cast<QWidget*>(frame->GetLessonListView()),
                              frame->GetFooter()};
        QList<QRect> rects;
        for (QWidget* pane : panes) {
            ASSERT_NE(pane, nullptr);
            EXPECT_TRUE(pane->isVisible());
            const QRect rect(pane->mapTo(frame.get(), QPoint(0, 0)), pane->size());
            EXPECT_FALSE(rect.isEmpty());
            EXPECT_TRUE(frame->rect().contains(rect)) << pane->metaObject()->className();
            for (const QRect& other : rects)
                EXPECT_FALSE(rect.intersects(other)) << pane->metaObject()->className();
            rects << rect;
        }
        // Every visible label shows its whole text (the footer's values shorten theirs
        // with an ellipsis by design) and lies inside its pane.
        for (QLabel* label : frame->findChildren<QLabel*>()) {
            if (!label->isVisible() || qobject_cast<CEllipsisLabel*>(label))
                continue;
            SCOPED_TRACE(label->text().toStdString());
            EXPECT_GE(label->width(), label->sizeHint().width());
            EXPECT_GE(label->height(), label->fontMetrics().height());
            EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry()));
        }
        for (CSearchFilterCtrl* chooser : frame->GetSearchBar()->findChildren<CSearchFilterCtrl*>()) {
            if (chooser->isVisible()) {
                EXPECT_GE(chooser->width(), chooser->sizeHint().width());
                EXPECT_LE(chooser->geometry().bottom(), frame->GetSearchBar()->height());
            }
        }
        const QPixmap picture = frame->grab();
        EXPECT_EQ(picture.size() / picture.devicePixelRatio(), frame->size());
        // The footer's name value: white text on the gradient.
        const QImage image = frame->GetFooter()->grab().toImage();
        const QWidget* name =
            frame->GetFooter()->findChild<QWidget*>(QString::number(CMainFooterFormView::IDC_FILE_NAME));
        ASSERT_NE(name, nullptr);
        bool white = false;
        const qreal ratio = image.devicePixelRatio();
        for (int x = name->x(); x < name->x() + 60 && !white; ++x) {
            for (int y = name->y(); y < name->y() + name->height() && !white; ++y)
                white = qGray(image.pixel(int(x * ratio), int(y * ratio))) > 200;
        }
        EXPECT_TRUE(white);
        EXPECT_LT(qGray(image.pixel(2, 2)), 140);
        if (!outDir.isEmpty()) {
            QDir().mkpath(outDir);
            picture.save(outDir + (view == CMainFrame::VIEW_SONGS ? QStringLiteral("/main-songs.png")
                                                                  : QStringLiteral("/main-lessons.png")));
        }
    }
}

// A rating given with a click must reach the library file through the idle save, each
// time, so that it is still there at the next start (the close's save is the application's,
// shown by its own test).
TEST_F(MainFrameBrowsingTest, RatingClicksReachTheLibraryFile)
{
    for (int i = 0; i < 3; ++i)
        AddSong("Song " + std::to_string(i), "Artist", "Album",
                MusicFolder() + QStringLiteral("/s%1.crd").arg(i));
    App().GetLibraryDatabase().SetModified(false);
    const auto storedRatings = [this]() {
        CLibraryDatabase stored;
        CFile file(DatabaseFile(), CFile::modeRead);
        CArchive archive(&file, CArchive::load);
        stored.Load(archive);
        archive.Close();
        std::map<std::string, int> ratings;
        for (const CSongRecord* song : stored.GetSongs())
            ratings[song->GetTitle()] = song->GetRating();
        return ratings;
    };
    auto frame = ShowFrame();
    CSongListCtrl& list = *frame->GetSongList();
    ASSERT_EQ(list.GetItemCount(), 3);
    const auto clickStar = [&list](int row, int star) {
        list.SelectItem(row, true);
        const QPoint point = CRatingMarks::GetCellRect(list.GetRatingRect(row), star - 1).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, point,
                          QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        return list.GetRecord(row)->GetTitle();
    };

    const std::string first = clickStar(0, 3);
    ASSERT_EQ(list.GetRecord(0)->GetRating(), 3);
    ASSERT_TRUE(frame->OnIdleTimer(CMainFrame::IDLE_SAVE_AFTER_MS));
    EXPECT_EQ(storedRatings().at(first), 3);

    const std::string second = clickStar(1, 5);
    ASSERT_EQ(list.GetRecord(1)->GetRating(), 5);
    EXPECT_TRUE(App().GetLibraryDatabase().IsModified());
    ASSERT_TRUE(frame->OnIdleTimer(CMainFrame::IDLE_SAVE_AFTER_MS));
    const std::map<std::string, int> ratings = storedRatings();
    EXPECT_EQ(ratings.size(), 3u);
    EXPECT_EQ(ratings.at(first), 3);
    EXPECT_EQ(ratings.at(second), 5);
}

} // namespace
