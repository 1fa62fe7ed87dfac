#include "cordalib/app/CommandTable.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/controls/QVAboutDlg.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/system/ModuleVersion.h"

using namespace CordaCommands;

namespace {

constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F2 = 0x71;
constexpr uint16_t VK_F3 = 0x72;
constexpr uint16_t VK_F7 = 0x76;

constexpr CCommandTableEntry COMMANDS[] = {
    {IDS_COMMAND_NAMES_FILE + 0, "File.Folders", ID_FILE_FOLDERS, 'F', SKM_CONTROL},
    {IDS_COMMAND_NAMES_FILE + 1, "File.OpenLocation.DatabaseFiles", ID_FILE_OPEN_LOCATION_DATABASE_FILES, 0,
     0},
    {IDS_COMMAND_NAMES_FILE + 2, "File.OpenLocation.BackupFiles", ID_FILE_OPEN_LOCATION_BACKUP_FILES, 0, 0},
    {IDS_COMMAND_NAMES_FILE + 3, "File.OpenLocation.LogFiles", ID_FILE_OPEN_LOCATION_LOG_FILES, 0, 0},
    {IDS_COMMAND_NAMES_FILE + 4, "File.OpenLocation.TemporaryFiles", ID_FILE_OPEN_LOCATION_TEMPORARY_FILES, 0,
     0},
    {IDS_COMMAND_NAMES_FILE + 5, "File.Properties", ID_FILE_PROPERTIES, 0, 0},
    {IDS_COMMAND_NAMES_FILE + 6, "File.Exit", ID_APP_EXIT, 0, 0},
    {IDS_COMMAND_NAMES_EDIT + 0, "Edit.Undo", ID_EDIT_UNDO, 'Z', SKM_CONTROL},
    {IDS_COMMAND_NAMES_EDIT + 1, "Edit.Cut", ID_EDIT_CUT, 'X', SKM_CONTROL},
    {IDS_COMMAND_NAMES_EDIT + 2, "Edit.Copy", ID_EDIT_COPY, 'C', SKM_CONTROL},
    {IDS_COMMAND_NAMES_EDIT + 3, "Edit.Paste", ID_EDIT_PASTE, 'V', SKM_CONTROL},
    {IDS_COMMAND_NAMES_EDIT + 4, "Edit.Delete", ID_EDIT_DELETE, VK_DELETE, SKM_EXTENDED},
    {IDS_COMMAND_NAMES_EDIT + 5, "Edit.SelectAll", ID_EDIT_SELECT_ALL, 'A', SKM_CONTROL},
    {IDS_COMMAND_NAMES_EDIT + 6, "Edit.UnselectAll", ID_EDIT_UNSELECT_ALL, 0, 0},
    {IDS_COMMAND_NAMES_VIEW + 0, "View.Songs", ID_VIEW_SONGS, VK_F2, 0},
    {IDS_COMMAND_NAMES_VIEW + 1, "View.Lessons", ID_VIEW_LESSONS, VK_F3, 0},
    {IDS_COMMAND_NAMES_VIEW + 2, "View.Columns", ID_VIEW_COLUMNS, 0, 0},
    {IDS_COMMAND_NAMES_TOOLS + 0, "Tools.Synchronize", ID_TOOLS_SYNCHRONIZE, VK_F7, 0},
    {IDS_COMMAND_NAMES_TOOLS + 1, "Tools.Backup", ID_TOOLS_BACKUP, 0, 0},
    {IDS_COMMAND_NAMES_TOOLS + 2, "Tools.Options", ID_TOOLS_OPTIONS, 0, 0},
    {IDS_COMMAND_NAMES_HELP + 0, "Help.Contents", ID_HELP_CONTENTS, VK_F1, 0},
    {IDS_COMMAND_NAMES_HELP + 1, "Help.Index", ID_HELP_INDEX, VK_F2, SKM_CONTROL | SKM_ALT},
    {IDS_COMMAND_NAMES_HELP + 2, "Help.Search", ID_HELP_SEARCH, VK_F3, SKM_CONTROL | SKM_ALT},
    {IDS_COMMAND_NAMES_HELP + 3, "Help.WhatsNew", ID_HELP_WHATS_NEW, 0, 0},
    {IDS_COMMAND_NAMES_HELP + 4, "Help.CheckForUpdates", ID_HELP_CHECK_FOR_UPDATES, 0, 0},
    {IDS_COMMAND_NAMES_HELP + 5, "Help.AboutCordaLibrarian", ID_APP_ABOUT, 0, 0},
};

} // namespace

std::span<const CCommandTableEntry> GetCommandTable()
{
    return COMMANDS;
}

const CCommandTableEntry* FindCommandTableEntry(uint32_t commandId)
{
    for (const CCommandTableEntry& entry : COMMANDS) {
        if (entry.nCommandId == commandId)
            return &entry;
    }
    return nullptr;
}

QString GetCommandName(const CCommandTableEntry& entry)
{
    const QString name = LoadAppString(entry.nNameId);
    return name.isEmpty() ? QString::fromLatin1(entry.pszName) : name;
}

void LoadDefaultKeyboardMappingScheme(CKeyboardMappingScheme& scheme)
{
    scheme.DeleteKeyboardShortcutArrayContents();
    for (const CCommandTableEntry& entry : COMMANDS)
        scheme.AddKeyboardShortcut(
            CKeyboardShortcut(entry.nCommandId, GetCommandName(entry), entry.GetDefaultKey()));
}

void ShowAboutCordaLibrarian(QWidget* parent)
{
    CQVAboutDlg dialog(LoadAppString(IDS_ABOUT_CORDA_LIBRARIAN), 0,
                       CModuleVersion::GetModuleFilePath(nullptr), IDB_ABOUT_BANNER,
                       LoadAppString(IDS_ACKNOWLEDGEMENTS), parent);
    dialog.exec();
}
