#pragma once
// Writing zip archives (the library backups) over minizip: wide paths, the source copied
// in blocks, an entry time stamp and error texts. An archive is written through the safe
// save, so an archive that replaces an older one appears only when it was closed without
// error.

#include "qvsystem/qvsystem_export.h"

#include <QString>

// Result codes of the zip writer.
inline constexpr int QV_ZIP_OK = 0;
inline constexpr int QV_ZIP_ERRNO = -1; // a C runtime error (errno)
inline constexpr int QV_ZIP_PARAMERROR = -102;
inline constexpr int QV_ZIP_BADZIPFILE = -103;
inline constexpr int QV_ZIP_INTERNALERROR = -104;

// Append modes of AfxOpenZipFile.
inline constexpr int QV_ZIP_APPEND_CREATE = 0;      // a new archive (replaces an existing file)
inline constexpr int QV_ZIP_APPEND_CREATEAFTER = 1; // an archive appended to the existing file
inline constexpr int QV_ZIP_APPEND_ADDINZIP = 2;    // entries added to an existing archive

// The archive handle (the zip writer's own), or null when the archive cannot be opened or
// the path is empty.
QVSYSTEM_EXPORT void* AfxOpenZipFile(const QString& path, int append = QV_ZIP_APPEND_CREATE);

// Adds one file as a deflated entry named nameInZip (an empty name: the source path as
// given), level -1 for the default or 0 to 9. Returns 0, or a result code with errorText
// set. A failed entry leaves the archive open.
QVSYSTEM_EXPORT int AfxAddFileToZipFile(void* archiveHandle, const QString& sourcePath,
                                        const QString& nameInZip, int level, QString& errorText);

// Writes the central directory and closes the archive; 0 on success. After a failure the
// file that the archive was to replace is left as it was.
QVSYSTEM_EXPORT int AfxCloseZipFile(void* archiveHandle);

// Gives the archive up: the handle is released and the file it was to replace (or its
// absence) stays as it was. 0, or the invalid-parameter code for a null handle.
QVSYSTEM_EXPORT int AfxAbortZipFile(void* archiveHandle);

// A new archive holding the one file under its file name; false when the source does not
// exist or any step fails (an existing archive is then left as it was).
QVSYSTEM_EXPORT bool AfxCompressFileToZipFile(const QString& sourcePath, const QString& zipPath, int level,
                                              QString& errorText);

QVSYSTEM_EXPORT QString AfxGetZipErrorText(int code);
