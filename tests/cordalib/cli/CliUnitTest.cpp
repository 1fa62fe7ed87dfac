#include "cordalib/cli/ChangeLock.h"
#include "cordalib/cli/CliArguments.h"
#include "cordalib/cli/CliProgressWindow.h"
#include "cordalib/cli/JsonWriter.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

CCliArguments Parse(const QStringList& arguments, bool expectOk = true)
{
    CCliArguments parsed;
    QString error;
    EXPECT_EQ(ParseCliArguments(arguments, parsed, error), expectOk) << error.toStdString();
    EXPECT_EQ(error.isEmpty(), expectOk);
    return parsed;
}

// Options must be accepted in both spellings and anywhere after the command, and --json
// before or after it; a value that starts like an option is still the value.
TEST(CliArguments, OptionsFlagsAndPositionals)
{
    CCliArguments a = Parse({"--json", "songs", "--search", "--odd", "--sort=Date Added", "--descending"});
    EXPECT_TRUE(a.json);
    EXPECT_EQ(a.command, QStringLiteral("songs"));
    EXPECT_EQ(a.Option("search"), QStringLiteral("--odd"));
    EXPECT_EQ(a.Option("sort"), QStringLiteral("Date Added"));
    EXPECT_TRUE(a.HasFlag("descending"));

    CCliArguments b = Parse({"remove", "a.crd", "--trash", "--", "--b.crd"});
    EXPECT_EQ(b.positional, (QStringList{"a.crd", "--b.crd"}));
    EXPECT_TRUE(b.HasFlag("trash"));

    CCliArguments c = Parse({"folders", "add", "/x", "/y", "--json"});
    EXPECT_TRUE(c.json);
    EXPECT_EQ(c.positional, (QStringList{"add", "/x", "/y"}));
}

// Everything a script could get wrong must be a usage error, never a silent default.
TEST(CliArguments, UsageErrors)
{
    Parse({}, false);
    Parse({"frobnicate"}, false);
    Parse({"songs", "--style", "Rock"}, false); // lesson option on songs
    Parse({"songs", "--search"}, false);        // missing value
    Parse({"songs", "extra"}, false);           // no positionals
    Parse({"rate", "a.crd"}, false);            // too few
    Parse({"rename", "a", "b", "c"}, false);    // too many
    Parse({"folders", "drop", "/x"}, false);    // unknown sub-command
    Parse({"folders", "add"}, false);           // nothing to add
    Parse({"remove", "a.crd", "--trash=yes"}, false);
    EXPECT_TRUE(Parse({"--help"}).help);
}

// Listing commands must not take the change locks (they work while the desktop program
// runs); every command that writes must.
TEST(CliArguments, ChangingCommands)
{
    EXPECT_FALSE(IsChangingCommand(Parse({"folders"})));
    EXPECT_TRUE(IsChangingCommand(Parse({"folders", "remove", "/x"})));
    for (const char* command : {"songs", "lessons", "artists", "info", "check"})
        EXPECT_FALSE(IsChangingCommand(Parse({command}))) << command;
    EXPECT_FALSE(IsChangingCommand(Parse({"header", "a.crd"})));
    EXPECT_TRUE(IsChangingCommand(Parse({"sync"})));
    EXPECT_TRUE(IsChangingCommand(Parse({"rate", "a", "1"})));
    EXPECT_TRUE(IsChangingCommand(Parse({"rename", "a", "b"})));
    EXPECT_TRUE(IsChangingCommand(Parse({"remove", "a"})));
    EXPECT_TRUE(IsChangingCommand(Parse({"edit", "a", "--title", "t"})));
}

// Quotes, backslashes and control characters must be escaped, member order kept, and
// Windows-1252 texts converted (0xE9 is é, 0x80 the euro sign).
TEST(JsonWriter, EscapesAndOrder)
{
    CJsonWriter json;
    json.BeginObject()
        .Member(QStringLiteral("b"), QStringLiteral("say \"hi\"\\\n\x01"))
        .Key(QStringLiteral("a"))
        .AnsiValue(std::string("Caf\xe9 \x80"))
        .Key(QStringLiteral("list"))
        .BeginArray()
        .Value(uint64_t{18446744073709551615ULL})
        .Value(-3)
        .Bool(true)
        .Null()
        .BeginObject()
        .EndObject()
        .EndArray()
        .Member(QStringLiteral("x"), 0.5)
        .EndObject();
    EXPECT_EQ(json.GetText(),
              QByteArray("{\"b\":\"say \\\"hi\\\"\\\\\\n\\u0001\",\"a\":\"Caf\xc3\xa9 \xe2\x82\xac\","
                         "\"list\":[18446744073709551615,-3,true,null,{}],\"x\":0.5}"));
}

// Two changers must exclude each other, and the lock must be free again once released.
TEST(ChangeLock, IsExclusive)
{
    CChangeLock first;
    CChangeLock second;
    ASSERT_TRUE(first.TryLock());
    EXPECT_FALSE(second.TryLock());
    first.Unlock();
    EXPECT_TRUE(second.TryLock());
    EXPECT_TRUE(
        CChangeLock::GetLockFilePath().startsWith(QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"))));
}

// Ctrl+C must count as Cancel only while a progress window exists, and the previous
// handling of the signal must come back afterwards.
TEST(CliProgressWindow, InterruptCountsAsCancel)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous = {};
    sigaction(SIGINT, &ignore, &previous);
    CCliProgressWindow::ResetCancel();
    {
        CCliProgressWindow window(false);
        ASSERT_TRUE(window.Create());
        EXPECT_FALSE(window.CheckCancelButton());
        raise(SIGINT);
        EXPECT_TRUE(window.CheckCancelButton());
        // Nobody can answer a question: the safe answer.
        EXPECT_EQ(window.ShowMessage(QStringLiteral("Proceed?"), MB_YESNO), IDNO);
        EXPECT_EQ(window.ShowMessage(QStringLiteral("Note"), MB_OK), IDOK);
    }
    struct sigaction restored = {};
    sigaction(SIGINT, nullptr, &restored);
    EXPECT_EQ(restored.sa_handler, SIG_IGN);
    sigaction(SIGINT, &previous, nullptr);
    CCliProgressWindow::ResetCancel();
}

} // namespace
