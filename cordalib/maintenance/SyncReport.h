#pragma once
// The texts that close a synchronization, a backup or a multiple edit, and the error log
// that such a run can leave in the Log Files folder.

#include "cordalib/maintenance/SyncResults.h"
#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/OleDateTime.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// "%.5f seconds".
QString FormatElapsedTime(double seconds);

// "Added: ...\nUpdated: ...\nRenamed: ...\nRemoved: ...\nErrors: ...\nElapsed time: ...".
QString FormatSyncResultText(const CSyncResults& results);

// "Files backed up: ...\nErrors: ...\nElapsed time: ...".
QString FormatBackupResultText(uint32_t filesBackedUp, qsizetype errorCount, double elapsedSeconds);

// "errorlog-YYYYMMDDhhmmss.txt" and "backup-YYYYMMDDhhmmss" from a local time; every part
// is -1 when the time is not valid.
QString FormatErrorLogFileName(const COleDateTime& localTime);
QString FormatBackupFileName(const COleDateTime& localTime);

// Writes the error lines, each followed by a line feed, into a new error log named after
// the local time in logFolder, replacing a log of the same name. logPath receives the
// log's path; on failure *error (when given) describes it and nothing is left behind.
bool WriteErrorLog(const QStringList& errors, const QString& logFolder, QString& logPath,
                   CFileException* error = nullptr,
                   const COleDateTime& localTime = COleDateTime::GetCurrentTime());

// The closing message of a run: the summary alone (OK, information icon), or with error
// lines the summary, a blank line and the question whether to view the error report
// (Yes/No). On Yes the log is written in logFolder and opened with the desktop's viewer; a
// log that cannot be written shows the file error instead. Returns the button pressed.
int ShowOperationResults(const QString& summary, const QStringList& errors, const QString& logFolder);
