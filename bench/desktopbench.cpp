// desktopbench: the desktop program's benchmarks, driven through its real windows, and the
// plain-Qt baselines they are compared with. bench/run-all runs it under Xvfb in a
// throw-away home that holds the library; it prints one JSON object per row on stdout.
//
//   desktopbench prepare                       settings for a measured start (no splash)
//   desktopbench bare-window EVENTFILE         a bare window that reports its first paint
//   desktopbench ui [--runs N] [--rows 11,12,13,14,15] [--edit-count N]
//
// A figure ends when the last repaint that the input caused has been painted: the
// application object times every paint event, and a measurement waits until the windows
// have been quiet for a while after the input.
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/HeapSetup.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"
#include "cordalib/ui/CordaLibrarianGuiApp.h"
#include "cordalib/ui/EditRecordDlg.h"
#include "cordalib/ui/EditSongDlg.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RecordListCommands.h"
#include "cordalib/ui/SongListCtrl.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/SearchEdit.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Times the end of every paint event.
class CBenchApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint;
        const bool result = QApplication::notify(receiver, event);
        if (paint) {
            m_lastPaintEnd = m_clock.nsecsElapsed();
            ++m_paints;
        }
        return result;
    }

    qint64 Now() const { return m_clock.nsecsElapsed(); }

    // Runs the input, then events until the windows have been quiet for quietMs after the
    // last paint; the time from the input to the end of that paint, in milliseconds.
    double MeasureUntilRepainted(const std::function<void()>& input, int quietMs = 40)
    {
        Drain(quietMs);
        const qint64 start = Now();
        const int paintsBefore = m_paints;
        m_lastPaintEnd = start;
        input();
        qint64 quietSince = Now();
        int seenPaints = m_paints;
        while (true) {
            processEvents(QEventLoop::AllEvents, 5);
            if (m_paints != seenPaints) {
                seenPaints = m_paints;
                quietSince = Now();
            } else if (Now() - quietSince > qint64(quietMs) * 1000000) {
                break;
            }
        }
        if (m_paints == paintsBefore)
            std::fprintf(stderr, "desktopbench: the input caused no repaint\n");
        return double(m_lastPaintEnd - start) / 1e6;
    }

    void Drain(int quietMs)
    {
        QElapsedTimer quiet;
        quiet.start();
        int seen = m_paints;
        while (quiet.elapsed() < quietMs) {
            processEvents(QEventLoop::AllEvents, 5);
            if (m_paints != seen) {
                seen = m_paints;
                quiet.restart();
            }
        }
    }

private:
    QElapsedTimer m_clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    qint64 m_lastPaintEnd = 0;
    int m_paints = 0;
};

CBenchApplication* BenchApp()
{
    return static_cast<CBenchApplication*>(QCoreApplication::instance());
}

void Emit(const QJsonObject& row)
{
    std::printf("%s\n", QJsonDocument(row).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

QJsonArray ToJson(const std::vector<double>& values)
{
    QJsonArray array;
    for (double value : values)
        array.append(value);
    return array;
}

// Settings of a measured start: no splash, so that the start-up is the program's work,
// and no question before a multiple edit.
int Prepare()
{
    CCordaLibrarianApp app;
    // The multi-edit row answers the edit dialog, not the warning before it.
    if (!app.InitCore(false) || !app.GetStartupSettings().SetShowSplashScreen(false, true) ||
        !app.GetMessageBoxSettings().SetShowEditMultipleItemsWarning(false, true)) {
        std::fprintf(stderr, "desktopbench: could not save the settings\n");
        return 1;
    }
    return 0;
}

// The baseline of the start-up: one window with a table view over an empty model; it
// writes "painted" into the event file after its first paint and quits.
class CFirstPaintReporter : public QObject {
public:
    CFirstPaintReporter(QString path) : m_path(std::move(path)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, [this] {
                QFile file(m_path);
                if (file.open(QIODevice::Append))
                    file.write("painted\n");
                file.close();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_path;
    bool m_done = false;
};

int BareWindow(const QString& eventFile)
{
    QMainWindow window;
    auto* view = new QTableView(&window);
    QStandardItemModel model(0, 13);
    view->setModel(&model);
    window.setCentralWidget(view);
    CFirstPaintReporter reporter(eventFile);
    view->viewport()->installEventFilter(&reporter);
    window.showMaximized();
    return QApplication::exec();
}

// The texts of the song list's shown columns, for the plain table of the baseline.
class CTextTableModel : public QAbstractTableModel {
public:
    CTextTableModel(std::vector<QStringList> rows, QStringList headings)
        : m_rows(std::move(rows)), m_headings(std::move(headings))
    {
    }
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int(m_headings.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return m_rows[size_t(index.row())].value(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return m_headings.value(section);
    }

private:
    std::vector<QStringList> m_rows;
    QStringList m_headings;
};

std::vector<double> PageDowns(QWidget* view, int pages)
{
    std::vector<double> times;
    for (int page = 0; page < pages; ++page)
        times.push_back(
            BenchApp()->MeasureUntilRepainted([view] { QTest::keyClick(view, Qt::Key_PageDown); }, 20));
    return times;
}

// Row 11: "th" in the search text, then the timed "e"; the list, the summary boxes and the
// header pane repaint.
void SearchKeystrokeRow(CMainFrame& frame, int runs)
{
    CSearchEdit* edit = frame.GetSearchBar()->GetSearchEdit();
    std::vector<double> times;
    int matches = -1;
    for (int run = 0; run <= runs; ++run) {
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("th"));
        BenchApp()->Drain(100);
        const double elapsed =
            BenchApp()->MeasureUntilRepainted([edit] { QTest::keyClick(edit, Qt::Key_E); }, 60);
        matches = frame.GetSongList()->GetItemCount();
        if (run > 0)
            times.push_back(elapsed);
    }
    edit->clear();
    QTest::keyClick(edit, Qt::Key_Backspace);
    BenchApp()->Drain(100);
    Emit({{"row", "11"}, {"times", ToJson(times)}, {"matches", matches}});
}

// Row 12: Page Down in the song list sorted by title, and in a plain table of the same
// texts in a window of the same size.
void PageDownRow(CMainFrame& frame, int pages)
{
    CSongListCtrl* list = frame.GetSongList();
    list->SortItemsByColumn(CSongListCtrl::songColumnTitle, true);
    list->setFocus();
    list->SelectItem(0, true);
    list->scrollToTop();
    BenchApp()->Drain(100);
    std::vector<double> ours = PageDowns(list, pages + 1);
    ours.erase(ours.begin());

    // The same texts of the shown columns, in the list's order.
    QStringList headings;
    std::vector<int> columns;
    QHeaderView* header = list->header();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        columns.push_back(logical);
        headings << list->model()->headerData(logical, Qt::Horizontal).toString();
    }
    std::vector<QStringList> rows;
    const int count = list->GetItemCount();
    rows.reserve(size_t(count));
    for (int row = 0; row < count; ++row) {
        QStringList texts;
        for (int column : columns)
            texts << list->model()->index(row, column).data().toString();
        rows.push_back(std::move(texts));
    }
    CTextTableModel model(std::move(rows), headings);
    QMainWindow window;
    auto* view = new QTableView(&window);
    view->setModel(&model);
    view->verticalHeader()->hide();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->setDefaultSectionSize(list->sizeHintForRow(0) > 0 ? list->sizeHintForRow(0) : 20);
    for (size_t i = 0; i < columns.size(); ++i)
        view->setColumnWidth(int(i), header->sectionSize(columns[i]));
    window.setCentralWidget(view);
    window.setGeometry(frame.geometry());
    window.show();
    view->setFocus();
    view->setCurrentIndex(model.index(0, 0));
    BenchApp()->Drain(200);
    std::vector<double> baseline = PageDowns(view, pages + 1);
    baseline.erase(baseline.begin());
    window.hide();
    BenchApp()->Drain(100);
    Emit({{"row", "12"}, {"times", ToJson(ours)}, {"baseline_times", ToJson(baseline)}});
}

// Row 13: a click on the Artist heading sorts the list; each click after the first
// reverses the direction, each is a whole sort.
void HeaderClickRow(CMainFrame& frame, int runs)
{
    CSongListCtrl* list = frame.GetSongList();
    list->SortItemsByColumn(CSongListCtrl::songColumnTitle, true);
    BenchApp()->Drain(100);
    QHeaderView* header = list->header();
    int artist = -1;
    for (int logical = 0; logical < header->count(); ++logical) {
        if (list->model()->headerData(logical, Qt::Horizontal).toString() == QStringLiteral("Artist"))
            artist = logical;
    }
    if (artist < 0) {
        Emit({{"row", "13"}, {"missing", "no Artist column shown"}});
        return;
    }
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const QPoint centre(header->sectionViewportPosition(artist) + header->sectionSize(artist) / 2,
                            header->height() / 2);
        const double elapsed = BenchApp()->MeasureUntilRepainted(
            [header, centre] { QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre); });
        if (run > 0)
            times.push_back(elapsed);
    }
    Emit({{"row", "13"}, {"times", ToJson(times)}, {"sort_column", list->GetSortColumn()}});
}

// Watches for the next message box (or any modal dialog): notes when it appeared and its
// text, and answers it with its default button (No for the error-report question).
class CBoxAnswerer : public QObject {
public:
    CBoxAnswerer()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || m_seenAt >= 0)
                return;
            m_seenAt = BenchApp()->Now();
            m_text = box->text();
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else if (QAbstractButton* button = box->defaultButton())
                button->click();
            else
                box->reject();
        });
        m_timer.start();
    }
    qint64 SeenAt() const { return m_seenAt; }
    QString Text() const { return m_text; }

private:
    QTimer m_timer;
    qint64 m_seenAt = -1;
    QString m_text;
};

// Row 14: Tools > Synchronize from the menu, until the result message is up, or (a run
// with nothing to report shows none) until the command is done.
void SynchronizeRow(CMainFrame& frame, const QString& key)
{
    QAction* command = frame.FindCommand(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
    if (!command || !command->isEnabled()) {
        Emit({{"row", key}, {"missing", "Tools > Synchronize is not available"}});
        return;
    }
    BenchApp()->Drain(100);
    CBoxAnswerer answerer;
    const qint64 start = BenchApp()->Now();
    command->trigger();
    const qint64 end = answerer.SeenAt() >= 0 ? answerer.SeenAt() : BenchApp()->Now();
    QString text = answerer.Text();
    // The error-report question after the counts is the window's own.
    text = text.section(QStringLiteral("\n\n"), 0, 0);
    Emit({{"row", key},
          {"seconds", double(end - start) / 1e9},
          {"text", text},
          {"songs", frame.GetSongList()->GetItemCount()}});
}

// Row 15: the first editCount songs (sorted by title) get a new album through Edit... and
// the multi-edit dialog; until the files are written and the library saved.
void MultiEditRow(CMainFrame& frame, int editCount, const QString& album, const QString& pathsFile)
{
    CSongListCtrl* list = frame.GetSongList();
    list->SortItemsByColumn(CSongListCtrl::songColumnTitle, true);
    // The first editCount songs whose header has a place for an album (release type 3 has
    // none, and the edit leaves those files as they are).
    QStringList paths;
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row < list->GetItemCount() && paths.size() < editCount; ++row) {
        const QString path = CMainFrame::GetRowPath(list, row);
        CCordaFileHeader header;
        if (!ReadHeaderFromFile(path, header, nullptr, nullptr, nullptr) || header.GetReleaseType() == 3)
            continue;
        paths << path;
        selection.select(list->model()->index(row, 0), list->model()->index(row, 0));
        if (first < 0)
            first = row;
    }
    list->setFocus();
    list->clearSelection();
    list->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->setCurrentIndex(list->model()->index(std::max(first, 0), 0),
                                            QItemSelectionModel::NoUpdate);
    BenchApp()->Drain(100);
    CRecordListCommands* commands = GetRecordListCommands(list);
    if (!commands) {
        Emit({{"row", "15"}, {"missing", "the list has no commands"}});
        return;
    }
    qint64 start = -1;
    bool driven = false;
    QTimer driver;
    driver.setInterval(1);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (driven || !dialog || !dialog->isVisible() || qobject_cast<QMessageBox*>(dialog))
            return;
        auto* tick = dialog->findChild<QCheckBox*>(QString::number(IDC_CHECK_ALBUM));
        auto* field = dialog->findChild<QLineEdit*>(QString::number(IDC_SONG_ALBUM));
        auto* ok = dialog->findChild<QPushButton*>(QString::number(IDOK));
        if (!tick || !field || !ok)
            return;
        driven = true;
        tick->setChecked(true);
        field->setText(album);
        start = BenchApp()->Now();
        ok->click();
    });
    driver.start();
    const bool edited = commands->EditSelectedItems();
    const qint64 end = BenchApp()->Now();
    driver.stop();
    int withAlbum = 0;
    const std::string wanted = album.toStdString(); // ASCII: the same bytes in the record
    const CSongRecordset& recordset = frame.GetSongList()->GetRecordset();
    for (size_t index = 0; index < recordset.GetCount(); ++index) {
        const CSongRecord* record = recordset.Get(index);
        if (record && record->GetAlbum() == wanted)
            ++withAlbum;
    }
    QFile out(pathsFile);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(paths.join(QLatin1Char('\n')).toUtf8());
    if (!edited || start < 0) {
        Emit({{"row", "15"}, {"missing", "the edit dialog did not end with OK"}});
        return;
    }
    Emit({{"row", "15"}, {"seconds", double(end - start) / 1e9}, {"albums", withAlbum}});
}

int Ui(const QStringList& args)
{
    int runs = 5;
    QStringList rows{QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13")};
    int pages = 200;
    int editCount = 1000;
    QString album = QStringLiteral("Bench Album");
    QString pathsFile;
    for (int i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == QStringLiteral("--edit-count"))
            editCount = std::max(1, args[i + 1].toInt());
        else if (args[i] == QStringLiteral("--album"))
            album = args[i + 1];
        else if (args[i] == QStringLiteral("--paths-file"))
            pathsFile = args[i + 1];
        if (args[i] == QStringLiteral("--runs"))
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QStringLiteral("--rows"))
            rows = args[i + 1].split(QLatin1Char(','));
        else if (args[i] == QStringLiteral("--pages"))
            pages = std::max(1, args[i + 1].toInt());
    }
    CCordaLibrarianGuiApp app;
    if (!app.InitInstance()) {
        std::fprintf(stderr, "desktopbench: the program did not start\n");
        return 2;
    }
    CMainFrame* frame = app.GetMainFrame();
    frame->showNormal();
    frame->setGeometry(0, 0, 1280, 800);
    BenchApp()->Drain(300);
    if (rows.contains(QStringLiteral("11")))
        SearchKeystrokeRow(*frame, runs);
    if (rows.contains(QStringLiteral("12")))
        PageDownRow(*frame, pages);
    if (rows.contains(QStringLiteral("13")))
        HeaderClickRow(*frame, runs);
    for (const QString& key : {QStringLiteral("14f"), QStringLiteral("14u")}) {
        if (rows.contains(key))
            SynchronizeRow(*frame, key);
    }
    if (rows.contains(QStringLiteral("15")))
        MultiEditRow(*frame, editCount, album, pathsFile);
    frame->close();
    app.ExitInstance();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The heap as the program sets it up: the records' layout decides much of the timing.
    PrepareHeapForLibrary();
    CBenchApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corda Librarian"));
    const QStringList args = QApplication::arguments();
    const QString mode = args.value(1);
    if (mode == QStringLiteral("prepare"))
        return Prepare();
    if (mode == QStringLiteral("bare-window") && args.size() > 2)
        return BareWindow(args.at(2));
    if (mode == QStringLiteral("ui"))
        return Ui(args.mid(2));
    std::fprintf(stderr,
                 "usage: desktopbench prepare | bare-window EVENTFILE | ui [--runs N] [--rows LIST]\n");
    return 1;
}
