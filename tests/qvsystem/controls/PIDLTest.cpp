#include "qvsystem/controls/PIDL.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

// Guards against a folder that is not there counting as obtained, the create flag being
// ignored or taken for part of the identifier, and unknown identifiers giving a path.
TEST(PIDLTest, SpecialFoldersResolveOnlyWhenTheyExist)
{
    // The test main points HOME and the XDG folders into a sandbox.
    const CPIDL profile(CSIDL_PROFILE);
    ASSERT_TRUE(profile.IsValid());
    EXPECT_EQ(profile.GetPath(), QDir::cleanPath(QDir::homePath()));
    EXPECT_TRUE(profile.GetPath().startsWith(corda::test::SandboxRoot()));

    const CPIDL appData(CSIDL_APPDATA);
    ASSERT_TRUE(appData.IsValid());
    EXPECT_EQ(static_cast<const QString&>(appData), QDir::cleanPath(qEnvironmentVariable("XDG_CONFIG_HOME")));

    const QString music = CPIDL::GetSpecialFolderPath(CSIDL_MYMUSIC);
    ASSERT_FALSE(music.isEmpty());
    QDir(music).removeRecursively();
    EXPECT_FALSE(CPIDL(CSIDL_MYMUSIC).IsValid());
    EXPECT_TRUE(CPIDL(CSIDL_MYMUSIC).GetPath().isEmpty());
    const CPIDL created(CSIDL_MYMUSIC | CSIDL_FLAG_CREATE);
    ASSERT_TRUE(created.IsValid());
    EXPECT_TRUE(QFileInfo(created.GetPath()).isDir());
    EXPECT_TRUE(CPIDL(CSIDL_MYMUSIC).IsValid());

    EXPECT_EQ(CPIDL(CSIDL_DRIVES).GetPath(), QStringLiteral("/"));
    EXPECT_FALSE(CPIDL(0x00FE).IsValid());
    EXPECT_TRUE(CPIDL::GetSpecialFolderPath(0x00FE).isEmpty());
    EXPECT_FALSE(CPIDL().IsValid());
}
