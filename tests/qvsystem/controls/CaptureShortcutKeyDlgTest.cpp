#include "MessageBoxDriver.h"
#include "TestSupport.h"

#include "qvsystem/controls/CaptureShortcutKeyDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr uint16_t VK_F5 = 0x74;
constexpr uint16_t VK_F8 = 0x77;

void ShowActive(QWidget& dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// Where a real key press goes: the focused widget of the dialog.
QWidget* KeyTarget(QWidget& dialog)
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : &dialog;
}

void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QImage shot = widget.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

} // namespace

// Guards the capture itself: Ctrl held alone (with auto-repeat) captures nothing, and
// Ctrl+Shift+F5 (QTest presses Ctrl and Shift first) is taken with both modifiers and ends
// the dialog as with OK.
TEST(CaptureShortcutKeyDlgTest, ModifiersAloneWaitAndTheNextKeyIsTaken)
{
    CCaptureShortcutKeyDlg dialog;
    ShowActive(dialog);
    SaveScreenshot(dialog, QStringLiteral("capture-shortcut-key.png"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Capture Shortcut Key"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QString::number(IDC_QV_CAPTURE_SHORTCUT_KEY_TEXT))->text(),
              QStringLiteral("Press a key to use as the shortcut key."));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("2"))->text(), QStringLiteral("Cancel"));

    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, QString(), repeat > 0);
        QApplication::sendEvent(KeyTarget(dialog), &press);
    }
    QTest::keyPress(KeyTarget(dialog), Qt::Key_Shift, Qt::ControlModifier);
    QTest::keyPress(KeyTarget(dialog), Qt::Key_Alt, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.GetShortcutKey().IsKeySet());

    QTest::keyClick(KeyTarget(dialog), Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetShortcutKey(), CShortcutKey(VK_F5, SKM_CONTROL | SKM_SHIFT));
}

// Guards against keys the dialog would otherwise handle itself: Escape would cancel, Enter
// press a button, Tab move the focus, Space press Cancel, F1 open help. Each is captured.
TEST(CaptureShortcutKeyDlgTest, EscapeEnterTabSpaceAndF1AreCaptured)
{
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        CShortcutKey expected;
    } cases[] = {
        {Qt::Key_Escape, Qt::NoModifier, CShortcutKey(0x1B, 0)},
        {Qt::Key_Return, Qt::NoModifier, CShortcutKey(0x0D, 0)},
        {Qt::Key_Enter, Qt::KeypadModifier, CShortcutKey(0x0D, SKM_EXTENDED)},
        {Qt::Key_Tab, Qt::NoModifier, CShortcutKey(0x09, 0)},
        {Qt::Key_Space, Qt::NoModifier, CShortcutKey(0x20, 0)},
        {Qt::Key_F1, Qt::NoModifier, CShortcutKey(0x70, 0)},
        {Qt::Key_Delete, Qt::AltModifier, CShortcutKey(0x2E, SKM_ALT | SKM_EXTENDED)},
    };
    for (const auto& entry : cases) {
        CCaptureShortcutKeyDlg dialog;
        ShowActive(dialog);
        QTest::keyClick(KeyTarget(dialog), static_cast<Qt::Key>(entry.key), entry.modifiers);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << entry.key;
        EXPECT_EQ(dialog.GetShortcutKey(), entry.expected) << entry.key;
        EXPECT_FALSE(dialog.isVisible());
    }
}

// Guards the way out: the Cancel button cancels and leaves no key, also after a modifier.
TEST(CaptureShortcutKeyDlgTest, CancelButtonCancels)
{
    CCaptureShortcutKeyDlg dialog;
    ShowActive(dialog);
    QTest::keyPress(KeyTarget(dialog), Qt::Key_Shift, Qt::NoModifier);
    QTest::mouseClick(dialog.GetCancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.GetShortcutKey().IsKeySet());
    EXPECT_FALSE(dialog.isVisible());
}

// Guards the real use: run modally over a window whose application-wide shortcut has the
// same key; the key goes to the capture, not to that shortcut, and a second run starts
// with no key.
TEST(CaptureShortcutKeyDlgTest, ModalRunTakesTheKeyFromWindowShortcuts)
{
    QMainWindow window;
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F8), &window);
    shortcut->setContext(Qt::ApplicationShortcut);
    QSignalSpy fired(shortcut, &QShortcut::activated);
    window.resize(300, 200);
    ShowActive(window);

    CCaptureShortcutKeyDlg dialog(&window);
    corda::test::CModalDriver<CCaptureShortcutKeyDlg> driver(
        [](CCaptureShortcutKeyDlg& running) { QTest::keyClick(KeyTarget(running), Qt::Key_F8); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(driver.Seen());
    EXPECT_EQ(dialog.GetShortcutKey(), CShortcutKey(VK_F8, 0));
    EXPECT_EQ(fired.count(), 0);

    corda::test::CModalDriver<CCaptureShortcutKeyDlg> cancel([](CCaptureShortcutKeyDlg& running) {
        QTest::mouseClick(running.GetCancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(dialog.GetShortcutKey().IsKeySet());

    // With the dialog gone the window's shortcut has its key again.
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_EQ(fired.count(), 1);
}
