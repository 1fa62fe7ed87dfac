#pragma once
// The library commands of the main window, each set up by the module that owns it: the
// folders, synchronization and backup commands, the list commands with the file properties,
// and the options. CMainFrame::Create calls this once its menus and panes exist.

class CCordaLibrarianApp;
class CMainFrame;

void InstallFrameCommands(CMainFrame& frame, CCordaLibrarianApp& app);
