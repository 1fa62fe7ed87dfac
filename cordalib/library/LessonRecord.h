#pragma once
// One catalogued lesson: the descriptive fields of its file's header plus what the
// library adds. A plain value owned by the database.

#include "cordalib/library/FileChangeMask.h"
#include "cordalib/library/LessonTypes.h"

#include "qvsystem/platform/FileTime.h"
#include "qvsystem/platform/OleDateTime.h"

#include <QString>

#include <cstdint>
#include <string>

// Fields in column order; Compare and the lesson recordset number them so.
enum lessonField : int {
    lessonFieldId = 0,
    lessonFieldTitle,
    lessonFieldSubtitle,
    lessonFieldStyle,
    lessonFieldLevel,
    lessonFieldAuthor,
    lessonFieldCopyright,
    lessonFieldPath,
    lessonFieldDateAdded,
    lessonFieldLastWriteTime,
    lessonFieldChecksum,
    lessonFieldRating,
    lessonFieldCount
};

class CCordaFileHeader;

class CLessonRecord {
public:
    CLessonRecord() = default;
    // Null texts stand for empty ones.
    CLessonRecord(uint64_t id, const char* title, const char* subtitle, uint16_t style, uint8_t level,
                  const char* author, const char* copyright, const QString& path,
                  const COleDateTime& dateAdded, FILETIME lastWriteTime, const char* checksum,
                  uint8_t rating);

    uint64_t GetId() const { return m_id; }
    void SetId(uint64_t id) { m_id = id; }

    const std::string& GetTitle() const { return m_title; }
    void SetTitle(std::string text) { m_title = std::move(text); }
    const std::string& GetSubtitle() const { return m_subtitle; }
    void SetSubtitle(std::string text) { m_subtitle = std::move(text); }
    uint16_t GetStyle() const { return m_style; }
    void SetStyle(uint16_t style) { m_style = style; }
    uint8_t GetLevel() const { return m_level; }
    void SetLevel(uint8_t level) { m_level = level; }
    const std::string& GetAuthor() const { return m_author; }
    void SetAuthor(std::string text) { m_author = std::move(text); }
    const std::string& GetCopyright() const { return m_copyright; }
    void SetCopyright(std::string text) { m_copyright = std::move(text); }

    const QString& GetPath() const { return m_path; }
    // A null path is refused (false, unchanged); an empty one is stored.
    bool SetPath(const QString& path);

    const COleDateTime& GetDateAdded() const { return m_dateAdded; }
    // UTC to local time; day 0.0 (valid) when the conversion fails.
    COleDateTime GetDateAddedLocal() const;
    void SetDateAdded(const COleDateTime& date) { m_dateAdded = date; }
    FILETIME GetLastWriteTime() const { return m_lastWriteTime; }
    void SetLastWriteTime(FILETIME time) { m_lastWriteTime = time; }

    const std::string& GetChecksum() const { return m_checksum; }
    // A null checksum is refused (false, unchanged).
    bool SetChecksum(const char* checksum);
    bool SetChecksum(const std::string& checksum);

    uint8_t GetRating() const { return m_rating; }
    void SetRating(uint8_t rating) { m_rating = rating; }

    // The display names; "Unknown" for a style of 19 or more, a level of 3 or more.
    const QString& GetStyleName() const { return GetLessonStyleName(m_style); }
    const QString& GetLevelName() const { return GetLessonLevelName(m_level); }

    // The shell's open verb on the file, or on its folder.
    bool OpenFile() const;
    bool OpenFolder() const;

    // Transfer to and from the tablature file, as for songs.
    bool ReadFromFile(bool showErrors, QString* errorText = nullptr);
    // What ReadFromFile takes, from a header already read with the file's last write time
    // (0: none) and checksum (empty: none). False, with nothing taken, for a header of the
    // other kind.
    bool TakeFromHeader(const CCordaFileHeader& header, FILETIME lastWriteTime, const std::string& checksum);
    unsigned CompareWithFile(bool showErrors, QString* errorText = nullptr) const;
    bool WriteToFile(bool showErrors, QString* errorText = nullptr);
    // As for songs: only the fields named in fields (FieldBit of lessonField), then the
    // record takes the whole header, time and checksum of the file as written.
    bool WriteFieldsToFile(unsigned fields, bool showErrors, QString* errorText = nullptr);
    static constexpr unsigned FieldBit(int field) { return 1u << field; }

    // The order of two records by one field (lessonField): <0, 0, >0. The style orders
    // by its display name.
    static int Compare(const CLessonRecord& a, const CLessonRecord& b, int field);

    // Public for the database reader, which fills records in place.
    uint64_t m_id = 0;
    std::string m_title;
    std::string m_subtitle;
    uint16_t m_style = lessonStyleGeneral;
    uint8_t m_level = lessonLevelBeginner;
    std::string m_author;
    std::string m_copyright;
    QString m_path;
    COleDateTime m_dateAdded;
    FILETIME m_lastWriteTime = 0;
    std::string m_checksum;
    uint8_t m_rating = 0;
};
