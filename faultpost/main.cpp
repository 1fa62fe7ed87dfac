// faultpost: the error report sender that the crash handler starts after a crash.

#include "cordalib/app/HeapSetup.h"
#include "faultpost/FaultPostApp.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    PrepareHeapForLibrary();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Without a display QApplication would abort: the messages then go to standard error.
    if (!FaultPostHasDisplay())
        return FaultPostRun(arguments);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("faultpost"));
    QApplication::setOrganizationName(QStringLiteral("Corda Software"));
    return FaultPostRun(arguments);
}
