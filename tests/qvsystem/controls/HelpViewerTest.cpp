// The help viewer: the display functions and their tabs, anchors, refusals, the search, the
// index filter, links and resources confined to the help folder, use from a modal dialog, and
// a walk over the shipped pages that finds no dead link.
#include "MessageBoxDriver.h"
#include "TestSupport.h"

#include "qvsystem/controls/HelpCollection.h"
#include "qvsystem/controls/HelpViewer.h"
#include "qvsystem/controls/HtmlHelp.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <thread>

using corda::test::AllowQtWarning;
using corda::test::CMessageBoxDriver;
using corda::test::WriteAll;

namespace {

const QString HELP_FILE = QStringLiteral("cordalib.chm");
const QString TEST_HELP_FILE = QStringLiteral("testhelp.chm");

QString SourceHelpFolder()
{
    return QStringLiteral(CORDA_SOURCE_DIR "/data/help");
}

// For looking at the viewer: CORDA_TEST_SCREENSHOTS names a folder (outside the source tree).
void SaveScreenshot(QWidget& window, const QString& name)
{
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(window.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

template <typename T> T* Control(QWidget* viewer, int id)
{
    return viewer->findChild<T*>(QString::number(id));
}

QString Page(const QString& title, const QString& body)
{
    return QStringLiteral("<html><head><title>%1</title><link rel=\"stylesheet\" href=\"help.css\"></head>"
                          "<body><h1>%1</h1>%2</body></html>")
        .arg(title, body);
}

// A help folder of the test's own; the pages are given as name -> HTML.
void WriteHelpFolder(const QString& folder, const QMap<QString, QString>& pages, const QString& contents,
                     const QString& index)
{
    QDir().mkpath(folder);
    for (auto it = pages.cbegin(); it != pages.cend(); ++it)
        WriteAll(QDir(folder).filePath(it.key()), it.value().toUtf8());
    WriteAll(QDir(folder).filePath(QStringLiteral("help.css")), "h1 { color: #006699; }");
    WriteAll(QDir(folder).filePath(CHelpCollection::CONTENTS_FILE), contents.toUtf8());
    if (!index.isNull())
        WriteAll(QDir(folder).filePath(CHelpCollection::INDEX_FILE), index.toUtf8());
}

class HelpViewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        // The offscreen platform cannot raise or activate a window; it says so.
        AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
        AllowQtWarning(QStringLiteral("^This plugin does not support requestActivate\\(\\)"));
        AfxSetHtmlHelpFolder(HELP_FILE, QString());
        AfxHtmlHelpSetLastError(QString());
    }
    void TearDown() override
    {
        CHelpViewer::DestroyViewer();
        AfxSetHtmlHelpFolder(HELP_FILE, QString());
        AfxSetHtmlHelpFolder(TEST_HELP_FILE, QString());
        AfxSetHtmlHelpTopicHandler(nullptr);
        AfxSetMessageBoxConsoleHandler(nullptr);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    // Runs the call while answering the error box it should show; the box's text.
    static QString ErrorBoxOf(const std::function<int()>& call, int* result)
    {
        QString text;
        CMessageBoxDriver driver([&](QMessageBox& box) {
            text = box.text();
            box.button(QMessageBox::Ok)->click();
        });
        *result = call();
        EXPECT_TRUE(driver.Seen());
        return text;
    }

    QTemporaryDir m_dir;
};

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

} // namespace

// Guards against the pages not being found where a build-tree or an installed program looks
// for them, and against the help file's name being compared with its letter case or folder.
TEST_F(HelpViewerTest, HelpFolderIsFoundBesideTheBuildTreeInDataFoldersOrWhereSet)
{
    EXPECT_EQ(QFileInfo(AfxGetHtmlHelpFolder(HELP_FILE)).canonicalFilePath(),
              QFileInfo(SourceHelpFolder()).canonicalFilePath());
    EXPECT_EQ(AfxGetHtmlHelpFolder(QStringLiteral("CORDALIB.CHM")), AfxGetHtmlHelpFolder(HELP_FILE));
    EXPECT_EQ(AfxGetHtmlHelpFolder(QStringLiteral("/opt/elsewhere/cordalib.chm")),
              AfxGetHtmlHelpFolder(HELP_FILE));
    // The installed layout comes first: bin/ beside share/.
    EXPECT_EQ(
        AfxGetHtmlHelpSearchFolders(HELP_FILE).first(),
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/cordalib/help")));

    // Another help file in a data folder ($XDG_DATA_HOME points into the sandbox).
    EXPECT_TRUE(AfxGetHtmlHelpFolder(TEST_HELP_FILE).isEmpty());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/testhelp/help");
    WriteHelpFolder(data, {{QStringLiteral("a.htm"), Page(QStringLiteral("A"), QString())}},
                    QStringLiteral("<contents><topic title=\"A\" page=\"a.htm\"/></contents>"), QString());
    EXPECT_EQ(AfxGetHtmlHelpFolder(TEST_HELP_FILE), data);
    QDir(data).removeRecursively();

    AfxSetHtmlHelpFolder(QStringLiteral("Cordalib.chm"), m_dir.path());
    EXPECT_EQ(AfxGetHtmlHelpSearchFolders(HELP_FILE), QStringList{m_dir.path()});
    EXPECT_TRUE(AfxGetHtmlHelpFolder(HELP_FILE).isEmpty()) << "a folder without a contents file is no help";
}

// Guards against a display function opening the wrong tab or page, opening a second window,
// or reporting failure after it succeeded.
TEST_F(HelpViewerTest, EachDisplayFunctionOpensTheOneViewerAtItsTabAndPage)
{
    ASSERT_EQ(AfxHtmlHelpDisplayContents(HELP_FILE), 1);
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->GetCurrentTab(), CHelpViewer::contentsTab);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("welcome.htm"));
    auto* contents = Control<QTreeWidget>(viewer, IDC_QV_HELP_CONTENTS_TREE);
    ASSERT_NE(contents->currentItem(), nullptr);
    EXPECT_EQ(contents->currentItem()->text(0), QStringLiteral("Welcome to Corda Librarian"));

    ASSERT_EQ(AfxHtmlHelpDisplayIndex(HELP_FILE, QStringLiteral("trash")), 1);
    EXPECT_EQ(CHelpViewer::GetViewer(false), viewer);
    EXPECT_EQ(viewer->GetCurrentTab(), CHelpViewer::indexTab);
    EXPECT_EQ(Control<QLineEdit>(viewer, IDC_QV_HELP_INDEX_EDIT)->text(), QStringLiteral("trash"));
    auto* index = Control<QTreeWidget>(viewer, IDC_QV_HELP_INDEX_LIST);
    ASSERT_NE(index->currentItem(), nullptr);
    EXPECT_EQ(index->currentItem()->text(0), QStringLiteral("trash"));

    ASSERT_EQ(AfxHtmlHelpDisplaySearch(HELP_FILE, QStringLiteral("checksum")), 1);
    EXPECT_EQ(viewer->GetCurrentTab(), CHelpViewer::searchTab);
    auto* results = Control<QTreeWidget>(viewer, IDC_QV_HELP_SEARCH_RESULTS);
    EXPECT_GT(results->topLevelItemCount(), 1);
    EXPECT_EQ(Control<QLabel>(viewer, IDC_QV_HELP_SEARCH_FOUND)->text(),
              QStringLiteral("Found: %1").arg(results->topLevelItemCount()));

    ASSERT_EQ(AfxHtmlHelpDisplayTopic(HELP_FILE, QStringLiteral("backingupthelibrary.htm")), 1);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("backingupthelibrary.htm"));
    SaveScreenshot(*viewer, QStringLiteral("help-viewer-topic.png"));
    EXPECT_EQ(contents->currentItem()->text(0), QStringLiteral("Backing Up the Library"))
        << "contents follow";
    ASSERT_EQ(AfxHtmlHelpDisplayTopic(QStringLiteral("cordalib.chm::/renamingasongsfilename.htm")), 1);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("renamingasongsfilename.htm"));
    // Topic names are not case-sensitive in a help file.
    ASSERT_EQ(AfxHtmlHelpDisplayTopic(HELP_FILE, QStringLiteral("WhatsNewInThisRelease.htm")), 1);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("whatsnewinthisrelease.htm"));
    ASSERT_EQ(AfxHtmlHelpDisplayTopic(HELP_FILE), 1);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("welcome.htm"))
        << "the file alone opens its first page";

    int windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        windows += qobject_cast<CHelpViewer*>(widget) ? 1 : 0;
    EXPECT_EQ(windows, 1);
    QString error;
    EXPECT_FALSE(AfxHtmlHelpGetLastError(error));
    EXPECT_EQ(AfxHtmlHelpErrorMessageBox(), 0) << "nothing to show after a success";
}

// Guards against a topic's anchor being ignored (the page opening at its top) and against
// the page staying scrolled when the same page is asked for without an anchor.
TEST_F(HelpViewerTest, TopicWithAnchorScrollsToIt)
{
    QString body;
    for (int i = 0; i < 150; ++i)
        body += QStringLiteral("<p>Paragraph %1 of the long page.</p>").arg(i);
    body += QStringLiteral("<h2><a name=\"middle\"></a>Middle heading</h2>");
    for (int i = 0; i < 150; ++i)
        body += QStringLiteral("<p>Later paragraph %1.</p>").arg(i);
    WriteHelpFolder(m_dir.path(), {{QStringLiteral("long.htm"), Page(QStringLiteral("Long"), body)}},
                    QStringLiteral("<contents><topic title=\"Long\" page=\"long.htm\"/></contents>"),
                    QString());
    AfxSetHtmlHelpFolder(TEST_HELP_FILE, m_dir.path());

    ASSERT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("long.htm#middle")), 1);
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    CHelpBrowser* browser = viewer->GetBrowser();
    QTextBlock heading = browser->document()->find(QStringLiteral("Middle heading")).block();
    ASSERT_TRUE(heading.isValid());
    const int top = qRound(browser->document()->documentLayout()->blockBoundingRect(heading).top());
    QTRY_VERIFY_WITH_TIMEOUT(browser->verticalScrollBar()->value() > 0, 5000);
    EXPECT_NEAR(browser->verticalScrollBar()->value(), top, 20);

    ASSERT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("long.htm")), 1);
    QTRY_COMPARE_WITH_TIMEOUT(browser->verticalScrollBar()->value(), 0, 5000);
    // Asked for a second time, the anchor is shown again after the reader scrolled away.
    ASSERT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("long.htm#middle")), 1);
    browser->verticalScrollBar()->setValue(0);
    ASSERT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("long.htm#middle")), 1);
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(browser->verticalScrollBar()->value() - top) <= 20, 5000);
}

// Guards against a missing page, a missing help folder, a damaged contents file or a topic
// that climbs out of the help folder being shown (or reported as shown) instead of refused
// with the html help error.
TEST_F(HelpViewerTest, RefusedRequestsShowTheHtmlHelpErrorAndReturnZero)
{
    const QString folder = m_dir.filePath(QStringLiteral("help"));
    WriteHelpFolder(folder,
                    {{QStringLiteral("a.htm"), Page(QStringLiteral("A"), QStringLiteral("<p>a</p>"))}},
                    QStringLiteral("<contents><topic title=\"A\" page=\"a.htm\"/></contents>"),
                    QStringLiteral("<index><keyword text=\"a\"><topic page=\"a.htm\"/></keyword></index>"));
    WriteAll(m_dir.filePath(QStringLiteral("secret.htm")),
             Page(QStringLiteral("Secret"), QString()).toUtf8());
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("secret.htm")),
                            QDir(folder).filePath(QStringLiteral("link.htm"))));
    AfxSetHtmlHelpFolder(TEST_HELP_FILE, folder);

    int result = -1;
    QString text = ErrorBoxOf(
        [] { return AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("gone.htm")); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(text.startsWith(QStringLiteral("An html help error has occurred.\n\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("'gone.htm'"))) << text.toStdString();
    QString error;
    EXPECT_TRUE(AfxHtmlHelpGetLastError(error));
    EXPECT_TRUE(text.endsWith(error));
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    EXPECT_TRUE(!viewer || !viewer->isVisible()) << "nothing was shown";

    ASSERT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("a.htm")), 1);
    viewer = CHelpViewer::GetViewer(false);
    for (const QString& topic : {QStringLiteral("../secret.htm"), QStringLiteral("/../../secret.htm"),
                                 QStringLiteral("link.htm"), QStringLiteral("..\\secret.htm"),
                                 QStringLiteral("contents.xml"), QString::fromLatin1("/etc/passwd")}) {
        text = ErrorBoxOf([&] { return AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, topic); }, &result);
        EXPECT_EQ(result, 0) << topic.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("could not be found"))) << text.toStdString();
        EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("a.htm")) << "the page shown stays";
    }

    text = ErrorBoxOf([] { return AfxHtmlHelpDisplayContents(QStringLiteral("nosuch.chm")); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(text.contains(QStringLiteral("'nosuch.chm'"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("nosuch/help"))) << "the folders looked in are named";

    // A damaged contents file refuses the contents, not the pages.
    WriteAll(QDir(folder).filePath(CHelpCollection::CONTENTS_FILE), "<contents><topic title=\"A\"");
    CHelpViewer::DestroyViewer();
    text = ErrorBoxOf([] { return AfxHtmlHelpDisplayContents(TEST_HELP_FILE); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(text.contains(CHelpCollection::CONTENTS_FILE)) << text.toStdString();
    EXPECT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("a.htm")), 1);
    EXPECT_EQ(AfxHtmlHelpDisplayIndex(TEST_HELP_FILE, QString()), 1);

    // Away from the user-interface thread no window can be shown: refused, told on the console.
    QStringList console;
    AfxSetMessageBoxConsoleHandler([&](const CQVMessageBoxRequest& request) {
        console.append(request.text);
        return IDOK;
    });
    std::thread([&] { result = AfxHtmlHelpDisplayContents(HELP_FILE); }).join();
    EXPECT_EQ(result, 0);
    ASSERT_EQ(console.size(), 1);
    EXPECT_TRUE(console.first().startsWith(QStringLiteral("An html help error has occurred.")));
}

// Guards against the search matching markup instead of text, substrings instead of words,
// any word instead of all of them, and against ranking that ignores how often and where a
// word occurs.
TEST_F(HelpViewerTest, SearchFindsPagesByTheWordsOfTheirText)
{
    WriteHelpFolder(
        m_dir.path(),
        {{QStringLiteral("a.htm"),
          Page(QStringLiteral("Alpha"), QStringLiteral("<p>The quick fox jumps.</p>"))},
         {QStringLiteral("b.htm"), Page(QStringLiteral("Fox Facts"), QStringLiteral("<p>A fox, a FOX.</p>"))},
         {QStringLiteral("c.htm"),
          Page(QStringLiteral("Gamma"), QStringLiteral("<p class=\"stylesheet\">R&eacute;sum&eacute; "
                                                       "<a href=\"a.htm\">markup</a></p>"))}},
        QStringLiteral("<contents><topic title=\"A\" page=\"a.htm\"/></contents>"), QString());
    CHelpCollection help;
    ASSERT_TRUE(help.Load(m_dir.path()));
    const auto topics = [&](const QString& query) {
        QStringList found;
        for (const CHelpSearchHit& hit : help.Search(query))
            found.append(hit.topic);
        return found;
    };
    EXPECT_EQ(topics(QStringLiteral("quick")), QStringList{QStringLiteral("a.htm")}) << "a word of the body";
    EXPECT_EQ(topics(QStringLiteral("fox")), (QStringList{QStringLiteral("b.htm"), QStringLiteral("a.htm")}))
        << "title and count rank first";
    EXPECT_EQ(topics(QStringLiteral("QUICK fox")), QStringList{QStringLiteral("a.htm")}) << "every word";
    EXPECT_EQ(topics(QStringLiteral("jum*")), QStringList{QStringLiteral("a.htm")}) << "a word's beginning";
    EXPECT_TRUE(topics(QStringLiteral("jum")).isEmpty()) << "words, not parts of them";
    EXPECT_TRUE(topics(QStringLiteral("stylesheet")).isEmpty()) << "attributes are no text";
    EXPECT_TRUE(topics(QStringLiteral("href")).isEmpty());
    EXPECT_EQ(topics(QStringLiteral("résumé")), QStringList{QStringLiteral("c.htm")}) << "entities decoded";
    EXPECT_TRUE(topics(QStringLiteral("  ")).isEmpty());

    // Through the viewer, on the shipped pages: a word that only a page's body holds.
    ASSERT_EQ(AfxHtmlHelpDisplaySearch(HELP_FILE, QString()), 1);
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    auto* edit = Control<QLineEdit>(viewer, IDC_QV_HELP_SEARCH_EDIT);
    QTest::keyClicks(edit, QStringLiteral("afresh"));
    QTest::keyClick(edit, Qt::Key_Return);
    auto* results = Control<QTreeWidget>(viewer, IDC_QV_HELP_SEARCH_RESULTS);
    ASSERT_GE(results->topLevelItemCount(), 1);
    QStringList titles;
    for (int i = 0; i < results->topLevelItemCount(); ++i)
        titles.append(results->topLevelItem(i)->text(0));
    EXPECT_TRUE(titles.contains(QStringLiteral("Deleting Songs and Lessons")))
        << titles.join(", ").toStdString();
    results->setCurrentItem(
        results->topLevelItem(titles.indexOf(QStringLiteral("Deleting Songs and Lessons"))));
    QTest::mouseClick(Control<QPushButton>(viewer, IDC_QV_HELP_SEARCH_DISPLAY), Qt::LeftButton);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("deletingsongsandlessons.htm"));
    const QList<QTextEdit::ExtraSelection> marks = viewer->GetBrowser()->extraSelections();
    ASSERT_FALSE(marks.isEmpty()) << "the word is marked on the page";
    EXPECT_EQ(marks.first().cursor.selectedText().toLower(), QStringLiteral("afresh"));
    SaveScreenshot(*viewer, QStringLiteral("help-viewer-search.png"));
}

// Guards against the index not narrowing as the user types, Enter not showing the keyword's
// page, and a keyword of several pages showing none.
TEST_F(HelpViewerTest, IndexNarrowsAsYouTypeAndShowsTheKeywordsPage)
{
    ASSERT_EQ(AfxHtmlHelpDisplayIndex(HELP_FILE, QString()), 1);
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    auto* edit = Control<QLineEdit>(viewer, IDC_QV_HELP_INDEX_EDIT);
    auto* list = Control<QTreeWidget>(viewer, IDC_QV_HELP_INDEX_LIST);
    const int all = list->topLevelItemCount();
    ASSERT_GT(all, 20);

    QTest::keyClicks(edit, QStringLiteral("RECY"));
    int shown = 0;
    for (int i = 0; i < all; ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (!item->isHidden()) {
            ++shown;
            EXPECT_TRUE(item->text(0).contains(QStringLiteral("recy"), Qt::CaseInsensitive));
        }
    }
    EXPECT_EQ(shown, 1);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Recycle Bin"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("deletingsongsandlessons.htm"));
    EXPECT_EQ(viewer->GetBrowser()->source().fragment(), QStringLiteral("trash"));

    // Many keywords hold "folder"; the one that begins with it is chosen, the others stay listed.
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("folder"));
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Folders dialog"));
    EXPECT_FALSE(list->findItems(QStringLiteral("adding a folder"), Qt::MatchExactly).first()->isHidden());

    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("albums"));
    QTreeWidgetItem* albums = list->currentItem();
    ASSERT_NE(albums, nullptr);
    ASSERT_EQ(albums->childCount(), 2);
    QTest::mouseClick(Control<QPushButton>(viewer, IDC_QV_HELP_INDEX_DISPLAY), Qt::LeftButton);
    EXPECT_TRUE(albums->isExpanded());
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("browsingsongsandlessons.htm"));
    EXPECT_EQ(albums->child(0)->text(0), QStringLiteral("Browsing Songs and Lessons"))
        << "titles from the pages";
    SaveScreenshot(*viewer, QStringLiteral("help-viewer-index.png"));

    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("zzzz"));
    EXPECT_EQ(list->currentItem(), nullptr);
    EXPECT_FALSE(Control<QPushButton>(viewer, IDC_QV_HELP_INDEX_DISPLAY)->isEnabled());
}

// Guards against links leaving the help through anything but the desktop's web browser: a
// file address, a script, a page outside the folder; and against a dead link failing silently.
TEST_F(HelpViewerTest, LinksAreFollowedInsideAndOnlyWebAddressesGoOut)
{
    WriteHelpFolder(
        m_dir.filePath(QStringLiteral("help")),
        {{QStringLiteral("a.htm"), Page(QStringLiteral("A"), QStringLiteral("<p>first</p>"))},
         {QStringLiteral("b.htm"), Page(QStringLiteral("B"), QStringLiteral("<p><a name=\"x\"></a>b</p>"))}},
        QStringLiteral("<contents><topic title=\"A\" page=\"a.htm\"/></contents>"), QString());
    WriteAll(m_dir.filePath(QStringLiteral("outside.htm")), Page(QStringLiteral("Out"), QString()).toUtf8());
    AfxSetHtmlHelpFolder(TEST_HELP_FILE, m_dir.filePath(QStringLiteral("help")));
    UrlRecorder web, files;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &web, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &files, "Open");

    ASSERT_EQ(AfxHtmlHelpDisplayContents(TEST_HELP_FILE), 1);
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    CHelpBrowser* browser = viewer->GetBrowser();
    emit browser->anchorClicked(QUrl(QStringLiteral("b.htm#x")));
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("b.htm"));
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("x"));
    auto* back = Control<QToolButton>(viewer, IDC_QV_HELP_BACK);
    ASSERT_TRUE(back->isEnabled());
    back->click();
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("a.htm"));

    emit browser->anchorClicked(QUrl(QStringLiteral("https://www.example.com/tabs?x=1")));
    ASSERT_EQ(web.urls.size(), 1);
    EXPECT_EQ(web.urls.first(), QUrl(QStringLiteral("https://www.example.com/tabs?x=1")));
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("a.htm"));

    int result = 0;
    for (const QString& link :
         {QStringLiteral("file:///etc/passwd"), QStringLiteral("javascript:alert(1)"),
          QStringLiteral("../outside.htm"), QStringLiteral("mailto:someone@example.com")}) {
        const QString text = ErrorBoxOf(
            [&] {
                emit browser->anchorClicked(QUrl(link));
                return 0;
            },
            &result);
        EXPECT_TRUE(text.contains(QStringLiteral("cannot be opened from the help viewer")))
            << link.toStdString();
        EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("a.htm"));
    }
    const QString text = ErrorBoxOf(
        [&] {
            emit browser->anchorClicked(QUrl(QStringLiteral("missing.htm")));
            return 0;
        },
        &result);
    EXPECT_TRUE(text.contains(QStringLiteral("'missing.htm' could not be found"))) << text.toStdString();
    EXPECT_TRUE(files.urls.isEmpty());
    EXPECT_EQ(web.urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

// Guards against a page reading files outside the help folder through its images or
// stylesheets (a path upward, an absolute address, a link that points out).
TEST_F(HelpViewerTest, ResourcesComeFromTheHelpFolderOnly)
{
    const QString folder = m_dir.filePath(QStringLiteral("help"));
    WriteHelpFolder(
        folder,
        {{QStringLiteral("a.htm"), Page(QStringLiteral("A"), QStringLiteral("<img src=\"pic.png\">"))}},
        QStringLiteral("<contents><topic title=\"A\" page=\"a.htm\"/></contents>"), QString());
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QDir(folder).filePath(QStringLiteral("pic.png"))));
    ASSERT_TRUE(picture.save(m_dir.filePath(QStringLiteral("secret.png"))));
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("secret.png")),
                            QDir(folder).filePath(QStringLiteral("out.png"))));
    AfxSetHtmlHelpFolder(TEST_HELP_FILE, folder);
    ASSERT_EQ(AfxHtmlHelpDisplayTopic(TEST_HELP_FILE, QStringLiteral("a.htm")), 1);
    CHelpBrowser* browser = CHelpViewer::GetViewer(false)->GetBrowser();

    EXPECT_TRUE(
        browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic.png"))).isValid());
    EXPECT_TRUE(
        browser->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("help.css"))).isValid());
    for (const QString& name :
         {QStringLiteral("../secret.png"), QStringLiteral("out.png"),
          QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("secret.png"))).toString(),
          QStringLiteral("file:///etc/hostname"), QStringLiteral("https://example.com/x.png")})
        EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl(name)).isValid())
            << name.toStdString();
}

// Guards against F1 in a modal dialog opening a help window that the dialog blocks, and
// against the window being destroyed along with the dialog.
TEST_F(HelpViewerTest, HelpFromAModalDialogIsUsableAndOutlivesTheDialog)
{
    AfxInstallHtmlHelpViewer();
    auto* dialog = new QDialog;
    dialog->resize(300, 200);
    QString shownInDialog, clicked;
    bool parentWasDialog = false;
    QTimer::singleShot(0, dialog, [&] {
        AfxOpenHelpTarget(QStringLiteral("changingthesearchsettings.htm"));
        CHelpViewer* viewer = CHelpViewer::GetViewer(false);
        if (!viewer) {
            dialog->reject();
            return;
        }
        shownInDialog = viewer->GetCurrentTopic();
        parentWasDialog = viewer->parentWidget() == dialog;
        auto* contents = Control<QTreeWidget>(viewer, IDC_QV_HELP_CONTENTS_TREE);
        const QList<QTreeWidgetItem*> items =
            contents->findItems(QStringLiteral("Keyboard"), Qt::MatchExactly | Qt::MatchRecursive);
        if (!items.isEmpty()) {
            contents->scrollToItem(items.first());
            // Through the window system, where a window that the dialog blocks gets no click.
            const QPoint at =
                contents->viewport()->mapTo(viewer, contents->visualItemRect(items.first()).center());
            QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, {}, at);
            clicked = viewer->GetCurrentTopic();
        }
        dialog->accept();
    });
    dialog->exec();
    delete dialog;

    EXPECT_EQ(shownInDialog, QStringLiteral("changingthesearchsettings.htm"));
    EXPECT_TRUE(parentWasDialog);
    EXPECT_EQ(clicked, QStringLiteral("changingthekeyboardsettings.htm"));
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    ASSERT_NE(viewer, nullptr) << "deleted with the dialog";
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->GetCurrentTopic(), QStringLiteral("changingthekeyboardsettings.htm"));

    // A modal window deleted while it is open (its owner closing) hands the viewer back too.
    auto* shown = new QDialog;
    shown->setModal(true);
    shown->show();
    ASSERT_EQ(QApplication::activeModalWidget(), shown);
    AfxOpenHelpTarget(QStringLiteral("backingupthelibrary.htm"));
    EXPECT_EQ(viewer->parentWidget(), shown);
    delete shown;
    ASSERT_EQ(CHelpViewer::GetViewer(false), viewer);
    EXPECT_EQ(viewer->parentWidget(), nullptr);
    EXPECT_TRUE(viewer->isVisible());
}

namespace {

// The topic pages that the program's windows and commands name.
const QStringList DOCUMENTED_TOPICS = {
    QStringLiteral("addingafoldertothelibrary.htm"),
    QStringLiteral("changingtheautocompletesettings.htm"),
    QStringLiteral("changingthefilelocations.htm"),
    QStringLiteral("changingthegeneralsettings.htm"),
    QStringLiteral("changingthekeyboardsettings.htm"),
    QStringLiteral("changingthemessageboxsettings.htm"),
    QStringLiteral("changingthesearchsettings.htm"),
    QStringLiteral("changingthesecuritysettings.htm"),
    QStringLiteral("changingthestartupsettings.htm"),
    QStringLiteral("changingthesystemtraysettings.htm"),
    QStringLiteral("editingalessonsinformation.htm"),
    QStringLiteral("editingasongsinformation.htm"),
    QStringLiteral("editingmultiplelessonsinformation.htm"),
    QStringLiteral("editingmultiplesongsinformation.htm"),
    QStringLiteral("renamingalessonsfilename.htm"),
    QStringLiteral("renamingasongsfilename.htm"),
    QStringLiteral("thecheckforupdatesservice.htm"),
    QStringLiteral("whatsnewinthisrelease.htm"),
};

// The anchors of a page as the viewer sees them (what it can scroll to).
QSet<QString> AnchorsOf(const QString& path)
{
    QTextDocument document;
    document.setHtml(QString::fromUtf8(corda::test::ReadAll(path)));
    QSet<QString> anchors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            for (const QString& name : it.fragment().charFormat().anchorNames())
                anchors.insert(name);
        }
    }
    return anchors;
}

} // namespace

// Guards against a dead link anywhere in the shipped help: a page's links and anchors, the
// contents and index entries, and every topic the program's code opens.
TEST_F(HelpViewerTest, ShippedHelpHasNoDeadLink)
{
    CHelpCollection help;
    ASSERT_TRUE(help.Load(SourceHelpFolder()));
    EXPECT_TRUE(help.GetContentsError().isEmpty()) << help.GetContentsError().toStdString();
    EXPECT_TRUE(help.GetIndexError().isEmpty()) << help.GetIndexError().toStdString();
    const QDir folder(help.GetFolder());
    const QStringList pages = help.GetPages();
    ASSERT_GE(pages.size(), DOCUMENTED_TOPICS.size());

    const auto check = [&](const QString& where, const QString& topic) {
        QString path, anchor;
        if (!help.ResolveTopic(topic, path, anchor)) {
            ADD_FAILURE() << where.toStdString() << ": dead link " << topic.toStdString();
            return;
        }
        if (!anchor.isEmpty() && !AnchorsOf(path).contains(anchor))
            ADD_FAILURE() << where.toStdString() << ": no anchor " << topic.toStdString();
    };

    static const QRegularExpression href(QStringLiteral("\\bhref=\"([^\"]*)\""));
    static const QRegularExpression heading(QStringLiteral("<h1>(.*?)</h1>"));
    for (const QString& page : pages) {
        const QString html = QString::fromUtf8(corda::test::ReadAll(folder.filePath(page)));
        const QString title = help.GetPageTitle(page);
        EXPECT_FALSE(title.isEmpty()) << page.toStdString();
        const QRegularExpressionMatch h1 = heading.match(html);
        EXPECT_TRUE(h1.hasMatch() && QTextDocumentFragment::fromHtml(h1.captured(1)).toPlainText() == title)
            << page.toStdString() << ": the heading is the title";
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"help.css\""))) << page.toStdString();
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QString link = it.next().captured(1);
            if (link.startsWith(QStringLiteral("https://")) || link.startsWith(QStringLiteral("http://")))
                continue;
            if (link == QStringLiteral("help.css")) {
                EXPECT_TRUE(folder.exists(link));
                continue;
            }
            check(page, link.startsWith(QLatin1Char('#')) ? page + link : link);
        }
    }

    QStringList inContents;
    std::function<void(const std::vector<CHelpContentsEntry>&)> walk = [&](const auto& entries) {
        for (const CHelpContentsEntry& entry : entries) {
            if (!entry.topic.isEmpty()) {
                check(QStringLiteral("contents"), entry.topic);
                inContents.append(entry.topic.section(QLatin1Char('#'), 0, 0));
            }
            walk(entry.children);
        }
    };
    walk(help.GetContents());
    for (const QString& page : pages)
        EXPECT_TRUE(inContents.contains(page)) << page.toStdString() << " is not in the contents";
    for (const CHelpIndexEntry& entry : help.GetIndex()) {
        for (const CHelpIndexTopic& topic : entry.topics) {
            check(QStringLiteral("index ") + entry.keyword, topic.topic);
            EXPECT_FALSE(topic.title.isEmpty());
        }
    }

    for (const QString& topic : DOCUMENTED_TOPICS)
        check(QStringLiteral("documented"), topic);
    // Whatever the code names, wherever it is added.
    static const QRegularExpression literal(QStringLiteral("\"([A-Za-z0-9_-]+\\.htm(?:#[A-Za-z0-9_-]+)?)\""));
    int scanned = 0;
    for (const QString& part : {QStringLiteral("qvsystem"), QStringLiteral("cordalib"),
                                QStringLiteral("faultpost"), QStringLiteral("tools")}) {
        QDirIterator files(QStringLiteral(CORDA_SOURCE_DIR "/") + part,
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            ++scanned;
            // Comments may give examples; only what the code opens counts.
            static const QRegularExpression comment(QStringLiteral("//[^\n]*"));
            const QString source = QString::fromUtf8(corda::test::ReadAll(file)).remove(comment);
            for (auto it = literal.globalMatch(source); it.hasNext();)
                check(file, it.next().captured(1));
        }
    }
    EXPECT_GT(scanned, 50) << "the walk over the code found no source";
    ASSERT_TRUE(literal.match(QStringLiteral("Open(\"backingupthelibrary.htm#x\")")).hasMatch());
}

#include "HelpViewerTest.moc"
