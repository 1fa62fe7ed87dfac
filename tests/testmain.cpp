// Shared main of the test binaries: isolates the user's folders and turns unexpected
// Qt warnings into test failures.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#ifdef CORDA_TEST_GUI
#include <QApplication>
#endif

#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

QTemporaryDir* g_sandbox = nullptr;
std::mutex g_warningMutex;
QStringList g_allowed;
QStringList g_unexpected;

void MessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    // The offscreen platform says this of every fixed-size window; it tells nothing.
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    std::lock_guard lock(g_warningMutex);
    for (const QString& pattern : g_allowed) {
        if (QRegularExpression(pattern).match(message).hasMatch())
            return;
    }
    g_unexpected.append(message);
    if (type == QtFatalMsg)
        std::abort();
}

class WarningListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override
    {
        std::lock_guard lock(g_warningMutex);
        g_allowed.clear();
        g_unexpected.clear();
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        QStringList unexpected;
        {
            std::lock_guard lock(g_warningMutex);
            unexpected.swap(g_unexpected);
        }
        for (const QString& message : unexpected)
            ADD_FAILURE() << "unexpected Qt warning: " << message.toStdString();
    }
};

void SetEnvPath(const char* name, const QString& path)
{
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv(name, QFile::encodeName(path).constData(), 1);
}

} // namespace

namespace corda::test {

void AllowQtWarning(const QString& pattern)
{
    std::lock_guard lock(g_warningMutex);
    g_allowed.append(pattern);
}

QString SandboxRoot()
{
    return g_sandbox ? g_sandbox->path() : QString();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray RunCommand(const QString& command, int* exitCode)
{
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    process.waitForFinished(-1);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

std::string Md5sumOf(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("md5sum"), {path});
    process.waitForFinished(-1);
    return process.readAllStandardOutput().left(32).toStdString();
}

} // namespace corda::test

int main(int argc, char** argv)
{
    // Before anything reads them: no test touches the real home folder.
    g_sandbox = new QTemporaryDir();
    const QString root = g_sandbox->path();
    SetEnvPath("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
    SetEnvPath("XDG_DATA_HOME", root + QStringLiteral("/data"));
    SetEnvPath("XDG_RUNTIME_DIR", root + QStringLiteral("/runtime"));
    SetEnvPath("HOME", root + QStringLiteral("/home"));
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    qInstallMessageHandler(MessageHandler);
#ifdef CORDA_TEST_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new WarningListener);
    const int result = RUN_ALL_TESTS();
    delete g_sandbox;
    return result;
}
