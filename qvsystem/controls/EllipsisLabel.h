#pragma once
// A one-line text control that shortens its text with an ellipsis when it does not fit,
// in the three ways of the platform's static controls: at the end, in the middle of a
// path (keeping the file name), or after the last whole word that fits. The full text
// stays the control's text; the tooltip shows it while it is shortened.

#include "qvsystem/qvsystem_export.h"

#include <QLabel>
#include <QString>

// Ellipsis style bits of static controls.
inline constexpr unsigned SS_ENDELLIPSIS = 0x4000;
inline constexpr unsigned SS_PATHELLIPSIS = 0x8000;
inline constexpr unsigned SS_WORDELLIPSIS = 0xC000;
inline constexpr unsigned SS_ELLIPSISMASK = 0xC000;

class QVSYSTEM_EXPORT CEllipsisLabel : public QLabel {
    Q_OBJECT

public:
    explicit CEllipsisLabel(QWidget* parent = nullptr);

    void SetText(const QString& text);
    const QString& GetText() const { return m_strText; }
    // Only the ellipsis bits count; 0 shows the text clipped, as it is.
    void SetEllipsisStyle(unsigned style);
    unsigned GetEllipsisStyle() const { return m_nEllipsisStyle; }
    // What the control shows now.
    QString GetDisplayedText() const { return text(); }

    // The text shortened to fit the width in the font's metrics.
    static QString ElideText(const QString& text, unsigned style, const QFontMetrics& metrics, int width);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateDisplayedText();

    QString m_strText;
    unsigned m_nEllipsisStyle = SS_ENDELLIPSIS;
};
