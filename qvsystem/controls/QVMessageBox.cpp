#include "qvsystem/controls/QVMessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpacerItem>

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

// Defined with the message-box functions: the hooks the Help button reaches.
bool QVMessageBoxHasHelpContextHandler();
void QVMessageBoxCallHelpContextHandler(unsigned helpContext);

namespace {

CQVMessageBox* g_activeBox = nullptr;
std::deque<std::function<void(CQVMessageBox&)>> g_pendingActions;

// The box's labels are plain text; a Windows line break is one line break here.
QString ToDisplayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

constexpr int NO_ICON_MARGIN = 11;

} // namespace

CQVMessageBox::CQVMessageBox(QWidget* parent) : QMessageBox(parent)
{
    setTextFormat(Qt::PlainText);
    const QString title = QGuiApplication::applicationDisplayName();
    setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
}

CQVMessageBox::~CQVMessageBox()
{
    if (g_activeBox == this)
        g_activeBox = m_pPreviousActive;
}

void CQVMessageBox::SetHeading(const QString& heading)
{
    m_bHasHeading = !heading.isNull();
    m_strHeading = heading;
}

void CQVMessageBox::SetCheckBox(const QString& text, int initialState)
{
    m_bHasCheckBox = true;
    m_strCheckBoxText = text;
    m_nCheckState = initialState == 1 ? 1 : 0;
}

void CQVMessageBox::SetHelpTarget(const QString& helpTarget)
{
    m_strHelpTarget = helpTarget;
}

void CQVMessageBox::SetHelpContext(unsigned helpContext)
{
    m_nHelpContext = helpContext;
}

CQVMessageBox* CQVMessageBox::GetActive()
{
    return g_activeBox;
}

void CQVMessageBox::OnNextShown(std::function<void(CQVMessageBox&)> action)
{
    if (action)
        g_pendingActions.push_back(std::move(action));
}

int CQVMessageBox::ResultFromButton(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Abort:
        return IDABORT;
    case QMessageBox::Retry:
        return IDRETRY;
    case QMessageBox::Ignore:
        return IDIGNORE;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return 0;
    }
}

int CQVMessageBox::DoModal(const QString& text, unsigned type)
{
    m_nType = type;
    setText(ToDisplayText(text));
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        setIcon(QMessageBox::Warning);
        break;
    case MB_ICONASTERISK:
        setIcon(QMessageBox::Information);
        break;
    default:
        setIcon(QMessageBox::NoIcon);
        break;
    }
    SetUpButtons(type);

    m_boldFont = font();
    m_boldFont.setBold(true);
    if (m_bHasHeading && !m_pHeading) {
        m_pHeading = new QLabel(this);
        m_pHeading->setObjectName(QString::number(IDC_QV_MESSAGEBOX_HEADING));
        m_pHeading->setTextFormat(Qt::PlainText);
        m_pHeading->setWordWrap(false);
        m_pHeading->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_pHeading->setFont(m_boldFont);
        QString heading = ToDisplayText(m_strHeading);
        heading.replace(QLatin1Char('\n'), QLatin1Char(' '));
        m_pHeading->setText(heading);
    }
    if (m_bHasCheckBox && !m_pCheckBox) {
        auto* checkBox = new QCheckBox(ToDisplayText(m_strCheckBoxText), this);
        checkBox->setObjectName(QString::number(IDC_QV_MESSAGEBOX_CHECKBOX));
        checkBox->setChecked(m_nCheckState == 1);
        connect(checkBox, &QCheckBox::toggled, this,
                [this](bool checked) { m_nCheckState = checked ? 1 : 0; });
        // The box keeps it in its own layout too, should it rebuild that layout.
        setCheckBox(checkBox);
        m_pCheckBox = checkBox;
    }

    m_pPreviousActive = g_activeBox;
    g_activeBox = this;
    QAbstractButton* clicked = nullptr;
    for (;;) {
        exec();
        clicked = clickedButton();
        // Only when the box could not keep the Help button from closing it: answer the
        // help request and show the box again.
        if (clicked && clicked == m_pHelpButton) {
            ShowHelp();
            continue;
        }
        break;
    }
    g_activeBox = m_pPreviousActive;
    m_pPreviousActive = nullptr;
    if (m_pCheckBox)
        m_nCheckState = m_pCheckBox->isChecked() ? 1 : 0;
    return clicked ? ResultFromButton(standardButton(clicked)) : 0;
}

void CQVMessageBox::SetUpButtons(unsigned type)
{
    std::vector<QMessageBox::StandardButton> buttons;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {QMessageBox::Ok, QMessageBox::Cancel};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        break;
    case MB_YESNOCANCEL:
        buttons = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        break;
    case MB_YESNO:
        buttons = {QMessageBox::Yes, QMessageBox::No};
        break;
    case MB_RETRYCANCEL:
        buttons = {QMessageBox::Retry, QMessageBox::Cancel};
        break;
    default:
        buttons = {QMessageBox::Ok};
        break;
    }
    // A Help button that could do nothing is left out.
    const bool help = (type & MB_HELP) != 0 && (!m_strHelpTarget.isEmpty() ||
                                                (m_nHelpContext != 0 && QVMessageBoxHasHelpContextHandler()));
    if (help)
        buttons.push_back(QMessageBox::Help);

    QMessageBox::StandardButtons set;
    for (QMessageBox::StandardButton button : buttons)
        set |= button;
    setStandardButtons(set);

    // The n-th button in the order above is the default; a default past the last button
    // falls back to the first, as the Windows box does.
    const size_t defaultIndex = (type & MB_DEFMASK) >> 8;
    setDefaultButton(defaultIndex < buttons.size() ? buttons[defaultIndex] : buttons.front());

    if (set & QMessageBox::Cancel)
        setEscapeButton(QMessageBox::Cancel);
    else if (buttons.size() == 1 || (help && buttons.size() == 2))
        setEscapeButton(buttons.front());

    m_pHelpButton = help ? button(QMessageBox::Help) : nullptr;
    if (help) {
        // QMessageBox closes on every button; Help must leave the box open. The box's own
        // handler is called for every other button.
        auto* box = findChild<QDialogButtonBox*>(QStringLiteral("qt_msgbox_buttonbox"));
        if (box && !m_bOwnButtonDispatch &&
            disconnect(box, SIGNAL(clicked(QAbstractButton*)), this,
                       SLOT(_q_buttonClicked(QAbstractButton*)))) {
            m_bOwnButtonDispatch = true;
            connect(box, &QDialogButtonBox::clicked, this, &CQVMessageBox::OnButtonClicked);
        }
        auto* shortcut = new QShortcut(QKeySequence::HelpContents, this);
        connect(shortcut, &QShortcut::activated, this, &CQVMessageBox::ShowHelp);
    }
}

void CQVMessageBox::OnButtonClicked(QAbstractButton* clickedButton)
{
    if (clickedButton && clickedButton == m_pHelpButton) {
        ShowHelp();
        return;
    }
    if (!QMetaObject::invokeMethod(this, "_q_buttonClicked", Qt::DirectConnection,
                                   Q_ARG(QAbstractButton*, clickedButton))) {
        // Should the box's handler ever be unreachable, end the box with the button's answer.
        done(standardButton(clickedButton));
    }
}

void CQVMessageBox::ShowHelp()
{
    if (!m_strHelpTarget.isEmpty())
        AfxOpenHelpTarget(m_strHelpTarget);
    else if (m_nHelpContext != 0)
        QVMessageBoxCallHelpContextHandler(m_nHelpContext);
}

bool CQVMessageBox::CanEscape() const
{
    // As on Windows, Escape and the close button answer only where the box has a Cancel
    // button or a single answer; Yes/No and Abort/Retry/Ignore need a real choice.
    const unsigned set = m_nType & MB_TYPEMASK;
    return set != MB_YESNO && set != MB_ABORTRETRYIGNORE;
}

void CQVMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel) && !CanEscape()) {
        event->accept();
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void CQVMessageBox::closeEvent(QCloseEvent* event)
{
    if (!CanEscape()) {
        event->ignore();
        return;
    }
    QMessageBox::closeEvent(event);
}

void CQVMessageBox::showEvent(QShowEvent* event)
{
    ArrangeAdditions();
    QMessageBox::showEvent(event);
    if (!g_pendingActions.empty()) {
        auto action = std::move(g_pendingActions.front());
        g_pendingActions.pop_front();
        QMetaObject::invokeMethod(
            this, [this, action = std::move(action)]() { action(*this); }, Qt::QueuedConnection);
    }
}

// Rebuilds the box's grid with the additions: the heading above the text in the text's
// column, level with the icon's top; the check box under the text at the left margin,
// spanning the box; the buttons, centred, below. The box then sizes itself from the grid's
// minimum width, which is how it widens for a long heading or check box text.
void CQVMessageBox::ArrangeAdditions()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid || (m_pHeading && grid->indexOf(m_pHeading.data()) >= 0))
        return;
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"), Qt::FindDirectChildrenOnly);
    auto* iconLabel =
        findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"), Qt::FindDirectChildrenOnly);
    auto* informative =
        findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"), Qt::FindDirectChildrenOnly);
    auto* buttons =
        findChild<QDialogButtonBox*>(QStringLiteral("qt_msgbox_buttonbox"), Qt::FindDirectChildrenOnly);
    if (!label || !buttons)
        return;
    const bool hasIcon = iconLabel && icon() != QMessageBox::NoIcon;

    // Empty the grid, keeping every widget that is not one of ours or the box's known ones.
    std::vector<QWidget*> others;
    while (grid->count() > 0) {
        QLayoutItem* item = grid->takeAt(0);
        QWidget* widget = item->widget();
        if (widget && widget != label && widget != iconLabel && widget != informative && widget != buttons &&
            widget != m_pHeading && widget != m_pCheckBox)
            others.push_back(widget);
        delete item;
    }

    const int textColumn = hasIcon ? 2 : 0;
    const int columns = textColumn + 1;
    int row = 0;
    if (m_pHeading) {
        // One line of the bold font between the heading and the text.
        const int gap = QFontMetrics(m_boldFont).lineSpacing() - std::max(0, grid->verticalSpacing());
        m_pHeading->setContentsMargins(0, 0, 0, std::max(0, gap));
        grid->addWidget(m_pHeading, row++, textColumn);
    }
    grid->addWidget(label, row++, textColumn);
    if (informative && !informative->text().isEmpty())
        grid->addWidget(informative, row++, textColumn);
    if (hasIcon) {
        grid->addWidget(iconLabel, 0, 0, row, 1, Qt::AlignTop);
        grid->addItem(new QSpacerItem(7, 1, QSizePolicy::Fixed, QSizePolicy::Fixed), 0, 1, row, 1);
        iconLabel->setVisible(true);
    } else if (iconLabel) {
        iconLabel->setVisible(false);
    }
    for (QWidget* widget : others)
        grid->addWidget(widget, row++, 0, 1, columns);
    if (m_pCheckBox) {
        grid->addWidget(m_pCheckBox, row++, 0, 1, columns);
        grid->addItem(new QSpacerItem(1, 7, QSizePolicy::Fixed, QSizePolicy::Fixed), row++, 0);
    }
    grid->addWidget(buttons, row++, 0, 1, columns);
    if (!hasIcon)
        grid->setContentsMargins(NO_ICON_MARGIN, NO_ICON_MARGIN, NO_ICON_MARGIN, NO_ICON_MARGIN);
    buttons->setCenterButtons(true);
    grid->invalidate();
}
