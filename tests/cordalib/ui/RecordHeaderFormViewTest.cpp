// The header panes above the lists: where the captions and boxes go, the separator lines,
// and what a caption click asks for.
#include "TestSupport.h"

#include "cordalib/ui/RecordHeaderFormView.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// A stand-in for a summary box: a filled rectangle, so that the picture shows what it covers.
QWidget* MakeBox(const QColor& colour)
{
    auto* box = new QWidget;
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, colour);
    box->setPalette(palette);
    return box;
}

class RecordHeaderFormViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_songs = std::make_unique<CSongHeaderFormView>();
        m_first = MakeBox(QColor(250, 250, 250));
        m_second = MakeBox(QColor(250, 250, 250));
        m_songs->SetSummaryBoxes(m_first, m_second);
        m_songs->resize(400, 175);
        m_songs->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_songs.get()));
    }

    std::unique_ptr<CSongHeaderFormView> m_songs;
    QWidget* m_first = nullptr;
    QWidget* m_second = nullptr;
};

// Guards against the halves overlapping or leaving more than the one-pixel separator, the
// odd pixel going to the wrong side, boxes starting on the caption row, and a pane lower
// than its captions giving boxes a negative height.
TEST_F(RecordHeaderFormViewTest, LayoutSplitsTheWidthAroundTheSeparator)
{
    const int c = m_songs->GetFirstCaption()->height();
    ASSERT_GT(c, m_songs->GetFirstCaption()->fontMetrics().height());
    EXPECT_EQ(m_songs->GetSecondCaption()->height(), c);
    struct CCase {
        int w, h, leftWidth, rightLeft, rightWidth;
    };
    for (const CCase& test : {CCase{400, 175, 200, 201, 199}, CCase{401, 175, 200, 201, 200},
                              CCase{1000, 300, 500, 501, 499}, CCase{3, 60, 1, 2, 1}}) {
        m_songs->resize(test.w, test.h);
        const QString at = QStringLiteral("%1 x %2").arg(test.w).arg(test.h);
        EXPECT_EQ(m_songs->GetFirstCaption()->geometry(), QRect(0, 0, test.leftWidth, c)) << at.toStdString();
        EXPECT_EQ(m_first->geometry(), QRect(0, c + 1, test.leftWidth, test.h - c - 1)) << at.toStdString();
        EXPECT_EQ(m_songs->GetSecondCaption()->geometry(), QRect(test.rightLeft, 0, test.rightWidth, c))
            << at.toStdString();
        EXPECT_EQ(m_second->geometry(), QRect(test.rightLeft, c + 1, test.rightWidth, test.h - c - 1))
            << at.toStdString();
        EXPECT_EQ(m_songs->GetSeparatorColumn(), test.w / 2);
        EXPECT_EQ(m_songs->GetSeparatorRow(), c);
    }
    m_songs->resize(400, c - 4);
    EXPECT_EQ(m_first->height(), 0);
    EXPECT_EQ(m_second->height(), 0);
    EXPECT_EQ(m_second->x(), 201);
}

// Guards against the separator lines missing, being covered by the boxes or captions, or
// drawn off by one into a box, at 1x and (under QT_SCALE_FACTOR=2) in device pixels.
TEST_F(RecordHeaderFormViewTest, SeparatorLinesFillTheGaps)
{
    m_songs->resize(401, 175);
    const QImage image = m_songs->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int ratio = qRound(image.devicePixelRatio());
    const QRgb line = m_songs->palette().color(QPalette::Dark).rgb();
    const QRgb box = qRgb(250, 250, 250);
    ASSERT_NE(line, box);
    const int column = m_songs->GetSeparatorColumn();
    const int row = m_songs->GetSeparatorRow();
    for (int y = 0; y < image.height(); y += 3)
        EXPECT_EQ(image.pixel(column * ratio, y), line) << y;
    for (int x = 0; x < image.width(); x += 3)
        EXPECT_EQ(image.pixel(x, row * ratio + ratio - 1), line) << x;
    // Just beside the lines lie the boxes.
    EXPECT_EQ(image.pixel(column * ratio - 1, 100 * ratio), box);
    EXPECT_EQ(image.pixel((column + 1) * ratio, 100 * ratio), box);
    EXPECT_EQ(image.pixel(50 * ratio, (row + 1) * ratio), box);
}

// Guards against a caption click going to the wrong box, reaching no box, or being reported
// when the pane has no box, and against the captions' texts and ids being mixed up.
TEST_F(RecordHeaderFormViewTest, CaptionClicksAskForTheAllRowOfTheirBox)
{
    EXPECT_EQ(m_songs->GetFirstCaption()->text(), QStringLiteral(" Artists"));
    EXPECT_EQ(m_songs->GetSecondCaption()->text(), QStringLiteral(" Albums"));
    EXPECT_EQ(m_songs->findChild<QWidget*>(QStringLiteral("73")), m_first);
    EXPECT_EQ(m_songs->findChild<QWidget*>(QStringLiteral("74")), m_second);
    EXPECT_EQ(m_songs->findChild<QLabel*>(QStringLiteral("23075")), m_songs->GetSecondCaption());
    EXPECT_TRUE(m_songs->GetFirstCaption()->font().bold());

    QSignalSpy spy(m_songs.get(), &CRecordHeaderFormView::SelectAllRequested);
    QTest::mouseClick(m_songs->GetSecondCaption(), Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QWidget*>(), m_second);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 74);
    QTest::mouseClick(m_songs->GetFirstCaption(), Qt::LeftButton);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).value<QWidget*>(), m_first);
    EXPECT_EQ(spy.at(1).at(1).toInt(), 73);
    QTest::mouseClick(m_songs->GetFirstCaption(), Qt::RightButton);
    // A click on a box itself is the box's own business.
    QTest::mouseClick(m_first, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 2);

    CLessonHeaderFormView lessons;
    lessons.resize(300, 175);
    EXPECT_EQ(lessons.GetFirstCaption()->text(), QStringLiteral(" Styles"));
    EXPECT_EQ(lessons.GetSecondCaption()->text(), QStringLiteral(" Levels"));
    QSignalSpy lessonSpy(&lessons, &CRecordHeaderFormView::SelectAllRequested);
    QTest::mouseClick(lessons.GetSecondCaption(), Qt::LeftButton);
    EXPECT_EQ(lessonSpy.count(), 0);
    QWidget* styles = MakeBox(Qt::white);
    QWidget* levels = MakeBox(Qt::white);
    lessons.SetSummaryBoxes(styles, levels);
    EXPECT_EQ(styles->objectName(), QStringLiteral("75"));
    QTest::mouseClick(lessons.GetSecondCaption(), Qt::LeftButton);
    ASSERT_EQ(lessonSpy.count(), 1);
    EXPECT_EQ(lessonSpy.at(0).at(0).value<QWidget*>(), levels);
    EXPECT_EQ(lessonSpy.at(0).at(1).toInt(), 76);
    // A box that went away is not reported.
    delete levels;
    QTest::mouseClick(lessons.GetSecondCaption(), Qt::LeftButton);
    EXPECT_EQ(lessonSpy.count(), 1);
    EXPECT_EQ(lessons.GetSecondSummaryBox(), nullptr);
}

// Guards against clipped caption texts at the pane's usual sizes; writes the pictures when
// asked to.
TEST_F(RecordHeaderFormViewTest, CaptionsShowTheirWholeText)
{
    for (int width : {300, 600}) {
        m_songs->resize(width, 175);
        for (QLabel* caption : {static_cast<QLabel*>(m_songs->GetFirstCaption()),
                                static_cast<QLabel*>(m_songs->GetSecondCaption())}) {
            EXPECT_GE(caption->width(), caption->fontMetrics().horizontalAdvance(caption->text()));
            EXPECT_GE(caption->height(), caption->fontMetrics().height());
        }
    }
    const QString folder = qEnvironmentVariable("CORDA_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        m_songs->resize(401, 175);
        const QString suffix = m_songs->devicePixelRatioF() > 1 ? QStringLiteral("@2x") : QString();
        EXPECT_TRUE(
            m_songs->grab().save(folder + QStringLiteral("/songheader") + suffix + QStringLiteral(".png")));
    }
}

} // namespace
