#include "qvsystem/system/RegistryPath.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <array>

namespace {

const std::array<HKEY, 8> kRoots = {
    HKEY_CLASSES_ROOT,     HKEY_CURRENT_USER,   HKEY_LOCAL_MACHINE,    HKEY_USERS,
    HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG, HKEY_PERFORMANCE_TEXT, HKEY_PERFORMANCE_NLSTEXT};

class RegistryPathTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_store = m_dir.filePath(QStringLiteral("config/registry.db"));
        AfxSetSettingsStorePath(m_store);
    }
    void TearDown() override { AfxSetSettingsStorePath(QString()); }

    bool StoreExists() const { return QFileInfo::exists(m_store); }

    static bool KeyExists(HKEY root, const QString& path)
    {
        HKEY key = 0;
        if (RegOpenKeyEx(root, path, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    QTemporaryDir m_dir;
    QString m_store;
};

// Only the eight predefined roots may be kept; a handle next to one of them (or an opened
// key's handle) must leave the path invalid rather than pointing at some other key.
TEST_F(RegistryPathTest, OnlyTheEightPredefinedRootsAreAccepted)
{
    for (HKEY root : kRoots) {
        EXPECT_TRUE(CRegistryPath::IsValidSectionKey(root)) << root;
        const CRegistryPath path(root, QStringLiteral("Software"));
        EXPECT_TRUE(path.IsValid()) << root;
        EXPECT_EQ(path.GetSectionKey(), root);
    }
    HKEY opened = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Opened"), &opened), ERROR_SUCCESS);
    for (HKEY other : {HKEY(0), HKEY(0x80000006u), HKEY(0x80000051u), HKEY(0x7FFFFFFFu), opened}) {
        EXPECT_FALSE(CRegistryPath::IsValidSectionKey(other)) << other;
        const CRegistryPath path(other, QStringLiteral("Software"));
        EXPECT_FALSE(path.IsValid()) << other;
        EXPECT_EQ(path.GetSectionKey(), CRegistryPath::DEFAULT_SECTION_KEY);
        // The sub key is kept even though the root is refused.
        EXPECT_EQ(path.GetSubKey(), QStringLiteral("Software"));
    }
    RegCloseKey(opened);

    // A failed SetSectionKey must not leave the earlier root in place.
    CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Software"));
    EXPECT_FALSE(path.SetSectionKey(0x12345));
    EXPECT_FALSE(path.IsValid());
    EXPECT_TRUE(path.SetSectionKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(path.GetSectionKey(), HKEY_LOCAL_MACHINE);
}

// A null sub key must never be stored: it would turn every later profile call through
// GetSubKey into the "null sub key" failure.
TEST_F(RegistryPathTest, SubKeyIsNeverNull)
{
    const CRegistryPath empty;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_FALSE(empty.GetSubKey().isNull());
    EXPECT_TRUE(empty.GetSubKey().isEmpty());
    EXPECT_FALSE(CRegistryPath::DEFAULT_SUB_KEY.isNull());

    const CRegistryPath fromNull(HKEY_CURRENT_USER, QString());
    EXPECT_TRUE(fromNull.IsValid());
    EXPECT_FALSE(fromNull.GetSubKey().isNull());

    CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Software\\X"));
    EXPECT_FALSE(path.SetSubKey(QString()));
    EXPECT_EQ(path.GetSubKey(), QStringLiteral("Software\\X"));
    EXPECT_TRUE(path.SetSubKey(QLatin1String("")));
    EXPECT_FALSE(path.GetSubKey().isNull());

    path.SetSubKey(QStringLiteral("Software\\Y"));
    path.Nullify();
    EXPECT_FALSE(path.IsValid());
    EXPECT_EQ(path.GetSectionKey(), CRegistryPath::DEFAULT_SECTION_KEY);
    EXPECT_FALSE(path.GetSubKey().isNull());
    EXPECT_TRUE(path.GetSubKey().isEmpty());
}

// SetPath must stop at a refused root instead of half-updating the path.
TEST_F(RegistryPathTest, SetPathStopsAtARefusedRoot)
{
    CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Old"));
    EXPECT_FALSE(path.SetPath(0x1234, QStringLiteral("New")));
    EXPECT_FALSE(path.IsValid());
    EXPECT_EQ(path.GetSubKey(), QStringLiteral("Old"));

    EXPECT_FALSE(path.SetPath(HKEY_USERS, QString()));
    EXPECT_EQ(path.GetSectionKey(), HKEY_USERS);
    EXPECT_EQ(path.GetSubKey(), QStringLiteral("Old"));

    EXPECT_TRUE(path.SetPath(HKEY_CURRENT_CONFIG, QStringLiteral("New")));
    HKEY root = 0;
    QString subKey;
    path.GetPath(root, subKey);
    EXPECT_EQ(root, HKEY_CURRENT_CONFIG);
    EXPECT_EQ(subKey, QStringLiteral("New"));
}

// Appending must put exactly one backslash between components and refuse empty keys
// without changing the path.
TEST_F(RegistryPathTest, AppendKeyJoinsWithOneBackslash)
{
    CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Software\\X"));
    EXPECT_TRUE(path.AppendKey(QStringLiteral("State")));
    EXPECT_EQ(path.GetSubKey(), QStringLiteral("Software\\X\\State"));

    CRegistryPath empty(HKEY_CURRENT_USER, QString());
    EXPECT_TRUE(empty.AppendKey(QStringLiteral("State")));
    EXPECT_EQ(empty.GetSubKey(), QStringLiteral("State"));

    CRegistryPath trailing(HKEY_CURRENT_USER, QStringLiteral("Software\\"));
    EXPECT_TRUE(trailing.AppendKey(QStringLiteral("State")));
    EXPECT_EQ(trailing.GetSubKey(), QStringLiteral("Software\\State"));

    const CRegistryPath before = path;
    EXPECT_FALSE(path.AppendKey(QLatin1String("")));
    EXPECT_FALSE(path.AppendKey(QString()));
    EXPECT_EQ(path, before);

    // The appending constructor leaves its source alone.
    const CRegistryPath base(HKEY_CURRENT_USER, QStringLiteral("Software\\X"));
    const CRegistryPath child(base, QStringLiteral("List"));
    EXPECT_EQ(child.GetSubKey(), QStringLiteral("Software\\X\\List"));
    EXPECT_EQ(child.GetSectionKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(base.GetSubKey(), QStringLiteral("Software\\X"));
    EXPECT_EQ(CRegistryPath(base, QString()), base);
}

// Equality compares the root and the exact spelling of the sub key.
TEST_F(RegistryPathTest, EqualityIsCaseSensitive)
{
    const CRegistryPath a(HKEY_CURRENT_USER, QStringLiteral("Software\\X"));
    EXPECT_TRUE(a == CRegistryPath(HKEY_CURRENT_USER, QStringLiteral("Software\\X")));
    EXPECT_TRUE(a != CRegistryPath(HKEY_CURRENT_USER, QStringLiteral("software\\x")));
    EXPECT_TRUE(a != CRegistryPath(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\X")));
    EXPECT_TRUE(CRegistryPath() == CRegistryPath(0x42, QString()));
}

// CreateSubKey makes the whole chain; OpenSubKey never creates; neither touches the
// store for a path that is not valid.
TEST_F(RegistryPathTest, CreateAndOpenSubKey)
{
    const CRegistryPath invalid(0x1000, QStringLiteral("Software\\Nowhere"));
    HKEY key = 0xBAD;
    EXPECT_EQ(invalid.CreateSubKey(&key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(key, HKEY(0));
    EXPECT_EQ(invalid.OpenSubKey(&key), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(StoreExists());

    const CRegistryPath path(HKEY_CURRENT_USER, QStringLiteral("Software\\Corda Test\\Deep\\Key"));
    EXPECT_EQ(path.OpenSubKey(&key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(StoreExists());
    EXPECT_EQ(path.CreateSubKey(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(path.OpenSubKey(nullptr), ERROR_INVALID_PARAMETER);

    ASSERT_EQ(path.CreateSubKey(&key), ERROR_SUCCESS);
    const uint32_t value = 7;
    EXPECT_EQ(RegSetValueEx(key, QStringLiteral("V"), REG_DWORD, &value, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Corda Test\\Deep")));

    ASSERT_EQ(path.OpenSubKey(&key), ERROR_SUCCESS);
    uint32_t type = REG_NONE;
    QByteArray data;
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("V"), &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    // The same sub key below another root is a different key.
    EXPECT_EQ(CRegistryPath(HKEY_LOCAL_MACHINE, path.GetSubKey()).OpenSubKey(&key), ERROR_FILE_NOT_FOUND);
}

// The operations consult the virtual IsValid, so a derived path that narrows validity is
// never created.
TEST_F(RegistryPathTest, DerivedValidityIsHonoured)
{
    class CUserOnlyPath : public CRegistryPath {
    public:
        using CRegistryPath::CRegistryPath;
        bool IsValid() const override
        {
            return CRegistryPath::IsValid() && GetSectionKey() == HKEY_CURRENT_USER;
        }
    };
    const CUserOnlyPath machine(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Machine"));
    const CRegistryPath& asBase = machine;
    EXPECT_FALSE(asBase.IsValid());
    HKEY key = 0;
    EXPECT_EQ(asBase.CreateSubKey(&key), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(StoreExists());

    const CUserOnlyPath user(HKEY_CURRENT_USER, QStringLiteral("Software\\User"));
    ASSERT_EQ(user.CreateSubKey(&key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\User")));
}

} // namespace
