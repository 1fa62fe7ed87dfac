#pragma once
// Answers modal boxes in tests through the real widgets: the action runs from the event
// loop of the box once it is on screen. The driver looks for the box at once and then every
// few milliseconds until its deadline, so a box that a loaded machine is slow to open is
// still answered (a count of event-loop turns can run out before it shows, and its exec
// would then never end). The driver's lifetime also bounds the wait, so a box that never
// appears cannot be answered by a stale timer in a later test.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

namespace corda::test {

template <typename Dialog = QMessageBox> class CModalDriver {
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 20000;

    explicit CModalDriver(std::function<void(Dialog&)> action, int timeoutMs = DEFAULT_TIMEOUT_MS)
        : m_action(std::move(action)), m_deadline(timeoutMs)
    {
        // The offscreen platform says so for every fixed-size window; it is no fault of ours.
        AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
        Schedule(0);
    }

    bool Seen() const { return m_seen; }

private:
    static constexpr int POLL_MS = 5;

    void Schedule(int delayMs)
    {
        QTimer::singleShot(delayMs, &m_context, [this]() {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible()) {
                m_seen = true;
                m_action(*dialog);
                return;
            }
            if (!m_deadline.hasExpired())
                Schedule(POLL_MS);
        });
    }

    std::function<void(Dialog&)> m_action;
    QDeadlineTimer m_deadline;
    QObject m_context;
    bool m_seen = false;
};

using CMessageBoxDriver = CModalDriver<QMessageBox>;

// Closes whatever box appears, so that a test expecting none cannot hang.
inline std::function<void(QMessageBox&)> CloseAnyBox()
{
    return [](QMessageBox& box) {
        ADD_FAILURE() << "unexpected box: " << box.text().toStdString();
        box.done(0);
    };
}

} // namespace corda::test
