#include "qvsystem/controls/QVPropertySheet.h"

#include "qvsystem/controls/QVHelpButton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int IDOK_CONTROL = 1;
constexpr int IDCANCEL_CONTROL = 2;

QPushButton* MakeButton(QWidget* parent, int id)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CQVPropertySheet::CQVPropertySheet(const QString& caption, QWidget* parent, int selectPage) : QDialog(parent)
{
    Build(caption, selectPage);
}

CQVPropertySheet::CQVPropertySheet(unsigned captionId, QWidget* parent, int selectPage) : QDialog(parent)
{
    Build(AfxLoadString(captionId), selectPage);
}

CQVPropertySheet::~CQVPropertySheet()
{
    m_idleTimer.stop();
}

void CQVPropertySheet::Build(const QString& caption, int selectPage)
{
    setWindowTitle(caption);
    m_nStartPage = selectPage;
    m_idleTimer.setInterval(IDLE_INTERVAL);
    connect(&m_idleTimer, &QTimer::timeout, this, &CQVPropertySheet::RunIdle);

    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(QString::number(IDC_QV_SHEET_TAB));
    m_pStack = new QStackedWidget(this);
    m_pStack->setVisible(false);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setVisible(false);
    m_pWizardLine = line;

    m_pOK = MakeButton(this, IDOK_CONTROL);
    m_pOK->setDefault(true);
    m_pCancel = MakeButton(this, IDCANCEL_CONTROL);
    m_pApply = MakeButton(this, IDC_QV_SHEET_APPLY);
    m_pApply->setEnabled(false);
    m_pHelp = new CQVHelpButton(this);
    m_pHelp->setObjectName(QString::number(IDC_QV_SHEET_HELP));
    m_pBack = MakeButton(this, IDC_QV_WIZARD_BACK);
    m_pNext = MakeButton(this, IDC_QV_WIZARD_NEXT);
    m_pFinish = MakeButton(this, IDC_QV_WIZARD_FINISH);

    connect(m_pOK, &QPushButton::clicked, this, &CQVPropertySheet::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CQVPropertySheet::reject);
    connect(m_pApply, &QPushButton::clicked, this, &CQVPropertySheet::ApplyChanges);
    connect(m_pHelp, &QPushButton::clicked, this, &CQVPropertySheet::OnHelp);
    connect(m_pBack, &QPushButton::clicked, this, &CQVPropertySheet::OnBack);
    connect(m_pNext, &QPushButton::clicked, this, &CQVPropertySheet::OnNext);
    connect(m_pFinish, &QPushButton::clicked, this, &CQVPropertySheet::OnFinish);
    connect(m_pTabs, &QTabWidget::currentChanged, this, &CQVPropertySheet::OnTabChanged);
}

void CQVPropertySheet::SetWizardMode(bool wizard)
{
    if (!m_bInitialized)
        m_bWizard = wizard;
}

void CQVPropertySheet::AddPage(QWidget* page)
{
    if (!page)
        return;
    m_pages.emplace_back(page);
    if (auto* qvPage = dynamic_cast<CQVPropertyPage*>(page))
        qvPage->m_pSheet = this;
    if (m_bInitialized) {
        if (m_bWizard)
            m_pStack->addWidget(page);
        else
            m_pTabs->addTab(page, page->windowTitle());
    } else {
        page->setParent(this);
        page->hide();
    }
}

QWidget* CQVPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[index].data() : nullptr;
}

CQVPropertyPage* CQVPropertySheet::GetQVPage(int index) const
{
    return dynamic_cast<CQVPropertyPage*>(GetPage(index));
}

QPushButton* CQVPropertySheet::GetButton(int id) const
{
    return findChild<QPushButton*>(QString::number(id));
}

bool CQVPropertySheet::IsOK() const
{
    for (int i = 0; i < GetPageCount(); ++i) {
        const CQVPropertyPage* page = GetQVPage(i);
        if (!page || !page->IsApplyOK())
            return false;
    }
    return true;
}

bool CQVPropertySheet::OnInitDialog()
{
    m_pOK->setText(AfxLoadString(IDS_QV_SHEET_OK));
    m_pCancel->setText(AfxLoadString(m_bWizard ? IDS_QV_WIZARD_CANCEL : IDS_QV_SHEET_CANCEL));
    m_pApply->setText(AfxLoadString(IDS_QV_SHEET_APPLY));
    m_pHelp->setText(AfxLoadString(IDS_QV_SHEET_HELP));
    m_pHelp->setToolTip(m_pHelp->text());
    m_pBack->setText(AfxLoadString(IDS_QV_WIZARD_BACK));
    m_pNext->setText(AfxLoadString(IDS_QV_WIZARD_NEXT));
    m_pFinish->setText(AfxLoadString(IDS_QV_WIZARD_FINISH));
    ArrangeButtons();

    m_bSwitching = true;
    for (const QPointer<QWidget>& page : m_pages) {
        if (!page)
            continue;
        if (m_bWizard)
            m_pStack->addWidget(page);
        else
            m_pTabs->addTab(page, page->windowTitle());
    }
    m_bSwitching = false;
    const int start = (m_nStartPage >= 0 && m_nStartPage < GetPageCount()) ? m_nStartPage : 0;
    if (GetPageCount() > 0)
        Activate(start);
    return true;
}

void CQVPropertySheet::ArrangeButtons()
{
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    // The help button sits at the left end, in line with the tab control's left edge.
    row->addWidget(m_pHelp);
    row->addStretch(1);
    if (m_bWizard) {
        layout->addWidget(m_pStack, 1);
        layout->addWidget(m_pWizardLine);
        m_pStack->setVisible(true);
        m_pWizardLine->setVisible(true);
        m_pTabs->setVisible(false);
        for (QPushButton* button : {m_pBack, m_pNext, m_pFinish, m_pCancel})
            row->addWidget(button);
        m_pOK->setVisible(false);
        m_pApply->setVisible(false);
        m_pNext->setDefault(true);
        setTabOrder(m_pStack, m_pHelp);
        setTabOrder(m_pHelp, m_pBack);
        setTabOrder(m_pBack, m_pNext);
        setTabOrder(m_pNext, m_pFinish);
        setTabOrder(m_pFinish, m_pCancel);
    } else {
        layout->addWidget(m_pTabs, 1);
        for (QPushButton* button : {m_pOK, m_pCancel, m_pApply})
            row->addWidget(button);
        for (QPushButton* button : {m_pBack, m_pNext, m_pFinish})
            button->setVisible(false);
        setTabOrder(m_pTabs, m_pHelp);
        setTabOrder(m_pHelp, m_pOK);
        setTabOrder(m_pOK, m_pCancel);
        setTabOrder(m_pCancel, m_pApply);
    }
    layout->addLayout(row);
}

bool CQVPropertySheet::Activate(int index)
{
    QWidget* page = GetPage(index);
    if (!page)
        return false;
    if (CQVPropertyPage* qvPage = GetQVPage(index))
        qvPage->InitDialog();
    const bool wasSwitching = m_bSwitching;
    m_bSwitching = true;
    if (m_bWizard)
        m_pStack->setCurrentWidget(page);
    else
        m_pTabs->setCurrentWidget(page);
    m_bSwitching = wasSwitching;
    m_nActive = index;
    if (CQVPropertyPage* qvPage = GetQVPage(index))
        qvPage->OnSetActive();
    if (m_bWizard)
        UpdateWizardButtons();
    return true;
}

bool CQVPropertySheet::SetActivePage(int index)
{
    if (!GetPage(index))
        return false;
    if (index == m_nActive)
        return true;
    if (!m_bInitialized) {
        m_nStartPage = index;
        return true;
    }
    CQVPropertyPage* current = GetActiveQVPage();
    if (!m_bWizard && current && !current->OnKillActive())
        return false;
    return Activate(index);
}

void CQVPropertySheet::OnTabChanged(int tabIndex)
{
    if (m_bSwitching)
        return;
    QWidget* target = m_pTabs->widget(tabIndex);
    int index = -1;
    for (int i = 0; i < GetPageCount(); ++i) {
        if (m_pages[i] == target)
            index = i;
    }
    // The tab control has switched already: go back to the page being left, ask it there
    // (so that a refusal's balloon points at a visible control), then go on if it agrees.
    if (QWidget* current = GetActivePage()) {
        m_bSwitching = true;
        m_pTabs->setCurrentWidget(current);
        m_bSwitching = false;
        CQVPropertyPage* qvPage = GetActiveQVPage();
        if (qvPage && !qvPage->OnKillActive())
            return;
    }
    Activate(index);
}

bool CQVPropertySheet::ApplyChanges()
{
    CQVPropertyPage* active = GetActiveQVPage();
    if (active && !m_bWizard && !active->OnKillActive())
        return false;
    // The active page first, then the others in order; only pages that were shown.
    std::vector<int> order;
    if (m_nActive >= 0)
        order.push_back(m_nActive);
    for (int i = 0; i < GetPageCount(); ++i) {
        if (i != m_nActive)
            order.push_back(i);
    }
    for (int index : order) {
        CQVPropertyPage* page = GetQVPage(index);
        if (!page || !page->IsLoaded())
            continue;
        if (index != m_nActive) {
            int icon = TTI_WARNING;
            QString caption;
            QString text;
            QRect rect;
            if (!page->ValidateData(icon, caption, text, rect))
                Activate(index); // so that its balloon points at a control the user sees
        }
        if (!page->OnApply())
            return false;
    }
    UpdateApplyButton();
    return true;
}

void CQVPropertySheet::UpdateApplyButton()
{
    bool modified = false;
    for (int i = 0; i < GetPageCount(); ++i) {
        if (const CQVPropertyPage* page = GetQVPage(i); page && page->IsModified())
            modified = true;
    }
    m_pApply->setEnabled(modified);
}

void CQVPropertySheet::SetWizardButtons(unsigned flags)
{
    m_pBack->setEnabled(flags & PSWIZB_BACK);
    const bool finish = flags & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH);
    m_pNext->setVisible(!finish);
    m_pNext->setEnabled(flags & PSWIZB_NEXT);
    m_pFinish->setVisible(finish);
    m_pFinish->setEnabled(flags & PSWIZB_FINISH);
    (finish ? m_pFinish : m_pNext)->setDefault(true);
}

void CQVPropertySheet::UpdateWizardButtons()
{
    unsigned flags = 0;
    if (m_nActive > 0)
        flags |= PSWIZB_BACK;
    flags |= (m_nActive + 1 < GetPageCount()) ? PSWIZB_NEXT : PSWIZB_FINISH;
    SetWizardButtons(flags);
}

void CQVPropertySheet::OnBack()
{
    CQVPropertyPage* page = GetActiveQVPage();
    if (page && page->OnWizardBack() == -1)
        return;
    if (m_nActive > 0)
        Activate(m_nActive - 1);
}

void CQVPropertySheet::OnNext()
{
    CQVPropertyPage* page = GetActiveQVPage();
    if (page && page->OnWizardNext() == -1)
        return;
    if (m_nActive + 1 < GetPageCount())
        Activate(m_nActive + 1);
}

void CQVPropertySheet::OnFinish()
{
    CQVPropertyPage* page = GetActiveQVPage();
    if (page && !page->OnWizardFinish())
        return;
    done(QDialog::Accepted);
}

void CQVPropertySheet::OnOK()
{
    if (ApplyChanges())
        QDialog::accept();
}

void CQVPropertySheet::OnCancel()
{
    QDialog::reject();
}

void CQVPropertySheet::OnHelp()
{
    if (CQVPropertyPage* page = GetActiveQVPage())
        page->OpenHelpTopic();
}

void CQVPropertySheet::OnIdle() {}

void CQVPropertySheet::RunIdle()
{
    const bool ok = IsOK();
    if (m_pOK->isEnabled() != ok)
        m_pOK->setEnabled(ok);
    OnIdle();
    if (CQVPropertyPage* page = GetActiveQVPage(); page && page->IsLoaded())
        page->RunIdle();
}

void CQVPropertySheet::FinishSheet()
{
    if (!m_bInitialized)
        return;
    m_bInitialized = false;
    m_idleTimer.stop();
    for (int i = 0; i < GetPageCount(); ++i) {
        if (CQVPropertyPage* page = GetQVPage(i))
            page->FinishPage();
    }
}

void CQVPropertySheet::accept()
{
    if (!m_bInitialized)
        return;
    if (m_bWizard)
        OnFinish();
    else
        OnOK();
}

void CQVPropertySheet::reject()
{
    if (!m_bInitialized)
        return;
    OnCancel();
}

void CQVPropertySheet::done(int result)
{
    FinishSheet();
    QDialog::done(result);
}

void CQVPropertySheet::setVisible(bool visible)
{
    if (visible && !m_bInitialized && !m_bBuilt) {
        m_bInitialized = true;
        m_bBuilt = true;
        OnInitDialog();
    } else if (visible && !m_bInitialized) {
        // Shown again after it was done: the pages are in place; start their sessions anew.
        m_bInitialized = true;
        for (int i = 0; i < GetPageCount(); ++i) {
            if (CQVPropertyPage* page = GetQVPage(i))
                page->SetLoaded(false);
        }
        Activate(m_nActive >= 0 ? m_nActive : 0);
    }
    QDialog::setVisible(visible);
}

void CQVPropertySheet::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        if (!(event->modifiers() & Qt::ShiftModifier))
            OnHelp();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CQVPropertySheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RunIdle();
    m_idleTimer.start();
}

void CQVPropertySheet::hideEvent(QHideEvent* event)
{
    m_idleTimer.stop();
    QDialog::hideEvent(event);
}
