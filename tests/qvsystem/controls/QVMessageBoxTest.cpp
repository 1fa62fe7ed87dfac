#include "MessageBoxDriver.h"

#include "qvsystem/controls/QVMessageBox.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include <thread>

using corda::test::CloseAnyBox;
using corda::test::CMessageBoxDriver;

namespace {

QCheckBox* CheckBoxOf(QMessageBox& box)
{
    return box.findChild<QCheckBox*>(QStringLiteral("23001"));
}

QLabel* HeadingOf(QMessageBox& box)
{
    return box.findChild<QLabel*>(QStringLiteral("23000"));
}

QLabel* TextOf(QMessageBox& box)
{
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
}

bool AnyMessageBoxOnScreen()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

// For looking at the boxes: CORDA_TEST_SCREENSHOTS names a folder (outside the source tree).
void SaveScreenshot(QWidget& box, const QString& name)
{
    const QImage shot = box.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

struct CheckCase {
    unsigned type;
    QMessageBox::StandardButton press;
    int expected;
    const char* name;
};

class CheckStateTest : public testing::TestWithParam<CheckCase> {};

} // namespace

// Guards against losing the ticked state when the user answers No or Cancel: the box would
// come back although the user asked not to see it again.
TEST_P(CheckStateTest, TickedStateComesBackWhicheverButtonIsPressed)
{
    const CheckCase c = GetParam();
    int state = 0;
    bool wasUnchecked = false;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        QCheckBox* check = CheckBoxOf(box);
        ASSERT_NE(check, nullptr);
        wasUnchecked = !check->isChecked();
        check->click();
        ASSERT_NE(box.button(c.press), nullptr);
        box.button(c.press)->click();
    });
    const int result =
        AfxQVMessageBox(QStringLiteral("Open the file?"), QStringLiteral("&Do not show this message again"),
                        &state, c.type | MB_ICONQUESTION);
    EXPECT_TRUE(driver.Seen());
    EXPECT_TRUE(wasUnchecked);
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(state, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, CheckStateTest,
    testing::Values(CheckCase{MB_OK, QMessageBox::Ok, IDOK, "Ok"},
                    CheckCase{MB_YESNO, QMessageBox::No, IDNO, "No"},
                    CheckCase{MB_YESNOCANCEL, QMessageBox::Cancel, IDCANCEL, "Cancel"},
                    CheckCase{MB_ABORTRETRYIGNORE, QMessageBox::Ignore, IDIGNORE, "Ignore"},
                    CheckCase{MB_RETRYCANCEL, QMessageBox::Retry, IDRETRY, "Retry"}),
    [](const testing::TestParamInfo<CheckCase>& param) { return std::string(param.param.name); });

// Guards against the caller's value being misread: 1 starts ticked, anything but 0 or 1
// starts unticked, and an untick is reported as 0.
TEST(QVMessageBoxTest, InitialCheckStateIsUsedOnlyWhenZeroOrOne)
{
    int state = 1;
    bool startedChecked = false;
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            startedChecked = CheckBoxOf(box)->isChecked();
            CheckBoxOf(box)->click();
            box.button(QMessageBox::Yes)->click();
        });
        EXPECT_EQ(
            AfxQVMessageBox(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("C"), &state, MB_YESNO),
            IDYES);
    }
    EXPECT_TRUE(startedChecked);
    EXPECT_EQ(state, 0);

    state = 7;
    bool startedUnchecked = false;
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            startedUnchecked = !CheckBoxOf(box)->isChecked();
            box.button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(AfxQVMessageBox(QStringLiteral("T"), QStringLiteral("C"), &state, MB_OK), IDOK);
    }
    EXPECT_TRUE(startedUnchecked);
    EXPECT_EQ(state, 0);
}

// Guards against a missing text showing an empty box (or crashing): nothing may appear and
// the result must be 0, whichever form is used.
TEST(QVMessageBoxTest, MissingTextShowsNothingAndReturnsZero)
{
    constexpr unsigned missing = 4000000000u;
    int state = 0;
    CMessageBoxDriver driver(CloseAnyBox());
    EXPECT_EQ(AfxQVMessageBox(missing), 0);
    EXPECT_EQ(AfxQVMessageBox(missing, MB_YESNO, QStringLiteral("https://example.com/")), 0);
    EXPECT_EQ(AfxQVMessageBox(IDS_QV_READ_FILE_ERROR, missing, MB_OK), 0);
    EXPECT_EQ(AfxQVMessageBox(missing, IDS_QV_DO_NOT_SHOW_AGAIN, &state, MB_OK), 0);
    EXPECT_EQ(AfxQVMessageBox(IDS_QV_READ_FILE_ERROR, IDS_QV_READ_FILE_ERROR, missing, &state, MB_OK), 0);
    EXPECT_EQ(AfxFormatStringQVMessageBox(missing, MB_OK, QString(), 1), 0);
    EXPECT_EQ(AfxErrorMessageBox(missing), 0);
    EXPECT_EQ(AfxFormatStringErrorMessageBox(missing, MB_OK, 0, QStringLiteral("x")), 0);
    EXPECT_EQ(AfxFormatErrorMessageBox(missing, MB_OK, 0, 5), 0);
    // A null text and a null check state fail the same quiet way.
    EXPECT_EQ(AfxQVMessageBox(QString()), 0);
    EXPECT_EQ(AfxQVMessageBox(QStringLiteral("H"), QString(), MB_OK), 0);
    EXPECT_EQ(AfxErrorMessageBox(QString()), 0);
    EXPECT_EQ(AfxQVMessageBox(QStringLiteral("T"), QStringLiteral("C"), nullptr, MB_OK), 0);
    QApplication::processEvents();
    EXPECT_FALSE(driver.Seen());
    EXPECT_FALSE(AnyMessageBoxOnScreen());
    EXPECT_EQ(state, 0);
}

// Guards against a heading that is lost, not bold, overlaps the text, or is cut off, and a
// check box that sits anywhere but under the text above the centred buttons.
TEST(QVMessageBoxTest, HeadingIsBoldAboveTextAndCheckBoxSitsAboveButtons)
{
    const QString heading = QStringLiteral("Security warning: this link leads to a page outside the program");
    int state = 0;
    bool checked = false;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        QLabel* head = HeadingOf(box);
        QLabel* text = TextOf(box);
        QCheckBox* check = CheckBoxOf(box);
        auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
        auto* buttons = box.findChild<QDialogButtonBox*>(QStringLiteral("qt_msgbox_buttonbox"));
        ASSERT_TRUE(head && text && check && icon && buttons);
        checked = true;
        EXPECT_TRUE(head->isVisible());
        EXPECT_TRUE(head->font().bold());
        EXPECT_FALSE(text->font().bold());
        EXPECT_FALSE(check->font().bold());
        EXPECT_EQ(head->text(), heading);
        EXPECT_EQ(box.windowTitle(), QApplication::applicationDisplayName());

        // Heading: in the text's column, level with the icon, one bold line above the text,
        // never narrower than its single line.
        const QFontMetrics bold(head->font());
        EXPECT_EQ(head->geometry().left(), text->geometry().left());
        EXPECT_EQ(head->geometry().top(), icon->geometry().top());
        EXPECT_GE(text->geometry().top(), head->geometry().top() + bold.height() + bold.lineSpacing());
        EXPECT_GE(head->width(), bold.horizontalAdvance(heading));
        EXPECT_LE(head->geometry().right(), box.width());

        // Check box: below the text, above the buttons, from the left margin.
        EXPECT_TRUE(check->isVisible());
        EXPECT_GT(check->geometry().top(), text->geometry().bottom());
        EXPECT_LT(check->geometry().bottom(), buttons->geometry().top());
        EXPECT_EQ(check->geometry().left(), icon->geometry().left());
        EXPECT_GE(check->width(), check->sizeHint().width());

        // Buttons centred in the box.
        QAbstractButton* yes = box.button(QMessageBox::Yes);
        QAbstractButton* no = box.button(QMessageBox::No);
        const int middle =
            (yes->mapTo(&box, QPoint(0, 0)).x() + no->mapTo(&box, QPoint(no->width(), 0)).x()) / 2;
        EXPECT_NEAR(middle, box.width() / 2, 3);

        SaveScreenshot(box, QStringLiteral("messagebox-heading-check.png"));
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(AfxQVMessageBox(heading, QStringLiteral("Do you want to open it?"),
                              QStringLiteral("&Do not show this message again"), &state,
                              MB_YESNO | MB_ICONWARNING),
              IDNO);
    EXPECT_TRUE(checked);
}

// Guards against a box without an icon losing the margin, a long check box text being cut
// off, and a box that does not widen for it.
TEST(QVMessageBoxTest, BoxWithoutIconWidensForCheckBoxText)
{
    const QString checkText =
        QStringLiteral("&Do not show this message again, not even when a new version is installed");
    int state = 0;
    bool checked = false;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        QCheckBox* check = CheckBoxOf(box);
        QLabel* text = TextOf(box);
        ASSERT_TRUE(check && text);
        checked = true;
        EXPECT_EQ(HeadingOf(box), nullptr);
        EXPECT_EQ(text->geometry().left(), 11);
        EXPECT_EQ(check->geometry().left(), 11);
        EXPECT_GE(check->width(), check->sizeHint().width());
        EXPECT_GE(box.width(), check->sizeHint().width() + 2 * 11);
        SaveScreenshot(box, QStringLiteral("messagebox-no-icon-check.png"));
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(AfxQVMessageBox(QStringLiteral("Done."), checkText, &state, MB_OK), IDOK);
    EXPECT_TRUE(checked);
}

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class HelpTest : public testing::Test {
protected:
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("cordalib.chm"));
        AfxSetHtmlHelpTopicHandler(nullptr);
        AfxSetHelpContextHandler(nullptr);
    }
    UrlRecorder recorder;
};

} // namespace

// Guards against the Help button closing the box (the user could not answer after reading
// the help) and against a web address not reaching the URL handler.
TEST_F(HelpTest, HelpButtonOpensWebAddressAndLeavesBoxOpen)
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
    bool stillOpen = false;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        QAbstractButton* help = box.button(QMessageBox::Help);
        ASSERT_NE(help, nullptr);
        SaveScreenshot(box, QStringLiteral("messagebox-help.png"));
        help->click();
        QApplication::processEvents();
        stillOpen = box.isVisible();
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(AfxQVMessageBox(QStringLiteral("An update is available."), MB_OK,
                              QStringLiteral("https://www.example.com/update.htm")),
              IDOK);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls.first(), QUrl(QStringLiteral("https://www.example.com/update.htm")));
}

// Guards against a topic being sent to the browser as if it were an address: it goes to the
// help viewer's hook as a page of the help file.
TEST_F(HelpTest, HelpButtonShowsTopicThroughTopicHook)
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
    QStringList topics;
    AfxSetHtmlHelpTopicHandler([&](const QString& topic) { topics.append(topic); });
    CMessageBoxDriver driver([&](QMessageBox& box) {
        ASSERT_NE(box.button(QMessageBox::Help), nullptr);
        box.button(QMessageBox::Help)->click();
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(AfxQVMessageBox(QStringLiteral("Heading"), QStringLiteral("Edit several items?"), MB_YESNO,
                              QStringLiteral("editingmultiplesongsinformation.htm")),
              IDYES);
    EXPECT_EQ(topics, QStringList{QStringLiteral("cordalib.chm::/editingmultiplesongsinformation.htm")});
    EXPECT_TRUE(recorder.urls.isEmpty());
}

// Guards against half-valid addresses ("http:/x", no host) being opened as web pages, and a
// default topic handler that goes nowhere.
TEST_F(HelpTest, HelpTargetsWithoutHostAreTopicsAndDefaultHandlerUsesUrlHandlers)
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "Open");
    QDesktopServices::setUrlHandler(QStringLiteral("cordalib.chm"), &recorder, "Open");
    AfxOpenHelpTarget(QStringLiteral("http:/nohost.htm"));
    AfxOpenHelpTarget(QStringLiteral("cordalib.chm::/whatsnewinthisrelease.htm"));
    AfxOpenHelpTarget(QStringLiteral("http://www.example.com/a"));
    AfxOpenHelpTarget(QString());
    ASSERT_EQ(recorder.urls.size(), 3);
    EXPECT_EQ(recorder.urls[0].toString(), QStringLiteral("cordalib.chm::/http:/nohost.htm"));
    EXPECT_EQ(recorder.urls[1].toString(), QStringLiteral("cordalib.chm::/whatsnewinthisrelease.htm"));
    EXPECT_EQ(recorder.urls[2].toString(), QStringLiteral("http://www.example.com/a"));
}

// Guards against a Help button that appears uninvited on the check-box form (its type is
// used as given) or appears where it could do nothing.
TEST_F(HelpTest, CheckBoxFormUsesTypeAsGivenAndUselessHelpIsLeftOut)
{
    int state = 0;
    bool hadHelp = true;
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            hadHelp = box.button(QMessageBox::Help) != nullptr;
            box.button(QMessageBox::Ok)->click();
        });
        AfxQVMessageBox(QStringLiteral("T"), QStringLiteral("C"), &state, MB_OK, QStringLiteral("topic.htm"));
    }
    EXPECT_FALSE(hadHelp);
    bool hasHelp = false;
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            hasHelp = box.button(QMessageBox::Help) != nullptr;
            box.button(QMessageBox::Ok)->click();
        });
        AfxQVMessageBox(QStringLiteral("T"), QStringLiteral("C"), &state, MB_OK | MB_HELP,
                        QStringLiteral("topic.htm"));
    }
    EXPECT_TRUE(hasHelp);
    // A plain box with MB_HELP but no context handler has nothing to show.
    hadHelp = true;
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            hadHelp = box.button(QMessageBox::Help) != nullptr;
            box.button(QMessageBox::Ok)->click();
        });
        AfxErrorMessageBox(QStringLiteral("Failed."), MB_OK | MB_HELP, 42);
    }
    EXPECT_FALSE(hadHelp);
    std::vector<unsigned> contexts;
    AfxSetHelpContextHandler([&](unsigned id) { contexts.push_back(id); });
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            ASSERT_NE(box.button(QMessageBox::Help), nullptr);
            box.button(QMessageBox::Help)->click();
            box.button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(AfxErrorMessageBox(QStringLiteral("Failed."), MB_OK | MB_HELP, 42), IDOK);
    }
    EXPECT_EQ(contexts, std::vector<unsigned>{42});
}

// Guards against Escape answering a Yes/No question (Windows gives it no answer) while it
// must still cancel a box that has Cancel; and against the wrong default button.
TEST(QVMessageBoxTest, EscapeAndDefaultButtonFollowTheType)
{
    bool openAfterEscape = false;
    bool noIsDefault = false;
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            noIsDefault = box.defaultButton() == box.button(QMessageBox::No);
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&box, &escape);
            box.close();
            QApplication::processEvents();
            openAfterEscape = box.isVisible();
            box.button(QMessageBox::Yes)->click();
        });
        EXPECT_EQ(AfxQVMessageBox(QStringLiteral("Delete?"), MB_YESNO | MB_DEFBUTTON2), IDYES);
    }
    EXPECT_TRUE(openAfterEscape);
    EXPECT_TRUE(noIsDefault);
    {
        CMessageBoxDriver driver([&](QMessageBox& box) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&box, &escape);
        });
        EXPECT_EQ(AfxQVMessageBox(QStringLiteral("Continue?"), MB_OKCANCEL), IDCANCEL);
    }
}

// Guards against the FormatString forms passing the format through unformatted or
// formatting the heading, and against Windows line breaks showing as stray characters.
TEST(QVMessageBoxTest, FormatStringFormsFillInsertsOfTheText)
{
    QString shown, shownHeading;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        shown = box.text();
        shownHeading = HeadingOf(box)->text();
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(AfxFormatStringQVMessageBox(QStringLiteral("Rename %1?"),
                                          QStringLiteral("Copy %1 to %2?\r\n\r\n%3!d! files"), MB_YESNO,
                                          QString(), QStringLiteral("a.crd"), QStringLiteral("/music"), 12),
              IDYES);
    EXPECT_EQ(shownHeading, QStringLiteral("Rename %1?"));
    EXPECT_EQ(shown, QStringLiteral("Copy a.crd to /music?\n\n12 files"));
}

// Guards against the printf-style variant reading past its values or mangling %%.
TEST(QVMessageBoxTest, PrintfFormattingKeepsWhatItCannotFill)
{
    EXPECT_EQ(AfxFormatPrintf(QStringLiteral("%d of %5.1f%% in %s"), 3, 42.26, QStringLiteral("Rock")),
              QStringLiteral("3 of  42.3% in Rock"));
    EXPECT_EQ(AfxFormatPrintf(QStringLiteral("%s and %d"), QStringLiteral("one")),
              QStringLiteral("one and %d"));
    EXPECT_EQ(AfxFormatPrintf(QStringLiteral("%*d|%ld|%"), 4, 7), QStringLiteral("%*d|4|%"));
    EXPECT_EQ(AfxFormatPrintf(QStringLiteral("%04x"), 255), QStringLiteral("00ff"));
}

// Guards against creating widgets where none may exist (a worker thread, the command line):
// that aborts the program. The console handler gets the message instead.
TEST(QVMessageBoxTest, OffTheUserInterfaceThreadTheConsoleHandlerAnswers)
{
    CQVMessageBoxRequest seen;
    AfxSetMessageBoxConsoleHandler([&](const CQVMessageBoxRequest& request) {
        seen = request;
        return IDYES;
    });
    int result = -1;
    CMessageBoxDriver driver(CloseAnyBox());
    std::thread worker([&]() {
        result = AfxFormatStringQVMessageBox(QStringLiteral("Remove %1?"), MB_YESNO, QString(), 3);
    });
    worker.join();
    AfxSetMessageBoxConsoleHandler(nullptr);
    EXPECT_EQ(result, IDYES);
    EXPECT_EQ(seen.text, QStringLiteral("Remove 3?"));
    EXPECT_EQ(seen.type, MB_YESNO);
}

// Guards against the driver API answering the wrong box or never running: the action sees
// the running box, with GetActive() pointing at it.
TEST(QVMessageBoxTest, OnNextShownRunsInsideTheRunningBox)
{
    corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
    CQVMessageBox* active = nullptr;
    CQVMessageBox* seen = nullptr;
    CQVMessageBox::OnNextShown([&](CQVMessageBox& box) {
        seen = &box;
        active = CQVMessageBox::GetActive();
        box.button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(AfxQVMessageBox(QStringLiteral("Try again?"), MB_RETRYCANCEL | MB_ICONERROR), IDRETRY);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(active, seen);
    EXPECT_EQ(CQVMessageBox::GetActive(), nullptr);
}

#include "QVMessageBoxTest.moc"
