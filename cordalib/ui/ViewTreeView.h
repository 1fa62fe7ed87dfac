#pragma once
// The tree at the left of the main window that chooses between the song view and the
// lesson view: two bold root items, "Songs" (item data 0) and "Lessons" (1), created once.
// Every item is painted here: the tree's background colour, behind a selected item a
// horizontal gradient from RGB(0, 102, 153) to RGB(0, 153, 153) over the whole row, the
// bold text (highlight-text colour when selected, else window-text colour) 2 pixels right
// of the label's edge, cut with an ellipsis; and a focus rectangle over the selected row
// while the tree has the focus.
//
// A change of the selected item emits CurrentViewChanged with the item's view; the main
// frame clears the search text without searching and switches the view (SetCurrentView).

#include "qvsystem/controls/QVTreeCtrl.h"

#include <QColor>

class CViewTreeView : public CQVTreeCtrl {
    Q_OBJECT

public:
    static constexpr int VIEW_SONGS = 0;
    static constexpr int VIEW_LESSONS = 1;
    // The background the main frame gives the tree, and the gradient behind a selected item.
    static constexpr QRgb DEFAULT_BACKGROUND = 0xFFEBF5F5;       // RGB(235, 245, 245)
    static constexpr QRgb SELECTION_GRADIENT_START = 0xFF006699; // RGB(0, 102, 153)
    static constexpr QRgb SELECTION_GRADIENT_END = 0xFF009999;   // RGB(0, 153, 153)

    explicit CViewTreeView(QWidget* parent = nullptr);
    ~CViewTreeView() override;

    // Creates the two items (once; later calls do nothing).
    void OnInitialUpdate();

    void SetBkColor(const QColor& colour);
    QColor GetBkColor() const { return m_crBackground; }

    // Selects the item of a view (0 songs, 1 lessons); false for any other view.
    bool SelectView(int view);
    // The view of the selected item, or -1.
    int GetCurrentView() const;
    QTreeWidgetItem* GetSongsItem() const { return m_pSongsItem; }
    QTreeWidgetItem* GetLessonsItem() const { return m_pLessonsItem; }
    const QFont& GetBoldFont() const { return m_fontBold; }

signals:
    void CurrentViewChanged(int view);
    // Tab or Shift+Tab: the next or previous stop of the main window's focus ring (while
    // nothing is connected, Tab moves the focus as usual).
    void MoveFocusRequested(bool forward);

protected:
    void OnSelectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void changeEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QTreeWidgetItem* m_pSongsItem = nullptr;
    QTreeWidgetItem* m_pLessonsItem = nullptr;
    QColor m_crBackground;
    QFont m_fontBold;
};
