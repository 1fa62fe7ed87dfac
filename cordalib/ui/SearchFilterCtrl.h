#pragma once
// The search bar's field chooser: a line of clickable field names, "All - Title - ...", with
// a small arrow above the current one.
//
// Item i starts where item i - 1 ended plus the width of " - "; every item reaches from
// y = 5 to the font's height + 5, and the arrow (7 pixels wide, 4 rows) sits in rows 1 to 4
// above the current item's centre. The control paints no background, so its parent's shows
// through. A left click on an item other than the current one makes it current and sends
// CommandNotification(SFN_SELCHANGE, control id) (the id is the object name as a number).

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

// The current item was changed by a click.
inline constexpr int SFN_SELCHANGE = 0x8032;

class CSearchFilterCtrl : public QWidget {
    Q_OBJECT

public:
    static constexpr int ITEM_TOP = 5;
    static constexpr int ARROW_SIZE = 7;
    static constexpr int ARROW_ANCHOR_Y = 2;

    explicit CSearchFilterCtrl(QWidget* parent = nullptr);
    ~CSearchFilterCtrl() override;

    // The index of the new item.
    int AddItem(const QString& text);
    // The new current item, or -1 (nothing changes) for an index outside the list.
    int SetCurItem(int index);
    int GetCurItem() const { return m_nCurItem; }
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // An empty text for an index outside the list.
    QString GetItemText(int index) const;
    // The item's rectangle in the control's coordinates (empty outside the list).
    QRect GetItemRect(int index) const;
    // The item under the point, or -1.
    int HitTest(const QPoint& point) const;
    const QString& GetSeparator() const { return m_strSeparator; }

    void SetTextColour(const QColor& colour);
    void SetArrowColour(const QColor& colour);
    QColor GetTextColour() const { return m_textColour; }
    QColor GetArrowColour() const { return m_arrowColour; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void CommandNotification(int notificationCode, int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateCursor(const QPoint& point);

    QStringList m_items;
    int m_nCurItem = -1;
    QString m_strSeparator = QStringLiteral(" - ");
    QColor m_textColour;
    QColor m_arrowColour;
    bool m_bHandCursor = false;
};
