#include "cordalib/ui/SyncProgressDlg.h"

#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/QVAnimateCtrl.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int DIALOG_WIDTH = 380;

} // namespace

CSyncProgressDlg::CSyncProgressDlg(QWidget* owner)
    : CQVDialog(IDD_SYNC_PROGRESS, nullptr), m_pOwnerWindow(owner ? owner->window() : nullptr)
{
    setObjectName(QString::number(IDD_SYNC_PROGRESS));
    setWindowTitle(tr("Synchronizing"));

    m_pAnimate = new CQVAnimateCtrl(this);
    m_pAnimate->setObjectName(QString::number(IDC_SYNC_ANIMATION));
    m_pAnimate->setFixedSize(ANIMATION_FRAME_SIZE, ANIMATION_FRAME_SIZE);
    m_pStatus = new CEllipsisLabel(this);
    m_pStatus->setObjectName(QString::number(IDC_SYNC_STATUS));
    m_pStatus->SetEllipsisStyle(SS_ENDELLIPSIS);
    m_pCancel = new QPushButton(tr("Cancel"), this);
    m_pCancel->setObjectName(QString::number(IDC_SYNC_CANCEL));
    m_pCancel->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(m_pAnimate, 0, Qt::AlignVCenter);
    top->addWidget(m_pStatus, 1, Qt::AlignVCenter);
    CProgressDlg::LayOutWithCancel(*this, top, m_pCancel, DIALOG_WIDTH);
}

CSyncProgressDlg::~CSyncProgressDlg() = default;

bool CSyncProgressDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    if (m_pAnimate->IsStopped())
        m_pAnimate->Open(IDB_SYNC_ANIMATION, ANIMATION_FRAME_SIZE, ANIMATION_FRAME_SIZE, QColor(255, 0, 255),
                         ANIMATION_FRAME_INTERVAL);
    return true;
}

bool CSyncProgressDlg::Create()
{
    m_bCancelPressed = false;
    m_pCancel->setEnabled(true);
    if (!CreateProgressStyle(m_pOwnerWindow))
        return false;
    ShowProgressStyle();
    m_sincePump.invalidate();
    // The first picture before the run starts working.
    PumpMessages();
    m_sincePump.start();
    return true;
}

void CSyncProgressDlg::showEvent(QShowEvent* event)
{
    CQVDialog::showEvent(event);
    m_pAnimate->Play(0, QV_ANIMATE_LAST_FRAME, QV_ANIMATE_FOREVER);
}

void CSyncProgressDlg::SetStatus(const QString& text)
{
    m_pStatus->SetText(text);
    emit StatusChanged(text);
    // A status comes before a stretch of work that may not ask for Cancel (applying the
    // changes): it must be on screen before that work starts.
    if (isVisible()) {
        PumpMessages();
        m_sincePump.start();
    }
}

QString CSyncProgressDlg::GetStatus() const
{
    return m_pStatus->GetText();
}

void CSyncProgressDlg::Hide()
{
    m_pAnimate->Stop();
    HideProgressStyle();
}

bool CSyncProgressDlg::CheckCancelButton()
{
    if (!m_bCancelPressed && (!m_sincePump.isValid() || m_sincePump.elapsed() >= PUMP_INTERVAL_MS)) {
        PumpMessages();
        m_sincePump.start();
    }
    return m_bCancelPressed;
}

void CSyncProgressDlg::Destroy()
{
    m_pAnimate->Stop();
    DestroyWindow();
}

int CSyncProgressDlg::ShowMessage(const QString& text, unsigned type)
{
    return AfxQVMessageBox(text, type);
}

void CSyncProgressDlg::OnOK() {}

void CSyncProgressDlg::OnCancel()
{
    if (!m_pCancel->isEnabled() || m_bCancelPressed)
        return;
    m_bCancelPressed = true;
    emit CancelPressed();
}
