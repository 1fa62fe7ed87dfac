// The closing texts of synchronization and backup, and the error log.
#include "TestSupport.h"

#include "cordalib/maintenance/SyncReport.h"

#include "qvsystem/platform/StringTable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// The totals add songs and lessons, and the elapsed time has five decimals.
TEST(SyncReportTest, ResultTextAddsSongsAndLessons)
{
    CSyncResults results;
    results.m_nSongsAdded = 2;
    results.m_nLessonsAdded = 1;
    results.m_nSongsUpdated = 4;
    results.m_nLessonsRenamed = 3;
    results.m_nSongsRemoved = 1;
    results.m_nLessonsRemoved = 5;
    results.m_errors = QStringList{"a - b", "c - d"};
    results.m_dElapsedSeconds = 1.234567;
    EXPECT_EQ(FormatSyncResultText(results), "Added: 3\nUpdated: 4\nRenamed: 3\nRemoved: 6\nErrors: 2\n"
                                             "Elapsed time: 1.23457 seconds");
    EXPECT_EQ(FormatBackupResultText(7, 1, 0.5),
              "Files backed up: 7\nErrors: 1\nElapsed time: 0.50000 seconds");
}

// A table text that does not fit its values must never reach printf: the run's own text
// is used instead.
TEST(SyncReportTest, TableTextThatDoesNotFitItsValuesIsNotUsed)
{
    CStringTable table{{6, "%s seconds %n"}, {119, "log-%d.txt"}};
    AfxSetApplicationStringTable(&table);
    EXPECT_EQ(FormatElapsedTime(2.0), "2.00000 seconds");
    EXPECT_EQ(FormatErrorLogFileName(COleDateTime(2026, 12, 8, 9, 5, 1)), "errorlog-20261208090501.txt");
    CStringTable fitting{{6, "%.2f s"}};
    AfxSetApplicationStringTable(&fitting);
    EXPECT_EQ(FormatElapsedTime(2.0), "2.00 s");
    AfxSetApplicationStringTable(nullptr);
}

// File names from the local time; an invalid time gives -1 for every part.
TEST(SyncReportTest, TimeStampedFileNames)
{
    const COleDateTime time(2026, 1, 2, 3, 4, 5);
    EXPECT_EQ(FormatErrorLogFileName(time), "errorlog-20260102030405.txt");
    EXPECT_EQ(FormatBackupFileName(time), "backup-20260102030405");
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(FormatErrorLogFileName(invalid), "errorlog--001-1-1-1-1-1.txt");
}

// The log holds every line followed by a line feed and replaces a log of the same name.
TEST(SyncReportTest, ErrorLogIsWrittenLineByLineAndReplacesAnOlderOne)
{
    QTemporaryDir dir;
    const COleDateTime time(2026, 12, 8, 8, 20, 42);
    const QString expectedPath = dir.path() + "/errorlog-20261208082042.txt";
    corda::test::WriteAll(expectedPath, "an older, longer log that must not show through\n");
    QString logPath;
    ASSERT_TRUE(WriteErrorLog({"/a/b.crd - No such file or directory", "/\u00e9t\u00e9.crd - x"}, dir.path(),
                              logPath, nullptr, time));
    EXPECT_EQ(logPath, expectedPath);
    EXPECT_EQ(QString::fromUtf8(corda::test::ReadAll(logPath)),
              "/a/b.crd - No such file or directory\n/\u00e9t\u00e9.crd - x\n");
}

// A log that cannot be created reports why and leaves nothing behind.
TEST(SyncReportTest, ErrorLogInMissingFolderFails)
{
    QTemporaryDir dir;
    QString logPath;
    CFileException error;
    EXPECT_FALSE(WriteErrorLog({"x"}, dir.path() + "/missing", logPath, &error));
    EXPECT_NE(error.m_cause, CFileException::none);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

} // namespace
