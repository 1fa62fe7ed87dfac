#pragma once
// The Keyboard page of the Options dialog: the scheme ("Main View"), a filter, the list of
// commands with their keys, and Assign... (the key capture dialog; a double click on a row
// does the same), Remove and Reset All.
//
// The list edits a copy of the application's scheme; nothing reaches the application until
// OK, so Reset All followed by Cancel changes nothing. OK makes the list's keys the
// application's scheme, saves it, and puts the keys on the main window's menus.

#include "cordalib/ui/OptionsDialogPage.h"
#include "qvsystem/controls/KeyboardMappingScheme.h"
#include "qvsystem/controls/KeyboardShortcutListCtrl.h"

class CSearchEdit;
class QComboBox;
class QPushButton;

// The shortcut list of the page: without a stored column state its columns take their
// default widths rather than the widths of the headings.
class COptionsShortcutListCtrl : public CKeyboardShortcutListCtrl {
    Q_OBJECT

public:
    explicit COptionsShortcutListCtrl(QWidget* parent = nullptr);
    ~COptionsShortcutListCtrl() override;

    void LoadDefaultColumnWidths() override;
};

class COptionsKeyboardDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 20613;
    static constexpr int IDC_SCHEME = 172;
    static constexpr int IDC_FILTER = 169;
    static constexpr int IDC_SHORTCUTS = 168;
    static constexpr int IDC_ASSIGN = 166;
    static constexpr int IDC_REMOVE = 23082;
    static constexpr int IDC_RESET_ALL = 167;

    explicit COptionsKeyboardDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsKeyboardDialogPage() override;

    bool LoadData() override;
    bool SaveData() override;
    void UpdateControlStates() override;
    using COptionsDialogPage::GetStateListCtrls;
    void GetStateListCtrls(CQVListCtrlSubKeyMap& map, bool saving) override;

    // The buttons' commands.
    void OnAssign();
    void OnRemove();
    void OnResetAll();

    COptionsShortcutListCtrl* GetListControl() const { return m_pList; }
    CSearchEdit* GetFilterControl() const { return m_pFilter; }
    QComboBox* GetSchemeControl() const { return m_pScheme; }

private:
    void OnSchemeChanged(int index);
    void OnFilterCommand(int notificationCode, int controlId);

    // What the list shows: the application's scheme as the page was opened.
    CKeyboardMappingScheme m_scheme;
    QComboBox* m_pScheme = nullptr;
    CSearchEdit* m_pFilter = nullptr;
    COptionsShortcutListCtrl* m_pList = nullptr;
    QPushButton* m_pAssign = nullptr;
    QPushButton* m_pRemove = nullptr;
    QPushButton* m_pResetAll = nullptr;
};
