#pragma once
// Small painting helpers shared by the controls.

#include "qvsystem/qvsystem_export.h"

#include <QColor>
#include <QPoint>

class QPainter;

// Arrow directions of AfxFillArrow.
inline constexpr int ARROW_LEFT = 0;
inline constexpr int ARROW_RIGHT = 1;
inline constexpr int ARROW_UP = 2;
inline constexpr int ARROW_DOWN = 3;

// Draws a filled isosceles arrow of size/2 + 1 one-pixel lines: the tip one pixel long,
// each following line one pixel longer at both ends, the base size pixels long. Left and
// right arrows are made of vertical lines laid left to right, up and down arrows of
// horizontal lines laid top to bottom. Across the axis every line is centred on the
// point; along it the first line lies h = (size/2 + 1)/2 pixels before the point, one less
// when size/2 + 1 is even (for left and up the first line is the tip, for right and down
// the base). With the shadow flag the same arrow is drawn first in the shadow colour one
// pixel right and down. Returns 1 when drawn; 0, drawing nothing, for a null painter, a
// size that is even or below 3, or a direction above 3.
QVSYSTEM_EXPORT int AfxFillArrow(QPainter* dc, const QPoint& centre, int size, int direction,
                                 const QColor& colour, bool shadow = false,
                                 const QColor& shadowColour = QColor());
