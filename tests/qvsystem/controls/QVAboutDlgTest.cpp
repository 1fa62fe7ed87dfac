#include "TestSupport.h"

#include "qvsystem/controls/QVAboutDlg.h"
#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVTreeCtrl.h"
#include "qvsystem/system/ModuleVersion.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStackedWidget>
#include <QTest>

#include <dlfcn.h>

namespace {

// The shared library carries a version block; this test program and Qt carry none.
const QString kLibrary = QStringLiteral(CORDA_BINARY_DIR "/qvsystem/libqvsystem.so");

// Loads the shared library into this process once (the test links the library's parts
// statically, so it is not loaded otherwise). It stays loaded.
bool LoadSharedLibrary()
{
    static void* handle = dlopen(QFile::encodeName(kLibrary).constData(), RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr;
}

QString Text(const CQVAboutDlg& dialog, int id)
{
    QWidget* control = dialog.GetDlgItem(id);
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* text = qobject_cast<QPlainTextEdit*>(control))
        return text->toPlainText();
    return QStringLiteral("<no control %1>").arg(id);
}

void Select(CQVAboutDlg& dialog, QTreeWidgetItem* item)
{
    ASSERT_NE(item, nullptr);
    dialog.GetTreeCtrl()->scrollToItem(item);
    const QRect rect = dialog.GetTreeCtrl()->visualItemRect(item);
    QTest::mouseClick(dialog.GetTreeCtrl()->viewport(), Qt::LeftButton, {}, rect.center());
    ASSERT_EQ(dialog.GetTreeCtrl()->currentItem(), item);
}

QWidget* CurrentPage(const CQVAboutDlg& dialog)
{
    return dialog.findChild<QStackedWidget*>()->currentWidget();
}

void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QImage shot = widget.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    const QByteArray folder = qgetenv("CORDA_TEST_SCREENSHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
    }
}

} // namespace

// Guards the module details: a module with a version block shows its description,
// version and copyright beside its path; one without shows its path and nothing else; the
// product item shows the program's own (here: none, only the path).
TEST(QVAboutDlgTest, ModulesShowTheirVersionDetailsOrOnlyTheirPath)
{
    ASSERT_TRUE(QFileInfo::exists(kLibrary)) << "build the qvsystem target first";
    ASSERT_TRUE(LoadSharedLibrary()) << dlerror();
    const QString program = QCoreApplication::applicationFilePath();
    CQVAboutDlg dialog(QString(), 0, program);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(dialog.GetTreeCtrl()->topLevelItemCount(), 2); // no acknowledgements
    EXPECT_EQ(dialog.GetAcknowledgementsItem(), nullptr);
    EXPECT_EQ(dialog.GetProductInformationItem()->text(0), QStringLiteral("Product Information"));
    EXPECT_EQ(dialog.GetLoadedModulesItem()->text(0), QStringLiteral("Loaded Modules"));

    // The product is selected first; this program has no version block.
    EXPECT_EQ(dialog.GetTreeCtrl()->currentItem(), dialog.GetProductInformationItem());
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_FILE_PATH), program);
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_NAME), QString());
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_VERSION), QString());

    // The program is not listed among the loaded modules; the children are sorted.
    QTreeWidgetItem* modules = dialog.GetLoadedModulesItem();
    QStringList names;
    for (int i = 0; i < modules->childCount(); ++i)
        names.append(modules->child(i)->text(0));
    EXPECT_FALSE(names.contains(QFileInfo(program).fileName()));
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(names, sorted);

    Select(dialog, dialog.FindModuleItem(QStringLiteral("libqvsystem.so")));
    SaveScreenshot(dialog, QStringLiteral("about-module.png"));
    CModuleVersion version;
    ASSERT_TRUE(version.Load(kLibrary));
    QString fileVersion;
    version.GetFileVersion(fileVersion);
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_NAME), QStringLiteral("QVSystem Code Library"));
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_VERSION), fileVersion);
    EXPECT_FALSE(fileVersion.isEmpty());
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_COPYRIGHT), QStringLiteral("Copyright \u00a9 2026 Corda Software"));
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_SPECIAL_BUILD), QString());
    EXPECT_EQ(QFileInfo(Text(dialog, IDC_QV_ABOUT_FILE_PATH)).canonicalFilePath(),
              QFileInfo(kLibrary).canonicalFilePath());

    // Qt's core library has no version block: its path, and empty details.
    QTreeWidgetItem* qtCore = nullptr;
    for (int i = 0; i < modules->childCount(); ++i) {
        if (modules->child(i)->text(0).startsWith(QStringLiteral("libQt6Core.so")))
            qtCore = modules->child(i);
    }
    Select(dialog, qtCore);
    EXPECT_TRUE(Text(dialog, IDC_QV_ABOUT_FILE_PATH).endsWith(qtCore->text(0)));
    EXPECT_TRUE(QFileInfo::exists(Text(dialog, IDC_QV_ABOUT_FILE_PATH)));
    for (int id : {IDC_QV_ABOUT_NAME, IDC_QV_ABOUT_VERSION, IDC_QV_ABOUT_COPYRIGHT,
                   IDC_QV_ABOUT_SPECIAL_BUILD, IDC_QV_ABOUT_COMMENTS})
        EXPECT_EQ(Text(dialog, id), QString()) << id;

    // "Loaded Modules" itself lists them all, with the version where there is one.
    Select(dialog, modules);
    CQVListCtrl* list = dialog.GetModuleList();
    EXPECT_EQ(CurrentPage(dialog), list);
    ASSERT_EQ(list->GetItemCount(), modules->childCount());
    const int row = static_cast<int>(names.indexOf(QStringLiteral("libqvsystem.so")));
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->GetItemText(row, CQVAboutDlg::COLUMN_NAME), QStringLiteral("libqvsystem.so"));
    EXPECT_EQ(list->GetItemText(row, CQVAboutDlg::COLUMN_VERSION), fileVersion);
    EXPECT_EQ(list->GetItemText(names.indexOf(qtCore->text(0)), CQVAboutDlg::COLUMN_VERSION), QString());
    SaveScreenshot(dialog, QStringLiteral("about-modules.png"));
    dialog.accept();
}

// Guards the product item and the acknowledgements: the program's product name and
// version come from its own block, and the acknowledgements page replaces the details only
// while it is selected.
TEST(QVAboutDlgTest, ProductInformationAndAcknowledgements)
{
    ASSERT_TRUE(QFileInfo::exists(kLibrary));
    const QString thanks = QStringLiteral("zlib: Copyright (C) 1995-2022 Jean-loup Gailly and Mark Adler");
    CQVAboutDlg dialog(QStringLiteral("About Corda Librarian"), 0, kLibrary, 0, thanks);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Corda Librarian"));
    ASSERT_NE(dialog.GetAcknowledgementsItem(), nullptr);
    EXPECT_EQ(dialog.GetAcknowledgementsItem()->text(0), QStringLiteral("Acknowledgements"));
    EXPECT_EQ(dialog.GetTreeCtrl()->topLevelItemCount(), 3);
    // The product's own module is not repeated among the loaded ones.
    EXPECT_EQ(dialog.FindModuleItem(QStringLiteral("libqvsystem.so")), nullptr);
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_NAME), QStringLiteral("QVSystem Code Library"));
    EXPECT_FALSE(Text(dialog, IDC_QV_ABOUT_VERSION).isEmpty());
    EXPECT_TRUE(dialog.GetDlgItem(IDC_QV_ABOUT_NAME)->font().bold());
    QWidget* details = CurrentPage(dialog);

    Select(dialog, dialog.GetAcknowledgementsItem());
    EXPECT_NE(CurrentPage(dialog), details);
    EXPECT_TRUE(CurrentPage(dialog)->isAncestorOf(dialog.GetDlgItem(IDC_QV_ABOUT_ACKNOWLEDGEMENTS)));
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_ACKNOWLEDGEMENTS), thanks);
    EXPECT_EQ(Text(dialog, IDC_QV_ABOUT_ACKNOWLEDGEMENTS_HEADING), QStringLiteral("Acknowledgements"));
    Select(dialog, dialog.GetProductInformationItem());
    EXPECT_EQ(CurrentPage(dialog), details);
    dialog.accept();
}

// Guards the enumeration of another process's modules: its program and C library from its
// memory map, each once; a process that does not exist gives nothing.
TEST(QVAboutDlgTest, ModulesOfAnotherProcess)
{
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(sleeper.waitForStarted(5000));
    // Right after the start the dynamic linker may not have mapped the C library yet.
    auto hasLibc = [](const QStringList& paths) {
        return std::any_of(paths.begin(), paths.end(), [](const QString& path) {
            return QFileInfo(path).fileName().startsWith("libc.so");
        });
    };
    QStringList modules;
    QDeadlineTimer deadline(10000);
    for (;;) {
        modules = AfxEnumerateProcessModules(sleeper.processId());
        if (hasLibc(modules) || deadline.hasExpired())
            break;
        QTest::qWait(20);
    }
    sleeper.kill();
    sleeper.waitForFinished(5000);
    EXPECT_TRUE(std::any_of(modules.begin(), modules.end(), [](const QString& path) {
        return QFileInfo(path).fileName() == QLatin1String("sleep");
    })) << modules.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(hasLibc(modules));
    EXPECT_EQ(modules.size(), QSet<QString>(modules.begin(), modules.end()).size());
    EXPECT_TRUE(AfxEnumerateProcessModules(0x7FFFFFF0).isEmpty());

    // This process: its program first, then every loaded library with a path.
    const QStringList own = AfxEnumerateProcessModules(0);
    ASSERT_FALSE(own.isEmpty());
    EXPECT_EQ(own.first(), QCoreApplication::applicationFilePath());
    for (const QString& path : own)
        EXPECT_TRUE(path.startsWith(QLatin1Char('/'))) << path.toStdString();
}
