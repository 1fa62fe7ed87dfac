#pragma once
// The program texts that synchronization and backup show, from the program's string
// table (cordalib/library/CordaStrings). Only the maintenance sources include this header.

#include "cordalib/library/CordaStrings.h"

#include <QString>

namespace MaintenanceStrings {

// The text of a program string id.
QString Load(unsigned id);

// "%1 - %2": one line of an error report.
QString FormatErrorLine(const QString& path, const QString& errorText);

} // namespace MaintenanceStrings
