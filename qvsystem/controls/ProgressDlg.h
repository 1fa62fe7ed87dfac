#pragma once
// The progress window of long operations: an icon, a status line, a secondary status line,
// a progress bar and Cancel, shown modeless over its disabled owner (progress style).
//
// The operation runs on the UI thread and calls SetPos, OffsetPos, StepIt or
// CheckCancelButton regularly; each lets the waiting events through first, so the window
// repaints and Cancel can be pressed. Cancel (the button, Escape or the window's close
// button) never closes the window: it sets a flag that CheckCancelButton reports once, and
// the operation ends itself. While the Cancel button is disabled none of them cancels.
//
//     CProgressDlg progress(IDI_BACKUP_PROGRESS, IDS_BACKUP_PROGRESS_CAPTION);
//     progress.CreateProgressStyle(mainWindow);
//     progress.ShowProgressStyle();
//     for (...) { progress.SetStatus(path); progress.StepIt(); if (progress.CheckCancelButton()) break; }
//     progress.DestroyWindow();

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <functional>
#include <mutex>

class CEllipsisLabel;
class QLabel;
class QProgressBar;
class QPushButton;

inline constexpr unsigned IDD_QV_PROGRESS = 24018;
// Control ids, also the controls' object names; Cancel is IDCANCEL (2).
inline constexpr int IDC_QV_PROGRESS_ICON = 24030;
inline constexpr int IDC_QV_PROGRESS_STATUS = 24031;
inline constexpr int IDC_QV_PROGRESS_SECONDARY_STATUS = 24032;
inline constexpr int IDC_QV_PROGRESS_BAR = 24033;
inline constexpr int IDC_QV_PROGRESS_CANCEL = 2;

class QLayout;

class QVSYSTEM_EXPORT CProgressDlg : public CQVDialog {
    Q_OBJECT

public:
    // The layout every progress window of the program shares: the top part, then the
    // Cancel button on the right, at a fixed width.
    static void LayOutWithCancel(QDialog& dialog, QLayout* top, QPushButton* cancel, int width);

    // 0 for the default icon (24019) and the default caption (the program's title, 57344).
    explicit CProgressDlg(unsigned iconId = 0, unsigned captionId = 0, QWidget* parent = nullptr);
    ~CProgressDlg() override;

    void SetStatus(const QString& text);
    void SetSecondaryStatus(const QString& text);
    // SS_ENDELLIPSIS, SS_PATHELLIPSIS or SS_WORDELLIPSIS (EllipsisLabel.h); 0 for none.
    void SetStatusEllipsisStyle(unsigned style);
    void SetSecondaryStatusEllipsisStyle(unsigned style);
    QString GetStatus() const;
    QString GetSecondaryStatus() const;

    // The range (default 0 to 100) and the step of StepIt (default 10).
    void SetRange(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // Each returns the previous position; the position stays inside the range, and a step
    // past the upper end starts again at the lower end.
    int SetStep(int step);
    int SetPos(int position);
    int OffsetPos(int offset);
    int StepIt();
    int GetPos() const;

    // Lets the waiting events through, then says whether Cancel was pressed since the last
    // call, and forgets the press.
    bool CheckCancelButton();
    // The same without letting the waiting events through: for loops whose steps are too
    // quick to pump at each one.
    bool TakeCancelPress();
    void EnableCancelButton(bool enable);

    void SetIconID(unsigned iconId);
    unsigned GetIconID() const { return m_nIconID; }
    // What stands for the socket to close on Cancel: until the socket layer offers its
    // objects, the function that closes the connection. It runs once, on the first Cancel
    // while the Cancel button is enabled, and the button is disabled then.
    void SetSocket(std::function<void()> closeSocket);

    QLabel* GetIconControl() const { return m_pIcon; }
    CEllipsisLabel* GetStatusControl() const { return m_pStatus; }
    CEllipsisLabel* GetSecondaryStatusControl() const { return m_pSecondaryStatus; }
    QProgressBar* GetProgressControl() const { return m_pProgress; }
    QPushButton* GetCancelButton() const { return m_pCancel; }

    bool OnInitDialog() override;
    // Enter does not end the window: there is nothing to accept.
    void OnOK() override;
    // Cancel: see above.
    void OnCancel() override;

signals:
    void CancelPressed();

private:
    void LoadIcon();
    int MovePos(long long position, bool wrap);

    unsigned m_nIconID;
    QLabel* m_pIcon = nullptr;
    CEllipsisLabel* m_pStatus = nullptr;
    CEllipsisLabel* m_pSecondaryStatus = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QPushButton* m_pCancel = nullptr;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;

    // Guards the cancel state and the socket.
    mutable std::recursive_mutex m_criticalSection;
    std::function<void()> m_closeSocket;
    bool m_bCancelPressed = false;
};
