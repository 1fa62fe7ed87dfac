#include "cordalib/ui/OptionsDialogPages.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/MainFrame.h"
#include "qvsystem/controls/LinkComboBox.h"
#include "qvsystem/controls/QVEdit.h"
#include "qvsystem/system/ProfileValues.h"
#include "qvsystem/system/UrlUtilities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// A label for the field, with its mnemonic going to the field.
QLabel* AddLabel(QWidget* page, QHBoxLayout* row, const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, page);
    label->setBuddy(buddy);
    row->addWidget(label);
    return label;
}

QLabel* AddRangeLabel(QWidget* page, QHBoxLayout* row, int id, unsigned formatId, int minimum, int maximum)
{
    auto* label = new QLabel(AfxFormatMessage(LoadAppString(formatId), minimum, maximum), page);
    label->setObjectName(QString::number(id));
    row->addWidget(label);
    return label;
}

// Wide enough for the largest number of the field and its arrows.
void SizeNumberField(QWidget* field, int digits)
{
    const int text = field->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0')));
    field->setFixedWidth(std::max(field->sizeHint().width(), text + field->sizeHint().height() + 8));
}

} // namespace

// ---- AutoComplete

COptionsAutoCompleteDialogPage::COptionsAutoCompleteDialogPage(const COptionsContext& context,
                                                               QWidget* parent)
    : COptionsDialogPage(IDD, tr("AutoComplete settings"),
                         QStringLiteral("changingtheautocompletesettings.htm"), context, parent)
{
    m_pEnable = AddCheckBox(IDC_ENABLE_AUTOCOMPLETE, tr("&Enable AutoComplete"));
    QHBoxLayout* row = AddRow();
    m_pItems = new COptionsNumberBox(MIN_ITEMS, MAX_ITEMS, this);
    m_pItems->setObjectName(QString::number(IDC_ITEMS_TO_TRACK));
    m_pItemsLabel = AddLabel(this, row, tr("&Items to track:"), m_pItems);
    row->addWidget(m_pItems);
    SizeNumberField(m_pItems, 2);
    AddRangeLabel(this, row, IDC_ITEMS_RANGE, IDS_ITEMS_RANGE, MIN_ITEMS, MAX_ITEMS);
    row->addStretch(1);
    Body()->addStretch(1);
}

COptionsAutoCompleteDialogPage::~COptionsAutoCompleteDialogPage() = default;

bool COptionsAutoCompleteDialogPage::LoadData()
{
    const CAutoCompleteSettings& settings = App().GetAutoCompleteSettings();
    m_pEnable->setChecked(settings.IsEnabled());
    // The stored size is shown as it is, even out of range: OK then says what is allowed.
    m_pItems->setValue(settings.IsEnabled()
                           ? static_cast<int>(std::min<uint32_t>(settings.GetMRUListSize(), 999999))
                           : DEFAULT_ITEMS);
    return true;
}

bool COptionsAutoCompleteDialogPage::ValidateData(int&, QString&, QString& text, QRect& rect)
{
    int value = 0;
    if (m_pEnable->isChecked() && !ParseNumber(m_pItems->text(), MIN_ITEMS, MAX_ITEMS, value))
        return RefuseNumber(m_pItems, MIN_ITEMS, MAX_ITEMS, text, rect);
    return true;
}

bool COptionsAutoCompleteDialogPage::SaveData()
{
    CAutoCompleteSettings& settings = App().GetAutoCompleteSettings();
    const bool enabled = m_pEnable->isChecked();
    int items = DEFAULT_ITEMS;
    if (enabled && !ParseNumber(m_pItems->text(), MIN_ITEMS, MAX_ITEMS, items))
        return false;
    settings.SetEnabled(enabled, true);
    settings.SetMRUListSize(static_cast<uint32_t>(items), true);
    return true;
}

void COptionsAutoCompleteDialogPage::UpdateControlStates()
{
    const bool enabled = m_pEnable->isChecked();
    m_pItems->setEnabled(enabled);
    m_pItemsLabel->setEnabled(enabled);
}

// ---- General

COptionsGeneralDialogPage::COptionsGeneralDialogPage(const COptionsContext& context, QWidget* parent)
    : COptionsDialogPage(IDD, tr("General settings"), QStringLiteral("changingthegeneralsettings.htm"),
                         context, parent)
{
    QHBoxLayout* row = AddRow();
    m_pAction = new QComboBox(this);
    m_pAction->setObjectName(QString::number(IDC_DOUBLE_CLICK_ACTION));
    m_pAction->addItem(LoadAppString(IDS_DOUBLE_CLICK_OPEN));
    m_pAction->addItem(LoadAppString(IDS_DOUBLE_CLICK_EDIT));
    AddLabel(this, row, tr("&Default double-click action:"), m_pAction);
    row->addWidget(m_pAction);
    row->addStretch(1);
    m_pMinimize =
        AddCheckBox(IDC_MINIMIZE_ON_OPEN, tr("&Minimize Corda Librarian when a Corda file is opened"));
    Body()->addStretch(1);
}

COptionsGeneralDialogPage::~COptionsGeneralDialogPage() = default;

bool COptionsGeneralDialogPage::LoadData()
{
    const CGeneralSettings& settings = App().GetGeneralSettings();
    const uint32_t action = settings.GetDefaultDoubleClickAction();
    // A stored action the program does not know selects nothing, and OK asks for a choice.
    m_pAction->setCurrentIndex(action < static_cast<uint32_t>(m_pAction->count()) ? static_cast<int>(action)
                                                                                  : -1);
    m_pMinimize->setChecked(settings.GetMinimizeOnOpenCordaFile());
    return true;
}

bool COptionsGeneralDialogPage::ValidateData(int&, QString&, QString& text, QRect& rect)
{
    const int index = m_pAction->currentIndex();
    if (index != CGeneralSettings::doubleClickOpen && index != CGeneralSettings::doubleClickEdit)
        return RefuseControl(m_pAction, AfxLoadString(IDS_QV_VALIDATE_SELECT_ITEM), text, rect);
    return true;
}

bool COptionsGeneralDialogPage::SaveData()
{
    const int index = m_pAction->currentIndex();
    if (index < 0)
        return false;
    CGeneralSettings& settings = App().GetGeneralSettings();
    settings.SetDefaultDoubleClickAction(static_cast<uint32_t>(index), true);
    settings.SetMinimizeOnOpenCordaFile(m_pMinimize->isChecked(), true);
    return true;
}

// ---- Pages of yes/no settings

COptionsSwitchesDialogPage::COptionsSwitchesDialogPage(unsigned templateId, const QString& heading,
                                                       const QString& helpTopic,
                                                       const COptionsContext& context, QWidget* parent)
    : COptionsDialogPage(templateId, heading, helpTopic, context, parent)
{
}

COptionsSwitchesDialogPage::~COptionsSwitchesDialogPage() = default;

template <typename Settings>
QCheckBox*
COptionsSwitchesDialogPage::AddSwitch(int id, const QString& text, Settings& (CCordaLibrarianApp::*group)(),
                                      bool (Settings::*get)() const, bool (Settings::*set)(bool, bool))
{
    QCheckBox* box = AddCheckBox(id, text);
    m_switches.push_back({box, [this, group, get] { return ((App().*group)().*get)(); },
                          [this, group, set](bool on) { ((App().*group)().*set)(on, true); }});
    return box;
}

bool COptionsSwitchesDialogPage::LoadData()
{
    for (const CSwitch& item : m_switches)
        item.box->setChecked(item.get());
    return true;
}

bool COptionsSwitchesDialogPage::SaveData()
{
    for (const CSwitch& item : m_switches)
        item.set(item.box->isChecked());
    return true;
}

// ---- Message Boxes

COptionsMessageBoxesDialogPage::COptionsMessageBoxesDialogPage(const COptionsContext& context,
                                                               QWidget* parent)
    : COptionsSwitchesDialogPage(IDD, tr("Message box settings"),
                                 QStringLiteral("changingthemessageboxsettings.htm"), context, parent)
{
    AddSwitch(IDC_OPEN_CORDA_FILE_WARNING, tr("&Display a warning whenever a Corda file is opened"),
              &CCordaLibrarianApp::GetMessageBoxSettings, &CMessageBoxSettings::GetShowOpenCordaFileWarning,
              &CMessageBoxSettings::SetShowOpenCordaFileWarning);
    AddSwitch(IDC_EDIT_MULTIPLE_ITEMS_WARNING, tr("Di&splay a warning whenever multiple items are edited"),
              &CCordaLibrarianApp::GetMessageBoxSettings,
              &CMessageBoxSettings::GetShowEditMultipleItemsWarning,
              &CMessageBoxSettings::SetShowEditMultipleItemsWarning);
    AddSwitch(IDC_DELETE_ITEM_CONFIRMATION, tr("Displ&ay a confirmation message whenever an item is deleted"),
              &CCordaLibrarianApp::GetMessageBoxSettings, &CMessageBoxSettings::GetShowDeleteItemConfirmation,
              &CMessageBoxSettings::SetShowDeleteItemConfirmation);
    Body()->addStretch(1);
}

COptionsMessageBoxesDialogPage::~COptionsMessageBoxesDialogPage() = default;

// ---- Search

COptionsSearchDialogPage::COptionsSearchDialogPage(const COptionsContext& context, QWidget* parent)
    : COptionsDialogPage(IDD, tr("Search settings"), QStringLiteral("changingthesearchsettings.htm"), context,
                         parent)
{
    m_pEnable = AddCheckBox(IDC_ENABLE_AUTORESULTS, tr("&Enable AutoResults"));
    QHBoxLayout* row = AddRow();
    auto* delay = new CQVEdit(this);
    m_pDelay = delay;
    m_pDelay->setObjectName(QString::number(IDC_DELAY));
    // Digits only, as a number edit takes them; the range is judged on OK.
    m_pDelay->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pDelay));
    m_pDelay->setMaxLength(COptionsNumberBox::MAX_DIGITS);
    m_pDelay->setFixedWidth(m_pDelay->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    m_pDelayLabel = AddLabel(this, row, tr("&Delay:"), m_pDelay);
    row->addWidget(m_pDelay);
    AddRangeLabel(this, row, IDC_DELAY_RANGE, IDS_MILLISECONDS_RANGE, MIN_DELAY, MAX_DELAY);
    row->addStretch(1);
    Body()->addStretch(1);
}

COptionsSearchDialogPage::~COptionsSearchDialogPage() = default;

bool COptionsSearchDialogPage::LoadData()
{
    const CSearchSettings& settings = App().GetSearchSettings();
    m_pEnable->setChecked(settings.GetEnableAutoResults());
    m_pDelay->setText(QString::number(settings.GetEnableAutoResults() ? settings.GetAutoResultsDelay() : 0u));
    return true;
}

bool COptionsSearchDialogPage::ValidateData(int&, QString&, QString& text, QRect& rect)
{
    int value = 0;
    if (!ParseNumber(m_pDelay->text(), MIN_DELAY, MAX_DELAY, value))
        return RefuseNumber(m_pDelay, MIN_DELAY, MAX_DELAY, text, rect);
    return true;
}

bool COptionsSearchDialogPage::SaveData()
{
    int delay = 0;
    if (!ParseNumber(m_pDelay->text(), MIN_DELAY, MAX_DELAY, delay))
        return false;
    CSearchSettings& settings = App().GetSearchSettings();
    const bool enabled = m_pEnable->isChecked();
    settings.SetEnableAutoResults(enabled, true);
    settings.SetAutoResultsDelay(enabled ? static_cast<uint32_t>(delay) : 0u, true);
    return true;
}

void COptionsSearchDialogPage::UpdateControlStates()
{
    const bool enabled = m_pEnable->isChecked();
    m_pDelay->setEnabled(enabled);
    m_pDelayLabel->setEnabled(enabled);
}

// ---- Security

COptionsSecurityDialogPage::COptionsSecurityDialogPage(const COptionsContext& context, QWidget* parent)
    : COptionsSwitchesDialogPage(IDD, tr("Security settings"),
                                 QStringLiteral("changingthesecuritysettings.htm"), context, parent)
{
    AddSwitch(IDC_OPEN_EXTERNAL_LINK_WARNING,
              tr("&Display a security warning whenever an external link is opened"),
              &CCordaLibrarianApp::GetSecuritySettings, &CSecuritySettings::GetShowOpenExternalLinkWarning,
              &CSecuritySettings::SetShowOpenExternalLinkWarning);
    Body()->addStretch(1);
}

COptionsSecurityDialogPage::~COptionsSecurityDialogPage() = default;

// ---- Startup

COptionsStartupDialogPage::COptionsStartupDialogPage(const COptionsContext& context, QWidget* parent)
    : COptionsSwitchesDialogPage(IDD, tr("Startup settings"),
                                 QStringLiteral("changingthestartupsettings.htm"), context, parent)
{
    AddSwitch(IDC_SHOW_SPLASH_SCREEN, tr("S&how splash screen on startup"),
              &CCordaLibrarianApp::GetStartupSettings, &CStartupSettings::GetShowSplashScreen,
              &CStartupSettings::SetShowSplashScreen);
    Body()->addStretch(1);
}

COptionsStartupDialogPage::~COptionsStartupDialogPage() = default;

// ---- System Tray

COptionsSystemTrayDialogPage::COptionsSystemTrayDialogPage(const COptionsContext& context, QWidget* parent)
    : COptionsSwitchesDialogPage(IDD, tr("System tray settings"),
                                 QStringLiteral("changingthesystemtraysettings.htm"), context, parent)
{
    m_pMinimize =
        AddSwitch(IDC_MINIMIZE_TO_SYSTEM_TRAY, tr("&Minimize to the system tray"),
                  &CCordaLibrarianApp::GetSystemTraySettings, &CSystemTraySettings::GetMinimizeToSystemTray,
                  &CSystemTraySettings::SetMinimizeToSystemTray);
    Body()->addStretch(1);
}

COptionsSystemTrayDialogPage::~COptionsSystemTrayDialogPage() = default;

bool COptionsSystemTrayDialogPage::SaveData()
{
    COptionsSwitchesDialogPage::SaveData();
    if (CMainFrame* frame = Frame()) {
        // Where the desktop has no notification area the icon cannot come; that is no error.
        if (m_pMinimize->isChecked())
            frame->AddTrayIcon();
        else
            frame->RemoveTrayIcon();
    }
    return true;
}

// ---- Check For Updates

COptionsCheckForUpdatesDialogPage::COptionsCheckForUpdatesDialogPage(const COptionsContext& context,
                                                                     QWidget* parent)
    : COptionsDialogPage(IDD, tr("Check for updates settings"),
                         QStringLiteral("thecheckforupdatesservice.htm"), context, parent)
{
    auto* urlLabel = new QLabel(tr("&Updates file URL:"), this);
    m_pURL = new CLinkComboBox(this);
    m_pURL->setObjectName(QString::number(IDC_UPDATES_URL));
    m_pURL->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pURL->setMinimumContentsLength(20);
    urlLabel->setBuddy(m_pURL);
    Body()->addWidget(urlLabel);
    Body()->addWidget(m_pURL);
    Body()->addSpacing(OptionsDialogUnitsToPixels(this, 0, 4).height());

    QHBoxLayout* row = AddRow();
    m_pReminder = new QCheckBox(tr("&Display a reminder to check for updates after:"), this);
    m_pReminder->setObjectName(QString::number(IDC_REMINDER));
    connect(m_pReminder, &QCheckBox::toggled, this, &COptionsDialogPage::UpdateControlStates);
    row->addWidget(m_pReminder);
    m_pDays = new COptionsNumberBox(MIN_DAYS, MAX_DAYS, this);
    m_pDays->setObjectName(QString::number(IDC_REMINDER_DAYS));
    m_pDays->setValue(DEFAULT_DAYS);
    SizeNumberField(m_pDays, 2);
    row->addWidget(m_pDays);
    m_pDaysLabel = AddRangeLabel(this, row, IDC_REMINDER_DAYS_RANGE, IDS_DAYS_RANGE, MIN_DAYS, MAX_DAYS);
    row->addStretch(1);
    Body()->addStretch(1);
}

COptionsCheckForUpdatesDialogPage::~COptionsCheckForUpdatesDialogPage() = default;

bool COptionsCheckForUpdatesDialogPage::LoadData()
{
    const CRegistryPath path = App().GetProductRegistryPath();
    m_pURL->setCurrentText(AfxGetProfileCheckForUpdatesURL(path));
    // The scheme and server matter most when the address is longer than the field.
    if (QLineEdit* edit = m_pURL->lineEdit())
        edit->setCursorPosition(0);
    const uint32_t days = AfxGetProfileCheckForUpdatesReminder(path);
    // A stored DWORD written as a negative number is no reminder either.
    const bool remind = static_cast<int32_t>(days) > 0;
    m_pReminder->setChecked(remind);
    m_pDays->setValue(remind && AfxIsValidCheckForUpdatesReminder(days) ? static_cast<int>(days)
                                                                        : DEFAULT_DAYS);
    return true;
}

bool COptionsCheckForUpdatesDialogPage::ValidateData(int&, QString&, QString& text, QRect& rect)
{
    if (!AfxIsValidURL(m_pURL->currentText().trimmed()))
        return RefuseControl(m_pURL, AfxLoadString(IDS_QV_VALIDATE_URL), text, rect);
    int days = 0;
    if (m_pReminder->isChecked() && !ParseNumber(m_pDays->text(), MIN_DAYS, MAX_DAYS, days))
        return RefuseNumber(m_pDays, MIN_DAYS, MAX_DAYS, text, rect);
    return true;
}

bool COptionsCheckForUpdatesDialogPage::SaveData()
{
    int days = 0;
    if (m_pReminder->isChecked() && !ParseNumber(m_pDays->text(), MIN_DAYS, MAX_DAYS, days))
        return false;
    const CRegistryPath path = App().GetProductRegistryPath();
    AfxWriteProfileCheckForUpdatesURL(path, m_pURL->currentText().trimmed());
    AfxWriteProfileCheckForUpdatesReminder(path, static_cast<uint32_t>(days));
    return true;
}

void COptionsCheckForUpdatesDialogPage::UpdateControlStates()
{
    const bool remind = m_pReminder->isChecked();
    m_pDays->setEnabled(remind);
    m_pDaysLabel->setEnabled(remind);
}
