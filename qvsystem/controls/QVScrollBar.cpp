#include "qvsystem/controls/QVScrollBar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QString>
#include <QStyle>
#include <QTransform>

#include <cmath>

namespace {

// Whether the painter maps the bar onto whole device pixels at the widget's own device pixel
// ratio, a whole number, without rotation, shear or mirroring: only then does a picture drawn
// at that ratio land on the same pixels as the style's own drawing. (A style draws from the
// ratio of the painter's device, which for a widget is the widget's even when it is rendered
// elsewhere at another scale; at fractional ratios Fusion's arrows come out a shade apart.)
bool PixelAligned(const QTransform& transform, qreal ratio)
{
    if (ratio < 1 || ratio != std::floor(ratio))
        return false;
    if (transform.type() > QTransform::TxScale || transform.m11() != ratio || transform.m22() != ratio)
        return false;
    return transform.dx() == std::floor(transform.dx()) && transform.dy() == std::floor(transform.dy());
}

// Styles known to draw a scroll bar from the option alone, with the same pixels into a
// picture as onto the widget. Others may fade a bar by clocks of their own (hover
// animations), which no option shows.
bool DrawsFromOptionAlone(const QStyle* style)
{
    const QString name = style->name();
    return name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

bool SamePalette(const QPalette& a, const QPalette& b)
{
    // The colour group in use is not part of the palette's key or its comparison.
    return a.currentColorGroup() == b.currentColorGroup() && (a.cacheKey() == b.cacheKey() || a == b);
}

// Everything of the option that the style may draw from.
bool SameOption(const QStyleOptionSlider& a, const QStyleOptionSlider& b)
{
    return a.rect == b.rect && a.state == b.state && a.direction == b.direction && a.minimum == b.minimum &&
           a.maximum == b.maximum && a.sliderPosition == b.sliderPosition && a.sliderValue == b.sliderValue &&
           a.singleStep == b.singleStep && a.pageStep == b.pageStep && a.orientation == b.orientation &&
           a.upsideDown == b.upsideDown && a.subControls == b.subControls &&
           a.activeSubControls == b.activeSubControls && a.tickPosition == b.tickPosition &&
           a.tickInterval == b.tickInterval && SamePalette(a.palette, b.palette);
}

} // namespace

CQVScrollBar::CQVScrollBar(QWidget* parent) : QScrollBar(parent) {}

CQVScrollBar::CQVScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

CQVScrollBar::~CQVScrollBar() = default;

bool CQVScrollBar::MayKeepPicture() const
{
    // QScrollBar draws its hovered or pressed part, which it does not tell; none can be set
    // without the mouse over the bar or a button down.
    if (QGuiApplication::mouseButtons() != Qt::NoButton || underMouse() || isSliderDown())
        return false;
    // A style sheet may draw from the widget's properties as well as from the option.
    return !testAttribute(Qt::WA_StyleSheet);
}

void CQVScrollBar::DropPicture()
{
    m_picture = QPixmap();
    m_pPictureStyle = nullptr;
    m_dPictureScale = 0;
}

void CQVScrollBar::paintEvent(QPaintEvent* event)
{
    QStyle* const current = style();
    if (!MayKeepPicture() || !DrawsFromOptionAlone(current)) {
        DropPicture();
        QScrollBar::paintEvent(event);
        return;
    }

    // As QScrollBar gives it to the style; with nothing hovered or pressed no part is active.
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    // A transient bar fades by the style's own clock, which no option shows.
    if (current->styleHint(QStyle::SH_ScrollBar_Transient, &option, this)) {
        DropPicture();
        QScrollBar::paintEvent(event);
        return;
    }

    QPainter painter(this);
    const qreal scale = devicePixelRatioF();
    if (!PixelAligned(painter.deviceTransform(), scale)) {
        painter.end();
        DropPicture();
        QScrollBar::paintEvent(event);
        return;
    }

    if (!m_picture.isNull() && m_pPictureStyle == current && m_dPictureScale == scale &&
        SameOption(m_pictureOption, option)) {
        painter.drawPixmap(QPointF(0, 0), m_picture);
        ++m_nCachedPaints;
        return;
    }

    const QSize pixels(static_cast<int>(std::ceil(option.rect.width() * scale)),
                       static_cast<int>(std::ceil(option.rect.height() * scale)));
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != scale) {
        m_picture = QPixmap(pixels);
        m_picture.setDevicePixelRatio(scale);
    }
    m_picture.fill(Qt::transparent);
    {
        QPainter picture(&m_picture);
        // What a painter on the widget starts with.
        picture.setPen(QPen(palette().brush(foregroundRole()), 1));
        picture.setBackground(palette().brush(backgroundRole()));
        picture.setFont(font());
        current->drawComplexControl(QStyle::CC_ScrollBar, &option, &picture, this);
    }
    m_pictureOption = option;
    m_pPictureStyle = current;
    m_dPictureScale = scale;
    painter.drawPixmap(QPointF(0, 0), m_picture);
}

void CQVScrollBar::hideEvent(QHideEvent* event)
{
    DropPicture();
    QScrollBar::hideEvent(event);
}

void CQVScrollBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange)
        DropPicture();
    QScrollBar::changeEvent(event);
}
