#pragma once
// The shell's open verb on a file or folder, for the records' Open commands.

#include <QString>

bool CordaOpenWithShell(const QString& path);
