#pragma once
// Writing zip archives (the library backups) over minizip: wide paths, the source copied
// in blocks, an entry time stamp and error texts. An archive is written through the safe
// save, so an archive that replaces an older one appears only when it was closed without
// error.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>
#include <vector>

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

// A file deflated ahead of its entry: the compressed bytes with the size and CRC of the
// source, made on any thread so that several files are compressed at once while one
// thread writes the entries in their order.
class QVSYSTEM_EXPORT CZipDeflatedFile {
public:
    QString m_sourcePath;
    int m_level = -1;
    // False when the file was larger than the caller wanted held in memory: it is then
    // added from its source as AfxAddFileToZipFile adds it.
    bool m_bDeflated = false;
    uint64_t m_size = 0;
    uint32_t m_crc = 0;
    std::vector<unsigned char> m_data;
};

// Reads and deflates one file with the parameters of AfxAddFileToZipFile (level -1 or 0
// to 9); safe on several threads at once. A file of more than maxSize bytes is only
// looked at (m_bDeflated false). Returns 0, or a result code with errorText set: the
// invalid-parameter code for a bad level, the internal-error code with the file error's
// text when the source cannot be opened or read.
QVSYSTEM_EXPORT int AfxDeflateFileForZip(const QString& sourcePath, int level, uint64_t maxSize,
                                         CZipDeflatedFile& out, QString& errorText);

// Adds a file made by AfxDeflateFileForZip as the entry nameInZip (an empty name: the
// source path): the compressed bytes go in as they are (the writer's raw mode), with the
// entry information, method and level of AfxAddFileToZipFile, so the archive reads the
// same as one written by it. A file that was not deflated is added from its source.
// Returns 0, or a result code with errorText set.
QVSYSTEM_EXPORT int AfxAddDeflatedFileToZipFile(void* archiveHandle, const CZipDeflatedFile& file,
                                                const QString& nameInZip, QString& errorText);

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
