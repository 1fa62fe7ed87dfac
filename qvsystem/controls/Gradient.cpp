#include "qvsystem/controls/Gradient.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/system/TextUtilities.h"

#include <QPainter>

namespace {

QColor Opaque(const QColor& colour)
{
    return QColor(colour.red(), colour.green(), colour.blue());
}

uint32_t ToColorRef(const QColor& colour)
{
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

QColor FromColorRef(uint32_t value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

} // namespace

CGradient::CGradient(const QColor& startColour, const QColor& endColour, uint8_t orientation)
    : m_startColour(Opaque(startColour)), m_endColour(Opaque(endColour)),
      m_nOrientation(IsValidOrientation(orientation) ? orientation : horizontal)
{
}

int CGradient::Draw(QPainter* dc, const QRect& rect) const
{
    if (!dc)
        return 0;
    if (HasNoGradient()) {
        dc->fillRect(rect, m_startColour);
        return 1;
    }
    return AfxFillGradient(dc, rect, m_startColour, m_endColour, IsHorizontal()) ? 1 : 0;
}

void CGradient::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << ToColorRef(m_startColour) << ToColorRef(m_endColour) << m_nOrientation;
        return;
    }
    uint32_t start = 0;
    uint32_t end = 0;
    uint8_t orientation = 0;
    ar >> start >> end >> orientation;
    m_startColour = FromColorRef(start);
    m_endColour = FromColorRef(end);
    m_nOrientation = IsValidOrientation(orientation) ? orientation : horizontal;
}
