#include "cordalib/ui/LibraryListModel.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LibraryDatabase.h"
#include "qvsystem/platform/CodePage.h"

#include <QDir>

CLibraryListModel::CLibraryListModel(recordKind kind, const CLibraryDatabase* database, QObject* parent)
    : QAbstractTableModel(parent), m_kind(kind), m_pDatabase(database)
{
    Refresh();
}

bool CLibraryListModel::Refresh()
{
    if (m_bTaken && (!m_pDatabase || m_pDatabase->GetRevision() == m_revision))
        return false;
    beginResetModel();
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
    endResetModel();
    return true;
}

int CLibraryListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_kind == songRecords ? m_songs.size() : m_lessons.size());
}

int CLibraryListModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_kind == songRecords ? static_cast<int>(songColumnCount) : static_cast<int>(lessonColumnCount);
}

QVariant CLibraryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const bool numberColumn = index.column() == 0;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | (numberColumn ? Qt::AlignHCenter : Qt::AlignLeft));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    const auto row = static_cast<size_t>(index.row());
    if (m_kind == songRecords)
        return SongText(*m_songs[row], index.row(), index.column());
    return LessonText(*m_lessons[row], index.row(), index.column());
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

QVariant CLibraryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    static constexpr unsigned SONG_HEADINGS[songColumnCount] = {IDS_COLUMN_NUMBER, IDS_COLUMN_TITLE,
                                                                IDS_COLUMN_ARTIST, IDS_COLUMN_ALBUM,
                                                                IDS_COLUMN_YEAR,   IDS_COLUMN_FILE_NAME};
    static constexpr unsigned LESSON_HEADINGS[lessonColumnCount] = {
        IDS_COLUMN_NUMBER, IDS_COLUMN_TITLE,  IDS_COLUMN_SUBTITLE, IDS_COLUMN_STYLE,
        IDS_COLUMN_LEVEL,  IDS_COLUMN_AUTHOR, IDS_COLUMN_FILE_NAME};
    return LoadAppString(m_kind == songRecords ? SONG_HEADINGS[section] : LESSON_HEADINGS[section]);
}
