// The edit that judges its own text, and its read-only colour.
#include "qvsystem/controls/QVEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

namespace {

// The verdict comes from the validation function when there is one, else from a search
// (not a whole-text match) with the expression and its case flag; without either the text
// counts as not valid.
TEST(QVEdit, HasValidTextUsesTheFunctionThenTheExpression)
{
    CQVEdit edit;
    edit.setText(QStringLiteral("Track 12"));
    EXPECT_FALSE(edit.HasValidText());

    edit.SetRegularExpression(QStringLiteral("^track \\d+$"));
    EXPECT_TRUE(edit.HasValidText());
    edit.SetRegularExpression(QStringLiteral("^track \\d+$"), true);
    EXPECT_FALSE(edit.HasValidText());
    edit.SetRegularExpression(QStringLiteral("\\d"), true);
    EXPECT_TRUE(edit.HasValidText());
    edit.SetRegularExpression(QStringLiteral("(unclosed"));
    EXPECT_FALSE(edit.HasValidText());

    EXPECT_FALSE(edit.SetValidationFunction(nullptr));
    EXPECT_FALSE(edit.HasValidationFunction());
    QString seen;
    EXPECT_TRUE(edit.SetValidationFunction([&seen](const QString& text) {
        seen = text;
        return text.size() <= 5;
    }));
    EXPECT_FALSE(edit.HasValidText());
    EXPECT_EQ(seen, QStringLiteral("Track 12"));
    edit.setText(QStringLiteral("Intro"));
    EXPECT_TRUE(edit.HasValidText());
    EXPECT_FALSE(edit.SetValidationFunction(nullptr));
    EXPECT_TRUE(edit.HasValidationFunction());
    edit.RemoveValidationFunction();
    edit.SetRegularExpression(QStringLiteral("^x"));
    EXPECT_FALSE(edit.HasValidText());

    EXPECT_TRUE(AfxValidateText(QStringLiteral("abc"), QStringLiteral("B"), false));
    EXPECT_FALSE(AfxValidateText(QStringLiteral("abc"), QStringLiteral("B"), true));
    EXPECT_FALSE(AfxValidateText(QStringLiteral("abc"), QString(), false));
    EXPECT_TRUE(AfxValidateText(QString(), QStringLiteral("^$"), false));
}

// A read-only edit shows the face colour unless the override keeps the window colour, and
// gets its own colour back when it becomes editable again.
TEST(QVEdit, ReadOnlyEditShowsTheFaceColourUnlessOverridden)
{
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Base, QColor(250, 250, 250));
    palette.setColor(QPalette::Button, QColor(200, 190, 180));
    parent.setPalette(palette);
    CQVEdit edit(&parent);
    const QColor window = edit.palette().color(QPalette::Base);
    const QColor face = edit.palette().color(QPalette::Button);
    ASSERT_NE(window, face);

    EXPECT_EQ(edit.GetBackgroundColor(), window);
    edit.setReadOnly(true);
    EXPECT_EQ(edit.palette().color(QPalette::Base), face);
    EXPECT_EQ(edit.GetBackgroundColor(), face);
    edit.SetReadOnlyColorOverride(true);
    EXPECT_EQ(edit.palette().color(QPalette::Base), window);
    EXPECT_EQ(edit.GetBackgroundColor(), window);
    edit.SetReadOnlyColorOverride(false);
    EXPECT_EQ(edit.palette().color(QPalette::Base), face);
    edit.setReadOnly(false);
    EXPECT_EQ(edit.palette().color(QPalette::Base), window);

    // A colour set by the owner on an editable edit is left alone.
    QPalette own = edit.palette();
    own.setColor(QPalette::Base, QColor(255, 255, 200));
    edit.setPalette(own);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(255, 255, 200));
    edit.setReadOnly(true);
    edit.setReadOnly(false);
    EXPECT_EQ(edit.palette().color(QPalette::Base), QColor(255, 255, 200));
}

} // namespace
