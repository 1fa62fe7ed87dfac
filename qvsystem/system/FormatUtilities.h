#pragma once
// File-size, date and time texts in the user's locale (QLocale()), and UTC/local
// conversions of date-times.

#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

// The short size text that file lists show: "532 bytes" below 1024 bytes, otherwise the
// size in KB, MB, GB, TB, PB or EB (powers of 1024) with three significant digits, cut
// off rather than rounded ("1.30 KB", "22.9 KB", "999 KB", then "0.97 MB"). A negative
// size is shown as its magnitude with a minus sign.
QVSYSTEM_EXPORT QString AfxFormatFileSize(int64_t size);

// "%1 (%2 bytes)": the short text and the exact count grouped as the locale groups digits
// ("1.00 KB (1,024 bytes)"). Sizes below 1024 bytes, and negative ones, give the short
// text alone.
QVSYSTEM_EXPORT QString AfxFormatExtendedFileSize(int64_t size);

// Dates and times of a date-time; a date-time that is not valid gives empty text.
QVSYSTEM_EXPORT QString AfxGetLocaleShortDate(const COleDateTime& dateTime);
QVSYSTEM_EXPORT QString AfxGetLocaleLongDate(const COleDateTime& dateTime);

// A picture is written as for the Windows date and time functions: d dd ddd dddd, M MM MMM
// MMMM, y yy yyyy, g (era) for dates; h hh (12-hour), H HH (24-hour), m mm, s ss, t tt
// (AM/PM) for times; text in single quotes is copied ('' is a quote), as is every other
// character. A null picture takes the locale's short date or its time format.
QVSYSTEM_EXPORT QString AfxFormatLocaleDate(const COleDateTime& dateTime, const QString& picture = QString());
QVSYSTEM_EXPORT QString AfxFormatLocaleTime(const COleDateTime& dateTime, const QString& picture = QString());
// Date, one blank, time.
QVSYSTEM_EXPORT QString AfxFormatLocaleDateTime(const COleDateTime& dateTime,
                                                const QString& datePicture = QString(),
                                                const QString& timePicture = QString());
// Short or long date, one blank, the time in the locale's time format.
QVSYSTEM_EXPORT QString AfxGetLocaleShortDateTime(const COleDateTime& dateTime);
QVSYSTEM_EXPORT QString AfxGetLocaleLongDateTime(const COleDateTime& dateTime);

// Conversions with the current time zone's rules; false (output unchanged) when the value
// is not valid or the platform cannot convert it.
QVSYSTEM_EXPORT bool AfxUTCToLocalTime(const COleDateTime& utcTime, COleDateTime& localTime);
QVSYSTEM_EXPORT bool AfxLocalTimeToUTC(const COleDateTime& localTime, COleDateTime& utcTime);
QVSYSTEM_EXPORT COleDateTime AfxGetCurrentUTCTime();
