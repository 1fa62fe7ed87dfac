#pragma once
// The window a backup reports to: the library's progress dialog with the backup icon and
// the caption "Backup Progress", a bar that moves one step per file, and Cancel. It exists
// from Create to Destroy; before Create (an archive that cannot be made) a message is shown
// over the main window alone.

#include "cordalib/maintenance/ProgressWindow.h"

#include <QPointer>
#include <QString>

#include <memory>

class CProgressDlg;
class QWidget;

class CBackupProgressWindow : public IProgressWindow {
public:
    // The window comes up over owner's top-level window (may be null: over the screen).
    explicit CBackupProgressWindow(QWidget* owner = nullptr);
    ~CBackupProgressWindow() override;
    CBackupProgressWindow(const CBackupProgressWindow&) = delete;
    CBackupProgressWindow& operator=(const CBackupProgressWindow&) = delete;

    bool Create() override;
    void SetStatus(const QString& text) override;
    void Hide() override;
    bool CheckCancelButton() override;
    void Destroy() override;
    void SetCaption(const QString& caption) override;
    // The range of the bar; the step is one file.
    void SetRange(int lower, int upper) override;
    void StepIt() override;
    int ShowMessage(const QString& text, unsigned type) override;

    // The dialog while the window exists, else null.
    CProgressDlg* GetDialog() const { return m_pDialog.get(); }

private:
    QPointer<QWidget> m_pOwner;
    std::unique_ptr<CProgressDlg> m_pDialog;
};
