#pragma once
// One catalogued song: the descriptive fields of its file's header plus what the library
// adds (run-time id, path, date added, last write time, checksum, rating). A plain value:
// the database owns every record, everyone else holds plain pointers.

#include "cordalib/library/FileChangeMask.h"

#include "qvsystem/platform/FileTime.h"
#include "qvsystem/platform/OleDateTime.h"

#include <QString>

#include <cstdint>
#include <string>

// Fields in column order; Compare and the song recordset number them so.
enum songField : int {
    songFieldId = 0,
    songFieldTitle,
    songFieldArtist,
    songFieldAlbum,
    songFieldYear,
    songFieldTraditional,
    songFieldComposer,
    songFieldLyricist,
    songFieldArranger,
    songFieldTranscriber,
    songFieldCopyright,
    songFieldPath,
    songFieldDateAdded,
    songFieldLastWriteTime,
    songFieldChecksum,
    songFieldRating,
    songFieldCount
};

class CCordaFileHeader;

class CSongRecord {
public:
    CSongRecord() = default;
    // Null texts stand for empty ones.
    CSongRecord(uint64_t id, const char* title, const char* artist, const char* album, uint16_t year,
                bool traditional, const char* composer, const char* lyricist, const char* arranger,
                const char* transcriber, const char* copyright, const QString& path,
                const COleDateTime& dateAdded, FILETIME lastWriteTime, const char* checksum, uint8_t rating);

    uint64_t GetId() const { return m_id; }
    void SetId(uint64_t id) { m_id = id; }

    const std::string& GetTitle() const { return m_title; }
    void SetTitle(std::string text) { m_title = std::move(text); }
    const std::string& GetArtist() const { return m_artist; }
    void SetArtist(std::string text) { m_artist = std::move(text); }
    const std::string& GetAlbum() const { return m_album; }
    void SetAlbum(std::string text) { m_album = std::move(text); }
    uint16_t GetYear() const { return m_year; }
    void SetYear(uint16_t year) { m_year = year; }
    bool IsTraditional() const { return m_traditional; }
    void SetTraditional(bool traditional) { m_traditional = traditional; }
    const std::string& GetComposer() const { return m_composer; }
    void SetComposer(std::string text) { m_composer = std::move(text); }
    const std::string& GetLyricist() const { return m_lyricist; }
    void SetLyricist(std::string text) { m_lyricist = std::move(text); }
    const std::string& GetArranger() const { return m_arranger; }
    void SetArranger(std::string text) { m_arranger = std::move(text); }
    const std::string& GetTranscriber() const { return m_transcriber; }
    void SetTranscriber(std::string text) { m_transcriber = std::move(text); }
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

    // "Yes" or "No".
    const QString& GetTraditionalText() const;

    // The shell's open verb on the file, or on its folder.
    bool OpenFile() const;
    bool OpenFolder() const;

    // Transfer to and from the tablature file. The error text (when given) is emptied
    // first and receives the failure's description when showErrors is false; with
    // showErrors the failure is shown in a warning box.
    // Takes the header's fields when the file is a song; stores the file's checksum.
    bool ReadFromFile(bool showErrors, QString* errorText = nullptr);
    // What ReadFromFile takes, from a header already read with the file's last write time
    // (0: none) and checksum (empty: none). False, with nothing taken, for a header of the
    // other kind.
    bool TakeFromHeader(const CCordaFileHeader& header, FILETIME lastWriteTime, const std::string& checksum);
    // The fileChangeMask bits of what differs between the record and its file.
    unsigned CompareWithFile(bool showErrors, QString* errorText = nullptr) const;
    // Rewrites the file's header from the record, keeping every byte after it; then
    // takes the new file's last write time and checksum.
    bool WriteToFile(bool showErrors, QString* errorText = nullptr);
    // Rewrites only the fields named in fields (FieldBit of songField) over the file's
    // current header, so a change made to the file's other fields since the record was
    // taken survives; every byte after the header is kept. Afterwards the record holds what
    // the file now holds: all its header fields, its last write time and checksum. A file
    // of the other kind is refused with its cause text.
    bool WriteFieldsToFile(unsigned fields, bool showErrors, QString* errorText = nullptr);
    static constexpr unsigned FieldBit(int field) { return 1u << field; }

    // The order of two records by one field (songField): <0, 0, >0. Texts collate
    // case-insensitively in the user's locale.
    static int Compare(const CSongRecord& a, const CSongRecord& b, int field);

    // Public for the database reader, which fills records in place.
    uint64_t m_id = 0;
    std::string m_title;
    std::string m_artist;
    std::string m_album;
    uint16_t m_year = 0;
    bool m_traditional = false;
    std::string m_composer;
    std::string m_lyricist;
    std::string m_arranger;
    std::string m_transcriber;
    std::string m_copyright;
    QString m_path;
    COleDateTime m_dateAdded;
    FILETIME m_lastWriteTime = 0;
    std::string m_checksum;
    uint8_t m_rating = 0;
};
