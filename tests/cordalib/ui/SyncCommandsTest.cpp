// The synchronization commands of the main window on real files in a temporary folder:
// Tools > Synchronize with its progress window, Cancel and result message, the error
// report, File > Folders... with its dialog, and Tools > Backup... with its archive.
#include "TestSupport.h"
#include "cordalib/maintenance/MaintenanceTestSupport.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/FileLocations.h"
#include "cordalib/app/RecordSearch.h"
#include "cordalib/maintenance/Backup.h"
#include "cordalib/maintenance/SyncResults.h"
#include "cordalib/ui/FoldersDlg.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SyncCommands.h"
#include "cordalib/ui/SyncProgressDlg.h"
#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/QVAnimateCtrl.h"
#include "qvsystem/controls/QVListBox.h"
#include "qvsystem/controls/QVValidationBalloon.h"
#include "qvsystem/platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>

using maintenance_test::CrdWriter;

namespace {

// Receives the file addresses that the shell would open.
class CUrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> m_urls;

public slots:
    void Open(const QUrl& url) { m_urls.append(url); }
};

// Answers the modal windows that come up, one action per window in order, polling for
// them from the event loop (a run lets events through many times before its message
// comes). Windows nobody expected fail the test and are closed.
class CModalAnswerer : public QObject {
public:
    using Action = std::function<void(QWidget& modal)>;

    CModalAnswerer()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start();
    }
    ~CModalAnswerer() override
    {
        EXPECT_TRUE(m_actions.empty()) << m_actions.size() << " window(s) never came";
    }

    void Expect(Action action) { m_actions.push_back(std::move(action)); }
    bool AllAnswered() const { return m_actions.empty(); }
    int Answered() const { return m_nAnswered; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == m_pLast)
            return;
        m_pLast = modal;
        if (m_actions.empty()) {
            ADD_FAILURE() << "unexpected window: " << modal->metaObject()->className() << " "
                          << (qobject_cast<QMessageBox*>(modal)
                                  ? qobject_cast<QMessageBox*>(modal)->text().toStdString()
                                  : std::string());
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(0);
            return;
        }
        Action action = std::move(m_actions.front());
        m_actions.pop_front();
        ++m_nAnswered;
        action(*modal);
    }

    QTimer m_timer;
    std::deque<Action> m_actions;
    QPointer<QWidget> m_pLast;
    int m_nAnswered = 0;
};

// A message box answer that notes the text and presses the button.
CModalAnswerer::Action PressButton(QMessageBox::StandardButton button, QString* text = nullptr,
                                   QMessageBox::Icon* icon = nullptr,
                                   QMessageBox::StandardButtons* buttons = nullptr)
{
    return [=](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr) << modal.metaObject()->className();
        if (text)
            *text = box->text();
        if (icon)
            *icon = box->icon();
        if (buttons)
            *buttons = box->standardButtons();
        QAbstractButton* pressed = box->button(button);
        if (pressed)
            pressed->click();
        else
            box->done(0);
    };
}

template <typename Window> Window* FindTopLevel()
{
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 10000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

void AllowOffscreenNoise()
{
    corda::test::AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
    corda::test::AllowQtWarning(QStringLiteral("does not support raise"));
}

class SyncCommandsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        AllowOffscreenNoise();
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_dataHome = m_dir.path() + QStringLiteral("/data");
        QDir().mkpath(m_dataHome);
        setenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome).constData(), 1);
        AfxSetSettingsStorePath(m_dir.path() + QStringLiteral("/config/registry.db"));
        m_app = std::make_unique<CCordaLibrarianApp>();
        ASSERT_TRUE(m_app->InitCore(false));
        m_frame = std::make_unique<CMainFrame>(*m_app);
        ASSERT_TRUE(m_frame->Create());
        m_frame->show();
        CFoldersDlg::SetLastAddedFolder(QString());
    }
    void TearDown() override
    {
        CFoldersDlg::SetBrowseFunction(nullptr);
        SyncCommands::SetSaveAsFunction(nullptr);
        m_frame.reset();
        m_app.reset();
        AfxSetSettingsStorePath(QString());
        setenv("XDG_DATA_HOME", m_oldDataHome.constData(), 1);
    }

    CLibraryDatabase& Database() { return m_app->GetLibraryDatabase(); }
    QString Folder(const QString& relative) const
    {
        const QString path = m_dir.path() + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return path;
    }
    QString Write(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = m_dir.path() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        corda::test::WriteAll(path, bytes);
        return path;
    }
    QString Location(int location) const
    {
        QString path;
        m_app->GetFileLocation(location, path);
        return path;
    }
    void Trigger(int commandId)
    {
        QAction* action = m_frame->FindCommand(commandId);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
    }
    // A song record of the library whose file is gone: a run removes it.
    void AddVanishedSong()
    {
        auto song = std::make_unique<CSongRecord>();
        song->SetTitle("Gone");
        song->SetPath(m_dir.path() + QStringLiteral("/music/gone.crd"));
        song->SetChecksum(std::string(32, 'b'));
        Database().AddSong(std::move(song));
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/clsync-XXXXXX")};
    QByteArray m_oldDataHome;
    QString m_dataHome;
    std::unique_ptr<CCordaLibrarianApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
};

// The dialog must edit a copy: Add with the browser (a folder already there in another
// letter case refused with string 118), Remove keeping a selection, and OK refused with the
// balloon while a folder does not exist; only a valid OK becomes the stored list.
TEST_F(SyncCommandsTest, FoldersDialogAddsRemovesRefusesAndValidates)
{
    const QString a = Folder(QStringLiteral("Tabs/A"));
    const QString b = Folder(QStringLiteral("Tabs/B"));
    const QString c = Folder(QStringLiteral("Tabs/C"));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({a, b}, true));

    QStringList browseStarts;
    QStringList answers;
    QString browseTitle;
    CFoldersDlg::SetBrowseFunction([&](QWidget*, const QString& title, QString& folder) {
        browseTitle = title;
        browseStarts.append(folder);
        if (answers.isEmpty())
            return false;
        folder = answers.takeFirst();
        return true;
    });

    CFoldersDlg dialog(*m_app, m_frame.get());
    dialog.show();
    ASSERT_TRUE(dialog.IsInitialized());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Folders"));
    CQVListBox* list = dialog.findChild<CQVListBox*>(QString::number(IDC_FOLDERS_LIST));
    auto* add = dialog.findChild<QPushButton*>(QString::number(IDC_FOLDERS_ADD));
    auto* remove = dialog.findChild<QPushButton*>(QString::number(IDC_FOLDERS_REMOVE));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
    ASSERT_TRUE(list && add && remove && ok);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);

    // A cancelled browser changes nothing.
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(browseTitle, QStringLiteral("Select a folder to add to the library"));
    EXPECT_EQ(browseStarts.value(0), QString()) << "nothing remembered yet";

    // Added, selected and remembered as the next start.
    answers = {c};
    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), c);
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(CFoldersDlg::GetLastAddedFolder(), c);

    // The same folder in other letters: refused with string 118, the list as it was.
    QString refusal;
    QMessageBox::Icon refusalIcon = QMessageBox::NoIcon;
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::Ok, &refusal, &refusalIcon));
        answers = {a.toUpper()};
        QTest::mouseClick(add, Qt::LeftButton);
        EXPECT_TRUE(answerer.AllAnswered());
    }
    EXPECT_EQ(browseStarts.value(2), c);
    EXPECT_EQ(refusal, QStringLiteral("The folder you selected already exists in the list"));
    EXPECT_EQ(refusalIcon, QMessageBox::Information);
    EXPECT_EQ(dialog.GetFolders(), (QStringList{a, b, c}));

    // Remove the middle one: the one now at its place is selected; the last: the new last.
    list->setCurrentRow(1);
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(dialog.GetFolders(), (QStringList{a, c}));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->currentItem()->text(), c);
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(dialog.GetFolders(), (QStringList{a}));
    EXPECT_EQ(list->currentRow(), 0);

    // A folder that does not exist keeps the dialog open with the balloon at the list.
    const QString missing = m_dir.path() + QStringLiteral("/Tabs/Missing");
    answers = {missing};
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_TRUE(dialog.IsValidationErrorMessageActive());
    EXPECT_EQ(dialog.GetValidationToolTipWindow()->GetText(),
              QStringLiteral("One or more of the folder paths does not exist"));
    EXPECT_EQ(m_app->GetSynchronizedFolders(), (QStringList{a, b})) << "nothing saved by a refused OK";

    dialog.HideValidationErrorMessage();
    list->setCurrentRow(1);
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_app->GetSynchronizedFolders(), (QStringList{a}));
    // Saved to the settings store, not only in memory.
    CSynchronizedFolders stored(m_app->GetProfile());
    stored.Load();
    EXPECT_EQ(stored.GetFolders(), (QStringList{a}));
}

// A list of 50 folders is all the store loads again: Add must stop there rather than let
// OK save a list that would be refused.
TEST_F(SyncCommandsTest, FoldersDialogStopsAddingAtTheStoredLimit)
{
    QStringList folders;
    for (int i = 0; i < CSynchronizedFolders::MAX_FOLDERS - 1; ++i)
        folders.append(Folder(QStringLiteral("Many/%1").arg(i)));
    ASSERT_TRUE(m_app->SetSynchronizedFolders(folders, false));
    const QString last = Folder(QStringLiteral("Many/last"));
    CFoldersDlg::SetBrowseFunction([&](QWidget*, const QString&, QString& folder) {
        folder = last;
        return true;
    });
    CFoldersDlg dialog(*m_app, m_frame.get());
    dialog.show();
    auto* add = dialog.findChild<QPushButton*>(QString::number(IDC_FOLDERS_ADD));
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(add->isEnabled());
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(dialog.GetFolders().size(), CSynchronizedFolders::MAX_FOLDERS);
    EXPECT_FALSE(add->isEnabled());
    dialog.reject();
}

// File > Folders... must start a run only when the set of folders changed: OK without a
// change leaves a new file unsynchronized; adding a folder runs at once and reports.
TEST_F(SyncCommandsTest, FoldersCommandRunsOnlyWhenTheSetChanged)
{
    const QString old = Folder(QStringLiteral("Old"));
    Write(QStringLiteral("Old/one.crd"), CrdWriter::Song("One"));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({old}, true));

    {
        CModalAnswerer answerer;
        answerer.Expect([](QWidget& modal) {
            auto* dialog = qobject_cast<CFoldersDlg*>(&modal);
            ASSERT_NE(dialog, nullptr);
            dialog->accept();
        });
        Trigger(int(CordaCommands::ID_FILE_FOLDERS));
        EXPECT_TRUE(answerer.AllAnswered());
        QTest::qWait(200); // a posted run would have come by now
    }
    EXPECT_EQ(Database().GetSongCount(), 0u);
    EXPECT_EQ(m_app->GetSynchronizedFolders(), (QStringList{old}));

    const QString added = Folder(QStringLiteral("New"));
    Write(QStringLiteral("New/two.crd"), CrdWriter::Song("Two"));
    Write(QStringLiteral("New/three.crd"), CrdWriter::Lesson("Three"));
    CFoldersDlg::SetBrowseFunction([&](QWidget*, const QString&, QString& folder) {
        folder = added;
        return true;
    });
    QString summary;
    {
        CModalAnswerer answerer;
        answerer.Expect([](QWidget& modal) {
            auto* dialog = qobject_cast<CFoldersDlg*>(&modal);
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->AddFolder());
            dialog->accept();
        });
        answerer.Expect(PressButton(QMessageBox::Ok, &summary));
        Trigger(int(CordaCommands::ID_FILE_FOLDERS));
        EXPECT_TRUE(WaitFor([&] { return answerer.AllAnswered() && !SyncCommands::IsRunning(); }));
    }
    EXPECT_EQ(m_app->GetSynchronizedFolders(), (QStringList{old, added}));
    EXPECT_EQ(Database().GetSongCount(), 2u);
    EXPECT_EQ(Database().GetLessonCount(), 1u);
    EXPECT_TRUE(
        summary.startsWith(QStringLiteral("Added: 3\nUpdated: 0\nRenamed: 0\nRemoved: 0\nErrors: 0\n")))
        << summary.toStdString();
    EXPECT_EQ(m_frame->GetSongList()->GetItemCount(), 2);
    EXPECT_EQ(m_frame->GetLessonList()->GetItemCount(), 1);
}

// The folder sets compare as sets of lower-cased paths; the table's filter becomes the
// file dialog's.
TEST(SyncCommandsHelpers, FolderSetsAndFilters)
{
    using SyncCommands::FolderSetChanged;
    EXPECT_FALSE(FolderSetChanged({}, {}));
    EXPECT_FALSE(FolderSetChanged({"/a", "/b"}, {"/b", "/a"}));
    EXPECT_FALSE(FolderSetChanged({"/Music/Tabs"}, {"/music/tabs"}));
    EXPECT_TRUE(FolderSetChanged({"/a"}, {"/a", "/b"}));
    EXPECT_TRUE(FolderSetChanged({"/a", "/b"}, {"/a"}));
    EXPECT_TRUE(FolderSetChanged({"/a"}, {"/c"}));

    using SyncCommands::ToFileDialogFilter;
    EXPECT_EQ(ToFileDialogFilter(QStringLiteral("Backup Files (*.zip)|*.zip||")),
              QStringLiteral("Backup Files (*.zip)"));
    EXPECT_EQ(ToFileDialogFilter(QStringLiteral("Archives|*.zip;*.7z|All Files (*.*)|*.*||")),
              QStringLiteral("Archives (*.zip *.7z);;All Files (*.*)"));
    EXPECT_EQ(ToFileDialogFilter(QString()), QString());
}

// A run must show its window over the disabled main window, and a Cancel pressed during it
// must apply nothing and show nothing; the library is still saved when it was modified.
TEST_F(SyncCommandsTest, CancelledRunAppliesAndShowsNothing)
{
    const QString folder = Folder(QStringLiteral("Tabs"));
    for (int i = 0; i < 20; ++i)
        Write(QStringLiteral("Tabs/song %1.crd").arg(i), CrdWriter::Song("Song " + std::to_string(i)));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({folder}, false));
    AddVanishedSong();
    Database().SetModified(true);
    m_frame->RefreshLists();
    ASSERT_EQ(m_frame->GetSongList()->GetItemCount(), 1);

    bool frameDisabled = false;
    bool animating = false;
    QString title;
    QString status;
    QTimer::singleShot(0, m_frame.get(), [&] {
        CSyncProgressDlg* window = FindTopLevel<CSyncProgressDlg>();
        ASSERT_NE(window, nullptr);
        frameDisabled = !m_frame->isEnabled();
        animating = window->GetAnimateCtrl()->IsPlaying() && window->GetAnimateCtrl()->GetFrameCount() == 4;
        title = window->windowTitle();
        // Pressed once the scan has begun.
        QObject::connect(window, &CSyncProgressDlg::StatusChanged, window,
                         [&status, window](const QString& text) {
                             status = window->GetStatusControl()->GetText();
                             EXPECT_EQ(text, status);
                             QTest::mouseClick(window->GetCancelButton(), Qt::LeftButton);
                         });
    });
    CSyncResults results;
    {
        CModalAnswerer answerer; // expects nothing
        EXPECT_EQ(SyncCommands::OnToolsSynchronize(*m_frame, *m_app, &results), 0);
        QTest::qWait(50);
    }
    EXPECT_TRUE(frameDisabled);
    EXPECT_TRUE(animating);
    EXPECT_EQ(title, QStringLiteral("Synchronizing"));
    EXPECT_EQ(status, QStringLiteral("Scanning folders for changes. Please wait..."));
    EXPECT_EQ(results.m_outcome, syncCancelled);
    // Nothing applied: the vanished record is still there and no file was added.
    EXPECT_EQ(Database().GetSongCount(), 1u);
    EXPECT_EQ(m_frame->GetSongList()->GetItemCount(), 1);
    // The window is gone and the main window usable again; the library was saved.
    EXPECT_TRUE(m_frame->isEnabled());
    EXPECT_EQ(FindTopLevel<CSyncProgressDlg>(), nullptr);
    EXPECT_FALSE(Database().IsModified());
    EXPECT_TRUE(QFileInfo::exists(m_app->GetDefaultDatabasePath()));
}

// A folder that has gone must refuse the run with string 17 over the main window, apply
// nothing and show no result message after it.
TEST_F(SyncCommandsTest, MissingFolderRefusesTheRun)
{
    const QString folder = Folder(QStringLiteral("Tabs"));
    Write(QStringLiteral("Tabs/a.crd"), CrdWriter::Song("A"));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({folder, m_dir.path() + QStringLiteral("/Gone")}, false));
    AddVanishedSong();

    QString refusal;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool windowHidden = false;
    CSyncResults results;
    {
        CModalAnswerer answerer;
        answerer.Expect([&](QWidget& modal) {
            windowHidden = FindTopLevel<CSyncProgressDlg>() == nullptr;
            PressButton(QMessageBox::Ok, &refusal, &icon)(modal);
        });
        EXPECT_EQ(SyncCommands::OnToolsSynchronize(*m_frame, *m_app, &results), 0);
        QTest::qWait(50);
    }
    EXPECT_EQ(results.m_outcome, syncFolderMissing);
    EXPECT_TRUE(
        refusal.startsWith(QStringLiteral("One or more of the synchronization folders does not exist.")))
        << refusal.toStdString();
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_TRUE(windowHidden) << "the progress window hides before the message";
    EXPECT_EQ(Database().GetSongCount(), 1u);
    EXPECT_EQ(Database().GetSongs().front()->GetTitle(), "Gone");
    EXPECT_TRUE(m_frame->isEnabled());
}

// The progress window itself, driven as a run drives it: a busy loop that only asks for
// Cancel must see the animation move and a Cancel clicked by a timer, quickly.
TEST_F(SyncCommandsTest, ProgressWindowStaysLiveDuringABusyRun)
{
    CSyncProgressDlg window(m_frame.get());
    ASSERT_TRUE(window.Create());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.IsProgressStyle());
    EXPECT_FALSE(m_frame->isEnabled());
    QSignalSpy frames(window.GetAnimateCtrl(), &CQVAnimateCtrl::FrameShown);
    window.SetStatus(QStringLiteral("Scanning"));

    QElapsedTimer clock;
    clock.start();
    qint64 clickedAt = -1;
    QTimer::singleShot(1500, &window, [&] {
        clickedAt = clock.elapsed();
        QTest::mouseClick(window.GetCancelButton(), Qt::LeftButton);
    });
    qint64 seenAt = -1;
    while (clock.elapsed() < 10000) {
        if (window.CheckCancelButton()) {
            seenAt = clock.elapsed();
            break;
        }
    }
    ASSERT_GE(clickedAt, 0) << "the timer never ran during the busy loop";
    ASSERT_GE(seenAt, 0);
    EXPECT_LT(seenAt - clickedAt, 500);
    // 400 ms a frame (looked at every 200 ms): at least two more frames in 1.5 s.
    EXPECT_GE(frames.count(), 2);
    // Cancel keeps the window and stays set for the run to see again.
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.CheckCancelButton());
    // Escape and the close button are Cancel too, and close nothing.
    window.Destroy();
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(window.CheckCancelButton());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.IsCancelPressed());
    EXPECT_TRUE(window.isVisible());
    window.Destroy();
    ASSERT_TRUE(window.Create());
    window.close();
    EXPECT_TRUE(window.IsCancelPressed());
    EXPECT_TRUE(window.isVisible());

    window.Hide();
    EXPECT_TRUE(m_frame->isEnabled());
    EXPECT_FALSE(window.isVisible());
    window.Destroy();
    EXPECT_FALSE(window.GetAnimateCtrl()->IsPlaying());

    // A new run starts without the old press.
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(window.CheckCancelButton());
    window.Destroy();
    EXPECT_TRUE(m_frame->isEnabled());
}

// A completed run must search the lists again, save the library and report its counters
// with an OK box; a run that found nothing to do shows nothing.
TEST_F(SyncCommandsTest, CompletedRunReportsAndRefreshes)
{
    const QString folder = Folder(QStringLiteral("Tabs"));
    Write(QStringLiteral("Tabs/a.crd"), CrdWriter::Song("A"));
    Write(QStringLiteral("Tabs/b.crd"), CrdWriter::Song("B"));
    Write(QStringLiteral("Tabs/sub/c.crd"), CrdWriter::Lesson("C"));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({folder}, false));
    AddVanishedSong();
    m_frame->RefreshLists();
    // The user's search stays in force over the new records.
    ASSERT_TRUE(m_frame->GetSongList()->ApplySearch(QStringLiteral("b"), songSearchTitle, true));

    QString summary;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::Ok, &summary, &icon, &buttons));
        Trigger(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
        EXPECT_TRUE(answerer.AllAnswered());
    }
    const QRegularExpression expected(QStringLiteral("^Added: 3\\nUpdated: 0\\nRenamed: 0\\nRemoved: "
                                                     "1\\nErrors: 0\\nElapsed time: \\d+\\.\\d{5} seconds$"));
    EXPECT_TRUE(expected.match(summary).hasMatch()) << summary.toStdString();
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    ASSERT_EQ(m_frame->GetSongList()->GetItemCount(), 1);
    EXPECT_EQ(m_frame->GetSongList()->GetRecordText(0, CSongListCtrl::songColumnTitle), QStringLiteral("B"));
    EXPECT_EQ(m_frame->GetSongList()->GetSearchText(), QStringLiteral("b"));
    EXPECT_EQ(m_frame->GetLessonList()->GetItemCount(), 1);
    EXPECT_TRUE(m_frame->GetSongList()->updatesEnabled());
    EXPECT_FALSE(Database().IsModified());
    EXPECT_TRUE(QFileInfo::exists(m_app->GetDefaultDatabasePath()));

    CSyncResults again;
    {
        CModalAnswerer answerer; // nothing changed: no box
        EXPECT_EQ(SyncCommands::OnToolsSynchronize(*m_frame, *m_app, &again), 1);
        QTest::qWait(50);
    }
    EXPECT_FALSE(again.HasSomethingToReport());
    EXPECT_TRUE(m_frame->isEnabled());
}

// Errors must turn the message into a Yes/No question; Yes writes the report into the Log
// Files folder and opens it through the shell, No opens nothing.
TEST_F(SyncCommandsTest, ErrorReportIsWrittenAndOpenedOnYes)
{
    const QString folder = Folder(QStringLiteral("Tabs"));
    Write(QStringLiteral("Tabs/good.crd"), CrdWriter::Song("Good"));
    const QString broken = Write(QStringLiteral("Tabs/broken.crd"), QByteArray("this is no tablature file"));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({folder}, false));

    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    QString question;
    QMessageBox::StandardButtons buttons;
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::Yes, &question, nullptr, &buttons));
        Trigger(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
        EXPECT_TRUE(answerer.AllAnswered());
    }
    EXPECT_TRUE(question.startsWith(QStringLiteral("Added: 1\n"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("\nErrors: 1\n")));
    EXPECT_TRUE(
        question.endsWith(QStringLiteral("seconds\n\nOne or more errors occurred during the operation. "
                                         "Would you like to save and view the error report?")))
        << question.toStdString();
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);

    ASSERT_EQ(catcher.m_urls.size(), 1);
    const QString log = catcher.m_urls.front().toLocalFile();
    EXPECT_EQ(QFileInfo(log).absolutePath(), QDir(Location(fileLocationLogFiles)).absolutePath());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^errorlog-\\d{14}\\.txt$"))
                    .match(QFileInfo(log).fileName())
                    .hasMatch());
    const QByteArray content = corda::test::ReadAll(log);
    EXPECT_TRUE(content.startsWith((broken + QStringLiteral(" - ")).toUtf8())) << content.toStdString();
    EXPECT_TRUE(content.endsWith('\n'));
    EXPECT_EQ(content.count('\n'), 1);

    // The file is still broken: the next run asks again; No opens nothing.
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::No, &question));
        Trigger(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
        EXPECT_TRUE(answerer.AllAnswered());
    }
    EXPECT_TRUE(question.contains(QStringLiteral("Errors: 1")));
    EXPECT_EQ(catcher.m_urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

// The backup must offer a dated name in the Backup Files folder, save the library first and
// leave an archive that an independent reader accepts, with the summary and error count.
TEST_F(SyncCommandsTest, BackupCommandWritesAnArchiveThatPythonAccepts)
{
    const QString folder = Folder(QStringLiteral("Tabs"));
    Write(QStringLiteral("Tabs/a.crd"), CrdWriter::Song("A", "Artist", "Album", 1999, QByteArray(5000, 'a')));
    Write(QStringLiteral("Tabs/b/c.crd"), CrdWriter::Lesson("C"));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({folder}, false));
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::Ok));
        Trigger(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
    }
    ASSERT_EQ(Database().GetSongCount() + Database().GetLessonCount(), 2u);
    AddVanishedSong(); // one file that cannot be added
    Database().SetModified(true);

    // Cancelled Save As: nothing at all.
    int asked = 0;
    SyncCommands::SetSaveAsFunction(
        [&](QWidget*, const QString&, const QString&, const QString&, const QString&, QString&) {
            ++asked;
            return false;
        });
    {
        CModalAnswerer answerer;
        Trigger(int(CordaCommands::ID_TOOLS_BACKUP));
        QTest::qWait(50);
    }
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(Database().IsModified()) << "nothing saved without a backup";

    const QString archive = m_dir.path() + QStringLiteral("/backup.zip");
    QString startFolder, proposed, filter, suffix;
    SyncCommands::SetSaveAsFunction([&](QWidget*, const QString& f, const QString& name, const QString& filt,
                                        const QString& suf, QString& path) {
        startFolder = f;
        proposed = name;
        filter = filt;
        suffix = suf;
        path = archive;
        return true;
    });
    QString caption;
    unsigned iconId = 0;
    QString status;
    QTimer::singleShot(0, m_frame.get(), [&] {
        if (CProgressDlg* progress = FindTopLevel<CProgressDlg>()) {
            caption = progress->windowTitle();
            iconId = progress->GetIconID();
            // The status comes once the window is up, before the first file.
            QObject::connect(progress->GetProgressControl(), &QProgressBar::valueChanged, progress,
                             [&status, progress] {
                                 if (status.isEmpty())
                                     status = progress->GetStatus();
                             });
        }
    });
    QString summary;
    CBackupResults results;
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::No, &summary));
        EXPECT_TRUE(SyncCommands::OnToolsBackup(*m_frame, *m_app, &results));
        EXPECT_TRUE(answerer.AllAnswered());
    }
    EXPECT_EQ(startFolder, Location(fileLocationBackupFiles));
    EXPECT_FALSE(startFolder.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^backup-\\d{14}$")).match(proposed).hasMatch())
        << proposed.toStdString();
    EXPECT_EQ(filter, QStringLiteral("Backup Files (*.zip)"));
    EXPECT_EQ(suffix, QStringLiteral("zip"));
    EXPECT_EQ(caption, QStringLiteral("Backup Progress"));
    EXPECT_EQ(iconId, 240u);
    EXPECT_EQ(status, QStringLiteral("Backing up the library. Please wait..."));
    EXPECT_FALSE(Database().IsModified());
    EXPECT_TRUE(m_frame->isEnabled());

    EXPECT_EQ(results.m_nFilesBackedUp, 3u);
    EXPECT_EQ(results.m_errors.size(), 1);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("Files backed up: 3\nErrors: 1\nElapsed time: ")))
        << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(QStringLiteral("Would you like to save and view the error report?")));

    int exitCode = -1;
    corda::test::RunCommand(
        QStringLiteral("python3 -c \"import zipfile,sys; "
                       "sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)\" '%1'")
            .arg(archive),
        &exitCode);
    EXPECT_EQ(exitCode, 0);
    const QByteArray names = corda::test::RunCommand(
        QStringLiteral("python3 -c \"import zipfile,sys; "
                       "print('\\n'.join(zipfile.ZipFile(sys.argv[1]).namelist()))\" '%1'")
            .arg(archive));
    const QString relative = m_dir.path().mid(1);
    EXPECT_EQ(QString::fromUtf8(names).trimmed().split(QLatin1Char('\n')),
              (QStringList{QStringLiteral("library.cordb"), relative + QStringLiteral("/Tabs/a.crd"),
                           relative + QStringLiteral("/Tabs/b/c.crd")}))
        << names.toStdString();
}

// Cancel during a backup must leave no archive behind and show nothing.
TEST_F(SyncCommandsTest, CancelledBackupLeavesNoArchive)
{
    for (int i = 0; i < 5; ++i)
        Write(QStringLiteral("Tabs/%1.crd").arg(i), CrdWriter::Song("S" + std::to_string(i)));
    ASSERT_TRUE(m_app->SetSynchronizedFolders({Folder(QStringLiteral("Tabs"))}, false));
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::Ok));
        Trigger(int(CordaCommands::ID_TOOLS_SYNCHRONIZE));
    }
    ASSERT_EQ(Database().GetSongCount(), 5u);

    const QString archive = m_dir.path() + QStringLiteral("/cancelled.zip");
    SyncCommands::SetSaveAsFunction(
        [&](QWidget*, const QString&, const QString&, const QString&, const QString&, QString& path) {
            path = archive;
            return true;
        });
    bool frameDisabled = false;
    QTimer::singleShot(0, m_frame.get(), [&] {
        CProgressDlg* progress = FindTopLevel<CProgressDlg>();
        ASSERT_NE(progress, nullptr);
        frameDisabled = !m_frame->isEnabled();
        QTest::mouseClick(progress->GetCancelButton(), Qt::LeftButton);
    });
    CBackupResults results;
    {
        CModalAnswerer answerer; // expects nothing
        EXPECT_FALSE(SyncCommands::OnToolsBackup(*m_frame, *m_app, &results));
        QTest::qWait(50);
    }
    EXPECT_TRUE(frameDisabled);
    EXPECT_EQ(results.m_outcome, backupCancelled);
    EXPECT_FALSE(QFileInfo::exists(archive));
    EXPECT_TRUE(QDir(m_dir.path())
                    .entryList({QStringLiteral("cancelled.zip*")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
    EXPECT_TRUE(m_frame->isEnabled());
    EXPECT_EQ(FindTopLevel<CProgressDlg>(), nullptr);
}

// An archive that cannot be created must say so with string 19 and nothing after it.
TEST_F(SyncCommandsTest, BackupThatCannotCreateItsArchiveSaysSoOnce)
{
    const QString archive = m_dir.path() + QStringLiteral("/no such folder/backup.zip");
    SyncCommands::SetSaveAsFunction(
        [&](QWidget*, const QString&, const QString&, const QString&, const QString&, QString& path) {
            path = archive;
            return true;
        });
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    CBackupResults results;
    {
        CModalAnswerer answerer;
        answerer.Expect(PressButton(QMessageBox::Ok, &text, &icon));
        EXPECT_FALSE(SyncCommands::OnToolsBackup(*m_frame, *m_app, &results));
        QTest::qWait(50);
    }
    EXPECT_EQ(results.m_outcome, backupNotCreated);
    EXPECT_EQ(text, QStringLiteral("The backup file could not be created"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_FALSE(QFileInfo::exists(archive));
    EXPECT_TRUE(m_frame->isEnabled());
}

// The real Save As dialog must start in the Backup Files folder with the dated name, the
// zip filter and suffix, and ask before replacing a file.
TEST_F(SyncCommandsTest, BackupSaveAsDialogIsSetUpAsDocumented)
{
    QString folder, selected, suffix;
    QStringList filters;
    bool confirms = false;
    bool saving = false;
    {
        CModalAnswerer answerer;
        answerer.Expect([&](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            ASSERT_NE(dialog, nullptr) << modal.metaObject()->className();
            folder = dialog->directory().absolutePath();
            selected = dialog->selectedFiles().value(0);
            suffix = dialog->defaultSuffix();
            filters = dialog->nameFilters();
            confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            dialog->reject();
        });
        Trigger(int(CordaCommands::ID_TOOLS_BACKUP));
        EXPECT_TRUE(answerer.AllAnswered());
    }
    EXPECT_EQ(folder, QDir(Location(fileLocationBackupFiles)).absolutePath());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/backup-\\d{14}(\\.zip)?$")).match(selected).hasMatch())
        << selected.toStdString();
    EXPECT_EQ(suffix, QStringLiteral("zip"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("Backup Files (*.zip)")});
    EXPECT_TRUE(confirms);
    EXPECT_TRUE(saving);
}

} // namespace

#include "SyncCommandsTest.moc"
