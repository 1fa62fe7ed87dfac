#pragma once
// The base of the four summary boxes: an owner-data list with one column without heading
// that always spans the client width, single selection that is always shown (in the
// highlight colours, with or without the focus), clicks outside the rows blocked, no
// horizontal scroll bar, and type-ahead over the rows after row 0.
//
// A derived box answers the row count and texts; its selection handling runs whenever a
// row becomes selected, unless handling is blocked (while the box rebuilds itself).

#include "cordalib/ui/TypeAheadBuffer.h"
#include "qvsystem/controls/QVListCtrl.h"

class CVirtualListBox;

class CVirtualListBoxModel : public CQVListModel {
    Q_OBJECT

public:
    explicit CVirtualListBoxModel(CVirtualListBox& box);

    int GetItemCount() const override { return m_nItemCount; }
    QString GetItemText(int row, int trueColumn) const override;

    void BeginRebuild();
    void EndRebuild(int itemCount);

private:
    CVirtualListBox& m_box;
    int m_nItemCount = 0;
    bool m_bRebuilding = false;
};

class CVirtualListBox : public CQVListCtrl {
    Q_OBJECT

public:
    ~CVirtualListBox() override;

    // The text of a row (row 0 is the "All" row).
    virtual QString GetRowText(int row) const = 0;
    // The text type-ahead compares for a row from 1 on: at least its first length
    // characters.
    virtual QString GetFindText(int row, int length) const = 0;

    // The row from start on (row 1 when start is not within 1 .. rows - 1), wrapping from
    // the last row to row 1, whose find text begins with the typed text in any letter
    // case; never row 0. -1 when no row does, or when there is only the "All" row.
    int FindItem(const QString& typed, int startRow) const;
    // The single selected row, or -1.
    int GetSelectedRow() const { return GetSingleSelectionItem(); }
    // The column's width becomes the client width.
    void FitColumnToClient();

    void keyboardSearch(const QString& search) override;

signals:
    // Tab or Shift+Tab: the next or previous stop of the main window's focus ring (while
    // nothing is connected, Tab moves the focus as usual).
    void MoveFocusRequested(bool forward);

protected:
    explicit CVirtualListBox(QWidget* parent);

    // Runs when a row became selected (by the user or the program) while handling is not
    // blocked.
    virtual void OnRowSelected(int row) = 0;

    // A rebuild: the rows are forgotten at Begin; End sets the new count.
    void BeginRebuild();
    void EndRebuild(int rowCount);
    // Selects one row (the selection moves to it) without giving it the focus, or with
    // focus when asked; false for a row that is not there.
    bool SelectRow(int row, bool focus, bool makeVisible);
    void SetSelectionHandlingBlocked(bool blocked) { m_bHandlingBlocked = blocked; }
    bool IsSelectionHandlingBlocked() const { return m_bHandlingBlocked; }

    // The viewport's size changes with the window and when the vertical scroll bar comes or
    // goes.
    bool viewportEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    CVirtualListBoxModel* m_pBoxModel;
    bool m_bHandlingBlocked = false;
    CTypeAheadBuffer m_typeAhead;
};
