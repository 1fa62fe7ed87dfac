#include "qvsystem/online/HttpFileSocket.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

// A chunk size line carries at most this many hexadecimal digits: more would overflow.
constexpr int MAX_CHUNK_SIZE_DIGITS = 15;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

CHttpFileSocket::CHttpFileSocket() = default;

CHttpFileSocket::~CHttpFileSocket()
{
    // Before the members go: the worker may still be inside a handler of this class.
    CHttpFileSocket::Close();
}

bool CHttpFileSocket::SetLocalFileName(const QString& fileName)
{
    if (IsThreadActive())
        return false;
    m_strLocalFileName = fileName;
    return true;
}

CHttpHeader CHttpFileSocket::GetHeader() const
{
    std::lock_guard lock(m_headerMutex);
    return m_header;
}

void CHttpFileSocket::Close()
{
    CQVSocket::Close();
    CloseLocalFile();
}

QByteArray CHttpFileSocket::BuildRequest(const QString& object, const QString& host, unsigned port,
                                         bool headerOnly)
{
    QString hostField = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    // A server on another port than the web's own is named with it, or virtual hosts miss.
    if (port != 80)
        hostField += QLatin1Char(':') + QString::number(port);
    const QString request =
        QStringLiteral("%1 %2 HTTP/1.1\r\nHost: %3\r\nConnection: close\r\n\r\n")
            .arg(headerOnly ? QStringLiteral("HEAD") : QStringLiteral("GET"), object, hostField);
    return request.toLatin1();
}

bool CHttpFileSocket::DecodeChunkedBody(const QByteArray& chunked, QByteArray& body)
{
    body.clear();
    qsizetype pos = 0;
    for (;;) {
        const qsizetype lineEnd = chunked.indexOf("\r\n", pos);
        if (lineEnd < 0)
            return false;
        int64_t size = 0;
        int digits = 0;
        qsizetype i = pos;
        for (; i < lineEnd; ++i) {
            const int digit = HexDigit(chunked[i]);
            if (digit < 0)
                break;
            if (++digits > MAX_CHUNK_SIZE_DIGITS)
                return false;
            size = size * 16 + digit;
        }
        // After the digits only blanks or a chunk extension may follow.
        if (digits == 0 || (i < lineEnd && chunked[i] != ';' && chunked[i] != ' ' && chunked[i] != '\t'))
            return false;
        pos = lineEnd + 2;
        if (size == 0)
            return true; // trailer fields, if any, carry nothing of the body
        if (size > chunked.size() - pos - 2 || chunked.mid(pos + size, 2) != "\r\n")
            return false;
        body.append(chunked.constData() + pos, static_cast<qsizetype>(size));
        pos += size + 2;
    }
}

int CHttpFileSocket::OnConnect(int error)
{
    if (error)
        return 1;
    {
        std::lock_guard lock(m_headerMutex);
        m_header = CHttpHeader();
    }
    m_headerText.clear();
    m_bHeaderComplete = false;
    m_bEnded = false;
    m_nBytesReceived = 0;
    m_nContentReceived = 0;
    m_request = BuildRequest(GetHostObject(), GetHostName(), GetPort(), m_bHeaderOnly);
    m_nRequestSent = 0;
    if (!m_bHeaderOnly) {
        CloseLocalFile();
        const QByteArray path = QFile::encodeName(m_strLocalFileName);
        m_hLocalFile =
            path.isEmpty() ? -1 : ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (m_hLocalFile < 0) {
            Fail(QVSOCKET_STATUS_FILE_ERROR, path.isEmpty() ? ENOENT : errno);
            return 1;
        }
    }
    SendPending();
    return 1;
}

void CHttpFileSocket::SendPending()
{
    while (m_nRequestSent < m_request.size()) {
        const int chunk =
            static_cast<int>(std::min<qsizetype>(m_request.size() - m_nRequestSent, GetSendBufferSize()));
        const int sent = Send(m_request.constData() + m_nRequestSent, chunk);
        if (sent < 0) {
            if (GetLastError() == WSAEWOULDBLOCK) {
                SetWantSend(true);
                return;
            }
            Fail(QVSOCKET_STATUS_SEND_ERROR, GetLastError());
            return;
        }
        m_nRequestSent += sent;
        PostStatus(QVSOCKET_STATUS_SENDING, static_cast<unsigned>(sent));
    }
    SetWantSend(false);
}

int CHttpFileSocket::OnSend(int error)
{
    if (error) {
        Fail(QVSOCKET_STATUS_SEND_ERROR, error);
        return 1;
    }
    SendPending();
    return 1;
}

int CHttpFileSocket::OnReceive(int error)
{
    if (m_bEnded.load())
        return 1;
    if (error) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, error);
        return 1;
    }
    // One read per event: the worker looks at Cancel and the time-outs between reads.
    std::vector<char> buffer(static_cast<size_t>(GetReceiveBufferSize()));
    const int count = Receive(buffer.data(), static_cast<int>(buffer.size()));
    if (count < 0) {
        if (GetLastError() != WSAEWOULDBLOCK)
            Fail(QVSOCKET_STATUS_RECEIVE_ERROR, GetLastError());
        return 1;
    }
    if (count > 0)
        Process(buffer.data(), count);
    return 1;
}

void CHttpFileSocket::Process(const char* data, int count)
{
    m_nBytesReceived += count;
    PostStatus(QVSOCKET_STATUS_RECEIVING, static_cast<unsigned>(count));
    if (!m_bHeaderOnly && !WriteToFile(data, count))
        return;
    if (!m_bHeaderComplete.load()) {
        const qsizetype searchFrom = std::max<qsizetype>(0, m_headerText.size() - 3);
        // Only what can still belong to the header is kept in memory.
        const qsizetype room = std::max<qsizetype>(0, m_nMaxHeaderSize + 4 - m_headerText.size());
        m_headerText.append(data, std::min<qsizetype>(count, room));
        ParseHeaderIfComplete(searchFrom);
        if (m_bEnded.load() || !m_bHeaderComplete.load())
            return;
    } else {
        m_nContentReceived += count;
    }
    if (m_nContentReceived > m_nMaxContentSize) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, QVSOCKET_ERROR_RESPONSE_TOO_LARGE);
        return;
    }
    const CHttpHeader& header = m_header;
    if (!header.IsChunked() && header.HasContentLength() && m_nContentReceived >= header.GetContentLength())
        Finish(); // all announced bytes are here, whether or not the server closes
}

void CHttpFileSocket::ParseHeaderIfComplete(qsizetype searchFrom)
{
    const qsizetype end = m_headerText.indexOf("\r\n\r\n", searchFrom);
    if (end < 0 || end + 4 > m_nMaxHeaderSize) {
        if (end >= 0 || m_headerText.size() >= m_nMaxHeaderSize)
            Fail(QVSOCKET_STATUS_RECEIVE_ERROR, QVSOCKET_ERROR_HEADER_TOO_LARGE);
        return;
    }
    CHttpHeader header;
    header.InitializeFromStream(m_headerText);
    if (!header.GetVersion().startsWith(QLatin1String("HTTP/")) || header.GetStatusCode() < 100 ||
        header.GetStatusCode() > 999 || header.GetContentLength() < 0) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, QVSOCKET_ERROR_INVALID_RESPONSE);
        return;
    }
    if (!m_bHeaderOnly && header.GetContentLength() > m_nMaxContentSize) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, QVSOCKET_ERROR_RESPONSE_TOO_LARGE);
        return;
    }
    {
        std::lock_guard lock(m_headerMutex);
        m_header = header;
    }
    m_bHeaderComplete = true;
    // What came with the header beyond it is the start of the body; the rest of this read
    // was not kept in the header text, so count from the bytes received.
    m_nContentReceived = m_nBytesReceived.load() - header.GetLength();
    m_headerText.clear();
    PostStatus(HTTP_STATUS_HEADER_RECEIVED,
               static_cast<unsigned>(std::min<int64_t>(header.GetContentLength(), UINT32_MAX)));
    if (m_bHeaderOnly)
        Finish();
}

bool CHttpFileSocket::WriteToFile(const char* data, qsizetype count)
{
    while (count > 0) {
        const ssize_t written = ::write(m_hLocalFile, data, static_cast<size_t>(count));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(QVSOCKET_STATUS_FILE_ERROR, errno);
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

int CHttpFileSocket::OnClose(int error)
{
    if (m_bEnded.load())
        return 1;
    if (error) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, error);
        return 1;
    }
    if (!m_bHeaderComplete.load()) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, QVSOCKET_ERROR_INVALID_RESPONSE);
        return 1;
    }
    if (!m_header.IsChunked() && m_header.HasContentLength() &&
        m_nContentReceived < m_header.GetContentLength()) {
        Fail(QVSOCKET_STATUS_RECEIVE_ERROR, QVSOCKET_ERROR_INCOMPLETE_RESPONSE);
        return 1;
    }
    Finish();
    return 1;
}

void CHttpFileSocket::Finish()
{
    if (m_bEnded.exchange(true))
        return;
    CloseLocalFile();
    StopWatching();
    PostStatus(HTTP_STATUS_TRANSFER_COMPLETE, static_cast<unsigned>(m_header.GetStatusCode()));
}

void CHttpFileSocket::Fail(unsigned status, int error)
{
    if (m_bEnded.exchange(true))
        return;
    CloseLocalFile();
    SetLastError(error);
    StopWatching();
    PostStatus(status, static_cast<unsigned>(error));
}

void CHttpFileSocket::CloseLocalFile()
{
    if (m_hLocalFile >= 0) {
        ::close(m_hLocalFile);
        m_hLocalFile = -1;
    }
}
