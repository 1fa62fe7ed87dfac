#pragma once
// How the browsing lists (song and lesson lists, summary boxes) draw a text cell: the
// style's item drawing, with three rules of their own.
// - A text is cut to a prefix the cell can show before anything measures it: a title of
//   70,000 characters is drawn as quickly as a short one, ending in an ellipsis.
// - Odd rows are shaded (when a shade is set) and a selected row keeps the highlight
//   colours when the list does not have the focus.
// - A derived delegate may draw some cells itself (PaintCell returns true).

#include <QColor>
#include <QStyledItemDelegate>

class QAbstractItemView;

class CListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Characters a cell is given before the style lays its text out, at least; wider cells
    // get one character per pixel of their width (no font draws a visible character in
    // less), so the style still sees more than fits and elides where it should.
    static constexpr int MIN_TEXT_PREFIX = 64;
    static constexpr int MAX_TEXT_PREFIX = 4096;

    explicit CListItemDelegate(QAbstractItemView* view);

    // The shade of odd rows; an invalid colour shades nothing.
    void SetAlternateRowColor(const QColor& colour) { m_crAlternate = colour; }
    const QColor& GetAlternateRowColor() const { return m_crAlternate; }

    // The background a row's cells get: the highlight colour when selected, else the shade
    // for odd rows, else the base colour.
    QColor GetRowBackground(const QStyleOptionViewItem& option, int row) const;

    // The text cut to a cell of this width (an ellipsis marks the cut).
    static QString BoundedText(const QString& text, int cellWidth);

    // A selected row shows the same colours whether or not its view has the focus.
    static void KeepSelectionColoursWithoutFocus(QAbstractItemView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    // Draws the cell itself and returns true, or leaves it to the text drawing (false).
    virtual bool PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const;

    QAbstractItemView* View() const { return m_pView; }

private:
    QAbstractItemView* m_pView;
    QColor m_crAlternate;
};
