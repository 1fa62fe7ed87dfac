#include "cordalib/ui/InformationBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int ICON_SIZE = 16;

} // namespace

CInformationBar::CInformationBar(QWidget* parent) : QWidget(parent)
{
    m_pIcon = new QLabel(this);
    m_pIcon->setFixedSize(ICON_SIZE, ICON_SIZE);
    m_pText = new QLabel(this);
    m_pText->setTextFormat(Qt::PlainText);
    // The click belongs to the bar, not to the labels.
    m_pIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pText->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addWidget(m_pIcon);
    layout->addWidget(m_pText, 1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    ApplyColours();
}

CInformationBar::~CInformationBar() = default;

void CInformationBar::SetText(const QString& text)
{
    m_pText->setText(text);
}

QString CInformationBar::GetText() const
{
    return m_pText->text();
}

void CInformationBar::SetIcon(const QIcon& icon)
{
    m_icon = icon;
    m_pIcon->setPixmap(icon.isNull() ? QPixmap()
                                     : icon.pixmap(QSize(ICON_SIZE, ICON_SIZE), devicePixelRatioF()));
}

void CInformationBar::SetClickable(bool clickable)
{
    m_bClickable = clickable;
    if (clickable)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CInformationBar::ApplyColours()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    m_pText->setPalette(colours);
}

void CInformationBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CInformationBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bClickable && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CInformationBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        ApplyColours();
    QWidget::changeEvent(event);
}
