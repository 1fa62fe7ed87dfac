#pragma once
// What the desktop program's process tests may ask of it through the environment. None of
// these changes what the program does for a user; each is off unless its variable is set.
//
//   CORDALIB_TEST_EVENT_FILE=<path>  append one line per event to the file:
//                                    "painted songs=<n> lessons=<m>" at the main window's
//                                    first paint, "raised" whenever a second copy brought it
//                                    to the front, "synchronized songs=<n> lessons=<m>"
//                                    after the synchronization below, "box <text>" for every
//                                    message box answered below.
//   CORDALIB_TEST_SYNCHRONIZE=1      once the main window is up, synchronize the library
//                                    with its folders (a real change that only the shutdown
//                                    saves).
//   CORDALIB_TEST_ANSWER_BOXES=1     answer every message box with its default button as
//                                    soon as it is shown (the event file names it).
//   CORDALIB_BENCH_EXIT_AFTER_PAINT=1  with the event file: close the main window the
//                                    normal way right after its first paint was recorded
//                                    (the start-up benchmark).

#include <QString>

namespace TestHooks {

bool IsEventFileSet();
// Appends the line to the event file, when one is set; flushed at once.
void RecordEvent(const QString& line);
bool SynchronizeAtStart();
bool ExitAfterFirstPaint();
// Installs the answering of message boxes when asked for; a no-op otherwise.
void InstallBoxAnswering();

} // namespace TestHooks
