#include "cordalib/ui/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int SIGNAL_COUNT = static_cast<int>(sizeof SIGNALS / sizeof SIGNALS[0]);

std::atomic<int> g_writeEnd{-1};
int g_readEnd = -1;
struct sigaction g_previous[SIGNAL_COUNT];

extern "C" void OnTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = g_writeEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a request: nothing is lost by dropping this one.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

CTerminationSignals::CTerminationSignals(QObject* parent) : QObject(parent) {}

CTerminationSignals::~CTerminationSignals()
{
    if (!m_bInstalled)
        return;
    for (int i = 0; i < SIGNAL_COUNT; ++i)
        ::sigaction(SIGNALS[i], &g_previous[i], nullptr);
    const int writeEnd = g_writeEnd.exchange(-1);
    delete m_pNotifier;
    ::close(writeEnd);
    ::close(g_readEnd);
    g_readEnd = -1;
}

bool CTerminationSignals::Install()
{
    if (m_bInstalled)
        return true;
    if (g_writeEnd.load() >= 0)
        return false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    g_readEnd = fds[0];
    g_writeEnd.store(fds[1]);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < SIGNAL_COUNT; ++i) {
        if (::sigaction(SIGNALS[i], &action, &g_previous[i]) != 0) {
            for (int j = 0; j < i; ++j)
                ::sigaction(SIGNALS[j], &g_previous[j], nullptr);
            ::close(fds[0]);
            ::close(fds[1]);
            g_readEnd = -1;
            g_writeEnd.store(-1);
            return false;
        }
    }
    m_pNotifier = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);
    m_bInstalled = true;
    return true;
}

void CTerminationSignals::OnReadable()
{
    unsigned char bytes[16];
    for (;;) {
        const ssize_t got = ::read(g_readEnd, bytes, sizeof bytes);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        for (ssize_t i = 0; i < got; ++i)
            emit terminationRequested(bytes[i]);
    }
}
