// cordalib: the desktop librarian.
#include "cordalib/app/HeapSetup.h"
#include "cordalib/ui/CordaLibrarianGuiApp.h"
#include "qvsystem/controls/ResourceImages.h"

#include <QApplication>

int main(int argc, char** argv)
{
    PrepareHeapForLibrary();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corda Librarian"));
    // The desktop matches the windows to the installed launcher entry and its icon by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("software.corda.Librarian"));
    QApplication::setWindowIcon(AfxLoadResourceIcon(IDR_MAINFRAME_ICON));
    CCordaLibrarianGuiApp app;
    return app.Run();
}
