#pragma once
// What dialogs and property pages of the library share: the load / validate / save life
// cycle, the validation balloon, the state of list controls and auto-complete edits kept in
// the settings store, the bold, italic and underline fonts, the help topic and the busy
// cursor. CQVDialog (QVDialog.h) and CQVPropertyPage (QVPropertyPage.h) derive from their Qt
// widget class first and from this class second.
//
// Controls are found by their id: the widget's objectName is the id as decimal text. A
// search stays inside the dialog: it does not descend into child windows or into embedded
// pages (other dialogs or pages placed inside this one), which find their own controls.

#include "qvsystem/controls/QVValidationBalloon.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QCursor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <map>
#include <utility>
#include <vector>

class CAutoCompleteEdit;
class CQVListCtrl;

// Where the state of each control lives. Keys in the handle maps are opened by the dialog
// for the framework, which closes each one after using it.
using CQVListCtrlKeyMap = std::map<CQVListCtrl*, HKEY>;
using CQVListCtrlPathMap = std::map<CQVListCtrl*, CRegistryPath>;
using CQVListCtrlSubKeyMap = std::map<CQVListCtrl*, QString>;
using CAutoCompleteEditKeyMap = std::map<CAutoCompleteEdit*, HKEY>;
using CAutoCompleteEditSubKeyMap = std::map<CAutoCompleteEdit*, QString>;

// The control with the id inside the dialog or page (see above), or null.
QVSYSTEM_EXPORT QWidget* AfxFindDialogControl(const QWidget* dialog, int id);
// The widget's rectangle in screen coordinates; an empty rectangle for null.
QVSYSTEM_EXPORT QRect AfxGetScreenRect(const QWidget* widget);

class QVSYSTEM_EXPORT CQVDialogCommon {
public:
    explicit CQVDialogCommon(QWidget* self);
    virtual ~CQVDialogCommon();
    CQVDialogCommon(const CQVDialogCommon&) = delete;
    CQVDialogCommon& operator=(const CQVDialogCommon&) = delete;

    // ---- Operations that derived dialogs override; the base ones do nothing, fill nothing
    // ---- and succeed. A class that overrides one overload of GetStateListCtrls or
    // ---- GetStateAutoCompleteEditCtrls adds a using-declaration for the others.

    // The help topic page ("topic.htm"); empty for none.
    virtual QString GetHelpTopic() const;
    // The state locations; saving is true when the state is about to be saved, false when it
    // is about to be loaded.
    virtual void GetStateListCtrls(CQVListCtrlKeyMap& map, bool saving);
    virtual void GetStateListCtrls(CQVListCtrlPathMap& map, bool saving);
    virtual void GetStateListCtrls(CQVListCtrlSubKeyMap& map, bool saving);
    virtual void GetStateAutoCompleteEditCtrls(CAutoCompleteEditKeyMap& map, bool saving);
    virtual void GetStateAutoCompleteEditCtrls(CAutoCompleteEditSubKeyMap& map, bool saving);
    virtual void PreSaveStateControls();
    virtual void PostSaveStateControls();
    virtual void PreLoadStateControls();
    virtual void PostLoadStateControls();
    // True when the data in the controls are valid. On failure the dialog fills the balloon:
    // icon (TTI_*, prepared as TTI_WARNING), caption (prepared as "Validation Error"), text,
    // and the screen rectangle of the offending control (AfxGetScreenRect, GetDlgItemRect).
    virtual bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect);
    // Fill the controls from the data; store the controls' data. The framework never calls
    // LoadData: a dialog calls it from its own initialisation.
    virtual bool LoadData();
    virtual bool SaveData();
    // The ids of the controls that get the bold font.
    virtual void GetBoldControlIDs(std::vector<int>& ids) const;
    // Runs at idle time while the dialog is shown, after the OK button was updated.
    virtual void OnIdle();

    // ---- Validation ----

    // ValidateData; on failure the balloon shows what it returned and false comes back;
    // otherwise the result of SaveData.
    bool ValidateAndSaveData();
    // Shows the balloon at the horizontal centre of the rectangle's bottom edge (screen
    // coordinates; an empty rectangle stands for the dialog's focused control, or the dialog
    // itself). False when there is no balloon window, the text is empty or a balloon is
    // already shown.
    bool ShowValidationErrorMessage(int icon, const QString& caption, const QString& text, const QRect& rect);
    // False when no balloon was shown.
    bool HideValidationErrorMessage();
    bool IsValidationErrorMessageActive() const;
    bool CreateValidationToolTipWindow();
    bool DestroyValidationToolTipWindow();
    CQVValidationBalloon* GetValidationToolTipWindow() const { return m_pValidationToolTip; }

    // ---- State of controls ----

    // List controls from the sub-key, path and key maps (in this order) load their state.
    // Auto-complete edits load theirs in EnableAutoCompleteControls.
    void LoadStateControls();
    // List controls as above save their state, then every auto-complete edit of the two
    // maps whose auto-completion is on.
    void SaveStateControls();
    // Off: each edit saves its list and stops completing. On: each edit completes again,
    // takes the size limit (1 to 50) and loads its list. Dialogs that want auto-completion
    // call this with true from their initialisation.
    void EnableAutoCompleteControls(bool enable, unsigned sizeLimit);

    // ---- Fonts ----

    // Derives bold (weight 700), italic and underline fonts from the font (null: the
    // dialog's font) and gives the bold one to the controls of GetBoldControlIDs.
    void UpdateFonts(const QFont* font = nullptr);
    const QFont& GetBoldFont() const { return m_fontBold; }
    const QFont& GetItalicFont() const { return m_fontItalic; }
    const QFont& GetUnderlineFont() const { return m_fontUnderline; }

    // ---- Help ----

    bool HasHelpTopic() const { return !GetHelpTopic().isEmpty(); }
    // Opens GetHelpTopic with AfxOpenHelpTarget; false (and nothing opened) when empty.
    bool OpenHelpTopic() const;

    // ---- Busy cursor ----

    // While busy, the dialog and its controls show the busy (arrow with hourglass) cursor.
    bool IsBusy() const { return m_bBusy; }
    void SetBusy(bool busy);

    // ---- Controls ----

    QWidget* GetDlgItem(int id) const { return AfxFindDialogControl(m_pSelf, id); }
    template <typename T> T* GetDlgItem(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    // The screen rectangle of the control with the id; false when there is none.
    bool GetDlgItemRect(int id, QRect& rect) const;

    QWidget* GetDialogWidget() const { return m_pSelf; }

protected:
    // A session runs from the initialisation to the end of the dialog (however it ends);
    // ending it destroys the balloon and saves the state of the controls, then ends the
    // sessions of the pages placed inside this one. False when no session was running.
    void BeginStateSession() { m_bSessionActive = true; }
    bool EndStateSession();
    bool IsStateSessionActive() const { return m_bSessionActive; }

private:
    void RestoreCursors();

    QWidget* m_pSelf;
    bool m_bBusy = false;
    bool m_bSessionActive = false;
    QFont m_fontBold;
    QFont m_fontItalic;
    QFont m_fontUnderline;
    QPointer<CQVValidationBalloon> m_pValidationToolTip;
    std::vector<std::pair<QPointer<QWidget>, QCursor>> m_savedCursors;
};
