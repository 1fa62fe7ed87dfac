// The dialog base: validation balloon, OK at idle, help keys, the save step, progress style.
#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/QVEdit.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/QVValidationBalloon.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int IDC_NAME = 1001;
constexpr int IDC_OTHER = 1002;
constexpr int IDC_HEADING = 1003;

class CTestDialog : public CQVDialog {
public:
    explicit CTestDialog(QWidget* parent = nullptr) : CQVDialog(100, parent)
    {
        auto* layout = new QVBoxLayout(this);
        m_pHeading = new QLabel(QStringLiteral("Heading"), this);
        m_pHeading->setObjectName(QString::number(IDC_HEADING));
        m_pName = new CQVEdit(this);
        m_pName->setObjectName(QString::number(IDC_NAME));
        m_pOther = new CQVEdit(this);
        m_pOther->setObjectName(QString::number(IDC_OTHER));
        m_pOk = new QPushButton(QStringLiteral("OK"), this);
        m_pOk->setObjectName(QStringLiteral("1"));
        m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
        m_pCancel->setObjectName(QStringLiteral("2"));
        layout->addWidget(m_pHeading);
        layout->addWidget(m_pName);
        layout->addWidget(m_pOther);
        layout->addSpacing(40);
        layout->addWidget(m_pOk);
        layout->addWidget(m_pCancel);
        layout->addWidget(CreateHelpButton(this));
    }

    bool OnInitDialog() override
    {
        CQVDialog::OnInitDialog();
        ++m_nInitCount;
        return LoadData();
    }
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override
    {
        ++m_nValidateCount;
        if (m_bValid)
            return true;
        if (m_nIcon >= 0)
            icon = m_nIcon;
        text = m_strMessage;
        rect = AfxGetScreenRect(m_pName);
        (void)caption;
        return false;
    }
    bool SaveData() override
    {
        ++m_nSaveCount;
        return m_bSaveResult;
    }
    bool IsOK() const override { return m_bOK; }
    QString GetHelpTopic() const override { return m_strTopic; }
    void GetBoldControlIDs(std::vector<int>& ids) const override { ids.push_back(IDC_HEADING); }
    void OnIdle() override { ++m_nIdleCount; }

    QLabel* m_pHeading;
    CQVEdit* m_pName;
    CQVEdit* m_pOther;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
    bool m_bValid = true;
    bool m_bSaveResult = true;
    bool m_bOK = true;
    int m_nIcon = -1;
    QString m_strMessage = QStringLiteral("Enter a name.");
    QString m_strTopic;
    int m_nInitCount = 0;
    int m_nValidateCount = 0;
    int m_nSaveCount = 0;
    int m_nIdleCount = 0;
};

// Shows the dialog, makes it the active window and waits until it is.
void ShowActive(QWidget& dialog)
{
    dialog.move(120, 80);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// For looking at the balloon: CORDA_TEST_SCREENSHOTS names a folder (outside the source
// tree) that gets the dialog with the balloon drawn over it.
void SaveScreenshot(QWidget& dialog, QWidget& balloon, const QString& name)
{
    const QPixmap dialogShot = dialog.grab();
    const QPixmap balloonShot = balloon.grab();
    ASSERT_FALSE(balloonShot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    const QRect dialogRect = AfxGetScreenRect(&dialog);
    const QRect all = dialogRect.united(balloon.geometry()).adjusted(-10, -10, 10, 10);
    const qreal ratio = dialogShot.devicePixelRatio();
    QImage image((all.size() * ratio), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(0x50, 0x60, 0x70));
    QPainter painter(&image);
    painter.drawPixmap(dialogRect.topLeft() - all.topLeft(), dialogShot);
    painter.drawPixmap(balloon.geometry().topLeft() - all.topLeft(), balloonShot);
    painter.end();
    EXPECT_TRUE(image.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
}

// The offscreen platform cannot raise windows, and Qt raises tooltip windows when shown.
void AllowBalloonWarnings()
{
    corda::test::AllowQtWarning(QStringLiteral("does not support raise"));
}

void ClickOk(CTestDialog& dialog)
{
    QTest::mouseClick(dialog.m_pOk, Qt::LeftButton);
}

QPoint BottomCentre(const QWidget* widget)
{
    const QRect rect = AfxGetScreenRect(widget);
    return QPoint(rect.left() + rect.width() / 2, rect.top() + rect.height());
}

// A validation failure that was not shown where the control is, or a balloon that stays
// over the dialog after the user moved on, are what this guards against.
TEST(DialogFramework, BalloonPointsAtTheFailingControlAndHidesWhenTheUserMovesOn)
{
    AllowBalloonWarnings();
    CTestDialog dialog;
    dialog.m_bValid = false;
    ShowActive(dialog);
    dialog.m_pOther->setFocus();
    ASSERT_TRUE(dialog.m_pOther->hasFocus());

    ClickOk(dialog);
    CQVValidationBalloon* balloon = dialog.GetValidationToolTipWindow();
    ASSERT_NE(balloon, nullptr);
    EXPECT_TRUE(dialog.IsValidationErrorMessageActive());
    EXPECT_TRUE(balloon->isVisible());
    EXPECT_EQ(balloon->GetTipPoint(), BottomCentre(dialog.m_pName));
    EXPECT_FALSE(balloon->IsPointingDown());
    // The pointer's tip is on the balloon's top edge, the body below the control.
    EXPECT_EQ(balloon->geometry().top(), BottomCentre(dialog.m_pName).y());
    EXPECT_LE(balloon->geometry().left(), BottomCentre(dialog.m_pName).x());
    EXPECT_GE(balloon->geometry().right(), BottomCentre(dialog.m_pName).x());
    EXPECT_EQ(balloon->GetTitle(), QStringLiteral("Validation Error"));
    EXPECT_EQ(balloon->GetIcon(), TTI_WARNING);
    EXPECT_EQ(balloon->GetText(), QStringLiteral("Enter a name."));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.m_nSaveCount, 0);
    EXPECT_TRUE(CQVValidationBalloon::IsWatchInstalled());
    SaveScreenshot(dialog, *balloon, QStringLiteral("validation-balloon.png"));

    // A second failure while the balloon shows is ignored: the first message stays.
    dialog.m_strMessage = QStringLiteral("Another message.");
    EXPECT_FALSE(dialog.ValidateAndSaveData());
    EXPECT_EQ(balloon->GetText(), QStringLiteral("Enter a name."));
    EXPECT_FALSE(dialog.ShowValidationErrorMessage(TTI_ERROR, QString(), QStringLiteral("x"), QRect()));

    // Tabbing to another control hides it, and the watching goes with the last balloon.
    dialog.m_pName->setFocus();
    EXPECT_FALSE(dialog.IsValidationErrorMessageActive());
    EXPECT_FALSE(balloon->isVisible());
    EXPECT_FALSE(CQVValidationBalloon::IsWatchInstalled());
    EXPECT_EQ(CQVValidationBalloon::GetActiveCount(), 0);

    // It comes back only with the next failure; a click anywhere in the dialog hides it.
    EXPECT_FALSE(dialog.ValidateAndSaveData());
    EXPECT_TRUE(dialog.IsValidationErrorMessageActive());
    EXPECT_EQ(balloon->GetText(), QStringLiteral("Another message."));
    QTest::mouseClick(dialog.m_pHeading, Qt::LeftButton);
    EXPECT_FALSE(dialog.IsValidationErrorMessageActive());

    // Moving the dialog hides it too.
    EXPECT_FALSE(dialog.ValidateAndSaveData());
    EXPECT_TRUE(dialog.IsValidationErrorMessageActive());
    dialog.move(dialog.pos() + QPoint(30, 10));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.IsValidationErrorMessageActive(), 5000);

    // Nothing was saved through all of it, and the dialog is still open.
    EXPECT_EQ(dialog.m_nSaveCount, 0);
    EXPECT_TRUE(dialog.isVisible());
}

// The balloon of one dialog must not be hidden by what happens in another, and the caption
// and icon the dialog chose are the ones shown; an empty text shows nothing.
TEST(DialogFramework, BalloonKeepsTheDialogsChoicesAndBelongsToItsOwnDialog)
{
    AllowBalloonWarnings();
    CTestDialog first;
    CTestDialog second;
    ShowActive(first);
    second.move(500, 80);
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));

    EXPECT_TRUE(first.ShowValidationErrorMessage(TTI_ERROR, QString(), QStringLiteral("Too long."),
                                                 AfxGetScreenRect(first.m_pOther)));
    CQVValidationBalloon* balloon = first.GetValidationToolTipWindow();
    EXPECT_EQ(balloon->GetTitle(), QString());
    EXPECT_EQ(balloon->GetTipPoint(), BottomCentre(first.m_pOther));
    QTest::mouseClick(second.m_pHeading, Qt::LeftButton);
    EXPECT_TRUE(first.IsValidationErrorMessageActive());
    EXPECT_TRUE(first.HideValidationErrorMessage());
    EXPECT_FALSE(first.HideValidationErrorMessage());

    first.m_bValid = false;
    first.m_nIcon = TTI_INFO;
    first.m_strMessage.clear();
    EXPECT_FALSE(first.ValidateAndSaveData());
    EXPECT_FALSE(first.IsValidationErrorMessageActive());
    first.m_strMessage = QStringLiteral("Pick one.");
    EXPECT_FALSE(first.ValidateAndSaveData());
    EXPECT_EQ(balloon->GetIcon(), TTI_INFO);
    EXPECT_TRUE(balloon->isVisible());

    // Closing the dialog takes its balloon away.
    first.reject();
    EXPECT_EQ(first.GetValidationToolTipWindow(), nullptr);
    EXPECT_EQ(CQVValidationBalloon::GetActiveCount(), 0);
    EXPECT_FALSE(CQVValidationBalloon::IsWatchInstalled());
}

// Help: Shift+F1 must not open anything, F1 opens the dialog's topic, and a dialog without
// a topic opens nothing (an empty help path would show the help file's error page).
TEST(DialogFramework, F1OpensTheTopicAndShiftF1DoesNothing)
{
    QStringList opened;
    AfxSetHtmlHelpTopicHandler([&opened](const QString& path) { opened.append(path); });
    {
        CTestDialog dialog;
        dialog.m_strTopic = QStringLiteral("editingsonginformation.htm");
        ShowActive(dialog);
        dialog.m_pName->setFocus();

        QTest::keyClick(dialog.m_pName, Qt::Key_F1, Qt::ShiftModifier);
        EXPECT_TRUE(opened.isEmpty());
        QTest::keyClick(dialog.m_pName, Qt::Key_F1);
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened.front(), QStringLiteral("cordalib.chm::/editingsonginformation.htm"));

        QAbstractButton* help = dialog.GetHelpButton();
        ASSERT_NE(help, nullptr);
        QTest::mouseClick(help, Qt::LeftButton);
        EXPECT_EQ(opened.size(), 2);
        dialog.ShowHelpButton(false);
        EXPECT_FALSE(help->isVisible());

        dialog.m_strTopic.clear();
        QTest::keyClick(dialog.m_pName, Qt::Key_F1);
        EXPECT_EQ(opened.size(), 2);
        EXPECT_TRUE(dialog.isVisible());
    }
    AfxSetHtmlHelpTopicHandler(nullptr);
}

// OK must follow the dialog's predicate while the dialog is shown, without any event of
// the dialog's own to trigger it.
TEST(DialogFramework, OkFollowsIsOkAtIdle)
{
    CTestDialog dialog;
    dialog.m_bOK = false;
    ShowActive(dialog);
    EXPECT_FALSE(dialog.m_pOk->isEnabled());
    dialog.m_bOK = true;
    QTRY_VERIFY_WITH_TIMEOUT(dialog.m_pOk->isEnabled(), 5000);
    dialog.m_bOK = false;
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.m_pOk->isEnabled(), 5000);
    EXPECT_GT(dialog.m_nIdleCount, 0);

    // Hidden, the dialog does no idle work.
    dialog.hide();
    const int idle = dialog.m_nIdleCount;
    QTest::qWait(3 * CQVDialog::IDLE_INTERVAL);
    EXPECT_EQ(dialog.m_nIdleCount, idle);
}

// A failed save must keep the dialog open (and say nothing); OK then succeeds. Cancel
// neither validates nor saves.
TEST(DialogFramework, FailedSaveKeepsTheDialogOpen)
{
    CTestDialog dialog;
    dialog.m_bSaveResult = false;
    ShowActive(dialog);
    EXPECT_EQ(dialog.m_nInitCount, 1);

    ClickOk(dialog);
    EXPECT_EQ(dialog.m_nSaveCount, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsValidationErrorMessageActive());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    dialog.m_bSaveResult = true;
    ClickOk(dialog);
    EXPECT_EQ(dialog.m_nSaveCount, 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // A late second OK of the same click saves nothing more.
    dialog.accept();
    EXPECT_EQ(dialog.m_nSaveCount, 2);

    CTestDialog cancelled;
    ShowActive(cancelled);
    QTest::mouseClick(cancelled.m_pCancel, Qt::LeftButton);
    EXPECT_FALSE(cancelled.isVisible());
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.m_nValidateCount, 0);
    EXPECT_EQ(cancelled.m_nSaveCount, 0);
}

// The modal loop ends only through a successful OK, and exec gives its result.
TEST(DialogFramework, ExecEndsOnlyAfterASuccessfulOk)
{
    CTestDialog dialog;
    dialog.m_bValid = false;
    int clicks = 0;
    QTimer clicker;
    clicker.setInterval(20);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (!dialog.isVisible())
            return;
        ++clicks;
        if (clicks == 3)
            dialog.m_bValid = true;
        dialog.HideValidationErrorMessage();
        ClickOk(dialog);
    });
    clicker.start();
    AllowBalloonWarnings();
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(dialog.m_nValidateCount, 3);
    EXPECT_EQ(dialog.m_nSaveCount, 1);
}

// The initialisation runs once per showing, sets the caption and the bold font.
TEST(DialogFramework, InitialisationSetsCaptionAndBoldFont)
{
    CTestDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Template title"));
    dialog.SetCaptionID(IDS_QV_SHEET_APPLY);
    ShowActive(dialog);
    EXPECT_EQ(dialog.m_nInitCount, 1);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("&Apply"));
    EXPECT_TRUE(dialog.m_pHeading->font().bold());
    EXPECT_FALSE(dialog.m_pName->font().bold());
    EXPECT_TRUE(dialog.GetItalicFont().italic());
    EXPECT_TRUE(dialog.GetUnderlineFont().underline());
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.m_nInitCount, 1);

    // A new font for the dialog gives the bold controls the new size.
    QFont bigger = dialog.font();
    bigger.setPointSize(bigger.pointSize() + 6);
    dialog.setFont(bigger);
    EXPECT_EQ(dialog.m_pHeading->font().pointSize(), bigger.pointSize());
    EXPECT_TRUE(dialog.m_pHeading->font().bold());

    // Closed and shown again, it initialises again.
    dialog.reject();
    dialog.show();
    EXPECT_EQ(dialog.m_nInitCount, 2);
    dialog.reject();
}

// A progress window must give its owner back however it goes: hidden, or destroyed while
// shown. An owner that was disabled before stays disabled.
TEST(DialogFramework, ProgressStyleDisablesTheOwnerWhileShown)
{
    corda::test::AllowQtWarning(QStringLiteral("does not support raise"));
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    auto* dialog = new CTestDialog;
    ASSERT_TRUE(dialog->CreateProgressStyle(&owner));
    EXPECT_TRUE(dialog->IsProgressStyle());
    EXPECT_EQ(dialog->GetProgressOwner(), &owner);
    EXPECT_EQ(dialog->m_nInitCount, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(owner.isEnabled());

    dialog->ShowProgressStyle();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(dialog->isEnabled());
    EXPECT_TRUE(dialog->m_pCancel->isEnabled());
    // Centred while the frame was not known yet: a few pixels of frame are allowed.
    EXPECT_LE((dialog->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 8);
    dialog->PumpMessages();
    EXPECT_EQ(dialog->m_nInitCount, 1);

    dialog->HideProgressStyle();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(owner.isEnabled());

    dialog->ShowProgressStyle();
    EXPECT_FALSE(owner.isEnabled());
    delete dialog;
    EXPECT_TRUE(owner.isEnabled());

    owner.setEnabled(false);
    CTestDialog second;
    ASSERT_TRUE(second.CreateProgressStyle(&owner));
    second.ShowProgressStyle();
    EXPECT_FALSE(second.IsOwnerDisabled());
    second.HideProgressStyle();
    EXPECT_FALSE(owner.isEnabled());
    owner.setEnabled(true);

    CTestDialog third;
    ASSERT_TRUE(third.CreateProgressStyle(&owner));
    third.ShowProgressStyle();
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(third.DestroyWindow());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(third.isVisible());
}

// The busy cursor covers the controls that have cursors of their own, and they get their
// own back afterwards.
TEST(DialogFramework, BusyCursorCoversTheControls)
{
    CTestDialog dialog;
    ShowActive(dialog);
    EXPECT_EQ(dialog.m_pName->cursor().shape(), Qt::IBeamCursor);
    dialog.SetBusy(true);
    EXPECT_TRUE(dialog.IsBusy());
    EXPECT_EQ(dialog.cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(dialog.m_pName->cursor().shape(), Qt::BusyCursor);
    dialog.SetBusy(false);
    EXPECT_EQ(dialog.m_pName->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
