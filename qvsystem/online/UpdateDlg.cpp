#include "qvsystem/online/UpdateDlg.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/online/HttpFileSocket.h"
#include "qvsystem/online/InternetErrorText.h"
#include "qvsystem/online/OpenExternalLink.h"
#include "qvsystem/online/UpdateListing.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/ModuleVersion.h"
#include "qvsystem/system/ProfileValues.h"
#include "qvsystem/system/UrlUtilities.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include <cerrno>
#include <string_view>
#include <sys/socket.h>

namespace {

constexpr int ICON_SIZE = 32;
constexpr int DIALOG_WIDTH = 380;
constexpr double SECONDS_PER_DAY = 86400.0;

std::mutex g_limitsMutex;
CUpdateCheckLimits g_defaultLimits;

QString QVSystemText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

QString ProgramTitle()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

} // namespace

CUpdateDlg::CUpdateDlg(unsigned captionId, const CRegistryPath& path, const CVersionNumber& version,
                       QWidget* parent)
    : CQVDialog(IDD_QV_UPDATE, parent), m_path(path), m_version(version), m_limits(GetDefaultLimits())
{
    setObjectName(QString::number(IDD_QV_UPDATE));
    setWindowTitle(ProgramTitle()); // kept when the caption's string does not load
    SetCaptionID(captionId);

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QString::number(IDC_QV_UPDATE_ICON));
    m_pIcon->setFixedSize(ICON_SIZE, ICON_SIZE);
    m_pStatus = new QLabel(QVSystemText(IDS_QV_UPDATE_CHECKING), this);
    m_pStatus->setObjectName(QString::number(IDC_QV_UPDATE_STATUS));
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName(QString::number(IDC_QV_UPDATE_PROGRESS));
    m_pProgress->setTextVisible(false);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(0);
    m_pCancel = new QPushButton(tr("Cancel"), this);
    m_pCancel->setObjectName(QString::number(IDCANCEL));
    m_pCancel->setAutoDefault(false);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(10);
    texts->addWidget(m_pStatus);
    texts->addWidget(m_pProgress);
    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(m_pIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_pCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedWidth(DIALOG_WIDTH);
    setSizeGripEnabled(false);

    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this);
    m_pIcon->setPixmap(icon.pixmap(QSize(ICON_SIZE, ICON_SIZE), devicePixelRatioF()));
}

CUpdateDlg::~CUpdateDlg()
{
    std::lock_guard lock(m_criticalSection);
    ReleaseSocket();
}

void CUpdateDlg::SetDefaultLimits(const CUpdateCheckLimits& limits)
{
    std::lock_guard lock(g_limitsMutex);
    g_defaultLimits = limits;
}

CUpdateCheckLimits CUpdateDlg::GetDefaultLimits()
{
    std::lock_guard lock(g_limitsMutex);
    return g_defaultLimits;
}

void CUpdateDlg::SetStatus(const QString& text)
{
    m_pStatus->setText(text);
}

void CUpdateDlg::SetStatus(unsigned textId)
{
    QString text;
    if (AfxLoadString(textId, text))
        SetStatus(text);
}

QString CUpdateDlg::GetStatus() const
{
    return m_pStatus->text();
}

bool CUpdateDlg::IsCheckActive() const
{
    std::lock_guard lock(m_criticalSection);
    return m_pSocket != nullptr;
}

bool CUpdateDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    m_lastChecked = AfxGetProfileCheckForUpdatesLastChecked(m_path);
    m_pProgress->setRange(0, 0); // the busy animation
    // Posted, so that the window is on screen before the check begins.
    QMetaObject::invokeMethod(this, &CUpdateDlg::OnStartCheck, Qt::QueuedConnection);
    return true;
}

void CUpdateDlg::OnStartCheck()
{
    if (!isVisible() || m_bCancelled || m_bEnded)
        return;
    m_pCancel->repaint();
    CheckForUpdates();
}

void CUpdateDlg::CheckForUpdates()
{
    std::lock_guard lock(m_criticalSection);
    if (m_pSocket) {
        EndWithSocketProblem(QVSystemText(IDS_QV_UPDATE_SOCKET_ACTIVE));
        return;
    }
    m_bEnded = false;
    m_bCancelled = false;
    m_result = notChecked;
    m_strResultText.clear();
    m_nLastError = 0;

    const QString url = AfxGetProfileCheckForUpdatesURL(m_path).trimmed();
    if (!AfxIsValidURL(url)) {
        EndWithSocketProblem(QVSystemText(IDS_QV_UPDATE_INVALID_URL));
        return;
    }
    if (!AfxIsOpenExternalLinkAllowed(url)) {
        End(refused, QString(), 0);
        return;
    }
    m_lastChecked = AfxGetProfileCheckForUpdatesLastChecked(m_path);
    const COleDateTime now = COleDateTime::GetCurrentUTCTime();
    const double elapsed = (now.m_dt - m_lastChecked.m_dt) * SECONDS_PER_DAY;
    // A stored time in the future (a clock put back) is no recent check: refusing would
    // repeat the 15-second message until the clock caught up, for days perhaps.
    if (m_lastChecked.GetStatus() == COleDateTime::valid && elapsed >= 0 &&
        elapsed < MINIMUM_CHECK_INTERVAL) {
        End(mustWait, AfxFormatMessage(QVSystemText(IDS_QV_UPDATE_WAIT), MINIMUM_CHECK_INTERVAL),
            MB_OK | MB_ICONINFORMATION);
        return;
    }

    QTemporaryFile temporary(QDir(QDir::tempPath()).filePath(QStringLiteral("qvupdate-XXXXXX.tmp")));
    temporary.setAutoRemove(false);
    if (!temporary.open()) {
        QString cause;
        AfxGetSystemErrorText(EACCES, cause);
        EndWithSocketProblem(cause);
        return;
    }
    m_strTempFile = temporary.fileName();
    temporary.close();

    auto socket = std::make_unique<CHttpFileSocket>();
    socket->SetGetHeaderOnly(false);
    socket->SetLocalFileName(m_strTempFile);
    socket->SetStatusCallbackWnd(this);
    socket->SetGetHostTimeOut(m_limits.hostLookupTimeOut);
    socket->SetConnectTimeOut(m_limits.connectTimeOut);
    socket->SetIdleTimeOut(m_limits.idleTimeOut);
    socket->SetTransferTimeOut(m_limits.transferTimeOut);
    socket->SetMaxHeaderSize(m_limits.maxHeaderSize);
    socket->SetMaxContentSize(m_limits.maxContentSize);
    if (!socket->Create(0, SOCK_STREAM, FD_ALL_EVENTS) || !socket->Connect(url, UPDATE_CHECK_PORT)) {
        const int error = socket->GetLastError();
        m_nLastError = error;
        socket.reset();
        EndWithSocketProblem(error == QVSOCKET_ERROR_NOT_INITIALIZED
                                 ? QVSystemText(IDS_QV_SOCKET_NOT_INITIALIZED)
                                 : AfxGetWinsockErrorText(error));
        return;
    }
    m_pSocket = std::move(socket);
    AfxWriteProfileCheckForUpdatesLastChecked(m_path, now);
}

bool CUpdateDlg::event(QEvent* event)
{
    if (event->type() == CQVSocketStatusEvent::EventType()) {
        OnSocketStatus(*static_cast<CQVSocketStatusEvent*>(event));
        return true;
    }
    return CQVDialog::event(event);
}

void CUpdateDlg::OnSocketStatus(const CQVSocketStatusEvent& status)
{
    std::lock_guard lock(m_criticalSection);
    // Late events of a socket that is gone (or of an earlier one) tell nothing.
    if (!m_pSocket || status.GetSerial() != m_pSocket->GetSerial() || m_bEnded)
        return;
    const unsigned code = status.GetCode();
    if (status.GetStatus() == QVSOCKET_STATUS_FILE_ERROR) {
        m_nLastError = static_cast<int>(code);
        QString cause;
        AfxGetSystemErrorText(static_cast<long>(code), cause);
        EndWithSocketProblem(cause);
    } else if (AfxIsQVSocketErrorStatus(status.GetStatus())) {
        EndWithError(static_cast<int>(code));
    } else if (status.GetStatus() == HTTP_STATUS_TRANSFER_COMPLETE) {
        if (code == 200)
            ShowListedVersion();
        else
            EndWithError(static_cast<int>(code));
    }
}

void CUpdateDlg::ShowListedVersion()
{
    QByteArray body;
    const int error =
        AfxReadHttpResponseBody(m_strTempFile, m_pSocket->GetHeader(), m_limits.maxContentSize, body);
    if (error) {
        QString cause;
        AfxGetSystemErrorText(error, cause);
        m_nLastError = error;
        End(checkFailed, AfxFormatMessage(QVSystemText(IDS_QV_OPEN_FILE_ERROR), m_strTempFile, cause),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The listing is 8-bit text in the system code page.
    const QString text =
        AfxAnsiToUnicode(std::string_view(body.constData(), static_cast<size_t>(body.size())));
    if (!AfxParseUpdateListing(text, m_latestVersion)) {
        End(invalidVersion, QVSystemText(IDS_QV_UPDATE_INVALID_VERSION), MB_OK | MB_ICONINFORMATION);
        return;
    }
    updateCheckResult result = latestVersion;
    unsigned textId = IDS_QV_UPDATE_LATEST;
    if (m_latestVersion > m_version) {
        result = newVersionAvailable;
        textId = IDS_QV_UPDATE_NEWER_AVAILABLE;
    } else if (m_latestVersion < m_version) {
        result = newerThanLatestVersion;
        textId = IDS_QV_UPDATE_NEWER_THAN_LATEST;
    }
    End(result, AfxFormatMessage(QVSystemText(textId), m_version.GetText(), m_latestVersion.GetText()),
        MB_OK | MB_ICONINFORMATION);
}

void CUpdateDlg::EndWithError(int code)
{
    m_nLastError = code;
    EndWithSocketProblem(code < 10000 ? AfxGetHTTPStatusCodeText(code) : AfxGetWinsockErrorText(code));
}

void CUpdateDlg::EndWithSocketProblem(const QString& cause)
{
    End(checkFailed, AfxFormatMessage(QVSystemText(IDS_QV_UPDATE_CHECK_ERROR), cause),
        MB_OK | MB_ICONEXCLAMATION);
}

void CUpdateDlg::End(updateCheckResult result, const QString& message, unsigned type)
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    m_result = result;
    m_strResultText = message;
    Close();
    if (!message.isEmpty()) {
        hide();
        AfxQVMessageBox(message, type);
    }
    const bool compared = result == newVersionAvailable || result == latestVersion ||
                          result == newerThanLatestVersion || result == invalidVersion;
    done(compared ? QDialog::Accepted : QDialog::Rejected);
}

void CUpdateDlg::Close()
{
    std::lock_guard lock(m_criticalSection);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(0);
    ReleaseSocket();
}

void CUpdateDlg::ReleaseSocket()
{
    if (m_pSocket) {
        std::unique_ptr<CHttpFileSocket> socket = std::move(m_pSocket);
        socket->SetStatusCallbackWnd(nullptr);
        socket->Close();
    }
    // Whatever the end, the response has served (or cannot serve) its purpose.
    if (!m_strTempFile.isEmpty()) {
        QFile::remove(m_strTempFile);
        m_strTempFile.clear();
    }
}

void CUpdateDlg::OnOK()
{
    Close();
    CQVDialog::OnOK();
}

void CUpdateDlg::OnCancel()
{
    m_bCancelled = true;
    if (!m_bEnded)
        m_result = cancelled;
    m_bEnded = true;
    Close();
    CQVDialog::OnCancel();
}

CUpdateDlg::updateCheckResult AfxCheckForUpdates(QWidget* owner, const CRegistryPath& productPath,
                                                 unsigned captionId, const CVersionNumber& version)
{
    CUpdateDlg dialog(captionId, productPath, version, owner);
    dialog.exec();
    return dialog.GetResult();
}

CUpdateDlg::updateCheckResult AfxCheckForUpdates(QWidget* owner, const CRegistryPath& productPath,
                                                 unsigned captionId)
{
    CVersionNumber version;
    CModuleVersion module;
    if (module.Load(static_cast<HMODULE>(nullptr)))
        module.GetProductVersion(version);
    return AfxCheckForUpdates(owner, productPath, captionId, version);
}
