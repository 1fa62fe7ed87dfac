#include "cordalib/maintenance/MaintenanceStrings.h"

#include "qvsystem/platform/StringTable.h"

namespace MaintenanceStrings {

namespace {

const CStringTable& Table()
{
    // Sorted by id.
    static const CStringTable table{
        {IDS_BACKING_UP_LIBRARY, "Backing up the library. Please wait..."},
        {IDS_ELAPSED_SECONDS_FORMAT, "%.5f seconds"},
        {IDS_BACKUP_PROGRESS_CAPTION, "Backup Progress"},
        {IDS_SYNC_FOLDER_MISSING,
         "One or more of the synchronization folders does not exist. These folders must be removed "
         "before you can successfully synchronize the library.\n\nYou can remove the folders using the "
         "Folders menu item on the File menu."},
        {IDS_BACKUP_NOT_CREATED, "The backup file could not be created"},
        {IDS_SYNC_SCANNING, "Scanning folders for changes. Please wait..."},
        {IDS_SYNC_APPLYING, "Synchronizing the library..."},
        {IDS_BACKUP_FILE_NAME_FORMAT, "backup-%04d%02d%02d%02d%02d%02d"},
        {IDS_ERROR_LOG_FILE_NAME, "errorlog-%04d%02d%02d%02d%02d%02d.txt"},
        {IDS_SYNC_RESULTS,
         "Added: %1!d!\nUpdated: %2!d!\nRenamed: %3!d!\nRemoved: %4!d!\nErrors: %5!d!\nElapsed time: %6"},
        {IDS_BACKUP_RESULTS, "Files backed up: %1!d!\nErrors: %2!d!\nElapsed time: %3"},
        {IDS_ERROR_LINE_FORMAT, "%1 - %2"},
        {IDS_VIEW_ERROR_REPORT, "One or more errors occurred during the operation. Would you like to save "
                                "and view the error report?"},
        {IDS_REMOVE_RECORD_FAILED, "An attempt to remove the associated record from the library failed."},
        {IDS_BACKUP_DEFAULT_EXTENSION, "zip"},
        {IDS_BACKUP_FILTER, "Backup Files (*.zip)|*.zip||"},
    };
    return table;
}

} // namespace

QString Load(unsigned id)
{
    QString text;
    if (AfxLoadString(id, text))
        return text;
    Table().Load(id, text);
    return text;
}

QString FormatErrorLine(const QString& path, const QString& errorText)
{
    return AfxFormatMessage(Load(IDS_ERROR_LINE_FORMAT), path, errorText);
}

} // namespace MaintenanceStrings
