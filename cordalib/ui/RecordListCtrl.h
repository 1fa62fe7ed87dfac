#pragma once
// What the song and the lesson list share: virtual rows over a record set (row i is its
// element i, every text formatted when the view asks), the selection carried across every
// rebuild by record, sorting through SortItems, type-ahead on the sort column, the drawing
// (shaded odd rows, a selection that looks the same with and without the focus, the rating
// marks), the rating click, and the keys and clicks that the main window's commands answer.
//
// A rebuild (sort, summary filter, search) saves the selection, resets the rows once,
// changes the record set, sets the item count once at the end and restores the selection
// in one pass over the rows. Rebuilds nest (the summary boxes filter while a search
// rebuilds them); only the outermost one saves and restores.

#include "cordalib/ui/TypeAheadBuffer.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/platform/FileTime.h"

#include <QString>

#include <span>
#include <string>
#include <unordered_set>

class CLibraryDatabase;
class COleDateTime;
// One column of a record list as the list declares it: its true column, heading string,
// default width and alignment (LVCFMT_*).
struct CRecordColumnDefinition {
    int trueColumn;
    unsigned headingId;
    int width;
    int format;
};

class CRecordListCtrl;

// The rows: the item count that the list last set, texts by (row, true column).
class CRecordListModel : public CQVListModel {
    Q_OBJECT

public:
    explicit CRecordListModel(CRecordListCtrl& list);

    int GetItemCount() const override { return m_nItemCount; }
    QString GetItemText(int row, int trueColumn) const override;

    // A rebuild: the view forgets the rows at the first Begin and learns the new count at
    // the matching last End.
    void BeginRebuild();
    void EndRebuild(int itemCount);
    bool IsRebuilding() const { return m_nRebuildDepth > 0; }

private:
    CRecordListCtrl& m_list;
    int m_nItemCount = 0;
    int m_nRebuildDepth = 0;
};

class CRecordListCtrl : public CQVListCtrl {
    Q_OBJECT

public:
    // The list's control id in its view.
    static constexpr int CONTROL_ID = 23014;
    // The shade of odd rows.
    static constexpr QRgb ALTERNATE_ROW_COLOR = 0xFFE1F5F5; // RGB(225, 245, 245)
    // Record texts are handed to the view cut to this many characters (the display buffer);
    // the cell then cuts them to what it can show.
    static constexpr int MAX_DISPLAY_TEXT = 1024;

    ~CRecordListCtrl() override;

    // The library the rows point into: the one given to the constructor, else the running
    // application's (null when there is neither).
    CLibraryDatabase* GetDatabase() const;

    // --- What each kind of list supplies
    // Rows of the record set (the rows shown).
    virtual int GetRecordCount() const = 0;
    // The identity of a row's record (null beyond the set).
    virtual const void* GetRecordKey(int row) const = 0;
    // The text of a row and true column ("#" is the row position + 1); empty beyond the set.
    virtual QString GetRecordText(int row, int trueColumn) const = 0;
    // The true column drawn as marks, and a row's rating (-1 beyond the set).
    virtual int GetRatingColumn() const = 0;
    virtual int GetRating(int row) const = 0;
    // The number of true columns (the sort column lies in -1 .. this - 1).
    virtual int GetColumnTotal() const = 0;
    // The kind's columns in true-column order.
    virtual std::span<const CRecordColumnDefinition> GetColumnDefinitions() const = 0;
    // Inserts the kind's columns, all shown, with their headings and default widths.
    void InsertDefaultColumns();
    // The widths of the column table (the base's for a column outside it).
    int GetDefaultColumnWidth(int trueColumn) const override;
    void LoadDefaultColumnWidths() override;
    // The settings key of the column state ("Window Settings\\Song List View").
    virtual QString GetStateKey() const = 0;

    // Sets a row's rating (1..5) and marks the library modified; false beyond the set.
    bool SetRating(int row, int rating);

    // --- Overrides of the list control
    bool SortItems(int trueColumn, bool ascending, bool force) override;
    // With fewer than two columns shown none may go; with exactly two, a column may go only
    // when "#" is not shown or is the one asked about: the last column other than "#" stays.
    bool CanQVColumnBeHidden(int trueColumn) const override;
    // Sorts ascending by the leftmost shown column other than "#", or clears the sort.
    void OnDeleteSortColumn(int insertedColumn, int trueColumn, int leftToRightPosition) override;
    // A click on "#" does nothing; the others sort.
    void OnHeaderItemClick(int insertedColumn, Qt::MouseButton button) override;

    // --- Selection across rebuilds
    // Notes the selected rows' records and the focused one, then clears the selection
    // without reporting it. Does nothing inside a rebuild (the outermost one has saved).
    void SaveSelection();
    // Selects the rows of the saved records and focuses the saved focused one; then selects
    // row 0 when nothing is selected (selectFirst) and scrolls the focused selected row, or
    // the first selected one, into view (makeVisible).
    void RestoreSelection(bool selectFirst, bool makeVisible);
    bool IsRestoreSuppressed() const { return m_bRestoreSuppressed; }
    // Brackets of a change that a command makes to the record set itself (deleting
    // records): the rows are gone from the first Begin and come back, counted once, at the
    // matching last End. Nothing is saved or restored: the command selects afterwards.
    void BeginRecordsetChange() { BeginRebuild(); }
    void EndRecordsetChange() { EndRebuild(); }
    bool IsIgnoringSelectionChanges() const { return m_bIgnoreSelectionChanges; }

    // --- Type-ahead
    // The row from start (0 when beyond the end) on, wrapping, whose text in the sort column
    // (the leftmost shown column when unsorted) begins with the typed text in any letter
    // case; -1 when none does.
    int FindItem(const QString& typed, int startRow) const;
    // The column FindItem compares.
    int GetTypeAheadColumn() const;

    // The rectangle of a row's rating cell, in viewport coordinates (empty when the rating
    // column is hidden or the row is not there).
    QRect GetRatingRect(int row) const;

    void keyboardSearch(const QString& search) override;

    // Display texts of record fields. A record text (Windows-1252) converted to the user's
    // characters, at most maxLength of them: only that much is ever converted.
    static QString RecordText(const std::string& text, int maxLength = MAX_DISPLAY_TEXT);
    // A date-time stored in UTC, in local time, as the locale writes dates and times (empty
    // when it is not valid).
    static QString DateText(const COleDateTime& utc);
    // A file time, in local time, the same way.
    static QString FileTimeText(FILETIME time);

signals:
    // The selection or the focused row changed (not while the list clears them itself, and
    // not while it is hidden): the footer shows the selected file.
    void SelectionChanged();
    // A double click on a row, or Enter: the default double-click action.
    void DefaultActionRequested();
    // Tab or Shift+Tab: the next or previous stop of the main window's focus ring. While
    // nothing is connected, Tab moves the focus as usual.
    void MoveFocusRequested(bool forward);
    // A context-menu request over the list (screen position).
    void ContextMenuRequested(const QPoint& globalPosition);
    // A rating click changed a record's rating.
    void RatingChanged(int row, int rating);

protected:
    CRecordListCtrl(CLibraryDatabase* database, QWidget* parent);

    CRecordListModel* GetRecordModel() const { return m_pRecordModel; }

    // The kind's sort of its record set (column -1: the order stays, unsorted from now on).
    virtual void SortRecordset(int trueColumn, bool ascending) = 0;
    // The type-ahead text of a row in a column: at least the typed length's worth of the
    // display text. By default the display text.
    virtual QString GetTypeAheadText(int row, int trueColumn, int length) const;
    // Sets the record's rating and tells the database (when there is one) which record
    // changed, so that derived data refreshes that record alone; false beyond the set.
    virtual bool SetRecordRating(int row, int rating, CLibraryDatabase* database) = 0;

    // Brackets of a rebuild.
    void BeginRebuild();
    void EndRebuild();
    bool IsRebuilding() const { return m_pRecordModel->IsRebuilding(); }
    void SetRestoreSuppressed(bool suppressed) { m_bRestoreSuppressed = suppressed; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The rating cell (0..4) of the focused row under a viewport point, or -1.
    int HitTestRatingClick(const QPoint& point, int* row) const;
    void OnRatingClick(int row, int cell);
    void ReportSelectionChange();

    CLibraryDatabase* m_pDatabase;
    CRecordListModel* m_pRecordModel;
    bool m_bRestoreSuppressed = false;
    bool m_bIgnoreSelectionChanges = false;
    bool m_bRatingPress = false;
    std::unordered_set<const void*> m_savedSelection;
    const void* m_pSavedFocus = nullptr;
    CTypeAheadBuffer m_typeAhead;
};
