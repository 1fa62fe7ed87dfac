#include "cordalib/ui/SyncCommands.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/FileLocations.h"
#include "cordalib/maintenance/Backup.h"
#include "cordalib/maintenance/SyncReport.h"
#include "cordalib/maintenance/Synchronize.h"
#include "cordalib/ui/BackupProgressWindow.h"
#include "cordalib/ui/FoldersDlg.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/MainFooterFormView.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SyncProgressDlg.h"
#include "qvsystem/platform/OleDateTime.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QTimer>

namespace {

bool g_bRunning = false;

// Marks a run as under way for its lifetime.
class CRunGuard {
public:
    CRunGuard() : m_bOwner(!g_bRunning) { g_bRunning = true; }
    ~CRunGuard()
    {
        if (m_bOwner)
            g_bRunning = false;
    }
    CRunGuard(const CRunGuard&) = delete;
    CRunGuard& operator=(const CRunGuard&) = delete;
    bool IsOwner() const { return m_bOwner; }

private:
    bool m_bOwner;
};

SyncCommands::SaveAsFunction& SaveAsHook()
{
    static SyncCommands::SaveAsFunction function;
    return function;
}

bool DefaultSaveAs(QWidget* owner, const QString& folder, const QString& proposedName, const QString& filter,
                   const QString& defaultSuffix, QString& path)
{
    QFileDialog dialog(owner, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst();
    return !path.isEmpty();
}

QString LogFolder(const CCordaLibrarianApp& app)
{
    QString folder;
    app.GetFileLocation(fileLocationLogFiles, folder);
    // A folder removed since start-up would keep the report from being written.
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

QSet<QString> LowerCaseSet(const QStringList& folders)
{
    QSet<QString> set;
    for (const QString& folder : folders)
        set.insert(folder.toLower());
    return set;
}

} // namespace

namespace SyncCommands {

bool IsRunning()
{
    return g_bRunning;
}

bool FolderSetChanged(const QStringList& before, const QStringList& after)
{
    return LowerCaseSet(before) != LowerCaseSet(after);
}

QString ToFileDialogFilter(const QString& tableFilter)
{
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            break;
        const QString spaced = QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that names its patterns already is taken as it is.
        filters.append(description.contains(QLatin1Char('(')) || spaced.isEmpty()
                           ? description
                           : QStringLiteral("%1 (%2)").arg(description, spaced));
    }
    return filters.join(QStringLiteral(";;"));
}

void SetSaveAsFunction(SaveAsFunction function)
{
    SaveAsHook() = std::move(function);
}

int OnToolsSynchronize(CMainFrame& frame, CCordaLibrarianApp& app, CSyncResults* resultsOut)
{
    CRunGuard guard;
    if (!guard.IsOwner())
        return 0;

    // The list must not paint while the run replaces the records under it.
    CRecordListCtrl* list = frame.GetCurrentList();
    if (list)
        list->setUpdatesEnabled(false);

    CSyncResults results;
    results.Zero();
    int completed = 0;
    {
        CSyncProgressDlg window(&frame);
        completed = Synchronize(app.GetLibraryDatabase(), app.GetSynchronizedFolders(), results, &window);
    }

    app.SaveDatabase(true, false);

    if (completed) {
        if (results.AnySongCounter()) {
            if (CSongListCtrl* songs = frame.GetSongList())
                songs->ApplySearch(songs->GetSearchText(), songs->GetSearchField(), true);
        }
        if (results.AnyLessonCounter()) {
            if (CLessonListCtrl* lessons = frame.GetLessonList())
                lessons->ApplySearch(lessons->GetSearchText(), lessons->GetSearchField(), true);
        }
    }

    if (list) {
        list->setUpdatesEnabled(true);
        list->viewport()->update();
    }
    if (CMainFooterFormView* footer = frame.GetFooter())
        footer->ShowCurrentSelection();
    frame.UpdateCommandStates();

    if (resultsOut)
        *resultsOut = results;
    if (completed && results.HasSomethingToReport())
        ShowOperationResults(FormatSyncResultText(results), results.m_errors, LogFolder(app));
    return completed;
}

bool OnFileFolders(CMainFrame& frame, CCordaLibrarianApp& app)
{
    if (g_bRunning)
        return false;
    const QStringList before = app.GetSynchronizedFolders();
    CFoldersDlg dialog(app, &frame);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (!FolderSetChanged(before, app.GetSynchronizedFolders()))
        return false;
    // Posted: the run starts once the dialog is gone.
    QPointer<CMainFrame> target(&frame);
    QTimer::singleShot(0, &frame, [target] {
        if (!target)
            return;
        if (QAction* synchronize = target->FindCommand(int(CordaCommands::ID_TOOLS_SYNCHRONIZE)))
            synchronize->trigger();
    });
    return true;
}

bool OnToolsBackup(CMainFrame& frame, CCordaLibrarianApp& app, CBackupResults* resultsOut)
{
    CRunGuard guard;
    if (!guard.IsOwner())
        return false;

    const QString proposedName = FormatBackupFileName(COleDateTime::GetCurrentTime());
    QString folder;
    app.GetFileLocation(fileLocationBackupFiles, folder, false);
    const QString filter = ToFileDialogFilter(LoadAppString(IDS_BACKUP_FILTER));
    const QString suffix = LoadAppString(IDS_BACKUP_DEFAULT_EXTENSION);
    QString archivePath;
    const bool chosen = SaveAsHook()
                            ? SaveAsHook()(&frame, folder, proposedName, filter, suffix, archivePath)
                            : DefaultSaveAs(&frame, folder, proposedName, filter, suffix, archivePath);
    if (!chosen || archivePath.isEmpty())
        return false;

    // A library that was never saved has no file yet; the backup is to hold one.
    const QString databasePath = app.GetDefaultDatabasePath();
    app.SaveDatabase(QFileInfo::exists(databasePath), false);

    CBackupResults results;
    bool completed = false;
    {
        CBackupProgressWindow window(&frame);
        completed = Backup(app.GetLibraryDatabase(), databasePath, archivePath, results, &window);
    }
    if (resultsOut)
        *resultsOut = results;
    if (completed)
        ShowOperationResults(FormatBackupResultText(results.m_nFilesBackedUp, results.m_errors.size(),
                                                    results.m_dElapsedSeconds),
                             results.m_errors, LogFolder(app));
    return completed;
}

} // namespace SyncCommands

void InstallSyncCommands(CMainFrame& frame, CCordaLibrarianApp& app)
{
    // No enablers: the main window is disabled while a run is under way, and a command
    // that arrives then anyway is turned away by the run's guard.
    CMainFrame* pFrame = &frame;
    CCordaLibrarianApp* pApp = &app;
    frame.SetCommandHandler(int(CordaCommands::ID_TOOLS_SYNCHRONIZE),
                            [pFrame, pApp] { SyncCommands::OnToolsSynchronize(*pFrame, *pApp); });
    frame.SetCommandHandler(int(CordaCommands::ID_FILE_FOLDERS),
                            [pFrame, pApp] { SyncCommands::OnFileFolders(*pFrame, *pApp); });
    frame.SetCommandHandler(int(CordaCommands::ID_TOOLS_BACKUP),
                            [pFrame, pApp] { SyncCommands::OnToolsBackup(*pFrame, *pApp); });
}
