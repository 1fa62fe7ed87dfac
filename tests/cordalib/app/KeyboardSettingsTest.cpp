#include "AppTestFixture.h"

#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/KeyboardSettings.h"
#include "qvsystem/system/ProfileValues.h"

namespace {

const QString kRoot = QStringLiteral("Software\\Corda Software\\Corda Librarian\\1.0");
const QString kSchemeKey = kRoot + QStringLiteral("\\Keyboard\\Mapping Schemes\\Main View");

constexpr uint16_t VK_DELETE = 0x2E;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F2 = 0x71;
constexpr uint16_t VK_F3 = 0x72;
constexpr uint16_t VK_F5 = 0x74;
constexpr uint16_t VK_F7 = 0x76;
constexpr uint16_t VK_F8 = 0x77;
constexpr uint16_t VK_F9 = 0x78;

class KeyboardSettingsTest : public AppTestFixture {
protected:
    void SetUp() override
    {
        AppTestFixture::SetUp();
        ASSERT_TRUE(m_profile.SetRegistryKey(QStringLiteral("Corda Software\\Corda Librarian")));
        ASSERT_TRUE(m_profile.SetProfileName(QStringLiteral("1.0")));
    }

    static CRegistryPath Scheme() { return CRegistryPath(HKEY_CURRENT_USER, kSchemeKey); }
    static QString Entry(int index)
    {
        return QStringLiteral("Shortcut %1").arg(index, 5, 10, QLatin1Char('0'));
    }

    static void WriteCount(uint32_t count)
    {
        ASSERT_TRUE(AfxWriteProfileDWord(Scheme(), QStringLiteral("Shortcut Count"), count));
    }
    static void WriteEntry(int index, uint32_t command, uint32_t key, uint32_t flags, uint32_t extended)
    {
        const QString entry = Entry(index);
        ASSERT_TRUE(AfxWriteProfileDWord(Scheme(), entry, QStringLiteral("Command ID"), command));
        ASSERT_TRUE(AfxWriteProfileDWord(Scheme(), entry, QStringLiteral("Key"), key));
        ASSERT_TRUE(AfxWriteProfileDWord(Scheme(), entry, QStringLiteral("Flags"), flags));
        ASSERT_TRUE(AfxWriteProfileDWord(Scheme(), entry, QStringLiteral("Extended Key"), extended));
    }
    static uint32_t ReadValue(int index, const char* name)
    {
        return AfxGetProfileDWord(Scheme(), Entry(index), QLatin1String(name), 0xDEADBEEF);
    }

    // The command holding the key, 0 for none.
    static uint32_t CommandOf(const CKeyboardMappingScheme& scheme, const CShortcutKey& key)
    {
        CKeyboardShortcut shortcut;
        return scheme.GetKeyboardShortcut(scheme.FindShortcutKey(key), shortcut) ? shortcut.GetCommandID()
                                                                                 : 0;
    }
    static CShortcutKey KeyOf(const CKeyboardMappingScheme& scheme, uint32_t command)
    {
        CKeyboardShortcut shortcut;
        if (!scheme.GetKeyboardShortcutUsingCommandID(command, shortcut))
            return CShortcutKey(0xFFFF, 0xFF);
        return shortcut.GetShortcutKey();
    }

    CApplicationProfile m_profile;
};

struct Expected {
    uint32_t command;
    const char* name;
    CShortcutKey key;
    const char* keyName;
};

} // namespace

// Guards the default shortcuts of an empty store: all 26 commands with their names, ids and
// keys, and the key names the menus show.
TEST_F(KeyboardSettingsTest, EmptyStoreGivesTheDefaultShortcuts)
{
    CKeyboardSettings settings(m_profile);
    ASSERT_TRUE(settings.Load());
    const CKeyboardMappingScheme& scheme = settings.GetKeyboardMappingScheme();
    EXPECT_EQ(scheme.GetName(), QStringLiteral("Main View"));
    const Expected expected[] = {
        {32912, "File.Folders", CShortcutKey('F', SKM_CONTROL), "Ctrl+F"},
        {32789, "File.OpenLocation.DatabaseFiles", {}, ""},
        {32852, "File.OpenLocation.BackupFiles", {}, ""},
        {32924, "File.OpenLocation.LogFiles", {}, ""},
        {32788, "File.OpenLocation.TemporaryFiles", {}, ""},
        {32793, "File.Properties", {}, ""},
        {57665, "File.Exit", {}, ""},
        {57643, "Edit.Undo", CShortcutKey('Z', SKM_CONTROL), "Ctrl+Z"},
        {57635, "Edit.Cut", CShortcutKey('X', SKM_CONTROL), "Ctrl+X"},
        {57634, "Edit.Copy", CShortcutKey('C', SKM_CONTROL), "Ctrl+C"},
        {57637, "Edit.Paste", CShortcutKey('V', SKM_CONTROL), "Ctrl+V"},
        {32854, "Edit.Delete", CShortcutKey(VK_DELETE, SKM_EXTENDED), "Del"},
        {57642, "Edit.SelectAll", CShortcutKey('A', SKM_CONTROL), "Ctrl+A"},
        {32848, "Edit.UnselectAll", {}, ""},
        {32804, "View.Songs", CShortcutKey(VK_F2, 0), "F2"},
        {32805, "View.Lessons", CShortcutKey(VK_F3, 0), "F3"},
        {32794, "View.Columns", {}, ""},
        {32909, "Tools.Synchronize", CShortcutKey(VK_F7, 0), "F7"},
        {32918, "Tools.Backup", {}, ""},
        {32774, "Tools.Options", {}, ""},
        {32808, "Help.Contents", CShortcutKey(VK_F1, 0), "F1"},
        {57666, "Help.Index", CShortcutKey(VK_F2, SKM_CONTROL | SKM_ALT), "Ctrl+Alt+F2"},
        {32810, "Help.Search", CShortcutKey(VK_F3, SKM_CONTROL | SKM_ALT), "Ctrl+Alt+F3"},
        {32811, "Help.WhatsNew", {}, ""},
        {32790, "Help.CheckForUpdates", {}, ""},
        {32780, "Help.AboutCordaLibrarian", {}, ""},
    };
    EXPECT_EQ(scheme.GetKeyboardShortcutCount(), 26);
    for (const Expected& entry : expected) {
        SCOPED_TRACE(entry.name);
        CKeyboardShortcut shortcut;
        ASSERT_TRUE(scheme.GetKeyboardShortcutUsingCommandID(entry.command, shortcut));
        EXPECT_EQ(shortcut.GetCommandText(), QLatin1String(entry.name));
        EXPECT_EQ(shortcut.GetShortcutKey(), entry.key);
        EXPECT_EQ(shortcut.GetShortcutKey().GetShortcutKeyName(true), QLatin1String(entry.keyName));
    }
    EXPECT_EQ(scheme.GetAssignedKeyboardShortcutCount(), 13);
    // The table agrees with the scheme, entry by entry and in the documented order.
    ASSERT_EQ(GetCommandTable().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(GetCommandTable()[i].nCommandId, expected[i].command) << i;
    EXPECT_EQ(FindCommandTableEntry(CordaCommands::ID_VIEW_SORT_ASCENDING), nullptr);
    // Loading reads only: nothing was written.
    EXPECT_EQ(AfxGetProfileDWord(Scheme(), QStringLiteral("Shortcut Count"), 77), 77u);
}

// Guards the stored list over the defaults: F8 given to Synchronize takes its place of F7,
// F7 given to Backup leaves Synchronize without a key, and Ctrl+S given to a second command
// leaves the first without it.
TEST_F(KeyboardSettingsTest, StoredShortcutsReplaceTheDefaults)
{
    using namespace CordaCommands;
    WriteCount(1);
    WriteEntry(0, ID_TOOLS_SYNCHRONIZE, VK_F8, 0x01, 0);
    CKeyboardSettings settings(m_profile);
    ASSERT_TRUE(settings.Load());
    EXPECT_EQ(CommandOf(settings.GetKeyboardMappingScheme(), CShortcutKey(VK_F8, 0)), ID_TOOLS_SYNCHRONIZE);
    EXPECT_EQ(CommandOf(settings.GetKeyboardMappingScheme(), CShortcutKey(VK_F7, 0)), 0u);

    WriteCount(1);
    WriteEntry(0, ID_TOOLS_BACKUP, VK_F7, 0x01, 0);
    ASSERT_TRUE(settings.Load());
    EXPECT_EQ(CommandOf(settings.GetKeyboardMappingScheme(), CShortcutKey(VK_F7, 0)), ID_TOOLS_BACKUP);
    EXPECT_FALSE(KeyOf(settings.GetKeyboardMappingScheme(), ID_TOOLS_SYNCHRONIZE).IsKeySet());

    // The virtual-key flag is forced: a stored 0x08 is Ctrl on a virtual key.
    WriteCount(2);
    WriteEntry(0, ID_FILE_FOLDERS, 'S', 0x08, 0);
    WriteEntry(1, ID_TOOLS_OPTIONS, 'S', 0x09, 0);
    ASSERT_TRUE(settings.Load());
    EXPECT_EQ(CommandOf(settings.GetKeyboardMappingScheme(), CShortcutKey('S', SKM_CONTROL)),
              ID_TOOLS_OPTIONS);
    EXPECT_FALSE(KeyOf(settings.GetKeyboardMappingScheme(), ID_FILE_FOLDERS).IsKeySet());
    // F7 is Synchronize's again: every load starts from the defaults.
    EXPECT_EQ(CommandOf(settings.GetKeyboardMappingScheme(), CShortcutKey(VK_F7, 0)), ID_TOOLS_SYNCHRONIZE);
}

// Guards the stored layout byte for byte: the count, then per shortcut in command-id order
// the command id, the code, the accelerator flags and the extended flag; a default key the
// user took away is stored as Key 0 so that it stays away; and the list reads back as it was
// saved, with entries beyond the count ignored.
TEST_F(KeyboardSettingsTest, SavedLayoutRoundTrips)
{
    using namespace CordaCommands;
    CKeyboardSettings settings(m_profile);
    ASSERT_TRUE(settings.Load());
    CKeyboardMappingScheme scheme = settings.GetKeyboardMappingScheme();
    ASSERT_TRUE(scheme.SetShortcutKey(ID_TOOLS_BACKUP, CShortcutKey(VK_F5, SKM_CONTROL | SKM_SHIFT)));
    ASSERT_TRUE(scheme.ClearKeyboardShortcutUsingCommandID(ID_FILE_FOLDERS));
    // Something stale beyond the count the save will write.
    WriteEntry(20, ID_TOOLS_OPTIONS, VK_F9, 0x01, 0);
    ASSERT_TRUE(settings.SetKeyboardMappingScheme(scheme, true));

    EXPECT_EQ(AfxGetProfileDWord(Scheme(), QStringLiteral("Shortcut Count"), 0), 14u);
    const struct {
        uint32_t command, key, flags, extended;
    } stored[] = {
        {ID_VIEW_SONGS, VK_F2, 0x01, 0},      {ID_VIEW_LESSONS, VK_F3, 0x01, 0},
        {ID_HELP_CONTENTS, VK_F1, 0x01, 0},   {ID_HELP_SEARCH, VK_F3, 0x19, 0},
        {ID_EDIT_DELETE, VK_DELETE, 0x01, 1}, {ID_TOOLS_SYNCHRONIZE, VK_F7, 0x01, 0},
        {ID_TOOLS_BACKUP, VK_F5, 0x0D, 0},    {ID_EDIT_COPY, 'C', 0x09, 0},
        {ID_EDIT_CUT, 'X', 0x09, 0},          {ID_EDIT_PASTE, 'V', 0x09, 0},
        {ID_EDIT_SELECT_ALL, 'A', 0x09, 0},   {ID_EDIT_UNDO, 'Z', 0x09, 0},
        {ID_HELP_INDEX, VK_F2, 0x19, 0},      {ID_FILE_FOLDERS, 0, 0x01, 0}, // the removed default key
    };
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ReadValue(i, "Command ID"), stored[i].command);
        EXPECT_EQ(ReadValue(i, "Key"), stored[i].key);
        EXPECT_EQ(ReadValue(i, "Flags"), stored[i].flags);
        EXPECT_EQ(ReadValue(i, "Extended Key"), stored[i].extended);
    }

    CKeyboardSettings reloaded(m_profile);
    ASSERT_TRUE(reloaded.Load());
    EXPECT_TRUE(reloaded.GetKeyboardMappingScheme() == scheme);
    EXPECT_FALSE(KeyOf(reloaded.GetKeyboardMappingScheme(), ID_TOOLS_OPTIONS).IsKeySet());
    EXPECT_FALSE(KeyOf(reloaded.GetKeyboardMappingScheme(), ID_FILE_FOLDERS).IsKeySet());
    EXPECT_EQ(reloaded.GetKeyboardMappingScheme().GetName(), QStringLiteral("Main View"));
    // Reset All in the options still finds the defaults.
    CKeyboardMappingScheme reset = reloaded.GetKeyboardMappingScheme();
    ASSERT_TRUE(reset.LoadDefaultMappingScheme());
    EXPECT_EQ(KeyOf(reset, ID_FILE_FOLDERS), CShortcutKey('F', SKM_CONTROL));
}

// Guards against stored values that are not what the program writes: a huge count must be
// refused at once (not read entry by entry), a count below 1 means none, and bad entries
// are skipped while good ones among them still apply.
TEST_F(KeyboardSettingsTest, HostileStoredValuesAreRefused)
{
    using namespace CordaCommands;
    CKeyboardSettings settings(m_profile);
    CKeyboardMappingScheme defaults = settings.GetKeyboardMappingScheme();

    for (uint32_t count : {0x7FFFFFFFu, 1025u, 2000000000u}) {
        SCOPED_TRACE(count);
        WriteCount(count);
        WriteEntry(0, ID_TOOLS_SYNCHRONIZE, VK_F8, 0x01, 0);
        EXPECT_FALSE(settings.Load());
        EXPECT_TRUE(settings.GetKeyboardMappingScheme() == defaults);
    }
    WriteCount(0xFFFFFFFFu); // -1: none
    EXPECT_TRUE(settings.Load());
    EXPECT_TRUE(settings.GetKeyboardMappingScheme() == defaults);

    WriteCount(10);
    WriteEntry(0, ID_TOOLS_BACKUP, 0x1FFFF, 0x01, 0); // beyond 16 bits
    WriteEntry(1, ID_TOOLS_BACKUP, 0x10, 0x01, 0);    // Shift alone
    WriteEntry(2, ID_TOOLS_BACKUP, 0xE2, 0x01, 0);    // names no key
    WriteEntry(3, ID_TOOLS_BACKUP, VK_F9, 0x1001, 0); // flags beyond the byte
    WriteEntry(4, ID_TOOLS_BACKUP, VK_F9, 0x01, 7);   // extended is 0 or 1
    WriteEntry(5, 0, VK_F9, 0x01, 0);                 // no command
    WriteEntry(6, 12345, VK_F1, 0x01, 0);             // not a command of the scheme
    WriteEntry(7, ID_TOOLS_OPTIONS, 'O', 0x09, 0);    // good
    // Entry 8 is missing altogether; entry 9 has a text where the key should be.
    ASSERT_TRUE(AfxWriteProfileDWord(Scheme(), Entry(9), QStringLiteral("Command ID"), ID_TOOLS_BACKUP));
    ASSERT_TRUE(AfxWriteProfileString(Scheme(), Entry(9), QStringLiteral("Key"), QStringLiteral("F9")));
    EXPECT_TRUE(settings.Load());
    const CKeyboardMappingScheme& loaded = settings.GetKeyboardMappingScheme();
    EXPECT_FALSE(KeyOf(loaded, ID_TOOLS_BACKUP).IsKeySet());
    EXPECT_EQ(KeyOf(loaded, ID_TOOLS_OPTIONS), CShortcutKey('O', SKM_CONTROL));
    EXPECT_EQ(KeyOf(loaded, ID_HELP_CONTENTS), CShortcutKey(VK_F1, 0));
    EXPECT_EQ(loaded.FindCommandID(12345), -1);
    EXPECT_EQ(loaded.GetKeyboardShortcutCount(), 26);
}

// Guards the start-up step: with the settings installed, "Loading keyboard settings..."
// loads the stored shortcuts into them.
TEST_F(KeyboardSettingsTest, StartUpLoadsTheStoredShortcuts)
{
    WriteCount(1);
    WriteEntry(0, CordaCommands::ID_TOOLS_SYNCHRONIZE, VK_F8, 0x01, 0);
    CCordaLibrarianApp app;
    CKeyboardSettings settings(app.GetProfile());
    InstallKeyboardSettings(app, settings);
    ASSERT_TRUE(app.InitCore(false));
    EXPECT_EQ(CommandOf(settings.GetKeyboardMappingScheme(), CShortcutKey(VK_F8, 0)),
              CordaCommands::ID_TOOLS_SYNCHRONIZE);
}
