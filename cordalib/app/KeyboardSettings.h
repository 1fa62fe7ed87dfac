#pragma once
// The user's keyboard shortcuts: the application's keyboard scheme, filled with the
// defaults of the command table and then with the shortcuts stored below the application
// root, in "Keyboard\Mapping Schemes\Main View" (KeyboardSettingsLayout, SettingsGroups.h):
// "Shortcut Count" and, per shortcut, the key "Shortcut 00000", ... with "Command ID", "Key"
// (the virtual-key code), "Flags" (the accelerator flags) and "Extended Key" (1 or 0).
//
// Besides the commands that have a key, the stored list holds the commands whose default
// key the user took away, each with Key 0: loading starts from the defaults, so without
// them a removed default key would come back at the next start.
//
// What the store holds is not trusted: a count above MAX_STORED_SHORTCUTS refuses the whole
// list (the defaults stay), and an entry with a code that names no key, flags outside the
// accelerator byte or an extended value other than 0 and 1 is skipped.

#include "cordalib/app/ApplicationProfile.h"
#include "qvsystem/controls/KeyboardMappingScheme.h"

#include <QList>

class CCordaLibrarianApp;
class QAction;

class CKeyboardSettings {
public:
    // More than any version of the program has commands, and few enough to read at once.
    static constexpr uint32_t MAX_STORED_SHORTCUTS = 1024;

    // The scheme is named "Main View" and knows the command table's defaults.
    explicit CKeyboardSettings(const CApplicationProfile& profile);

    // The defaults, then the stored shortcuts. False when the stored list could not be read
    // (its count is out of range); the defaults are in force then. An empty list is read.
    bool Load();
    // Writes the scheme's shortcuts as above; false when a write failed.
    bool Save() const;

    const CKeyboardMappingScheme& GetKeyboardMappingScheme() const { return m_scheme; }
    // The keyboard options' OK: the new scheme (the name and the defaults stay), saved at
    // once with save.
    bool SetKeyboardMappingScheme(const CKeyboardMappingScheme& scheme, bool save);

private:
    bool ReadShortcut(int index, CKeyboardShortcut& shortcut) const;

    const CApplicationProfile& m_profile;
    CKeyboardMappingScheme m_scheme;
};

// Makes the application's start-up step "Loading keyboard settings..." load these settings,
// and makes them the application's (GetKeyboardSettings), where the keyboard options find
// them. The settings must live as long as the application object.
void InstallKeyboardSettings(CCordaLibrarianApp& app, CKeyboardSettings& settings);

// The main window's keys, after it is built and after the keyboard options are applied:
// every action with a command id gets the scheme's key as its shortcut and the key's name
// after a tab in its text (AfxApplyKeyboardMappingScheme). Returns how many got a key.
int ApplyKeyboardScheme(const CKeyboardMappingScheme& scheme, const QList<QAction*>& actions);
