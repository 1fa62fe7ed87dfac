#pragma once
// The artist and album boxes above the song list. Row 0 is "All artists (n)" / "All
// albums (n)" with n the number of distinct values; row i shows summary record i - 1:
// "value (songs with it)", ordered by the value's text. The artist box counts the list's
// base set (the songs that passed the search); the album box counts only the songs of
// the chosen artist among them.
//
// Keys: SUMMARY_KEY_ALL for row 0, the value text for a row, SUMMARY_KEY_NONE when no row
// is selected. Choosing a row narrows the song list (ApplySummaryFilter); choosing an
// artist keeps the chosen album when that artist has songs on it, else the album box falls
// back to "All albums".
//
// The song list attaches both boxes (CSongListCtrl::SetSummaryBoxes); the song header
// pane creates, places and owns them.

#include "cordalib/library/Recordset.h"
#include "cordalib/ui/VirtualListBox.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSongListCtrl;
class CSongRecord;

class CSongSummaryListBox : public CVirtualListBox {
    Q_OBJECT

public:
    ~CSongSummaryListBox() override;

    // Recomputes the rows from the owning list's base set and selects the key it had
    // again; a key that is gone (and no selection) selects row 0, scrolled into view.
    // The selection handling runs afterwards, unless the box is told to suppress it and
    // the key did not change.
    void Rebuild();
    // Selects the row of a key (SUMMARY_KEY_ALL: row 0; a value: exact, case-sensitive
    // text), focused when the box has the focus, scrolled into view with makeVisible, and
    // runs the selection handling when the selection moved. The row, or -1 (nothing
    // changed) for a key that no row holds.
    int SelectKey(const std::string& key, bool makeVisible);
    // The key of the selection (table above); SUMMARY_KEY_NONE while not attached.
    std::string GetKey() const;
    // Counts songs ahead of a Rebuild into a second set of summaries, which nothing shows:
    // a search so counts on another thread while its list sorts and lays out the rows.
    // Meanwhile nothing else may count in this box. False when counting failed.
    bool PrepareRebuild(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups) noexcept;
    // The next Rebuild that would count its list's base set shows the prepared counts
    // instead; the caller prepared them from that base set, in the database's order.
    void UsePreparedCounts() { m_bPrepared = true; }

    // Set while the artist box rebuilds the album box after a choice that kept the album:
    // selecting the same album again does not filter the list again.
    void SetSuppressSelectionHandling(bool suppress) { m_bSuppressSelectionHandling = suppress; }
    bool IsSuppressSelectionHandling() const { return m_bSuppressSelectionHandling; }

    // Summary records (row i shows value i - 1).
    virtual size_t GetValueCount() const = 0;
    virtual const std::string& GetValue(size_t index) const = 0;
    virtual uint64_t GetValueRecordCount(size_t index) const = 0;
    // The row of a value, or -1.
    int FindValueRow(const std::string& value) const;

    // Called by the song list.
    void Attach(CSongListCtrl* list, CSongSummaryListBox* first, CSongSummaryListBox* second);
    CSongListCtrl* GetOwnerList() const { return m_pList; }

    QString GetRowText(int row) const override;
    QString GetFindText(int row, int length) const override;

protected:
    CSongSummaryListBox(int controlId, unsigned allTextId, QWidget* parent);

    // Counts the songs per value into the summary records, sorted: the shown ones, or the
    // spare ones that ShowSpareValues then shows.
    virtual void BuildValues(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups,
                             bool spare) = 0;
    virtual void ShowSpareValues() = 0;
    // The value of a song in this box (its artist, its album).
    virtual const std::string& GetSongValue(const CSongRecord& song) const = 0;
    // The list's groups of equal texts that the counts can use; null without a list.
    CSongValueGroups* GetValueGroups() const;

    void OnRowSelected(int row) override;

private:
    // The partner boxes: a first box (artists) has a second; a second (albums) a first.
    CSongListCtrl* m_pList = nullptr;
    CSongSummaryListBox* m_pFirst = nullptr;
    CSongSummaryListBox* m_pSecond = nullptr;
    unsigned m_nAllTextId;
    bool m_bSuppressSelectionHandling = false;
    bool m_bPrepared = false; // the spare summaries hold the next Rebuild's counts
};

class CArtistSummaryListBox : public CSongSummaryListBox {
    Q_OBJECT

public:
    static constexpr int CONTROL_ID = 73;

    explicit CArtistSummaryListBox(QWidget* parent = nullptr);
    ~CArtistSummaryListBox() override;

    size_t GetValueCount() const override { return GetSummary().GetCount(); }
    const std::string& GetValue(size_t index) const override;
    uint64_t GetValueRecordCount(size_t index) const override;
    const CArtistSummaryRecordset& GetSummary() const { return m_summaries[m_shown]; }

protected:
    void BuildValues(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups, bool spare) override
    {
        m_summaries[spare ? 1 - m_shown : m_shown].Build(songs, groups);
    }
    void ShowSpareValues() override { m_shown = 1 - m_shown; }
    const std::string& GetSongValue(const CSongRecord& song) const override;

private:
    // The shown summaries and the spare ones (see PrepareRebuild).
    CArtistSummaryRecordset m_summaries[2];
    unsigned m_shown = 0;
};

class CAlbumSummaryListBox : public CSongSummaryListBox {
    Q_OBJECT

public:
    static constexpr int CONTROL_ID = 74;

    explicit CAlbumSummaryListBox(QWidget* parent = nullptr);
    ~CAlbumSummaryListBox() override;

    size_t GetValueCount() const override { return GetSummary().GetCount(); }
    const std::string& GetValue(size_t index) const override;
    uint64_t GetValueRecordCount(size_t index) const override;
    const CAlbumSummaryRecordset& GetSummary() const { return m_summaries[m_shown]; }

protected:
    void BuildValues(const std::vector<CSongRecord*>& songs, CSongValueGroups* groups, bool spare) override
    {
        m_summaries[spare ? 1 - m_shown : m_shown].Build(songs, groups);
    }
    void ShowSpareValues() override { m_shown = 1 - m_shown; }
    const std::string& GetSongValue(const CSongRecord& song) const override;

private:
    // The shown summaries and the spare ones (see PrepareRebuild).
    CAlbumSummaryRecordset m_summaries[2];
    unsigned m_shown = 0;
};
