#include "qvsystem/platform/Exceptions.h"

#include "qvsystem/platform/StringTable.h"

#include <cerrno>

namespace {

QString QVSystemText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

} // namespace

CException::~CException() = default;

bool CException::GetErrorMessage(QString& text) const
{
    text.clear();
    return false;
}

CFileException::CFileException(int cause, long osError, const QString& fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
{
}

bool CFileException::GetErrorMessage(QString& text) const
{
    text = AfxGetFileExceptionCauseText(m_cause);
    return !text.isEmpty();
}

int CFileException::OsErrorToException(long osError)
{
    switch (osError) {
    case 0:
        return none;
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
    case EXDEV:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ETXTBSY:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case EBUSY:
        return removeCurrentDir;
    case ENOTEMPTY:
        return directoryFull;
    case ESPIPE:
    case EOVERFLOW:
        return badSeek;
    case EIO:
        return hardIO;
    case EAGAIN:
        return sharingViolation;
    case ENOLCK:
    case EDEADLK:
        return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(long osError, const QString& fileName)
{
    throw CFileException(OsErrorToException(osError), osError, fileName);
}

CArchiveException::CArchiveException(int cause, const QString& fileName)
    : m_cause(cause), m_strFileName(fileName)
{
}

bool CArchiveException::GetErrorMessage(QString& text) const
{
    text = AfxGetArchiveExceptionCauseText(m_cause);
    return !text.isEmpty();
}

bool CMemoryException::GetErrorMessage(QString& text) const
{
    text = QVSystemText(IDS_QV_MEMORY_EXCEPTION);
    return !text.isEmpty();
}

bool CResourceException::GetErrorMessage(QString& text) const
{
    text = QVSystemText(IDS_QV_RESOURCE_EXCEPTION);
    return !text.isEmpty();
}

bool CNotSupportedException::GetErrorMessage(QString& text) const
{
    text = QVSystemText(IDS_QV_NOT_SUPPORTED_EXCEPTION);
    return !text.isEmpty();
}

bool CUserException::GetErrorMessage(QString& text) const
{
    text = QVSystemText(IDS_QV_USER_EXCEPTION);
    return !text.isEmpty();
}

// The cause texts come from qvsystem's own table: a program's table may reuse these ids.
QString AfxGetFileExceptionCauseText(int cause)
{
    if (cause < CFileException::none || cause > CFileException::endOfFile)
        cause = CFileException::genericException;
    QString text;
    AfxGetQVSystemStringTable().Load(IDS_QV_FILE_CAUSE_BASE + static_cast<unsigned>(cause), text);
    return text;
}

QString AfxGetArchiveExceptionCauseText(int cause)
{
    if (cause < CArchiveException::none || cause > CArchiveException::badSchema)
        cause = CArchiveException::genericException;
    QString text;
    AfxGetQVSystemStringTable().Load(IDS_QV_ARCHIVE_CAUSE_BASE + static_cast<unsigned>(cause), text);
    return text;
}
