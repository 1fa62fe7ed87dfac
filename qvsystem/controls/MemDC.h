#pragma once
// Flicker-free drawing: an off-screen surface that the caller paints on with the target's
// coordinates unchanged, copied to the target at the rectangle when the object is destroyed.
//
// The surface takes over the target painter's transformation (its world, window and
// viewport mapping), covers the device pixels that the rectangle touches (a rectangle that
// maps onto fractions of a pixel is widened to whole ones) at the target's pixel density,
// and clips drawing to the rectangle. It starts transparent, so what the caller leaves
// unpainted shows the target through. After SetMask the copy leaves out every pixel of the
// mask colour.

#include "qvsystem/controls/Gradient.h"
#include "qvsystem/qvsystem_export.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <memory>
#include <optional>

class QVSYSTEM_EXPORT CMemDC {
public:
    CMemDC(QPainter* target, const QRect& rect);
    CMemDC(QPainter* target, const QRect& rect, const QColor& fillColour);
    CMemDC(QPainter* target, const QRect& rect, const QBrush& fillBrush);
    CMemDC(QPainter* target, const QRect& rect, const CGradient& gradient, const QRect& gradientRect);
    // The caller's surface is drawn on and copied instead of one of our own; it must cover
    // the rectangle's device pixels and outlive this object. A null
    // surface gives an object that does nothing (IsValid false).
    CMemDC(QPainter* target, const QRect& rect, QImage* surface);
    CMemDC(QPainter* target, const QRect& rect, QImage* surface, const QColor& fillColour);
    CMemDC(QPainter* target, const QRect& rect, QImage* surface, const QBrush& fillBrush);
    CMemDC(QPainter* target, const QRect& rect, QImage* surface, const CGradient& gradient,
           const QRect& gradientRect);
    // Copies the surface to the target.
    ~CMemDC();

    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    bool IsValid() const { return m_painter.isActive(); }
    // The painter of the off-screen surface; inactive when the object is not valid.
    QPainter* GetPainter() { return &m_painter; }
    QPainter* operator->() { return &m_painter; }
    operator QPainter*() { return &m_painter; }
    // The target rectangle in the caller's coordinates.
    QRect GetRect() const { return m_rect; }

    // The copy to the target leaves out the pixels of this colour.
    void SetMask(const QColor& maskColour);

private:
    void Begin(QPainter* target, const QRect& rect, QImage* surface);

    QPainter* m_pTarget = nullptr;
    QRect m_rect;
    QRect m_deviceRect; // the rectangle in the target's device pixels
    qreal m_ratio = 1;  // the target's pixel density
    std::unique_ptr<QImage> m_ownSurface;
    QImage* m_pSurface = nullptr;
    QPainter m_painter;
    std::optional<QColor> m_maskColour;
};
