// The zip writer is minizip; its file access goes through our own functions so that the
// archive is opened under its real local name and written through the safe save.
#include "qvsystem/system/Zip.h"

#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/ErrorText.h"
#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"
#include "qvsystem/platform/MirrorFile.h"

#include <QFile>
#include <QFileInfo>

#include <minizip/zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

static_assert(QV_ZIP_OK == ZIP_OK && QV_ZIP_ERRNO == ZIP_ERRNO && QV_ZIP_PARAMERROR == ZIP_PARAMERROR &&
              QV_ZIP_BADZIPFILE == ZIP_BADZIPFILE && QV_ZIP_INTERNALERROR == ZIP_INTERNALERROR);
static_assert(QV_ZIP_APPEND_CREATE == APPEND_STATUS_CREATE &&
              QV_ZIP_APPEND_CREATEAFTER == APPEND_STATUS_CREATEAFTER &&
              QV_ZIP_APPEND_ADDINZIP == APPEND_STATUS_ADDINZIP);

namespace {

constexpr unsigned COPY_BLOCK_SIZE = 16384;

// What the archive handle points to: the writer and the file under it. The handle is
// ours rather than minizip's so that the file's fate (kept or discarded) is decided
// here and not inside minizip's close call.
struct ZipArchive {
    zipFile writer = nullptr;
    QString path;
    CMirrorFile file;
    bool opened = false;  // the writer accepted the file
    bool failed = false;  // a read, write or seek failed: the archive is not sound
    bool discard = false; // the caller gave up on this archive
    int closeResult = 0;  // -1 when keeping the file failed
};

void SetErrnoFrom(const CFileException& e)
{
    errno = e.m_lOsError > 0 ? static_cast<int>(e.m_lOsError) : EIO;
}

// Appending starts from a copy of the existing archive, so that the original stays
// whole until the new one is complete.
bool CopyExisting(ZipArchive& archive)
{
    CFile source;
    CFileException error;
    if (!source.Open(archive.path, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        SetErrnoFrom(error);
        return false;
    }
    try {
        char buffer[COPY_BLOCK_SIZE];
        for (;;) {
            const unsigned count = source.Read(buffer, sizeof buffer);
            if (count == 0)
                break;
            archive.file.Write(buffer, count);
        }
        archive.file.SeekToBegin();
    } catch (const CFileException& e) {
        SetErrnoFrom(e);
        return false;
    }
    return true;
}

voidpf ZCALLBACK OpenFunc(voidpf opaque, const void*, int mode)
{
    auto* archive = static_cast<ZipArchive*>(opaque);
    // The writer only ever asks for read and write access.
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ) {
        errno = EINVAL;
        return nullptr;
    }
    CFileException error;
    if (!archive->file.Open(archive->path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive,
                            &error)) {
        SetErrnoFrom(error);
        return nullptr;
    }
    if ((mode & ZLIB_FILEFUNC_MODE_EXISTING) && !CopyExisting(*archive)) {
        const int saved = errno;
        archive->file.Abort();
        errno = saved;
        return nullptr;
    }
    return archive;
}

uLong ZCALLBACK ReadFunc(voidpf, voidpf stream, void* buffer, uLong size)
{
    auto* archive = static_cast<ZipArchive*>(stream);
    try {
        return archive->file.Read(buffer, static_cast<unsigned>(size));
    } catch (const CFileException& e) {
        archive->failed = true;
        SetErrnoFrom(e);
        return 0;
    }
}

uLong ZCALLBACK WriteFunc(voidpf, voidpf stream, const void* buffer, uLong size)
{
    auto* archive = static_cast<ZipArchive*>(stream);
    try {
        archive->file.Write(buffer, static_cast<unsigned>(size));
        return size;
    } catch (const CFileException& e) {
        archive->failed = true;
        SetErrnoFrom(e);
        return 0;
    }
}

ZPOS64_T ZCALLBACK TellFunc(voidpf, voidpf stream)
{
    auto* archive = static_cast<ZipArchive*>(stream);
    try {
        return archive->file.GetPosition();
    } catch (const CFileException& e) {
        archive->failed = true;
        SetErrnoFrom(e);
        return static_cast<ZPOS64_T>(-1);
    }
}

long ZCALLBACK SeekFunc(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* archive = static_cast<ZipArchive*>(stream);
    unsigned from;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        from = CFile::begin;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        from = CFile::current;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        from = CFile::end;
        break;
    default:
        return -1;
    }
    try {
        archive->file.Seek(static_cast<int64_t>(offset), from);
        return 0;
    } catch (const CFileException& e) {
        archive->failed = true;
        SetErrnoFrom(e);
        return -1;
    }
}

int ZCALLBACK CloseFunc(voidpf, voidpf stream)
{
    auto* archive = static_cast<ZipArchive*>(stream);
    if (!archive->file.IsOpen())
        return 0;
    // Only a complete archive replaces the target; anything else leaves it as it was.
    if (!archive->opened || archive->failed || archive->discard) {
        const int saved = errno;
        archive->file.Abort();
        errno = saved;
        archive->closeResult = archive->failed ? -1 : 0;
        return archive->closeResult;
    }
    try {
        archive->file.Close();
        archive->closeResult = 0;
    } catch (const CFileException& e) {
        SetErrnoFrom(e);
        archive->closeResult = -1;
    }
    return archive->closeResult;
}

int ZCALLBACK ErrorFunc(voidpf, voidpf stream)
{
    return static_cast<ZipArchive*>(stream)->failed ? -1 : 0;
}

ZipArchive* OpenArchive(const QString& path, int append)
{
    if (path.isEmpty() || append < QV_ZIP_APPEND_CREATE || append > QV_ZIP_APPEND_ADDINZIP)
        return nullptr;
    auto archive = std::make_unique<ZipArchive>();
    archive->path = path;

    zlib_filefunc64_def functions = {};
    functions.zopen64_file = OpenFunc;
    functions.zread_file = ReadFunc;
    functions.zwrite_file = WriteFunc;
    functions.ztell64_file = TellFunc;
    functions.zseek64_file = SeekFunc;
    functions.zclose_file = CloseFunc;
    functions.zerror_file = ErrorFunc;
    functions.opaque = archive.get();

    // The writer hands the name only to OpenFunc, which takes the path from the archive.
    const QByteArray name = QFile::encodeName(path);
    archive->writer = zipOpen2_64(name.constData(), append, nullptr, &functions);
    if (!archive->writer) {
        const int saved = errno;
        if (archive->file.IsOpen())
            archive->file.Abort();
        errno = saved;
        return nullptr;
    }
    archive->opened = true;
    return archive.release();
}

int CloseArchive(ZipArchive* archive)
{
    int result = zipClose(archive->writer, nullptr);
    const int saved = errno;
    if (archive->file.IsOpen()) // the writer did not get as far as closing the file
        archive->file.Abort();
    if (result == ZIP_OK && archive->closeResult != 0)
        result = ZIP_ERRNO;
    delete archive;
    errno = saved;
    return result;
}

QString FileErrorText(const CFileException& e)
{
    QString text;
    e.GetErrorMessage(text);
    return text;
}

} // namespace

void* AfxOpenZipFile(const QString& path, int append)
{
    return OpenArchive(path, append);
}

namespace {

// Entries carry the time they were written, in UTC.
zip_fileinfo EntryInformation()
{
    zip_fileinfo info = {};
    const time_t now = std::time(nullptr);
    tm utc = {};
    gmtime_r(&now, &utc);
    info.tmz_date.tm_sec = static_cast<uInt>(utc.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(utc.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(utc.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(utc.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(utc.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(utc.tm_year + 1900);
    info.dosDate = 0;
    info.internal_fa = 0;
    info.external_fa = 0;
    return info;
}

int OpenEntry(ZipArchive& archive, const QString& name, int level, bool raw, bool zip64)
{
    const zip_fileinfo info = EntryInformation();
    const std::string text = AfxUnicodeToAnsi(name);
    return zipOpenNewFileInZip3_64(archive.writer, text.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                   Z_DEFLATED, level, raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                   Z_DEFAULT_STRATEGY, nullptr, 0, zip64 ? 1 : 0);
}

bool ValidLevel(int level)
{
    return level >= Z_DEFAULT_COMPRESSION && level <= Z_BEST_COMPRESSION;
}

} // namespace

int AfxDeflateFileForZip(const QString& sourcePath, int level, uint64_t maxSize, CZipDeflatedFile& out,
                         QString& errorText)
{
    errorText.clear();
    out = CZipDeflatedFile();
    out.m_sourcePath = sourcePath;
    out.m_level = level;
    if (!ValidLevel(level)) {
        errorText = AfxGetZipErrorText(ZIP_PARAMERROR);
        return ZIP_PARAMERROR;
    }
    CFile source;
    CFileException openError;
    if (!source.Open(sourcePath, CFile::modeRead | CFile::shareExclusive | CFile::osSequentialScan,
                     &openError)) {
        errorText = FileErrorText(openError);
        return ZIP_INTERNALERROR;
    }
    std::vector<unsigned char> input;
    try {
        const uint64_t length = source.GetLength();
        if (length > maxSize)
            return ZIP_OK; // added from its source by the writer, a block at a time
        // The length may change while the file is read: what is read is what goes in.
        input.resize(static_cast<size_t>(length));
        size_t filled = 0;
        for (;;) {
            if (filled == input.size())
                input.resize(filled + COPY_BLOCK_SIZE);
            const unsigned count =
                source.Read(input.data() + filled,
                            static_cast<unsigned>(std::min<size_t>(input.size() - filled, 1u << 20)));
            if (count == 0)
                break;
            filled += count;
            if (filled > maxSize)
                return ZIP_OK; // it grew past what is held: the writer streams it
        }
        input.resize(filled);
    } catch (const CFileException& e) {
        errorText = FileErrorText(e);
        return ZIP_INTERNALERROR;
    }

    z_stream stream = {};
    if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK) {
        errorText = AfxGetZipErrorText(ZIP_INTERNALERROR);
        return ZIP_INTERNALERROR;
    }
    out.m_data.resize(deflateBound(&stream, static_cast<uLong>(input.size())));
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = out.m_data.data();
    stream.avail_out = static_cast<uInt>(out.m_data.size());
    const int deflated = deflate(&stream, Z_FINISH);
    out.m_data.resize(stream.total_out);
    deflateEnd(&stream);
    if (deflated != Z_STREAM_END) {
        out.m_data.clear();
        errorText = AfxGetZipErrorText(ZIP_INTERNALERROR);
        return ZIP_INTERNALERROR;
    }
    out.m_size = input.size();
    out.m_crc = static_cast<uint32_t>(crc32(0L, input.data(), static_cast<uInt>(input.size())));
    out.m_bDeflated = true;
    return ZIP_OK;
}

int AfxAddDeflatedFileToZipFile(void* archiveHandle, const CZipDeflatedFile& file, const QString& nameInZip,
                                QString& errorText)
{
    errorText.clear();
    auto* archive = static_cast<ZipArchive*>(archiveHandle);
    if (!archive || !ValidLevel(file.m_level)) {
        errorText = AfxGetZipErrorText(ZIP_PARAMERROR);
        return ZIP_PARAMERROR;
    }
    if (!file.m_bDeflated)
        return AfxAddFileToZipFile(archiveHandle, file.m_sourcePath, nameInZip, file.m_level, errorText);

    int result =
        OpenEntry(*archive, nameInZip.isEmpty() ? file.m_sourcePath : nameInZip, file.m_level, true, false);
    if (result != ZIP_OK) {
        errorText = AfxGetZipErrorText(result);
        return result;
    }
    constexpr size_t piece = 1u << 20;
    for (size_t done = 0; done < file.m_data.size(); done += piece) {
        const auto count = static_cast<unsigned>(std::min(piece, file.m_data.size() - done));
        const int written = zipWriteInFileInZip(archive->writer, file.m_data.data() + done, count);
        if (written < 0) {
            result = written;
            errorText = AfxGetZipErrorText(written);
            break;
        }
    }
    const int closed = zipCloseFileInZipRaw64(archive->writer, file.m_size, file.m_crc);
    if (result == ZIP_OK && closed != ZIP_OK) {
        result = closed;
        errorText = AfxGetZipErrorText(closed);
    }
    return result;
}

int AfxAddFileToZipFile(void* archiveHandle, const QString& sourcePath, const QString& nameInZip, int level,
                        QString& errorText)
{
    errorText.clear();
    auto* archive = static_cast<ZipArchive*>(archiveHandle);
    if (!archive || !ValidLevel(level)) {
        errorText = AfxGetZipErrorText(ZIP_PARAMERROR);
        return ZIP_PARAMERROR;
    }

    // The source is opened before the entry: a file that cannot be read must not leave
    // an empty entry behind that looks like a backed-up empty file.
    CFile source;
    CFileException openError;
    if (!source.Open(sourcePath, CFile::modeRead | CFile::shareExclusive | CFile::osSequentialScan,
                     &openError)) {
        errorText = FileErrorText(openError);
        return ZIP_INTERNALERROR;
    }
    uint64_t size = 0;
    try {
        size = source.GetLength();
    } catch (const CFileException& e) {
        errorText = FileErrorText(e);
        return ZIP_INTERNALERROR;
    }

    int result =
        OpenEntry(*archive, nameInZip.isEmpty() ? sourcePath : nameInZip, level, false, size >= 0xFFFFFFFFu);
    if (result != ZIP_OK) {
        errorText = AfxGetZipErrorText(result);
        return result;
    }

    char buffer[COPY_BLOCK_SIZE];
    for (;;) {
        unsigned count = 0;
        try {
            count = source.Read(buffer, sizeof buffer);
        } catch (const CFileException& e) {
            // A short entry must not pass for a complete copy.
            result = ZIP_INTERNALERROR;
            errorText = FileErrorText(e);
            break;
        }
        if (count == 0)
            break;
        const int written = zipWriteInFileInZip(archive->writer, buffer, count);
        if (written < 0) {
            result = written;
            errorText = AfxGetZipErrorText(written);
            break;
        }
    }

    const int closed = zipCloseFileInZip(archive->writer);
    if (result == ZIP_OK && closed != ZIP_OK) {
        result = closed;
        errorText = AfxGetZipErrorText(closed);
    }
    return result;
}

int AfxCloseZipFile(void* archiveHandle)
{
    if (!archiveHandle)
        return ZIP_PARAMERROR;
    return CloseArchive(static_cast<ZipArchive*>(archiveHandle));
}

int AfxAbortZipFile(void* archiveHandle)
{
    if (!archiveHandle)
        return ZIP_PARAMERROR;
    auto* archive = static_cast<ZipArchive*>(archiveHandle);
    archive->discard = true;
    CloseArchive(archive);
    return ZIP_OK;
}

bool AfxCompressFileToZipFile(const QString& sourcePath, const QString& zipPath, int level,
                              QString& errorText)
{
    errorText.clear();
    {
        // A missing source must not create (or replace) an archive.
        CFile source;
        CFileException error;
        if (!source.Open(sourcePath, CFile::modeRead | CFile::shareDenyNone, &error)) {
            errorText = FileErrorText(error);
            return false;
        }
    }
    ZipArchive* archive = OpenArchive(zipPath, QV_ZIP_APPEND_CREATE);
    if (!archive) {
        errorText = AfxGetZipErrorText(ZIP_ERRNO);
        return false;
    }
    const int added =
        AfxAddFileToZipFile(archive, sourcePath, QFileInfo(sourcePath).fileName(), level, errorText);
    if (added != ZIP_OK)
        archive->discard = true;
    const int closed = CloseArchive(archive);
    if (added != ZIP_OK)
        return false;
    if (closed != ZIP_OK) {
        errorText = AfxGetZipErrorText(closed);
        return false;
    }
    return true;
}

QString AfxGetZipErrorText(int code)
{
    switch (code) {
    case ZIP_OK:
        return QStringLiteral("OK.");
    case ZIP_ERRNO: {
        const int error = errno;
        QString text;
        if (AfxGetPlatformErrorText(error, text) && !text.isEmpty())
            return text;
        return QString::fromLocal8Bit(std::strerror(error));
    }
    case ZIP_PARAMERROR:
        return QStringLiteral("One or more parameters are invalid.");
    case ZIP_BADZIPFILE:
        return QStringLiteral("Invalid zip file.");
    case ZIP_INTERNALERROR:
        return QStringLiteral("Internal error.");
    default:
        return QStringLiteral("Unknown error.");
    }
}
