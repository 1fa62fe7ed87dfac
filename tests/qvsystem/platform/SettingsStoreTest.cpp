#include "qvsystem/platform/SettingsStore.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdlib>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("store/registry.db"));
        AfxSetSettingsStorePath(m_path);
    }
    void TearDown() override
    {
        AfxSetSettingsStorePath(QString());
        AfxSetSettingsStoreBusyTimeout(5000);
    }

    static HKEY Create(const QString& path)
    {
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS);
        return key;
    }

    QTemporaryDir m_dir;
    QString m_path;
};

// Values must come back with the type and bytes they were written with.
TEST_F(SettingsStoreTest, ValuesKeepTypeAndBytes)
{
    HKEY key = Create(QStringLiteral("Software\\Corda\\Test"));
    const uint32_t dword = 0xDEADBEEF;
    const uint64_t qword = 0x0123456789ABCDEFULL;
    const QByteArray text = AfxRegistryStringBytes(QStringLiteral("Grüße"));
    const QByteArray binary("\x00\x01\xFF\x00", 4);
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("D"), REG_DWORD, &dword, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("Q"), REG_QWORD, &qword, 8), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("S"), REG_SZ, text.constData(), uint32_t(text.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("B"), REG_BINARY, binary.constData(), 4), ERROR_SUCCESS);
    // A DWORD must be exactly four bytes.
    EXPECT_EQ(RegSetValueEx(key, QStringLiteral("Bad"), REG_DWORD, &qword, 8), ERROR_INVALID_PARAMETER);

    uint32_t type = 0;
    QByteArray data;
    ASSERT_EQ(RegQueryValueEx(key, QStringLiteral("D"), &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, QByteArray(reinterpret_cast<const char*>(&dword), 4));
    ASSERT_EQ(RegQueryValueEx(key, QStringLiteral("Q"), &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_QWORD);
    EXPECT_EQ(data, QByteArray(reinterpret_cast<const char*>(&qword), 8));
    ASSERT_EQ(RegQueryValueEx(key, QStringLiteral("S"), &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, text);
    EXPECT_EQ(AfxRegistryStringFromBytes(data), QStringLiteral("Grüße"));
    ASSERT_EQ(RegQueryValueEx(key, QStringLiteral("B"), &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data, binary);
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("Missing"), &type, &data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    // A closed handle is refused, not reused silently.
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueEx(key, QStringLiteral("D"), &type, &data), ERROR_INVALID_HANDLE);
}

// Key and value names ignore ASCII case but keep the case they were written in.
TEST_F(SettingsStoreTest, NamesIgnoreAsciiCaseAndKeepTheirSpelling)
{
    HKEY key = Create(QStringLiteral("Software\\Corda Software\\Settings"));
    const uint32_t one = 1, two = 2;
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("Run Once"), REG_DWORD, &one, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("RUN ONCE"), REG_DWORD, &two, 4), ERROR_SUCCESS);
    RegCloseKey(key);

    HKEY again = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("software\\CORDA SOFTWARE\\settings"), &again),
              ERROR_SUCCESS);
    QByteArray data;
    ASSERT_EQ(RegQueryValueEx(again, QStringLiteral("run once"), nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, QByteArray(reinterpret_cast<const char*>(&two), 4));
    QString name;
    ASSERT_EQ(RegEnumValue(again, 0, name), ERROR_SUCCESS);
    EXPECT_EQ(name, QStringLiteral("Run Once"));
    EXPECT_EQ(RegEnumValue(again, 1, name), ERROR_NO_MORE_ITEMS);
    RegCloseKey(again);

    HKEY parent = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software"), &parent), ERROR_SUCCESS);
    ASSERT_EQ(RegEnumKey(parent, 0, name), ERROR_SUCCESS);
    EXPECT_EQ(name, QStringLiteral("Corda Software"));
    RegCloseKey(parent);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\CORDA SOFTWARE\\SETTINGS"), &again),
              ERROR_SUCCESS);
    RegCloseKey(again);
}

// Reading a store that does not exist must not create one; the roots differ.
TEST_F(SettingsStoreTest, ReadsLeaveNoFileAndRootsAreSeparate)
{
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Nothing"), &key),
              ERROR_FILE_NOT_FOUND);
    QByteArray data;
    EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, QStringLiteral("x"), nullptr, &data), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(QFile::exists(m_path));

    HKEY user = Create(QStringLiteral("Software\\Shared"));
    const uint32_t value = 7;
    ASSERT_EQ(RegSetValueEx(user, QStringLiteral("v"), REG_DWORD, &value, 4), ERROR_SUCCESS);
    RegCloseKey(user);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Shared"), &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyEx(static_cast<HKEY>(0x1234), QStringLiteral("x"), &key), ERROR_INVALID_HANDLE);
}

// Deleting a tree removes everything below it and nothing beside it.
TEST_F(SettingsStoreTest, DeleteTreeRemovesOnlyTheSubtree)
{
    const uint32_t value = 1;
    for (const char* path : {"Software\\App\\Folders\\Folder 001", "Software\\App\\Folders\\Folder 002",
                             "Software\\App\\FoldersBackup"}) {
        HKEY key = Create(QString::fromLatin1(path));
        ASSERT_EQ(RegSetValueEx(key, QStringLiteral("Path"), REG_DWORD, &value, 4), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    HKEY app = Create(QStringLiteral("Software\\App"));
    ASSERT_EQ(RegDeleteTree(app, QStringLiteral("folders")), ERROR_SUCCESS);
    HKEY probe = 0;
    EXPECT_EQ(RegOpenKeyEx(app, QStringLiteral("Folders\\Folder 001"), &probe), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(app, QStringLiteral("Folders"), &probe), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyEx(app, QStringLiteral("FoldersBackup"), &probe), ERROR_SUCCESS);
    RegCloseKey(probe);
    RegCloseKey(app);
}

// A damaged store reads as empty and is never overwritten.
TEST_F(SettingsStoreTest, CorruptStoreReadsAsEmptyAndIsKept)
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("store")));
    const QByteArray garbage(4096, '\x5a');
    corda::test::WriteAll(m_path, garbage);
    AfxSetSettingsStorePath(m_path);

    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software"), &key), ERROR_FILE_NOT_FOUND);
    QByteArray data;
    EXPECT_EQ(RegQueryValueEx(HKEY_CURRENT_USER, QStringLiteral("x"), nullptr, &data), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software"), &key), ERROR_SUCCESS);
    EXPECT_EQ(corda::test::ReadAll(m_path), garbage);
}

// A store the user may only read still gives its settings; writes fail without harm.
TEST_F(SettingsStoreTest, ReadOnlyStoreStillReads)
{
    HKEY key = Create(QStringLiteral("Software\\ReadOnly"));
    const uint32_t value = 42;
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("v"), REG_DWORD, &value, 4), ERROR_SUCCESS);
    RegCloseKey(key);
    AfxSetSettingsStorePath(QString()); // closes the connection
    const QByteArray before = corda::test::ReadAll(m_path);
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("store"))).constData(), 0555), 0);
    ASSERT_EQ(chmod(QFile::encodeName(m_path).constData(), 0444), 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Root ignores permissions: read as an ordinary user.
        if (getuid() == 0 && (setegid(65534) != 0 || seteuid(65534) != 0))
            _exit(10);
        AfxSetSettingsStorePath(m_path);
        QByteArray data;
        if (RegQueryValueEx(HKEY_CURRENT_USER, QStringLiteral("x"), nullptr, &data) != ERROR_FILE_NOT_FOUND)
            _exit(11);
        HKEY open = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\ReadOnly"), &open) != ERROR_SUCCESS)
            _exit(12);
        if (RegQueryValueEx(open, QStringLiteral("v"), nullptr, &data) != ERROR_SUCCESS || data.size() != 4)
            _exit(13);
        if (RegSetValueEx(open, QStringLiteral("w"), REG_DWORD, &value, 4) == ERROR_SUCCESS)
            _exit(14);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(QFile::encodeName(m_dir.filePath(QStringLiteral("store"))).constData(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(corda::test::ReadAll(m_path), before);
}

// A store that another connection holds locked fails only while the lock lasts. Taking
// it for a read-only or damaged store would lose every later write of the run and show
// values from before the lock.
TEST_F(SettingsStoreTest, LockedStoreWorksAgainWhenTheLockEnds)
{
    HKEY key = Create(QStringLiteral("Software\\Locked"));
    const uint32_t first = 1;
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("v"), REG_DWORD, &first, 4), ERROR_SUCCESS);
    RegCloseKey(key);
    AfxSetSettingsStorePath(m_path); // closes the connection

    // The holder keeps its exclusive lock after changing the value to 2.
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_path).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; UPDATE vals SET data=x'02000000';",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    AfxSetSettingsStoreBusyTimeout(20);
    AfxSetSettingsStorePath(m_path);
    HKEY blocked = 0;
    EXPECT_NE(RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Locked"), &blocked), ERROR_SUCCESS);
    sqlite3_close(holder);

    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Locked"), &key), ERROR_SUCCESS);
    QByteArray data;
    ASSERT_EQ(RegQueryValueEx(key, QStringLiteral("v"), nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, QByteArray("\x02\x00\x00\x00", 4));
    const uint32_t third = 3;
    EXPECT_EQ(RegSetValueEx(key, QStringLiteral("v"), REG_DWORD, &third, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegQueryValueEx(key, QStringLiteral("v"), nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, QByteArray(reinterpret_cast<const char*>(&third), 4));
    RegCloseKey(key);
}

// The program leaves with its store still open; closing it among the static destructors
// must not touch anything already destroyed.
TEST_F(SettingsStoreTest, ProcessExitsCleanlyWithTheStoreOpen)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AfxSetSettingsStorePath(m_path);
        HKEY key = 0;
        const uint32_t value = 5;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Exit"), &key) != ERROR_SUCCESS ||
            RegSetValueEx(key, QStringLiteral("v"), REG_DWORD, &value, 4) != ERROR_SUCCESS)
            _exit(1);
        QByteArray data;
        RegQueryValueEx(key, QStringLiteral("v"), nullptr, &data);
        std::exit(0); // runs the static destructors, with the handle and the store open
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Exit"), &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

// Two processes writing at once must both succeed and lose nothing.
TEST_F(SettingsStoreTest, TwoProcessesShareTheStore)
{
    constexpr int kValues = 200;
    auto writeMany = [](const QString& prefix) {
        HKEY key = 0;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Concurrent"), &key) != ERROR_SUCCESS)
            return false;
        for (uint32_t i = 0; i < kValues; ++i) {
            if (RegSetValueEx(key, prefix + QString::number(i), REG_DWORD, &i, 4) != ERROR_SUCCESS)
                return false;
        }
        RegCloseKey(key);
        return true;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child opens its own connection: the parent's is not shared across fork.
        AfxSetSettingsStorePath(m_path);
        _exit(writeMany(QStringLiteral("child")) ? 0 : 1);
    }
    const bool parentOk = writeMany(QStringLiteral("parent"));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(parentOk);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    AfxSetSettingsStorePath(m_path);
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Concurrent"), &key), ERROR_SUCCESS);
    int count = 0;
    QString name;
    while (RegEnumValue(key, uint32_t(count), name) == ERROR_SUCCESS)
        ++count;
    EXPECT_EQ(count, 2 * kValues);
    RegCloseKey(key);
}

// The store is a plain database that the sqlite3 tool reads.
TEST_F(SettingsStoreTest, Sqlite3ToolReadsTheStore)
{
    HKEY key = Create(QStringLiteral("Software\\Tool"));
    const QByteArray text = AfxRegistryStringBytes(QStringLiteral("hello"));
    ASSERT_EQ(RegSetValueEx(key, QStringLiteral("Greeting"), REG_SZ, text.constData(), uint32_t(text.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    int exitCode = -1;
    const QByteArray out = corda::test::RunCommand(
        QStringLiteral("sqlite3 '%1' \"SELECT k.path, v.name, v.type, hex(v.data) FROM vals v JOIN keys k "
                       "ON k.id = v.key_id;\"")
            .arg(m_path),
        &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(out.trimmed(), QByteArray("Software\\Tool|Greeting|1|680065006C006C006F000000"));
}

// Without an explicit path the store follows XDG_CONFIG_HOME.
TEST_F(SettingsStoreTest, DefaultPathFollowsXdgConfigHome)
{
    AfxSetSettingsStorePath(QString());
    const QString expected =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corda Software/registry.db");
    EXPECT_EQ(AfxGetSettingsStorePath(), expected);
}

} // namespace
