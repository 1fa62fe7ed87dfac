#pragma once
// An edit that remembers the values entered in it (its own CAutoCompleteMRUList) and, while
// the user types, offers the remembered values that begin with the typed text in a drop-down
// (case-insensitive prefix). With the up/down option the arrow keys open the drop-down, also
// on an empty field. The dialog framework loads and saves the list (CQVDialog
// EnableAutoCompleteControls and SaveStateControls); a dialog adds the field's text to the
// list when the user confirms it (AddActiveTextToMRUList).
//
// The suggestions are read from the list through its enumeration each time the user starts
// typing, so a list changed behind the edit's back is still offered as it is.

#include "qvsystem/controls/AutoCompleteMRUList.h"
#include "qvsystem/controls/QVEdit.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QCompleter>
#include <QPointer>

#include <cstdint>
#include <memory>

class QStringListModel;

// Auto-completion options (the platform's values).
inline constexpr uint32_t ACO_NONE = 0x0;
inline constexpr uint32_t ACO_AUTOSUGGEST = 0x1;
inline constexpr uint32_t ACO_AUTOAPPEND = 0x2;
inline constexpr uint32_t ACO_UPDOWNKEYDROPSLIST = 0x20;

class QVSYSTEM_EXPORT CAutoCompleteEdit : public CQVEdit {
    Q_OBJECT

public:
    // Suggest drop-down plus up/down keys open the drop-down.
    static constexpr uint32_t DEFAULT_OPTIONS = ACO_AUTOSUGGEST | ACO_UPDOWNKEYDROPSLIST;

    explicit CAutoCompleteEdit(QWidget* parent = nullptr);
    ~CAutoCompleteEdit() override;

    // Off: the options in use become 0. On: the stored options (DEFAULT_OPTIONS when none
    // are stored). False when the completer is missing.
    bool EnableAutoCompletion(bool enable);
    bool IsAutoCompletionEnabled() const { return m_nCurrentOptions != ACO_NONE; }
    // Stores the options and uses them at once (0 switches completion off).
    bool SetOptions(uint32_t options);
    // The options in use (0 while completion is off).
    uint32_t GetOptions() const { return m_nCurrentOptions; }
    uint32_t GetStoredOptions() const { return m_nOptions; }

    bool IsAutoCompleteObjectValid() const { return m_pCompleter != nullptr; }
    bool IsMRUListValid() const { return m_pMRUList != nullptr; }
    CAutoCompleteMRUList* GetMRUList() const { return m_pMRUList.get(); }
    QCompleter* GetCompleter() const { return m_pCompleter; }

    // AddElement of the list; false for a null, empty or blank text.
    bool AddMRUListEntry(const QString& text);
    // Adds the field's text; false when it is empty.
    bool AddActiveTextToMRUList();
    bool RemoveMRUListEntry(const QString& text);
    void ClearMRUList();
    bool SetMRUListSizeLimit(uint32_t limit);
    uint32_t GetMRUListSizeLimit() const;

    // The list's state: a sub key below the application's key; a registry path (its key is
    // opened or created, and closed afterwards); or an open key, closed afterwards with
    // closeKey.
    bool SaveState(const QString& subKey) const;
    bool SaveState(const CRegistryPath& path) const;
    bool SaveState(HKEY key, bool closeKey) const;
    bool LoadState(const QString& subKey);
    bool LoadState(const CRegistryPath& path);
    bool LoadState(HKEY key, bool closeKey);

    // Reads the list into the completer's model (what the edit does before suggesting).
    void RefreshSuggestions();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void ApplyOptions(uint32_t options);

    std::unique_ptr<CAutoCompleteMRUList> m_pMRUList;
    QPointer<QCompleter> m_pCompleter;
    QStringListModel* m_pModel = nullptr;
    uint32_t m_nOptions = DEFAULT_OPTIONS;
    uint32_t m_nCurrentOptions = ACO_NONE;
};
