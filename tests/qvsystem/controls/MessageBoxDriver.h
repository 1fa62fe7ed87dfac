#pragma once
// Answers modal boxes in tests through the real widgets: the action runs from the event
// loop of the box once it is on screen. The driver's lifetime bounds the wait, so a box
// that never appears cannot be answered by a stale timer in a later test.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

namespace corda::test {

template <typename Dialog = QMessageBox> class CModalDriver {
public:
    explicit CModalDriver(std::function<void(Dialog&)> action) : m_action(std::move(action))
    {
        // The offscreen platform says so for every fixed-size window; it is no fault of ours.
        AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
        Schedule(ATTEMPTS);
    }

    bool Seen() const { return m_seen; }

private:
    static constexpr int ATTEMPTS = 200;

    void Schedule(int attemptsLeft)
    {
        QTimer::singleShot(0, &m_context, [this, attemptsLeft]() {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible()) {
                m_seen = true;
                m_action(*dialog);
                return;
            }
            if (attemptsLeft > 0)
                Schedule(attemptsLeft - 1);
        });
    }

    std::function<void(Dialog&)> m_action;
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
