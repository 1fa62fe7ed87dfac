#pragma once
// The commands of the main window that the user can give keys to: each command's string id
// (its dotted name, "Edit.Copy"), its command id (what its menu item sends, also the
// action's data and object name) and its default key. The default keyboard scheme is this
// table; LoadDefaultKeyboardMappingScheme is the function the application's scheme calls
// for it (CKeyboardMappingScheme::SetLoadDefaultMappingSchemeFunction).

#include "qvsystem/controls/KeyboardMappingScheme.h"
#include "qvsystem/controls/ShortcutKey.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <span>

// Command ids, in a namespace of their own so that a window may also name some of them.
namespace CordaCommands {
inline constexpr uint32_t ID_FILE_FOLDERS = 32912;
inline constexpr uint32_t ID_FILE_OPEN_LOCATION_DATABASE_FILES = 32789;
inline constexpr uint32_t ID_FILE_OPEN_LOCATION_BACKUP_FILES = 32852;
inline constexpr uint32_t ID_FILE_OPEN_LOCATION_LOG_FILES = 32924;
inline constexpr uint32_t ID_FILE_OPEN_LOCATION_TEMPORARY_FILES = 32788;
inline constexpr uint32_t ID_FILE_PROPERTIES = 32793;
inline constexpr uint32_t ID_APP_EXIT = 57665;
inline constexpr uint32_t ID_EDIT_UNDO = 57643;
inline constexpr uint32_t ID_EDIT_CUT = 57635;
inline constexpr uint32_t ID_EDIT_COPY = 57634;
inline constexpr uint32_t ID_EDIT_PASTE = 57637;
inline constexpr uint32_t ID_EDIT_DELETE = 32854;
inline constexpr uint32_t ID_EDIT_SELECT_ALL = 57642;
inline constexpr uint32_t ID_EDIT_UNSELECT_ALL = 32848;
inline constexpr uint32_t ID_VIEW_SONGS = 32804;
inline constexpr uint32_t ID_VIEW_LESSONS = 32805;
inline constexpr uint32_t ID_VIEW_COLUMNS = 32794;
inline constexpr uint32_t ID_TOOLS_SYNCHRONIZE = 32909;
inline constexpr uint32_t ID_TOOLS_BACKUP = 32918;
inline constexpr uint32_t ID_TOOLS_OPTIONS = 32774;
inline constexpr uint32_t ID_HELP_CONTENTS = 32808;
inline constexpr uint32_t ID_HELP_INDEX = 57666;
inline constexpr uint32_t ID_HELP_SEARCH = 32810;
inline constexpr uint32_t ID_HELP_WHATS_NEW = 32811;
inline constexpr uint32_t ID_HELP_CHECK_FOR_UPDATES = 32790;
inline constexpr uint32_t ID_APP_ABOUT = 32780;
// Not in the table, and never given a key.
inline constexpr uint32_t ID_VIEW_SORT_ASCENDING = 32806;
inline constexpr uint32_t ID_VIEW_SORT_DESCENDING = 32807;
} // namespace CordaCommands

struct CCommandTableEntry {
    unsigned nNameId;    // the command name's string
    const char* pszName; // the same name, as the table has it
    uint32_t nCommandId;
    uint16_t wDefaultKey; // virtual-key code, 0 for no default key
    uint8_t nDefaultModifiers;

    CShortcutKey GetDefaultKey() const { return CShortcutKey(wDefaultKey, nDefaultModifiers); }
};

// The 26 commands in the order of the default scheme.
std::span<const CCommandTableEntry> GetCommandTable();
// The entry of a command id, or null.
const CCommandTableEntry* FindCommandTableEntry(uint32_t commandId);
// The command's name from the string table.
QString GetCommandName(const CCommandTableEntry& entry);

// Empties the scheme and fills it with the 26 commands, their names and default keys.
void LoadDefaultKeyboardMappingScheme(CKeyboardMappingScheme& scheme);

// Help > About Corda Librarian...: the about box with the caption "About Corda Librarian",
// this process's program and modules, and the acknowledgements. Modal; returns when closed.
void ShowAboutCordaLibrarian(QWidget* parent);
