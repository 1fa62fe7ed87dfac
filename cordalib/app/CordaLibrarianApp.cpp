#include "cordalib/app/CordaLibrarianApp.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/DatabaseFile.h"
#include "cordalib/library/CordaStrings.h"
#include "cordalib/library/LessonTypes.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ModuleVersion.h"
#include "qvsystem/system/ProfileValues.h"

#include <QDir>
#include <QFileInfo>

namespace {

CCordaLibrarianApp* g_app = nullptr;

} // namespace

CCordaLibrarianApp::CCordaLibrarianApp()
    : m_synchronizedFolders(m_profile), m_autoComplete(m_profile),
      m_fileLocations(m_profile, [this] { return GetUserLocalApplicationDataProductNameFolder(); }),
      m_general(m_profile), m_messageBoxes(m_profile), m_search(m_profile), m_security(m_profile),
      m_startup(m_profile), m_systemTray(m_profile), m_windowSettings(m_profile)
{
    g_app = this;
    // Records report their changes (ReadFromFile) to the application's library.
    CLibraryDatabase::SetActive(&m_database);
}

CCordaLibrarianApp::~CCordaLibrarianApp()
{
    if (g_app == this)
        g_app = nullptr;
    if (CLibraryDatabase::GetActive() == &m_database)
        CLibraryDatabase::SetActive(nullptr);
}

CCordaLibrarianApp* GetCordaLibrarianApp()
{
    return g_app;
}

void CCordaLibrarianApp::ReportStatus(unsigned textId) const
{
    if (m_statusCallback)
        m_statusCallback(LoadAppString(textId));
}

void CCordaLibrarianApp::SetApplicationDataFolderNames()
{
    m_applicationDataFolders.SetCompanyName(QString::fromLatin1(COMPANY_NAME));
    m_applicationDataFolders.SetProductName(QString::fromLatin1(PRODUCT_NAME));
    m_applicationDataFolders.SetProductVersion(QString::fromLatin1(PRODUCT_VERSION));
}

QString CCordaLibrarianApp::GetUserLocalApplicationDataProductNameFolder(bool addBackslash) const
{
    CApplicationDataFolders folders = m_applicationDataFolders;
    // Before step 3 has run (tests that build the core piece by piece) the names are the program's.
    if (folders.GetCompanyName().isEmpty())
        folders =
            CApplicationDataFolders(QString::fromLatin1(COMPANY_NAME), QString::fromLatin1(PRODUCT_NAME),
                                    QString::fromLatin1(PRODUCT_VERSION));
    QString path;
    folders.GetUserLocalApplicationDataProductNameFolder(path, addBackslash);
    return path;
}

bool CCordaLibrarianApp::LoadRecordDisplayTexts()
{
    const bool traditional = LoadTraditionalTexts();
    const bool styles = LoadLessonStyleNames();
    const bool levels = LoadLessonLevelNames();
    return traditional && styles && levels;
}

bool CCordaLibrarianApp::SetRegistryLocation()
{
    if (m_applicationDataFolders.GetCompanyName().isEmpty())
        SetApplicationDataFolderNames();
    if (!m_profile.SetRegistryKey(m_applicationDataFolders.GetCompanyName() + QLatin1Char('\\') +
                                  m_applicationDataFolders.GetProductName()) ||
        !m_profile.SetProfileName(m_applicationDataFolders.GetProductVersion()))
        return false;
    // The library's controls keep their state (list columns, auto-complete lists) below it.
    AfxSetApplicationRegistryKey(m_profile.GetApplicationRootKey());
    return true;
}

bool CCordaLibrarianApp::IsOpenExternalLinkAllowed(const QString& link)
{
    if (link.isEmpty())
        return false;
    if (!m_security.GetShowOpenExternalLinkWarning())
        return true;
    int doNotShowAgain = 0;
    CQVMessageBoxRequest request;
    request.caption = AfxLoadString(IDS_QV_SECURITY_WARNING);
    request.text = AfxFormatMessage(AfxLoadString(IDS_QV_OPEN_EXTERNAL_LINK_WARNING),
                                    QString::fromLatin1(PRODUCT_NAME), LoadAppString(IDS_LINK), link);
    request.hasCheckBox = true;
    request.checkText = AfxLoadString(IDS_QV_DO_NOT_SHOW_THIS_AGAIN);
    request.checkState = &doNotShowAgain;
    request.type = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;
    const int answer = AfxShowQVMessageBox(request);
    if (doNotShowAgain == 1)
        m_security.SetShowOpenExternalLinkWarning(false, true);
    return answer == IDYES;
}

bool CCordaLibrarianApp::LoadFileLocations()
{
    m_fileLocations.Load();
    return m_fileLocations.CreateFolders();
}

bool CCordaLibrarianApp::StoreFirstRunDefaults()
{
    if (m_profile.GetProfileInt(QString(), QString::fromLatin1(RUN_ONCE), 0) != 0)
        return true;
    const bool urlStored =
        AfxWriteProfileCheckForUpdatesURL(GetProductRegistryPath(), LoadAppString(IDS_DEFAULT_UPDATE_URL));
    const bool runOnceStored = m_profile.WriteProfileInt(QString(), QString::fromLatin1(RUN_ONCE), 1);
    return urlStored && runOnceStored;
}

CRegistryPath CCordaLibrarianApp::GetProductRegistryPath() const
{
    return CRegistryPath(HKEY_CURRENT_USER, m_profile.GetProductRootKey());
}

bool CCordaLibrarianApp::LoadSettings()
{
    m_synchronizedFolders.Load();
    ReportStatus(IDS_LOADING_AUTOCOMPLETE_SETTINGS);
    m_autoComplete.Load();
    ReportStatus(IDS_LOADING_GENERAL_SETTINGS);
    m_general.Load();
    ReportStatus(IDS_LOADING_KEYBOARD_SETTINGS);
    bool ok = true;
    if (m_loadKeyboard && !m_loadKeyboard())
        ok = false;
    ReportStatus(IDS_LOADING_MESSAGE_BOX_SETTINGS);
    m_messageBoxes.Load();
    ReportStatus(IDS_LOADING_SEARCH_SETTINGS);
    m_search.Load();
    ReportStatus(IDS_LOADING_SECURITY_SETTINGS);
    m_security.Load();
    ReportStatus(IDS_LOADING_SYSTEM_TRAY_SETTINGS);
    m_systemTray.Load();
    // Read early by the desktop program for its splash screen; loaded here so that every
    // group is in memory after start-up.
    m_startup.Load();
    m_windowSettings.Load();
    if (!LoadRecordDisplayTexts())
        ok = false;
    return ok;
}

bool CCordaLibrarianApp::InitCore(bool showErrors, QString* errorText)
{
    RegisterCordaStringTable();
    SetApplicationDataFolderNames();
    if (!SetRegistryLocation())
        return false;
    ReportStatus(IDS_INITIALIZING);
    LoadFileLocations();
    StoreFirstRunDefaults();
    if (!OnBeforeLoadSettings())
        return false;
    LoadSettings();
    ReportStatus(IDS_LOADING_DATABASE);
    OnBeginLoadDatabase();
    LoadDatabase(showErrors, errorText);
    OnEndLoadDatabase();
    return true;
}

void CCordaLibrarianApp::ExitCore()
{
    if (!m_database.IsModified())
        return;
    ReportStatus(IDS_SAVING_DATABASE);
    SaveDatabase(true, true);
}

QString CCordaLibrarianApp::GetDefaultDatabasePath() const
{
    const QString name = AfxFormatMessage(QStringLiteral("%1.%2"), LoadAppString(IDS_DATABASE_FILE_TITLE),
                                          LoadAppString(IDS_DATABASE_FILE_EXTENSION));
    return m_fileLocations.GetFileLocation(fileLocationDatabaseFiles, true) + name;
}

QString CCordaLibrarianApp::GetEncodingSoftwareText()
{
    CModuleVersion version;
    QString productName;
    uint16_t major = 0, minor = 0, revision = 0, build = 0;
    if (version.Load(static_cast<HMODULE>(nullptr)) && version.GetProductName(productName) &&
        version.GetProductVersion(major, minor, revision, build))
        return QString::asprintf("%s %d.%d.%d.%d", productName.toUtf8().constData(), major, minor, revision,
                                 build);
    return LoadAppString(IDS_APPLICATION_TITLE);
}

bool CCordaLibrarianApp::LoadDatabase(bool showErrors, QString* errorText)
{
    const QString path = GetDefaultDatabasePath();
    m_strDamagedDatabasePath.clear();
    const bool loaded = DatabaseFile::Load(m_database, path, DatabaseFile::ErrorSink{showErrors, errorText});
    // A file that is there but could not be read must outlive the next save.
    if (!loaded && !path.isEmpty() && QFileInfo::exists(path))
        m_strDamagedDatabasePath = path;
    return loaded;
}

bool CCordaLibrarianApp::SaveDatabase(bool onlyIfModified, bool showErrors, QString* errorText)
{
    if (errorText)
        errorText->clear();
    if (onlyIfModified && !m_database.IsModified())
        return false;
    const QString path = GetDefaultDatabasePath();
    const DatabaseFile::ErrorSink sink{showErrors, errorText};
    if (!m_strDamagedDatabasePath.isEmpty() && m_strDamagedDatabasePath == path) {
        QString cause;
        if (!DatabaseFile::KeepDamagedFile(path, nullptr, &cause)) {
            DatabaseFile::Report(IDS_DATABASE_SAVE_ERROR, path, cause, sink);
            return false;
        }
        m_strDamagedDatabasePath.clear();
    }
    return DatabaseFile::Save(m_database, path, GetEncodingSoftwareText(), sink);
}
