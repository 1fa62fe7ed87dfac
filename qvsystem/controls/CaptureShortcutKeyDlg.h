#pragma once
// The small dialog that takes the next key press as a shortcut key: "Press a key to use as
// the shortcut key." and a Cancel button. Any key but Ctrl, Shift and Alt themselves (and
// the other modifier keys) is taken, with the Ctrl, Shift and Alt held at that moment and
// the extended bit, and the dialog closes as with OK. Escape, Enter, Tab, Space and F1 are
// taken like every other key; only the Cancel button (by mouse) cancels.

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/ShortcutKey.h"
#include "qvsystem/qvsystem_export.h"

class QLabel;
class QPushButton;

inline constexpr unsigned IDD_QV_CAPTURE_SHORTCUT_KEY = 20710;
// Control ids, also the widgets' object names (Cancel is 2).
inline constexpr int IDC_QV_CAPTURE_SHORTCUT_KEY_TEXT = 23210;
// Texts of qvsystem's table.
inline constexpr unsigned IDS_QV_CAPTURE_SHORTCUT_KEY_CAPTION = 22910; // "Capture Shortcut Key"
inline constexpr unsigned IDS_QV_CAPTURE_SHORTCUT_KEY_TEXT = 22911;    // "Press a key to use as ..."
inline constexpr unsigned IDS_QV_CAPTURE_SHORTCUT_KEY_CANCEL = 22912;  // "Cancel"

class QVSYSTEM_EXPORT CCaptureShortcutKeyDlg : public CQVDialog {
    Q_OBJECT

public:
    explicit CCaptureShortcutKeyDlg(QWidget* parent = nullptr);
    ~CCaptureShortcutKeyDlg() override;

    // The captured key once the dialog ended with OK; no key otherwise.
    const CShortcutKey& GetShortcutKey() const { return m_key; }

    QLabel* GetTextControl() const { return m_pText; }
    QPushButton* GetCancelButton() const { return m_pCancel; }

protected:
    // Key presses for any widget of the dialog come here first, before buttons, focus
    // changes, the dialog's own Escape and Enter handling and any window shortcut.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool IsInsideDialog(QObject* object) const;

    QLabel* m_pText = nullptr;
    QPushButton* m_pCancel = nullptr;
    CShortcutKey m_key;
    bool m_bFiltering = false;
};
