// Option dialogs made of a tree of pages.
#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/QVDialogPageTreeCtrl.h"
#include "qvsystem/controls/QVEdit.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

constexpr int IDC_PAGE_TREE = 53;
constexpr int IDC_PAGE_AREA = 54;
constexpr int IDC_PAGE_EDIT = 2001;

class CTestPage : public CQVDialog {
public:
    CTestPage(unsigned templateId, const QString& topic) : CQVDialog(templateId), m_strTopic(topic)
    {
        auto* layout = new QVBoxLayout(this);
        m_pEdit = new CQVEdit(this);
        m_pEdit->setObjectName(QString::number(IDC_PAGE_EDIT));
        layout->addWidget(m_pEdit);
        layout->addStretch();
    }
    bool OnInitDialog() override
    {
        CQVDialog::OnInitDialog();
        ++m_nInitCount;
        return LoadData();
    }
    bool ValidateData(int&, QString&, QString& text, QRect& rect) override
    {
        if (m_bValid)
            return true;
        text = QStringLiteral("Page %1 needs a value.").arg(GetTemplateID());
        rect = AfxGetScreenRect(m_pEdit);
        return false;
    }
    bool SaveData() override
    {
        m_nSaveOrder = ++s_nSaveClock;
        ++m_nSaveCount;
        return true;
    }
    QString GetHelpTopic() const override { return m_strTopic; }
    void OnIdle() override { ++m_nIdleCount; }
    void PreSaveStateControls() override { ++m_nStateSaves; }

    static int s_nSaveClock;
    QString m_strTopic;
    CQVEdit* m_pEdit;
    bool m_bValid = true;
    int m_nInitCount = 0;
    int m_nSaveCount = 0;
    int m_nSaveOrder = 0;
    int m_nIdleCount = 0;
    int m_nStateSaves = 0;
};
int CTestPage::s_nSaveClock = 0;

class COptionsTestDialog : public CQVDialog {
public:
    COptionsTestDialog() : CQVDialog(20)
    {
        auto* layout = new QVBoxLayout(this);
        auto* row = new QHBoxLayout;
        m_pTree = new CQVDialogPageTreeCtrl(this);
        m_pTree->setObjectName(QString::number(IDC_PAGE_TREE));
        m_pTree->setFixedWidth(140);
        m_pArea = new QFrame(this);
        m_pArea->setObjectName(QString::number(IDC_PAGE_AREA));
        m_pArea->setMinimumSize(260, 160);
        m_pArea->setVisible(false);
        auto* area = new QWidget(this);
        area->setMinimumSize(260, 160);
        row->addWidget(m_pTree);
        row->addWidget(area, 1);
        layout->addLayout(row);
        auto* buttons = new QHBoxLayout;
        m_pOk = new QPushButton(QStringLiteral("OK"), this);
        m_pOk->setObjectName(QStringLiteral("1"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("2"));
        buttons->addStretch();
        buttons->addWidget(m_pOk);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        m_pPlaceholder = area;
        for (unsigned id : {96u, 25u, 20590u}) {
            auto* page = new CTestPage(id, QStringLiteral("topic%1.htm").arg(id));
            m_pages.push_back(page);
        }
    }
    ~COptionsTestDialog() override { m_pTree->DeleteDialogPageArrayContents(); }

    bool OnInitDialog() override
    {
        CQVDialog::OnInitDialog();
        m_pTree->SetDialogPageRect(m_pPlaceholder);
        for (CTestPage* page : m_pages)
            m_pTree->AddDialogPage(page->GetTemplateID(), page);
        m_pEnvironment = m_pTree->InsertItem(QStringLiteral("Environment"));
        m_pTree->BoldItem(m_pEnvironment, true);
        m_pAutoComplete = m_pTree->InsertItem(QStringLiteral("AutoComplete"), m_pEnvironment, true);
        m_pLocations = m_pTree->InsertItem(QStringLiteral("File Locations"), m_pEnvironment, true);
        m_pOnline = m_pTree->InsertItem(QStringLiteral("Online"));
        m_pUpdates = m_pTree->InsertItem(QStringLiteral("Check For Updates"), m_pOnline, true);
        m_pTree->SetDialogPage(m_pAutoComplete, 0);
        m_pTree->SetDialogPage(m_pLocations, 1);
        m_pTree->SetDialogPage(m_pUpdates, 2);
        m_pTree->ExpandAll();
        m_pTree->SelectItem(m_pEnvironment);
        return true;
    }
    void OnOK() override
    {
        if (m_pTree->SaveData())
            CQVDialog::OnOK();
    }
    QString GetHelpTopic() const override { return m_pTree->GetSelectedHelpTopic(); }
    void GetDialogPageTreeCtrls(std::vector<CQVDialogPageTreeCtrl*>& trees) const override
    {
        trees.push_back(m_pTree);
    }

    CTestPage* Page(int index) const { return m_pages[index]; }

    CQVDialogPageTreeCtrl* m_pTree;
    QFrame* m_pArea;
    QWidget* m_pPlaceholder;
    QPushButton* m_pOk;
    std::vector<CTestPage*> m_pages;
    QTreeWidgetItem* m_pEnvironment = nullptr;
    QTreeWidgetItem* m_pAutoComplete = nullptr;
    QTreeWidgetItem* m_pLocations = nullptr;
    QTreeWidgetItem* m_pOnline = nullptr;
    QTreeWidgetItem* m_pUpdates = nullptr;
};

void ShowActive(QWidget& dialog)
{
    corda::test::AllowQtWarning(QStringLiteral("does not support raise"));
    dialog.move(60, 60);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

void ClickItem(CQVTreeCtrl* tree, QTreeWidgetItem* item)
{
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->visualItemRect(item).center());
}

// A heading item without its own page must show its first child's page; with the setting
// off it shows nothing and the page on screen stays.
TEST(DialogPageTree, ItemWithoutPageShowsItsFirstChildsPageOrNothing)
{
    COptionsTestDialog dialog;
    ShowActive(dialog);
    CQVDialogPageTreeCtrl* tree = dialog.m_pTree;
    EXPECT_TRUE(tree->IsUseFirstChildSet());
    EXPECT_EQ(tree->currentItem(), dialog.m_pEnvironment);
    EXPECT_EQ(tree->GetCurrentDialogPage(), dialog.Page(0));
    EXPECT_TRUE(dialog.Page(0)->isVisible());
    EXPECT_EQ(dialog.Page(0)->parentWidget(), &dialog);
    EXPECT_EQ(dialog.Page(0)->geometry(), dialog.m_pPlaceholder->geometry());
    EXPECT_EQ(dialog.Page(0)->m_nInitCount, 1);
    EXPECT_FALSE(dialog.Page(1)->IsInitialized());
    EXPECT_EQ(tree->GetSelectedHelpTopic(), QStringLiteral("topic96.htm"));
    EXPECT_EQ(tree->GetSelectedDialogPage(false).second, nullptr);
    EXPECT_EQ(tree->GetSelectedDialogPage(true).first, 96u);
    EXPECT_TRUE(tree->IsItemBold(dialog.m_pEnvironment));
    EXPECT_TRUE(dialog.m_pEnvironment->isExpanded());
    EXPECT_TRUE(dialog.m_pOnline->isExpanded());

    ClickItem(tree, dialog.m_pLocations);
    EXPECT_EQ(tree->currentItem(), dialog.m_pLocations);
    EXPECT_TRUE(dialog.Page(1)->isVisible());
    EXPECT_FALSE(dialog.Page(0)->isVisible());

    tree->SetUseFirstChild(false);
    ClickItem(tree, dialog.m_pOnline);
    EXPECT_EQ(tree->currentItem(), dialog.m_pOnline);
    EXPECT_EQ(tree->GetCurrentDialogPage(), dialog.Page(1));
    EXPECT_TRUE(dialog.Page(1)->isVisible());
    EXPECT_FALSE(dialog.Page(2)->IsInitialized());
    EXPECT_EQ(tree->GetSelectedHelpTopic(), QString());

    tree->SetUseFirstChild(true);
    ClickItem(tree, dialog.m_pUpdates);
    EXPECT_TRUE(dialog.Page(2)->isVisible());
    EXPECT_FALSE(dialog.Page(1)->isVisible());
    EXPECT_EQ(dialog.Page(2)->geometry(), dialog.m_pPlaceholder->geometry());

    // The page area follows the layout.
    dialog.resize(dialog.width() + 80, dialog.height() + 40);
    QTRY_COMPARE_WITH_TIMEOUT(dialog.Page(2)->geometry(), dialog.m_pPlaceholder->geometry(), 5000);
}

// Leaving a page whose data are invalid must keep the selection (and the page) where it is,
// by mouse and by keyboard, and show the page's balloon.
TEST(DialogPageTree, LeavingAnInvalidPageKeepsTheSelection)
{
    COptionsTestDialog dialog;
    ShowActive(dialog);
    CQVDialogPageTreeCtrl* tree = dialog.m_pTree;
    ClickItem(tree, dialog.m_pAutoComplete);
    ASSERT_EQ(tree->currentItem(), dialog.m_pAutoComplete);
    dialog.Page(0)->m_bValid = false;

    ClickItem(tree, dialog.m_pLocations);
    EXPECT_EQ(tree->currentItem(), dialog.m_pAutoComplete);
    EXPECT_TRUE(dialog.m_pAutoComplete->isSelected());
    EXPECT_FALSE(dialog.m_pLocations->isSelected());
    EXPECT_TRUE(dialog.Page(0)->isVisible());
    EXPECT_FALSE(dialog.Page(1)->IsInitialized());
    EXPECT_TRUE(dialog.Page(0)->IsValidationErrorMessageActive());
    EXPECT_EQ(dialog.Page(0)->GetValidationToolTipWindow()->GetText(),
              QStringLiteral("Page 96 needs a value."));
    EXPECT_EQ(dialog.Page(0)->GetValidationToolTipWindow()->GetTitle(), QStringLiteral("Validation Error"));

    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), dialog.m_pAutoComplete);
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(tree->currentItem(), dialog.m_pAutoComplete);
    QTest::keyClick(tree, Qt::Key_F); // typing the start of "File Locations"
    EXPECT_EQ(tree->currentItem(), dialog.m_pAutoComplete);
    EXPECT_FALSE(tree->SelectItem(dialog.m_pUpdates));
    EXPECT_EQ(tree->currentItem(), dialog.m_pAutoComplete);
    EXPECT_TRUE(dialog.Page(0)->isVisible());
    EXPECT_FALSE(dialog.Page(2)->IsInitialized());

    dialog.Page(0)->m_bValid = true;
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), dialog.m_pLocations);
    EXPECT_TRUE(dialog.Page(1)->isVisible());
    EXPECT_FALSE(dialog.Page(0)->isVisible());
}

// OK must validate every page that was shown, save those that are valid, and stop at the
// first invalid one with that page on screen; pages never shown are left alone.
TEST(DialogPageTree, SaveDataValidatesEveryShownPage)
{
    COptionsTestDialog dialog;
    ShowActive(dialog);
    CQVDialogPageTreeCtrl* tree = dialog.m_pTree;
    ClickItem(tree, dialog.m_pLocations);
    ClickItem(tree, dialog.m_pUpdates);
    dialog.Page(1)->m_bValid = false;

    QTest::mouseClick(dialog.m_pOk, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Page(2)->m_nSaveCount, 1); // the selected page first
    EXPECT_EQ(dialog.Page(0)->m_nSaveCount, 1); // then the tree in order
    EXPECT_LT(dialog.Page(2)->m_nSaveOrder, dialog.Page(0)->m_nSaveOrder);
    EXPECT_EQ(dialog.Page(1)->m_nSaveCount, 0);
    EXPECT_EQ(tree->currentItem(), dialog.m_pLocations);
    EXPECT_TRUE(dialog.Page(1)->isVisible());
    EXPECT_FALSE(dialog.Page(2)->isVisible());
    ASSERT_TRUE(dialog.Page(1)->IsValidationErrorMessageActive());
    EXPECT_EQ(dialog.Page(1)->GetValidationToolTipWindow()->GetTipPoint(),
              AfxGetScreenRect(dialog.Page(1)->m_pEdit).bottomLeft() +
                  QPoint(dialog.Page(1)->m_pEdit->width() / 2, 1));

    dialog.Page(1)->m_bValid = true;
    QTest::mouseClick(dialog.m_pOk, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Page(1)->m_nSaveCount, 1);
    // The pages ended with the dialog: their state was saved once each.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dialog.Page(i)->m_nStateSaves, 1) << i;
}

// Inside a page, F1 must open the selected page's topic through the dialog, Escape must close
// the whole dialog (not hide the page), and the page gets the dialog's idle notifications.
TEST(DialogPageTree, PagesPassKeysToTheDialogAndGetItsIdleNotifications)
{
    QStringList opened;
    AfxSetHtmlHelpTopicHandler([&opened](const QString& path) { opened.append(path); });
    {
        COptionsTestDialog dialog;
        ShowActive(dialog);
        ClickItem(dialog.m_pTree, dialog.m_pLocations);
        CTestPage* page = dialog.Page(1);
        page->m_pEdit->setFocus();
        QTest::keyClick(page->m_pEdit, Qt::Key_F1);
        EXPECT_EQ(opened, (QStringList{"cordalib.chm::/topic25.htm"}));
        QTRY_VERIFY_WITH_TIMEOUT(page->m_nIdleCount > 0, 5000);
        EXPECT_EQ(dialog.Page(0)->m_nIdleCount, 0);

        QTest::keyClick(page->m_pEdit, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(page->m_nSaveCount, 0);
        EXPECT_EQ(page->m_nStateSaves, 1);
    }
    AfxSetHtmlHelpTopicHandler(nullptr);
}

// Mapping and expansion helpers refuse what they cannot do.
TEST(DialogPageTree, MappingAndExpansionRefuseInvalidArguments)
{
    CQVDialogPageTreeCtrl tree;
    CQVDialogPageTreeCtrl other;
    EXPECT_TRUE(tree.ExpandAll());
    EXPECT_FALSE(tree.ExpandBranch(nullptr));
    EXPECT_FALSE(tree.BoldItem(nullptr, true));
    EXPECT_FALSE(tree.AddDialogPage(5, nullptr));
    EXPECT_FALSE(tree.SetDialogPageRect(nullptr));
    auto* page = new CTestPage(7, QString());
    EXPECT_TRUE(tree.AddDialogPage(7, page));
    QTreeWidgetItem* root = tree.InsertItem(QStringLiteral("b"));
    QTreeWidgetItem* child = tree.InsertItem(QStringLiteral("c"), root);
    QTreeWidgetItem* grandChild = tree.InsertItem(QStringLiteral("d"), child);
    QTreeWidgetItem* first = tree.InsertItem(QStringLiteral("A"), nullptr, true);
    EXPECT_EQ(tree.topLevelItem(0), first);
    QTreeWidgetItem* foreign = other.InsertItem(QStringLiteral("x"));
    EXPECT_FALSE(tree.SetDialogPage(foreign, 0));
    EXPECT_FALSE(tree.SetDialogPage(child, 1));
    EXPECT_FALSE(tree.SetDialogPage(child, -1));
    EXPECT_TRUE(tree.SetDialogPage(child, 0));
    EXPECT_EQ(tree.GetDialogPage(root, true).second, page);
    EXPECT_EQ(tree.GetDialogPage(root, false).second, nullptr);
    EXPECT_EQ(tree.GetDialogPage(grandChild, true).second, nullptr);
    EXPECT_EQ(tree.GetDialogPage(nullptr, true).first, 0u);

    EXPECT_TRUE(tree.ExpandAll());
    EXPECT_TRUE(root->isExpanded());
    EXPECT_TRUE(child->isExpanded());
    EXPECT_FALSE(grandChild->isExpanded());

    EXPECT_TRUE(tree.RemoveDialogPageIndexFromMap(child));
    EXPECT_FALSE(tree.RemoveDialogPageIndexFromMap(child));
    EXPECT_EQ(tree.GetDialogPage(child, false).second, nullptr);
    // Pages never shown go with the tree (no leak, no double delete).
}

} // namespace
