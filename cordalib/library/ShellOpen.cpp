#include "cordalib/library/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

bool CordaOpenWithShell(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
