#pragma once
// A property sheet (tabbed pages) or wizard (one page at a time with Back / Next / Finish)
// whose pages are CQVPropertyPages.
//
// Buttons carry their ids as object names: OK 1, Cancel 2, Help 9, Apply 12321, Back 12323,
// Next 12324, Finish 12325; the tab control is 12320. Outside a wizard the row is Help (a
// narrow question-mark button at the left end, aligned with the tab control), then OK,
// Cancel and Apply at the right; in a wizard Back, Next (or Finish on the last page) and
// Cancel. The texts come from qvsystem's string table.
//
// OK is enabled at idle time while every page's IsApplyOK holds (a page of another class
// makes it fail). Switching tabs asks the active page's OnKillActive and stays when it
// refuses. Apply and OK validate and save every page that was shown, the active one first;
// the first failure makes its page active and shows its balloon. F1 and Help open the active
// page's help topic; Shift+F1 does nothing.

#include "qvsystem/controls/QVPropertyPage.h"
#include "qvsystem/qvsystem_export.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <vector>

class QPushButton;
class QStackedWidget;
class QTabWidget;

inline constexpr int IDC_QV_SHEET_HELP = 9;
inline constexpr int IDC_QV_SHEET_TAB = 12320;
inline constexpr int IDC_QV_SHEET_APPLY = 12321;
inline constexpr int IDC_QV_WIZARD_BACK = 12323;
inline constexpr int IDC_QV_WIZARD_NEXT = 12324;
inline constexpr int IDC_QV_WIZARD_FINISH = 12325;

// Wizard buttons (the platform's values).
inline constexpr unsigned PSWIZB_BACK = 0x1;
inline constexpr unsigned PSWIZB_NEXT = 0x2;
inline constexpr unsigned PSWIZB_FINISH = 0x4;
inline constexpr unsigned PSWIZB_DISABLEDFINISH = 0x8;

class QVSYSTEM_EXPORT CQVPropertySheet : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDLE_INTERVAL = 100; // milliseconds

    explicit CQVPropertySheet(const QString& caption, QWidget* parent = nullptr, int selectPage = 0);
    explicit CQVPropertySheet(unsigned captionId, QWidget* parent = nullptr, int selectPage = 0);
    ~CQVPropertySheet() override;

    // True when OK may be enabled: every page's IsApplyOK (true without pages).
    virtual bool IsOK() const;

    // Before the sheet is shown. The sheet takes ownership of the page.
    void SetWizardMode(bool wizard = true);
    bool IsWizard() const { return m_bWizard; }
    void AddPage(QWidget* page);

    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    QWidget* GetPage(int index) const;
    // The page as a CQVPropertyPage; null for a page of another class.
    CQVPropertyPage* GetQVPage(int index) const;
    int GetActiveIndex() const { return m_nActive; }
    QWidget* GetActivePage() const { return GetPage(m_nActive); }
    CQVPropertyPage* GetActiveQVPage() const { return GetQVPage(m_nActive); }
    // Makes the page active; outside a wizard the active page may refuse (false).
    bool SetActivePage(int index);

    // Validates and saves every page that was shown; false at the first failure.
    bool ApplyChanges();
    void SetWizardButtons(unsigned flags);
    // A page's modified state changed: Apply follows.
    void UpdateApplyButton();

    QPushButton* GetButton(int id) const;
    QTabWidget* GetTabControl() const { return m_pTabs; }

    void accept() override;
    void reject() override;
    void done(int result) override;
    void setVisible(bool visible) override;

protected:
    // Once, before the sheet is first shown: button texts and arrangement, the start page.
    // Shown again after it was done, the sheet starts the pages' sessions anew (their
    // OnInitDialog runs again) on the page that was active.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnHelp();
    virtual void OnIdle();

    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Build(const QString& caption, int selectPage);
    void OnTabChanged(int index);
    void OnBack();
    void OnNext();
    void OnFinish();
    void RunIdle();
    bool Activate(int index);
    void UpdateWizardButtons();
    void FinishSheet();
    void ArrangeButtons();

    bool m_bWizard = false;
    bool m_bInitialized = false;
    bool m_bBuilt = false;
    bool m_bSwitching = false;
    int m_nActive = -1;
    int m_nStartPage = 0;
    std::vector<QPointer<QWidget>> m_pages;
    QTabWidget* m_pTabs = nullptr;
    QStackedWidget* m_pStack = nullptr;
    QWidget* m_pWizardLine = nullptr;
    QPushButton* m_pOK = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pApply = nullptr;
    QPushButton* m_pHelp = nullptr;
    QPushButton* m_pBack = nullptr;
    QPushButton* m_pNext = nullptr;
    QPushButton* m_pFinish = nullptr;
    QTimer m_idleTimer;
};
