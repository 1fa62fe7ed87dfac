// Property sheets and wizards of library pages.
#include "qvsystem/controls/QVEdit.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/QVPropertyPage.h"
#include "qvsystem/controls/QVPropertySheet.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

class CTestPage : public CQVPropertyPage {
public:
    explicit CTestPage(const QString& title, const QString& topic = QString()) : m_strTopic(topic)
    {
        setWindowTitle(title);
        auto* layout = new QVBoxLayout(this);
        m_pEdit = new CQVEdit(this);
        m_pEdit->setObjectName(QStringLiteral("3001"));
        layout->addWidget(m_pEdit);
        layout->addStretch();
        setMinimumSize(280, 160);
    }
    bool OnInitDialog() override
    {
        CQVPropertyPage::OnInitDialog();
        ++m_nInitCount;
        return LoadData();
    }
    bool ValidateData(int&, QString&, QString& text, QRect& rect) override
    {
        if (m_bValid)
            return true;
        text = windowTitle() + QStringLiteral(": enter a value.");
        rect = AfxGetScreenRect(m_pEdit);
        return false;
    }
    bool SaveData() override
    {
        ++m_nSaveCount;
        return true;
    }
    bool IsApplyOK() const override { return m_bApplyOK; }
    QString GetHelpTopic() const override { return m_strTopic; }
    void PreSaveStateControls() override { ++m_nStateSaves; }
    void OnIdle() override { ++m_nIdleCount; }

    QString m_strTopic;
    CQVEdit* m_pEdit;
    bool m_bValid = true;
    bool m_bApplyOK = true;
    int m_nInitCount = 0;
    int m_nSaveCount = 0;
    int m_nStateSaves = 0;
    int m_nIdleCount = 0;
};

struct Sheet {
    explicit Sheet(bool wizard = false) : sheet(QStringLiteral("Properties"))
    {
        for (const char* title : {"General", "Lyrics", "Notes"}) {
            auto* page =
                new CTestPage(QString::fromLatin1(title), QStringLiteral("%1.htm").arg(title).toLower());
            pages.push_back(page);
            sheet.AddPage(page);
        }
        sheet.SetWizardMode(wizard);
    }
    void Show()
    {
        corda::test::AllowQtWarning(QStringLiteral("does not support raise"));
        sheet.move(40, 40);
        sheet.show();
        QApplication::setActiveWindow(&sheet);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    }
    QPushButton* Button(int id) const { return sheet.GetButton(id); }
    void ClickTab(int index)
    {
        QTabBar* bar = sheet.GetTabControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    }

    CQVPropertySheet sheet;
    std::vector<CTestPage*> pages;
};

void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QImage shot = widget.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

// The buttons must carry the documented texts, Help must sit at the left end of the row in
// line with the tab control (and stay narrow), the others follow in order.
TEST(PropertySheet, ButtonTextsAndHelpAtTheLeftEnd)
{
    Sheet s;
    s.Show();
    EXPECT_EQ(s.Button(1)->text(), QStringLiteral("OK"));
    EXPECT_EQ(s.Button(2)->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(s.Button(IDC_QV_SHEET_APPLY)->text(), QStringLiteral("&Apply"));
    EXPECT_EQ(s.Button(IDC_QV_SHEET_HELP)->text(), QStringLiteral("Help"));
    for (int id : {IDC_QV_WIZARD_BACK, IDC_QV_WIZARD_NEXT, IDC_QV_WIZARD_FINISH})
        EXPECT_FALSE(s.Button(id)->isVisible()) << id;
    QPushButton* help = s.Button(IDC_QV_SHEET_HELP);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->geometry().left(), s.sheet.GetTabControl()->geometry().left());
    EXPECT_LT(help->geometry().right(), s.Button(1)->geometry().left());
    EXPECT_LT(s.Button(1)->geometry().right(), s.Button(2)->geometry().left());
    EXPECT_LT(s.Button(2)->geometry().right(), s.Button(IDC_QV_SHEET_APPLY)->geometry().left());
    EXPECT_LT(help->width(), s.Button(1)->width());
    help->setFocus();
    QTest::keyClick(help, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), s.Button(1));
    QTest::keyClick(s.Button(1), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), s.Button(2));
    EXPECT_EQ(s.sheet.GetTabControl()->count(), 3);
    EXPECT_EQ(s.sheet.GetTabControl()->tabText(1), QStringLiteral("Lyrics"));
    // Only the first page is loaded; Apply waits for a change.
    EXPECT_EQ(s.pages[0]->m_nInitCount, 1);
    EXPECT_EQ(s.pages[1]->m_nInitCount, 0);
    EXPECT_FALSE(s.Button(IDC_QV_SHEET_APPLY)->isEnabled());
    s.pages[0]->SetModified();
    EXPECT_TRUE(s.Button(IDC_QV_SHEET_APPLY)->isEnabled());
    SaveScreenshot(s.sheet, QStringLiteral("property-sheet.png"));

    Sheet w(true);
    w.Show();
    EXPECT_EQ(w.Button(IDC_QV_WIZARD_BACK)->text(), QStringLiteral("< &Back"));
    EXPECT_EQ(w.Button(IDC_QV_WIZARD_NEXT)->text(), QStringLiteral("&Next >"));
    EXPECT_EQ(w.Button(IDC_QV_WIZARD_FINISH)->text(), QStringLiteral("&Finish"));
    EXPECT_EQ(w.Button(2)->text(), QStringLiteral("Cancel"));
    EXPECT_FALSE(w.Button(1)->isVisible());
    EXPECT_FALSE(w.Button(IDC_QV_SHEET_APPLY)->isVisible());
    EXPECT_FALSE(w.Button(IDC_QV_WIZARD_BACK)->isEnabled());
    EXPECT_TRUE(w.Button(IDC_QV_WIZARD_NEXT)->isVisible());
    EXPECT_FALSE(w.Button(IDC_QV_WIZARD_FINISH)->isVisible());
    SaveScreenshot(w.sheet, QStringLiteral("wizard.png"));
}

// Leaving a tab with invalid data must keep that tab, with the balloon on its control; Apply
// must validate every page that was shown and make the failing one active.
TEST(PropertySheet, TabChangeAndApplyValidate)
{
    Sheet s;
    s.Show();
    s.pages[0]->m_bValid = false;
    s.ClickTab(1);
    EXPECT_EQ(s.sheet.GetActiveIndex(), 0);
    EXPECT_EQ(s.sheet.GetTabControl()->currentIndex(), 0);
    EXPECT_TRUE(s.pages[0]->isVisible());
    EXPECT_EQ(s.pages[1]->m_nInitCount, 0);
    ASSERT_TRUE(s.pages[0]->IsValidationErrorMessageActive());
    EXPECT_EQ(s.pages[0]->GetValidationToolTipWindow()->GetText(), QStringLiteral("General: enter a value."));

    s.pages[0]->m_bValid = true;
    s.ClickTab(2);
    EXPECT_EQ(s.sheet.GetActiveIndex(), 2);
    EXPECT_TRUE(s.pages[2]->isVisible());
    EXPECT_EQ(s.pages[2]->m_nInitCount, 1);

    s.pages[0]->m_bValid = false;
    s.pages[2]->SetModified();
    QTest::mouseClick(s.Button(IDC_QV_SHEET_APPLY), Qt::LeftButton);
    EXPECT_EQ(s.pages[2]->m_nSaveCount, 1);
    EXPECT_EQ(s.pages[0]->m_nSaveCount, 0);
    EXPECT_EQ(s.pages[1]->m_nSaveCount, 0);
    EXPECT_EQ(s.sheet.GetActiveIndex(), 0);
    EXPECT_TRUE(s.pages[0]->isVisible());
    EXPECT_TRUE(s.pages[0]->IsValidationErrorMessageActive());
    EXPECT_TRUE(s.sheet.isVisible());

    // OK with the data put right saves the shown pages and closes; the page never shown is
    // neither saved nor asked to save its state.
    s.pages[0]->m_bValid = true;
    QTest::mouseClick(s.Button(1), Qt::LeftButton);
    EXPECT_FALSE(s.sheet.isVisible());
    EXPECT_EQ(s.sheet.result(), QDialog::Accepted);
    EXPECT_EQ(s.pages[0]->m_nSaveCount, 1);
    EXPECT_EQ(s.pages[2]->m_nSaveCount, 2);
    EXPECT_EQ(s.pages[1]->m_nSaveCount, 0);
    EXPECT_EQ(s.pages[0]->m_nStateSaves, 1);
    EXPECT_EQ(s.pages[2]->m_nStateSaves, 1);
    EXPECT_EQ(s.pages[1]->m_nStateSaves, 0);
}

// OK is enabled only while every page agrees; a page of another class makes it fail.
// Cancel saves nothing but still saves the pages' state. F1 opens the active page's topic.
TEST(PropertySheet, OkFollowsThePagesAndCancelKeepsTheState)
{
    QStringList opened;
    AfxSetHtmlHelpTopicHandler([&opened](const QString& path) { opened.append(path); });
    {
        Sheet s;
        s.Show();
        EXPECT_TRUE(s.Button(1)->isEnabled());
        s.pages[1]->m_bApplyOK = false;
        QTRY_VERIFY_WITH_TIMEOUT(!s.Button(1)->isEnabled(), 5000);
        s.pages[1]->m_bApplyOK = true;
        QTRY_VERIFY_WITH_TIMEOUT(s.Button(1)->isEnabled(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(s.pages[0]->m_nIdleCount > 0, 5000);
        EXPECT_EQ(s.pages[1]->m_nIdleCount, 0);

        s.pages[0]->m_pEdit->setFocus();
        QTest::keyClick(s.pages[0]->m_pEdit, Qt::Key_F1, Qt::ShiftModifier);
        EXPECT_TRUE(opened.isEmpty());
        QTest::keyClick(s.pages[0]->m_pEdit, Qt::Key_F1);
        EXPECT_EQ(opened, (QStringList{"cordalib.chm::/general.htm"}));
        QTest::mouseClick(s.Button(IDC_QV_SHEET_HELP), Qt::LeftButton);
        EXPECT_EQ(opened.size(), 2);

        s.sheet.AddPage(new QWidget);
        QTRY_VERIFY_WITH_TIMEOUT(!s.Button(1)->isEnabled(), 5000);
        EXPECT_EQ(s.sheet.GetQVPage(3), nullptr);
        EXPECT_NE(s.sheet.GetPage(3), nullptr);

        s.pages[0]->m_bValid = false;
        QTest::mouseClick(s.Button(2), Qt::LeftButton);
        EXPECT_FALSE(s.sheet.isVisible());
        EXPECT_EQ(s.sheet.result(), QDialog::Rejected);
        EXPECT_EQ(s.pages[0]->m_nSaveCount, 0);
        EXPECT_EQ(s.pages[0]->m_nStateSaves, 1);
        EXPECT_FALSE(s.pages[0]->IsValidationErrorMessageActive());
    }
    AfxSetHtmlHelpTopicHandler(nullptr);

    CQVPropertySheet empty(QStringLiteral("Empty"));
    EXPECT_TRUE(empty.IsOK());
}

// A wizard validates and saves on Next, Back and Finish and stays on the page when that
// fails; it does not validate on a mere change of page.
TEST(PropertySheet, WizardStaysOnAPageWithInvalidData)
{
    Sheet w(true);
    w.Show();
    w.pages[0]->m_bValid = false;
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_NEXT), Qt::LeftButton);
    EXPECT_EQ(w.sheet.GetActiveIndex(), 0);
    EXPECT_TRUE(w.pages[0]->IsValidationErrorMessageActive());
    EXPECT_EQ(w.pages[0]->m_nSaveCount, 0);

    w.pages[0]->m_bValid = true;
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_NEXT), Qt::LeftButton);
    EXPECT_EQ(w.sheet.GetActiveIndex(), 1);
    EXPECT_EQ(w.pages[0]->m_nSaveCount, 1);
    EXPECT_TRUE(w.Button(IDC_QV_WIZARD_BACK)->isEnabled());
    w.pages[1]->m_bValid = false;
    EXPECT_TRUE(w.sheet.SetActivePage(2));
    EXPECT_TRUE(w.Button(IDC_QV_WIZARD_FINISH)->isVisible());
    EXPECT_FALSE(w.Button(IDC_QV_WIZARD_NEXT)->isVisible());

    w.pages[2]->m_bValid = false;
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_FINISH), Qt::LeftButton);
    EXPECT_TRUE(w.sheet.isVisible());
    w.pages[2]->m_bValid = true;
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_BACK), Qt::LeftButton);
    EXPECT_EQ(w.sheet.GetActiveIndex(), 1);
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_NEXT), Qt::LeftButton);
    EXPECT_EQ(w.sheet.GetActiveIndex(), 1);
    w.pages[1]->m_bValid = true;
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_NEXT), Qt::LeftButton);
    QTest::mouseClick(w.Button(IDC_QV_WIZARD_FINISH), Qt::LeftButton);
    EXPECT_FALSE(w.sheet.isVisible());
    EXPECT_EQ(w.sheet.result(), QDialog::Accepted);
    EXPECT_EQ(w.pages[2]->m_nSaveCount, 2);
}

// Closing the sheet from a page must not throw away entries that were refused.
TEST(PropertySheet, ClosePropertySheetOnlyAfterASuccessfulApply)
{
    Sheet s;
    s.Show();
    s.pages[0]->m_bApplyOK = false;
    EXPECT_FALSE(s.pages[0]->ClosePropertySheet());
    s.pages[0]->m_bApplyOK = true;
    s.pages[0]->m_bValid = false;
    EXPECT_FALSE(s.pages[0]->ClosePropertySheet());
    EXPECT_TRUE(s.sheet.isVisible());
    EXPECT_EQ(s.pages[0]->GetQVPropertySheet(), &s.sheet);
    s.pages[0]->m_bValid = true;
    EXPECT_TRUE(s.pages[0]->ClosePropertySheet());
    EXPECT_FALSE(s.sheet.isVisible());
    EXPECT_EQ(s.sheet.result(), QDialog::Accepted);
}

} // namespace
