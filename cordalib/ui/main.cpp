// cordalib: the desktop librarian.
#include "cordalib/app/HeapSetup.h"
#include "cordalib/ui/CordaLibrarianGuiApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    PrepareHeapForLibrary();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corda Librarian"));
    CCordaLibrarianGuiApp app;
    return app.Run();
}
