#include "cordalib/ui/OptionsDialogPage.h"

#include "qvsystem/controls/GroupHeaderCtrl.h"
#include "qvsystem/platform/StringTable.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Controls sit this many dialog units in from the heading's left end.
constexpr int BODY_INDENT_UNITS = 7;

} // namespace

QSize OptionsDialogUnitsToPixels(const QWidget* widget, int horizontalUnits, int verticalUnits)
{
    const QFontMetrics metrics = widget ? widget->fontMetrics() : QFontMetrics(QFont());
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // The average width of the letters, rounded as the platform's dialog units round it.
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return QSize(horizontalUnits * baseX / 4, verticalUnits * baseY / 8);
}

// ---- COptionsNumberBox

COptionsNumberBox::COptionsNumberBox(int minimum, int maximum, QWidget* parent)
    : QSpinBox(parent), m_nMinimum(minimum), m_nMaximum(maximum)
{
    // The validator takes any number of up to MAX_DIGITS digits; the range is OK's business.
    setRange(0, 999999);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setAccelerated(true);
    setValue(minimum);
    if (QLineEdit* edit = lineEdit())
        edit->setMaxLength(MAX_DIGITS);
}

COptionsNumberBox::~COptionsNumberBox() = default;

void COptionsNumberBox::stepBy(int steps)
{
    const int current = text().trimmed().isEmpty() ? m_nMinimum : value();
    const long long next =
        std::clamp<long long>(static_cast<long long>(current) + steps, m_nMinimum, m_nMaximum);
    setValue(static_cast<int>(next));
    selectAll();
}

QAbstractSpinBox::StepEnabled COptionsNumberBox::stepEnabled() const
{
    if (isReadOnly() || !isEnabled())
        return StepNone;
    StepEnabled enabled = StepNone;
    if (value() < m_nMaximum)
        enabled |= StepUpEnabled;
    if (value() > m_nMinimum)
        enabled |= StepDownEnabled;
    return enabled;
}

// ---- COptionsDialogPage

COptionsDialogPage::COptionsDialogPage(unsigned templateId, const QString& heading, const QString& helpTopic,
                                       const COptionsContext& context, QWidget* parent)
    : CQVDialog(templateId, parent), m_strHelpTopic(helpTopic), m_context(context)
{
    setObjectName(QString::number(templateId));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(OptionsDialogUnitsToPixels(this, 0, 6).height());
    m_pHeading = new CGroupHeaderCtrl(heading, this);
    layout->addWidget(m_pHeading);
    auto* indented = new QHBoxLayout;
    indented->setContentsMargins(OptionsDialogUnitsToPixels(this, BODY_INDENT_UNITS, 0).width(), 0, 0, 0);
    m_pBody = new QVBoxLayout;
    m_pBody->setContentsMargins(0, 0, 0, 0);
    m_pBody->setSpacing(OptionsDialogUnitsToPixels(this, 0, 5).height());
    indented->addLayout(m_pBody, 1);
    layout->addLayout(indented, 1);
    setMinimumSize(OptionsDialogUnitsToPixels(this, PAGE_WIDTH_UNITS, PAGE_HEIGHT_UNITS));
}

COptionsDialogPage::~COptionsDialogPage() = default;

bool COptionsDialogPage::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    LoadData();
    UpdateControlStates();
    return true;
}

void COptionsDialogPage::OnIdle()
{
    UpdateControlStates();
}

void COptionsDialogPage::UpdateControlStates() {}

bool COptionsDialogPage::ParseNumber(const QString& text, int minimum, int maximum, int& value)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    const int number = digits.toInt();
    if (number < minimum || number > maximum)
        return false;
    value = number;
    return true;
}

QCheckBox* COptionsDialogPage::AddCheckBox(int id, const QString& text)
{
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::number(id));
    connect(box, &QCheckBox::toggled, this, &COptionsDialogPage::UpdateControlStates);
    m_pBody->addWidget(box);
    return box;
}

QHBoxLayout* COptionsDialogPage::AddRow()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(OptionsDialogUnitsToPixels(this, 4, 0).width());
    m_pBody->addLayout(row);
    return row;
}

bool COptionsDialogPage::RefuseNumber(QWidget* control, int minimum, int maximum, QString& text, QRect& rect)
{
    return RefuseControl(
        control, AfxFormatMessage(AfxLoadString(IDS_QV_VALIDATE_NUMBER_RANGE), minimum, maximum), text, rect);
}

bool COptionsDialogPage::RefuseControl(QWidget* control, const QString& message, QString& text, QRect& rect)
{
    text = message;
    rect = AfxGetScreenRect(control);
    if (control) {
        control->setFocus();
        if (auto* box = qobject_cast<QAbstractSpinBox*>(control))
            box->selectAll();
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
    return false;
}
