#include "qvsystem/controls/QVAnimateCtrl.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

const QColor MAGENTA(255, 0, 255);
const QColor FRAME_COLOURS[] = {QColor(200, 0, 0), QColor(0, 160, 0), QColor(0, 0, 200), QColor(200, 200, 0)};

// Four 10 x 8 frames, each a solid colour with a magenta right half.
QPixmap TestStrip()
{
    QImage strip(40, 8, QImage::Format_ARGB32);
    strip.fill(MAGENTA);
    QPainter painter(&strip);
    for (int i = 0; i < 4; ++i)
        painter.fillRect(QRect(i * 10, 0, 5, 8), FRAME_COLOURS[i]);
    painter.end();
    return QPixmap::fromImage(strip);
}

std::vector<unsigned> Shown(const QSignalSpy& spy)
{
    std::vector<unsigned> frames;
    for (const QList<QVariant>& signal : spy)
        frames.push_back(signal[0].toUInt());
    return frames;
}

class AnimateCtrlTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_animation.Open(TestStrip(), 10, 8, MAGENTA, 5), 1); }

    CQVAnimateCtrl m_animation;
};

} // namespace

// Guards against a single pass skipping or repeating frames, or not stopping by itself.
TEST_F(AnimateCtrlTest, OnePassShowsEveryFrameOnceAndStops)
{
    QSignalSpy frames(&m_animation, &CQVAnimateCtrl::FrameShown);
    QSignalSpy finished(&m_animation, &CQVAnimateCtrl::Finished);
    ASSERT_EQ(m_animation.Play(0, QV_ANIMATE_LAST_FRAME, 1), 1);
    EXPECT_TRUE(m_animation.IsPlaying());
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Shown(frames), (std::vector<unsigned>{0, 1, 2, 3}));
    EXPECT_TRUE(m_animation.IsStopped());

    // A range played twice.
    frames.clear();
    ASSERT_EQ(m_animation.Play(1, 2, 2), 1);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Shown(frames), (std::vector<unsigned>{1, 2, 1, 2}));

    // A repeat count of 0 plays the range once, its last frame included.
    frames.clear();
    ASSERT_EQ(m_animation.Play(0, 2, 0), 1);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Shown(frames), (std::vector<unsigned>{0, 1, 2}));

    // The last frame alone.
    frames.clear();
    ASSERT_EQ(m_animation.Play(3, QV_ANIMATE_LAST_FRAME, 1), 1);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Shown(frames), (std::vector<unsigned>{3}));
    EXPECT_EQ(finished.count(), 4);
}

// Guards against an endless animation ending by itself, or going on after Stop.
TEST_F(AnimateCtrlTest, EndlessRunsUntilStop)
{
    QSignalSpy frames(&m_animation, &CQVAnimateCtrl::FrameShown);
    QSignalSpy finished(&m_animation, &CQVAnimateCtrl::Finished);
    ASSERT_EQ(m_animation.Play(0, QV_ANIMATE_LAST_FRAME, QV_ANIMATE_FOREVER), 1);
    const QDeadlineTimer deadline(10000);
    while (frames.count() < 11 && !deadline.hasExpired())
        QTest::qWait(5);
    ASSERT_GE(frames.count(), 11);
    EXPECT_TRUE(m_animation.IsPlaying());
    EXPECT_EQ(finished.count(), 0);
    const std::vector<unsigned> shown = Shown(frames);
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], i % 4) << i;

    m_animation.Stop();
    EXPECT_TRUE(m_animation.IsStopped());
    EXPECT_EQ(finished.count(), 1);
    const int stoppedAt = frames.count();
    QTest::qWait(50);
    EXPECT_EQ(frames.count(), stoppedAt);
    m_animation.Stop(); // stopping a stopped animation changes nothing
    EXPECT_EQ(finished.count(), 1);
}

// Guards against invalid ranges starting an animation, and against frames, interval or the
// animation being changed while it plays.
TEST_F(AnimateCtrlTest, InvalidRangesAndChangesWhilePlayingAreRefused)
{
    EXPECT_EQ(m_animation.GetFrameCount(), 4u);
    EXPECT_TRUE(m_animation.IsValidFrameIndex(3));
    EXPECT_FALSE(m_animation.IsValidFrameIndex(4));
    EXPECT_EQ(m_animation.Play(4, QV_ANIMATE_LAST_FRAME, 1), 0);
    EXPECT_EQ(m_animation.Play(0, 4, 1), 0);
    EXPECT_EQ(m_animation.Play(2, 1, 1), 0);
    EXPECT_TRUE(m_animation.IsStopped());

    ASSERT_EQ(m_animation.Play(0, QV_ANIMATE_LAST_FRAME, QV_ANIMATE_FOREVER), 1);
    EXPECT_EQ(m_animation.Play(0, QV_ANIMATE_LAST_FRAME, 1), 0);
    EXPECT_EQ(m_animation.Open(TestStrip().copy(0, 0, 20, 8), 10, 8, MAGENTA, 5), 0);
    EXPECT_EQ(m_animation.GetFrameCount(), 4u);
    EXPECT_EQ(m_animation.SetFrameRate(100), 0);
    EXPECT_EQ(m_animation.GetFrameRate(), 5u);
    EXPECT_EQ(m_animation.Close(), 0);
    EXPECT_EQ(m_animation.GetFrameCount(), 4u);
    m_animation.Stop();

    EXPECT_EQ(m_animation.SetFrameRate(100), 1);
    EXPECT_EQ(m_animation.GetFrameRate(), 100u);
    EXPECT_EQ(m_animation.Close(), 1);
    EXPECT_EQ(m_animation.GetFrameCount(), 0u);
    EXPECT_EQ(m_animation.Play(0, QV_ANIMATE_LAST_FRAME, 1), 0);
}

// Guards against a failed load dropping the frames that were there.
TEST_F(AnimateCtrlTest, FailedOpenKeepsThePreviousFrames)
{
    EXPECT_EQ(m_animation.Open(QPixmap(), 10, 8, MAGENTA, 7), 0);
    EXPECT_EQ(m_animation.Open(TestStrip(), 0, 8, MAGENTA, 7), 0);
    EXPECT_EQ(m_animation.Open(TestStrip(), 41, 8, MAGENTA, 7), 0);
    EXPECT_EQ(m_animation.Open(TestStrip(), 10, 9, MAGENTA, 7), 0);
    EXPECT_EQ(m_animation.Open(4000000000u, 10, 8, MAGENTA, 7), 0);
    EXPECT_EQ(m_animation.GetFrameCount(), 4u);
    EXPECT_EQ(m_animation.GetFrameRate(), 5u);
    // A strip with a partial frame at its end keeps the whole ones.
    EXPECT_EQ(m_animation.Open(TestStrip().copy(0, 0, 35, 8), 10, 8, MAGENTA, 7), 1);
    EXPECT_EQ(m_animation.GetFrameCount(), 3u);
    EXPECT_EQ(m_animation.GetFrameRate(), 7u);
}

// Guards against the stopped control showing nothing or a later frame, the mask colour
// being painted, and a playing control not showing its current frame.
TEST(AnimateCtrlPaintTest, PaintsTheFirstFrameWhenStoppedAndTheCurrentOneWhilePlaying)
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::white);
    parent.setPalette(palette);
    auto* animation = new CQVAnimateCtrl(&parent);
    ASSERT_EQ(animation->Open(TestStrip(), 10, 8, MAGENTA, 5), 1);
    animation->setGeometry(0, 0, 10, 8);
    const QImage stopped = parent.grab(QRect(0, 0, 10, 8)).toImage();
    EXPECT_EQ(stopped.pixelColor(2, 4), FRAME_COLOURS[0]);
    EXPECT_EQ(stopped.pixelColor(7, 4), QColor(Qt::white));

    std::vector<QColor> painted;
    QObject::connect(animation, &CQVAnimateCtrl::FrameShown, animation, [&](unsigned) {
        painted.push_back(parent.grab(QRect(0, 0, 10, 8)).toImage().pixelColor(2, 4));
    });
    QSignalSpy finished(animation, &CQVAnimateCtrl::Finished);
    ASSERT_EQ(animation->Play(0, QV_ANIMATE_LAST_FRAME, 1), 1);
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_EQ(painted.size(), 4u);
    for (size_t i = 0; i < painted.size(); ++i)
        EXPECT_EQ(painted[i], FRAME_COLOURS[i]) << i;
    EXPECT_EQ(parent.grab(QRect(0, 0, 10, 8)).toImage().pixelColor(2, 4), FRAME_COLOURS[0]);
}

// Guards against the program's animation strip missing, cut wrongly, or blurry at 2x.
TEST(AnimateCtrlResourceTest, SyncAnimationHasFourFramesAtBothDensities)
{
    CQVAnimateCtrl animation;
    ASSERT_EQ(animation.Open(IDB_SYNC_ANIMATION, 32, 32, MAGENTA, 400), 1);
    EXPECT_EQ(animation.GetFrameCount(), 4u);
    EXPECT_EQ(animation.GetFrameRate(), 400u);
    EXPECT_EQ(animation.sizeHint(), QSize(32, 32));
    const QPixmap first = animation.GetFrame(0);
    EXPECT_EQ(first.deviceIndependentSize(), QSizeF(32, 32));
    EXPECT_NE(first.toImage(), animation.GetFrame(1).toImage());
    // The corners are transparent: the parent's background shows there.
    EXPECT_EQ(first.toImage().pixelColor(0, 0).alpha(), 0);

    const QPixmap strip2x(QStringLiteral(":/qvsystem/images/238@2x.png"));
    ASSERT_FALSE(strip2x.isNull());
    QPixmap dense = strip2x;
    dense.setDevicePixelRatio(2);
    ASSERT_EQ(animation.Open(dense, 32, 32, MAGENTA, 400), 1);
    EXPECT_EQ(animation.GetFrameCount(), 4u);
    EXPECT_EQ(animation.GetFrame(3).size(), QSize(64, 64));
    EXPECT_EQ(animation.GetFrame(3).deviceIndependentSize(), QSizeF(32, 32));
}
