#include "qvsystem/controls/Gradient.h"
#include "qvsystem/controls/MemDC.h"

#include "qvsystem/platform/Archive.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace {

QImage Canvas(int width, int height, const QColor& colour, qreal ratio = 1)
{
    QImage image(qRound(width * ratio), qRound(height * ratio), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(colour);
    return image;
}

// Every pixel of the device rectangle has the colour.
bool AllPixels(const QImage& image, const QRect& rect, const QColor& colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixelColor(x, y).rgba() != colour.rgba())
                return false;
        }
    }
    return true;
}

const QColor WHITE(255, 255, 255);
const QColor RED(220, 20, 20);
const QColor BLUE(20, 20, 220);
const QColor MAGENTA(255, 0, 255);

} // namespace

// Guards against equal colours being handed to the gradient fill (banding or a wrong
// colour) and against a gradient running the wrong way or along the wrong axis.
TEST(GradientTest, SolidForEqualColoursAndRunsFromStartToEnd)
{
    for (uint8_t orientation : {CGradient::horizontal, CGradient::vertical}) {
        SCOPED_TRACE(testing::Message() << "orientation " << int(orientation));
        const CGradient solid(RED, RED, orientation);
        EXPECT_TRUE(solid.HasNoGradient());
        QImage image = Canvas(40, 30, WHITE);
        {
            QPainter painter(&image);
            EXPECT_EQ(solid.Draw(&painter, QRect(5, 5, 30, 20)), 1);
        }
        EXPECT_TRUE(AllPixels(image, QRect(5, 5, 30, 20), RED));
        EXPECT_TRUE(AllPixels(image, QRect(0, 0, 40, 5), WHITE));
        EXPECT_TRUE(AllPixels(image, QRect(35, 0, 5, 30), WHITE));
    }

    const CGradient across(QColor(0, 0, 0), QColor(200, 100, 250), CGradient::horizontal);
    const CGradient down(QColor(0, 0, 0), QColor(200, 100, 250), CGradient::vertical);
    EXPECT_FALSE(across.HasNoGradient());
    QImage wide = Canvas(101, 20, WHITE);
    QImage tall = Canvas(20, 101, WHITE);
    {
        QPainter painter(&wide);
        EXPECT_EQ(across.Draw(&painter, wide.rect()), 1);
    }
    {
        QPainter painter(&tall);
        EXPECT_EQ(down.Draw(&painter, tall.rect()), 1);
    }
    // Near the start colour at the start, near the end colour at the end, rising between.
    EXPECT_LE(wide.pixelColor(0, 10).red(), 3);
    EXPECT_GE(wide.pixelColor(100, 10).red(), 196);
    EXPECT_LE(tall.pixelColor(10, 0).red(), 3);
    EXPECT_GE(tall.pixelColor(10, 100).red(), 196);
    for (int i = 1; i <= 100; ++i) {
        EXPECT_GE(wide.pixelColor(i, 10).red(), wide.pixelColor(i - 1, 10).red()) << i;
        EXPECT_GE(tall.pixelColor(10, i).red(), tall.pixelColor(10, i - 1).red()) << i;
    }
    // Constant across the other axis.
    EXPECT_EQ(wide.pixelColor(50, 0), wide.pixelColor(50, 19));
    EXPECT_EQ(tall.pixelColor(0, 50), tall.pixelColor(19, 50));

    EXPECT_EQ(CGradient().Draw(nullptr, QRect(0, 0, 4, 4)), 0);
}

// Guards against the stored layout drifting from the Windows one (two 0x00BBGGRR words and
// a byte), against a bad orientation, given or stored, being kept (it would draw neither
// way), and against equality ignoring a field.
TEST(GradientTest, SerializeKeepsTheStoredLayout)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("g.bin"));
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        CGradient(QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x66), CGradient::vertical).Serialize(ar);
        ar.Close();
        file.Close();
    }
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_EQ(bytes.toHex().toStdString(), "11223300445566000"
                                           "1");

    CGradient loaded;
    {
        CFile file(path, CFile::modeRead);
        CArchive ar(&file, CArchive::load);
        loaded.Serialize(ar);
    }
    EXPECT_EQ(loaded, CGradient(QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x66), CGradient::vertical));
    EXPECT_NE(loaded, CGradient(QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x66), CGradient::horizontal));
    EXPECT_NE(loaded, CGradient(QColor(0x11, 0x22, 0x34), QColor(0x44, 0x55, 0x66), CGradient::vertical));
    EXPECT_NE(loaded, CGradient(QColor(0x11, 0x22, 0x33), QColor(0x44, 0x55, 0x67), CGradient::vertical));
    EXPECT_TRUE(CGradient(RED, BLUE, 7).IsHorizontal());

    QByteArray bad = bytes;
    bad[8] = 9;
    CMemFile badFile(reinterpret_cast<const unsigned char*>(bad.constData()), bad.size(), path);
    CArchive badArchive(&badFile, CArchive::load);
    loaded.Serialize(badArchive);
    EXPECT_EQ(loaded.GetOrientation(), CGradient::horizontal);

    const QByteArray shortBytes = bytes.left(6);
    CMemFile shortFile(reinterpret_cast<const unsigned char*>(shortBytes.constData()), shortBytes.size(),
                       path);
    CArchive shortArchive(&shortFile, CArchive::load);
    EXPECT_THROW(loaded.Serialize(shortArchive), CArchiveException);
}

// Guards against the surface reaching the target before destruction, at the wrong place,
// outside its rectangle, or not at all.
TEST(MemDCTest, CopiesToTheTargetRectangleOnDestruction)
{
    QImage target = Canvas(40, 40, WHITE);
    QPainter painter(&target);
    {
        CMemDC dc(&painter, QRect(10, 10, 20, 20), BLUE);
        ASSERT_TRUE(dc.IsValid());
        // The caller's coordinates, unchanged; drawing past the rectangle is clipped.
        dc->fillRect(QRect(15, 15, 5, 5), RED);
        dc->fillRect(QRect(0, 0, 40, 3), RED);
        EXPECT_TRUE(AllPixels(target, target.rect(), WHITE));
    }
    EXPECT_TRUE(AllPixels(target, QRect(10, 10, 20, 20).adjusted(0, 0, 0, -20 + 5), BLUE));
    EXPECT_TRUE(AllPixels(target, QRect(15, 15, 5, 5), RED));
    EXPECT_TRUE(AllPixels(target, QRect(20, 20, 10, 10), BLUE));
    EXPECT_TRUE(AllPixels(target, QRect(0, 0, 40, 10), WHITE));
    EXPECT_TRUE(AllPixels(target, QRect(0, 30, 40, 10), WHITE));
    EXPECT_TRUE(AllPixels(target, QRect(0, 10, 10, 20), WHITE));

    // A gradient fill over its own rectangle, here only the left half of the surface.
    {
        CMemDC dc(&painter, QRect(0, 0, 10, 10), CGradient(RED, RED), QRect(0, 0, 5, 10));
    }
    EXPECT_TRUE(AllPixels(target, QRect(0, 0, 5, 10), RED));
    EXPECT_TRUE(AllPixels(target, QRect(5, 0, 5, 10), WHITE));
}

// Guards against a transformed or high-density target getting the copy at unmapped
// coordinates or at the wrong size.
TEST(MemDCTest, FollowsTheTargetMappingAndDensity)
{
    QImage target = Canvas(40, 40, WHITE, 2); // 80 x 80 device pixels
    QPainter painter(&target);
    painter.translate(5, 5);
    {
        CMemDC dc(&painter, QRect(0, 0, 10, 10), QBrush(BLUE));
        dc->fillRect(QRect(0, 0, 1, 1), RED);
    }
    // Logical (5,5)-(15,15) is device (10,10)-(30,30); the red unit is a 2 x 2 block.
    EXPECT_TRUE(AllPixels(target, QRect(10, 10, 2, 2), RED));
    EXPECT_TRUE(AllPixels(target, QRect(12, 10, 18, 2), BLUE));
    EXPECT_TRUE(AllPixels(target, QRect(10, 12, 20, 18), BLUE));
    EXPECT_TRUE(AllPixels(target, QRect(0, 0, 80, 10), WHITE));
    EXPECT_TRUE(AllPixels(target, QRect(30, 10, 50, 20), WHITE));
}

// Guards against SetMask being ignored, and against the mask colour reaching the target.
TEST(MemDCTest, MaskColourIsLeftOutOfTheCopy)
{
    QImage target = Canvas(20, 20, WHITE);
    QPainter painter(&target);
    {
        CMemDC dc(&painter, QRect(0, 0, 20, 20), MAGENTA);
        dc->fillRect(QRect(5, 5, 4, 4), RED);
        dc.SetMask(MAGENTA);
    }
    EXPECT_TRUE(AllPixels(target, QRect(5, 5, 4, 4), RED));
    EXPECT_TRUE(AllPixels(target, QRect(0, 0, 20, 5), WHITE));
    EXPECT_TRUE(AllPixels(target, QRect(9, 5, 11, 15), WHITE));
    {
        CMemDC dc(&painter, QRect(0, 0, 20, 20), MAGENTA);
    }
    EXPECT_TRUE(AllPixels(target, QRect(0, 0, 20, 20), MAGENTA));
}

// Guards against a missing target or surface crashing or painting anything.
TEST(MemDCTest, NullTargetOrSurfaceDoesNothing)
{
    {
        CMemDC dc(nullptr, QRect(0, 0, 5, 5), RED);
        EXPECT_FALSE(dc.IsValid());
    }
    QImage target = Canvas(10, 10, WHITE);
    QPainter painter(&target);
    {
        CMemDC dc(&painter, QRect(0, 0, 5, 5), static_cast<QImage*>(nullptr), RED);
        EXPECT_FALSE(dc.IsValid());
    }
    EXPECT_TRUE(AllPixels(target, target.rect(), WHITE));
    // The caller's surface is the one drawn on and copied.
    QImage surface(5, 5, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::transparent);
    {
        CMemDC dc(&painter, QRect(2, 2, 5, 5), &surface, BLUE);
        ASSERT_TRUE(dc.IsValid());
    }
    EXPECT_EQ(surface.pixelColor(0, 0), BLUE);
    EXPECT_TRUE(AllPixels(target, QRect(2, 2, 5, 5), BLUE));
    EXPECT_TRUE(AllPixels(target, QRect(0, 0, 10, 2), WHITE));
}
