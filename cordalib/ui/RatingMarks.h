#pragma once
// The rating column of the song and lesson lists: five 11 x 11 mark cells per row, a star
// for each point of the rating, and the star image tinted in the colour a row asks for.
// Drawing and the rating click share this geometry, so a click lands on the star it hits.

#include <QColor>
#include <QPixmap>
#include <QRect>

class QPainter;

class CRatingMarks {
public:
    static constexpr int MARK_COUNT = 5;
    static constexpr int CELL_SIZE = 11;
    // The first cell's left edge from the sub-item's, and the step from cell to cell.
    static constexpr int FIRST_CELL_OFFSET = 6;
    static constexpr int CELL_STEP = 12;
    // The dot of an empty cell in a selected row: 2 x 2 pixels at (4, 4) of the cell.
    static constexpr int DOT_OFFSET = 4;
    static constexpr int DOT_SIZE = 2;

    // Cell i (0-based) of a sub-item rectangle, vertically centred in it.
    static QRect GetCellRect(const QRect& subItem, int cell);
    // The cell (0..4) under a point of the sub-item, or -1.
    static int HitTestCell(const QRect& subItem, const QPoint& point);

    // The star in the colour, for a device of the pixel ratio: the 2x image above ratio 1,
    // its device pixel ratio set so that it always covers one cell. Tinted stars are kept
    // per colour and ratio: a repaint costs one pixmap copy per star.
    static QPixmap GetStar(const QColor& colour, qreal devicePixelRatio);
    // Draws one star into a cell.
    static void DrawStar(QPainter& painter, const QRect& cell, const QColor& colour);
    static void DrawDot(QPainter& painter, const QRect& cell, const QColor& colour);
};
