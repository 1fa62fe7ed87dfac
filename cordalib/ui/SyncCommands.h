#pragma once
// The main window's synchronization commands: Tools > Synchronize (a run with its progress
// window and its result message), File > Folders... (the Folders dialog, followed by a run
// when the set of folders changed) and Tools > Backup... (the Save As dialog, then the
// backup with its progress window and its summary).

#include <QString>
#include <QStringList>

#include <functional>

class CBackupResults;
class CCordaLibrarianApp;
class CMainFrame;
class CSyncResults;
class QWidget;

// Gives the three commands their handlers.
void InstallSyncCommands(CMainFrame& frame, CCordaLibrarianApp& app);

namespace SyncCommands {

// Tools.Synchronize: nonzero when the run was carried to its end. Whatever the outcome a
// modified library is saved; a cancelled or refused run shows nothing more. results (when
// given) receives what the run did.
int OnToolsSynchronize(CMainFrame& frame, CCordaLibrarianApp& app, CSyncResults* results = nullptr);

// File.Folders: true when OK changed the set of folders and a run was posted.
bool OnFileFolders(CMainFrame& frame, CCordaLibrarianApp& app);

// Tools.Backup: true when an archive was completed (with or without error lines).
bool OnToolsBackup(CMainFrame& frame, CCordaLibrarianApp& app, CBackupResults* results = nullptr);

// True while one of the runs above is under way: a second one waits for it to end.
bool IsRunning();

// The folder sets differ, comparing paths without regard to letter case.
bool FolderSetChanged(const QStringList& before, const QStringList& after);

// A filter of the program's table ("Backup Files (*.zip)|*.zip||") as a file dialog
// takes it ("Backup Files (*.zip)"); several pairs are separated by ";;".
QString ToFileDialogFilter(const QString& tableFilter);

// The Save As dialog of the backup: the owner, the folder it starts in, the proposed file
// name, the filter and the default suffix; the path chosen comes back. False when cancelled.
// The dialog asks before an existing file is replaced.
using SaveAsFunction =
    std::function<bool(QWidget* owner, const QString& folder, const QString& proposedName,
                       const QString& filter, const QString& defaultSuffix, QString& path)>;
// Replaces the Save As dialog (tests answer it without a window); null restores it.
void SetSaveAsFunction(SaveAsFunction function);

} // namespace SyncCommands
