#include "qvsystem/controls/SearchEdit.h"

#include "qvsystem/controls/ResourceImages.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionFrame>

#include <map>
#include <mutex>
#include <utility>

namespace {

// The two images cut from the strip, per pixel density, kept for the life of the process.
std::pair<QPixmap, QPixmap> LoadButtonImages(qreal ratio)
{
    static std::mutex mutex;
    static std::map<qreal, std::pair<QPixmap, QPixmap>> images;
    std::lock_guard lock(mutex);
    auto found = images.find(ratio);
    if (found != images.end())
        return found->second;
    std::pair<QPixmap, QPixmap> pair;
    const QPixmap strip = AfxLoadResourceBitmap(IDB_QV_SEARCHEDIT_BUTTONS, ratio);
    if (!strip.isNull()) {
        const qreal stripRatio = strip.devicePixelRatio();
        const int side = qRound(CSearchEdit::BUTTON_IMAGE_SIZE * stripRatio);
        pair.first = strip.copy(0, 0, side, side);
        pair.second = strip.copy(side, 0, side, side);
        pair.first.setDevicePixelRatio(stripRatio);
        pair.second.setDevicePixelRatio(stripRatio);
    }
    images.emplace(ratio, pair);
    return pair;
}

int ControlId(const QWidget* widget)
{
    return widget->objectName().toInt();
}

} // namespace

CSearchEdit::CSearchEdit(QWidget* parent) : CQVEdit(parent)
{
    // The image list is made by the first search edit and shared by all.
    LoadButtonImages(1.0);
    setMouseTracking(true);
    // The strip is reserved whether or not the button shows.
    setTextMargins(0, 0, BUTTON_STRIP_WIDTH, 0);
    m_nButtonState = RestingState();
    m_bHasText = !text().isEmpty();
    connect(this, &QLineEdit::textChanged, this, &CSearchEdit::OnTextChanged);
}

CSearchEdit::~CSearchEdit() = default;

QPixmap CSearchEdit::GetButtonImage(int index, qreal devicePixelRatio)
{
    if (index < 0 || index > 1)
        return {};
    const auto images = LoadButtonImages(devicePixelRatio > 1.0 ? 2.0 : 1.0);
    return index == 0 ? images.first : images.second;
}

int CSearchEdit::GetBorderWidth() const
{
    if (!hasFrame())
        return 0;
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
}

QRect CSearchEdit::GetButtonRect() const
{
    const int border = GetBorderWidth();
    const QRect inner = rect().adjusted(border, border, -border, -border);
    return QRect(inner.right() + 1 - BUTTON_STRIP_WIDTH, inner.top(), BUTTON_STRIP_WIDTH, inner.height());
}

bool CSearchEdit::HitTestButton(const QPoint& point) const
{
    const QRect button = GetButtonRect();
    // The centre as the edges count it: the middle between the first pixel and the one past
    // the last.
    const QPoint centre(button.left() + button.width() / 2, button.top() + button.height() / 2);
    const QRegion circle(QRect(centre.x() - 6, centre.y() - 6, 14, 14), QRegion::Ellipse);
    return button.contains(point) && circle.contains(point);
}

void CSearchEdit::SetButtonState(int state)
{
    if (m_nButtonState == state)
        return;
    m_nButtonState = state;
    update(GetButtonRect());
}

void CSearchEdit::paintEvent(QPaintEvent* event)
{
    // The strip lies inside the panel that the edit paints, in the background colour of its
    // state (the face colour while read-only unless overridden): the button needs only its
    // image on top, and a fill of its own would cover the frame's inner shading.
    CQVEdit::paintEvent(event);
    const QRect button = GetButtonRect();
    if (!m_bHasText || button.isEmpty())
        return;
    const QPixmap image = GetButtonImage(m_nButtonState == statePressed ? 0 : 1, devicePixelRatioF());
    if (image.isNull())
        return;
    QPainter painter(this);
    const QPoint centre(button.left() + button.width() / 2, button.top() + button.height() / 2);
    painter.drawPixmap(centre - QPoint(6, 6), image);
}

void CSearchEdit::UpdateStripCursor(const QPoint& point)
{
    const bool overStrip = IsInButtonStrip(point);
    if (overStrip != m_bArrowCursor) {
        m_bArrowCursor = overStrip;
        setCursor(overStrip ? Qt::ArrowCursor : Qt::IBeamCursor);
    }
    if (overStrip && m_nButtonState == stateNormal)
        SetButtonState(stateHot);
    else if (!overStrip && m_nButtonState == stateHot)
        SetButtonState(RestingState());
}

bool CSearchEdit::PressButton(const QPoint& point)
{
    if (!isEnabled() || m_bCapture || !HitTestButton(point))
        return false;
    m_bCapture = true;
    SetButtonState(statePressed);
    return true;
}

void CSearchEdit::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!IsInButtonStrip(point) && !m_bCapture) {
        CQVEdit::mousePressEvent(event);
        return;
    }
    // The strip is the border's: a click there never moves the caret or selects.
    if (event->button() == Qt::LeftButton)
        PressButton(point);
    event->accept();
}

void CSearchEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!IsInButtonStrip(point) && !m_bCapture) {
        CQVEdit::mouseDoubleClickEvent(event);
        return;
    }
    // The second press of a quick double click is a press of its own, not a word selection.
    if (event->button() == Qt::LeftButton)
        PressButton(point);
    event->accept();
}

void CSearchEdit::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_bCapture) {
        SetButtonState(HitTestButton(point) ? statePressed : stateNormal);
        event->accept();
        return;
    }
    UpdateStripCursor(point);
    // A selection dragged from the text may run over the strip.
    if (!IsInButtonStrip(point) || (event->buttons() & Qt::LeftButton))
        CQVEdit::mouseMoveEvent(event);
    else
        event->accept();
}

void CSearchEdit::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_bCapture && event->button() == Qt::LeftButton) {
        m_bCapture = false;
        update(GetButtonRect());
        if (HitTestButton(point))
            Click();
        SetButtonState(RestingState());
        UpdateStripCursor(point);
        event->accept();
        return;
    }
    if (m_bCapture || IsInButtonStrip(point)) {
        event->accept();
        return;
    }
    CQVEdit::mouseReleaseEvent(event);
}

void CSearchEdit::leaveEvent(QEvent* event)
{
    if (m_nButtonState == stateHot)
        SetButtonState(RestingState());
    CQVEdit::leaveEvent(event);
}

void CSearchEdit::changeEvent(QEvent* event)
{
    CQVEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_bCapture = false;
        SetButtonState(RestingState());
        update(GetButtonRect());
    }
}

void CSearchEdit::OnTextChanged(const QString& text)
{
    const bool hasText = !text.isEmpty();
    if (hasText == m_bHasText)
        return;
    m_bHasText = hasText;
    update(GetButtonRect());
}

void CSearchEdit::Click()
{
    setFocus(Qt::MouseFocusReason);
    m_nButtonState = statePressed;
    repaint(GetButtonRect());
    emit CommandNotification(EN_QV_CLEARBUTTON, ControlId(this));
    m_nButtonState = RestingState();
    update(GetButtonRect());
}
