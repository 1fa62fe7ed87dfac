#pragma once
// The song list: sixteen columns over the library's songs, narrowed by the search text and
// field and by the artist and album boxes, sorted by its sort column.
//
// The browsing pipeline: ApplySearch takes the songs that pass the search from the list's
// search index (the base set), has the two summary boxes rebuilt from it, narrows the base
// set to the boxes' artist and album (the filtered subset; the base set when nothing
// matches), and sorts. With both boxes on "All" the rows do not depend on the boxes: they
// count on a second thread while the rows are sorted and laid out. The boxes call
// ApplySummaryFilter when the user picks a row.

#include "cordalib/app/RecordSearch.h"
#include "cordalib/library/SongSortOrder.h"
#include "cordalib/library/SongValueGroups.h"
#include "cordalib/ui/ListRecordset.h"
#include "cordalib/ui/RecordListCtrl.h"

#include <QString>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class CArtistSummaryListBox;
class CAlbumSummaryListBox;

class CSongListCtrl : public CRecordListCtrl {
    Q_OBJECT

public:
    // True columns.
    enum songColumns {
        songColumnNumber = 0,
        songColumnTitle,
        songColumnArtist,
        songColumnAlbum,
        songColumnYear,
        songColumnTraditional,
        songColumnComposer,
        songColumnLyricist,
        songColumnArranger,
        songColumnTranscriber,
        songColumnCopyright,
        songColumnFileName,
        songColumnDateAdded,
        songColumnLastModified,
        songColumnChecksum,
        songColumnRating,
        SONG_COLUMN_COUNT
    };

    // database: the library the rows point into; null takes the running application's.
    explicit CSongListCtrl(QWidget* parent = nullptr, CLibraryDatabase* database = nullptr);
    ~CSongListCtrl() override;

    // The boxes whose artist and album narrow the list (the song header pane's); the list
    // tells each box its owner and its partner. Null for either detaches both.
    void SetSummaryBoxes(CArtistSummaryListBox* artists, CAlbumSummaryListBox* albums);
    CArtistSummaryListBox* GetArtistBox() const { return m_pArtists; }
    CAlbumSummaryListBox* GetAlbumBox() const { return m_pAlbums; }

    // Searches the library: text (what the user typed; empty lists every song) in the
    // field (songSearchFields). False for a field out of range, and when the summary boxes
    // are not there (the rows are then the search's, unnarrowed). Unless forced, the
    // current text and field again do nothing while the library is unchanged.
    bool ApplySearch(const QString& text, int field, bool force);
    // Narrows the base set to an artist and an album (exact texts; SUMMARY_KEY_ALL or
    // SUMMARY_KEY_NONE: any). Unless forced, the current keys again keep the rows.
    bool ApplySummaryFilter(const std::string& artist, const std::string& album, bool force);
    // Rebuilds both boxes from the base set, the album box after the artist box; when the
    // artist box falls back to "All artists", the album box does too. False without boxes.
    bool RebuildSummaries();
    // While a search runs, the boxes' own filtering waits for it.
    bool IsSearching() const { return m_bSearching; }

    const QString& GetSearchText() const { return m_strSearchText; }
    int GetSearchField() const { return m_nSearchField; }

    CSongListRecordset& GetRecordset() { return m_recordset; }
    const CSongListRecordset& GetRecordset() const { return m_recordset; }
    // The records that passed the search, before the summary filter.
    const std::vector<CSongRecord*>& GetBaseSet() const { return m_recordset.GetAllEntries(); }
    // The record of a row, null beyond the set.
    CSongRecord* GetRecord(int row) const;
    const CRecordSearchIndex& GetSearchIndex() const { return m_searchIndex; }
    const CSongSortOrder& GetSongOrder() const { return m_songOrder; }
    // The artist and album groups of the list's database, for the summary boxes' counts.
    CSongValueGroups* GetValueGroups();

    // --- CRecordListCtrl
    int GetRecordCount() const override;
    const void* GetRecordKey(int row) const override { return GetRecord(row); }
    QString GetRecordText(int row, int trueColumn) const override;
    int GetRatingColumn() const override { return songColumnRating; }
    int GetRating(int row) const override;
    int GetColumnTotal() const override { return SONG_COLUMN_COUNT; }
    std::span<const CRecordColumnDefinition> GetColumnDefinitions() const override;
    QString GetStateKey() const override;

protected:
    void SortRecordset(int trueColumn, bool ascending) override;
    QString GetTypeAheadText(int row, int trueColumn, int length) const override;
    bool SetRecordRating(int row, int rating, CLibraryDatabase* database) override;

private:
    // Waits for the boxes' count on the second thread, if one runs.
    void FinishCounting();

    // The order of all songs by the sort column: the sorts of the search's rows are a pass
    // over it (declared first: the record set points to it).
    CSongSortOrder m_songOrder;
    CSongValueGroups m_valueGroups;
    QString m_strCountedSearchText; // the search whose rows the boxes count
    // The boxes' count of a search beside its sort: the songs counted, the thread, whether
    // both boxes counted them.
    std::vector<CSongRecord*> m_countedSongs;
    std::jthread m_counting;
    bool m_bCountedAhead = false;
    CSongListRecordset m_recordset;
    CRecordSearchIndex m_searchIndex;
    CArtistSummaryListBox* m_pArtists = nullptr;
    CAlbumSummaryListBox* m_pAlbums = nullptr;
    QString m_strSearchText;
    int m_nSearchField = songSearchAll;
    bool m_bSearched = false;
    bool m_bSearching = false;
    const CLibraryDatabase* m_pSearchedDatabase = nullptr;
    uint64_t m_searchedRevision = 0;
};
