#include "cordalib/library/LibraryDatabase.h"

#include "cordalib/library/RecordSupport.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/platform/File.h"

#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

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

void WriteFileTime(CArchive& archive, FILETIME time)
{
    archive << static_cast<uint32_t>(time & 0xFFFFFFFFu) << static_cast<uint32_t>(time >> 32);
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

void WriteLesson(CArchive& archive, const CLessonRecord& lesson)
{
    archive << CLibraryDatabase::RECORD_VERSION << lesson.m_title << lesson.m_subtitle << lesson.m_style
            << lesson.m_level << lesson.m_author << lesson.m_copyright << lesson.m_path;
    WriteDate(archive, lesson.m_dateAdded);
    WriteFileTime(archive, lesson.m_lastWriteTime);
    archive << lesson.m_checksum << lesson.m_rating;
}

// Reads the database through the archive in large blocks and decodes the fields in
// place: a library of 100,000 songs loads without a call per field. The texts follow
// the archive's own length-prefixed layout. Whatever was read beyond the database is
// given back to the file when the reader finishes.
class CDatabaseReader {
public:
    // A small database needs no full block.
    explicit CDatabaseReader(CArchive& archive)
        : m_archive(archive),
          m_buffer(static_cast<size_t>(std::min<uint64_t>(BLOCK_SIZE, archive.GetBytesRemaining() + 64)))
    {
    }

    [[noreturn]] void Fail(int cause) const { ThrowArchive(m_archive, cause); }

    // Gives back the bytes read ahead, so that the file stands just after the database.
    void Finish()
    {
        m_archive.Flush();
        const size_t unread = m_limit - m_pos;
        if (unread != 0 && m_archive.GetFile())
            m_archive.GetFile()->Seek(-static_cast<int64_t>(unread), CFile::current);
        m_pos = m_limit = 0;
    }

    // Every byte still to come: what is buffered and what the archive holds.
    uint64_t Remaining() const { return (m_limit - m_pos) + m_archive.GetBytesRemaining(); }

    template <typename T> T ReadInteger()
    {
        const unsigned char* p = Take(sizeof(T));
        uint64_t value = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            value |= static_cast<uint64_t>(p[i]) << (8 * i);
        return static_cast<T>(value);
    }

    double ReadDouble()
    {
        const uint64_t bits = ReadInteger<uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    void ReadBytes(void* out, size_t count) { std::memcpy(out, Take(count), count); }

    void ReadDate(COleDateTime& date)
    {
        date.m_status = static_cast<COleDateTime::DateTimeStatus>(ReadInteger<int32_t>());
        date.m_dt = ReadDouble();
    }

    void ReadFileTime(FILETIME& time)
    {
        const uint32_t low = ReadInteger<uint32_t>();
        const uint32_t high = ReadInteger<uint32_t>();
        time = (static_cast<FILETIME>(high) << 32) | low;
    }

    void ReadText(std::string& text)
    {
        bool wide;
        const uint64_t length = ReadTextLength(wide);
        if (wide) {
            QString unicode;
            ReadWide(unicode, length);
            text = AfxUnicodeToAnsi(unicode);
        } else {
            text.resize(static_cast<size_t>(length));
            ReadLarge(text.data(), static_cast<size_t>(length));
        }
    }

    void ReadText(QString& text)
    {
        bool wide;
        const uint64_t length = ReadTextLength(wide);
        if (wide) {
            ReadWide(text, length);
        } else {
            std::string narrow(static_cast<size_t>(length), '\0');
            ReadLarge(narrow.data(), narrow.size());
            text = AfxAnsiToUnicode(narrow);
        }
    }

private:
    static constexpr size_t BLOCK_SIZE = 256 * 1024;

    const unsigned char* Take(size_t count)
    {
        if (m_limit - m_pos < count)
            Fill(count);
        const unsigned char* p = m_buffer.data() + m_pos;
        m_pos += count;
        return p;
    }

    // Makes at least count bytes (at most the buffer's size) available, or fails with
    // the end of the file.
    void Fill(size_t count)
    {
        const size_t available = m_limit - m_pos;
        if (available != 0 && m_pos != 0)
            std::memmove(m_buffer.data(), m_buffer.data() + m_pos, available);
        m_pos = 0;
        m_limit = available;
        while (m_limit < count) {
            const unsigned got =
                m_archive.Read(m_buffer.data() + m_limit, static_cast<unsigned>(m_buffer.size() - m_limit));
            if (got == 0)
                Fail(CArchiveException::endOfFile);
            m_limit += got;
        }
    }

    // A length prefix as the archive writes it: one byte, or 0xFF and a u16, 0xFFFF and a
    // u32, 0xFFFFFFFF and a u64; the UTF-16 marker (0xFF 0xFFFE) comes before a prefix.
    uint64_t ReadTextLength(bool& wide)
    {
        wide = false;
        for (;;) {
            const uint8_t byteLength = ReadInteger<uint8_t>();
            uint64_t length = byteLength;
            if (byteLength == 0xFF) {
                const uint16_t wordLength = ReadInteger<uint16_t>();
                if (wordLength == 0xFFFE) {
                    if (wide)
                        Fail(CArchiveException::badIndex);
                    wide = true;
                    continue;
                }
                length = wordLength;
                if (wordLength == 0xFFFF) {
                    const uint32_t dwordLength = ReadInteger<uint32_t>();
                    length = dwordLength;
                    if (dwordLength == 0xFFFFFFFFu)
                        length = ReadInteger<uint64_t>();
                }
            }
            // Untrusted: a length that runs past the data is the end of the file, before
            // anything of that size is allocated.
            if (length > static_cast<uint64_t>(std::numeric_limits<qsizetype>::max()) / 2)
                Fail(CArchiveException::endOfFile);
            const uint64_t bytes = wide ? length * 2 : length;
            if (bytes > m_limit - m_pos && bytes > Remaining())
                Fail(CArchiveException::endOfFile);
            return length;
        }
    }

    // Bytes of a text: through the buffer, or when larger than the buffer straight from
    // the archive.
    void ReadLarge(void* out, size_t count)
    {
        if (count <= m_buffer.size()) {
            ReadBytes(out, count);
            return;
        }
        auto* bytes = static_cast<unsigned char*>(out);
        const size_t buffered = m_limit - m_pos;
        std::memcpy(bytes, m_buffer.data() + m_pos, buffered);
        m_pos = m_limit = 0;
        for (size_t done = buffered; done < count;) {
            const size_t chunk = std::min<size_t>(count - done, size_t{1} << 30);
            const unsigned got = m_archive.Read(bytes + done, static_cast<unsigned>(chunk));
            if (got == 0)
                Fail(CArchiveException::endOfFile);
            done += got;
        }
    }

    void ReadWide(QString& text, uint64_t length)
    {
        text.resize(static_cast<qsizetype>(length));
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        ReadLarge(out, static_cast<size_t>(length) * 2);
        if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
            for (uint64_t i = 0; i < length; ++i)
                out[i] = qFromLittleEndian<quint16>(out + i);
        }
    }

    CArchive& m_archive;
    std::vector<unsigned char> m_buffer;
    size_t m_pos = 0;
    size_t m_limit = 0;
};

void ReadRecordVersion(CDatabaseReader& reader)
{
    if (reader.ReadInteger<uint16_t>() != CLibraryDatabase::RECORD_VERSION)
        reader.Fail(CArchiveException::badSchema);
}

void ReadSong(CDatabaseReader& reader, CSongRecord& song)
{
    ReadRecordVersion(reader);
    reader.ReadText(song.m_title);
    reader.ReadText(song.m_artist);
    reader.ReadText(song.m_album);
    song.m_year = reader.ReadInteger<uint16_t>();
    song.m_traditional = reader.ReadInteger<uint32_t>() != 0;
    reader.ReadText(song.m_composer);
    reader.ReadText(song.m_lyricist);
    reader.ReadText(song.m_arranger);
    reader.ReadText(song.m_transcriber);
    reader.ReadText(song.m_copyright);
    reader.ReadText(song.m_path);
    reader.ReadDate(song.m_dateAdded);
    reader.ReadFileTime(song.m_lastWriteTime);
    reader.ReadText(song.m_checksum);
    song.m_rating = reader.ReadInteger<uint8_t>();
}

void ReadLesson(CDatabaseReader& reader, CLessonRecord& lesson)
{
    ReadRecordVersion(reader);
    reader.ReadText(lesson.m_title);
    reader.ReadText(lesson.m_subtitle);
    lesson.m_style = reader.ReadInteger<uint16_t>();
    lesson.m_level = reader.ReadInteger<uint8_t>();
    reader.ReadText(lesson.m_author);
    reader.ReadText(lesson.m_copyright);
    reader.ReadText(lesson.m_path);
    reader.ReadDate(lesson.m_dateAdded);
    reader.ReadFileTime(lesson.m_lastWriteTime);
    reader.ReadText(lesson.m_checksum);
    lesson.m_rating = reader.ReadInteger<uint8_t>();
}

// A count is untrusted: the records it announces must fit in what is left of the data
// (plus the bytes that must still follow them) before anything is reserved for them.
void CheckCount(CDatabaseReader& reader, uint32_t count, uint64_t minRecordSize, uint64_t trailing)
{
    if (count == 0)
        return;
    const uint64_t needed = static_cast<uint64_t>(count) * minRecordSize + trailing;
    if (needed > reader.Remaining())
        reader.Fail(CArchiveException::endOfFile);
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
    TouchAll();
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
    CDatabaseReader reader(archive);
    char magic[sizeof MAGIC];
    reader.ReadBytes(magic, sizeof magic);
    if (std::memcmp(magic, MAGIC, sizeof MAGIC) != 0)
        reader.Fail(CArchiveException::badClass);
    if (reader.ReadInteger<uint16_t>() != FORMAT_VERSION)
        reader.Fail(CArchiveException::badSchema);
    reader.ReadDate(m_created);
    reader.ReadDate(m_modified);
    reader.ReadText(m_encodingSoftware);
    TouchAll();

    const uint32_t songCount = reader.ReadInteger<uint32_t>();
    // The lesson count follows the songs.
    CheckCount(reader, songCount, MIN_SONG_RECORD_SIZE, sizeof(uint32_t));
    m_songs.reserve(m_songs.size() + songCount);
    for (uint32_t i = 0; i < songCount; ++i) {
        auto song = std::make_unique<CSongRecord>();
        song->m_id = m_nextSongId++;
        ReadSong(reader, *song);
        m_songs.push_back(song.release());
    }

    const uint32_t lessonCount = reader.ReadInteger<uint32_t>();
    CheckCount(reader, lessonCount, MIN_LESSON_RECORD_SIZE, 0);
    m_lessons.reserve(m_lessons.size() + lessonCount);
    for (uint32_t i = 0; i < lessonCount; ++i) {
        auto lesson = std::make_unique<CLessonRecord>();
        lesson->m_id = m_nextLessonId++;
        ReadLesson(reader, *lesson);
        m_lessons.push_back(lesson.release());
    }
    reader.Finish();
}

void CLibraryDatabase::Touch()
{
    // One counter for every database, so that a database made where another was freed
    // never repeats that one's revision.
    static std::atomic<uint64_t> counter{0};
    m_revision = ++counter;
}

void CLibraryDatabase::TouchAll()
{
    Touch();
    m_journal.clear();
    m_journalFloor = m_revision;
}

void CLibraryDatabase::TouchRecord(const void* record, bool song)
{
    Touch();
    // Bounded: past the limit the older half goes, and so do the revisions it covered.
    constexpr size_t JOURNAL_LIMIT = 1u << 17;
    if (m_journal.size() >= JOURNAL_LIMIT) {
        const size_t dropped = m_journal.size() / 2;
        m_journalFloor = m_journal[dropped - 1].revision;
        m_journal.erase(m_journal.begin(), m_journal.begin() + static_cast<std::ptrdiff_t>(dropped));
    }
    if (record)
        m_journal.push_back(CJournalEntry{m_revision, record, song});
}

bool CLibraryDatabase::ChangedSince(uint64_t revision, bool song, std::vector<const void*>& out) const
{
    out.clear();
    if (revision < m_journalFloor || revision > m_revision)
        return false;
    const auto first = std::upper_bound(m_journal.begin(), m_journal.end(), revision,
                                        [](uint64_t r, const CJournalEntry& e) { return r < e.revision; });
    for (auto it = first; it != m_journal.end(); ++it) {
        if (it->song == song)
            out.push_back(it->record);
    }
    return true;
}

bool CLibraryDatabase::GetSongsChangedSince(uint64_t revision, std::vector<const CSongRecord*>& out) const
{
    std::vector<const void*> records;
    const bool known = ChangedSince(revision, true, records);
    out.clear();
    for (const void* record : records)
        out.push_back(static_cast<const CSongRecord*>(record));
    return known;
}

bool CLibraryDatabase::GetLessonsChangedSince(uint64_t revision, std::vector<const CLessonRecord*>& out) const
{
    std::vector<const void*> records;
    const bool known = ChangedSince(revision, false, records);
    out.clear();
    for (const void* record : records)
        out.push_back(static_cast<const CLessonRecord*>(record));
    return known;
}

void CLibraryDatabase::NoteSongChanged(const CSongRecord* record)
{
    if (!record)
        return;
    m_libraryModified = true;
    TouchRecord(record, true);
}

void CLibraryDatabase::NoteLessonChanged(const CLessonRecord* record)
{
    if (!record)
        return;
    m_libraryModified = true;
    TouchRecord(record, false);
}

void CLibraryDatabase::Clear()
{
    TouchAll();
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
    TouchRecord(record.get(), true);
    m_songs.push_back(record.get());
    return record.release();
}

CLessonRecord* CLibraryDatabase::AppendLesson(std::unique_ptr<CLessonRecord> record)
{
    if (!record)
        return nullptr;
    TouchRecord(record.get(), false);
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
    TouchRecord(nullptr, true);
    return true;
}

bool CLibraryDatabase::RemoveLesson(CLessonRecord* record)
{
    if (!RemoveRecord(m_lessons, record))
        return false;
    m_libraryModified = true;
    TouchRecord(nullptr, false);
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
