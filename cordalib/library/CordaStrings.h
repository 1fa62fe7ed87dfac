#pragma once
// The program's own string table: every text the librarian shows by numeric id. The
// shared library's texts (file-error formats, exception causes) stay in qvsystem's table.

#include "qvsystem/platform/StringTable.h"

#include <QString>

inline constexpr unsigned IDS_BACKING_UP_LIBRARY = 4;
inline constexpr unsigned IDS_UNKNOWN = 5;
inline constexpr unsigned IDS_ELAPSED_SECONDS_FORMAT = 6; // "%.5f seconds"
inline constexpr unsigned IDS_BACKUP_PROGRESS_CAPTION = 14;
inline constexpr unsigned IDS_SYNC_FOLDER_MISSING = 17;
inline constexpr unsigned IDS_BACKUP_NOT_CREATED = 19;
inline constexpr unsigned IDS_LEVEL_BEGINNER = 50; // 50 + lessonLevel
inline constexpr unsigned IDS_LEVEL_INTERMEDIATE = 51;
inline constexpr unsigned IDS_LEVEL_ADVANCED = 52;
inline constexpr unsigned IDS_SYNC_SCANNING = 69;
inline constexpr unsigned IDS_SYNC_APPLYING = 70;
inline constexpr unsigned IDS_BACKUP_FILE_NAME_FORMAT = 112; // "backup-%04d%02d%02d%02d%02d%02d"
inline constexpr unsigned IDS_ERROR_LOG_FILE_NAME = 119;
inline constexpr unsigned IDS_DATABASE_FILE_EXTENSION = 125; // "cordb"
inline constexpr unsigned IDS_DATABASE_FILE_TITLE = 126;     // "library"
inline constexpr unsigned IDS_NOT_RATED = 136;
inline constexpr unsigned IDS_YES = 139;
inline constexpr unsigned IDS_NO = 140;
inline constexpr unsigned IDS_DATABASE_OPEN_ERROR = 145; // %1 path, %2 cause text
inline constexpr unsigned IDS_SYNC_RESULTS = 147;
inline constexpr unsigned IDS_LOADING_DATABASE = 156;
inline constexpr unsigned IDS_SAVING_DATABASE = 157;
inline constexpr unsigned IDS_BACKUP_RESULTS = 164;
inline constexpr unsigned IDS_ERROR_LINE_FORMAT = 165; // "%1 - %2"
inline constexpr unsigned IDS_VIEW_ERROR_REPORT = 166;
inline constexpr unsigned IDS_REMOVE_RECORD_FAILED = 167;
inline constexpr unsigned IDS_DATABASE_SAVE_ERROR = 168; // %1 path, %2 cause text
inline constexpr unsigned IDS_STYLE_FIRST = 200;         // 200 + lessonStyle, up to 218
inline constexpr unsigned IDS_STYLE_LAST = 218;
inline constexpr unsigned IDS_BACKUP_DEFAULT_EXTENSION = 452; // "zip"
inline constexpr unsigned IDS_BACKUP_FILTER = 453;
inline constexpr unsigned IDS_CORDA_FILE_EXCEPTION_FIRST = 500; // 500 + CCordaFileException cause
inline constexpr unsigned IDS_CORDA_FILE_EXCEPTION_LAST = 504;
inline constexpr unsigned IDS_APPLICATION_TITLE = 57344; // "Corda Librarian"

// The table itself, one entry per id, sorted by id.
const CStringTable& GetCordaStringTable();

// Makes this table the program's table for AfxLoadString; call once at start-up.
void RegisterCordaStringTable();

// The text of an id: the registered program table, then qvsystem's, then this table, so
// that the library's texts are there even before (or without) registration.
QString LoadCordaString(unsigned id);
bool LoadCordaString(unsigned id, QString& text);
