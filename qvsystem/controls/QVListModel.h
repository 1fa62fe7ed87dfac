#pragma once
// The rows behind a CQVListCtrl. The view's columns are the list's inserted columns, in
// insertion order; each carries the true column that the derived list gave it, and every
// text is asked for by (row, true column), so hiding, showing and re-ordering columns never
// touches the rows. Nothing is stored per row or per cell here: an owner-data list of
// 100,000 rows answers rowCount() and formats the few texts the view paints.
//
// CQVListModel is the base for such virtual rows: a derived model answers GetItemCount and
// GetItemText (and GetItemData for other roles) and reports its changes with ResetItems,
// UpdateItems and ReorderItems. CQVStoredListModel keeps real rows for small lists
// (folders, shortcuts, the Columns dialog): texts per true column, item data and a check
// state, and it can move a row up or down.

#include "qvsystem/qvsystem_export.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <vector>

// Column formats of the list (the low bits are the text alignment).
inline constexpr int LVCFMT_LEFT = 0x0000;
inline constexpr int LVCFMT_RIGHT = 0x0001;
inline constexpr int LVCFMT_CENTER = 0x0002;
inline constexpr int LVCFMT_JUSTIFYMASK = 0x0003;

QVSYSTEM_EXPORT Qt::Alignment AfxListColumnAlignment(int format);

class QVSYSTEM_EXPORT CQVListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CQVListModel(QObject* parent = nullptr);
    ~CQVListModel() override;

    // What a derived model answers. The true column is the one the list declared (or the
    // inserted index for a column inserted without a declaration).
    virtual int GetItemCount() const = 0;
    virtual QString GetItemText(int row, int trueColumn) const = 0;
    // Any other role (decoration, colours, fonts); the display, alignment and check roles
    // are answered by the base. Nothing by default.
    virtual QVariant GetItemData(int row, int trueColumn, int role) const;
    // Check boxes (shown in inserted column 0 while the list has check boxes on).
    virtual bool GetItemCheck(int row) const;
    virtual bool SetItemCheck(int row, bool checked);
    // Moves one row; owner-data models cannot and refuse.
    virtual bool MoveItem(int from, int to);

    // Change reports for derived models. ResetItems: the item count or all rows changed
    // (the selection is dropped). UpdateItems: the texts of rows first..last changed.
    // ReorderItems: the rows were permuted in place; newRowOfOldRow[old] = new row for every
    // row, so the selection and the current row follow their items.
    void ResetItems();
    void UpdateItems(int first, int last);
    bool ReorderItems(const std::vector<int>& newRowOfOldRow);

    // The column layer, driven by the list control.
    int GetViewColumnCount() const { return static_cast<int>(m_columns.size()); }
    // The true column of an inserted column (the inserted index itself when undeclared);
    // -1 when out of range.
    int GetViewColumnTrueColumn(int inserted) const;
    // Whether the column was inserted with a true column of its own.
    bool IsViewColumnDeclared(int inserted) const;
    // The inserted index of a declared true column, -1 when it is not inserted.
    int FindViewColumn(int trueColumn) const;
    // trueColumn -1 inserts an undeclared column. An index beyond the end appends; a
    // negative one fails with -1. Returns the inserted index.
    int InsertViewColumn(int inserted, int trueColumn, const QString& heading, int format);
    bool RemoveViewColumn(int inserted);
    bool SetViewColumnHeading(int inserted, const QString& heading);
    QString GetViewColumnHeading(int inserted) const;
    bool SetViewColumnFormat(int inserted, int format);
    int GetViewColumnFormat(int inserted) const;

    void SetCheckBoxes(bool checkBoxes);
    bool HasCheckBoxes() const { return m_bCheckBoxes; }

    // QAbstractItemModel
    // The view asks for every row's index whenever it lays its rows out: the checks here
    // need no further virtual calls.
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const final;
    int rowCount(const QModelIndex& parent = QModelIndex()) const final;
    int columnCount(const QModelIndex& parent = QModelIndex()) const final;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct ViewColumn {
        int nTrueColumn = -1; // -1: undeclared, the inserted index stands for it
        QString strHeading;
        int nFormat = LVCFMT_LEFT;
    };
    std::vector<ViewColumn> m_columns;
    bool m_bCheckBoxes = false;
};

// Stored rows: one text per true column, item data and a check state per row.
class QVSYSTEM_EXPORT CQVStoredListModel : public CQVListModel {
    Q_OBJECT

public:
    explicit CQVStoredListModel(QObject* parent = nullptr);
    ~CQVStoredListModel() override;

    // Inserts before row (appends when row is beyond the end); the new row's index, or -1
    // for a negative row.
    int InsertItem(int row, const QString& text);
    bool DeleteItem(int row);
    void DeleteAllItems();
    bool SetItemText(int row, int trueColumn, const QString& text);
    bool SetItemDataValue(int row, const QVariant& value);
    QVariant GetItemDataValue(int row) const;

    int GetItemCount() const override;
    QString GetItemText(int row, int trueColumn) const override;
    bool GetItemCheck(int row) const override;
    bool SetItemCheck(int row, bool checked) override;
    bool MoveItem(int from, int to) override;

private:
    struct Row {
        std::vector<QString> texts; // by true column
        QVariant data;
        bool bChecked = false;
    };
    bool IsValidRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }
    std::vector<Row> m_rows;
};
