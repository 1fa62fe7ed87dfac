#include "qvsystem/system/SingleInstance.h"

#include "ScopedEnvironment.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

// The helper mode: this same test binary, started with these variables, probes or holds
// the lock as a second process would.
constexpr const char* kHelperMode = "CORDA_SINGLE_INSTANCE_HELPER";
constexpr const char* kHelperName = "CORDA_SINGLE_INSTANCE_NAME";
constexpr const char* kHelperRuntime = "CORDA_SINGLE_INSTANCE_RUNTIME";
constexpr int kWaitMs = 60000; // a bound on waiting for the helper, not a measured time

void StartHelper(QProcess& process, const char* mode, const QString& name)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(Q(kHelperMode), Q(mode));
    environment.insert(Q(kHelperName), name);
    environment.insert(Q(kHelperRuntime), qEnvironmentVariable("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {Q("--gtest_filter=SingleInstanceHelper.Run"), Q("--gtest_brief=1")});
}

// Reads the helper's output until the pattern appears (or the helper ends).
QRegularExpressionMatch WaitForLine(QProcess& process, const QRegularExpression& pattern, QByteArray& output)
{
    for (;;) {
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(output));
        if (match.hasMatch())
            return match;
        if (!process.waitForReadyRead(kWaitMs))
            return pattern.match(QString::fromUtf8(output += process.readAllStandardOutput()));
        output += process.readAllStandardOutput();
    }
}

// What a second process sees for the name.
struct ProbeResult {
    bool ok = false;
    bool running = false;
    unsigned error = 0;
};

ProbeResult ProbeFromAnotherProcess(const QString& name)
{
    QProcess process;
    StartHelper(process, "probe", name);
    QByteArray output;
    const QRegularExpressionMatch match =
        WaitForLine(process, QRegularExpression(Q("running=(\\d) error=(\\d+)")), output);
    process.waitForFinished(kWaitMs);
    ProbeResult result;
    if (!match.hasMatch()) {
        ADD_FAILURE() << "helper gave no answer: " << output.toStdString();
        return result;
    }
    result.ok = true;
    result.running = match.captured(1) == Q("1");
    result.error = match.captured(2).toUInt();
    return result;
}

QString UniqueName(const char* stem)
{
    return Q(stem) + u'-' + QString::number(QCoreApplication::applicationPid()) + Q("-{B8C1F361}");
}

} // namespace

// Not a test of its own: the body of the helper process above; skipped in a normal run.
TEST(SingleInstanceHelper, Run)
{
    const QByteArray mode = qgetenv(kHelperMode);
    if (mode.isEmpty())
        GTEST_SKIP() << "helper mode only";
    ::setenv("XDG_RUNTIME_DIR", qgetenv(kHelperRuntime).constData(), 1);
    CSingleInstance instance(qEnvironmentVariable(kHelperName));
    if (mode == "probe") {
        std::cout << "running=" << (instance.IsAnotherInstanceRunning() ? 1 : 0)
                  << " error=" << instance.GetErrorCode() << std::endl;
        return;
    }
    std::cout << "held=" << (instance.IsLockHeld() ? 1 : 0) << std::endl;
    // Holds the lock until the parent closes our input.
    std::string line;
    while (std::getline(std::cin, line)) {
    }
}

// Guards the guard itself: while one object holds the name a second sees "already exists",
// and once the holder is gone the name is free again.
TEST(SingleInstanceTest, SecondHolderInSameProcessSeesTheFirst)
{
    const QString name = UniqueName("same-process");
    {
        CSingleInstance first(name);
        ASSERT_FALSE(first.IsAnotherInstanceRunning());
        ASSERT_TRUE(first.IsLockHeld());
        EXPECT_EQ(first.GetErrorCode(), CSingleInstance::NO_ERROR_CODE);
        EXPECT_TRUE(first.GetLockFilePath().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/'));

        CSingleInstance second(name);
        EXPECT_TRUE(second.IsAnotherInstanceRunning());
        EXPECT_FALSE(second.IsLockHeld());
        EXPECT_EQ(second.GetErrorCode(), CSingleInstance::ALREADY_EXISTS);

        CSingleInstance other(name + Q("-other"));
        EXPECT_FALSE(other.IsAnotherInstanceRunning());
        // No name guards nothing, so it never claims another instance.
        CSingleInstance unnamed{QString()}, empty{Q("")};
        EXPECT_FALSE(unnamed.IsAnotherInstanceRunning());
        EXPECT_FALSE(empty.IsAnotherInstanceRunning());
    }
    CSingleInstance third(name);
    EXPECT_FALSE(third.IsAnotherInstanceRunning());
    EXPECT_TRUE(third.IsLockHeld());
}

// Guards the case that matters: a second program started while the first runs must see
// it, through the lock file alone.
TEST(SingleInstanceTest, AnotherProcessSeesTheHolder)
{
    const QString name = UniqueName("held-here");
    {
        CSingleInstance holder(name);
        ASSERT_TRUE(holder.IsLockHeld());
        const ProbeResult probe = ProbeFromAnotherProcess(name);
        ASSERT_TRUE(probe.ok);
        EXPECT_TRUE(probe.running);
        EXPECT_EQ(probe.error, CSingleInstance::ALREADY_EXISTS);
    }
    const ProbeResult after = ProbeFromAnotherProcess(name);
    ASSERT_TRUE(after.ok);
    EXPECT_FALSE(after.running);
    EXPECT_EQ(after.error, 0u);
}

// Guards release by the system: when the holding process ends, by exiting or by being
// killed (a crash), the name is free without any clean-up of ours.
TEST(SingleInstanceTest, LockEndsWithTheHoldingProcess)
{
    const QString name = UniqueName("held-there");
    for (const bool kill : {false, true}) {
        QProcess holder;
        StartHelper(holder, "hold", name);
        QByteArray output;
        const QRegularExpressionMatch held = WaitForLine(holder, QRegularExpression(Q("held=(\\d)")), output);
        ASSERT_TRUE(held.hasMatch()) << output.toStdString();
        ASSERT_EQ(held.captured(1), Q("1"));
        {
            CSingleInstance second(name);
            EXPECT_TRUE(second.IsAnotherInstanceRunning()) << "kill=" << kill;
        }
        if (kill)
            holder.kill();
        else
            holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(kWaitMs));
        EXPECT_EQ(holder.exitStatus(), kill ? QProcess::CrashExit : QProcess::NormalExit);
        CSingleInstance after(name);
        EXPECT_FALSE(after.IsAnotherInstanceRunning()) << "kill=" << kill;
        EXPECT_TRUE(after.IsLockHeld());
    }
}

// Guards the name mapping: separators and other bytes cannot leave the folder or make two
// names share one file, and very long names still give a usable file name.
TEST(SingleInstanceTest, MutexNamesMapToDistinctSafeFileNames)
{
    const auto file = [](const char* name) { return CSingleInstance::LockFileNameForMutexName(Q(name)); };
    EXPECT_EQ(file("Corda Librarian-{B8C1F361-9431-48b0-A955-A5EDF34FC262}"),
              Q("Corda%20Librarian-{B8C1F361-9431-48b0-A955-A5EDF34FC262}.lock"));
    EXPECT_EQ(file("../x/y"), Q("%2E.%2Fx%2Fy.lock"));
    EXPECT_NE(file("a b"), file("a_b"));
    EXPECT_NE(file("a b"), file("a%20b")); // the escape character is escaped too
    EXPECT_NE(file("Name"), file("name"));

    const QString longA = QString(500, u'a');
    const QString longB = QString(499, u'a') + u'b';
    const QString fileA = CSingleInstance::LockFileNameForMutexName(longA);
    EXPECT_LE(fileA.size(), 255);
    EXPECT_NE(fileA, CSingleInstance::LockFileNameForMutexName(longB));

    CSingleInstance escaping(Q("../../escape"));
    ASSERT_TRUE(escaping.IsLockHeld());
    EXPECT_EQ(QFileInfo(escaping.GetLockFilePath()).absolutePath(),
              QFileInfo(qEnvironmentVariable("XDG_RUNTIME_DIR")).absoluteFilePath());
    CSingleInstance veryLong(longA);
    EXPECT_TRUE(veryLong.IsLockHeld());
}

// Guards the failure path: a lock file that cannot be opened reads as "another instance"
// (access denied), as the Windows mutex does for a name held by another user. A folder in
// the lock file's place cannot be opened for writing, not even by root.
TEST(SingleInstanceTest, UnopenableLockFileCountsAsAccessDenied)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = UniqueName("unopenable");
    ASSERT_TRUE(QDir(dir.path()).mkdir(CSingleInstance::LockFileNameForMutexName(name)));
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()).constData());
    CSingleInstance instance(name);
    EXPECT_TRUE(instance.IsAnotherInstanceRunning());
    EXPECT_FALSE(instance.IsLockHeld());
    EXPECT_EQ(instance.GetErrorCode(), CSingleInstance::ACCESS_DENIED);
}

// Guards the fallback when no runtime folder is set: a private folder under /tmp that only
// this user may enter.
TEST(SingleInstanceTest, FallsBackToPrivateFolderUnderTmp)
{
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", nullptr);
    const QString folder = Q("/tmp/corda-runtime-") + QString::number(::getuid());
    QString lockFile;
    {
        CSingleInstance instance(UniqueName("fallback"));
        ASSERT_TRUE(instance.IsLockHeld());
        lockFile = instance.GetLockFilePath();
        EXPECT_EQ(QFileInfo(lockFile).absolutePath(), folder);
        struct stat status {};
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);
        EXPECT_EQ(status.st_uid, ::getuid());
        CSingleInstance second(UniqueName("fallback"));
        EXPECT_TRUE(second.IsAnotherInstanceRunning());
    }
    QFile::remove(lockFile);
}
