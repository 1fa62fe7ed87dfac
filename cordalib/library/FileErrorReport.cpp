#include "cordalib/library/FileErrorReport.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/Exceptions.h"

void ReportFileError(const CException& exception, const QString& path, unsigned formatId, bool showErrors,
                     QString* errorText)
{
    if (showErrors) {
        AfxFileIOExceptionMessageBox(exception, path, formatId, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (errorText && !exception.GetErrorMessage(*errorText))
        errorText->clear();
}
