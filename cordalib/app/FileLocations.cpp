#include "cordalib/app/FileLocations.h"

#include "cordalib/app/AppStrings.h"

#include <QDir>

namespace {

constexpr unsigned LOCATION_NAME_IDS[FILE_LOCATION_COUNT] = {IDS_DATABASE_FILES, IDS_BACKUP_FILES,
                                                             IDS_LOG_FILES, IDS_TEMPORARY_FILES};

bool IsValidLocation(int location)
{
    return location >= 0 && location < FILE_LOCATION_COUNT;
}

} // namespace

CFileLocationSettings::CFileLocationSettings(const CApplicationProfile& profile,
                                             std::function<QString()> productFolder)
    : CSettingsGroup(profile), m_productFolder(std::move(productFolder))
{
}

QString CFileLocationSettings::GetLocationName(int location)
{
    if (!IsValidLocation(location))
        return QString();
    return LoadAppString(LOCATION_NAME_IDS[location]);
}

QString CFileLocationSettings::GetDefaultLocation(int location) const
{
    if (!IsValidLocation(location))
        return QString();
    const QString base = m_productFolder ? m_productFolder() : QString();
    return QDir::cleanPath(base + QLatin1Char('/') + GetLocationName(location));
}

void CFileLocationSettings::Load()
{
    const QString section = QString::fromLatin1(SECTION);
    for (int location = 0; location < FILE_LOCATION_COUNT; ++location) {
        const QString name = GetLocationName(location);
        QString path = m_profile.GetProfileString(section, name);
        if (path.isEmpty()) {
            path = GetDefaultLocation(location);
            m_profile.WriteProfileString(section, name, path);
        }
        m_locations[location] = path;
    }
}

bool CFileLocationSettings::CreateFolders() const
{
    bool allCreated = true;
    for (const QString& path : m_locations) {
        if (path.isEmpty() || !QDir().mkpath(path))
            allCreated = false;
    }
    return allCreated;
}

bool CFileLocationSettings::GetFileLocation(int location, QString& path, bool addBackslash) const
{
    path.clear();
    if (!IsValidLocation(location))
        return false;
    path = m_locations[location];
    if (path.isEmpty())
        path = GetDefaultLocation(location);
    if (addBackslash && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return true;
}

QString CFileLocationSettings::GetFileLocation(int location, bool addBackslash) const
{
    QString path;
    GetFileLocation(location, path, addBackslash);
    return path;
}

bool CFileLocationSettings::SetFileLocation(int location, const QString& path, bool save)
{
    if (!IsValidLocation(location))
        return false;
    QString value = path;
    // A trailing separator is not part of the stored folder (the root folder keeps its own).
    while (value.size() > 1 && value.endsWith(QLatin1Char('/')))
        value.chop(1);
    if (value.isEmpty())
        value = GetDefaultLocation(location);
    m_locations[location] = value;
    if (!save)
        return true;
    return m_profile.WriteProfileString(QString::fromLatin1(SECTION), GetLocationName(location), value);
}
