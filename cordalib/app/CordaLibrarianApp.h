#pragma once
// The application object's core: what the desktop program and cordalib-cli share. It owns,
// for the whole run, the library database, the synchronized-folder list and every
// settings group, and carries the start-up steps that need no window (folder names,
// registry location, file locations, first-run defaults, settings, database) and the
// database save at shutdown. Exactly one exists per process; GetCordaLibrarianApp finds it.

#include "cordalib/app/ApplicationProfile.h"
#include "cordalib/app/FileLocations.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/app/SynchronizedFolders.h"
#include "cordalib/library/LibraryDatabase.h"
#include "qvsystem/system/ApplicationDataFolders.h"
#include "qvsystem/system/RegistryPath.h"

#include <QString>
#include <QStringList>

#include <functional>

class CKeyboardSettings;

class CCordaLibrarianApp {
public:
    static constexpr const char* COMPANY_NAME = "Corda Software";
    static constexpr const char* PRODUCT_NAME = "Corda Librarian";
    static constexpr const char* PRODUCT_VERSION = "1.0";
    // The desktop program's single-instance lock and its running-instance message.
    static constexpr const char* SINGLE_INSTANCE_MUTEX_NAME =
        "Corda Librarian-{B8C1F361-9431-48b0-A955-A5EDF34FC262}";
    static constexpr const char* RUNNING_INSTANCE_MESSAGE_NAME =
        "UWM_RUNNING_INSTANCE-{C197CB16-8ED2-414c-95D9-C5FBFBB74625}";
    // "Run Once", directly under the application root.
    static constexpr const char* RUN_ONCE = "Run Once";
    // The update-check values' sub key of the product root.
    static constexpr const char* CHECK_FOR_UPDATES_KEY = "Check For Updates";

    CCordaLibrarianApp();
    virtual ~CCordaLibrarianApp();
    CCordaLibrarianApp(const CCordaLibrarianApp&) = delete;
    CCordaLibrarianApp& operator=(const CCordaLibrarianApp&) = delete;

    // Start-up status texts ("Loading database..."): the desktop program shows them on its
    // splash screen; without a callback they go nowhere.
    using StatusCallback = std::function<void(const QString&)>;
    void SetStatusCallback(StatusCallback callback) { m_statusCallback = std::move(callback); }
    // Installs the keyboard scheme's defaults and loads the user's shortcuts (the keyboard
    // layer supplies it; without one the step only reports its status).
    void SetLoadKeyboardSettingsFunction(std::function<bool()> function)
    {
        m_loadKeyboard = std::move(function);
    }

    // The start-up steps without windows, in order. InitCore runs them all and returns
    // false when the process should end.
    void SetApplicationDataFolderNames(); // company, product, version
    bool SetRegistryLocation();           // HKEY_CURRENT_USER\Software\Corda Software\Corda Librarian\1.0
    bool LoadFileLocations();             // the four locations, their folders created
    bool StoreFirstRunDefaults();         // "Run Once" and the update-listing URL
    bool LoadSettings();                  // the folder list and every settings group
    // Loads library.cordb. A missing file is no error (empty library, false). An
    // unreadable one shows string 145 when showErrors is set, otherwise puts the text into
    // *errorText; the library starts empty and the file stays as it is until the first
    // save, which keeps it beside itself first (DatabaseFile::KeepDamagedFile).
    bool LoadDatabase(bool showErrors = true, QString* errorText = nullptr);
    bool InitCore(bool showErrors = true, QString* errorText = nullptr);
    // The database file that could not be read at start-up and is not yet kept aside
    // (empty when there is none).
    const QString& GetDamagedDatabasePath() const { return m_strDamagedDatabasePath; }

    // Shutdown: saves the database when it changed, with error messages.
    void ExitCore();

    // Whether an external link (a web address in help or a dialog) may be opened: with the
    // Security warning on, the user is asked (Yes/No, No the default) and may turn the
    // warning off with the box's check box. An empty link is refused.
    bool IsOpenExternalLinkAllowed(const QString& link);

    // Saves library.cordb through the safe save. With onlyIfModified and an unchanged
    // library nothing is written and false returned. On failure, string 168 is shown when
    // showErrors is set, otherwise its text goes to *errorText; the previous file stays and
    // the library stays marked modified. A file that could not be read at start-up is
    // kept beside itself before it is replaced; when that fails the save fails.
    bool SaveDatabase(bool onlyIfModified, bool showErrors, QString* errorText = nullptr);
    // The database file: "library.cordb" in the Database Files folder.
    QString GetDefaultDatabasePath() const;
    // "Corda Librarian 1.0.0.1": the program's product name and version from its own
    // version block, or the application title when the block cannot be read.
    static QString GetEncodingSoftwareText();

    // The per-user local application-data folder of the product, and the one of its version.
    QString GetUserLocalApplicationDataProductNameFolder(bool addBackslash = false) const;
    const CApplicationDataFolders& GetApplicationDataFolders() const { return m_applicationDataFolders; }
    const CApplicationProfile& GetProfile() const { return m_profile; }
    // HKEY_CURRENT_USER\Software\Corda Software\Corda Librarian: where the update check
    // keeps its values (sub key "Check For Updates").
    CRegistryPath GetProductRegistryPath() const;

    CLibraryDatabase& GetLibraryDatabase() { return m_database; }
    const CLibraryDatabase& GetLibraryDatabase() const { return m_database; }

    // The synchronized folders (a copy), and the replacement of the list.
    QStringList GetSynchronizedFolders() const { return m_synchronizedFolders.GetFolders(); }
    bool SetSynchronizedFolders(const QStringList& folders, bool save)
    {
        return m_synchronizedFolders.SetFolders(folders, save);
    }
    CSynchronizedFolders& GetSynchronizedFolderList() { return m_synchronizedFolders; }

    // The file locations: getter (index, path out, add-backslash flag) and setter.
    bool GetFileLocation(int location, QString& path, bool addBackslash = false) const
    {
        return m_fileLocations.GetFileLocation(location, path, addBackslash);
    }
    bool SetFileLocation(int location, const QString& path, bool save)
    {
        return m_fileLocations.SetFileLocation(location, path, save);
    }
    CFileLocationSettings& GetFileLocationSettings() { return m_fileLocations; }

    CAutoCompleteSettings& GetAutoCompleteSettings() { return m_autoComplete; }
    CGeneralSettings& GetGeneralSettings() { return m_general; }
    CMessageBoxSettings& GetMessageBoxSettings() { return m_messageBoxes; }
    CSearchSettings& GetSearchSettings() { return m_search; }
    CSecuritySettings& GetSecuritySettings() { return m_security; }
    CStartupSettings& GetStartupSettings() { return m_startup; }
    CSystemTraySettings& GetSystemTraySettings() { return m_systemTray; }
    CWindowSettings& GetWindowSettings() { return m_windowSettings; }
    // The user's keyboard shortcuts, once the keyboard layer installed them
    // (InstallKeyboardSettings); null before, and in programs without windows.
    CKeyboardSettings* GetKeyboardSettings() const { return m_pKeyboardSettings; }
    void SetKeyboardSettings(CKeyboardSettings* settings) { m_pKeyboardSettings = settings; }

protected:
    // Where a program with windows adds its own start-up steps to InitCore: after the
    // first-run defaults (the splash screen; false ends the start-up) and around the
    // database load (the "Loading database..." window). The core does nothing there.
    virtual bool OnBeforeLoadSettings() { return true; }
    virtual void OnBeginLoadDatabase() {}
    virtual void OnEndLoadDatabase() {}

    void ReportStatus(unsigned textId) const;
    // The record layer's display texts: yes/no, the 19 style and 3 level names.
    static bool LoadRecordDisplayTexts();

private:
    CApplicationDataFolders m_applicationDataFolders;
    CApplicationProfile m_profile;
    CSynchronizedFolders m_synchronizedFolders;
    CLibraryDatabase m_database;
    CAutoCompleteSettings m_autoComplete;
    CFileLocationSettings m_fileLocations;
    CGeneralSettings m_general;
    CMessageBoxSettings m_messageBoxes;
    CSearchSettings m_search;
    CSecuritySettings m_security;
    CStartupSettings m_startup;
    CSystemTraySettings m_systemTray;
    CWindowSettings m_windowSettings;
    StatusCallback m_statusCallback;
    std::function<bool()> m_loadKeyboard;
    CKeyboardSettings* m_pKeyboardSettings = nullptr;
    QString m_strDamagedDatabasePath;
};

// The running application object, or null when there is none.
CCordaLibrarianApp* GetCordaLibrarianApp();
