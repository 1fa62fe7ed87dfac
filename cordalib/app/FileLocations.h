#pragma once
// The four file locations (section "File Locations"): where the database, backups, error
// logs and temporary files go. A stored path that is empty is replaced by the computed
// default, the per-user local application-data folder of the product followed by the
// location's display name, and that default is written back at once, so that after the
// first start-up every value holds a full path.

#include "cordalib/app/SettingsGroups.h"

#include <QString>

#include <array>
#include <functional>

enum fileLocationTypes : int {
    fileLocationDatabaseFiles = 0,
    fileLocationBackupFiles = 1,
    fileLocationLogFiles = 2,
    fileLocationTemporaryFiles = 3,
    FILE_LOCATION_COUNT = 4
};

class CFileLocationSettings : public CSettingsGroup {
public:
    static constexpr const char* SECTION = "File Locations";

    // productFolder gives the per-user local application-data folder of the product
    // ("$XDG_DATA_HOME/Corda Software/Corda Librarian"), without a trailing separator.
    CFileLocationSettings(const CApplicationProfile& profile, std::function<QString()> productFolder);

    // Reads the four values, computing and storing the defaults of empty ones.
    void Load() override;
    // Creates every location folder that does not exist, with its parents. False when
    // one of them could not be created.
    bool CreateFolders() const;

    // The display name of a location ("Database Files" ...), which is also its value name.
    static QString GetLocationName(int location);
    // The computed default of a location.
    QString GetDefaultLocation(int location) const;

    // False for an index outside 0..3. With addBackslash the path ends in a separator.
    bool GetFileLocation(int location, QString& path, bool addBackslash = false) const;
    QString GetFileLocation(int location, bool addBackslash = false) const;
    // An empty path stands for the computed default.
    bool SetFileLocation(int location, const QString& path, bool save);

private:
    std::function<QString()> m_productFolder;
    std::array<QString, FILE_LOCATION_COUNT> m_locations;
};
