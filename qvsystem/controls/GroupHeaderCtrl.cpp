#include "qvsystem/controls/GroupHeaderCtrl.h"

#include <QFontMetrics>
#include <QPainter>

CGroupHeaderCtrl::CGroupHeaderCtrl(QWidget* parent) : CGroupHeaderCtrl(QString(), parent) {}

CGroupHeaderCtrl::CGroupHeaderCtrl(const QString& text, QWidget* parent) : QWidget(parent), m_strText(text)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

CGroupHeaderCtrl::~CGroupHeaderCtrl() = default;

void CGroupHeaderCtrl::SetText(const QString& text)
{
    if (m_strText == text)
        return;
    m_strText = text;
    updateGeometry();
    update();
}

int CGroupHeaderCtrl::TextFlags() const
{
    return Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
}

int CGroupHeaderCtrl::GetLineLeft() const
{
    if (m_strText.isEmpty())
        return 0;
    const QRect text = fontMetrics().boundingRect(rect(), TextFlags(), m_strText);
    return text.right() + 1 + LINE_GAP;
}

QSize CGroupHeaderCtrl::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int textWidth =
        m_strText.isEmpty() ? 0 : metrics.boundingRect(QRect(), TextFlags(), m_strText).width() + LINE_GAP;
    return QSize(textWidth + 40, metrics.height());
}

QSize CGroupHeaderCtrl::minimumSizeHint() const
{
    return QSize(0, fontMetrics().height());
}

void CGroupHeaderCtrl::paintEvent(QPaintEvent*)
{
    // No fill: the parent's background (a dialog or a tab page) shows through, as the
    // themed header draws its parent's background.
    QPainter painter(this);
    if (!m_strText.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), TextFlags(), m_strText);
    }
    const int left = GetLineLeft();
    const int right = rect().right();
    if (left <= right)
        painter.fillRect(QRect(left, GetLineRow(), right - left + 1, 1), palette().color(QPalette::Mid));
}

CQVSeparator::CQVSeparator(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

CQVSeparator::~CQVSeparator() = default;

QSize CQVSeparator::sizeHint() const
{
    return QSize(40, 3);
}

void CQVSeparator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, GetLineRow(), width(), 1), palette().color(QPalette::Mid));
}
