#pragma once
// The settings groups of the application object. Each group reads all its values once
// (Load, a missing value giving its default) and has one setter per value taking the new
// value and a save flag; with the flag set the value is written to the store at once.
// Nothing is written in bulk.

#include "cordalib/app/ApplicationProfile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class CSettingsGroup {
public:
    explicit CSettingsGroup(const CApplicationProfile& profile) : m_profile(profile) {}
    virtual ~CSettingsGroup() = default;

    virtual void Load() = 0;

protected:
    uint32_t ReadInt(const char* section, const char* entry, uint32_t defaultValue) const;
    bool WriteInt(const char* section, const char* entry, uint32_t value, bool save) const;

    const CApplicationProfile& m_profile;
};

// Section "AutoComplete".
class CAutoCompleteSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "AutoComplete";
    static constexpr const char* ENABLED = "Enabled";
    static constexpr const char* MRU_LIST_SIZE = "MRU List Size";
    static constexpr uint32_t DEFAULT_MRU_LIST_SIZE = 25;
    // The keys of the edit dialogs' auto-complete lists.
    static constexpr const char* ARTISTS_KEY = "AutoComplete\\Data\\Artists";
    static constexpr const char* ALBUMS_KEY = "AutoComplete\\Data\\Albums";
    static constexpr const char* COMPOSERS_KEY = "AutoComplete\\Data\\Composers";
    static constexpr const char* LYRICISTS_KEY = "AutoComplete\\Data\\Lyricists";
    static constexpr const char* AUTHORS_KEY = "AutoComplete\\Data\\Authors";

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    bool IsEnabled() const { return m_bEnabled; }
    uint32_t GetMRUListSize() const { return m_nMRUListSize; }
    bool SetEnabled(bool enabled, bool save);
    bool SetMRUListSize(uint32_t size, bool save);

private:
    bool m_bEnabled = true;
    uint32_t m_nMRUListSize = DEFAULT_MRU_LIST_SIZE;
};

// Section "General".
class CGeneralSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "General";
    static constexpr const char* DEFAULT_DOUBLE_CLICK_ACTION = "Default Double Click Action";
    static constexpr const char* MINIMIZE_ON_OPEN_CORDA_FILE = "Minimize On Open Corda File";
    enum doubleClickActions : uint32_t { doubleClickOpen = 0, doubleClickEdit = 1 };

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    uint32_t GetDefaultDoubleClickAction() const { return m_nDefaultDoubleClickAction; }
    bool GetMinimizeOnOpenCordaFile() const { return m_bMinimizeOnOpenCordaFile; }
    bool SetDefaultDoubleClickAction(uint32_t action, bool save);
    bool SetMinimizeOnOpenCordaFile(bool minimize, bool save);

private:
    uint32_t m_nDefaultDoubleClickAction = doubleClickOpen;
    bool m_bMinimizeOnOpenCordaFile = true;
};

// Section "Message Boxes". The value name "Mulitple" is spelled as stored by the program
// since its first release.
class CMessageBoxSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "Message Boxes";
    static constexpr const char* SHOW_OPEN_CORDA_FILE_WARNING = "Show Open Corda File Warning";
    static constexpr const char* SHOW_EDIT_MULTIPLE_ITEMS_WARNING = "Show Edit Mulitple Items Warning";
    static constexpr const char* SHOW_DELETE_ITEM_CONFIRMATION = "Show Delete Item Confirmation";

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    bool GetShowOpenCordaFileWarning() const { return m_bShowOpenCordaFileWarning; }
    bool GetShowEditMultipleItemsWarning() const { return m_bShowEditMultipleItemsWarning; }
    bool GetShowDeleteItemConfirmation() const { return m_bShowDeleteItemConfirmation; }
    bool SetShowOpenCordaFileWarning(bool show, bool save);
    bool SetShowEditMultipleItemsWarning(bool show, bool save);
    bool SetShowDeleteItemConfirmation(bool show, bool save);

private:
    bool m_bShowOpenCordaFileWarning = true;
    bool m_bShowEditMultipleItemsWarning = true;
    bool m_bShowDeleteItemConfirmation = true;
};

// Section "Search".
class CSearchSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "Search";
    static constexpr const char* ENABLE_AUTORESULTS = "Enable AutoResults";
    static constexpr const char* AUTORESULTS_DELAY = "AutoResults Delay";
    // The longest delay the options offer; a longer one is refused by the setter.
    static constexpr uint32_t MAX_AUTORESULTS_DELAY = 5000;

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    bool GetEnableAutoResults() const { return m_bEnableAutoResults; }
    // Milliseconds between the last keystroke and the automatic search.
    uint32_t GetAutoResultsDelay() const { return m_nAutoResultsDelay; }
    bool SetEnableAutoResults(bool enable, bool save);
    // False, and nothing changed, for a delay above MAX_AUTORESULTS_DELAY.
    bool SetAutoResultsDelay(uint32_t delay, bool save);

private:
    bool m_bEnableAutoResults = true;
    uint32_t m_nAutoResultsDelay = 0;
};

// Section "Security".
class CSecuritySettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "Security";
    static constexpr const char* SHOW_OPEN_EXTERNAL_LINK_WARNING = "Show Open External Link Warning";

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    bool GetShowOpenExternalLinkWarning() const { return m_bShowOpenExternalLinkWarning; }
    bool SetShowOpenExternalLinkWarning(bool show, bool save);

private:
    bool m_bShowOpenExternalLinkWarning = true;
};

// Section "Startup".
class CStartupSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "Startup";
    static constexpr const char* SHOW_SPLASH_SCREEN = "Show Splash Screen";

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    bool GetShowSplashScreen() const { return m_bShowSplashScreen; }
    bool SetShowSplashScreen(bool show, bool save);

private:
    bool m_bShowSplashScreen = true;
};

// Section "System Tray".
class CSystemTraySettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "System Tray";
    static constexpr const char* MINIMIZE_TO_SYSTEM_TRAY = "Minimize To System Tray";

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    bool GetMinimizeToSystemTray() const { return m_bMinimizeToSystemTray; }
    bool SetMinimizeToSystemTray(bool minimize, bool save);

private:
    bool m_bMinimizeToSystemTray = true;
};

// Section "Window Settings": the main window's placement and pane sizes, and the keys
// under which the lists keep their column state.
class CWindowSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "Window Settings";
    static constexpr const char* WINDOW_PLACEMENT = "Window Placement";
    static constexpr const char* VIEW_TREE_VIEW_WIDTH = "View Tree View Width";
    static constexpr const char* SONG_HEADER_HEIGHT = "Song Header Height";
    static constexpr const char* LESSON_HEADER_HEIGHT = "Lesson Header Height";
    static constexpr const char* SONG_LIST_VIEW_KEY = "Window Settings\\Song List View";
    static constexpr const char* LESSON_LIST_VIEW_KEY = "Window Settings\\Lesson List View";
    static constexpr const char* FILE_LOCATIONS_LIST_CTRL_KEY = "Window Settings\\File Locations List Ctrl";
    static constexpr const char* KEYBOARD_SHORTCUT_LIST_CTRL_KEY =
        "Window Settings\\Keyboard Shortcut List Ctrl";
    static constexpr uint32_t DEFAULT_VIEW_TREE_VIEW_WIDTH = 200;
    static constexpr uint32_t DEFAULT_HEADER_HEIGHT = 175;
    static constexpr int WINDOW_PLACEMENT_SIZE = 44;

    using CSettingsGroup::CSettingsGroup;
    void Load() override;

    uint32_t GetViewTreeViewWidth() const { return m_nViewTreeViewWidth; }
    uint32_t GetSongHeaderHeight() const { return m_nSongHeaderHeight; }
    uint32_t GetLessonHeaderHeight() const { return m_nLessonHeaderHeight; }
    // The stored placement record as read (empty when there is none); the main window
    // checks its length and contents before using it.
    const QByteArray& GetWindowPlacement() const { return m_windowPlacement; }
    bool SetViewTreeViewWidth(uint32_t width, bool save);
    bool SetSongHeaderHeight(uint32_t height, bool save);
    bool SetLessonHeaderHeight(uint32_t height, bool save);
    bool SetWindowPlacement(const QByteArray& placement, bool save);

private:
    uint32_t m_nViewTreeViewWidth = DEFAULT_VIEW_TREE_VIEW_WIDTH;
    uint32_t m_nSongHeaderHeight = DEFAULT_HEADER_HEIGHT;
    uint32_t m_nLessonHeaderHeight = DEFAULT_HEADER_HEIGHT;
    QByteArray m_windowPlacement;
};

// The layout of the user's keyboard shortcuts below the application root; the keyboard
// scheme reads and writes them.
namespace KeyboardSettingsLayout {
inline constexpr const char* MAIN_VIEW_KEY = "Keyboard\\Mapping Schemes\\Main View";
inline constexpr const char* SHORTCUT_COUNT = "Shortcut Count";
inline constexpr const char* SHORTCUT_KEY_FORMAT = "Shortcut %05d"; // index from 00000
inline constexpr const char* COMMAND_ID = "Command ID";
inline constexpr const char* KEY = "Key";
inline constexpr const char* FLAGS =
    "Flags"; // accelerator flags: virtual key 0x01, Shift 0x04, Control 0x08, Alt 0x10
inline constexpr const char* EXTENDED_KEY = "Extended Key";
// The key of one stored shortcut ("Keyboard\Mapping Schemes\Main View\Shortcut 00003").
QString ShortcutKey(int index);
} // namespace KeyboardSettingsLayout
