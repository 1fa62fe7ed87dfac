#include "qvsystem/system/FileUtilities.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// Receives what the desktop would open, so that no real application starts.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

// Guards the reserved-device and stem rules: Windows machines cannot hold these names, so
// a library renamed to one could not go back to the machine its files came from.
TEST(FileUtilitiesTest, RejectsReservedAndMalformedNames)
{
    for (const char* name :
         {"con.crd", "CON",   "Lpt1",  "aux.tar.gz", "nul .crd",  "com9.x",    "clock$.crd", ".hidden",
          "   .crd", "song.", "song ", "song|",      " song.crd", ".song.crd", "a/b.crd",    "a\\b",
          "a:b",     "a*b",   "a?b",   "a\"b",       "a<b",       "a>b",       "",           "   "}) {
        EXPECT_FALSE(AfxIsValidFileName(Q(name))) << '"' << name << '"';
    }
    EXPECT_FALSE(AfxIsValidFileName(QString()));
}

// Guards against over-eager matching: the device names only count as whole stems.
TEST(FileUtilitiesTest, AcceptsOrdinaryNamesNearReservedOnes)
{
    for (const char* name : {"console.crd", "com10", "com0", "lpt", "auxiliary.crd", "Song.crd", "a.b.c.crd",
                             "My Song (live).crd", "Café.crd", "clock.crd", "nul_.crd"}) {
        EXPECT_TRUE(AfxIsValidFileName(Q(name))) << '"' << name << '"';
    }
}

// Guards the flag and the quiet failures: a broken pattern must not throw out of the
// validation of a text field.
TEST(FileUtilitiesTest, MatchTextSearchesAndSurvivesBadPatterns)
{
    EXPECT_TRUE(AfxMatchText(Q("Abbey Road"), Q("road$"), false));
    EXPECT_FALSE(AfxMatchText(Q("Abbey Road"), Q("road$"), true));
    EXPECT_TRUE(AfxMatchText(Q("x1999y"), Q("\\d{4}"), true)); // a search, not a whole match
    EXPECT_FALSE(AfxMatchText(Q("abc"), Q("(unclosed"), false));
    EXPECT_FALSE(AfxMatchText(Q("abc"), Q("[z-a]"), false));
    EXPECT_FALSE(AfxMatchText(QString(), Q("a"), false));
    EXPECT_FALSE(AfxMatchText(Q("a"), QString(), false));
    // Catastrophic backtracking: the engine gives up, and that is no match rather than a hang.
    EXPECT_FALSE(AfxMatchText(QString(40, u'a') + u'b', Q("^(a|aa|a?)*$"), true));
}

TEST(FileUtilitiesTest, ValidateFileNameReplacesOrRemovesForbiddenCharacters)
{
    QString cleaned = Q("stale");
    ASSERT_TRUE(AfxValidateFileName(Q("a:b*c?d\"e<f>g|h/i\\j"), true, cleaned));
    EXPECT_EQ(cleaned, Q("a b c d e f g h i j"));
    ASSERT_TRUE(AfxValidateFileName(Q("a:b*c?d\"e<f>g|h/i\\j"), false, cleaned));
    EXPECT_EQ(cleaned, Q("abcdefghij"));
    EXPECT_FALSE(AfxValidateFileName(QString(), true, cleaned));
    EXPECT_TRUE(cleaned.isEmpty());
}

// Guards the containment rule that synchronization relies on to decide whether a record
// lies inside a synchronized folder.
TEST(FileUtilitiesTest, ParentFolderMatchesWholeComponents)
{
    EXPECT_TRUE(AfxIsParentFolder(Q("/Music"), Q("/Music/Rock/a.crd")));
    EXPECT_TRUE(AfxIsParentFolder(Q("/music"), Q("/MUSIC/a.crd"))); // components compared without case
    EXPECT_TRUE(AfxIsParentFolder(Q("C:\\Music"), Q("C:\\Music\\Rock\\a.crd")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music"), Q("/Musicals/a.crd")));
    EXPECT_FALSE(AfxIsParentFolder(Q("C:\\Music"), Q("C:\\Musicals\\a.crd")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music/Rock"), Q("/Music")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music"), Q("/Other/Music/a.crd")));
    EXPECT_FALSE(AfxIsParentFolder(QString(), Q("/Music")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music"), QString()));
}

// Guards against a folder containing itself: a synchronized folder that "contains" its own
// path would keep its records from ever being removed.
TEST(FileUtilitiesTest, PathIsNeverItsOwnParent)
{
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music"), Q("/Music")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music"), Q("/Music/")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music"), Q("/music")));
}

// Guards the mended cases: a parent written with a trailing separator (or the root) must
// still contain its files, and an empty parent contains nothing.
TEST(FileUtilitiesTest, ParentFolderWithTrailingSeparatorOrRoot)
{
    EXPECT_TRUE(AfxIsParentFolder(Q("/Music/"), Q("/Music/a.crd")));
    EXPECT_TRUE(AfxIsParentFolder(Q("/"), Q("/Music/a.crd")));
    EXPECT_FALSE(AfxIsParentFolder(Q("/Music/"), Q("/Musicals/a.crd")));
    EXPECT_FALSE(AfxIsParentFolder(Q(""), Q("/Music/a.crd")));
}

// Guards the split that rename detection compares: the folder keeps its separator, and a
// path without one is all file name.
TEST(FileUtilitiesTest, SplitsPathAfterLastSeparator)
{
    QString folder = Q("x"), name = Q("y");
    ASSERT_TRUE(AfxExtractFolderPathAndFileNameFromPath(Q("/Music/Rock/a.b.crd"), folder, name));
    EXPECT_EQ(folder, Q("/Music/Rock/"));
    EXPECT_EQ(name, Q("a.b.crd"));
    ASSERT_TRUE(AfxExtractFolderPathAndFileNameFromPath(Q("a.crd"), folder, name));
    EXPECT_EQ(folder, Q(""));
    EXPECT_EQ(name, Q("a.crd"));
    ASSERT_TRUE(AfxExtractFolderPathAndFileNameFromPath(Q("/Music/"), folder, name));
    EXPECT_EQ(folder, Q("/Music/"));
    EXPECT_EQ(name, Q(""));
    // Long paths are split whole: a Windows-sized buffer would cut them.
    const QString deep = Q("/") + QString(300, u'd') + Q("/") + QString(300, u'f');
    ASSERT_TRUE(AfxExtractFolderPathAndFileNameFromPath(deep, folder, name));
    EXPECT_EQ(folder.size(), 302);
    EXPECT_EQ(name.size(), 300);

    EXPECT_FALSE(AfxExtractFolderPathAndFileNameFromPath(QString(), folder, name));
    EXPECT_TRUE(folder.isEmpty());
    EXPECT_TRUE(name.isEmpty());
}

// Guards the existence rules: a folder exists, an unreadable file exists, only a missing
// one does not; and a name with an embedded null must not test a shorter, other path.
TEST(FileUtilitiesTest, ExistenceOfFilesAndFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(Q("a.crd"));
    corda::test::WriteAll(file, "x");
    const QString locked = dir.filePath(Q("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    corda::test::WriteAll(locked + Q("/inner.crd"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);

    EXPECT_TRUE(AfxDoesFileExist(file));
    EXPECT_TRUE(AfxIsExistingFile(file));
    EXPECT_TRUE(AfxDoesFileExist(dir.path()));
    EXPECT_FALSE(AfxIsExistingFile(dir.path()));
    EXPECT_FALSE(AfxDoesFileExist(dir.filePath(Q("missing.crd"))));
    EXPECT_FALSE(AfxIsExistingFile(dir.filePath(Q("missing.crd"))));
    EXPECT_FALSE(AfxDoesFileExist(file + Q("/below"))); // a file is no folder
    // A file below a folder we may not enter still exists (for root it is simply readable).
    EXPECT_TRUE(AfxDoesFileExist(locked + Q("/inner.crd")));
    EXPECT_FALSE(AfxDoesFileExist(file + QChar(u'\0') + Q("ignored")));
    EXPECT_FALSE(AfxDoesFileExist(dir.path() + QChar(u'\0') + Q("/missing")));
    EXPECT_FALSE(AfxIsExistingFile(file + QChar(u'\0')));
    EXPECT_FALSE(AfxDoesFileExist(QString()));
    EXPECT_FALSE(AfxDoesFileExist(Q("")));

    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

// Guards the two ways of deleting: the trash keeps the file recoverable (the freedesktop
// layout: files/ and info/), permanent deletion leaves nothing; neither succeeds for a
// missing file.
TEST(FileUtilitiesTest, RecycleMovesToTrashOrDeletes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString trashed = dir.filePath(Q("trashed.crd"));
    const QString removed = dir.filePath(Q("removed.crd"));
    corda::test::WriteAll(trashed, "song one");
    corda::test::WriteAll(removed, "song two");

    ASSERT_TRUE(AfxRecycleFile(trashed, false, 0x414));
    EXPECT_FALSE(QFile::exists(trashed));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + Q("/Trash");
    ASSERT_TRUE(trash.startsWith(corda::test::SandboxRoot()));
    EXPECT_EQ(corda::test::ReadAll(trash + Q("/files/trashed.crd")), QByteArray("song one"));
    EXPECT_TRUE(QFile::exists(trash + Q("/info/trashed.crd.trashinfo")));

    ASSERT_TRUE(AfxRecycleFile(removed, true, 0x414));
    EXPECT_FALSE(QFile::exists(removed));
    EXPECT_FALSE(QFile::exists(trash + Q("/files/removed.crd")));

    EXPECT_FALSE(AfxRecycleFile(dir.filePath(Q("missing.crd")), false, 0));
    EXPECT_FALSE(AfxRecycleFile(dir.filePath(Q("missing.crd")), true, 0));
    EXPECT_FALSE(AfxRecycleFile(QString(), true, 0));
}

// Guards what the shell is asked to open, and that a missing file is reported as a
// failure rather than handed to an opener that fails later out of sight.
TEST(FileUtilitiesTest, OpenFileHandsFileUrlToDesktop)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(Q("song one.crd"));
    corda::test::WriteAll(file, "x");

    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(Q("file"), &recorder, "open");
    const bool opened = AfxOpenFile(file, Q("/p"), dir.path(), SW_SHOWNORMAL);
    const bool openedFolder = AfxOpenFile(dir.path());
    const bool openedMissing = AfxOpenFile(dir.filePath(Q("missing.crd")));
    const bool openedNull = AfxOpenFile(QString());
    QDesktopServices::unsetUrlHandler(Q("file"));

    EXPECT_TRUE(opened);
    EXPECT_TRUE(openedFolder);
    EXPECT_FALSE(openedMissing);
    EXPECT_FALSE(openedNull);
    ASSERT_EQ(recorder.urls.size(), 2);
    EXPECT_EQ(recorder.urls[0], QUrl::fromLocalFile(file));
    EXPECT_EQ(recorder.urls[0].toLocalFile(), file);
    EXPECT_EQ(recorder.urls[1].toLocalFile(), dir.path());
}

#include "FileUtilitiesTest.moc"
