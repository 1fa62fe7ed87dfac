// The transfers between records and their tablature files, and the shell commands on a
// record's file. Kept apart from the plain record code because they touch files, the
// message boxes and the shell.

#include "cordalib/library/CordaFileException.h"
#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/FieldRewrite.h"
#include "cordalib/library/FileErrorReport.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/RecordSupport.h"
#include "cordalib/library/SongRecord.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/platform/FileTime.h"
#include "qvsystem/platform/MirrorFile.h"
#include "qvsystem/platform/StringTable.h"
#include "qvsystem/system/FileUtilities.h"
#include "qvsystem/system/MD5.h"

#include <cstdint>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr unsigned READ_FLAGS = CFile::modeRead | CFile::shareDenyWrite | CFile::osSequentialScan;

// Collects what an archive stores, so that a header can be written and read back in memory.
class CByteSink : public CFile {
public:
    explicit CByteSink(std::vector<unsigned char>& bytes) : m_bytes(bytes) {}
    void Write(const void* buffer, unsigned count) override
    {
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
    }
    void Flush() override {}
    uint64_t GetPosition() const override { return m_bytes.size(); }
    uint64_t GetLength() const override { return m_bytes.size(); }

private:
    std::vector<unsigned char>& m_bytes;
};

void ClearErrorText(QString* errorText)
{
    if (errorText)
        errorText->clear();
}

bool OpenForReading(CFile& file, const QString& path, bool showErrors, QString* errorText)
{
    CFileException error;
    if (file.Open(path, READ_FLAGS, &error))
        return true;
    ReportFileError(error, path, IDS_QV_OPEN_FILE_ERROR, showErrors, errorText);
    return false;
}

// Reads the header from the file's current position and leaves the file just after it.
bool ReadHeader(CFile& file, CCordaFileHeader& header, const QString& path, bool showErrors,
                QString* errorText)
{
    try {
        CArchive archive(&file, CArchive::load, 4096);
        try {
            header.Read(archive);
            archive.Close(); // gives back what was read ahead
        } catch (...) {
            archive.Abort();
            throw;
        }
        return true;
    } catch (const CException& e) {
        ReportFileError(e, path, IDS_QV_READ_FILE_ERROR, showErrors, errorText);
        return false;
    }
}

void StoreChecksumOf(const QString& path, std::string& checksum)
{
    std::string text;
    if (AfxGenerateFileMD5Checksum(path, text) && !text.empty())
        checksum = std::move(text);
}

// The same through a file already open: the whole file from its first byte, without
// looking the path up again.
void StoreChecksumOf(CFile& file, std::string& checksum)
{
    std::string text;
    try {
        file.SeekToBegin();
    } catch (const CException&) {
        return;
    }
    if (AfxGenerateFileMD5Checksum(file, text) && !text.empty())
        checksum = std::move(text);
}

// The record names itself, so that the library's search index refreshes it alone.
void MarkLibraryModified(const CSongRecord& record)
{
    if (CLibraryDatabase* database = CLibraryDatabase::GetActive())
        database->NoteSongChanged(&record);
}

void MarkLibraryModified(const CLessonRecord& record)
{
    if (CLibraryDatabase* database = CLibraryDatabase::GetActive())
        database->NoteLessonChanged(&record);
}

// The end of taking a header: the file's time and checksum where they are known (0 and
// empty are not), and the library marked modified.
template <typename Record>
void TakeFileState(const Record& record, FILETIME lastWriteTime, const std::string& checksum,
                   FILETIME& recordTime, std::string& recordChecksum)
{
    if (lastWriteTime != 0)
        recordTime = lastWriteTime;
    if (!checksum.empty())
        recordChecksum = checksum;
    MarkLibraryModified(record);
}

// Opens the file for comparison: 0 when it is unchanged since lastWriteTime (the header is
// not read then), otherwise the time bits; the header is read into header. Sets
// *proceed false when nothing more can be compared.
unsigned BeginCompare(CFile& file, CCordaFileHeader& header, const QString& path, FILETIME recordTime,
                      uint8_t kind, bool showErrors, QString* errorText, bool& proceed)
{
    proceed = false;
    if (!OpenForReading(file, path, showErrors, errorText))
        return fileChangeOpenFailed;
    unsigned mask = 0;
    FILETIME fileTime = 0;
    if (file.GetLastWriteTime(fileTime)) {
        if (fileTime == recordTime)
            return 0;
        mask |= CompareFileTime(recordTime, fileTime) < 0 ? fileChangeFileNewer : fileChangeFileOlder;
    }
    if (!ReadHeader(file, header, path, showErrors, errorText))
        return mask | fileChangeUnreadable;
    if (header.GetFileType() != kind)
        mask |= fileChangeWrongKind;
    proceed = true;
    return mask;
}

// Only when nothing but the time differs: the content decides.
unsigned CompareChecksum(CFile& file, unsigned mask, const std::string& recordChecksum, unsigned bit)
{
    if (mask & FILE_CHANGE_CONTENT_MASK)
        return mask;
    std::string checksum;
    try {
        file.SeekToBegin();
        AfxGenerateFileMD5Checksum(file, checksum);
    } catch (const CException&) {
        checksum.clear();
    }
    if (checksum != recordChecksum)
        mask |= bit;
    return mask;
}

// The header read back from the bytes written (so exactly as a later read of the file sees
// it) and the checksum of those bytes and the remainder; false when they cannot be had.
bool TakeWrittenBytes(const QString& path, const std::vector<unsigned char>& headerBytes,
                      const std::vector<unsigned char>& remainder, CCordaFileHeader& header,
                      std::string& checksum)
{
    try {
        CMemFile memory(headerBytes.data(), headerBytes.size(), path);
        CArchive archive(&memory, CArchive::load, 4096);
        header.Read(archive);
        archive.Close();
    } catch (const CException&) {
        return false;
    }
    MD5_CTX context;
    MD5Init(&context);
    MD5Update(&context, headerBytes.data(), static_cast<unsigned>(headerBytes.size()));
    if (!remainder.empty())
        MD5Update(&context, remainder.data(), static_cast<unsigned>(remainder.size()));
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5Final(digest, &context);
    return AfxFormatMD5Checksum(digest, checksum) && !checksum.empty();
}

// The first half of a safe rewrite of a tablature file: the header is read to find where
// the music data starts, and the untouched remainder after it. Returns false (and reports)
// on any failure.
// reportWrongKind: a file of the other kind is reported with its cause (the plain rewrite
// refuses it silently).
bool ReadForRewrite(const QString& path, uint8_t kind, bool showErrors, QString* errorText,
                    bool reportWrongKind, CCordaFileHeader& header, std::vector<unsigned char>& remainder)
{
    CFile file;
    if (!OpenForReading(file, path, showErrors, errorText))
        return false;
    uint64_t length = 0;
    try {
        length = file.GetLength();
    } catch (const CException& e) {
        ReportFileError(e, path, IDS_QV_READ_FILE_ERROR, showErrors, errorText);
        return false;
    }
    if (length > std::numeric_limits<uint32_t>::max())
        return false;
    if (!ReadHeader(file, header, path, showErrors, errorText))
        return false;
    if (header.GetFileType() != kind) {
        if (reportWrongKind)
            ReportFileError(CCordaFileException(CCordaFileException::invalidFileType, -1, path), path,
                            IDS_QV_READ_FILE_ERROR, showErrors, errorText);
        return false;
    }
    try {
        const uint64_t start = file.GetPosition();
        remainder.resize(static_cast<size_t>(length > start ? length - start : 0));
        size_t done = 0;
        while (done < remainder.size()) {
            const unsigned got =
                file.Read(remainder.data() + done, static_cast<unsigned>(remainder.size() - done));
            if (got == 0)
                throw CFileException(CFileException::endOfFile, -1, path);
            done += got;
        }
    } catch (const CException& e) {
        ReportFileError(e, path, IDS_QV_READ_FILE_ERROR, showErrors, errorText);
        return false;
    } catch (const std::bad_alloc&) {
        ReportFileError(CMemoryException(), path, IDS_QV_READ_FILE_ERROR, showErrors, errorText);
        return false;
    }
    file.Abort();
    return true;
}

// The second half up to the commit: the header, rebuilt by update (which gets the header as
// read), and the remainder go to a temporary file beside the original, which replaces it
// only when the mirror is closed. headerBytes gets the header as written. On failure the
// mirror is dropped and the error reported.
template <typename Update>
bool WriteMirror(CMirrorFile& mirror, const QString& path, CCordaFileHeader& header, Update update,
                 const std::vector<unsigned char>& remainder, bool showErrors, QString* errorText,
                 std::vector<unsigned char>& headerBytes)
{
    CFileException error;
    if (!mirror.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error)) {
        ReportFileError(error, path, IDS_QV_SAVE_FILE_ERROR, showErrors, errorText);
        return false;
    }
    update(header);
    try {
        CByteSink sink(headerBytes);
        CArchive archive(&sink, CArchive::store, 4096);
        try {
            header.Write(archive);
            archive.Close();
        } catch (...) {
            archive.Abort();
            throw;
        }
        mirror.Write(headerBytes.data(), static_cast<unsigned>(headerBytes.size()));
        if (!remainder.empty())
            mirror.Write(remainder.data(), static_cast<unsigned>(remainder.size()));
    } catch (const CException& e) {
        mirror.Abort();
        ReportFileError(e, path, IDS_QV_SAVE_FILE_ERROR, showErrors, errorText);
        return false;
    }
    return true;
}

// The safe rewrite of a tablature file in one go: read, written beside it, and put in place
// only when complete. Returns false (and reports) on any failure; the file on disk is then
// unchanged.
template <typename Update>
bool RewriteHeader(const QString& path, uint8_t kind, bool showErrors, QString* errorText, Update update)
{
    std::vector<unsigned char> remainder;
    CCordaFileHeader header;
    if (!ReadForRewrite(path, kind, showErrors, errorText, false, header, remainder))
        return false;
    CMirrorFile mirror;
    std::vector<unsigned char> headerBytes;
    if (!WriteMirror(mirror, path, header, update, remainder, showErrors, errorText, headerBytes))
        return false;
    try {
        mirror.Close();
    } catch (const CException& e) {
        mirror.Abort();
        ReportFileError(e, path, IDS_QV_SAVE_FILE_ERROR, showErrors, errorText);
        return false;
    }
    return true;
}

// After a rewrite: the time and checksum of the file now on disk.
void TakeCommittedState(const QString& path, FILETIME& lastWriteTime, std::string& checksum)
{
    FILETIME time = 0;
    if (AfxGetFileLastWriteTime(path, time))
        lastWriteTime = time;
    StoreChecksumOf(path, checksum);
}

// After a rewrite of some fields: the record takes the whole header now on disk with the
// file's time and checksum, so it also shows what others changed in the file. Should the
// new file not read back, the time and checksum are still taken.
template <typename Record>
void TakeWrittenFile(Record& record, bool known, const CCordaFileHeader& header, const std::string& checksum)
{
    FILETIME now = 0;
    if (known && AfxGetFileLastWriteTime(record.m_path, now) && record.TakeFromHeader(header, now, checksum))
        return;
    CCordaFileHeader written;
    FILETIME time = 0;
    std::string read;
    QString ignored;
    if (ReadHeaderFromFile(record.m_path, written, &time, &read, &ignored) &&
        record.TakeFromHeader(written, time, read))
        return;
    TakeCommittedState(record.m_path, record.m_lastWriteTime, record.m_checksum);
}

// Both kinds' ReadFromFile: the header's fields (when it is of the record's kind) and
// time, and the checksum of the whole file even when the header cannot be taken.
template <typename Record> bool ReadRecordFromFile(Record& record, bool showErrors, QString* errorText)
{
    ClearErrorText(errorText);
    CFile file;
    if (!OpenForReading(file, record.m_path, showErrors, errorText))
        return false;
    FILETIME time = 0;
    const bool haveTime = file.GetLastWriteTime(time);
    CCordaFileHeader header;
    bool taken = false;
    if (ReadHeader(file, header, record.m_path, showErrors, errorText))
        taken = record.TakeFromHeader(header, haveTime ? time : 0, std::string());
    StoreChecksumOf(file, record.m_checksum);
    file.Abort();
    return taken;
}

} // namespace

// Songs.

bool CSongRecord::OpenFile() const
{
    return AfxOpenFile(m_path, QString(), QString(), SW_SHOWNORMAL);
}

bool CSongRecord::OpenFolder() const
{
    return AfxOpenFile(RecordSupport::RemoveFileSpec(m_path), QString(), QString(), SW_SHOWNORMAL);
}

bool CSongRecord::ReadFromFile(bool showErrors, QString* errorText)
{
    return ReadRecordFromFile(*this, showErrors, errorText);
}

bool CSongRecord::TakeFromHeader(const CCordaFileHeader& header, FILETIME lastWriteTime,
                                 const std::string& checksum)
{
    if (header.GetFileType() != cordaFileSong)
        return false;
    m_title = header.GetTitle();
    m_artist = header.GetArtist();
    m_album = header.GetAlbum();
    m_year = header.GetAlbumYear();
    m_traditional = header.GetAuthorshipType() == 1;
    m_composer = header.GetComposer();
    m_lyricist = header.GetLyricist();
    m_arranger = header.GetArranger();
    m_transcriber = header.GetTranscriber();
    m_copyright = header.GetCopyright();
    TakeFileState(*this, lastWriteTime, checksum, m_lastWriteTime, m_checksum);
    return true;
}

unsigned CSongRecord::CompareWithFile(bool showErrors, QString* errorText) const
{
    ClearErrorText(errorText);
    CFile file;
    CCordaFileHeader header;
    bool proceed = false;
    unsigned mask =
        BeginCompare(file, header, m_path, m_lastWriteTime, cordaFileSong, showErrors, errorText, proceed);
    if (!proceed)
        return mask;
    if (header.GetTitle() != m_title)
        mask |= fileChangeTitle;
    if (header.GetArtist() != m_artist)
        mask |= fileChangeArtist;
    if (header.GetAlbum() != m_album)
        mask |= fileChangeAlbum;
    if (header.GetAlbumYear() != m_year)
        mask |= fileChangeYear;
    if (header.GetComposer() != m_composer)
        mask |= fileChangeComposer;
    if (header.GetLyricist() != m_lyricist)
        mask |= fileChangeLyricist;
    if (header.GetArranger() != m_arranger)
        mask |= fileChangeArranger;
    if (header.GetTranscriber() != m_transcriber)
        mask |= fileChangeTranscriber;
    if (header.GetCopyright() != m_copyright)
        mask |= fileChangeCopyright;
    return CompareChecksum(file, mask, m_checksum, fileChangeChecksum);
}

bool CSongRecord::WriteToFile(bool showErrors, QString* errorText)
{
    ClearErrorText(errorText);
    const bool written =
        RewriteHeader(m_path, cordaFileSong, showErrors, errorText, [this](CCordaFileHeader& header) {
            header.SetTitle(m_title);
            header.SetArtist(m_artist);
            header.SetAlbum(m_album); // refused for a release without a title
            header.SetAlbumYear(m_year);
            header.SetAuthorshipType(m_traditional ? 1 : 0);
            if (!m_traditional) {
                header.SetComposer(m_composer);
                header.SetLyricist(m_lyricist);
            }
            header.SetArranger(m_arranger);
            header.SetCopyright(m_copyright);
        });
    if (written)
        TakeCommittedState(m_path, m_lastWriteTime, m_checksum);
    return written;
}

bool CSongRecord::WriteFieldsToFile(unsigned fields, bool showErrors, QString* errorText)
{
    ClearErrorText(errorText);
    CFieldRewrite rewrite;
    if (!rewrite.Prepare(*this, fields, showErrors, errorText))
        return false;
    rewrite.Commit();
    return rewrite.Finish(*this, showErrors, errorText);
}

// Lessons.

bool CLessonRecord::OpenFile() const
{
    return AfxOpenFile(m_path, QString(), QString(), SW_SHOWNORMAL);
}

bool CLessonRecord::OpenFolder() const
{
    return AfxOpenFile(RecordSupport::RemoveFileSpec(m_path), QString(), QString(), SW_SHOWNORMAL);
}

bool CLessonRecord::ReadFromFile(bool showErrors, QString* errorText)
{
    return ReadRecordFromFile(*this, showErrors, errorText);
}

bool CLessonRecord::TakeFromHeader(const CCordaFileHeader& header, FILETIME lastWriteTime,
                                   const std::string& checksum)
{
    if (header.GetFileType() != cordaFileLesson)
        return false;
    m_title = header.GetLessonTitle();
    m_subtitle = header.GetLessonSubtitle();
    if (header.GetLessonStyle() < LESSON_STYLE_COUNT)
        m_style = header.GetLessonStyle();
    if (header.GetLessonLevel() < LESSON_LEVEL_COUNT)
        m_level = header.GetLessonLevel();
    m_author = header.GetLessonAuthor();
    m_copyright = header.GetLessonCopyright();
    TakeFileState(*this, lastWriteTime, checksum, m_lastWriteTime, m_checksum);
    return true;
}

unsigned CLessonRecord::CompareWithFile(bool showErrors, QString* errorText) const
{
    ClearErrorText(errorText);
    CFile file;
    CCordaFileHeader header;
    bool proceed = false;
    unsigned mask =
        BeginCompare(file, header, m_path, m_lastWriteTime, cordaFileLesson, showErrors, errorText, proceed);
    if (!proceed)
        return mask;
    if (header.GetLessonTitle() != m_title)
        mask |= fileChangeLessonTitle;
    if (header.GetLessonSubtitle() != m_subtitle)
        mask |= fileChangeLessonSubtitle;
    if (header.GetLessonStyle() != m_style)
        mask |= fileChangeLessonStyle;
    if (header.GetLessonLevel() != m_level)
        mask |= fileChangeLessonLevel;
    if (header.GetLessonAuthor() != m_author)
        mask |= fileChangeLessonAuthor;
    if (header.GetLessonCopyright() != m_copyright)
        mask |= fileChangeLessonCopyright;
    return CompareChecksum(file, mask, m_checksum, fileChangeLessonChecksum);
}

bool CLessonRecord::WriteToFile(bool showErrors, QString* errorText)
{
    ClearErrorText(errorText);
    const bool written =
        RewriteHeader(m_path, cordaFileLesson, showErrors, errorText, [this](CCordaFileHeader& header) {
            header.SetLessonTitle(m_title);
            header.SetLessonSubtitle(m_subtitle);
            header.SetLessonStyle(m_style); // out-of-range values keep the file's
            header.SetLessonLevel(m_level);
            header.SetLessonAuthor(m_author);
            header.SetLessonCopyright(m_copyright);
        });
    if (written)
        TakeCommittedState(m_path, m_lastWriteTime, m_checksum);
    return written;
}

bool CLessonRecord::WriteFieldsToFile(unsigned fields, bool showErrors, QString* errorText)
{
    ClearErrorText(errorText);
    CFieldRewrite rewrite;
    if (!rewrite.Prepare(*this, fields, showErrors, errorText))
        return false;
    rewrite.Commit();
    return rewrite.Finish(*this, showErrors, errorText);
}

// The staged rewrite.

CFieldRewrite::~CFieldRewrite()
{
    WaitForCommit();
}

template <typename Update>
bool CFieldRewrite::PrepareWith(const QString& path, uint8_t kind, Update update, bool showErrors,
                                QString* errorText)
{
    ClearErrorText(errorText);
    if (m_bPrepared)
        return false;
    m_path = path;
    std::vector<unsigned char> remainder;
    CCordaFileHeader header;
    if (!ReadForRewrite(path, kind, showErrors, errorText, true, header, remainder))
        return false;
    std::vector<unsigned char> headerBytes;
    if (!WriteMirror(m_mirror, path, header, update, remainder, showErrors, errorText, headerBytes))
        return false;
    // Here rather than after the commit: the bytes are known now, and the commit mostly
    // waits for the disk.
    m_bKnown = TakeWrittenBytes(path, headerBytes, remainder, m_written, m_checksum);
    m_bPrepared = true;
    return true;
}

bool CFieldRewrite::Prepare(const CSongRecord& values, unsigned fields, bool showErrors, QString* errorText)
{
    m_nFields = fields;
    const auto has = [fields](int field) { return (fields & CSongRecord::FieldBit(field)) != 0; };
    return PrepareWith(
        values.m_path, cordaFileSong,
        [&](CCordaFileHeader& header) {
            if (has(songFieldTitle))
                header.SetTitle(values.m_title);
            if (has(songFieldArtist))
                header.SetArtist(values.m_artist);
            if (has(songFieldAlbum))
                header.SetAlbum(values.m_album); // refused for a release without a title
            if (has(songFieldYear))
                header.SetAlbumYear(values.m_year);
            if (has(songFieldTraditional))
                header.SetAuthorshipType(values.m_traditional ? 1 : 0);
            // A traditional song names no composer or lyricist in its file.
            const bool traditional = header.GetAuthorshipType() == 1;
            if (has(songFieldComposer) && !traditional)
                header.SetComposer(values.m_composer);
            if (has(songFieldLyricist) && !traditional)
                header.SetLyricist(values.m_lyricist);
            if (has(songFieldArranger))
                header.SetArranger(values.m_arranger);
            if (has(songFieldCopyright))
                header.SetCopyright(values.m_copyright);
        },
        showErrors, errorText);
}

bool CFieldRewrite::Prepare(const CLessonRecord& values, unsigned fields, bool showErrors, QString* errorText)
{
    m_nFields = fields;
    const auto has = [fields](int field) { return (fields & CLessonRecord::FieldBit(field)) != 0; };
    return PrepareWith(
        values.m_path, cordaFileLesson,
        [&](CCordaFileHeader& header) {
            if (has(lessonFieldTitle))
                header.SetLessonTitle(values.m_title);
            if (has(lessonFieldSubtitle))
                header.SetLessonSubtitle(values.m_subtitle);
            if (has(lessonFieldStyle))
                header.SetLessonStyle(values.m_style); // out-of-range values keep the file's
            if (has(lessonFieldLevel))
                header.SetLessonLevel(values.m_level);
            if (has(lessonFieldAuthor))
                header.SetLessonAuthor(values.m_author);
            if (has(lessonFieldCopyright))
                header.SetLessonCopyright(values.m_copyright);
        },
        showErrors, errorText);
}

void CFieldRewrite::Commit(CMirrorFileCloser* closer)
{
    if (!m_bPrepared || m_bCommitted)
        return;
    if (closer) {
        closer->Start(m_mirror);
        m_pCloser = closer;
        m_bCommitted = true;
        return;
    }
    m_bCommitted = true;
    try {
        m_mirror.Close();
    } catch (...) {
        m_failure = std::current_exception();
    }
}

void CFieldRewrite::WaitForCommit()
{
    CMirrorFileCloser* closer = std::exchange(m_pCloser, nullptr);
    if (!closer)
        return;
    try {
        closer->Wait(m_mirror);
    } catch (...) {
        m_failure = std::current_exception();
    }
}

bool CFieldRewrite::TakeCommitFailure(bool showErrors, QString* errorText)
{
    WaitForCommit();
    if (!m_bCommitted)
        return false;
    if (!m_failure)
        return true;
    m_mirror.Abort();
    try {
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    } catch (const CException& e) {
        ReportFileError(e, m_path, IDS_QV_SAVE_FILE_ERROR, showErrors, errorText);
    }
    return false;
}

bool CFieldRewrite::Finish(CSongRecord& record, bool showErrors, QString* errorText)
{
    if (!TakeCommitFailure(showErrors, errorText))
        return false;
    TakeWrittenFile(record, m_bKnown, m_written, m_checksum);
    return true;
}

bool CFieldRewrite::Finish(CLessonRecord& record, bool showErrors, QString* errorText)
{
    if (!TakeCommitFailure(showErrors, errorText))
        return false;
    TakeWrittenFile(record, m_bKnown, m_written, m_checksum);
    return true;
}
