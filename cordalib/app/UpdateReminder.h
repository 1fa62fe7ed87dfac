#pragma once
// The check-for-updates reminder's decision at start-up, over the update-check values of
// the product root (sub key "Check For Updates"). Showing the reminder is the desktop
// program's; this part needs no window.

#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/system/RegistryPath.h"

// True when the reminder is due now. A period of 0 days or less turns the reminder off.
// When neither a check nor a dismissal has ever been recorded, the dismissal is recorded
// as nowUtc and the reminder is not due: the first run never reminds. Otherwise it is due
// once the later of the two dates plus the period has been reached.
bool IsCheckForUpdatesReminderDue(const CRegistryPath& path, const COleDateTime& nowUtc);
