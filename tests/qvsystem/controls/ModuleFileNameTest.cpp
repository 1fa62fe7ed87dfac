#include "MessageBoxDriver.h"

#include "qvsystem/controls/ModuleFileName.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QtGlobal>

#include <sys/mman.h>

using corda::test::CMessageBoxDriver;

namespace {

int FunctionOfTheProgram()
{
    return 7;
}

} // namespace

// Guards against the loader's argv[0]-style name for the program (relative, or just a
// name) being returned instead of the full path.
TEST(ModuleFileNameTest, ProgramAndLibrariesHaveTheirFullPaths)
{
    QString path;
    ASSERT_EQ(AfxGetModuleFileName(nullptr, path), 1);
    EXPECT_EQ(path, QCoreApplication::applicationFilePath());
    EXPECT_TRUE(QFileInfo(path).isAbsolute());

    QString same;
    ASSERT_EQ(AfxGetModuleFileName(reinterpret_cast<const void*>(&FunctionOfTheProgram), same), 1);
    EXPECT_EQ(same, path);

    QString library;
    ASSERT_EQ(AfxGetModuleFileName(reinterpret_cast<const void*>(&qVersion), library), 1);
    EXPECT_TRUE(QFileInfo(library).isAbsolute());
    EXPECT_TRUE(QFileInfo(library).fileName().startsWith(QStringLiteral("libQt6Core.so")))
        << library.toStdString();
    EXPECT_TRUE(QFileInfo::exists(library));
}

// Guards against an address outside every module passing silently or crashing: the user
// sees the system-error box and the caller gets 0 with no path.
TEST(ModuleFileNameTest, AddressOutsideEveryModuleShowsSystemError)
{
    void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    QString text;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        text = box.text();
        box.button(QMessageBox::Ok)->click();
    });
    QString path = QStringLiteral("stale");
    EXPECT_EQ(AfxGetModuleFileName(page, path), 0);
    ::munmap(page, 4096);
    EXPECT_TRUE(path.isEmpty());
    EXPECT_TRUE(driver.Seen());
    EXPECT_TRUE(text.startsWith(QStringLiteral("A system error has occurred.\n\n"))) << text.toStdString();
    EXPECT_GT(text.size(), 30);
}
