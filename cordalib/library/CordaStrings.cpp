#include "cordalib/library/CordaStrings.h"

const CStringTable& GetCordaStringTable()
{
    // One table, sorted by id: add new texts in their place.
    static const CStringTable table{
        {IDS_BACKING_UP_LIBRARY, "Backing up the library. Please wait..."},
        {IDS_UNKNOWN, "Unknown"},
        {IDS_ELAPSED_SECONDS_FORMAT, "%.5f seconds"},
        {IDS_BACKUP_PROGRESS_CAPTION, "Backup Progress"},
        {IDS_SYNC_FOLDER_MISSING,
         "One or more of the synchronization folders does not exist. These folders must be removed "
         "before you can successfully synchronize the library.\n\nYou can remove the folders using the "
         "Folders menu item on the File menu."},
        {IDS_BACKUP_NOT_CREATED, "The backup file could not be created"},
        {IDS_LEVEL_BEGINNER, "Beginner"},
        {IDS_LEVEL_INTERMEDIATE, "Intermediate"},
        {IDS_LEVEL_ADVANCED, "Advanced"},
        {IDS_SYNC_SCANNING, "Scanning folders for changes. Please wait..."},
        {IDS_SYNC_APPLYING, "Synchronizing the library..."},
        {IDS_BACKUP_FILE_NAME_FORMAT, "backup-%04d%02d%02d%02d%02d%02d"},
        {IDS_ERROR_LOG_FILE_NAME, "errorlog-%04d%02d%02d%02d%02d%02d.txt"},
        {IDS_DATABASE_FILE_EXTENSION, "cordb"},
        {IDS_DATABASE_FILE_TITLE, "library"},
        {IDS_NOT_RATED, "Not rated"},
        {IDS_YES, "Yes"},
        {IDS_NO, "No"},
        {IDS_DATABASE_OPEN_ERROR, "An error has occurred while opening the database file '%1'.\r\n\r\n%2"},
        {IDS_SYNC_RESULTS,
         "Added: %1!d!\nUpdated: %2!d!\nRenamed: %3!d!\nRemoved: %4!d!\nErrors: %5!d!\nElapsed time: %6"},
        {IDS_LOADING_DATABASE, "Loading database..."},
        {IDS_SAVING_DATABASE, "Saving database..."},
        {IDS_BACKUP_RESULTS, "Files backed up: %1!d!\nErrors: %2!d!\nElapsed time: %3"},
        {IDS_ERROR_LINE_FORMAT, "%1 - %2"},
        {IDS_VIEW_ERROR_REPORT,
         "One or more errors occurred during the operation. Would you like to save and view the error "
         "report?"},
        {IDS_REMOVE_RECORD_FAILED, "An attempt to remove the associated record from the library failed."},
        {IDS_DATABASE_SAVE_ERROR, "An error has occurred while saving the database file '%1'.\r\n\r\n%2"},
        {IDS_STYLE_FIRST + 0, "Alternative"},
        {IDS_STYLE_FIRST + 1, "Bluegrass"},
        {IDS_STYLE_FIRST + 2, "Blues"},
        {IDS_STYLE_FIRST + 3, "Country"},
        {IDS_STYLE_FIRST + 4, "Fingerpick"},
        {IDS_STYLE_FIRST + 5, "Flamenco"},
        {IDS_STYLE_FIRST + 6, "Folk"},
        {IDS_STYLE_FIRST + 7, "Funk"},
        {IDS_STYLE_FIRST + 8, "Fusion"},
        {IDS_STYLE_FIRST + 9, "General"},
        {IDS_STYLE_FIRST + 10, "Jazz"},
        {IDS_STYLE_FIRST + 11, "Metal"},
        {IDS_STYLE_FIRST + 12, "Other"},
        {IDS_STYLE_FIRST + 13, "Pop"},
        {IDS_STYLE_FIRST + 14, "Progressive Rock"},
        {IDS_STYLE_FIRST + 15, "Punk"},
        {IDS_STYLE_FIRST + 16, "Reggae"},
        {IDS_STYLE_FIRST + 17, "Rock"},
        {IDS_STYLE_FIRST + 18, "Swing"},
        {IDS_BACKUP_DEFAULT_EXTENSION, "zip"},
        {IDS_BACKUP_FILTER, "Backup Files (*.zip)|*.zip||"},
        {IDS_CORDA_FILE_EXCEPTION_FIRST + 0, "No error occurred."},
        {IDS_CORDA_FILE_EXCEPTION_FIRST + 1, "An unspecified error occurred."},
        {IDS_CORDA_FILE_EXCEPTION_FIRST + 2, "The file contains an invalid file header tag."},
        {IDS_CORDA_FILE_EXCEPTION_FIRST + 3, "The file contains an invalid file version number."},
        {IDS_CORDA_FILE_EXCEPTION_FIRST + 4, "The file contains an invalid file type value."},
        {IDS_APPLICATION_TITLE, "Corda Librarian"},
    };
    return table;
}

void RegisterCordaStringTable()
{
    AfxSetApplicationStringTable(&GetCordaStringTable());
}

bool LoadCordaString(unsigned id, QString& text)
{
    if (AfxLoadString(id, text))
        return true;
    return GetCordaStringTable().Load(id, text);
}

QString LoadCordaString(unsigned id)
{
    QString text;
    LoadCordaString(id, text);
    return text;
}
