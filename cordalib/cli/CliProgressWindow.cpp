#include "cordalib/cli/CliProgressWindow.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_cancelled = 0;

extern "C" void OnInterrupt(int)
{
    g_cancelled = 1;
}

} // namespace

CCliProgressWindow::CCliProgressWindow(bool statusOnTerminal) : m_bTerminal(statusOnTerminal) {}

CCliProgressWindow::~CCliProgressWindow()
{
    Destroy();
}

bool CCliProgressWindow::WasCancelled()
{
    return g_cancelled != 0;
}

void CCliProgressWindow::RequestCancel()
{
    g_cancelled = 1;
}

void CCliProgressWindow::ResetCancel()
{
    g_cancelled = 0;
}

bool CCliProgressWindow::Create()
{
    if (m_bCreated)
        return true;
    // Ctrl+C asks the operation to stop at its next Cancel check instead of killing the
    // process in the middle of a change.
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_oldAction);
    m_bCreated = true;
    m_bVisible = true;
    return true;
}

void CCliProgressWindow::SetStatus(const QString& text)
{
    m_strStatus = text;
    Draw();
}

void CCliProgressWindow::Hide()
{
    ClearLine();
    m_bVisible = false;
}

bool CCliProgressWindow::CheckCancelButton()
{
    return WasCancelled();
}

void CCliProgressWindow::Destroy()
{
    if (!m_bCreated)
        return;
    ClearLine();
    sigaction(SIGINT, &m_oldAction, nullptr);
    m_bCreated = false;
    m_bVisible = false;
}

void CCliProgressWindow::SetRange(int lower, int upper)
{
    m_nLower = lower;
    m_nUpper = upper;
    m_nPosition = lower;
}

void CCliProgressWindow::StepIt()
{
    if (m_nPosition < m_nUpper)
        ++m_nPosition;
    Draw();
}

int CCliProgressWindow::ShowMessage(const QString& text, unsigned type)
{
    ClearLine();
    const QByteArray utf8 = text.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
    std::fflush(stderr);
    Draw();
    // Nobody can answer: the safe answer of each button set.
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDNO;
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

void CCliProgressWindow::Draw()
{
    if (!m_bTerminal || !m_bVisible || m_strStatus.isEmpty())
        return;
    QString line = m_strStatus;
    if (m_nUpper > m_nLower)
        line += QStringLiteral(" %1/%2").arg(m_nPosition - m_nLower).arg(m_nUpper - m_nLower);
    const QByteArray utf8 = line.toUtf8();
    std::fprintf(stderr, "\r%s\033[K", utf8.constData());
    std::fflush(stderr);
    m_bLineDrawn = true;
}

void CCliProgressWindow::ClearLine()
{
    if (!m_bLineDrawn)
        return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_bLineDrawn = false;
}
