#pragma once
// The update check: a small window ("Checking for updates. Please wait...", a busy bar and
// Cancel) that fetches the update listing from the address stored under the registry path
// ("Check For Updates\URL"), compares the listed version with the program's and tells the
// result in a message box once it has hidden itself.
//
// The check never blocks the window: the download runs on the socket's worker thread and
// its progress arrives as posted status events. A server that stalls, sends a header that
// never ends or a body far larger than a version number is given up with a message, within
// the time-outs and size limits (CUpdateCheckLimits).
//
//     CUpdateDlg dialog(IDS_UPDATE_CAPTION, productPath, programVersion, mainWindow);
//     dialog.exec();
//
// AfxCheckForUpdates does the same for the program's menu command and its reminder.

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/online/QVSocket.h"
#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"
#include "qvsystem/system/VersionNumber.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

class CHttpFileSocket;
class QLabel;
class QProgressBar;
class QPushButton;

inline constexpr unsigned IDD_QV_UPDATE = 20710;
// Control ids, also the controls' object names; Cancel is IDCANCEL (2).
inline constexpr int IDC_QV_UPDATE_ICON = 23300;
inline constexpr int IDC_QV_UPDATE_STATUS = 23301;
inline constexpr int IDC_QV_UPDATE_PROGRESS = 23302;

// How long a check may wait and how much it accepts. Milliseconds; 0 for no limit.
struct QVSYSTEM_EXPORT CUpdateCheckLimits {
    unsigned hostLookupTimeOut = 20000;
    unsigned connectTimeOut = 20000;
    // No byte from the server for this long ends the check.
    unsigned idleTimeOut = 30000;
    // The whole download, from the lookup on.
    unsigned transferTimeOut = 60000;
    int maxHeaderSize = 16 * 1024;
    // A version number is a few bytes; anything near this is not an update listing.
    int64_t maxContentSize = 64 * 1024;
};

class QVSYSTEM_EXPORT CUpdateDlg : public CQVDialog {
    Q_OBJECT

public:
    enum updateCheckResult {
        notChecked,
        newVersionAvailable,
        latestVersion,
        newerThanLatestVersion,
        invalidVersion,
        checkFailed,
        mustWait,
        refused,   // the open-external-link function said no
        cancelled, // the user cancelled
    };

    // The least time between two checks, in seconds.
    static constexpr int MINIMUM_CHECK_INTERVAL = 15;
    // The port of an address that names none.
    static constexpr unsigned UPDATE_CHECK_PORT = 80;

    CUpdateDlg(unsigned captionId, const CRegistryPath& path, const CVersionNumber& version,
               QWidget* parent = nullptr);
    ~CUpdateDlg() override;

    // Replaces the status text.
    void SetStatus(const QString& text);
    void SetStatus(unsigned textId);
    QString GetStatus() const;
    // Stops the animation and closes the active socket.
    void Close();
    // Starts a check (the dialog does so by itself once it is on screen).
    void CheckForUpdates();

    // The limits of this dialog's checks; new dialogs take the defaults.
    void SetLimits(const CUpdateCheckLimits& limits) { m_limits = limits; }
    const CUpdateCheckLimits& GetLimits() const { return m_limits; }
    static void SetDefaultLimits(const CUpdateCheckLimits& limits);
    static CUpdateCheckLimits GetDefaultLimits();

    // How the last check ended and the message it showed (empty for none).
    updateCheckResult GetResult() const { return m_result; }
    QString GetResultText() const { return m_strResultText; }
    CVersionNumber GetLatestVersion() const { return m_latestVersion; }
    int GetLastErrorCode() const { return m_nLastError; }
    bool IsCheckActive() const;
    const CVersionNumber& GetProgramVersion() const { return m_version; }
    const CRegistryPath& GetRegistryPath() const { return m_path; }

    QLabel* GetStatusControl() const { return m_pStatus; }
    QProgressBar* GetProgressControl() const { return m_pProgress; }
    QPushButton* GetCancelButton() const { return m_pCancel; }

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

protected:
    bool event(QEvent* event) override;

private:
    void OnStartCheck();
    void OnSocketStatus(const CQVSocketStatusEvent& status);
    void ShowListedVersion();
    void EndWithError(int code);
    void EndWithSocketProblem(const QString& cause);
    void End(updateCheckResult result, const QString& message, unsigned type);
    void ReleaseSocket();

    CRegistryPath m_path;
    CVersionNumber m_version;
    CUpdateCheckLimits m_limits;
    // Guards the socket: the status events and CheckForUpdates share it.
    mutable std::recursive_mutex m_criticalSection;
    std::unique_ptr<CHttpFileSocket> m_pSocket;
    QString m_strTempFile;
    int m_nLastError = 0;
    COleDateTime m_lastChecked;
    bool m_bCancelled = false;
    bool m_bEnded = false;
    updateCheckResult m_result = notChecked;
    QString m_strResultText;
    CVersionNumber m_latestVersion;

    QLabel* m_pIcon = nullptr;
    QLabel* m_pStatus = nullptr;
    QProgressBar* m_pProgress = nullptr;
    QPushButton* m_pCancel = nullptr;
};

// Runs the update check as the program's Help > Check for Updates... command does: the
// dialog with the caption and the program's version, modal over the owner, with the
// settings under the product's registry path. The result tells how it ended.
QVSYSTEM_EXPORT CUpdateDlg::updateCheckResult AfxCheckForUpdates(QWidget* owner,
                                                                 const CRegistryPath& productPath,
                                                                 unsigned captionId,
                                                                 const CVersionNumber& version);
// The same with the product version of the running program's own version block.
QVSYSTEM_EXPORT CUpdateDlg::updateCheckResult
AfxCheckForUpdates(QWidget* owner, const CRegistryPath& productPath, unsigned captionId);
