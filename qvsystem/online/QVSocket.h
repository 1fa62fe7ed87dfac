#pragma once
// The library's event-driven TCP client socket. Connect resolves the host and connects on a
// worker thread of the socket's own, which then watches the connection's network events and
// calls the handlers (OnConnect, OnReceive, OnSend, OnOutOfBandData, OnClose) there. Every
// status change is posted to the status window as a CQVSocketStatusEvent, so a window
// follows a transfer from its own event loop and never waits on the network.
//
// Threads: the handlers run on the worker thread and must not touch widgets; Close, Connect
// and the setters belong to the thread that owns the socket (the UI thread). Close never
// blocks for long: the worker watches a cancel signal beside the network, and a host lookup
// that hangs is abandoned rather than waited for.
//
// The status window must outlive the socket, or be taken away (SetStatusCallbackWnd(nullptr))
// or the socket closed before the window goes: posting stops with Close.

#include "qvsystem/qvsystem_export.h"

#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CQVSocket;

// The posted status message (the window message 0x83EB of the socket layer).
inline constexpr int WM_QV_SOCKET_STATUS = 0x83EB;

// Status values. 0 and 1000 are fixed; the others tell the stages of a connection. The
// code that goes with a status is 0, an error code (the Windows Sockets code, or one of
// the socket layer's own below), a byte count or an HTTP status code as noted.
inline constexpr unsigned QVSOCKET_STATUS_CLOSED = 0;
inline constexpr unsigned QVSOCKET_STATUS_RESOLVING = 1;
inline constexpr unsigned QVSOCKET_STATUS_RESOLVED = 2;
inline constexpr unsigned QVSOCKET_STATUS_CONNECTING = 3;
inline constexpr unsigned QVSOCKET_STATUS_CONNECTED = 4;
inline constexpr unsigned QVSOCKET_STATUS_SENDING = 5;   // code: bytes sent
inline constexpr unsigned QVSOCKET_STATUS_RECEIVING = 6; // code: bytes received by one read
inline constexpr unsigned QVSOCKET_STATUS_DISCONNECTED = 7;
inline constexpr unsigned QVSOCKET_STATUS_RESOLVE_ERROR = 100; // error statuses: 100 to 199
inline constexpr unsigned QVSOCKET_STATUS_CONNECT_ERROR = 101;
inline constexpr unsigned QVSOCKET_STATUS_SEND_ERROR = 102;
inline constexpr unsigned QVSOCKET_STATUS_RECEIVE_ERROR = 103;
inline constexpr unsigned QVSOCKET_STATUS_FILE_ERROR = 104;     // code: the errno value
inline constexpr unsigned HTTP_STATUS_HEADER_RECEIVED = 1000;   // code: the content length
inline constexpr unsigned HTTP_STATUS_TRANSFER_COMPLETE = 1001; // code: the HTTP status code

inline bool AfxIsQVSocketErrorStatus(unsigned status)
{
    return status >= QVSOCKET_STATUS_RESOLVE_ERROR && status < 200;
}

// Windows Sockets error codes that the layer reports (errno values are translated).
inline constexpr int WSAEINTR = 10004;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAESOCKTNOSUPPORT = 10044;
inline constexpr int WSAEISCONN = 10056;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAETIMEDOUT = 10060;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSANOTINITIALISED = 10093;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
// Connect before Initialize.
inline constexpr int QVSOCKET_ERROR_NOT_INITIALIZED = 1;
// The socket layer's own errors: a server that sends more than a client accepts, or
// something that is not an HTTP response.
inline constexpr int QVSOCKET_ERROR_HEADER_TOO_LARGE = 12201;
inline constexpr int QVSOCKET_ERROR_RESPONSE_TOO_LARGE = 12202;
inline constexpr int QVSOCKET_ERROR_INVALID_RESPONSE = 12203;
inline constexpr int QVSOCKET_ERROR_INCOMPLETE_RESPONSE = 12204;

// The Windows Sockets code for an errno value (WSAEINVAL ... ), or for a getaddrinfo
// result when lookup is true (WSAHOST_NOT_FOUND ...).
QVSYSTEM_EXPORT int AfxErrnoToWinsockError(int error, bool lookup = false);

// Network-event mask bits (the Windows values).
inline constexpr unsigned FD_READ = 0x01;
inline constexpr unsigned FD_WRITE = 0x02;
inline constexpr unsigned FD_OOB = 0x04;
inline constexpr unsigned FD_ACCEPT = 0x08;
inline constexpr unsigned FD_CONNECT = 0x10;
inline constexpr unsigned FD_CLOSE = 0x20;
inline constexpr unsigned FD_ALL_EVENTS = 0x3F;

class QVSYSTEM_EXPORT CQVSocketStatusEvent : public QEvent {
public:
    CQVSocketStatusEvent(CQVSocket* socket, uint64_t serial, unsigned status, unsigned code);

    // The event type, WM_QV_SOCKET_STATUS.
    static QEvent::Type EventType();

    // The socket that posted, for comparison only: it may be gone by the time the event
    // arrives. The serial tells sockets apart even when one takes the address of another.
    CQVSocket* GetSocket() const { return m_pSocket; }
    uint64_t GetSerial() const { return m_nSerial; }
    unsigned GetStatus() const { return m_nStatus; }
    unsigned GetCode() const { return m_nCode; }
    // The message's second parameter: the status in the low 16 bits, the code in the high
    // 16 bits (held at 0xFFFF when larger).
    uint32_t GetLParam() const;

private:
    CQVSocket* m_pSocket;
    uint64_t m_nSerial;
    unsigned m_nStatus;
    unsigned m_nCode;
};

class QVSYSTEM_EXPORT CQVSocket {
public:
    static constexpr int DEFAULT_SEND_BUFFER_SIZE = 8192;
    static constexpr int DEFAULT_RECEIVE_BUFFER_SIZE = 16384;

    CQVSocket();
    virtual ~CQVSocket();
    CQVSocket(const CQVSocket&) = delete;
    CQVSocket& operator=(const CQVSocket&) = delete;

    // The layer once per process. A second Initialize, or a Deinitialize without one, shows
    // the layer's error message and fails.
    static bool Initialize();
    static bool Deinitialize();
    static bool IsInitialized();

    // Prepares the socket: a stream socket (SOCK_STREAM) and the network events to watch;
    // a local port other than 0 or a local address binds the connection to them. False for
    // another socket type or a socket that is in use.
    bool Create(unsigned port = 0, int socketType = 1, unsigned eventMask = FD_ALL_EVENTS,
                const QString& localAddress = QString());

    // Starts the worker that resolves and connects. A URL without "://" is a web address;
    // a port in the URL wins over the port given. False with GetLastError: 1 before
    // Initialize, WSAEISCONN while a worker runs, WSAEINVAL for an unusable URL or port.
    virtual bool Connect(const QString& url, unsigned port);
    // Stops the worker, closes the connection and posts status 0 when one had been made.
    // Called from a handler (the worker thread) it only asks the worker to stop.
    virtual void Close();

    // Non-blocking transfer on the connection: the count moved, 0 at the end of the stream
    // (Receive), or -1 with GetLastError (WSAEWOULDBLOCK when it would wait).
    virtual int Receive(char* buffer, int size);
    virtual int Send(const char* buffer, int size);

    void SetStatusCallbackWnd(QObject* window);
    QObject* GetStatusCallbackWnd() const;
    // Milliseconds; 0 for none (the default of each).
    void SetGetHostTimeOut(unsigned milliseconds);
    void SetConnectTimeOut(unsigned milliseconds);
    // The connection is given up with WSAETIMEDOUT when no network event arrives for this
    // long, or when the whole transfer takes longer than the transfer time-out.
    void SetIdleTimeOut(unsigned milliseconds);
    void SetTransferTimeOut(unsigned milliseconds);
    unsigned GetGetHostTimeOut() const { return m_nGetHostTimeOut; }
    // 0 restores the default.
    void SetReceiveBufferSize(int size);
    int GetReceiveBufferSize() const { return m_nReceiveBufferSize; }
    int GetSendBufferSize() const { return m_nSendBufferSize; }

    unsigned GetStatus() const { return m_nStatus.load(); }
    int GetLastError() const { return m_nLastError.load(); }
    bool IsThreadActive() const { return m_bThreadActive.load(); }
    // The server's address once resolved ("127.0.0.1"), the host and object of the URL.
    QString GetHostServerIP() const;
    QString GetHostName() const { return m_strHost; }
    QString GetHostObject() const { return m_strObject; }
    unsigned GetPort() const { return m_nPort; }
    QString GetURL() const { return m_strURL; }
    uint64_t GetSerial() const { return m_nSerial; }

    // A function that closes this socket while it exists and does nothing once it is gone:
    // for a progress window's Cancel (CProgressDlg::SetSocket). Call it on the owner's thread.
    std::function<void()> GetCloseFunction();

protected:
    // The network-event handlers, on the worker thread; the error is 0 or a Windows Sockets
    // code. The defaults do nothing and return 1.
    virtual int OnClose(int error);
    virtual int OnConnect(int error);
    virtual int OnOutOfBandData(int error);
    virtual int OnSend(int error);
    virtual int OnReceive(int error);

    // Posts a status with its code to the status window.
    void PostStatus(unsigned status, unsigned code = 0);
    // From a handler: the worker stops watching after the handler returns.
    void StopWatching() { m_bStopWatching.store(true); }
    // From a handler: watch for room to send (OnSend) while true.
    void SetWantSend(bool want) { m_bWantSend.store(want); }
    void SetLastError(int error) { m_nLastError.store(error); }

    // Resolves and connects on the worker thread; 0 or the error code.
    virtual int ConnectHelper();

private:
    struct CloseToken;

    void WorkerMain();
    void WatchEvents();
    int ResolveHost(const std::string& host, const std::string& service, struct addrinfo** result);
    int ConnectAddress(const struct addrinfo* address);
    bool WaitFor(int fd, short events, long long deadlineMs, short& revents, int& error);
    long long NextDeadline() const;
    void SetStatus(unsigned status, unsigned code = 0);

    int m_hSocket = -1;
    int m_cancelPipe[2] = {-1, -1};
    QString m_strURL;
    QString m_strHost;
    QString m_strObject;
    unsigned m_nPort = 0;
    unsigned m_nLocalPort = 0;
    QString m_strLocalAddress;
    unsigned m_nEventMask = FD_ALL_EVENTS;
    bool m_bCreated = false;
    unsigned m_nGetHostTimeOut = 0;
    unsigned m_nConnectTimeOut = 0;
    unsigned m_nIdleTimeOut = 0;
    unsigned m_nTransferTimeOut = 0;
    int m_nSendBufferSize = DEFAULT_SEND_BUFFER_SIZE;
    int m_nReceiveBufferSize = DEFAULT_RECEIVE_BUFFER_SIZE;

    std::thread m_worker;
    std::thread::id m_workerId;
    std::atomic<bool> m_bThreadActive{false};
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bStopWatching{false};
    std::atomic<bool> m_bWantSend{false};
    std::atomic<bool> m_bOpened{false};
    std::atomic<unsigned> m_nStatus{QVSOCKET_STATUS_CLOSED};
    std::atomic<int> m_nLastError{0};
    long long m_nTransferDeadline = 0;
    long long m_nIdleDeadline = 0;

    mutable std::mutex m_mutex; // the status window and the server's address
    QObject* m_pStatusWnd = nullptr;
    QString m_strServerIP;
    const uint64_t m_nSerial;
    std::shared_ptr<CloseToken> m_pCloseToken;
};
