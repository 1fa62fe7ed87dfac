// cordalib-cli sync: the synchronization engine with the command line's progress line.
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/cli/CliProgressWindow.h"
#include "cordalib/cli/CordaLibCli.h"
#include "cordalib/cli/JsonWriter.h"
#include "cordalib/maintenance/SyncReport.h"
#include "cordalib/maintenance/Synchronize.h"

#include <unistd.h>

int CCordaLibCli::RunSync()
{
    CSyncResults results;
    results.Zero();
    CCliProgressWindow::ResetCancel();
    {
        CCliProgressWindow window(isatty(STDERR_FILENO) != 0);
        Synchronize(m_app->GetLibraryDatabase(), m_app->GetSynchronizedFolders(), results, &window);
    }
    // Whatever the outcome, a changed library is saved.
    const int saved = SaveLibrary();

    if (m_args.json) {
        CJsonWriter json;
        json.BeginObject()
            .Member(QStringLiteral("added"), results.GetAdded())
            .Member(QStringLiteral("updated"), results.GetUpdated())
            .Member(QStringLiteral("renamed"), results.GetRenamed())
            .Member(QStringLiteral("removed"), results.GetRemoved())
            .Key(QStringLiteral("errors"))
            .BeginArray();
        for (const QString& error : results.m_errors)
            json.Value(error);
        json.EndArray()
            .Member(QStringLiteral("elapsedSeconds"), results.m_dElapsedSeconds)
            .Key(QStringLiteral("completed"))
            .Bool(results.m_outcome == syncCompleted)
            .EndObject();
        OutJson(json.GetText());
    } else if (results.m_outcome == syncCompleted && results.HasSomethingToReport()) {
        Out(FormatSyncResultText(results));
        if (!results.m_errors.isEmpty()) {
            Out(QString());
            for (const QString& error : results.m_errors)
                Out(error);
        }
    }
    if (saved != CLI_EXIT_SUCCESS)
        return saved;
    switch (results.m_outcome) {
    case syncCancelled:
        return CLI_EXIT_CANCELLED;
    case syncFolderMissing:
        return CLI_EXIT_REFUSED;
    default:
        return CLI_EXIT_SUCCESS;
    }
}
