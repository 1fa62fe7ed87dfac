#pragma once
// Walking a menu tree: every command item is reported with a dotted path of item names,
// as the keyboard-shortcut settings list the commands.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// Called for each command item with: the menu that holds it, its path, its command id,
// its position in that menu, its full text, and the user value and parameter given to the
// walk. The result is not used.
using QVMenuItemCallback = std::function<int(QWidget* menu, const QString& path, int commandId, int position,
                                             const QString& text, uintptr_t userValue, intptr_t userParam)>;

// A command id is the integer in QAction::data(); an action whose data holds no integer
// has command id 0 and is not reported.
QVSYSTEM_EXPORT int AfxGetMenuItemCommandId(const QAction* action);

// An item's name: its text cut at the first tab, without any "&", blank or ".".
QVSYSTEM_EXPORT QString AfxGetMenuItemName(const QString& text);

// Walks the menu's actions in order. Items without text (separators) are skipped. An item
// with a sub menu is walked with the path prefix + "." + name (the name alone when the
// menu-bar flag is set); an item without one and with a non-zero command id is reported
// with the path prefix + "." + name, except on a menu bar (flag set), whose own items are
// never reported. Returns 1 when the walk completed; 0 for a null menu, a null prefix or an
// empty callback, when a sub menu's walk failed, or when a menu contains itself.
QVSYSTEM_EXPORT int AfxEnumerateMenuItems(QMenu* menu, const QString& prefix, bool menuBar,
                                          const QVMenuItemCallback& callback, uintptr_t userValue = 0,
                                          intptr_t userParam = 0);
QVSYSTEM_EXPORT int AfxEnumerateMenuItems(QMenuBar* menu, const QString& prefix, bool menuBar,
                                          const QVMenuItemCallback& callback, uintptr_t userValue = 0,
                                          intptr_t userParam = 0);
