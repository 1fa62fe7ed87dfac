#include "qvsystem/controls/VirtualKeys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace {

QKeyEvent Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers);
}

QVACCEL Accel(uint8_t flags, uint16_t key, uint16_t command = 1)
{
    return QVACCEL{static_cast<uint8_t>(flags | FVIRTKEY), key, command};
}

} // namespace

// Guards against stored shortcuts naming the wrong Qt key: the code ranges (letters, digits,
// function keys up to F24, keypad) and the punctuation keys are each offset differently.
TEST(VirtualKeysTest, CodesBecomeTheirQtKeys)
{
    EXPECT_EQ(AfxVirtualKeyToQtKey('A'), Qt::Key_A);
    EXPECT_EQ(AfxVirtualKeyToQtKey('Z'), Qt::Key_Z);
    EXPECT_EQ(AfxVirtualKeyToQtKey('0'), Qt::Key_0);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x70), Qt::Key_F1);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x76), Qt::Key_F7);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x87), Qt::Key_F24);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x2E), Qt::Key_Delete);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x0D), Qt::Key_Return);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x21), Qt::Key_PageUp);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x28), Qt::Key_Down);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0xBB), Qt::Key_Equal);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0xDE), Qt::Key_Apostrophe);

    bool keypad = false;
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x65, &keypad), Qt::Key_5);
    EXPECT_TRUE(keypad);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x6B, &keypad), Qt::Key_Plus);
    EXPECT_TRUE(keypad);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x6F, &keypad), Qt::Key_Slash);
    EXPECT_EQ(AfxVirtualKeyToQtKey('5', &keypad), Qt::Key_5);
    EXPECT_FALSE(keypad);

    // Codes without a key: none, the mouse buttons, the modifier keys themselves, beyond F24.
    EXPECT_EQ(AfxVirtualKeyToQtKey(0), Qt::Key_unknown);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x01), Qt::Key_unknown);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0x88), Qt::Key_unknown);
    EXPECT_EQ(AfxVirtualKeyToQtKey(0xFFFF), Qt::Key_unknown);
}

// Guards against modifier flags being read from the wrong bits (the entry's Shift is 0x04,
// not the shortcut key's 0x01) and a character entry being taken as a virtual-key code.
TEST(VirtualKeysTest, EntriesBecomeKeyCombinations)
{
    EXPECT_EQ(AfxAcceleratorToKeyCombination(Accel(FCONTROL, 'C')),
              QKeyCombination(Qt::ControlModifier, Qt::Key_C));
    EXPECT_EQ(AfxAcceleratorToKeyCombination(Accel(FCONTROL | FALT, 0x71)),
              QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_F2));
    EXPECT_EQ(AfxAcceleratorToKeyCombination(Accel(FSHIFT, 0x76)),
              QKeyCombination(Qt::ShiftModifier, Qt::Key_F7));
    EXPECT_EQ(AfxAcceleratorToKeyCombination(Accel(0, 0x60)), QKeyCombination(Qt::KeypadModifier, Qt::Key_0));
    // A character entry: 'c' is the C key; as a virtual key 0x63 would be keypad 3.
    EXPECT_EQ(AfxAcceleratorToKeyCombination(QVACCEL{FCONTROL, 'c', 1}),
              QKeyCombination(Qt::ControlModifier, Qt::Key_C));
    EXPECT_EQ(AfxAcceleratorToKeyCombination(Accel(0, 'c')), QKeyCombination(Qt::KeypadModifier, Qt::Key_3));
    EXPECT_EQ(AfxAcceleratorToKeyCombination(QVACCEL{0, 0, 1}).key(), Qt::Key_unknown);
}

// Guards against a shortcut firing for a key with more or fewer modifiers, the main-block
// digits answering keypad shortcuts (and the reverse), and Delete, Enter or the arrows failing
// on the keypad block, which they do not on Windows.
TEST(VirtualKeysTest, KeyPressesMatchExactly)
{
    const QVACCEL copy = Accel(FCONTROL, 'C');
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_C, Qt::ControlModifier), copy));
    EXPECT_FALSE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_C), copy));
    EXPECT_FALSE(
        AfxKeyEventMatchesAccelerator(Press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier), copy));
    EXPECT_FALSE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_V, Qt::ControlModifier), copy));

    const QVACCEL deleteKey = Accel(0, 0x2E);
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_Delete), deleteKey));
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_Delete, Qt::KeypadModifier), deleteKey));
    const QVACCEL enter = Accel(0, 0x0D);
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_Return), enter));
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_Enter, Qt::KeypadModifier), enter));

    const QVACCEL mainFive = Accel(FCONTROL, '5');
    const QVACCEL keypadFive = Accel(FCONTROL, 0x65);
    const QKeyEvent mainPress = Press(Qt::Key_5, Qt::ControlModifier);
    const QKeyEvent keypadPress = Press(Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(mainPress, mainFive));
    EXPECT_FALSE(AfxKeyEventMatchesAccelerator(keypadPress, mainFive));
    EXPECT_TRUE(AfxKeyEventMatchesAccelerator(keypadPress, keypadFive));
    EXPECT_FALSE(AfxKeyEventMatchesAccelerator(mainPress, keypadFive));

    // An entry without a key matches nothing, not even an unknown key.
    EXPECT_FALSE(AfxKeyEventMatchesAccelerator(Press(Qt::Key_unknown), Accel(0, 0)));
}
