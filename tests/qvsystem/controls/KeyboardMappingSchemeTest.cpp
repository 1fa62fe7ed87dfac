#include "TestSupport.h"

#include "qvsystem/controls/KeyboardMappingScheme.h"
#include "qvsystem/controls/KeyboardShortcut.h"
#include "qvsystem/controls/ShortcutKey.h"
#include "qvsystem/controls/VirtualKeys.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_HOME = 0x24;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F5 = 0x74;
constexpr uint16_t VK_F7 = 0x76;
constexpr uint16_t VK_F8 = 0x77;
constexpr uint16_t VK_NUMPAD5 = 0x65;

constexpr uint32_t ID_SAVE = 100;
constexpr uint32_t ID_SAVE_AS = 101;
constexpr uint32_t ID_BACKUP = 32918;
constexpr uint32_t ID_SYNCHRONIZE = 32909;
constexpr uint32_t ID_CONTENTS = 32808;

CShortcutKey Ctrl(uint16_t code)
{
    return CShortcutKey(code, SKM_CONTROL);
}

// A small scheme: three commands added out of order, F7 and F1 assigned.
void LoadTestDefaults(CKeyboardMappingScheme& scheme)
{
    scheme.AddKeyboardShortcut(
        CKeyboardShortcut(ID_SYNCHRONIZE, QStringLiteral("Tools.Synchronize"), CShortcutKey(VK_F7, 0)));
    scheme.AddKeyboardShortcut(
        CKeyboardShortcut(ID_CONTENTS, QStringLiteral("Help.Contents"), CShortcutKey(VK_F1, 0)));
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_BACKUP, QStringLiteral("Tools.Backup"), CShortcutKey()));
}

std::vector<uint32_t> CommandIds(const CKeyboardMappingScheme& scheme)
{
    std::vector<uint32_t> ids;
    for (const CKeyboardShortcut& shortcut : scheme.GetKeyboardShortcuts())
        ids.push_back(shortcut.GetCommandID());
    return ids;
}

QAction* AddCommand(QMenu* menu, const QString& text, uint32_t commandId)
{
    QAction* action = menu->addAction(text);
    action->setData(static_cast<int>(commandId));
    return action;
}

void ShowActive(QWidget& window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace

// Guards against menu texts that name keys wrongly: the modifier order, the navigation keys
// named as the keypad's when shown, and a key without a Qt name shown as nothing.
TEST(ShortcutKeyTest, DisplayNamesFollowTheModifierOrderAndTheKeyBlock)
{
    EXPECT_EQ(CShortcutKey().GetShortcutKeyName(), QString());
    EXPECT_EQ(CShortcutKey(VK_F1, 0).GetShortcutKeyName(), QStringLiteral("F1"));
    EXPECT_EQ(Ctrl('F').GetShortcutKeyName(), QStringLiteral("Ctrl+F"));
    EXPECT_EQ(CShortcutKey(VK_F5, SKM_CONTROL | SKM_SHIFT | SKM_ALT).GetShortcutKeyName(),
              QStringLiteral("Ctrl+Shift+Alt+F5"));
    EXPECT_EQ(CShortcutKey(0x71, SKM_ALT | SKM_CONTROL).GetShortcutKeyName(), QStringLiteral("Ctrl+Alt+F2"));

    // Delete of the navigation block (extended) and of the keypad (not extended): shown
    // alike, told apart without the display flag.
    const CShortcutKey navigationDelete(VK_DELETE, SKM_EXTENDED);
    const CShortcutKey keypadDelete(VK_DELETE, 0);
    EXPECT_EQ(navigationDelete.GetShortcutKeyName(true), QStringLiteral("Del"));
    EXPECT_EQ(keypadDelete.GetShortcutKeyName(true), QStringLiteral("Del"));
    EXPECT_EQ(navigationDelete.GetShortcutKeyName(false), QStringLiteral("Del"));
    EXPECT_NE(keypadDelete.GetShortcutKeyName(false), QStringLiteral("Del"));
    EXPECT_NE(CShortcutKey(VK_HOME, 0).GetShortcutKeyName(false),
              CShortcutKey(VK_HOME, 0).GetShortcutKeyName(true));
    // The keypad's Enter is Enter only without the display flag.
    EXPECT_EQ(CShortcutKey(VK_RETURN, SKM_EXTENDED).GetShortcutKeyName(true),
              CShortcutKey(VK_RETURN, 0).GetShortcutKeyName(true));
    EXPECT_NE(CShortcutKey(VK_RETURN, SKM_EXTENDED).GetShortcutKeyName(false),
              CShortcutKey(VK_RETURN, 0).GetShortcutKeyName(false));
    // The keypad's digits are not the main block's.
    EXPECT_NE(CShortcutKey(VK_NUMPAD5, 0).GetShortcutKeyName(), CShortcutKey('5', 0).GetShortcutKeyName());
    EXPECT_TRUE(CShortcutKey(VK_NUMPAD5, 0).GetShortcutKeyName().endsWith(QLatin1Char('5')));
    // A code without a key of its own still has a name.
    EXPECT_EQ(CShortcutKey(0xE2, SKM_SHIFT).GetShortcutKeyName(), QStringLiteral("Shift+0xE2"));
}

// Guards the list's "Shortcut Key" sorting: the rank of every modifier set and no key last.
TEST(ShortcutKeyTest, ModifierRanksAndKeySequences)
{
    const struct {
        uint8_t modifiers;
        int rank;
    } ranks[] = {{0, 1},
                 {SKM_CONTROL, 2},
                 {SKM_SHIFT, 3},
                 {SKM_ALT, 4},
                 {SKM_CONTROL | SKM_SHIFT, 5},
                 {SKM_CONTROL | SKM_ALT, 6},
                 {SKM_SHIFT | SKM_ALT, 7},
                 {SKM_CONTROL | SKM_SHIFT | SKM_ALT, 8},
                 {SKM_EXTENDED, 1}};
    for (const auto& entry : ranks)
        EXPECT_EQ(CShortcutKey('A', entry.modifiers).GetModifiersSortingRank(), entry.rank)
            << int(entry.modifiers);
    EXPECT_EQ(CShortcutKey().GetModifiersSortingRank(), 9);

    EXPECT_EQ(Ctrl('S').GetKeySequence(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(CShortcutKey(VK_DELETE, SKM_EXTENDED).GetKeySequence(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(CShortcutKey(VK_F5, SKM_CONTROL | SKM_SHIFT).GetKeySequence(),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
    EXPECT_TRUE(CShortcutKey().GetKeySequence().isEmpty());
    EXPECT_TRUE(CShortcutKey(0xE2, 0).GetKeySequence().isEmpty());
}

// Guards the capture of key presses: the code, each modifier, the extended bit of the two
// key blocks, shifted characters as their key, and modifier keys alone as no key.
TEST(ShortcutKeyTest, KeyPressesBecomeKeys)
{
    auto press = [](int key, Qt::KeyboardModifiers modifiers) {
        return CShortcutKey::FromKeyEvent(QKeyEvent(QEvent::KeyPress, key, modifiers));
    };
    EXPECT_EQ(press(Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier),
              CShortcutKey(VK_F5, SKM_CONTROL | SKM_SHIFT));
    EXPECT_EQ(press(Qt::Key_S, Qt::AltModifier), CShortcutKey('S', SKM_ALT));
    EXPECT_EQ(press(Qt::Key_Delete, Qt::NoModifier), CShortcutKey(VK_DELETE, SKM_EXTENDED));
    EXPECT_EQ(press(Qt::Key_Delete, Qt::KeypadModifier), CShortcutKey(VK_DELETE, 0));
    EXPECT_EQ(press(Qt::Key_5, Qt::KeypadModifier), CShortcutKey(VK_NUMPAD5, 0));
    EXPECT_EQ(press(Qt::Key_Enter, Qt::KeypadModifier), CShortcutKey(VK_RETURN, SKM_EXTENDED));
    EXPECT_EQ(press(Qt::Key_Return, Qt::NoModifier), CShortcutKey(VK_RETURN, 0));
    EXPECT_EQ(press(Qt::Key_Escape, Qt::NoModifier), CShortcutKey(0x1B, 0));
    EXPECT_EQ(press(Qt::Key_Exclam, Qt::ShiftModifier), CShortcutKey('1', SKM_SHIFT));
    EXPECT_EQ(press(Qt::Key_BraceLeft, Qt::ControlModifier), CShortcutKey(0xDB, SKM_CONTROL | SKM_SHIFT));
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ShiftModifier), CShortcutKey(0x09, SKM_SHIFT));
    for (int modifierKey : {Qt::Key_Control, Qt::Key_Shift, Qt::Key_Alt, Qt::Key_Meta, Qt::Key_AltGr})
        EXPECT_FALSE(press(modifierKey, Qt::ControlModifier).IsKeySet()) << modifierKey;

    // Every code of the known keys comes back from its own Qt key.
    for (uint16_t code = 1; code < 0xFF; ++code) {
        bool keypad = false;
        const Qt::Key key = AfxVirtualKeyToQtKey(code, &keypad);
        if (key == Qt::Key_unknown)
            continue;
        EXPECT_EQ(AfxQtKeyToVirtualKey(key, keypad), code) << code;
    }
}

// Guards the stored form: an accelerator entry is always a virtual-key entry without the
// extended bit, and character entries become the key that types them.
TEST(KeyboardShortcutTest, AcceleratorEntriesBothWays)
{
    const CKeyboardShortcut deleteKey(32854, QStringLiteral("Edit.Delete"),
                                      CShortcutKey(VK_DELETE, SKM_EXTENDED));
    const QVACCEL accel = deleteKey.GetAccel();
    EXPECT_EQ(accel.fVirt, FVIRTKEY);
    EXPECT_EQ(accel.key, VK_DELETE);
    EXPECT_EQ(accel.cmd, 32854);
    EXPECT_EQ(CKeyboardShortcut(QVACCEL{FVIRTKEY, VK_DELETE, 32854}, true).GetShortcutKey(),
              deleteKey.GetShortcutKey());

    const CKeyboardShortcut all(57642, CShortcutKey('A', SKM_CONTROL | SKM_SHIFT | SKM_ALT));
    EXPECT_EQ(all.GetAccel().fVirt, FVIRTKEY | FSHIFT | FCONTROL | FALT);

    // Characters: 'a' is the A key, '?' is Shift and the slash key, a character no key
    // types keeps its code.
    EXPECT_EQ(CKeyboardShortcut(QVACCEL{0, 'a', 1}, false).GetShortcutKey(), CShortcutKey('A', 0));
    EXPECT_EQ(CKeyboardShortcut(QVACCEL{FCONTROL, '?', 1}, false).GetShortcutKey(),
              CShortcutKey(0xBF, SKM_SHIFT | SKM_CONTROL));
    EXPECT_EQ(CKeyboardShortcut(QVACCEL{0, 0x00E9, 1}, false).GetShortcutKey(), CShortcutKey(0x00E9, 0));
}

// Guards the scheme's invariants: entries in command-id order, one per command, and a key
// given to a second command taken from the first (Ctrl+S), also when the two keys differ
// only in the extended bit.
TEST(KeyboardMappingSchemeTest, OneCommandPerKeyAndOneEntryPerCommand)
{
    CKeyboardMappingScheme scheme(QStringLiteral("Main View"), LoadTestDefaults);
    ASSERT_TRUE(scheme.LoadDefaultMappingScheme());
    EXPECT_EQ(CommandIds(scheme), (std::vector<uint32_t>{ID_CONTENTS, ID_SYNCHRONIZE, ID_BACKUP}));

    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_SAVE, QStringLiteral("File.Save"), Ctrl('S')));
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_SAVE_AS, QStringLiteral("File.SaveAs"), CShortcutKey()));
    EXPECT_EQ(CommandIds(scheme),
              (std::vector<uint32_t>{ID_SAVE, ID_SAVE_AS, ID_CONTENTS, ID_SYNCHRONIZE, ID_BACKUP}));
    EXPECT_EQ(scheme.FindShortcutKey(Ctrl('S')), 0);

    // Ctrl+S to the second command: the first loses it.
    ASSERT_TRUE(scheme.SetShortcutKey(ID_SAVE_AS, Ctrl('S')));
    CKeyboardShortcut save;
    ASSERT_TRUE(scheme.GetKeyboardShortcutUsingCommandID(ID_SAVE, save));
    EXPECT_FALSE(save.IsShortcutKeySet());
    EXPECT_EQ(scheme.FindShortcutKey(Ctrl('S')), scheme.FindCommandID(ID_SAVE_AS));
    // Adding an entry that holds a key takes it away too, and replaces the command's entry.
    scheme.AddKeyboardShortcut(CKeyboardShortcut(ID_SAVE, QStringLiteral("File.Save"), Ctrl('S')));
    EXPECT_EQ(scheme.GetKeyboardShortcutCount(), 5);
    EXPECT_EQ(scheme.FindShortcutKey(Ctrl('S')), scheme.FindCommandID(ID_SAVE));
    EXPECT_EQ(scheme.GetAssignedKeyboardShortcutCount(), 3);

    // The keypad's Delete is the same accelerator as the navigation block's.
    ASSERT_TRUE(scheme.SetShortcutKey(ID_BACKUP, CShortcutKey(VK_DELETE, SKM_EXTENDED)));
    ASSERT_TRUE(scheme.SetShortcutKey(ID_SAVE_AS, CShortcutKey(VK_DELETE, 0)));
    CKeyboardShortcut backup;
    ASSERT_TRUE(scheme.GetKeyboardShortcutUsingCommandID(ID_BACKUP, backup));
    EXPECT_FALSE(backup.IsShortcutKeySet());

    // A command that is not there takes nothing; no key finds and clears nothing.
    EXPECT_FALSE(scheme.SetShortcutKey(4242, CShortcutKey(VK_F8, 0)));
    EXPECT_EQ(scheme.FindShortcutKey(CShortcutKey(VK_F8, 0)), -1);
    EXPECT_EQ(scheme.FindShortcutKey(CShortcutKey()), -1);
    EXPECT_FALSE(scheme.ClearShortcutKey(CShortcutKey()));
    EXPECT_TRUE(scheme.ClearShortcutKey(Ctrl('S')));
    EXPECT_FALSE(scheme.ClearShortcutKey(Ctrl('S')));
    EXPECT_TRUE(scheme.RemoveKeyboardShortcutUsingCommandID(ID_SAVE));
    EXPECT_FALSE(scheme.RemoveKeyboardShortcutUsingCommandID(ID_SAVE));

    // A list with duplicates keeps the invariants: the later entry wins.
    scheme.SetKeyboardShortcuts(
        {CKeyboardShortcut(7, Ctrl('Q')), CKeyboardShortcut(3, Ctrl('Q')), CKeyboardShortcut(7, Ctrl('W'))});
    EXPECT_EQ(CommandIds(scheme), (std::vector<uint32_t>{3, 7}));
    EXPECT_EQ(scheme.FindShortcutKey(Ctrl('Q')), 0);
    EXPECT_EQ(scheme.FindShortcutKey(Ctrl('W')), 1);
}

// Guards the accelerator table and the resets: keys only, in command-id order, an empty
// table for a scheme without keys, and defaults that never leave a key on two commands.
TEST(KeyboardMappingSchemeTest, AcceleratorTablesAndResets)
{
    CKeyboardMappingScheme scheme(QStringLiteral("Main View"), LoadTestDefaults);
    scheme.LoadDefaultMappingScheme();
    const std::vector<QVACCEL> table = scheme.CreateAcceleratorTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].cmd, ID_CONTENTS);
    EXPECT_EQ(table[0].key, VK_F1);
    EXPECT_EQ(table[1].cmd, ID_SYNCHRONIZE);
    EXPECT_EQ(table[1].key, VK_F7);
    QVACCEL one[1];
    EXPECT_FALSE(scheme.GetAccelerators(one, 1));
    EXPECT_FALSE(scheme.GetAccelerators(nullptr, 2));

    CKeyboardMappingScheme copy = scheme;
    EXPECT_TRUE(copy == scheme);
    copy.ClearAllShortcutKeys();
    EXPECT_FALSE(copy == scheme);
    EXPECT_EQ(copy.GetKeyboardShortcutCount(), 3);
    EXPECT_TRUE(copy.CreateAcceleratorTable().empty());

    // F1 went to Backup; the reset gives every command its default and Backup none.
    copy.SetShortcutKey(ID_BACKUP, CShortcutKey(VK_F1, 0));
    copy.ResetAllShortcutKeys(scheme);
    EXPECT_TRUE(copy == scheme);

    CKeyboardMappingScheme assigned;
    scheme.GetAssignedKeyboardShortcuts(assigned);
    EXPECT_EQ(CommandIds(assigned), (std::vector<uint32_t>{ID_CONTENTS, ID_SYNCHRONIZE}));
    EXPECT_EQ(assigned.GetName(), QStringLiteral("Main View"));

    CKeyboardMappingScheme rebuilt;
    EXPECT_FALSE(rebuilt.LoadDefaultMappingScheme());
    EXPECT_FALSE(rebuilt.SetUsingAcceleratorTable(nullptr, 2));
    EXPECT_FALSE(rebuilt.SetUsingAcceleratorTable(table.data(), 0));
    ASSERT_TRUE(rebuilt.SetUsingAcceleratorTable(table.data(), static_cast<int>(table.size())));
    EXPECT_EQ(rebuilt.CreateAcceleratorTable().size(), 2u);
    EXPECT_EQ(rebuilt.FindShortcutKey(CShortcutKey(VK_F7, 0)), rebuilt.FindCommandID(ID_SYNCHRONIZE));
}

// Guards the window's keys: the scheme's keys become the actions' shortcuts on a real
// window (F8 given to Synchronize runs it, F7 then runs nothing), the menu texts carry the
// key names, and a command on two actions never makes its key ambiguous.
TEST(KeyboardMappingSchemeTest, ActionsOfARealWindowFollowTheScheme)
{
    QMainWindow window;
    QMenu* tools = window.menuBar()->addMenu(QStringLiteral("&Tools"));
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* synchronize = AddCommand(tools, QStringLiteral("&Synchronize"), ID_SYNCHRONIZE);
    QAction* backup = AddCommand(tools, QStringLiteral("&Backup...\tF12"), ID_BACKUP);
    QAction* contents = AddCommand(help, QStringLiteral("&Contents..."), ID_CONTENTS);
    QAction* contentsAgain = AddCommand(help, QStringLiteral("Contents"), ID_CONTENTS);
    QAction* plain = tools->addAction(QStringLiteral("No command"));
    const QList<QAction*> actions{synchronize, backup, contents, contentsAgain, plain};
    window.resize(400, 300);
    ShowActive(window);
    QSignalSpy synchronizeSpy(synchronize, &QAction::triggered);
    QSignalSpy backupSpy(backup, &QAction::triggered);

    CKeyboardMappingScheme scheme(QStringLiteral("Main View"), LoadTestDefaults);
    scheme.LoadDefaultMappingScheme();
    EXPECT_EQ(AfxApplyKeyboardMappingScheme(scheme, actions), 2);
    EXPECT_EQ(synchronize->text(), QStringLiteral("&Synchronize\tF7"));
    EXPECT_EQ(backup->text(), QStringLiteral("&Backup..."));
    EXPECT_TRUE(backup->shortcut().isEmpty());
    EXPECT_EQ(contents->text(), QStringLiteral("&Contents...\tF1"));
    EXPECT_EQ(contentsAgain->text(), QStringLiteral("Contents\tF1"));
    EXPECT_EQ(contents->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(contentsAgain->shortcut().isEmpty());
    EXPECT_EQ(plain->text(), QStringLiteral("No command"));
    QTest::keyClick(&window, Qt::Key_F7);
    EXPECT_EQ(synchronizeSpy.count(), 1);

    // F8 to Synchronize; then F7 to Backup, which Synchronize no longer has.
    scheme.SetShortcutKey(ID_SYNCHRONIZE, CShortcutKey(VK_F8, 0));
    AfxApplyKeyboardMappingScheme(scheme, actions);
    EXPECT_EQ(synchronize->text(), QStringLiteral("&Synchronize\tF8"));
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_EQ(synchronizeSpy.count(), 2);
    QTest::keyClick(&window, Qt::Key_F7);
    EXPECT_EQ(synchronizeSpy.count(), 2);
    EXPECT_EQ(backupSpy.count(), 0);

    scheme.SetShortcutKey(ID_BACKUP, CShortcutKey(VK_F7, 0));
    AfxApplyKeyboardMappingScheme(scheme, actions);
    QTest::keyClick(&window, Qt::Key_F7);
    EXPECT_EQ(backupSpy.count(), 1);
    EXPECT_EQ(synchronizeSpy.count(), 2);
    EXPECT_EQ(backup->text(), QStringLiteral("&Backup...\tF7"));

    // The key taken away again: no shortcut and the bare text.
    scheme.ClearKeyboardShortcutUsingCommandID(ID_BACKUP);
    AfxApplyKeyboardMappingScheme(scheme, actions);
    EXPECT_EQ(backup->text(), QStringLiteral("&Backup..."));
    QTest::keyClick(&window, Qt::Key_F7);
    EXPECT_EQ(backupSpy.count(), 1);
}
