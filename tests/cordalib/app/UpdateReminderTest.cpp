// The update reminder's decision: the first run records the dismissal and never reminds,
// the period counts from the later of the two dates, and a period of 0 or less is off.
#include "AppTestFixture.h"

#include "cordalib/app/UpdateReminder.h"
#include "qvsystem/system/ProfileValues.h"

namespace {

class UpdateReminderTest : public AppTestFixture {
protected:
    CRegistryPath Path() const
    {
        return CRegistryPath(HKEY_CURRENT_USER, QStringLiteral("Software\\Corda Software\\Corda Librarian"));
    }
    static COleDateTime Day(double days) { return COleDateTime(days); }
    static constexpr double NOW = 46000.25; // a day in 2025, a quarter past
};

// On a clean store the reminder must not appear, and the dismissal date must be recorded
// as the moment of the run so that the period starts from it.
TEST_F(UpdateReminderTest, FirstRunRecordsTheDismissalAndDoesNotRemind)
{
    EXPECT_FALSE(IsCheckForUpdatesReminderDue(Path(), Day(NOW)));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastDismissed(Path()), Day(NOW));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastChecked(Path()), COleDateTime());
    // The default period is 30 days: not yet one day before, due on the day.
    EXPECT_FALSE(IsCheckForUpdatesReminderDue(Path(), Day(NOW + 29.9)));
    EXPECT_TRUE(IsCheckForUpdatesReminderDue(Path(), Day(NOW + 30)));
    EXPECT_TRUE(IsCheckForUpdatesReminderDue(Path(), Day(NOW + 400)));
    // Asking does not move the recorded date.
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastDismissed(Path()), Day(NOW));
}

// A period of 0, or one stored as a negative number, turns the reminder off without
// recording anything.
TEST_F(UpdateReminderTest, PeriodOfZeroOrLessIsOff)
{
    for (uint32_t period : {0u, 0xFFFFFFFFu, 0x80000000u}) {
        SCOPED_TRACE(period);
        ASSERT_TRUE(AfxWriteProfileDWord(Path(), QStringLiteral("Check For Updates"),
                                         QStringLiteral("Reminder"), period));
        EXPECT_FALSE(IsCheckForUpdatesReminderDue(Path(), Day(NOW)));
        EXPECT_EQ(AfxGetProfileCheckForUpdatesLastDismissed(Path()), COleDateTime());
    }
}

// The due date counts from whichever date is later, whether the check or the dismissal.
TEST_F(UpdateReminderTest, DueDateCountsFromTheLaterDate)
{
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesReminder(Path(), 10));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastChecked(Path(), Day(NOW - 5)));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastDismissed(Path(), Day(NOW - 50)));
    EXPECT_FALSE(IsCheckForUpdatesReminderDue(Path(), Day(NOW)));
    EXPECT_TRUE(IsCheckForUpdatesReminderDue(Path(), Day(NOW + 5)));

    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastChecked(Path(), Day(NOW - 50)));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastDismissed(Path(), Day(NOW - 3)));
    EXPECT_FALSE(IsCheckForUpdatesReminderDue(Path(), Day(NOW)));
    EXPECT_TRUE(IsCheckForUpdatesReminderDue(Path(), Day(NOW + 7)));
}

// Only a check recorded (never a dismissal): the check alone counts, and the first-run
// dismissal is not written over it.
TEST_F(UpdateReminderTest, OnlyACheckRecorded)
{
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesReminder(Path(), 10));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastChecked(Path(), Day(NOW - 11)));
    EXPECT_TRUE(IsCheckForUpdatesReminderDue(Path(), Day(NOW)));
    EXPECT_FALSE(IsCheckForUpdatesReminderDue(Path(), Day(NOW - 2)));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastDismissed(Path()), COleDateTime());
}

} // namespace
