#pragma once
// Accelerator entries with Windows virtual-key codes, and their Qt keys.
//
// The settings store and the keyboard scheme keep shortcuts as the platform's accelerator
// entries (a flag byte, a virtual-key code or a character, a command id); the windows match
// Qt key events against them. Virtual-key codes name the keys of a US layout: the
// punctuation keys (VK_OEM_*) become the Qt key of their unshifted character.

#include "qvsystem/qvsystem_export.h"

#include <QKeyCombination>
#include <QString>

#include <cstdint>

class QKeyEvent;

// Accelerator entry flags.
inline constexpr uint8_t FVIRTKEY = 0x01; // the key is a virtual-key code, not a character
inline constexpr uint8_t FSHIFT = 0x04;
inline constexpr uint8_t FCONTROL = 0x08;
inline constexpr uint8_t FALT = 0x10;

// One entry of an accelerator table.
struct QVACCEL {
    uint8_t fVirt = FVIRTKEY;
    uint16_t key = 0;
    uint16_t cmd = 0;
};

// The Qt key of a virtual-key code, Qt::Key_unknown for a code without one. Keys of the
// numeric keypad set *keypad (when given).
QVSYSTEM_EXPORT Qt::Key AfxVirtualKeyToQtKey(uint16_t virtualKey, bool* keypad = nullptr);

// The key combination of an entry: the key with the Shift, Ctrl and Alt flags (and the
// keypad modifier for keypad keys). A character entry is taken as the key that types the
// character. Qt::Key_unknown as the key when there is no such key.
QVSYSTEM_EXPORT QKeyCombination AfxAcceleratorToKeyCombination(const QVACCEL& accel);

// True when a key press is the entry's key: the same key and the same Shift, Ctrl and Alt
// state. The keypad modifier counts only for the digits and operators of the keypad, so
// that Delete, Enter or the arrows match on either block, as the entry does on Windows.
QVSYSTEM_EXPORT bool AfxKeyEventMatchesAccelerator(const QKeyEvent& event, const QVACCEL& accel);

// ---- From Qt keys to virtual-key codes (key capture, character entries) ----

// The virtual-key code of a Qt key, the reverse of AfxVirtualKeyToQtKey. With keypad, the
// digits and operators give the keypad's codes. The characters that a US layout types with
// Shift ('!', '{', '?', ...) and Qt::Key_Backtab give the code of their key and set *shift
// (when given; it is cleared otherwise). 0 for a key without a code: among them Ctrl,
// Shift, Alt, Meta and AltGr themselves.
QVSYSTEM_EXPORT uint16_t AfxQtKeyToVirtualKey(int key, bool keypad = false, bool* shift = nullptr);

// The virtual-key code and Shift state that type the character on a US layout (letters
// either case, digits, space and the punctuation keys); false and code 0 for a character
// that no key types.
QVSYSTEM_EXPORT bool AfxCharacterToVirtualKey(char16_t character, uint16_t& virtualKey, bool& shift);

// Whether a key press of the Qt key is, to the platform, an extended key: the navigation
// keys (Insert, Delete, Home, End, Page Up, Page Down, the arrows) of their own block
// rather than the keypad's, the keypad's Enter and divide keys, and Num Lock.
QVSYSTEM_EXPORT bool AfxIsExtendedQtKey(int key, bool keypad);
