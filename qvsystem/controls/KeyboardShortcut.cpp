#include "qvsystem/controls/KeyboardShortcut.h"

CKeyboardShortcut::CKeyboardShortcut(const QVACCEL& accel, bool extended) : m_nCommandID(accel.cmd)
{
    uint16_t code = accel.key;
    uint8_t modifiers = 0;
    if (!(accel.fVirt & FVIRTKEY)) {
        uint16_t virtualKey = 0;
        bool shift = false;
        if (AfxCharacterToVirtualKey(static_cast<char16_t>(accel.key), virtualKey, shift)) {
            code = virtualKey;
            if (shift)
                modifiers |= SKM_SHIFT;
        }
    }
    if (accel.fVirt & FSHIFT)
        modifiers |= SKM_SHIFT;
    if (accel.fVirt & FCONTROL)
        modifiers |= SKM_CONTROL;
    if (accel.fVirt & FALT)
        modifiers |= SKM_ALT;
    if (extended)
        modifiers |= SKM_EXTENDED;
    m_key.SetKey(code, modifiers);
}

QVACCEL CKeyboardShortcut::GetAccel() const
{
    QVACCEL accel;
    accel.fVirt = FVIRTKEY;
    if (m_key.UsesShiftKeyModifier())
        accel.fVirt |= FSHIFT;
    if (m_key.UsesControlKeyModifier())
        accel.fVirt |= FCONTROL;
    if (m_key.UsesAltKeyModifier())
        accel.fVirt |= FALT;
    accel.key = m_key.GetVirtualKeyCode();
    accel.cmd = static_cast<uint16_t>(m_nCommandID);
    return accel;
}
