// The song list (and, where it differs, the lesson list): rows over the record set, sorting
// by header and by SortItems with the selection carried by record, the search through the
// list's index, type-ahead, the rating click, the drawing of the rating column and of very
// long texts, the keys and clicks the frame's commands answer, and the column rules.
#include "BrowsingLibrary.h"

#include "cordalib/app/RecordSearch.h"
#include "cordalib/library/CordaStrings.h"
#include "cordalib/library/LessonTypes.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/ListItemDelegate.h"
#include "cordalib/ui/RatingMarks.h"
#include "cordalib/ui/RecordListView.h"
#include "cordalib/ui/SongListCtrl.h"
#include "qvsystem/platform/CodePage.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>

#include <algorithm>
#include <set>
#include <vector>

using namespace corda::test;

namespace {

// A shown song list with its columns over a database of the test's own.
struct SongList {
    explicit SongList(CLibraryDatabase& database, QSize size = QSize(2300, 420)) : list(nullptr, &database)
    {
        list.InsertDefaultColumns();
        list.resize(size);
        list.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
        EXPECT_TRUE(list.ApplySearch(QString(), songSearchAll, true) || !list.GetArtistBox());
        // The search selected row 0; the tests choose their own rows.
        list.clearSelection();
    }
    CSongListCtrl list;
};

std::vector<const CSongRecord*> Rows(const CSongListCtrl& list)
{
    std::vector<const CSongRecord*> rows;
    for (int row = 0; row < list.GetItemCount(); ++row)
        rows.push_back(list.GetRecord(row));
    return rows;
}

std::set<const CSongRecord*> SelectedRecords(const CSongListCtrl& list)
{
    std::set<const CSongRecord*> records;
    for (int row : list.GetSelectedItems())
        records.insert(list.GetRecord(row));
    return records;
}

const CSongRecord* FocusedRecord(const CSongListCtrl& list)
{
    const QModelIndex current = list.currentIndex();
    return current.isValid() ? list.GetRecord(current.row()) : nullptr;
}

bool IsOrderedBy(const CSongListCtrl& list, int column, bool ascending)
{
    for (int row = 1; row < list.GetItemCount(); ++row) {
        const int order = CSongRecord::Compare(*list.GetRecord(row - 1), *list.GetRecord(row), column);
        if (ascending ? order > 0 : order < 0)
            return false;
    }
    return true;
}

void ClickHeader(CSongListCtrl& list, int trueColumn)
{
    const QHeaderView* header = list.GetHeaderCtrl();
    const int inserted = list.GetInsertedColumn(trueColumn);
    const QPoint centre(header->sectionViewportPosition(inserted) + header->sectionSize(inserted) / 2,
                        header->height() / 2);
    const int apart = QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50;
    QTest::mouseClick(list.GetHeaderCtrl()->viewport(), Qt::LeftButton, {}, centre, apart);
}

// A left click on a viewport point, far enough from the previous one to be no double click.
void ClickAt(CSongListCtrl& list, const QPoint& point)
{
    const int apart = QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, point, apart);
}

QPoint CellCentre(const CRecordListCtrl& list, int row, int cell)
{
    return CRatingMarks::GetCellRect(list.GetRatingRect(row), cell).center();
}

// The pixels of a rectangle of the viewport's picture that differ from a colour.
int PixelsNotOf(const QImage& image, const QRect& rect, const QColor& colour)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y).rgb() != colour.rgb())
                ++count;
        }
    }
    return count;
}

QImage ViewportImage(CRecordListCtrl& list)
{
    list.viewport()->repaint();
    QImage image = list.viewport()->grab().toImage();
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

// Every rebuild resets the rows and restores the selection; a row count that disagrees
// with the rows, a text asked for beyond them or a stale index would show up here.
TEST(SongListCtrl, ModelStaysConsistentThroughSearchSortFilterAndRating)
{
    CLibraryDatabase database;
    GenerateSongs(database, 600);
    SongList songs(database);
    CSongListCtrl& list = songs.list;
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Warning);

    EXPECT_EQ(list.GetItemCount(), 600);
    list.SelectItem(5, true);
    EXPECT_TRUE(list.SortItems(CSongListCtrl::songColumnTitle, true, false));
    EXPECT_TRUE(list.ApplySearch(QStringLiteral("caf"), songSearchAll, false) || !list.GetArtistBox());
    EXPECT_GT(list.GetItemCount(), 0);
    EXPECT_LT(list.GetItemCount(), 600);
    EXPECT_TRUE(list.ApplySummaryFilter(list.GetRecord(0)->GetArtist(), SUMMARY_KEY_ALL, false));
    EXPECT_TRUE(list.SortItems(CSongListCtrl::songColumnRating, false, false));
    EXPECT_TRUE(list.SetRating(0, 4));
    list.ApplySearch(QStringLiteral("no such song anywhere"), songSearchTitle, false);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetSelectedCount(), 0);
    EXPECT_EQ(list.model()->index(0, 0).data().toString(), QString());
    list.ApplySearch(QString(), songSearchAll, false);
    EXPECT_EQ(list.GetItemCount(), 600);
}

// Sorting by a header click or by SortItems must keep the same records selected and the
// focused one focused, reverse on a second click, ignore "#" and refuse what it cannot do.
TEST(SongListCtrl, SortingKeepsSelectedAndFocusedRecords)
{
    CLibraryDatabase database;
    GenerateSongs(database, 300);
    SongList songs(database);
    CSongListCtrl& list = songs.list;

    for (int row : {3, 40, 41, 250})
        list.SelectItem(row);
    list.SelectItem(40, true);
    const std::set<const CSongRecord*> selected = SelectedRecords(list);
    const CSongRecord* focused = FocusedRecord(list);
    ASSERT_EQ(selected.size(), 4u);

    ClickHeader(list, CSongListCtrl::songColumnArtist);
    EXPECT_EQ(list.GetSortColumn(), CSongListCtrl::songColumnArtist);
    EXPECT_TRUE(list.IsSortAscending());
    EXPECT_TRUE(IsOrderedBy(list, songFieldArtist, true));
    EXPECT_EQ(SelectedRecords(list), selected);
    EXPECT_EQ(FocusedRecord(list), focused);
    // The focused record is brought into view wherever the sort put it.
    EXPECT_TRUE(list.viewport()->rect().intersects(list.visualRect(list.currentIndex())));

    ClickHeader(list, CSongListCtrl::songColumnArtist);
    EXPECT_FALSE(list.IsSortAscending());
    EXPECT_TRUE(IsOrderedBy(list, songFieldArtist, false));
    EXPECT_EQ(SelectedRecords(list), selected);

    // "#" has no order of its own.
    const std::vector<const CSongRecord*> before = Rows(list);
    ClickHeader(list, CSongListCtrl::songColumnNumber);
    EXPECT_EQ(list.GetSortColumn(), CSongListCtrl::songColumnArtist);
    EXPECT_EQ(Rows(list), before);

    EXPECT_TRUE(list.SortItems(CSongListCtrl::songColumnYear, true, false));
    EXPECT_TRUE(IsOrderedBy(list, songFieldYear, true));
    EXPECT_EQ(SelectedRecords(list), selected);
    EXPECT_EQ(FocusedRecord(list), focused);
    EXPECT_FALSE(list.SortItems(CSongListCtrl::songColumnYear, true, false)); // nothing to do
    EXPECT_TRUE(list.SortItems(CSongListCtrl::songColumnYear, true, true));
    EXPECT_FALSE(list.SortItems(CSongListCtrl::SONG_COLUMN_COUNT, true, true));
    EXPECT_FALSE(list.SortItems(-2, true, true));
    EXPECT_EQ(list.GetSortColumn(), CSongListCtrl::songColumnYear);

    // A search keeps the selected records that pass it, and the sort.
    const CSongRecord* kept = list.GetRecord(list.currentIndex().row());
    const QString word = AfxAnsiToUnicode(kept->GetTitle()).section(QLatin1Char(' '), 0, 0);
    list.ApplySearch(word, songSearchTitle, false);
    EXPECT_TRUE(IsOrderedBy(list, songFieldYear, true));
    EXPECT_EQ(FocusedRecord(list), kept);
    for (const CSongRecord* song : SelectedRecords(list))
        EXPECT_TRUE(selected.count(song)) << song->GetTitle();

    // A search that keeps none of them selects row 0 (titles end in their unique number).
    list.ApplySearch(QString(), songSearchAll, false);
    const CSongRecord* other = nullptr;
    for (const CSongRecord* song : database.GetSongs()) {
        if (!selected.count(song) && song != kept)
            other = song;
    }
    ASSERT_NE(other, nullptr);
    list.ApplySearch(AfxAnsiToUnicode(other->GetTitle()), songSearchTitle, false);
    ASSERT_EQ(Rows(list), std::vector<const CSongRecord*>{other});
    EXPECT_EQ(list.GetSelectedItems(), std::vector<int>{0});
}

// The list's search must give exactly the songs that pass the record-by-record test, in
// the library's order while unsorted, for every field; fields out of range are refused.
TEST(SongListCtrl, SearchGivesTheSameSongsAsTheRecordTest)
{
    CLibraryDatabase database;
    GenerateSongs(database, 800);
    AddSong(database, "Fl\xfcgel", "Anonymous", "");
    SongList songs(database);
    CSongListCtrl& list = songs.list;

    const QString texts[] = {QString(),
                             QStringLiteral("caf\u00c9"),
                             QStringLiteral("\u00e9TOILE"),
                             QStringLiteral("b"),
                             QStringLiteral("vol. 2"),
                             QStringLiteral(" 1"),
                             QStringLiteral("\u0160ARKA"),
                             QStringLiteral("fl\u00dcgel"),
                             QStringLiteral("qqq")};
    for (const QString& text : texts) {
        for (int field = 0; field < SONG_SEARCH_FIELD_COUNT; ++field) {
            list.ApplySearch(text, field, false);
            std::vector<const CSongRecord*> expected;
            for (const CSongRecord* song : database.GetSongs()) {
                if (SongMatchesSearch(*song, AfxUnicodeToAnsi(text), field))
                    expected.push_back(song);
            }
            EXPECT_EQ(Rows(list), expected) << text.toStdString() << " in field " << field;
            EXPECT_EQ(list.GetSearchText(), text);
            EXPECT_EQ(list.GetSearchField(), field);
        }
    }
    EXPECT_FALSE(list.ApplySearch(QString(), SONG_SEARCH_FIELD_COUNT, true));
    EXPECT_FALSE(list.ApplySearch(QString(), -1, true));
    // The index was built once for all of these searches.
    EXPECT_EQ(list.GetSearchIndex().GetBuildCount(), 1u);

    // A song added to the library is found by the next search with the same text, which
    // must not keep rows that point at the library as it was.
    AddSong(database, "Newcomer", "Someone", "");
    list.ApplySearch(QStringLiteral("newcomer"), songSearchAll, false);
    ASSERT_EQ(list.GetItemCount(), 1);
    list.ApplySearch(QStringLiteral("newcomer"), songSearchAll, false);
    EXPECT_EQ(list.GetItemCount(), 1);
}

// Type-ahead compares the sort column's text from its start in any letter case, goes on
// from the focused row and wraps to the top.
TEST(SongListCtrl, TypeAheadOnTheSortColumnWraps)
{
    CLibraryDatabase database;
    for (const char* artist : {"Zed", "ABBA", "Beatles", "abacus", "Ab Fab", "Cars", "aBc", "Aa"})
        AddSong(database, std::string("Song by ") + artist, artist);
    SongList songs(database);
    CSongListCtrl& list = songs.list;
    list.SortItems(CSongListCtrl::songColumnArtist, true, false);
    // Aa, Ab Fab, ABBA, abacus, aBc, Beatles, Cars, Zed (by collation, case aside)
    std::vector<std::string> artists;
    for (const CSongRecord* song : Rows(list))
        artists.push_back(song->GetArtist());
    ASSERT_EQ(artists.front(), "Aa");

    list.setFocus();
    list.SelectItem(0, true);
    const auto typeAb = [&] {
        // Each burst starts a new search: wait out the keyboard input interval first.
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(&list, QStringLiteral("ab"));
        return list.GetRecord(list.currentIndex().row())->GetArtist();
    };
    std::vector<std::string> found;
    for (int i = 0; i < 5; ++i)
        found.push_back(typeAb());
    std::vector<std::string> expected;
    for (const std::string& artist : artists) {
        if (QString::fromLatin1(artist.c_str()).startsWith(QStringLiteral("ab"), Qt::CaseInsensitive))
            expected.push_back(artist);
    }
    ASSERT_EQ(expected.size(), 4u);
    expected.push_back(expected.front()); // wrapped to the top
    EXPECT_EQ(found, expected);
    EXPECT_EQ(list.GetSelectedCount(), 1);

    // FindItem itself: from a start beyond the end, and no match.
    EXPECT_EQ(list.FindItem(QStringLiteral("ZE"), 1000), static_cast<int>(artists.size()) - 1);
    EXPECT_EQ(list.FindItem(QStringLiteral("x"), 0), -1);
    // Unsorted lists search the leftmost shown column ("#": the row numbers).
    list.SortItems(-1, true, false);
    EXPECT_EQ(list.FindItem(QStringLiteral("3"), 0), 2);
}

// Clicking the third star of the focused row sets the rating to 3 and marks the library
// modified, without moving the selection; a star of another row is an ordinary click.
TEST(SongListCtrl, RatingClickOnTheFocusedRow)
{
    CLibraryDatabase database;
    for (int i = 0; i < 6; ++i)
        AddSong(database, "Title " + std::to_string(i), "Artist", "Album", 0);
    database.SetModified(false);
    SongList songs(database);
    CSongListCtrl& list = songs.list;
    QSignalSpy ratings(&list, &CRecordListCtrl::RatingChanged);
    QSignalSpy actions(&list, &CRecordListCtrl::DefaultActionRequested);

    list.SelectItem(1);
    list.SelectItem(2, true);
    const CSongRecord* focused = list.GetRecord(2);
    ClickAt(list, CellCentre(list, 2, 2));
    EXPECT_EQ(focused->GetRating(), 3);
    EXPECT_TRUE(database.IsModified());
    EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{1, 2}));
    EXPECT_EQ(ratings.count(), 1);

    // Between the cells and on another row: no rating.
    database.SetModified(false);
    ClickAt(list, CellCentre(list, 2, 0) + QPoint(6, 0));
    EXPECT_EQ(focused->GetRating(), 3);
    ClickAt(list, CellCentre(list, 4, 4));
    EXPECT_EQ(list.GetRecord(4)->GetRating(), 0);
    EXPECT_FALSE(database.IsModified());
    EXPECT_EQ(list.GetSelectedItems(), std::vector<int>{4}); // an ordinary click selects

    // Quick clicks on the stars are rating clicks, never the default action.
    const QPoint fifth = CellCentre(list, 4, 4);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, fifth);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, fifth);
    EXPECT_EQ(list.GetRecord(4)->GetRating(), 5);
    EXPECT_EQ(actions.count(), 0);

    // Sorted by rating, the list sorts again and keeps the rated record focused.
    list.SortItems(CSongListCtrl::songColumnRating, false, false);
    const CSongRecord* rated = list.GetRecord(list.GetItemCount() - 1);
    ASSERT_EQ(rated->GetRating(), 0);
    list.clearSelection();
    list.SelectItem(list.GetItemCount() - 1, true);
    ClickAt(list, CellCentre(list, list.GetItemCount() - 1, 3));
    EXPECT_EQ(rated->GetRating(), 4);
    EXPECT_EQ(FocusedRecord(list), rated);
    EXPECT_TRUE(IsOrderedBy(list, songFieldRating, false));
}

// The rating column: stars for the rating in the text colour, nothing in the other cells;
// "Not rated" in grey for an unselected unrated row; dots in every empty cell of a selected
// row; the same highlight with and without the focus.
TEST(SongListCtrl, RatingMarksAndNotRatedAreDrawn)
{
    CLibraryDatabase database;
    AddSong(database, "Unrated", "A", "", 0);
    AddSong(database, "Three", "A", "", 3);
    AddSong(database, "Unrated and selected", "A", "", 0);
    SongList songs(database);
    CSongListCtrl& list = songs.list;
    list.SelectItem(2);
    const QImage image = ViewportImage(list);
    const QPalette palette = list.palette();
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor shade = QColor::fromRgb(CRecordListCtrl::ALTERNATE_ROW_COLOR);
    const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);

    const auto cell = [&](int row, int index) {
        return CRatingMarks::GetCellRect(list.GetRatingRect(row), index);
    };
    // Row 1 (odd, shaded): three stars, then two empty cells.
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(PixelsNotOf(image, cell(1, i), shade), 20) << "star " << i;
    for (int i = 3; i < 5; ++i)
        EXPECT_EQ(PixelsNotOf(image, cell(1, i), shade), 0) << "empty cell " << i;
    // Row 0: grey text where the stars would be, and no star-dark pixels.
    const QRect text0 = cell(0, 0).united(cell(0, 4));
    EXPECT_GT(PixelsNotOf(image, text0, base), 10);
    const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
    int greyish = 0;
    for (int y = text0.top(); y <= text0.bottom(); ++y) {
        for (int x = text0.left(); x <= text0.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.rgb() != base.rgb() && std::abs(pixel.value() - grey.value()) < 60)
                ++greyish;
        }
    }
    EXPECT_GT(greyish, 5);
    // The star cells of rating 0 and 3 differ.
    EXPECT_NE(image.copy(cell(0, 0)), image.copy(cell(1, 0)));
    // Row 2, selected: a 2 x 2 dot at (4, 4) of each cell and nothing else there.
    for (int i = 0; i < 5; ++i) {
        const QRect c = cell(2, i);
        EXPECT_EQ(PixelsNotOf(image, QRect(c.left() + 4, c.top() + 4, 2, 2), highlight), 4) << "dot " << i;
        EXPECT_EQ(PixelsNotOf(image, c, highlight), 4) << "cell " << i;
    }
    EXPECT_EQ(image.pixelColor(list.GetRatingRect(2).topRight() - QPoint(2, -2)).rgb(), highlight.rgb());

    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        const QRect rating = list.GetRatingRect(0).united(list.GetRatingRect(2)).adjusted(-300, 0, 0, 0);
        EXPECT_TRUE(list.viewport()->grab(rating).save(
            QDir(QString::fromLocal8Bit(folder)).filePath("rating-marks.png")));
    }

    // The selection looks the same when another window has the focus.
    QWidget other;
    other.show();
    other.activateWindow();
    other.setFocus();
    QApplication::processEvents();
    const QImage unfocused = ViewportImage(list);
    EXPECT_EQ(unfocused.copy(list.visualRect(list.model()->index(2, 1))),
              image.copy(list.visualRect(list.model()->index(2, 1))));
}

// The star is one image per pixel ratio, tinted: at 2x it must cover the same cell as at
// 1x (four times the pixels), with clear corners, and take exactly the asked colour.
TEST(SongListCtrl, StarImagesCoverTheirCellAtBothRatios)
{
    const QColor colour(200, 30, 60);
    const auto coverage = [](const QImage& image, int* cornersOpaque) {
        double alpha = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                alpha += image.pixelColor(x, y).alphaF();
        }
        *cornersOpaque = 0;
        for (const QPoint corner : {QPoint(0, 0), QPoint(image.width() - 1, 0), QPoint(0, image.height() - 1),
                                    QPoint(image.width() - 1, image.height() - 1)})
            *cornersOpaque += image.pixelColor(corner).alpha() > 32 ? 1 : 0;
        return alpha;
    };
    const QImage small = CRatingMarks::GetStar(colour, 1.0).toImage();
    const QImage large = CRatingMarks::GetStar(colour, 2.0).toImage();
    ASSERT_EQ(small.size(), QSize(11, 11));
    ASSERT_EQ(large.size(), QSize(22, 22));
    EXPECT_EQ(large.devicePixelRatio(), 2.0);
    EXPECT_EQ(small.devicePixelRatio(), 1.0);
    int smallCorners = 0, largeCorners = 0;
    const double smallAlpha = coverage(small, &smallCorners);
    const double largeAlpha = coverage(large, &largeCorners);
    EXPECT_GT(smallAlpha, 121 * 0.25);
    EXPECT_NEAR(largeAlpha / smallAlpha, 4.0, 1.0);
    EXPECT_EQ(smallCorners, 0);
    EXPECT_EQ(largeCorners, 0);
    const QColor centre = large.pixelColor(11, 12);
    EXPECT_EQ(centre.alpha(), 255);
    EXPECT_EQ(centre.rgb(), colour.rgb());
}

// A title of 70,000 characters is handed to the view cut to the display buffer and to the
// cell to a prefix it can show, ending in an ellipsis; the rest of the row stays as it is.
TEST(SongListCtrl, VeryLongTitleIsCut)
{
    struct CProbe : CListItemDelegate {
        static QString CellText(const CListItemDelegate* delegate, const QModelIndex& index,
                                const QRect& rect)
        {
            QStyleOptionViewItem option;
            option.rect = rect;
            (delegate->*(&CProbe::initStyleOption))(&option, index);
            return option.text;
        }
    };
    CLibraryDatabase database;
    std::string title(70000, 'x');
    title.replace(0, 5, "Caf\xe9 ");
    AddSong(database, title, "Artist");
    SongList songs(database);
    CSongListCtrl& list = songs.list;

    const QModelIndex cell = list.model()->index(0, list.GetInsertedColumn(CSongListCtrl::songColumnTitle));
    const QString display = cell.data().toString();
    EXPECT_EQ(display.size(), CRecordListCtrl::MAX_DISPLAY_TEXT);
    EXPECT_TRUE(display.startsWith(QStringLiteral("Caf\u00e9 x")));

    const auto* delegate = qobject_cast<const CListItemDelegate*>(list.itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QRect rect = list.visualRect(cell);
    const QString shown = CProbe::CellText(delegate, cell, rect);
    EXPECT_LE(shown.size(), std::max(rect.width(), int(CListItemDelegate::MIN_TEXT_PREFIX)) + 1);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Caf\u00e9")));
    // A surrogate pair is never split by the cut.
    const QString pairs = QString(200, QChar(0x263A)).replace(63, 2, QStringLiteral("\U0001F3B8"));
    const QString cut = CListItemDelegate::BoundedText(pairs, 10);
    EXPECT_FALSE(cut.at(cut.size() - 2).isHighSurrogate());
    // Short texts pass untouched.
    EXPECT_EQ(CListItemDelegate::BoundedText(QStringLiteral("Short"), 10), QStringLiteral("Short"));

    // The row paints, and the artist beside the long title is still shown.
    const QImage image = ViewportImage(list);
    const QRect artist =
        list.visualRect(list.model()->index(0, list.GetInsertedColumn(CSongListCtrl::songColumnArtist)));
    EXPECT_GT(PixelsNotOf(image, artist, list.palette().color(QPalette::Base)), 10);
}

// Enter and a double click on a row ask for the default action; Tab goes to the focus ring
// when the frame listens, and the context menu is reported with its position.
TEST(SongListCtrl, KeysAndClicksForTheFramesCommands)
{
    CLibraryDatabase database;
    GenerateSongs(database, 5);
    SongList songs(database);
    CSongListCtrl& list = songs.list;
    QSignalSpy actions(&list, &CRecordListCtrl::DefaultActionRequested);
    QSignalSpy focusRing(&list, &CRecordListCtrl::MoveFocusRequested);
    QSignalSpy selection(&list, &CRecordListCtrl::SelectionChanged);

    list.setFocus();
    list.SelectItem(3, true);
    EXPECT_GT(selection.count(), 0);
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::keyClick(&list, Qt::Key_Enter);
    EXPECT_EQ(actions.count(), 2);
    const QPoint title = list.visualRect(list.model()->index(3, 1)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, title);
    EXPECT_EQ(actions.count(), 3);
    // Below the last row: no row, no action.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 3));
    EXPECT_EQ(actions.count(), 3);

    QTest::keyClick(&list, Qt::Key_Tab);
    QTest::keyClick(&list, Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(focusRing.count(), 2);
    EXPECT_TRUE(focusRing.at(0).at(0).toBool());
    EXPECT_FALSE(focusRing.at(1).at(0).toBool());

    // The list's own clearing during a rebuild is not reported; the restored selection is.
    selection.clear();
    list.SortItems(CSongListCtrl::songColumnTitle, true, false);
    EXPECT_GE(selection.count(), 1);
    list.hide();
    selection.clear();
    list.SortItems(CSongListCtrl::songColumnTitle, false, false);
    EXPECT_EQ(selection.count(), 0);
}

// The last column other than "#" can never be hidden; hiding the sort column sorts
// ascending by the leftmost column left other than "#".
TEST(SongListCtrl, ColumnRulesAndSortColumnReplacement)
{
    CLibraryDatabase database;
    GenerateSongs(database, 50);
    SongList songs(database);
    CSongListCtrl& list = songs.list;

    list.SortItems(CSongListCtrl::songColumnYear, false, false);
    // Put Album leftmost after "#", then hide the sort column.
    list.GetHeaderCtrl()->moveSection(
        list.GetHeaderCtrl()->visualIndex(list.GetInsertedColumn(CSongListCtrl::songColumnAlbum)), 1);
    ASSERT_TRUE(list.ShowQVColumn(CSongListCtrl::songColumnYear, false));
    EXPECT_EQ(list.GetSortColumn(), CSongListCtrl::songColumnAlbum);
    EXPECT_TRUE(list.IsSortAscending());
    EXPECT_TRUE(IsOrderedBy(list, songFieldAlbum, true));

    for (int column = CSongListCtrl::songColumnTitle; column < CSongListCtrl::SONG_COLUMN_COUNT; ++column) {
        if (column != CSongListCtrl::songColumnTitle)
            list.ShowQVColumn(column, false);
    }
    ASSERT_EQ(list.GetInsertedColumnCount(), 2);
    EXPECT_FALSE(list.CanQVColumnBeHidden(CSongListCtrl::songColumnTitle));
    EXPECT_TRUE(list.CanQVColumnBeHidden(CSongListCtrl::songColumnNumber));
    list.ShowQVColumn(CSongListCtrl::songColumnNumber, false);
    list.ShowQVColumn(CSongListCtrl::songColumnArtist, true);
    EXPECT_TRUE(list.CanQVColumnBeHidden(CSongListCtrl::songColumnTitle));
    list.ShowQVColumn(CSongListCtrl::songColumnArtist, false);
    EXPECT_FALSE(list.CanQVColumnBeHidden(CSongListCtrl::songColumnTitle));

    // Widths from the table, also for a hidden column.
    list.LoadDefaultColumnWidths();
    EXPECT_EQ(list.GetQVColumnWidth(CSongListCtrl::songColumnTitle), 220);
    EXPECT_EQ(list.GetQVColumnWidth(CSongListCtrl::songColumnAlbum), 145);
    EXPECT_EQ(list.GetDefaultColumnWidth(99), DEFAULT_COLUMN_WIDTH);
}

// The list panes insert their columns once and keep the column state across a restart.
TEST(SongListCtrl, ListViewsKeepTheirColumnState)
{
    CBrowsingSettings settings;
    CLibraryDatabase database;
    GenerateSongs(database, 10);
    GenerateLessons(database, 10);
    {
        CSongListView view(nullptr, &database);
        view.show();
        view.OnInitialUpdate();
        CSongListCtrl* list = view.GetSongListCtrl();
        EXPECT_EQ(list->GetInsertedColumnCount(), CSongListCtrl::SONG_COLUMN_COUNT);
        EXPECT_EQ(list->objectName(), QStringLiteral("23014"));
        list->ShowQVColumn(CSongListCtrl::songColumnChecksum, false);
        list->SortItems(CSongListCtrl::songColumnArtist, false, false);
        CLessonListView lessons(nullptr, &database);
        lessons.show();
        EXPECT_EQ(lessons.GetLessonListCtrl()->GetInsertedColumnCount(),
                  CLessonListCtrl::LESSON_COLUMN_COUNT);
        lessons.GetLessonListCtrl()->SetQVColumnWidth(CLessonListCtrl::lessonColumnTitle, 333);
    }
    // The frame fills the list before the pane is first shown: the saved sort still applies.
    CSongListView view(nullptr, &database);
    CSongListCtrl* list = view.GetSongListCtrl();
    list->ApplySearch(QString(), songSearchAll, true);
    view.show();
    EXPECT_EQ(list->GetInsertedColumnCount(), CSongListCtrl::SONG_COLUMN_COUNT - 1);
    EXPECT_FALSE(list->IsQVColumnVisible(CSongListCtrl::songColumnChecksum));
    EXPECT_EQ(list->GetSortColumn(), CSongListCtrl::songColumnArtist);
    EXPECT_FALSE(list->IsSortAscending());
    EXPECT_TRUE(IsOrderedBy(*list, songFieldArtist, false));
    CLessonListView lessons(nullptr, &database);
    lessons.show();
    EXPECT_EQ(lessons.GetLessonListCtrl()->GetQVColumnWidth(CLessonListCtrl::lessonColumnTitle), 333);
}

// The lesson list: its own columns, its search fields and its numeric summary filter.
TEST(LessonListCtrl, ColumnsSearchAndFilter)
{
    CLibraryDatabase database;
    AddLesson(database, "Bends", 3, 0, "Ann", 2);
    AddLesson(database, "Sweeps", 5, 2, "Bob", 0);
    AddLesson(database, "Bending more", 3, 1, "Cal", 5);
    AddLesson(database, "Broken", 99, 7, "Dee", 1); // a damaged style and level
    CLessonListCtrl list(nullptr, &database);
    list.InsertDefaultColumns();
    list.resize(1700, 300);
    list.show();
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
    list.ApplySearch(QString(), lessonSearchAll, true);
    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(list.GetRecordText(3, CLessonListCtrl::lessonColumnStyle), LoadCordaString(IDS_UNKNOWN));
    EXPECT_EQ(list.GetRecordText(1, CLessonListCtrl::lessonColumnLevel), GetLessonLevelName(2));
    EXPECT_EQ(list.GetRecordText(2, CLessonListCtrl::lessonColumnNumber), QStringLiteral("3"));

    list.ApplySearch(QStringLiteral("bend"), lessonSearchTitle, false);
    EXPECT_EQ(list.GetItemCount(), 2);
    list.ApplySearch(QStringLiteral("bob"), lessonSearchAuthor, false);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_FALSE(list.ApplySearch(QString(), LESSON_SEARCH_FIELD_COUNT, false));

    list.ApplySearch(QString(), lessonSearchAll, false);
    EXPECT_TRUE(list.ApplySummaryFilter(3, LESSON_LEVEL_ALL, false));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_TRUE(list.ApplySummaryFilter(3, 1, false));
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetRecord(0)->GetTitle(), "Bending more");
    EXPECT_FALSE(list.ApplySummaryFilter(19, LESSON_LEVEL_ALL, false));
    EXPECT_FALSE(list.ApplySummaryFilter(3, 3, false));

    list.ApplySummaryFilter(LESSON_STYLE_ALL, LESSON_LEVEL_ALL, false);
    list.SortItems(CLessonListCtrl::lessonColumnRating, false, false);
    EXPECT_EQ(list.GetRecord(0)->GetTitle(), "Bending more");
    list.SelectItem(0, true);
    const QRect star = CRatingMarks::GetCellRect(list.GetRatingRect(0), 0);
    const CLessonRecord* rated = list.GetRecord(0);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, star.center());
    EXPECT_EQ(rated->GetRating(), 1);
    // Sorted by rating, it moved down below "Bends" (2), still focused.
    EXPECT_EQ(list.GetRecord(list.currentIndex().row()), rated);
    EXPECT_EQ(list.GetRecord(0)->GetTitle(), "Bends");
    EXPECT_TRUE(database.IsModified());
}

// L100k: a keystroke's search over 100,000 songs works through the index and reuses it;
// the figures are generous bounds for a machine of two cores, not a benchmark.
TEST(SongListCtrl, HundredThousandSongsSearchAndSort)
{
    CLibraryDatabase database;
    GenerateSongs(database, 100000);
    SongList songs(database, QSize(1200, 600));
    CSongListCtrl& list = songs.list;
    ASSERT_EQ(list.GetItemCount(), 100000);
    list.SortItems(CSongListCtrl::songColumnTitle, true, false);
    list.SelectItem(500, true);

    QElapsedTimer timer;
    timer.start();
    const QString typed = QStringLiteral("caf\u00e9 b");
    for (int length = 1; length <= typed.size(); ++length)
        list.ApplySearch(typed.left(length), songSearchAll, false);
    const qint64 perKeystroke = timer.elapsed() / typed.size();
    EXPECT_GT(list.GetItemCount(), 0);
    EXPECT_TRUE(IsOrderedBy(list, songFieldTitle, true));
    EXPECT_EQ(list.GetSearchIndex().GetBuildCount(), 1u);
    EXPECT_LT(perKeystroke, 2000);
    list.ApplySearch(QString(), songSearchAll, false);
    EXPECT_EQ(list.GetItemCount(), 100000);
    EXPECT_EQ(list.GetSelectedCount(), 1);
    RecordProperty("msPerKeystroke", static_cast<int>(perKeystroke));
}
