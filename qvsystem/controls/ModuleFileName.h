#pragma once
// The file of a loaded module.

#include "qvsystem/qvsystem_export.h"

#include <QString>

// The full path of the module (program or shared library) that contains the address, or of
// the program for a null address: pass the address of a function or object of the module
// (e.g. reinterpret_cast<const void*>(&SomeFunction)). On failure shows the system-error
// box and returns 0 with the path empty.
QVSYSTEM_EXPORT int AfxGetModuleFileName(const void* module, QString& path);
