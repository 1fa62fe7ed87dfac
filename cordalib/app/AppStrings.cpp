#include "cordalib/app/AppStrings.h"

const CStringTable& GetAppStringTable()
{
    // Sorted by id.
    static const CStringTable table{
        {IDS_DEFAULT_UPDATE_URL, "http://updates.corda-software.example/cordalib/updates.xml"},
        {IDS_ELAPSED_SECONDS_FORMAT, "%.5f seconds"},
        {IDS_SYNC_FOLDER_MISSING,
         "One or more of the synchronization folders does not exist. These folders must be removed "
         "before you can successfully synchronize the library.\n\nYou can remove the folders using the "
         "Folders menu item on the File menu."},
        {IDS_SONGS, "Songs"},
        {IDS_LESSONS, "Lessons"},
        {IDS_DATABASE_FILES, "Database Files"},
        {IDS_BACKUP_FILES, "Backup Files"},
        {IDS_LOG_FILES, "Log Files"},
        {IDS_TEMPORARY_FILES, "Temporary Files"},
        {IDS_NEW_DATABASE, "New Database"},
        {IDS_FOLDER_ALREADY_IN_LIST, "The folder you selected already exists in the list"},
        {IDS_ERROR_LOG_FILE_NAME, "errorlog-%04d%02d%02d%02d%02d%02d.txt"},
        {IDS_ALL_ARTISTS, "All artists"},
        {IDS_ALL_ALBUMS, "All albums"},
        {IDS_ALL_STYLES, "All styles"},
        {IDS_ALL_LEVELS, "All levels"},
        {IDS_SUMMARY_ROW_FORMAT, "%1 (%2!d!)"},
        {IDS_SYNC_RESULTS,
         "Added: %1!d!\nUpdated: %2!d!\nRenamed: %3!d!\nRemoved: %4!d!\nErrors: %5!d!\nElapsed time: %6"},
        {IDS_VERSION_FORMAT, "Version %1"},
        {IDS_FILE_ALREADY_IN_LIBRARY, "The file '%1' already exists in the library."},
        {IDS_FOLDER_PATHS_DO_NOT_EXIST, "One or more of the folder paths does not exist"},
        {IDS_BACKUP_RESULTS, "Files backed up: %1!d!\nErrors: %2!d!\nElapsed time: %3"},
        {IDS_ERROR_LINE_FORMAT, "%1 - %2"},
        {IDS_VIEW_ERROR_REPORT,
         "One or more errors occurred during the operation. Would you like to save and view the error "
         "report?"},
        {IDS_REMOVE_RECORD_FAILED, "An attempt to remove the associated record from the library failed."},
        {IDS_LOADING_AUTOCOMPLETE_SETTINGS, "Loading AutoComplete settings..."},
        {IDS_LOADING_GENERAL_SETTINGS, "Loading general settings..."},
        {IDS_LOADING_KEYBOARD_SETTINGS, "Loading keyboard settings..."},
        {IDS_LOADING_MESSAGE_BOX_SETTINGS, "Loading message box settings..."},
        {IDS_LOADING_SEARCH_SETTINGS, "Loading search settings..."},
        {IDS_LOADING_SECURITY_SETTINGS, "Loading security settings..."},
        {IDS_LOADING_SYSTEM_TRAY_SETTINGS, "Loading system tray settings..."},
        {IDS_COLUMN_NUMBER, "#"},
        {IDS_COLUMN_TITLE, "Title"},
        {IDS_COLUMN_ARTIST, "Artist"},
        {IDS_COLUMN_ALBUM, "Album"},
        {IDS_COLUMN_YEAR, "Year"},
        {IDS_COLUMN_TRADITIONAL, "Traditional"},
        {IDS_COLUMN_COMPOSER, "Composer"},
        {IDS_COLUMN_LYRICIST, "Lyricist"},
        {IDS_COLUMN_ARRANGER, "Arranger"},
        {IDS_COLUMN_TRANSCRIBER, "Transcriber"},
        {IDS_COLUMN_RATING, "Rating"},
        {IDS_COLUMN_DATE_ADDED, "Date Added"},
        {IDS_COLUMN_LAST_MODIFIED, "Last Modified"},
        {IDS_COLUMN_FILE_NAME, "File Name"},
        {IDS_COLUMN_CHECKSUM, "Checksum"},
        {IDS_COLUMN_SUBTITLE, "Subtitle"},
        {IDS_COLUMN_STYLE, "Style"},
        {IDS_COLUMN_LEVEL, "Level"},
        {IDS_COLUMN_AUTHOR, "Author"},
        {IDS_COLUMN_COPYRIGHT, "Copyright"},
        {IDS_INITIALIZING, "Initializing Corda Librarian..."},
        {IDS_USAGE_CREATED, "Created: %1"},
        {IDS_USAGE_MODIFIED, "Modified: %1"},
        {IDS_USAGE_ENCODING_SOFTWARE, "Encoding software: %1"},
        {IDS_USAGE_NUMBER_OF_FILES, "Number of files: %1!d!"},
        {IDS_VALIDATE_NUMBER_RANGE, "The value in this field must be a number between %1!d! and %2!d!"},
        {IDS_VALIDATE_FILE_NAME, "The value in this field must be a valid file name.\nNote: A file name "
                                 "cannot contain the following characters:\n\\/:*?\"<>|"},
        {IDS_FOLDER_DOES_NOT_EXIST, "The folder '%1' does not exist."},
        {IDS_CLI_DESKTOP_RUNNING,
         "Corda Librarian is running. Close it before changing the library from the command line."},
        {IDS_CLI_ANOTHER_CHANGE,
         "Another cordalib-cli is changing the library. Try again when it has finished."},
        {IDS_CLI_NOT_IN_LIBRARY, "The file '%1' is not in the library."},
        {IDS_VALIDATE_STYLE, "The style must be a style name or a number from 0 to 18."},
        {IDS_VALIDATE_LEVEL, "The level must be a level name or a number from 0 to 2."},
        {IDS_RENAME_FILE_ERROR, "An error has occurred while renaming the file '%1' to '%2'.\r\n\r\n%3"},
        {IDS_DAMAGED_DATABASE_NOT_KEPT,
         "The unreadable database file could not be kept as '%1' (%2), so it was not replaced."},
        {IDS_FAULTPOST_TITLE, "%1 Error Report"},
        {IDS_FAULTPOST_HEADING, "%1 closed unexpectedly"},
        {IDS_FAULTPOST_INTRO,
         "An error report was written. Sending it to %1 helps find and fix the problem. Nothing is sent "
         "unless you choose to send it."},
        {IDS_FAULTPOST_PROGRAM, "Program:"},
        {IDS_FAULTPOST_FAULT, "Fault:"},
        {IDS_FAULTPOST_MODULE, "Module:"},
        {IDS_FAULTPOST_TIME, "Time:"},
        {IDS_FAULTPOST_REPORT, "Report:"},
        {IDS_FAULTPOST_SEND, "&Send by E-mail..."},
        {IDS_FAULTPOST_COPY_PATH, "&Copy Report Path"},
        {IDS_FAULTPOST_SHOW_FOLDER, "Show in &Folder"},
        {IDS_FAULTPOST_CLOSE, "Close"},
        {IDS_FAULTPOST_MAIL_NOTE,
         "Send by E-mail opens your mail program with a message to %1. A mail program cannot be told to "
         "attach a file, so the message names the report file: attach it before you send the message."},
        {IDS_FAULTPOST_MAIL_SUBJECT, "Error report for %1 (%2)"},
        {IDS_FAULTPOST_MAIL_BODY,
         "What were you doing when the program closed?\n\n\n\n---\nProgram: %1\nFault: %2\nModule: %3\n"
         "Time: %4\nReport ID: %5\n\nPlease attach the error report to this message. It is the file\n%6\n"},
        {IDS_FAULTPOST_MAIL_FAILED,
         "The mail program could not be opened. You can send the report to %1 yourself; it is the file\n%2"},
        {IDS_FAULTPOST_PATH_COPIED, "The report's path was copied."},
        {IDS_FAULTPOST_FOLDER_FAILED, "The folder '%1' could not be opened."},
        {IDS_FAULTPOST_USAGE,
         "The error report sender was started with a command line it does not understand: %1.\n\n"
         "It expects:\nfaultpost -app NAME -path PROGRAM -log REPORT -company NAME -mailto ADDRESS -contact "
         "NAME"},
        {IDS_FAULTPOST_UNKNOWN_OPTION, "'%1' is not an option"},
        {IDS_FAULTPOST_MISSING_VALUE, "'%1' has no value"},
        {IDS_FAULTPOST_REPEATED_OPTION, "'%1' is given more than once"},
        {IDS_FAULTPOST_MISSING_OPTION, "'%1' is missing"},
        {IDS_FAULTPOST_BAD_ADDRESS, "'%1' is not a plain e-mail address"},
        {IDS_FAULTPOST_CANNOT_SHOW, "The error report cannot be shown"},
        {IDS_FAULTPOST_REPORT_MISSING, "The error report '%1' does not exist."},
        {IDS_FAULTPOST_REPORT_UNREADABLE, "The error report '%1' could not be read: %2"},
        {IDS_FAULTPOST_REPORT_TOO_LARGE,
         "The error report '%1' is larger than %2!d! MB, more than a report can be."},
        {IDS_FAULTPOST_REPORT_DAMAGED, "The error report '%1' is damaged: %2"},
        {IDS_FAULTPOST_NOT_A_REPORT, "The file '%1' is not an error report: %2."},
        {IDS_FAULTPOST_REPORT_INCOMPLETE, "The report ends early (%1); what could be read is shown."},
        {IDS_FAULTPOST_NOT_IN_REPORT, "(not in the report)"},
        {IDS_FAULTPOST_NO_DISPLAY,
         "There is no display to show the error report on. The report is the file\n%1"},
        {IDS_FAULTPOST_NO_BYTE_ORDER_MARK, "it does not begin with the UTF-16 byte-order mark"},
        {IDS_FAULTPOST_WRONG_ROOT, "its root element is <%1>, not <errorReport>"},
        {IDS_FAULTPOST_ODD_LENGTH, "its length is an odd number of bytes"},
    };
    return table;
}

QString LoadAppString(unsigned id)
{
    QString text;
    if (AfxLoadString(id, text))
        return text;
    if (GetAppStringTable().Load(id, text))
        return text;
    LoadCordaString(id, text);
    return text;
}
