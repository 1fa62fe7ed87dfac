#include "qvsystem/controls/EllipsisLabel.h"

#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

namespace {

const QChar ELLIPSIS(0x2026);

int LastSeparator(const QString& text)
{
    return std::max(text.lastIndexOf(QLatin1Char('/')), text.lastIndexOf(QLatin1Char('\\')));
}

// A path shortened in its folders: as much as possible of what follows the last
// separator is kept, the folders before it give way first.
QString ElidePath(const QString& text, const QFontMetrics& metrics, int width)
{
    const int separator = LastSeparator(text);
    if (separator <= 0)
        return metrics.elidedText(text, Qt::ElideRight, width);
    const QString name = text.mid(separator);
    const int room = width - metrics.horizontalAdvance(name);
    if (room > metrics.horizontalAdvance(ELLIPSIS)) {
        const QString folders = metrics.elidedText(text.left(separator), Qt::ElideRight, room);
        if (!folders.isEmpty())
            return folders + name;
    }
    // Not even the name fits: its end (the extension) stays visible.
    return metrics.elidedText(ELLIPSIS + name, Qt::ElideLeft, width);
}

// The words that fit whole, then the ellipsis.
QString ElideWords(const QString& text, const QFontMetrics& metrics, int width)
{
    for (int end = text.lastIndexOf(QLatin1Char(' ')); end > 0;
         end = text.lastIndexOf(QLatin1Char(' '), end - 1)) {
        const QString candidate = text.left(end).trimmed() + ELLIPSIS;
        if (metrics.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

} // namespace

CEllipsisLabel::CEllipsisLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QString CEllipsisLabel::ElideText(const QString& text, unsigned style, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS:
        return metrics.elidedText(text, Qt::ElideRight, width);
    case SS_PATHELLIPSIS:
        return ElidePath(text, metrics, width);
    case SS_WORDELLIPSIS:
        return ElideWords(text, metrics, width);
    default:
        return text;
    }
}

void CEllipsisLabel::SetText(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    if (line == m_strText)
        return;
    m_strText = line;
    UpdateDisplayedText();
}

void CEllipsisLabel::SetEllipsisStyle(unsigned style)
{
    m_nEllipsisStyle = style & SS_ELLIPSISMASK;
    UpdateDisplayedText();
}

QSize CEllipsisLabel::minimumSizeHint() const
{
    return QSize(0, fontMetrics().height());
}

QSize CEllipsisLabel::sizeHint() const
{
    return QSize(fontMetrics().horizontalAdvance(m_strText), fontMetrics().height());
}

void CEllipsisLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    UpdateDisplayedText();
}

void CEllipsisLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateDisplayedText();
}

void CEllipsisLabel::UpdateDisplayedText()
{
    const int width = contentsRect().width();
    const QString shown = ElideText(m_strText, m_nEllipsisStyle, fontMetrics(), width);
    setText(shown);
    setToolTip(shown == m_strText ? QString() : m_strText);
}
