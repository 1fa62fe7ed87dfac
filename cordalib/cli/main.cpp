// cordalib-cli: the command-line librarian.
#include "cordalib/app/HeapSetup.h"
#include "cordalib/cli/CordaLibCli.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    PrepareHeapForLibrary();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corda Librarian"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    CCordaLibCli cli;
    return cli.Run(arguments);
}
