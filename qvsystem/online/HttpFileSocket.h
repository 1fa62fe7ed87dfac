#pragma once
// Fetches one HTTP resource into a local file over a CQVSocket: on connection it sends
// "GET <object> HTTP/1.1", the host and "Connection: close" (HEAD when only the header is
// wanted), writes everything received to the local file (the header, then the body) and
// parses the header as it arrives.
//
// Statuses posted besides the socket's own: HTTP_STATUS_HEADER_RECEIVED with the content
// length, then HTTP_STATUS_TRANSFER_COMPLETE with the HTTP status code once the server
// closed the connection (or the announced length has arrived), or an error status:
// QVSOCKET_STATUS_SEND_ERROR / RECEIVE_ERROR with the sockets code or one of the layer's
// own (a header or body larger than the limits, a response that is not HTTP, a connection
// that closed early), QVSOCKET_STATUS_FILE_ERROR with the errno value of the local file.

#include "qvsystem/online/HttpHeader.h"
#include "qvsystem/online/QVSocket.h"
#include "qvsystem/qvsystem_export.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>

class QVSYSTEM_EXPORT CHttpFileSocket : public CQVSocket {
public:
    static constexpr int DEFAULT_MAX_HEADER_SIZE = 64 * 1024;
    static constexpr int64_t DEFAULT_MAX_CONTENT_SIZE = 64LL * 1024 * 1024;

    CHttpFileSocket();
    ~CHttpFileSocket() override;

    // True (the default): only the header is fetched, with HEAD, and no file is written.
    void SetGetHeaderOnly(bool headerOnly) { m_bHeaderOnly = headerOnly; }
    bool GetHeaderOnly() const { return m_bHeaderOnly; }
    // The file that receives the response; created anew on connection.
    bool SetLocalFileName(const QString& fileName);
    QString GetLocalFileName() const { return m_strLocalFileName; }

    // A response whose header runs past this many bytes, or whose body runs past the
    // content limit, is given up with an error.
    void SetMaxHeaderSize(int bytes) { m_nMaxHeaderSize = bytes > 0 ? bytes : DEFAULT_MAX_HEADER_SIZE; }
    void SetMaxContentSize(int64_t bytes)
    {
        m_nMaxContentSize = bytes >= 0 ? bytes : DEFAULT_MAX_CONTENT_SIZE;
    }
    int GetMaxHeaderSize() const { return m_nMaxHeaderSize; }
    int64_t GetMaxContentSize() const { return m_nMaxContentSize; }

    // A copy of the header as parsed so far (empty until the whole header has arrived).
    CHttpHeader GetHeader() const;
    // The header itself, for use once the transfer has ended.
    const CHttpHeader& GetHeaderRef() const { return m_header; }
    bool IsHeaderComplete() const { return m_bHeaderComplete.load(); }
    int64_t GetBytesReceived() const { return m_nBytesReceived.load(); }

    // Closes the connection and then the local file.
    void Close() override;

    // The request as sent for the object and host ("Host" carries the port unless it is 80).
    static QByteArray BuildRequest(const QString& object, const QString& host, unsigned port,
                                   bool headerOnly);
    // The body of a response sent in chunks, without the chunk sizes; false when it is
    // malformed or ends before its last chunk.
    static bool DecodeChunkedBody(const QByteArray& chunked, QByteArray& body);

protected:
    int OnConnect(int error) override;
    int OnReceive(int error) override;
    int OnSend(int error) override;
    int OnClose(int error) override;

private:
    void SendPending();
    void Process(const char* data, int count);
    bool WriteToFile(const char* data, qsizetype count);
    void ParseHeaderIfComplete(qsizetype searchFrom);
    void Finish();
    void Fail(unsigned status, int error);
    void CloseLocalFile();

    bool m_bHeaderOnly = true;
    QString m_strLocalFileName;
    int m_hLocalFile = -1;
    int m_nMaxHeaderSize = DEFAULT_MAX_HEADER_SIZE;
    int64_t m_nMaxContentSize = DEFAULT_MAX_CONTENT_SIZE;

    QByteArray m_request;
    qsizetype m_nRequestSent = 0;
    QByteArray m_headerText;
    std::atomic<bool> m_bHeaderComplete{false};
    std::atomic<bool> m_bEnded{false};
    std::atomic<int64_t> m_nBytesReceived{0};
    int64_t m_nContentReceived = 0;
    mutable std::mutex m_headerMutex;
    CHttpHeader m_header;
};
