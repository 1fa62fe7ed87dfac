// The helpers every scene of the window gallery uses.
#include "Gallery.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

QString g_outDir;
int g_failures = 0;

void Wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        Wait(20);
    }
}

void Save(const QPixmap& pixmap, const QString& name)
{
    const QString path = QDir(g_outDir).filePath(name + QStringLiteral(".png"));
    if (pixmap.isNull() || !pixmap.save(path)) {
        std::fprintf(stderr, "screenshots: could not render %s\n", qPrintable(name));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void Grab(QWidget* widget, const QString& name)
{
    Settle();
    Save(widget->grab(), name);
}

void WhenModalOpens(std::function<void(QWidget* dialog)> action, int timeoutMs)
{
    auto timer = std::make_shared<QTimer>();
    auto started = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer.get(), &QTimer::timeout, [timer, started, action, timeoutMs] {
        *started += 20;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            action(modal);
        } else if (*started > timeoutMs) {
            timer->stop();
            std::fprintf(stderr, "screenshots: no dialog opened\n");
            ++g_failures;
        }
    });
    timer->start();
}

std::vector<GalleryScene>& GalleryScenes()
{
    static std::vector<GalleryScene> scenes;
    return scenes;
}
