#pragma once
// The sender's window: what crashed, where and when, the path of the whole report, and
// what the user can do with it. Nothing leaves the machine without a click: Send by
// E-mail only opens the user's own mail program with a message to the report address
// (the user sends it from there, after attaching the report, which a mailto: link cannot
// do); the other buttons copy the report's path, show its folder, or close.

#include "faultpost/ErrorReport.h"
#include "faultpost/FaultPostCommandLine.h"

#include <QDialog>
#include <QUrl>

class QLabel;
class QLineEdit;
class QPushButton;

// Control ids, also the widgets' object names.
inline constexpr int IDC_FAULTPOST_ICON = 1000;
inline constexpr int IDC_FAULTPOST_HEADING = 1001;
inline constexpr int IDC_FAULTPOST_INTRO = 1002;
inline constexpr int IDC_FAULTPOST_PROGRAM = 1003;
inline constexpr int IDC_FAULTPOST_FAULT = 1004;
inline constexpr int IDC_FAULTPOST_MODULE = 1005;
inline constexpr int IDC_FAULTPOST_TIME = 1006;
inline constexpr int IDC_FAULTPOST_REPORT_PATH = 1007;
inline constexpr int IDC_FAULTPOST_WARNING = 1008;
inline constexpr int IDC_FAULTPOST_MAIL_NOTE = 1009;
inline constexpr int IDC_FAULTPOST_SEND = 1010;
inline constexpr int IDC_FAULTPOST_COPY_PATH = 1011;
inline constexpr int IDC_FAULTPOST_SHOW_FOLDER = 1012;
inline constexpr int IDC_FAULTPOST_CLOSE = 1013;
inline constexpr int IDC_FAULTPOST_STATUS = 1014;

class CFaultPostWindow : public QDialog {
    Q_OBJECT

public:
    // warning: why the report could not be read whole (empty when it was).
    CFaultPostWindow(const CFaultPostCommandLine& commandLine, const CErrorReport& report,
                     const QString& warning = QString(), QWidget* parent = nullptr);

    // The mailto: address the Send button opens: the report address, a subject naming the
    // program and the report, and a body with the summary and the report's path.
    QUrl GetMailUrl() const;
    QString GetReportPath() const { return m_strReportPath; }

signals:
    // After each button's action, with whether it worked.
    void MailOpened(bool opened);
    void FolderShown(bool shown);

private:
    void OnSend();
    void OnCopyPath();
    void OnShowFolder();
    void ShowStatus(const QString& text);
    QString SummaryValue(const QString& value) const;

    CFaultPostCommandLine m_commandLine;
    CErrorReport m_report;
    QString m_strReportPath;
    QLabel* m_pStatus = nullptr;
};
