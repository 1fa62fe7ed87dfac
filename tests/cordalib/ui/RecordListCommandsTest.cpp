// The commands on the rows of the song and lesson lists, in a real main window over a
// library whose records point at real files in the test's folder: renaming, deleting with
// and without the trash, locating a moved file, opening, the default action and the
// context menu.
#include "MainFrameTestLibrary.h"
#include "TestSupport.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/ui/EditLessonDlg.h"
#include "cordalib/ui/EditSongDlg.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/LessonSummaryListBox.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/RecordListCommands.h"
#include "cordalib/ui/RecycleMessageBox.h"
#include "cordalib/ui/RenameDlg.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SongSummaryListBox.h"
#include "qvsystem/controls/QVMessageBox.h"
#include "qvsystem/system/FileUtilities.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <deque>
#include <functional>

#include <unistd.h>

namespace {

using corda::test::AllowQtWarning;

// Receives the addresses that the desktop would open.
class CUrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> m_urls;

public slots:
    void Open(const QUrl& url) { m_urls.append(url); }
};

// Answers the modal windows that open, one step per window in order; a window beyond the
// steps is noted and closed, so a test that expects none cannot hang.
class CModalScript {
public:
    using Step = std::function<void(QWidget&)>;

    explicit CModalScript(std::vector<Step> steps) : m_steps(steps.begin(), steps.end())
    {
        AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

    // The texts of the windows seen: a message box's text, else the window's class name.
    const QStringList& Seen() const { return m_seen; }
    bool Finished() const { return m_steps.empty(); }
    int Unexpected() const { return m_unexpected; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("scripted").toBool())
            return;
        modal->setProperty("scripted", true);
        auto* box = qobject_cast<QMessageBox*>(modal);
        m_seen << (box ? box->text() : QString::fromLatin1(modal->metaObject()->className()));
        if (m_steps.empty()) {
            ++m_unexpected;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(0);
            return;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        step(*modal);
    }

    std::deque<Step> m_steps;
    QStringList m_seen;
    QTimer m_timer;
    int m_unexpected = 0;
};

// Steps for message boxes and the recycle question.
CModalScript::Step Press(QMessageBox::StandardButton button, bool tickCheckBox = false)
{
    return [button, tickCheckBox](QWidget& window) {
        auto* box = qobject_cast<QMessageBox*>(&window);
        ASSERT_NE(box, nullptr) << window.metaObject()->className();
        if (tickCheckBox) {
            auto* check = box->findChild<QCheckBox*>(QString::number(IDC_QV_MESSAGEBOX_CHECKBOX));
            ASSERT_NE(check, nullptr);
            check->setChecked(true);
        }
        QAbstractButton* pressed = box->button(button);
        ASSERT_NE(pressed, nullptr);
        pressed->click();
    };
}

CModalScript::Step AnswerRecycle(int buttonId)
{
    return [buttonId](QWidget& window) {
        auto* question = qobject_cast<CRecycleMessageBox*>(&window);
        ASSERT_NE(question, nullptr) << window.metaObject()->className();
        // Enter keeps the files: that is the default button.
        EXPECT_TRUE(question->GetKeepButton()->isDefault());
        question->findChild<QPushButton*>(QString::number(buttonId))->click();
    };
}

// A key pressed on the recycle question.
CModalScript::Step KeyOnRecycle(Qt::Key key)
{
    return [key](QWidget& window) {
        ASSERT_NE(qobject_cast<CRecycleMessageBox*>(&window), nullptr) << window.metaObject()->className();
        QTest::keyClick(&window, key);
    };
}

CModalScript::Step RenameTo(const QString& name)
{
    return [name](QWidget& window) {
        auto* dialog = qobject_cast<CRenameDlg*>(&window);
        ASSERT_NE(dialog, nullptr) << window.metaObject()->className();
        dialog->GetNewFileNameControl()->setText(name);
        dialog->findChild<QPushButton*>(QString::number(IDOK))->click();
    };
}

void WaitUntilFinished(const CModalScript& script)
{
    for (int i = 0; i < 200 && !script.Finished(); ++i)
        QTest::qWait(5);
}

class RecordListCommandsTest : public MainFrameLibraryTest {
protected:
    void SetUp() override
    {
        MainFrameLibraryTest::SetUp();
        // The trash of the files in the test's folder is the test's own.
        m_oldHome = qgetenv("HOME");
        setenv("HOME", QFile::encodeName(m_dir.path()).constData(), 1);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_urls, "Open");
        AllowQtWarning(QStringLiteral("^This plugin does not support raise\\(\\)$"));
        AllowQtWarning(QStringLiteral("^This plugin does not support grabbing the keyboard$"));
        AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        CRecordListCommands::SetOpenFileDialogRunner(nullptr);
        CRecordListCommands::SetContextMenuRunner(nullptr);
        m_frame.reset();
        setenv("HOME", m_oldHome.constData(), 1);
        MainFrameLibraryTest::TearDown();
    }

    // A file with its name as its content.
    QString MakeNamedFile(const QString& name) const
    {
        const QString path = MusicFolder() + QLatin1Char('/') + name;
        corda::test::WriteAll(path, name.toUtf8());
        return path;
    }

    CMainFrame& ShowFrame()
    {
        m_frame = std::make_unique<CMainFrame>(App());
        EXPECT_TRUE(m_frame->Create());
        m_frame->resize(1200, 800);
        m_frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        return *m_frame;
    }

    CSongListCtrl& Songs() { return *m_frame->GetSongList(); }
    CRecordListCommands& SongCommands()
    {
        CRecordListCommands* commands = GetRecordListCommands(m_frame->GetSongList());
        EXPECT_NE(commands, nullptr);
        return *commands;
    }

    // Selects exactly these rows; the first one gets the focus.
    static void SelectRows(CRecordListCtrl& list, std::initializer_list<int> rows)
    {
        list.UnselectAllItems();
        bool first = true;
        for (int row : rows) {
            list.SelectItem(row, first);
            first = false;
        }
    }

    // The row whose record has the file name, or -1.
    int RowOfFile(const QString& name)
    {
        for (int row = 0; row < Songs().GetItemCount(); ++row) {
            if (QFileInfo(Songs().GetRecord(row)->GetPath()).fileName() == name)
                return row;
        }
        return -1;
    }

    QString TrashFolder() const { return m_dataHome + QStringLiteral("/Trash"); }

    CUrlCatcher m_urls;
    QByteArray m_oldHome;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace

// The rename must never overwrite another file: an existing target, even a dangling
// symbolic link, is refused with EEXIST and both files keep their contents.
TEST_F(RecordListCommandsTest, MoveNeverReplacesAnExistingFile)
{
    const QString a = MakeNamedFile(QStringLiteral("a.crd"));
    const QString b = MakeNamedFile(QStringLiteral("b.crd"));
    int error = 0;
    EXPECT_FALSE(MoveFileWithoutReplacing(a, b, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(corda::test::ReadAll(a), QByteArray("a.crd"));
    EXPECT_EQ(corda::test::ReadAll(b), QByteArray("b.crd"));

    const QString link = MusicFolder() + QStringLiteral("/link.crd");
    ASSERT_EQ(::symlink("/nowhere/at/all", QFile::encodeName(link).constData()), 0);
    error = 0;
    EXPECT_FALSE(MoveFileWithoutReplacing(a, link, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_TRUE(QFileInfo::exists(a));

    // A free name, and a change of letter case alone, are moved.
    const QString c = MusicFolder() + QStringLiteral("/c.crd");
    EXPECT_TRUE(MoveFileWithoutReplacing(a, c, &error));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(corda::test::ReadAll(c), QByteArray("a.crd"));
    const QString upper = MusicFolder() + QStringLiteral("/C.crd");
    EXPECT_TRUE(MoveFileWithoutReplacing(c, upper, &error));
    EXPECT_TRUE(QDir(MusicFolder()).entryList(QDir::Files).contains(QStringLiteral("C.crd")));
    EXPECT_FALSE(MoveFileWithoutReplacing(MusicFolder() + QStringLiteral("/missing.crd"),
                                          MusicFolder() + QStringLiteral("/d.crd"), &error));
    EXPECT_EQ(error, ENOENT);
}

// Names Windows cannot hold must keep the dialog open with the balloon, and a good name
// must close it with the name as typed.
TEST_F(RecordListCommandsTest, RenameDialogRefusesUnusableNames)
{
    CRenameDlg dialog(true, QStringLiteral("Blackbird.crd"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.GetCurrentFileNameControl()->text(), QStringLiteral("Blackbird.crd"));
    EXPECT_TRUE(dialog.GetCurrentFileNameControl()->isReadOnly());
    EXPECT_EQ(dialog.GetNewFileNameControl()->text(), QStringLiteral("Blackbird.crd"));
    EXPECT_EQ(dialog.GetNewFileNameControl()->selectedText(), QStringLiteral("Blackbird"));
    EXPECT_EQ(dialog.GetHelpTopic(), QStringLiteral("renamingasongsfilename.htm"));
    EXPECT_EQ(CRenameDlg(false, QStringLiteral("x.crd")).GetHelpTopic(),
              QStringLiteral("renamingalessonsfilename.htm"));

    const QString expected = LoadAppString(IDS_VALIDATE_FILE_NAME);
    for (const QString& bad : {QStringLiteral("CON"), QStringLiteral("con.crd"), QStringLiteral("a\\b.crd"),
                               QStringLiteral("a:b.crd"), QStringLiteral("Blackbird."),
                               QStringLiteral("Blackbird "), QStringLiteral(""), QStringLiteral("  .crd")}) {
        SCOPED_TRACE(bad.toStdString());
        dialog.GetNewFileNameControl()->setText(bad);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(dialog.IsValidationErrorMessageActive());
        ASSERT_NE(dialog.GetValidationToolTipWindow(), nullptr);
        EXPECT_EQ(dialog.GetValidationToolTipWindow()->GetText(), expected);
        dialog.HideValidationErrorMessage();
    }
    dialog.GetNewFileNameControl()->setText(QStringLiteral("blackbird (Live).crd"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetNewFileName(), QStringLiteral("blackbird (Live).crd"));
}

// Rename through the list: an existing name fails with the error message and changes
// nothing; the current name does nothing; a new name moves the file, saves the library and
// re-sorts a list sorted by file name.
TEST_F(RecordListCommandsTest, RenameMovesTheFileAndResortsByFileName)
{
    AddSong("Mango", "Artist", "Album", MakeNamedFile(QStringLiteral("m.crd")));
    AddSong("Nectar", "Artist", "Album", MakeNamedFile(QStringLiteral("n.crd")));
    AddSong("Zest", "Artist", "Album", MakeNamedFile(QStringLiteral("z.crd")));
    CMainFrame& frame = ShowFrame();
    (void)frame;
    ASSERT_TRUE(Songs().SortItems(CSongListCtrl::songColumnFileName, false, true));
    ASSERT_EQ(RowOfFile(QStringLiteral("z.crd")), 0);

    // Onto another song's file.
    SelectRows(Songs(), {0});
    {
        QString errorText;
        CModalScript script({RenameTo(QStringLiteral("n.crd")), [&errorText](QWidget& window) {
                                 auto* box = qobject_cast<QMessageBox*>(&window);
                                 ASSERT_NE(box, nullptr);
                                 errorText = box->text();
                                 box->button(QMessageBox::Ok)->click();
                             }});
        SongCommands().RenameSelectedItem();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.Unexpected(), 0);
        EXPECT_TRUE(errorText.startsWith(
            QStringLiteral("An error has occurred while renaming the file '%1' to '%2'.")
                .arg(MusicFolder() + QStringLiteral("/z.crd"), MusicFolder() + QStringLiteral("/n.crd"))))
            << errorText.toStdString();
        QString exists;
        AfxGetSystemErrorText(EEXIST, exists);
        EXPECT_TRUE(errorText.endsWith(exists)) << errorText.toStdString();
    }
    EXPECT_EQ(corda::test::ReadAll(MusicFolder() + QStringLiteral("/n.crd")), QByteArray("n.crd"));
    EXPECT_EQ(corda::test::ReadAll(MusicFolder() + QStringLiteral("/z.crd")), QByteArray("z.crd"));
    EXPECT_EQ(Songs().GetRecord(0)->GetPath(), MusicFolder() + QStringLiteral("/z.crd"));

    // The current name again.
    App().GetLibraryDatabase().SetModified(false);
    {
        CModalScript script({RenameTo(QStringLiteral("z.crd"))});
        SongCommands().RenameSelectedItem();
        EXPECT_EQ(script.Unexpected(), 0);
    }
    EXPECT_FALSE(App().GetLibraryDatabase().IsModified());
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));

    // A new name: moved, saved, and the list sorted by file name again, ascending.
    {
        CModalScript script({RenameTo(QStringLiteral("a.crd"))});
        SongCommands().RenameSelectedItem();
        EXPECT_EQ(script.Unexpected(), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(MusicFolder() + QStringLiteral("/z.crd")));
    EXPECT_EQ(corda::test::ReadAll(MusicFolder() + QStringLiteral("/a.crd")), QByteArray("z.crd"));
    EXPECT_TRUE(QFileInfo::exists(DatabaseFile()));
    EXPECT_FALSE(App().GetLibraryDatabase().IsModified());
    EXPECT_TRUE(Songs().IsSortAscending());
    EXPECT_EQ(Songs().GetSortColumn(), int(CSongListCtrl::songColumnFileName));
    EXPECT_EQ(RowOfFile(QStringLiteral("a.crd")), 0);
    EXPECT_EQ(RowOfFile(QStringLiteral("m.crd")), 1);
    EXPECT_EQ(RowOfFile(QStringLiteral("n.crd")), 2);
    // The renamed song stays the selection, and the footer shows its new name.
    EXPECT_EQ(Songs().GetSingleSelectionItem(), 0);
    EXPECT_EQ(frame.GetCurrentSelectionPath(), MusicFolder() + QStringLiteral("/a.crd"));
}

// Delete: the confirmation and the keep-or-trash question, the records gone from list,
// library and summaries, the files kept or in the freedesktop trash with their original
// paths, and the row after the deleted block selected (clamped to the last row).
TEST_F(RecordListCommandsTest, DeleteKeepsOrTrashesTheFilesAndSelectsTheNextRow)
{
    const char* const titles[] = {"A", "B", "C", "D", "E", "F"};
    const char* const artists[] = {"One", "Two", "Two", "Three", "Three", "Three"};
    for (int i = 0; i < 6; ++i)
        AddSong(titles[i], artists[i], "Album",
                MakeNamedFile(QStringLiteral("%1.crd").arg(QLatin1String(titles[i]))));
    ShowFrame();
    ASSERT_TRUE(Songs().SortItems(CSongListCtrl::songColumnTitle, true, true));
    ASSERT_EQ(Songs().GetItemCount(), 6);
    ASSERT_EQ(Songs().GetArtistBox()->GetValueCount(), 3u);

    // Cancel at the question: nothing happens.
    SelectRows(Songs(), {1, 2});
    {
        CModalScript script({Press(QMessageBox::Yes), KeyOnRecycle(Qt::Key_Escape)});
        SongCommands().DeleteSelectedItems();
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(App().GetLibraryDatabase().GetSongCount(), 6u);
    EXPECT_EQ(Songs().GetItemCount(), 6);

    // The middle block, keeping the files; "do not show again" turns the confirmation off.
    SelectRows(Songs(), {1, 2});
    {
        CModalScript script({Press(QMessageBox::Yes, true), KeyOnRecycle(Qt::Key_Return)});
        SongCommands().DeleteSelectedItems();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.Unexpected(), 0);
        ASSERT_FALSE(script.Seen().isEmpty());
        EXPECT_EQ(script.Seen().front(),
                  QStringLiteral(
                      "Are you sure you want to delete the selected songs?\n\nNOTE: Only the information "
                      "stored in the library will be deleted, not the associated Corda files."));
    }
    EXPECT_FALSE(App().GetMessageBoxSettings().GetShowDeleteItemConfirmation());
    EXPECT_EQ(App().GetLibraryDatabase().GetSongCount(), 4u);
    ASSERT_EQ(Songs().GetItemCount(), 4);
    EXPECT_TRUE(QFileInfo::exists(MusicFolder() + QStringLiteral("/B.crd")));
    EXPECT_TRUE(QFileInfo::exists(MusicFolder() + QStringLiteral("/C.crd")));
    EXPECT_EQ(Songs().GetSelectedItems(), std::vector<int>{1});
    EXPECT_EQ(Songs().GetRecord(1)->GetTitle(), "D");
    EXPECT_EQ(Songs().currentIndex().row(), 1);
    // "Two" had only the deleted songs: the artist box lost it; the library file was saved.
    EXPECT_EQ(Songs().GetArtistBox()->GetValueCount(), 2u);
    EXPECT_EQ(Songs().GetArtistBox()->FindValueRow("Two"), -1);
    EXPECT_TRUE(QFileInfo::exists(DatabaseFile()));

    // The last two rows into the trash: only the question is asked now.
    SelectRows(Songs(), {2, 3});
    {
        CModalScript script({AnswerRecycle(CRecycleMessageBox::IDC_MOVE_TO_RECYCLE_BIN)});
        SongCommands().DeleteSelectedItems();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.Unexpected(), 0);
    }
    ASSERT_EQ(Songs().GetItemCount(), 2);
    EXPECT_EQ(Songs().GetSelectedItems(), std::vector<int>{1});
    EXPECT_EQ(Songs().GetRecord(1)->GetTitle(), "D");
    for (const char* name : {"E.crd", "F.crd"}) {
        SCOPED_TRACE(name);
        const QString original = MusicFolder() + QLatin1Char('/') + QLatin1String(name);
        EXPECT_FALSE(QFileInfo::exists(original));
        EXPECT_EQ(corda::test::ReadAll(TrashFolder() + QStringLiteral("/files/") + QLatin1String(name)),
                  QByteArray(name));
        const QByteArray info = corda::test::ReadAll(TrashFolder() + QStringLiteral("/info/") +
                                                     QLatin1String(name) + ".trashinfo");
        EXPECT_TRUE(info.startsWith("[Trash Info]\n")) << info.toStdString();
        EXPECT_TRUE(info.contains("\nPath=" + QFile::encodeName(original) + "\n")) << info.toStdString();
    }
    EXPECT_FALSE(App().GetLibraryDatabase().ContainsSongPath(MusicFolder() + QStringLiteral("/E.crd")));
    // Debian's trash-cli reads the same trash, where it is installed.
    if (!QStandardPaths::findExecutable(QStringLiteral("trash-list")).isEmpty()) {
        int exitCode = -1;
        const QByteArray listing = corda::test::RunCommand(QStringLiteral("trash-list"), &exitCode);
        EXPECT_EQ(exitCode, 0);
        EXPECT_TRUE(listing.contains(QFile::encodeName(MusicFolder() + QStringLiteral("/E.crd"))))
            << listing.toStdString();
        EXPECT_TRUE(listing.contains(QFile::encodeName(MusicFolder() + QStringLiteral("/F.crd"))));
    }

    // Everything: the list is empty and nothing is selected.
    SelectRows(Songs(), {0, 1});
    {
        CModalScript script({AnswerRecycle(CRecycleMessageBox::IDC_CANCEL)});
        SongCommands().DeleteSelectedItems();
    }
    EXPECT_EQ(Songs().GetItemCount(), 2);
    {
        CModalScript script({AnswerRecycle(CRecycleMessageBox::IDC_KEEP_FILES)});
        SongCommands().DeleteSelectedItems();
    }
    EXPECT_EQ(Songs().GetItemCount(), 0);
    EXPECT_FALSE(SongCommands().HasSelection());
    EXPECT_EQ(App().GetLibraryDatabase().GetSongCount(), 0u);
}

// A moved file: the user is offered to locate it; a file another record holds is refused
// with message 162 and nothing opens; a new file becomes the record's and opens, after the
// open-file warning, whose check box turns it off; then the window goes to the tray.
TEST_F(RecordListCommandsTest, MovedFileIsLocatedAndOpened)
{
    AddSong("Moved Song", "Artist", "Album", MusicFolder() + QStringLiteral("/gone.crd"));
    const QString other = MakeNamedFile(QStringLiteral("other.crd"));
    AddSong("Other Song", "Artist", "Album", other);
    const QString found = MakeNamedFile(QStringLiteral("found.crd"));
    ShowFrame();
    ASSERT_TRUE(Songs().SortItems(CSongListCtrl::songColumnTitle, true, true));
    SelectRows(Songs(), {0});
    ASSERT_EQ(Songs().GetRecord(0)->GetTitle(), "Moved Song");

    QStringList filters;
    QString startFile;
    QString answer = other;
    CRecordListCommands::SetOpenFileDialogRunner([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        startFile = dialog.selectedFiles().value(0);
        return answer;
    });
    {
        CModalScript script({Press(QMessageBox::Yes), Press(QMessageBox::Ok)});
        EXPECT_FALSE(SongCommands().OpenSelectedFile());
        EXPECT_EQ(script.Unexpected(), 0);
        ASSERT_EQ(script.Seen().size(), 2);
        EXPECT_EQ(script.Seen()[0],
                  QStringLiteral("The song 'Moved Song' could not be opened because the "
                                 "associated file was not found. Would you like to locate it?"));
        EXPECT_EQ(script.Seen()[1],
                  QStringLiteral("The file '%1' already exists in the library.").arg(other));
    }
    EXPECT_EQ(filters, QStringList{QStringLiteral("Corda Files (*.crd)")});
    EXPECT_TRUE(startFile.endsWith(QStringLiteral("gone.crd"))) << startFile.toStdString();
    EXPECT_TRUE(m_urls.m_urls.isEmpty());
    EXPECT_EQ(Songs().GetRecord(0)->GetPath(), MusicFolder() + QStringLiteral("/gone.crd"));

    // No to the question: no dialog at all.
    answer = found;
    filters.clear();
    {
        CModalScript script({Press(QMessageBox::No)});
        EXPECT_FALSE(SongCommands().OpenSelectedFile());
        EXPECT_EQ(script.Unexpected(), 0);
    }
    EXPECT_TRUE(filters.isEmpty());

    App().GetLibraryDatabase().SetModified(false);
    ASSERT_TRUE(App().GetMessageBoxSettings().GetShowOpenCordaFileWarning());
    {
        CModalScript script({Press(QMessageBox::Yes), [](QWidget& window) {
                                 auto* box = qobject_cast<QMessageBox*>(&window);
                                 ASSERT_NE(box, nullptr);
                                 EXPECT_EQ(box->windowTitle(), QStringLiteral("Warning"));
                                 Press(QMessageBox::Yes, true)(window);
                             }});
        EXPECT_TRUE(SongCommands().OpenSelectedFile());
        EXPECT_EQ(script.Unexpected(), 0);
        ASSERT_EQ(script.Seen().size(), 2);
        EXPECT_TRUE(
            script.Seen()[1].startsWith(QStringLiteral("Opening a Corda file while another Corda file")));
    }
    EXPECT_EQ(Songs().GetRecord(0)->GetPath(), found);
    EXPECT_TRUE(App().GetLibraryDatabase().IsModified());
    EXPECT_FALSE(App().GetMessageBoxSettings().GetShowOpenCordaFileWarning());
    ASSERT_EQ(m_urls.m_urls.size(), 1);
    EXPECT_EQ(m_urls.m_urls.front(), QUrl::fromLocalFile(found));
    EXPECT_TRUE(m_frame->windowState() & Qt::WindowMinimized);

    // Open Folder opens the folder, existing or not.
    SongCommands().OpenSelectedFolder();
    ASSERT_EQ(m_urls.m_urls.size(), 2);
    EXPECT_EQ(QDir::cleanPath(m_urls.m_urls.back().toLocalFile()), MusicFolder());
}

// The default action: with two rows, Enter does nothing while it is "open" and edits both
// (after the warning) while it is "edit".
TEST_F(RecordListCommandsTest, DefaultActionWithTwoRows)
{
    AddSong("One", "Artist", "Album", MakeNamedFile(QStringLiteral("1.crd")));
    AddSong("Two", "Artist", "Album", MakeNamedFile(QStringLiteral("2.crd")));
    ShowFrame();
    SelectRows(Songs(), {0, 1});
    Songs().setFocus();
    {
        CModalScript script({});
        QTest::keyClick(&Songs(), Qt::Key_Return);
        QTest::qWait(50);
        EXPECT_EQ(script.Unexpected(), 0);
        EXPECT_TRUE(script.Seen().isEmpty());
    }
    EXPECT_TRUE(m_urls.m_urls.isEmpty());

    ASSERT_TRUE(App().GetGeneralSettings().SetDefaultDoubleClickAction(1, false));
    bool multiEdit = false;
    {
        CModalScript script({Press(QMessageBox::Yes), [&multiEdit](QWidget& window) {
                                 auto* dialog = qobject_cast<CEditSongDlg*>(&window);
                                 ASSERT_NE(dialog, nullptr) << window.metaObject()->className();
                                 multiEdit = dialog->IsMultiEdit();
                                 dialog->reject();
                             }});
        QTest::keyClick(&Songs(), Qt::Key_Return);
        WaitUntilFinished(script);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.Unexpected(), 0);
        ASSERT_FALSE(script.Seen().isEmpty());
        EXPECT_EQ(script.Seen().front(),
                  QStringLiteral("Are you sure you want to edit information for multiple items?"));
    }
    EXPECT_TRUE(multiEdit);
    // One row with action "open" opens it (the warning turned off first).
    App().GetMessageBoxSettings().SetShowOpenCordaFileWarning(false, false);
    App().GetGeneralSettings().SetDefaultDoubleClickAction(0, false);
    App().GetSystemTraySettings().SetMinimizeToSystemTray(false, false);
    SelectRows(Songs(), {1});
    QTest::keyClick(&Songs(), Qt::Key_Return);
    ASSERT_EQ(m_urls.m_urls.size(), 1);
    EXPECT_EQ(m_urls.m_urls.front(), QUrl::fromLocalFile(Songs().GetRecord(1)->GetPath()));
    EXPECT_FALSE(m_frame->windowState() & Qt::WindowMinimized);
}

// The context menu: only over a row of a selection; its default entry follows the
// double-click setting; one-row entries grey with two rows; the Select entries name the
// summary fields and select the record's value in the header pane's boxes.
TEST_F(RecordListCommandsTest, ContextMenuEntriesAndSelectBy)
{
    AddSong("One", "Ash", "First", MakeNamedFile(QStringLiteral("1.crd")));
    AddSong("Two", "Birch", "Second", MakeNamedFile(QStringLiteral("2.crd")));
    AddLesson("Lesson", "Author", 4, 2, MakeNamedFile(QStringLiteral("l.crd")));
    CMainFrame& frame = ShowFrame();
    ASSERT_TRUE(Songs().SortItems(CSongListCtrl::songColumnTitle, true, true));

    struct CMenuSeen {
        QString defaultEntry;
        QStringList enabled;
        QStringList selectTitles;
        int calls = 0;
    } seen;
    int choose = 0;
    CRecordListCommands::SetContextMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        ++seen.calls;
        EXPECT_EQ(menu.objectName(), QStringLiteral("226"));
        seen.defaultEntry = menu.defaultAction() ? menu.defaultAction()->text() : QString();
        seen.enabled.clear();
        seen.selectTitles.clear();
        QAction* chosen = nullptr;
        for (QAction* action : menu.findChildren<QAction*>()) {
            if (action->isSeparator() || action->menu() || action->text().isEmpty())
                continue;
            if (action->isEnabled())
                seen.enabled << action->text();
            if (action->data().toInt() == CRecordListCommands::ID_LIST_SELECT_FIRST ||
                action->data().toInt() == CRecordListCommands::ID_LIST_SELECT_SECOND)
                seen.selectTitles << action->text();
            if (action->data().toInt() == choose)
                chosen = action;
        }
        seen.enabled.sort();
        return chosen;
    });
    const auto rowPoint = [](CRecordListCtrl& list, int row) {
        return list.viewport()->mapToGlobal(list.visualRect(list.model()->index(row, 1)).center());
    };

    // Nothing selected, or a point below the rows: no menu.
    Songs().UnselectAllItems();
    SongCommands().OnContextMenu(rowPoint(Songs(), 0));
    SelectRows(Songs(), {0});
    SongCommands().OnContextMenu(
        Songs().viewport()->mapToGlobal(QPoint(5, Songs().viewport()->height() - 2)));
    EXPECT_EQ(seen.calls, 0);

    SongCommands().OnContextMenu(rowPoint(Songs(), 0));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.defaultEntry, QStringLiteral("&Open"));
    EXPECT_EQ(seen.selectTitles, (QStringList{QStringLiteral("Artist"), QStringLiteral("Album")}));
    EXPECT_EQ(seen.enabled.size(), 7);

    App().GetGeneralSettings().SetDefaultDoubleClickAction(1, false);
    SelectRows(Songs(), {0, 1});
    SongCommands().OnContextMenu(rowPoint(Songs(), 1));
    EXPECT_EQ(seen.defaultEntry, QStringLiteral("&Edit..."));
    EXPECT_EQ(seen.enabled, (QStringList{QStringLiteral("&Delete"), QStringLiteral("&Edit...")}));

    // Select > Album picks "Second" in the album box, Artist picks "Birch" in the artist box.
    SelectRows(Songs(), {1});
    choose = CRecordListCommands::ID_LIST_SELECT_FIRST;
    SongCommands().OnContextMenu(rowPoint(Songs(), 1));
    EXPECT_EQ(Songs().GetArtistBox()->GetKey(), "Birch");
    EXPECT_EQ(Songs().GetItemCount(), 1);
    SelectRows(Songs(), {0});
    choose = CRecordListCommands::ID_LIST_SELECT_SECOND;
    SongCommands().OnContextMenu(rowPoint(Songs(), 0));
    EXPECT_EQ(Songs().GetAlbumBox()->GetKey(), "Second");

    // The lesson list: Style and Level.
    ASSERT_TRUE(frame.SetCurrentView(CMainFrame::VIEW_LESSONS));
    QApplication::processEvents();
    CLessonListCtrl& lessons = *frame.GetLessonList();
    CRecordListCommands* lessonCommands = GetRecordListCommands(&lessons);
    ASSERT_NE(lessonCommands, nullptr);
    SelectRows(lessons, {0});
    choose = CRecordListCommands::ID_LIST_SELECT_SECOND;
    lessonCommands->OnContextMenu(rowPoint(lessons, 0));
    EXPECT_EQ(seen.selectTitles, (QStringList{QStringLiteral("Style"), QStringLiteral("Level")}));
    EXPECT_EQ(lessons.GetLevelBox()->GetKey(), 2u);

    // Edit.Delete and File.Properties are the module's.
    EXPECT_TRUE(frame.HasCommandHandler(int(CordaCommands::ID_EDIT_DELETE)));
    EXPECT_TRUE(frame.HasCommandHandler(int(CordaCommands::ID_FILE_PROPERTIES)));
}

// Edit.Delete works on the list that has the focus, as Unselect All does, and the lesson
// list deletes its lessons with its own words and boxes.
TEST_F(RecordListCommandsTest, EditDeleteFollowsTheFocusedList)
{
    AddSong("Song", "Artist", "Album", MakeNamedFile(QStringLiteral("s.crd")));
    AddLesson("Scales", "Author", 2, 0, MakeNamedFile(QStringLiteral("l1.crd")));
    AddLesson("Chords", "Author", 3, 1, MakeNamedFile(QStringLiteral("l2.crd")));
    CMainFrame& frame = ShowFrame();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QAction* remove = frame.FindCommand(int(CordaCommands::ID_EDIT_DELETE));
    ASSERT_NE(remove, nullptr);

    ASSERT_TRUE(frame.SetCurrentView(CMainFrame::VIEW_LESSONS));
    CLessonListCtrl& lessons = *frame.GetLessonList();
    lessons.setFocus(Qt::OtherFocusReason);
    lessons.UnselectAllItems();
    frame.UpdateCommandStates();
    EXPECT_FALSE(remove->isEnabled());
    ASSERT_TRUE(lessons.SortItems(CLessonListCtrl::lessonColumnTitle, true, true));
    SelectRows(lessons, {0});
    frame.UpdateCommandStates();
    EXPECT_TRUE(remove->isEnabled());
    frame.GetSearchBar()->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_FALSE(remove->isEnabled());

    lessons.setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(remove->isEnabled());
    ASSERT_EQ(lessons.GetRecord(0)->GetTitle(), "Chords");
    {
        CModalScript script(
            {Press(QMessageBox::Yes), AnswerRecycle(CRecycleMessageBox::IDC_MOVE_TO_RECYCLE_BIN)});
        remove->trigger();
        EXPECT_EQ(script.Unexpected(), 0);
        ASSERT_FALSE(script.Seen().isEmpty());
        EXPECT_TRUE(script.Seen().front().startsWith(
            QStringLiteral("Are you sure you want to delete the selected lessons?")));
    }
    EXPECT_EQ(App().GetLibraryDatabase().GetLessonCount(), 1u);
    EXPECT_EQ(App().GetLibraryDatabase().GetSongCount(), 1u);
    EXPECT_FALSE(QFileInfo::exists(MusicFolder() + QStringLiteral("/l2.crd")));
    EXPECT_TRUE(QFileInfo::exists(TrashFolder() + QStringLiteral("/files/l2.crd")));
    ASSERT_EQ(lessons.GetItemCount(), 1);
    EXPECT_EQ(lessons.GetSelectedItems(), std::vector<int>{0});
    // The style box lost style 3, which only the deleted lesson had.
    EXPECT_EQ(lessons.GetStyleBox()->FindValueRow(3), -1);
    EXPECT_GE(lessons.GetStyleBox()->FindValueRow(2), 1);
}

// Edit: OK saves a modified library and searches the list again (forced), Cancel does
// neither; a single row whose file is missing is located first, and No stops before the
// dialog.
TEST_F(RecordListCommandsTest, EditSavesAndSearchesAgainOnOk)
{
    AddSong("One", "Artist", "Album", MakeNamedFile(QStringLiteral("1.crd")));
    AddSong("Two", "Artist", "Album", MusicFolder() + QStringLiteral("/missing.crd"));
    ShowFrame();
    ASSERT_TRUE(Songs().SortItems(CSongListCtrl::songColumnTitle, true, true));
    const auto clickIn = [](int id) {
        return [id](QWidget& window) {
            auto* dialog = qobject_cast<CEditSongDlg*>(&window);
            ASSERT_NE(dialog, nullptr) << window.metaObject()->className();
            dialog->findChild<QPushButton*>(QString::number(id))->click();
        };
    };

    SelectRows(Songs(), {0});
    App().GetLibraryDatabase().SetModified(true);
    uint64_t sorts = Songs().GetRecordset().GetSortRuns();
    {
        CModalScript script({clickIn(IDCANCEL)});
        EXPECT_FALSE(SongCommands().EditSelectedItems());
        EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(Songs().GetRecordset().GetSortRuns(), sorts);
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
    {
        CModalScript script({clickIn(IDOK)});
        EXPECT_TRUE(SongCommands().EditSelectedItems());
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.Unexpected(), 0);
    }
    EXPECT_GT(Songs().GetRecordset().GetSortRuns(), sorts);
    EXPECT_TRUE(QFileInfo::exists(DatabaseFile()));
    EXPECT_FALSE(App().GetLibraryDatabase().IsModified());
    EXPECT_EQ(Songs().GetSelectedItems(), std::vector<int>{0});

    // The song whose file is gone: No to locating it ends the command.
    SelectRows(Songs(), {1});
    sorts = Songs().GetRecordset().GetSortRuns();
    {
        CModalScript script({Press(QMessageBox::No)});
        EXPECT_FALSE(SongCommands().EditSelectedItems());
        EXPECT_EQ(script.Unexpected(), 0);
        ASSERT_EQ(script.Seen().size(), 1);
        EXPECT_TRUE(script.Seen().front().startsWith(QStringLiteral("The song 'Two' could not be opened")));
    }
    EXPECT_EQ(Songs().GetRecordset().GetSortRuns(), sorts);
}

// A real double click on a row is the default action too.
TEST_F(RecordListCommandsTest, DoubleClickOpensTheRow)
{
    AddSong("Song", "Artist", "Album", MakeNamedFile(QStringLiteral("s.crd")));
    App().GetMessageBoxSettings().SetShowOpenCordaFileWarning(false, false);
    App().GetSystemTraySettings().SetMinimizeToSystemTray(false, false);
    ShowFrame();
    const QPoint point = Songs().visualRect(Songs().model()->index(0, 1)).center();
    QTest::mouseClick(Songs().viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseDClick(Songs().viewport(), Qt::LeftButton, Qt::NoModifier, point);
    ASSERT_EQ(m_urls.m_urls.size(), 1);
    EXPECT_EQ(m_urls.m_urls.front(), QUrl::fromLocalFile(MusicFolder() + QStringLiteral("/s.crd")));
}

#include "RecordListCommandsTest.moc"
