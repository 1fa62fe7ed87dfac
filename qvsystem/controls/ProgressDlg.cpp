#include "qvsystem/controls/ProgressDlg.h"

#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/platform/StringTable.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int ICON_SIZE = 32;
constexpr int DIALOG_WIDTH = 420;

QString ProgramTitle()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

} // namespace

CProgressDlg::CProgressDlg(unsigned iconId, unsigned captionId, QWidget* parent)
    : CQVDialog(IDD_QV_PROGRESS, parent), m_nIconID(iconId ? iconId : IDI_QV_PROGRESS)
{
    setObjectName(QString::number(IDD_QV_PROGRESS));
    // The program's title when its string table has none.
    setWindowTitle(ProgramTitle());
    SetCaptionID(captionId ? captionId : AFX_IDS_APP_TITLE);

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QString::number(IDC_QV_PROGRESS_ICON));
    m_pIcon->setFixedSize(ICON_SIZE, ICON_SIZE);
    m_pStatus = new CEllipsisLabel(this);
    m_pStatus->setObjectName(QString::number(IDC_QV_PROGRESS_STATUS));
    m_pSecondaryStatus = new CEllipsisLabel(this);
    m_pSecondaryStatus->setObjectName(QString::number(IDC_QV_PROGRESS_SECONDARY_STATUS));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName(QString::number(IDC_QV_PROGRESS_BAR));
    m_pProgress->setRange(m_nLower, m_nUpper);
    m_pProgress->setValue(m_nPos);
    m_pProgress->setTextVisible(false);
    m_pCancel = new QPushButton(tr("Cancel"), this);
    m_pCancel->setObjectName(QString::number(IDC_QV_PROGRESS_CANCEL));
    m_pCancel->setAutoDefault(false);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    texts->addWidget(m_pStatus);
    texts->addWidget(m_pSecondaryStatus);
    texts->addSpacing(4);
    texts->addWidget(m_pProgress);
    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(m_pIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    LayOutWithCancel(*this, top, m_pCancel, DIALOG_WIDTH);
    LoadIcon();
}

void CProgressDlg::LayOutWithCancel(QDialog& dialog, QLayout* top, QPushButton* cancel, int width)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(12);
    layout->addLayout(top);
    layout->addLayout(buttons);
    dialog.setFixedWidth(width);
    dialog.setSizeGripEnabled(false);
}

CProgressDlg::~CProgressDlg() = default;

bool CProgressDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    LoadIcon();
    return true;
}

void CProgressDlg::LoadIcon()
{
    const QIcon icon = AfxLoadResourceIcon(m_nIconID);
    m_pIcon->setPixmap(icon.pixmap(QSize(ICON_SIZE, ICON_SIZE), devicePixelRatioF()));
}

void CProgressDlg::SetIconID(unsigned iconId)
{
    m_nIconID = iconId ? iconId : IDI_QV_PROGRESS;
    LoadIcon();
}

void CProgressDlg::SetStatus(const QString& text)
{
    m_pStatus->SetText(text);
}

void CProgressDlg::SetSecondaryStatus(const QString& text)
{
    m_pSecondaryStatus->SetText(text);
}

void CProgressDlg::SetStatusEllipsisStyle(unsigned style)
{
    m_pStatus->SetEllipsisStyle(style);
}

void CProgressDlg::SetSecondaryStatusEllipsisStyle(unsigned style)
{
    m_pSecondaryStatus->SetEllipsisStyle(style);
}

QString CProgressDlg::GetStatus() const
{
    return m_pStatus->GetText();
}

QString CProgressDlg::GetSecondaryStatus() const
{
    return m_pSecondaryStatus->GetText();
}

void CProgressDlg::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = std::max(lower, upper);
    m_pProgress->setRange(m_nLower, m_nUpper);
    MovePos(m_nPos, false);
}

void CProgressDlg::GetRange(int& lower, int& upper) const
{
    lower = m_nLower;
    upper = m_nUpper;
}

int CProgressDlg::SetStep(int step)
{
    return std::exchange(m_nStep, step);
}

int CProgressDlg::MovePos(long long position, bool wrap)
{
    const int previous = m_nPos;
    if (wrap && position > m_nUpper)
        position = m_nLower;
    else if (wrap && position < m_nLower)
        position = m_nUpper;
    m_nPos = static_cast<int>(std::clamp<long long>(position, m_nLower, m_nUpper));
    m_pProgress->setValue(m_nPos);
    return previous;
}

int CProgressDlg::SetPos(int position)
{
    PumpMessages();
    return MovePos(position, false);
}

int CProgressDlg::OffsetPos(int offset)
{
    PumpMessages();
    return MovePos(static_cast<long long>(m_nPos) + offset, false);
}

int CProgressDlg::StepIt()
{
    PumpMessages();
    return MovePos(static_cast<long long>(m_nPos) + m_nStep, true);
}

int CProgressDlg::GetPos() const
{
    return m_nPos;
}

bool CProgressDlg::CheckCancelButton()
{
    PumpMessages();
    return TakeCancelPress();
}

bool CProgressDlg::TakeCancelPress()
{
    std::lock_guard lock(m_criticalSection);
    return std::exchange(m_bCancelPressed, false);
}

void CProgressDlg::EnableCancelButton(bool enable)
{
    m_pCancel->setEnabled(enable);
}

void CProgressDlg::SetSocket(std::function<void()> closeSocket)
{
    std::lock_guard lock(m_criticalSection);
    m_closeSocket = std::move(closeSocket);
}

void CProgressDlg::OnOK() {}

void CProgressDlg::OnCancel()
{
    // Escape and the close button go the way of the button: nothing while it is disabled.
    if (!m_pCancel->isEnabled())
        return;
    {
        std::lock_guard lock(m_criticalSection);
        if (m_closeSocket) {
            m_pCancel->setEnabled(false);
            std::exchange(m_closeSocket, nullptr)();
        }
        m_bCancelPressed = true;
    }
    emit CancelPressed();
}
