// Gallery scenes of the list commands: the Rename dialog (and its balloon for a refused
// name), the keep-or-trash question of a delete, the list's context menu over a selected
// row, and the two pages of the File Properties sheet.
#include "Gallery.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/FilePropertySheet.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/RecordListCommands.h"
#include "cordalib/ui/RecycleMessageBox.h"
#include "cordalib/ui/RenameDlg.h"
#include "cordalib/ui/SongListCtrl.h"
#include "qvsystem/controls/QVValidationBalloon.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>

#include <cstdio>

namespace {

// The dialog and the windows floating over it (the balloon, a popup menu) where they stand
// on the screen, on one canvas.
QPixmap Compose(QWidget* base, std::initializer_list<QWidget*> floating)
{
    const QPixmap basePixmap = base->grab();
    QRect all(base->mapToGlobal(QPoint(0, 0)), base->size());
    for (QWidget* window : floating)
        all = all.united(window->frameGeometry());
    all.adjust(-8, -8, 8, 8);
    QPixmap canvas(all.size() * basePixmap.devicePixelRatio());
    canvas.setDevicePixelRatio(basePixmap.devicePixelRatio());
    canvas.fill(QApplication::palette().color(QPalette::Window).darker(115));
    QPainter painter(&canvas);
    painter.drawPixmap(base->mapToGlobal(QPoint(0, 0)) - all.topLeft(), basePixmap);
    for (QWidget* window : floating)
        painter.drawPixmap(window->frameGeometry().topLeft() - all.topLeft(), window->grab());
    return canvas;
}

// Selects the first song that has a real file.
int SelectSongWithFile(CSongListCtrl& list)
{
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (QFileInfo::exists(list.GetRecord(row)->GetPath())) {
            list.UnselectAllItems();
            list.SelectItem(row, true);
            list.scrollTo(list.model()->index(row, 0));
            return row;
        }
    }
    return -1;
}

void ShootRename(CMainFrame& frame)
{
    CSongListCtrl* list = frame.GetSongList();
    const int row = list ? SelectSongWithFile(*list) : -1;
    const QString name = row >= 0 ? QFileInfo(list->GetRecord(row)->GetPath()).fileName()
                                  : QStringLiteral("Blackbird (live).crd");
    CRenameDlg dialog(true, name, &frame);
    dialog.show();
    Grab(&dialog, QStringLiteral("rename"));

    dialog.GetNewFileNameControl()->setText(QStringLiteral("Blackbird: live?.crd"));
    dialog.ValidateAndSaveData();
    Settle();
    CQVValidationBalloon* balloon = dialog.GetValidationToolTipWindow();
    if (!balloon || !balloon->isVisible()) {
        std::fprintf(stderr, "screenshots: the rename balloon did not show\n");
        ++g_failures;
    } else {
        Save(Compose(&dialog, {balloon}), QStringLiteral("rename-balloon"));
    }
    dialog.reject();
}

void ShootDeleteQuestion(CMainFrame& frame)
{
    CRecycleMessageBox question(&frame);
    question.show();
    Grab(&question, QStringLiteral("delete-question"));
    question.reject();
}

void ShootContextMenu(CMainFrame& frame)
{
    CSongListCtrl* list = frame.GetSongList();
    CRecordListCommands* commands = GetRecordListCommands(list);
    const int row = list ? SelectSongWithFile(*list) : -1;
    if (!commands || row < 0) {
        std::fprintf(stderr, "screenshots: no song row for the context menu\n");
        ++g_failures;
        return;
    }
    Settle();
    const QRect rect = list->visualRect(list->model()->index(row, 1));
    const QPoint at = list->viewport()->mapToGlobal(rect.center());
    std::unique_ptr<QMenu> menu = commands->CreateContextMenu(list);
    menu->popup(at);
    Settle();
    // The Select entries' sub-menu open beside it, as the pointer would leave it.
    QMenu* select = menu->findChild<QMenu*>(QStringLiteral("Select"));
    if (select) {
        menu->setActiveAction(select->menuAction());
        select->popup(menu->mapToGlobal(menu->actionGeometry(select->menuAction()).topRight()));
        Settle();
    }
    // The window around the menu: the part of the list where it opened.
    Save(Compose(&frame, select ? std::initializer_list<QWidget*>{menu.get(), select}
                                : std::initializer_list<QWidget*>{menu.get()}),
         QStringLiteral("list-context-menu"));
    if (select)
        select->hide();
    menu->hide();
    list->UnselectAllItems();
    list->SelectItem(0, true);
}

void ShootFileProperties(CMainFrame& frame)
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    if (!app)
        return;
    app->SaveDatabase(true, false);
    CFilePropertySheet sheet(app->GetLibraryDatabase(), CFilePropertySheet::GetDatabaseFilePath(*app),
                             &frame);
    sheet.show();
    Grab(&sheet, QStringLiteral("file-properties-general"));
    sheet.SetActivePage(CFilePropertySheet::PAGE_USAGE_INFORMATION);
    Grab(&sheet, QStringLiteral("file-properties-usage"));
    sheet.reject();
}

} // namespace

CORDA_GALLERY_SCENE(ShootRename);
CORDA_GALLERY_SCENE(ShootDeleteQuestion);
CORDA_GALLERY_SCENE(ShootContextMenu);
CORDA_GALLERY_SCENE(ShootFileProperties);
