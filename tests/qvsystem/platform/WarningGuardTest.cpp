#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QtGlobal>

// Run only by the test below, in a child process: a warning nobody allowed.
TEST(WarningGuard, DISABLED_StrayWarning)
{
    corda::test::AllowQtWarning(QStringLiteral("^an allowed warning$"));
    qWarning("an allowed warning");
    qWarning("a stray warning");
}

// Guards against the shared test main letting a Qt warning pass unseen: the test that gave
// it fails and names it, while an allowed one says nothing.
TEST(WarningGuard, UnexpectedWarningFailsItsTest)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=WarningGuard.DISABLED_StrayWarning"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_NE(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("unexpected Qt warning: a stray warning")))
        << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("unexpected Qt warning: an allowed warning")));
    EXPECT_TRUE(output.contains(QStringLiteral("[  FAILED  ] WarningGuard.DISABLED_StrayWarning")));
}
