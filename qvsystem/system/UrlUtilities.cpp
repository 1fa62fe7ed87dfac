#include "qvsystem/system/UrlUtilities.h"

#include <QStringList>
#include <QUrl>

int AfxIsValidURL(const QString& url)
{
    const QString text = url.trimmed();
    if (text.isEmpty())
        return 0;
    const QUrl parsed(text, QUrl::StrictMode);
    if (!parsed.isValid())
        return 0;
    static const QStringList schemes{
        QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),   QStringLiteral("gopher"),
        QStringLiteral("file"), QStringLiteral("news"),  QStringLiteral("mailto")};
    if (!schemes.contains(parsed.scheme().toLower()))
        return 0;
    // The server for addresses that name one, else the object (mailto:, news:, file paths).
    QString rest = parsed.host() + parsed.path();
    while (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    return rest.isEmpty() ? 0 : 1;
}
