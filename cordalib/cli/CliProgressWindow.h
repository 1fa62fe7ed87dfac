#pragma once
// The progress window of cordalib-cli: a status line on standard error, drawn only when
// standard error is a terminal; Ctrl+C while it exists counts as Cancel. Messages the
// operation shows while it runs go to standard error as text.

#include "cordalib/maintenance/ProgressWindow.h"

#include <QString>

#include <csignal>

class CCliProgressWindow : public IProgressWindow {
public:
    // statusOnTerminal: draw the status line (normally isatty(2)).
    explicit CCliProgressWindow(bool statusOnTerminal);
    ~CCliProgressWindow() override;

    bool Create() override;
    void SetStatus(const QString& text) override;
    void Hide() override;
    bool CheckCancelButton() override;
    void Destroy() override;
    void SetRange(int lower, int upper) override;
    void StepIt() override;
    int ShowMessage(const QString& text, unsigned type) override;

    // True once Ctrl+C was pressed while a window existed (or RequestCancel was called).
    static bool WasCancelled();
    static void RequestCancel();
    static void ResetCancel();

private:
    void Draw();
    void ClearLine();

    bool m_bTerminal;
    bool m_bVisible = false;
    bool m_bCreated = false;
    bool m_bLineDrawn = false;
    QString m_strStatus;
    int m_nLower = 0;
    int m_nUpper = 0;
    int m_nPosition = 0;
    struct sigaction m_oldAction = {};
};
