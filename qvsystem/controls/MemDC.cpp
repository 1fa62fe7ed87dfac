#include "qvsystem/controls/MemDC.h"

#include <QPaintDevice>
#include <QTransform>

CMemDC::CMemDC(QPainter* target, const QRect& rect)
{
    Begin(target, rect, nullptr);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, const QColor& fillColour)
{
    Begin(target, rect, nullptr);
    if (IsValid())
        m_painter.fillRect(m_rect, fillColour);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, const QBrush& fillBrush)
{
    Begin(target, rect, nullptr);
    if (IsValid())
        m_painter.fillRect(m_rect, fillBrush);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, const CGradient& gradient, const QRect& gradientRect)
{
    Begin(target, rect, nullptr);
    if (IsValid())
        gradient.Draw(&m_painter, gradientRect);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, QImage* surface)
{
    if (surface)
        Begin(target, rect, surface);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, QImage* surface, const QColor& fillColour)
{
    if (!surface)
        return;
    Begin(target, rect, surface);
    if (IsValid())
        m_painter.fillRect(m_rect, fillColour);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, QImage* surface, const QBrush& fillBrush)
{
    if (!surface)
        return;
    Begin(target, rect, surface);
    if (IsValid())
        m_painter.fillRect(m_rect, fillBrush);
}

CMemDC::CMemDC(QPainter* target, const QRect& rect, QImage* surface, const CGradient& gradient,
               const QRect& gradientRect)
{
    if (!surface)
        return;
    Begin(target, rect, surface);
    if (IsValid())
        gradient.Draw(&m_painter, gradientRect);
}

void CMemDC::Begin(QPainter* target, const QRect& rect, QImage* surface)
{
    if (!target || !target->isActive() || !target->device() || rect.isEmpty())
        return;
    m_pTarget = target;
    m_rect = rect;
    // The full mapping to device pixels, the pixel density included.
    const QTransform mapping = target->combinedTransform();
    // Whole device pixels: a rectangle that maps onto part of a pixel takes the whole pixel.
    m_deviceRect = mapping.mapRect(QRectF(rect)).toAlignedRect();
    if (m_deviceRect.isEmpty())
        return;
    m_ratio = target->device()->devicePixelRatioF();
    if (surface) {
        m_pSurface = surface;
    } else {
        m_ownSurface = std::make_unique<QImage>(m_deviceRect.size(), QImage::Format_ARGB32_Premultiplied);
        if (m_ownSurface->isNull())
            return;
        m_ownSurface->setDevicePixelRatio(m_ratio);
        m_ownSurface->fill(Qt::transparent);
        m_pSurface = m_ownSurface.get();
    }
    if (!m_painter.begin(m_pSurface))
        return;
    m_painter.setFont(target->font());
    m_painter.setRenderHints(target->renderHints());
    // The caller's coordinates unchanged: the target's mapping, shifted so that the
    // rectangle's first device pixel is the surface's first; the surface applies its own
    // pixel density after this.
    const qreal surfaceRatio = m_pSurface->devicePixelRatio();
    m_painter.setWorldTransform(mapping *
                                QTransform::fromTranslate(-m_deviceRect.left(), -m_deviceRect.top()) *
                                QTransform::fromScale(1 / surfaceRatio, 1 / surfaceRatio));
    m_painter.setClipRect(rect);
}

void CMemDC::SetMask(const QColor& maskColour)
{
    m_maskColour = maskColour;
}

CMemDC::~CMemDC()
{
    if (!m_painter.isActive())
        return;
    m_painter.end();
    if (!m_pTarget->isActive())
        return;
    QImage copy = m_pSurface->copy(QRect(QPoint(0, 0), m_deviceRect.size()));
    copy.setDevicePixelRatio(1);
    if (m_maskColour) {
        copy = copy.convertToFormat(QImage::Format_ARGB32);
        const QRgb mask = m_maskColour->rgb() & 0x00FFFFFF;
        for (int y = 0; y < copy.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
            for (int x = 0; x < copy.width(); ++x) {
                if (qAlpha(line[x]) == 255 && (line[x] & 0x00FFFFFF) == mask)
                    line[x] = 0;
            }
        }
    }
    m_pTarget->save();
    // Device pixels onto device pixels: the target's own density scaling is undone.
    m_pTarget->resetTransform();
    m_pTarget->setWorldTransform(QTransform::fromScale(1 / m_ratio, 1 / m_ratio));
    m_pTarget->setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_pTarget->drawImage(m_deviceRect.topLeft(), copy);
    m_pTarget->restore();
}
