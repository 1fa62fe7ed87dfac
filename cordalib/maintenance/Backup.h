#pragma once
// Library backup: the database file and every song's and lesson's tablature file copied
// into one new zip archive. Nothing is ever restored from it by the program.
//
// Archive layout, in this order: the database file under its file name alone; every
// song's file in the library's order, then every lesson's, each under its full path with
// the root (the leading "/") removed, so the folder structure stays in the archive. Two
// records of the same file give two entries of the same name.

#include "cordalib/maintenance/ProgressWindow.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

class CLibraryDatabase;

enum backupOutcome : int {
    backupCompleted = 0,  // the archive is complete, possibly with error lines
    backupNotCreated = 1, // the archive could not be created or finished
    backupCancelled = 2,  // Cancel was pressed; the partial archive is deleted
};

class CBackupResults {
public:
    uint32_t m_nFilesBackedUp = 0;
    QStringList m_errors; // "%1 - %2" per file that could not be added
    double m_dElapsedSeconds = 0.0;
    backupOutcome m_outcome = backupCompleted;
};

// The files are deflated by helper threads ahead of the one thread that writes the
// entries in order. threads: -1 (the default) one per core, 0 none (each file deflated
// as it is written), otherwise that many.
void SetBackupDeflateThreads(int threads);
// The most files that the last run held read or deflated ahead of the writer.
size_t GetBackupPeakFilesInFlight();

// The name of a library file inside the archive: its path with the root removed.
QString GetBackupEntryName(const QString& path);

// Backs the library up into a new archive at archivePath (an existing file is replaced).
// databasePath is the database file to include; empty means the database's own path.
// True when the archive was completed, with or without error lines; false when it could
// not be created (string 19 is shown through the window) or Cancel was pressed. The
// window (may be null) is created, shown and destroyed by the run; the closing summary is
// the caller's (FormatBackupResultText, ShowOperationResults).
bool Backup(const CLibraryDatabase& database, const QString& databasePath, const QString& archivePath,
            CBackupResults& results, IProgressWindow* window);
