#pragma once
// The per-user and per-computer application-data folders of a company's product:
//   User       $XDG_CONFIG_HOME (default ~/.config)
//   UserLocal  $XDG_DATA_HOME (default ~/.local/share)
//   Computer   /var/lib
// each followed by the company name, then as deep as asked the product name and the
// version. Nothing is created on disk.

#include "qvsystem/qvsystem_export.h"

#include <QString>

enum applicationDataFolderTypes {
    companyNameFolder = 0,
    productNameFolder = 1,
    productVersionFolder = 2,
};

class QVSYSTEM_EXPORT CApplicationDataFolders {
public:
    CApplicationDataFolders() = default;
    CApplicationDataFolders(const QString& companyName, const QString& productName,
                            const QString& productVersion);

    // False (and the name kept) for a null text.
    bool SetCompanyName(const QString& companyName);
    bool SetProductName(const QString& productName);
    bool SetProductVersion(const QString& productVersion);
    const QString& GetCompanyName() const { return m_strCompanyName; }
    const QString& GetProductName() const { return m_strProductName; }
    const QString& GetProductVersion() const { return m_strProductVersion; }

    // The base folder and the components down to the type's depth, with a trailing '/'
    // when asked. False, and the path left as it was, when the base folder is unknown
    // (no home folder to default to).
    bool GetUserApplicationDataFolder(applicationDataFolderTypes type, QString& path,
                                      bool addTrailingBackslash = false) const;
    bool GetUserLocalApplicationDataFolder(applicationDataFolderTypes type, QString& path,
                                           bool addTrailingBackslash = false) const;
    bool GetComputerApplicationDataFolder(applicationDataFolderTypes type, QString& path,
                                          bool addTrailingBackslash = false) const;

    bool GetUserApplicationDataCompanyNameFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetUserApplicationDataProductNameFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetUserApplicationDataProductVersionFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetUserLocalApplicationDataCompanyNameFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetUserLocalApplicationDataProductNameFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetUserLocalApplicationDataProductVersionFolder(QString& path,
                                                         bool addTrailingBackslash = false) const;
    bool GetComputerApplicationDataCompanyNameFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetComputerApplicationDataProductNameFolder(QString& path, bool addTrailingBackslash = false) const;
    bool GetComputerApplicationDataProductVersionFolder(QString& path,
                                                        bool addTrailingBackslash = false) const;

    friend bool operator==(const CApplicationDataFolders&, const CApplicationDataFolders&) = default;

private:
    bool Compose(const QString& base, applicationDataFolderTypes type, QString& path,
                 bool addTrailingBackslash) const;

    QString m_strCompanyName;
    QString m_strProductName;
    QString m_strProductVersion;
};
