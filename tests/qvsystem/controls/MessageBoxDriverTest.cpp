// The modal driver of the tests: it must answer a box that opens late, after the event loop
// has turned many times, and never one that opens after its deadline or its lifetime.
#include "MessageBoxDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using corda::test::CMessageBoxDriver;

namespace {

// Turns the event loop for the time, as a wait for a window to be exposed does before a
// box opens on a loaded machine.
void SpinFor(int milliseconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// Runs a box; a box nobody answers closes itself after a while, so a driver that missed
// it fails the test instead of hanging it.
int RunBox(QMessageBox& box, bool& closedByFallback)
{
    closedByFallback = false;
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, &box, [&box, &closedByFallback] {
        closedByFallback = true;
        box.done(-1);
    });
    fallback.start(3000);
    return box.exec();
}

} // namespace

// A driver that counted event-loop turns gave up while the program was still busy before
// its box, and the box's exec then never ended (the test ran into its timeout).
TEST(MessageBoxDriverTest, AnswersABoxThatOpensLateAndNoneAfterItsDeadline)
{
    {
        CMessageBoxDriver driver([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
        SpinFor(150);
        QMessageBox box(QMessageBox::Question, QStringLiteral("Late"), QStringLiteral("Late box"),
                        QMessageBox::Yes | QMessageBox::No);
        bool fallback = false;
        EXPECT_EQ(RunBox(box, fallback), QMessageBox::Yes);
        EXPECT_FALSE(fallback);
        EXPECT_TRUE(driver.Seen());
    }
    {
        // Past its deadline the driver leaves the box alone.
        CMessageBoxDriver driver([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); }, 50);
        SpinFor(200);
        QMessageBox box(QMessageBox::Question, QStringLiteral("Too late"), QStringLiteral("Too late box"),
                        QMessageBox::Yes | QMessageBox::No);
        QTimer::singleShot(300, &box, [&box] { box.button(QMessageBox::No)->click(); });
        bool fallback = false;
        EXPECT_EQ(RunBox(box, fallback), QMessageBox::No);
        EXPECT_FALSE(driver.Seen());
    }
    {
        // A box after the driver's scope is not answered by a timer the driver left behind.
        bool answered = false;
        {
            CMessageBoxDriver driver([&answered](QMessageBox& box) {
                answered = true;
                box.done(0);
            });
        }
        QMessageBox box(QMessageBox::Information, QStringLiteral("After"), QStringLiteral("After box"),
                        QMessageBox::Ok);
        QTimer::singleShot(100, &box, [&box] { box.button(QMessageBox::Ok)->click(); });
        bool fallback = false;
        EXPECT_EQ(RunBox(box, fallback), QMessageBox::Ok);
        EXPECT_FALSE(answered);
    }
}
