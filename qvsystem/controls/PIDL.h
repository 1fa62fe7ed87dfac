#pragma once
// A special folder by its Windows identifier (CSIDL), for the calls that take a folder that
// way. Here the folder is its path: the user's folders as the freedesktop.org user
// directories name them (QStandardPaths), the application-data folders as the settings and
// data of this program find them ($XDG_CONFIG_HOME, $XDG_DATA_HOME, /var/lib), "My
// Computer" as the root folder. A folder that is not there leaves the object empty, unless
// CSIDL_FLAG_CREATE asks for it to be made.

#include "qvsystem/qvsystem_export.h"

#include <QString>

inline constexpr int CSIDL_DESKTOP = 0x0000;
inline constexpr int CSIDL_PERSONAL = 0x0005;
inline constexpr int CSIDL_MYMUSIC = 0x000D;
inline constexpr int CSIDL_MYVIDEO = 0x000E;
inline constexpr int CSIDL_DRIVES = 0x0011;
inline constexpr int CSIDL_FONTS = 0x0014;
inline constexpr int CSIDL_APPDATA = 0x001A;
inline constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
inline constexpr int CSIDL_INTERNET_CACHE = 0x0020;
inline constexpr int CSIDL_COMMON_APPDATA = 0x0023;
inline constexpr int CSIDL_MYPICTURES = 0x0027;
inline constexpr int CSIDL_PROFILE = 0x0028;
inline constexpr int CSIDL_FLAG_CREATE = 0x8000;
inline constexpr int CSIDL_FLAG_MASK = 0xFF00;

class QVSYSTEM_EXPORT CPIDL {
public:
    CPIDL() = default;
    explicit CPIDL(int csidl);

    bool IsValid() const { return !m_strPath.isEmpty(); }
    // The folder's path; empty when none was obtained.
    const QString& GetPath() const { return m_strPath; }
    operator const QString&() const { return m_strPath; }

    // The path a special folder has here, whether or not it exists; empty for an
    // identifier without one.
    static QString GetSpecialFolderPath(int csidl);

private:
    QString m_strPath;
};
