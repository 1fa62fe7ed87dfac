#include "TestSupport.h"

#include "qvsystem/controls/QVTreeCtrl.h"

#include <gtest/gtest.h>

#include <QTreeWidgetItem>

namespace {

QStringList ChildTexts(const QTreeWidgetItem* parent, const CQVTreeCtrl& tree)
{
    QStringList texts;
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    for (int i = 0; i < count; ++i)
        texts << (parent ? parent->child(i) : tree.topLevelItem(i))->text(0);
    return texts;
}

} // namespace

// Guards against sorted inserts that compare case-sensitively (lower-case names would all go
// last), a branch expansion that stops below the first level, and a bold look that a
// sibling takes on as well.
TEST(QVTreeCtrl, SortedInsertsBranchExpansionAndBoldItems)
{
    CQVTreeCtrl tree;
    for (const char* name : {"Startup", "general", "AutoComplete", "Security"})
        tree.InsertItem(QString::fromLatin1(name), nullptr, true);
    EXPECT_EQ(ChildTexts(nullptr, tree), (QStringList{"AutoComplete", "general", "Security", "Startup"}));
    QTreeWidgetItem* security = tree.topLevelItem(2);
    tree.InsertItem(QStringLiteral("last"), security);
    tree.InsertItem(QStringLiteral("first"), security);
    EXPECT_EQ(ChildTexts(security, tree), (QStringList{"last", "first"})); // unsorted: appended

    QTreeWidgetItem* deep = tree.InsertItem(QStringLiteral("deep"), security->child(0));
    tree.InsertItem(QStringLiteral("deeper"), deep);
    EXPECT_TRUE(tree.ExpandAll());
    EXPECT_TRUE(security->isExpanded());
    EXPECT_TRUE(security->child(0)->isExpanded());
    EXPECT_TRUE(deep->isExpanded());
    EXPECT_FALSE(tree.ExpandBranch(nullptr));
    CQVTreeCtrl empty;
    EXPECT_TRUE(empty.ExpandAll());

    EXPECT_TRUE(tree.BoldItem(security, true));
    EXPECT_TRUE(tree.IsItemBold(security));
    EXPECT_TRUE(security->font(0).bold());
    EXPECT_FALSE(tree.IsItemBold(tree.topLevelItem(3)));
    EXPECT_TRUE(tree.BoldItem(security, false));
    EXPECT_FALSE(tree.IsItemBold(security));
    EXPECT_FALSE(tree.BoldItem(nullptr, true));
}
