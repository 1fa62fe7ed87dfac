#include "AppTestFixture.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ProfileValues.h"

#include <QFileInfo>

#include <memory>

namespace {

class AppCoreTest : public AppTestFixture {
protected:
    QString DatabaseFile() const { return ProductFolder() + QStringLiteral("/Database Files/library.cordb"); }

    static std::unique_ptr<CSongRecord> Song(const char* title, const QString& path)
    {
        auto song = std::make_unique<CSongRecord>();
        song->SetTitle(title);
        song->SetArtist("Artist");
        song->SetPath(path);
        song->SetChecksum("0123456789abcdef0123456789abcdef");
        song->SetRating(3);
        return song;
    }
};

// The first start-up must leave four full file-location paths with their folders, "Run
// Once" = 1 and the update-listing address; the status texts come in start-up order.
TEST_F(AppCoreTest, FirstStartUpStoresTheDefaults)
{
    CCordaLibrarianApp app;
    EXPECT_EQ(GetCordaLibrarianApp(), &app);
    QStringList statuses;
    app.SetStatusCallback([&statuses](const QString& text) { statuses.append(text); });
    ASSERT_TRUE(app.InitCore(false));

    const CApplicationProfile& profile = app.GetProfile();
    EXPECT_EQ(profile.GetApplicationRootKey(),
              QStringLiteral("Software\\Corda Software\\Corda Librarian\\1.0"));
    // The library's controls keep their state below the same key.
    EXPECT_EQ(AfxGetApplicationRegistryKey(), profile.GetApplicationRootKey());
    EXPECT_EQ(profile.GetProfileInt(QString(), QStringLiteral("Run Once"), 0), 1u);
    QByteArray url;
    ASSERT_TRUE(CApplicationProfile::ReadValue(
        QStringLiteral("Software\\Corda Software\\Corda Librarian\\Check For Updates"), QStringLiteral("URL"),
        REG_SZ, url));
    EXPECT_TRUE(AfxRegistryStringFromBytes(url).startsWith(QStringLiteral("http://")));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesURL(app.GetProductRegistryPath()), AfxRegistryStringFromBytes(url));
    for (const char* name : {"Database Files", "Backup Files", "Log Files", "Temporary Files"}) {
        SCOPED_TRACE(name);
        const QString stored =
            profile.GetProfileString(QStringLiteral("File Locations"), QLatin1String(name));
        EXPECT_EQ(stored, ProductFolder() + QLatin1Char('/') + QLatin1String(name));
        EXPECT_TRUE(QFileInfo(stored).isDir());
    }
    EXPECT_EQ(app.GetDefaultDatabasePath(), DatabaseFile());
    EXPECT_EQ(statuses.first(), QStringLiteral("Initializing Corda Librarian..."));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Loading keyboard settings...")));
    EXPECT_EQ(statuses.last(), QStringLiteral("Loading database..."));
    // No database yet: an empty library and no file written by loading.
    EXPECT_EQ(app.GetLibraryDatabase().GetSongCount(), 0u);
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
}

// A later start-up must not overwrite "Run Once" or a changed update address, and must read
// the settings the first run (or the user) stored.
TEST_F(AppCoreTest, LaterStartUpKeepsStoredValues)
{
    {
        CCordaLibrarianApp first;
        ASSERT_TRUE(first.InitCore(false));
        first.GetSearchSettings().SetAutoResultsDelay(250, true);
        first.SetSynchronizedFolders({m_dir.path()}, true);
    }
    ASSERT_TRUE(CApplicationProfile::WriteValue(
        QStringLiteral("Software\\Corda Software\\Corda Librarian\\Check For Updates"), QStringLiteral("URL"),
        REG_SZ, AfxRegistryStringBytes(QStringLiteral("http://mine.example/list"))));
    CCordaLibrarianApp second;
    ASSERT_TRUE(second.InitCore(false));
    EXPECT_EQ(second.GetSearchSettings().GetAutoResultsDelay(), 250u);
    EXPECT_EQ(second.GetSynchronizedFolders(), QStringList{m_dir.path()});
    QByteArray url;
    CApplicationProfile::ReadValue(
        QStringLiteral("Software\\Corda Software\\Corda Librarian\\Check For Updates"), QStringLiteral("URL"),
        REG_SZ, url);
    EXPECT_EQ(AfxRegistryStringFromBytes(url), QStringLiteral("http://mine.example/list"));
}

// What SaveDatabase writes, the next start-up must load with the same records (ids 1..N)
// and the encoding software; an unchanged library is not written again.
TEST_F(AppCoreTest, SaveAndLoadDatabaseRoundTrip)
{
    {
        CCordaLibrarianApp app;
        ASSERT_TRUE(app.InitCore(false));
        EXPECT_FALSE(app.SaveDatabase(true, false)); // nothing changed
        EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
        CLibraryDatabase& database = app.GetLibraryDatabase();
        database.AddSong(Song("One", QStringLiteral("/m/one.crd")));
        database.AddSong(Song("Two", QStringLiteral("/m/two.crd")));
        ASSERT_TRUE(database.IsModified());
        QString error;
        ASSERT_TRUE(app.SaveDatabase(true, false, &error)) << error.toStdString();
        EXPECT_FALSE(database.IsModified());
        EXPECT_EQ(database.GetPath(), DatabaseFile());
        const QByteArray saved = corda::test::ReadAll(DatabaseFile());
        EXPECT_FALSE(app.SaveDatabase(true, false));
        EXPECT_EQ(corda::test::ReadAll(DatabaseFile()), saved);
    }
    CCordaLibrarianApp app;
    QString error;
    ASSERT_TRUE(app.InitCore(false, &error));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const CLibraryDatabase& database = app.GetLibraryDatabase();
    ASSERT_EQ(database.GetSongCount(), 2u);
    EXPECT_EQ(database.GetSongs()[0]->GetTitle(), "One");
    EXPECT_EQ(database.GetSongs()[0]->GetId(), 1u);
    EXPECT_EQ(database.GetSongs()[1]->GetId(), 2u);
    EXPECT_EQ(database.GetSongs()[1]->GetRating(), 3);
    // Test binaries carry no version block: the application title stands in.
    EXPECT_EQ(database.GetEncodingSoftware(), QStringLiteral("Corda Librarian"));
    EXPECT_FALSE(database.IsModified());
}

// A damaged database must give string 145 (here as text), an empty library, and a file
// left exactly as it was; with show-errors the same text goes to the message functions.
TEST_F(AppCoreTest, DamagedDatabaseLeavesTheFileUnchanged)
{
    QDir().mkpath(ProductFolder() + QStringLiteral("/Database Files"));
    const QByteArray damaged("cordb\x01\x00garbage", 14);
    corda::test::WriteAll(DatabaseFile(), damaged);

    CCordaLibrarianApp app;
    QString error;
    ASSERT_TRUE(app.InitCore(false, &error));
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("An error has occurred while opening the database file '%1'.").arg(DatabaseFile())));
    EXPECT_EQ(app.GetLibraryDatabase().GetSongCount(), 0u);
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile()), damaged);

    QStringList shown;
    AfxSetMessageBoxConsoleHandler([&shown](const CQVMessageBoxRequest& request) {
        shown.append(request.text);
        return IDOK;
    });
    EXPECT_FALSE(app.LoadDatabase(true));
    AfxSetMessageBoxConsoleHandler(nullptr);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.front().contains(DatabaseFile()));
    EXPECT_EQ(corda::test::ReadAll(DatabaseFile()), damaged);
}

// The shutdown step saves a modified library, and only then.
TEST_F(AppCoreTest, ExitSavesOnlyAModifiedLibrary)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    app.ExitCore();
    EXPECT_FALSE(QFileInfo::exists(DatabaseFile()));
    app.GetLibraryDatabase().AddSong(Song("Kept", QStringLiteral("/m/kept.crd")));
    app.ExitCore();
    EXPECT_TRUE(QFileInfo::exists(DatabaseFile()));
    EXPECT_FALSE(app.GetLibraryDatabase().IsModified());
}

// An external link must open only on Yes, the warning must say what opens, and ticking
// "Do not show this message again" must turn the warning off for good, whatever the answer.
TEST_F(AppCoreTest, ExternalLinksAskUntilTheWarningIsTurnedOff)
{
    CCordaLibrarianApp app;
    ASSERT_TRUE(app.InitCore(false));
    int answer = IDNO;
    int tick = 0;
    QList<CQVMessageBoxRequest> shown;
    AfxSetMessageBoxConsoleHandler([&](const CQVMessageBoxRequest& request) {
        shown.append(request);
        *request.checkState = tick;
        return answer;
    });
    const QString link = QStringLiteral("https://example.com/tabs");
    EXPECT_FALSE(app.IsOpenExternalLinkAllowed(QString()));
    EXPECT_FALSE(app.IsOpenExternalLinkAllowed(link));
    answer = IDYES;
    EXPECT_TRUE(app.IsOpenExternalLinkAllowed(link));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Security Warning"));
    EXPECT_EQ(shown[0].text,
              QStringLiteral("Corda Librarian is attempting to open the following link:\r\n\r\n"
                             "https://example.com/tabs\r\n\r\nAre you sure you want to open this link?"));
    EXPECT_EQ(shown[0].type, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    EXPECT_TRUE(app.GetSecuritySettings().GetShowOpenExternalLinkWarning());

    answer = IDNO;
    tick = 1;
    EXPECT_FALSE(app.IsOpenExternalLinkAllowed(link));
    EXPECT_FALSE(app.GetSecuritySettings().GetShowOpenExternalLinkWarning());
    EXPECT_TRUE(app.IsOpenExternalLinkAllowed(link));
    EXPECT_EQ(shown.size(), 3);
    AfxSetMessageBoxConsoleHandler(nullptr);

    // Stored: the next start-up does not ask either.
    CCordaLibrarianApp later;
    ASSERT_TRUE(later.InitCore(false));
    EXPECT_FALSE(later.GetSecuritySettings().GetShowOpenExternalLinkWarning());
}

// The settings store must be readable with the independent sqlite3 tool after start-up.
TEST_F(AppCoreTest, StoreReadableBySqlite3)
{
    {
        CCordaLibrarianApp app;
        ASSERT_TRUE(app.InitCore(false));
    }
    int exitCode = -1;
    const QByteArray dump =
        corda::test::RunCommand(QStringLiteral("sqlite3 '%1' .dump").arg(m_storePath), &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(dump.contains("Run Once")) << dump.left(2000).toStdString();
    EXPECT_TRUE(dump.contains("Database Files"));
    EXPECT_TRUE(dump.contains("Check For Updates"));
}

} // namespace
