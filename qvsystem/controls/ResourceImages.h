#pragma once
// Images by resource id. The images are compiled into the shared library
// (qvsystem_images.qrc) under ":/qvsystem/images/":
//   a bitmap   <id>.png, with <id>@2x.png for screens of device pixel ratio 2 and more;
//   an icon    <id>-<pixels>.png, one file per square size it is drawn for.
// Ids of the images there:
//   IDB_SPLASH_SCREEN      230    splash bitmap, 470 x 260 logical pixels, 1x and 2x
//   IDB_ABOUT_BANNER       231    the About box's banner, 700 x 64 logical pixels, 1x and 2x
//   IDR_MAINFRAME_ICON     128    application icon, 16, 22, 24, 32, 48, 64, 128, 256 px
//   IDI_QV_PROGRESS        24019  progress and flash windows, 32 px at 1x and 2x
//   IDI_BACKUP_PROGRESS    240    backup progress window, 32 px at 1x and 2x

#include "qvsystem/qvsystem_export.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

inline constexpr unsigned IDR_MAINFRAME_ICON = 128;
inline constexpr unsigned IDB_SPLASH_SCREEN = 230;
inline constexpr unsigned IDB_ABOUT_BANNER = 231;
inline constexpr unsigned IDI_BACKUP_PROGRESS = 240;
inline constexpr unsigned IDI_QV_PROGRESS = 24019;

// The resource path of a bitmap at 1x (":/qvsystem/images/<id>.png"), or an empty text
// when there is no such bitmap.
QVSYSTEM_EXPORT QString AfxGetResourceBitmapPath(unsigned id);

// The bitmap for a screen of the given device pixel ratio (0 = the application's): the
// 2x image where the ratio asks for it and one exists, with its device pixel ratio set,
// so that its logical size is always the 1x size. A null pixmap when there is none.
QVSYSTEM_EXPORT QPixmap AfxLoadResourceBitmap(unsigned id, qreal devicePixelRatio = 0);

// The icon with every size drawn for it; a null icon when there is none.
QVSYSTEM_EXPORT QIcon AfxLoadResourceIcon(unsigned id);
