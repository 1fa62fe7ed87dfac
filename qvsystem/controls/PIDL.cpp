#include "qvsystem/controls/PIDL.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString Writable(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location);
}

} // namespace

QString CPIDL::GetSpecialFolderPath(int csidl)
{
    switch (csidl & ~CSIDL_FLAG_MASK) {
    case CSIDL_DESKTOP:
        return Writable(QStandardPaths::DesktopLocation);
    case CSIDL_PERSONAL:
        return Writable(QStandardPaths::DocumentsLocation);
    case CSIDL_MYMUSIC:
        return Writable(QStandardPaths::MusicLocation);
    case CSIDL_MYVIDEO:
        return Writable(QStandardPaths::MoviesLocation);
    case CSIDL_MYPICTURES:
        return Writable(QStandardPaths::PicturesLocation);
    case CSIDL_DRIVES:
        return QDir::rootPath();
    case CSIDL_FONTS:
        return Writable(QStandardPaths::FontsLocation);
    case CSIDL_APPDATA:
        return Writable(QStandardPaths::GenericConfigLocation);
    case CSIDL_LOCAL_APPDATA:
        return Writable(QStandardPaths::GenericDataLocation);
    case CSIDL_INTERNET_CACHE:
        return Writable(QStandardPaths::GenericCacheLocation);
    case CSIDL_COMMON_APPDATA:
        return QStringLiteral("/var/lib");
    case CSIDL_PROFILE:
        return QDir::homePath();
    default:
        return {};
    }
}

CPIDL::CPIDL(int csidl)
{
    const QString path = GetSpecialFolderPath(csidl);
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isDir() && (!(csidl & CSIDL_FLAG_CREATE) || !QDir().mkpath(path)))
        return;
    m_strPath = QDir::cleanPath(path);
}
