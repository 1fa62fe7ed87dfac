#pragma once
// The synchronized-folder list and its storage: "Synchronized Folders\Count" and one key
// "Synchronized Folders\Folder %03u" (from 001) per folder with its "Path". At most 50
// folders are loaded; saving writes the count and the folders and leaves keys numbered
// above the new count in place (the count bounds what is read).

#include "cordalib/app/ApplicationProfile.h"

#include <QString>
#include <QStringList>

class CSynchronizedFolders {
public:
    static constexpr const char* SECTION = "Synchronized Folders";
    static constexpr const char* COUNT = "Count";
    static constexpr const char* FOLDER_KEY_FORMAT = "Folder %03u";
    static constexpr const char* PATH = "Path";
    static constexpr int MAX_FOLDERS = 50;

    explicit CSynchronizedFolders(const CApplicationProfile& profile) : m_profile(profile) {}

    void Load();
    // False when any value could not be written.
    bool Save() const;

    const QStringList& GetFolders() const { return m_folders; }
    // More than 50 folders are refused: they could not be loaded again.
    bool SetFolders(const QStringList& folders, bool save);

    // The folder's position in the list, comparing without regard to letter case; -1 when absent.
    int Find(const QString& folder) const;

    // The key of the n-th folder (1-based) below the application root.
    static QString FolderKey(unsigned number);

private:
    const CApplicationProfile& m_profile;
    QStringList m_folders;
};
