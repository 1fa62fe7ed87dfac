#include "qvsystem/system/ApplicationRegistryKey.h"

namespace {

QString& ApplicationKey()
{
    static QString key = QString(QLatin1String(""));
    return key;
}

QString TrimBackslashes(QString text)
{
    while (text.startsWith(QLatin1Char('\\')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char('\\')))
        text.chop(1);
    return text;
}

} // namespace

void AfxSetApplicationRegistryKey(const QString& key)
{
    ApplicationKey() = key.isNull() ? QString(QLatin1String("")) : TrimBackslashes(key);
}

QString AfxGetApplicationRegistryKey()
{
    return ApplicationKey();
}

bool AfxGetApplicationRegistryPath(const QString& subKey, CRegistryPath& path)
{
    const QString& root = ApplicationKey();
    const QString below = TrimBackslashes(subKey);
    if (root.isEmpty() || below.isEmpty())
        return false;
    path = CRegistryPath(HKEY_CURRENT_USER, root + QLatin1Char('\\') + below);
    return path.IsValid();
}
