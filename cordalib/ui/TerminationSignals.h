#pragma once
// SIGTERM, SIGINT and SIGHUP end the desktop program the normal way (the main window's
// close, then the shutdown that saves the library) instead of killing it on the spot. The
// handler only writes the signal number into a pipe; the user-interface thread reads it
// through a socket notifier and emits terminationRequested.

#include <QObject>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~CTerminationSignals() override;

    // Installs the handlers; false when the pipe or a handler cannot be set up. One object
    // at a time may be installed.
    bool Install();
    bool IsInstalled() const { return m_bInstalled; }

signals:
    void terminationRequested(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier* m_pNotifier = nullptr;
    bool m_bInstalled = false;
};
