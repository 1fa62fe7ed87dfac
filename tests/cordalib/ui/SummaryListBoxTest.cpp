// The summary boxes over the song and lesson lists: their rows and counts after a
// rebuild, the way a choice in the first box keeps or drops the second box's choice, the
// fall-back to "All" when a search removes a choice, keys and SelectKey, type-ahead that
// never lands on "All", and a picture of the browsing panes.
#include "BrowsingLibrary.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/RecordSearch.h"
#include "cordalib/library/LessonTypes.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/LessonSummaryListBox.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SongSummaryListBox.h"
#include "cordalib/ui/ViewTreeView.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStyleHints>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace corda::test;

namespace {

// The song list with its two boxes, shown side by side like the song header pane does.
struct SongBrowser {
    explicit SongBrowser(CLibraryDatabase& database) : list(nullptr, &database)
    {
        auto* layout = new QVBoxLayout(&window);
        auto* boxes = new QHBoxLayout;
        artists = new CArtistSummaryListBox;
        albums = new CAlbumSummaryListBox;
        boxes->addWidget(artists);
        boxes->addWidget(albums);
        layout->addLayout(boxes);
        layout->addWidget(&list);
        list.InsertDefaultColumns();
        list.SetSummaryBoxes(artists, albums);
        window.resize(900, 700);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(list.ApplySearch(QString(), songSearchAll, true));
    }
    ~SongBrowser() { list.setParent(nullptr); }

    std::set<std::string> ListedArtists() const
    {
        std::set<std::string> names;
        for (int row = 0; row < list.GetItemCount(); ++row)
            names.insert(list.GetRecord(row)->GetArtist());
        return names;
    }
    std::set<std::string> ListedAlbums() const
    {
        std::set<std::string> names;
        for (int row = 0; row < list.GetItemCount(); ++row)
            names.insert(list.GetRecord(row)->GetAlbum());
        return names;
    }
    // A left click on a box's row, as the user makes it.
    static void Click(CVirtualListBox* box, int row)
    {
        const QPoint point = box->visualRect(box->model()->index(row, 0)).center();
        const int apart = QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50;
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, point, apart);
    }
    static QStringList Texts(const CVirtualListBox* box)
    {
        QStringList texts;
        for (int row = 0; row < box->GetItemCount(); ++row)
            texts << box->model()->index(row, 0).data().toString();
        return texts;
    }

    QWidget window;
    CArtistSummaryListBox* artists;
    CAlbumSummaryListBox* albums;
    CSongListCtrl list;
};

void AddMusic(CLibraryDatabase& database)
{
    AddSong(database, "Waterloo", "ABBA", "Waterloo");
    AddSong(database, "Honey", "ABBA", "Waterloo");
    AddSong(database, "Fernando", "ABBA", "Greatest Hits");
    AddSong(database, "Lowercase", "abba", "Greatest Hits");
    AddSong(database, "Help", "Beatles", "Help!");
    AddSong(database, "Yesterday", "Beatles", "Greatest Hits");
    AddSong(database, "Untitled", "Nobody", "");
    AddSong(database, "Unknown", "Nobody", "");
    AddSong(database, "Caf\xe9 song", "Caf\xe9 Trio", "Caf\xe9 Live");
}

} // namespace

// Rows are "All ... (distinct values)" and then each value with its count, ordered by
// text: values differing only in case are two rows, side by side; an empty album is a row
// with an empty name.
TEST(SummaryListBox, RowsCountTheBaseSetExactly)
{
    CLibraryDatabase database;
    AddMusic(database);
    SongBrowser browser(database);
    QAbstractItemModelTester tester(browser.artists->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);

    QStringList texts = SongBrowser::Texts(browser.artists);
    ASSERT_EQ(texts.size(), 6);
    // Equal under the collation: side by side, in either order.
    EXPECT_EQ((std::set<QString>{texts[1], texts[2]}),
              (std::set<QString>{QStringLiteral("ABBA (3)"), QStringLiteral("abba (1)")}));
    texts.remove(1, 2);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("All artists (5)"), QStringLiteral("Beatles (2)"),
                                  QStringLiteral("Caf\u00e9 Trio (1)"), QStringLiteral("Nobody (2)")}));
    EXPECT_EQ(browser.artists->GetKey(), SUMMARY_KEY_ALL);
    EXPECT_EQ(browser.albums->GetKey(), SUMMARY_KEY_ALL);
    EXPECT_EQ(browser.albums->GetItemCount(), 6); // All, "", Café Live, Greatest Hits, Help!, Waterloo

    // An artist whose songs have no album: one album row with an empty name.
    SongBrowser::Click(browser.artists, 5);
    EXPECT_EQ(browser.artists->GetKey(), "Nobody");
    EXPECT_EQ(SongBrowser::Texts(browser.albums),
              (QStringList{QStringLiteral("All albums (1)"), QStringLiteral(" (2)")}));
    EXPECT_EQ(browser.list.GetItemCount(), 2);

    // A search that matches nothing: only the first rows, counting 0, and an empty list.
    browser.list.ApplySearch(QStringLiteral("no such text"), songSearchAll, false);
    EXPECT_EQ(SongBrowser::Texts(browser.artists), QStringList{QStringLiteral("All artists (0)")});
    EXPECT_EQ(SongBrowser::Texts(browser.albums), QStringList{QStringLiteral("All albums (0)")});
    EXPECT_EQ(browser.list.GetItemCount(), 0);
    EXPECT_EQ(browser.artists->GetKey(), SUMMARY_KEY_ALL);
}

// A new artist keeps the chosen album when that artist has songs on it, else the album
// box falls back to "All albums"; the list always shows what the two boxes say.
TEST(SummaryListBox, ArtistChangeKeepsTheAlbumWhenTheArtistHasIt)
{
    CLibraryDatabase database;
    AddMusic(database);
    SongBrowser browser(database);

    ASSERT_GE(browser.artists->SelectKey("ABBA", true), 1);
    ASSERT_GE(browser.albums->SelectKey("Greatest Hits", true), 1);
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"ABBA"});
    EXPECT_EQ(browser.ListedAlbums(), std::set<std::string>{"Greatest Hits"});
    EXPECT_EQ(browser.list.GetItemCount(), 1);

    // Beatles have a "Greatest Hits" too.
    SongBrowser::Click(browser.artists, browser.artists->FindValueRow("Beatles"));
    EXPECT_EQ(browser.albums->GetKey(), "Greatest Hits");
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"Beatles"});
    EXPECT_EQ(browser.ListedAlbums(), std::set<std::string>{"Greatest Hits"});
    EXPECT_EQ(SongBrowser::Texts(browser.albums),
              (QStringList{QStringLiteral("All albums (2)"), QStringLiteral("Greatest Hits (1)"),
                           QStringLiteral("Help! (1)")}));

    // The Café Trio has not.
    SongBrowser::Click(browser.artists, browser.artists->FindValueRow("Caf\xe9 Trio"));
    EXPECT_EQ(browser.albums->GetKey(), SUMMARY_KEY_ALL);
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"Caf\xe9 Trio"});
    EXPECT_EQ(browser.list.GetItemCount(), 1);

    // "All albums" again through the caption's call shows all albums of the artist.
    SongBrowser::Click(browser.artists, browser.artists->FindValueRow("ABBA"));
    browser.albums->SelectKey("Waterloo", true);
    EXPECT_EQ(browser.list.GetItemCount(), 2);
    EXPECT_EQ(browser.albums->SelectKey(SUMMARY_KEY_ALL, true), 0);
    EXPECT_EQ(browser.list.GetItemCount(), 3);
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"ABBA"});

    // A key that no row holds changes nothing; keys compare case-sensitively.
    EXPECT_EQ(browser.artists->SelectKey("ABBa", true), -1);
    EXPECT_EQ(browser.artists->GetKey(), "ABBA");
    EXPECT_EQ(browser.artists->SelectKey("abba", true), browser.artists->FindValueRow("abba"));
    EXPECT_EQ(browser.list.GetItemCount(), 1);
}

// A search that removes the chosen artist makes both boxes fall back to "All"; the list
// then shows the whole search result. Choosing that artist again later narrows the list
// again (the filter keys are never left behind by the search).
TEST(SummaryListBox, SearchRemovingTheChosenArtistFallsBackToAll)
{
    CLibraryDatabase database;
    AddMusic(database);
    SongBrowser browser(database);

    browser.artists->SelectKey("ABBA", true);
    browser.albums->SelectKey("Waterloo", true);
    ASSERT_EQ(browser.list.GetItemCount(), 2);

    // Honey is still there, Waterloo itself is not: both choices stay.
    browser.list.ApplySearch(QStringLiteral("n"), songSearchTitle, false);
    EXPECT_EQ(browser.artists->GetKey(), "ABBA");
    EXPECT_EQ(browser.albums->GetKey(), "Waterloo");
    ASSERT_EQ(browser.list.GetItemCount(), 1);
    EXPECT_EQ(browser.list.GetRecord(0)->GetTitle(), "Honey");

    // Only the artist chosen now: the list's filter is (ABBA, any album).
    browser.albums->SelectKey(SUMMARY_KEY_ALL, true);
    ASSERT_EQ(browser.list.GetItemCount(), 2); // Fernando, Honey
    browser.list.ApplySearch(QStringLiteral("Help"), songSearchTitle, false);
    EXPECT_EQ(browser.artists->GetKey(), SUMMARY_KEY_ALL);
    EXPECT_EQ(browser.albums->GetKey(), SUMMARY_KEY_ALL);
    EXPECT_EQ(browser.artists->GetSelectedRow(), 0);
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"Beatles"});

    browser.list.ApplySearch(QString(), songSearchAll, false);
    EXPECT_EQ(browser.list.GetItemCount(), 9);
    SongBrowser::Click(browser.artists, browser.artists->FindValueRow("ABBA"));
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"ABBA"});
    EXPECT_EQ(browser.list.GetItemCount(), 3);
}

// An album that the artist has in the library but not among the search's songs cannot be
// kept: the album box shows "All albums" and the list must show the artist's songs, not
// the whole search result.
TEST(SummaryListBox, KeptAlbumMissingFromTheSearchNarrowsByArtist)
{
    CLibraryDatabase database;
    AddMusic(database);
    AddSong(database, "Lost", "Beatles", "Waterloo");
    SongBrowser browser(database);

    browser.list.ApplySearch(QStringLiteral("e"), songSearchTitle, false); // not "Lost"
    browser.artists->SelectKey("ABBA", true);
    browser.albums->SelectKey("Waterloo", true);
    ASSERT_EQ(browser.list.GetItemCount(), 2);
    SongBrowser::Click(browser.artists, browser.artists->FindValueRow("Beatles"));
    EXPECT_EQ(browser.albums->GetKey(), SUMMARY_KEY_ALL);
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"Beatles"});
    EXPECT_EQ(browser.list.GetItemCount(), 2);
}

// Type-ahead in a box compares the values, wraps from the last row to row 1 and never
// lands on the "All" row, even when its text would match.
TEST(SummaryListBox, TypeAheadNeverLandsOnAll)
{
    CLibraryDatabase database;
    for (const char* artist : {"Alice", "Allman", "Bob", "alan"})
        AddSong(database, std::string("Song of ") + artist, artist);
    SongBrowser browser(database);
    CArtistSummaryListBox* box = browser.artists;
    // All artists, alan, Alice, Allman, Bob
    box->setFocus();
    const auto type = [&](const QString& text) {
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(box, text);
        return box->GetKey();
    };
    EXPECT_EQ(type(QStringLiteral("al")), "alan");
    EXPECT_EQ(type(QStringLiteral("al")), "Alice");
    EXPECT_EQ(type(QStringLiteral("all")), "Allman");
    EXPECT_EQ(type(QStringLiteral("all")), "Allman"); // "All artists" is never a match
    EXPECT_EQ(type(QStringLiteral("b")), "Bob");
    EXPECT_EQ(type(QStringLiteral("a")), "alan"); // wrapped past the end to row 1
    EXPECT_EQ(box->FindItem(QStringLiteral("All artists"), 0), -1);
    EXPECT_EQ(box->FindItem(QStringLiteral("BO"), 0), 4);
    // The list follows the box.
    EXPECT_EQ(browser.ListedArtists(), std::set<std::string>{"alan"});
}

// The lesson boxes: a style change keeps the level when the style has it; levels order
// by number, styles by name; values out of range are never selected.
TEST(SummaryListBox, LessonStylesAndLevels)
{
    CLibraryDatabase database;
    AddLesson(database, "One", 3, 0);
    AddLesson(database, "Two", 3, 2);
    AddLesson(database, "Three", 5, 2);
    AddLesson(database, "Four", 5, 1);
    AddLesson(database, "Five", 7, 0);
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* styles = new CLessonStyleSummaryListBox;
    auto* levels = new CLessonLevelSummaryListBox;
    CLessonListCtrl list(nullptr, &database);
    layout->addWidget(styles);
    layout->addWidget(levels);
    layout->addWidget(&list);
    list.InsertDefaultColumns();
    list.SetSummaryBoxes(styles, levels);
    window.show();
    EXPECT_EQ(styles->GetKey(), CLessonSummaryListBox::NO_STYLE);
    ASSERT_TRUE(list.ApplySearch(QString(), lessonSearchAll, true));
    EXPECT_EQ(styles->objectName(), QStringLiteral("75"));
    EXPECT_EQ(levels->objectName(), QStringLiteral("76"));

    EXPECT_EQ(SongBrowser::Texts(levels),
              (QStringList{QStringLiteral("All levels (3)"), GetLessonLevelName(0) + QStringLiteral(" (2)"),
                           GetLessonLevelName(1) + QStringLiteral(" (1)"),
                           GetLessonLevelName(2) + QStringLiteral(" (2)")}));
    QStringList styleNames;
    for (int row = 1; row < styles->GetItemCount(); ++row)
        styleNames << GetLessonStyleName(styles->GetValue(static_cast<size_t>(row - 1)));
    QStringList sorted = styleNames;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(styleNames, sorted);

    styles->SelectKey(3, true);
    levels->SelectKey(2, true);
    ASSERT_EQ(list.GetItemCount(), 1);
    styles->SelectKey(5, true); // style 5 has level 2: kept
    EXPECT_EQ(levels->GetKey(), 2u);
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetRecord(0)->GetTitle(), "Three");
    styles->SelectKey(7, true); // style 7 has not
    EXPECT_EQ(levels->GetKey(), LESSON_LEVEL_ALL);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetRecord(0)->GetTitle(), "Five");

    EXPECT_EQ(styles->SelectKey(19, true), -1);
    EXPECT_EQ(levels->SelectKey(3, true), -1);
    EXPECT_EQ(styles->SelectKey(LESSON_STYLE_ALL, true), 0);
    EXPECT_EQ(list.GetItemCount(), 5);

    // A search removing the chosen style: both boxes back to "All".
    styles->SelectKey(5, true);
    levels->SelectKey(1, true);
    ASSERT_EQ(list.GetItemCount(), 1);
    list.ApplySearch(QStringLiteral("o"), lessonSearchTitle, false); // One, Two, Four
    EXPECT_EQ(styles->GetKey(), 5u);
    list.ApplySearch(QStringLiteral("tw"), lessonSearchTitle, false);
    EXPECT_EQ(styles->GetKey(), LESSON_STYLE_ALL);
    EXPECT_EQ(levels->GetKey(), LESSON_LEVEL_ALL);
    EXPECT_EQ(list.GetItemCount(), 1);
    list.setParent(nullptr);
}

// The browsing panes on a library with accented names, as the main window shows them
// (CORDA_TEST_SCREENSHOTS names a folder for the pictures): the texts come out as the
// user's characters and every pane draws its rows.
TEST(SummaryListBox, BrowsingPanesPicture)
{
    CLibraryDatabase database;
    GenerateSongs(database, 400);
    GenerateLessons(database, 120);
    const auto save = [](QWidget& widget, const QString& name) {
        const QImage shot = widget.grab().toImage();
        EXPECT_FALSE(shot.isNull());
        const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
        if (!folder.isEmpty()) {
            EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
        }
    };

    QWidget window;
    auto* columns = new QHBoxLayout(&window);
    columns->setContentsMargins(0, 0, 0, 0);
    auto* tree = new CViewTreeView;
    tree->setFixedWidth(200);
    columns->addWidget(tree);
    auto* right = new QVBoxLayout;
    auto* boxes = new QHBoxLayout;
    auto* artists = new CArtistSummaryListBox;
    auto* albums = new CAlbumSummaryListBox;
    boxes->addWidget(artists);
    boxes->addWidget(albums);
    auto* boxPane = new QWidget;
    boxPane->setLayout(boxes);
    boxPane->setFixedHeight(175);
    right->addWidget(boxPane);
    auto* songs = new CSongListCtrl(nullptr, &database);
    right->addWidget(songs);
    columns->addLayout(right);
    songs->InsertDefaultColumns();
    songs->SetSummaryBoxes(artists, albums);
    window.resize(1280, 720);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    tree->SelectView(CViewTreeView::VIEW_SONGS);
    songs->ApplySearch(QString(), songSearchAll, true);
    songs->SortItems(CSongListCtrl::songColumnArtist, true, false);
    artists->SelectKey(artists->GetValue(2), true);
    songs->SelectItem(1, true);
    QApplication::processEvents();
    EXPECT_TRUE(SongBrowser::Texts(artists).join(QLatin1Char('\n')).contains(QChar(0x00E9)) ||
                SongBrowser::Texts(artists).join(QLatin1Char('\n')).contains(QChar(0x0160)));
    EXPECT_EQ(albums->GetColumnWidth(0), albums->viewport()->width());
    save(window, QStringLiteral("browsing-songs.png"));

    auto* lessonList = new CLessonListCtrl(nullptr, &database);
    CLessonListCtrl& lessons = *lessonList;
    auto* styles = new CLessonStyleSummaryListBox;
    auto* levels = new CLessonLevelSummaryListBox;
    QWidget lessonWindow;
    auto* lessonLayout = new QVBoxLayout(&lessonWindow);
    auto* lessonBoxes = new QHBoxLayout;
    lessonBoxes->addWidget(styles);
    lessonBoxes->addWidget(levels);
    lessonLayout->addLayout(lessonBoxes);
    lessonLayout->addWidget(lessonList);
    lessons.InsertDefaultColumns();
    lessons.SetSummaryBoxes(styles, levels);
    lessonWindow.resize(1280, 600);
    lessonWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lessonWindow));
    lessons.ApplySearch(QString(), lessonSearchAll, true);
    lessons.SortItems(CLessonListCtrl::lessonColumnStyle, true, false);
    levels->SelectKey(1, true);
    lessons.SelectItem(2, true);
    QApplication::processEvents();
    EXPECT_GT(lessons.GetItemCount(), 0);
    save(lessonWindow, QStringLiteral("browsing-lessons.png"));
}

namespace {

// What a box must show: each value of the songs with its count.
template <typename Box> std::multiset<std::pair<std::string, uint64_t>> BoxCounts(const Box& box)
{
    std::multiset<std::pair<std::string, uint64_t>> counts;
    for (size_t i = 0; i < box.GetValueCount(); ++i)
        counts.emplace(box.GetValue(i), box.GetValueRecordCount(i));
    return counts;
}

std::multiset<std::pair<std::string, uint64_t>> CountedBy(const std::vector<CSongRecord*>& songs,
                                                          const std::string& (CSongRecord::*value)() const,
                                                          const std::string& artist = SUMMARY_KEY_ALL)
{
    std::map<std::string, uint64_t> counts;
    for (const CSongRecord* song : songs) {
        if (artist == SUMMARY_KEY_ALL || song->GetArtist() == artist)
            ++counts[(song->*value)()];
    }
    return {counts.begin(), counts.end()};
}

} // namespace

// A search of many matches with both boxes on "All" counts the boxes on a second thread
// while the rows are sorted, and shows those counts afterwards. Counts of the search before,
// counts of songs in the sorted order, or counts left from a search with a chosen artist
// would each differ from counting the matches here.
TEST(SummaryListBox, ManyMatchesCountTheSameBesideTheSort)
{
    CLibraryDatabase database;
    GenerateSongs(database, 12000);
    SongBrowser browser(database);
    browser.list.SortItemsByColumn(CSongListCtrl::songColumnArtist, false);

    const auto expectCounts = [&](const char* step, const std::string& artist = SUMMARY_KEY_ALL) {
        const std::vector<CSongRecord*>& base = browser.list.GetBaseSet();
        EXPECT_EQ(BoxCounts(*browser.artists), CountedBy(base, &CSongRecord::GetArtist)) << step;
        EXPECT_EQ(BoxCounts(*browser.albums), CountedBy(base, &CSongRecord::GetAlbum, artist)) << step;
        EXPECT_EQ(browser.artists->GetKey(), artist) << step;
        EXPECT_EQ(browser.artists->GetItemCount(), static_cast<int>(browser.artists->GetValueCount()) + 1)
            << step;
        const auto listed = std::count_if(base.begin(), base.end(), [&](const CSongRecord* song) {
            return artist == SUMMARY_KEY_ALL || song->GetArtist() == artist;
        });
        EXPECT_EQ(browser.list.GetItemCount(), listed) << step;
    };
    expectCounts("all songs");
    for (const char* text : {"a", "ab", "e", "Blues", "r"}) {
        browser.list.ApplySearch(QString::fromLatin1(text), songSearchAll, false);
        ASSERT_GT(browser.list.GetBaseSet().size(), 0u);
        expectCounts(text);
    }
    EXPECT_GT(browser.list.GetBaseSet().size(), 4096u);

    // With an artist chosen the boxes count first, as the rows depend on them.
    const std::string artist = browser.artists->GetValue(0);
    browser.artists->SelectKey(artist, true);
    browser.list.ApplySearch(QStringLiteral("e"), songSearchAll, false);
    expectCounts("e, artist chosen", artist);
    browser.artists->SelectKey(SUMMARY_KEY_ALL, true);
    browser.list.ApplySearch(QStringLiteral("a"), songSearchAll, false);
    expectCounts("a again");
    browser.list.ApplySearch(QStringLiteral("river"), songSearchTitle, false);
    expectCounts("river");
}
