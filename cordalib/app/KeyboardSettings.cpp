#include "cordalib/app/KeyboardSettings.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/SettingsGroups.h"
#include "qvsystem/controls/VirtualKeys.h"
#include "qvsystem/system/ProfileValues.h"

namespace {

// A value that is not there reads as this, so that a missing "Key" or "Flags" is told
// apart from a stored 0.
constexpr uint32_t MISSING = 0xFFFFFFFFu;

QString Name(const char* name)
{
    return QString::fromLatin1(name);
}

} // namespace

CKeyboardSettings::CKeyboardSettings(const CApplicationProfile& profile)
    : m_profile(profile), m_scheme(LoadAppString(IDS_MAIN_VIEW_SCHEME), LoadDefaultKeyboardMappingScheme)
{
    m_scheme.LoadDefaultMappingScheme();
}

bool CKeyboardSettings::ReadShortcut(int index, CKeyboardShortcut& shortcut) const
{
    HKEY key = 0;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, m_profile.GetSectionKey(KeyboardSettingsLayout::ShortcutKey(index)),
                     &key) != ERROR_SUCCESS)
        return false;
    const uint32_t commandId = AfxGetProfileDWord(key, Name(KeyboardSettingsLayout::COMMAND_ID), 0);
    const uint32_t code = AfxGetProfileDWord(key, Name(KeyboardSettingsLayout::KEY), MISSING);
    const uint32_t flags = AfxGetProfileDWord(key, Name(KeyboardSettingsLayout::FLAGS), 0);
    const uint32_t extended = AfxGetProfileDWord(key, Name(KeyboardSettingsLayout::EXTENDED_KEY), 0);
    RegCloseKey(key);
    if (commandId == 0 || code == MISSING || flags > 0xFF || extended > 1)
        return false;
    // Key 0 stands for a command whose default key was taken away.
    if (code == 0) {
        shortcut = CKeyboardShortcut(commandId, CShortcutKey());
        return true;
    }
    if (code > 0xFF || AfxVirtualKeyToQtKey(static_cast<uint16_t>(code)) == Qt::Key_unknown)
        return false;
    QVACCEL accel;
    accel.fVirt = static_cast<uint8_t>((flags & (FSHIFT | FCONTROL | FALT)) | FVIRTKEY);
    accel.key = static_cast<uint16_t>(code);
    shortcut = CKeyboardShortcut(accel, extended == 1);
    shortcut.SetCommandID(commandId); // the entry's own field holds only 16 bits
    return true;
}

bool CKeyboardSettings::Load()
{
    m_scheme.LoadDefaultMappingScheme();
    const uint32_t count = m_profile.GetProfileInt(Name(KeyboardSettingsLayout::MAIN_VIEW_KEY),
                                                   Name(KeyboardSettingsLayout::SHORTCUT_COUNT), 0);
    // A signed number to the program: below 1 means none. A count this program never
    // writes refuses the list, rather than a read of millions of entries.
    if (static_cast<int32_t>(count) < 1)
        return true;
    if (count > MAX_STORED_SHORTCUTS)
        return false;
    for (uint32_t index = 0; index < count; ++index) {
        CKeyboardShortcut shortcut;
        if (!ReadShortcut(static_cast<int>(index), shortcut))
            continue;
        // A command that is not in the scheme is left out.
        m_scheme.SetShortcutKey(shortcut.GetCommandID(), shortcut.GetShortcutKey());
    }
    return true;
}

bool CKeyboardSettings::Save() const
{
    std::vector<CKeyboardShortcut> entries;
    for (const CKeyboardShortcut& shortcut : m_scheme.GetKeyboardShortcuts()) {
        if (shortcut.IsShortcutKeySet())
            entries.push_back(shortcut);
    }
    CKeyboardMappingScheme defaults(m_scheme.GetName(), m_scheme.GetLoadDefaultMappingSchemeFunction());
    defaults.LoadDefaultMappingScheme();
    for (const CKeyboardShortcut& standard : defaults.GetKeyboardShortcuts()) {
        CKeyboardShortcut current;
        if (standard.IsShortcutKeySet() &&
            m_scheme.GetKeyboardShortcutUsingCommandID(standard.GetCommandID(), current) &&
            !current.IsShortcutKeySet())
            entries.push_back(current);
    }

    if (!m_profile.WriteProfileInt(Name(KeyboardSettingsLayout::MAIN_VIEW_KEY),
                                   Name(KeyboardSettingsLayout::SHORTCUT_COUNT),
                                   static_cast<uint32_t>(entries.size())))
        return false;
    bool written = true;
    for (size_t index = 0; index < entries.size(); ++index) {
        const CKeyboardShortcut& shortcut = entries[index];
        const QString key = KeyboardSettingsLayout::ShortcutKey(static_cast<int>(index));
        const QVACCEL accel = shortcut.GetAccel();
        const uint32_t flags = shortcut.IsShortcutKeySet() ? accel.fVirt : FVIRTKEY;
        written = m_profile.WriteProfileInt(key, Name(KeyboardSettingsLayout::COMMAND_ID),
                                            shortcut.GetCommandID()) &&
                  m_profile.WriteProfileInt(key, Name(KeyboardSettingsLayout::KEY), accel.key) &&
                  m_profile.WriteProfileInt(key, Name(KeyboardSettingsLayout::FLAGS), flags) &&
                  m_profile.WriteProfileInt(key, Name(KeyboardSettingsLayout::EXTENDED_KEY),
                                            shortcut.GetShortcutKey().IsExtendedKey() ? 1 : 0) &&
                  written;
    }
    return written;
}

bool CKeyboardSettings::SetKeyboardMappingScheme(const CKeyboardMappingScheme& scheme, bool save)
{
    const QString name = m_scheme.GetName();
    const LOADDEFAULTMAPPINGSCHEMEFUNCTION loadDefault = m_scheme.GetLoadDefaultMappingSchemeFunction();
    m_scheme = scheme;
    m_scheme.SetName(name);
    m_scheme.SetLoadDefaultMappingSchemeFunction(loadDefault);
    return !save || Save();
}

void InstallKeyboardSettings(CCordaLibrarianApp& app, CKeyboardSettings& settings)
{
    app.SetLoadKeyboardSettingsFunction([&settings] { return settings.Load(); });
    app.SetKeyboardSettings(&settings);
}

int ApplyKeyboardScheme(const CKeyboardMappingScheme& scheme, const QList<QAction*>& actions)
{
    return AfxApplyKeyboardMappingScheme(scheme, actions);
}
