#pragma once
// The program's say on opening external addresses: before the library opens one (the update
// check's listing address, links in its windows) it asks the function the program
// installed; without one every address may be opened.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <functional>

// The function takes the address and returns nonzero to allow it; an empty function
// removes the check.
QVSYSTEM_EXPORT void QVSystemSetOpenExternalLinkCallback(std::function<int(const QString&)> callback);
// True when the installed function allows the address (always without one).
QVSYSTEM_EXPORT bool AfxIsOpenExternalLinkAllowed(const QString& link);
