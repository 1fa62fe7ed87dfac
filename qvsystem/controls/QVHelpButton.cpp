#include "qvsystem/controls/QVHelpButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace {

constexpr int SYMBOL_SIZE = 16;

} // namespace

CQVHelpButton::CQVHelpButton(QWidget* parent) : QPushButton(parent)
{
    setAutoDefault(false);
}

CQVHelpButton::~CQVHelpButton() = default;

QSize CQVHelpButton::sizeHint() const
{
    // As tall as a text button; as wide as 16 dialog units (a quarter of the average
    // character width each), and never narrower than the symbol with the frame.
    const QSize textButton = QPushButton::sizeHint();
    const int dialogUnits = (fontMetrics().averageCharWidth() * 16 + 2) / 4;
    const int width = std::max(dialogUnits, SYMBOL_SIZE + 8);
    return QSize(width, std::max(textButton.height(), SYMBOL_SIZE + 6));
}

QSize CQVHelpButton::minimumSizeHint() const
{
    return QSize(SYMBOL_SIZE + 6, SYMBOL_SIZE + 6);
}

QPixmap CQVHelpButton::HelpSymbol(int size, qreal devicePixelRatio, const QPalette& palette, bool enabled)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor circle =
        enabled ? palette.color(QPalette::Highlight) : palette.color(QPalette::Disabled, QPalette::Text);
    painter.setPen(Qt::NoPen);
    painter.setBrush(circle);
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, size * 3 / 4));
    painter.setFont(font);
    painter.setPen(enabled ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Base));
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

void CQVHelpButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon(HelpSymbol(SYMBOL_SIZE, devicePixelRatioF(), palette(), isEnabled()));
    option.iconSize = QSize(SYMBOL_SIZE, SYMBOL_SIZE);
    painter.drawControl(QStyle::CE_PushButton, option);
}

void CQVHelpButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::FontChange)
        updateGeometry();
}
