#include "qvsystem/controls/QVValidationBalloon.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace {

constexpr int MARGIN = 9;
constexpr int RADIUS = 6;
constexpr int STEM_HEIGHT = 11;
constexpr int STEM_HALF_WIDTH = 9;
constexpr int ICON_SIZE = 16;
constexpr int ICON_GAP = 6;
constexpr int TITLE_GAP = 5;
constexpr int MAX_TEXT_WIDTH = 300;

// Watches focus changes, mouse presses and window moves for every balloon that is shown.
// It exists and is connected only while at least one balloon is shown.
class CBalloonWatch : public QObject {
public:
    static CBalloonWatch* Instance(bool create)
    {
        static QPointer<CBalloonWatch> s_watch;
        if (!s_watch && create && qApp)
            s_watch = new CBalloonWatch(qApp);
        return s_watch;
    }

    void Add(CQVValidationBalloon* balloon)
    {
        if (std::find(m_balloons.begin(), m_balloons.end(), balloon) != m_balloons.end())
            return;
        m_balloons.push_back(balloon);
        if (m_balloons.size() == 1) {
            m_focusConnection =
                connect(qApp, &QApplication::focusChanged, this, &CBalloonWatch::OnFocusChanged);
            qApp->installEventFilter(this);
        }
    }

    void Remove(CQVValidationBalloon* balloon)
    {
        const auto it = std::find(m_balloons.begin(), m_balloons.end(), balloon);
        if (it == m_balloons.end())
            return;
        m_balloons.erase(it);
        if (m_balloons.empty()) {
            disconnect(m_focusConnection);
            qApp->removeEventFilter(this);
        }
    }

    int Count() const { return static_cast<int>(m_balloons.size()); }
    bool IsInstalled() const { return static_cast<bool>(m_focusConnection); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
            if (watched->isWidgetType())
                HideWhere([widget = static_cast<QWidget*>(watched)](CQVValidationBalloon* balloon,
                                                                    QWidget* window) {
                    return widget == balloon || widget->window() == window;
                });
            break;
        case QEvent::Move:
            if (watched->isWidgetType())
                HideWhere([widget = static_cast<QWidget*>(watched)](CQVValidationBalloon*, QWidget* window) {
                    return widget == window;
                });
            break;
        default:
            break;
        }
        return false;
    }

private:
    explicit CBalloonWatch(QObject* parent) : QObject(parent) {}

    void OnFocusChanged(QWidget* old, QWidget* now)
    {
        HideWhere([old, now](CQVValidationBalloon*, QWidget* window) {
            return (old && old->window() == window) || (now && now->window() == window);
        });
    }

    template <typename Test> void HideWhere(Test test)
    {
        // Hiding removes balloons from the list, so work on a copy.
        const std::vector<CQVValidationBalloon*> balloons = m_balloons;
        for (CQVValidationBalloon* balloon : balloons) {
            QWidget* owner = balloon->GetOwner();
            QWidget* window = owner ? owner->window() : nullptr;
            if (test(balloon, window))
                balloon->Deactivate();
        }
    }

    std::vector<CQVValidationBalloon*> m_balloons;
    QMetaObject::Connection m_focusConnection;
};

QIcon IconFor(int icon, const QStyle* style)
{
    switch (icon) {
    case TTI_INFO:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case TTI_WARNING:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case TTI_ERROR:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default:
        return QIcon();
    }
}

QFont BoldFont(QFont font)
{
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

CQVValidationBalloon::CQVValidationBalloon(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), m_pOwner(owner)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    setObjectName(QStringLiteral("qv_validation_balloon"));
}

CQVValidationBalloon::~CQVValidationBalloon()
{
    if (CBalloonWatch* watch = CBalloonWatch::Instance(false))
        watch->Remove(this);
}

bool CQVValidationBalloon::Activate(int icon, const QString& title, const QString& text,
                                    const QRect& screenRect)
{
    if (m_bActive || text.isEmpty())
        return false;
    m_nIcon = (icon >= TTI_NONE && icon <= TTI_ERROR) ? icon : TTI_NONE;
    m_strTitle = title;
    m_strText = text;
    Layout(screenRect);
    m_bActive = true;
    if (CBalloonWatch* watch = CBalloonWatch::Instance(true))
        watch->Add(this);
    show();
    update();
    return true;
}

bool CQVValidationBalloon::Deactivate()
{
    if (!m_bActive)
        return false;
    m_bActive = false;
    hide();
    if (CBalloonWatch* watch = CBalloonWatch::Instance(false))
        watch->Remove(this);
    emit Deactivated();
    return true;
}

int CQVValidationBalloon::GetActiveCount()
{
    const CBalloonWatch* watch = CBalloonWatch::Instance(false);
    return watch ? watch->Count() : 0;
}

bool CQVValidationBalloon::IsWatchInstalled()
{
    const CBalloonWatch* watch = CBalloonWatch::Instance(false);
    return watch && watch->IsInstalled();
}

void CQVValidationBalloon::Layout(const QRect& screenRect)
{
    const QFontMetrics metrics(font());
    const QFontMetrics boldMetrics(BoldFont(font()));
    const bool hasTitle = !m_strTitle.isEmpty();
    const bool hasIcon = hasTitle && m_nIcon != TTI_NONE;

    // Content: an optional title row (icon and bold title), then the text, wrapped.
    const QRect textBounds =
        metrics.boundingRect(QRect(0, 0, MAX_TEXT_WIDTH, 10000), Qt::TextWordWrap | Qt::AlignLeft, m_strText);
    int titleWidth = 0;
    int titleHeight = 0;
    if (hasTitle) {
        titleWidth = boldMetrics.horizontalAdvance(m_strTitle) + (hasIcon ? ICON_SIZE + ICON_GAP : 0);
        titleHeight = std::max(boldMetrics.height(), hasIcon ? ICON_SIZE : 0);
    }
    const int contentWidth = std::max(titleWidth, textBounds.width());
    const int contentHeight = titleHeight + (hasTitle ? TITLE_GAP : 0) + textBounds.height();
    const int bodyWidth = std::max(contentWidth + 2 * MARGIN, 2 * (RADIUS + STEM_HALF_WIDTH) + 2);
    const int bodyHeight = contentHeight + 2 * MARGIN;

    // Where to point: below the rectangle when the balloon fits on its screen, else above.
    const QPoint below(screenRect.left() + screenRect.width() / 2, screenRect.top() + screenRect.height());
    const QPoint above(below.x(), screenRect.top());
    const QScreen* screen = QGuiApplication::screenAt(below);
    if (!screen)
        screen = m_pOwner ? m_pOwner->screen() : QGuiApplication::primaryScreen();
    const QRect available =
        screen ? screen->availableGeometry() : QRect(below - QPoint(5000, 5000), QSize(10000, 10000));
    const int windowHeight = bodyHeight + STEM_HEIGHT;
    m_bPointingDown =
        below.y() + windowHeight > available.bottom() + 1 && above.y() - windowHeight >= available.top();
    m_ptTip = m_bPointingDown ? above : below;

    int left = m_ptTip.x() - bodyWidth / 2;
    left = std::max(available.left(), std::min(left, available.right() + 1 - bodyWidth));
    const int top = m_bPointingDown ? m_ptTip.y() - windowHeight : m_ptTip.y();

    m_rcBody = QRect(0, m_bPointingDown ? 0 : STEM_HEIGHT, bodyWidth, bodyHeight);
    m_ptLocalTip = QPoint(m_ptTip.x() - left, m_bPointingDown ? windowHeight : 0);
    m_nStemX = std::clamp(m_ptLocalTip.x(), RADIUS + STEM_HALF_WIDTH, bodyWidth - RADIUS - STEM_HALF_WIDTH);

    const QPoint content = m_rcBody.topLeft() + QPoint(MARGIN, MARGIN);
    m_rcIcon = hasIcon
                   ? QRect(content + QPoint(0, (titleHeight - ICON_SIZE) / 2), QSize(ICON_SIZE, ICON_SIZE))
                   : QRect();
    m_rcTitle = hasTitle ? QRect(content + QPoint(hasIcon ? ICON_SIZE + ICON_GAP : 0, 0),
                                 QSize(boldMetrics.horizontalAdvance(m_strTitle) + 1, titleHeight))
                         : QRect();
    m_rcText = QRect(content + QPoint(0, hasTitle ? titleHeight + TITLE_GAP : 0),
                     QSize(contentWidth, textBounds.height()));

    setGeometry(left, top, bodyWidth, windowHeight);

    // An X11 desktop without a compositor would show the translucent corners as a box: there
    // the mask keeps the window to the balloon's shape. Wayland always composites, and other
    // platforms (offscreen) have no masks.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QBitmap mask(size());
        mask.fill(Qt::color0);
        QPainter painter(&mask);
        painter.setPen(QPen(Qt::color1, 2));
        painter.setBrush(Qt::color1);
        painter.drawPath(BalloonPath());
        painter.end();
        setMask(mask);
    }
}

QPainterPath CQVValidationBalloon::BalloonPath() const
{
    QPainterPath body;
    const QRectF rect = QRectF(m_rcBody).adjusted(0.5, 0.5, -0.5, -0.5);
    body.addRoundedRect(rect, RADIUS, RADIUS);
    QPainterPath stem;
    const qreal edge = m_bPointingDown ? rect.bottom() - 1.0 : rect.top() + 1.0;
    stem.moveTo(m_nStemX - STEM_HALF_WIDTH, edge);
    stem.lineTo(m_ptLocalTip.x() + 0.5, m_bPointingDown ? m_ptLocalTip.y() - 0.5 : m_ptLocalTip.y() + 0.5);
    stem.lineTo(m_nStemX + STEM_HALF_WIDTH, edge);
    stem.closeSubpath();
    return body.united(stem).simplified();
}

void CQVValidationBalloon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor border = pal.color(QPalette::ToolTipText);
    border.setAlpha(140);
    painter.setPen(QPen(border, 1.0));
    painter.setBrush(pal.color(QPalette::ToolTipBase));
    painter.drawPath(BalloonPath());

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pal.color(QPalette::ToolTipText));
    if (!m_rcIcon.isNull()) {
        const QIcon icon = IconFor(m_nIcon, style());
        icon.paint(&painter, m_rcIcon);
    }
    if (!m_rcTitle.isNull()) {
        painter.setFont(BoldFont(font()));
        painter.drawText(m_rcTitle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_strTitle);
        painter.setFont(font());
    }
    painter.drawText(m_rcText, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_strText);
}
