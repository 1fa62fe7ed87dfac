#pragma once
// One keyboard shortcut key as the settings store keeps it: a Windows virtual-key code and a
// modifier set (Shift, Ctrl, Alt and the extended-key bit). No key at all is code 0 with no
// modifiers. The key becomes a QKeySequence for QAction and QShortcut, and its display name
// comes from Qt's native key names (QKeySequence::NativeText), so it follows the desktop's
// language.

#include "qvsystem/qvsystem_export.h"

#include <QKeySequence>
#include <QString>

#include <cstdint>

class QKeyEvent;

// Modifier bits.
inline constexpr uint8_t SKM_SHIFT = 0x01;
inline constexpr uint8_t SKM_CONTROL = 0x02;
inline constexpr uint8_t SKM_ALT = 0x04;
inline constexpr uint8_t SKM_EXTENDED = 0x08;

class QVSYSTEM_EXPORT CShortcutKey {
public:
    CShortcutKey() = default;
    CShortcutKey(uint16_t virtualKeyCode, uint8_t modifiers)
        : m_wVirtualKeyCode(virtualKeyCode), m_nModifiers(modifiers)
    {
    }

    bool operator==(const CShortcutKey& other) const = default;

    void SetKey(uint16_t virtualKeyCode, uint8_t modifiers)
    {
        m_wVirtualKeyCode = virtualKeyCode;
        m_nModifiers = modifiers;
    }
    void GetKey(uint16_t& virtualKeyCode, uint8_t& modifiers) const
    {
        virtualKeyCode = m_wVirtualKeyCode;
        modifiers = m_nModifiers;
    }
    void ClearKey() { SetKey(0, 0); }
    bool IsKeySet() const { return m_wVirtualKeyCode != 0 || m_nModifiers != 0; }

    void SetVirtualKeyCode(uint16_t virtualKeyCode) { m_wVirtualKeyCode = virtualKeyCode; }
    uint16_t GetVirtualKeyCode() const { return m_wVirtualKeyCode; }
    void ClearVirtualKeyCode() { m_wVirtualKeyCode = 0; }
    void SetModifiers(uint8_t modifiers) { m_nModifiers = modifiers; }
    uint8_t GetModifiers() const { return m_nModifiers; }
    void ClearModifiers() { m_nModifiers = 0; }

    bool UsesShiftKeyModifier() const { return (m_nModifiers & SKM_SHIFT) != 0; }
    bool UsesControlKeyModifier() const { return (m_nModifiers & SKM_CONTROL) != 0; }
    bool UsesAltKeyModifier() const { return (m_nModifiers & SKM_ALT) != 0; }
    bool UsesKeyModifier() const { return (m_nModifiers & (SKM_SHIFT | SKM_CONTROL | SKM_ALT)) != 0; }
    bool IsExtendedKey() const { return (m_nModifiers & SKM_EXTENDED) != 0; }

    bool DoesKeyMatch(uint16_t virtualKeyCode, uint8_t modifiers) const
    {
        return m_wVirtualKeyCode == virtualKeyCode && m_nModifiers == modifiers;
    }
    // True when both keys are one accelerator: the same code and the same Shift, Ctrl and
    // Alt. The extended bit does not count, since an accelerator entry cannot tell the two
    // Delete keys apart, and neither can the window's shortcut.
    bool IsSameAccelerator(const CShortcutKey& other) const;

    // The text shown for the key: empty when no key is set; otherwise "Ctrl+", "Shift+" and
    // "Alt+" for the modifiers present, in this order, then the key's name. With display set,
    // Clear, Page Up, Page Down, End, Home, the arrows, Insert and Delete are named as the
    // navigation keys and Enter as the main Enter key, whatever the extended bit; without
    // it a key of the keypad is named as the keypad's.
    QString GetShortcutKeyName(bool display = true) const;

    // 1 no modifier, 2 Ctrl, 3 Shift, 4 Alt, 5 Ctrl+Shift, 6 Ctrl+Alt, 7 Shift+Alt,
    // 8 Ctrl+Shift+Alt, 9 no key at all.
    int GetModifiersSortingRank() const;

    // The sequence that QAction and QShortcut take; empty when no key is set or the code
    // names no key that Qt knows.
    QKeySequence GetKeySequence() const;

    // The key of a key press: its virtual-key code, the Shift, Ctrl and Alt states and the
    // extended bit. No key (IsKeySet false) for a modifier key pressed alone and for keys
    // without a code.
    static CShortcutKey FromKeyEvent(const QKeyEvent& event);

private:
    uint16_t m_wVirtualKeyCode = 0;
    uint8_t m_nModifiers = 0;
};
