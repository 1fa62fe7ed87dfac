#pragma once
// The lists' scroll bar. A list lays itself out again on every search keystroke, and the
// scroll area then sets its margins, lays its children out and raises both bars, which
// repaints them though nothing on them changed; a style's scroll bar (Fusion's gradients)
// costs a good part of a millisecond each time. This bar keeps the picture of its last paint
// with everything the style was given for it, and while none of that changes paints the
// picture again with one pixmap copy instead of asking the style.
//
// QScrollBar keeps its hovered and pressed parts to itself, so the picture is kept and used
// only while neither can be set: no mouse button down, the mouse not over the bar and the
// slider not down. Otherwise, and where the picture could not stand for the style's own
// drawing (a style other than Fusion or Windows, a style sheet, transient bars, a painter that
// does not map the bar onto whole device pixels at its own whole pixel ratio), the bar paints
// as QScrollBar does and keeps nothing.

#include "qvsystem/qvsystem_export.h"

#include <QPixmap>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <cstdint>

class QStyle;

class QVSYSTEM_EXPORT CQVScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit CQVScrollBar(QWidget* parent = nullptr);
    explicit CQVScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~CQVScrollBar() override;

    // Paints served from the kept picture.
    uint64_t GetCachedPaintCount() const { return m_nCachedPaints; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool MayKeepPicture() const;
    void DropPicture();

    QPixmap m_picture;
    // What the style was given for the kept picture, and the scale it was drawn at.
    QStyleOptionSlider m_pictureOption;
    const QStyle* m_pPictureStyle = nullptr;
    qreal m_dPictureScale = 0;
    uint64_t m_nCachedPaints = 0;
};
