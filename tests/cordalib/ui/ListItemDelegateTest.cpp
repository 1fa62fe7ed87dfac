// The list cells drawn from the glyphs must be the style's pixels: texts that fit and
// texts cut at every width, each alignment, selected and shaded rows, the focused cell,
// and texts the glyph drawing leaves to the style.
#include "cordalib/ui/ListItemDelegate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>

namespace {

QImage Render(QTableView& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::magenta);
    view.render(&image);
    return image;
}

} // namespace

TEST(ListItemDelegateTest, GlyphDrawingGivesTheStylesPixels)
{
    const QStringList texts = {
        QStringLiteral("The Wall"),
        QStringLiteral("AVAV To Te Wa Yo fi fl ffi"),
        QStringLiteral("Caf\u00e9 na\u00efve \u00c6sop \u20ac5 \u201cquoted\u201d \u2013 \u2014 \u2122"),
        QStringLiteral("A title long enough to be cut in every column of the table, and then some more"),
        QStringLiteral("   spaces at both ends   "),
        QStringLiteral("1997"),
        QString(),
        QStringLiteral("soft\u00adhyphen"),        // left to the style
        QStringLiteral("\u6f22\u5b57 characters"), // likely missing from the font
        QStringLiteral("tab\there"),               // left to the style
    };
    const Qt::Alignment alignments[] = {Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignHCenter | Qt::AlignVCenter,
                                        Qt::AlignRight | Qt::AlignVCenter};
    QStandardItemModel model(int(texts.size()) * 3, 12);
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            auto* item = new QStandardItem(texts[row % texts.size()]);
            item->setTextAlignment(alignments[(row / texts.size() + column) % 3]);
            model.setItem(row, column, item);
        }
    }
    QTableView view;
    view.setModel(&model);
    auto* delegate = new CListItemDelegate(&view);
    delegate->SetAlternateRowColor(QColor(225, 245, 245));
    view.setItemDelegate(delegate);
    view.setShowGrid(false);
    view.setWordWrap(false); // as the lists have it
    CListItemDelegate::UseUnshapedText(&view);
    QFont font = view.font();
    font.setKerning(false);
    view.setFont(font);
    view.horizontalHeader()->hide();
    view.verticalHeader()->hide();
    // Widths from a sliver to more than the longest text: every cut of the ellipsis.
    for (int column = 0; column < model.columnCount(); ++column)
        view.setColumnWidth(column, 9 + column * column * 4);
    view.resize(2400, 700);
    view.selectionModel()->select(model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.selectionModel()->setCurrentIndex(model.index(5, 3), QItemSelectionModel::NoUpdate);
    view.show();
    view.setFocus();
    QApplication::processEvents();

    delegate->SetGlyphDrawingEnabled(false);
    const int before = delegate->GetGlyphDrawnCount();
    const QImage styled = Render(view);
    EXPECT_EQ(delegate->GetGlyphDrawnCount(), before);
    delegate->SetGlyphDrawingEnabled(true);
    const QImage drawn = Render(view);
    // Most cells took the glyph path: otherwise the comparison would be of the style with
    // itself.
    EXPECT_GT(delegate->GetGlyphDrawnCount() - before, model.rowCount() * model.columnCount() / 2);
    // An empty cell is a plain one too (lists have many).
    QStandardItemModel empty(1, 1);
    view.setModel(&empty);
    const int beforeEmpty = delegate->GetGlyphDrawnCount();
    Render(view);
    EXPECT_EQ(delegate->GetGlyphDrawnCount(), beforeEmpty + 1);
    view.setModel(&model);
    if (qEnvironmentVariableIsSet("CORDA_TEST_SAVE_CELLS")) {
        styled.save(qEnvironmentVariable("CORDA_TEST_SAVE_CELLS") + QStringLiteral("-styled.png"));
        drawn.save(qEnvironmentVariable("CORDA_TEST_SAVE_CELLS") + QStringLiteral("-drawn.png"));
    }
    ASSERT_EQ(styled.size(), drawn.size());
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < styled.height(); ++y) {
        for (int x = 0; x < styled.width(); ++x) {
            if (styled.pixel(x, y) != drawn.pixel(x, y)) {
                if (differing++ == 0)
                    first = QPoint(x, y);
            }
        }
    }
    const QModelIndex cell = view.indexAt(first);
    EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y() << ": row " << cell.row()
                            << " column " << cell.column() << " \""
                            << model.data(cell).toString().toStdString() << "\"";
}
