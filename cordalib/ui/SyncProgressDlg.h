#pragma once
// The window a synchronization run reports to: the turning arrows, one status line and
// Cancel, modeless over the disabled main window while the run goes on.
//
// The run drives it through IProgressWindow: Create shows it, SetStatus changes the line,
// CheckCancelButton lets the waiting events through (so the window repaints and Cancel can
// be pressed) and tells whether Cancel was pressed, Destroy takes it down. Cancel (the
// button, Escape, the close button) never closes the window; it sets a flag that stays set
// until the window is created again, and the run ends itself.

#include "cordalib/maintenance/ProgressWindow.h"
#include "qvsystem/controls/QVDialog.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class CEllipsisLabel;
class CQVAnimateCtrl;
class QPushButton;

inline constexpr unsigned IDD_SYNC_PROGRESS = 235;
// Control ids, also the controls' object names; Cancel is IDCANCEL (2).
inline constexpr int IDC_SYNC_ANIMATION = 23078;
inline constexpr int IDC_SYNC_STATUS = 23079;
inline constexpr int IDC_SYNC_CANCEL = 2;

class CSyncProgressDlg : public CQVDialog, public IProgressWindow {
    Q_OBJECT

public:
    // The animation: four 32 x 32 frames on magenta, one every 400 ms.
    static constexpr int ANIMATION_FRAME_SIZE = 32;
    static constexpr unsigned ANIMATION_FRAME_INTERVAL = 400;
    // CheckCancelButton lets events through at most this often: a run asks between every
    // two directory entries, and a pass of the event loop per entry would slow a large
    // scan down without making the window any livelier.
    static constexpr int PUMP_INTERVAL_MS = 20;

    // The window comes up over owner's top-level window (may be null: over the screen).
    explicit CSyncProgressDlg(QWidget* owner = nullptr);
    ~CSyncProgressDlg() override;

    // IProgressWindow.
    bool Create() override;
    void SetStatus(const QString& text) override;
    void Hide() override;
    bool CheckCancelButton() override;
    void Destroy() override;
    // A message of the run (the missing-folder refusal), over the main window.
    int ShowMessage(const QString& text, unsigned type) override;

    QString GetStatus() const;
    bool IsCancelPressed() const { return m_bCancelPressed; }
    CQVAnimateCtrl* GetAnimateCtrl() const { return m_pAnimate; }
    CEllipsisLabel* GetStatusControl() const { return m_pStatus; }
    QPushButton* GetCancelButton() const { return m_pCancel; }

    bool OnInitDialog() override;
    // Enter does not end the window: there is nothing to accept.
    void OnOK() override;
    // Cancel: see above.
    void OnCancel() override;

signals:
    void CancelPressed();
    void StatusChanged(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> m_pOwnerWindow;
    CQVAnimateCtrl* m_pAnimate = nullptr;
    CEllipsisLabel* m_pStatus = nullptr;
    QPushButton* m_pCancel = nullptr;
    QElapsedTimer m_sincePump;
    bool m_bCancelPressed = false;
};
