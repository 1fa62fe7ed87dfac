#include "cordalib/library/LibraryDatabase.h"

#include "cordalib/library/RecordSupport.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char MAGIC[5] = {'c', 'o', 'r', 'd', 'b'};

CLibraryDatabase* g_activeDatabase = nullptr;

[[noreturn]] void ThrowArchive(const CArchive& archive, int cause)
{
    const CFile* file = archive.GetFile();
    throw CArchiveException(cause, file ? file->GetFilePath() : QString());
}

void WriteDate(CArchive& archive, const COleDateTime& date)
{
    archive << static_cast<int32_t>(date.m_status) << date.m_dt;
}

void ReadDate(CArchive& archive, COleDateTime& date)
{
    int32_t status;
    archive >> status >> date.m_dt;
    date.m_status = static_cast<COleDateTime::DateTimeStatus>(status);
}

void WriteFileTime(CArchive& archive, FILETIME time)
{
    archive << static_cast<uint32_t>(time & 0xFFFFFFFFu) << static_cast<uint32_t>(time >> 32);
}

void ReadFileTime(CArchive& archive, FILETIME& time)
{
    uint32_t low, high;
    archive >> low >> high;
    time = (static_cast<FILETIME>(high) << 32) | low;
}

void ReadRecordVersion(CArchive& archive)
{
    uint16_t version;
    archive >> version;
    if (version != CLibraryDatabase::RECORD_VERSION)
        ThrowArchive(archive, CArchiveException::badSchema);
}

void WriteSong(CArchive& archive, const CSongRecord& song)
{
    archive << CLibraryDatabase::RECORD_VERSION << song.m_title << song.m_artist << song.m_album
            << song.m_year << static_cast<uint32_t>(song.m_traditional ? 1 : 0) << song.m_composer
            << song.m_lyricist << song.m_arranger << song.m_transcriber << song.m_copyright << song.m_path;
    WriteDate(archive, song.m_dateAdded);
    WriteFileTime(archive, song.m_lastWriteTime);
    archive << song.m_checksum << song.m_rating;
}

void ReadSong(CArchive& archive, CSongRecord& song)
{
    ReadRecordVersion(archive);
    uint32_t traditional;
    archive >> song.m_title >> song.m_artist >> song.m_album >> song.m_year >> traditional >>
        song.m_composer >> song.m_lyricist >> song.m_arranger >> song.m_transcriber >> song.m_copyright >>
        song.m_path;
    song.m_traditional = traditional != 0;
    ReadDate(archive, song.m_dateAdded);
    ReadFileTime(archive, song.m_lastWriteTime);
    archive >> song.m_checksum >> song.m_rating;
}

void WriteLesson(CArchive& archive, const CLessonRecord& lesson)
{
    archive << CLibraryDatabase::RECORD_VERSION << lesson.m_title << lesson.m_subtitle << lesson.m_style
            << lesson.m_level << lesson.m_author << lesson.m_copyright << lesson.m_path;
    WriteDate(archive, lesson.m_dateAdded);
    WriteFileTime(archive, lesson.m_lastWriteTime);
    archive << lesson.m_checksum << lesson.m_rating;
}

void ReadLesson(CArchive& archive, CLessonRecord& lesson)
{
    ReadRecordVersion(archive);
    archive >> lesson.m_title >> lesson.m_subtitle >> lesson.m_style >> lesson.m_level >> lesson.m_author >>
        lesson.m_copyright >> lesson.m_path;
    ReadDate(archive, lesson.m_dateAdded);
    ReadFileTime(archive, lesson.m_lastWriteTime);
    archive >> lesson.m_checksum >> lesson.m_rating;
}

// A count is untrusted: the records it announces must fit in what is left of the data
// (plus the bytes that must still follow them) before anything is reserved for them.
void CheckCount(CArchive& archive, uint32_t count, uint64_t minRecordSize, uint64_t trailing)
{
    if (count == 0)
        return;
    const uint64_t needed = static_cast<uint64_t>(count) * minRecordSize + trailing;
    if (needed > archive.GetBytesRemaining())
        ThrowArchive(archive, CArchiveException::endOfFile);
}

template <typename T> bool RemoveRecord(std::vector<T*>& list, T* record)
{
    if (!record)
        return false;
    const auto it = std::find(list.begin(), list.end(), record);
    if (it == list.end())
        return false;
    list.erase(it);
    delete record;
    return true;
}

} // namespace

CLibraryDatabase::CLibraryDatabase()
    : m_created(COleDateTime::GetCurrentUTCTime()), m_modified(m_created),
      m_encodingSoftware(QLatin1String("")), m_path(QLatin1String(""))
{
}

CLibraryDatabase::~CLibraryDatabase()
{
    if (g_activeDatabase == this)
        g_activeDatabase = nullptr;
    Clear();
}

void CLibraryDatabase::SetActive(CLibraryDatabase* database)
{
    g_activeDatabase = database;
}

CLibraryDatabase* CLibraryDatabase::GetActive()
{
    return g_activeDatabase;
}

void CLibraryDatabase::Save(CArchive& archive)
{
    if (!archive.IsStoring())
        ThrowArchive(archive, CArchiveException::readOnly);
    if (m_songs.size() > UINT32_MAX || m_lessons.size() > UINT32_MAX)
        ThrowArchive(archive, CArchiveException::genericException);
    archive.Write(MAGIC, sizeof MAGIC);
    m_modified = COleDateTime::GetCurrentUTCTime();
    archive << FORMAT_VERSION;
    WriteDate(archive, m_created);
    WriteDate(archive, m_modified);
    archive << m_encodingSoftware;
    archive << static_cast<uint32_t>(m_songs.size());
    for (const CSongRecord* song : m_songs)
        WriteSong(archive, *song);
    archive << static_cast<uint32_t>(m_lessons.size());
    for (const CLessonRecord* lesson : m_lessons)
        WriteLesson(archive, *lesson);
}

void CLibraryDatabase::Load(CArchive& archive)
{
    if (!archive.IsLoading())
        ThrowArchive(archive, CArchiveException::writeOnly);
    char magic[sizeof MAGIC];
    if (archive.Read(magic, sizeof magic) != sizeof magic)
        ThrowArchive(archive, CArchiveException::endOfFile);
    if (std::memcmp(magic, MAGIC, sizeof MAGIC) != 0)
        ThrowArchive(archive, CArchiveException::badClass);
    uint16_t version;
    archive >> version;
    if (version != FORMAT_VERSION)
        ThrowArchive(archive, CArchiveException::badSchema);
    ReadDate(archive, m_created);
    ReadDate(archive, m_modified);
    archive >> m_encodingSoftware;

    uint32_t songCount;
    archive >> songCount;
    // The lesson count follows the songs.
    CheckCount(archive, songCount, MIN_SONG_RECORD_SIZE, sizeof(uint32_t));
    m_songs.reserve(m_songs.size() + songCount);
    for (uint32_t i = 0; i < songCount; ++i) {
        auto song = std::make_unique<CSongRecord>();
        song->m_id = m_nextSongId++;
        ReadSong(archive, *song);
        m_songs.push_back(song.release());
    }

    uint32_t lessonCount;
    archive >> lessonCount;
    CheckCount(archive, lessonCount, MIN_LESSON_RECORD_SIZE, 0);
    m_lessons.reserve(m_lessons.size() + lessonCount);
    for (uint32_t i = 0; i < lessonCount; ++i) {
        auto lesson = std::make_unique<CLessonRecord>();
        lesson->m_id = m_nextLessonId++;
        ReadLesson(archive, *lesson);
        m_lessons.push_back(lesson.release());
    }
}

void CLibraryDatabase::Clear()
{
    for (CSongRecord* song : m_songs)
        delete song;
    m_songs.clear();
    for (CLessonRecord* lesson : m_lessons)
        delete lesson;
    m_lessons.clear();
    m_nextSongId = 1;
    m_nextLessonId = 1;
}

void CLibraryDatabase::Reset()
{
    Clear();
    m_encodingSoftware = QLatin1String("");
    m_path = QLatin1String("");
    m_created = COleDateTime::GetCurrentUTCTime();
    m_modified = m_created;
    m_libraryModified = false;
}

COleDateTime CLibraryDatabase::GetCreatedLocal() const
{
    return RecordSupport::UtcToLocalOrZero(m_created);
}

COleDateTime CLibraryDatabase::GetModifiedLocal() const
{
    return RecordSupport::UtcToLocalOrZero(m_modified);
}

bool CLibraryDatabase::SetEncodingSoftware(const QString& text)
{
    if (text.isNull())
        return false;
    m_encodingSoftware = text;
    return true;
}

bool CLibraryDatabase::SetPath(const QString& path)
{
    if (path.isNull())
        return false;
    m_path = path;
    return true;
}

QString CLibraryDatabase::GetFileName() const
{
    const qsizetype slash = m_path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? m_path : m_path.mid(slash + 1);
}

CSongRecord* CLibraryDatabase::AppendSong(std::unique_ptr<CSongRecord> record)
{
    if (!record)
        return nullptr;
    m_songs.push_back(record.get());
    return record.release();
}

CLessonRecord* CLibraryDatabase::AppendLesson(std::unique_ptr<CLessonRecord> record)
{
    if (!record)
        return nullptr;
    m_lessons.push_back(record.get());
    return record.release();
}

CSongRecord* CLibraryDatabase::AddSong(std::unique_ptr<CSongRecord> record)
{
    if (!record)
        return nullptr;
    record->m_id = TakeNextSongId();
    m_libraryModified = true;
    return AppendSong(std::move(record));
}

CLessonRecord* CLibraryDatabase::AddLesson(std::unique_ptr<CLessonRecord> record)
{
    if (!record)
        return nullptr;
    record->m_id = TakeNextLessonId();
    m_libraryModified = true;
    return AppendLesson(std::move(record));
}

bool CLibraryDatabase::RemoveSong(CSongRecord* record)
{
    if (!RemoveRecord(m_songs, record))
        return false;
    m_libraryModified = true;
    return true;
}

bool CLibraryDatabase::RemoveLesson(CLessonRecord* record)
{
    if (!RemoveRecord(m_lessons, record))
        return false;
    m_libraryModified = true;
    return true;
}

bool CLibraryDatabase::ContainsSongPath(const QString& path) const
{
    if (path.isNull())
        return false;
    return std::any_of(m_songs.begin(), m_songs.end(), [&](const CSongRecord* song) {
        return song->m_path.compare(path, Qt::CaseInsensitive) == 0;
    });
}

bool CLibraryDatabase::ContainsLessonPath(const QString& path) const
{
    if (path.isNull())
        return false;
    return std::any_of(m_lessons.begin(), m_lessons.end(), [&](const CLessonRecord* lesson) {
        return lesson->m_path.compare(path, Qt::CaseInsensitive) == 0;
    });
}

bool CLibraryDatabase::ContainsPath(const QString& path) const
{
    return ContainsSongPath(path) || ContainsLessonPath(path);
}

bool CLibraryDatabase::ContainsSong(const char* artist, const char* album) const
{
    if (!artist || !album)
        return false;
    return std::any_of(m_songs.begin(), m_songs.end(), [&](const CSongRecord* song) {
        return song->m_artist == artist && song->m_album == album;
    });
}

bool CLibraryDatabase::ContainsLesson(unsigned style, unsigned level) const
{
    if (style >= LESSON_STYLE_COUNT || level >= LESSON_LEVEL_COUNT)
        return false;
    return std::any_of(m_lessons.begin(), m_lessons.end(), [&](const CLessonRecord* lesson) {
        return lesson->m_style == style && lesson->m_level == level;
    });
}
