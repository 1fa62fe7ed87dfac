// The check-for-updates reminder and the settings dialog it opens.
#include "OnlineTestSupport.h"

#include "qvsystem/controls/LinkComboBox.h"
#include "qvsystem/controls/MessageBoxDriver.h"
#include "qvsystem/controls/QVValidationBalloon.h"
#include "qvsystem/online/CheckForUpdatesReminderDlg.h"
#include "qvsystem/online/CheckForUpdatesSettingsDlg.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace corda::test;

namespace {

class ReminderSettingsDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_path = CRegistryPath(
            HKEY_CURRENT_USER,
            QStringLiteral("Software\\Corda Tests\\Reminder\\%1").arg(QString::fromLatin1(info->name())));
        AllowQtWarning(QStringLiteral("does not support raise"));
    }

    template <typename T = QPushButton> T* Control(QWidget& dialog, int id)
    {
        T* control = dialog.findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    CRegistryPath m_path;
};

// Each button ends the reminder as the program expects: Yes is the go-ahead (OK), No and
// Dismiss are not, and only Dismiss postpones the next reminder by storing the time.
TEST_F(ReminderSettingsDlgTest, ReminderButtonsEndItAsDocumented)
{
    struct Case {
        int button;
        int result;
        bool dismissed;
    };
    for (const Case& c : {Case{IDYES, QDialog::Accepted, false}, Case{IDNO, QDialog::Rejected, false},
                          Case{IDC_QV_REMINDER_DISMISS, QDialog::Rejected, true}}) {
        SCOPED_TRACE(c.button);
        const COleDateTime earlier(45000.0);
        AfxWriteProfileCheckForUpdatesLastDismissed(m_path, earlier);
        CCheckForUpdatesReminderDlg reminder(m_path);
        ASSERT_TRUE(
            reminder.SetStatus(QStringLiteral("You have not checked for updates since 1/2/2026.  Would you "
                                              "like to check for updates now?")));
        QTimer::singleShot(0, &reminder,
                           [&]() { QTest::mouseClick(Control(reminder, c.button), Qt::LeftButton); });
        EXPECT_EQ(reminder.exec(), c.result);
        const COleDateTime dismissed = AfxGetProfileCheckForUpdatesLastDismissed(m_path);
        if (c.dismissed)
            EXPECT_NEAR(dismissed.m_dt, COleDateTime::GetCurrentUTCTime().m_dt, 60.0 / 86400);
        else
            EXPECT_EQ(dismissed.m_dt, earlier.m_dt);
    }
}

// The question is shown as given, under the bold heading; a null question is refused and
// keeps the one shown.
TEST_F(ReminderSettingsDlgTest, ReminderShowsTheQuestionUnderItsHeading)
{
    CCheckForUpdatesReminderDlg reminder(m_path);
    EXPECT_TRUE(reminder.SetStatus(QStringLiteral("Would you like to check for updates now?")));
    EXPECT_FALSE(reminder.SetStatus(QString()));
    reminder.show();
    EXPECT_EQ(Control<QLabel>(reminder, IDC_QV_REMINDER_STATUS)->text(),
              QStringLiteral("Would you like to check for updates now?"));
    QLabel* heading = Control<QLabel>(reminder, IDC_QV_REMINDER_HEADING);
    EXPECT_EQ(heading->text(), QStringLiteral("Check For Updates Reminder"));
    EXPECT_TRUE(heading->font().bold());
    EXPECT_FALSE(Control<QLabel>(reminder, IDC_QV_REMINDER_STATUS)->font().bold());
    for (int id : {IDYES, IDNO, IDC_QV_REMINDER_DISMISS, IDC_QV_REMINDER_SETTINGS})
        EXPECT_FALSE(Control(reminder, id)->text().isEmpty());
    // Escape answers No.
    QTest::keyClick(&reminder, Qt::Key_Escape);
    EXPECT_EQ(reminder.result(), QDialog::Rejected);
}

// Settings... opens the settings of the same registry path over the reminder, and what is
// saved there is in the store when the reminder goes on.
TEST_F(ReminderSettingsDlgTest, SettingsOpenOnTheSameRegistryPath)
{
    AfxWriteProfileCheckForUpdatesURL(m_path, QStringLiteral("http://updates.example.invalid/latest.txt"));
    AfxWriteProfileCheckForUpdatesReminder(m_path, 30);
    CCheckForUpdatesReminderDlg reminder(m_path);
    reminder.SetStatus(QStringLiteral("Would you like to check for updates now?"));
    reminder.show();
    QString loadedUrl;
    CModalDriver<CCheckForUpdatesSettingsDlg> driver([&](CCheckForUpdatesSettingsDlg& settings) {
        EXPECT_EQ(settings.GetRegistryPath(), m_path);
        loadedUrl = settings.GetURLControl()->currentText();
        settings.GetDaysControl()->setValue(12);
        QTest::mouseClick(Control(settings, IDOK), Qt::LeftButton);
    });
    QTest::mouseClick(Control(reminder, IDC_QV_REMINDER_SETTINGS), Qt::LeftButton);
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(loadedUrl, QStringLiteral("http://updates.example.invalid/latest.txt"));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(m_path), 12u);
    EXPECT_TRUE(reminder.isVisible());
    reminder.reject();
}

// Loading: 0 days leaves the box clear and the field at 30 and disabled; a valid period is
// shown; one out of range shows 30. The field follows the box.
TEST_F(ReminderSettingsDlgTest, SettingsLoadTheStoredPeriod)
{
    struct Case {
        uint32_t stored;
        bool ticked;
        int shown;
    };
    for (const Case& c : {Case{0, false, 30}, Case{45, true, 45}, Case{90, true, 90}, Case{200, true, 30},
                          Case{uint32_t(-5), false, 30}}) {
        SCOPED_TRACE(c.stored);
        AfxWriteProfileCheckForUpdatesReminder(m_path, c.stored);
        CCheckForUpdatesSettingsDlg settings(m_path);
        settings.show();
        EXPECT_EQ(settings.GetReminderControl()->isChecked(), c.ticked);
        EXPECT_EQ(settings.GetDaysControl()->value(), c.shown);
        EXPECT_EQ(settings.GetDaysControl()->isEnabled(), c.ticked);
        QTest::mouseClick(settings.GetReminderControl(), Qt::LeftButton);
        EXPECT_EQ(settings.GetDaysControl()->isEnabled(), !c.ticked);
        settings.reject();
    }
}

// Saving: unticked stores 0 whatever the field shows; an invalid address or an empty number
// field is refused with its balloon and nothing is stored.
TEST_F(ReminderSettingsDlgTest, SettingsValidateAndSave)
{
    const QString url = QStringLiteral("https://updates.example.invalid/cordalib.txt");
    AfxWriteProfileCheckForUpdatesURL(m_path, url);
    AfxWriteProfileCheckForUpdatesReminder(m_path, 45);
    {
        CCheckForUpdatesSettingsDlg settings(m_path);
        settings.show();
        QTest::mouseClick(settings.GetReminderControl(), Qt::LeftButton);
        EXPECT_FALSE(settings.GetReminderControl()->isChecked());
        QTest::mouseClick(Control(settings, IDOK), Qt::LeftButton);
        EXPECT_EQ(settings.result(), QDialog::Accepted);
        EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(m_path), 0u);
        EXPECT_EQ(AfxGetProfileCheckForUpdatesURL(m_path), url);
    }
    {
        CCheckForUpdatesSettingsDlg settings(m_path);
        settings.show();
        settings.GetURLControl()->setCurrentText(QStringLiteral("http://"));
        QTest::mouseClick(Control(settings, IDOK), Qt::LeftButton);
        EXPECT_TRUE(settings.isVisible());
        ASSERT_TRUE(settings.IsValidationErrorMessageActive());
        EXPECT_TRUE(settings.GetValidationToolTipWindow()->GetText().startsWith(
            QStringLiteral("The value in this field must be a valid URL")));
        EXPECT_EQ(AfxGetProfileCheckForUpdatesURL(m_path), url);
        settings.HideValidationErrorMessage();

        settings.GetURLControl()->setCurrentText(QStringLiteral("http://updates.example.invalid/v.txt"));
        QTest::mouseClick(settings.GetReminderControl(), Qt::LeftButton);
        settings.GetDaysControl()->setFocus();
        settings.GetDaysControl()->selectAll();
        QTest::keyClick(settings.GetDaysControl(), Qt::Key_Delete);
        QTest::mouseClick(Control(settings, IDOK), Qt::LeftButton);
        EXPECT_TRUE(settings.isVisible());
        ASSERT_TRUE(settings.IsValidationErrorMessageActive());
        EXPECT_EQ(settings.GetValidationToolTipWindow()->GetText(),
                  QStringLiteral("The value in this field must be a number between 1 and 90"));
        EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(m_path), 0u);
        settings.HideValidationErrorMessage();

        QTest::keyClicks(settings.GetDaysControl(), QStringLiteral("7"));
        QTest::mouseClick(Control(settings, IDOK), Qt::LeftButton);
        EXPECT_EQ(settings.result(), QDialog::Accepted);
        EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(m_path), 7u);
        EXPECT_EQ(AfxGetProfileCheckForUpdatesURL(m_path),
                  QStringLiteral("http://updates.example.invalid/v.txt"));
    }
}

} // namespace
