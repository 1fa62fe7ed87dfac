#pragma once
// A page of a CQVPropertySheet, with the life cycle of the library's dialogs: the page is
// initialised when the sheet first shows it (OnInitDialog, where a derived page calls
// LoadData after CQVPropertyPage::OnInitDialog), validated when the user leaves it (outside
// wizards), validated and saved on Apply, OK, Back, Next and Finish, and its list-control and
// auto-complete state is saved when the sheet is done. The tab shows the page's window
// title (set from the caption id given to the constructor).

#include "qvsystem/controls/QVDialogCommon.h"
#include "qvsystem/qvsystem_export.h"

#include <QWidget>

class CQVPropertySheet;

class QVSYSTEM_EXPORT CQVPropertyPage : public QWidget, public CQVDialogCommon {
    Q_OBJECT

public:
    explicit CQVPropertyPage(unsigned templateId = 0, unsigned captionId = 0, QWidget* parent = nullptr);
    ~CQVPropertyPage() override;

    // ---- Operations that derived pages override ----

    // True when the sheet's OK may be enabled as far as this page is concerned.
    virtual bool IsApplyOK() const;
    // The base creates the balloon, sets the fonts, loads the list-control state and marks
    // the page loaded.
    virtual bool OnInitDialog();
    // ValidateAndSaveData; on success the page is no longer modified.
    virtual bool OnApply();
    // Outside a wizard: ValidateData, with the balloon and false on failure (the page stays).
    // In a wizard: true.
    virtual bool OnKillActive();
    // After the page became the active one.
    virtual bool OnSetActive();
    // ValidateAndSaveData first: -1 (stay) on failure, else 0 (go to the adjacent page).
    virtual int OnWizardBack();
    virtual int OnWizardNext();
    // ValidateAndSaveData; false keeps the wizard open.
    virtual bool OnWizardFinish();

    unsigned GetTemplateID() const { return m_nTemplateID; }

    // Runs OnInitDialog once; false when the page is already loaded.
    bool InitDialog();
    bool IsLoaded() const { return m_bLoaded; }
    void SetLoaded(bool loaded) { m_bLoaded = loaded; }

    // Modified pages enable the sheet's Apply button.
    void SetModified(bool modified = true);
    bool IsModified() const { return m_bModified; }

    CQVPropertySheet* GetQVPropertySheet() const { return m_pSheet; }
    // When IsApplyOK holds and OnApply succeeds, ends the sheet with OK; false otherwise.
    bool ClosePropertySheet();

    // One idle notification (the sheet sends them to its active page).
    void RunIdle() { OnIdle(); }
    // Ends the page's session: balloon destroyed, state of its controls saved. The sheet
    // calls it when it is done.
    bool FinishPage() { return EndStateSession(); }

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class CQVPropertySheet;

    unsigned m_nTemplateID;
    bool m_bLoaded = false;
    bool m_bModified = false;
    CQVPropertySheet* m_pSheet = nullptr;
};
