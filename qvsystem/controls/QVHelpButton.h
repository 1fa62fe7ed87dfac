#pragma once
// The help button of dialogs and property sheets: a narrow push button that shows a
// question-mark symbol. Its text ("Help") stays the button's text for keyboard mnemonics,
// screen readers and the tooltip, but is not painted, so the button can be narrow.

#include "qvsystem/qvsystem_export.h"

#include <QPushButton>

class QVSYSTEM_EXPORT CQVHelpButton : public QPushButton {
    Q_OBJECT

public:
    explicit CQVHelpButton(QWidget* parent = nullptr);
    ~CQVHelpButton() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The question-mark symbol at the size, in the colours of the palette.
    static QPixmap HelpSymbol(int size, qreal devicePixelRatio, const QPalette& palette, bool enabled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
};
