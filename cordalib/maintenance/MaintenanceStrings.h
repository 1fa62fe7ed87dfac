#pragma once
// The program texts that synchronization and backup show. They are looked up in the
// program's registered string table first, so that the desktop program's table wins, and
// fall back to the texts kept here. Only the maintenance sources include this header.

#include <QString>

namespace MaintenanceStrings {

inline constexpr unsigned IDS_BACKING_UP_LIBRARY = 4;     // "Backing up the library. Please wait..."
inline constexpr unsigned IDS_ELAPSED_SECONDS_FORMAT = 6; // "%.5f seconds"
inline constexpr unsigned IDS_BACKUP_PROGRESS_CAPTION = 14;
inline constexpr unsigned IDS_SYNC_FOLDER_MISSING = 17;
inline constexpr unsigned IDS_BACKUP_NOT_CREATED = 19;
inline constexpr unsigned IDS_SYNC_SCANNING = 69;
inline constexpr unsigned IDS_SYNC_APPLYING = 70;
inline constexpr unsigned IDS_BACKUP_FILE_NAME_FORMAT = 112; // "backup-%04d%02d%02d%02d%02d%02d"
inline constexpr unsigned IDS_ERROR_LOG_FILE_NAME = 119;
inline constexpr unsigned IDS_SYNC_RESULTS = 147;
inline constexpr unsigned IDS_BACKUP_RESULTS = 164;
inline constexpr unsigned IDS_ERROR_LINE_FORMAT = 165; // "%1 - %2"
inline constexpr unsigned IDS_VIEW_ERROR_REPORT = 166;
inline constexpr unsigned IDS_REMOVE_RECORD_FAILED = 167;
inline constexpr unsigned IDS_BACKUP_DEFAULT_EXTENSION = 452; // "zip"
inline constexpr unsigned IDS_BACKUP_FILTER = 453;            // "Backup Files (*.zip)|*.zip||"

QString Load(unsigned id);

// "%1 - %2": one line of an error report.
QString FormatErrorLine(const QString& path, const QString& errorText);

} // namespace MaintenanceStrings
