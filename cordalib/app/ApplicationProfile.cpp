#include "cordalib/app/ApplicationProfile.h"

#include <cstring>

bool CApplicationProfile::SetRegistryKey(const QString& registryKey)
{
    if (registryKey.isEmpty())
        return false;
    m_strRegistryKey = registryKey;
    return true;
}

bool CApplicationProfile::SetProfileName(const QString& profileName)
{
    if (profileName.isEmpty())
        return false;
    m_strProfileName = profileName;
    return true;
}

QString CApplicationProfile::GetProductRootKey() const
{
    return QStringLiteral("Software\\") + m_strRegistryKey;
}

QString CApplicationProfile::GetApplicationRootKey() const
{
    return GetProductRootKey() + QLatin1Char('\\') + m_strProfileName;
}

QString CApplicationProfile::GetSectionKey(const QString& section) const
{
    if (section.isEmpty())
        return GetApplicationRootKey();
    return GetApplicationRootKey() + QLatin1Char('\\') + section;
}

bool CApplicationProfile::ReadValue(const QString& key, const QString& entry, uint32_t expectedType,
                                    QByteArray& data)
{
    data.clear();
    if (entry.isNull())
        return false;
    HKEY handle = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, key, &handle) != ERROR_SUCCESS)
        return false;
    uint32_t type = REG_NONE;
    const LSTATUS status = RegQueryValueEx(handle, entry, &type, &data);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || type != expectedType) {
        data.clear();
        return false;
    }
    return true;
}

bool CApplicationProfile::WriteValue(const QString& key, const QString& entry, uint32_t type,
                                     const QByteArray& data)
{
    if (entry.isNull())
        return false;
    HKEY handle = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, key, &handle) != ERROR_SUCCESS)
        return false;
    const LSTATUS status =
        RegSetValueEx(handle, entry, type, data.constData(), static_cast<uint32_t>(data.size()));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

uint32_t CApplicationProfile::GetProfileInt(const QString& section, const QString& entry,
                                            uint32_t defaultValue) const
{
    if (!IsSet())
        return defaultValue;
    QByteArray data;
    // A DWORD is exactly four bytes; anything else stored under the name reads as the default.
    if (!ReadValue(GetSectionKey(section), entry, REG_DWORD, data) || data.size() != 4)
        return defaultValue;
    uint32_t value = 0;
    std::memcpy(&value, data.constData(), 4);
    return value;
}

bool CApplicationProfile::WriteProfileInt(const QString& section, const QString& entry, uint32_t value) const
{
    if (!IsSet())
        return false;
    return WriteValue(GetSectionKey(section), entry, REG_DWORD,
                      QByteArray(reinterpret_cast<const char*>(&value), 4));
}

QString CApplicationProfile::GetProfileString(const QString& section, const QString& entry,
                                              const QString& defaultValue) const
{
    if (!IsSet())
        return defaultValue;
    QByteArray data;
    if (!ReadValue(GetSectionKey(section), entry, REG_SZ, data))
        return defaultValue;
    return AfxRegistryStringFromBytes(data);
}

bool CApplicationProfile::WriteProfileString(const QString& section, const QString& entry,
                                             const QString& value) const
{
    if (!IsSet() || value.isNull())
        return false;
    return WriteValue(GetSectionKey(section), entry, REG_SZ, AfxRegistryStringBytes(value));
}

bool CApplicationProfile::GetProfileBinary(const QString& section, const QString& entry,
                                           QByteArray& data) const
{
    data.clear();
    if (!IsSet())
        return false;
    return ReadValue(GetSectionKey(section), entry, REG_BINARY, data);
}

bool CApplicationProfile::WriteProfileBinary(const QString& section, const QString& entry,
                                             const QByteArray& data) const
{
    if (!IsSet() || data.isEmpty())
        return false;
    return WriteValue(GetSectionKey(section), entry, REG_BINARY, data);
}
