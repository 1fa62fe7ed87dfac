// The update check's dialog against a server on 127.0.0.1: the result it tells, the
// waiting rule, and servers that answer wrongly, too much or not at all.
#include "OnlineTestSupport.h"

#include "qvsystem/online/OpenExternalLink.h"
#include "qvsystem/online/QVSocket.h"
#include "qvsystem/online/UpdateDlg.h"
#include "qvsystem/online/UpdateListing.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

using namespace corda::test;

namespace {

const CVersionNumber PROGRAM_VERSION(1, 2, 0, 0);

QString Shown(const char* text)
{
    return QString::fromUtf8(text);
}

QString CheckError(const QString& cause)
{
    return QStringLiteral("An error has occurred while checking for updates.\n\n") + cause;
}

// What one run of the dialog gave, and how the window fared meanwhile.
struct CCheckRun {
    CUpdateDlg::updateCheckResult result = CUpdateDlg::notChecked;
    int dialogCode = -1;
    std::vector<CBoxRecorder::CBox> boxes;
    qint64 elapsedMs = 0;
    int ticks = 0;
    qint64 longestGapMs = 0;
    long residentGrowthKiB = 0;
};

class UpdateDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!CQVSocket::IsInitialized()) {
            ASSERT_TRUE(CQVSocket::Initialize());
        }
        ASSERT_TRUE(m_temp.isValid());
        m_oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_path = CRegistryPath(
            HKEY_CURRENT_USER,
            QStringLiteral("Software\\Corda Tests\\Update\\%1").arg(QString::fromLatin1(info->name())));
        AfxWriteProfileCheckForUpdatesLastChecked(m_path, COleDateTime(0.0));
        AfxWriteProfileCheckForUpdatesURL(m_path, m_server.Url());
        // Short waits: a server that stalls is given up within a second here.
        m_limits.idleTimeOut = 700;
        m_limits.connectTimeOut = 2000;
        m_limits.hostLookupTimeOut = 2000;
        m_limits.transferTimeOut = 6000;
        // The offscreen platform says this of every dialog it shows; it tells nothing.
        AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    }
    void TearDown() override
    {
        qputenv("TMPDIR", m_oldTmp);
        QVSystemSetOpenExternalLinkCallback(nullptr);
    }

    // Runs the dialog modally as the program does, answering its boxes, counting ticks of a
    // 10 ms timer and sampling the memory while it runs.
    CCheckRun Run(const CVersionNumber& version = PROGRAM_VERSION,
                  std::function<void(CUpdateDlg&)> during = {})
    {
        CCheckRun run;
        CBoxRecorder recorder;
        CUpdateDlg dialog(0, m_path, version);
        dialog.SetLimits(m_limits);
        const long residentBefore = ResidentKiB();
        long residentPeak = residentBefore;
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [&]() {
            ++run.ticks;
            const qint64 now = clock.elapsed();
            run.longestGapMs = std::max(run.longestGapMs, now - lastTick);
            lastTick = now;
            residentPeak = std::max(residentPeak, ResidentKiB());
            if (during && dialog.isVisible())
                during(dialog);
        });
        ticker.start(10);
        QTimer::singleShot(15000, &dialog, [&dialog]() {
            ADD_FAILURE() << "the check did not end";
            dialog.reject();
        });
        run.dialogCode = dialog.exec();
        ticker.stop();
        run.elapsedMs = clock.elapsed();
        run.result = dialog.GetResult();
        run.boxes = recorder.Boxes();
        run.residentGrowthKiB = residentPeak - residentBefore;
        return run;
    }
    void ExpectOneBox(const CCheckRun& run, const QString& text, QMessageBox::Icon icon)
    {
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].text, text);
        EXPECT_EQ(run.boxes[0].icon, icon);
    }
    // The response was written to a temporary file; none may stay behind.
    void ExpectNoTemporaryFiles()
    {
        EXPECT_TRUE(QDir(m_temp.path()).entryList(QDir::Files).isEmpty())
            << QDir(m_temp.path()).entryList(QDir::Files).join(u' ').toStdString();
    }
    void ForgetLastCheck() { AfxWriteProfileCheckForUpdatesLastChecked(m_path, COleDateTime(0.0)); }

    CHttpTestServer m_server;
    QTemporaryDir m_temp;
    QByteArray m_oldTmp;
    CRegistryPath m_path;
    CUpdateCheckLimits m_limits;
};

// The listed version against the program's: each comparison has its own message, with both
// versions in full ("1.2" is 1.2.0.0, so it is the program's own version).
TEST_F(UpdateDlgTest, TellsWhetherTheListedVersionIsNewerEqualOrOlder)
{
    struct Case {
        QByteArray body;
        CUpdateDlg::updateCheckResult result;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"1.3", CUpdateDlg::newVersionAvailable,
         "A new version of the program is available.\n\nYour version: 1.2.0.0\nLatest version: 1.3.0.0"},
        {"1.2.0.1", CUpdateDlg::newVersionAvailable,
         "A new version of the program is available.\n\nYour version: 1.2.0.0\nLatest version: 1.2.0.1"},
        {"1.2", CUpdateDlg::latestVersion,
         "You are using the latest official version of the program.\n\nYour version: 1.2.0.0\n"
         "Latest version: 1.2.0.0"},
        {"1,2 0", CUpdateDlg::latestVersion,
         "You are using the latest official version of the program.\n\nYour version: 1.2.0.0\n"
         "Latest version: 1.2.0.0"},
        {"1.1.9.9", CUpdateDlg::newerThanLatestVersion,
         "You are using a newer version than the latest official version of the program.\n\n"
         "Your version: 1.2.0.0\nLatest version: 1.1.9.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        ForgetLastCheck();
        m_server.Serve(CServedResponse::Ok(c.body));
        const COleDateTime before = COleDateTime::GetCurrentUTCTime();
        const CCheckRun run = Run();
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.dialogCode, QDialog::Accepted);
        ExpectOneBox(run, Shown(c.text), QMessageBox::Information);
        const QByteArray expected =
            "GET /latest.txt HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(m_server.Port()) +
            "\r\nConnection: close\r\n\r\n";
        EXPECT_EQ(m_server.LastRequest(), expected);
        // The check counts from the moment it connected.
        const COleDateTime checked = AfxGetProfileCheckForUpdatesLastChecked(m_path);
        EXPECT_GE(checked.m_dt, before.m_dt - 1.0 / 86400);
        EXPECT_LE(checked.m_dt, COleDateTime::GetCurrentUTCTime().m_dt + 1.0 / 86400);
        ExpectNoTemporaryFiles();
    }
}

// Nothing but the number may be in the body: a trailing line break, other words or an
// empty body are an invalid listing, never a version (an empty one would read as 0.0.0.0).
// A body in chunks or followed by bytes past its announced length is read as the server
// meant it.
TEST_F(UpdateDlgTest, OnlyAVersionNumberAloneIsAValidListing)
{
    const QString invalid = Shown("The version number retrieved from the update site is invalid.");
    for (const QByteArray& body : {QByteArray("1.2.0.0\r\n"), QByteArray("1.3\n"), QByteArray(""),
                                   QByteArray("v1.3"), QByteArray("1.3 beta"), QByteArray(" . , ")}) {
        SCOPED_TRACE(body.toStdString());
        ForgetLastCheck();
        m_server.Serve(CServedResponse::Ok(body));
        const CCheckRun run = Run();
        EXPECT_EQ(run.result, CUpdateDlg::invalidVersion);
        ExpectOneBox(run, invalid, QMessageBox::Information);
        ExpectNoTemporaryFiles();
    }

    ForgetLastCheck();
    m_server.Serve(CServedResponse::Raw("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                        "2\r\n1.\r\n1\r\n3\r\n0\r\n\r\n"));
    EXPECT_EQ(Run().result, CUpdateDlg::newVersionAvailable);
    ForgetLastCheck();
    m_server.Serve(CServedResponse::Raw("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n1.3<html>"));
    EXPECT_EQ(Run().result, CUpdateDlg::newVersionAvailable);

    CVersionNumber version;
    EXPECT_TRUE(AfxParseUpdateListing(QStringLiteral("1.2"), version));
    EXPECT_EQ(version, CVersionNumber(1, 2, 0, 0));
}

// An answer other than 200 shows the text of its status code.
TEST_F(UpdateDlgTest, AnHttpErrorShowsTheTextOfItsStatus)
{
    m_server.Serve(CServedResponse::Raw("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found"));
    CCheckRun run = Run();
    EXPECT_EQ(run.result, CUpdateDlg::checkFailed);
    EXPECT_EQ(run.dialogCode, QDialog::Rejected);
    ExpectOneBox(
        run, CheckError(QStringLiteral("The server has not found anything that matches the requested URI.")),
        QMessageBox::Warning);
    ExpectNoTemporaryFiles();

    ForgetLastCheck();
    m_server.Serve(CServedResponse::Raw("HTTP/1.0 500 Internal Server Error\r\n\r\n"));
    run = Run();
    ExpectOneBox(
        run,
        CheckError(QStringLiteral("The server encountered an unexpected condition that prevented it from "
                                  "fulfilling the request.")),
        QMessageBox::Warning);
}

// A second check within 15 seconds asks the user to wait and does not reach the server; a
// last check stored in the future (a clock put back) must not block checks for days.
TEST_F(UpdateDlgTest, ASecondCheckWithinFifteenSecondsWaits)
{
    m_server.Serve(CServedResponse::Ok("1.2"));
    EXPECT_EQ(Run().result, CUpdateDlg::latestVersion);
    EXPECT_EQ(m_server.Connections(), 1);

    const CCheckRun second = Run();
    EXPECT_EQ(second.result, CUpdateDlg::mustWait);
    ExpectOneBox(second, Shown("You must wait at least 15 seconds before checking for updates again."),
                 QMessageBox::Information);
    EXPECT_EQ(m_server.Connections(), 1);

    AfxWriteProfileCheckForUpdatesLastChecked(
        m_path, COleDateTime(COleDateTime::GetCurrentUTCTime().m_dt - 16.0 / 86400));
    EXPECT_EQ(Run().result, CUpdateDlg::latestVersion);
    AfxWriteProfileCheckForUpdatesLastChecked(m_path,
                                              COleDateTime(COleDateTime::GetCurrentUTCTime().m_dt + 2.0));
    EXPECT_EQ(Run().result, CUpdateDlg::latestVersion);
    EXPECT_EQ(m_server.Connections(), 3);
}

// Checks that cannot start: each says why, except the program's refusal of the address,
// which is silent and must not reach the server.
TEST_F(UpdateDlgTest, ChecksThatCannotStartSayWhy)
{
    AfxWriteProfileCheckForUpdatesURL(m_path, QStringLiteral("not an address"));
    ExpectOneBox(Run(), CheckError(QStringLiteral("The updates file URL is invalid.")), QMessageBox::Warning);

    AfxWriteProfileCheckForUpdatesURL(m_path, m_server.Url());
    QStringList asked;
    QVSystemSetOpenExternalLinkCallback([&asked](const QString& link) {
        asked.append(link);
        return 0;
    });
    CCheckRun run = Run();
    EXPECT_EQ(run.result, CUpdateDlg::refused);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(asked, QStringList{m_server.Url()});
    EXPECT_EQ(m_server.Connections(), 0);
    QVSystemSetOpenExternalLinkCallback(nullptr);

    ASSERT_TRUE(CQVSocket::Deinitialize());
    run = Run();
    ASSERT_TRUE(CQVSocket::Initialize());
    ExpectOneBox(run, CheckError(QStringLiteral("The QVSocket class has not been initialized.")),
                 QMessageBox::Warning);
    ExpectNoTemporaryFiles();

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    AfxWriteProfileCheckForUpdatesURL(
        m_path, QStringLiteral("http://127.0.0.1:%1/latest.txt").arg(closed.serverPort()));
    closed.close();
    run = Run();
    ExpectOneBox(run, CheckError(QStringLiteral("Connection refused.")), QMessageBox::Warning);
    // A failed check after the connection began still counts as a check.
    EXPECT_NE(AfxGetProfileCheckForUpdatesLastChecked(m_path).m_dt, 0.0);
}

// Hostile or broken servers: a header that never ends, a body of 100 MB (announced or
// not), a server that stalls after connecting or inside its header. Each check ends with
// a message, in bounded time and memory, and the window keeps answering meanwhile.
TEST_F(UpdateDlgTest, HostileServersEndInBoundedTimeAndMemoryWhileTheWindowAnswers)
{
    struct Case {
        const char* name;
        CServedResponse response;
        QString cause;
    };
    const qint64 hundredMegabytes = 100LL * 1024 * 1024;
    const std::vector<Case> cases = {
        {"header that never ends",
         {CServedResponse::endlessHeader, "HTTP/1.1 200 OK\r\n", hundredMegabytes},
         QStringLiteral("The server's response header is too large.")},
        {"100 MB body",
         {CServedResponse::endlessBody, "HTTP/1.1 200 OK\r\n\r\n", hundredMegabytes},
         QStringLiteral("The server's response is too large.")},
        {"100 MB body announced",
         {CServedResponse::endlessBody, "HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n",
          hundredMegabytes},
         QStringLiteral("The server's response is too large.")},
        {"stall after connecting", {CServedResponse::stall, {}}, QStringLiteral("Connection timed out.")},
        {"stall inside the header",
         {CServedResponse::partialStall, "HTTP/1.1 200 OK\r\nContent-"},
         QStringLiteral("Connection timed out.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ForgetLastCheck();
        m_server.Serve(c.response);
        const CCheckRun run = Run();
        EXPECT_EQ(run.result, CUpdateDlg::checkFailed);
        ExpectOneBox(run, CheckError(c.cause), QMessageBox::Warning);
        EXPECT_LT(run.elapsedMs, 8000);
        EXPECT_LT(run.residentGrowthKiB, 48 * 1024);
        // The window's own timer kept running: the UI thread never waited on the network.
        EXPECT_GE(run.ticks, run.elapsedMs / 40);
        EXPECT_LT(run.longestGapMs, 500);
        ExpectNoTemporaryFiles();
        EXPECT_TRUE(WaitUntil([&]() { return m_server.ClientsGone() == m_server.Connections(); }))
            << "the connection was left open";
    }
    // Far less than the 100 MB offered was taken.
    EXPECT_LT(m_server.BytesSent(), 3 * 64LL * 1024 * 1024);
}

// Cancel ends a check that waits on a silent server at once and quietly; the window shows
// its text and its busy bar while it waits, under the caption it was given.
TEST_F(UpdateDlgTest, CancelEndsAWaitingCheckAtOnce)
{
    m_limits.idleTimeOut = 30000;
    m_limits.transferTimeOut = 60000;
    m_server.Serve({CServedResponse::stall, {}});
    QString status;
    bool busy = false;
    QString caption;
    QElapsedTimer clicked;
    const CCheckRun run = Run(PROGRAM_VERSION, [&](CUpdateDlg& dialog) {
        if (clicked.isValid() || m_server.Connections() == 0)
            return;
        status = dialog.GetStatusControl()->text();
        busy = dialog.GetProgressControl()->maximum() == 0;
        caption = dialog.windowTitle();
        clicked.start();
        QTest::mouseClick(dialog.GetCancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(run.result, CUpdateDlg::cancelled);
    EXPECT_TRUE(run.boxes.empty());
    ASSERT_TRUE(clicked.isValid());
    EXPECT_LT(clicked.elapsed(), 2000);
    EXPECT_EQ(status, QStringLiteral("Checking for updates. Please wait..."));
    EXPECT_TRUE(busy);
    EXPECT_FALSE(caption.isEmpty());
    ExpectNoTemporaryFiles();
    EXPECT_TRUE(WaitUntil([&]() { return m_server.ClientsGone() == 1; }));
}

// The program's command: the caption from its id, the check as above.
TEST_F(UpdateDlgTest, TheProgramsCommandRunsTheCheckWithItsCaption)
{
    CServedResponse slow = CServedResponse::Ok("2.0");
    slow.delayMs = 300;
    m_server.Serve(slow);
    CBoxRecorder recorder;
    QString caption;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&caption]() {
        if (auto* dialog = qobject_cast<CUpdateDlg*>(QApplication::activeModalWidget()))
            caption = dialog->windowTitle();
    });
    watcher.start(5);
    CUpdateDlg::SetDefaultLimits(m_limits);
    EXPECT_EQ(AfxCheckForUpdates(nullptr, m_path, IDS_QV_REMINDER_CAPTION, PROGRAM_VERSION),
              CUpdateDlg::newVersionAvailable);
    CUpdateDlg::SetDefaultLimits(CUpdateCheckLimits());
    EXPECT_EQ(caption, QStringLiteral("Check For Updates Reminder"));
    ASSERT_EQ(recorder.Boxes().size(), 1u);
    EXPECT_TRUE(
        recorder.Boxes()[0].text.startsWith(QStringLiteral("A new version of the program is available.")));
}

} // namespace
