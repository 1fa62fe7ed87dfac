#include "cordalib/library/CordaFileException.h"

#include "cordalib/library/CordaStrings.h"

#include "qvsystem/platform/Archive.h"

#include <algorithm>

CCordaFileException::CCordaFileException(int cause, long osError, const QString& fileName)
    : CFileException(cause < none || cause > invalidFileType ? genericException : cause, osError, fileName)
{
}

bool CCordaFileException::GetErrorMessage(QString& text) const
{
    text.clear();
    if (m_cause < none || m_cause > invalidFileType)
        return false;
    return LoadCordaString(IDS_CORDA_FILE_EXCEPTION_FIRST + static_cast<unsigned>(m_cause), text);
}

bool CCordaFileException::GetErrorMessage(char16_t* buffer, unsigned maxChars) const
{
    if (!buffer)
        return false;
    QString text;
    if (!GetErrorMessage(text)) {
        if (maxChars > 0)
            buffer[0] = u'\0';
        return false;
    }
    if (maxChars == 0)
        return true;
    const unsigned count = std::min<unsigned>(static_cast<unsigned>(text.size()), maxChars - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(text.constData()), count, buffer);
    buffer[count] = u'\0';
    return true;
}

void CCordaFileException::Throw(int cause, const CArchive& archive)
{
    const CFile* file = archive.GetFile();
    throw CCordaFileException(cause, -1, file ? file->GetFilePath() : QString());
}
