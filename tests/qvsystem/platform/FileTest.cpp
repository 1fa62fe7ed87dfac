#include "TestSupport.h"

#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

using namespace corda::test;

// The errno values that callers see most must land on the causes whose texts fit them.
TEST(FileExceptionTest, MapsErrnoToCauses)
{
    const std::pair<int, int> cases[] = {
        {0, CFileException::none},
        {ENOENT, CFileException::fileNotFound},
        {ENOTDIR, CFileException::badPath},
        {ENAMETOOLONG, CFileException::badPath},
        {EMFILE, CFileException::tooManyOpenFiles},
        {EACCES, CFileException::accessDenied},
        {EPERM, CFileException::accessDenied},
        {EROFS, CFileException::accessDenied},
        {EISDIR, CFileException::accessDenied},
        {EBADF, CFileException::invalidFile},
        {EIO, CFileException::hardIO},
        {ENOSPC, CFileException::diskFull},
        {EFBIG, CFileException::diskFull},
        {ENOMSG, CFileException::genericException},
    };
    for (const auto& [error, cause] : cases)
        EXPECT_EQ(CFileException::OsErrorToException(error), cause) << "errno " << error;
}

// Every cause has its own text; causes out of range read as the unspecified error.
TEST(FileExceptionTest, CauseTexts)
{
    QStringList seen;
    for (int cause = 0; cause <= 14; ++cause) {
        const QString text = AfxGetFileExceptionCauseText(cause);
        EXPECT_FALSE(text.isEmpty()) << cause;
        EXPECT_FALSE(seen.contains(text)) << cause;
        seen.append(text);
    }
    EXPECT_EQ(AfxGetFileExceptionCauseText(2), QStringLiteral("The file could not be located."));
    EXPECT_EQ(AfxGetFileExceptionCauseText(14), QStringLiteral("The end of file was reached."));
    EXPECT_EQ(AfxGetFileExceptionCauseText(15), QStringLiteral("An unspecified error occurred."));
    EXPECT_EQ(AfxGetFileExceptionCauseText(-3), QStringLiteral("An unspecified error occurred."));
    EXPECT_EQ(AfxGetArchiveExceptionCauseText(3),
              QStringLiteral("Reached end of file while reading an object."));
    EXPECT_EQ(AfxGetArchiveExceptionCauseText(8), QStringLiteral("Unspecified error."));
    QString text;
    EXPECT_TRUE(CFileException(CFileException::diskFull).GetErrorMessage(text));
    EXPECT_EQ(text, QStringLiteral("The disk is full."));
    EXPECT_TRUE(CMemoryException().GetErrorMessage(text));
    EXPECT_EQ(text, QStringLiteral("Out of memory."));
    EXPECT_FALSE(CException().GetErrorMessage(text));
}

// Open reports real failures through the error object and never throws.
TEST(FileTest, OpenFailuresFillTheError)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    WriteAll(plain, "x");
    struct Case {
        QString path;
        unsigned flags;
        int cause;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("missing")), CFile::modeRead, CFileException::fileNotFound},
        {plain + QStringLiteral("/below"), CFile::modeRead, CFileException::badPath},
        {dir.filePath(QString(300, QLatin1Char('n'))), CFile::modeCreate | CFile::modeWrite,
         CFileException::badPath},
        // open(2) takes a folder for reading; a file of ours must not.
        {dir.path(), CFile::modeRead, CFileException::accessDenied},
        {QString(), CFile::modeRead, CFileException::fileNotFound},
    };
    for (const Case& c : cases) {
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(c.path, c.flags, &error)) << c.path.toStdString();
        EXPECT_EQ(error.m_cause, c.cause) << c.path.toStdString();
        EXPECT_EQ(error.m_strFileName, c.path);
        EXPECT_FALSE(file.IsOpen());
    }
    try {
        CFile thrown(dir.filePath(QStringLiteral("missing")), CFile::modeRead);
        ADD_FAILURE() << "the constructor opened a missing file";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
        EXPECT_EQ(e.m_lOsError, ENOENT);
    }
}

// Creation truncates unless asked not to; positions, lengths and descriptors behave
// as callers of the Windows original expect.
TEST(FileTest, ModesPositionsAndLength)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dat\u00e9\u20ac.bin"));
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        file.Write("0123456789", 10);
        EXPECT_NE(::fcntl(file.m_hFile, F_GETFD) & FD_CLOEXEC, 0);
        EXPECT_EQ(file.GetFileName(), QStringLiteral("dat\u00e9\u20ac.bin"));
    }
    EXPECT_TRUE(QFile::exists(path)); // the name reached the disk as UTF-8
    {
        CFile file(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(file.GetLength(), 10u);
        EXPECT_EQ(file.Seek(-3, CFile::end), 7u);
        char buffer[8] = {};
        EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
        EXPECT_EQ(std::string(buffer, 3), "789");
        EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
        file.SetLength(4);
        EXPECT_EQ(file.GetLength(), 4u);
        try {
            file.Seek(-100, CFile::current);
            ADD_FAILURE() << "seeked before the start";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::badSeek);
        }
        FILETIME time = 0;
        EXPECT_TRUE(file.GetLastWriteTime(time));
        EXPECT_GT(time, FILETIME_UNIX_EPOCH);
    }
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(file.GetLength(), 0u);
    }
    CFile closed;
    char byte;
    EXPECT_THROW(closed.Read(&byte, 1), CFileException);
    EXPECT_THROW(closed.Write("x", 1), CFileException);
}

// Write errors are thrown with their cause instead of being lost.
TEST(FileTest, WriteToFullDeviceThrowsDiskFull)
{
    CFile file(QStringLiteral("/dev/full"), CFile::modeWrite);
    try {
        file.Write("x", 1);
        ADD_FAILURE() << "a write to /dev/full succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
        EXPECT_EQ(e.m_lOsError, ENOSPC);
        EXPECT_EQ(e.m_strFileName, QStringLiteral("/dev/full"));
    }
}
