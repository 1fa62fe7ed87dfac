#pragma once
// What the scenes of the window gallery share. Each scene file registers its scenes with
// CORDA_GALLERY_SCENE; main runs them in the order of registration after its own.

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class CMainFrame;

extern QString g_outDir;
extern int g_failures;

// Runs the event loop for the time (timers and repaints go on).
void Wait(int milliseconds);
// Lets pending events and repaints run.
void Settle();
// Writes the picture as <name>.png into the output folder; a failure is counted.
void Save(const QPixmap& pixmap, const QString& name);
// Settles, then saves the widget's picture.
void Grab(QWidget* widget, const QString& name);
// Runs the action as soon as the next modal dialog (or message box) is open, and passes
// it the dialog; the action must close it. Gives up after timeoutMs.
void WhenModalOpens(std::function<void(QWidget* dialog)> action, int timeoutMs = 5000);

using GalleryScene = std::function<void(CMainFrame& frame)>;
std::vector<GalleryScene>& GalleryScenes();

struct CGallerySceneRegistration {
    explicit CGallerySceneRegistration(GalleryScene scene) { GalleryScenes().push_back(std::move(scene)); }
};
#define CORDA_GALLERY_SCENE_JOIN2(a, b) a##b
#define CORDA_GALLERY_SCENE_JOIN(a, b) CORDA_GALLERY_SCENE_JOIN2(a, b)
#define CORDA_GALLERY_SCENE(function)                                                                        \
    static const CGallerySceneRegistration CORDA_GALLERY_SCENE_JOIN(galleryScene, __LINE__)(function)
