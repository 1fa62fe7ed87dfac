#include "cordalib/cli/CordaLibCli.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/cli/ChangeLock.h"
#include "cordalib/cli/JsonWriter.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/SingleInstance.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

CCordaLibCli::CCordaLibCli() = default;
CCordaLibCli::~CCordaLibCli() = default;

void CCordaLibCli::Out(const QString& line)
{
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stdout);
    std::fputc('\n', stdout);
}

void CCordaLibCli::OutJson(const QByteArray& json)
{
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    std::fputc('\n', stdout);
}

void CCordaLibCli::Err(const QString& text)
{
    QString message = text;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray utf8 = message.toUtf8();
    std::fprintf(stderr, "cordalib-cli: %s\n", utf8.constData());
}

int CCordaLibCli::Run(const QStringList& arguments)
{
    QString error;
    if (!ParseCliArguments(arguments, m_args, error)) {
        Err(error);
        std::fputs("Try 'cordalib-cli --help'.\n", stderr);
        return CLI_EXIT_USAGE;
    }
    if (m_args.help) {
        const QByteArray usage = CliUsageText().toUtf8();
        std::fwrite(usage.constData(), 1, static_cast<size_t>(usage.size()), stdout);
        return CLI_EXIT_SUCCESS;
    }

    // Messages that the core would show in a box go to standard error as text.
    AfxSetMessageBoxConsoleHandler([this](const CQVMessageBoxRequest& request) {
        Err(request.text);
        return 0;
    });

    if (IsChangingCommand(m_args)) {
        const int locked = AcquireChangeLocks();
        if (locked != CLI_EXIT_SUCCESS)
            return locked;
    }
    const int started = StartCore();
    if (started != CLI_EXIT_SUCCESS)
        return started;

    const QString& command = m_args.command;
    int result = CLI_EXIT_USAGE;
    if (command == QLatin1String("folders"))
        result = RunFolders();
    else if (command == QLatin1String("sync"))
        result = RunSync();
    else if (command == QLatin1String("songs"))
        result = RunSongs();
    else if (command == QLatin1String("lessons"))
        result = RunLessons();
    else if (command == QLatin1String("artists") || command == QLatin1String("albums") ||
             command == QLatin1String("styles") || command == QLatin1String("levels"))
        result = RunSummary();
    else if (command == QLatin1String("header"))
        result = RunHeader();
    else if (command == QLatin1String("edit"))
        result = RunEdit();
    else if (command == QLatin1String("rate"))
        result = RunRate();
    else if (command == QLatin1String("rename"))
        result = RunRename();
    else if (command == QLatin1String("remove"))
        result = RunRemove();
    else if (command == QLatin1String("backup"))
        result = RunBackup();
    else if (command == QLatin1String("info"))
        result = RunInfo();
    else if (command == QLatin1String("check"))
        result = RunCheck();
    std::fflush(stdout);
    AfxSetMessageBoxConsoleHandler(nullptr);
    return result;
}

int CCordaLibCli::AcquireChangeLocks()
{
    // Our own lock first: a second cordalib-cli must be told about the other command line,
    // not about a desktop program that is not running.
    m_changeLock = std::make_unique<CChangeLock>();
    if (!m_changeLock->TryLock()) {
        Err(LoadAppString(IDS_CLI_ANOTHER_CHANGE));
        return CLI_EXIT_REFUSED;
    }
    // Holding the desktop program's single-instance lock while we change the library also
    // keeps the desktop program from starting in the middle of the change.
    m_desktopLock = std::make_unique<CSingleInstance>(
        QString::fromLatin1(CCordaLibrarianApp::SINGLE_INSTANCE_MUTEX_NAME));
    if (m_desktopLock->IsAnotherInstanceRunning()) {
        if (m_desktopLock->GetErrorCode() == CSingleInstance::ALREADY_EXISTS)
            Err(LoadAppString(IDS_CLI_DESKTOP_RUNNING));
        else
            Err(QStringLiteral(
                    "The lock file '%1' cannot be opened, so a running Corda Librarian cannot be ruled out.")
                    .arg(m_desktopLock->GetLockFilePath()));
        return CLI_EXIT_REFUSED;
    }
    return CLI_EXIT_SUCCESS;
}

int CCordaLibCli::StartCore()
{
    m_app = std::make_unique<CCordaLibrarianApp>();
    QString error;
    m_app->InitCore(false, &error);
    if (!error.isEmpty()) {
        // An unreadable database is left alone: nothing may replace it from here.
        Err(error);
        return CLI_EXIT_FAILURE;
    }
    return CLI_EXIT_SUCCESS;
}

int CCordaLibCli::SaveLibrary()
{
    QString error;
    if (!m_app->GetLibraryDatabase().IsModified())
        return CLI_EXIT_SUCCESS;
    if (!m_app->SaveDatabase(true, false, &error)) {
        Err(error);
        return CLI_EXIT_FAILURE;
    }
    return CLI_EXIT_SUCCESS;
}

int CCordaLibCli::RunFolders()
{
    QStringList folders = m_app->GetSynchronizedFolders();
    auto printJson = [this](const QStringList& list) {
        CJsonWriter json;
        json.BeginArray();
        for (const QString& folder : list)
            json.Value(folder);
        json.EndArray();
        OutJson(json.GetText());
    };
    if (m_args.positional.isEmpty()) {
        if (m_args.json) {
            printJson(folders);
        } else {
            for (const QString& folder : folders)
                Out(folder);
        }
        return CLI_EXIT_SUCCESS;
    }

    const bool adding = m_args.positional.front() == QLatin1String("add");
    const QStringList paths = m_args.positional.mid(1);
    // Every folder is checked before anything changes: a refused folder leaves the list as it was.
    for (const QString& argument : paths) {
        const QString path = QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
        auto indexOf = [&folders](const QString& folder) {
            for (int i = 0; i < folders.size(); ++i) {
                if (folders[i].compare(folder, Qt::CaseInsensitive) == 0)
                    return i;
            }
            return -1;
        };
        if (adding) {
            // The list compares without regard to case, so a folder already there in
            // another case is refused even where that spelling does not exist.
            if (indexOf(path) >= 0) {
                Err(QStringLiteral("%1: %2").arg(path, LoadAppString(IDS_FOLDER_ALREADY_IN_LIST)));
                return CLI_EXIT_REFUSED;
            }
            if (!QFileInfo(path).isDir()) {
                Err(AfxFormatMessage(LoadAppString(IDS_FOLDER_DOES_NOT_EXIST), path));
                return CLI_EXIT_REFUSED;
            }
            folders.append(path);
        } else {
            // The folder as given, or as an absolute path (a folder that no longer exists
            // can still be removed).
            int index = indexOf(argument);
            if (index < 0)
                index = indexOf(path);
            if (index < 0) {
                Err(QStringLiteral("The folder '%1' is not in the list.").arg(argument));
                return CLI_EXIT_REFUSED;
            }
            folders.removeAt(index);
        }
    }
    if (folders.size() > CSynchronizedFolders::MAX_FOLDERS) {
        Err(QStringLiteral("At most %1 folders can be synchronized.").arg(CSynchronizedFolders::MAX_FOLDERS));
        return CLI_EXIT_REFUSED;
    }
    if (!m_app->SetSynchronizedFolders(folders, true)) {
        Err(QStringLiteral("The folder list could not be saved in the settings store."));
        return CLI_EXIT_FAILURE;
    }
    if (m_args.json)
        printJson(folders);
    return CLI_EXIT_SUCCESS;
}
