// The File Properties sheet over the program's library, saved and never saved, opened
// from the main window's File.Properties; and every help topic the list commands and the
// sheet name has its page.
#include "MainFrameTestLibrary.h"
#include "TestSupport.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/ui/FileGeneralPropertyPage.h"
#include "cordalib/ui/FilePropertySheet.h"
#include "cordalib/ui/FileUsageInformationPropertyPage.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/RecycleMessageBox.h"
#include "cordalib/ui/RenameDlg.h"
#include "qvsystem/controls/HtmlHelp.h"
#include "qvsystem/controls/QVTreeCtrl.h"
#include "qvsystem/platform/FileTime.h"
#include "qvsystem/system/FormatUtilities.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

using corda::test::AllowQtWarning;

class FilePropertySheetTest : public MainFrameLibraryTest {
protected:
    void SetUp() override
    {
        MainFrameLibraryTest::SetUp();
        AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
    }

    // The texts of the usage tree, depth first, children indented by two blanks.
    static QStringList TreeTexts(const QTreeWidgetItem* item, int depth = 0)
    {
        QStringList texts{QString(depth * 2, QLatin1Char(' ')) + item->text(0)};
        for (int i = 0; i < item->childCount(); ++i)
            texts << TreeTexts(item->child(i), depth + 1);
        return texts;
    }

    static QString UsageTime(const COleDateTime& utc)
    {
        COleDateTime local;
        EXPECT_TRUE(AfxUTCToLocalTime(utc, local));
        return AfxFormatLocaleDateTime(local);
    }

    // The long local date and time of a file time as Qt reads it.
    static QString LongDateTime(const QDateTime& time)
    {
        const int64_t msecs = time.toMSecsSinceEpoch();
        timespec stamp{};
        stamp.tv_sec = static_cast<time_t>(msecs / 1000);
        stamp.tv_nsec = static_cast<long>(msecs % 1000) * 1000000L;
        COleDateTime local;
        EXPECT_TRUE(AfxUTCToLocalTime(COleDateTime::FromFileTime(AfxTimespecToFileTime(stamp)), local));
        return AfxGetLocaleLongDateTime(local);
    }
};

} // namespace

// A library that was never saved has no file: "New Database" and "Unknown" everywhere the
// file is asked about, the size of 0 bytes, and the counts add up.
TEST_F(FilePropertySheetTest, NeverSavedLibrary)
{
    GenerateLibrary(3, 2);
    ASSERT_FALSE(QFileInfo::exists(DatabaseFile()));
    const QString path = CFilePropertySheet::GetDatabaseFilePath(App());
    EXPECT_TRUE(path.isEmpty());

    CFilePropertySheet sheet(App().GetLibraryDatabase(), path);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("File Properties"));
    EXPECT_FALSE(sheet.windowFlags() & Qt::WindowContextHelpButtonHint);
    ASSERT_NE(sheet.GetButton(IDC_QV_SHEET_APPLY), nullptr);
    EXPECT_FALSE(sheet.GetButton(IDC_QV_SHEET_APPLY)->isVisible());
    EXPECT_TRUE(sheet.GetButton(IDC_QV_SHEET_HELP)->isVisible());
    EXPECT_EQ(sheet.GetTabControl()->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(sheet.GetTabControl()->tabText(1), QStringLiteral("Usage Information"));

    const CFileGeneralPropertyPage* general = sheet.GetGeneralPage();
    const QString unknown = QStringLiteral("Unknown");
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_NAME), QStringLiteral("New Database"));
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_TYPE),
              QStringLiteral("Corda Librarian Database File"));
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_VERSION), QStringLiteral("1.0"));
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_LOCATION), unknown);
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_SIZE), AfxFormatFileSize(0));
    for (int id : {CFileGeneralPropertyPage::IDC_FILE_CREATED, CFileGeneralPropertyPage::IDC_FILE_MODIFIED,
                   CFileGeneralPropertyPage::IDC_FILE_ACCESSED})
        EXPECT_EQ(general->GetValueText(id), unknown) << id;
    // The name is bold.
    const QWidget* name =
        general->findChild<QWidget*>(QString::number(CFileGeneralPropertyPage::IDC_FILE_NAME));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->font().bold());

    ASSERT_TRUE(sheet.SetActivePage(CFilePropertySheet::PAGE_USAGE_INFORMATION));
    const CQVTreeCtrl* tree = sheet.GetUsageInformationPage()->GetTreeControl();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_TRUE(root->isExpanded());
    EXPECT_TRUE(tree->IsItemBold(root));
    const CLibraryDatabase& database = App().GetLibraryDatabase();
    const QString software =
        database.GetEncodingSoftware().isEmpty() ? unknown : database.GetEncodingSoftware();
    EXPECT_EQ(TreeTexts(root),
              (QStringList{QStringLiteral("New Database"),
                           QStringLiteral("  Created: ") + UsageTime(database.GetCreated()),
                           QStringLiteral("  Modified: ") + UsageTime(database.GetModified()),
                           QStringLiteral("  Encoding software: ") + software,
                           QStringLiteral("  Number of files: 5"), QStringLiteral("  Songs"),
                           QStringLiteral("    Number of files: 3"), QStringLiteral("  Lessons"),
                           QStringLiteral("    Number of files: 2")}));
    EXPECT_TRUE(tree->IsItemBold(root->child(4)));
    EXPECT_TRUE(tree->IsItemBold(root->child(5)));
    EXPECT_FALSE(tree->IsItemBold(root->child(3)));
    sheet.reject();
}

// A saved library: its file's name, place, size and times as the file system has them,
// the zero time without text, and the sheet opening at the page asked for; File.Properties
// in the main window opens the same sheet.
TEST_F(FilePropertySheetTest, SavedLibraryAndTheMenuCommand)
{
    GenerateLibrary(40, 0);
    ASSERT_TRUE(App().SaveDatabase(false, false));
    const QString path = CFilePropertySheet::GetDatabaseFilePath(App());
    ASSERT_EQ(path, DatabaseFile());
    const QFileInfo file(path);
    ASSERT_TRUE(file.exists());

    CFilePropertySheet sheet(App().GetLibraryDatabase(), path, nullptr,
                             CFilePropertySheet::PAGE_USAGE_INFORMATION);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    EXPECT_EQ(sheet.GetActiveIndex(), CFilePropertySheet::PAGE_USAGE_INFORMATION);
    const QTreeWidgetItem* root = sheet.GetUsageInformationPage()->GetTreeControl()->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), QStringLiteral("library.cordb"));
    EXPECT_EQ(root->child(3)->text(0), QStringLiteral("Number of files: 40"));
    EXPECT_EQ(root->child(5)->child(0)->text(0), QStringLiteral("Number of files: 0"));

    ASSERT_TRUE(sheet.SetActivePage(CFilePropertySheet::PAGE_GENERAL));
    const CFileGeneralPropertyPage* general = sheet.GetGeneralPage();
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_NAME),
              QStringLiteral("library.cordb"));
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_LOCATION), path);
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_SIZE),
              AfxFormatExtendedFileSize(file.size()));
    EXPECT_GE(file.size(), 1024); // the text carries the exact count
    EXPECT_TRUE(
        general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_SIZE).endsWith(QStringLiteral(" bytes)")));
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_MODIFIED),
              LongDateTime(file.lastModified()));
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_ACCESSED),
              LongDateTime(file.lastRead()));
    const QDateTime born = file.birthTime();
    EXPECT_EQ(general->GetValueText(CFileGeneralPropertyPage::IDC_FILE_CREATED),
              born.isValid() ? LongDateTime(born) : QStringLiteral("Unknown"));
    sheet.reject();

    // The zero time, which the library has before it knows one, has no text.
    CLibraryDatabase empty;
    CFileUsageInformationPropertyPage page(empty, QString());
    page.InitDialog();
    EXPECT_EQ(page.GetTreeControl()->topLevelItem(0)->text(0), QStringLiteral("New Database"));
    EXPECT_EQ(page.GetTreeControl()->topLevelItem(0)->child(2)->text(0),
              QStringLiteral("Encoding software: Unknown"));

    // File.Properties: enabled always, opens the sheet over the window.
    CMainFrame frame(App());
    ASSERT_TRUE(frame.Create());
    QAction* properties = frame.FindCommand(int(CordaCommands::ID_FILE_PROPERTIES));
    ASSERT_NE(properties, nullptr);
    frame.UpdateCommandStates();
    EXPECT_TRUE(properties->isEnabled());
    QString seen;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&seen, &poll] {
        auto* opened = qobject_cast<CFilePropertySheet*>(QApplication::activeModalWidget());
        if (!opened || !opened->isVisible())
            return;
        poll.stop();
        seen = opened->GetGeneralPage()->GetValueText(CFileGeneralPropertyPage::IDC_FILE_NAME);
        opened->reject();
    });
    poll.start();
    properties->trigger();
    EXPECT_EQ(seen, QStringLiteral("library.cordb"));
}

// Every help topic that the list commands' dialogs and the sheet's pages name is a page
// of the program's help.
TEST_F(FilePropertySheetTest, HelpTopicsHavePages)
{
    CFilePropertySheet sheet(App().GetLibraryDatabase(), QString());
    const QStringList topics{CRenameDlg(true, QStringLiteral("a.crd")).GetHelpTopic(),
                             CRenameDlg(false, QStringLiteral("a.crd")).GetHelpTopic(),
                             CRecycleMessageBox().GetHelpTopic(), sheet.GetGeneralPage()->GetHelpTopic(),
                             sheet.GetUsageInformationPage()->GetHelpTopic()};
    const QString folder = AfxGetHtmlHelpFolder(QStringLiteral("cordalib.chm"));
    ASSERT_FALSE(folder.isEmpty());
    for (const QString& topic : topics) {
        SCOPED_TRACE(topic.toStdString());
        ASSERT_FALSE(topic.isEmpty());
        const QByteArray page = corda::test::ReadAll(folder + QLatin1Char('/') + topic);
        EXPECT_TRUE(page.contains("<h1>")) << "no page";
    }
}
