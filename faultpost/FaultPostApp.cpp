#include "faultpost/FaultPostApp.h"

#include "cordalib/app/AppStrings.h"
#include "faultpost/ErrorReport.h"
#include "faultpost/FaultPostCommandLine.h"
#include "faultpost/FaultPostWindow.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>

bool FaultPostHasDisplay()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

int FaultPostRun(const QStringList& arguments)
{
    CFaultPostCommandLine commandLine;
    QString error;
    if (!ParseFaultPostCommandLine(arguments, commandLine, error)) {
        AfxQVMessageBox(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_USAGE), error), MB_OK | MB_ICONERROR);
        return FAULTPOST_EXIT_USAGE;
    }
    const QString title = AfxFormatMessage(LoadAppString(IDS_FAULTPOST_TITLE), commandLine.app);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setApplicationDisplayName(title);

    CErrorReport report;
    QString problem;
    const CErrorReport::loadResult result = report.Load(commandLine.log, &problem);
    if (result != CErrorReport::loadComplete && result != CErrorReport::loadIncomplete) {
        AfxQVMessageBox(LoadAppString(IDS_FAULTPOST_CANNOT_SHOW), problem, MB_OK | MB_ICONERROR);
        return FAULTPOST_EXIT_NO_REPORT;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        AfxQVMessageBox(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_NO_DISPLAY), commandLine.log), MB_OK);
        return FAULTPOST_EXIT_NO_REPORT;
    }
    CFaultPostWindow window(commandLine, report,
                            result == CErrorReport::loadIncomplete ? problem : QString());
    window.exec();
    return FAULTPOST_EXIT_OK;
}
