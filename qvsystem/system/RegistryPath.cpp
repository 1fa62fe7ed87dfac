#include "qvsystem/system/RegistryPath.h"

namespace {

// The sub key is kept non-null so that handing it on to a profile function never turns
// into the "null sub key" failure.
QString EmptyText()
{
    return QString(QLatin1String(""));
}

} // namespace

const QString CRegistryPath::DEFAULT_SUB_KEY = EmptyText();

CRegistryPath::CRegistryPath() : m_strSubKey(EmptyText()) {}

CRegistryPath::CRegistryPath(HKEY sectionKey, const QString& subKey) : CRegistryPath()
{
    SetSectionKey(sectionKey);
    SetSubKey(subKey);
}

CRegistryPath::CRegistryPath(const CRegistryPath& path, const QString& keyToAppend) : CRegistryPath(path)
{
    AppendKey(keyToAppend);
}

CRegistryPath::CRegistryPath(const CRegistryPath& other) = default;
CRegistryPath& CRegistryPath::operator=(const CRegistryPath& other) = default;
CRegistryPath::~CRegistryPath() = default;

bool CRegistryPath::operator==(const CRegistryPath& other) const
{
    return m_hSectionKey == other.m_hSectionKey &&
           QString::compare(m_strSubKey, other.m_strSubKey, Qt::CaseSensitive) == 0;
}

bool CRegistryPath::IsValidSectionKey(HKEY sectionKey)
{
    return AfxIsPredefinedRegistryRoot(sectionKey);
}

bool CRegistryPath::SetSectionKey(HKEY sectionKey)
{
    if (!IsValidSectionKey(sectionKey)) {
        m_hSectionKey = DEFAULT_SECTION_KEY;
        return false;
    }
    m_hSectionKey = sectionKey;
    return true;
}

bool CRegistryPath::SetSubKey(const QString& subKey)
{
    if (subKey.isNull())
        return false;
    m_strSubKey = subKey;
    return true;
}

bool CRegistryPath::SetPath(HKEY sectionKey, const QString& subKey)
{
    return SetSectionKey(sectionKey) && SetSubKey(subKey);
}

void CRegistryPath::GetPath(HKEY& sectionKey, QString& subKey) const
{
    sectionKey = m_hSectionKey;
    subKey = m_strSubKey;
}

bool CRegistryPath::AppendKey(const QString& key)
{
    if (key.isEmpty())
        return false;
    if (!m_strSubKey.isEmpty() && !m_strSubKey.endsWith(QLatin1Char('\\')))
        m_strSubKey += QLatin1Char('\\');
    m_strSubKey += key;
    return true;
}

bool CRegistryPath::IsValid() const
{
    return IsValidSectionKey(m_hSectionKey);
}

void CRegistryPath::Nullify()
{
    m_hSectionKey = DEFAULT_SECTION_KEY;
    m_strSubKey = EmptyText();
}

LSTATUS CRegistryPath::CreateSubKey(HKEY* key) const
{
    if (!key)
        return ERROR_INVALID_PARAMETER;
    *key = 0;
    if (!IsValid())
        return ERROR_INVALID_HANDLE;
    return RegCreateKeyEx(m_hSectionKey, m_strSubKey, key);
}

LSTATUS CRegistryPath::OpenSubKey(HKEY* key) const
{
    if (!key)
        return ERROR_INVALID_PARAMETER;
    *key = 0;
    if (!IsValid())
        return ERROR_INVALID_HANDLE;
    return RegOpenKeyEx(m_hSectionKey, m_strSubKey, key);
}
