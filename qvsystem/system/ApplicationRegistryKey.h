#pragma once
// The application's own key in the settings store, below HKEY_CURRENT_USER. The library's
// controls that persist state under a "sub key" (list columns, auto-complete lists) resolve
// it below this key. The program sets it once at start-up, from its registry key and profile
// name ("Software\Corda Software\Corda Librarian\1.0"); until then it is empty and the
// sub-key forms of those operations fail rather than write somewhere unexpected.

#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QString>

// A null text clears the key; backslashes at either end are dropped.
QVSYSTEM_EXPORT void AfxSetApplicationRegistryKey(const QString& key);
// Never null; empty while unset.
QVSYSTEM_EXPORT QString AfxGetApplicationRegistryKey();
// HKEY_CURRENT_USER\<application key>\<sub key>. False (and path untouched) while the
// application key is unset or when the sub key is null or empty.
QVSYSTEM_EXPORT bool AfxGetApplicationRegistryPath(const QString& subKey, CRegistryPath& path);
