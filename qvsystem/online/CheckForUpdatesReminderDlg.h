#pragma once
// The reminder to check for updates: a question the program gives (SetStatus) under the
// bold heading "Check For Updates Reminder", answered with Yes (the dialog ends accepted:
// the program then runs the check), No, Dismiss (not now: the time is stored as "Last
// Dismissed", so the reminder waits a whole period again) or Settings... (the check's
// settings on the same registry path).

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QString>

class QLabel;
class QPushButton;

inline constexpr unsigned IDD_QV_CHECK_FOR_UPDATES_REMINDER = 20711;
// Control ids, also the controls' object names; Yes and No are IDYES (6) and IDNO (7).
inline constexpr int IDC_QV_REMINDER_ICON = 23310;
inline constexpr int IDC_QV_REMINDER_HEADING = 23311;
inline constexpr int IDC_QV_REMINDER_STATUS = 23312;
inline constexpr int IDC_QV_REMINDER_SEPARATOR = 23313;
inline constexpr int IDC_QV_REMINDER_DISMISS = 23314;
inline constexpr int IDC_QV_REMINDER_SETTINGS = 23315;

class QVSYSTEM_EXPORT CCheckForUpdatesReminderDlg : public CQVDialog {
    Q_OBJECT

public:
    CCheckForUpdatesReminderDlg(const CRegistryPath& path, QWidget* parent = nullptr);
    ~CCheckForUpdatesReminderDlg() override;

    // The question shown; false for a null text.
    bool SetStatus(const QString& text);
    QString GetStatus() const { return m_strStatus; }
    const CRegistryPath& GetRegistryPath() const { return m_path; }

    bool OnInitDialog() override;
    void GetBoldControlIDs(std::vector<int>& ids) const override;

private:
    void OnDismiss();
    void OnSettings();

    CRegistryPath m_path;
    QString m_strStatus;
    QLabel* m_pStatus = nullptr;
};
