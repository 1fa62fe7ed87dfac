#pragma once
// The base of every dialog of the library and the program.
//
// Life cycle. A derived dialog builds its controls in its constructor, giving each control
// whose id matters its id as objectName ("1" for OK, "2" for Cancel). The dialog is
// initialised once per showing, just before it first becomes visible (exec, show, open,
// CreateProgressStyle, or InitDialog called directly by whoever embeds it as a page):
// InitDialog runs the virtual OnInitDialog, which is the place for LoadData. A derived
// OnInitDialog calls CQVDialog::OnInitDialog first:
//
//     bool CMyDlg::OnInitDialog()
//     {
//         CQVDialog::OnInitDialog();
//         LoadData();
//         return true;
//     }
//
// The base initialisation loads the caption (SetCaptionID), wires the buttons (a push
// button "1" to accept(), "2" to reject(), a QDialogButtonBox's accepted/rejected/help
// signals, the help button 23010), gives the bold font to GetBoldControlIDs, creates the
// validation balloon and loads the state of the list controls. Derived dialogs do not
// connect OK and Cancel themselves: accept() runs OnOK (validate, save, then close only on
// success) and reject() runs OnCancel.
//
// The dialog is done when it is accepted, rejected or closed, when DestroyWindow is called,
// or when it is deleted with deleteLater: the owner is enabled again (progress style), the
// balloon is destroyed and the state of the list controls and auto-complete edits is saved,
// also for the pages embedded in it. A plain delete of a dialog that is still showing
// cannot save: the derived part that names the controls is gone by then.
//
// Idle: while the dialog is shown a short timer (IDLE_INTERVAL) stands for the idle
// notification of the platform's dialog loop: each tick enables OK (control 1) from IsOK and
// then runs OnIdle, and does the same for the selected page of each page tree that
// GetDialogPageTreeCtrls names. A timer is used rather than the event loop's idle signal so
// that an OnIdle that posts work cannot keep the loop spinning.
//
// Help: F1 opens GetHelpTopic (nothing when it is empty); Shift+F1 does nothing. Pages
// embedded in a dialog pass F1, Enter and Escape on to the dialog around them.

#include "qvsystem/controls/QVDialogCommon.h"
#include "qvsystem/qvsystem_export.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <vector>

class CQVDialogPageTreeCtrl;
class QFrame;
class QPushButton;

inline constexpr int IDC_QV_HELP_BUTTON = 23010;
inline constexpr int IDC_QV_HELP_SEPARATOR = 23011;

class QVSYSTEM_EXPORT CQVDialog : public QDialog, public CQVDialogCommon {
    Q_OBJECT

public:
    static constexpr int IDLE_INTERVAL = 100; // milliseconds

    explicit CQVDialog(unsigned templateId = 0, QWidget* parent = nullptr);
    ~CQVDialog() override;

    // ---- Operations that derived dialogs override ----

    // The template id given to the constructor.
    virtual unsigned GetTemplateID() const;
    // True when OK may be enabled.
    virtual bool IsOK() const;
    // The page trees whose selected page gets the idle notification.
    virtual void GetDialogPageTreeCtrls(std::vector<CQVDialogPageTreeCtrl*>& trees) const;
    // See the life cycle above; the result is informational (true).
    virtual bool OnInitDialog();
    // Validates and saves; closes the dialog (accepted) only when both succeeded.
    virtual void OnOK();
    // Closes the dialog (rejected).
    virtual void OnCancel();
    // F1 and the help button: OpenHelpTopic.
    virtual void OnHelp();

    // ---- Life cycle ----

    // Runs OnInitDialog unless the dialog is already initialised; false then.
    bool InitDialog();
    bool IsInitialized() const { return m_bInitialized; }
    // Ends the dialog (see above) and hides it.
    bool DestroyWindow();

    // The caption comes from this string at initialisation (0: keep the title as it is).
    void SetCaptionID(unsigned id) { m_nCaptionID = id; }
    unsigned GetCaptionID() const { return m_nCaptionID; }

    // ---- Help button and separator (controls 23010 and 23011, when the dialog has them) ----

    void ShowHelpButton(bool show);
    QAbstractButton* GetHelpButton() const { return m_pHelpButton; }
    QWidget* GetHelpSeparator() const { return m_pHelpSeparator; }
    // The library's help button (a question-mark button, objectName "23010") and separator
    // line ("23011") for dialogs to place.
    static QPushButton* CreateHelpButton(QWidget* parent);
    static QFrame* CreateHelpSeparator(QWidget* parent);

    // ---- Idle ----

    // Enables OK (control 1) from IsOK.
    void UpdateDialogControls();
    // One idle notification: UpdateDialogControls, OnIdle, then the selected page of each
    // page tree.
    void RunIdle();

    // ---- Progress style: a modeless dialog over a disabled owner ----

    // Makes the dialog modeless with the parent's window as its owner, initialises it and
    // centres it over the owner (the screen without one).
    bool CreateProgressStyle(QWidget* parent);
    // Disables the owner (when it was enabled), enables, centres and shows the dialog.
    void ShowProgressStyle();
    // Enables the owner again when this dialog disabled it, and hides the dialog.
    void HideProgressStyle();
    void DisableParent();
    void ReEnableParent();
    // Lets every waiting event through, so the dialog stays responsive during long work.
    void PumpMessages();
    bool IsProgressStyle() const { return m_bProgressStyle; }
    bool IsOwnerDisabled() const { return m_bOwnerDisabled; }
    QWidget* GetProgressOwner() const { return m_pOwner; }

    // ---- QDialog ----

    void accept() override;
    void reject() override;
    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void WireButtons();
    bool BelongsToThisDialog(const QWidget* widget) const;
    void FinishDialog();
    void CenterOverOwner();

    unsigned m_nTemplateID;
    unsigned m_nCaptionID = 0;
    bool m_bInitialized = false;
    bool m_bProgressStyle = false;
    bool m_bOwnerDisabled = false;
    QPointer<QWidget> m_pOwner;
    QPointer<QAbstractButton> m_pHelpButton;
    QPointer<QWidget> m_pHelpSeparator;
    QTimer m_idleTimer;
};
