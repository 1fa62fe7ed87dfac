#pragma once
// The main window's listing of the library until the sortable, searchable song and lesson
// lists take its place: one flat table model per kind of record over the library's own
// records, every text formatted on request (record texts are Windows-1252 and converted
// through the code-page module). Refresh takes the records again when the library changed.

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

class CLibraryDatabase;
class CSongRecord;
class CLessonRecord;

class CLibraryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum recordKind { songRecords = 0, lessonRecords = 1 };
    enum songColumns {
        songNumber,
        songTitle,
        songArtist,
        songAlbum,
        songYear,
        songFileName,
        songColumnCount
    };
    enum lessonColumns {
        lessonNumber,
        lessonTitle,
        lessonSubtitle,
        lessonStyle,
        lessonLevel,
        lessonAuthor,
        lessonFileName,
        lessonColumnCount
    };

    CLibraryListModel(recordKind kind, const CLibraryDatabase* database, QObject* parent = nullptr);

    recordKind GetKind() const { return m_kind; }
    // Takes the records again when the library's revision moved; true when it did.
    bool Refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

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
