#pragma once
// One assignment of the keyboard scheme: a command id, the command's text ("Edit.Copy") and
// its shortcut key, which is not set when the command has no shortcut.

#include "qvsystem/controls/ShortcutKey.h"
#include "qvsystem/controls/VirtualKeys.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>

class QVSYSTEM_EXPORT CKeyboardShortcut {
public:
    CKeyboardShortcut() = default;
    CKeyboardShortcut(uint32_t commandId, const CShortcutKey& key) : m_nCommandID(commandId), m_key(key) {}
    CKeyboardShortcut(uint32_t commandId, const QString& commandText, const CShortcutKey& key)
        : m_nCommandID(commandId), m_strCommandText(commandText), m_key(key)
    {
    }
    // From an accelerator entry: a virtual-key entry keeps its code; a character entry
    // becomes the key that types the character (with the Shift it needs) on a US layout, or
    // keeps the character as the code when no key types it. The entry's Shift, Ctrl and Alt
    // become the modifiers, and extended sets the extended bit.
    CKeyboardShortcut(const QVACCEL& accel, bool extended);

    // Equal ids, texts (case-sensitive) and keys.
    bool operator==(const CKeyboardShortcut& other) const = default;

    uint32_t GetCommandID() const { return m_nCommandID; }
    void SetCommandID(uint32_t commandId) { m_nCommandID = commandId; }
    void ClearCommandID() { m_nCommandID = 0; }
    const QString& GetCommandText() const { return m_strCommandText; }
    void SetCommandText(const QString& text) { m_strCommandText = text; }
    bool HasCommandText() const { return !m_strCommandText.isEmpty(); }
    void ClearCommandText() { m_strCommandText.clear(); }
    const CShortcutKey& GetShortcutKey() const { return m_key; }
    void SetShortcutKey(const CShortcutKey& key) { m_key = key; }
    void ClearShortcutKey() { m_key.ClearKey(); }
    bool IsShortcutKeySet() const { return m_key.IsKeySet(); }

    // The accelerator entry: always a virtual-key entry, Shift, Ctrl and Alt from the
    // modifiers; the extended bit has no place in it. The command id is cut to the entry's
    // 16 bits.
    QVACCEL GetAccel() const;

private:
    uint32_t m_nCommandID = 0;
    QString m_strCommandText;
    CShortcutKey m_key;
};
