// cordalib-cli backup: the library backup engine with the command line's progress line.
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/cli/CliProgressWindow.h"
#include "cordalib/cli/CordaLibCli.h"
#include "cordalib/cli/JsonWriter.h"
#include "cordalib/maintenance/Backup.h"
#include "cordalib/maintenance/SyncReport.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

int CCordaLibCli::RunBackup()
{
    const QString archive = QDir::cleanPath(QFileInfo(m_args.positional.front()).absoluteFilePath());
    // The desktop program asks before replacing a file; nobody can be asked here.
    if (QFileInfo::exists(archive)) {
        Err(QStringLiteral("The file '%1' already exists. Choose a new archive name.").arg(archive));
        return CLI_EXIT_REFUSED;
    }
    CBackupResults results;
    CCliProgressWindow::ResetCancel();
    {
        CCliProgressWindow window(isatty(STDERR_FILENO) != 0);
        Backup(m_app->GetLibraryDatabase(), m_app->GetDefaultDatabasePath(), archive, results, &window);
    }
    if (m_args.json) {
        CJsonWriter json;
        json.BeginObject()
            .Member(QStringLiteral("archive"), archive)
            .Member(QStringLiteral("filesBackedUp"), results.m_nFilesBackedUp)
            .Key(QStringLiteral("errors"))
            .BeginArray();
        for (const QString& error : results.m_errors)
            json.Value(error);
        json.EndArray()
            .Member(QStringLiteral("elapsedSeconds"), results.m_dElapsedSeconds)
            .Key(QStringLiteral("completed"))
            .Bool(results.m_outcome == backupCompleted)
            .EndObject();
        OutJson(json.GetText());
    } else if (results.m_outcome == backupCompleted) {
        Out(FormatBackupResultText(results.m_nFilesBackedUp, results.m_errors.size(),
                                   results.m_dElapsedSeconds));
        if (!results.m_errors.isEmpty()) {
            Out(QString());
            for (const QString& error : results.m_errors)
                Out(error);
        }
    }
    switch (results.m_outcome) {
    case backupCancelled:
        return CLI_EXIT_CANCELLED;
    case backupNotCreated:
        return CLI_EXIT_FAILURE;
    default:
        return CLI_EXIT_SUCCESS;
    }
}
