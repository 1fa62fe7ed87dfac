#pragma once
// What the sender does with its command line: it reads the report and shows its window,
// or says why it cannot, in a message box when there is a display and on standard error
// when there is none.

#include <QStringList>

// Exit codes: the window was shown and closed; the report cannot be shown (missing,
// unreadable, damaged, no display); the command line is malformed.
inline constexpr int FAULTPOST_EXIT_OK = 0;
inline constexpr int FAULTPOST_EXIT_NO_REPORT = 1;
inline constexpr int FAULTPOST_EXIT_USAGE = 2;

// True when a window can be shown: a platform plugin was named, or an X11 or Wayland
// display is set. Without one, QApplication would abort the program.
bool FaultPostHasDisplay();

// The whole program after main has made its QApplication (or, without a display, no
// application at all): arguments are those after the program's name.
int FaultPostRun(const QStringList& arguments);
