#pragma once
// The running-instance message between two copies of the desktop program. The first copy
// listens on a local socket named after the registered message name, in the same private
// per-user runtime folder as the single-instance lock ($XDG_RUNTIME_DIR, or
// /tmp/corda-runtime-<uid>); so no other user can listen in its place or see the request.
//
// A second copy connects and sends the message number and the moment it asked (12
// bytes). The first answers with the message number (4 bytes) and then brings its main
// window to the front. The asker waits at most 200 ms in all. A request that reaches the
// first copy later than that (it was stopped or busy) is answered with nothing: the asker
// has already gone, and a window popping up long after is not what anyone asked for.

#include <QObject>
#include <QString>

#include <cstdint>

class QLocalServer;
class QLocalSocket;

namespace RunningInstance {

inline constexpr int ANSWER_TIMEOUT_MS = 200;

// The number the message name registers as: the same in every process, 0xC000 to 0xFFFF.
uint32_t GetMessageNumber();
// The socket path for the folder of the single-instance lock file: the encoded message
// name, or a short digest of it where the path would not fit a socket address. Empty for
// an empty folder.
QString GetServerPath(const QString& runtimeFolder);
// Asks the copy listening at the path to come to the front; true when it answered with
// the message number within the time-out.
bool NotifyRunningInstance(const QString& serverPath, int timeoutMs = ANSWER_TIMEOUT_MS);

} // namespace RunningInstance

class CRunningInstanceServer : public QObject {
    Q_OBJECT

public:
    explicit CRunningInstanceServer(QObject* parent = nullptr);
    ~CRunningInstanceServer() override;

    // Listens at the path. A socket left there by a copy that ended without closing it is
    // removed first: the caller holds the single-instance lock, so no living copy owns it.
    bool Listen(const QString& serverPath);
    bool IsListening() const;
    QString GetServerPath() const { return m_strPath; }

signals:
    // A second copy asked in time and has been answered.
    void runningInstanceRequested();

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QLocalServer* m_pServer = nullptr;
    QString m_strPath;
};
