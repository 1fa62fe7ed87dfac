#include "qvsystem/controls/QVPropertyPage.h"

#include "qvsystem/controls/QVPropertySheet.h"

#include <QEvent>

CQVPropertyPage::CQVPropertyPage(unsigned templateId, unsigned captionId, QWidget* parent)
    : QWidget(parent), CQVDialogCommon(this), m_nTemplateID(templateId)
{
    QString caption;
    if (captionId != 0 && AfxLoadString(captionId, caption))
        setWindowTitle(caption);
}

CQVPropertyPage::~CQVPropertyPage() = default;

bool CQVPropertyPage::IsApplyOK() const
{
    return true;
}

bool CQVPropertyPage::OnInitDialog()
{
    UpdateFonts(nullptr);
    CreateValidationToolTipWindow();
    LoadStateControls();
    SetLoaded(true);
    return true;
}

bool CQVPropertyPage::InitDialog()
{
    if (m_bLoaded)
        return false;
    BeginStateSession();
    OnInitDialog();
    m_bLoaded = true;
    return true;
}

bool CQVPropertyPage::OnApply()
{
    if (!ValidateAndSaveData())
        return false;
    SetModified(false);
    return true;
}

bool CQVPropertyPage::OnKillActive()
{
    if (m_pSheet && m_pSheet->IsWizard())
        return true;
    int icon = TTI_WARNING;
    QString caption = AfxLoadString(IDS_QV_VALIDATION_ERROR);
    QString text;
    QRect rect;
    if (ValidateData(icon, caption, text, rect))
        return true;
    ShowValidationErrorMessage(icon, caption, text, rect);
    return false;
}

bool CQVPropertyPage::OnSetActive()
{
    return true;
}

int CQVPropertyPage::OnWizardBack()
{
    return ValidateAndSaveData() ? 0 : -1;
}

int CQVPropertyPage::OnWizardNext()
{
    return ValidateAndSaveData() ? 0 : -1;
}

bool CQVPropertyPage::OnWizardFinish()
{
    return ValidateAndSaveData();
}

void CQVPropertyPage::SetModified(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    if (m_pSheet)
        m_pSheet->UpdateApplyButton();
}

bool CQVPropertyPage::ClosePropertySheet()
{
    if (!m_pSheet || !IsApplyOK())
        return false;
    // Closing after a refused Apply would throw the user's entries away.
    if (!OnApply())
        return false;
    m_pSheet->done(QDialog::Accepted);
    return true;
}

void CQVPropertyPage::hideEvent(QHideEvent* event)
{
    HideValidationErrorMessage();
    QWidget::hideEvent(event);
}

void CQVPropertyPage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_bLoaded)
        UpdateFonts(nullptr);
}
