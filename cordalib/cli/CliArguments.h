#pragma once
// The command line of cordalib-cli: [--json] COMMAND [ARGUMENTS]. Options take their value
// as the next argument or after "=" (--search=TEXT); "--" ends the options.

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

struct CCliArguments {
    bool json = false;
    bool help = false;
    QString command;
    QStringList positional;
    QMap<QString, QString> options; // option name without dashes -> value
    QSet<QString> flags;            // flag names without dashes

    bool HasOption(const char* name) const { return options.contains(QLatin1String(name)); }
    QString Option(const char* name) const { return options.value(QLatin1String(name)); }
    bool HasFlag(const char* name) const { return flags.contains(QLatin1String(name)); }
};

// Exit codes.
inline constexpr int CLI_EXIT_SUCCESS = 0;
inline constexpr int CLI_EXIT_USAGE = 1;
inline constexpr int CLI_EXIT_FAILURE = 2; // a file or database error; nothing changed
inline constexpr int CLI_EXIT_REFUSED = 3;
inline constexpr int CLI_EXIT_CANCELLED = 130;

// Parses the arguments after the program name against the command table. False with a
// message on a usage error (unknown command or option, missing value, wrong number of
// arguments).
bool ParseCliArguments(const QStringList& arguments, CCliArguments& parsed, QString& error);

// The usage text.
QString CliUsageText();

// Whether a command changes the library or the settings (such commands take the locks).
bool IsChangingCommand(const CCliArguments& arguments);
