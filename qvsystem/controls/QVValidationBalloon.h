#pragma once
// The balloon that shows a validation failure: a tooltip-coloured rounded box with a pointer
// toward the control whose data were refused, a bold title with an icon, and the text. It is
// a top-level tooltip window owned by a dialog or page and never takes the focus.
//
// While shown, the balloon is hidden by the next change of focus that touches its owner's
// window (tabbing, clicking another control, another window taking the focus), by any mouse
// press in that window or on the balloon, and by a move of that window. The watching is
// process-wide and exists only while at least one balloon is shown.

#include "qvsystem/qvsystem_export.h"

#include <QPainterPath>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

// Balloon icons (the values of the platform's tooltip title icons).
inline constexpr int TTI_NONE = 0;
inline constexpr int TTI_INFO = 1;
inline constexpr int TTI_WARNING = 2;
inline constexpr int TTI_ERROR = 3;

class QVSYSTEM_EXPORT CQVValidationBalloon : public QWidget {
    Q_OBJECT

public:
    // The owner is the dialog or page whose data the balloon talks about; the balloon is its
    // child object and goes with it.
    explicit CQVValidationBalloon(QWidget* owner);
    ~CQVValidationBalloon() override;

    // Shows the balloon pointing at the horizontal centre of the rectangle's bottom edge
    // (screen coordinates); the title (with the icon, 0 to 3) only when it is not empty.
    // Where there is no room below the rectangle on its screen, the balloon points at the
    // top edge from above. False, and nothing shown, when the text is empty or the balloon
    // is already shown.
    bool Activate(int icon, const QString& title, const QString& text, const QRect& screenRect);
    // Hides the balloon; false when it was not shown.
    bool Deactivate();
    bool IsActive() const { return m_bActive; }

    QWidget* GetOwner() const { return m_pOwner; }
    // The screen point the pointer's tip touches.
    QPoint GetTipPoint() const { return m_ptTip; }
    bool IsPointingDown() const { return m_bPointingDown; }
    int GetIcon() const { return m_nIcon; }
    const QString& GetTitle() const { return m_strTitle; }
    const QString& GetText() const { return m_strText; }

    // The number of balloons shown in the process, and whether the focus and mouse watching
    // is installed (exactly while that number is not 0).
    static int GetActiveCount();
    static bool IsWatchInstalled();

signals:
    // Emitted after the balloon was hidden, whatever hid it.
    void Deactivated();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout(const QRect& screenRect);
    QPainterPath BalloonPath() const;

    QPointer<QWidget> m_pOwner;
    bool m_bActive = false;
    int m_nIcon = TTI_NONE;
    QString m_strTitle;
    QString m_strText;
    QPoint m_ptTip;
    bool m_bPointingDown = false;
    // Geometry in the balloon's own coordinates.
    QRect m_rcBody;
    QPoint m_ptLocalTip;
    int m_nStemX = 0;
    QRect m_rcIcon;
    QRect m_rcTitle;
    QRect m_rcText;
};
