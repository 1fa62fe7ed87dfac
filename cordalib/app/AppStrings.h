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
inline constexpr unsigned IDS_SELECT_FOLDER_TO_ADD = 105; // the Folders dialog's folder browser
inline constexpr unsigned IDS_NEW_DATABASE = 110;
inline constexpr unsigned IDS_FOLDER_ALREADY_IN_LIST = 118;
inline constexpr unsigned IDS_ALL_ARTISTS = 131;
inline constexpr unsigned IDS_ALL_ALBUMS = 132;
inline constexpr unsigned IDS_ALL_STYLES = 133;
inline constexpr unsigned IDS_ALL_LEVELS = 134;
inline constexpr unsigned IDS_SUMMARY_ROW_FORMAT = 138; // "%1 (%2!d!)"
// The edit dialogs.
inline constexpr unsigned IDS_UPDATING_SONG = 10;            // "Updating song %1!d! of %2!d!..."
inline constexpr unsigned IDS_UPDATE_COMPLETE = 11;          // "Update complete."
inline constexpr unsigned IDS_UPDATING_LESSON = 13;          // "Updating lesson %1!d! of %2!d!..."
inline constexpr unsigned IDS_MULTIPLE_FILES_SELECTED = 137; // "<multiple files selected>"
inline constexpr unsigned IDS_RECORD_MODIFIED = 141;         // "  The current record is modified. ..."
inline constexpr unsigned IDS_MULTI_EDIT_MODE = 142;         // "  Multi-edit mode - use the check boxes ..."
inline constexpr unsigned IDS_VALIDATE_SELECT_ITEM = 9050; // "You must select an item from this field's ..."
inline constexpr unsigned IDS_VERSION_FORMAT = 148;        // "Version %1"
inline constexpr unsigned IDS_CHECK_FOR_UPDATES_NOW = 149; // "Would you like to check for updates now?"
inline constexpr unsigned IDS_NOT_CHECKED_SINCE = 155;     // "You have not checked for updates since %1. ..."
inline constexpr unsigned IDS_LINK = 158;                  // "link"
inline constexpr unsigned IDS_FILE_ALREADY_IN_LIBRARY = 162;
// The list commands and the file properties.
inline constexpr unsigned IDS_DATABASE_FILE_TYPE = 7;  // "Corda Librarian Database File"
inline constexpr unsigned IDS_CORDA_FILE_FILTER = 104; // "Corda Files (*.crd)|*.crd||"
inline constexpr unsigned IDS_FILE_PROPERTIES = 129;   // "File Properties"
inline constexpr unsigned IDS_DELETE_CONFIRMATION =
    135; // "Are you sure you want to delete the selected %1?..."
inline constexpr unsigned IDS_EDIT_MULTIPLE_ITEMS =
    143; // "Are you sure you want to edit information for ..."
inline constexpr unsigned IDS_OPEN_CORDA_FILE_WARNING = 144; // "Opening a Corda file while another ..."
inline constexpr unsigned IDS_WARNING = 154;                 // "Warning"
inline constexpr unsigned IDS_LOCATE_MISSING_SONG = 160;     // "The song '%1' could not be opened ..."
inline constexpr unsigned IDS_LOCATE_MISSING_LESSON = 161;   // "The lesson '%1' could not be opened ..."
inline constexpr unsigned IDS_FOLDER_PATHS_DO_NOT_EXIST = 163;
// The search bar's field names: 170 + songSearchFields ("All", "Title", ... "Transcriber"),
// 178 + lessonSearchFields ("All", "Title", "Subtitle", "Author").
inline constexpr unsigned IDS_SONG_SEARCH_FIELD_FIRST = 170;
inline constexpr unsigned IDS_LESSON_SEARCH_FIELD_FIRST = 178;
inline constexpr unsigned IDS_LOADING_AUTOCOMPLETE_SETTINGS = 260;
// List column headings.
inline constexpr unsigned IDS_COLUMN_NUMBER = 300; // "#"
inline constexpr unsigned IDS_COLUMN_TITLE = 301;
inline constexpr unsigned IDS_COLUMN_ARTIST = 302;
inline constexpr unsigned IDS_COLUMN_ALBUM = 303;
inline constexpr unsigned IDS_COLUMN_YEAR = 304;
inline constexpr unsigned IDS_COLUMN_TRADITIONAL = 305;
inline constexpr unsigned IDS_COLUMN_COMPOSER = 306;
inline constexpr unsigned IDS_COLUMN_LYRICIST = 307;
inline constexpr unsigned IDS_COLUMN_ARRANGER = 308;
inline constexpr unsigned IDS_COLUMN_TRANSCRIBER = 309;
inline constexpr unsigned IDS_COLUMN_RATING = 310;
inline constexpr unsigned IDS_COLUMN_DATE_ADDED = 311;
inline constexpr unsigned IDS_COLUMN_LAST_MODIFIED = 312;
inline constexpr unsigned IDS_COLUMN_FILE_NAME = 313;
inline constexpr unsigned IDS_COLUMN_CHECKSUM = 314;
inline constexpr unsigned IDS_COLUMN_SUBTITLE = 315;
inline constexpr unsigned IDS_COLUMN_STYLE = 316;
inline constexpr unsigned IDS_COLUMN_LEVEL = 317;
inline constexpr unsigned IDS_COLUMN_AUTHOR = 318;
inline constexpr unsigned IDS_COLUMN_COPYRIGHT = 319;
inline constexpr unsigned IDS_LOADING_GENERAL_SETTINGS = 262;
inline constexpr unsigned IDS_LOADING_KEYBOARD_SETTINGS = 263;
inline constexpr unsigned IDS_LOADING_MESSAGE_BOX_SETTINGS = 264;
inline constexpr unsigned IDS_LOADING_SEARCH_SETTINGS = 265;
inline constexpr unsigned IDS_LOADING_SECURITY_SETTINGS = 266;
inline constexpr unsigned IDS_LOADING_SYSTEM_TRAY_SETTINGS = 268;
inline constexpr unsigned IDS_INITIALIZING = 400;
// The about box and the keyboard scheme.
inline constexpr unsigned IDS_ABOUT_CORDA_LIBRARIAN = 15; // "About Corda Librarian"
inline constexpr unsigned IDS_ACKNOWLEDGEMENTS = 16;      // the credits of the libraries the program uses
inline constexpr unsigned IDS_MAIN_VIEW_SCHEME = 490;     // "Main View"
// The options dialog: the page tree, the file locations list, range labels and messages.
inline constexpr unsigned IDS_FILE_TYPE_COLUMN = 20;              // "File Type"
inline constexpr unsigned IDS_LOCATION_COLUMN = 21;               // "Location"
inline constexpr unsigned IDS_SELECT_LOCATION_FOLDER = 49;        // "Select the folder where %1 will be stored"
inline constexpr unsigned IDS_OPTIONS_ENVIRONMENT = 89;           // "Environment"
inline constexpr unsigned IDS_OPTIONS_AUTOCOMPLETE = 90;          // "AutoComplete"
inline constexpr unsigned IDS_OPTIONS_FILE_LOCATIONS = 91;        // "File Locations"
inline constexpr unsigned IDS_OPTIONS_GENERAL = 92;               // "General"
inline constexpr unsigned IDS_OPTIONS_KEYBOARD = 93;              // "Keyboard"
inline constexpr unsigned IDS_OPTIONS_MESSAGE_BOXES = 94;         // "Message Boxes"
inline constexpr unsigned IDS_OPTIONS_SEARCH = 95;                // "Search"
inline constexpr unsigned IDS_OPTIONS_SECURITY = 96;              // "Security"
inline constexpr unsigned IDS_OPTIONS_STARTUP = 97;               // "Startup"
inline constexpr unsigned IDS_OPTIONS_SYSTEM_TRAY = 98;           // "System Tray"
inline constexpr unsigned IDS_OPTIONS_ONLINE = 99;                // "Online"
inline constexpr unsigned IDS_OPTIONS_CHECK_FOR_UPDATES = 100;    // "Check For Updates"
inline constexpr unsigned IDS_DAYS_RANGE = 113;                   // "days (%1!d!-%2!d!)"
inline constexpr unsigned IDS_ITEMS_RANGE = 114;                  // "(%1!d!-%2!d!)"
inline constexpr unsigned IDS_MILLISECONDS_RANGE = 115;           // "milliseconds (%1!d!-%2!d!)"
inline constexpr unsigned IDS_DOUBLE_CLICK_OPEN = 116;            // "Open"
inline constexpr unsigned IDS_DOUBLE_CLICK_EDIT = 117;            // "Edit"
inline constexpr unsigned IDS_INVALID_FILE_LOCATIONS = 159;       // "One or more file locations are invalid"
inline constexpr unsigned IDS_RESET_KEYBOARD_SHORTCUTS = 470;     // "Are you sure you want to reset ..."
inline constexpr unsigned IDS_OPTIONS_CAPTION = 9060;             // "Options"
inline constexpr unsigned IDS_REPLACE_DATABASE_FILE = 9061;       // "... already holds a library database ..."
inline constexpr unsigned IDS_DATABASE_COPY_FAILED = 9062;        // "The library database could not be copied ..."
// The commands' names (CommandTable.h): File 600.., Help 650.., Tools 700.., View 750.., Edit 800...
inline constexpr unsigned IDS_COMMAND_NAMES_FILE = 600;
inline constexpr unsigned IDS_COMMAND_NAMES_HELP = 650;
inline constexpr unsigned IDS_COMMAND_NAMES_TOOLS = 700;
inline constexpr unsigned IDS_COMMAND_NAMES_VIEW = 750;
inline constexpr unsigned IDS_COMMAND_NAMES_EDIT = 800;

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

// Texts of the error report sender faultpost (block 9100).
inline constexpr unsigned IDS_FAULTPOST_TITLE = 9100;        // "%1 Error Report"
inline constexpr unsigned IDS_FAULTPOST_HEADING = 9101;      // "%1 closed unexpectedly"
inline constexpr unsigned IDS_FAULTPOST_INTRO = 9102;        // "An error report was written. ..."
inline constexpr unsigned IDS_FAULTPOST_PROGRAM = 9103;      // "Program:"
inline constexpr unsigned IDS_FAULTPOST_FAULT = 9104;        // "Fault:"
inline constexpr unsigned IDS_FAULTPOST_MODULE = 9105;       // "Module:"
inline constexpr unsigned IDS_FAULTPOST_TIME = 9106;         // "Time:"
inline constexpr unsigned IDS_FAULTPOST_REPORT = 9107;       // "Report:"
inline constexpr unsigned IDS_FAULTPOST_SEND = 9108;         // "&Send by E-mail..."
inline constexpr unsigned IDS_FAULTPOST_COPY_PATH = 9109;    // "&Copy Report Path"
inline constexpr unsigned IDS_FAULTPOST_SHOW_FOLDER = 9110;  // "Show in &Folder"
inline constexpr unsigned IDS_FAULTPOST_CLOSE = 9111;        // "Close"
inline constexpr unsigned IDS_FAULTPOST_MAIL_NOTE = 9112;    // "Your mail program opens a message to %1. ..."
inline constexpr unsigned IDS_FAULTPOST_MAIL_SUBJECT = 9113; // "Error report for %1 (%2)"
inline constexpr unsigned IDS_FAULTPOST_MAIL_BODY = 9114;    // the message's text: %1 to %6
inline constexpr unsigned IDS_FAULTPOST_MAIL_FAILED = 9115;  // "The mail program could not be opened. ..."
inline constexpr unsigned IDS_FAULTPOST_PATH_COPIED = 9116;  // "The report's path was copied."
inline constexpr unsigned IDS_FAULTPOST_FOLDER_FAILED = 9117; // "The folder '%1' could not be opened."
inline constexpr unsigned IDS_FAULTPOST_USAGE = 9118; // "... a command line it does not understand: %1 ..."
inline constexpr unsigned IDS_FAULTPOST_UNKNOWN_OPTION = 9119;     // "'%1' is not an option"
inline constexpr unsigned IDS_FAULTPOST_MISSING_VALUE = 9120;      // "'%1' has no value"
inline constexpr unsigned IDS_FAULTPOST_REPEATED_OPTION = 9121;    // "'%1' is given more than once"
inline constexpr unsigned IDS_FAULTPOST_MISSING_OPTION = 9122;     // "'%1' is missing"
inline constexpr unsigned IDS_FAULTPOST_BAD_ADDRESS = 9123;        // "'%1' is not a plain e-mail address"
inline constexpr unsigned IDS_FAULTPOST_CANNOT_SHOW = 9124;        // "The error report cannot be shown"
inline constexpr unsigned IDS_FAULTPOST_REPORT_MISSING = 9125;     // "The error report '%1' does not exist."
inline constexpr unsigned IDS_FAULTPOST_REPORT_UNREADABLE = 9126;  // "... could not be read: %2"
inline constexpr unsigned IDS_FAULTPOST_REPORT_TOO_LARGE = 9127;   // "... larger than %2!d! MB ..."
inline constexpr unsigned IDS_FAULTPOST_REPORT_DAMAGED = 9128;     // "... is damaged: %2"
inline constexpr unsigned IDS_FAULTPOST_NOT_A_REPORT = 9129;       // "'%1' is not an error report: %2"
inline constexpr unsigned IDS_FAULTPOST_REPORT_INCOMPLETE = 9130;  // "The report ends early (%1); ..."
inline constexpr unsigned IDS_FAULTPOST_NOT_IN_REPORT = 9131;      // "(not in the report)"
inline constexpr unsigned IDS_FAULTPOST_NO_DISPLAY = 9132;         // "There is no display to show ..."
inline constexpr unsigned IDS_FAULTPOST_NO_BYTE_ORDER_MARK = 9133; // "it does not begin with ..."
inline constexpr unsigned IDS_FAULTPOST_WRONG_ROOT = 9134;         // "its root element is <%1>"
inline constexpr unsigned IDS_FAULTPOST_ODD_LENGTH = 9135;         // "its length is an odd number of bytes"

// This table (for tests and for a program that has no table of its own yet).
const CStringTable& GetAppStringTable();
// The text of an id: the program's registered table, then qvsystem's, then this table,
// then the library's table.
QString LoadAppString(unsigned id);
