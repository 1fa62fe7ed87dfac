#pragma once
// The search field: an edit with a round clear button at its right end.
//
// A 20-pixel strip inside the right border is kept free of text for the button; over the
// strip the mouse shows the arrow cursor and clicks never reach the text. The button is a
// 14-pixel circle in the strip and shows its image only while there is text. A click on it
// (press and release on the button) emits CommandNotification with EN_QV_CLEARBUTTON and
// the control id (the object name as a number); the parent clears the text itself.
// Button states: disabled 0, hot 1 (the mouse over the strip), normal 2, pressed 3.

#include "qvsystem/controls/QVEdit.h"
#include "qvsystem/qvsystem_export.h"

#include <QPixmap>
#include <QRect>

// The clear button was clicked.
inline constexpr int EN_QV_CLEARBUTTON = 0x83FD;
// The strip of the two 12 x 12 button images: pressed, then normal.
inline constexpr unsigned IDB_QV_SEARCHEDIT_BUTTONS = 24027;

class QVSYSTEM_EXPORT CSearchEdit : public CQVEdit {
    Q_OBJECT

public:
    enum ButtonState { stateDisabled = 0, stateHot = 1, stateNormal = 2, statePressed = 3 };

    static constexpr int BUTTON_STRIP_WIDTH = 20;
    static constexpr int BUTTON_IMAGE_SIZE = 12;

    explicit CSearchEdit(QWidget* parent = nullptr);
    ~CSearchEdit() override;

    bool IsClearButtonPressed() const { return m_nButtonState == statePressed; }
    int GetButtonState() const { return m_nButtonState; }

    // The strip inside the right, top and bottom borders, in widget coordinates.
    QRect GetButtonRect() const;
    // True when the point lies in the button's circle: the ellipse from the strip's centre
    // minus 6 to its centre plus 8 both ways.
    bool HitTestButton(const QPoint& point) const;
    bool IsInButtonStrip(const QPoint& point) const { return GetButtonRect().contains(point); }

    // One of the two images shared by every search edit (0 pressed, 1 normal), for a screen
    // of the given pixel density; null when the images are missing.
    static QPixmap GetButtonImage(int index, qreal devicePixelRatio);

signals:
    // The parent's command: the notification code and the control id.
    void CommandNotification(int notificationCode, int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int GetBorderWidth() const;
    int RestingState() const { return isEnabled() ? stateNormal : stateDisabled; }
    void SetButtonState(int state);
    void UpdateStripCursor(const QPoint& point);
    bool PressButton(const QPoint& point);
    void OnTextChanged(const QString& text);
    void Click();

    int m_nButtonState = stateNormal;
    bool m_bCapture = false;
    bool m_bHasText = false;
    bool m_bArrowCursor = false;
};
