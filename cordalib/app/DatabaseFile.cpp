#include "cordalib/app/DatabaseFile.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/StringTable.h"

QString DatabaseFile::DescribeException(const CException& exception)
{
    QString text;
    if (exception.GetErrorMessage(text) && !text.isEmpty())
        return text;
    return AfxGetExceptionCauseText(exception);
}

void DatabaseFile::Report(unsigned formatId, const QString& path, const QString& cause, const ErrorSink& sink)
{
    const QString text = AfxFormatMessage(LoadAppString(formatId), path, cause);
    if (sink.showErrors)
        AfxQVMessageBox(text, MB_OK | MB_ICONWARNING);
    else if (sink.errorText)
        *sink.errorText = text;
}
