#pragma once
// The report list of every list window: declared columns that the user can hide, show,
// re-order and resize (header context menu, Columns dialog), sorting by header click with
// the arrow drawn by the header, the column state kept in the settings store, a text shown
// while the list is empty, alternate-row shading and selection helpers. Comparing items is
// the derived list's business (SortItems).
//
// Column numberings:
// - true column: the stable id a derived list gives a column when it declares it;
// - inserted column: the view's (and the model's) column index; only shown columns have
//   one, numbered in the order they were inserted;
// - left-to-right position: where the user sees the inserted column (the header's visual
//   index).
// Without declarations true and inserted columns are the same.
//
// The rows come from a CQVListModel (QVListModel.h): an owner-data model that formats each
// text on request, or a CQVStoredListModel for small lists. The view is a QTreeView
// without root decoration and with uniform row heights: a flat list that never asks the
// model for a row's size, paints only the rows on screen, and selects and focuses whole
// rows like a report list.

#include "qvsystem/controls/QVListModel.h"
#include "qvsystem/controls/SortHeaderCtrl.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTreeView>

#include <map>
#include <vector>

inline constexpr int DEFAULT_COLUMN_WIDTH = 100;
// Widths taken from the settings store or the Columns dialog are clamped to this.
inline constexpr int MAX_COLUMN_WIDTH = 9999;
// Column widths with a meaning of their own: size to the contents, or to the contents and
// the heading.
inline constexpr int LVSCW_AUTOSIZE = -1;
inline constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;

// Header context menu commands: one per true column from 50900, and the Columns dialog.
inline constexpr int ID_QV_HEADER_COLUMN_FIRST = 50900;
inline constexpr int ID_QV_HEADER_COLUMN_LAST = 50950;
inline constexpr int ID_QV_HEADER_COLUMNS = 50007;

// One declared column.
struct QVSYSTEM_EXPORT QVCOLUMN {
    // The inserted index asked for at declaration; for a hidden column the left-to-right
    // position it had when hidden; -1 when declared hidden.
    int nPosition = -1;
    int nTrueColumn = -1;
    int bVisible = 0;
    QString strHeading;
    // The view column's description; the width is kept up to date while hidden.
    int nFormat = LVCFMT_LEFT;
    int nWidth = -1;
    int nSubItem = -1;
    int nImage = -1;
    int nOrder = -1;
};

class QVSYSTEM_EXPORT CQVListCtrl : public QTreeView {
    Q_OBJECT

public:
    // The list owns the model; null gives it a CQVStoredListModel.
    explicit CQVListCtrl(QWidget* parent = nullptr, CQVListModel* model = nullptr);
    ~CQVListCtrl() override;

    // Places the list in the parent with the id as its object name (the id as text).
    virtual bool Create(const QRect& rect, QWidget* parent, int id);

    CQVListModel* GetListModel() const { return m_pModel; }
    // The model when it keeps stored rows, else null.
    CQVStoredListModel* GetStoredModel() const;
    CQVListCtrlHeaderCtrl* GetHeaderCtrl() const { return m_pHeader; }

    // --- Virtual operations
    virtual int GetDefaultColumnWidth(int trueColumn) const;
    // Sizes every inserted column to fit its heading and its contents.
    virtual void LoadDefaultColumnWidths();
    // Sorts the rows and records the new sort state; nothing here.
    virtual bool SortItems(int trueColumn, bool ascending, bool force);
    // The selected row's new index, or -1 when it cannot move.
    virtual int MoveSelectedItemUp();
    virtual int MoveSelectedItemDown();
    virtual bool CanQVColumnBeHidden(int trueColumn) const;
    // The popup of columns, then "&Columns...".
    virtual void OnHeaderContextMenu(int headerItem, int hitFlags, const QPoint& screenPoint);
    // Sorts ascending by the column now displayed leftmost.
    virtual void OnDeleteSortColumn(int insertedColumn, int trueColumn, int leftToRightPosition);
    // A click on a header item: with the left button and while not blocked, sorts by that
    // column (the sort column again reverses the direction).
    virtual void OnHeaderItemClick(int insertedColumn, Qt::MouseButton button);

    // --- Declared columns
    // The inserted index, or -1 (hidden declaration, true column already declared, a
    // negative position or true column). A position beyond the end appends.
    int InsertQVColumn(int position, int trueColumn, bool visible, const QString& heading,
                       int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    int InsertQVColumn(int position, const QVCOLUMN& column);
    bool DeleteQVColumn(int insertedColumn);
    bool ShowQVColumn(int trueColumn, bool show);
    bool IsQVColumnVisible(int trueColumn) const;
    bool GetQVColumn(int trueColumn, QVCOLUMN& column) const;
    int GetQVColumnWidth(int trueColumn) const;
    bool SetQVColumnWidth(int trueColumn, int width);
    int GetTrueColumn(int insertedColumn) const;
    int GetInsertedColumn(int trueColumn) const;
    int GetLeftToRightColumn(int position) const;
    int GetLeftToRightTrueColumn(int position) const;
    int GetColumnSortOrder(int insertedColumn) const;
    int GetTrueColumnCount() const;
    int GetInsertedColumnCount() const;
    bool DoesTrueColumnExist(int trueColumn) const;
    // The declared true columns in ascending order.
    std::vector<int> GetTrueColumns() const;
    bool SetColumnAlignment(int insertedColumn, int format);
    bool IsColumnSortOrderPersisted() const { return !m_mapColumns.empty(); }
    // Runs the Columns dialog modally over the list's window; its result (QDialog::Accepted
    // or QDialog::Rejected).
    int EditColumns();

    // --- View columns without declaration
    int InsertColumn(int insertedColumn, const QString& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool DeleteColumn(int insertedColumn);
    // A width of LVSCW_AUTOSIZE or LVSCW_AUTOSIZE_USEHEADER sizes to the contents.
    bool SetColumnWidth(int insertedColumn, int width);
    int GetColumnWidth(int insertedColumn) const;
    std::vector<int> GetColumnOrderArray() const;
    // Fails unless the array is a permutation of the inserted columns.
    bool SetColumnOrderArray(const std::vector<int>& order);

    // --- Sorting
    bool SortItemsByColumn(int trueColumn, bool force);
    bool SortItemsByDirection(bool ascending, bool force);
    bool AutoSortItems();
    int GetSortColumn() const { return m_nSortColumn; }
    void SetSortColumn(int trueColumn);
    bool IsSortAscending() const { return m_bSortAscending; }
    void SetSortAscending(bool ascending);
    void BlockHeaderSort(bool block = true) { m_bHeaderSortBlocked = block; }
    bool IsHeaderSortBlocked() const { return m_bHeaderSortBlocked; }
    void SetBlockNonItemClicks(bool block = true) { m_bNonItemClicksBlocked = block; }
    bool AreNonItemClicksBlocked() const { return m_bNonItemClicksBlocked; }

    // --- State in the settings store
    // Below the application's own key (AfxSetApplicationRegistryKey).
    bool SaveState(const QString& subKey);
    bool SaveState(const CRegistryPath& path);
    // An open key; with closeKey it is closed afterwards (also on failure).
    bool SaveState(HKEY key, bool closeKey);
    bool LoadState(const QString& subKey);
    bool LoadState(const CRegistryPath& path);
    bool LoadState(HKEY key, bool closeKey);

    // --- Items and selection
    int GetItemCount() const;
    bool SelectItem(int item, bool focus = false);
    int GetSingleSelectionItem() const;
    bool IsItemSelected(int item) const;
    int GetSelectedCount() const;
    // The selected rows in ascending order.
    std::vector<int> GetSelectedItems() const;
    void SelectAllItems();
    void UnselectAllItems();
    bool HasCheckedItem() const;
    bool HitTestOnItem(const QPoint& clientPoint) const;
    bool CanMoveSelectedItemUp() const;
    bool CanMoveSelectedItemDown() const;
    // Check boxes in inserted column 0.
    void SetCheckBoxes(bool checkBoxes);
    bool HasCheckBoxes() const;

    // Stored rows (fail on an owner-data model).
    int InsertItem(int item, const QString& text);
    bool DeleteItem(int item);
    bool DeleteAllItems();
    bool SetItemText(int item, int trueColumn, const QString& text);
    QString GetItemText(int item, int trueColumn) const;
    bool SetItemData(int item, const QVariant& value);
    QVariant GetItemData(int item) const;
    bool SetCheck(int item, bool checked);
    bool GetCheck(int item) const;

    // --- Empty text
    void SetEmptyText(const QString& text);
    const QString& GetEmptyText() const { return m_strEmptyText; }
    bool HasEmptyText() const { return !m_strEmptyText.isEmpty(); }
    // 0 left, 1 centre, 2 right.
    void SetEmptyTextAlignment(int alignment);
    int GetEmptyTextAlignment() const { return m_nEmptyTextAlignment; }
    void SetEmptyTextAlignmentLeft() { SetEmptyTextAlignment(0); }
    void SetEmptyTextAlignmentCenter() { SetEmptyTextAlignment(1); }
    void SetEmptyTextAlignmentRight() { SetEmptyTextAlignment(2); }
    void SetEmptyTextColor(const QColor& colour);
    QColor GetEmptyTextColor() const { return m_crEmptyText; }

    // --- Alternate rows: odd rows in the highlight colour while enabled. An invalid colour
    // turns the shading off.
    void SetRowHighlightColor(const QColor& colour, bool highlight = true);
    QColor GetRowHighlightColor() const { return m_crRowHighlight; }
    bool AreRowsHighlighted() const { return m_bRowsHighlighted; }
    bool IsRowHighlighted(int item) const { return m_bRowsHighlighted && item >= 0 && (item % 2) == 1; }

    // --- View mode. The list mode shows the items of the leftmost column without header.
    void SetReportView();
    void SetListView();
    bool IsReportView() const { return m_bReportView; }

    // --- Fonts: bold, italic and underline variants of the list's font.
    void UpdateFonts();
    const QFont& GetBoldFont() const { return m_fontBold; }
    const QFont& GetItalicFont() const { return m_fontItalic; }
    const QFont& GetUnderlineFont() const { return m_fontUnderline; }

    // The rectangle, in viewport coordinates, where the empty text is drawn.
    QRect GetEmptyTextRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    template <class Location> bool SaveStateTo(const Location& location, bool stopAtFirstFailure);
    template <class Location> bool LoadStateFrom(const Location& location);
    bool IsBlockedNonItemClick(const QMouseEvent* event) const;
    void HideColumnFromView(int trueColumn, bool notifySort);
    int InsertViewColumnAt(int insertedColumn, int trueColumn, const QString& heading, int format, int width);
    int GetMaxTrueColumn() const;
    void OnRowsChanged();
    void ExpandSelectionToRows();
    int ClampedWidth(int width) const;

    CQVListCtrlHeaderCtrl* m_pHeader = nullptr;
    CQVListModel* m_pModel = nullptr;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    bool m_bHeaderSortBlocked = false;
    bool m_bNonItemClicksBlocked = false;
    QString m_strEmptyText;
    int m_nEmptyTextAlignment = 0;
    QColor m_crEmptyText;
    bool m_bRowsHighlighted = false;
    QColor m_crRowHighlight;
    QFont m_fontBold;
    QFont m_fontItalic;
    QFont m_fontUnderline;
    std::map<int, QVCOLUMN> m_mapColumns;
    bool m_bReportView = true;
    bool m_bWasEmpty = true;
    bool m_bBlockedPress = false;
};
