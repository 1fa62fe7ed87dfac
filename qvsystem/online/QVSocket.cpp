#include "qvsystem/online/QVSocket.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/online/InternetErrorText.h"
#include "qvsystem/platform/StringTable.h"

#include <QCoreApplication>
#include <QUrl>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <system_error>

namespace {

std::atomic<bool> g_initialized{false};
std::atomic<uint64_t> g_nextSerial{1};
// The socket whose worker runs on this thread, so that Close from a handler does not wait
// for itself.
thread_local const CQVSocket* t_workerSocket = nullptr;

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

long long DeadlineAfter(unsigned milliseconds)
{
    return milliseconds ? NowMs() + milliseconds : 0;
}

// The earlier of two deadlines, 0 standing for none.
long long Earlier(long long a, long long b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(a, b);
}

QString QVSystemText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

// A lookup that runs on a thread of its own, so that a resolver that hangs is left behind
// instead of holding the worker (and Close) for as long as it takes.
struct LookupState {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int result = 0;
    addrinfo* list = nullptr;
};

QString NumericAddress(const sockaddr* address, socklen_t length)
{
    char host[NI_MAXHOST] = {};
    if (getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return QString();
    return QString::fromLatin1(host);
}

void ClosePipe(int (&pipe)[2])
{
    for (int& fd : pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

// ---- Error codes ----

int AfxErrnoToWinsockError(int error, bool lookup)
{
    if (lookup) {
        switch (error) {
        case 0:
            return 0;
        case EAI_NONAME:
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
            return WSAHOST_NOT_FOUND;
        case EAI_AGAIN:
            return 11002;
        case EAI_FAIL:
            return 11003;
        case EAI_FAMILY:
            return 10047;
        case EAI_SOCKTYPE:
            return WSAESOCKTNOSUPPORT;
        case EAI_SERVICE:
            return 10109;
        case EAI_MEMORY:
            return 10055;
        case EAI_SYSTEM:
            return AfxErrnoToWinsockError(errno, false);
        default:
            return 11003;
        }
    }
    switch (error) {
    case 0:
        return 0;
    case EINTR:
        return WSAEINTR;
    case EBADF:
        return 10009;
    case EACCES:
    case EPERM:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EAGAIN:
        return WSAEWOULDBLOCK;
    case EINPROGRESS:
        return 10036;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
    case EPIPE:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return 10058;
    case ETOOMANYREFS:
        return 10059;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    case EDQUOT:
        return 10069;
    case ESTALE:
        return 10070;
    default:
        return 10107; // a system call failed in a way the sockets codes do not name
    }
}

// ---- Status event ----

CQVSocketStatusEvent::CQVSocketStatusEvent(CQVSocket* socket, uint64_t serial, unsigned status, unsigned code)
    : QEvent(EventType()), m_pSocket(socket), m_nSerial(serial), m_nStatus(status), m_nCode(code)
{
}

QEvent::Type CQVSocketStatusEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType(WM_QV_SOCKET_STATUS));
    return type;
}

uint32_t CQVSocketStatusEvent::GetLParam() const
{
    return (m_nStatus & 0xFFFFu) | (std::min(m_nCode, 0xFFFFu) << 16);
}

// ---- Socket ----

struct CQVSocket::CloseToken {
    CQVSocket* socket;
};

CQVSocket::CQVSocket()
    : m_nSerial(g_nextSerial.fetch_add(1)), m_pCloseToken(std::make_shared<CloseToken>(CloseToken{this}))
{
}

CQVSocket::~CQVSocket()
{
    m_pCloseToken->socket = nullptr;
    CQVSocket::Close();
}

bool CQVSocket::Initialize()
{
    if (g_initialized.exchange(true)) {
        AfxFormatStringErrorMessageBox(QVSystemText(IDS_QV_SOCKET_INITIALIZE_ERROR),
                                       MB_OK | MB_ICONEXCLAMATION, 0,
                                       QVSystemText(IDS_QV_SOCKET_ALREADY_INITIALIZED));
        return false;
    }
    return true;
}

bool CQVSocket::Deinitialize()
{
    if (!g_initialized.exchange(false)) {
        AfxFormatStringErrorMessageBox(QVSystemText(IDS_QV_SOCKET_DEINITIALIZE_ERROR),
                                       MB_OK | MB_ICONEXCLAMATION, 0,
                                       AfxGetWinsockErrorText(WSANOTINITIALISED));
        return false;
    }
    return true;
}

bool CQVSocket::IsInitialized()
{
    return g_initialized.load();
}

bool CQVSocket::Create(unsigned port, int socketType, unsigned eventMask, const QString& localAddress)
{
    if (m_bThreadActive.load() || m_hSocket >= 0) {
        m_nLastError = WSAEISCONN;
        return false;
    }
    if (socketType != SOCK_STREAM) {
        m_nLastError = WSAESOCKTNOSUPPORT;
        return false;
    }
    if (port > 65535) {
        m_nLastError = WSAEINVAL;
        return false;
    }
    if (m_cancelPipe[0] < 0 && ::pipe2(m_cancelPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_nLastError = AfxErrnoToWinsockError(errno);
        return false;
    }
    m_nLocalPort = port;
    m_strLocalAddress = localAddress;
    m_nEventMask = eventMask;
    m_bCreated = true;
    return true;
}

bool CQVSocket::Connect(const QString& url, unsigned port)
{
    if (!g_initialized.load()) {
        m_nLastError = QVSOCKET_ERROR_NOT_INITIALIZED;
        return false;
    }
    if (m_bThreadActive.load() || m_hSocket >= 0) {
        m_nLastError = WSAEISCONN;
        return false;
    }
    if (m_worker.joinable())
        m_worker.join(); // a worker that has ended by itself
    if (port == 0 || port > 65535) {
        m_nLastError = WSAEINVAL;
        return false;
    }
    QString text = url.trimmed();
    if (!text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("http://"));
    const QUrl parsed(text, QUrl::StrictMode);
    const QString host = parsed.host(QUrl::FullyEncoded);
    if (!parsed.isValid() || host.isEmpty()) {
        m_nLastError = WSAEINVAL;
        return false;
    }
    if (!m_bCreated && !Create()) // a socket that was closed starts again as a default one
        return false;

    QString object = parsed.path(QUrl::FullyEncoded);
    if (object.isEmpty())
        object = QStringLiteral("/");
    if (parsed.hasQuery())
        object += QLatin1Char('?') + parsed.query(QUrl::FullyEncoded);
    m_strURL = url;
    m_strHost = host;
    m_strObject = object;
    m_nPort = static_cast<unsigned>(parsed.port(static_cast<int>(port)));
    {
        std::lock_guard lock(m_mutex);
        m_strServerIP.clear();
    }

    // A cancel left over from an earlier Close must not stop this connection.
    char drain[64];
    while (::read(m_cancelPipe[0], drain, sizeof drain) > 0) {
    }
    m_bCancel = false;
    m_bStopWatching = false;
    m_bWantSend = false;
    m_nLastError = 0;
    m_nTransferDeadline = DeadlineAfter(m_nTransferTimeOut);
    m_bThreadActive = true;
    try {
        m_worker = std::thread(&CQVSocket::WorkerMain, this);
    } catch (const std::system_error&) {
        m_bThreadActive = false;
        m_nLastError = 10055;
        return false;
    }
    return true;
}

void CQVSocket::Close()
{
    if (t_workerSocket == this) {
        m_bCancel = true;
        m_bStopWatching = true;
        return;
    }
    m_bCancel = true;
    if (m_cancelPipe[1] >= 0) {
        const char signal = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_cancelPipe[1], &signal, 1);
    }
    if (m_worker.joinable())
        m_worker.join();
    const bool hadSocket = m_hSocket >= 0;
    if (hadSocket) {
        ::shutdown(m_hSocket, SHUT_WR);
        ::close(m_hSocket);
        m_hSocket = -1;
    }
    ClosePipe(m_cancelPipe);
    m_bCreated = false;
    m_bOpened = false;
    m_bThreadActive = false;
    m_nStatus = QVSOCKET_STATUS_CLOSED;
    if (hadSocket)
        PostStatus(QVSOCKET_STATUS_CLOSED, 0);
}

int CQVSocket::Receive(char* buffer, int size)
{
    if (m_hSocket < 0 || !buffer || size < 0) {
        m_nLastError = m_hSocket < 0 ? WSAENOTCONN : WSAEINVAL;
        return -1;
    }
    ssize_t count;
    do {
        count = ::recv(m_hSocket, buffer, static_cast<size_t>(size), MSG_DONTWAIT);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        m_nLastError = AfxErrnoToWinsockError(errno);
        return -1;
    }
    return static_cast<int>(count);
}

int CQVSocket::Send(const char* buffer, int size)
{
    if (m_hSocket < 0 || !buffer || size < 0) {
        m_nLastError = m_hSocket < 0 ? WSAENOTCONN : WSAEINVAL;
        return -1;
    }
    ssize_t count;
    do {
        count = ::send(m_hSocket, buffer, static_cast<size_t>(size), MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        m_nLastError = AfxErrnoToWinsockError(errno);
        return -1;
    }
    return static_cast<int>(count);
}

void CQVSocket::SetStatusCallbackWnd(QObject* window)
{
    std::lock_guard lock(m_mutex);
    m_pStatusWnd = window;
}

QObject* CQVSocket::GetStatusCallbackWnd() const
{
    std::lock_guard lock(m_mutex);
    return m_pStatusWnd;
}

void CQVSocket::SetGetHostTimeOut(unsigned milliseconds)
{
    m_nGetHostTimeOut = milliseconds;
}

void CQVSocket::SetConnectTimeOut(unsigned milliseconds)
{
    m_nConnectTimeOut = milliseconds;
}

void CQVSocket::SetIdleTimeOut(unsigned milliseconds)
{
    m_nIdleTimeOut = milliseconds;
}

void CQVSocket::SetTransferTimeOut(unsigned milliseconds)
{
    m_nTransferTimeOut = milliseconds;
}

void CQVSocket::SetReceiveBufferSize(int size)
{
    m_nReceiveBufferSize = size > 0 ? size : DEFAULT_RECEIVE_BUFFER_SIZE;
}

QString CQVSocket::GetHostServerIP() const
{
    std::lock_guard lock(m_mutex);
    return m_strServerIP;
}

std::function<void()> CQVSocket::GetCloseFunction()
{
    return [token = std::weak_ptr<CloseToken>(m_pCloseToken)]() {
        if (const auto alive = token.lock(); alive && alive->socket)
            alive->socket->Close();
    };
}

int CQVSocket::OnClose(int)
{
    return 1;
}

int CQVSocket::OnConnect(int)
{
    return 1;
}

int CQVSocket::OnOutOfBandData(int)
{
    return 1;
}

int CQVSocket::OnSend(int)
{
    return 1;
}

int CQVSocket::OnReceive(int)
{
    return 1;
}

void CQVSocket::PostStatus(unsigned status, unsigned code)
{
    std::lock_guard lock(m_mutex);
    if (m_pStatusWnd)
        QCoreApplication::postEvent(m_pStatusWnd, new CQVSocketStatusEvent(this, m_nSerial, status, code));
}

void CQVSocket::SetStatus(unsigned status, unsigned code)
{
    m_nStatus = status;
    PostStatus(status, code);
}

// ---- Worker ----

void CQVSocket::WorkerMain()
{
    t_workerSocket = this;
    if (ConnectHelper() == 0 && !m_bCancel.load())
        WatchEvents();
    t_workerSocket = nullptr;
    m_bThreadActive = false;
}

int CQVSocket::ConnectHelper()
{
    SetStatus(QVSOCKET_STATUS_RESOLVING);
    addrinfo* list = nullptr;
    int error = ResolveHost(m_strHost.toStdString(), std::to_string(m_nPort), &list);
    if (m_bCancel.load()) {
        if (list)
            freeaddrinfo(list);
        return WSAEINTR;
    }
    if (error) {
        m_nLastError = error;
        SetStatus(QVSOCKET_STATUS_RESOLVE_ERROR, static_cast<unsigned>(error));
        return error;
    }
    SetStatus(QVSOCKET_STATUS_RESOLVED);
    SetStatus(QVSOCKET_STATUS_CONNECTING);
    error = WSAHOST_NOT_FOUND;
    // Every address of the host in turn: "localhost" may name ::1 first while the server
    // listens on 127.0.0.1 only.
    for (const addrinfo* address = list; address; address = address->ai_next) {
        error = ConnectAddress(address);
        if (error == 0 || m_bCancel.load())
            break;
    }
    freeaddrinfo(list);
    if (m_bCancel.load())
        return WSAEINTR;
    if (error) {
        m_nLastError = error;
        if (m_nEventMask & FD_CONNECT)
            OnConnect(error);
        SetStatus(QVSOCKET_STATUS_CONNECT_ERROR, static_cast<unsigned>(error));
        return error;
    }
    m_bOpened = true;
    SetStatus(QVSOCKET_STATUS_CONNECTED);
    if (m_nEventMask & FD_CONNECT)
        OnConnect(0);
    return 0;
}

int CQVSocket::ResolveHost(const std::string& host, const std::string& service, addrinfo** result)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // An address written as numbers needs no resolver at all.
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, result) == 0)
        return 0;
    *result = nullptr;

    auto state = std::make_shared<LookupState>();
    try {
        std::thread([state, host, service]() {
            addrinfo lookupHints{};
            lookupHints.ai_family = AF_UNSPEC;
            lookupHints.ai_socktype = SOCK_STREAM;
            lookupHints.ai_flags = AI_NUMERICSERV;
            addrinfo* list = nullptr;
            const int status = getaddrinfo(host.c_str(), service.c_str(), &lookupHints, &list);
            const int error = status == 0 ? 0 : AfxErrnoToWinsockError(status, true);
            std::lock_guard lock(state->mutex);
            if (state->abandoned) {
                if (list)
                    freeaddrinfo(list);
                return;
            }
            state->list = status == 0 ? list : nullptr;
            state->result = error;
            state->finished = true;
            state->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return 10055;
    }

    const long long deadline = Earlier(DeadlineAfter(m_nGetHostTimeOut), m_nTransferDeadline);
    std::unique_lock lock(state->mutex);
    while (!state->finished) {
        if (m_bCancel.load()) {
            state->abandoned = true;
            return WSAEINTR;
        }
        if (deadline && NowMs() >= deadline) {
            state->abandoned = true;
            return WSAETIMEDOUT;
        }
        state->done.wait_for(lock, std::chrono::milliseconds(20));
    }
    *result = state->list;
    return state->result;
}

int CQVSocket::ConnectAddress(const addrinfo* address)
{
    const int fd = ::socket(address->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return AfxErrnoToWinsockError(errno);
    auto fail = [fd](int error) {
        ::close(fd);
        return error;
    };
    if (m_nLocalPort || !m_strLocalAddress.isEmpty()) {
        addrinfo hints{};
        hints.ai_family = address->ai_family;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
        addrinfo* local = nullptr;
        const std::string localHost = m_strLocalAddress.toStdString();
        const int status = getaddrinfo(localHost.empty() ? nullptr : localHost.c_str(),
                                       std::to_string(m_nLocalPort).c_str(), &hints, &local);
        if (status != 0)
            return fail(AfxErrnoToWinsockError(status, true));
        const int bound = ::bind(fd, local->ai_addr, local->ai_addrlen);
        const int bindError = errno;
        freeaddrinfo(local);
        if (bound != 0)
            return fail(AfxErrnoToWinsockError(bindError));
    }
    {
        std::lock_guard lock(m_mutex);
        m_strServerIP = NumericAddress(address->ai_addr, address->ai_addrlen);
    }
    if (::connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
        if (errno != EINPROGRESS)
            return fail(AfxErrnoToWinsockError(errno));
        const long long deadline = Earlier(DeadlineAfter(m_nConnectTimeOut), m_nTransferDeadline);
        short revents = 0;
        int error = 0;
        if (!WaitFor(fd, POLLOUT, deadline, revents, error))
            return fail(error);
        int status = 0;
        socklen_t length = sizeof status;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &status, &length) != 0)
            return fail(AfxErrnoToWinsockError(errno));
        if (status != 0)
            return fail(AfxErrnoToWinsockError(status));
    }
    m_hSocket = fd;
    return 0;
}

bool CQVSocket::WaitFor(int fd, short events, long long deadline, short& revents, int& error)
{
    for (;;) {
        if (m_bCancel.load()) {
            error = WSAEINTR;
            return false;
        }
        int timeout = -1;
        if (deadline) {
            const long long left = deadline - NowMs();
            if (left <= 0) {
                error = WSAETIMEDOUT;
                return false;
            }
            timeout = static_cast<int>(std::min<long long>(left, INT_MAX));
        }
        pollfd fds[2] = {{fd, events, 0}, {m_cancelPipe[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            error = AfxErrnoToWinsockError(errno);
            return false;
        }
        if (fds[1].revents) {
            error = WSAEINTR;
            return false;
        }
        if (ready == 0)
            continue; // the deadline check above ends the wait
        revents = fds[0].revents;
        return true;
    }
}

long long CQVSocket::NextDeadline() const
{
    return Earlier(m_nIdleDeadline, m_nTransferDeadline);
}

void CQVSocket::WatchEvents()
{
    m_nIdleDeadline = DeadlineAfter(m_nIdleTimeOut);
    while (!m_bCancel.load() && !m_bStopWatching.load()) {
        short events = POLLIN | POLLPRI;
        if (m_bWantSend.load() && (m_nEventMask & FD_WRITE))
            events |= POLLOUT;
        short revents = 0;
        int error = 0;
        if (!WaitFor(m_hSocket, events, NextDeadline(), revents, error)) {
            if (error != WSAEINTR) {
                m_nLastError = error;
                SetStatus(QVSOCKET_STATUS_RECEIVE_ERROR, static_cast<unsigned>(error));
            }
            return;
        }
        m_nIdleDeadline = DeadlineAfter(m_nIdleTimeOut);
        if (revents & POLLNVAL) {
            m_nLastError = 10009;
            SetStatus(QVSOCKET_STATUS_RECEIVE_ERROR, 10009);
            return;
        }
        if (revents & POLLPRI) {
            if (m_nEventMask & FD_OOB)
                OnOutOfBandData(0);
            // An urgent byte nobody took would keep the event signalled for ever.
            char urgent;
            [[maybe_unused]] const ssize_t discarded = ::recv(m_hSocket, &urgent, 1, MSG_OOB | MSG_DONTWAIT);
        }
        if (revents & (POLLIN | POLLHUP | POLLERR)) {
            char probe;
            const ssize_t peeked = ::recv(m_hSocket, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
            if (peeked > 0) {
                if (m_nEventMask & FD_READ) {
                    OnReceive(0);
                } else {
                    char discard[4096]; // nobody reads: the data must not keep the event signalled
                    [[maybe_unused]] const int count = Receive(discard, sizeof discard);
                }
            } else if (peeked == 0 || (errno != EAGAIN && errno != EINTR)) {
                const int closeError = peeked == 0 ? 0 : AfxErrnoToWinsockError(errno);
                SetStatus(QVSOCKET_STATUS_DISCONNECTED, static_cast<unsigned>(closeError));
                if (m_nEventMask & FD_CLOSE)
                    OnClose(closeError);
                return;
            }
        }
        if ((revents & POLLOUT) && m_bWantSend.load() && (m_nEventMask & FD_WRITE))
            OnSend(0);
    }
}
