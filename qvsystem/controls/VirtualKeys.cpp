#include "qvsystem/controls/VirtualKeys.h"

#include <QKeyEvent>

namespace {

struct CKeyPair {
    uint16_t virtualKey;
    Qt::Key key;
};

// Codes outside the letter, digit, function-key and keypad ranges.
constexpr CKeyPair KEYS[] = {
    {0x03, Qt::Key_Cancel},        {0x08, Qt::Key_Backspace},    {0x09, Qt::Key_Tab},
    {0x0C, Qt::Key_Clear},         {0x0D, Qt::Key_Return},       {0x13, Qt::Key_Pause},
    {0x14, Qt::Key_CapsLock},      {0x1B, Qt::Key_Escape},       {0x20, Qt::Key_Space},
    {0x21, Qt::Key_PageUp},        {0x22, Qt::Key_PageDown},     {0x23, Qt::Key_End},
    {0x24, Qt::Key_Home},          {0x25, Qt::Key_Left},         {0x26, Qt::Key_Up},
    {0x27, Qt::Key_Right},         {0x28, Qt::Key_Down},         {0x29, Qt::Key_Select},
    {0x2A, Qt::Key_Printer},       {0x2B, Qt::Key_Execute},      {0x2C, Qt::Key_Print},
    {0x2D, Qt::Key_Insert},        {0x2E, Qt::Key_Delete},       {0x2F, Qt::Key_Help},
    {0x5D, Qt::Key_Menu},          {0x5F, Qt::Key_Sleep},        {0x90, Qt::Key_NumLock},
    {0x91, Qt::Key_ScrollLock},    {0xA6, Qt::Key_Back},         {0xA7, Qt::Key_Forward},
    {0xA8, Qt::Key_Refresh},       {0xA9, Qt::Key_Stop},         {0xAA, Qt::Key_Search},
    {0xAB, Qt::Key_Favorites},     {0xAC, Qt::Key_HomePage},     {0xAD, Qt::Key_VolumeMute},
    {0xAE, Qt::Key_VolumeDown},    {0xAF, Qt::Key_VolumeUp},     {0xB0, Qt::Key_MediaNext},
    {0xB1, Qt::Key_MediaPrevious}, {0xB2, Qt::Key_MediaStop},    {0xB3, Qt::Key_MediaTogglePlayPause},
    {0xB4, Qt::Key_LaunchMail},    {0xB5, Qt::Key_LaunchMedia},  {0xB6, Qt::Key_Launch0},
    {0xB7, Qt::Key_Launch1},       {0xBA, Qt::Key_Semicolon},    {0xBB, Qt::Key_Equal},
    {0xBC, Qt::Key_Comma},         {0xBD, Qt::Key_Minus},        {0xBE, Qt::Key_Period},
    {0xBF, Qt::Key_Slash},         {0xC0, Qt::Key_QuoteLeft},    {0xDB, Qt::Key_BracketLeft},
    {0xDC, Qt::Key_Backslash},     {0xDD, Qt::Key_BracketRight}, {0xDE, Qt::Key_Apostrophe},
};

// Keys that exist on both the main block and the keypad and are different keys there.
bool IsKeypadSignificant(int key)
{
    return (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Asterisk || key == Qt::Key_Plus ||
           key == Qt::Key_Minus || key == Qt::Key_Period || key == Qt::Key_Slash || key == Qt::Key_Comma;
}

Qt::KeyboardModifiers ModifiersOf(uint8_t flags)
{
    Qt::KeyboardModifiers modifiers;
    if (flags & FSHIFT)
        modifiers |= Qt::ShiftModifier;
    if (flags & FCONTROL)
        modifiers |= Qt::ControlModifier;
    if (flags & FALT)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

} // namespace

Qt::Key AfxVirtualKeyToQtKey(uint16_t virtualKey, bool* keypad)
{
    if (keypad)
        *keypad = false;
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return static_cast<Qt::Key>(virtualKey);  // Qt uses the same codes
    if (virtualKey >= 0x70 && virtualKey <= 0x87) // F1 to F24
        return static_cast<Qt::Key>(Qt::Key_F1 + (virtualKey - 0x70));
    if (virtualKey >= 0x60 && virtualKey <= 0x6F) {
        if (keypad)
            *keypad = true;
        if (virtualKey <= 0x69)
            return static_cast<Qt::Key>(Qt::Key_0 + (virtualKey - 0x60));
        static constexpr Qt::Key operators[] = {Qt::Key_Asterisk, Qt::Key_Plus,   Qt::Key_Comma,
                                                Qt::Key_Minus,    Qt::Key_Period, Qt::Key_Slash};
        return operators[virtualKey - 0x6A];
    }
    for (const CKeyPair& pair : KEYS) {
        if (pair.virtualKey == virtualKey)
            return pair.key;
    }
    return Qt::Key_unknown;
}

QKeyCombination AfxAcceleratorToKeyCombination(const QVACCEL& accel)
{
    Qt::KeyboardModifiers modifiers = ModifiersOf(accel.fVirt);
    if (!(accel.fVirt & FVIRTKEY)) {
        // A character: the key that types it; Qt names letter keys by their capitals.
        const QChar character(accel.key);
        if (character.isNull() || !character.isPrint())
            return QKeyCombination(modifiers, Qt::Key_unknown);
        return QKeyCombination(modifiers, static_cast<Qt::Key>(character.toUpper().unicode()));
    }
    bool keypad = false;
    const Qt::Key key = AfxVirtualKeyToQtKey(accel.key, &keypad);
    if (keypad)
        modifiers |= Qt::KeypadModifier;
    return QKeyCombination(modifiers, key);
}

bool AfxKeyEventMatchesAccelerator(const QKeyEvent& event, const QVACCEL& accel)
{
    const QKeyCombination wanted = AfxAcceleratorToKeyCombination(accel);
    if (wanted.key() == Qt::Key_unknown)
        return false;
    int key = event.key();
    // The keypad's Enter is the Return key to an accelerator.
    if (key == Qt::Key_Enter)
        key = Qt::Key_Return;
    if (key != wanted.key())
        return false;
    constexpr Qt::KeyboardModifiers relevant = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if ((event.modifiers() & relevant) != (wanted.keyboardModifiers() & relevant))
        return false;
    if (!IsKeypadSignificant(key))
        return true;
    return event.modifiers().testFlag(Qt::KeypadModifier) ==
           wanted.keyboardModifiers().testFlag(Qt::KeypadModifier);
}

namespace {

struct CCharacterKey {
    char16_t character;
    uint16_t virtualKey;
    bool shift;
};

// The punctuation of a US layout: each key's unshifted and shifted character.
constexpr CCharacterKey PUNCTUATION[] = {
    {u';', 0xBA, false}, {u':', 0xBA, true}, {u'=', 0xBB, false}, {u'+', 0xBB, true},  {u',', 0xBC, false},
    {u'<', 0xBC, true},  {u'-', 0xBD, false}, {u'_', 0xBD, true}, {u'.', 0xBE, false}, {u'>', 0xBE, true},
    {u'/', 0xBF, false}, {u'?', 0xBF, true},  {u'`', 0xC0, false}, {u'~', 0xC0, true}, {u'[', 0xDB, false},
    {u'{', 0xDB, true},  {u'\\', 0xDC, false}, {u'|', 0xDC, true}, {u']', 0xDD, false}, {u'}', 0xDD, true},
    {u'\'', 0xDE, false}, {u'"', 0xDE, true},  {u' ', 0x20, false},
};

// The shifted digits of a US layout, from '0' to '9'.
constexpr char16_t SHIFTED_DIGITS[] = u")!@#$%^&*(";

bool IsNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

} // namespace

bool AfxCharacterToVirtualKey(char16_t character, uint16_t& virtualKey, bool& shift)
{
    virtualKey = 0;
    shift = false;
    if (character >= u'a' && character <= u'z') {
        virtualKey = static_cast<uint16_t>(character - u'a' + 'A');
        return true;
    }
    if ((character >= u'A' && character <= u'Z')) {
        virtualKey = static_cast<uint16_t>(character);
        shift = true;
        return true;
    }
    if (character >= u'0' && character <= u'9') {
        virtualKey = static_cast<uint16_t>(character);
        return true;
    }
    for (int digit = 0; digit < 10; ++digit) {
        if (SHIFTED_DIGITS[digit] == character) {
            virtualKey = static_cast<uint16_t>('0' + digit);
            shift = true;
            return true;
        }
    }
    for (const CCharacterKey& entry : PUNCTUATION) {
        if (entry.character == character) {
            virtualKey = entry.virtualKey;
            shift = entry.shift;
            return true;
        }
    }
    return false;
}

uint16_t AfxQtKeyToVirtualKey(int key, bool keypad, bool* shift)
{
    if (shift)
        *shift = false;
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return static_cast<uint16_t>(0x60 + (key - Qt::Key_0));
        static constexpr int operators[] = {Qt::Key_Asterisk, Qt::Key_Plus,   Qt::Key_Comma,
                                            Qt::Key_Minus,    Qt::Key_Period, Qt::Key_Slash};
        for (int i = 0; i < 6; ++i) {
            if (operators[i] == key)
                return static_cast<uint16_t>(0x6A + i);
        }
    }
    // Letters are Qt keys of their capitals whatever the Shift state.
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<uint16_t>(0x70 + (key - Qt::Key_F1));
    if (key == Qt::Key_Enter)
        return 0x0D;
    if (key == Qt::Key_Backtab) {
        if (shift)
            *shift = true;
        return 0x09;
    }
    for (const CKeyPair& pair : KEYS) {
        if (pair.key == key)
            return pair.virtualKey;
    }
    if (key > 0 && key < 0x7F) {
        uint16_t virtualKey = 0;
        bool shifted = false;
        if (AfxCharacterToVirtualKey(static_cast<char16_t>(key), virtualKey, shifted)) {
            if (shift)
                *shift = shifted;
            return virtualKey;
        }
    }
    return 0;
}

bool AfxIsExtendedQtKey(int key, bool keypad)
{
    if (IsNavigationKey(key))
        return !keypad;
    if (key == Qt::Key_Enter)
        return true;
    if (key == Qt::Key_NumLock)
        return true;
    return keypad && key == Qt::Key_Slash;
}
