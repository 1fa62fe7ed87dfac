#include "qvsystem/online/CheckForUpdatesSettingsDlg.h"

#include "qvsystem/controls/LinkComboBox.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/ProfileValues.h"
#include "qvsystem/system/UrlUtilities.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int URL_FIELD_WIDTH = 420;

QString QVSystemText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

} // namespace

CCheckForUpdatesSettingsDlg::CCheckForUpdatesSettingsDlg(const CRegistryPath& path, QWidget* parent)
    : CQVDialog(IDD_QV_CHECK_FOR_UPDATES_SETTINGS, parent), m_path(path)
{
    setObjectName(QString::number(IDD_QV_CHECK_FOR_UPDATES_SETTINGS));
    setWindowTitle(QVSystemText(IDS_QV_UPDATE_SETTINGS_CAPTION));

    auto* urlLabel = new QLabel(QVSystemText(IDS_QV_UPDATE_SETTINGS_URL), this);
    urlLabel->setObjectName(QString::number(IDC_QV_UPDATE_SETTINGS_URL_LABEL));
    m_pURL = new CLinkComboBox(this);
    m_pURL->setObjectName(QString::number(IDC_QV_UPDATE_SETTINGS_URL));
    m_pURL->setMinimumWidth(URL_FIELD_WIDTH);
    urlLabel->setBuddy(m_pURL);
    m_pReminder = new QCheckBox(QVSystemText(IDS_QV_UPDATE_SETTINGS_REMINDER), this);
    m_pReminder->setObjectName(QString::number(IDC_QV_UPDATE_SETTINGS_REMINDER));
    m_pDays = new QSpinBox(this);
    m_pDays->setObjectName(QString::number(IDC_QV_UPDATE_SETTINGS_DAYS));
    m_pDays->setRange(MIN_REMINDER_DAYS, MAX_REMINDER_DAYS);
    m_pDays->setValue(DEFAULT_REMINDER_DAYS);
    // The field may hold what the user types until OK judges it, as an edit would.
    m_pDays->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    auto* daysLabel = new QLabel(QVSystemText(IDS_QV_UPDATE_SETTINGS_DAYS), this);
    daysLabel->setObjectName(QString::number(IDC_QV_UPDATE_SETTINGS_DAYS_LABEL));
    connect(m_pReminder, &QCheckBox::toggled, m_pDays, &QWidget::setEnabled);
    m_pDays->setEnabled(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        buttons->addButton(QVSystemText(IDS_QV_UPDATE_SETTINGS_OK), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(IDOK));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QVSystemText(IDS_QV_UPDATE_SETTINGS_CANCEL), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QString::number(IDCANCEL));

    auto* days = new QHBoxLayout;
    days->setSpacing(8);
    days->addSpacing(22);
    days->addWidget(m_pDays);
    days->addWidget(daysLabel);
    days->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(6);
    layout->addWidget(urlLabel);
    layout->addWidget(m_pURL);
    layout->addSpacing(10);
    layout->addWidget(m_pReminder);
    layout->addLayout(days);
    layout->addSpacing(12);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CCheckForUpdatesSettingsDlg::~CCheckForUpdatesSettingsDlg() = default;

bool CCheckForUpdatesSettingsDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    m_pDays->setRange(MIN_REMINDER_DAYS, MAX_REMINDER_DAYS);
    m_pDays->setValue(DEFAULT_REMINDER_DAYS);
    LoadData();
    return true;
}

bool CCheckForUpdatesSettingsDlg::LoadData()
{
    m_strURL = AfxGetProfileCheckForUpdatesURL(m_path);
    m_pURL->setCurrentText(m_strURL);
    // The scheme and server matter most when the address is longer than the field.
    if (m_pURL->lineEdit())
        m_pURL->lineEdit()->setCursorPosition(0);
    const uint32_t days = AfxGetProfileCheckForUpdatesReminder(m_path);
    // The stored DWORD may hold a negative number written as signed; that is no reminder.
    const bool remind = static_cast<int32_t>(days) >= 1;
    m_pReminder->setChecked(remind);
    m_pDays->setEnabled(remind);
    if (remind) {
        const bool valid = AfxIsValidCheckForUpdatesReminder(days);
        m_pDays->setValue(valid ? static_cast<int>(days) : DEFAULT_REMINDER_DAYS);
    }
    return true;
}

bool CCheckForUpdatesSettingsDlg::ValidateData(int& icon, QString& caption, QString& text, QRect& rect)
{
    (void)icon;
    (void)caption;
    if (!AfxIsValidURL(m_pURL->currentText())) {
        text = QVSystemText(IDS_QV_VALIDATE_URL);
        rect = AfxGetScreenRect(m_pURL);
        m_pURL->setFocus();
        return false;
    }
    if (m_pReminder->isChecked()) {
        const QString typed = m_pDays->text().trimmed();
        bool number = !typed.isEmpty() &&
                      std::all_of(typed.begin(), typed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const int value = number ? typed.toInt(&number) : 0;
        if (!number || value < MIN_REMINDER_DAYS || value > MAX_REMINDER_DAYS) {
            text = AfxFormatMessage(QVSystemText(IDS_QV_VALIDATE_NUMBER_RANGE), MIN_REMINDER_DAYS,
                                    MAX_REMINDER_DAYS);
            rect = AfxGetScreenRect(m_pDays);
            m_pDays->setFocus();
            return false;
        }
    }
    return true;
}

bool CCheckForUpdatesSettingsDlg::SaveData()
{
    m_strURL = m_pURL->currentText().trimmed();
    const uint32_t days = m_pReminder->isChecked() ? static_cast<uint32_t>(m_pDays->text().toInt()) : 0;
    return AfxWriteProfileCheckForUpdatesURL(m_path, m_strURL) &&
           AfxWriteProfileCheckForUpdatesReminder(m_path, days);
}
