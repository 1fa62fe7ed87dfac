#include "cordalib/ui/SongListCtrl.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/ui/SongSummaryListBox.h"
#include "cordalib/ui/WaitCursor.h"
#include "qvsystem/platform/CodePage.h"

#include <QScopeGuard>

#include <iterator>
#include <system_error>
#include <thread>

namespace {

// Fewer matches are counted before the rows are sorted: a thread is not worth it.
constexpr size_t COUNT_AHEAD_FEWEST = 4096;

constexpr CRecordColumnDefinition SONG_COLUMNS[] = {
    {CSongListCtrl::songColumnNumber, IDS_COLUMN_NUMBER, 32, LVCFMT_CENTER},
    {CSongListCtrl::songColumnTitle, IDS_COLUMN_TITLE, 220, LVCFMT_LEFT},
    {CSongListCtrl::songColumnArtist, IDS_COLUMN_ARTIST, 170, LVCFMT_LEFT},
    {CSongListCtrl::songColumnAlbum, IDS_COLUMN_ALBUM, 145, LVCFMT_LEFT},
    {CSongListCtrl::songColumnYear, IDS_COLUMN_YEAR, 50, LVCFMT_LEFT},
    {CSongListCtrl::songColumnTraditional, IDS_COLUMN_TRADITIONAL, 50, LVCFMT_LEFT},
    {CSongListCtrl::songColumnComposer, IDS_COLUMN_COMPOSER, 150, LVCFMT_LEFT},
    {CSongListCtrl::songColumnLyricist, IDS_COLUMN_LYRICIST, 150, LVCFMT_LEFT},
    {CSongListCtrl::songColumnArranger, IDS_COLUMN_ARRANGER, 150, LVCFMT_LEFT},
    {CSongListCtrl::songColumnTranscriber, IDS_COLUMN_TRANSCRIBER, 150, LVCFMT_LEFT},
    {CSongListCtrl::songColumnCopyright, IDS_COLUMN_COPYRIGHT, 200, LVCFMT_LEFT},
    {CSongListCtrl::songColumnFileName, IDS_COLUMN_FILE_NAME, 220, LVCFMT_LEFT},
    {CSongListCtrl::songColumnDateAdded, IDS_COLUMN_DATE_ADDED, 130, LVCFMT_LEFT},
    {CSongListCtrl::songColumnLastModified, IDS_COLUMN_LAST_MODIFIED, 130, LVCFMT_LEFT},
    {CSongListCtrl::songColumnChecksum, IDS_COLUMN_CHECKSUM, 100, LVCFMT_LEFT},
    {CSongListCtrl::songColumnRating, IDS_COLUMN_RATING, 70, LVCFMT_LEFT},
};
static_assert(std::size(SONG_COLUMNS) == CSongListCtrl::SONG_COLUMN_COUNT);

// The text field of a true column, or null for the columns that are not record texts.
const std::string* TextField(const CSongRecord& song, int trueColumn)
{
    switch (trueColumn) {
    case CSongListCtrl::songColumnTitle:
        return &song.GetTitle();
    case CSongListCtrl::songColumnArtist:
        return &song.GetArtist();
    case CSongListCtrl::songColumnAlbum:
        return &song.GetAlbum();
    case CSongListCtrl::songColumnComposer:
        return &song.GetComposer();
    case CSongListCtrl::songColumnLyricist:
        return &song.GetLyricist();
    case CSongListCtrl::songColumnArranger:
        return &song.GetArranger();
    case CSongListCtrl::songColumnTranscriber:
        return &song.GetTranscriber();
    case CSongListCtrl::songColumnCopyright:
        return &song.GetCopyright();
    case CSongListCtrl::songColumnChecksum:
        return &song.GetChecksum();
    default:
        return nullptr;
    }
}

std::string KeyOrAll(std::string key)
{
    return key == SUMMARY_KEY_NONE ? std::string(SUMMARY_KEY_ALL) : key;
}

} // namespace

CSongListCtrl::CSongListCtrl(QWidget* parent, CLibraryDatabase* database) : CRecordListCtrl(database, parent)
{
    m_recordset.SetOrderSource(&m_songOrder);
}

CSongListCtrl::~CSongListCtrl()
{
    SetSummaryBoxes(nullptr, nullptr);
}

void CSongListCtrl::SetSummaryBoxes(CArtistSummaryListBox* artists, CAlbumSummaryListBox* albums)
{
    FinishCounting();
    if (m_pArtists)
        m_pArtists->Attach(nullptr, nullptr, nullptr);
    if (m_pAlbums)
        m_pAlbums->Attach(nullptr, nullptr, nullptr);
    m_pArtists = artists && albums ? artists : nullptr;
    m_pAlbums = artists && albums ? albums : nullptr;
    if (m_pArtists) {
        m_pArtists->Attach(this, nullptr, m_pAlbums);
        m_pAlbums->Attach(this, m_pArtists, nullptr);
    }
}

CSongRecord* CSongListCtrl::GetRecord(int row) const
{
    return row < 0 ? nullptr : m_recordset.Get(static_cast<size_t>(row));
}

int CSongListCtrl::GetRecordCount() const
{
    return static_cast<int>(m_recordset.GetCount());
}

int CSongListCtrl::GetRating(int row) const
{
    const CSongRecord* song = GetRecord(row);
    return song ? song->GetRating() : -1;
}

bool CSongListCtrl::SetRecordRating(int row, int rating, CLibraryDatabase* database)
{
    CSongRecord* song = GetRecord(row);
    if (!song)
        return false;
    song->SetRating(static_cast<uint8_t>(rating));
    if (database)
        database->NoteSongChanged(song);
    return true;
}

QString CSongListCtrl::GetRecordText(int row, int trueColumn) const
{
    const CSongRecord* song = GetRecord(row);
    if (!song)
        return QString();
    if (const std::string* text = TextField(*song, trueColumn))
        return RecordText(*text);
    switch (trueColumn) {
    case songColumnNumber:
        return QString::number(row + 1);
    case songColumnYear:
        return QString::number(song->GetYear());
    case songColumnTraditional:
        return song->GetTraditionalText();
    case songColumnFileName:
        return song->GetPath().left(MAX_DISPLAY_TEXT);
    case songColumnDateAdded:
        return DateText(song->GetDateAdded());
    case songColumnLastModified:
        return FileTimeText(song->GetLastWriteTime());
    case songColumnRating:
        return QString::number(song->GetRating());
    default:
        return QString();
    }
}

QString CSongListCtrl::GetTypeAheadText(int row, int trueColumn, int length) const
{
    const CSongRecord* song = GetRecord(row);
    if (!song)
        return QString();
    // One code-page byte is one character: the typed length of the text is all it takes.
    if (const std::string* text = TextField(*song, trueColumn))
        return RecordText(*text, length);
    return GetRecordText(row, trueColumn);
}

std::span<const CRecordColumnDefinition> CSongListCtrl::GetColumnDefinitions() const
{
    return SONG_COLUMNS;
}

QString CSongListCtrl::GetStateKey() const
{
    return QStringLiteral("Window Settings\\Song List View");
}

void CSongListCtrl::SortRecordset(int trueColumn, bool ascending)
{
    // The rows are songs of the list's database (the order declines rows of another).
    m_songOrder.SetDatabase(GetDatabase());
    if (trueColumn < 0)
        m_recordset.ClearSortColumn();
    else
        m_recordset.Sort(trueColumn, ascending, true);
}

void CSongListCtrl::FinishCounting()
{
    if (m_counting.joinable())
        m_counting.join();
}

CSongValueGroups* CSongListCtrl::GetValueGroups()
{
    // A count on this thread uses the groups and the boxes' summaries: any count on the
    // second thread is over first.
    FinishCounting();
    // Making the numbers costs about what counting all songs by their texts does: a list
    // that shows all songs (at start-up, after the search is cleared) counts by text, and
    // the numbers are made at the first search for a text, then serve every keystroke.
    if (m_strCountedSearchText.isEmpty())
        return nullptr;
    m_valueGroups.SetDatabase(GetDatabase());
    return &m_valueGroups;
}

bool CSongListCtrl::RebuildSummaries()
{
    if (!m_pArtists || !m_pAlbums)
        return false;
    const bool suppressed = IsRestoreSuppressed();
    SetRestoreSuppressed(true);
    const std::string before = m_pArtists->GetKey();
    m_pArtists->Rebuild();
    if (m_pArtists->GetKey() == SUMMARY_KEY_ALL && before != SUMMARY_KEY_ALL)
        m_pAlbums->SelectKey(SUMMARY_KEY_ALL, false);
    m_pAlbums->Rebuild();
    SetRestoreSuppressed(suppressed);
    return true;
}

bool CSongListCtrl::ApplySearch(const QString& text, int field, bool force)
{
    if (field < 0 || field >= SONG_SEARCH_FIELD_COUNT)
        return false;
    CLibraryDatabase* database = GetDatabase();
    const uint64_t revision = database ? database->GetRevision() : 0;
    // The rows point into the library: once it changed they are taken again, whatever
    // the caller asked.
    if (!force && m_bSearched && text == m_strSearchText && field == m_nSearchField &&
        database == m_pSearchedDatabase && revision == m_searchedRevision)
        return true;

    const CWaitCursor wait;
    SaveSelection();
    BeginRebuild();
    // A search started from inside another one counts in this thread: the boxes' spare
    // summaries may be in use.
    const bool nested = m_bSearching;
    m_bSearching = true;
    std::vector<CSongRecord*> found;
    if (database)
        m_searchIndex.FindSongs(*database, AfxUnicodeToAnsi(text), field, found);
    m_strCountedSearchText = text;

    // With both boxes on "All", the rows do not wait for the boxes' counts: the boxes count
    // on a second thread while this one sorts and lays out the rows, and are rebuilt last.
    // They count their own copy of the matches, which the sort below reorders.
    const bool boxes = m_pArtists && m_pAlbums;
    bool countingAhead = false;
    // However the search ends, the count is over before it returns.
    const auto finish = qScopeGuard([this] { FinishCounting(); });
    if (boxes && !nested && found.size() >= COUNT_AHEAD_FEWEST &&
        KeyOrAll(m_pArtists->GetKey()) == SUMMARY_KEY_ALL &&
        KeyOrAll(m_pAlbums->GetKey()) == SUMMARY_KEY_ALL) {
        CSongValueGroups* groups = GetValueGroups();
        m_countedSongs.assign(found.begin(), found.end());
        m_bCountedAhead = false;
        try {
            m_counting = std::jthread([this, groups] {
                m_bCountedAhead = m_pArtists->PrepareRebuild(m_countedSongs, groups) &&
                                  m_pAlbums->PrepareRebuild(m_countedSongs, groups);
            });
            countingAhead = true;
        } catch (const std::system_error&) {
            // No thread: the boxes count below, before the rows.
        }
    }
    m_recordset.SetBaseSet(std::move(found));

    std::string artist = SUMMARY_KEY_ALL;
    std::string album = SUMMARY_KEY_ALL;
    if (boxes && !countingAhead) {
        RebuildSummaries();
        artist = KeyOrAll(m_pArtists->GetKey());
        album = KeyOrAll(m_pAlbums->GetKey());
    }
    // The keys are stored even when both are "all", so that the next pick in a box is
    // compared with what the rows really show; the one sort below orders them.
    m_recordset.ClearSortColumn();
    m_recordset.Filter(artist.c_str(), album.c_str(), true);
    SortRecordset(GetSortColumn(), IsSortAscending());

    m_strSearchText = text;
    m_nSearchField = field;
    m_bSearched = true;
    m_pSearchedDatabase = database;
    m_searchedRevision = revision;
    EndRebuild();
    if (!IsRestoreSuppressed() && !IsRebuilding())
        RestoreSelection(true, true);
    if (countingAhead) {
        // Counts that a count on this thread waited for meanwhile are not this search's
        // any more. "All" stays chosen in both boxes, so the rows stay what they say.
        const bool counted = m_counting.joinable();
        FinishCounting();
        if (counted && m_bCountedAhead) {
            m_pArtists->UsePreparedCounts();
            m_pAlbums->UsePreparedCounts();
        }
        RebuildSummaries();
    }
    m_bSearching = false;
    viewport()->update();
    return boxes;
}

bool CSongListCtrl::ApplySummaryFilter(const std::string& artist, const std::string& album, bool force)
{
    // A search applies the boxes' keys itself once it has rebuilt them.
    if (m_bSearching)
        return true;
    const CWaitCursor wait;
    SaveSelection();
    BeginRebuild();
    m_songOrder.SetDatabase(GetDatabase());
    const bool filtered = m_recordset.Filter(artist.c_str(), album.c_str(), force);
    EndRebuild();
    if (!IsRestoreSuppressed() && !IsRebuilding())
        RestoreSelection(true, true);
    viewport()->update();
    return filtered;
}
