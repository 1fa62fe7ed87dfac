#pragma once
// A location in the settings store: one of the predefined roots plus a backslash-separated
// path below it. Every state-saving operation of the library takes one.

#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

class QVSYSTEM_EXPORT CRegistryPath {
public:
    static constexpr HKEY DEFAULT_SECTION_KEY = 0;
    static const QString DEFAULT_SUB_KEY;

    CRegistryPath();
    // A root that is not predefined leaves the section key null; a null sub key leaves
    // the sub key empty.
    CRegistryPath(HKEY sectionKey, const QString& subKey);
    // A copy of the path with the key appended (see AppendKey).
    CRegistryPath(const CRegistryPath& path, const QString& keyToAppend);
    CRegistryPath(const CRegistryPath& other);
    CRegistryPath& operator=(const CRegistryPath& other);
    virtual ~CRegistryPath();

    // Equal roots and sub keys that match exactly (case-sensitive).
    bool operator==(const CRegistryPath& other) const;
    bool operator!=(const CRegistryPath& other) const { return !(*this == other); }

    static bool IsValidSectionKey(HKEY sectionKey);

    // A handle that is not a predefined root fails and nulls the section key, so that the
    // path never points somewhere the caller did not ask for.
    bool SetSectionKey(HKEY sectionKey);
    HKEY GetSectionKey() const { return m_hSectionKey; }
    // Fails on a null text and keeps the sub key.
    bool SetSubKey(const QString& subKey);
    // Never null: an unset sub key is the empty text.
    const QString& GetSubKey() const { return m_strSubKey; }
    // The root first (a failure there stops before the sub key), then the sub key.
    bool SetPath(HKEY sectionKey, const QString& subKey);
    void GetPath(HKEY& sectionKey, QString& subKey) const;

    // Fails on a null or empty key and leaves the path as it was; otherwise adds one
    // backslash unless the sub key is empty or already ends with one, then the key.
    bool AppendKey(const QString& key);

    virtual bool IsValid() const;
    virtual void Nullify();

    // Creates (or opens) root\sub key for reading and writing; ERROR_SUCCESS or the store's
    // status. An invalid path fails with ERROR_INVALID_HANDLE before the store is touched.
    // The caller closes the handle with RegCloseKey.
    LSTATUS CreateSubKey(HKEY* key) const;
    // Opens an existing root\sub key; never creates anything.
    LSTATUS OpenSubKey(HKEY* key) const;

private:
    HKEY m_hSectionKey = DEFAULT_SECTION_KEY;
    QString m_strSubKey;
};
