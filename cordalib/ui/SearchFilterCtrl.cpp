#include "cordalib/ui/SearchFilterCtrl.h"

#include "qvsystem/controls/DrawingFunctions.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

CSearchFilterCtrl::CSearchFilterCtrl(QWidget* parent) : QWidget(parent)
{
    m_textColour = palette().color(QPalette::WindowText);
    m_arrowColour = m_textColour;
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

CSearchFilterCtrl::~CSearchFilterCtrl() = default;

int CSearchFilterCtrl::AddItem(const QString& text)
{
    m_items.append(text);
    updateGeometry();
    update();
    return GetItemCount() - 1;
}

int CSearchFilterCtrl::SetCurItem(int index)
{
    if (index < 0 || index >= GetItemCount())
        return -1;
    if (index != m_nCurItem) {
        m_nCurItem = index;
        update();
    }
    return index;
}

QString CSearchFilterCtrl::GetItemText(int index) const
{
    return index >= 0 && index < GetItemCount() ? m_items[index] : QString();
}

QRect CSearchFilterCtrl::GetItemRect(int index) const
{
    if (index < 0 || index >= GetItemCount())
        return {};
    const QFontMetrics metrics = fontMetrics();
    const int separator = metrics.horizontalAdvance(m_strSeparator);
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += metrics.horizontalAdvance(m_items[i]) + separator;
    return QRect(left, ITEM_TOP, metrics.horizontalAdvance(m_items[index]), metrics.height());
}

int CSearchFilterCtrl::HitTest(const QPoint& point) const
{
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetItemRect(i).contains(point))
            return i;
    }
    return -1;
}

void CSearchFilterCtrl::SetTextColour(const QColor& colour)
{
    m_textColour = colour;
    update();
}

void CSearchFilterCtrl::SetArrowColour(const QColor& colour)
{
    m_arrowColour = colour;
    update();
}

QSize CSearchFilterCtrl::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QRect last = GetItemRect(GetItemCount() - 1);
    return QSize(last.isNull() ? 0 : last.left() + last.width(), ITEM_TOP + metrics.height() + 1);
}

QSize CSearchFilterCtrl::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void CSearchFilterCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect current = GetItemRect(m_nCurItem);
    if (!current.isNull())
        AfxFillArrow(&painter, QPoint(current.left() + current.width() / 2, ARROW_ANCHOR_Y), ARROW_SIZE,
                     ARROW_DOWN, m_arrowColour);
    painter.setPen(m_textColour);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    const int separatorWidth = fontMetrics().horizontalAdvance(m_strSeparator);
    for (int i = 0; i < GetItemCount(); ++i) {
        const QRect item = GetItemRect(i);
        painter.drawText(item, flags, m_items[i]);
        if (i + 1 < GetItemCount())
            painter.drawText(QRect(item.left() + item.width(), item.top(), separatorWidth, item.height()),
                             flags, m_strSeparator);
    }
}

void CSearchFilterCtrl::UpdateCursor(const QPoint& point)
{
    const bool overItem = HitTest(point) >= 0;
    if (overItem == m_bHandCursor)
        return;
    m_bHandCursor = overItem;
    if (overItem)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CSearchFilterCtrl::mouseMoveEvent(QMouseEvent* event)
{
    UpdateCursor(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void CSearchFilterCtrl::leaveEvent(QEvent* event)
{
    if (m_bHandCursor) {
        m_bHandCursor = false;
        unsetCursor();
    }
    QWidget::leaveEvent(event);
}

void CSearchFilterCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    const int item = HitTest(event->position().toPoint());
    if (item < 0 || item == m_nCurItem)
        return;
    SetCurItem(item);
    // The arrow moves at once, before the search that the notification may start; the
    // parent's background is part of the picture, down to just below the text.
    if (QWidget* parent = parentWidget())
        parent->repaint(geometry().adjusted(0, 0, 0, 5));
    else
        repaint();
    emit CommandNotification(SFN_SELCHANGE, objectName().toInt());
}

void CSearchFilterCtrl::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        update();
    }
}
