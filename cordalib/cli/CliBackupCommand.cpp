// cordalib-cli backup: the library backup engine with the command line's progress line.
#include "cordalib/cli/CordaLibCli.h"

int CCordaLibCli::RunBackup()
{
    // The backup engine (CLibraryDatabase::Backup) is not part of this build yet.
    Err(QStringLiteral("backup is not available in this build"));
    return CLI_EXIT_FAILURE;
}
