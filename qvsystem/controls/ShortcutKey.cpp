#include "qvsystem/controls/ShortcutKey.h"

#include "qvsystem/controls/VirtualKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

constexpr uint16_t VK_CLEAR = 0x0C;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_PRIOR = 0x21;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_DELETE = 0x2E;

// The keys that exist on the keypad too and are named after the block they are on.
bool IsNavigationCode(uint16_t code)
{
    return code == VK_CLEAR || (code >= VK_PRIOR && code <= VK_DOWN) || code == VK_INSERT ||
           code == VK_DELETE;
}

constexpr uint8_t ACCELERATOR_MODIFIERS = SKM_SHIFT | SKM_CONTROL | SKM_ALT;

QString KeyName(uint16_t code, bool extended, bool display)
{
    if (display && IsNavigationCode(code))
        extended = true;
    if (display && code == VK_RETURN)
        extended = false;
    bool keypad = false;
    Qt::Key key = AfxVirtualKeyToQtKey(code, &keypad);
    if (key == Qt::Key_unknown) // a code without a key of its own: its number, as "0xE2"
        return QStringLiteral("0x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    if (code == VK_RETURN && extended)
        key = Qt::Key_Enter; // the keypad's Enter has a name of its own
    else if (IsNavigationCode(code) && !extended)
        keypad = true;
    const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    return QKeySequence(QKeyCombination(modifiers, key)).toString(QKeySequence::NativeText);
}

} // namespace

bool CShortcutKey::IsSameAccelerator(const CShortcutKey& other) const
{
    return m_wVirtualKeyCode == other.m_wVirtualKeyCode &&
           (m_nModifiers & ACCELERATOR_MODIFIERS) == (other.m_nModifiers & ACCELERATOR_MODIFIERS);
}

QString CShortcutKey::GetShortcutKeyName(bool display) const
{
    if (!IsKeySet())
        return QString();
    // Qt's own translations of the modifier names, in the order the program shows them.
    QString name;
    if (UsesControlKeyModifier())
        name += QCoreApplication::translate("QShortcut", "Ctrl") + QLatin1Char('+');
    if (UsesShiftKeyModifier())
        name += QCoreApplication::translate("QShortcut", "Shift") + QLatin1Char('+');
    if (UsesAltKeyModifier())
        name += QCoreApplication::translate("QShortcut", "Alt") + QLatin1Char('+');
    return name + KeyName(m_wVirtualKeyCode, IsExtendedKey(), display);
}

int CShortcutKey::GetModifiersSortingRank() const
{
    if (!IsKeySet())
        return 9;
    static constexpr int ranks[8] = {
        1, // none
        3, // Shift
        2, // Ctrl
        5, // Ctrl+Shift
        4, // Alt
        7, // Shift+Alt
        6, // Ctrl+Alt
        8, // Ctrl+Shift+Alt
    };
    return ranks[m_nModifiers & ACCELERATOR_MODIFIERS];
}

QKeySequence CShortcutKey::GetKeySequence() const
{
    if (m_wVirtualKeyCode == 0)
        return QKeySequence();
    QVACCEL accel;
    accel.fVirt = FVIRTKEY;
    if (UsesShiftKeyModifier())
        accel.fVirt |= FSHIFT;
    if (UsesControlKeyModifier())
        accel.fVirt |= FCONTROL;
    if (UsesAltKeyModifier())
        accel.fVirt |= FALT;
    accel.key = m_wVirtualKeyCode;
    const QKeyCombination combination = AfxAcceleratorToKeyCombination(accel);
    if (combination.key() == Qt::Key_unknown)
        return QKeySequence();
    return QKeySequence(combination);
}

CShortcutKey CShortcutKey::FromKeyEvent(const QKeyEvent& event)
{
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    bool shifted = false;
    const uint16_t code = AfxQtKeyToVirtualKey(event.key(), keypad, &shifted);
    if (code == 0)
        return CShortcutKey();
    uint8_t modifiers = 0;
    // A shifted character (Shift+1 arrives as '!') is its key with Shift, which the event's
    // own state says too; either source is enough.
    if (shifted || event.modifiers().testFlag(Qt::ShiftModifier))
        modifiers |= SKM_SHIFT;
    if (event.modifiers().testFlag(Qt::ControlModifier))
        modifiers |= SKM_CONTROL;
    if (event.modifiers().testFlag(Qt::AltModifier))
        modifiers |= SKM_ALT;
    if (AfxIsExtendedQtKey(event.key(), keypad))
        modifiers |= SKM_EXTENDED;
    return CShortcutKey(code, modifiers);
}
