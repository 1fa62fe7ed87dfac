#include "qvsystem/controls/SearchEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

class SearchEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_window.resize(300, 60);
        m_edit = new CSearchEdit(&m_window);
        m_edit->setObjectName(QStringLiteral("1205"));
        m_edit->setGeometry(10, 10, 200, 24);
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    QPoint ButtonCentre() const
    {
        const QRect button = m_edit->GetButtonRect();
        return QPoint(button.left() + button.width() / 2 + 1, button.top() + button.height() / 2 + 1);
    }

    // Where the button image goes: 12 x 12 from the strip's centre minus 6.
    QRect ImageBox() const
    {
        const QRect button = m_edit->GetButtonRect();
        return QRect(button.left() + button.width() / 2 - 6, button.top() + button.height() / 2 - 6, 12, 12);
    }

    // The pixels of the area that differ from the background colour.
    int Marked(const QRect& area, QRgb background) const
    {
        const QImage image = m_edit->grab().toImage();
        int marked = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                marked += image.pixel(x, y) != background ? 1 : 0;
        }
        return marked;
    }

    QWidget m_window;
    CSearchEdit* m_edit = nullptr;
};

} // namespace

// Guards against the button image showing for an empty field, the strip being given back
// to the text when the field is empty, and typed text running under the button.
TEST_F(SearchEditTest, StripIsReservedAndImageShowsOnlyWithText)
{
    const QRect strip = m_edit->GetButtonRect();
    EXPECT_EQ(strip.width(), CSearchEdit::BUTTON_STRIP_WIDTH);
    // Inside the right border, not past it.
    EXPECT_GE(m_edit->rect().right() - strip.right(), 0);
    EXPECT_LE(m_edit->rect().right() - strip.right(), 4);
    const QRgb background = m_edit->grab().toImage().pixel(ImageBox().center());
    EXPECT_EQ(Marked(ImageBox(), background), 0);

    m_edit->setText(QStringLiteral("Hello"));
    const int withImage = Marked(ImageBox(), background);
    EXPECT_GT(withImage, 20);

    // A text far wider than the field, scrolled to its end: nothing of it enters the strip
    // (left of the image, in the rows of the text), and the image is as before.
    const QRect leftOfImage(strip.left(), ImageBox().top(), ImageBox().left() - strip.left(), 12);
    m_edit->setText(QString(80, QLatin1Char('W')));
    m_edit->end(false);
    EXPECT_EQ(Marked(leftOfImage, background), 0);
    EXPECT_EQ(Marked(ImageBox(), background), withImage);
    // The control case: the same text does reach the pixels just left of the strip.
    EXPECT_GT(Marked(leftOfImage.translated(-leftOfImage.width() - 2, 0), background), 0);

    m_edit->clear();
    EXPECT_EQ(Marked(ImageBox(), background), 0);
}

// Guards against a click in the strip reaching the text (moving the caret), and against the
// edit text cursor showing over the strip.
TEST_F(SearchEditTest, StripTakesNoTextClicksAndShowsTheArrow)
{
    m_edit->setText(QStringLiteral("abc"));
    const QRect strip = m_edit->GetButtonRect();
    // A click just left of the strip moves the caret to the end: the control case.
    m_edit->setCursorPosition(0);
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, QPoint(strip.left() - 2, strip.center().y()));
    EXPECT_EQ(m_edit->cursorPosition(), 3);
    // Clicks in the strip, on and off the circle, leave it where it is.
    m_edit->setText(QString());
    m_edit->setText(QStringLiteral("abc"));
    m_edit->setCursorPosition(0);
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, strip.topLeft());
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, strip.bottomRight());
    QTest::mouseDClick(m_edit, Qt::LeftButton, {}, strip.topLeft());
    EXPECT_EQ(m_edit->cursorPosition(), 0);
    EXPECT_FALSE(m_edit->hasSelectedText());

    QTest::mouseMove(m_edit, strip.topLeft() + QPoint(1, 1));
    EXPECT_EQ(m_edit->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(m_edit->GetButtonState(), CSearchEdit::stateHot);
    QTest::mouseMove(m_edit, QPoint(10, strip.center().y()));
    EXPECT_EQ(m_edit->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(m_edit->GetButtonState(), CSearchEdit::stateNormal);
}

// Guards against a click being sent twice or without the control id, a press off the circle
// counting, and a release off the button still clearing the search.
TEST_F(SearchEditTest, ClickSendsTheClearNotificationOnceAndReleaseOffSendsNothing)
{
    m_edit->setText(QStringLiteral("rock"));
    QSignalSpy spy(m_edit, &CSearchEdit::CommandNotification);

    QTest::mousePress(m_edit, Qt::LeftButton, {}, ButtonCentre());
    EXPECT_TRUE(m_edit->IsClearButtonPressed());
    QTest::mouseMove(m_edit, QPoint(20, 12));
    EXPECT_EQ(m_edit->GetButtonState(), CSearchEdit::stateNormal);
    QTest::mouseMove(m_edit, ButtonCentre());
    EXPECT_TRUE(m_edit->IsClearButtonPressed());
    QTest::mouseMove(m_edit, QPoint(20, 12));
    QTest::mouseRelease(m_edit, Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(m_edit->IsClearButtonPressed());
    EXPECT_EQ(m_edit->text(), QStringLiteral("rock"));

    // The strip's corner is outside the circle: no press, no click.
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, m_edit->GetButtonRect().topLeft());
    EXPECT_EQ(spy.count(), 0);

    QTest::mouseClick(m_edit, Qt::LeftButton, {}, ButtonCentre());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), EN_QV_CLEARBUTTON);
    EXPECT_EQ(spy[0][0].toInt(), 0x83FD);
    EXPECT_EQ(spy[0][1].toInt(), 1205);
    EXPECT_FALSE(m_edit->IsClearButtonPressed());
    EXPECT_TRUE(m_edit->hasFocus());
    // The parent clears the text itself; the edit leaves it alone.
    EXPECT_EQ(m_edit->text(), QStringLiteral("rock"));
}

// Guards against the circle being placed or sized wrongly (the hit area is the ellipse from
// the strip's centre minus 6 to plus 8).
TEST_F(SearchEditTest, HitAreaIsTheFourteenPixelCircle)
{
    const QRect button = m_edit->GetButtonRect();
    const QPoint centre(button.left() + button.width() / 2, button.top() + button.height() / 2);
    EXPECT_TRUE(m_edit->HitTestButton(centre));
    EXPECT_TRUE(m_edit->HitTestButton(centre + QPoint(1, 1)));
    EXPECT_TRUE(m_edit->HitTestButton(centre + QPoint(-6, 1)));
    EXPECT_TRUE(m_edit->HitTestButton(centre + QPoint(7, 1)));
    EXPECT_FALSE(m_edit->HitTestButton(centre + QPoint(-7, 1)));
    EXPECT_FALSE(m_edit->HitTestButton(centre + QPoint(8, 1)));
    EXPECT_FALSE(m_edit->HitTestButton(centre + QPoint(-6, -6)));
    EXPECT_FALSE(m_edit->HitTestButton(centre + QPoint(7, 7)));
}

// Guards against a disabled field reacting to the button, and its state not following the
// enabled state.
TEST_F(SearchEditTest, DisabledFieldIgnoresPresses)
{
    m_edit->setText(QStringLiteral("rock"));
    QSignalSpy spy(m_edit, &CSearchEdit::CommandNotification);
    m_edit->setEnabled(false);
    EXPECT_EQ(m_edit->GetButtonState(), CSearchEdit::stateDisabled);
    // Sent straight to the field: Qt itself would not deliver them to a disabled widget.
    QMouseEvent press(QEvent::MouseButtonPress, ButtonCentre(), m_edit->mapToGlobal(ButtonCentre()),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(m_edit, &press);
    EXPECT_EQ(m_edit->GetButtonState(), CSearchEdit::stateDisabled);
    QMouseEvent release(QEvent::MouseButtonRelease, ButtonCentre(), m_edit->mapToGlobal(ButtonCentre()),
                        Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(m_edit, &release);
    EXPECT_EQ(spy.count(), 0);

    m_edit->setEnabled(true);
    EXPECT_EQ(m_edit->GetButtonState(), CSearchEdit::stateNormal);
    QTest::mouseClick(m_edit, Qt::LeftButton, {}, ButtonCentre());
    EXPECT_EQ(spy.count(), 1);
}

// Guards against blurry buttons on high-density screens: the 2x images are 24 device
// pixels for 12 logical ones, and pressed and normal differ.
TEST(SearchEditImagesTest, ImagesExistAtBothDensities)
{
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap pressed = CSearchEdit::GetButtonImage(0, ratio);
        const QPixmap normal = CSearchEdit::GetButtonImage(1, ratio);
        ASSERT_FALSE(pressed.isNull());
        ASSERT_FALSE(normal.isNull());
        EXPECT_EQ(pressed.devicePixelRatio(), ratio);
        EXPECT_EQ(pressed.size(), QSize(12, 12) * ratio);
        EXPECT_EQ(normal.deviceIndependentSize(), QSizeF(12, 12));
        EXPECT_NE(pressed.toImage(), normal.toImage());
    }
    EXPECT_TRUE(CSearchEdit::GetButtonImage(2, 1.0).isNull());
}
