#pragma once
// The main window's splitters. Every pane has an ideal size and a minimum size; the layout
// hands the ideal sizes out pane after pane, and one pane (the last one handed out) takes
// whatever remains, so growing the window grows only that pane. A pane that would get less
// than its minimum collapses to nothing and its space goes to the pane handed out before
// it. Dragging a bar makes the sizes it leaves the new ideal sizes, so a pane that is
// hidden (the lesson panes while songs are shown) keeps the size it is to have when shown.
//
// CCordaLibrarianSplitterWnd hands out the panes in their own order (the last one takes
// the rest) and draws its 6-pixel bars flat; with dragging turned off the bars neither move
// nor show a sizing cursor. CMainSplitterWnd is the main window's outer splitter of three
// rows: the search bar and the footer get their ideal heights first and the middle row
// takes the rest.

#include <QSplitter>
#include <QSplitterHandle>

#include <vector>

class CCordaLibrarianSplitterWnd : public QSplitter {
    Q_OBJECT

public:
    static constexpr int SPLITTER_BAR_SIZE = 6;
    static constexpr int DEFAULT_MINIMUM_PANE_SIZE = 10;

    explicit CCordaLibrarianSplitterWnd(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Adds the pane after the others with its ideal and minimum size along the splitter.
    void AddPane(QWidget* pane, int idealSize, int minimumSize = DEFAULT_MINIMUM_PANE_SIZE);
    void SetPaneInfo(int index, int idealSize, int minimumSize);
    int GetPaneIdealSize(int index) const;
    int GetPaneMinimumSize(int index) const;

    void SetAllowDragging(bool allow);
    bool IsAllowDragging() const { return m_bAllowDragging; }

    // Lays the panes out again in the current size (nothing while there is no size).
    virtual void RecalcLayout();

    // The sizes of the panes for a total length: the panes are handed out in the order
    // given, hidden ones (flag set) get 0 and no bar, the last visible pane of the order
    // takes what remains, and a bar of barSize lies between two visible panes.
    static std::vector<int> LayoutPanes(int total, int barSize, const std::vector<int>& idealSizes,
                                        const std::vector<int>& minimumSizes, const std::vector<bool>& hidden,
                                        const std::vector<int>& order);

protected:
    // The order in which the panes get their ideal sizes; the last one takes the rest.
    virtual std::vector<int> GetLayoutOrder() const;

    QSplitterHandle* createHandle() override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void OnSplitterMoved();

    std::vector<int> m_idealSizes;
    std::vector<int> m_minimumSizes;
    bool m_bAllowDragging = true;
    bool m_bInLayout = false;
};

class CMainSplitterWnd : public CCordaLibrarianSplitterWnd {
    Q_OBJECT

public:
    explicit CMainSplitterWnd(QWidget* parent = nullptr);

protected:
    // Row 0, row 2, then row 1.
    std::vector<int> GetLayoutOrder() const override;
};

// A bar drawn flat in the button face colour with a one-pixel edge in the shadow colour on
// each side; while its splitter does not allow dragging it ignores the mouse.
class CCordaLibrarianSplitterHandle : public QSplitterHandle {
    Q_OBJECT

public:
    CCordaLibrarianSplitterHandle(Qt::Orientation orientation, CCordaLibrarianSplitterWnd* parent);

    // Follows the splitter's allow-dragging flag (cursor).
    void UpdateDragging();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool IsDraggingAllowed() const;
};
