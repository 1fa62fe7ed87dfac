#include "qvsystem/controls/ResourceImages.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>

#include <algorithm>
#include <utility>
#include <vector>

// The resource object sits in a static archive for the tests; naming its initialiser here
// makes every binary that looks an image up link it.
static void InitQVSystemImages()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(qvsystem_images);
        return true;
    }();
    (void)done;
}

namespace {

const QLatin1String IMAGE_FOLDER(":/qvsystem/images/");

QString ImagePath(unsigned id, const char* suffix)
{
    return IMAGE_FOLDER + QString::number(id) + QLatin1String(suffix);
}

} // namespace

QString AfxGetResourceBitmapPath(unsigned id)
{
    InitQVSystemImages();
    const QString path = ImagePath(id, ".png");
    return QFile::exists(path) ? path : QString();
}

QPixmap AfxLoadResourceBitmap(unsigned id, qreal devicePixelRatio)
{
    InitQVSystemImages();
    if (devicePixelRatio <= 0)
        devicePixelRatio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap;
    if (devicePixelRatio > 1.0) {
        const QString path2x = ImagePath(id, "@2x.png");
        if (QFile::exists(path2x) && pixmap.load(path2x)) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    if (pixmap.load(ImagePath(id, ".png")))
        pixmap.setDevicePixelRatio(1.0);
    return pixmap;
}

QIcon AfxLoadResourceIcon(unsigned id)
{
    InitQVSystemImages();
    const QRegularExpression pattern(QStringLiteral("^%1-(\\d+)\\.png$").arg(id));
    std::vector<std::pair<int, QString>> sizes;
    const QStringList names = QDir(IMAGE_FOLDER).entryList(QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            sizes.emplace_back(match.captured(1).toInt(), IMAGE_FOLDER + name);
    }
    std::sort(sizes.begin(), sizes.end());
    QIcon icon;
    for (const auto& [pixels, path] : sizes)
        icon.addFile(path, QSize(pixels, pixels));
    return icon;
}
