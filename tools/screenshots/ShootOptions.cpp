// Gallery scene of the Options dialog: Tools > Options... opened from the main window, one
// picture of each of its ten pages, then Cancel, so no setting changes.
#include "Gallery.h"

#include "cordalib/app/CommandTable.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/OptionsDlg.h"

#include <QAction>

#include <cstdio>

namespace {

struct COptionsShot {
    int page;
    const char* name;
};

constexpr COptionsShot OPTIONS_SHOTS[] = {
    {COptionsDlg::pageAutoComplete, "options-autocomplete"},
    {COptionsDlg::pageFileLocations, "options-file-locations"},
    {COptionsDlg::pageGeneral, "options-general"},
    {COptionsDlg::pageKeyboard, "options-keyboard"},
    {COptionsDlg::pageMessageBoxes, "options-message-boxes"},
    {COptionsDlg::pageSearch, "options-search"},
    {COptionsDlg::pageSecurity, "options-security"},
    {COptionsDlg::pageStartup, "options-startup"},
    {COptionsDlg::pageSystemTray, "options-system-tray"},
    {COptionsDlg::pageCheckForUpdates, "options-check-for-updates"},
};

void ShootOptions(CMainFrame& frame)
{
    QAction* options = frame.FindCommand(int(CordaCommands::ID_TOOLS_OPTIONS));
    if (!options) {
        std::fprintf(stderr, "screenshots: the main window has no Tools > Options command\n");
        ++g_failures;
        return;
    }
    int shots = 0;
    WhenModalOpens([&shots](QWidget* modal) {
        auto* dialog = qobject_cast<COptionsDlg*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        for (const COptionsShot& shot : OPTIONS_SHOTS) {
            if (!dialog->SelectPage(shot.page)) {
                std::fprintf(stderr, "screenshots: the Options page %s could not be shown\n", shot.name);
                ++g_failures;
                continue;
            }
            Grab(dialog, QString::fromLatin1(shot.name));
            ++shots;
        }
        dialog->reject();
    });
    options->trigger();
    if (shots == 0) {
        std::fprintf(stderr, "screenshots: Tools > Options opened no Options dialog\n");
        ++g_failures;
    }
}

} // namespace

CORDA_GALLERY_SCENE(ShootOptions);
