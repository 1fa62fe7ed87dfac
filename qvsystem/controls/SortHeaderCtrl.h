#pragma once
// The header of a sortable list: it draws a small filled arrow in the sorted column (up
// ascending, down descending), optionally with that column's heading in bold, and reports
// item clicks with the mouse button that made them.
//
// CQVListCtrlHeaderCtrl is the header of every CQVListCtrl: it takes the sort state from
// its list and hands right clicks to the list's header context menu.

#include "qvsystem/qvsystem_export.h"

#include <QFont>
#include <QHeaderView>

class CQVListCtrl;

// Hit-test flags of a header point.
inline constexpr int HHT_NOWHERE = 0x0001;
inline constexpr int HHT_ONHEADER = 0x0002;
inline constexpr int HHT_ONDIVIDER = 0x0004;
inline constexpr int HHT_TORIGHT = 0x0800;

class QVSYSTEM_EXPORT CSortHeaderCtrl : public QHeaderView {
    Q_OBJECT

public:
    // Size of the sort arrow and its distance from the item's edge (plus half the size).
    static constexpr int SORT_ARROW_SIZE = 7;
    static constexpr int SORT_ARROW_MARGIN = 4;

    explicit CSortHeaderCtrl(QWidget* parent = nullptr);
    ~CSortHeaderCtrl() override;

    // The header's own sort state (column = header item, -1 none); redraws.
    void SetSort(int column, bool ascending);
    void SetSortColumn(int column);
    void SetSortAscending(bool ascending);
    void GetSort(int& column, bool& ascending) const;
    // Draw the sorted item's heading in bold.
    void UseBoldFont(bool use = true);
    bool IsBoldFontUsed() const { return m_bUseBoldFont; }
    void UpdateFonts();

    // The sort state that drawing uses: the header's own by default.
    virtual void GetCustomDrawSortData(int& column, bool& ascending) const;

    // The hit-test flags for a point in header coordinates, and the item under it (-1).
    int HitTest(const QPoint& point, int* flags) const;

signals:
    // A click on a header item (press and release on it, without drag or resize).
    void HeaderItemClicked(int item, Qt::MouseButton button);

protected:
    // Draws one item: the section, its label (kept clear of the arrow) and the arrow.
    virtual void CustomDraw(QPainter* painter, const QRect& rect, int logicalIndex) const;

    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    bool m_bUseBoldFont = false;
    QFont m_fontBold;
    Qt::MouseButton m_releaseButton = Qt::NoButton;
};

class QVSYSTEM_EXPORT CQVListCtrlHeaderCtrl : public CSortHeaderCtrl {
    Q_OBJECT

public:
    explicit CQVListCtrlHeaderCtrl(CQVListCtrl* list);
    ~CQVListCtrlHeaderCtrl() override;

    // The inserted index of the list's sort column and the list's direction.
    void GetCustomDrawSortData(int& column, bool& ascending) const override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CQVListCtrl* m_pList;
};
