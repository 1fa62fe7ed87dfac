#pragma once
// The header at the start of every tablature file (.crd): its kind (song or lesson) and
// descriptive fields, in four format versions. The music data after the header is never
// interpreted here.
//
// Versions 1 to 3 are songs in a legacy layout whose release is one code plus a title, a
// flag and a year; reading maps them onto the version 4 release fields and writing
// rebuilds them, so a file is always rewritten in the version it was read in.

#include "cordalib/library/CordaFileException.h"

#include "qvsystem/platform/FileTime.h"

#include <QString>

#include <cstdint>
#include <string>

class CArchive;

enum cordaFileType : uint8_t { cordaFileSong = 0, cordaFileLesson = 1 };

class CCordaFileHeader {
public:
    // "crda" as the little-endian u32 at offset 0.
    static constexpr uint32_t FILE_TAG = 0x61647263u;
    static constexpr uint16_t CURRENT_VERSION = 4;

    CCordaFileHeader();

    // Back to the defaults of a new header.
    void Reset();

    // Reads one header from a loading archive. Throws CCordaFileException (bad tag,
    // version or file type) or the archive's exceptions (truncated data).
    void Read(CArchive& archive);
    // Writes the header in the layout of its own version.
    void Write(CArchive& archive) const;

    uint16_t GetVersion() const { return m_version; }
    void SetVersion(uint16_t version) { m_version = version; }
    uint8_t GetFileType() const { return m_fileType; }
    void SetFileType(uint8_t type) { m_fileType = type; }
    uint8_t GetContentByte() const { return m_contentByte; }

    const std::string& GetTitle() const { return m_title; }
    bool SetTitle(const char* text) { return SetText(m_title, text); }
    bool SetTitle(const std::string& text) { return SetText(m_title, text); }
    const std::string& GetArtist() const { return m_artist; }
    bool SetArtist(const char* text) { return SetText(m_artist, text); }
    bool SetArtist(const std::string& text) { return SetText(m_artist, text); }

    // Which release block the header holds: 0 an album (kind, title, year, flag), 1 a
    // title and a flag, 2 a title and a date, 3 none.
    uint8_t GetReleaseType() const { return m_releaseType; }
    void SetReleaseType(uint8_t type) { m_releaseType = type; }
    // The title of the current release (empty for release type 3).
    std::string GetAlbum() const;
    // Stores into the title of the current release; refused for release type 3.
    bool SetAlbum(const char* text);
    bool SetAlbum(const std::string& text);

    uint8_t GetAlbumKind() const { return m_albumKind; }
    const std::string& GetAlbumTitle() const { return m_albumTitle; }
    uint16_t GetAlbumYear() const { return m_albumYear; }
    void SetAlbumYear(uint16_t year) { m_albumYear = year; }
    uint8_t GetAlbumFlag() const { return m_albumFlag; }
    const std::string& GetRelease1Title() const { return m_release1Title; }
    uint8_t GetRelease1Flag() const { return m_release1Flag; }
    const std::string& GetRelease2Title() const { return m_release2Title; }
    uint16_t GetRelease2Date(int index) const { return index >= 0 && index < 3 ? m_release2Date[index] : 0; }

    // 0: composer and lyricist given; 1: traditional.
    uint8_t GetAuthorshipType() const { return m_authorshipType; }
    bool SetAuthorshipType(uint8_t type);
    const std::string& GetComposer() const { return m_composer; }
    bool SetComposer(const char* text) { return SetText(m_composer, text); }
    bool SetComposer(const std::string& text) { return SetText(m_composer, text); }
    const std::string& GetLyricist() const { return m_lyricist; }
    bool SetLyricist(const char* text) { return SetText(m_lyricist, text); }
    bool SetLyricist(const std::string& text) { return SetText(m_lyricist, text); }
    const std::string& GetArranger() const { return m_arranger; }
    bool SetArranger(const char* text) { return SetText(m_arranger, text); }
    bool SetArranger(const std::string& text) { return SetText(m_arranger, text); }
    const std::string& GetTranscriberA() const { return m_transcriberA; }
    bool SetTranscriberA(const char* text) { return SetText(m_transcriberA, text); }
    bool SetTranscriberA(const std::string& text) { return SetText(m_transcriberA, text); }
    const std::string& GetTranscriberB() const { return m_transcriberB; }
    bool SetTranscriberB(const char* text) { return SetText(m_transcriberB, text); }
    bool SetTranscriberB(const std::string& text) { return SetText(m_transcriberB, text); }
    // Both transcribers as one text: "A :: B" when both are given and differ.
    std::string GetTranscriber() const;
    const std::string& GetCopyright() const { return m_copyright; }
    bool SetCopyright(const char* text) { return SetText(m_copyright, text); }
    bool SetCopyright(const std::string& text) { return SetText(m_copyright, text); }
    const std::string& GetExtraText(int index) const;

    const std::string& GetLessonTitle() const { return m_lessonTitle; }
    bool SetLessonTitle(const char* text) { return SetText(m_lessonTitle, text); }
    bool SetLessonTitle(const std::string& text) { return SetText(m_lessonTitle, text); }
    const std::string& GetLessonSubtitle() const { return m_lessonSubtitle; }
    bool SetLessonSubtitle(const char* text) { return SetText(m_lessonSubtitle, text); }
    bool SetLessonSubtitle(const std::string& text) { return SetText(m_lessonSubtitle, text); }
    uint16_t GetLessonStyle() const { return m_lessonStyle; }
    bool SetLessonStyle(uint16_t style); // 0..18
    uint8_t GetLessonLevel() const { return m_lessonLevel; }
    bool SetLessonLevel(uint8_t level); // 0..2
    const std::string& GetLessonAuthor() const { return m_lessonAuthor; }
    bool SetLessonAuthor(const char* text) { return SetText(m_lessonAuthor, text); }
    bool SetLessonAuthor(const std::string& text) { return SetText(m_lessonAuthor, text); }
    const std::string& GetLessonExtraText() const { return m_lessonExtraText; }
    const std::string& GetLessonCopyright() const { return m_lessonCopyright; }
    bool SetLessonCopyright(const char* text) { return SetText(m_lessonCopyright, text); }
    bool SetLessonCopyright(const std::string& text) { return SetText(m_lessonCopyright, text); }

    uint8_t GetLegacyCode() const { return m_legacyCode; }
    const std::string& GetLegacyTitle() const { return m_legacyTitle; }
    uint8_t GetLegacyFlag() const { return m_legacyFlag; }
    uint16_t GetLegacyYear() const { return m_legacyYear; }

private:
    static bool SetText(std::string& field, const char* text);
    static bool SetText(std::string& field, const std::string& text);
    void ReadSong4(CArchive& archive);
    void ReadLesson4(CArchive& archive);
    void ReadLegacy(CArchive& archive);
    void MapLegacyFields();
    void WriteSong4(CArchive& archive) const;
    void WriteLesson4(CArchive& archive) const;
    void WriteLegacy(CArchive& archive) const;

    uint16_t m_version;
    uint8_t m_fileType;
    uint8_t m_contentByte; // carried unchanged
    std::string m_title;
    std::string m_artist;
    uint8_t m_releaseType;
    // Release type 0: an album.
    uint8_t m_albumKind;
    std::string m_albumTitle;
    uint16_t m_albumYear;
    uint8_t m_albumFlag;
    // Release type 1: a title and a flag.
    std::string m_release1Title;
    uint8_t m_release1Flag;
    // Release type 2: a title and a date (three numbers).
    std::string m_release2Title;
    uint16_t m_release2Date[3];
    uint8_t m_authorshipType;
    std::string m_composer;
    std::string m_lyricist;
    std::string m_arranger;
    std::string m_transcriberA;
    std::string m_transcriberB;
    std::string m_copyright;
    std::string m_extraTexts[3]; // carried unchanged
    std::string m_lessonTitle;
    std::string m_lessonSubtitle;
    uint16_t m_lessonStyle;
    uint8_t m_lessonLevel;
    std::string m_lessonAuthor;
    std::string m_lessonExtraText; // carried unchanged
    std::string m_lessonCopyright;
    // Versions 1 to 3 only.
    uint8_t m_legacyCode;
    std::string m_legacyTitle;
    uint8_t m_legacyFlag;
    uint16_t m_legacyYear;
};

// Reads a file's header and, on request, its last write time and whole-file checksum,
// without any message. The header is reset first, the error text emptied; on failure the
// error text tells why.
bool ReadHeaderFromFile(const QString& path, CCordaFileHeader& header, FILETIME* lastWriteTime,
                        std::string* checksum, QString* errorText);
