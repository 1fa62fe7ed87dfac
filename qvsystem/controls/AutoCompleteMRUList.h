#pragma once
// The most-recently-used list behind an auto-complete edit: distinct texts (compared
// case-sensitively), the most recent first, at most the size limit (1 to 50, default 20).
//
// The list is also the edit's source of suggestions, read through a string enumeration with
// the results of the platform's string enumerator (Next, Skip, Reset, Clone and their
// result codes), so that it reads the same wherever it came from.
//
// In the settings store a list is the text values "MRU 1" (the most recent) to "MRU n" of
// one key: a sub key below the application's own key (AfxGetApplicationRegistryPath), or a
// key the caller opened.

#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class QVSYSTEM_EXPORT CAutoCompleteMRUList {
public:
    // Result codes of the enumeration, with the platform's values.
    using HRESULT = int32_t;
    static constexpr HRESULT S_OK = 0;
    static constexpr HRESULT S_FALSE = 1;
    static constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
    static constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
    static constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
    static constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

    static constexpr uint32_t DEFAULT_SIZE_LIMIT = 20;
    static constexpr uint32_t MIN_SIZE_LIMIT = 1;
    static constexpr uint32_t MAX_SIZE_LIMIT = 50;

    CAutoCompleteMRUList();
    // Copies the entries and the limit; the copy's enumeration starts at the beginning.
    CAutoCompleteMRUList(const CAutoCompleteMRUList& other);
    CAutoCompleteMRUList& operator=(const CAutoCompleteMRUList& other);
    virtual ~CAutoCompleteMRUList();

    // Not null and not empty once blanks at both ends are taken off.
    static bool IsValidElement(const QString& text);
    static bool IsValidSizeLimit(uint32_t limit);

    // Puts the text, as given (not trimmed), at the front; an equal entry moves there rather
    // than appearing twice; the oldest entries beyond the limit drop off. False for an
    // invalid text.
    bool AddElement(const QString& text);
    // Removes the entry equal to the text; false when there is none.
    bool RemoveElement(const QString& text);
    void RemoveAllElements();

    // False outside 1 to 50 (nothing changes); otherwise the oldest entries beyond the new
    // limit drop off.
    bool SetSizeLimit(uint32_t limit);
    uint32_t GetSizeLimit() const { return m_nSizeLimit; }

    uint32_t GetElementCount() const { return static_cast<uint32_t>(m_arrElements.size()); }
    // The entries after the enumeration index.
    uint32_t GetRemainingElements() const;
    // The entry at the enumeration index; empty past the end.
    QString GetCurrentElement() const;
    const std::vector<QString>& GetElements() const { return m_arrElements; }
    QStringList GetElementList() const;

    // Sub-key form: false for a null or empty sub key or while the application key is not
    // set. Writes "MRU 1" to "MRU n" (n = the entry count); false when a write failed.
    // Values beyond n from an earlier, longer list are left alone.
    bool SaveState(const QString& subKey) const;
    // Key form: the same values into the open key; with closeKey the key is closed
    // afterwards, whatever the result.
    bool SaveState(HKEY key, bool closeKey) const;
    // Empties the list and reads "MRU 1" up to "MRU <limit>"; only valid texts are taken, an
    // entry equal to one read before is skipped. Sub-key form: false as for saving, and the
    // list is then left as it was.
    bool LoadState(const QString& subKey);
    bool LoadState(HKEY key, bool closeKey);

    // Copies up to count entries from the enumeration index into elements (an array of at
    // least count texts) and advances; fetched (may be null only for a count of 1) gets the
    // number copied. E_INVALIDARG for a count of 0, E_POINTER for a null array or a missing
    // fetched with a count above 1, E_FAIL for an empty list; S_FALSE when fewer than count
    // were left, else S_OK.
    HRESULT Next(uint32_t count, QString* elements, uint32_t* fetched);
    // Advances by at most the remaining entries; E_INVALIDARG for 0, S_FALSE when fewer
    // than count were skipped.
    HRESULT Skip(uint32_t count);
    HRESULT Reset();
    // A new list with a copy of the entries and the limit; E_POINTER for null.
    HRESULT Clone(std::unique_ptr<CAutoCompleteMRUList>* clone) const;

    // The value name of the entry at the 1-based position: "MRU 1", "MRU 2", ...
    static QString ValueName(uint32_t position);

private:
    void Truncate();
    void Append(const QString& text);

    uint32_t m_nIndex = 0;
    std::vector<QString> m_arrElements;
    uint32_t m_nSizeLimit = DEFAULT_SIZE_LIMIT;
};
