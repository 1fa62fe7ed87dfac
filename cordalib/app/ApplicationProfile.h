#pragma once
// The application's profile: every setting of the program lives under
// HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>, with the values named
// by the settings groups. Reads and writes go through the profile functions: a missing
// value, or one of another type, reads as the default; writes go to the settings store at
// once and a failure is only returned, never shown.

#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/RegistryPath.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class CApplicationProfile {
public:
    CApplicationProfile() = default;

    // "Corda Software\Corda Librarian": the key below HKEY_CURRENT_USER\Software. An
    // empty key is refused.
    bool SetRegistryKey(const QString& registryKey);
    // "1.0": the key below the registry key that holds the sections.
    bool SetProfileName(const QString& profileName);

    bool IsSet() const { return !m_strRegistryKey.isEmpty() && !m_strProfileName.isEmpty(); }
    // "Software\Corda Software\Corda Librarian" (holds Check For Updates) and
    // "Software\Corda Software\Corda Librarian\1.0" (holds the sections).
    QString GetProductRootKey() const;
    QString GetApplicationRootKey() const;
    // The key of a section below the application root; an empty section is the root.
    QString GetSectionKey(const QString& section) const;
    CRegistryPath GetSectionPath(const QString& section) const;

    uint32_t GetProfileInt(const QString& section, const QString& entry, uint32_t defaultValue) const;
    bool WriteProfileInt(const QString& section, const QString& entry, uint32_t value) const;
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& defaultValue = QString()) const;
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value) const;
    // False (and data emptied) when the value is missing or not binary.
    bool GetProfileBinary(const QString& section, const QString& entry, QByteArray& data) const;
    bool WriteProfileBinary(const QString& section, const QString& entry, const QByteArray& data) const;

    // The same below any key of HKEY_CURRENT_USER (the product root's sub keys).
    static bool ReadValue(const QString& key, const QString& entry, uint32_t expectedType, QByteArray& data);
    static bool WriteValue(const QString& key, const QString& entry, uint32_t type, const QByteArray& data);

private:
    QString m_strRegistryKey;
    QString m_strProfileName;
};
