// qvsystem's own string table.
//
// Ids:
//   22500..22508  file-error format texts (%1 file name, %2 cause text; 22508 renames:
//                 %1 old name, %2 new name, %3 cause text)
//   22520..22534  CFileException cause texts (22520 + cause)
//   22542..22549  CArchiveException cause texts (22542 + cause)
//   22560..22566  fixed texts of the message-box functions (the IDS_QV_* constants)
//   22650..22658  dialog framework: validation caption, property sheet and wizard buttons
//   22700..22707  the list control's header menu and Columns dialog
//   22780..22800  the help viewer (IDS_QV_HELP_*)
//   21272         the address combo's file filter (IDS_QV_ALL_FILES_FILTER, controls/LinkComboBox.h)
#include "qvsystem/platform/StringTable.h"

const CStringTable& AfxGetQVSystemStringTable()
{
    static const CStringTable table{
        {21272, "All Files (*.*)|*.*||"},
        {IDS_QV_READ_FILE_ERROR, "An error has occurred while reading the file '%1'.\r\n\r\n%2"},
        {IDS_QV_WRITE_FILE_ERROR, "An error has occurred while writing the file '%1'.\r\n\r\n%2"},
        {IDS_QV_OPEN_FILE_ERROR, "An error has occurred while opening the file '%1'.\r\n\r\n%2"},
        {IDS_QV_SAVE_FILE_ERROR, "An error has occurred while saving the file '%1'.\r\n\r\n%2"},
        {IDS_QV_LOAD_FILE_ERROR, "An error has occurred while loading the file '%1'.\r\n\r\n%2"},
        {IDS_QV_CREATE_FILE_ERROR, "An error has occurred while creating the file '%1'.\r\n\r\n%2"},
        {IDS_QV_DELETE_FILE_ERROR, "An error has occurred while deleting the file '%1'.\r\n\r\n%2"},
        {IDS_QV_COPY_FILE_ERROR, "An error has occurred while copying the file '%1'.\r\n\r\n%2"},
        {IDS_QV_RENAME_FILE_ERROR, "An error has occurred while renaming the file '%1' to '%2'.\r\n\r\n%3"},

        {IDS_QV_FILE_CAUSE_BASE + 0, "No error occurred."},
        {IDS_QV_FILE_CAUSE_BASE + 1, "An unspecified error occurred."},
        {IDS_QV_FILE_CAUSE_BASE + 2, "The file could not be located."},
        {IDS_QV_FILE_CAUSE_BASE + 3, "All or part of the path is invalid."},
        {IDS_QV_FILE_CAUSE_BASE + 4, "The permitted number of open files was exceeded."},
        {IDS_QV_FILE_CAUSE_BASE + 5, "The file could not be accessed."},
        {IDS_QV_FILE_CAUSE_BASE + 6, "There was an attempt to use an invalid file handle."},
        {IDS_QV_FILE_CAUSE_BASE + 7, "The current working directory cannot be removed."},
        {IDS_QV_FILE_CAUSE_BASE + 8, "There are no more directory entries."},
        {IDS_QV_FILE_CAUSE_BASE + 9, "There was an error trying to set the file pointer."},
        {IDS_QV_FILE_CAUSE_BASE + 10, "There was a hardware error."},
        {IDS_QV_FILE_CAUSE_BASE + 11, "SHARE.EXE was not loaded, or a shared region was locked."},
        {IDS_QV_FILE_CAUSE_BASE + 12, "There was an attempt to lock a region that was already locked."},
        {IDS_QV_FILE_CAUSE_BASE + 13, "The disk is full."},
        {IDS_QV_FILE_CAUSE_BASE + 14, "The end of file was reached."},

        {IDS_QV_ARCHIVE_CAUSE_BASE + 0, "No error occurred."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 1, "Unspecified error."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 2, "Tried to write to an archive opened for loading."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 3, "Reached end of file while reading an object."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 4, "Tried to read from an archive opened for storing."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 5, "Invalid file format."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 6, "Tried to read an object into an object of the wrong type."},
        {IDS_QV_ARCHIVE_CAUSE_BASE + 7, "Tried to read an object with a different version of the class."},

        {IDS_QV_SYSTEM_ERROR, "A system error has occurred.\r\n\r\n%1"},
        {IDS_QV_DO_NOT_SHOW_AGAIN, "&Do not show this message again"},
        {IDS_QV_RESOURCE_EXCEPTION, "A required resource was unavailable."},
        {IDS_QV_MEMORY_EXCEPTION, "Out of memory."},
        {IDS_QV_NOT_SUPPORTED_EXCEPTION, "An unsupported operation was attempted."},
        {IDS_QV_USER_EXCEPTION, "An unknown error has occurred."},
        {IDS_QV_HTML_HELP_ERROR, "An html help error has occurred.\r\n\r\n%1"},

        {IDS_QV_VALIDATION_ERROR, "Validation Error"},
        {IDS_QV_SHEET_OK, "OK"},
        {IDS_QV_SHEET_CANCEL, "Cancel"},
        {IDS_QV_SHEET_APPLY, "&Apply"},
        {IDS_QV_SHEET_HELP, "Help"},
        {IDS_QV_WIZARD_NEXT, "&Next >"},
        {IDS_QV_WIZARD_FINISH, "&Finish"},
        {IDS_QV_WIZARD_BACK, "< &Back"},
        {IDS_QV_WIZARD_CANCEL, "Cancel"},

        {IDS_QV_COLUMNS_MENU, "&Columns..."},
        {IDS_QV_COLUMNS_CAPTION, "Columns"},
        {IDS_QV_COLUMNS_INSTRUCTION, "Select the columns you would like visible.  Use the Move Up and Move Down "
                                     "buttons to reorder the columns however you like."},
        {IDS_QV_COLUMNS_MOVE_UP, "Move &Up"},
        {IDS_QV_COLUMNS_MOVE_DOWN, "Move &Down"},
        {IDS_QV_COLUMNS_RESET, "&Reset"},
        {IDS_QV_COLUMNS_WIDTH, "&Selected column width:"},
        {IDS_QV_COLUMNS_NONE_CHECKED, "You must check at least one item from this list"},

        {IDS_QV_HELP_CAPTION, "%1 Help"},
        {IDS_QV_HELP_CONTENTS, "&Contents"},
        {IDS_QV_HELP_INDEX, "I&ndex"},
        {IDS_QV_HELP_SEARCH, "&Search"},
        {IDS_QV_HELP_KEYWORD, "Type in the &keyword to find:"},
        {IDS_QV_HELP_QUERY, "Type in the &word(s) to search for:"},
        {IDS_QV_HELP_LIST_TOPICS, "&List Topics"},
        {IDS_QV_HELP_DISPLAY, "&Display"},
        {IDS_QV_HELP_SELECT_TOPIC, "Select &topic to display:"},
        {IDS_QV_HELP_TITLE_COLUMN, "Title"},
        {IDS_QV_HELP_RANK_COLUMN, "Rank"},
        {IDS_QV_HELP_BACK, "&Back"},
        {IDS_QV_HELP_FORWARD, "&Forward"},
        {IDS_QV_HELP_HOME, "&Home"},
        {IDS_QV_HELP_FOUND, "Found: %1!d!"},
        {IDS_QV_HELP_NO_FILE, "The help file '%1' could not be found. Its pages were looked for in:\r\n%2"},
        {IDS_QV_HELP_NO_TOPIC, "The topic '%1' could not be found in the help file '%2'."},
        {IDS_QV_HELP_BAD_FILE, "The help's file '%1' could not be read: %2."},
        {IDS_QV_HELP_BAD_LINK, "The address '%1' cannot be opened from the help viewer."},
        {IDS_QV_HELP_NO_WINDOW,
         "The help viewer can only be opened by a program with windows, from its user-interface thread."},
        {IDS_QV_HELP_MISSING_FILE, "the file does not exist"},
    };
    return table;
}
