#pragma once
// How the record-transfer operations report a failure: a warning box when errors are to
// be shown, otherwise the failure's description for the caller's error report.

#include <QString>

class CException;

// formatId is one of qvsystem's file-error texts ("An error has occurred while opening
// the file '%1'...", IDS_QV_OPEN_FILE_ERROR and the others); %1 is the path.
void ReportFileError(const CException& exception, const QString& path, unsigned formatId, bool showErrors,
                     QString* errorText);
