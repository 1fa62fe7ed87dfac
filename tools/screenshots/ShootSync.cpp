// Gallery scenes of the synchronization commands: the Folders dialog, the synchronizing
// window, the result message of a real run and the backup progress window.
#include "Gallery.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/BackupProgressWindow.h"
#include "cordalib/ui/FoldersDlg.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/SyncProgressDlg.h"
#include "qvsystem/controls/ProgressDlg.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>

namespace {

void ShootFolders(CMainFrame& frame)
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    if (!app)
        return;
    // Two more folders beside the library's own, as Add puts them in.
    const QString home = QDir::homePath();
    QStringList extra = {home + QStringLiteral("/Music/Guitar Lessons"),
                         home + QStringLiteral("/Documents/Tabs from the band")};
    for (const QString& folder : extra)
        QDir().mkpath(folder);
    CFoldersDlg::SetBrowseFunction([&extra](QWidget*, const QString&, QString& folder) {
        if (extra.isEmpty())
            return false;
        folder = extra.takeFirst();
        return true;
    });
    CFoldersDlg dialog(*app, &frame);
    dialog.show();
    while (dialog.AddFolder()) {
    }
    Grab(&dialog, QStringLiteral("folders"));
    dialog.reject();
    CFoldersDlg::SetBrowseFunction(nullptr);
    CFoldersDlg::SetLastAddedFolder(QString());
}

void ShootSyncProgress(CMainFrame& frame)
{
    CSyncProgressDlg window(&frame);
    window.Create();
    window.SetStatus(LoadAppString(IDS_SYNC_SCANNING));
    // One frame on from the first, as a run shows it.
    Wait(CSyncProgressDlg::ANIMATION_FRAME_INTERVAL + 50);
    Grab(&window, QStringLiteral("sync-progress"));
    window.Destroy();
}

// A real run over a few new files (one of them unreadable) gives the result message; a
// second run takes them out again so the later scenes see the library as it was.
void ShootSyncResult(CMainFrame& frame)
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    QAction* synchronize = frame.FindCommand(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
    if (!app || !synchronize || app->GetSynchronizedFolders().isEmpty() ||
        app->GetLibraryDatabase().GetSongs().empty())
        return;
    const QString additions = app->GetSynchronizedFolders().constFirst() + QStringLiteral("/New Arrivals");
    QDir().mkpath(additions);
    int copied = 0;
    for (const CSongRecord* song : app->GetLibraryDatabase().GetSongs()) {
        if (copied == 3)
            break;
        const QString target =
            additions + QStringLiteral("/copy of ") + QFileInfo(song->GetPath()).fileName();
        if (QFile::copy(song->GetPath(), target))
            ++copied;
    }
    QFile broken(additions + QStringLiteral("/half-downloaded.crd"));
    if (broken.open(QIODevice::WriteOnly))
        broken.write("crda");
    broken.close();

    bool shot = false;
    WhenModalOpens([&shot](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        Grab(box, QStringLiteral("sync-result"));
        shot = true;
        if (QAbstractButton* no = box->button(QMessageBox::No))
            no->click();
        else
            box->done(QMessageBox::Ok);
    });
    synchronize->trigger();
    if (!shot) {
        std::fprintf(stderr, "screenshots: the synchronization showed no result\n");
        ++g_failures;
    }

    QDir(additions).removeRecursively();
    WhenModalOpens([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box && box->button(QMessageBox::Ok))
            box->button(QMessageBox::Ok)->click();
        else
            modal->close();
    });
    synchronize->trigger();
}

void ShootBackupProgress(CMainFrame& frame)
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    const int total = app ? static_cast<int>(app->GetLibraryDatabase().GetSongCount() +
                                             app->GetLibraryDatabase().GetLessonCount() + 1)
                          : 100;
    CBackupProgressWindow window(&frame);
    window.Create();
    window.SetRange(0, total);
    window.SetStatus(LoadAppString(IDS_BACKING_UP_LIBRARY));
    for (int i = 0; i < total * 2 / 5; ++i)
        window.StepIt();
    if (CProgressDlg* dialog = window.GetDialog())
        Grab(dialog, QStringLiteral("backup-progress"));
    window.Destroy();
}

void ShootSyncCommands(CMainFrame& frame)
{
    ShootFolders(frame);
    ShootSyncProgress(frame);
    ShootSyncResult(frame);
    ShootBackupProgress(frame);
}

} // namespace

CORDA_GALLERY_SCENE(ShootSyncCommands);
