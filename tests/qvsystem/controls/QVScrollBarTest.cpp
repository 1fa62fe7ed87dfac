#include "ListCtrlDriver.h"
#include "TestSupport.h"

#include "qvsystem/controls/QVScrollBar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using corda::test::CTestList;

namespace {

// A ground that no style paints a scroll bar with: where a paint leaves the bar uncovered,
// or covers it differently, it shows.
const QColor GROUND(200, 30, 160);

// A bar rendered alone over the ground, at a device pixel ratio (0: the bar's own).
QImage Shot(QWidget& bar, qreal ratio = 0)
{
    if (ratio == 0)
        ratio = bar.devicePixelRatioF();
    QImage image(static_cast<int>(std::ceil(bar.width() * ratio)),
                 static_cast<int>(std::ceil(bar.height() * ratio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(GROUND);
    bar.render(&image);
    return image;
}

// Where two pictures differ first; empty when they are the same.
std::string Difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return "sizes differ";
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            if (left.pixel(x, y) != right.pixel(x, y)) {
                return QStringLiteral("pixel (%1, %2): %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(left.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(right.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .toStdString();
            }
        }
    }
    return {};
}

// A plain bar whose slider can be found.
class CPlainBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    QPoint SliderCentre() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()
            ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this)
            .center();
    }
};

// A kept-picture bar and a plain one of the same size in a shown window, at odd offsets, so
// that anything a style aligns to the window rather than the bar (brush patterns) shows.
class CBarPair {
public:
    static constexpr int LENGTH = 203;
    static constexpr int BREADTH = 17;
    static constexpr int APART = 40;

    CBarPair(Qt::Orientation orientation, QStyle* style)
    {
        m_window.setGeometry(301, 257, 2 * LENGTH + 40, 2 * LENGTH + 40);
        m_pKept = new CQVScrollBar(orientation, &m_window);
        m_pPlain = new CPlainBar(orientation, &m_window);
        const QSize size = orientation == Qt::Vertical ? QSize(BREADTH, LENGTH) : QSize(LENGTH, BREADTH);
        m_pKept->setGeometry(QRect(QPoint(3, 5), size));
        // Apart by a multiple of 8, so that the plain bar lies at the same phase of any pattern.
        m_pPlain->setGeometry(orientation == Qt::Vertical ? QRect(QPoint(3 + APART, 5), size)
                                                          : QRect(QPoint(3, 5 + APART), size));
        if (style) {
            m_pKept->setStyle(style);
            m_pPlain->setStyle(style);
        }
        m_window.show();
        m_bExposed = QTest::qWaitForWindowExposed(&m_window);
    }

    bool Exposed() const { return m_bExposed; }
    CQVScrollBar& Kept() { return *m_pKept; }
    CPlainBar& Plain() { return *m_pPlain; }
    QWidget& Window() { return m_window; }

    void ForBoth(const std::function<void(QScrollBar&)>& change)
    {
        change(*m_pKept);
        change(*m_pPlain);
    }

    // The two bars as the window's own paint draws them.
    std::string WindowDifference()
    {
        const QImage window = m_window.grab().toImage();
        const qreal ratio = window.devicePixelRatio();
        const auto pixels = [ratio](const QRect& rect) {
            return QRect((QPointF(rect.topLeft()) * ratio).toPoint(), QSizeF(rect.size() * ratio).toSize());
        };
        return Difference(window.copy(pixels(m_pKept->geometry())),
                          window.copy(pixels(m_pPlain->geometry())));
    }

private:
    QWidget m_window;
    CQVScrollBar* m_pKept = nullptr;
    CPlainBar* m_pPlain = nullptr;
    bool m_bExposed = false;
};

struct BarState {
    const char* name;
    std::function<void(QScrollBar&)> apply;
};

std::vector<BarState> States()
{
    return {
        {"0..100 at 0", [](QScrollBar& bar) { bar.setValue(0); }},
        {"0..100 at 50", [](QScrollBar& bar) { bar.setValue(50); }},
        {"0..100 at 100", [](QScrollBar& bar) { bar.setValue(100); }},
        {"disabled",
         [](QScrollBar& bar) {
             bar.setValue(30);
             bar.setEnabled(false);
         }},
        {"0..0", [](QScrollBar& bar) { bar.setRange(0, 0); }},
        {"page step 37",
         [](QScrollBar& bar) {
             bar.setPageStep(37);
             bar.setValue(20);
         }},
        {"right to left",
         [](QScrollBar& bar) {
             bar.setLayoutDirection(Qt::RightToLeft);
             bar.setValue(25);
         }},
        {"inverted",
         [](QScrollBar& bar) {
             bar.setInvertedAppearance(true);
             bar.setValue(60);
         }},
    };
}

void Reset(QScrollBar& bar)
{
    bar.setEnabled(true);
    bar.setLayoutDirection(Qt::LeftToRight);
    bar.setInvertedAppearance(false);
    bar.setRange(0, 100);
    bar.setPageStep(10);
    bar.setSingleStep(1);
    bar.setValue(0);
}

// Every state, both orientations: the first paint and one served from the kept picture give
// the plain bar's pixels. Rendered at other device pixel ratios than the bar's own (1, 2 and
// 1.5 are tried) the bar paints through the style, as the style draws for the widget's ratio.
void ExpectStylesPixels(QStyle* style)
{
    for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        CBarPair bars(orientation, style);
        ASSERT_TRUE(bars.Exposed());
        ASSERT_FALSE(bars.Kept().underMouse());
        const qreal own = bars.Kept().devicePixelRatioF();
        for (const BarState& state : States()) {
            SCOPED_TRACE(testing::Message()
                         << (orientation == Qt::Vertical ? "vertical, " : "horizontal, ") << state.name);
            bars.ForBoth(Reset);
            bars.ForBoth(state.apply);
            for (const qreal ratio : {own, 1.0, 2.0, 1.5}) {
                SCOPED_TRACE(testing::Message() << "ratio " << ratio);
                const QImage plain = Shot(bars.Plain(), ratio);
                const QImage first = Shot(bars.Kept(), ratio);
                const uint64_t served = bars.Kept().GetCachedPaintCount();
                const QImage again = Shot(bars.Kept(), ratio);
                if (ratio == own)
                    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), served + 1) << "the picture was not kept";
                else
                    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), served)
                        << "a picture at another ratio was used";
                EXPECT_EQ(Difference(first, plain), "");
                EXPECT_EQ(Difference(again, plain), "");
            }
            // Painted into the window at an odd offset, first and from the kept picture.
            EXPECT_EQ(bars.WindowDifference(), "");
            const uint64_t served = bars.Kept().GetCachedPaintCount();
            EXPECT_EQ(bars.WindowDifference(), "");
            EXPECT_EQ(bars.Kept().GetCachedPaintCount(), served + 1);
        }
    }
}

std::unique_ptr<QStyle> MakeStyle(const char* name)
{
    if (!QStyleFactory::keys().contains(QLatin1String(name), Qt::CaseInsensitive))
        return nullptr;
    return std::unique_ptr<QStyle>(QStyleFactory::create(QLatin1String(name)));
}

} // namespace

TEST(QVScrollBarTest, KeptPictureHasFusionPixels)
{
    const std::unique_ptr<QStyle> fusion = MakeStyle("Fusion");
    ASSERT_TRUE(fusion);
    ExpectStylesPixels(fusion.get());
    // And the program's own style, whatever it is here.
    ExpectStylesPixels(nullptr);
}

TEST(QVScrollBarTest, KeptPictureHasWindowsPixels)
{
    const std::unique_ptr<QStyle> windows = MakeStyle("Windows");
    if (!windows)
        GTEST_SKIP() << "no Windows style here";
    ExpectStylesPixels(windows.get());
}

TEST(QVScrollBarTest, ChangesAreDrawnAfresh)
{
    const std::unique_ptr<QStyle> fusion = MakeStyle("Fusion");
    ASSERT_TRUE(fusion);
    const std::unique_ptr<QStyle> windows = MakeStyle("Windows");
    CBarPair bars(Qt::Vertical, fusion.get());
    ASSERT_TRUE(bars.Exposed());
    bars.Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&bars.Window()));
    bars.ForBoth([](QScrollBar& bar) {
        bar.setRange(0, 100);
        bar.setValue(10);
    });

    QPalette red = bars.Kept().palette();
    red.setColor(QPalette::Button, Qt::red);
    red.setColor(QPalette::Window, Qt::darkRed);
    std::vector<BarState> changes = {
        {"setValue", [](QScrollBar& bar) { bar.setValue(70); }},
        {"setRange", [](QScrollBar& bar) { bar.setRange(0, 40); }},
        {"setMaximum", [](QScrollBar& bar) { bar.setMaximum(bar.maximum() + 50); }},
        {"setSingleStep", [](QScrollBar& bar) { bar.setSingleStep(7); }},
        {"right to left", [](QScrollBar& bar) { bar.setLayoutDirection(Qt::RightToLeft); }},
        {"setPageStep", [](QScrollBar& bar) { bar.setPageStep(30); }},
        {"resize", [](QScrollBar& bar) { bar.resize(bar.width() + 3, bar.height() - 20); }},
        {"setEnabled(false)", [](QScrollBar& bar) { bar.setEnabled(false); }},
        {"setEnabled(true)", [](QScrollBar& bar) { bar.setEnabled(true); }},
        {"palette", [&red](QScrollBar& bar) { bar.setPalette(red); }},
        {"setInvertedAppearance", [](QScrollBar& bar) { bar.setInvertedAppearance(true); }},
        {"hidden and shown",
         [](QScrollBar& bar) {
             bar.hide();
             bar.show();
         }},
    };
    if (windows)
        changes.push_back({"style", [&windows](QScrollBar& bar) { bar.setStyle(windows.get()); }});
    else
        std::cout << "no Windows style here: the style change is not tried\n";

    for (const BarState& change : changes) {
        SCOPED_TRACE(change.name);
        Shot(bars.Kept());
        const uint64_t before = bars.Kept().GetCachedPaintCount();
        Shot(bars.Kept());
        ASSERT_EQ(bars.Kept().GetCachedPaintCount(), before + 1) << "no picture was kept before the change";

        bars.ForBoth(change.apply);
        const QImage changed = Shot(bars.Kept());
        EXPECT_EQ(bars.Kept().GetCachedPaintCount(), before + 1) << "the old picture was used";
        EXPECT_EQ(Difference(changed, Shot(bars.Plain())), "");
        // The new state's picture is kept in turn.
        Shot(bars.Kept());
        EXPECT_EQ(bars.Kept().GetCachedPaintCount(), before + 2);
    }

    // Focus shows in the option's state alone (one bar at a time has it).
    bars.ForBoth([](QScrollBar& bar) { bar.setFocusPolicy(Qt::StrongFocus); });
    Shot(bars.Kept());
    const uint64_t before = bars.Kept().GetCachedPaintCount();
    Shot(bars.Kept());
    ASSERT_EQ(bars.Kept().GetCachedPaintCount(), before + 1);
    bars.Kept().setFocus();
    ASSERT_TRUE(bars.Kept().hasFocus());
    const QImage focused = Shot(bars.Kept());
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), before + 1) << "the picture without focus was used";
    bars.Plain().setFocus();
    ASSERT_TRUE(bars.Plain().hasFocus());
    EXPECT_EQ(Difference(focused, Shot(bars.Plain())), "");
}

TEST(QVScrollBarTest, PaintsThroughTheStyleWherePicturesMayNotStand)
{
    // Fusion behind a proxy: a style not known to draw from the option alone.
    QProxyStyle proxy(QStyleFactory::create(QStringLiteral("Fusion")));
    CBarPair bars(Qt::Vertical, nullptr);
    ASSERT_TRUE(bars.Exposed());
    bars.ForBoth([](QScrollBar& bar) {
        bar.setRange(0, 100);
        bar.setValue(40);
    });
    Shot(bars.Kept());
    const uint64_t kept = bars.Kept().GetCachedPaintCount();

    // Hovered: the style is asked each time, with the hover state the plain bar has.
    bars.ForBoth([](QScrollBar& bar) { bar.setAttribute(Qt::WA_UnderMouse, true); });
    for (int paint = 0; paint < 2; ++paint)
        EXPECT_EQ(Difference(Shot(bars.Kept()), Shot(bars.Plain())), "");
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), kept);
    bars.ForBoth([](QScrollBar& bar) { bar.setAttribute(Qt::WA_UnderMouse, false); });
    // The picture from before the hover was let go: the first paint after it is drawn anew.
    Shot(bars.Kept());
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), kept);
    Shot(bars.Kept());
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), kept + 1);

    // The slider held down, as the plain bar draws it pressed.
    const QPoint slider = bars.Plain().SliderCentre();
    bars.ForBoth([&slider](QScrollBar& bar) { QTest::mousePress(&bar, Qt::LeftButton, {}, slider); });
    ASSERT_TRUE(bars.Kept().isSliderDown());
    for (int paint = 0; paint < 2; ++paint)
        EXPECT_EQ(Difference(Shot(bars.Kept()), Shot(bars.Plain())), "");
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), kept + 1);
    bars.ForBoth([&slider](QScrollBar& bar) { QTest::mouseRelease(&bar, Qt::LeftButton, {}, slider); });
    ASSERT_FALSE(bars.Kept().isSliderDown());
    // Released, the bar keeps a picture again (the release may have repainted it already).
    EXPECT_EQ(Difference(Shot(bars.Kept()), Shot(bars.Plain())), "");
    const uint64_t released = bars.Kept().GetCachedPaintCount();
    EXPECT_EQ(Difference(Shot(bars.Kept()), Shot(bars.Plain())), "");
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), released + 1);

    // A painter that does not put the bar on whole pixels gets the style's own drawing.
    QImage image(100, 300, QImage::Format_ARGB32_Premultiplied);
    QImage plainImage(100, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(GROUND);
    plainImage.fill(GROUND);
    for (int paint = 0; paint < 2; ++paint) {
        QPainter painter(&image);
        painter.translate(10.5, 3.25);
        bars.Kept().render(&painter);
    }
    {
        QPainter painter(&plainImage);
        painter.translate(10.5, 3.25);
        bars.Plain().render(&painter);
        bars.Plain().render(&painter);
    }
    EXPECT_EQ(Difference(image, plainImage), "");
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), released + 1);

    // The slider held down by the program, no mouse involved.
    bars.ForBoth([](QScrollBar& bar) { bar.setSliderDown(true); });
    for (int paint = 0; paint < 2; ++paint)
        EXPECT_EQ(Difference(Shot(bars.Kept()), Shot(bars.Plain())), "");
    EXPECT_EQ(bars.Kept().GetCachedPaintCount(), released + 1);
    bars.ForBoth([](QScrollBar& bar) { bar.setSliderDown(false); });

    const auto expectThroughTheStyle = [&bars, released] {
        for (int paint = 0; paint < 2; ++paint)
            EXPECT_EQ(Difference(Shot(bars.Kept()), Shot(bars.Plain())), "");
        EXPECT_EQ(bars.Kept().GetCachedPaintCount(), released + 1);
    };
    bars.ForBoth([&proxy](QScrollBar& bar) { bar.setStyle(&proxy); });
    {
        SCOPED_TRACE("proxy style");
        expectThroughTheStyle();
    }
    bars.ForBoth([](QScrollBar& bar) { bar.setStyle(nullptr); });
    bars.ForBoth(
        [](QScrollBar& bar) { bar.setStyleSheet(QStringLiteral("QScrollBar { background: #40a040; }")); });
    {
        SCOPED_TRACE("style sheet");
        expectThroughTheStyle();
    }
}

namespace {

// Counts the view's scroll bar slots, which must each be called once for a bar's signal.
class CCountingList : public CTestList {
public:
    explicit CCountingList(int rows) : CTestList(rows) {}

    int m_nVerticalValues = 0;
    int m_nVerticalActions = 0;
    int m_nHorizontalValues = 0;
    int m_nHorizontalActions = 0;

protected:
    void verticalScrollbarValueChanged(int value) override
    {
        ++m_nVerticalValues;
        CTestList::verticalScrollbarValueChanged(value);
    }
    void verticalScrollbarAction(int action) override
    {
        ++m_nVerticalActions;
        CTestList::verticalScrollbarAction(action);
    }
    void horizontalScrollbarValueChanged(int value) override
    {
        ++m_nHorizontalValues;
        CTestList::horizontalScrollbarValueChanged(value);
    }
    void horizontalScrollbarAction(int action) override
    {
        ++m_nHorizontalActions;
        CTestList::horizontalScrollbarAction(action);
    }
};

} // namespace

TEST(QVScrollBarTest, ListsHaveKeptPictureBarsThatScrollThem)
{
    CCountingList list(500);
    list.Declare(8); // wider than the list: both bars are needed
    auto* vertical = qobject_cast<CQVScrollBar*>(list.verticalScrollBar());
    auto* horizontal = qobject_cast<CQVScrollBar*>(list.horizontalScrollBar());
    ASSERT_TRUE(vertical);
    ASSERT_TRUE(horizontal);
    EXPECT_EQ(vertical->orientation(), Qt::Vertical);
    EXPECT_EQ(horizontal->orientation(), Qt::Horizontal);
    EXPECT_EQ(vertical->parentWidget()->parentWidget(), &list);
    EXPECT_EQ(list.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

    list.move(211, 173);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    ASSERT_TRUE(vertical->isVisible());
    ASSERT_TRUE(horizontal->isVisible());
    ASSERT_GT(vertical->maximum(), 0);
    ASSERT_GT(horizontal->maximum(), 0);

    // The bars scroll the list, and the view hears of each change once.
    const int values = list.m_nVerticalValues;
    const int actions = list.m_nVerticalActions;
    vertical->setValue(vertical->maximum());
    const QRect last = list.visualRect(list.model()->index(499, 0));
    EXPECT_TRUE(list.viewport()->rect().contains(last)) << "the last row is not shown at the end";
    EXPECT_GT(list.indexAt(QPoint(1, 1)).row(), 400);
    EXPECT_EQ(list.m_nVerticalValues, values + 1);
    vertical->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(list.indexAt(QPoint(1, 1)).row(), 0);
    EXPECT_EQ(list.m_nVerticalValues, values + 2);
    EXPECT_EQ(list.m_nVerticalActions, actions + 1);
    const int hValues = list.m_nHorizontalValues;
    const int hActions = list.m_nHorizontalActions;
    const int left = list.visualRect(list.model()->index(0, 0)).left();
    horizontal->setValue(horizontal->maximum());
    EXPECT_EQ(list.visualRect(list.model()->index(0, 0)).left(), left - horizontal->maximum());
    EXPECT_EQ(list.m_nHorizontalValues, hValues + 1);
    horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(list.visualRect(list.model()->index(0, 0)).left(), left);
    EXPECT_EQ(list.m_nHorizontalValues, hValues + 2);
    EXPECT_EQ(list.m_nHorizontalActions, hActions + 1);
    list.scrollToBottom();
    EXPECT_EQ(vertical->value(), vertical->maximum());

    // A relayout that changes nothing on the bars repaints them from their pictures.
    vertical->repaint();
    const uint64_t served = vertical->GetCachedPaintCount();
    list.doItemsLayout();
    vertical->repaint();
    EXPECT_EQ(vertical->GetCachedPaintCount(), served + 1);
}
