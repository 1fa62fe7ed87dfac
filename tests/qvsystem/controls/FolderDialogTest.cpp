#include "MessageBoxDriver.h"

#include "qvsystem/controls/FolderDialog.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>

using FileDialogDriver = corda::test::CModalDriver<QFileDialog>;

namespace {

QString Clean(const QString& path)
{
    return QDir::cleanPath(path);
}

} // namespace

// Guards against the chosen folder not coming back, and a cancelled browser changing the
// caller's folder or reporting success.
TEST(FolderDialogTest, ChosenFolderComesBackAndCancelChangesNothing)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Music/Rock")));
    const QString rock = Clean(root.filePath(QStringLiteral("Music/Rock")));

    QString folder = rock;
    QString title;
    bool canCreate = false;
    {
        FileDialogDriver driver([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            canCreate = !dialog.testOption(QFileDialog::ReadOnly);
            static_cast<QDialog&>(dialog).accept();
        });
        EXPECT_EQ(AfxFolderDialogDoModal(nullptr, QStringLiteral("Select a folder to add to the library"),
                                         folder, 0x51),
                  1);
        EXPECT_TRUE(driver.Seen());
    }
    EXPECT_EQ(folder, rock);
    EXPECT_EQ(title, QStringLiteral("Select a folder to add to the library"));
    EXPECT_TRUE(canCreate);

    folder = QStringLiteral("unchanged");
    {
        FileDialogDriver driver([](QFileDialog& dialog) { dialog.reject(); });
        EXPECT_EQ(AfxFolderDialogDoModal(nullptr, QStringLiteral("t"), folder, BIF_RETURNONLYFSDIRS), 0);
    }
    EXPECT_EQ(folder, QStringLiteral("unchanged"));
    // A title id that does not load shows nothing.
    FileDialogDriver none([](QFileDialog& dialog) {
        ADD_FAILURE() << "unexpected dialog";
        dialog.reject();
    });
    EXPECT_EQ(AfxFolderDialogDoModal(nullptr, 4000000000u, folder), 0);
    EXPECT_FALSE(none.Seen());
}

// Guards against the callback's initial selection being ignored (the Add button opens at
// the folder chosen last) and against EnableOK(false) being undone by the dialog.
TEST(FolderDialogTest, CallbackSelectsAtStartAndCanRefuseOK)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Last")));
    const QString last = Clean(root.filePath(QStringLiteral("Last")));

    std::vector<unsigned> messages;
    intptr_t seenParam = 0;
    bool refuse = true;
    const QVBrowseCallback callback = [&](CQVFolderBrowser& browser, unsigned message, const QString&,
                                          intptr_t param) {
        messages.push_back(message);
        seenParam = param;
        if (message == BFFM_INITIALIZED) {
            browser.SetSelection(last);
            browser.SetOKText(QStringLiteral("&Add"));
        }
        browser.EnableOK(!refuse);
        return 0;
    };

    QString folder;
    bool stayedOpen = false;
    QString directory;
    FileDialogDriver driver([&](QFileDialog& dialog) {
        directory = Clean(dialog.directory().absolutePath());
        static_cast<QDialog&>(dialog).accept();
        stayedOpen = dialog.isVisible();
        refuse = false;
        CQVFolderBrowser(&dialog).EnableOK(true);
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(AfxFolderDialogDoModal(nullptr, QStringLiteral("Select"), folder, 0x51, callback, 99), 1);
    EXPECT_EQ(directory, last);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(folder, last);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), BFFM_INITIALIZED);
    EXPECT_EQ(seenParam, 99);
}
