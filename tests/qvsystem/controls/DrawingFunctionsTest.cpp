#include "qvsystem/controls/DrawingFunctions.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

namespace {

constexpr int IMAGE = 20;
constexpr int CENTRE = 10;
constexpr int HALF = 4; // the pictures show centre-4 .. centre+4 both ways

const QColor ARROW(10, 20, 200);
const QColor SHADOW(120, 120, 120);

// The 9 x 9 pixels around the centre as text rows: '#' arrow colour, 's' shadow colour,
// '.' untouched, '?' anything else. A pixel set outside the window is reported as well.
QString Picture(const QImage& image, int scale = 1)
{
    QStringList rows;
    int inside = 0;
    for (int y = (CENTRE - HALF) * scale; y <= (CENTRE + HALF + 1) * scale - 1; ++y) {
        QString row;
        for (int x = (CENTRE - HALF) * scale; x <= (CENTRE + HALF + 1) * scale - 1; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0) {
                row += QLatin1Char('.');
                continue;
            }
            ++inside;
            if (pixel.rgb() == ARROW.rgb())
                row += QLatin1Char('#');
            else if (pixel.rgb() == SHADOW.rgb())
                row += QLatin1Char('s');
            else
                row += QLatin1Char('?');
        }
        rows.append(row);
    }
    int total = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            total += image.pixelColor(x, y).alpha() != 0 ? 1 : 0;
    }
    if (total != inside)
        rows.append(QStringLiteral("%1 pixels outside").arg(total - inside));
    return rows.join(QLatin1Char('\n'));
}

QImage Blank(int scale = 1)
{
    QImage image(IMAGE * scale, IMAGE * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    return image;
}

struct Drawn {
    int result;
    QString picture;
};

Drawn Draw(int size, int direction, bool shadow = false, int scale = 1)
{
    QImage image = Blank(scale);
    int result = 0;
    {
        QPainter painter(&image);
        result = AfxFillArrow(&painter, QPoint(CENTRE, CENTRE), size, direction, ARROW, shadow, SHADOW);
    }
    return {result, Picture(image, scale)};
}

QString Rows(std::initializer_list<const char*> rows)
{
    QStringList list;
    for (const char* row : rows)
        list.append(QString::fromLatin1(row));
    return list.join(QLatin1Char('\n'));
}

// Each row of the picture doubled both ways: what a 2x surface should show.
QString Doubled(const QString& picture)
{
    QStringList out;
    for (const QString& row : picture.split(QLatin1Char('\n'))) {
        QString wide;
        for (QChar c : row)
            wide += QString(2, c);
        out << wide << wide;
    }
    return out.join(QLatin1Char('\n'));
}

const QString EMPTY = Rows({".........", ".........", ".........", ".........", ".........", ".........",
                            ".........", ".........", "........."});

} // namespace

// Guards against lines off by one along or across the axis, a tip or base of the wrong
// length, the tip and base swapped between directions, and the size-4 arrow being drawn.
TEST(DrawingFunctionsTest, ArrowPixelsForEachSizeAndDirection)
{
    struct Case {
        int size;
        int direction;
        QString expected;
    };
    const Case cases[] = {
        {3, ARROW_LEFT,
         Rows({".........", ".........", ".........", ".....#...", "....##...", ".....#...", ".........",
               ".........", "........."})},
        {3, ARROW_RIGHT,
         Rows({".........", ".........", ".........", "....#....", "....##...", "....#....", ".........",
               ".........", "........."})},
        {3, ARROW_UP,
         Rows({".........", ".........", ".........", ".........", "....#....", "...###...", ".........",
               ".........", "........."})},
        {3, ARROW_DOWN,
         Rows({".........", ".........", ".........", ".........", "...###...", "....#....", ".........",
               ".........", "........."})},
        {5, ARROW_LEFT,
         Rows({".........", ".........", ".....#...", "....##...", "...###...", "....##...", ".....#...",
               ".........", "........."})},
        {7, ARROW_LEFT,
         Rows({".........", "......#..", ".....##..", "....###..", "...####..", "....###..", ".....##..",
               "......#..", "........."})},
        {7, ARROW_RIGHT,
         Rows({".........", "...#.....", "...##....", "...###...", "...####..", "...###...", "...##....",
               "...#.....", "........."})},
        {7, ARROW_UP,
         Rows({".........", ".........", ".........", "....#....", "...###...", "..#####..", ".#######.",
               ".........", "........."})},
        {7, ARROW_DOWN,
         Rows({".........", ".........", ".........", ".#######.", "..#####..", "...###...", "....#....",
               ".........", "........."})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " direction " << c.direction);
        const Drawn drawn = Draw(c.size, c.direction);
        EXPECT_EQ(drawn.result, 1);
        EXPECT_EQ(drawn.picture.toStdString(), c.expected.toStdString());
    }
    for (int direction = 0; direction < 4; ++direction) {
        SCOPED_TRACE(testing::Message() << "size 4 direction " << direction);
        const Drawn drawn = Draw(4, direction);
        EXPECT_EQ(drawn.result, 0);
        EXPECT_EQ(drawn.picture.toStdString(), EMPTY.toStdString());
    }
}

// Guards against the shadow being drawn over the arrow instead of under it, or at the
// wrong offset.
TEST(DrawingFunctionsTest, ShadowLiesOnePixelRightAndDownUnderTheArrow)
{
    const Drawn drawn = Draw(7, ARROW_DOWN, true);
    EXPECT_EQ(drawn.result, 1);
    EXPECT_EQ(drawn.picture.toStdString(),
              Rows({".........", ".........", ".........", ".#######.", "..#####ss", "...###ss.", "....#ss..",
                    ".....s...", "........."})
                  .toStdString());
    const Drawn left = Draw(3, ARROW_LEFT, true);
    EXPECT_EQ(left.picture.toStdString(),
              Rows({".........", ".........", ".........", ".....#...", "....##s..", ".....#s..", "......s..",
                    ".........", "........."})
                  .toStdString());
}

// Guards against the drawing leaving gaps between the lines on a high-density surface.
TEST(DrawingFunctionsTest, ArrowStaysSolidAtDoubleDensity)
{
    for (int direction = 0; direction < 4; ++direction) {
        SCOPED_TRACE(testing::Message() << "direction " << direction);
        const Drawn single = Draw(7, direction);
        const Drawn twice = Draw(7, direction, false, 2);
        EXPECT_EQ(twice.result, 1);
        EXPECT_EQ(twice.picture.toStdString(), Doubled(single.picture).toStdString());
    }
}

// Guards against invalid arguments drawing anything or reporting success.
TEST(DrawingFunctionsTest, InvalidArgumentsDrawNothing)
{
    EXPECT_EQ(AfxFillArrow(nullptr, QPoint(1, 1), 5, ARROW_UP, ARROW), 0);
    for (const auto& [size, direction] :
         {std::pair{1, 0}, {2, 1}, {0, 2}, {-3, 3}, {6, 0}, {5, 4}, {5, -1}}) {
        SCOPED_TRACE(testing::Message() << "size " << size << " direction " << direction);
        const Drawn drawn = Draw(size, direction, true);
        EXPECT_EQ(drawn.result, 0);
        EXPECT_EQ(drawn.picture.toStdString(), EMPTY.toStdString());
    }
}
