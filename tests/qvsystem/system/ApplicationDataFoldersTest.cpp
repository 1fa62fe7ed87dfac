#include "qvsystem/system/ApplicationDataFolders.h"

#include "ScopedEnvironment.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

const CApplicationDataFolders kCorda(Q("Corda Software"), Q("Corda Librarian"), Q("1.0"));

} // namespace

// Guards the depth of each folder type and the trailing separator: the file locations are
// built as the product-name folder followed by a display name.
TEST(ApplicationDataFoldersTest, FoldersGoAsDeepAsTheType)
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    ASSERT_TRUE(config.startsWith(corda::test::SandboxRoot()));
    ASSERT_TRUE(data.startsWith(corda::test::SandboxRoot()));

    QString path;
    ASSERT_TRUE(kCorda.GetUserApplicationDataCompanyNameFolder(path));
    EXPECT_EQ(path, config + Q("/Corda Software"));
    ASSERT_TRUE(kCorda.GetUserApplicationDataProductNameFolder(path, true));
    EXPECT_EQ(path, config + Q("/Corda Software/Corda Librarian/"));
    ASSERT_TRUE(kCorda.GetUserApplicationDataProductVersionFolder(path));
    EXPECT_EQ(path, config + Q("/Corda Software/Corda Librarian/1.0"));

    ASSERT_TRUE(kCorda.GetUserLocalApplicationDataCompanyNameFolder(path, true));
    EXPECT_EQ(path, data + Q("/Corda Software/"));
    ASSERT_TRUE(kCorda.GetUserLocalApplicationDataProductNameFolder(path));
    EXPECT_EQ(path, data + Q("/Corda Software/Corda Librarian"));
    ASSERT_TRUE(kCorda.GetUserLocalApplicationDataFolder(productVersionFolder, path, true));
    EXPECT_EQ(path, data + Q("/Corda Software/Corda Librarian/1.0/"));

    ASSERT_TRUE(kCorda.GetComputerApplicationDataCompanyNameFolder(path));
    EXPECT_EQ(path, Q("/var/lib/Corda Software"));
    ASSERT_TRUE(kCorda.GetComputerApplicationDataProductNameFolder(path));
    EXPECT_EQ(path, Q("/var/lib/Corda Software/Corda Librarian"));
    ASSERT_TRUE(kCorda.GetComputerApplicationDataProductVersionFolder(path, true));
    EXPECT_EQ(path, Q("/var/lib/Corda Software/Corda Librarian/1.0/"));
}

// Guards the XDG defaults: unset or relative variables fall back to the home folder, and a
// trailing separator in a variable gives no doubled one.
TEST(ApplicationDataFoldersTest, FallsBackToHomeAsXdgSays)
{
    const std::string home = (corda::test::SandboxRoot() + Q("/home")).toStdString();
    ScopedEnvironment homeVariable("HOME", home.c_str());
    QString path;
    {
        ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
        ScopedEnvironment data("XDG_DATA_HOME", "relative/data");
        ASSERT_TRUE(kCorda.GetUserApplicationDataProductNameFolder(path));
        EXPECT_EQ(path, QString::fromStdString(home) + Q("/.config/Corda Software/Corda Librarian"));
        ASSERT_TRUE(kCorda.GetUserLocalApplicationDataProductNameFolder(path));
        EXPECT_EQ(path, QString::fromStdString(home) + Q("/.local/share/Corda Software/Corda Librarian"));
    }
    {
        ScopedEnvironment data("XDG_DATA_HOME", "/srv/data/");
        ASSERT_TRUE(kCorda.GetUserLocalApplicationDataCompanyNameFolder(path, true));
        EXPECT_EQ(path, Q("/srv/data/Corda Software/"));
    }
}

// Guards the setters' null refusal and empty components: an empty name adds no empty
// path component ("//").
TEST(ApplicationDataFoldersTest, SettersAndEmptyComponents)
{
    CApplicationDataFolders folders;
    EXPECT_TRUE(folders.SetCompanyName(Q("Corda Software")));
    EXPECT_FALSE(folders.SetCompanyName(QString()));
    EXPECT_EQ(folders.GetCompanyName(), Q("Corda Software"));
    EXPECT_TRUE(folders.SetProductName(Q("")));
    EXPECT_FALSE(folders.SetProductVersion(QString()));
    EXPECT_TRUE(folders.SetProductVersion(Q("2.0")));

    QString path;
    ASSERT_TRUE(folders.GetComputerApplicationDataProductVersionFolder(path));
    EXPECT_EQ(path, Q("/var/lib/Corda Software/2.0"));

    ASSERT_TRUE(folders.SetProductName(Q("Corda Librarian")));
    ASSERT_TRUE(folders.SetProductVersion(Q("1.0")));
    EXPECT_TRUE(folders == kCorda);
    ASSERT_TRUE(folders.SetCompanyName(Q("corda software")));
    EXPECT_FALSE(folders == kCorda); // names compare with case
}
