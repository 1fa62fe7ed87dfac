#pragma once
// The whole library in memory: every song and lesson record (owned here), the times and
// encoding software stored with it, the id counters and the library-modified flag; and
// the database file layout (.cordb) that Save and Load write and read byte for byte.

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"

#include "qvsystem/platform/OleDateTime.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CArchive;

class CLibraryDatabase {
public:
    // Format and record versions this code reads and writes.
    static constexpr uint16_t FORMAT_VERSION = 0;
    static constexpr uint16_t RECORD_VERSION = 0;

    // A new, empty library: created = modified = now.
    CLibraryDatabase();
    ~CLibraryDatabase();
    CLibraryDatabase(const CLibraryDatabase&) = delete;
    CLibraryDatabase& operator=(const CLibraryDatabase&) = delete;

    // The database that records report their changes to (ReadFromFile marks it
    // modified). The application sets its own at start-up; null for none.
    static void SetActive(CLibraryDatabase* database);
    static CLibraryDatabase* GetActive();

    // Writes the file layout to a storing archive (sets modified to now first).
    void Save(CArchive& archive);
    // Reads the file layout from a loading archive into this (cleared) database. Throws
    // CArchiveException: badClass for a wrong magic, badSchema for an unknown version,
    // endOfFile for truncated data or a count that the remaining bytes cannot hold. On a
    // throw the records read so far stay here: the caller Resets.
    void Load(CArchive& archive);

    // Deletes every record and sets both id counters back to 1.
    void Clear();
    // Clear, empty texts, created = modified = now, the modified flag clear.
    void Reset();

    const COleDateTime& GetCreated() const { return m_created; }
    const COleDateTime& GetModified() const { return m_modified; }
    COleDateTime GetCreatedLocal() const;
    COleDateTime GetModifiedLocal() const;
    const QString& GetEncodingSoftware() const { return m_encodingSoftware; }
    bool SetEncodingSoftware(const QString& text); // null refused
    const QString& GetPath() const { return m_path; }
    bool SetPath(const QString& path); // null refused
    QString GetFileName() const;

    bool IsModified() const { return m_libraryModified; }
    // Whoever changes a record's fields marks the library modified afterwards: the save at
    // shutdown and the caches of derived data (the search index) rely on it. Marking it so
    // says that any record may have changed; NoteSongChanged and NoteLessonChanged name the
    // record, so that the caches refresh that one alone.
    void SetModified(bool modified = true)
    {
        m_libraryModified = modified;
        if (modified)
            TouchAll();
    }
    // The fields of this record (of this database) changed: the library is modified.
    // Null is ignored.
    void NoteSongChanged(const CSongRecord* record);
    void NoteLessonChanged(const CLessonRecord* record);

    // Changes whenever records are added, removed, changed, cleared, loaded or marked
    // modified, and is never the same for two databases of one process: derived data
    // built at one revision is valid while the revision stays.
    uint64_t GetRevision() const { return m_revision; }

    // The records added or changed since a revision of this database, each at least once
    // (removed records are simply no longer in the lists, which keep their order; records
    // are only ever appended). False when that is not known: the revision is older than
    // the last change that named no record (a load, a Clear, SetModified) or than what
    // the bounded journal still holds; derived data is then made anew.
    bool GetSongsChangedSince(uint64_t revision, std::vector<const CSongRecord*>& out) const;
    bool GetLessonsChangedSince(uint64_t revision, std::vector<const CLessonRecord*>& out) const;

    const std::vector<CSongRecord*>& GetSongs() const { return m_songs; }
    const std::vector<CLessonRecord*>& GetLessons() const { return m_lessons; }
    size_t GetSongCount() const { return m_songs.size(); }
    size_t GetLessonCount() const { return m_lessons.size(); }

    // The id counters: the next id of each kind, and taking it (the counter moves on).
    uint64_t GetNextSongId() const { return m_nextSongId; }
    uint64_t GetNextLessonId() const { return m_nextLessonId; }
    uint64_t TakeNextSongId() { return m_nextSongId++; }
    uint64_t TakeNextLessonId() { return m_nextLessonId++; }

    // Appends a record as it is (the database owns it from now on); null is ignored.
    CSongRecord* AppendSong(std::unique_ptr<CSongRecord> record);
    CLessonRecord* AppendLesson(std::unique_ptr<CLessonRecord> record);
    // Gives the record the next id of its kind, appends it and sets the modified flag.
    CSongRecord* AddSong(std::unique_ptr<CSongRecord> record);
    CLessonRecord* AddLesson(std::unique_ptr<CLessonRecord> record);

    // Erases the record from its list (later entries move up), deletes it and sets the
    // modified flag; false when it is not in the list.
    bool RemoveSong(CSongRecord* record);
    bool RemoveLesson(CLessonRecord* record);

    // Whether a record has this path, compared without regard to case; null gives false.
    bool ContainsSongPath(const QString& path) const;
    bool ContainsLessonPath(const QString& path) const;
    bool ContainsPath(const QString& path) const;
    // Whether a song has exactly this artist and album (case-sensitive); null gives false.
    bool ContainsSong(const char* artist, const char* album) const;
    // Whether a lesson has this style and level; false for a style of 19 or more or a
    // level of 3 or more.
    bool ContainsLesson(unsigned style, unsigned level) const;

    // Smallest stored sizes, which bound how many records the remaining bytes can hold.
    static constexpr uint64_t MIN_SONG_RECORD_SIZE = 39;
    static constexpr uint64_t MIN_LESSON_RECORD_SIZE = 32;

private:
    void Touch();
    // A change that names no record: the journal starts afresh.
    void TouchAll();
    // A change of one record (added or changed); null for a removal.
    void TouchRecord(const void* record, bool song);
    bool ChangedSince(uint64_t revision, bool song, std::vector<const void*>& out) const;

    // What changed since m_journalFloor, in order of revision.
    struct CJournalEntry {
        uint64_t revision;
        const void* record;
        bool song;
    };
    std::vector<CJournalEntry> m_journal;
    uint64_t m_journalFloor = 0;

    uint64_t m_revision = 0;
    COleDateTime m_created;
    COleDateTime m_modified;
    QString m_encodingSoftware;
    QString m_path;
    bool m_libraryModified = false;
    uint64_t m_nextSongId = 1;
    std::vector<CSongRecord*> m_songs;
    uint64_t m_nextLessonId = 1;
    std::vector<CLessonRecord*> m_lessons;
};
