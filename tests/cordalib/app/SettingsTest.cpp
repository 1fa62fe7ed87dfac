#include "AppTestFixture.h"

#include "cordalib/app/ApplicationProfile.h"
#include "cordalib/app/FileLocations.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/app/SynchronizedFolders.h"

#include <QFileInfo>

namespace {

class SettingsTest : public AppTestFixture {
protected:
    void SetUp() override
    {
        AppTestFixture::SetUp();
        ASSERT_TRUE(m_profile.SetRegistryKey(QStringLiteral("Corda Software\\Corda Librarian")));
        ASSERT_TRUE(m_profile.SetProfileName(QStringLiteral("1.0")));
    }
    CApplicationProfile m_profile;
};

// A clean store must give the documented defaults, not zeros: a group that read 0 for
// "missing" would turn every warning and AutoComplete off on a new machine.
TEST_F(SettingsTest, CleanStoreReadsEveryDefault)
{
    CAutoCompleteSettings autoComplete(m_profile);
    CGeneralSettings general(m_profile);
    CMessageBoxSettings messageBoxes(m_profile);
    CSearchSettings search(m_profile);
    CSecuritySettings security(m_profile);
    CStartupSettings startup(m_profile);
    CSystemTraySettings systemTray(m_profile);
    CWindowSettings window(m_profile);
    // Poison the members first so that Load must set each one.
    autoComplete.SetEnabled(false, false);
    autoComplete.SetMRUListSize(3, false);
    general.SetDefaultDoubleClickAction(1, false);
    general.SetMinimizeOnOpenCordaFile(false, false);
    messageBoxes.SetShowOpenCordaFileWarning(false, false);
    messageBoxes.SetShowEditMultipleItemsWarning(false, false);
    messageBoxes.SetShowDeleteItemConfirmation(false, false);
    search.SetEnableAutoResults(false, false);
    search.SetAutoResultsDelay(700, false);
    security.SetShowOpenExternalLinkWarning(false, false);
    startup.SetShowSplashScreen(false, false);
    systemTray.SetMinimizeToSystemTray(false, false);
    window.SetViewTreeViewWidth(1, false);
    window.SetSongHeaderHeight(1, false);
    window.SetLessonHeaderHeight(1, false);

    for (CSettingsGroup* group : std::initializer_list<CSettingsGroup*>{
             &autoComplete, &general, &messageBoxes, &search, &security, &startup, &systemTray, &window})
        group->Load();

    EXPECT_TRUE(autoComplete.IsEnabled());
    EXPECT_EQ(autoComplete.GetMRUListSize(), 25u);
    EXPECT_EQ(general.GetDefaultDoubleClickAction(), 0u);
    EXPECT_TRUE(general.GetMinimizeOnOpenCordaFile());
    EXPECT_TRUE(messageBoxes.GetShowOpenCordaFileWarning());
    EXPECT_TRUE(messageBoxes.GetShowEditMultipleItemsWarning());
    EXPECT_TRUE(messageBoxes.GetShowDeleteItemConfirmation());
    EXPECT_TRUE(search.GetEnableAutoResults());
    EXPECT_EQ(search.GetAutoResultsDelay(), 0u);
    EXPECT_TRUE(security.GetShowOpenExternalLinkWarning());
    EXPECT_TRUE(startup.GetShowSplashScreen());
    EXPECT_TRUE(systemTray.GetMinimizeToSystemTray());
    EXPECT_EQ(window.GetViewTreeViewWidth(), 200u);
    EXPECT_EQ(window.GetSongHeaderHeight(), 175u);
    EXPECT_EQ(window.GetLessonHeaderHeight(), 175u);
    EXPECT_TRUE(window.GetWindowPlacement().isEmpty());
    // Reading defaults writes nothing back.
    EXPECT_EQ(
        m_profile.GetProfileInt(QStringLiteral("General"), QStringLiteral("Default Double Click Action"), 77),
        77u);
}

// The save flag decides whether a setter writes: without it a change must stay in memory,
// with it the value must be in the store under the documented section and name at once.
TEST_F(SettingsTest, SettersWriteOnlyWithTheSaveFlag)
{
    CSearchSettings search(m_profile);
    search.SetAutoResultsDelay(500, false);
    EXPECT_EQ(search.GetAutoResultsDelay(), 500u);
    EXPECT_EQ(m_profile.GetProfileInt(QStringLiteral("Search"), QStringLiteral("AutoResults Delay"), 9), 9u);

    search.SetAutoResultsDelay(500, true);
    CMessageBoxSettings messageBoxes(m_profile);
    messageBoxes.SetShowEditMultipleItemsWarning(false, true);
    CSecuritySettings security(m_profile);
    security.SetShowOpenExternalLinkWarning(false, true);

    EXPECT_EQ(m_profile.GetProfileInt(QStringLiteral("Search"), QStringLiteral("AutoResults Delay"), 9),
              500u);
    EXPECT_EQ(m_profile.GetProfileInt(QStringLiteral("Message Boxes"),
                                      QStringLiteral("Show Edit Mulitple Items Warning"), 9),
              0u);
    // Names compare without regard to case, as they did in the registry.
    EXPECT_EQ(m_profile.GetProfileInt(QStringLiteral("security"),
                                      QStringLiteral("show open external link warning"), 9),
              0u);

    CSearchSettings reloaded(m_profile);
    reloaded.Load();
    EXPECT_EQ(reloaded.GetAutoResultsDelay(), 500u);
    CMessageBoxSettings reloadedBoxes(m_profile);
    reloadedBoxes.Load();
    EXPECT_FALSE(reloadedBoxes.GetShowEditMultipleItemsWarning());
    EXPECT_TRUE(reloadedBoxes.GetShowDeleteItemConfirmation());
}

// A value of the wrong type (a DWORD stored as text, by hand or by another program) must
// read as the default rather than as garbage.
TEST_F(SettingsTest, ValueOfAnotherTypeReadsAsDefault)
{
    ASSERT_TRUE(m_profile.WriteProfileString(QStringLiteral("AutoComplete"), QStringLiteral("MRU List Size"),
                                             QStringLiteral("40")));
    CAutoCompleteSettings autoComplete(m_profile);
    autoComplete.Load();
    EXPECT_EQ(autoComplete.GetMRUListSize(), 25u);
}

// The window placement is binary and must come back byte for byte.
TEST_F(SettingsTest, WindowPlacementRoundTrip)
{
    QByteArray placement(44, '\0');
    for (int i = 0; i < placement.size(); ++i)
        placement[i] = static_cast<char>(i * 7);
    CWindowSettings window(m_profile);
    ASSERT_TRUE(window.SetWindowPlacement(placement, true));
    CWindowSettings reloaded(m_profile);
    reloaded.Load();
    EXPECT_EQ(reloaded.GetWindowPlacement(), placement);
}

// The keyboard layer relies on these exact key names; a wrong width or base loses the
// user's shortcuts.
TEST_F(SettingsTest, KeyboardLayoutKeys)
{
    EXPECT_EQ(KeyboardSettingsLayout::ShortcutKey(0),
              QStringLiteral("Keyboard\\Mapping Schemes\\Main View\\Shortcut 00000"));
    EXPECT_EQ(KeyboardSettingsLayout::ShortcutKey(12),
              QStringLiteral("Keyboard\\Mapping Schemes\\Main View\\Shortcut 00012"));
}

// Empty stored locations must become full default paths that are written back, and their
// folders must be created; a location set by the user must be kept as it is.
TEST_F(SettingsTest, FileLocationsComputeStoreAndCreateDefaults)
{
    const QString custom = m_dir.path() + QStringLiteral("/my backups");
    ASSERT_TRUE(m_profile.WriteProfileString(QStringLiteral("File Locations"), QStringLiteral("Backup Files"),
                                             custom));
    CFileLocationSettings locations(m_profile, [this] { return ProductFolder(); });
    locations.Load();
    ASSERT_TRUE(locations.CreateFolders());

    const char* names[] = {"Database Files", "Backup Files", "Log Files", "Temporary Files"};
    for (int i = 0; i < FILE_LOCATION_COUNT; ++i) {
        SCOPED_TRACE(names[i]);
        const QString expected = i == fileLocationBackupFiles
                                     ? custom
                                     : ProductFolder() + QLatin1Char('/') + QLatin1String(names[i]);
        EXPECT_EQ(locations.GetFileLocation(i), expected);
        EXPECT_EQ(locations.GetFileLocation(i, true), expected + QLatin1Char('/'));
        EXPECT_EQ(m_profile.GetProfileString(QStringLiteral("File Locations"), QLatin1String(names[i])),
                  expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
    }
    QString path = QStringLiteral("x");
    EXPECT_FALSE(locations.GetFileLocation(4, path));
    EXPECT_TRUE(path.isEmpty());
    EXPECT_FALSE(locations.SetFileLocation(-1, custom, true));
}

// Setting a location to an empty path must not store an empty value (which would make the
// database folder the current directory): it stands for the default.
TEST_F(SettingsTest, EmptyFileLocationMeansDefault)
{
    CFileLocationSettings locations(m_profile, [this] { return ProductFolder(); });
    locations.Load();
    ASSERT_TRUE(locations.SetFileLocation(fileLocationLogFiles, QString(), true));
    EXPECT_EQ(locations.GetFileLocation(fileLocationLogFiles),
              ProductFolder() + QStringLiteral("/Log Files"));
    EXPECT_EQ(m_profile.GetProfileString(QStringLiteral("File Locations"), QStringLiteral("Log Files")),
              ProductFolder() + QStringLiteral("/Log Files"));
}

// A count above the limit must load only the first 50 folders, in order, and never read
// past the count.
TEST_F(SettingsTest, FolderCountOf75Loads50)
{
    ASSERT_TRUE(
        m_profile.WriteProfileInt(QStringLiteral("Synchronized Folders"), QStringLiteral("Count"), 75));
    for (unsigned n = 1; n <= 75; ++n)
        ASSERT_TRUE(m_profile.WriteProfileString(CSynchronizedFolders::FolderKey(n), QStringLiteral("Path"),
                                                 QStringLiteral("/music/%1").arg(n)));
    CSynchronizedFolders folders(m_profile);
    folders.Load();
    ASSERT_EQ(folders.GetFolders().size(), 50);
    EXPECT_EQ(folders.GetFolders().front(), QStringLiteral("/music/1"));
    EXPECT_EQ(folders.GetFolders().back(), QStringLiteral("/music/50"));
    EXPECT_EQ(CSynchronizedFolders::FolderKey(7), QStringLiteral("Synchronized Folders\\Folder 007"));
}

// Saving a shorter list writes the new count and leaves the old higher keys alone; the
// count alone decides what is loaded. An empty stored path loads as an empty entry.
TEST_F(SettingsTest, FolderListSaveAndReload)
{
    CSynchronizedFolders folders(m_profile);
    ASSERT_TRUE(folders.SetFolders({QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")}, true));
    ASSERT_TRUE(folders.SetFolders({QStringLiteral("/x"), QString()}, true));
    EXPECT_EQ(m_profile.GetProfileString(CSynchronizedFolders::FolderKey(3), QStringLiteral("Path")),
              QStringLiteral("/c"));

    CSynchronizedFolders reloaded(m_profile);
    reloaded.Load();
    ASSERT_EQ(reloaded.GetFolders().size(), 2);
    EXPECT_EQ(reloaded.GetFolders()[0], QStringLiteral("/x"));
    EXPECT_TRUE(reloaded.GetFolders()[1].isEmpty());
    EXPECT_EQ(reloaded.Find(QStringLiteral("/X")), 0);
    EXPECT_EQ(reloaded.Find(QStringLiteral("/y")), -1);
}

// More folders than can be loaded again must be refused instead of being silently lost at
// the next start.
TEST_F(SettingsTest, MoreThan50FoldersAreRefused)
{
    QStringList many;
    for (int i = 0; i < 51; ++i)
        many.append(QStringLiteral("/m/%1").arg(i));
    CSynchronizedFolders folders(m_profile);
    ASSERT_TRUE(folders.SetFolders({QStringLiteral("/keep")}, true));
    EXPECT_FALSE(folders.SetFolders(many, true));
    CSynchronizedFolders reloaded(m_profile);
    reloaded.Load();
    EXPECT_EQ(reloaded.GetFolders(), QStringList{QStringLiteral("/keep")});
}

} // namespace
