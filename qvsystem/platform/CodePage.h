#pragma once
// The system code page is fixed to Windows-1252: the tablature files come from Windows
// machines. Unmappable characters become '?'.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <string>
#include <string_view>

QVSYSTEM_EXPORT QString AfxAnsiToUnicode(std::string_view text);
QVSYSTEM_EXPORT std::string AfxUnicodeToAnsi(const QString& text);
// One character of each direction, for hot loops.
QVSYSTEM_EXPORT char16_t AfxAnsiCharToUnicode(unsigned char c);
QVSYSTEM_EXPORT unsigned char AfxUnicodeCharToAnsi(char16_t c); // '?' when unmappable
