#include "cordalib/ui/BackupProgressWindow.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/ResourceImages.h"

CBackupProgressWindow::CBackupProgressWindow(QWidget* owner) : m_pOwner(owner ? owner->window() : nullptr) {}

CBackupProgressWindow::~CBackupProgressWindow()
{
    Destroy();
}

bool CBackupProgressWindow::Create()
{
    Destroy();
    auto dialog = std::make_unique<CProgressDlg>(IDI_BACKUP_PROGRESS, IDS_BACKUP_PROGRESS_CAPTION);
    // The caption id names a text of the program's own table, which the library's dialog
    // cannot load by itself.
    dialog->setWindowTitle(LoadAppString(IDS_BACKUP_PROGRESS_CAPTION));
    dialog->SetStatusEllipsisStyle(SS_ENDELLIPSIS);
    dialog->SetStep(1);
    if (!dialog->CreateProgressStyle(m_pOwner))
        return false;
    dialog->ShowProgressStyle();
    dialog->PumpMessages();
    m_pDialog = std::move(dialog);
    return true;
}

void CBackupProgressWindow::SetStatus(const QString& text)
{
    if (!m_pDialog)
        return;
    m_pDialog->SetStatus(text);
    m_pDialog->PumpMessages();
}

void CBackupProgressWindow::Hide()
{
    if (m_pDialog)
        m_pDialog->HideProgressStyle();
}

bool CBackupProgressWindow::CheckCancelButton()
{
    return m_pDialog && m_pDialog->CheckCancelButton();
}

void CBackupProgressWindow::Destroy()
{
    if (!m_pDialog)
        return;
    m_pDialog->DestroyWindow();
    m_pDialog.reset();
}

void CBackupProgressWindow::SetCaption(const QString& caption)
{
    if (m_pDialog && !caption.isEmpty())
        m_pDialog->setWindowTitle(caption);
}

void CBackupProgressWindow::SetRange(int lower, int upper)
{
    if (!m_pDialog)
        return;
    m_pDialog->SetRange(lower, upper);
    m_pDialog->SetStep(1);
}

void CBackupProgressWindow::StepIt()
{
    if (m_pDialog)
        m_pDialog->StepIt();
}

int CBackupProgressWindow::ShowMessage(const QString& text, unsigned type)
{
    return AfxQVMessageBox(text, type);
}
