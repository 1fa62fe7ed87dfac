#include "qvsystem/controls/KeyboardMappingScheme.h"

#include "qvsystem/controls/MenuItems.h"

#include <QAction>

#include <algorithm>
#include <set>

int CKeyboardMappingScheme::LowerBound(uint32_t commandId) const
{
    const auto found = std::lower_bound(
        m_shortcuts.begin(), m_shortcuts.end(), commandId,
        [](const CKeyboardShortcut& shortcut, uint32_t id) { return shortcut.GetCommandID() < id; });
    return static_cast<int>(found - m_shortcuts.begin());
}

bool CKeyboardMappingScheme::AddKeyboardShortcut(const CKeyboardShortcut& shortcut)
{
    ClearShortcutKey(shortcut.GetShortcutKey());
    const int index = LowerBound(shortcut.GetCommandID());
    if (index < GetKeyboardShortcutCount() && m_shortcuts[index].GetCommandID() == shortcut.GetCommandID())
        m_shortcuts[index] = shortcut;
    else
        m_shortcuts.insert(m_shortcuts.begin() + index, shortcut);
    return true;
}

bool CKeyboardMappingScheme::RemoveKeyboardShortcutUsingCommandID(uint32_t commandId)
{
    const int index = FindCommandID(commandId);
    if (index < 0)
        return false;
    m_shortcuts.erase(m_shortcuts.begin() + index);
    return true;
}

bool CKeyboardMappingScheme::GetKeyboardShortcut(int index, CKeyboardShortcut& shortcut) const
{
    if (!IsValidKeyboardShortcutIndex(index))
        return false;
    shortcut = m_shortcuts[index];
    return true;
}

bool CKeyboardMappingScheme::GetKeyboardShortcutUsingCommandID(uint32_t commandId,
                                                               CKeyboardShortcut& shortcut) const
{
    return GetKeyboardShortcut(FindCommandID(commandId), shortcut);
}

int CKeyboardMappingScheme::FindCommandID(uint32_t commandId) const
{
    const int index = LowerBound(commandId);
    if (index < GetKeyboardShortcutCount() && m_shortcuts[index].GetCommandID() == commandId)
        return index;
    return -1;
}

int CKeyboardMappingScheme::FindShortcutKey(const CShortcutKey& key) const
{
    if (!key.IsKeySet())
        return -1;
    for (int index = 0; index < GetKeyboardShortcutCount(); ++index) {
        if (m_shortcuts[index].GetShortcutKey().IsSameAccelerator(key))
            return index;
    }
    return -1;
}

bool CKeyboardMappingScheme::SetShortcutKey(uint32_t commandId, const CShortcutKey& key)
{
    const int index = FindCommandID(commandId);
    if (index < 0)
        return false;
    ClearShortcutKey(key);
    m_shortcuts[index].SetShortcutKey(key);
    return true;
}

bool CKeyboardMappingScheme::ClearShortcutKey(const CShortcutKey& key)
{
    if (!key.IsKeySet())
        return false;
    bool cleared = false;
    for (CKeyboardShortcut& shortcut : m_shortcuts) {
        if (shortcut.GetShortcutKey().IsSameAccelerator(key)) {
            shortcut.ClearShortcutKey();
            cleared = true;
        }
    }
    return cleared;
}

bool CKeyboardMappingScheme::ClearKeyboardShortcutUsingCommandID(uint32_t commandId)
{
    const int index = FindCommandID(commandId);
    if (index < 0)
        return false;
    m_shortcuts[index].ClearShortcutKey();
    return true;
}

void CKeyboardMappingScheme::ClearAllShortcutKeys()
{
    for (CKeyboardShortcut& shortcut : m_shortcuts)
        shortcut.ClearShortcutKey();
}

void CKeyboardMappingScheme::ResetAllShortcutKeys(const CKeyboardMappingScheme& defaults)
{
    // Cleared first, so that a default key that some other entry holds now cannot end up
    // on two entries.
    ClearAllShortcutKeys();
    for (CKeyboardShortcut& shortcut : m_shortcuts) {
        CKeyboardShortcut standard;
        if (defaults.GetKeyboardShortcutUsingCommandID(shortcut.GetCommandID(), standard) &&
            FindShortcutKey(standard.GetShortcutKey()) < 0)
            shortcut.SetShortcutKey(standard.GetShortcutKey());
    }
}

bool CKeyboardMappingScheme::LoadDefaultMappingScheme()
{
    if (!m_pfnLoadDefault)
        return false;
    m_shortcuts.clear();
    m_pfnLoadDefault(*this);
    return true;
}

int CKeyboardMappingScheme::GetAssignedKeyboardShortcutCount() const
{
    return static_cast<int>(
        std::count_if(m_shortcuts.begin(), m_shortcuts.end(),
                      [](const CKeyboardShortcut& shortcut) { return shortcut.IsShortcutKeySet(); }));
}

bool CKeyboardMappingScheme::GetAccelerators(QVACCEL* accelerators, int size) const
{
    if (!accelerators || size != GetAssignedKeyboardShortcutCount())
        return false;
    int next = 0;
    for (const CKeyboardShortcut& shortcut : m_shortcuts) {
        if (shortcut.IsShortcutKeySet())
            accelerators[next++] = shortcut.GetAccel();
    }
    return true;
}

std::vector<QVACCEL> CKeyboardMappingScheme::CreateAcceleratorTable() const
{
    std::vector<QVACCEL> table(static_cast<size_t>(GetAssignedKeyboardShortcutCount()));
    if (!table.empty())
        GetAccelerators(table.data(), static_cast<int>(table.size()));
    return table;
}

bool CKeyboardMappingScheme::SetUsingAcceleratorTable(const QVACCEL* accelerators, int count)
{
    if (!accelerators || count < 1)
        return false;
    m_shortcuts.clear();
    for (int i = 0; i < count; ++i)
        AddKeyboardShortcut(CKeyboardShortcut(accelerators[i], false));
    return true;
}

void CKeyboardMappingScheme::GetAssignedKeyboardShortcuts(CKeyboardMappingScheme& assigned) const
{
    assigned.m_strName = m_strName;
    assigned.m_pfnLoadDefault = m_pfnLoadDefault;
    assigned.m_shortcuts.clear();
    for (const CKeyboardShortcut& shortcut : m_shortcuts) {
        if (shortcut.IsShortcutKeySet())
            assigned.m_shortcuts.push_back(shortcut);
    }
}

void CKeyboardMappingScheme::SetKeyboardShortcuts(const std::vector<CKeyboardShortcut>& shortcuts)
{
    // A copy first: the vector may be this scheme's own.
    const std::vector<CKeyboardShortcut> entries = shortcuts;
    m_shortcuts.clear();
    for (const CKeyboardShortcut& shortcut : entries)
        AddKeyboardShortcut(shortcut);
}

int AfxApplyKeyboardMappingScheme(const CKeyboardMappingScheme& scheme, const QList<QAction*>& actions)
{
    int given = 0;
    std::set<int> commandsWithShortcut;
    for (QAction* action : actions) {
        if (!action)
            continue;
        const int commandId = AfxGetMenuItemCommandId(action);
        if (commandId == 0)
            continue;
        QString text = action->text();
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        if (tab >= 0)
            text.truncate(tab);
        CKeyboardShortcut shortcut;
        QKeySequence sequence;
        if (scheme.GetKeyboardShortcutUsingCommandID(static_cast<uint32_t>(commandId), shortcut) &&
            shortcut.IsShortcutKeySet()) {
            sequence = shortcut.GetShortcutKey().GetKeySequence();
            text += QLatin1Char('\t') + shortcut.GetShortcutKey().GetShortcutKeyName(true);
        }
        if (!sequence.isEmpty() && commandsWithShortcut.insert(commandId).second) {
            action->setShortcut(sequence);
            ++given;
        } else {
            action->setShortcut(QKeySequence());
        }
        if (action->text() != text)
            action->setText(text);
    }
    return given;
}
