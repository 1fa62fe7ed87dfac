#pragma once
// The settings of the update check under a registry path: the listing's address ("URL")
// and the reminder period in days ("Reminder", 0 = no reminder).

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QString>

class CLinkComboBox;
class QCheckBox;
class QSpinBox;

inline constexpr unsigned IDD_QV_CHECK_FOR_UPDATES_SETTINGS = 20712;
// Control ids, also the controls' object names; OK and Cancel are 1 and 2. The number
// field and its spin buttons are one control here.
inline constexpr int IDC_QV_UPDATE_SETTINGS_URL_LABEL = 23320;
inline constexpr int IDC_QV_UPDATE_SETTINGS_URL = 23321;
inline constexpr int IDC_QV_UPDATE_SETTINGS_REMINDER = 23322;
inline constexpr int IDC_QV_UPDATE_SETTINGS_DAYS = 23323;
inline constexpr int IDC_QV_UPDATE_SETTINGS_DAYS_LABEL = 23325;

class QVSYSTEM_EXPORT CCheckForUpdatesSettingsDlg : public CQVDialog {
    Q_OBJECT

public:
    static constexpr int MIN_REMINDER_DAYS = 1;
    static constexpr int MAX_REMINDER_DAYS = 90;
    static constexpr int DEFAULT_REMINDER_DAYS = 30;

    CCheckForUpdatesSettingsDlg(const CRegistryPath& path, QWidget* parent = nullptr);
    ~CCheckForUpdatesSettingsDlg() override;

    const CRegistryPath& GetRegistryPath() const { return m_path; }
    CLinkComboBox* GetURLControl() const { return m_pURL; }
    QCheckBox* GetReminderControl() const { return m_pReminder; }
    QSpinBox* GetDaysControl() const { return m_pDays; }

    bool OnInitDialog() override;
    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;

private:
    CRegistryPath m_path;
    QString m_strURL;
    CLinkComboBox* m_pURL = nullptr;
    QCheckBox* m_pReminder = nullptr;
    QSpinBox* m_pDays = nullptr;
};
