#pragma once
// The main window's listing of the library until the sortable, searchable song and lesson
// lists take its place: an owner-data model per kind of record over the library's own
// records, every text formatted on request (record texts are Windows-1252 and converted
// through the code-page module). The true columns are those of the finished lists, so the
// column state that CQVListCtrl keeps stays valid. Refresh takes the records again when the
// library changed.

#include "qvsystem/controls/QVListModel.h"

#include <cstdint>
#include <vector>

class CLibraryDatabase;
class CSongRecord;
class CLessonRecord;
class CQVListCtrl;

class CLibraryListModel : public CQVListModel {
    Q_OBJECT

public:
    enum recordKind { songRecords = 0, lessonRecords = 1 };
    // True columns.
    enum songColumns {
        songNumber = 0,
        songTitle = 1,
        songArtist = 2,
        songAlbum = 3,
        songYear = 4,
        songFileName = 11
    };
    enum lessonColumns {
        lessonNumber = 0,
        lessonTitle = 1,
        lessonSubtitle = 2,
        lessonStyle = 3,
        lessonLevel = 4,
        lessonAuthor = 5,
        lessonFileName = 7
    };

    CLibraryListModel(recordKind kind, const CLibraryDatabase* database, QObject* parent = nullptr);

    recordKind GetKind() const { return m_kind; }
    // Takes the records again when the library's revision moved; true when it did.
    bool Refresh();
    // Inserts this kind's columns into the list, with their headings and default widths.
    void InsertColumns(CQVListCtrl& list) const;

    int GetItemCount() const override;
    QString GetItemText(int row, int trueColumn) const override;

private:
    QString SongText(const CSongRecord& song, int row, int column) const;
    QString LessonText(const CLessonRecord& lesson, int row, int column) const;

    recordKind m_kind;
    const CLibraryDatabase* m_pDatabase;
    uint64_t m_revision = 0;
    bool m_bTaken = false;
    std::vector<const CSongRecord*> m_songs;
    std::vector<const CLessonRecord*> m_lessons;
};
