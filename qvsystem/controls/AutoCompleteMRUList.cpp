#include "qvsystem/controls/AutoCompleteMRUList.h"

#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ProfileValues.h"

#include <algorithm>
#include <new>

CAutoCompleteMRUList::CAutoCompleteMRUList() = default;

CAutoCompleteMRUList::CAutoCompleteMRUList(const CAutoCompleteMRUList& other)
    : m_arrElements(other.m_arrElements), m_nSizeLimit(other.m_nSizeLimit)
{
}

CAutoCompleteMRUList& CAutoCompleteMRUList::operator=(const CAutoCompleteMRUList& other)
{
    if (this != &other) {
        m_arrElements = other.m_arrElements;
        m_nSizeLimit = other.m_nSizeLimit;
        m_nIndex = 0;
    }
    return *this;
}

CAutoCompleteMRUList::~CAutoCompleteMRUList() = default;

bool CAutoCompleteMRUList::IsValidElement(const QString& text)
{
    return !text.isNull() && !text.trimmed().isEmpty();
}

bool CAutoCompleteMRUList::IsValidSizeLimit(uint32_t limit)
{
    return limit >= MIN_SIZE_LIMIT && limit <= MAX_SIZE_LIMIT;
}

bool CAutoCompleteMRUList::AddElement(const QString& text)
{
    if (!IsValidElement(text))
        return false;
    m_arrElements.erase(std::remove(m_arrElements.begin(), m_arrElements.end(), text), m_arrElements.end());
    m_arrElements.insert(m_arrElements.begin(), text);
    Truncate();
    return true;
}

bool CAutoCompleteMRUList::RemoveElement(const QString& text)
{
    if (text.isNull())
        return false;
    const auto it = std::find(m_arrElements.begin(), m_arrElements.end(), text);
    if (it == m_arrElements.end())
        return false;
    m_arrElements.erase(it);
    return true;
}

void CAutoCompleteMRUList::RemoveAllElements()
{
    m_arrElements.clear();
    m_nIndex = 0;
}

bool CAutoCompleteMRUList::SetSizeLimit(uint32_t limit)
{
    if (!IsValidSizeLimit(limit))
        return false;
    m_nSizeLimit = limit;
    Truncate();
    return true;
}

void CAutoCompleteMRUList::Truncate()
{
    if (m_arrElements.size() > m_nSizeLimit)
        m_arrElements.resize(m_nSizeLimit);
}

uint32_t CAutoCompleteMRUList::GetRemainingElements() const
{
    const uint32_t count = GetElementCount();
    return m_nIndex < count ? count - m_nIndex : 0;
}

QString CAutoCompleteMRUList::GetCurrentElement() const
{
    return m_nIndex < GetElementCount() ? m_arrElements[m_nIndex] : QString();
}

QStringList CAutoCompleteMRUList::GetElementList() const
{
    return QStringList(m_arrElements.begin(), m_arrElements.end());
}

QString CAutoCompleteMRUList::ValueName(uint32_t position)
{
    return QStringLiteral("MRU %1").arg(position);
}

bool CAutoCompleteMRUList::SaveState(const QString& subKey) const
{
    CRegistryPath path;
    if (subKey.isEmpty() || !AfxGetApplicationRegistryPath(subKey, path))
        return false;
    bool ok = true;
    const uint32_t count = std::min(GetElementCount(), m_nSizeLimit);
    for (uint32_t i = 1; i <= count; ++i) {
        const QString& text = m_arrElements[i - 1];
        if (text.isEmpty())
            continue;
        // A write the store refused is reported: the list would come back old next time.
        if (!AfxWriteProfileString(path, ValueName(i), text))
            ok = false;
    }
    return ok;
}

bool CAutoCompleteMRUList::SaveState(HKEY key, bool closeKey) const
{
    if (!key)
        return false;
    bool ok = true;
    const uint32_t count = std::min(GetElementCount(), m_nSizeLimit);
    for (uint32_t i = 1; i <= count; ++i) {
        const QString& text = m_arrElements[i - 1];
        if (!IsValidElement(text))
            continue;
        if (!AfxWriteProfileString(key, ValueName(i), text))
            ok = false;
    }
    if (closeKey)
        RegCloseKey(key);
    return ok;
}

void CAutoCompleteMRUList::Append(const QString& text)
{
    // Values left behind by an earlier, longer list can repeat a newer entry.
    if (!IsValidElement(text) ||
        std::find(m_arrElements.begin(), m_arrElements.end(), text) != m_arrElements.end())
        return;
    m_arrElements.push_back(text);
}

bool CAutoCompleteMRUList::LoadState(const QString& subKey)
{
    CRegistryPath path;
    if (subKey.isEmpty() || !AfxGetApplicationRegistryPath(subKey, path))
        return false;
    RemoveAllElements();
    for (uint32_t i = 1; i <= m_nSizeLimit; ++i)
        Append(AfxGetProfileString(path, ValueName(i), QString()));
    return true;
}

bool CAutoCompleteMRUList::LoadState(HKEY key, bool closeKey)
{
    if (!key)
        return false;
    RemoveAllElements();
    for (uint32_t i = 1; i <= m_nSizeLimit; ++i) {
        uint32_t type = REG_NONE;
        QByteArray data;
        if (RegQueryValueEx(key, ValueName(i), &type, &data) == ERROR_SUCCESS && type == REG_SZ)
            Append(AfxRegistryStringFromBytes(data));
    }
    if (closeKey)
        RegCloseKey(key);
    return true;
}

CAutoCompleteMRUList::HRESULT CAutoCompleteMRUList::Next(uint32_t count, QString* elements, uint32_t* fetched)
{
    if (count == 0)
        return E_INVALIDARG;
    if (!elements || (count != 1 && !fetched))
        return E_POINTER;
    if (m_arrElements.empty())
        return E_FAIL;
    uint32_t copied = 0;
    try {
        while (copied < count && m_nIndex + copied < GetElementCount()) {
            elements[copied] = m_arrElements[m_nIndex + copied];
            ++copied;
        }
    } catch (const std::bad_alloc&) {
        for (uint32_t i = 0; i < copied; ++i)
            elements[i] = QString();
        if (fetched)
            *fetched = 0;
        return E_OUTOFMEMORY;
    }
    m_nIndex += copied;
    if (fetched)
        *fetched = copied;
    return copied < count ? S_FALSE : S_OK;
}

CAutoCompleteMRUList::HRESULT CAutoCompleteMRUList::Skip(uint32_t count)
{
    if (count == 0)
        return E_INVALIDARG;
    const uint32_t skipped = std::min(count, GetRemainingElements());
    m_nIndex += skipped;
    return skipped < count ? S_FALSE : S_OK;
}

CAutoCompleteMRUList::HRESULT CAutoCompleteMRUList::Reset()
{
    m_nIndex = 0;
    return S_OK;
}

CAutoCompleteMRUList::HRESULT CAutoCompleteMRUList::Clone(std::unique_ptr<CAutoCompleteMRUList>* clone) const
{
    if (!clone)
        return E_POINTER;
    try {
        *clone = std::make_unique<CAutoCompleteMRUList>(*this);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}
