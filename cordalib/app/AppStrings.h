#pragma once
// The texts of the application core and the command-line librarian. They are looked up in
// the program's registered table first (so a text kept there wins) and then in this
// table, which holds every text the core and cordalib-cli need.

#include "cordalib/library/CordaStrings.h"
#include "qvsystem/platform/StringTable.h"

#include <QString>

// Ids of the program's table used here (the library's own ids are in CordaStrings.h).
inline constexpr unsigned IDS_DEFAULT_UPDATE_URL = 3;
inline constexpr unsigned IDS_SONGS = 30;
inline constexpr unsigned IDS_LESSONS = 31;
inline constexpr unsigned IDS_DATABASE_FILES = 56;
inline constexpr unsigned IDS_BACKUP_FILES = 57;
inline constexpr unsigned IDS_LOG_FILES = 58;
inline constexpr unsigned IDS_TEMPORARY_FILES = 59;
inline constexpr unsigned IDS_NEW_DATABASE = 110;
inline constexpr unsigned IDS_FOLDER_ALREADY_IN_LIST = 118;
inline constexpr unsigned IDS_ALL_ARTISTS = 131;
inline constexpr unsigned IDS_ALL_ALBUMS = 132;
inline constexpr unsigned IDS_ALL_STYLES = 133;
inline constexpr unsigned IDS_ALL_LEVELS = 134;
inline constexpr unsigned IDS_SUMMARY_ROW_FORMAT = 138; // "%1 (%2!d!)"
inline constexpr unsigned IDS_VERSION_FORMAT = 148;     // "Version %1"
inline constexpr unsigned IDS_FILE_ALREADY_IN_LIBRARY = 162;
inline constexpr unsigned IDS_FOLDER_PATHS_DO_NOT_EXIST = 163;
inline constexpr unsigned IDS_LOADING_AUTOCOMPLETE_SETTINGS = 260;
// List column headings.
inline constexpr unsigned IDS_COLUMN_NUMBER = 300; // "#"
inline constexpr unsigned IDS_COLUMN_TITLE = 301;
inline constexpr unsigned IDS_COLUMN_ARTIST = 302;
inline constexpr unsigned IDS_COLUMN_ALBUM = 303;
inline constexpr unsigned IDS_COLUMN_YEAR = 304;
inline constexpr unsigned IDS_COLUMN_FILE_NAME = 313;
inline constexpr unsigned IDS_COLUMN_SUBTITLE = 315;
inline constexpr unsigned IDS_COLUMN_STYLE = 316;
inline constexpr unsigned IDS_COLUMN_LEVEL = 317;
inline constexpr unsigned IDS_COLUMN_AUTHOR = 318;
inline constexpr unsigned IDS_LOADING_GENERAL_SETTINGS = 262;
inline constexpr unsigned IDS_LOADING_KEYBOARD_SETTINGS = 263;
inline constexpr unsigned IDS_LOADING_MESSAGE_BOX_SETTINGS = 264;
inline constexpr unsigned IDS_LOADING_SEARCH_SETTINGS = 265;
inline constexpr unsigned IDS_LOADING_SECURITY_SETTINGS = 266;
inline constexpr unsigned IDS_LOADING_SYSTEM_TRAY_SETTINGS = 268;
inline constexpr unsigned IDS_INITIALIZING = 400;

// Texts of the core and cordalib-cli that have no id of their own elsewhere (block 9000).
inline constexpr unsigned IDS_USAGE_CREATED = 9000;           // "Created: %1"
inline constexpr unsigned IDS_USAGE_MODIFIED = 9001;          // "Modified: %1"
inline constexpr unsigned IDS_USAGE_ENCODING_SOFTWARE = 9002; // "Encoding software: %1"
inline constexpr unsigned IDS_USAGE_NUMBER_OF_FILES = 9003;   // "Number of files: %1!d!"
inline constexpr unsigned IDS_VALIDATE_NUMBER_RANGE =
    9004; // "The value in this field must be a number between ..."
inline constexpr unsigned IDS_VALIDATE_FILE_NAME =
    9005; // "The value in this field must be a valid file name..."
inline constexpr unsigned IDS_FOLDER_DOES_NOT_EXIST = 9006; // "The folder '%1' does not exist."
inline constexpr unsigned IDS_CLI_DESKTOP_RUNNING = 9007;
inline constexpr unsigned IDS_CLI_ANOTHER_CHANGE = 9008;
inline constexpr unsigned IDS_CLI_NOT_IN_LIBRARY = 9009; // "The file '%1' is not in the library."
inline constexpr unsigned IDS_VALIDATE_STYLE = 9010;
inline constexpr unsigned IDS_VALIDATE_LEVEL = 9011;
inline constexpr unsigned IDS_RENAME_FILE_ERROR = 9012; // "An error has occurred while renaming ..."
inline constexpr unsigned IDS_DAMAGED_DATABASE_NOT_KEPT =
    9013; // "The unreadable database file could not be kept as '%1' (%2), so it was not replaced."

// This table (for tests and for a program that has no table of its own yet).
const CStringTable& GetAppStringTable();
// The text of an id: the program's registered table, then qvsystem's, then this table,
// then the library's table.
QString LoadAppString(unsigned id);
