#pragma once
// What the online tests share: an HTTP server on 127.0.0.1 that runs on a thread of its own
// (so that it answers whatever the window under test does) and can be made to misbehave,
// a recorder that answers the message boxes a check shows, and small waits.

#include "TestSupport.h"

#include "qvsystem/controls/QVMessageBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

namespace corda::test {

// How the server answers every connection after it has read the request.
struct CServedResponse {
    enum Kind {
        fixed,         // the bytes, then the server closes
        stall,         // nothing at all, the connection held open
        partialStall,  // the bytes, then nothing, the connection held open
        endlessHeader, // the bytes, then header lines until totalBytes
        endlessBody,   // the bytes (a header), then body bytes until totalBytes
    };
    Kind kind = fixed;
    QByteArray bytes;
    qint64 totalBytes = 100LL * 1024 * 1024;
    int delayMs = 0; // before the first byte

    static CServedResponse Ok(const QByteArray& body)
    {
        return {fixed, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body};
    }
    static CServedResponse Raw(const QByteArray& bytes) { return {fixed, bytes}; }
};

class CHttpTestServer {
public:
    CHttpTestServer()
    {
        m_thread = std::make_unique<CServerThread>(*this);
        std::future<quint16> port = m_thread->port.get_future();
        m_thread->start();
        m_nPort = port.get();
    }
    ~CHttpTestServer()
    {
        m_thread->quit();
        m_thread->wait();
    }

    quint16 Port() const { return m_nPort; }
    QString Url(const QString& path = QStringLiteral("/latest.txt")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_nPort).arg(path);
    }
    void Serve(const CServedResponse& response)
    {
        std::lock_guard lock(m_mutex);
        m_response = response;
    }
    QByteArray LastRequest() const
    {
        std::lock_guard lock(m_mutex);
        return m_lastRequest;
    }
    int Connections() const { return m_nConnections.load(); }
    qint64 BytesSent() const { return m_nBytesSent.load(); }
    // Connections whose client has gone away.
    int ClientsGone() const { return m_nClientsGone.load(); }

private:
    static constexpr qint64 CHUNK = 64 * 1024;
    static constexpr qint64 MAX_QUEUED = 256 * 1024;

    class CServerThread : public QThread {
    public:
        explicit CServerThread(CHttpTestServer& owner) : m_owner(owner) {}
        std::promise<quint16> port;

    protected:
        void run() override
        {
            QTcpServer server;
            if (!server.listen(QHostAddress::LocalHost, 0)) {
                port.set_value(0);
                return;
            }
            QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server]() {
                while (QTcpSocket* socket = server.nextPendingConnection())
                    m_owner.Handle(socket);
            });
            port.set_value(server.serverPort());
            exec();
        }

    private:
        CHttpTestServer& m_owner;
    };

    void Handle(QTcpSocket* socket)
    {
        ++m_nConnections;
        auto request = std::make_shared<QByteArray>();
        auto started = std::make_shared<bool>(false);
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket]() {
            ++m_nClientsGone;
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request, started]() {
            if (request->size() < 65536)
                request->append(socket->readAll());
            else
                socket->readAll();
            if (*started || !request->contains("\r\n\r\n"))
                return;
            *started = true;
            CServedResponse response;
            {
                std::lock_guard lock(m_mutex);
                m_lastRequest = *request;
                response = m_response;
            }
            if (response.delayMs > 0)
                QTimer::singleShot(response.delayMs, socket,
                                   [this, socket, response]() { Respond(socket, response); });
            else
                Respond(socket, response);
        });
    }

    void Respond(QTcpSocket* socket, const CServedResponse& response)
    {
        if (response.kind != CServedResponse::stall)
            Write(socket, response.bytes);
        switch (response.kind) {
        case CServedResponse::fixed:
            socket->disconnectFromHost();
            break;
        case CServedResponse::endlessHeader:
        case CServedResponse::endlessBody: {
            const QByteArray line = response.kind == CServedResponse::endlessHeader
                                        ? "X-Filler: " + QByteArray(CHUNK - 12, 'a') + "\r\n"
                                        : QByteArray(CHUNK, '7');
            auto sent = std::make_shared<qint64>(0);
            auto pump = [this, socket, line, sent, total = response.totalBytes]() {
                // Flow-controlled: never more than a few chunks queued, so the server's memory
                // stays small and what the client holds is what it chose to keep.
                while (socket->state() == QAbstractSocket::ConnectedState && *sent < total &&
                       socket->bytesToWrite() < MAX_QUEUED) {
                    Write(socket, line);
                    *sent += line.size();
                }
                if (*sent >= total)
                    socket->disconnectFromHost();
            };
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
            pump();
            break;
        }
        default:
            break;
        }
    }

    void Write(QTcpSocket* socket, const QByteArray& bytes) { m_nBytesSent += socket->write(bytes); }

    std::unique_ptr<CServerThread> m_thread;
    quint16 m_nPort = 0;
    mutable std::mutex m_mutex;
    CServedResponse m_response = CServedResponse::Ok("1.0.0.0");
    QByteArray m_lastRequest;
    std::atomic<int> m_nConnections{0};
    std::atomic<int> m_nClientsGone{0};
    std::atomic<qint64> m_nBytesSent{0};
};

// Answers every message box shown while it lives with its first button and keeps what it
// showed. It polls from a timer, which also fires inside the boxes' own event loops.
class CBoxRecorder {
public:
    struct CBox {
        QString text;
        QMessageBox::Icon icon;
    };

    CBoxRecorder()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this]() { Poll(); });
        m_timer.start(10);
    }

    const std::vector<CBox>& Boxes() const { return m_boxes; }
    QString Texts() const
    {
        QString all;
        for (const CBox& box : m_boxes)
            all += box.text + QStringLiteral(" | ");
        return all;
    }

private:
    void Poll()
    {
        CQVMessageBox* box = CQVMessageBox::GetActive();
        if (!box || !box->isVisible() || box == m_answered)
            return;
        m_answered = box;
        m_boxes.push_back({box->text(), box->icon()});
        const QList<QAbstractButton*> buttons = box->buttons();
        if (!buttons.isEmpty())
            buttons.first()->click();
        else
            box->reject();
    }

    QTimer m_timer;
    QPointer<CQVMessageBox> m_answered;
    std::vector<CBox> m_boxes;
};

// Polls the condition, letting events through, until it holds or the deadline passes.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The resident memory of this process in KiB.
inline long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace corda::test
