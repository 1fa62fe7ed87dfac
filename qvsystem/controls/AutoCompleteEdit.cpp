#include "qvsystem/controls/AutoCompleteEdit.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QStringListModel>

CAutoCompleteEdit::CAutoCompleteEdit(QWidget* parent)
    : CQVEdit(parent), m_pMRUList(std::make_unique<CAutoCompleteMRUList>())
{
    m_pModel = new QStringListModel(this);
    m_pCompleter = new QCompleter(m_pModel, this);
    m_pCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    m_pCompleter->setModelSorting(QCompleter::UnsortedModel);
    m_pCompleter->setMaxVisibleItems(10);
    ApplyOptions(DEFAULT_OPTIONS);
}

CAutoCompleteEdit::~CAutoCompleteEdit() = default;

void CAutoCompleteEdit::ApplyOptions(uint32_t options)
{
    m_nCurrentOptions = options;
    if (!m_pCompleter)
        return;
    // The completer stays attached (detaching and attaching it again is fragile in Qt); when
    // completion is off it simply has nothing to offer.
    if (!(options & (ACO_AUTOSUGGEST | ACO_AUTOAPPEND | ACO_UPDOWNKEYDROPSLIST))) {
        if (m_pCompleter->popup())
            m_pCompleter->popup()->hide();
    } else if (options & (ACO_AUTOSUGGEST | ACO_UPDOWNKEYDROPSLIST)) {
        // The suggest drop-down wins over appending in place; appending alone completes inline.
        m_pCompleter->setCompletionMode(QCompleter::PopupCompletion);
    } else {
        m_pCompleter->setCompletionMode(QCompleter::InlineCompletion);
    }
    RefreshSuggestions();
    if (completer() != m_pCompleter)
        setCompleter(m_pCompleter);
}

bool CAutoCompleteEdit::EnableAutoCompletion(bool enable)
{
    if (!m_pCompleter)
        return false;
    ApplyOptions(enable ? (m_nOptions != ACO_NONE ? m_nOptions : DEFAULT_OPTIONS) : ACO_NONE);
    return true;
}

bool CAutoCompleteEdit::SetOptions(uint32_t options)
{
    if (!m_pCompleter)
        return false;
    m_nOptions = options;
    ApplyOptions(options);
    return true;
}

bool CAutoCompleteEdit::AddMRUListEntry(const QString& text)
{
    if (!m_pMRUList || text.isEmpty())
        return false;
    const bool added = m_pMRUList->AddElement(text);
    if (added)
        RefreshSuggestions();
    return added;
}

bool CAutoCompleteEdit::AddActiveTextToMRUList()
{
    const QString current = text();
    if (current.isEmpty())
        return false;
    return AddMRUListEntry(current);
}

bool CAutoCompleteEdit::RemoveMRUListEntry(const QString& text)
{
    if (!m_pMRUList)
        return false;
    const bool removed = m_pMRUList->RemoveElement(text);
    if (removed)
        RefreshSuggestions();
    return removed;
}

void CAutoCompleteEdit::ClearMRUList()
{
    if (!m_pMRUList)
        return;
    m_pMRUList->RemoveAllElements();
    RefreshSuggestions();
}

bool CAutoCompleteEdit::SetMRUListSizeLimit(uint32_t limit)
{
    if (!m_pMRUList)
        return false;
    const bool set = m_pMRUList->SetSizeLimit(limit);
    if (set)
        RefreshSuggestions();
    return set;
}

uint32_t CAutoCompleteEdit::GetMRUListSizeLimit() const
{
    return m_pMRUList ? m_pMRUList->GetSizeLimit() : 0;
}

bool CAutoCompleteEdit::SaveState(const QString& subKey) const
{
    return m_pMRUList && m_pMRUList->SaveState(subKey);
}

bool CAutoCompleteEdit::SaveState(const CRegistryPath& path) const
{
    HKEY key = 0;
    if (!m_pMRUList || path.CreateSubKey(&key) != ERROR_SUCCESS)
        return false;
    return m_pMRUList->SaveState(key, true);
}

bool CAutoCompleteEdit::SaveState(HKEY key, bool closeKey) const
{
    if (!m_pMRUList) {
        if (key && closeKey)
            RegCloseKey(key);
        return false;
    }
    return m_pMRUList->SaveState(key, closeKey);
}

bool CAutoCompleteEdit::LoadState(const QString& subKey)
{
    const bool loaded = m_pMRUList && m_pMRUList->LoadState(subKey);
    RefreshSuggestions();
    return loaded;
}

bool CAutoCompleteEdit::LoadState(const CRegistryPath& path)
{
    HKEY key = 0;
    if (!m_pMRUList || path.CreateSubKey(&key) != ERROR_SUCCESS)
        return false;
    const bool loaded = m_pMRUList->LoadState(key, true);
    RefreshSuggestions();
    return loaded;
}

bool CAutoCompleteEdit::LoadState(HKEY key, bool closeKey)
{
    if (!m_pMRUList) {
        if (key && closeKey)
            RegCloseKey(key);
        return false;
    }
    const bool loaded = m_pMRUList->LoadState(key, closeKey);
    RefreshSuggestions();
    return loaded;
}

void CAutoCompleteEdit::RefreshSuggestions()
{
    if (!m_pModel || !m_pMRUList)
        return;
    QStringList entries;
    if (!IsAutoCompletionEnabled()) {
        if (!m_pModel->stringList().isEmpty())
            m_pModel->setStringList(entries);
        return;
    }
    m_pMRUList->Reset();
    QString entry;
    uint32_t fetched = 0;
    while (m_pMRUList->Next(1, &entry, &fetched) == CAutoCompleteMRUList::S_OK && fetched == 1)
        entries.append(entry);
    m_pMRUList->Reset();
    // Setting the same list again would reset the model and close an open drop-down.
    if (entries != m_pModel->stringList())
        m_pModel->setStringList(entries);
}

void CAutoCompleteEdit::focusInEvent(QFocusEvent* event)
{
    RefreshSuggestions();
    CQVEdit::focusInEvent(event);
}

void CAutoCompleteEdit::keyPressEvent(QKeyEvent* event)
{
    const bool popupShown = m_pCompleter && m_pCompleter->popup() && m_pCompleter->popup()->isVisible();
    if (!popupShown)
        RefreshSuggestions();
    if (!popupShown && m_pCompleter && completer() == m_pCompleter &&
        (m_nCurrentOptions & ACO_UPDOWNKEYDROPSLIST) &&
        (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) &&
        event->modifiers() == Qt::NoModifier) {
        m_pCompleter->setCompletionPrefix(text());
        if (m_pCompleter->completionCount() > 0) {
            m_pCompleter->complete();
            event->accept();
            return;
        }
    }
    CQVEdit::keyPressEvent(event);
}
