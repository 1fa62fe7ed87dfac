#pragma once
// Number and text tests, a case-insensitive 8-bit substring search, keyboard and input-idle
// state, and two small drawing helpers.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

class QColor;
class QFont;
class QPainter;
class QRect;

// True when the whole text is one integer in the base (0 picks 0x... hex, 0... octal or
// decimal; 2 to 36 otherwise; 16 also takes a 0x prefix) with an optional sign, and lies
// within minimum and maximum inclusive. No blanks are allowed around it.
QVSYSTEM_EXPORT bool AfxIsValidNumber(const QString& text, int64_t minimum, int64_t maximum, int base = 10);
// True when the whole text is an integer in the base that fits a signed (isSigned) or
// unsigned 64-bit value; an unsigned number takes no minus sign.
QVSYSTEM_EXPORT bool AfxIsNumeric(const QString& text, bool isSigned = true, int base = 10);
// True for an empty text, or with ignoreWhiteSpace one made only of white space; false for
// a null text.
QVSYSTEM_EXPORT bool AfxIsTextEmpty(const QString& text, bool ignoreWhiteSpace = true);

// The first place where pattern occurs in text, letters of the system code page
// (Windows-1252) compared without regard to case; text itself for an empty pattern; null
// when absent or when either argument is null.
QVSYSTEM_EXPORT const char* stristr(const char* text, const char* pattern);
QVSYSTEM_EXPORT char* stristr(char* text, const char* pattern);

// The Shift key is held down now; false when the program has no GUI.
QVSYSTEM_EXPORT bool AfxIsShiftKeyDown();

// Milliseconds since the last keyboard or mouse input that the application received. The
// first call starts watching the application's input, so it counts from then; 0 without
// an application object or when called off its thread before watching began.
QVSYSTEM_EXPORT uint32_t AfxGetInputIdleTime();
// The monotonic-clock time (milliseconds) of the last input seen, starting the watch as
// above; 0 when it cannot be watched.
QVSYSTEM_EXPORT int64_t AfxGetLastInputTime();

// The target becomes a copy of the source with weight 700.
QVSYSTEM_EXPORT bool AfxCreateBoldFont(const QFont& sourceFont, QFont& targetFont);

// Fills the rectangle with a linear gradient from the start colour to the end colour, left
// to right when horizontal is set, top to bottom otherwise. Fails on a null painter.
QVSYSTEM_EXPORT bool AfxFillGradient(QPainter* painter, const QRect& rect, const QColor& startColor,
                                     const QColor& endColor, bool horizontal);
