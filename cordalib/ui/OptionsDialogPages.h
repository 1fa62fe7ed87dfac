#pragma once
// The Options dialog's pages that show settings values directly: AutoComplete, General,
// Message Boxes, Search, Security, Startup, System Tray and Check For Updates. Each loads
// its values from the application's settings when it is first shown and, on OK, writes
// them through the settings' setters with the save flag, so each reaches the store at once.
// The File Locations and Keyboard pages have files of their own.
//
// Control ids are the widgets' object names. Where the documents give an edit and its
// up-down control two ids, the number field with its arrows is one control with the edit's
// id (COptionsNumberBox).

#include "cordalib/ui/OptionsDialogPage.h"

#include <functional>
#include <vector>

class CLinkComboBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class COptionsAutoCompleteDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 96;
    static constexpr int IDC_ENABLE_AUTOCOMPLETE = 66;
    static constexpr int IDC_ITEMS_TO_TRACK = 43;
    static constexpr int IDC_ITEMS_RANGE = 71;
    // The auto-complete list's size limits and the size kept while auto-complete is off.
    static constexpr int MIN_ITEMS = 1;
    static constexpr int MAX_ITEMS = 50;
    static constexpr int DEFAULT_ITEMS = 20;

    explicit COptionsAutoCompleteDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsAutoCompleteDialogPage() override;

    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;
    void UpdateControlStates() override;

    QCheckBox* GetEnableControl() const { return m_pEnable; }
    COptionsNumberBox* GetItemsControl() const { return m_pItems; }

private:
    QCheckBox* m_pEnable = nullptr;
    COptionsNumberBox* m_pItems = nullptr;
    QLabel* m_pItemsLabel = nullptr;
};

class COptionsGeneralDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 20591;
    static constexpr int IDC_DOUBLE_CLICK_ACTION = 23070;
    static constexpr int IDC_MINIMIZE_ON_OPEN = 23071;

    explicit COptionsGeneralDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsGeneralDialogPage() override;

    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;

    QComboBox* GetActionControl() const { return m_pAction; }
    QCheckBox* GetMinimizeControl() const { return m_pMinimize; }

private:
    QComboBox* m_pAction = nullptr;
    QCheckBox* m_pMinimize = nullptr;
};

// A page of check boxes, each showing one yes/no setting of the application: the box is
// set from the setting when the page is first shown, and on OK the setting's setter writes
// it (saved at once), box by box in the order they were added.
class COptionsSwitchesDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    COptionsSwitchesDialogPage(unsigned templateId, const QString& heading, const QString& helpTopic,
                               const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsSwitchesDialogPage() override;

    bool LoadData() override;
    bool SaveData() override;

protected:
    // A check box in the body for the setting of the application's group (a getter such as
    // CCordaLibrarianApp::GetStartupSettings) with its getter and setter. Defined beside the
    // pages in OptionsDialogPages.cpp, where they use it.
    template <typename Settings>
    QCheckBox* AddSwitch(int id, const QString& text, Settings& (CCordaLibrarianApp::*group)(),
                         bool (Settings::*get)() const, bool (Settings::*set)(bool, bool));

private:
    struct CSwitch {
        QCheckBox* box;
        std::function<bool()> get;
        std::function<void(bool)> set;
    };
    std::vector<CSwitch> m_switches;
};

class COptionsMessageBoxesDialogPage : public COptionsSwitchesDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 20589;
    static constexpr int IDC_OPEN_CORDA_FILE_WARNING = 23056;
    static constexpr int IDC_EDIT_MULTIPLE_ITEMS_WARNING = 51;
    static constexpr int IDC_DELETE_ITEM_CONFIRMATION = 23058;

    explicit COptionsMessageBoxesDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsMessageBoxesDialogPage() override;
};

class COptionsSearchDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 101;
    static constexpr int IDC_ENABLE_AUTORESULTS = 64;
    static constexpr int IDC_DELAY = 86;
    static constexpr int IDC_DELAY_RANGE = 23068;
    static constexpr int MIN_DELAY = 0;
    static constexpr int MAX_DELAY = 5000;

    explicit COptionsSearchDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsSearchDialogPage() override;

    bool LoadData() override;
    // The delay is judged whether AutoResults is on or not.
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;
    void UpdateControlStates() override;

    QCheckBox* GetEnableControl() const { return m_pEnable; }
    QLineEdit* GetDelayControl() const { return m_pDelay; }

private:
    QCheckBox* m_pEnable = nullptr;
    QLineEdit* m_pDelay = nullptr;
    QLabel* m_pDelayLabel = nullptr;
};

class COptionsSecurityDialogPage : public COptionsSwitchesDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 97;
    static constexpr int IDC_OPEN_EXTERNAL_LINK_WARNING = 50;

    explicit COptionsSecurityDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsSecurityDialogPage() override;
};

class COptionsStartupDialogPage : public COptionsSwitchesDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 21;
    static constexpr int IDC_SHOW_SPLASH_SCREEN = 63;

    explicit COptionsStartupDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsStartupDialogPage() override;
};

class COptionsSystemTrayDialogPage : public COptionsSwitchesDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 20588;
    static constexpr int IDC_MINIMIZE_TO_SYSTEM_TRAY = 23043;

    explicit COptionsSystemTrayDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsSystemTrayDialogPage() override;

    // Also adds or removes the main window's notification-area icon at once.
    bool SaveData() override;

private:
    QCheckBox* m_pMinimize = nullptr;
};

class COptionsCheckForUpdatesDialogPage : public COptionsDialogPage {
    Q_OBJECT

public:
    static constexpr unsigned IDD = 20590;
    static constexpr int IDC_UPDATES_URL = 23064;
    static constexpr int IDC_REMINDER = 23066;
    static constexpr int IDC_REMINDER_DAYS = 23065;
    static constexpr int IDC_REMINDER_DAYS_RANGE = 23067;
    static constexpr int MIN_DAYS = 1;
    static constexpr int MAX_DAYS = 90;
    static constexpr int DEFAULT_DAYS = 30;

    explicit COptionsCheckForUpdatesDialogPage(const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsCheckForUpdatesDialogPage() override;

    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    // "URL" and "Reminder" below the product's key (Check For Updates).
    bool SaveData() override;
    void UpdateControlStates() override;

    CLinkComboBox* GetURLControl() const { return m_pURL; }
    QCheckBox* GetReminderControl() const { return m_pReminder; }
    COptionsNumberBox* GetDaysControl() const { return m_pDays; }

private:
    CLinkComboBox* m_pURL = nullptr;
    QCheckBox* m_pReminder = nullptr;
    COptionsNumberBox* m_pDays = nullptr;
    QLabel* m_pDaysLabel = nullptr;
};
