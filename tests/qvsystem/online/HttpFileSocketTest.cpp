// The socket layer and the HTTP download against a server on 127.0.0.1.
#include "OnlineTestSupport.h"

#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/online/HttpFileSocket.h"
#include "qvsystem/online/HttpHeader.h"
#include "qvsystem/online/InternetErrorText.h"
#include "qvsystem/online/QVSocket.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <netdb.h>
#include <vector>

using namespace corda::test;

namespace {

// Collects the status events a socket posts.
class CStatusSink : public QObject {
public:
    struct CStatus {
        unsigned status;
        unsigned code;
        uint64_t serial;
    };

    bool event(QEvent* event) override
    {
        if (event->type() != CQVSocketStatusEvent::EventType())
            return QObject::event(event);
        const auto* status = static_cast<CQVSocketStatusEvent*>(event);
        statuses.push_back({status->GetStatus(), status->GetCode(), status->GetSerial()});
        return true;
    }
    const CStatus* Find(unsigned status) const
    {
        for (const CStatus& each : statuses) {
            if (each.status == status)
                return &each;
        }
        return nullptr;
    }
    // The first status that ends a transfer: completion or an error.
    const CStatus* End() const
    {
        for (const CStatus& each : statuses) {
            if (each.status == HTTP_STATUS_TRANSFER_COMPLETE || AfxIsQVSocketErrorStatus(each.status))
                return &each;
        }
        return nullptr;
    }
    bool WaitForEnd(int milliseconds = 5000)
    {
        return WaitUntil([this]() { return End() != nullptr; }, milliseconds);
    }

    std::vector<CStatus> statuses;
};

class HttpFileSocketTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!CQVSocket::IsInitialized()) {
            ASSERT_TRUE(CQVSocket::Initialize());
        }
        ASSERT_TRUE(m_dir.isValid());
    }
    QString FilePath() const { return m_dir.filePath(QStringLiteral("response.tmp")); }

    void StartFetch(CHttpFileSocket& socket, const QString& url, bool headerOnly = false)
    {
        socket.SetStatusCallbackWnd(&m_sink);
        socket.SetGetHeaderOnly(headerOnly);
        socket.SetLocalFileName(FilePath());
        socket.SetIdleTimeOut(5000);
        ASSERT_TRUE(socket.Create());
        ASSERT_TRUE(socket.Connect(url, 80)) << socket.GetLastError();
    }

    CHttpTestServer m_server;
    CStatusSink m_sink;
    QTemporaryDir m_dir;
};

// A wrong request line, a missing Host or Connection field, or a file that loses the header
// or part of the body would each break the update check against a real server.
TEST_F(HttpFileSocketTest, SendsTheRequestAndKeepsTheWholeResponseInTheFile)
{
    const QByteArray response = "HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\n1.2.3.4";
    m_server.Serve(CServedResponse::Raw(response));
    struct Case {
        QString url;
        bool headerOnly;
        QByteArray request;
    };
    const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(m_server.Port()) + "\r\n";
    const std::vector<Case> cases = {
        {m_server.Url(QStringLiteral("/cordalib/latest.txt")), false,
         "GET /cordalib/latest.txt HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n"},
        // Without a scheme the address is a web address; the query goes with the object.
        {QStringLiteral("127.0.0.1:%1/v?product=cordalib").arg(m_server.Port()), false,
         "GET /v?product=cordalib HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n"},
        // A server address alone asks for the root.
        {QStringLiteral("http://127.0.0.1:%1").arg(m_server.Port()), false,
         "GET / HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n"},
        {m_server.Url(QStringLiteral("/latest.txt")), true,
         "HEAD /latest.txt HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        QFile::remove(FilePath());
        m_sink.statuses.clear();
        CHttpFileSocket socket;
        StartFetch(socket, c.url, c.headerOnly);
        ASSERT_TRUE(m_sink.WaitForEnd());
        ASSERT_EQ(m_sink.End()->status, HTTP_STATUS_TRANSFER_COMPLETE);
        EXPECT_EQ(m_sink.End()->code, 200u);
        EXPECT_EQ(m_server.LastRequest(), c.request);
        const CStatusSink::CStatus* header = m_sink.Find(HTTP_STATUS_HEADER_RECEIVED);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->code, 7u);
        EXPECT_EQ(socket.GetHeader().GetLength(), response.indexOf("\r\n\r\n") + 4);
        EXPECT_EQ(socket.GetHostServerIP(), QStringLiteral("127.0.0.1"));
        if (c.headerOnly)
            EXPECT_FALSE(QFile::exists(FilePath()));
        else
            EXPECT_EQ(ReadAll(FilePath()), response);
        socket.Close();
        EXPECT_FALSE(socket.IsThreadActive());
        QTest::qWait(20);
        EXPECT_EQ(m_sink.statuses.back().status, QVSOCKET_STATUS_CLOSED);
        EXPECT_EQ(m_sink.statuses.back().serial, socket.GetSerial());
    }
}

// A header that never ends with a blank line must stay unparsed (content length 0) and end
// the transfer as a broken response, not as a success with an empty body; so must a
// response that stops short of its announced length or is not HTTP at all.
TEST_F(HttpFileSocketTest, BrokenResponsesEndWithTheirError)
{
    struct Case {
        const char* name;
        QByteArray response;
        int error;
        bool headerComplete;
    };
    const std::vector<Case> cases = {
        {"header without its blank line", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n",
         QVSOCKET_ERROR_INVALID_RESPONSE, false},
        {"nothing at all", "", QVSOCKET_ERROR_INVALID_RESPONSE, false},
        {"not HTTP", "SSH-2.0-OpenSSH_9.2\r\n\r\n", QVSOCKET_ERROR_INVALID_RESPONSE, false},
        {"body shorter than announced", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n1.2",
         QVSOCKET_ERROR_INCOMPLETE_RESPONSE, true},
        {"length that is no number", "HTTP/1.1 200 OK\r\nContent-Length: lots\r\n\r\n1.2",
         QVSOCKET_ERROR_INVALID_RESPONSE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sink.statuses.clear();
        m_server.Serve(CServedResponse::Raw(c.response));
        CHttpFileSocket socket;
        StartFetch(socket, m_server.Url());
        ASSERT_TRUE(m_sink.WaitForEnd());
        EXPECT_EQ(m_sink.End()->status, QVSOCKET_STATUS_RECEIVE_ERROR);
        EXPECT_EQ(static_cast<int>(m_sink.End()->code), c.error);
        EXPECT_EQ(socket.IsHeaderComplete(), c.headerComplete);
        if (!c.headerComplete) {
            EXPECT_EQ(socket.GetHeader().GetContentLength(), 0);
            EXPECT_EQ(socket.GetHeader().GetLength(), 0);
        }
        EXPECT_TRUE(WaitUntil([&]() { return !socket.IsThreadActive(); }));
    }
}

// A socket that never had a connection must not tell its window that one closed; a failed
// connection leaves nothing open either. Misuse is refused with the documented codes.
TEST_F(HttpFileSocketTest, ClosingWithoutAConnectionPostsNothingAndMisuseIsRefused)
{
    {
        CHttpFileSocket socket;
        socket.SetStatusCallbackWnd(&m_sink);
        socket.Close();
        ASSERT_TRUE(socket.Create());
        socket.Close();
        QTest::qWait(20);
        EXPECT_TRUE(m_sink.statuses.empty());
    }

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = closed.serverPort();
    closed.close();
    {
        CHttpFileSocket socket;
        StartFetch(socket, QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort));
        ASSERT_TRUE(m_sink.WaitForEnd());
        EXPECT_EQ(m_sink.End()->status, QVSOCKET_STATUS_CONNECT_ERROR);
        EXPECT_EQ(static_cast<int>(m_sink.End()->code), WSAECONNREFUSED);
        EXPECT_TRUE(WaitUntil([&]() { return !socket.IsThreadActive(); }));
        const size_t before = m_sink.statuses.size();
        socket.Close();
        QTest::qWait(20);
        EXPECT_EQ(m_sink.statuses.size(), before);
    }

    CHttpFileSocket socket;
    EXPECT_FALSE(socket.Create(0, SOCK_DGRAM));
    EXPECT_EQ(socket.GetLastError(), WSAESOCKTNOSUPPORT);
    EXPECT_FALSE(socket.Connect(m_server.Url(), 0));
    EXPECT_EQ(socket.GetLastError(), WSAEINVAL);
    EXPECT_FALSE(socket.Connect(QStringLiteral("http://"), 80));
    EXPECT_EQ(socket.GetLastError(), WSAEINVAL);
    m_server.Serve({CServedResponse::stall, {}});
    ASSERT_TRUE(socket.Connect(m_server.Url(), 80));
    EXPECT_FALSE(socket.Connect(m_server.Url(), 80));
    EXPECT_EQ(socket.GetLastError(), WSAEISCONN);
    socket.Close();
}

// "localhost" may name ::1 before 127.0.0.1; a server listening on the IPv4 address only
// must still be reached by trying the next address.
TEST_F(HttpFileSocketTest, HostNamesResolveAndEveryAddressIsTried)
{
    m_server.Serve(CServedResponse::Ok("1.0"));
    CHttpFileSocket socket;
    StartFetch(socket, QStringLiteral("http://localhost:%1/latest.txt").arg(m_server.Port()));
    ASSERT_TRUE(m_sink.WaitForEnd());
    ASSERT_EQ(m_sink.End()->status, HTTP_STATUS_TRANSFER_COMPLETE);
    EXPECT_EQ(socket.GetHostServerIP(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(m_server.LastRequest().contains("Host: localhost:" + QByteArray::number(m_server.Port())));
    ASSERT_NE(m_sink.Find(QVSOCKET_STATUS_RESOLVING), nullptr);
    EXPECT_NE(m_sink.Find(QVSOCKET_STATUS_CONNECTED), nullptr);
}

// A server that accepts and then says nothing must not hold the socket for ever, and a
// progress window's Cancel must reach the socket and end it at once.
TEST_F(HttpFileSocketTest, StalledServersTimeOutAndCancelClosesTheSocket)
{
    m_server.Serve({CServedResponse::stall, {}});
    {
        CHttpFileSocket socket;
        socket.SetStatusCallbackWnd(&m_sink);
        socket.SetGetHeaderOnly(false);
        socket.SetLocalFileName(FilePath());
        socket.SetIdleTimeOut(300);
        ASSERT_TRUE(socket.Connect(m_server.Url(), 80));
        ASSERT_TRUE(m_sink.WaitForEnd());
        EXPECT_EQ(m_sink.End()->status, QVSOCKET_STATUS_RECEIVE_ERROR);
        EXPECT_EQ(static_cast<int>(m_sink.End()->code), WSAETIMEDOUT);
    }

    m_sink.statuses.clear();
    auto socket = std::make_unique<CHttpFileSocket>();
    socket->SetStatusCallbackWnd(&m_sink);
    ASSERT_TRUE(socket->Connect(m_server.Url(), 80));
    ASSERT_TRUE(WaitUntil([&]() { return m_sink.Find(QVSOCKET_STATUS_CONNECTED) != nullptr; }));
    AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
    CProgressDlg progress;
    progress.SetSocket(socket->GetCloseFunction());
    progress.CreateProgressStyle(nullptr);
    progress.ShowProgressStyle();
    QTest::mouseClick(progress.GetCancelButton(), Qt::LeftButton);
    EXPECT_FALSE(socket->IsThreadActive());
    EXPECT_TRUE(WaitUntil([&]() { return m_sink.Find(QVSOCKET_STATUS_CLOSED) != nullptr; }));
    EXPECT_TRUE(WaitUntil([&]() { return m_server.ClientsGone() >= 2; }));
    // Once the socket is gone the close function must not reach it.
    progress.SetSocket(socket->GetCloseFunction());
    auto close = socket->GetCloseFunction();
    socket.reset();
    close();
    progress.DestroyWindow();
}

// Starting the layer twice, or stopping it when it was not started, is reported and fails;
// a connection before Initialize fails with error 1.
TEST_F(HttpFileSocketTest, TheLayerStartsOnceAndReportsMisuse)
{
    CBoxRecorder boxes;
    EXPECT_FALSE(CQVSocket::Initialize());
    ASSERT_TRUE(CQVSocket::Deinitialize());
    EXPECT_FALSE(CQVSocket::Deinitialize());
    CHttpFileSocket socket;
    EXPECT_FALSE(socket.Connect(m_server.Url(), 80));
    EXPECT_EQ(socket.GetLastError(), QVSOCKET_ERROR_NOT_INITIALIZED);
    ASSERT_TRUE(CQVSocket::Initialize());
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              QStringLiteral("An error has occurred while initializing the QVSocket class.\n\n"
                             "The QVSocket class has already been initialized."));
    EXPECT_EQ(boxes.Boxes()[1].text, QStringLiteral("An error has occurred while deinitializing the QVSocket "
                                                    "class.\n\nSuccessful WSAStartup not yet performed."));
}

// The header fields the download relies on, however a server writes them.
TEST(HttpHeaderTest, ParsesTheStatusLineAndFields)
{
    CHttpHeader header;
    EXPECT_FALSE(header.InitializeFromStream("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n"));
    EXPECT_EQ(header.GetLength(), 0);

    const QByteArray stream = "HTTP/1.1 404 Not Found\r\n"
                              "Location:  http://example.invalid:8080/a  \r\n"
                              ": no name\r\n"
                              "no colon here\r\n"
                              "content-length: 12\r\n"
                              "Transfer-Encoding: gzip, Chunked\r\n"
                              "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                              "\r\nbody";
    ASSERT_TRUE(header.InitializeFromStream(stream));
    EXPECT_EQ(header.GetVersion(), QStringLiteral("HTTP/1.1"));
    EXPECT_EQ(header.GetStatusCode(), 404);
    EXPECT_EQ(header.GetLength(), stream.indexOf("\r\n\r\n") + 4);
    // Split at the first colon only, both sides trimmed; lines without a name are dropped.
    EXPECT_EQ(header.GetFieldValue(QStringLiteral("Location")),
              QStringLiteral("http://example.invalid:8080/a"));
    EXPECT_EQ(header.GetFieldsMap().size(), 4u);
    // Field access is exact; the length and the encoding are found whatever the case.
    EXPECT_TRUE(header.GetFieldValue(QStringLiteral("Content-Length")).isNull());
    EXPECT_EQ(header.GetContentLength(), 12);
    EXPECT_TRUE(header.IsChunked());
    const COleDateTime modified = header.GetLastModified();
    ASSERT_EQ(modified.GetStatus(), COleDateTime::valid);
    EXPECT_NEAR(modified.m_dt, COleDateTime(1994, 11, 6, 8, 49, 37).m_dt, 0.5 / 86400);
    header.SetFieldValue(QStringLiteral("Last-Modified"), QStringLiteral("Sunday, 06-Nov-94 08:49:37 GMT"));
    EXPECT_NEAR(header.GetLastModified().m_dt, COleDateTime(1994, 11, 6, 8, 49, 37).m_dt, 0.5 / 86400);

    CHttpHeader plain;
    ASSERT_TRUE(plain.InitializeFromStream("HTTP/1.0 200 OK\r\n\r\n"));
    EXPECT_FALSE(plain.HasContentLength());
    EXPECT_EQ(plain.GetContentLength(), 0);
    EXPECT_EQ(plain.GetLastModified().GetStatus(), COleDateTime::invalid);
    plain.SetFieldValue(QStringLiteral("X"), QStringLiteral("1"));
    EXPECT_TRUE(plain.RemoveField(QStringLiteral("X")));
    EXPECT_FALSE(plain.RemoveField(QStringLiteral("X")));
}

// A body sent in chunks must be joined without its size lines; a cut or garbled one must
// be refused rather than read as a version number.
TEST(HttpHeaderTest, ChunkedBodiesAreJoinedOrRefused)
{
    QByteArray body;
    EXPECT_TRUE(
        CHttpFileSocket::DecodeChunkedBody("3\r\n1.2\r\n2;ext=1\r\n.5\r\n0\r\nX-Trailer: y\r\n\r\n", body));
    EXPECT_EQ(body, QByteArray("1.2.5"));
    EXPECT_TRUE(CHttpFileSocket::DecodeChunkedBody("A\r\n0123456789\r\n0\r\n\r\n", body));
    EXPECT_EQ(body, QByteArray("0123456789"));
    for (const QByteArray& broken : {QByteArray("3\r\n1.2\r\n"), QByteArray("5\r\n1.2\r\n0\r\n\r\n"),
                                     QByteArray("zz\r\n1.2\r\n0\r\n\r\n"), QByteArray("ffffffffffffffff\r\n"),
                                     QByteArray("3\r\n1.2XX0\r\n\r\n"), QByteArray()}) {
        EXPECT_FALSE(CHttpFileSocket::DecodeChunkedBody(broken, body)) << broken.toStdString();
    }
}

// The messages name the cause in words; a code without a text must say so instead of
// showing an empty line.
TEST(InternetErrorTextTest, StatusAndSocketCodesHaveTheirTexts)
{
    EXPECT_EQ(AfxGetHTTPStatusCodeText(404),
              QStringLiteral("The server has not found anything that matches the "
                             "requested URI."));
    EXPECT_EQ(AfxGetHTTPStatusCodeText(100), QStringLiteral("The request can be continued."));
    EXPECT_EQ(AfxGetHTTPStatusCodeText(200), QStringLiteral("The request completed successfully."));
    EXPECT_EQ(AfxGetHTTPStatusCodeText(500),
              QStringLiteral("The server encountered an unexpected condition that "
                             "prevented it from fulfilling the request."));
    EXPECT_TRUE(AfxGetHTTPStatusCodeText(301).startsWith(QStringLiteral(
        "The requested resource has been assigned to a new permanent Uniform Resource Identifier")));
    const QString unknownStatus = QStringLiteral("Unknown HTTP status code.");
    std::vector<int> listed = {100, 101, 300, 301, 302, 303, 304, 305, 307};
    for (int code = 200; code <= 206; ++code)
        listed.push_back(code);
    for (int code = 400; code <= 415; ++code)
        listed.push_back(code);
    for (int code = 500; code <= 505; ++code)
        listed.push_back(code);
    for (int code : listed) {
        const QString text = AfxGetHTTPStatusCodeText(code);
        EXPECT_FALSE(text.isEmpty() || text == unknownStatus) << code;
    }
    for (int code : {0, 99, 199, 299, 306, 416, 506, 600, 10060, -404})
        EXPECT_EQ(AfxGetHTTPStatusCodeText(code), unknownStatus) << code;

    EXPECT_EQ(AfxGetWinsockErrorText(10004), QStringLiteral("Interrupted function call."));
    EXPECT_EQ(AfxGetWinsockErrorText(WSAETIMEDOUT), QStringLiteral("Connection timed out."));
    EXPECT_EQ(AfxGetWinsockErrorText(WSAECONNREFUSED), QStringLiteral("Connection refused."));
    EXPECT_EQ(AfxGetWinsockErrorText(WSAHOST_NOT_FOUND), QStringLiteral("Host not found."));
    for (int code : {0, 1, 404, 9999, 10000, 10005, 12345, 20000})
        EXPECT_EQ(AfxGetWinsockErrorText(code), QStringLiteral("Unknown error.")) << code;
    for (int code : {QVSOCKET_ERROR_HEADER_TOO_LARGE, QVSOCKET_ERROR_RESPONSE_TOO_LARGE,
                     QVSOCKET_ERROR_INVALID_RESPONSE, QVSOCKET_ERROR_INCOMPLETE_RESPONSE})
        EXPECT_NE(AfxGetWinsockErrorText(code), QStringLiteral("Unknown error.")) << code;

    // The system's errors arrive as errno values and are shown with the sockets' texts.
    EXPECT_EQ(AfxErrnoToWinsockError(ECONNREFUSED), WSAECONNREFUSED);
    EXPECT_EQ(AfxErrnoToWinsockError(ETIMEDOUT), WSAETIMEDOUT);
    EXPECT_EQ(AfxErrnoToWinsockError(ECONNRESET), 10054);
    EXPECT_EQ(AfxErrnoToWinsockError(EAI_NONAME, true), WSAHOST_NOT_FOUND);
    EXPECT_EQ(AfxErrnoToWinsockError(0), 0);
}

} // namespace
