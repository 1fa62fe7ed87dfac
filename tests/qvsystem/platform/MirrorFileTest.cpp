#include "PlatformTestHelpers.h"
#include "TestSupport.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/MirrorFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace corda::test;

namespace {

constexpr unsigned kSaveFlags = CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive;

class MirrorFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_target = m_dir.filePath(QStringLiteral("library.cordb"));
        WriteAll(m_target, m_old);
    }

    mode_t ModeOf(const QString& path) const
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir m_dir;
    QString m_target;
    const QByteArray m_old = QByteArray("the old content, which must survive every failure");
};

} // namespace

// A committed save replaces the content, keeps the target's permissions and leaves
// nothing else in the folder.
TEST_F(MirrorFileTest, CloseReplacesTargetAndKeepsPermissions)
{
    ASSERT_EQ(::chmod(QFile::encodeName(m_target).constData(), 0640), 0);
    CMirrorFile file;
    ASSERT_TRUE(file.Open(m_target, kSaveFlags));
    const QString temporary = file.GetTemporaryPath();
    EXPECT_TRUE(QFileInfo(temporary).fileName().startsWith(QLatin1Char('.')));
    EXPECT_EQ(QFileInfo(temporary).absolutePath(), m_dir.path());
    file.Write("new", 3);
    EXPECT_EQ(ReadAll(m_target), m_old); // nothing visible before the commit
    file.Close();
    EXPECT_EQ(ReadAll(m_target), QByteArray("new"));
    EXPECT_EQ(ModeOf(m_target), 0640u);
    EXPECT_EQ(FolderEntries(m_dir.path()), QStringList{QStringLiteral("library.cordb")});
}

// A new file gets the permissions an ordinary creation would give, not mkstemp's 0600.
TEST_F(MirrorFileTest, NewFileFollowsUmask)
{
    const QString fresh = m_dir.filePath(QStringLiteral("fresh.crd"));
    const mode_t old = ::umask(027);
    CMirrorFile file;
    const bool opened = file.Open(fresh, kSaveFlags);
    if (opened) {
        file.Write("x", 1);
        file.Close();
    }
    ::umask(old);
    ASSERT_TRUE(opened);
    EXPECT_EQ(ModeOf(fresh), 0640u);
}

// Abort and destruction without Close keep the old file and remove the temporary one.
TEST_F(MirrorFileTest, AbortAndDestructorDiscardTheWrite)
{
    {
        CMirrorFile file;
        ASSERT_TRUE(file.Open(m_target, kSaveFlags));
        file.Write("partial", 7);
        file.Abort();
        EXPECT_FALSE(file.IsOpen());
    }
    {
        CMirrorFile file;
        ASSERT_TRUE(file.Open(m_target, kSaveFlags));
        file.Write("partial", 7);
    }
    EXPECT_EQ(ReadAll(m_target), m_old);
    EXPECT_EQ(FolderEntries(m_dir.path()), QStringList{QStringLiteral("library.cordb")});
}

// A write that fails part-way (the file-size limit stands in for a full disk) must
// surface as diskFull and leave the old file as it was.
TEST_F(MirrorFileTest, WriteErrorLeavesTargetIntact)
{
    const QString target = m_target;
    const int code = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        CMirrorFile file;
        if (!file.Open(target, kSaveFlags))
            return 11;
        try {
            CArchive ar(&file, CArchive::store);
            for (int i = 0; i < 100; ++i)
                ar << std::string(200, 'z');
            ar.Close();
            file.Close();
            return 1;
        } catch (const CFileException& e) {
            file.Abort();
            return e.m_cause == CFileException::diskFull ? 0 : 2;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadAll(m_target), m_old);
    EXPECT_EQ(FolderEntries(m_dir.path()), QStringList{QStringLiteral("library.cordb")});
}

// A process killed in the middle of a save must not have touched the target.
TEST_F(MirrorFileTest, KilledWriterLeavesTargetIntact)
{
    const QString target = m_target;
    const int code = RunInChild([&] {
        CMirrorFile file;
        if (!file.Open(target, kSaveFlags))
            return 11;
        file.Write("half a new file", 15);
        ::raise(SIGKILL);
        return 12;
    });
    EXPECT_EQ(code, 128 + SIGKILL);
    EXPECT_EQ(ReadAll(m_target), m_old);
}

// A failure at commit time throws, and still removes the temporary file.
TEST_F(MirrorFileTest, FailedCommitThrowsAndCleansUp)
{
    const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
    CMirrorFile file;
    ASSERT_TRUE(file.Open(blocked, kSaveFlags));
    file.Write("data", 4);
    // A non-empty folder now stands where the file should go: the rename must fail.
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
    EXPECT_THROW(file.Close(), CFileException);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(FolderEntries(m_dir.path()),
              (QStringList{QStringLiteral("blocked"), QStringLiteral("library.cordb")}));
}

// Saving through a symbolic link updates the file it points to and keeps the link.
TEST_F(MirrorFileTest, SymbolicLinkStaysALink)
{
    const QString link = m_dir.filePath(QStringLiteral("link.cordb"));
    ASSERT_TRUE(QFile::link(m_target, link));
    CMirrorFile file;
    ASSERT_TRUE(file.Open(link, kSaveFlags));
    file.Write("via link", 8);
    file.Close();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(m_target), QByteArray("via link"));
}

// Open failures are reported, never thrown; a folder is not a file to replace.
TEST_F(MirrorFileTest, OpenFailuresAreReported)
{
    CMirrorFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(m_dir.filePath(QStringLiteral("missing/x.crd")), kSaveFlags, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(file.Open(m_dir.path(), kSaveFlags, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(m_target).constData(), 0444), 0);
        EXPECT_FALSE(file.Open(m_target, kSaveFlags, &error));
        EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    }
    EXPECT_EQ(ReadAll(m_target), m_old);
    EXPECT_EQ(FolderEntries(m_dir.path()), QStringList{QStringLiteral("library.cordb")});
}

// Without modeCreate there is nothing to mirror: the file is written in place.
TEST_F(MirrorFileTest, WithoutCreateWritesInPlace)
{
    CMirrorFile file;
    ASSERT_TRUE(file.Open(m_target, CFile::modeWrite));
    EXPECT_TRUE(file.GetTemporaryPath().isEmpty());
    file.Write("THE", 3);
    file.Close();
    EXPECT_EQ(ReadAll(m_target), QByteArray("THE") + m_old.mid(3));
}

// Saves inside a batch are complete at once (only the folders' sync waits for its end); a
// nested batch hands the thread back to the outer one; a folder removed before the end is no
// failure, as nothing of the batch is left there.
TEST_F(MirrorFileTest, BatchDefersOnlyTheFolderSync)
{
    const QString other = m_dir.filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(other));
    const QString gone = m_dir.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkpath(gone));
    const auto save = [](const QString& path, const QByteArray& bytes) {
        CMirrorFile file;
        ASSERT_TRUE(file.Open(path, kSaveFlags));
        file.Write(bytes.constData(), static_cast<unsigned>(bytes.size()));
        file.Close();
    };
    EXPECT_EQ(CMirrorFileBatch::GetCurrent(), nullptr);
    {
        CMirrorFileBatch outer;
        EXPECT_EQ(CMirrorFileBatch::GetCurrent(), &outer);
        save(m_target, "first");
        EXPECT_EQ(ReadAll(m_target), QByteArray("first"));
        {
            CMirrorFileBatch inner;
            EXPECT_EQ(CMirrorFileBatch::GetCurrent(), &inner);
            save(other + QStringLiteral("/a.crd"), "second");
            save(gone + QStringLiteral("/b.crd"), "third");
            EXPECT_EQ(ReadAll(other + QStringLiteral("/a.crd")), QByteArray("second"));
            ASSERT_TRUE(QDir(gone).removeRecursively());
            QString failed;
            int error = 0;
            EXPECT_TRUE(inner.Finish(&failed, &error));
            EXPECT_TRUE(failed.isEmpty());
        }
        EXPECT_EQ(CMirrorFileBatch::GetCurrent(), &outer);
        EXPECT_TRUE(outer.Finish());
        EXPECT_EQ(FolderEntries(m_dir.path()),
                  QStringList({QStringLiteral("library.cordb"), QStringLiteral("sub")}));
    }
    EXPECT_EQ(CMirrorFileBatch::GetCurrent(), nullptr);
}

// The closer puts files in place on its helper thread in the order they came: each is there
// once its wait returns, a failed close is thrown from its own wait only (its temporary file
// gone, the others unharmed), and a close never waited for is still completed before the
// closer goes.
TEST_F(MirrorFileTest, CloserCommitsInOrderAndHandsEachFailureToItsWait)
{
    const QString second = m_dir.filePath(QStringLiteral("second.crd"));
    const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
    const QString last = m_dir.filePath(QStringLiteral("last.crd"));
    CMirrorFileBatch batch;
    CMirrorFile files[4];
    const QString paths[4] = {m_target, blocked, second, last};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(files[i].Open(paths[i], kSaveFlags));
        const QByteArray bytes = "content " + QByteArray::number(i);
        files[i].Write(bytes.constData(), static_cast<unsigned>(bytes.size()));
    }
    // A non-empty folder now stands where the second file should go.
    ASSERT_TRUE(QDir().mkpath(blocked + QStringLiteral("/inside")));
    {
        CMirrorFileCloser closer;
        for (CMirrorFile& file : files)
            closer.Start(file);
        closer.Wait(files[0]);
        EXPECT_EQ(ReadAll(m_target), QByteArray("content 0"));
        EXPECT_FALSE(files[0].IsOpen());
        // The failure of the second belongs to its wait, not to the third's.
        closer.Wait(files[2]);
        EXPECT_EQ(ReadAll(second), QByteArray("content 2"));
        EXPECT_THROW(closer.Wait(files[1]), CFileException);
        EXPECT_TRUE(QFileInfo(blocked).isDir());
        // Waiting again for a file already waited for returns at once.
        closer.Wait(files[0]);
    }
    EXPECT_EQ(ReadAll(last), QByteArray("content 3"));
    EXPECT_FALSE(files[3].IsOpen());
    EXPECT_EQ(FolderEntries(m_dir.path()),
              (QStringList{QStringLiteral("blocked"), QStringLiteral("last.crd"),
                           QStringLiteral("library.cordb"), QStringLiteral("second.crd")}));
    EXPECT_TRUE(batch.Finish());
}
