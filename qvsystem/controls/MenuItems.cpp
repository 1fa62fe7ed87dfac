#include "qvsystem/controls/MenuItems.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <vector>

namespace {

// Item texts are read up to this many characters, as the menus of the Windows program were.
constexpr qsizetype MAX_ITEM_TEXT = 1024;

int Walk(QWidget* menu, const QString& prefix, bool menuBar, const QVMenuItemCallback& callback,
         uintptr_t userValue, intptr_t userParam, std::vector<const QWidget*>& open)
{
    if (!menu || prefix.isNull() || !callback)
        return 0;
    for (const QWidget* seen : open) {
        // A menu inside itself would never end.
        if (seen == menu)
            return 0;
    }
    open.push_back(menu);
    const QList<QAction*> actions = menu->actions();
    for (qsizetype position = 0; position < actions.size(); ++position) {
        QAction* action = actions[position];
        const QString text = action->text().left(MAX_ITEM_TEXT);
        if (text.isEmpty())
            continue;
        const QString name = AfxGetMenuItemName(text);
        if (QMenu* sub = QMenu::menuInAction(action)) {
            const QString path = menuBar ? name : prefix + QLatin1Char('.') + name;
            if (!Walk(sub, path, false, callback, userValue, userParam, open)) {
                open.pop_back();
                return 0;
            }
            continue;
        }
        const int id = AfxGetMenuItemCommandId(action);
        if (id != 0 && !menuBar)
            callback(menu, prefix + QLatin1Char('.') + name, id, static_cast<int>(position), text, userValue,
                     userParam);
    }
    open.pop_back();
    return 1;
}

} // namespace

int AfxGetMenuItemCommandId(const QAction* action)
{
    if (!action)
        return 0;
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? id : 0;
}

QString AfxGetMenuItemName(const QString& text)
{
    QString name = text.left(text.indexOf(QLatin1Char('\t')));
    name.remove(QLatin1Char('&'));
    name.remove(QLatin1Char(' '));
    name.remove(QLatin1Char('.'));
    return name;
}

int AfxEnumerateMenuItems(QMenu* menu, const QString& prefix, bool menuBar,
                          const QVMenuItemCallback& callback, uintptr_t userValue, intptr_t userParam)
{
    std::vector<const QWidget*> open;
    return Walk(menu, prefix, menuBar, callback, userValue, userParam, open);
}

int AfxEnumerateMenuItems(QMenuBar* menu, const QString& prefix, bool menuBar,
                          const QVMenuItemCallback& callback, uintptr_t userValue, intptr_t userParam)
{
    std::vector<const QWidget*> open;
    return Walk(menu, prefix, menuBar, callback, userValue, userParam, open);
}
