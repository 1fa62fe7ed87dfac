#include "qvsystem/controls/MenuItems.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

namespace {

struct Reported {
    QWidget* menu;
    QString path;
    int id;
    int position;
    QString text;
    uintptr_t value;
    intptr_t param;
};

QAction* AddCommand(QMenu& menu, const QString& text, int id)
{
    QAction* action = menu.addAction(text);
    action->setData(id);
    return action;
}

QVMenuItemCallback Collect(std::vector<Reported>& out)
{
    return [&out](QWidget* menu, const QString& path, int id, int position, const QString& text,
                  uintptr_t value, intptr_t param) {
        out.push_back({menu, path, id, position, text, value, param});
        return 0;
    };
}

QStringList Paths(const std::vector<Reported>& reported)
{
    QStringList paths;
    for (const Reported& r : reported)
        paths << QStringLiteral("%1=%2@%3").arg(r.path).arg(r.id).arg(r.position);
    return paths;
}

} // namespace

// Guards against wrong names (mnemonics, blanks, dots or the shortcut text left in), wrong
// paths or positions, separators and id-less items being reported, and the menu bar's
// own items being reported.
TEST(MenuItemsTest, WalkReportsCommandsWithDottedPaths)
{
    QMenuBar bar;
    QMenu file(QStringLiteral("&File"));
    AddCommand(file, QStringLiteral("&Open..."), 100);
    file.addSeparator();
    AddCommand(file, QStringLiteral("Save &As...\tCtrl+Shift+S"), 101);
    file.addAction(QStringLiteral("No id here"));
    AddCommand(file, QString(), 102); // no text: skipped
    QMenu recent(QStringLiteral("Recent F&iles"));
    AddCommand(recent, QStringLiteral("Clear the list"), 110);
    file.addMenu(&recent);
    QMenu view(QStringLiteral("&View"));
    AddCommand(view, QStringLiteral("Tool bar"), 200);
    bar.addMenu(&file);
    bar.addMenu(&view);
    bar.addAction(QStringLiteral("&Help"))->setData(300); // a bar item without a sub menu

    std::vector<Reported> reported;
    EXPECT_EQ(AfxEnumerateMenuItems(&bar, QString(QLatin1String("")), true, Collect(reported), 7, -3), 1);
    EXPECT_EQ(Paths(reported).join(QLatin1Char(' ')).toStdString(),
              "File.Open=100@0 File.SaveAs=101@2 File.RecentFiles.Clearthelist=110@0 View.Toolbar=200@0");
    ASSERT_EQ(reported.size(), 4u);
    EXPECT_EQ(reported[1].menu, &file);
    EXPECT_EQ(reported[1].text, QStringLiteral("Save &As...\tCtrl+Shift+S"));
    EXPECT_EQ(reported[2].menu, &recent);
    for (const Reported& r : reported) {
        EXPECT_EQ(r.value, 7u);
        EXPECT_EQ(r.param, -3);
    }

    // A menu walked on its own takes the prefix before every path, sub menus included.
    reported.clear();
    EXPECT_EQ(AfxEnumerateMenuItems(&file, QStringLiteral("Main"), false, Collect(reported)), 1);
    EXPECT_EQ(Paths(reported).join(QLatin1Char(' ')).toStdString(),
              "Main.Open=100@0 Main.SaveAs=101@2 Main.RecentFiles.Clearthelist=110@0");

    // The menu-bar flag on a plain menu reports nothing of its own items but walks the subs.
    reported.clear();
    EXPECT_EQ(AfxEnumerateMenuItems(&file, QStringLiteral("x"), true, Collect(reported)), 1);
    EXPECT_EQ(Paths(reported).join(QLatin1Char(' ')).toStdString(), "RecentFiles.Clearthelist=110@0");
}

// Guards against missing arguments reporting success and against a menu that contains
// itself walking for ever.
TEST(MenuItemsTest, WalkFailsForMissingArgumentsAndCycles)
{
    std::vector<Reported> reported;
    QMenu menu(QStringLiteral("Menu"));
    AddCommand(menu, QStringLiteral("One"), 1);
    EXPECT_EQ(
        AfxEnumerateMenuItems(static_cast<QMenu*>(nullptr), QStringLiteral("p"), false, Collect(reported)),
        0);
    EXPECT_EQ(
        AfxEnumerateMenuItems(static_cast<QMenuBar*>(nullptr), QStringLiteral("p"), true, Collect(reported)),
        0);
    EXPECT_EQ(AfxEnumerateMenuItems(&menu, QString(), false, Collect(reported)), 0);
    EXPECT_EQ(AfxEnumerateMenuItems(&menu, QStringLiteral("p"), false, QVMenuItemCallback()), 0);
    EXPECT_TRUE(reported.empty());

    QMenu outer(QStringLiteral("Outer"));
    QMenu inner(QStringLiteral("Inner"));
    AddCommand(inner, QStringLiteral("Two"), 2);
    outer.addMenu(&inner);
    inner.addMenu(&outer);
    EXPECT_EQ(AfxEnumerateMenuItems(&outer, QStringLiteral("p"), false, Collect(reported)), 0);
    EXPECT_EQ(Paths(reported).join(QLatin1Char(' ')).toStdString(), "p.Inner.Two=2@0");
}

// Guards against names keeping what the settings keys leave out, and ids taken from data
// that holds no number.
TEST(MenuItemsTest, NamesAndCommandIds)
{
    EXPECT_EQ(AfxGetMenuItemName(QStringLiteral("&Edit Song Information...\tCtrl+E")),
              QStringLiteral("EditSongInformation"));
    EXPECT_EQ(AfxGetMenuItemName(QStringLiteral("a.b & c")), QStringLiteral("abc"));
    EXPECT_EQ(AfxGetMenuItemName(QStringLiteral("\tTab first")), QString());
    QAction action;
    action.setData(QStringLiteral("not a number"));
    EXPECT_EQ(AfxGetMenuItemCommandId(&action), 0);
}
