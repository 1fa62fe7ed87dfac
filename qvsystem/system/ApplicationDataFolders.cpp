#include "qvsystem/system/ApplicationDataFolders.h"

#include <QFile>

#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace {

// An environment path counts only when absolute: the XDG rules ignore relative ones.
QString AbsoluteEnvironmentPath(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return QString();
    return QFile::decodeName(value);
}

QString HomeFolder()
{
    QString home = AbsoluteEnvironmentPath("HOME");
    if (!home.isEmpty())
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return QFile::decodeName(found->pw_dir);
    return QString();
}

QString XdgFolder(const char* variable, const char* defaultBelowHome)
{
    const QString value = AbsoluteEnvironmentPath(variable);
    if (!value.isEmpty())
        return value;
    const QString home = HomeFolder();
    if (home.isEmpty())
        return QString();
    return home + QLatin1Char('/') + QLatin1String(defaultBelowHome);
}

void AppendComponent(QString& path, const QString& component)
{
    if (component.isEmpty())
        return;
    if (!path.endsWith(u'/'))
        path += u'/';
    path += component;
}

} // namespace

CApplicationDataFolders::CApplicationDataFolders(const QString& companyName, const QString& productName,
                                                 const QString& productVersion)
    : m_strCompanyName(companyName), m_strProductName(productName), m_strProductVersion(productVersion)
{
}

bool CApplicationDataFolders::SetCompanyName(const QString& companyName)
{
    if (companyName.isNull())
        return false;
    m_strCompanyName = companyName;
    return true;
}

bool CApplicationDataFolders::SetProductName(const QString& productName)
{
    if (productName.isNull())
        return false;
    m_strProductName = productName;
    return true;
}

bool CApplicationDataFolders::SetProductVersion(const QString& productVersion)
{
    if (productVersion.isNull())
        return false;
    m_strProductVersion = productVersion;
    return true;
}

bool CApplicationDataFolders::Compose(const QString& base, applicationDataFolderTypes type, QString& path,
                                      bool addTrailingBackslash) const
{
    if (base.isEmpty())
        return false;
    QString result = base;
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    AppendComponent(result, m_strCompanyName);
    if (type == productNameFolder || type == productVersionFolder)
        AppendComponent(result, m_strProductName);
    if (type == productVersionFolder)
        AppendComponent(result, m_strProductVersion);
    if (addTrailingBackslash && !result.endsWith(u'/'))
        result += u'/';
    path = result;
    return true;
}

bool CApplicationDataFolders::GetUserApplicationDataFolder(applicationDataFolderTypes type, QString& path,
                                                           bool addTrailingBackslash) const
{
    return Compose(XdgFolder("XDG_CONFIG_HOME", ".config"), type, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserLocalApplicationDataFolder(applicationDataFolderTypes type,
                                                                QString& path,
                                                                bool addTrailingBackslash) const
{
    return Compose(XdgFolder("XDG_DATA_HOME", ".local/share"), type, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetComputerApplicationDataFolder(applicationDataFolderTypes type, QString& path,
                                                               bool addTrailingBackslash) const
{
    return Compose(QStringLiteral("/var/lib"), type, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserApplicationDataCompanyNameFolder(QString& path,
                                                                      bool addTrailingBackslash) const
{
    return GetUserApplicationDataFolder(companyNameFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserApplicationDataProductNameFolder(QString& path,
                                                                      bool addTrailingBackslash) const
{
    return GetUserApplicationDataFolder(productNameFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserApplicationDataProductVersionFolder(QString& path,
                                                                         bool addTrailingBackslash) const
{
    return GetUserApplicationDataFolder(productVersionFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserLocalApplicationDataCompanyNameFolder(QString& path,
                                                                           bool addTrailingBackslash) const
{
    return GetUserLocalApplicationDataFolder(companyNameFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserLocalApplicationDataProductNameFolder(QString& path,
                                                                           bool addTrailingBackslash) const
{
    return GetUserLocalApplicationDataFolder(productNameFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetUserLocalApplicationDataProductVersionFolder(QString& path,
                                                                              bool addTrailingBackslash) const
{
    return GetUserLocalApplicationDataFolder(productVersionFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetComputerApplicationDataCompanyNameFolder(QString& path,
                                                                          bool addTrailingBackslash) const
{
    return GetComputerApplicationDataFolder(companyNameFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetComputerApplicationDataProductNameFolder(QString& path,
                                                                          bool addTrailingBackslash) const
{
    return GetComputerApplicationDataFolder(productNameFolder, path, addTrailingBackslash);
}

bool CApplicationDataFolders::GetComputerApplicationDataProductVersionFolder(QString& path,
                                                                             bool addTrailingBackslash) const
{
    return GetComputerApplicationDataFolder(productVersionFolder, path, addTrailingBackslash);
}
