// The Edit Song dialog on real files: what single mode writes (and when it writes nothing),
// navigation, the year's validation, the traditional rules, multi-edit with its progress,
// Cancel and error report, and the auto-complete lists.

#include "EditDialogTestLibrary.h"
#include "TestSupport.h"
#include "qvsystem/controls/MessageBoxDriver.h"

#include "cordalib/app/FileLocations.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/ui/EditSongDlg.h"
#include "cordalib/ui/InformationBar.h"
#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/controls/AutoCompleteMRUList.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/QVMessageBox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace corda::test;

namespace {

class CUrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> m_urls;

public slots:
    void Open(const QUrl& url) { m_urls.append(url); }
};

class EditSongDlgTest : public EditDialogTest {
protected:
    std::unique_ptr<CEditSongDlg> Open(std::vector<int> rows, int focused = -1)
    {
        if (focused < 0 && !rows.empty())
            focused = rows.front();
        auto dialog = std::make_unique<CEditSongDlg>(App(), m_songs, std::move(rows), focused, nullptr);
        dialog->show();
        EXPECT_TRUE(dialog->IsInitialized());
        return dialog;
    }

    template <typename T = QWidget> static T* Control(const CEditSongDlg& dialog, int id)
    {
        T* control = dialog.GetDlgItem<T>(id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    static QLineEdit* Edit(const CEditSongDlg& dialog, int id) { return Control<QLineEdit>(dialog, id); }

    static void Type(const CEditSongDlg& dialog, int id, const QString& text)
    {
        QLineEdit* edit = Edit(dialog, id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        // QTest types ASCII only; other characters arrive as the input method would send them.
        for (QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(edit, c.toLatin1());
            else
                edit->insert(QString(c));
        }
        EXPECT_EQ(edit->text(), text);
    }

    static void Click(const CEditSongDlg& dialog, int id)
    {
        QTest::mouseClick(Control(dialog, id), Qt::LeftButton);
    }

    static void ClickOk(const CEditSongDlg& dialog) { Click(dialog, IDOK); }

    // Ticks a multi-edit box as the user does.
    static void Tick(const CEditSongDlg& dialog, int checkId)
    {
        auto* check = Control<QCheckBox>(dialog, checkId);
        check->click();
    }
    static bool Ticked(const CEditSongDlg& dialog, int checkId)
    {
        return Control<QCheckBox>(dialog, checkId)->isChecked();
    }

    static QStringList StoredList(const char* key)
    {
        CAutoCompleteMRUList list;
        EXPECT_TRUE(list.LoadState(QString::fromLatin1(key)));
        return list.GetElementList();
    }
};

// Pressing OK without a change must not touch the file; a real change writes the field,
// keeps the music data, and the record then matches its file (time and checksum).
TEST_F(EditSongDlgTest, SingleEditWritesOnlyWhenSomethingChanged)
{
    AddSongs(3);
    const QString path = m_songs.Get(1)->GetPath();
    const QByteArray before = ReadAll(path);
    const FILETIME timeBefore = WriteTimeOf(path);
    App().GetLibraryDatabase().SetModified(false);
    {
        auto dialog = Open({1});
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edit Song"));
        EXPECT_FALSE(dialog->IsMultiEdit());
        EXPECT_EQ(Edit(*dialog, IDC_SONG_TITLE)->text(), QStringLiteral("Song 1"));
        EXPECT_EQ(Edit(*dialog, IDC_SONG_YEAR)->text(), QStringLiteral("1971"));
        EXPECT_EQ(Edit(*dialog, IDC_EDIT_FILE_NAME)->text(), QStringLiteral("song 1.crd"));
        EXPECT_EQ(Edit(*dialog, IDC_EDIT_FOLDER)->text(), MusicFolder());
        EXPECT_EQ(Edit(*dialog, IDC_EDIT_NAV_POSITION)->text(), QStringLiteral("2"));
        EXPECT_EQ(Control<QLabel>(*dialog, IDC_EDIT_NAV_TOTAL)->text(), QStringLiteral("3"));
        EXPECT_FALSE(Control(*dialog, IDC_CHECK_TITLE)->isVisible());
        EXPECT_EQ(dialog->GetHelpTopic(), QStringLiteral("editingasongsinformation.htm"));
        dialog->RunIdle();
        EXPECT_FALSE(dialog->GetInformationBar()->isVisible());
        ClickOk(*dialog);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(WriteTimeOf(path), timeBefore);
    EXPECT_FALSE(App().GetLibraryDatabase().IsModified());

    auto dialog = Open({1});
    Type(*dialog, IDC_SONG_TITLE, QStringLiteral("Caf\u00e9 Song"));
    dialog->RunIdle();
    EXPECT_TRUE(dialog->GetInformationBar()->isVisible());
    EXPECT_EQ(dialog->GetInformationBar()->GetText(),
              QStringLiteral("  The current record is modified. Click here to undo the changes."));
    ClickOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const QByteArray after = ReadAll(path);
    SongFields expected;
    expected.title = "Caf\xe9 Song";
    expected.artist = "Artist 1";
    expected.album = "Album 1";
    expected.year = 1971;
    EXPECT_EQ(after, SongHeaderBytes(expected) + MusicBytes(1));
    const CSongRecord& record = *m_songs.Get(1);
    EXPECT_EQ(record.GetTitle(), "Caf\xe9 Song");
    EXPECT_EQ(record.GetChecksum(), Md5sumOf(path));
    EXPECT_EQ(record.GetLastWriteTime(), WriteTimeOf(path));
    EXPECT_TRUE(App().GetLibraryDatabase().IsModified());
    EXPECT_EQ(dialog->GetChangedColumns(), CSongRecord::FieldBit(songFieldTitle));
}

// A click on the bar must put the record back into the controls; the file of a song changed
// outside the program since it was read keeps that change when another field is edited.
TEST_F(EditSongDlgTest, UndoByBarAndOutsideChangesKept)
{
    AddSongs(2);
    const QString path = m_songs.Get(0)->GetPath();
    auto dialog = Open({0});
    Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("Someone"));
    dialog->RunIdle();
    ASSERT_TRUE(dialog->GetInformationBar()->isVisible());
    QTest::mouseClick(dialog->GetInformationBar(), Qt::LeftButton);
    EXPECT_EQ(Edit(*dialog, IDC_SONG_ARTIST)->text(), QStringLiteral("Artist 0"));
    dialog->RunIdle();
    EXPECT_FALSE(dialog->GetInformationBar()->isVisible());

    // Another program renames the artist; the user edits the album only.
    SongFields outside;
    outside.title = "Song 0";
    outside.artist = "Renamed Elsewhere";
    outside.album = "Album 0";
    outside.year = 1970;
    WriteAll(path, SongHeaderBytes(outside) + MusicBytes(0));
    Type(*dialog, IDC_SONG_ALBUM, QStringLiteral("New Album"));
    ClickOk(*dialog);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    outside.album = "New Album";
    EXPECT_EQ(ReadAll(path), SongHeaderBytes(outside) + MusicBytes(0));
    EXPECT_EQ(m_songs.Get(0)->GetArtist(), "Renamed Elsewhere");
    EXPECT_EQ(m_songs.Get(0)->GetChecksum(), Md5sumOf(path));
}

// Each step of the navigation row saves first, then shows the next record; a step whose
// save fails stays where it is with the user's values.
TEST_F(EditSongDlgTest, NavigationSavesBeforeMoving)
{
    AddSongs(4);
    auto dialog = Open({0});
    EXPECT_FALSE(Control(*dialog, IDC_EDIT_NAV_FIRST)->isEnabled());
    EXPECT_FALSE(Control(*dialog, IDC_EDIT_NAV_PREVIOUS)->isEnabled());
    EXPECT_TRUE(Control(*dialog, IDC_EDIT_NAV_NEXT)->isEnabled());
    Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("Moved On"));
    Click(*dialog, IDC_EDIT_NAV_NEXT);
    EXPECT_EQ(dialog->GetPosition(), 1);
    EXPECT_EQ(HeaderOf(m_songs.Get(0)->GetPath()).GetArtist(), "Moved On");
    EXPECT_EQ(m_songs.Get(0)->GetArtist(), "Moved On");
    EXPECT_EQ(Edit(*dialog, IDC_SONG_ARTIST)->text(), QStringLiteral("Artist 1"));
    EXPECT_EQ(Edit(*dialog, IDC_EDIT_NAV_POSITION)->text(), QStringLiteral("2"));
    EXPECT_EQ(Edit(*dialog, IDC_EDIT_FILE_NAME)->text(), QStringLiteral("song 1.crd"));

    Click(*dialog, IDC_EDIT_NAV_LAST);
    EXPECT_EQ(dialog->GetPosition(), 3);
    EXPECT_FALSE(Control(*dialog, IDC_EDIT_NAV_NEXT)->isEnabled());
    EXPECT_FALSE(Control(*dialog, IDC_EDIT_NAV_LAST)->isEnabled());
    EXPECT_FALSE(dialog->MoveNext()); // beyond the end: ignored
    // The position typed and Enter: goes there, not to OK.
    QLineEdit* position = Edit(*dialog, IDC_EDIT_NAV_POSITION);
    position->setFocus();
    position->selectAll();
    QTest::keyClicks(position, QStringLiteral("2"));
    QTest::keyClick(position, Qt::Key_Return);
    EXPECT_EQ(dialog->GetPosition(), 1);
    EXPECT_TRUE(dialog->isVisible());
    Click(*dialog, IDC_EDIT_NAV_FIRST);
    EXPECT_EQ(dialog->GetPosition(), 0);
    EXPECT_EQ(Edit(*dialog, IDC_SONG_ARTIST)->text(), QStringLiteral("Moved On"));

    // The next file cannot be rewritten (it became a folder): the error is shown, the
    // dialog stays on the record, the record in memory is as before.
    Click(*dialog, IDC_EDIT_NAV_NEXT);
    const QString path = m_songs.Get(1)->GetPath();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    Type(*dialog, IDC_SONG_TITLE, QStringLiteral("Lost?"));
    QString shown;
    CMessageBoxDriver answer([&](QMessageBox& box) {
        shown = box.text();
        box.accept();
    });
    Click(*dialog, IDC_EDIT_NAV_NEXT);
    EXPECT_TRUE(answer.Seen());
    EXPECT_TRUE(shown.contains(path)) << shown.toStdString();
    EXPECT_EQ(dialog->GetPosition(), 1);
    EXPECT_EQ(Edit(*dialog, IDC_SONG_TITLE)->text(), QStringLiteral("Lost?"));
    EXPECT_EQ(m_songs.Get(1)->GetTitle(), "Song 1");
    EXPECT_EQ(dialog->GetChangedColumns(), CSongRecord::FieldBit(songFieldArtist));
}

// A year outside 0..9999 is refused at the field with the range message, nothing written;
// the bounds themselves are accepted.
TEST_F(EditSongDlgTest, YearOutOfRangeRefusedWithBalloon)
{
    AddSongs(1);
    const QString path = m_songs.Get(0)->GetPath();
    const QByteArray before = ReadAll(path);
    auto dialog = Open({0});
    Type(*dialog, IDC_SONG_YEAR, QStringLiteral("10000"));
    ClickOk(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    CQVValidationBalloon* balloon = dialog->GetValidationToolTipWindow();
    ASSERT_NE(balloon, nullptr);
    EXPECT_TRUE(balloon->IsActive());
    EXPECT_EQ(balloon->GetText(),
              QStringLiteral("The value in this field must be a number between 0 and 9999"));
    EXPECT_EQ(balloon->GetTitle(), QStringLiteral("Validation Error"));
    const QRect year = AfxGetScreenRect(Edit(*dialog, IDC_SONG_YEAR));
    EXPECT_EQ(balloon->GetTipPoint(), QPoint(year.left() + year.width() / 2, year.bottom() + 1));
    EXPECT_EQ(ReadAll(path), before);
    // Letters cannot be typed; an empty year is no number either.
    Type(*dialog, IDC_SONG_YEAR, QString());
    QTest::keyClicks(Edit(*dialog, IDC_SONG_YEAR), QStringLiteral("19x"));
    EXPECT_EQ(Edit(*dialog, IDC_SONG_YEAR)->text(), QStringLiteral("19"));
    dialog->HideValidationErrorMessage();
    Edit(*dialog, IDC_SONG_YEAR)->clear();
    EXPECT_FALSE(dialog->MoveNext()); // nowhere to go, nothing validated
    ClickOk(*dialog);
    EXPECT_TRUE(balloon->IsActive());
    dialog->HideValidationErrorMessage();

    Type(*dialog, IDC_SONG_YEAR, QStringLiteral("9999"));
    ClickOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(HeaderOf(path).GetAlbumYear(), 9999);
}

// Single mode: composer and lyricist are open only with "No"; a traditional song writes
// neither, and one made non-traditional gets the names typed.
TEST_F(EditSongDlgTest, TraditionalInSingleMode)
{
    SongFields fields;
    fields.traditional = true;
    AddSong(fields, 0);
    const QString path = m_songs.Get(0)->GetPath();
    m_songs.Get(0)->SetComposer("stale name in the library");
    auto dialog = Open({0});
    auto* yes = Control<QRadioButton>(*dialog, IDC_SONG_TRADITIONAL_YES);
    auto* no = Control<QRadioButton>(*dialog, IDC_SONG_TRADITIONAL_NO);
    EXPECT_TRUE(yes->isChecked());
    EXPECT_EQ(Edit(*dialog, IDC_SONG_COMPOSER)->text(), QString());
    EXPECT_FALSE(Edit(*dialog, IDC_SONG_COMPOSER)->isEnabled());
    EXPECT_FALSE(Edit(*dialog, IDC_SONG_LYRICIST)->isEnabled());
    // What the disabled fields hold is no edit.
    EXPECT_FALSE(dialog->IsModified());
    QTest::mouseClick(no, Qt::LeftButton);
    EXPECT_TRUE(no->isChecked());
    EXPECT_TRUE(Edit(*dialog, IDC_SONG_COMPOSER)->isEnabled());
    EXPECT_TRUE(Edit(*dialog, IDC_SONG_LYRICIST)->isEnabled());
    Type(*dialog, IDC_SONG_COMPOSER, QStringLiteral("Anon"));
    ClickOk(*dialog);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    CCordaFileHeader header = HeaderOf(path);
    EXPECT_EQ(header.GetAuthorshipType(), 0);
    EXPECT_EQ(header.GetComposer(), "Anon");
    EXPECT_EQ(header.GetLyricist(), "");
    EXPECT_FALSE(m_songs.Get(0)->IsTraditional());

    auto again = Open({0});
    EXPECT_TRUE(Control<QRadioButton>(*again, IDC_SONG_TRADITIONAL_NO)->isChecked());
    EXPECT_EQ(Edit(*again, IDC_SONG_COMPOSER)->text(), QStringLiteral("Anon"));
    QTest::mouseClick(Control(*again, IDC_SONG_TRADITIONAL_YES), Qt::LeftButton);
    EXPECT_FALSE(Edit(*again, IDC_SONG_COMPOSER)->isEnabled());
    ClickOk(*again);
    ASSERT_EQ(again->result(), QDialog::Accepted);
    fields.traditional = true;
    EXPECT_EQ(ReadAll(path), SongHeaderBytes(fields) + MusicBytes(0));
    EXPECT_TRUE(m_songs.Get(0)->IsTraditional());
    EXPECT_EQ(m_songs.Get(0)->GetComposer(), "");
}

// Multi-edit: the check boxes of traditional, composer and lyricist follow one another as
// documented, and only the user's clicks set the rules off; no answer chosen is no change.
TEST_F(EditSongDlgTest, TraditionalInterlocksInMultiEdit)
{
    AddSongs(3);
    {
        // Traditional ticked without an answer chosen writes nothing.
        const QByteArray before = ReadAll(m_songs.Get(0)->GetPath());
        auto unanswered = Open({0, 1});
        Tick(*unanswered, IDC_CHECK_TRADITIONAL);
        ClickOk(*unanswered);
        EXPECT_EQ(unanswered->result(), QDialog::Accepted);
        EXPECT_EQ(ReadAll(m_songs.Get(0)->GetPath()), before);
    }
    auto dialog = Open({0, 1, 2});
    ASSERT_TRUE(dialog->IsMultiEdit());
    // F1 opens the multi-edit topic.
    QString topic;
    AfxSetHtmlHelpTopicHandler([&](const QString& opened) { topic = opened; });
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    AfxSetHtmlHelpTopicHandler(nullptr);
    EXPECT_EQ(topic, QStringLiteral("cordalib.chm::/editingmultiplesongsinformation.htm"));
    EXPECT_TRUE(Control(*dialog, IDC_CHECK_TRADITIONAL)->isVisible());
    auto* yes = Control<QRadioButton>(*dialog, IDC_SONG_TRADITIONAL_YES);
    auto* no = Control<QRadioButton>(*dialog, IDC_SONG_TRADITIONAL_NO);
    EXPECT_FALSE(yes->isEnabled());
    EXPECT_FALSE(Edit(*dialog, IDC_SONG_COMPOSER)->isEnabled());
    EXPECT_FALSE(yes->isChecked());
    EXPECT_FALSE(no->isChecked());

    // Ticking the composer box ticks traditional and chooses "No", focusing the composer;
    // the lyricist box is left alone.
    Tick(*dialog, IDC_CHECK_COMPOSER);
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_TRADITIONAL));
    EXPECT_TRUE(no->isChecked());
    EXPECT_FALSE(Ticked(*dialog, IDC_CHECK_LYRICIST));
    EXPECT_TRUE(Edit(*dialog, IDC_SONG_COMPOSER)->isEnabled());
    EXPECT_EQ(dialog->focusWidget(), Edit(*dialog, IDC_SONG_COMPOSER));
    // "Yes" clears both author boxes, "No" ticks both.
    QTest::mouseClick(yes, Qt::LeftButton);
    EXPECT_FALSE(Ticked(*dialog, IDC_CHECK_COMPOSER));
    EXPECT_FALSE(Ticked(*dialog, IDC_CHECK_LYRICIST));
    EXPECT_FALSE(Edit(*dialog, IDC_SONG_COMPOSER)->isEnabled());
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_TRADITIONAL));
    QTest::mouseClick(no, Qt::LeftButton);
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_COMPOSER));
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_LYRICIST));
    // Clearing both author boxes clears traditional; one alone does not.
    Tick(*dialog, IDC_CHECK_COMPOSER);
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_TRADITIONAL));
    Tick(*dialog, IDC_CHECK_LYRICIST);
    EXPECT_FALSE(Ticked(*dialog, IDC_CHECK_TRADITIONAL));
    EXPECT_FALSE(yes->isEnabled());
    // Ticking traditional with "No" chosen ticks both; with "Yes" it clears them.
    Tick(*dialog, IDC_CHECK_TRADITIONAL);
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_COMPOSER));
    EXPECT_TRUE(Ticked(*dialog, IDC_CHECK_LYRICIST));
    QTest::mouseClick(yes, Qt::LeftButton);
    Tick(*dialog, IDC_CHECK_TRADITIONAL);
    Tick(*dialog, IDC_CHECK_TRADITIONAL);
    EXPECT_FALSE(Ticked(*dialog, IDC_CHECK_COMPOSER));
    EXPECT_FALSE(Ticked(*dialog, IDC_CHECK_LYRICIST));

    // Saved as it stands: every song traditional, without composer or lyricist.
    ClickOk(*dialog);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    for (int i = 0; i < 3; ++i) {
        const CCordaFileHeader header = HeaderOf(m_songs.Get(static_cast<size_t>(i))->GetPath());
        EXPECT_EQ(header.GetAuthorshipType(), 1);
        EXPECT_EQ(header.GetArtist(), "Artist " + std::to_string(i));
        EXPECT_TRUE(m_songs.Get(static_cast<size_t>(i))->IsTraditional());
    }
}

// Multi-edit with only the album ticked changes only the albums (a title changed outside
// meanwhile stays), and the album enters its auto-complete list once; the progress window
// showed its lines.
TEST_F(EditSongDlgTest, MultiEditChangesOnlyTickedField)
{
    AddSongs(5);
    std::vector<QByteArray> before;
    for (int i = 0; i < 5; ++i)
        before.push_back(ReadAll(m_songs.Get(static_cast<size_t>(i))->GetPath()));
    auto dialog = Open({0, 2, 3, 4}, 3);
    EXPECT_EQ(dialog->GetInformationBar()->GetText(),
              QStringLiteral("  Multi-edit mode - use the check boxes to enable field editing."));
    EXPECT_TRUE(dialog->GetInformationBar()->isVisible());
    EXPECT_EQ(Edit(*dialog, IDC_EDIT_FILE_NAME)->text(), QStringLiteral("<multiple files selected>"));
    EXPECT_EQ(Edit(*dialog, IDC_EDIT_FOLDER)->text(), QStringLiteral("<multiple files selected>"));
    EXPECT_FALSE(Control(*dialog, IDC_EDIT_NAV_NEXT)->isEnabled());
    EXPECT_FALSE(Edit(*dialog, IDC_SONG_ALBUM)->isEnabled());
    Tick(*dialog, IDC_CHECK_ALBUM);
    EXPECT_TRUE(Edit(*dialog, IDC_SONG_ALBUM)->isEnabled());
    EXPECT_EQ(dialog->focusWidget(), Edit(*dialog, IDC_SONG_ALBUM));
    Type(*dialog, IDC_SONG_ALBUM, QStringLiteral("Shared Album"));
    // The year is not ticked, so what it holds is not judged.
    Edit(*dialog, IDC_SONG_YEAR)->setText(QStringLiteral("123456"));
    // Another program retitles song 3 meanwhile: the album edit keeps that title.
    SongFields outside;
    outside.title = "Retitled Outside";
    outside.artist = "Artist 3";
    outside.album = "Album 3";
    outside.year = 1973;
    WriteAll(m_songs.Get(3)->GetPath(), SongHeaderBytes(outside) + MusicBytes(3));

    QStringList statuses;
    QObject::connect(dialog.get(), &CEditRecordDlg::ItemProcessed, [&](int, int) {
        ASSERT_NE(dialog->GetProgressWindow(), nullptr);
        EXPECT_TRUE(dialog->GetProgressWindow()->isVisible());
        EXPECT_FALSE(dialog->isEnabled()); // the dialog waits under its progress window
        statuses << dialog->GetProgressWindow()->GetStatus();
    });
    ClickOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(
        statuses,
        QStringList({QStringLiteral("Updating song 1 of 4..."), QStringLiteral("Updating song 2 of 4..."),
                     QStringLiteral("Updating song 3 of 4..."), QStringLiteral("Updating song 4 of 4...")}));
    EXPECT_EQ(dialog->GetProgressWindow(), nullptr);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const QString path = m_songs.Get(static_cast<size_t>(i))->GetPath();
        SongFields expected;
        expected.title = i == 3 ? "Retitled Outside" : "Song " + std::to_string(i);
        expected.artist = "Artist " + std::to_string(i);
        expected.album = i == 1 ? "Album 1" : "Shared Album";
        expected.year = static_cast<uint16_t>(1970 + i);
        EXPECT_EQ(ReadAll(path), SongHeaderBytes(expected) + MusicBytes(i));
        EXPECT_EQ(m_songs.Get(static_cast<size_t>(i))->GetAlbum(), expected.album);
        EXPECT_EQ(m_songs.Get(static_cast<size_t>(i))->GetTitle(), expected.title);
        EXPECT_EQ(m_songs.Get(static_cast<size_t>(i))->GetChecksum(), Md5sumOf(path));
    }
    EXPECT_EQ(ReadAll(m_songs.Get(1)->GetPath()), before[1]);
    EXPECT_EQ(dialog->GetChangedColumns(), CSongRecord::FieldBit(songFieldAlbum));
    dialog.reset();
    EXPECT_EQ(StoredList(CAutoCompleteSettings::ALBUMS_KEY), QStringList({QStringLiteral("Shared Album")}));
    EXPECT_TRUE(StoredList(CAutoCompleteSettings::ARTISTS_KEY).isEmpty());
}

// Cancel pressed while the third file is written: three files are written, the rest keep
// every byte and their records their checksums, and the dialog stays open.
TEST_F(EditSongDlgTest, CancelAfterThirdItemLeavesTheRestUntouched)
{
    AddSongs(6);
    std::vector<QByteArray> before;
    std::vector<std::string> checksums;
    for (int i = 0; i < 6; ++i) {
        before.push_back(ReadAll(m_songs.Get(static_cast<size_t>(i))->GetPath()));
        checksums.push_back(m_songs.Get(static_cast<size_t>(i))->GetChecksum());
    }
    auto dialog = Open({0, 1, 2, 3, 4, 5});
    Tick(*dialog, IDC_CHECK_COPYRIGHT);
    Type(*dialog, IDC_SONG_COPYRIGHT, QStringLiteral("(c) Everyone"));
    const QMetaObject::Connection canceller =
        QObject::connect(dialog.get(), &CEditRecordDlg::ItemProcessed, [&](int item, int result) {
            EXPECT_EQ(result, CEditRecordDlg::itemWritten);
            if (item == 2)
                QTest::mouseClick(dialog->GetProgressWindow()->GetCancelButton(), Qt::LeftButton);
        });
    ClickOk(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->isEnabled());
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const CSongRecord& record = *m_songs.Get(static_cast<size_t>(i));
        const QByteArray now = ReadAll(record.GetPath());
        if (i < 3) {
            SongFields expected;
            expected.title = "Song " + std::to_string(i);
            expected.artist = "Artist " + std::to_string(i);
            expected.album = "Album " + std::to_string(i);
            expected.year = static_cast<uint16_t>(1970 + i);
            expected.copyright = "(c) Everyone";
            EXPECT_EQ(now, SongHeaderBytes(expected) + MusicBytes(i));
            EXPECT_EQ(record.GetCopyright(), "(c) Everyone");
            EXPECT_EQ(record.GetChecksum(), Md5sumOf(record.GetPath()));
        } else {
            EXPECT_EQ(now, before[static_cast<size_t>(i)]);
            EXPECT_EQ(record.GetCopyright(), "(c) 1990");
            EXPECT_EQ(record.GetChecksum(), checksums[static_cast<size_t>(i)]);
        }
    }
    // OK again runs the whole list: the first three are written again, the rest now too.
    QObject::disconnect(canceller);
    ClickOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(HeaderOf(m_songs.Get(static_cast<size_t>(i))->GetPath()).GetCopyright(), "(c) Everyone");
}

// Cancel is answered through the event loop as soon as the progress window is up: the
// window lets events through between files instead of freezing, and a mouse click reaches
// it although the edit dialog runs modally (as the list commands run it) under it.
TEST_F(EditSongDlgTest, ProgressWindowAnswersCancelBetweenFiles)
{
    AddSongs(4);
    CEditSongDlg dialog(App(), m_songs, {0, 1, 2, 3}, 0, nullptr);
    int processed = 0;
    bool cancelSeen = false;
    QObject::connect(&dialog, &CEditRecordDlg::ItemProcessed, [&](int, int) { ++processed; });
    QTimer::singleShot(0, &dialog, [&] {
        Tick(dialog, IDC_CHECK_TITLE);
        Type(dialog, IDC_SONG_TITLE, QStringLiteral("Same"));
        // Posted before OK: it can only run when the edit loop lets events through.
        QTimer::singleShot(0, &dialog, [&] {
            CProgressDlg* progress = dialog.GetProgressWindow();
            ASSERT_NE(progress, nullptr);
            QSignalSpy cancelled(progress, &CProgressDlg::CancelPressed);
            QTest::mouseClick(progress->GetCancelButton(), Qt::LeftButton);
            cancelSeen = cancelled.count() == 1;
        });
        ClickOk(dialog);
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(cancelSeen);
    EXPECT_LT(processed, 4);
    EXPECT_EQ(HeaderOf(m_songs.Get(3)->GetPath()).GetTitle(), "Song 3");
}

// A file that cannot be written during a multi-edit is one line of the error report; the
// others are written; "Yes" saves the report in the Log Files folder (made again when it
// is gone) and opens it.
TEST_F(EditSongDlgTest, FailedFileIsOneErrorLine)
{
    AddSongs(4);
    const QString broken = m_songs.Get(2)->GetPath();
    auto dialog = Open({0, 1, 2, 3});
    Tick(*dialog, IDC_CHECK_ARTIST);
    Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("Band"));
    // While the first file is written the third becomes a folder: no user can write that.
    QObject::connect(dialog.get(), &CEditRecordDlg::ItemProcessed, [&](int item, int) {
        if (item == 0) {
            ASSERT_TRUE(QFile::remove(broken));
            ASSERT_TRUE(QDir().mkdir(broken));
        }
    });
    QString question;
    CMessageBoxDriver answer([&](QMessageBox& box) {
        question = box.text();
        box.button(QMessageBox::Yes)->click();
    });
    // The Log Files folder went away since start-up: the report makes it again.
    ASSERT_TRUE(QDir(LogFolder()).removeRecursively());
    CUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    ClickOk(*dialog);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(answer.Seen());
    EXPECT_EQ(question,
              QStringLiteral("One or more errors occurred during the operation. Would you like to save "
                             "and view the error report?"));
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(dialog->GetErrorLines().size(), 1);
    const QString line = dialog->GetErrorLines().front();
    EXPECT_TRUE(line.startsWith(broken + QStringLiteral(" - "))) << line.toStdString();
    EXPECT_GT(line.size(), broken.size() + 3);
    for (int i : {0, 1, 3})
        EXPECT_EQ(HeaderOf(m_songs.Get(static_cast<size_t>(i))->GetPath()).GetArtist(), "Band");
    EXPECT_EQ(m_songs.Get(2)->GetArtist(), "Artist 2");
    ASSERT_EQ(catcher.m_urls.size(), 1);
    const QString log = catcher.m_urls.front().toLocalFile();
    EXPECT_EQ(QFileInfo(log).absolutePath(), QFileInfo(LogFolder()).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(log).fileName().startsWith(QStringLiteral("errorlog-")));
    EXPECT_EQ(ReadAll(log), line.toUtf8() + '\n');
}

// A file that can be read and written beside but not put in place (a folder took its place
// meanwhile) is one error line too: its record keeps its values and checksum, no temporary
// file stays behind, and the files after it are written.
TEST_F(EditSongDlgTest, FileThatCannotBePutInPlaceKeepsItsRecord)
{
    AddSongs(4);
    const QString broken = m_songs.Get(2)->GetPath();
    const std::string checksum = m_songs.Get(2)->GetChecksum();
    auto dialog = Open({0, 1, 2, 3});
    Tick(*dialog, IDC_CHECK_ALBUM);
    Type(*dialog, IDC_SONG_ALBUM, QStringLiteral("Band Album"));
    std::vector<int> results;
    QObject::connect(dialog.get(), &CEditRecordDlg::ItemProcessed, [&](int item, int result) {
        results.push_back(result);
        if (item == 1) {
            ASSERT_TRUE(QFile::remove(broken));
            ASSERT_TRUE(QDir().mkpath(broken + QStringLiteral("/inside")));
        }
    });
    CMessageBoxDriver answer([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
    ClickOk(*dialog);
    EXPECT_TRUE(answer.Seen());
    EXPECT_EQ(results, (std::vector<int>{CEditRecordDlg::itemWritten, CEditRecordDlg::itemWritten,
                                         CEditRecordDlg::itemFailed, CEditRecordDlg::itemWritten}));
    ASSERT_EQ(dialog->GetErrorLines().size(), 1);
    EXPECT_TRUE(dialog->GetErrorLines().front().startsWith(broken + QStringLiteral(" - ")));
    EXPECT_EQ(m_songs.Get(2)->GetAlbum(), "Album 2");
    EXPECT_EQ(m_songs.Get(2)->GetChecksum(), checksum);
    EXPECT_TRUE(QFileInfo(broken).isDir());
    for (int i : {0, 1, 3}) {
        EXPECT_EQ(HeaderOf(m_songs.Get(static_cast<size_t>(i))->GetPath()).GetAlbum(), "Band Album");
        EXPECT_EQ(m_songs.Get(static_cast<size_t>(i))->GetAlbum(), "Band Album");
    }
    const QStringList hidden =
        QFileInfo(broken).dir().entryList(QStringList{QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(QLatin1Char(' ')).toStdString();
}

// Auto-complete: values differing in case are both kept, the lists persist and come back
// in the next dialog; with auto-complete off in the options nothing is added.
TEST_F(EditSongDlgTest, AutoCompleteListsKeepCaseAndPersist)
{
    AddSongs(3);
    {
        auto dialog = Open({0});
        auto* artist = Control<CAutoCompleteEdit>(*dialog, IDC_SONG_ARTIST);
        EXPECT_TRUE(artist->IsAutoCompletionEnabled());
        Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("Rock"));
        Click(*dialog, IDC_EDIT_NAV_NEXT);
        Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("rock"));
        Type(*dialog, IDC_SONG_TITLE, QStringLiteral("Title only: not a listed field"));
        ClickOk(*dialog);
        ASSERT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(artist->GetMRUList()->GetElementList(),
                  QStringList({QStringLiteral("rock"), QStringLiteral("Rock")}));
    }
    EXPECT_EQ(StoredList(CAutoCompleteSettings::ARTISTS_KEY),
              QStringList({QStringLiteral("rock"), QStringLiteral("Rock")}));
    {
        auto dialog = Open({2});
        auto* artist = Control<CAutoCompleteEdit>(*dialog, IDC_SONG_ARTIST);
        EXPECT_EQ(artist->GetMRUList()->GetElementList(),
                  QStringList({QStringLiteral("rock"), QStringLiteral("Rock")}));
        // Only changed fields go into their lists: the unchanged composer does not.
        Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("Rock"));
        ClickOk(*dialog);
        EXPECT_EQ(artist->GetMRUList()->GetElementList(),
                  QStringList({QStringLiteral("Rock"), QStringLiteral("rock")}));
    }
    EXPECT_TRUE(StoredList(CAutoCompleteSettings::COMPOSERS_KEY).isEmpty());

    ASSERT_TRUE(App().GetAutoCompleteSettings().SetEnabled(false, true));
    {
        auto dialog = Open({1});
        auto* artist = Control<CAutoCompleteEdit>(*dialog, IDC_SONG_ARTIST);
        EXPECT_FALSE(artist->IsAutoCompletionEnabled());
        Type(*dialog, IDC_SONG_ARTIST, QStringLiteral("Jazz"));
        ClickOk(*dialog);
        ASSERT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(HeaderOf(m_songs.Get(1)->GetPath()).GetArtist(), "Jazz");
    }
    EXPECT_EQ(StoredList(CAutoCompleteSettings::ARTISTS_KEY),
              QStringList({QStringLiteral("Rock"), QStringLiteral("rock")}));
}

} // namespace

#include "EditSongDlgTest.moc"
