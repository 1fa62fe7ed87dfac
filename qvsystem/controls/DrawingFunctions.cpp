#include "qvsystem/controls/DrawingFunctions.h"

#include <QPainter>
#include <QRect>

namespace {

void DrawArrowLines(QPainter* dc, const QPoint& centre, int size, int direction, const QColor& colour)
{
    const int lines = size / 2 + 1;
    const int before = lines / 2 - ((lines % 2 == 0) ? 1 : 0);
    const bool vertical = direction == ARROW_LEFT || direction == ARROW_RIGHT;
    const bool tipFirst = direction == ARROW_LEFT || direction == ARROW_UP;
    // Each one-pixel line is filled as a one-unit-wide rectangle: the same pixels as a
    // one-pixel pen at 1x, and on a high-density surface the lines stay adjacent (a pen
    // is centred on the pixel's corner there and would shift by half a unit).
    for (int i = 0; i < lines; ++i) {
        const int halfLength = tipFirst ? i : lines - 1 - i;
        if (vertical) {
            const int x = centre.x() - before + i;
            dc->fillRect(QRect(x, centre.y() - halfLength, 1, 2 * halfLength + 1), colour);
        } else {
            const int y = centre.y() - before + i;
            dc->fillRect(QRect(centre.x() - halfLength, y, 2 * halfLength + 1, 1), colour);
        }
    }
}

} // namespace

int AfxFillArrow(QPainter* dc, const QPoint& centre, int size, int direction, const QColor& colour,
                 bool shadow, const QColor& shadowColour)
{
    if (!dc || size < 3 || size % 2 == 0 || direction < 0 || direction > ARROW_DOWN)
        return 0;
    dc->save();
    dc->setRenderHint(QPainter::Antialiasing, false);
    if (shadow)
        DrawArrowLines(dc, centre + QPoint(1, 1), size, direction, shadowColour);
    DrawArrowLines(dc, centre, size, direction, colour);
    dc->restore();
    return 1;
}
