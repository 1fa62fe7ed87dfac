#include "cordalib/ui/LibraryListModel.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LibraryDatabase.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/platform/CodePage.h"

#include <QDir>

namespace {

struct ColumnDefinition {
    int trueColumn;
    unsigned headingId;
    int width;
    int format;
};

constexpr ColumnDefinition SONG_COLUMNS[] = {
    {CLibraryListModel::songNumber, IDS_COLUMN_NUMBER, 32, LVCFMT_CENTER},
    {CLibraryListModel::songTitle, IDS_COLUMN_TITLE, 220, LVCFMT_LEFT},
    {CLibraryListModel::songArtist, IDS_COLUMN_ARTIST, 170, LVCFMT_LEFT},
    {CLibraryListModel::songAlbum, IDS_COLUMN_ALBUM, 145, LVCFMT_LEFT},
    {CLibraryListModel::songYear, IDS_COLUMN_YEAR, 50, LVCFMT_LEFT},
    {CLibraryListModel::songFileName, IDS_COLUMN_FILE_NAME, 220, LVCFMT_LEFT},
};
constexpr ColumnDefinition LESSON_COLUMNS[] = {
    {CLibraryListModel::lessonNumber, IDS_COLUMN_NUMBER, 32, LVCFMT_CENTER},
    {CLibraryListModel::lessonTitle, IDS_COLUMN_TITLE, 220, LVCFMT_LEFT},
    {CLibraryListModel::lessonSubtitle, IDS_COLUMN_SUBTITLE, 170, LVCFMT_LEFT},
    {CLibraryListModel::lessonStyle, IDS_COLUMN_STYLE, 100, LVCFMT_LEFT},
    {CLibraryListModel::lessonLevel, IDS_COLUMN_LEVEL, 100, LVCFMT_LEFT},
    {CLibraryListModel::lessonAuthor, IDS_COLUMN_AUTHOR, 150, LVCFMT_LEFT},
    {CLibraryListModel::lessonFileName, IDS_COLUMN_FILE_NAME, 220, LVCFMT_LEFT},
};

} // namespace

CLibraryListModel::CLibraryListModel(recordKind kind, const CLibraryDatabase* database, QObject* parent)
    : CQVListModel(parent), m_kind(kind), m_pDatabase(database)
{
    Refresh();
}

void CLibraryListModel::InsertColumns(CQVListCtrl& list) const
{
    int position = 0;
    const auto insert = [&list, &position](const auto& columns) {
        for (const ColumnDefinition& column : columns)
            list.InsertQVColumn(position++, column.trueColumn, true, LoadAppString(column.headingId),
                                column.format, column.width);
    };
    if (m_kind == songRecords)
        insert(SONG_COLUMNS);
    else
        insert(LESSON_COLUMNS);
}

bool CLibraryListModel::Refresh()
{
    if (m_bTaken && (!m_pDatabase || m_pDatabase->GetRevision() == m_revision))
        return false;
    m_songs.clear();
    m_lessons.clear();
    if (m_pDatabase) {
        if (m_kind == songRecords)
            m_songs.assign(m_pDatabase->GetSongs().begin(), m_pDatabase->GetSongs().end());
        else
            m_lessons.assign(m_pDatabase->GetLessons().begin(), m_pDatabase->GetLessons().end());
        m_revision = m_pDatabase->GetRevision();
    }
    m_bTaken = true;
    ResetItems();
    return true;
}

int CLibraryListModel::GetItemCount() const
{
    return static_cast<int>(m_kind == songRecords ? m_songs.size() : m_lessons.size());
}

QString CLibraryListModel::GetItemText(int row, int trueColumn) const
{
    if (row < 0 || row >= GetItemCount())
        return QString();
    const auto index = static_cast<size_t>(row);
    if (m_kind == songRecords)
        return SongText(*m_songs[index], row, trueColumn);
    return LessonText(*m_lessons[index], row, trueColumn);
}

QString CLibraryListModel::SongText(const CSongRecord& song, int row, int column) const
{
    switch (column) {
    case songNumber:
        return QString::number(row + 1);
    case songTitle:
        return AfxAnsiToUnicode(song.GetTitle());
    case songArtist:
        return AfxAnsiToUnicode(song.GetArtist());
    case songAlbum:
        return AfxAnsiToUnicode(song.GetAlbum());
    case songYear:
        return QString::number(song.GetYear());
    case songFileName:
        return QDir::toNativeSeparators(song.GetPath());
    default:
        return QString();
    }
}

QString CLibraryListModel::LessonText(const CLessonRecord& lesson, int row, int column) const
{
    switch (column) {
    case lessonNumber:
        return QString::number(row + 1);
    case lessonTitle:
        return AfxAnsiToUnicode(lesson.GetTitle());
    case lessonSubtitle:
        return AfxAnsiToUnicode(lesson.GetSubtitle());
    case lessonStyle:
        return lesson.GetStyleName();
    case lessonLevel:
        return lesson.GetLevelName();
    case lessonAuthor:
        return AfxAnsiToUnicode(lesson.GetAuthor());
    case lessonFileName:
        return QDir::toNativeSeparators(lesson.GetPath());
    default:
        return QString();
    }
}
