#include "qvsystem/system/ProfileValues.h"

#include <QtEndian>

#include <cstring>

namespace {

// Where a value lives: an open key or a registry path, optionally with a sub key below it.
struct Location {
    HKEY key = 0;
    const CRegistryPath* path = nullptr;
    const QString* subKey = nullptr;
};

Location At(HKEY key)
{
    return Location{key, nullptr, nullptr};
}
Location At(const CRegistryPath& path)
{
    return Location{0, &path, nullptr};
}
Location At(HKEY key, const QString& subKey)
{
    return Location{key, nullptr, &subKey};
}
Location At(const CRegistryPath& path, const QString& subKey)
{
    return Location{0, &path, &subKey};
}

// Closes what it opened; predefined roots and handles owned by the caller are left alone.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey()
    {
        if (m_owned)
            RegCloseKey(m_key);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    void Borrow(HKEY key) { m_key = key; }
    HKEY* Receive()
    {
        m_owned = true;
        return &m_key;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = 0;
    bool m_owned = false;
};

enum class Access { read, write };

// Refuses null names and invalid paths before the store is touched; reads only ever open
// existing keys, writes create what is missing.
bool OpenLocation(const Location& where, const QString& name, Access access, ScopedKey& base,
                  ScopedKey& target)
{
    if (name.isNull() || (where.subKey && where.subKey->isNull()))
        return false;
    if (where.path) {
        if (!where.path->IsValid())
            return false;
        const LSTATUS status = access == Access::read ? where.path->OpenSubKey(base.Receive())
                                                      : where.path->CreateSubKey(base.Receive());
        if (status != ERROR_SUCCESS)
            return false;
    } else {
        base.Borrow(where.key);
    }
    if (!where.subKey) {
        target.Borrow(base.Get());
        return true;
    }
    const LSTATUS status = access == Access::read
                               ? RegOpenKeyEx(base.Get(), *where.subKey, target.Receive())
                               : RegCreateKeyEx(base.Get(), *where.subKey, target.Receive());
    return status == ERROR_SUCCESS;
}

// The value's bytes when it exists with the expected type.
bool ReadValue(const Location& where, const QString& name, uint32_t expectedType, QByteArray& data)
{
    data.clear();
    ScopedKey base, target;
    if (!OpenLocation(where, name, Access::read, base, target))
        return false;
    uint32_t type = REG_NONE;
    if (RegQueryValueEx(target.Get(), name, &type, &data) != ERROR_SUCCESS || type != expectedType) {
        data.clear();
        return false;
    }
    return true;
}

bool WriteValue(const Location& where, const QString& name, uint32_t type, const QByteArray& data)
{
    ScopedKey base, target;
    if (!OpenLocation(where, name, Access::write, base, target))
        return false;
    return RegSetValueEx(target.Get(), name, type, data.constData(), uint32_t(data.size())) == ERROR_SUCCESS;
}

template <typename T> QByteArray LittleEndianBytes(T value)
{
    QByteArray bytes(qsizetype(sizeof(T)), Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

template <typename T> T FromLittleEndianBytes(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

uint32_t GetDWord(const Location& where, const QString& name, uint32_t defaultValue)
{
    QByteArray data;
    if (!ReadValue(where, name, REG_DWORD, data) || data.size() != 4)
        return defaultValue;
    return FromLittleEndianBytes<uint32_t>(data, 0);
}

bool WriteDWord(const Location& where, const QString& name, uint32_t value)
{
    return WriteValue(where, name, REG_DWORD, LittleEndianBytes(value));
}

uint64_t GetQWord(const Location& where, const QString& name, uint64_t defaultValue)
{
    QByteArray data;
    if (!ReadValue(where, name, REG_QWORD, data) || data.size() != 8)
        return defaultValue;
    return FromLittleEndianBytes<uint64_t>(data, 0);
}

bool WriteQWord(const Location& where, const QString& name, uint64_t value)
{
    return WriteValue(where, name, REG_QWORD, LittleEndianBytes(value));
}

// Callers hand texts read here straight back to the writers, which refuse null texts.
QString NonNull(const QString& text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}

QString GetString(const Location& where, const QString& name, const QString& defaultValue)
{
    // Unlike the other types, a text read without a handle or a name is the empty text
    // whatever the default.
    if (name.isNull() || (!where.path && where.key == 0))
        return NonNull(QString());
    QByteArray data;
    if (!ReadValue(where, name, REG_SZ, data))
        return NonNull(defaultValue);
    return NonNull(AfxRegistryStringFromBytes(data));
}

bool WriteString(const Location& where, const QString& name, const QString& value)
{
    if (value.isNull())
        return false;
    return WriteValue(where, name, REG_SZ, AfxRegistryStringBytes(value));
}

bool GetBinary(const Location& where, const QString& name, QByteArray& data)
{
    if (!ReadValue(where, name, REG_BINARY, data) || data.isEmpty()) {
        data.clear();
        return false;
    }
    return true;
}

bool WriteBinary(const Location& where, const QString& name, const QByteArray& data)
{
    if (data.isEmpty())
        return false;
    return WriteValue(where, name, REG_BINARY, data);
}

constexpr qsizetype OLE_DATE_TIME_BYTES = 12;

COleDateTime GetOleDateTime(const Location& where, const QString& name, const COleDateTime& defaultValue)
{
    QByteArray data;
    if (!ReadValue(where, name, REG_BINARY, data) || data.size() != OLE_DATE_TIME_BYTES)
        return defaultValue;
    const uint64_t bits = FromLittleEndianBytes<uint64_t>(data, 0);
    const int32_t status = FromLittleEndianBytes<int32_t>(data, 8);
    // Any other status would be an enumeration value that no code expects.
    if (status != COleDateTime::valid && status != COleDateTime::invalid && status != COleDateTime::null)
        return defaultValue;
    double days = 0.0;
    std::memcpy(&days, &bits, sizeof days);
    return COleDateTime(days, static_cast<COleDateTime::DateTimeStatus>(status));
}

bool WriteOleDateTime(const Location& where, const QString& name, const COleDateTime& value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value.m_dt, sizeof bits);
    QByteArray data = LittleEndianBytes(bits);
    data += LittleEndianBytes(int32_t(value.m_status));
    return WriteValue(where, name, REG_BINARY, data);
}

const QString& CheckForUpdatesSubKey()
{
    static const QString subKey = QStringLiteral("Check For Updates");
    return subKey;
}

} // namespace

uint32_t AfxGetProfileDWord(HKEY key, const QString& name, uint32_t defaultValue)
{
    return GetDWord(At(key), name, defaultValue);
}
uint32_t AfxGetProfileDWord(const CRegistryPath& path, const QString& name, uint32_t defaultValue)
{
    return GetDWord(At(path), name, defaultValue);
}
uint32_t AfxGetProfileDWord(HKEY key, const QString& subKey, const QString& name, uint32_t defaultValue)
{
    return GetDWord(At(key, subKey), name, defaultValue);
}
uint32_t AfxGetProfileDWord(const CRegistryPath& path, const QString& subKey, const QString& name,
                            uint32_t defaultValue)
{
    return GetDWord(At(path, subKey), name, defaultValue);
}
bool AfxWriteProfileDWord(HKEY key, const QString& name, uint32_t value)
{
    return WriteDWord(At(key), name, value);
}
bool AfxWriteProfileDWord(const CRegistryPath& path, const QString& name, uint32_t value)
{
    return WriteDWord(At(path), name, value);
}
bool AfxWriteProfileDWord(HKEY key, const QString& subKey, const QString& name, uint32_t value)
{
    return WriteDWord(At(key, subKey), name, value);
}
bool AfxWriteProfileDWord(const CRegistryPath& path, const QString& subKey, const QString& name,
                          uint32_t value)
{
    return WriteDWord(At(path, subKey), name, value);
}

uint64_t AfxGetProfileQWord(HKEY key, const QString& name, uint64_t defaultValue)
{
    return GetQWord(At(key), name, defaultValue);
}
uint64_t AfxGetProfileQWord(const CRegistryPath& path, const QString& name, uint64_t defaultValue)
{
    return GetQWord(At(path), name, defaultValue);
}
uint64_t AfxGetProfileQWord(HKEY key, const QString& subKey, const QString& name, uint64_t defaultValue)
{
    return GetQWord(At(key, subKey), name, defaultValue);
}
uint64_t AfxGetProfileQWord(const CRegistryPath& path, const QString& subKey, const QString& name,
                            uint64_t defaultValue)
{
    return GetQWord(At(path, subKey), name, defaultValue);
}
bool AfxWriteProfileQWord(HKEY key, const QString& name, uint64_t value)
{
    return WriteQWord(At(key), name, value);
}
bool AfxWriteProfileQWord(const CRegistryPath& path, const QString& name, uint64_t value)
{
    return WriteQWord(At(path), name, value);
}
bool AfxWriteProfileQWord(HKEY key, const QString& subKey, const QString& name, uint64_t value)
{
    return WriteQWord(At(key, subKey), name, value);
}
bool AfxWriteProfileQWord(const CRegistryPath& path, const QString& subKey, const QString& name,
                          uint64_t value)
{
    return WriteQWord(At(path, subKey), name, value);
}

QString AfxGetProfileString(HKEY key, const QString& name, const QString& defaultValue)
{
    return GetString(At(key), name, defaultValue);
}
QString AfxGetProfileString(const CRegistryPath& path, const QString& name, const QString& defaultValue)
{
    return GetString(At(path), name, defaultValue);
}
QString AfxGetProfileString(HKEY key, const QString& subKey, const QString& name, const QString& defaultValue)
{
    return GetString(At(key, subKey), name, defaultValue);
}
QString AfxGetProfileString(const CRegistryPath& path, const QString& subKey, const QString& name,
                            const QString& defaultValue)
{
    return GetString(At(path, subKey), name, defaultValue);
}
bool AfxWriteProfileString(HKEY key, const QString& name, const QString& value)
{
    return WriteString(At(key), name, value);
}
bool AfxWriteProfileString(const CRegistryPath& path, const QString& name, const QString& value)
{
    return WriteString(At(path), name, value);
}
bool AfxWriteProfileString(HKEY key, const QString& subKey, const QString& name, const QString& value)
{
    return WriteString(At(key, subKey), name, value);
}
bool AfxWriteProfileString(const CRegistryPath& path, const QString& subKey, const QString& name,
                           const QString& value)
{
    return WriteString(At(path, subKey), name, value);
}

bool AfxGetProfileBinary(HKEY key, const QString& name, QByteArray& data)
{
    return GetBinary(At(key), name, data);
}
bool AfxGetProfileBinary(const CRegistryPath& path, const QString& name, QByteArray& data)
{
    return GetBinary(At(path), name, data);
}
bool AfxGetProfileBinary(HKEY key, const QString& subKey, const QString& name, QByteArray& data)
{
    return GetBinary(At(key, subKey), name, data);
}
bool AfxGetProfileBinary(const CRegistryPath& path, const QString& subKey, const QString& name,
                         QByteArray& data)
{
    return GetBinary(At(path, subKey), name, data);
}
bool AfxWriteProfileBinary(HKEY key, const QString& name, const QByteArray& data)
{
    return WriteBinary(At(key), name, data);
}
bool AfxWriteProfileBinary(const CRegistryPath& path, const QString& name, const QByteArray& data)
{
    return WriteBinary(At(path), name, data);
}
bool AfxWriteProfileBinary(HKEY key, const QString& subKey, const QString& name, const QByteArray& data)
{
    return WriteBinary(At(key, subKey), name, data);
}
bool AfxWriteProfileBinary(const CRegistryPath& path, const QString& subKey, const QString& name,
                           const QByteArray& data)
{
    return WriteBinary(At(path, subKey), name, data);
}

COleDateTime AfxGetProfileOleDateTime(HKEY key, const QString& name, const COleDateTime& defaultValue)
{
    return GetOleDateTime(At(key), name, defaultValue);
}
COleDateTime AfxGetProfileOleDateTime(const CRegistryPath& path, const QString& name,
                                      const COleDateTime& defaultValue)
{
    return GetOleDateTime(At(path), name, defaultValue);
}
COleDateTime AfxGetProfileOleDateTime(HKEY key, const QString& subKey, const QString& name,
                                      const COleDateTime& defaultValue)
{
    return GetOleDateTime(At(key, subKey), name, defaultValue);
}
COleDateTime AfxGetProfileOleDateTime(const CRegistryPath& path, const QString& subKey, const QString& name,
                                      const COleDateTime& defaultValue)
{
    return GetOleDateTime(At(path, subKey), name, defaultValue);
}
bool AfxWriteProfileOleDateTime(HKEY key, const QString& name, const COleDateTime& value)
{
    return WriteOleDateTime(At(key), name, value);
}
bool AfxWriteProfileOleDateTime(const CRegistryPath& path, const QString& name, const COleDateTime& value)
{
    return WriteOleDateTime(At(path), name, value);
}
bool AfxWriteProfileOleDateTime(HKEY key, const QString& subKey, const QString& name,
                                const COleDateTime& value)
{
    return WriteOleDateTime(At(key, subKey), name, value);
}
bool AfxWriteProfileOleDateTime(const CRegistryPath& path, const QString& subKey, const QString& name,
                                const COleDateTime& value)
{
    return WriteOleDateTime(At(path, subKey), name, value);
}

QString AfxGetProfileCheckForUpdatesURL(const CRegistryPath& path)
{
    return GetString(At(path, CheckForUpdatesSubKey()), QStringLiteral("URL"), QString());
}
bool AfxWriteProfileCheckForUpdatesURL(const CRegistryPath& path, const QString& url)
{
    return WriteString(At(path, CheckForUpdatesSubKey()), QStringLiteral("URL"), url);
}

uint32_t AfxGetProfileCheckForUpdatesReminder(const CRegistryPath& path)
{
    return GetDWord(At(path, CheckForUpdatesSubKey()), QStringLiteral("Reminder"),
                    DEFAULT_CHECK_FOR_UPDATES_REMINDER);
}
bool AfxWriteProfileCheckForUpdatesReminder(const CRegistryPath& path, uint32_t days)
{
    return WriteDWord(At(path, CheckForUpdatesSubKey()), QStringLiteral("Reminder"), days);
}

COleDateTime AfxGetProfileCheckForUpdatesLastChecked(const CRegistryPath& path)
{
    return GetOleDateTime(At(path, CheckForUpdatesSubKey()), QStringLiteral("Last Checked"), COleDateTime());
}
bool AfxWriteProfileCheckForUpdatesLastChecked(const CRegistryPath& path, const COleDateTime& time)
{
    return WriteOleDateTime(At(path, CheckForUpdatesSubKey()), QStringLiteral("Last Checked"), time);
}

COleDateTime AfxGetProfileCheckForUpdatesLastModified(const CRegistryPath& path)
{
    return GetOleDateTime(At(path, CheckForUpdatesSubKey()), QStringLiteral("Last Modified"), COleDateTime());
}
bool AfxWriteProfileCheckForUpdatesLastModified(const CRegistryPath& path, const COleDateTime& time)
{
    return WriteOleDateTime(At(path, CheckForUpdatesSubKey()), QStringLiteral("Last Modified"), time);
}

COleDateTime AfxGetProfileCheckForUpdatesLastDismissed(const CRegistryPath& path)
{
    return GetOleDateTime(At(path, CheckForUpdatesSubKey()), QStringLiteral("Last Dismissed"),
                          COleDateTime());
}
bool AfxWriteProfileCheckForUpdatesLastDismissed(const CRegistryPath& path, const COleDateTime& time)
{
    return WriteOleDateTime(At(path, CheckForUpdatesSubKey()), QStringLiteral("Last Dismissed"), time);
}

bool AfxIsValidCheckForUpdatesReminder(uint32_t days)
{
    return days <= MAX_CHECK_FOR_UPDATES_REMINDER;
}
