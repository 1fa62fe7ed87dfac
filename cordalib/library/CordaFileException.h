#pragma once
// The errors of the tablature header: a bad tag, version or file type. A file exception,
// so that the file-error boxes show it with the file's name.

#include "qvsystem/platform/Exceptions.h"

#include <QString>

class CArchive;

class CCordaFileException : public CFileException {
public:
    enum {
        none = 0,
        genericException = 1,
        invalidFileTag = 2,
        invalidFileVersion = 3,
        invalidFileType = 4,
    };

    // A cause above 4 becomes genericException.
    explicit CCordaFileException(int cause = none, long osError = -1, const QString& fileName = QString());

    // The cause's text (string 500 + cause); false for a cause of 5 or more.
    bool GetErrorMessage(QString& text) const override;
    // The same into a buffer of maxChars characters (terminator included), truncated to
    // fit; false for a null buffer or a cause of 5 or more.
    bool GetErrorMessage(char16_t* buffer, unsigned maxChars) const;

    // Thrown with operating-system error -1 and the name of the archive's file.
    [[noreturn]] static void Throw(int cause, const CArchive& archive);
};
