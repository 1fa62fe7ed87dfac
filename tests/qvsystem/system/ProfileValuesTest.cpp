#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <utility>

namespace {

const QString kBase = QStringLiteral("Software\\Corda Test\\Profile");
const QString kInner = QStringLiteral("Inner\\Deeper");

class ProfileStoreTest : public testing::Test {
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

    // The value as the store holds it, read without the profile functions.
    static bool Raw(const QString& keyPath, const QString& name, uint32_t& type, QByteArray& data)
    {
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, &key) != ERROR_SUCCESS)
            return false;
        const bool found = RegQueryValueEx(key, name, &type, &data) == ERROR_SUCCESS;
        RegCloseKey(key);
        return found;
    }

    static void PutRaw(const QString& keyPath, const QString& name, uint32_t type, const QByteArray& data)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, name, type, data.constData(), uint32_t(data.size())), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    QTemporaryDir m_dir;
    QString m_store;
};

// The four location forms, so that every type is exercised through every overload.
enum class Form { handle, path, handleAndSubKey, pathAndSubKey };

struct Where {
    Form form;
    HKEY key;
    CRegistryPath path;
    QString subKey;
};

template <typename F, typename... A> auto Call(const Where& where, F&& function, A&&... args)
{
    switch (where.form) {
    case Form::handle:
        return function(where.key, std::forward<A>(args)...);
    case Form::path:
        return function(where.path, std::forward<A>(args)...);
    case Form::handleAndSubKey:
        return function(where.key, where.subKey, std::forward<A>(args)...);
    case Form::pathAndSubKey:
        break;
    }
    return function(where.path, where.subKey, std::forward<A>(args)...);
}

#define OVERLOADS(name) [](auto&&... a) { return name(std::forward<decltype(a)>(a)...); }

class ProfileFormTest : public ProfileStoreTest, public testing::WithParamInterface<Form> {
protected:
    void SetUp() override
    {
        ProfileStoreTest::SetUp();
        const Form form = GetParam();
        const bool withSubKey = form == Form::handleAndSubKey || form == Form::pathAndSubKey;
        if (form == Form::handle || form == Form::handleAndSubKey) {
            ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kBase, &m_key), ERROR_SUCCESS);
        }
        m_where =
            Where{form, m_key, CRegistryPath(HKEY_CURRENT_USER, kBase), withSubKey ? kInner : QString()};
        m_valueKey = withSubKey ? kBase + QLatin1Char('\\') + kInner : kBase;
    }
    void TearDown() override
    {
        if (m_key)
            RegCloseKey(m_key);
        ProfileStoreTest::TearDown();
    }

    HKEY m_key = 0;
    Where m_where{};
    QString m_valueKey; // where the values of this form must land
};

// Each type must come back as written, and land in the store at the expected key with
// the exact type and little-endian bytes that Windows programs write.
TEST_P(ProfileFormTest, EveryTypeRoundTripsWithExactStoredBytes)
{
    const Where& w = m_where;
    uint32_t type = REG_NONE;
    QByteArray data;

    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileDWord), QStringLiteral("DWord"), 0xDEADBEEFu));
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QStringLiteral("DWord"), 1u), 0xDEADBEEFu);
    ASSERT_TRUE(Raw(m_valueKey, QStringLiteral("DWord"), type, data));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, QByteArray("\xEF\xBE\xAD\xDE", 4));

    const uint64_t qword = 0x0123456789ABCDEFull;
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileQWord), QStringLiteral("QWord"), qword));
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileQWord), QStringLiteral("QWord"), uint64_t(1)), qword);
    ASSERT_TRUE(Raw(m_valueKey, QStringLiteral("QWord"), type, data));
    EXPECT_EQ(type, REG_QWORD);
    EXPECT_EQ(data, QByteArray("\xEF\xCD\xAB\x89\x67\x45\x23\x01", 8));

    const QString text = QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                                           "e \xE2\x99\xAA \xF0\x9D\x84\x9E");
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileString), QStringLiteral("String"), text));
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileString), QStringLiteral("String"), QStringLiteral("x")), text);
    ASSERT_TRUE(Raw(m_valueKey, QStringLiteral("String"), type, data));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data.size(), (text.size() + 1) * 2);
    EXPECT_EQ(data.left(4), QByteArray("G\0r\0", 4));
    EXPECT_EQ(data.right(2), QByteArray("\0\0", 2));

    // An empty text is a value of its own, not the default.
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileString), QStringLiteral("Empty"), QLatin1String("")));
    const QString empty =
        Call(w, OVERLOADS(AfxGetProfileString), QStringLiteral("Empty"), QStringLiteral("x"));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.isNull());

    const QByteArray binary("\x00\xFF\x00\x10\x80", 5);
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileBinary), QStringLiteral("Binary"), binary));
    QByteArray read("stale");
    EXPECT_TRUE(Call(w, OVERLOADS(AfxGetProfileBinary), QStringLiteral("Binary"), read));
    EXPECT_EQ(read, binary);
    ASSERT_TRUE(Raw(m_valueKey, QStringLiteral("Binary"), type, data));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data, binary);

    const COleDateTime when(45291.75, COleDateTime::valid);
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileOleDateTime), QStringLiteral("When"), when));
    const COleDateTime back =
        Call(w, OVERLOADS(AfxGetProfileOleDateTime), QStringLiteral("When"), COleDateTime(1.0));
    EXPECT_EQ(back.m_dt, when.m_dt);
    EXPECT_EQ(back.GetStatus(), COleDateTime::valid);

    // 1.5 is 0x3FF8000000000000; the status follows the double.
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileOleDateTime), QStringLiteral("Null"),
                     COleDateTime(1.5, COleDateTime::null)));
    ASSERT_TRUE(Raw(m_valueKey, QStringLiteral("Null"), type, data));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data, QByteArray("\x00\x00\x00\x00\x00\x00\xF8\x3F\x02\x00\x00\x00", 12));
    const COleDateTime null =
        Call(w, OVERLOADS(AfxGetProfileOleDateTime), QStringLiteral("Null"), COleDateTime());
    EXPECT_EQ(null.m_dt, 1.5);
    EXPECT_EQ(null.GetStatus(), COleDateTime::null);

    // Overwriting replaces the value in place; names ignore ASCII case.
    ASSERT_TRUE(Call(w, OVERLOADS(AfxWriteProfileDWord), QStringLiteral("DWORD"), 5u));
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QStringLiteral("dword"), 1u), 5u);
}

// Missing values must read as the defaults, and reading must create neither keys nor the
// store file.
TEST_P(ProfileFormTest, MissingValuesReadAsDefaultsWithoutCreatingKeys)
{
    const Where& w = m_where;
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QStringLiteral("None"), 17u), 17u);
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileQWord), QStringLiteral("None"), uint64_t(1) << 40), uint64_t(1)
                                                                                                     << 40);
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileString), QStringLiteral("None"), QStringLiteral("def")),
              QStringLiteral("def"));
    // A null default reads as a usable empty text.
    const QString noDefault = Call(w, OVERLOADS(AfxGetProfileString), QStringLiteral("None"), QString());
    EXPECT_FALSE(noDefault.isNull());
    EXPECT_TRUE(noDefault.isEmpty());
    QByteArray data("stale");
    EXPECT_FALSE(Call(w, OVERLOADS(AfxGetProfileBinary), QStringLiteral("None"), data));
    EXPECT_TRUE(data.isEmpty());
    const COleDateTime def(3.25, COleDateTime::invalid);
    const COleDateTime read = Call(w, OVERLOADS(AfxGetProfileOleDateTime), QStringLiteral("None"), def);
    EXPECT_EQ(read.m_dt, 3.25);
    EXPECT_EQ(read.GetStatus(), COleDateTime::invalid);

    if (m_key == 0) {
        EXPECT_FALSE(StoreExists());
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kBase + QLatin1Char('\\') + kInner));
    EXPECT_EQ(KeyExists(HKEY_CURRENT_USER, kBase), m_key != 0);
}

// A value of another type or size must read as the default, never be reinterpreted.
TEST_P(ProfileFormTest, WrongTypesAndSizesReadAsDefaults)
{
    const Where& w = m_where;
    PutRaw(m_valueKey, QStringLiteral("Text"), REG_SZ, AfxRegistryStringBytes(QStringLiteral("5")));
    PutRaw(m_valueKey, QStringLiteral("Four"), REG_BINARY, QByteArray("\x05\x00\x00\x00", 4));
    PutRaw(m_valueKey, QStringLiteral("Eight"), REG_BINARY, QByteArray(8, '\x01'));
    PutRaw(m_valueKey, QStringLiteral("Twelve"), REG_BINARY, QByteArray(12, '\0'));
    PutRaw(m_valueKey, QStringLiteral("Thirteen"), REG_BINARY, QByteArray(13, '\0'));
    PutRaw(m_valueKey, QStringLiteral("DWord"), REG_DWORD, QByteArray("\x05\x00\x00\x00", 4));
    PutRaw(m_valueKey, QStringLiteral("QWord"), REG_QWORD, QByteArray(8, '\x01'));
    PutRaw(m_valueKey, QStringLiteral("TwelveText"), REG_SZ, QByteArray(12, 'a'));
    PutRaw(m_valueKey, QStringLiteral("NoBytes"), REG_BINARY, QByteArray());
    QByteArray badStatus(12, '\0');
    badStatus[8] = 3;
    PutRaw(m_valueKey, QStringLiteral("BadStatus"), REG_BINARY, badStatus);

    for (const char* name : {"Text", "Four", "QWord"})
        EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QString::fromLatin1(name), 99u), 99u) << name;
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QStringLiteral("DWord"), 99u), 5u);

    for (const char* name : {"Eight", "DWord", "Text"})
        EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileQWord), QString::fromLatin1(name), uint64_t(99)), 99u)
            << name;

    for (const char* name : {"Four", "DWord"})
        EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileString), QString::fromLatin1(name), QStringLiteral("def")),
                  QStringLiteral("def"))
            << name;

    for (const char* name : {"Text", "DWord", "QWord", "NoBytes"}) {
        QByteArray data("stale");
        EXPECT_FALSE(Call(w, OVERLOADS(AfxGetProfileBinary), QString::fromLatin1(name), data)) << name;
        EXPECT_TRUE(data.isEmpty()) << name;
    }

    const COleDateTime def(7.5, COleDateTime::valid);
    for (const char* name : {"Eight", "Thirteen", "TwelveText", "BadStatus", "DWord"}) {
        const COleDateTime read =
            Call(w, OVERLOADS(AfxGetProfileOleDateTime), QString::fromLatin1(name), def);
        EXPECT_EQ(read.m_dt, 7.5) << name;
        EXPECT_EQ(read.GetStatus(), COleDateTime::valid) << name;
    }
    // Twelve zero bytes are the date-time 0.0, valid: a value, not the default.
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileOleDateTime), QStringLiteral("Twelve"), def).m_dt, 0.0);
}

// Null names and sub keys, null texts and empty binaries must fail without writing.
TEST_P(ProfileFormTest, NullArgumentsFailWithoutWriting)
{
    const Where& w = m_where;
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileDWord), QString(), 1u));
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileQWord), QString(), uint64_t(1)));
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileString), QString(), QStringLiteral("x")));
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileString), QStringLiteral("S"), QString()));
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileBinary), QString(), QByteArray("x")));
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileBinary), QStringLiteral("B"), QByteArray()));
    EXPECT_FALSE(Call(w, OVERLOADS(AfxWriteProfileOleDateTime), QString(), COleDateTime(1.0)));
    if (m_key == 0) {
        EXPECT_FALSE(StoreExists());
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kBase + QLatin1Char('\\') + kInner));

    // A stored value is still not read through a null name.
    PutRaw(m_valueKey, QString(), REG_DWORD, QByteArray("\x05\x00\x00\x00", 4));
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QString(), 99u), 99u);
    EXPECT_EQ(Call(w, OVERLOADS(AfxGetProfileDWord), QLatin1String(""), 99u), 5u);
}

INSTANTIATE_TEST_SUITE_P(AllForms, ProfileFormTest,
                         testing::Values(Form::handle, Form::path, Form::handleAndSubKey,
                                         Form::pathAndSubKey),
                         [](const testing::TestParamInfo<Form>& param) {
                             switch (param.param) {
                             case Form::handle:
                                 return "Handle";
                             case Form::path:
                                 return "Path";
                             case Form::handleAndSubKey:
                                 return "HandleAndSubKey";
                             case Form::pathAndSubKey:
                                 break;
                             }
                             return "PathAndSubKey";
                         });

// A text read without a handle or a name is the empty text, not the caller's default,
// while a missing value or a null sub key still gives the default.
TEST_F(ProfileStoreTest, StringReadWithoutHandleOrNameIsEmpty)
{
    const QString fallback = QStringLiteral("fallback");
    const CRegistryPath path(HKEY_CURRENT_USER, kBase);
    ASSERT_TRUE(AfxWriteProfileString(path, QString(QLatin1String("")), QStringLiteral("unnamed")));
    EXPECT_EQ(AfxGetProfileString(HKEY(0), QStringLiteral("S"), fallback), QString());
    EXPECT_EQ(AfxGetProfileString(HKEY(0), kBase, QStringLiteral("S"), fallback), QString());
    EXPECT_EQ(AfxGetProfileString(path, QString(), fallback), QString());
    EXPECT_EQ(AfxGetProfileString(HKEY_CURRENT_USER, kBase, QString(), fallback), QString());
    EXPECT_FALSE(AfxGetProfileString(path, QString(), fallback).isNull());

    EXPECT_EQ(AfxGetProfileString(path, QStringLiteral("Missing"), fallback), fallback);
    EXPECT_EQ(AfxGetProfileString(path, QString(), QStringLiteral("S"), fallback), fallback);
    EXPECT_EQ(AfxGetProfileString(path, QLatin1String(""), fallback), QStringLiteral("unnamed"));
}

// A null sub key is refused in both sub-key forms, even with a valid location.
TEST_F(ProfileStoreTest, NullSubKeyIsRefused)
{
    const CRegistryPath path(HKEY_CURRENT_USER, kBase);
    EXPECT_FALSE(AfxWriteProfileDWord(path, QString(), QStringLiteral("V"), 1u));
    EXPECT_FALSE(AfxWriteProfileDWord(HKEY_CURRENT_USER, QString(), QStringLiteral("V"), 1u));
    EXPECT_FALSE(StoreExists());

    ASSERT_TRUE(AfxWriteProfileDWord(path, QStringLiteral("V"), 4u));
    EXPECT_EQ(AfxGetProfileDWord(path, QString(), QStringLiteral("V"), 9u), 9u);
    EXPECT_EQ(AfxGetProfileDWord(path, QLatin1String(""), QStringLiteral("V"), 9u), 4u);
    EXPECT_EQ(AfxGetProfileDWord(HKEY_CURRENT_USER, QString(), QStringLiteral("V"), 9u), 9u);
    EXPECT_EQ(AfxGetProfileDWord(HKEY_CURRENT_USER, kBase, QStringLiteral("V"), 9u), 4u);
}

// A path whose root is not predefined must do nothing at all: no store file, no key
// below the handle it was built from, no value read from anywhere.
TEST_F(ProfileStoreTest, InvalidPathNeverTouchesTheStore)
{
    const CRegistryPath bogus(0x2000, QStringLiteral("Software\\Bogus"));
    ASSERT_FALSE(bogus.IsValid());
    const CRegistryPath sub(bogus, QStringLiteral("Sub"));
    EXPECT_FALSE(AfxWriteProfileDWord(bogus, QStringLiteral("V"), 1u));
    EXPECT_FALSE(AfxWriteProfileQWord(bogus, QStringLiteral("Sub"), QStringLiteral("V"), uint64_t(1)));
    EXPECT_FALSE(AfxWriteProfileString(sub, QStringLiteral("V"), QStringLiteral("x")));
    EXPECT_FALSE(AfxWriteProfileBinary(bogus, QStringLiteral("V"), QByteArray("x")));
    EXPECT_FALSE(AfxWriteProfileOleDateTime(bogus, QStringLiteral("V"), COleDateTime(2.0)));
    EXPECT_FALSE(AfxWriteProfileCheckForUpdatesURL(bogus, QStringLiteral("http://example.com/")));
    EXPECT_FALSE(AfxWriteProfileCheckForUpdatesReminder(bogus, 5));
    EXPECT_FALSE(AfxWriteProfileCheckForUpdatesLastChecked(bogus, COleDateTime(2.0)));
    EXPECT_FALSE(StoreExists());

    // Built from an opened key's handle, the path is refused too, and nothing appears
    // below that key or below the roots.
    HKEY opened = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kBase, &opened), ERROR_SUCCESS);
    ASSERT_TRUE(AfxWriteProfileDWord(opened, QStringLiteral("Sub"), QStringLiteral("V"), 8u));
    const CRegistryPath fromHandle(opened, QStringLiteral("Other"));
    EXPECT_FALSE(fromHandle.IsValid());
    EXPECT_FALSE(AfxWriteProfileDWord(fromHandle, QStringLiteral("V"), 1u));
    EXPECT_FALSE(AfxWriteProfileDWord(fromHandle, QStringLiteral("Deeper"), QStringLiteral("V"), 1u));
    EXPECT_EQ(AfxGetProfileDWord(CRegistryPath(opened, QStringLiteral("Sub")), QStringLiteral("V"), 3u), 3u);
    QString name;
    EXPECT_EQ(RegEnumKey(opened, 0, name), ERROR_SUCCESS);
    EXPECT_EQ(name, QStringLiteral("Sub"));
    EXPECT_EQ(RegEnumKey(opened, 1, name), ERROR_NO_MORE_ITEMS);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, QStringLiteral("Other")));
    RegCloseKey(opened);
}

// The update-check values live below the caller's path in "Check For Updates", under the
// documented names, and fall back to their documented defaults.
TEST_F(ProfileStoreTest, CheckForUpdatesValues)
{
    const CRegistryPath product(HKEY_CURRENT_USER,
                                QStringLiteral("Software\\Corda Software\\Corda Librarian"));
    const QString updates = product.GetSubKey() + QStringLiteral("\\Check For Updates");

    const QString url = AfxGetProfileCheckForUpdatesURL(product);
    EXPECT_TRUE(url.isEmpty());
    EXPECT_FALSE(url.isNull());
    EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(product), 30u);
    for (const COleDateTime& time :
         {AfxGetProfileCheckForUpdatesLastChecked(product), AfxGetProfileCheckForUpdatesLastModified(product),
          AfxGetProfileCheckForUpdatesLastDismissed(product)}) {
        EXPECT_EQ(time.m_dt, 0.0);
        EXPECT_EQ(time.GetStatus(), COleDateTime::valid);
    }
    EXPECT_FALSE(StoreExists());

    EXPECT_FALSE(AfxWriteProfileCheckForUpdatesURL(product, QString()));
    ASSERT_TRUE(
        AfxWriteProfileCheckForUpdatesURL(product, QStringLiteral("http://updates.example.com/list.xml")));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesReminder(product, 0));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastChecked(product, COleDateTime(46000.5)));
    ASSERT_TRUE(AfxWriteProfileCheckForUpdatesLastModified(product, COleDateTime(46001.25)));
    ASSERT_TRUE(
        AfxWriteProfileCheckForUpdatesLastDismissed(product, COleDateTime(46002.0, COleDateTime::invalid)));

    EXPECT_EQ(AfxGetProfileCheckForUpdatesURL(product),
              QStringLiteral("http://updates.example.com/list.xml"));
    // 0 (never remind) is a stored value, not a missing one.
    EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(product), 0u);
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastChecked(product).m_dt, 46000.5);
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastModified(product).m_dt, 46001.25);
    const COleDateTime dismissed = AfxGetProfileCheckForUpdatesLastDismissed(product);
    EXPECT_EQ(dismissed.m_dt, 46002.0);
    EXPECT_EQ(dismissed.GetStatus(), COleDateTime::invalid);

    uint32_t type = REG_NONE;
    QByteArray data;
    ASSERT_TRUE(Raw(updates, QStringLiteral("URL"), type, data));
    EXPECT_EQ(type, REG_SZ);
    ASSERT_TRUE(Raw(updates, QStringLiteral("Reminder"), type, data));
    EXPECT_EQ(type, REG_DWORD);
    for (const char* name : {"Last Checked", "Last Modified", "Last Dismissed"}) {
        ASSERT_TRUE(Raw(updates, QString::fromLatin1(name), type, data)) << name;
        EXPECT_EQ(type, REG_BINARY) << name;
        EXPECT_EQ(data.size(), 12) << name;
    }
    // Nothing lands directly on the product key.
    QString name;
    HKEY key = 0;
    ASSERT_EQ(product.OpenSubKey(&key), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumValue(key, 0, name), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);

    // An eight-byte date-time written by something else reads as the default.
    PutRaw(updates, QStringLiteral("Last Checked"), REG_BINARY, QByteArray(8, '\x40'));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesLastChecked(product).m_dt, 0.0);
    PutRaw(updates, QStringLiteral("Reminder"), REG_SZ, AfxRegistryStringBytes(QStringLiteral("7")));
    EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(product), 30u);
}

// The reminder range is 0..90 days; a negative count must not slip through as small.
TEST(CheckForUpdatesReminder, RangeIsZeroToNinetyUnsigned)
{
    EXPECT_TRUE(AfxIsValidCheckForUpdatesReminder(0));
    EXPECT_TRUE(AfxIsValidCheckForUpdatesReminder(30));
    EXPECT_TRUE(AfxIsValidCheckForUpdatesReminder(90));
    EXPECT_FALSE(AfxIsValidCheckForUpdatesReminder(91));
    const int minusOne = -1;
    EXPECT_FALSE(AfxIsValidCheckForUpdatesReminder(uint32_t(minusOne)));
    EXPECT_FALSE(AfxIsValidCheckForUpdatesReminder(0x80000000u));
}

} // namespace
