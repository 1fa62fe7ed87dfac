#pragma once
// Lists for the list-control tests: an owner-data model whose texts name their row's item
// and true column, and a list that sorts it and records every SortItems call.

#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVListModel.h"

#include <QApplication>
#include <QMenu>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

namespace corda::test {

// Row r shows item m_items[r]; its text in true column c is "c:item".
class CNumberModel : public CQVListModel {
public:
    explicit CNumberModel(int rows) { SetRowCount(rows); }

    int GetItemCount() const override { return static_cast<int>(m_items.size()); }
    QString GetItemText(int row, int trueColumn) const override
    {
        if (row < 0 || row >= GetItemCount())
            return QString();
        return QStringLiteral("%1:%2").arg(trueColumn).arg(m_items[row]);
    }

    void SetRowCount(int rows)
    {
        m_items.resize(rows);
        std::iota(m_items.begin(), m_items.end(), 0);
        ResetItems();
    }

    // Puts the items in ascending or descending order, keeping the selection on its items.
    void Order(bool ascending)
    {
        std::vector<int> sorted = m_items;
        std::sort(sorted.begin(), sorted.end());
        if (!ascending)
            std::reverse(sorted.begin(), sorted.end());
        std::vector<int> rowOfItem(m_items.size());
        for (size_t row = 0; row < sorted.size(); ++row)
            rowOfItem[sorted[row]] = static_cast<int>(row);
        std::vector<int> newRowOfOldRow(m_items.size());
        for (size_t row = 0; row < m_items.size(); ++row)
            newRowOfOldRow[row] = rowOfItem[m_items[row]];
        m_items = sorted;
        ReorderItems(newRowOfOldRow);
    }

    std::vector<int> m_items;
};

struct SortCall {
    int column;
    bool ascending;
    bool force;
    bool operator==(const SortCall& other) const
    {
        return column == other.column && ascending == other.ascending && force == other.force;
    }
};

class CTestList : public CQVListCtrl {
public:
    explicit CTestList(int rows = 20) : CQVListCtrl(nullptr, new CNumberModel(rows)) { resize(640, 300); }

    CNumberModel* Model() const { return static_cast<CNumberModel*>(GetListModel()); }

    // True columns 0..count-1, visible, "Column n", widths 60, 70, 80, ...
    void Declare(int count)
    {
        for (int column = 0; column < count; ++column)
            InsertQVColumn(column, column, true, QStringLiteral("Column %1").arg(column), LVCFMT_LEFT,
                           60 + 10 * column);
    }

    bool SortItems(int column, bool ascending, bool force) override
    {
        m_calls.push_back({column, ascending, force});
        SetSortColumn(column);
        SetSortAscending(ascending);
        Model()->Order(ascending);
        return true;
    }

    std::vector<int> TrueColumnsLeftToRight() const
    {
        std::vector<int> columns;
        for (int position = 0; position < GetInsertedColumnCount(); ++position)
            columns.push_back(GetLeftToRightTrueColumn(position));
        return columns;
    }

    std::vector<SortCall> m_calls;
};

// Runs the action on the next popup menu once it is open (from inside its own loop), and
// closes any popup still open when the driver goes.
class CPopupDriver {
public:
    explicit CPopupDriver(std::function<void(QMenu&)> action) : m_action(std::move(action)) { Schedule(200); }
    bool Seen() const { return m_seen; }

private:
    void Schedule(int attemptsLeft)
    {
        QTimer::singleShot(5, &m_context, [this, attemptsLeft]() {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu && menu->isVisible()) {
                m_seen = true;
                m_action(*menu);
                return;
            }
            if (attemptsLeft > 0)
                Schedule(attemptsLeft - 1);
        });
    }

    std::function<void(QMenu&)> m_action;
    QObject m_context;
    bool m_seen = false;
};

} // namespace corda::test
