#include "qvsystem/controls/QVDialog.h"

#include "qvsystem/controls/QVDialogPageTreeCtrl.h"
#include "qvsystem/controls/QVHelpButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int IDOK_CONTROL = 1;
constexpr int IDCANCEL_CONTROL = 2;

// The nearest dialog or page around the widget, or its window.
const QWidget* DialogOf(const QWidget* widget)
{
    for (const QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (parent->isWindow() || dynamic_cast<const CQVDialogCommon*>(parent))
            return parent;
    }
    return nullptr;
}

} // namespace

CQVDialog::CQVDialog(unsigned templateId, QWidget* parent)
    : QDialog(parent), CQVDialogCommon(this), m_nTemplateID(templateId)
{
    m_idleTimer.setInterval(IDLE_INTERVAL);
    connect(&m_idleTimer, &QTimer::timeout, this, &CQVDialog::RunIdle);
}

CQVDialog::~CQVDialog()
{
    // The derived part is gone: what can still be done is to give the owner back and end
    // the pages embedded in this dialog, which are whole until the base destructor runs.
    m_idleTimer.stop();
    if (m_bInitialized) {
        m_bInitialized = false;
        ReEnableParent();
        DestroyValidationToolTipWindow();
        for (QWidget* widget : findChildren<QWidget*>()) {
            if (CQVDialog* page = qobject_cast<CQVDialog*>(widget); page && page->m_bInitialized)
                page->FinishDialog();
        }
    }
}

unsigned CQVDialog::GetTemplateID() const
{
    return m_nTemplateID;
}

bool CQVDialog::IsOK() const
{
    return true;
}

void CQVDialog::GetDialogPageTreeCtrls(std::vector<CQVDialogPageTreeCtrl*>&) const {}

bool CQVDialog::OnInitDialog()
{
    UpdateDialogControls();
    if (m_nCaptionID != 0) {
        QString caption;
        if (AfxLoadString(m_nCaptionID, caption))
            setWindowTitle(caption);
    }
    WireButtons();
    UpdateFonts(nullptr);
    CreateValidationToolTipWindow();
    LoadStateControls();
    UpdateDialogControls();
    return true;
}

void CQVDialog::OnOK()
{
    if (ValidateAndSaveData())
        QDialog::accept();
}

void CQVDialog::OnCancel()
{
    QDialog::reject();
}

void CQVDialog::OnHelp()
{
    OpenHelpTopic();
}

bool CQVDialog::InitDialog()
{
    if (m_bInitialized)
        return false;
    m_bInitialized = true;
    BeginStateSession();
    OnInitDialog();
    return true;
}

bool CQVDialog::DestroyWindow()
{
    const bool wasInitialized = m_bInitialized;
    FinishDialog();
    hide();
    return wasInitialized;
}

void CQVDialog::FinishDialog()
{
    if (!m_bInitialized)
        return;
    m_bInitialized = false;
    m_idleTimer.stop();
    if (m_bProgressStyle)
        ReEnableParent();
    EndStateSession();
}

bool CQVDialog::BelongsToThisDialog(const QWidget* widget) const
{
    return widget && DialogOf(widget) == this;
}

void CQVDialog::WireButtons()
{
    // Connections are unique, so a second showing of the same dialog does not double them.
    m_pHelpButton = GetDlgItem<QAbstractButton>(IDC_QV_HELP_BUTTON);
    if (m_pHelpButton)
        connect(m_pHelpButton, &QAbstractButton::clicked, this, &CQVDialog::OnHelp, Qt::UniqueConnection);
    m_pHelpSeparator = GetDlgItem(IDC_QV_HELP_SEPARATOR);

    for (QDialogButtonBox* box : findChildren<QDialogButtonBox*>()) {
        if (!BelongsToThisDialog(box))
            continue;
        connect(box, &QDialogButtonBox::accepted, this, &CQVDialog::accept, Qt::UniqueConnection);
        connect(box, &QDialogButtonBox::rejected, this, &CQVDialog::reject, Qt::UniqueConnection);
        connect(box, &QDialogButtonBox::helpRequested, this, &CQVDialog::OnHelp, Qt::UniqueConnection);
    }
    auto outsideBox = [](QAbstractButton* button) {
        return button && !qobject_cast<QDialogButtonBox*>(button->parentWidget());
    };
    if (QAbstractButton* ok = GetDlgItem<QAbstractButton>(IDOK_CONTROL); outsideBox(ok))
        connect(ok, &QAbstractButton::clicked, this, &CQVDialog::accept, Qt::UniqueConnection);
    if (QAbstractButton* cancel = GetDlgItem<QAbstractButton>(IDCANCEL_CONTROL); outsideBox(cancel))
        connect(cancel, &QAbstractButton::clicked, this, &CQVDialog::reject, Qt::UniqueConnection);
}

void CQVDialog::ShowHelpButton(bool show)
{
    if (QWidget* button = m_pHelpButton ? m_pHelpButton.data() : GetDlgItem(IDC_QV_HELP_BUTTON))
        button->setVisible(show);
}

QPushButton* CQVDialog::CreateHelpButton(QWidget* parent)
{
    auto* button = new CQVHelpButton(parent);
    button->setObjectName(QString::number(IDC_QV_HELP_BUTTON));
    const QString text = AfxLoadString(IDS_QV_SHEET_HELP);
    button->setText(text);
    button->setToolTip(text);
    return button;
}

QFrame* CQVDialog::CreateHelpSeparator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::number(IDC_QV_HELP_SEPARATOR));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void CQVDialog::UpdateDialogControls()
{
    if (QWidget* ok = GetDlgItem(IDOK_CONTROL)) {
        const bool enable = IsOK();
        if (ok->isEnabled() != enable)
            ok->setEnabled(enable);
    }
}

void CQVDialog::RunIdle()
{
    UpdateDialogControls();
    OnIdle();
    std::vector<CQVDialogPageTreeCtrl*> trees;
    GetDialogPageTreeCtrls(trees);
    for (CQVDialogPageTreeCtrl* tree : trees) {
        if (CQVDialog* page = tree ? tree->GetCurrentDialogPage() : nullptr; page && page->IsInitialized())
            page->RunIdle();
    }
}

bool CQVDialog::CreateProgressStyle(QWidget* parent)
{
    QWidget* owner = parent ? parent->window() : nullptr;
    if (owner == this)
        return false;
    m_pOwner = owner;
    if (parent && parentWidget() != parent)
        setParent(parent, windowFlags() | Qt::Dialog);
    setModal(false);
    setWindowModality(Qt::NonModal);
    m_bProgressStyle = true;
    InitDialog();
    adjustSize();
    CenterOverOwner();
    return true;
}

void CQVDialog::ShowProgressStyle()
{
    DisableParent();
    setEnabled(true);
    CenterOverOwner();
    show();
    raise();
}

void CQVDialog::HideProgressStyle()
{
    ReEnableParent();
    hide();
}

void CQVDialog::DisableParent()
{
    if (m_pOwner && m_pOwner->isEnabled()) {
        m_pOwner->setEnabled(false);
        m_bOwnerDisabled = true;
        // Disabling the owner disables its child windows too; this one stays usable.
        setEnabled(true);
    }
}

void CQVDialog::ReEnableParent()
{
    if (m_bOwnerDisabled) {
        m_bOwnerDisabled = false;
        if (m_pOwner)
            m_pOwner->setEnabled(true);
    }
}

void CQVDialog::PumpMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CQVDialog::CenterOverOwner()
{
    const QRect area =
        m_pOwner ? m_pOwner->frameGeometry() : (screen() ? screen()->availableGeometry() : QRect(0, 0, 0, 0));
    if (area.isEmpty())
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void CQVDialog::accept()
{
    // Once the dialog is done (or before it ran) a late OK must not save again.
    if (!m_bInitialized)
        return;
    OnOK();
}

void CQVDialog::reject()
{
    if (!m_bInitialized)
        return;
    OnCancel();
}

void CQVDialog::done(int result)
{
    FinishDialog();
    QDialog::done(result);
}

void CQVDialog::setVisible(bool visible)
{
    if (visible && !m_bInitialized)
        InitDialog();
    QDialog::setVisible(visible);
}

bool CQVDialog::event(QEvent* event)
{
    if (event->type() == QEvent::DeferredDelete)
        FinishDialog();
    return QDialog::event(event);
}

void CQVDialog::keyPressEvent(QKeyEvent* event)
{
    if (!isWindow()) {
        // An embedded page: the dialog around it answers F1, Enter and Escape.
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        if (!(event->modifiers() & Qt::ShiftModifier))
            OnHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CQVDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (isWindow()) {
        UpdateDialogControls();
        m_idleTimer.start();
    }
}

void CQVDialog::hideEvent(QHideEvent* event)
{
    m_idleTimer.stop();
    HideValidationErrorMessage();
    QDialog::hideEvent(event);
}

void CQVDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_bInitialized)
        UpdateFonts(nullptr);
}
