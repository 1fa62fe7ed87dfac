// Gallery scenes of the edit dialogs: a song with an edit not yet saved (the bar says so),
// several songs with two fields ticked, and the same two for lessons. Every dialog is
// cancelled, so no file of the library changes.
#include "Gallery.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/EditLessonDlg.h"
#include "cordalib/ui/EditSongDlg.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/SongListCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace {

void Tick(CQVDialog& dialog, int checkId)
{
    if (auto* check = dialog.GetDlgItem<QCheckBox>(checkId))
        check->click();
}

void SetText(CQVDialog& dialog, int id, const QString& text)
{
    if (auto* edit = dialog.GetDlgItem<QLineEdit>(id))
        edit->setText(text);
}

std::vector<int> FirstRows(size_t count, size_t wanted)
{
    std::vector<int> rows;
    for (size_t i = 0; i < std::min(count, wanted); ++i)
        rows.push_back(static_cast<int>(i));
    return rows;
}

void ShootEditSong(CMainFrame& frame)
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    CSongListRecordset& songs = frame.GetSongList()->GetRecordset();
    if (!app || songs.GetCount() < 3)
        return;
    {
        const int row = std::min<int>(4, static_cast<int>(songs.GetCount()) - 1);
        CEditSongDlg dialog(*app, songs, {row}, row, &frame);
        dialog.show();
        SetText(dialog, IDC_SONG_ALBUM, QStringLiteral("Live at the Caf\u00e9 (Deluxe Edition)"));
        dialog.RunIdle();
        Grab(&dialog, QStringLiteral("edit-song-single"));
        dialog.reject();
    }
    {
        CEditSongDlg dialog(*app, songs, FirstRows(songs.GetCount(), 12), 0, &frame);
        dialog.show();
        Tick(dialog, IDC_CHECK_ARTIST);
        SetText(dialog, IDC_SONG_ARTIST, QStringLiteral("Jos\u00e9 Gonz\u00e1lez"));
        Tick(dialog, IDC_CHECK_COMPOSER);
        Grab(&dialog, QStringLiteral("edit-song-multi"));
        dialog.reject();
    }
}

void ShootEditLesson(CMainFrame& frame)
{
    CCordaLibrarianApp* app = GetCordaLibrarianApp();
    CLessonListRecordset& lessons = frame.GetLessonList()->GetRecordset();
    if (!app || lessons.GetCount() < 2)
        return;
    {
        CEditLessonDlg dialog(*app, lessons, {0}, 0, &frame);
        dialog.show();
        dialog.RunIdle();
        Grab(&dialog, QStringLiteral("edit-lesson-single"));
        dialog.reject();
    }
    {
        CEditLessonDlg dialog(*app, lessons, FirstRows(lessons.GetCount(), 5), 0, &frame);
        dialog.show();
        Tick(dialog, IDC_CHECK_STYLE);
        if (auto* style = dialog.GetDlgItem<QComboBox>(IDC_LESSON_STYLE))
            style->setCurrentIndex(style->findText(QStringLiteral("Fingerpick")));
        Tick(dialog, IDC_CHECK_LEVEL);
        Grab(&dialog, QStringLiteral("edit-lesson-multi"));
        dialog.reject();
    }
}

} // namespace

CORDA_GALLERY_SCENE(ShootEditSong);
CORDA_GALLERY_SCENE(ShootEditLesson);
