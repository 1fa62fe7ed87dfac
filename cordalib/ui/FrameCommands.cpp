#include "cordalib/ui/FrameCommands.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/OptionsDlg.h"
#include "cordalib/ui/RecordListCommands.h"
#include "cordalib/ui/SyncCommands.h"

void InstallFrameCommands(CMainFrame& frame, CCordaLibrarianApp& app)
{
    // Each command module adds its installer here.
    InstallOptionsCommand(frame, app);
    InstallSyncCommands(frame, app);
    InstallRecordListCommands(frame, app);
    (void)frame;
    (void)app;
}
