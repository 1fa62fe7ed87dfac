#include "cordalib/app/SettingsGroups.h"

uint32_t CSettingsGroup::ReadInt(const char* section, const char* entry, uint32_t defaultValue) const
{
    return m_profile.GetProfileInt(QString::fromLatin1(section), QString::fromLatin1(entry), defaultValue);
}

bool CSettingsGroup::WriteInt(const char* section, const char* entry, uint32_t value, bool save) const
{
    if (!save)
        return true;
    return m_profile.WriteProfileInt(QString::fromLatin1(section), QString::fromLatin1(entry), value);
}

void CAutoCompleteSettings::Load()
{
    m_bEnabled = ReadInt(SECTION, ENABLED, 1) != 0;
    m_nMRUListSize = ReadInt(SECTION, MRU_LIST_SIZE, DEFAULT_MRU_LIST_SIZE);
}

bool CAutoCompleteSettings::SetEnabled(bool enabled, bool save)
{
    m_bEnabled = enabled;
    return WriteInt(SECTION, ENABLED, enabled ? 1 : 0, save);
}

bool CAutoCompleteSettings::SetMRUListSize(uint32_t size, bool save)
{
    m_nMRUListSize = size;
    return WriteInt(SECTION, MRU_LIST_SIZE, size, save);
}

void CGeneralSettings::Load()
{
    m_nDefaultDoubleClickAction = ReadInt(SECTION, DEFAULT_DOUBLE_CLICK_ACTION, doubleClickOpen);
    m_bMinimizeOnOpenCordaFile = ReadInt(SECTION, MINIMIZE_ON_OPEN_CORDA_FILE, 1) != 0;
}

bool CGeneralSettings::SetDefaultDoubleClickAction(uint32_t action, bool save)
{
    m_nDefaultDoubleClickAction = action;
    return WriteInt(SECTION, DEFAULT_DOUBLE_CLICK_ACTION, action, save);
}

bool CGeneralSettings::SetMinimizeOnOpenCordaFile(bool minimize, bool save)
{
    m_bMinimizeOnOpenCordaFile = minimize;
    return WriteInt(SECTION, MINIMIZE_ON_OPEN_CORDA_FILE, minimize ? 1 : 0, save);
}

void CMessageBoxSettings::Load()
{
    m_bShowOpenCordaFileWarning = ReadInt(SECTION, SHOW_OPEN_CORDA_FILE_WARNING, 1) != 0;
    m_bShowEditMultipleItemsWarning = ReadInt(SECTION, SHOW_EDIT_MULTIPLE_ITEMS_WARNING, 1) != 0;
    m_bShowDeleteItemConfirmation = ReadInt(SECTION, SHOW_DELETE_ITEM_CONFIRMATION, 1) != 0;
}

bool CMessageBoxSettings::SetShowOpenCordaFileWarning(bool show, bool save)
{
    m_bShowOpenCordaFileWarning = show;
    return WriteInt(SECTION, SHOW_OPEN_CORDA_FILE_WARNING, show ? 1 : 0, save);
}

bool CMessageBoxSettings::SetShowEditMultipleItemsWarning(bool show, bool save)
{
    m_bShowEditMultipleItemsWarning = show;
    return WriteInt(SECTION, SHOW_EDIT_MULTIPLE_ITEMS_WARNING, show ? 1 : 0, save);
}

bool CMessageBoxSettings::SetShowDeleteItemConfirmation(bool show, bool save)
{
    m_bShowDeleteItemConfirmation = show;
    return WriteInt(SECTION, SHOW_DELETE_ITEM_CONFIRMATION, show ? 1 : 0, save);
}

void CSearchSettings::Load()
{
    m_bEnableAutoResults = ReadInt(SECTION, ENABLE_AUTORESULTS, 1) != 0;
    m_nAutoResultsDelay = ReadInt(SECTION, AUTORESULTS_DELAY, 0);
}

bool CSearchSettings::SetEnableAutoResults(bool enable, bool save)
{
    m_bEnableAutoResults = enable;
    return WriteInt(SECTION, ENABLE_AUTORESULTS, enable ? 1 : 0, save);
}

bool CSearchSettings::SetAutoResultsDelay(uint32_t delay, bool save)
{
    if (delay > MAX_AUTORESULTS_DELAY)
        return false;
    m_nAutoResultsDelay = delay;
    return WriteInt(SECTION, AUTORESULTS_DELAY, delay, save);
}

void CSecuritySettings::Load()
{
    m_bShowOpenExternalLinkWarning = ReadInt(SECTION, SHOW_OPEN_EXTERNAL_LINK_WARNING, 1) != 0;
}

bool CSecuritySettings::SetShowOpenExternalLinkWarning(bool show, bool save)
{
    m_bShowOpenExternalLinkWarning = show;
    return WriteInt(SECTION, SHOW_OPEN_EXTERNAL_LINK_WARNING, show ? 1 : 0, save);
}

void CStartupSettings::Load()
{
    m_bShowSplashScreen = ReadInt(SECTION, SHOW_SPLASH_SCREEN, 1) != 0;
}

bool CStartupSettings::SetShowSplashScreen(bool show, bool save)
{
    m_bShowSplashScreen = show;
    return WriteInt(SECTION, SHOW_SPLASH_SCREEN, show ? 1 : 0, save);
}

void CSystemTraySettings::Load()
{
    m_bMinimizeToSystemTray = ReadInt(SECTION, MINIMIZE_TO_SYSTEM_TRAY, 1) != 0;
}

bool CSystemTraySettings::SetMinimizeToSystemTray(bool minimize, bool save)
{
    m_bMinimizeToSystemTray = minimize;
    return WriteInt(SECTION, MINIMIZE_TO_SYSTEM_TRAY, minimize ? 1 : 0, save);
}

void CWindowSettings::Load()
{
    m_nViewTreeViewWidth = ReadInt(SECTION, VIEW_TREE_VIEW_WIDTH, DEFAULT_VIEW_TREE_VIEW_WIDTH);
    m_nSongHeaderHeight = ReadInt(SECTION, SONG_HEADER_HEIGHT, DEFAULT_HEADER_HEIGHT);
    m_nLessonHeaderHeight = ReadInt(SECTION, LESSON_HEADER_HEIGHT, DEFAULT_HEADER_HEIGHT);
    m_profile.GetProfileBinary(QString::fromLatin1(SECTION), QString::fromLatin1(WINDOW_PLACEMENT),
                               m_windowPlacement);
}

bool CWindowSettings::SetViewTreeViewWidth(uint32_t width, bool save)
{
    m_nViewTreeViewWidth = width;
    return WriteInt(SECTION, VIEW_TREE_VIEW_WIDTH, width, save);
}

bool CWindowSettings::SetSongHeaderHeight(uint32_t height, bool save)
{
    m_nSongHeaderHeight = height;
    return WriteInt(SECTION, SONG_HEADER_HEIGHT, height, save);
}

bool CWindowSettings::SetLessonHeaderHeight(uint32_t height, bool save)
{
    m_nLessonHeaderHeight = height;
    return WriteInt(SECTION, LESSON_HEADER_HEIGHT, height, save);
}

bool CWindowSettings::SetWindowPlacement(const QByteArray& placement, bool save)
{
    m_windowPlacement = placement;
    if (!save)
        return true;
    return m_profile.WriteProfileBinary(QString::fromLatin1(SECTION), QString::fromLatin1(WINDOW_PLACEMENT),
                                        placement);
}

QString KeyboardSettingsLayout::ShortcutKey(int index)
{
    return QString::fromLatin1(MAIN_VIEW_KEY) + QLatin1Char('\\') +
           QString::asprintf(SHORTCUT_KEY_FORMAT, index);
}
