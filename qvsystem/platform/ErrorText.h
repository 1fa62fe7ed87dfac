#pragma once
// The system's text for an error code (errno values on this platform).

#include "qvsystem/qvsystem_export.h"

#include <QString>

// False when the code has no text. Trailing line breaks are removed.
QVSYSTEM_EXPORT bool AfxGetPlatformErrorText(long error, QString& text);
