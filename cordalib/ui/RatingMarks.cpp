#include "cordalib/ui/RatingMarks.h"

#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

// The resource object sits in the ui library's static archive; naming its initialiser here
// makes every binary that draws a star link it.
static void InitCordaUiImages()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(cordalib_ui_images);
        return true;
    }();
    (void)done;
}

QRect CRatingMarks::GetCellRect(const QRect& subItem, int cell)
{
    return QRect(subItem.left() + FIRST_CELL_OFFSET + CELL_STEP * cell,
                 subItem.top() + (subItem.height() - CELL_SIZE) / 2, CELL_SIZE, CELL_SIZE);
}

int CRatingMarks::HitTestCell(const QRect& subItem, const QPoint& point)
{
    if (!subItem.contains(point))
        return -1;
    for (int cell = 0; cell < MARK_COUNT; ++cell) {
        if (GetCellRect(subItem, cell).contains(point))
            return cell;
    }
    return -1;
}

QPixmap CRatingMarks::GetStar(const QColor& colour, qreal devicePixelRatio)
{
    InitCordaUiImages();
    const bool large = devicePixelRatio > 1.0;
    const quint64 key = (quint64{colour.rgba()} << 1) | (large ? 1 : 0);
    static QHash<quint64, QPixmap> cache;
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;

    QImage mask(large ? QStringLiteral(":/cordalib/images/rating-star@2x.png")
                      : QStringLiteral(":/cordalib/images/rating-star.png"));
    // An "@2x" file comes with ratio 2; the mask is applied pixel for pixel.
    mask.setDevicePixelRatio(1.0);
    QImage star(mask.size(), QImage::Format_ARGB32_Premultiplied);
    star.fill(colour);
    {
        QPainter painter(&star);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(0, 0, mask);
    }
    star.setDevicePixelRatio(mask.isNull() ? 1.0 : mask.width() / qreal(CELL_SIZE));
    QPixmap pixmap = QPixmap::fromImage(star);
    // A handful of colours in a run (text, highlight text, a theme change or two).
    if (cache.size() > 16)
        cache.clear();
    cache.insert(key, pixmap);
    return pixmap;
}

void CRatingMarks::DrawStar(QPainter& painter, const QRect& cell, const QColor& colour)
{
    const QPaintDevice* device = painter.device();
    const qreal ratio = device ? device->devicePixelRatioF() : 1.0;
    painter.drawPixmap(cell, GetStar(colour, ratio));
}

void CRatingMarks::DrawDot(QPainter& painter, const QRect& cell, const QColor& colour)
{
    painter.fillRect(QRect(cell.left() + DOT_OFFSET, cell.top() + DOT_OFFSET, DOT_SIZE, DOT_SIZE), colour);
}
