#include "cordalib/ui/ListItemDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {

constexpr QChar ELLIPSIS(0x2026);

// The styles whose item text is the common one: the background primitive, then the text
// inside the focus frame's margin. Others may draw texts their own way.
bool DrawsCommonItemText(const QStyle* style)
{
    const QString name = style->name();
    return name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

// Characters that the text layout treats otherwise than by their glyph: controls, the
// soft hyphen and the other format characters, line and paragraph separators, surrogates.
bool NeedsLayout(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x7F)
        return u < 0x20;
    if (u <= 0x9F || u == 0xAD || c.isSurrogate())
        return true;
    const QChar::Category category = c.category();
    return category == QChar::Other_Format || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph || c.isMark();
}

} // namespace

CListItemDelegate::CListItemDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), m_pView(view) {}

QColor CListItemDelegate::GetRowBackground(const QStyleOptionViewItem& option, int row) const
{
    if (option.state & QStyle::State_Selected)
        return option.palette.color(QPalette::Active, QPalette::Highlight);
    if (m_crAlternate.isValid() && (row % 2) == 1)
        return m_crAlternate;
    return option.palette.color(QPalette::Active, QPalette::Base);
}

QString CListItemDelegate::BoundedText(const QString& text, int cellWidth)
{
    const int limit = std::clamp(cellWidth, MIN_TEXT_PREFIX, MAX_TEXT_PREFIX);
    if (text.size() <= limit)
        return text;
    qsizetype cut = limit;
    // Never half of a surrogate pair.
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    // The ellipsis is there even when the prefix happens to fit (zero-width characters).
    return text.left(cut) + QChar(0x2026);
}

void CListItemDelegate::UseUnshapedText(QAbstractItemView* view)
{
    if (!view)
        return;
    // Only the strategy is set: the rest of the font still follows the parent's.
    QFont font;
    font.setStyleStrategy(QFont::PreferNoShaping);
    view->setFont(font);
}

void CListItemDelegate::KeepSelectionColoursWithoutFocus(QAbstractItemView* view)
{
    if (!view)
        return;
    QPalette palette = view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view->setPalette(palette);
}

void CListItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = BoundedText(option->text, option->rect.width());
    // The style picks its colours from the active group only when told the window is.
    option->state |= QStyle::State_Active;
    if (!(option->state & QStyle::State_Selected) && m_crAlternate.isValid() && (index.row() % 2) == 1)
        option->backgroundBrush = m_crAlternate;
}

bool CListItemDelegate::PaintCell(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const
{
    return false;
}

void CListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    if (PaintCell(painter, option, index))
        return;
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (PaintGlyphText(painter, cell)) {
        ++m_nGlyphDrawn;
        return;
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

bool CListItemDelegate::PrepareFont(const QFont& font) const
{
    if (m_bGlyphFontReady && font == m_glyphFont)
        return m_rawFont.isValid();
    m_glyphFont = font;
    m_bGlyphFontReady = true;
    m_rawFont = QRawFont::fromFont(font);
    if (!m_rawFont.isValid())
        return false;
    const QFontMetricsF metrics(font);
    m_rAscent = metrics.ascent();
    m_rHeight = metrics.height();
    const QList<quint32> ellipsis = m_rawFont.glyphIndexesForString(QString(ELLIPSIS));
    m_nEllipsisGlyph = ellipsis.size() == 1 ? ellipsis.front() : 0;
    m_rEllipsisWidth = 0;
    if (m_nEllipsisGlyph != 0)
        m_rEllipsisWidth =
            m_rawFont.advancesForGlyphIndexes(ellipsis, QRawFont::SeparateAdvances).value(0).x();
    if (m_nEllipsisGlyph == 0)
        m_rawFont = QRawFont(); // the layout spells the ellipsis out: left to it
    return m_rawFont.isValid();
}

bool CListItemDelegate::PaintGlyphText(QPainter* painter, const QStyleOptionViewItem& option) const
{
    constexpr auto layoutFeatures = QStyleOptionViewItem::HasCheckIndicator |
                                    QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    if (!m_bGlyphDrawing || (option.features & layoutFeatures) ||
        (option.state & (QStyle::State_Editing | QStyle::State_HasFocus)) ||
        option.direction != Qt::LeftToRight || option.textElideMode != Qt::ElideRight ||
        !(option.font.styleStrategy() & QFont::PreferNoShaping) || !DrawsCommonItemText(style) ||
        !PrepareFont(option.font))
        return false;
    const QString& text = option.text;
    for (QChar c : text) {
        if (NeedsLayout(c))
            return false;
    }
    // Into buffers kept from cell to cell: a repaint draws hundreds of cells.
    const int length = static_cast<int>(text.size());
    m_glyphs.resize(static_cast<size_t>(length) + 1);
    m_advances.resize(static_cast<size_t>(length) + 1);
    int count = length;
    if (length > 0) {
        if (!m_rawFont.glyphIndexesForChars(text.constData(), length, m_glyphs.data(), &count) ||
            count != length ||
            std::find(m_glyphs.begin(), m_glyphs.begin() + length, 0u) != m_glyphs.begin() + length)
            return false; // a character the font lacks: the layout finds one that has it
        if (!m_rawFont.advancesForGlyphIndexes(m_glyphs.data(), m_advances.data(), length,
                                               QRawFont::SeparateAdvances))
            return false;
    }

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
    qreal whole = 0;
    for (int i = 0; i < length; ++i)
        whole += m_advances[static_cast<size_t>(i)].x();
    // Cut as the layout's elision cuts: the longest prefix that leaves room for the ellipsis.
    int shown = length;
    bool elided = false;
    if (whole > textRect.width()) {
        elided = true;
        const qreal room = textRect.width() - m_rEllipsisWidth;
        qreal width = 0;
        shown = 0;
        while (shown < length && width + m_advances[static_cast<size_t>(shown)].x() <= room)
            width += m_advances[static_cast<size_t>(shown++)].x();
    }
    // The advances become positions; the ellipsis takes the place after the prefix.
    qreal x = 0;
    for (int i = 0; i < shown; ++i) {
        const qreal advance = m_advances[static_cast<size_t>(i)].x();
        m_advances[static_cast<size_t>(i)] = QPointF(x, 0);
        x += advance;
    }
    int glyphCount = shown;
    if (elided) {
        m_glyphs[static_cast<size_t>(shown)] = m_nEllipsisGlyph;
        m_advances[static_cast<size_t>(shown)] = QPointF(x, 0);
        x += m_rEllipsisWidth;
        ++glyphCount;
    }

    painter->save();
    painter->setClipRect(option.rect);
    // The item background as the common style fills it, without its call, which in Fusion
    // works its frame colours out anew for every cell.
    QPalette::ColorGroup background = (widget ? widget->isEnabled() : (option.state & QStyle::State_Enabled))
                                          ? QPalette::Normal
                                          : QPalette::Disabled;
    if (background == QPalette::Normal && !(option.state & QStyle::State_Active))
        background = QPalette::Inactive;
    if (option.state & QStyle::State_Selected) {
        painter->fillRect(option.rect, option.palette.brush(background, QPalette::Highlight));
    } else if (option.backgroundBrush.style() != Qt::NoBrush) {
        const QPointF origin = painter->brushOrigin();
        painter->setBrushOrigin(option.rect.topLeft());
        painter->fillRect(option.rect, option.backgroundBrush);
        painter->setBrushOrigin(origin);
    }
    if (glyphCount > 0) {
        QPalette::ColorGroup group =
            (option.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(option.state & QStyle::State_Active))
            group = QPalette::Inactive;
        painter->setPen(option.palette.color(
            group, (option.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        const Qt::Alignment alignment = option.displayAlignment;
        qreal left = textRect.left();
        if (alignment & Qt::AlignRight)
            left = textRect.left() + textRect.width() - x;
        else if (alignment & Qt::AlignHCenter)
            left = textRect.left() + (textRect.width() - x) / 2;
        qreal top = textRect.top() + (textRect.height() - m_rHeight) / 2;
        if (alignment & Qt::AlignTop)
            top = textRect.top();
        else if (alignment & Qt::AlignBottom)
            top = textRect.top() + textRect.height() - m_rHeight;
        m_glyphRun.setRawFont(m_rawFont);
        m_glyphRun.setRawData(m_glyphs.data(), m_advances.data(), glyphCount);
        painter->drawGlyphRun(QPointF(left, top + m_rAscent), m_glyphRun);
    }
    painter->restore();
    return true;
}
