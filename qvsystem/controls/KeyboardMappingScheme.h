#pragma once
// A keyboard mapping scheme: the program's commands, each with at most one shortcut key,
// kept in ascending order of command id with one entry per command, and no key held by two
// commands. A scheme knows the function that fills it with the program's defaults.
//
// "The same key" means the same accelerator here: the same code and the same Shift, Ctrl
// and Alt (CShortcutKey::IsSameAccelerator). The two Delete keys differ only in the
// extended bit, which neither an accelerator entry nor a Qt shortcut can tell apart, so
// they count as one key and can never end up on two commands at once.
//
// The accelerator table of the scheme is a vector of QVACCEL entries (VirtualKeys.h); the
// windows use it through AfxApplyKeyboardMappingScheme (QActions) and their own key matching.

#include "qvsystem/controls/KeyboardShortcut.h"
#include "qvsystem/controls/VirtualKeys.h"
#include "qvsystem/qvsystem_export.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

class CKeyboardMappingScheme;
class QAction;

// Fills the scheme (already emptied) with the program's default assignments.
using LOADDEFAULTMAPPINGSCHEMEFUNCTION = void (*)(CKeyboardMappingScheme& scheme);

class QVSYSTEM_EXPORT CKeyboardMappingScheme {
public:
    CKeyboardMappingScheme() = default;
    CKeyboardMappingScheme(const QString& name, LOADDEFAULTMAPPINGSCHEMEFUNCTION loadDefault)
        : m_strName(name), m_pfnLoadDefault(loadDefault)
    {
    }

    // Equal entries (ids, texts and keys); the names and functions do not count.
    bool operator==(const CKeyboardMappingScheme& other) const { return m_shortcuts == other.m_shortcuts; }

    void SetName(const QString& name) { m_strName = name; }
    const QString& GetName() const { return m_strName; }
    void SetLoadDefaultMappingSchemeFunction(LOADDEFAULTMAPPINGSCHEMEFUNCTION loadDefault)
    {
        m_pfnLoadDefault = loadDefault;
    }
    LOADDEFAULTMAPPINGSCHEMEFUNCTION GetLoadDefaultMappingSchemeFunction() const { return m_pfnLoadDefault; }

    // ---- Entries ----

    // Takes the shortcut's key away from every entry first, then replaces the command's
    // entry or inserts it in command-id order. Always succeeds.
    bool AddKeyboardShortcut(const CKeyboardShortcut& shortcut);
    // False when the command has no entry.
    bool RemoveKeyboardShortcutUsingCommandID(uint32_t commandId);
    bool GetKeyboardShortcut(int index, CKeyboardShortcut& shortcut) const;
    bool GetKeyboardShortcutUsingCommandID(uint32_t commandId, CKeyboardShortcut& shortcut) const;
    int GetKeyboardShortcutCount() const { return static_cast<int>(m_shortcuts.size()); }
    bool IsValidKeyboardShortcutIndex(int index) const
    {
        return index >= 0 && index < GetKeyboardShortcutCount();
    }
    // The entry's index, -1 when absent.
    int FindCommandID(uint32_t commandId) const;
    // The index of the entry holding the key, -1 when none does (and for no key at all).
    int FindShortcutKey(const CShortcutKey& key) const;

    // ---- Keys ----

    // Takes the key away from every entry, then gives it to the command (no key: the
    // command just loses its own). False, and nothing changed, when the command is absent.
    bool SetShortcutKey(uint32_t commandId, const CShortcutKey& key);
    // Takes the key away from the entry that holds it; true when one did.
    bool ClearShortcutKey(const CShortcutKey& key);
    // False when the command is absent.
    bool ClearKeyboardShortcutUsingCommandID(uint32_t commandId);
    // Every entry loses its key; the entries stay.
    void ClearAllShortcutKeys();
    // Every entry takes the key the defaults give its command, or none when the defaults
    // lack the command.
    void ResetAllShortcutKeys(const CKeyboardMappingScheme& defaults);
    // Empties the scheme and lets the default-scheme function fill it; false without one.
    bool LoadDefaultMappingScheme();

    // ---- Accelerator table ----

    // The number of entries with a key.
    int GetAssignedKeyboardShortcutCount() const;
    int GetAcceleratorEntries() const { return GetAssignedKeyboardShortcutCount(); }
    // One entry per command with a key, in command-id order; fails unless size is exactly
    // the number of such commands.
    bool GetAccelerators(QVACCEL* accelerators, int size) const;
    // The table of the commands with a key; empty when no command has one.
    std::vector<QVACCEL> CreateAcceleratorTable() const;
    // Replaces every entry by the table's (no texts, extended bit clear); fails for a null
    // table or a count below 1.
    bool SetUsingAcceleratorTable(const QVACCEL* accelerators, int count);

    // ---- Whole lists ----

    // The entries that have a key (the name and function are copied too).
    void GetAssignedKeyboardShortcuts(CKeyboardMappingScheme& assigned) const;
    // Replaces the entries; they are added one by one, so the order, one entry per command
    // and one command per key hold whatever the vector holds (a later entry wins).
    void SetKeyboardShortcuts(const std::vector<CKeyboardShortcut>& shortcuts);
    void GetKeyboardShortcuts(std::vector<CKeyboardShortcut>& shortcuts) const { shortcuts = m_shortcuts; }
    const std::vector<CKeyboardShortcut>& GetKeyboardShortcuts() const { return m_shortcuts; }
    void DeleteKeyboardShortcutArrayContents() { m_shortcuts.clear(); }

private:
    // The index where the command's entry is or would go (binary search).
    int LowerBound(uint32_t commandId) const;

    QString m_strName;
    std::vector<CKeyboardShortcut> m_shortcuts;
    LOADDEFAULTMAPPINGSCHEMEFUNCTION m_pfnLoadDefault = nullptr;
};

// Gives each action with a command id (QAction::data, AfxGetMenuItemCommandId) the
// scheme's key for that command: the action's shortcut, and its text cut at the first tab,
// followed by a tab and the key's display name, as a menu shows it. An action whose command
// has no key loses its shortcut and any key name in its text. When several actions carry
// the same command, only the first gets the shortcut itself (two actions on one key would
// make Qt ignore it as ambiguous); all show the name. Returns how many actions got a
// shortcut.
QVSYSTEM_EXPORT int AfxApplyKeyboardMappingScheme(const CKeyboardMappingScheme& scheme,
                                                  const QList<QAction*>& actions);
