#include "cordalib/ui/FrameCommands.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/MainFrame.h"

void InstallFrameCommands(CMainFrame& frame, CCordaLibrarianApp& app)
{
    // Each command module adds its installer here.
    (void)frame;
    (void)app;
}
