#include "cordalib/library/CordaFileHeader.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/ErrorText.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/system/MD5.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

constexpr uint8_t LEGACY_DATED = 6;
constexpr uint8_t LEGACY_NONE_A = 7;
constexpr uint8_t LEGACY_RELEASE1 = 9;
constexpr uint8_t LEGACY_NONE_B = 10;

uint16_t CurrentYear()
{
    const int year = COleDateTime::GetCurrentTime().GetYear();
    return year > 0 && year <= 0xFFFF ? static_cast<uint16_t>(year) : 0;
}

} // namespace

CCordaFileHeader::CCordaFileHeader()
{
    Reset();
}

void CCordaFileHeader::Reset()
{
    const uint16_t year = CurrentYear();
    m_version = CURRENT_VERSION;
    m_fileType = cordaFileSong;
    m_contentByte = 0;
    m_title.clear();
    m_artist.clear();
    m_releaseType = 0;
    m_albumKind = 2;
    m_albumTitle.clear();
    m_albumYear = year;
    m_albumFlag = 0;
    m_release1Title.clear();
    m_release1Flag = 0;
    m_release2Title.clear();
    m_release2Date[0] = 1;
    m_release2Date[1] = 1;
    m_release2Date[2] = year;
    m_authorshipType = 0;
    m_composer.clear();
    m_lyricist.clear();
    m_arranger.clear();
    m_transcriberA.clear();
    m_transcriberB.clear();
    m_copyright.clear();
    for (std::string& text : m_extraTexts)
        text.clear();
    m_lessonTitle.clear();
    m_lessonSubtitle.clear();
    m_lessonStyle = 9;
    m_lessonLevel = 0;
    m_lessonAuthor.clear();
    m_lessonExtraText.clear();
    m_lessonCopyright.clear();
    m_legacyCode = 0;
    m_legacyTitle.clear();
    m_legacyFlag = 0;
    m_legacyYear = 0;
}

bool CCordaFileHeader::SetText(std::string& field, const char* text)
{
    if (!text)
        return false;
    field = text;
    return true;
}

bool CCordaFileHeader::SetText(std::string& field, const std::string& text)
{
    field = text;
    return true;
}

std::string CCordaFileHeader::GetAlbum() const
{
    switch (m_releaseType) {
    case 0:
        return m_albumTitle;
    case 1:
        return m_release1Title;
    case 2:
        return m_release2Title;
    default:
        return std::string();
    }
}

bool CCordaFileHeader::SetAlbum(const char* text)
{
    switch (m_releaseType) {
    case 0:
        return SetText(m_albumTitle, text);
    case 1:
        return SetText(m_release1Title, text);
    case 2:
        return SetText(m_release2Title, text);
    default:
        return false;
    }
}

bool CCordaFileHeader::SetAlbum(const std::string& text)
{
    switch (m_releaseType) {
    case 0:
        return SetText(m_albumTitle, text);
    case 1:
        return SetText(m_release1Title, text);
    case 2:
        return SetText(m_release2Title, text);
    default:
        return false;
    }
}

bool CCordaFileHeader::SetAuthorshipType(uint8_t type)
{
    if (type > 1)
        return false;
    m_authorshipType = type;
    return true;
}

std::string CCordaFileHeader::GetTranscriber() const
{
    if (m_transcriberA.empty())
        return m_transcriberB;
    if (m_transcriberB.empty() || m_transcriberA == m_transcriberB)
        return m_transcriberA;
    return m_transcriberA + " :: " + m_transcriberB;
}

const std::string& CCordaFileHeader::GetExtraText(int index) const
{
    static const std::string empty;
    return index >= 0 && index < 3 ? m_extraTexts[index] : empty;
}

bool CCordaFileHeader::SetLessonStyle(uint16_t style)
{
    if (style > 18)
        return false;
    m_lessonStyle = style;
    return true;
}

bool CCordaFileHeader::SetLessonLevel(uint8_t level)
{
    if (level > 2)
        return false;
    m_lessonLevel = level;
    return true;
}

void CCordaFileHeader::Read(CArchive& archive)
{
    if (!archive.IsLoading()) {
        const CFile* file = archive.GetFile();
        throw CArchiveException(CArchiveException::writeOnly, file ? file->GetFilePath() : QString());
    }
    uint32_t tag;
    archive >> tag;
    if (tag != FILE_TAG)
        CCordaFileException::Throw(CCordaFileException::invalidFileTag, archive);
    archive >> m_version;
    if (m_version < 1 || m_version > 4)
        CCordaFileException::Throw(CCordaFileException::invalidFileVersion, archive);
    if (m_version < 4) {
        m_fileType = cordaFileSong; // the legacy layouts hold songs only
        ReadLegacy(archive);
        MapLegacyFields();
        return;
    }
    archive >> m_fileType;
    if (m_fileType > cordaFileLesson)
        CCordaFileException::Throw(CCordaFileException::invalidFileType, archive);
    if (m_fileType == cordaFileSong)
        ReadSong4(archive);
    else
        ReadLesson4(archive);
}

void CCordaFileHeader::ReadSong4(CArchive& archive)
{
    // Values are taken as stored: an unknown release or authorship type selects no block.
    archive >> m_contentByte >> m_title >> m_artist >> m_releaseType;
    switch (m_releaseType) {
    case 0:
        archive >> m_albumKind >> m_albumTitle >> m_albumYear >> m_albumFlag;
        break;
    case 1:
        archive >> m_release1Title >> m_release1Flag;
        break;
    case 2:
        archive >> m_release2Title >> m_release2Date[0] >> m_release2Date[1] >> m_release2Date[2];
        break;
    default:
        break;
    }
    archive >> m_authorshipType;
    if (m_authorshipType == 0)
        archive >> m_composer >> m_lyricist;
    archive >> m_arranger >> m_transcriberA >> m_transcriberB >> m_copyright >> m_extraTexts[0] >>
        m_extraTexts[1] >> m_extraTexts[2];
}

void CCordaFileHeader::ReadLesson4(CArchive& archive)
{
    archive >> m_lessonTitle >> m_lessonSubtitle >> m_lessonStyle >> m_lessonLevel >> m_lessonAuthor >>
        m_lessonExtraText >> m_lessonCopyright;
}

void CCordaFileHeader::ReadLegacy(CArchive& archive)
{
    archive >> m_title >> m_artist >> m_legacyCode >> m_legacyTitle >> m_legacyFlag >> m_composer >>
        m_lyricist >> m_arranger;
    if (m_version < 3)
        archive >> m_transcriberA;
    archive >> m_legacyYear >> m_authorshipType >> m_copyright >> m_extraTexts[0];
    if (m_version < 3)
        archive >> m_extraTexts[1];
}

void CCordaFileHeader::MapLegacyFields()
{
    switch (m_legacyCode) {
    case LEGACY_DATED:
        m_releaseType = 2;
        m_release2Title = m_legacyTitle;
        break;
    case LEGACY_RELEASE1:
        m_releaseType = 1;
        m_release1Title = m_legacyTitle;
        m_release1Flag = m_legacyFlag;
        break;
    case LEGACY_NONE_A:
    case LEGACY_NONE_B:
        m_releaseType = 3;
        break;
    default:
        m_releaseType = 0;
        m_albumKind = m_legacyCode;
        m_albumTitle = m_legacyTitle;
        m_albumFlag = m_legacyFlag;
        m_albumYear = m_legacyYear;
        break;
    }
}

void CCordaFileHeader::Write(CArchive& archive) const
{
    if (!archive.IsStoring()) {
        const CFile* file = archive.GetFile();
        throw CArchiveException(CArchiveException::readOnly, file ? file->GetFilePath() : QString());
    }
    if (m_version < 1 || m_version > 4)
        CCordaFileException::Throw(CCordaFileException::invalidFileVersion, archive);
    if (m_version == 4 && m_fileType > cordaFileLesson)
        CCordaFileException::Throw(CCordaFileException::invalidFileType, archive);
    archive << FILE_TAG << m_version;
    if (m_version < 4) {
        WriteLegacy(archive);
        return;
    }
    archive << m_fileType;
    if (m_fileType == cordaFileSong)
        WriteSong4(archive);
    else
        WriteLesson4(archive);
}

void CCordaFileHeader::WriteSong4(CArchive& archive) const
{
    archive << m_contentByte << m_title << m_artist << m_releaseType;
    switch (m_releaseType) {
    case 0:
        archive << m_albumKind << m_albumTitle << m_albumYear << m_albumFlag;
        break;
    case 1:
        archive << m_release1Title << m_release1Flag;
        break;
    case 2:
        archive << m_release2Title << m_release2Date[0] << m_release2Date[1] << m_release2Date[2];
        break;
    default:
        break;
    }
    archive << m_authorshipType;
    if (m_authorshipType == 0)
        archive << m_composer << m_lyricist;
    archive << m_arranger << m_transcriberA << m_transcriberB << m_copyright << m_extraTexts[0]
            << m_extraTexts[1] << m_extraTexts[2];
}

void CCordaFileHeader::WriteLesson4(CArchive& archive) const
{
    archive << m_lessonTitle << m_lessonSubtitle << m_lessonStyle << m_lessonLevel << m_lessonAuthor
            << m_lessonExtraText << m_lessonCopyright;
}

void CCordaFileHeader::WriteLegacy(CArchive& archive) const
{
    // The legacy title and year come back from the release fields that reading mapped
    // them onto, so that edits of the album reach the file.
    const std::string* title = &m_albumTitle;
    uint16_t year = m_albumYear;
    switch (m_legacyCode) {
    case LEGACY_DATED:
        title = &m_release2Title;
        year = m_legacyYear;
        break;
    case LEGACY_RELEASE1:
        title = &m_release1Title;
        year = m_legacyYear;
        break;
    case LEGACY_NONE_A:
    case LEGACY_NONE_B:
        title = &m_legacyTitle;
        year = m_legacyYear;
        break;
    default:
        break;
    }
    archive << m_title << m_artist << m_legacyCode << *title << m_legacyFlag << m_composer << m_lyricist
            << m_arranger;
    if (m_version < 3)
        archive << m_transcriberA;
    archive << year << m_authorshipType << m_copyright << m_extraTexts[0];
    if (m_version < 3)
        archive << m_extraTexts[1];
}

namespace {

// Files up to this size are read in one piece, the header parsed and the checksum taken
// from the same bytes: a library holds thousands of them, and each further call on the
// file (a second status, seeks, a second read of the header's block) costs as much as
// hashing a few kilobytes.
constexpr uint64_t WHOLE_FILE_LIMIT = 4 << 20;

// Parses the header at the file's position; the archive gives back what it read ahead.
void ParseHeader(CFile& file, CCordaFileHeader& header)
{
    CArchive archive(&file, CArchive::load, 4096);
    try {
        header.Read(archive);
        archive.Close();
    } catch (...) {
        archive.Abort();
        throw;
    }
}

bool ReadWholeFile(CFile& file, uint64_t size, CCordaFileHeader& header, std::string& checksum)
{
    static thread_local std::vector<unsigned char> bytes;
    bytes.resize(static_cast<size_t>(size));
    // The checksum covers what the file held when it was opened, as far as it still does.
    const unsigned got = size == 0 ? 0 : file.Read(bytes.data(), static_cast<unsigned>(size));
    CMemFile memory(bytes.data(), got, file.GetFilePath());
    ParseHeader(memory, header);
    MD5_CTX context;
    AfxMD5Init(&context);
    AfxMD5Update(&context, bytes.data(), got);
    unsigned char digest[MD5_DIGEST_LENGTH] = {};
    AfxMD5Final(digest, &context);
    return AfxFormatMD5Checksum(digest, checksum);
}

} // namespace

bool ReadHeaderFromFile(const QString& path, CCordaFileHeader& header, FILETIME* lastWriteTime,
                        std::string* checksum, QString* errorText)
{
    header.Reset();
    if (errorText)
        errorText->clear();
    if (checksum)
        checksum->clear();
    if (path.isNull())
        return false;

    CFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::osSequentialScan, &error)) {
        if (errorText && !AfxGetPlatformErrorText(error.m_lOsError, *errorText))
            error.GetErrorMessage(*errorText);
        return false;
    }
    // One look at the open file for both its time and its size.
    struct stat info;
    const bool haveInfo = fstat(file.m_hFile, &info) == 0;
    if (lastWriteTime)
        *lastWriteTime = haveInfo ? AfxTimespecToFileTime(info.st_mtim) : 0;

    try {
        const uint64_t size =
            checksum ? (haveInfo ? static_cast<uint64_t>(info.st_size) : file.GetLength()) : 0;
        if (checksum && size <= WHOLE_FILE_LIMIT)
            return ReadWholeFile(file, size, header, *checksum);
        ParseHeader(file, header);
        if (!checksum)
            return true;
        // The whole file, from its first byte, up to the size it had when opened.
        file.SeekToBegin();
        MD5_CTX context;
        AfxMD5Init(&context);
        auto buffer = std::make_unique<unsigned char[]>(16384);
        for (uint64_t done = 0; done < size;) {
            const unsigned want = static_cast<unsigned>(std::min<uint64_t>(16384, size - done));
            const unsigned got = file.Read(buffer.get(), want);
            if (got == 0)
                break;
            AfxMD5Update(&context, buffer.get(), got);
            done += got;
        }
        unsigned char digest[MD5_DIGEST_LENGTH] = {};
        AfxMD5Final(digest, &context);
        return AfxFormatMD5Checksum(digest, *checksum);
    } catch (const CException& e) {
        if (errorText)
            e.GetErrorMessage(*errorText);
        return false;
    }
}
