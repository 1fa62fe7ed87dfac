#pragma once
// How the browsing lists (song and lesson lists, summary boxes) draw a text cell: the
// style's item drawing, with three rules of their own.
// - A text is cut to a prefix the cell can show before anything measures it: a title of
//   70,000 characters is drawn as quickly as a short one, ending in an ellipsis.
// - Odd rows are shaded (when a shade is set) and a selected row keeps the highlight
//   colours when the list does not have the focus.
// - A derived delegate may draw some cells itself (PaintCell returns true).
// - The lists draw their texts unshaped, glyph after glyph without kerning or ligatures,
//   as list views on other systems do. A plain one-line text cell in a style that draws
//   item texts the common way is then drawn from the font's glyphs directly, without the
//   text layout: the same pixels at a fraction of the cost (a list repaints hundreds of
//   cells on every keystroke of a search). Any other cell, and any text with a character
//   the font lacks, goes to the style.

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QStyledItemDelegate>

#include <vector>

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

    // The view's texts are drawn unshaped (and so may be drawn from the glyphs).
    static void UseUnshapedText(QAbstractItemView* view);
    // A selected row shows the same colours whether or not its view has the focus.
    static void KeepSelectionColoursWithoutFocus(QAbstractItemView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Whether plain text cells may be drawn from the glyphs (on by default; off, every
    // cell goes to the style, which is what the glyph drawing is compared with).
    void SetGlyphDrawingEnabled(bool enabled) { m_bGlyphDrawing = enabled; }
    // How many cells were drawn from the glyphs so far.
    int GetGlyphDrawnCount() const { return m_nGlyphDrawn; }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    // Draws the cell itself and returns true, or leaves it to the text drawing (false).
    virtual bool PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const;

    QAbstractItemView* View() const { return m_pView; }

private:
    // Draws a plain text cell from the glyphs; false when the cell is not one.
    bool PaintGlyphText(QPainter* painter, const QStyleOptionViewItem& option) const;
    bool PrepareFont(const QFont& font) const;

    QAbstractItemView* m_pView;
    QColor m_crAlternate;
    bool m_bGlyphDrawing = true;
    mutable int m_nGlyphDrawn = 0;
    // The font the glyph drawing last used, with what it needs of it.
    mutable QFont m_glyphFont;
    mutable bool m_bGlyphFontReady = false;
    mutable QRawFont m_rawFont;
    mutable quint32 m_nEllipsisGlyph = 0;
    mutable qreal m_rEllipsisWidth = 0;
    mutable qreal m_rAscent = 0;
    mutable qreal m_rHeight = 0;
    mutable std::vector<quint32> m_glyphs;
    mutable std::vector<QPointF> m_advances; // then the glyphs' positions
    mutable QGlyphRun m_glyphRun;
};
