// The desktop program as a process: one copy per user, a stopped first copy left alone,
// nothing lost when it is told to end by a signal, a damaged library or settings store
// survived, the first run's defaults stored, and a real window under an X server.
//
// Each test runs the built cordalib in a home of its own and follows it through the event
// file of its test hooks (cordalib/ui/TestHooks.h); every process started is ended in
// TearDown, stopped ones included.
#include "TestSupport.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/SettingsGroups.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <memory>
#include <vector>

#include <sys/types.h>

namespace {

QString DesktopPath()
{
#ifdef CORDALIB_PATH
    return QStringLiteral(CORDALIB_PATH);
#else
    return QStringLiteral(CORDA_BINARY_DIR "/cordalib/cordalib");
#endif
}

QString CliPath()
{
#ifdef CORDALIB_CLI_PATH
    return QStringLiteral(CORDALIB_CLI_PATH);
#else
    return QStringLiteral(CORDA_BINARY_DIR "/cordalib/cordalib-cli");
#endif
}

class DesktopProcessTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(DesktopPath()).isExecutable()) << DesktopPath().toStdString();
        // Short: the runtime folder holds the running-instance socket.
        ASSERT_TRUE(m_home.isValid());
        for (const char* folder : {"home", "config", "data", "runtime"})
            QDir().mkpath(Home(folder));
        QFile::setPermissions(Home("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), Home("home"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), Home("config"));
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), Home("data"));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Home("runtime"));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.remove(QStringLiteral("DISPLAY"));
        m_env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        m_env.insert(QStringLiteral("CORDALIB_TEST_EVENT_FILE"), EventFile());
        m_env.insert(QStringLiteral("CORDALIB_TEST_ANSWER_BOXES"), QStringLiteral("1"));
    }

    void TearDown() override
    {
        for (auto& process : m_processes) {
            if (process->state() == QProcess::NotRunning)
                continue;
            const auto pid = static_cast<pid_t>(process->processId());
            ::kill(pid, SIGCONT);
            ::kill(pid, SIGKILL);
            process->waitForFinished(5000);
        }
        m_processes.clear();
        AfxSetSettingsStorePath(QString());
    }

    QString Home(const char* folder) const
    {
        return m_home.path() + QLatin1Char('/') + QLatin1String(folder);
    }
    QString EventFile() const { return m_home.path() + QStringLiteral("/events.txt"); }
    QString DatabaseFolder() const
    {
        return Home("data") + QStringLiteral("/Corda Software/Corda Librarian/Database Files");
    }
    QString DatabaseFile() const { return DatabaseFolder() + QStringLiteral("/library.cordb"); }
    QString StoreFile() const { return Home("config") + QStringLiteral("/Corda Software/registry.db"); }

    QStringList Events() const
    {
        QFile file(EventFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    int CountEvents(const QString& prefix) const
    {
        int count = 0;
        for (const QString& line : Events())
            count += line.startsWith(prefix) ? 1 : 0;
        return count;
    }
    // The first event line that starts with the prefix, waiting for it; empty on time-out.
    QString WaitForEvent(const QString& prefix, int occurrence = 1, int timeoutMs = 20000) const
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            int seen = 0;
            for (const QString& line : Events()) {
                if (line.startsWith(prefix) && ++seen == occurrence)
                    return line;
            }
            if (clock.elapsed() > timeoutMs)
                return QString();
            QThread::msleep(20);
        }
    }

    QProcess* Start(const QProcessEnvironment& env)
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess* process = m_processes.back().get();
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(DesktopPath(), {});
        EXPECT_TRUE(process->waitForStarted(10000));
        return process;
    }
    QProcess* Start() { return Start(m_env); }

    // Starts second copies until the first says it was raised: a first copy on a loaded
    // machine may miss the 200 ms answer once, which is behaviour, not a fault. Each copy
    // must end with status 0. Returns how many were started (0 when none raised it).
    int RaiseWithSecondCopies(int attempts = 3)
    {
        const int before = CountEvents(QStringLiteral("raised"));
        for (int started = 1; started <= attempts; ++started) {
            QProcess* second = Start();
            EXPECT_TRUE(second->waitForFinished(10000)) << "a second copy hung";
            EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(second->exitCode(), 0);
            if (!WaitForEvent(QStringLiteral("raised"), before + 1, 2000).isEmpty())
                return started;
        }
        return 0;
    }

    // Sends the signal and expects a clean end (status 0) in reasonable time.
    static void EndWith(QProcess* process, int signalNumber)
    {
        ASSERT_EQ(::kill(static_cast<pid_t>(process->processId()), signalNumber), 0);
        ASSERT_TRUE(process->waitForFinished(20000)) << "did not end after signal " << signalNumber;
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }

    // cordalib-cli in the same home; its standard output.
    QByteArray Cli(const QStringList& arguments, int* exitCode = nullptr) const
    {
        QProcess cli;
        cli.setProcessEnvironment(m_env);
        cli.start(CliPath(), arguments);
        EXPECT_TRUE(cli.waitForFinished(60000));
        if (exitCode)
            *exitCode = cli.exitCode();
        return cli.readAllStandardOutput();
    }
    int CliCount(const char* command) const
    {
        int exitCode = -1;
        const QByteArray out = Cli({QStringLiteral("--json"), QLatin1String(command)}, &exitCode);
        EXPECT_EQ(exitCode, 0) << out.toStdString();
        return static_cast<int>(QJsonDocument::fromJson(out).array().size());
    }

    // A copy of the bundled samples, in the library's folder list but not synchronized.
    QString PrepareSamplesFolder()
    {
        const QString folder = m_home.path() + QStringLiteral("/samples");
        int exitCode = -1;
        corda::test::RunCommand(
            QStringLiteral("cp -R '%1/samples' '%2'").arg(QStringLiteral(CORDA_SOURCE_DIR), folder),
            &exitCode);
        EXPECT_EQ(exitCode, 0);
        Cli({QStringLiteral("folders"), QStringLiteral("add"), folder}, &exitCode);
        EXPECT_EQ(exitCode, 0);
        return folder;
    }
    static int SampleRecords(const char* kind)
    {
        QFile manifest(QStringLiteral(CORDA_SOURCE_DIR "/samples/manifest.jsonl"));
        EXPECT_TRUE(manifest.open(QIODevice::ReadOnly));
        const QByteArray pattern = QByteArray("\"kind\": \"") + kind + '"';
        int count = 0;
        for (const QByteArray& line : manifest.readAll().split('\n'))
            count += line.contains(pattern) ? 1 : 0;
        return count;
    }

    QTemporaryDir m_home{QDir::tempPath() + QStringLiteral("/clp-XXXXXX")};
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// A second copy must end at once with status 0 after bringing the first one forward; the
// first keeps running and ends normally afterwards.
TEST_F(DesktopProcessTest, SecondCopyRaisesTheFirstAndExits)
{
    QProcess* first = Start();
    ASSERT_FALSE(WaitForEvent(QStringLiteral("painted")).isEmpty());
    EXPECT_EQ(CountEvents(QStringLiteral("raised")), 0);

    const int started = RaiseWithSecondCopies();
    EXPECT_GE(started, 1) << "the first copy was never raised";
    EXPECT_LE(CountEvents(QStringLiteral("raised")), started);
    EXPECT_EQ(CountEvents(QStringLiteral("painted")), 1); // no second copy showed a window
    EXPECT_EQ(first->state(), QProcess::Running);
    EndWith(first, SIGTERM);
}

// A first copy that does not answer (stopped) must not hold up the second, which ends
// after its 200 ms wait; the stopped copy, once it runs again, must not jump to the front
// for a request nobody waits for any more, but still answers the next one.
TEST_F(DesktopProcessTest, StoppedFirstCopyIsLeftAlone)
{
    QProcess* first = Start();
    ASSERT_FALSE(WaitForEvent(QStringLiteral("painted")).isEmpty());
    const auto pid = static_cast<pid_t>(first->processId());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);

    QElapsedTimer clock;
    clock.start();
    QProcess* second = Start();
    ASSERT_TRUE(second->waitForFinished(10000)) << "the second copy hung on a stopped first copy";
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(second->exitCode(), 0);
    // 200 ms of waiting plus the start of a Qt program; generous for a loaded machine.
    EXPECT_LT(elapsed, 2000);

    ASSERT_EQ(::kill(pid, SIGCONT), 0);
    QThread::msleep(300);
    EXPECT_EQ(CountEvents(QStringLiteral("raised")), 0) << "raised for a request nobody waited for";
    // Still answering: later copies bring it forward. Requests are taken in order, so the
    // stale one has been seen (and ignored) by the time one of these raises it.
    const int started = RaiseWithSecondCopies();
    EXPECT_GE(started, 1);
    EXPECT_LE(CountEvents(QStringLiteral("raised")), started);
    EndWith(first, SIGTERM);
}

// The fault guarded against: a signal ending the program before the library is saved. A
// library changed by a synchronization must be on disk after SIGTERM, SIGINT or SIGHUP,
// and the window's placement saved by its normal close.
TEST_F(DesktopProcessTest, ChangedLibrarySurvivesTerminationSignals)
{
    PrepareSamplesFolder();
    const int songs = SampleRecords("song");
    const int lessons = SampleRecords("lesson");
    ASSERT_GT(songs, 0);
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("CORDALIB_TEST_SYNCHRONIZE"), QStringLiteral("1"));
    int run = 0;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        ++run;
        QFile::remove(DatabaseFile());
        QProcess* process = Start(env);
        const QString synchronized = WaitForEvent(QStringLiteral("synchronized"), run);
        EXPECT_EQ(synchronized, QStringLiteral("synchronized songs=%1 lessons=%2").arg(songs).arg(lessons));
        EXPECT_FALSE(QFileInfo::exists(DatabaseFile())); // only the shutdown saves
        EndWith(process, signalNumber);
        EXPECT_EQ(CliCount("songs"), songs);
        EXPECT_EQ(CliCount("lessons"), lessons);
    }
    AfxSetSettingsStorePath(StoreFile());
    QByteArray placement;
    EXPECT_TRUE(AfxGetProfileBinary(
        CRegistryPath(HKEY_CURRENT_USER, QStringLiteral("Software\\Corda Software\\Corda Librarian\\1.0")),
        QStringLiteral("Window Settings"), QStringLiteral("Window Placement"), placement));
    EXPECT_EQ(placement.size(), 44);
}

// A damaged settings store and a damaged library: the program starts with an empty
// library (the library's message answered), changes neither file, and ends normally.
TEST_F(DesktopProcessTest, DamagedLibraryAndStoreStartEmpty)
{
    QDir().mkpath(DatabaseFolder());
    QDir().mkpath(QFileInfo(StoreFile()).absolutePath());
    const QByteArray damagedLibrary("cordb\x07\x00\x01\x02 this is not a library", 32);
    const QByteArray damagedStore("SQLite format 3\0" + QByteArray(200, '\x5a'));
    corda::test::WriteAll(DatabaseFile(), damagedLibrary);
    corda::test::WriteAll(StoreFile(), damagedStore);

    QProcess* process = Start();
    EXPECT_EQ(WaitForEvent(QStringLiteral("painted")), QStringLiteral("painted songs=0 lessons=0"));
    const QString box = WaitForEvent(QStringLiteral("box "));
    EXPECT_TRUE(
        box.startsWith(QStringLiteral("box An error has occurred while opening the database file '%1'.")
                           .arg(DatabaseFile())))
        << box.toStdString();
    EndWith(process, SIGTERM);
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile()), damagedLibrary);
    EXPECT_EQ(corda::test::ReadAll(StoreFile()), damagedStore);
}

// The damaged library is kept byte for byte when the first save replaces it.
TEST_F(DesktopProcessTest, DamagedLibraryIsKeptWhenReplaced)
{
    PrepareSamplesFolder();
    QDir().mkpath(DatabaseFolder());
    const QByteArray damaged("\x00\x01\x02\x03 damaged library", 21);
    corda::test::WriteAll(DatabaseFile(), damaged);
    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("CORDALIB_TEST_SYNCHRONIZE"), QStringLiteral("1"));
    QProcess* process = Start(env);
    ASSERT_FALSE(WaitForEvent(QStringLiteral("synchronized")).isEmpty());
    EXPECT_EQ(CountEvents(QStringLiteral("box ")), 1);
    EndWith(process, SIGTERM);
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile() + QStringLiteral(".damaged")), damaged);
    EXPECT_EQ(CliCount("songs"), SampleRecords("song"));
}

// A clean home: the first run stores "Run Once", the update address, the four file
// locations (with their folders) and the reminder's dismissal date, and shows no box.
TEST_F(DesktopProcessTest, FirstRunStoresTheDefaults)
{
    QProcess* process = Start();
    EXPECT_EQ(WaitForEvent(QStringLiteral("painted")), QStringLiteral("painted songs=0 lessons=0"));
    EndWith(process, SIGTERM);
    EXPECT_EQ(CountEvents(QStringLiteral("box ")), 0);

    AfxSetSettingsStorePath(StoreFile());
    const CRegistryPath product(HKEY_CURRENT_USER,
                                QStringLiteral("Software\\Corda Software\\Corda Librarian"));
    const CRegistryPath application(HKEY_CURRENT_USER,
                                    QStringLiteral("Software\\Corda Software\\Corda Librarian\\1.0"));
    EXPECT_EQ(AfxGetProfileDWord(application, QStringLiteral("Run Once"), 0), 1u);
    EXPECT_TRUE(AfxGetProfileCheckForUpdatesURL(product).startsWith(QStringLiteral("http://")));
    EXPECT_NE(AfxGetProfileCheckForUpdatesLastDismissed(product), COleDateTime());
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastChecked(product), COleDateTime());
    for (const char* name : {"Database Files", "Backup Files", "Log Files", "Temporary Files"}) {
        SCOPED_TRACE(name);
        const QString stored = AfxGetProfileString(application, QStringLiteral("File Locations"),
                                                   QLatin1String(name), QString());
        EXPECT_EQ(stored,
                  Home("data") + QStringLiteral("/Corda Software/Corda Librarian/") + QLatin1String(name));
        EXPECT_TRUE(QFileInfo(stored).isDir());
    }
    // Nothing changed: no library file is written.
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
}

// Under a real X server: the main window is mapped and painted with the library's records,
// and SIGTERM closes it the normal way.
TEST_F(DesktopProcessTest, RealWindowUnderXvfb)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
    if (xvfb.isEmpty() || xwininfo.isEmpty())
        GTEST_SKIP() << "Xvfb or xwininfo is not installed (scripts/install-deps installs them)";
    PrepareSamplesFolder();
    ASSERT_EQ(Cli({QStringLiteral("sync")}).isEmpty(), false);

    // Xvfb writes the display's number to the file once it listens. Low numbers can be taken
    // by servers this machine does not show (an abstract socket of another sandbox on the same
    // network), so a random high one, and another when the server ends instead of listening.
    QString display;
    QProcess* server = nullptr;
    for (int attempt = 0; attempt < 5 && display.isEmpty(); ++attempt) {
        const QString displayFile = m_home.path() + QStringLiteral("/display-%1").arg(attempt);
        const int number = 100 + static_cast<int>(QRandomGenerator::global()->bounded(800));
        m_processes.push_back(std::make_unique<QProcess>());
        server = m_processes.back().get();
        server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server->start(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("exec '%1' :%3 -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "
                            "3>'%2' 2>/dev/null")
                 .arg(xvfb, displayFile)
                 .arg(number)});
        ASSERT_TRUE(server->waitForStarted(10000));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000 && server->state() == QProcess::Running) {
            QFile file(displayFile);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray text = file.readAll();
                if (text.endsWith('\n')) {
                    display = QStringLiteral(":") + QString::fromLatin1(text.trimmed());
                    break;
                }
            }
            QThread::msleep(20);
        }
    }
    ASSERT_FALSE(display.isEmpty()) << "Xvfb did not report a display";

    QProcessEnvironment env = m_env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display);
    QProcess* process = Start(env);
    EXPECT_EQ(WaitForEvent(QStringLiteral("painted")), QStringLiteral("painted songs=%1 lessons=%2")
                                                           .arg(SampleRecords("song"))
                                                           .arg(SampleRecords("lesson")));
    // Qt keeps a hidden 1x1 leader window under the same name: find the one that is mapped.
    int exitCode = -1;
    const QByteArray tree = corda::test::RunCommand(
        QStringLiteral("DISPLAY=%1 '%2' -root -tree").arg(display, xwininfo), &exitCode);
    EXPECT_EQ(exitCode, 0);
    bool mapped = false;
    for (const QByteArray& line : tree.split('\n')) {
        if (!line.contains("\"Corda Librarian\""))
            continue;
        const QByteArray id = line.trimmed().split(' ').front();
        const QByteArray info = corda::test::RunCommand(
            QStringLiteral("DISPLAY=%1 '%2' -id %3").arg(display, xwininfo, QString::fromLatin1(id)),
            &exitCode);
        if (info.contains("Map State: IsViewable") && !info.contains("Width: 1\n"))
            mapped = true;
    }
    EXPECT_TRUE(mapped) << tree.left(4000).toStdString();
    EndWith(process, SIGTERM);

    server->terminate();
    EXPECT_TRUE(server->waitForFinished(10000));
}

} // namespace
