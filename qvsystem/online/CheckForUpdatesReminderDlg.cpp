#include "qvsystem/online/CheckForUpdatesReminderDlg.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/online/CheckForUpdatesSettingsDlg.h"
#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/ProfileValues.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int ICON_SIZE = 32;
constexpr int TEXT_WIDTH = 330;

QString QVSystemText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

QPushButton* MakeButton(unsigned textId, int id, QWidget* parent)
{
    auto* button = new QPushButton(QVSystemText(textId), parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CCheckForUpdatesReminderDlg::CCheckForUpdatesReminderDlg(const CRegistryPath& path, QWidget* parent)
    : CQVDialog(IDD_QV_CHECK_FOR_UPDATES_REMINDER, parent), m_path(path)
{
    setObjectName(QString::number(IDD_QV_CHECK_FOR_UPDATES_REMINDER));
    setWindowTitle(QVSystemText(IDS_QV_REMINDER_CAPTION));

    auto* icon = new QLabel(this);
    icon->setObjectName(QString::number(IDC_QV_REMINDER_ICON));
    icon->setFixedSize(ICON_SIZE, ICON_SIZE);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this)
                        .pixmap(QSize(ICON_SIZE, ICON_SIZE), devicePixelRatioF()));
    auto* heading = new QLabel(QVSystemText(IDS_QV_REMINDER_CAPTION), this);
    heading->setObjectName(QString::number(IDC_QV_REMINDER_HEADING));
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QString::number(IDC_QV_REMINDER_STATUS));
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    m_pStatus->setFixedWidth(TEXT_WIDTH);
    auto* separator = new QFrame(this);
    separator->setObjectName(QString::number(IDC_QV_REMINDER_SEPARATOR));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    QPushButton* yes = MakeButton(IDS_QV_REMINDER_YES, IDYES, this);
    yes->setDefault(true);
    QPushButton* no = MakeButton(IDS_QV_REMINDER_NO, IDNO, this);
    QPushButton* dismiss = MakeButton(IDS_QV_REMINDER_DISMISS, IDC_QV_REMINDER_DISMISS, this);
    QPushButton* settings = MakeButton(IDS_QV_REMINDER_SETTINGS, IDC_QV_REMINDER_SETTINGS, this);
    // Yes stands for OK and No for Cancel, so Enter and Escape answer as they would.
    connect(yes, &QPushButton::clicked, this, &CCheckForUpdatesReminderDlg::accept);
    connect(no, &QPushButton::clicked, this, &CCheckForUpdatesReminderDlg::reject);
    connect(dismiss, &QPushButton::clicked, this, &CCheckForUpdatesReminderDlg::OnDismiss);
    connect(settings, &QPushButton::clicked, this, &CCheckForUpdatesReminderDlg::OnSettings);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(heading);
    texts->addWidget(m_pStatus);
    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(settings);
    buttons->addStretch(1);
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addWidget(dismiss);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(12);
    layout->addLayout(top);
    layout->addWidget(separator);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CCheckForUpdatesReminderDlg::~CCheckForUpdatesReminderDlg() = default;

bool CCheckForUpdatesReminderDlg::SetStatus(const QString& text)
{
    if (text.isNull())
        return false;
    m_strStatus = text;
    m_pStatus->setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    return true;
}

bool CCheckForUpdatesReminderDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    return true;
}

void CCheckForUpdatesReminderDlg::GetBoldControlIDs(std::vector<int>& ids) const
{
    ids.push_back(IDC_QV_REMINDER_HEADING);
}

void CCheckForUpdatesReminderDlg::OnDismiss()
{
    AfxWriteProfileCheckForUpdatesLastDismissed(m_path, COleDateTime::GetCurrentUTCTime());
    reject();
}

void CCheckForUpdatesReminderDlg::OnSettings()
{
    CCheckForUpdatesSettingsDlg settings(m_path, this);
    settings.exec();
}
