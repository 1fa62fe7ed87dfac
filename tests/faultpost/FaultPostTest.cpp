// The error report sender: its command line, its reading of reports that may be damaged,
// and its window under the offscreen platform, driven through the real buttons.

#include "faultpost/ErrorReport.h"
#include "faultpost/FaultPostApp.h"
#include "faultpost/FaultPostCommandLine.h"
#include "faultpost/FaultPostWindow.h"

#include "TestSupport.h"
#include "qvsystem/controls/MessageBoxDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QUrlQuery>

#include <random>

namespace {

const QString ADDRESS = QStringLiteral("errorreports@corda-software.example");

// A report as the crash handler writes it (abridged: one module, a short stack).
QString SampleReportText(const QString& module = QStringLiteral("cordalib"))
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n"
               "<errorReport version=\"1.0\">\r\n"
               "<id>6CDF86E1E780D927C9DE11B9CF40FF6F</id>\r\n"
               "<date>2024-02-29T23:59:58</date>\r\n"
               "<productName><![CDATA[Corda Librarian]]></productName>\r\n"
               "<productVersion><![CDATA[1.0]]></productVersion>\r\n"
               "<faultingModule>%1</faultingModule>\r\n"
               "<faultAddress>5613a5e1f641</faultAddress>\r\n"
               "<exceptionCode>c0000005</exceptionCode>\r\n"
               "<exceptionFilterName><![CDATA[AppUnhandledExceptionFilter]]></exceptionFilterName>\r\n"
               "<errorMessage><![CDATA[cordalib caused an Access Violation (0xc0000005) \r\nin module "
               "%1 at 0033:5613a5e1f641.]]></errorMessage>\r\n"
               "<debugMessage><![CDATA[Write to location 0x00000000 caused an access "
               "violation.\r\n\r\n]]></debugMessage>\r\n"
               "<operatingSystem><![CDATA[Debian GNU/Linux 12 (bookworm), Linux 6.1.0 x86_64]]>"
               "</operatingSystem>\r\n"
               "<processors>2</processors>\r\n"
               "<registers><![CDATA[Context:\r\nRIP:    0x00005613a5e1f641\r\n]]></registers>\r\n"
               "<eip>c7 00 2a 00 00 00 eb e2 31 c9 31 d2 31 f6 31 ff</eip>\r\n"
               "<stack><![CDATA[0x7ffc033a9fe0: 00000001 00000000 fffffee8 ffffffff "
               "................\r\n]]></stack>\r\n"
               "<module number=\"1\">\r\n<name><![CDATA[cordalib]]></name>\r\n"
               "<path><![CDATA[/usr/bin/cordalib]]></path>\r\n<imageBase>5613a5e1c000</imageBase>\r\n"
               "</module>\r\n"
               "<module number=\"2\">\r\n<name><![CDATA[libc.so.6]]></name>\r\n</module>\r\n"
               "</errorReport>")
        .arg(module);
}

QByteArray Utf16LeWithMark(const QString& text)
{
    QByteArray bytes("\xff\xfe", 2);
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

class FaultPostTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString WriteReport(const QByteArray& bytes, const QString& name = QStringLiteral("errorreport-1.xml"))
    {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        corda::test::WriteAll(path, bytes);
        return path;
    }

    CFaultPostCommandLine CommandLine(const QString& log) const
    {
        CFaultPostCommandLine commandLine;
        commandLine.app = QStringLiteral("Corda Librarian");
        commandLine.path = QStringLiteral("/usr/bin/cordalib");
        commandLine.log = log;
        commandLine.company = QStringLiteral("Corda Software");
        commandLine.mailto = ADDRESS;
        commandLine.contact = QStringLiteral("The Corda Software Team");
        return commandLine;
    }

    static QStringList Arguments(const QString& log)
    {
        return {QStringLiteral("-app"),     QStringLiteral("Corda Librarian"),
                QStringLiteral("-path"),    QStringLiteral("/usr/bin/cordalib"),
                QStringLiteral("-log"),     log,
                QStringLiteral("-company"), QStringLiteral("Corda Software"),
                QStringLiteral("-mailto"),  ADDRESS,
                QStringLiteral("-contact"), QStringLiteral("The Corda Software Team")};
    }

    QTemporaryDir m_dir;
};

// Records what the window asked the desktop to open, instead of opening it.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit UrlRecorder(const QString& scheme) : m_scheme(scheme)
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "Open");
    }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(m_scheme); }
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }

private:
    QString m_scheme;
};

template <typename T> T* Control(QWidget& window, int id)
{
    return window.findChild<T*>(QString::number(id));
}

} // namespace

// The sender is run by whoever finds it: only the fixed command line may start it, and the
// address must not smuggle anything into the mailto: link (an "attach" field, a body).
TEST_F(FaultPostTest, CommandLineIsCheckedWhole)
{
    CFaultPostCommandLine parsed;
    QString error;
    ASSERT_TRUE(ParseFaultPostCommandLine(Arguments(QStringLiteral("/tmp/r.xml")), parsed, error))
        << error.toStdString();
    EXPECT_EQ(parsed.app, QStringLiteral("Corda Librarian"));
    EXPECT_EQ(parsed.path, QStringLiteral("/usr/bin/cordalib"));
    EXPECT_EQ(parsed.log, QStringLiteral("/tmp/r.xml"));
    EXPECT_EQ(parsed.company, QStringLiteral("Corda Software"));
    EXPECT_EQ(parsed.mailto, ADDRESS);
    EXPECT_EQ(parsed.contact, QStringLiteral("The Corda Software Team"));
    EXPECT_TRUE(error.isEmpty());

    // Options in another order are the same command line.
    QStringList reordered = Arguments(QStringLiteral("/tmp/r.xml"));
    std::swap(reordered[0], reordered[10]);
    std::swap(reordered[1], reordered[11]);
    EXPECT_TRUE(ParseFaultPostCommandLine(reordered, parsed, error));

    const struct {
        QStringList arguments;
        QString reason;
    } malformed[] = {
        {{}, QStringLiteral("'-app' is missing")},
        {Arguments(QStringLiteral("r.xml")) << QStringLiteral("-verbose") << QStringLiteral("1"),
         QStringLiteral("'-verbose' is not an option")},
        {Arguments(QStringLiteral("r.xml")) << QStringLiteral("-app") << QStringLiteral("Other"),
         QStringLiteral("'-app' is given more than once")},
        {Arguments(QStringLiteral("r.xml")).mid(0, 11), QStringLiteral("'-contact' has no value")},
        {Arguments(QStringLiteral("r.xml")).mid(0, 10), QStringLiteral("'-contact' is missing")},
        {QStringList({QStringLiteral("report.xml")}), QStringLiteral("'report.xml' is not an option")},
        {Arguments(QString()), QStringLiteral("'-log' has no value")},
    };
    for (const auto& m : malformed) {
        EXPECT_FALSE(ParseFaultPostCommandLine(m.arguments, parsed, error))
            << m.arguments.join(' ').toStdString();
        EXPECT_EQ(error, m.reason);
    }

    for (const char* bad :
         {"a@b.example?attach=/etc/passwd", "a@b.example&body=x", "<a@b.example>", "a b@c.example",
          "a@b@c.example", "@b.example", "a@", "a@b.example\nBcc: x@y", "a@-b.example", "plain"}) {
        QStringList arguments = Arguments(QStringLiteral("r.xml"));
        arguments[9] = QString::fromLatin1(bad);
        EXPECT_FALSE(ParseFaultPostCommandLine(arguments, parsed, error)) << bad;
        EXPECT_TRUE(error.contains(QStringLiteral("not a plain e-mail address"))) << bad;
    }
    for (const char* good :
         {"errorreports@corda-software.example", "first.last+tag@sub.example.org", "x@localhost"})
        EXPECT_TRUE(IsPlainMailAddress(QString::fromLatin1(good))) << good;
}

// A complete report gives its summary; what a crash during writing or a damaged disk leaves
// gives what can be read, or a clear reason, never a crash or a made-up summary.
TEST_F(FaultPostTest, ReportsAreReadAsUntrustedInput)
{
    const QByteArray complete = Utf16LeWithMark(SampleReportText());
    CErrorReport report;
    QString problem;
    ASSERT_EQ(report.Load(WriteReport(complete), &problem), CErrorReport::loadComplete)
        << problem.toStdString();
    EXPECT_EQ(report.GetId(), QStringLiteral("6CDF86E1E780D927C9DE11B9CF40FF6F"));
    EXPECT_EQ(report.GetProductName(), QStringLiteral("Corda Librarian"));
    EXPECT_EQ(report.GetFaultingModule(), QStringLiteral("cordalib"));
    EXPECT_EQ(report.GetExceptionCode(), QStringLiteral("c0000005"));
    EXPECT_EQ(report.GetFaultText(),
              QStringLiteral("cordalib caused an Access Violation (0xc0000005) in module "
                             "cordalib at 0033:5613a5e1f641."));
    EXPECT_EQ(report.GetDate(), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), QTimeZone::utc()));
    EXPECT_TRUE(report.GetLocalTimeText().contains(QStringLiteral("2024")) ||
                report.GetLocalTimeText().contains(QStringLiteral("24")));
    EXPECT_EQ(report.GetModuleCount(), 2);
    EXPECT_TRUE(problem.isEmpty());

    // Cut inside the module list: the summary is there, the report says it ends early.
    const QString cut =
        WriteReport(complete.left(complete.indexOf(QByteArray("<\0m\0o\0d\0u\0l\0e", 14)) + 40),
                    QStringLiteral("cut.xml"));
    EXPECT_EQ(report.Load(cut, &problem), CErrorReport::loadIncomplete);
    EXPECT_EQ(report.GetFaultingModule(), QStringLiteral("cordalib"));
    EXPECT_TRUE(problem.startsWith(QStringLiteral("The report ends early"))) << problem.toStdString();

    // An odd byte at the end of an otherwise whole report.
    EXPECT_EQ(report.Load(WriteReport(complete + 'x', QStringLiteral("odd.xml")), &problem),
              CErrorReport::loadIncomplete);
    EXPECT_TRUE(problem.contains(QStringLiteral("odd number of bytes")));

    // Cut before any summary element: nothing to show.
    const QString early = WriteReport(complete.left(120), QStringLiteral("early.xml"));
    EXPECT_EQ(report.Load(early, &problem), CErrorReport::loadDamaged);
    EXPECT_TRUE(problem.contains(early));
    EXPECT_TRUE(report.GetFaultingModule().isEmpty());

    const QString utf8 = WriteReport(SampleReportText().toUtf8(), QStringLiteral("utf8.xml"));
    EXPECT_EQ(report.Load(utf8, &problem), CErrorReport::loadNotAReport);
    EXPECT_TRUE(problem.contains(QStringLiteral("byte-order mark")));
    const QString html =
        WriteReport(Utf16LeWithMark(QStringLiteral("<html><id>1</id></html>")), QStringLiteral("page.xml"));
    EXPECT_EQ(report.Load(html, &problem), CErrorReport::loadNotAReport);
    EXPECT_TRUE(problem.contains(QStringLiteral("<html>")));
    EXPECT_EQ(report.Load(m_dir.path() + QStringLiteral("/none.xml"), &problem), CErrorReport::loadMissing);
    EXPECT_TRUE(problem.contains(QStringLiteral("none.xml")));
    EXPECT_EQ(report.Load(m_dir.path(), &problem), CErrorReport::loadUnreadable);

    QFile huge(m_dir.path() + QStringLiteral("/huge.xml"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write("\xff\xfe", 2);
    ASSERT_TRUE(huge.resize(CErrorReport::MAX_REPORT_SIZE + 2));
    huge.close();
    EXPECT_EQ(report.Load(huge.fileName(), &problem), CErrorReport::loadTooLarge);
    EXPECT_TRUE(problem.contains(QStringLiteral("16 MB")));

    // A control character XML forbids: the report is damaged where it stands, and no summary
    // comes before it.
    const QString control = WriteReport(Utf16LeWithMark(SampleReportText(QStringLiteral("lib\u0001odd"))),
                                        QStringLiteral("control.xml"));
    EXPECT_EQ(report.Load(control, &problem), CErrorReport::loadDamaged);
    EXPECT_TRUE(problem.contains(control));
    // Line breaks and the control characters XML lets through become blanks; a value far
    // longer than any summary line is cut.
    ASSERT_EQ(
        report.Load(WriteReport(Utf16LeWithMark(SampleReportText(QStringLiteral("lib\u0085odd\tname\r\nx"))),
                                QStringLiteral("breaks.xml"))),
        CErrorReport::loadComplete);
    EXPECT_EQ(report.GetFaultingModule(), QStringLiteral("lib odd name x"));
    ASSERT_EQ(report.Load(WriteReport(Utf16LeWithMark(SampleReportText(QString(100000, QLatin1Char('m')))),
                                      QStringLiteral("long.xml"))),
              CErrorReport::loadComplete);
    EXPECT_EQ(report.GetFaultingModule().size(), CErrorReport::MAX_VALUE_LENGTH);
}

// Random damage anywhere in a report (bytes changed, the file cut anywhere) must give one of
// the documented outcomes and a bounded summary, never a crash.
TEST_F(FaultPostTest, DamagedReportsNeverCrashTheReader)
{
    const QByteArray complete = Utf16LeWithMark(SampleReportText());
    std::mt19937 random(2024);
    int readable = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = complete;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i)
            damaged[static_cast<qsizetype>(random() % damaged.size())] = static_cast<char>(random());
        if (round % 3 == 0)
            damaged.truncate(static_cast<qsizetype>(random() % damaged.size()));
        CErrorReport report;
        QString problem;
        const CErrorReport::loadResult result =
            report.Load(WriteReport(damaged, QStringLiteral("d.xml")), &problem);
        ASSERT_TRUE(result == CErrorReport::loadComplete || result == CErrorReport::loadIncomplete ||
                    result == CErrorReport::loadDamaged || result == CErrorReport::loadNotAReport)
            << round;
        EXPECT_EQ(problem.isEmpty(), result == CErrorReport::loadComplete) << round;
        EXPECT_LE(report.GetFaultText().size(), CErrorReport::MAX_VALUE_LENGTH + 2);
        readable += result == CErrorReport::loadComplete || result == CErrorReport::loadIncomplete;
    }
    EXPECT_GT(readable, 0);
}

// The window shows the summary and the path, treats the report's texts as plain text, and
// opens nothing until a button is clicked; the mail button opens a mailto: link to the
// report address with the summary and the report's path in the body.
TEST_F(FaultPostTest, WindowShowsTheReportAndMailsOnlyOnClick)
{
    // A module name that a label would take for markup.
    const QString log =
        WriteReport(Utf16LeWithMark(SampleReportText(QStringLiteral("&lt;b&gt;bold&lt;/b&gt;"))));
    CErrorReport report;
    ASSERT_EQ(report.Load(log), CErrorReport::loadComplete);
    UrlRecorder mail(QStringLiteral("mailto"));
    UrlRecorder files(QStringLiteral("file"));
    CFaultPostWindow window(CommandLine(log), report);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corda Librarian Error Report"));

    auto* module = Control<QLabel>(window, IDC_FAULTPOST_MODULE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->text(), QStringLiteral("<b>bold</b>"));
    EXPECT_EQ(module->textFormat(), Qt::PlainText);
    EXPECT_TRUE(
        Control<QLabel>(window, IDC_FAULTPOST_FAULT)->text().startsWith(QStringLiteral("cordalib caused")));
    EXPECT_TRUE(
        Control<QLabel>(window, IDC_FAULTPOST_PROGRAM)->text().contains(QStringLiteral("Corda Librarian")));
    EXPECT_FALSE(Control<QLabel>(window, IDC_FAULTPOST_TIME)->text().isEmpty());
    EXPECT_EQ(Control<QLineEdit>(window, IDC_FAULTPOST_REPORT_PATH)->text(), log);
    EXPECT_FALSE(Control<QLabel>(window, IDC_FAULTPOST_WARNING)->isVisible());
    EXPECT_TRUE(Control<QLabel>(window, IDC_FAULTPOST_MAIL_NOTE)->text().contains(ADDRESS));
    QTest::qWait(50);
    EXPECT_TRUE(mail.urls.isEmpty()) << "nothing is sent without a click";

    QTest::mouseClick(Control<QPushButton>(window, IDC_FAULTPOST_SEND), Qt::LeftButton);
    ASSERT_EQ(mail.urls.size(), 1);
    const QUrl url = mail.urls.first();
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), ADDRESS);
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
              QStringLiteral("Error report for Corda Librarian (6CDF86E1E780D927C9DE11B9CF40FF6F)"));
    const QString body = query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded);
    EXPECT_TRUE(body.contains(log)) << body.toStdString();
    EXPECT_TRUE(body.contains(QStringLiteral("Module: <b>bold</b>\n")));
    EXPECT_TRUE(body.contains(QStringLiteral("Fault: cordalib caused an Access Violation")));
    EXPECT_TRUE(body.contains(QStringLiteral("Report ID: 6CDF86E1E780D927C9DE11B9CF40FF6F")));
    EXPECT_TRUE(files.urls.isEmpty());

    QTest::mouseClick(Control<QPushButton>(window, IDC_FAULTPOST_COPY_PATH), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), log);
    EXPECT_FALSE(Control<QLabel>(window, IDC_FAULTPOST_STATUS)->text().isEmpty());

    QTest::mouseClick(Control<QPushButton>(window, IDC_FAULTPOST_SHOW_FOLDER), Qt::LeftButton);
    ASSERT_EQ(files.urls.size(), 1);
    EXPECT_EQ(files.urls.first(), QUrl::fromLocalFile(m_dir.path()));

    QTest::mouseClick(Control<QPushButton>(window, IDC_FAULTPOST_CLOSE), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(mail.urls.size(), 1) << "closing sends nothing";
}

// Where no mail program can be opened the user is told where the report is and where it
// should go, rather than left thinking it was sent.
TEST_F(FaultPostTest, MailProgramThatCannotBeOpenedIsSaidSo)
{
    const QString log = WriteReport(Utf16LeWithMark(SampleReportText()));
    CErrorReport report;
    ASSERT_EQ(report.Load(log), CErrorReport::loadComplete);
    CFaultPostWindow window(CommandLine(log), report);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // No handler for mailto: and the offscreen platform opens nothing.
    corda::test::AllowQtWarning(QStringLiteral("does not support QPlatformServices::openUrl"));
    QSignalSpy opened(&window, &CFaultPostWindow::MailOpened);
    QString text;
    corda::test::CMessageBoxDriver driver([&](QMessageBox& box) {
        text = box.text();
        box.done(0);
    });
    QTest::mouseClick(Control<QPushButton>(window, IDC_FAULTPOST_SEND), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_FALSE(opened.first().first().toBool());
    EXPECT_TRUE(driver.Seen());
    EXPECT_TRUE(text.contains(ADDRESS)) << text.toStdString();
    EXPECT_TRUE(text.contains(log)) << text.toStdString();
}

// A report that ends early is shown with a warning that says so.
TEST_F(FaultPostTest, IncompleteReportIsShownWithAWarning)
{
    const QByteArray complete = Utf16LeWithMark(SampleReportText());
    const QString log = WriteReport(complete.left(complete.size() - 30));
    CErrorReport report;
    QString problem;
    ASSERT_EQ(report.Load(log, &problem), CErrorReport::loadIncomplete);
    CFaultPostWindow window(CommandLine(log), report, problem);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* warning = Control<QLabel>(window, IDC_FAULTPOST_WARNING);
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), problem);
}

// The program as a whole: a malformed command line or an unreadable report gives a box that
// says why and the matching exit code; a good report shows the window until it is closed.
TEST_F(FaultPostTest, RunGivesClearMessagesAndExitCodes)
{
    {
        QString text;
        corda::test::CMessageBoxDriver driver([&](QMessageBox& box) {
            text = box.text();
            box.done(0);
        });
        EXPECT_EQ(FaultPostRun({QStringLiteral("-app")}), FAULTPOST_EXIT_USAGE);
        EXPECT_TRUE(driver.Seen());
        EXPECT_TRUE(text.contains(QStringLiteral("does not understand: '-app' has no value")))
            << text.toStdString();
    }
    {
        QString text;
        corda::test::CMessageBoxDriver driver([&](QMessageBox& box) {
            text = box.text();
            box.done(0);
        });
        const QString missing = m_dir.path() + QStringLiteral("/gone.xml");
        EXPECT_EQ(FaultPostRun(Arguments(missing)), FAULTPOST_EXIT_NO_REPORT);
        EXPECT_TRUE(driver.Seen());
        EXPECT_TRUE(text.contains(missing)) << text.toStdString();
    }
    {
        const QString log = WriteReport(Utf16LeWithMark(SampleReportText()));
        bool shown = false;
        QTimer::singleShot(0, [&]() {
            auto* window = qobject_cast<CFaultPostWindow*>(QApplication::activeModalWidget());
            shown = window != nullptr;
            if (window)
                QTest::mouseClick(Control<QPushButton>(*window, IDC_FAULTPOST_CLOSE), Qt::LeftButton);
        });
        EXPECT_EQ(FaultPostRun(Arguments(log)), FAULTPOST_EXIT_OK);
        EXPECT_TRUE(shown);
    }
}

// Without a display the program must not abort in QApplication: the reason goes to
// standard error with the exit code.
TEST_F(FaultPostTest, ProgramWithoutDisplayWritesToStandardError)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const auto run = [&](const QStringList& arguments, QByteArray* error) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(FAULTPOST_PROGRAM), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        *error = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QByteArray error;
    EXPECT_EQ(run({QStringLiteral("-app"), QStringLiteral("x"), QStringLiteral("-mailto")}, &error),
              FAULTPOST_EXIT_USAGE);
    EXPECT_TRUE(error.contains("does not understand: '-mailto' has no value")) << error.toStdString();
    const QString missing = m_dir.path() + QStringLiteral("/gone.xml");
    EXPECT_EQ(run(Arguments(missing), &error), FAULTPOST_EXIT_NO_REPORT);
    EXPECT_TRUE(error.contains(QFile::encodeName(missing))) << error.toStdString();
    const QString log = WriteReport(Utf16LeWithMark(SampleReportText()));
    EXPECT_EQ(run(Arguments(log), &error), FAULTPOST_EXIT_NO_REPORT);
    EXPECT_TRUE(error.contains("There is no display")) << error.toStdString();
}

// The window's picture: every text fits its label at the window's own size (a clipped line
// is a defect), and the picture is kept for whoever changes the window to look at.
TEST_F(FaultPostTest, WindowRendersWithoutClippedTexts)
{
    const QString log = WriteReport(Utf16LeWithMark(SampleReportText()),
                                    QStringLiteral("errorreport-6CDF86E1E780D927C9DE11B9CF40FF6F.xml"));
    CErrorReport report;
    ASSERT_EQ(report.Load(log), CErrorReport::loadComplete);
    CFaultPostWindow window(CommandLine(log), report);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        EXPECT_GE(label->height(), label->heightForWidth(label->width()))
            << label->objectName().toStdString();
        EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->objectName().toStdString();
    }
    for (QPushButton* button : window.findChildren<QPushButton*>())
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    const QString folder = QStringLiteral(CORDA_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(picture.save(folder + QStringLiteral("/faultpost.png")));
}

#include "FaultPostTest.moc"
