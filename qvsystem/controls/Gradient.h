#pragma once
// A two-colour gradient: a start colour at the top-left, an end colour at the
// bottom-right, running horizontally (orientation 0) or vertically (1). Equal colours mean
// no gradient and paint a solid fill.

#include "qvsystem/qvsystem_export.h"

#include <QColor>
#include <QRect>

#include <cstdint>

class CArchive;
class QPainter;

class QVSYSTEM_EXPORT CGradient {
public:
    static constexpr uint8_t horizontal = 0;
    static constexpr uint8_t vertical = 1;

    CGradient() = default;
    // Colours are taken as opaque RGB; an orientation other than 0 or 1 becomes 0.
    CGradient(const QColor& startColour, const QColor& endColour, uint8_t orientation = horizontal);

    QColor GetStartColour() const { return m_startColour; }
    QColor GetEndColour() const { return m_endColour; }
    uint8_t GetOrientation() const { return m_nOrientation; }

    // 1 when painted; 0 for a null painter.
    int Draw(QPainter* dc, const QRect& rect) const;

    bool HasNoGradient() const { return m_startColour == m_endColour; }
    bool IsHorizontal() const { return m_nOrientation == horizontal; }
    static bool IsValidOrientation(unsigned orientation) { return orientation < 2; }

    bool operator==(const CGradient& other) const = default;

    // Start and end colour as 32-bit 0x00BBGGRR words, then the orientation byte: the
    // layout that stored gradients from Windows have. A stored orientation other than 0 or
    // 1 loads as 0. Archive errors travel as CArchiveException.
    void Serialize(CArchive& ar);

private:
    QColor m_startColour = QColor(0, 0, 0);
    QColor m_endColour = QColor(0, 0, 0);
    uint8_t m_nOrientation = horizontal;
};
