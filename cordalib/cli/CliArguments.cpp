#include "cordalib/cli/CliArguments.h"

#include <limits>
#include <vector>

namespace {

struct CommandSpec {
    const char* name;
    int minPositional;
    int maxPositional; // -1: any number
    std::vector<const char*> options;
    std::vector<const char*> flags;
};

const std::vector<CommandSpec>& Commands()
{
    static const std::vector<CommandSpec> commands = {
        {"folders", 0, -1, {}, {}},
        {"sync", 0, 0, {}, {}},
        {"songs", 0, 0, {"search", "field", "artist", "album", "sort"}, {"descending"}},
        {"lessons", 0, 0, {"search", "field", "style", "level", "sort"}, {"descending"}},
        {"artists", 0, 0, {"search", "field"}, {}},
        {"albums", 0, 0, {"search", "field", "artist"}, {}},
        {"styles", 0, 0, {"search", "field"}, {}},
        {"levels", 0, 0, {"search", "field", "style"}, {}},
        {"header", 1, 1, {}, {}},
        {"edit",
         1,
         1,
         {"title", "artist", "album", "year", "traditional", "composer", "lyricist", "arranger", "copyright",
          "subtitle", "style", "level", "author"},
         {}},
        {"rate", 2, 2, {}, {}},
        {"rename", 2, 2, {}, {}},
        {"remove", 1, -1, {}, {"trash"}},
        {"backup", 1, 1, {}, {}},
        {"info", 0, 0, {}, {}},
        {"check", 0, 0, {}, {}},
    };
    return commands;
}

const CommandSpec* FindCommand(const QString& name)
{
    for (const CommandSpec& command : Commands()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

bool Contains(const std::vector<const char*>& names, const QString& name)
{
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

} // namespace

bool ParseCliArguments(const QStringList& arguments, CCliArguments& parsed, QString& error)
{
    parsed = CCliArguments();
    error.clear();
    const CommandSpec* command = nullptr;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1String("--")) && argument.size() > 2) {
            QString name = argument.mid(2);
            QString value;
            bool hasValue = false;
            const qsizetype equals = name.indexOf(QLatin1Char('='));
            if (equals >= 0) {
                value = name.mid(equals + 1);
                name.truncate(equals);
                hasValue = true;
            }
            if (name == QLatin1String("json") && !hasValue) {
                parsed.json = true;
                continue;
            }
            if (name == QLatin1String("help") && !hasValue) {
                parsed.help = true;
                continue;
            }
            if (!command) {
                error = QStringLiteral("unknown option --%1").arg(name);
                return false;
            }
            if (Contains(command->flags, name) && !hasValue) {
                parsed.flags.insert(name);
                continue;
            }
            if (!Contains(command->options, name)) {
                error = QStringLiteral("%1: unknown option --%2").arg(parsed.command, name);
                return false;
            }
            if (!hasValue) {
                if (i + 1 >= arguments.size()) {
                    error = QStringLiteral("%1: option --%2 needs a value").arg(parsed.command, name);
                    return false;
                }
                value = arguments[++i];
            }
            parsed.options.insert(name, value);
            continue;
        }
        if (!command) {
            if (argument == QLatin1String("help")) {
                parsed.help = true;
                continue;
            }
            command = FindCommand(argument);
            if (!command) {
                error = QStringLiteral("unknown command '%1'").arg(argument);
                return false;
            }
            parsed.command = argument;
            continue;
        }
        parsed.positional.append(argument);
    }
    if (parsed.help)
        return true;
    if (!command) {
        error = QStringLiteral("no command given");
        return false;
    }
    const int count = static_cast<int>(parsed.positional.size());
    if (count < command->minPositional || (command->maxPositional >= 0 && count > command->maxPositional)) {
        error = QStringLiteral("%1: wrong number of arguments").arg(parsed.command);
        return false;
    }
    if (parsed.command == QLatin1String("folders") && count > 0) {
        const QString& sub = parsed.positional.front();
        if (sub != QLatin1String("add") && sub != QLatin1String("remove")) {
            error = QStringLiteral("folders: unknown sub-command '%1'").arg(sub);
            return false;
        }
        if (count < 2) {
            error = QStringLiteral("folders %1: no folder given").arg(sub);
            return false;
        }
    }
    return true;
}

bool IsChangingCommand(const CCliArguments& arguments)
{
    const QString& command = arguments.command;
    if (command == QLatin1String("folders"))
        return !arguments.positional.isEmpty();
    return command == QLatin1String("sync") || command == QLatin1String("edit") ||
           command == QLatin1String("rate") || command == QLatin1String("rename") ||
           command == QLatin1String("remove");
}

QString CliUsageText()
{
    return QStringLiteral(
        "usage: cordalib-cli [--json] COMMAND [ARGUMENTS]\n"
        "\n"
        "folders                        the synchronized folders, one per line\n"
        "folders add PATH...            add folders\n"
        "folders remove PATH...         remove folders\n"
        "sync                           synchronize the library with the folders\n"
        "songs   [--search TEXT] [--field F] [--artist A] [--album B] [--sort COLUMN] [--descending]\n"
        "lessons [--search TEXT] [--field F] [--style S] [--level L] [--sort COLUMN] [--descending]\n"
        "artists [--search TEXT] [--field F]\n"
        "albums  [--search TEXT] [--field F] [--artist A]\n"
        "styles  [--search TEXT] [--field F]\n"
        "levels  [--search TEXT] [--field F] [--style S]\n"
        "header FILE                    every field of one tablature file's header\n"
        "edit FILE [--title T] [--artist A] [--album B] [--year N] [--traditional yes|no] [--composer C]\n"
        "          [--lyricist L] [--arranger A] [--copyright C] [--subtitle S] [--style S] [--level L]\n"
        "          [--author A]\n"
        "rate FILE N                    set a record's rating (0 to 5)\n"
        "rename FILE NEW-NAME           give a record's file a new name in its folder\n"
        "remove FILE... [--trash]       remove records from the library; with --trash their files go to the "
        "trash\n"
        "backup ARCHIVE                 back the library up into a new zip archive (an existing file is "
        "refused)\n"
        "info                           the database's properties\n"
        "check                          verify every record against its file, changing nothing;\n"
        "                               exit status 2 when a record's file is missing, unreadable or "
        "changed\n"
        "\n"
        "Song fields (F): all, title, artist, album, composer, lyricist, arranger, transcriber.\n"
        "Lesson fields (F): all, title, subtitle, author.\n"
        "COLUMN: a column heading (Title, Artist, \"Date Added\", ...) or a column number.\n"
        "Exit status: 0 success, 1 usage error, 2 file or database error, 3 refused, 130 cancelled.\n");
}
