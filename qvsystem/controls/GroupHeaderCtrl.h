#pragma once
// Theme-following dialog decorations: a group header (a text with a line running from just
// after it to the right edge, at the vertical centre) and a separator (a line across the
// vertical centre). Both are one pixel thick, in the style's frame colour (QPalette::Mid),
// on the parent's background; the header's text is in the window-text colour.

#include "qvsystem/qvsystem_export.h"

#include <QString>
#include <QWidget>

class QVSYSTEM_EXPORT CGroupHeaderCtrl : public QWidget {
    Q_OBJECT

public:
    // The gap between the text's end and the line.
    static constexpr int LINE_GAP = 5;

    explicit CGroupHeaderCtrl(QWidget* parent = nullptr);
    explicit CGroupHeaderCtrl(const QString& text, QWidget* parent = nullptr);
    ~CGroupHeaderCtrl() override;

    // "&" marks a mnemonic, as on a label; "&&" is an ampersand.
    void SetText(const QString& text);
    QString GetText() const { return m_strText; }

    // Where the line starts and ends, in widget coordinates (left > right when there is no
    // room for it), and the row it runs on.
    int GetLineLeft() const;
    int GetLineRow() const { return height() / 2; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int TextFlags() const;

    QString m_strText;
};

class QVSYSTEM_EXPORT CQVSeparator : public QWidget {
    Q_OBJECT

public:
    explicit CQVSeparator(QWidget* parent = nullptr);
    ~CQVSeparator() override;

    int GetLineRow() const { return height() / 2; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
