#include "qvsystem/controls/FlashBox.h"

#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/platform/StringTable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QWindow>

namespace {

constexpr int ICON_SIZE = 32;
constexpr int BOX_WIDTH = 340;
// How long Create waits for the window system to show the box before it paints it.
constexpr int EXPOSE_WAIT_MS = 500;

QString ProgramTitle()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

} // namespace

CFlashBox::CFlashBox(unsigned iconId, unsigned captionId)
    : CQVDialog(IDD_QV_FLASH_BOX, nullptr), m_nIconID(iconId ? iconId : IDI_QV_PROGRESS)
{
    setObjectName(QString::number(IDD_QV_FLASH_BOX));
    setWindowTitle(ProgramTitle());
    SetCaptionID(captionId ? captionId : AFX_IDS_APP_TITLE);

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QString::number(IDC_QV_FLASH_ICON));
    m_pIcon->setFixedSize(ICON_SIZE, ICON_SIZE);
    m_pStatus = new CEllipsisLabel(this);
    m_pStatus->setObjectName(QString::number(IDC_QV_FLASH_STATUS));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 14, 18, 14);
    layout->setSpacing(14);
    layout->addWidget(m_pIcon, 0, Qt::AlignVCenter);
    layout->addWidget(m_pStatus, 1, Qt::AlignVCenter);
    setFixedWidth(BOX_WIDTH);
    LoadIcon();
}

CFlashBox::~CFlashBox() = default;

bool CFlashBox::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    LoadIcon();
    return true;
}

void CFlashBox::LoadIcon()
{
    const QIcon icon = AfxLoadResourceIcon(m_nIconID);
    m_pIcon->setPixmap(icon.pixmap(QSize(ICON_SIZE, ICON_SIZE), devicePixelRatioF()));
}

bool CFlashBox::Create(QWidget* parent)
{
    if (!CreateProgressStyle(parent))
        return false;
    // No close button: the box lives as long as its operation.
    setWindowFlags((windowFlags() & ~Qt::WindowCloseButtonHint & ~Qt::WindowContextHelpButtonHint) |
                   Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ShowProgressStyle();
    if (!isVisible()) {
        HideProgressStyle();
        return false;
    }
    const QDeadlineTimer deadline(EXPOSE_WAIT_MS);
    while (windowHandle() && !windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    repaint();
    return true;
}

bool CFlashBox::DestroyWindow()
{
    ReEnableParent();
    return CQVDialog::DestroyWindow();
}

void CFlashBox::SetStatus(const QString& text)
{
    m_pStatus->SetText(text);
    if (m_pStatus->isVisible())
        m_pStatus->repaint();
}

QString CFlashBox::GetStatus() const
{
    return m_pStatus->GetText();
}

void CFlashBox::SetStatusEllipsisStyle(unsigned style)
{
    m_pStatus->SetEllipsisStyle(style);
}

void CFlashBox::SetIconID(unsigned iconId)
{
    m_nIconID = iconId ? iconId : IDI_QV_PROGRESS;
    LoadIcon();
}

void CFlashBox::OnOK() {}

void CFlashBox::OnCancel() {}
