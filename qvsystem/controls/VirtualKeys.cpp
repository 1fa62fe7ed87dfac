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
