#pragma once
// The command line the crash handler starts the sender with:
//   faultpost -app NAME -path PROGRAM -log REPORT -company NAME -mailto ADDRESS -contact NAME
// Every option once, each with its value. Anything else is refused with a text that says
// what is wrong: the sender may be started by hand, and whatever it is given ends up in a
// window and in a mailto: address.

#include <QString>
#include <QStringList>

struct CFaultPostCommandLine {
    QString app;     // the program that crashed, as its user knows it
    QString path;    // the program's file
    QString log;     // the report file
    QString company; // who makes the program
    QString mailto;  // where reports go
    QString contact; // who reads them
};

// The arguments after the program's name. False with the reason in error.
bool ParseFaultPostCommandLine(const QStringList& arguments, CFaultPostCommandLine& commandLine,
                               QString& error);

// A bare address (local part, '@', domain) with nothing that a mailto: URL would read as
// more than the address: no query, fragment, blank, quote, angle bracket or second '@'.
bool IsPlainMailAddress(const QString& address);
