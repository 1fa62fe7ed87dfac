#include "cordalib/app/UpdateReminder.h"

#include "qvsystem/system/ProfileValues.h"

#include <cstdint>

namespace {

// The profile functions give 0.0 for a date that was never written; a date that is not
// valid counts as never recorded too.
bool IsRecorded(const COleDateTime& date)
{
    return date.GetStatus() == COleDateTime::valid && date.m_dt != 0.0;
}

} // namespace

bool IsCheckForUpdatesReminderDue(const CRegistryPath& path, const COleDateTime& nowUtc)
{
    // The period is stored as a DWORD that older versions wrote as a signed number.
    const auto period = static_cast<int32_t>(AfxGetProfileCheckForUpdatesReminder(path));
    if (period <= 0)
        return false;
    const COleDateTime lastChecked = AfxGetProfileCheckForUpdatesLastChecked(path);
    const COleDateTime lastDismissed = AfxGetProfileCheckForUpdatesLastDismissed(path);
    const bool checked = IsRecorded(lastChecked);
    const bool dismissed = IsRecorded(lastDismissed);
    if (!checked && !dismissed) {
        AfxWriteProfileCheckForUpdatesLastDismissed(path, nowUtc);
        return false;
    }
    COleDateTime latest = checked ? lastChecked : lastDismissed;
    if (checked && dismissed && lastDismissed > lastChecked)
        latest = lastDismissed;
    const COleDateTime due(latest.m_dt + period);
    return !(nowUtc < due);
}
