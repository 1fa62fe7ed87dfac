#include "cordalib/app/ApplicationProfile.h"

#include "qvsystem/system/ProfileValues.h"

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

CRegistryPath CApplicationProfile::GetSectionPath(const QString& section) const
{
    return CRegistryPath(HKEY_CURRENT_USER, GetSectionKey(section));
}

uint32_t CApplicationProfile::GetProfileInt(const QString& section, const QString& entry,
                                            uint32_t defaultValue) const
{
    if (!IsSet())
        return defaultValue;
    return AfxGetProfileDWord(GetSectionPath(section), entry, defaultValue);
}

bool CApplicationProfile::WriteProfileInt(const QString& section, const QString& entry, uint32_t value) const
{
    return IsSet() && AfxWriteProfileDWord(GetSectionPath(section), entry, value);
}

QString CApplicationProfile::GetProfileString(const QString& section, const QString& entry,
                                              const QString& defaultValue) const
{
    if (!IsSet())
        return defaultValue;
    // The profile functions take a null default as "no default": an empty text stands in.
    return AfxGetProfileString(GetSectionPath(section), entry,
                               defaultValue.isNull() ? QString(QLatin1String("")) : defaultValue);
}

bool CApplicationProfile::WriteProfileString(const QString& section, const QString& entry,
                                             const QString& value) const
{
    return IsSet() && !value.isNull() && AfxWriteProfileString(GetSectionPath(section), entry, value);
}

bool CApplicationProfile::GetProfileBinary(const QString& section, const QString& entry,
                                           QByteArray& data) const
{
    data.clear();
    return IsSet() && AfxGetProfileBinary(GetSectionPath(section), entry, data);
}

bool CApplicationProfile::WriteProfileBinary(const QString& section, const QString& entry,
                                             const QByteArray& data) const
{
    return IsSet() && !data.isEmpty() && AfxWriteProfileBinary(GetSectionPath(section), entry, data);
}
