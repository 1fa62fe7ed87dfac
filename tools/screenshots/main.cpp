// cordalib-screenshots: renders each window and dialog of the desktop program to a PNG, on
// the library of the home it runs in (scripts/screenshots prepares a throw-away one). It
// starts the program the way cordalib does, so the pictures show the real windows, then
// poses each scene and grabs it. Windows that float over others (the validation balloon)
// are composed onto the window they point into, since the offscreen platform grabs one
// window at a time.
#include "Gallery.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/library/CordaStrings.h"
#include "cordalib/ui/CordaLibrarianGuiApp.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RecordListCtrl.h"
#include "faultpost/ErrorReport.h"
#include "faultpost/FaultPostCommandLine.h"
#include "faultpost/FaultPostWindow.h"
#include "qvsystem/controls/CaptureShortcutKeyDlg.h"
#include "qvsystem/controls/ColumnsDlg.h"
#include "qvsystem/controls/FlashBox.h"
#include "qvsystem/controls/HelpViewer.h"
#include "qvsystem/controls/HtmlHelp.h"
#include "qvsystem/controls/KeyboardShortcutListCtrl.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/QVAboutDlg.h"
#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVMessageBox.h"
#include "qvsystem/controls/QVTreeCtrl.h"
#include "qvsystem/controls/QVValidationBalloon.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/controls/SplashScreen.h"
#include "qvsystem/online/CheckForUpdatesReminderDlg.h"
#include "qvsystem/online/CheckForUpdatesSettingsDlg.h"
#include "qvsystem/online/OpenExternalLink.h"
#include "qvsystem/online/QVSocket.h"
#include "qvsystem/online/UpdateDlg.h"
#include "qvsystem/system/ProfileValues.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>

namespace {

// The program object with the splash's opening reachable for the gallery.
class CGalleryApp : public CCordaLibrarianGuiApp {
public:
    using CCordaLibrarianGuiApp::CloseSplashScreen;
    using CCordaLibrarianGuiApp::OpenSplashScreen;
    using CCordaLibrarianGuiApp::SetSplashStatus;
};

// A small dialog whose one field refuses an empty name, as the program's edit dialogs do.
class CBalloonDemoDlg : public CQVDialog {
public:
    CBalloonDemoDlg(QWidget* parent) : CQVDialog(0, parent)
    {
        setWindowTitle(QStringLiteral("Rename"));
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        auto* current = new QLineEdit(QStringLiteral("03 - Déjà Vu (Live).crd"), this);
        current->setReadOnly(true);
        m_pName = new QLineEdit(this);
        form->addRow(QStringLiteral("&Current file name:"), current);
        form->addRow(QStringLiteral("&New file name:"), m_pName);
        layout->addLayout(form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
        buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
        layout->addWidget(buttons);
        resize(420, 150);
    }
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override
    {
        (void)icon;
        (void)caption;
        if (!m_pName->text().isEmpty())
            return true;
        text = QStringLiteral("You must enter a file name.");
        rect = QRect(m_pName->mapToGlobal(QPoint(0, 0)), m_pName->size());
        return false;
    }

private:
    QLineEdit* m_pName;
};

CQVListCtrl* VisibleList(CMainFrame& frame)
{
    return frame.GetCurrentList();
}

// The browsing states of the main window: an artist and an album chosen, ratings with a
// selected row, a search without a match, the lessons, and the tray menu.
void ShootBrowsing(CMainFrame& frame)
{
    // A row by the start of its text (the samples' names read better than generated ones),
    // or the first row.
    auto pick = [&frame](const char* boxId, const QString& start) {
        auto* box = frame.findChild<QAbstractItemView*>(QLatin1String(boxId));
        if (!box || !box->model() || box->model()->rowCount() == 0)
            return;
        int row = 0;
        for (int i = 0; !start.isEmpty() && i < box->model()->rowCount(); ++i) {
            if (box->model()->index(i, 0).data().toString().startsWith(start)) {
                row = i;
                break;
            }
        }
        box->setCurrentIndex(box->model()->index(row, 0));
        Settle();
    };
    pick("73", QStringLiteral("Thérèse Green"));
    pick("74", QStringLiteral("Greatest Hits"));
    Grab(&frame, QStringLiteral("main-window-artist-album"));
    pick("74", QString());
    pick("73", QString());

    CRecordListCtrl* list = frame.GetCurrentList();
    if (list) {
        for (int row = 0; row < 6 && row < list->GetItemCount(); ++row)
            list->SetRating(row, row % 6);
        list->SelectItem(3, true);
        list->ShowQVColumn(list->GetRatingColumn(), true);
        const int ratingColumn = list->GetInsertedColumn(list->GetRatingColumn());
        if (ratingColumn >= 0)
            list->scrollTo(list->model()->index(3, ratingColumn));
        Grab(list, QStringLiteral("list-ratings-selected"));
        list->scrollTo(list->model()->index(0, 0));
    }

    frame.GetSearchBar()->SetSearchText(QStringLiteral("qqzzxj"), false);
    frame.GetSearchBar()->RunSearch();
    Grab(&frame, QStringLiteral("main-window-no-match"));
    frame.GetSearchBar()->SetSearchText(QString(), false);
    frame.GetSearchBar()->RunSearch();

    if (QAction* lessons = frame.FindCommand(ID_VIEW_LESSONS)) {
        lessons->trigger();
        Grab(&frame, QStringLiteral("main-window-lessons"));
        if (QAction* songs = frame.FindCommand(ID_VIEW_SONGS))
            songs->trigger();
    }
    if (QMenu* tray = frame.GetTrayMenu()) {
        tray->adjustSize();
        Grab(tray, QStringLiteral("tray-menu"));
    }
}

// The report sender on the report of a real crash, with the command line the crash handler
// gave it (scripts/screenshots records it; the scene is left out when there is none).
void ShootFaultPost(const QString& argumentsFile)
{
    QFile file(argumentsFile);
    if (argumentsFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    QStringList arguments;
    for (const QByteArray& argument : file.readAll().split('\0')) {
        if (!argument.isEmpty())
            arguments << QString::fromUtf8(argument);
    }
    CFaultPostCommandLine commandLine;
    QString error;
    CErrorReport report;
    if (!ParseFaultPostCommandLine(arguments, commandLine, error) ||
        report.Load(commandLine.log, &error) != CErrorReport::loadComplete) {
        std::fprintf(stderr, "screenshots: the crash report could not be shown: %s\n", qPrintable(error));
        ++g_failures;
        return;
    }
    CFaultPostWindow window(commandLine, report);
    window.show();
    Grab(&window, QStringLiteral("faultpost"));
    window.reject();
}

void ShootSplash(CGalleryApp& app)
{
    if (!app.OpenSplashScreen()) {
        std::fprintf(stderr, "screenshots: the splash screen could not be opened\n");
        ++g_failures;
        return;
    }
    app.SetSplashStatus(LoadCordaString(IDS_LOADING_DATABASE));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<CSplashScreenWnd*>(widget) && widget->isVisible())
            Grab(widget, QStringLiteral("splash"));
    }
    app.CloseSplashScreen();
    Settle();
}

void ShootTransientWindows(CMainFrame& frame)
{
    {
        CFlashBox flash;
        if (flash.Create(&frame)) {
            flash.SetStatus(LoadCordaString(IDS_SAVING_DATABASE));
            Grab(&flash, QStringLiteral("flash-box"));
            flash.DestroyWindow();
        }
    }
    {
        CProgressDlg progress;
        progress.CreateProgressStyle(&frame);
        progress.SetStatus(QStringLiteral("Backing up the library. Please wait..."));
        progress.SetSecondaryStatus(QStringLiteral(
            "/home/corda/Tablature/Jazz/Åsa Østergaard/Sessions/07 - Fête de la Forêt (Live).crd"));
        progress.SetRange(0, 100);
        progress.SetPos(42);
        progress.ShowProgressStyle();
        Grab(&progress, QStringLiteral("progress-dialog"));
        progress.HideProgressStyle();
        progress.DestroyWindow();
    }
}

void ShootListAndColumns(CMainFrame& frame)
{
    CQVListCtrl* list = VisibleList(frame);
    if (!list) {
        std::fprintf(stderr, "screenshots: the main window shows no list\n");
        ++g_failures;
        return;
    }
    // Two columns hidden and the list sorted backwards by its second visible column.
    int hidden = 0;
    for (int column = list->GetTrueColumnCount() - 1; column > 0 && hidden < 2; --column) {
        if (list->IsQVColumnVisible(column) && list->ShowQVColumn(column, false))
            ++hidden;
    }
    const int sortColumn = list->GetLeftToRightTrueColumn(1);
    list->SortItemsByColumn(sortColumn, true);
    list->SortItemsByColumn(sortColumn, false);
    list->SelectItem(2, true);
    Grab(list, QStringLiteral("list-columns-hidden-sorted"));

    CColumnsDlg columns(list, &frame);
    columns.InitDialog();
    columns.show();
    Grab(&columns, QStringLiteral("columns-dialog"));
    columns.reject();
}

void ShootBalloon(CMainFrame& frame)
{
    CBalloonDemoDlg dialog(&frame);
    dialog.show();
    Settle();
    dialog.ValidateAndSaveData();
    Settle();
    QPixmap base = dialog.grab();
    CQVValidationBalloon* balloon = dialog.GetValidationToolTipWindow();
    if (!balloon || !balloon->isVisible()) {
        std::fprintf(stderr, "screenshots: the validation balloon did not show\n");
        ++g_failures;
        return;
    }
    // A canvas holding the dialog and the balloon where they stand on the screen.
    const QRect dialogRect(dialog.mapToGlobal(QPoint(0, 0)), dialog.size());
    const QRect balloonRect = balloon->frameGeometry();
    const QRect all = dialogRect.united(balloonRect).adjusted(-8, -8, 8, 8);
    QPixmap canvas(all.size() * base.devicePixelRatio());
    canvas.setDevicePixelRatio(base.devicePixelRatio());
    canvas.fill(QApplication::palette().color(QPalette::Window).darker(115));
    {
        QPainter painter(&canvas);
        painter.drawPixmap(dialogRect.topLeft() - all.topLeft(), base);
        painter.drawPixmap(balloonRect.topLeft() - all.topLeft(), balloon->grab());
    }
    Save(canvas, QStringLiteral("validation-balloon"));
    dialog.reject();
}

// The help viewer on a page with a table, and on a search with its words marked.
// The key capture dialog, the shortcut list with the program's commands (sorted by key,
// then filtered by "ctrl"), and the About box on its product, a module and its thanks.
void ShootKeyboardAndAbout(CMainFrame& frame)
{
    {
        CCaptureShortcutKeyDlg capture(&frame);
        capture.show();
        Grab(&capture, QStringLiteral("capture-shortcut-key"));
        capture.reject();
    }
    {
        CKeyboardMappingScheme scheme(LoadAppString(IDS_MAIN_VIEW_SCHEME), LoadDefaultKeyboardMappingScheme);
        scheme.LoadDefaultMappingScheme();
        CKeyboardShortcutListCtrl list;
        list.AddKeyboardMappingScheme(&scheme);
        list.LoadKeyboardMappingScheme(0);
        list.SortItemsByColumn(CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY, true);
        list.SelectItem(1, true);
        list.resize(330, 420);
        list.show();
        Grab(&list, QStringLiteral("keyboard-shortcut-list"));
        list.Filter(QStringLiteral("ctrl"));
        Grab(&list, QStringLiteral("keyboard-shortcut-list-filtered"));
    }
    CQVAboutDlg about(LoadAppString(IDS_ABOUT_CORDA_LIBRARIAN), 0, CModuleVersion::GetModuleFilePath(nullptr),
                      IDB_ABOUT_BANNER, LoadAppString(IDS_ACKNOWLEDGEMENTS), &frame);
    about.show();
    Grab(&about, QStringLiteral("about-dialog"));
    for (int i = 0; i < about.GetLoadedModulesItem()->childCount(); ++i) {
        QTreeWidgetItem* module = about.GetLoadedModulesItem()->child(i);
        if (module->text(0).startsWith(QStringLiteral("libqvsystem.so"))) {
            about.GetTreeCtrl()->SelectItem(module, false);
            about.GetTreeCtrl()->scrollToItem(module, QAbstractItemView::PositionAtCenter);
            Grab(&about, QStringLiteral("about-module"));
        }
    }
    about.GetTreeCtrl()->SelectItem(about.GetLoadedModulesItem(), false);
    Grab(&about, QStringLiteral("about-loaded-modules"));
    about.GetTreeCtrl()->SelectItem(about.GetAcknowledgementsItem(), false);
    Grab(&about, QStringLiteral("about-acknowledgements"));
    about.accept();
}

void ShootHelpViewer()
{
    if (!AfxHtmlHelpDisplayTopic(QStringLiteral("cordalib.chm::/changingthekeyboardsettings.htm")) ||
        !CHelpViewer::GetViewer(false)) {
        std::fprintf(stderr, "screenshots: the help viewer did not open\n");
        ++g_failures;
        return;
    }
    CHelpViewer* viewer = CHelpViewer::GetViewer(false);
    viewer->setGeometry(60, 60, 1000, 680);
    Grab(viewer, QStringLiteral("help-viewer-contents"));
    AfxHtmlHelpDisplaySearch(QStringLiteral("cordalib.chm"), QStringLiteral("trash"));
    viewer->DisplaySelectedSearchTopic();
    Grab(viewer, QStringLiteral("help-viewer-search"));
    CHelpViewer::DestroyViewer();
}

// The update check against a listing served here on 127.0.0.1: the window while it waits,
// then the message of a newer listing, of an equal one and of a missing one (404); the
// reminder and its settings.
void ShootUpdateDialogs(CMainFrame& frame)
{
    if (!CQVSocket::IsInitialized())
        CQVSocket::Initialize();
    QByteArray response;
    int delayMs = 0;
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&]() {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &response, &delayMs]() {
                socket->readAll();
                QTimer::singleShot(delayMs, socket, [socket, bytes = response]() {
                    socket->write(bytes);
                    socket->disconnectFromHost();
                });
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    const CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Software\\Corda Software\\Corda Librarian"));
    AfxWriteProfileCheckForUpdatesURL(
        path, QStringLiteral("http://127.0.0.1:%1/cordalib/latest.txt").arg(server.serverPort()));
    struct Scene {
        const char* name;
        QByteArray response;
    };
    const Scene scenes[] = {
        {"update-newer", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n1.2.0.5"},
        {"update-latest", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n1.0.0.1"},
        {"update-error", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"},
    };
    // The user has allowed the program to reach the listing's server: the scenes show the
    // check's own messages, not the question before it.
    QVSystemSetOpenExternalLinkCallback([](const QString&) { return 1; });
    bool first = true;
    for (const Scene& scene : scenes) {
        response = scene.response;
        delayMs = first ? 1200 : 0;
        AfxWriteProfileCheckForUpdatesLastChecked(path, COleDateTime(0.0));
        CUpdateDlg dialog(0, path, CVersionNumber(1, 0, 0, 1), &frame);
        dialog.setWindowTitle(QStringLiteral("Corda Librarian Update"));
        bool checkingShot = !first;
        bool boxShot = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &poll, [&]() {
            if (!checkingShot && dialog.isVisible()) {
                checkingShot = true;
                Grab(&dialog, QStringLiteral("update-checking"));
            }
            CQVMessageBox* box = CQVMessageBox::GetActive();
            if (!box || !box->isVisible() || boxShot)
                return;
            boxShot = true;
            Grab(box, QString::fromLatin1(scene.name));
            box->done(QMessageBox::Ok);
        });
        poll.start(50);
        QTimer::singleShot(10000, &dialog, [&dialog]() { dialog.reject(); });
        dialog.exec();
        if (!boxShot) {
            std::fprintf(stderr, "screenshots: the update check showed no message for %s\n", scene.name);
            ++g_failures;
        }
        first = false;
    }
    QVSystemSetOpenExternalLinkCallback([](const QString& link) {
        CCordaLibrarianApp* app = GetCordaLibrarianApp();
        return app && app->IsOpenExternalLinkAllowed(link) ? 1 : 0;
    });

    CCheckForUpdatesReminderDlg reminder(path, &frame);
    reminder.SetStatus(
        QStringLiteral("You have not checked for updates since 3/14/2026.  Would you like to check "
                       "for updates now?"));
    reminder.show();
    Grab(&reminder, QStringLiteral("update-reminder"));
    reminder.reject();
    AfxWriteProfileCheckForUpdatesReminder(path, 30);
    AfxWriteProfileCheckForUpdatesURL(
        path, QStringLiteral("http://updates.corda-software.example/cordalib/latest.txt"));
    CCheckForUpdatesSettingsDlg settings(path, &frame);
    settings.show();
    Grab(&settings, QStringLiteral("update-settings"));
    settings.reject();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corda Librarian"));
    const QStringList args = QApplication::arguments();
    const int outIndex = args.indexOf(QStringLiteral("--out"));
    if (outIndex < 0 || outIndex + 1 >= args.size()) {
        std::fprintf(stderr, "usage: cordalib-screenshots --out FOLDER\n");
        return 1;
    }
    g_outDir = args.at(outIndex + 1);
    QDir().mkpath(g_outDir);

    CGalleryApp app;
    if (!app.InitInstance()) {
        std::fprintf(stderr, "screenshots: the program did not start\n");
        return 2;
    }
    // The start-up splash closes itself after its delay; the gallery opens its own later.
    Wait(CCordaLibrarianGuiApp::SPLASH_CLOSE_DELAY_MS + 300);
    CMainFrame* frame = app.GetMainFrame();
    frame->showNormal();
    frame->setGeometry(40, 40, 1280, 800);
    Settle();
    Grab(frame, QStringLiteral("main-window"));
    ShootBrowsing(*frame);

    const int argsIndex = args.indexOf(QStringLiteral("--faultpost-args"));
    ShootFaultPost(argsIndex >= 0 && argsIndex + 1 < args.size() ? args.at(argsIndex + 1) : QString());
    ShootSplash(app);
    ShootTransientWindows(*frame);
    ShootListAndColumns(*frame);
    ShootBalloon(*frame);
    ShootUpdateDialogs(*frame);
    ShootHelpViewer();
    ShootKeyboardAndAbout(*frame);
    for (const auto& scene : GalleryScenes())
        scene(*frame);

    frame->close();
    app.ExitInstance();
    return g_failures == 0 ? 0 : 2;
}
