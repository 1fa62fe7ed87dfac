#include "cordalib/ui/RunningInstance.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "qvsystem/system/SingleInstance.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <ctime>

#include <sys/un.h>

namespace {

constexpr int REQUEST_SIZE = 12;
constexpr int ANSWER_SIZE = 4;
// A connection that sends nothing is dropped after this long.
constexpr int CONNECTION_LIFETIME_MS = 2000;

// CLOCK_MONOTONIC is one clock for every process of the machine: the asker's moment can be
// compared with the answerer's.
int64_t MonotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void PutLE(QByteArray& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLE(const QByteArray& in, int offset, int bytes)
{
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in.at(offset + i));
    return value;
}

} // namespace

uint32_t RunningInstance::GetMessageNumber()
{
    const QByteArray name(CCordaLibrarianApp::RUNNING_INSTANCE_MESSAGE_NAME);
    return 0xC000u | (qChecksum(QByteArrayView(name)) & 0x3FFFu);
}

QString RunningInstance::GetServerPath(const QString& runtimeFolder)
{
    if (runtimeFolder.isEmpty())
        return QString();
    const QString messageName = QString::fromLatin1(CCordaLibrarianApp::RUNNING_INSTANCE_MESSAGE_NAME);
    QString name = CSingleInstance::LockFileNameForMutexName(messageName);
    name.chop(static_cast<int>(qstrlen(".lock")));
    QString path = runtimeFolder + QLatin1Char('/') + name + QStringLiteral(".socket");
    const auto fits = [](const QString& candidate) {
        return static_cast<size_t>(QFile::encodeName(candidate).size()) < sizeof(sockaddr_un::sun_path);
    };
    if (!fits(path)) {
        const QByteArray digest =
            QCryptographicHash::hash(messageName.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
        path = runtimeFolder + QStringLiteral("/cl-") + QString::fromLatin1(digest);
    }
    return path;
}

bool RunningInstance::NotifyRunningInstance(const QString& serverPath, int timeoutMs)
{
    if (serverPath.isEmpty())
        return false;
    QElapsedTimer clock;
    clock.start();
    const int64_t asked = MonotonicNanoseconds();
    const auto remaining = [&clock, timeoutMs] {
        return static_cast<int>(std::max<qint64>(0, timeoutMs - clock.elapsed()));
    };
    QLocalSocket socket;
    socket.connectToServer(serverPath);
    if (!socket.waitForConnected(remaining()))
        return false;
    QByteArray request;
    PutLE(request, GetMessageNumber(), 4);
    PutLE(request, static_cast<uint64_t>(asked), 8);
    socket.write(request);
    if (!socket.waitForBytesWritten(remaining()) && socket.bytesToWrite() > 0)
        return false;
    QByteArray answer;
    while (answer.size() < ANSWER_SIZE) {
        const int left = remaining();
        if (left <= 0 || (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(left)))
            break;
        answer += socket.read(ANSWER_SIZE - answer.size());
    }
    socket.abort();
    return answer.size() == ANSWER_SIZE && GetLE(answer, 0, 4) == GetMessageNumber();
}

CRunningInstanceServer::CRunningInstanceServer(QObject* parent)
    : QObject(parent), m_pServer(new QLocalServer(this))
{
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &CRunningInstanceServer::OnNewConnection);
}

CRunningInstanceServer::~CRunningInstanceServer()
{
    m_pServer->close();
}

bool CRunningInstanceServer::Listen(const QString& serverPath)
{
    m_pServer->close();
    m_strPath = serverPath;
    if (serverPath.isEmpty())
        return false;
    QLocalServer::removeServer(serverPath);
    return m_pServer->listen(serverPath);
}

bool CRunningInstanceServer::IsListening() const
{
    return m_pServer->isListening();
}

void CRunningInstanceServer::OnNewConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        QTimer::singleShot(CONNECTION_LIFETIME_MS, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void CRunningInstanceServer::OnReadyRead(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < REQUEST_SIZE)
        return;
    // One request per connection: whatever follows is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    const QByteArray request = socket->read(REQUEST_SIZE);
    const int64_t asked = static_cast<int64_t>(GetLE(request, 4, 8));
    const int64_t age = MonotonicNanoseconds() - asked;
    const bool fresh =
        age >= 0 && age <= static_cast<int64_t>(RunningInstance::ANSWER_TIMEOUT_MS) * 1000000LL;
    if (GetLE(request, 0, 4) != RunningInstance::GetMessageNumber() || !fresh) {
        socket->abort();
        return;
    }
    QByteArray answer;
    PutLE(answer, RunningInstance::GetMessageNumber(), 4);
    socket->write(answer);
    socket->flush();
    socket->disconnectFromServer();
    emit runningInstanceRequested();
}
