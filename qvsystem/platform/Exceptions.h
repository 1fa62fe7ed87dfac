#pragma once
// The exception family that file, archive and header errors travel in. Exceptions are
// thrown by value and caught by reference (const CException&).

#include "qvsystem/qvsystem_export.h"

#include <QString>

class QVSYSTEM_EXPORT CException {
public:
    virtual ~CException();
    // The exception's own description; false when it has none.
    virtual bool GetErrorMessage(QString& text) const;
};

class QVSYSTEM_EXPORT CFileException : public CException {
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14
    };

    explicit CFileException(int cause = none, long osError = -1, const QString& fileName = QString());

    // The cause text ("The file could not be located." ...); a cause above 14 counts as 1.
    bool GetErrorMessage(QString& text) const override;

    // Maps an errno value onto a cause.
    static int OsErrorToException(long osError);
    [[noreturn]] static void ThrowOsError(long osError, const QString& fileName = QString());

    int m_cause;
    long m_lOsError;
    QString m_strFileName;
};

class QVSYSTEM_EXPORT CArchiveException : public CException {
public:
    enum {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7
    };

    explicit CArchiveException(int cause = none, const QString& fileName = QString());
    bool GetErrorMessage(QString& text) const override;

    int m_cause;
    QString m_strFileName;
};

class QVSYSTEM_EXPORT CMemoryException : public CException {
public:
    bool GetErrorMessage(QString& text) const override;
};

class QVSYSTEM_EXPORT CResourceException : public CException {
public:
    bool GetErrorMessage(QString& text) const override;
};

class QVSYSTEM_EXPORT CNotSupportedException : public CException {
public:
    bool GetErrorMessage(QString& text) const override;
};

class QVSYSTEM_EXPORT CUserException : public CException {
public:
    bool GetErrorMessage(QString& text) const override;
};

// The cause texts of the two families, shared with the message-box functions.
QVSYSTEM_EXPORT QString AfxGetFileExceptionCauseText(int cause);
QVSYSTEM_EXPORT QString AfxGetArchiveExceptionCauseText(int cause);
