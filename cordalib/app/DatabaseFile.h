#pragma once
// Loading and saving the library database file, shared by the application object and its
// tests. A database type offers Clear, Reset, Load(CArchive&), Save(CArchive&),
// SetPath(path), SetEncodingSoftware(text) and SetModified(flag).
//
// Load: a missing file is no error (false, nothing changes); a file that cannot be opened
// or read reports string 145 and leaves the database new and empty, and the file as it is.
// Save: the content goes through the safe save, so a failure leaves the previous file
// intact; string 168 is reported and the database stays marked modified.

#include "cordalib/app/AppStrings.h"
#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/platform/MirrorFile.h"

#include <QFileInfo>
#include <QString>

#include <functional>

namespace DatabaseFile {

// How an error reaches the user: shown (message box) or handed back as text.
struct ErrorSink {
    bool showErrors = false;
    QString* errorText = nullptr;
};

// The exception's description as the message boxes show it.
QString DescribeException(const CException& exception);
// Formats the message (145 or 168) with the path and the cause and shows it or hands it back.
void Report(unsigned formatId, const QString& path, const QString& cause, const ErrorSink& sink);

// Keeps a database file that could not be read beside itself before a save replaces it:
// as "<path>.damaged", or "<path>.damaged.2", ".3" ... when that name is taken, so that an
// earlier kept copy is never overwritten. The kept copy is a byte-for-byte copy, flushed
// to disk before the call returns. A file that no longer exists
// needs no keeping (true, *keptPath empty). On failure the cause goes to *errorText and
// the caller must not replace the file.
bool KeepDamagedFile(const QString& path, QString* keptPath = nullptr, QString* errorText = nullptr);

inline constexpr int DATABASE_ARCHIVE_BUFFER = 4096;
// A library of many thousand records is megabytes: written in large blocks, not in
// thousands of small writes. The bytes are the same whatever the block size.
inline constexpr int DATABASE_SAVE_BUFFER = 256 * 1024;

template <typename Database> bool Load(Database& database, const QString& path, const ErrorSink& sink)
{
    if (sink.errorText)
        sink.errorText->clear();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    CFile file;
    CFileException fileError;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &fileError)) {
        Report(IDS_DATABASE_OPEN_ERROR, path, DescribeException(fileError), sink);
        return false;
    }
    CArchive archive(&file, CArchive::load, DATABASE_ARCHIVE_BUFFER);
    try {
        database.Clear();
        database.Load(archive);
        database.SetPath(path);
        archive.Close();
        file.Close();
        return true;
    } catch (const CException& exception) {
        archive.Abort();
        file.Abort();
        Report(IDS_DATABASE_OPEN_ERROR, path, DescribeException(exception), sink);
        // The damaged file is not touched here; the application keeps it beside itself
        // before its next save replaces it (KeepDamagedFile).
        database.Reset();
        return false;
    }
}

template <typename Database>
bool Save(Database& database, const QString& path, const QString& encodingSoftware, const ErrorSink& sink)
{
    if (sink.errorText)
        sink.errorText->clear();
    CMirrorFile file;
    CFileException fileError;
    if (path.isEmpty() ||
        !file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary,
                   &fileError)) {
        Report(IDS_DATABASE_SAVE_ERROR, path, DescribeException(fileError), sink);
        return false;
    }
    CArchive archive(&file, CArchive::store, DATABASE_SAVE_BUFFER);
    try {
        database.SetEncodingSoftware(encodingSoftware);
        database.Save(archive);
        archive.Close();
        file.Close();
    } catch (const CException& exception) {
        archive.Abort();
        file.Abort();
        Report(IDS_DATABASE_SAVE_ERROR, path, DescribeException(exception), sink);
        return false;
    }
    database.SetPath(path);
    database.SetModified(false);
    return true;
}

} // namespace DatabaseFile
