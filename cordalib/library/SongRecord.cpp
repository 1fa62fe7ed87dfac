#include "cordalib/library/SongRecord.h"

#include "cordalib/library/LessonTypes.h"
#include "cordalib/library/RecordSupport.h"

using namespace RecordSupport;

CSongRecord::CSongRecord(uint64_t id, const char* title, const char* artist, const char* album, uint16_t year,
                         bool traditional, const char* composer, const char* lyricist, const char* arranger,
                         const char* transcriber, const char* copyright, const QString& path,
                         const COleDateTime& dateAdded, FILETIME lastWriteTime, const char* checksum,
                         uint8_t rating)
    : m_id(id), m_title(TextOrEmpty(title)), m_artist(TextOrEmpty(artist)), m_album(TextOrEmpty(album)),
      m_year(year), m_traditional(traditional), m_composer(TextOrEmpty(composer)),
      m_lyricist(TextOrEmpty(lyricist)), m_arranger(TextOrEmpty(arranger)),
      m_transcriber(TextOrEmpty(transcriber)), m_copyright(TextOrEmpty(copyright)),
      m_path(path.isNull() ? QString(QLatin1String("")) : path), m_dateAdded(dateAdded),
      m_lastWriteTime(lastWriteTime), m_checksum(TextOrEmpty(checksum)), m_rating(rating)
{
}

bool CSongRecord::SetPath(const QString& path)
{
    if (path.isNull())
        return false;
    m_path = path;
    return true;
}

bool CSongRecord::SetChecksum(const char* checksum)
{
    if (!checksum)
        return false;
    m_checksum = checksum;
    return true;
}

bool CSongRecord::SetChecksum(const std::string& checksum)
{
    m_checksum = checksum;
    return true;
}

COleDateTime CSongRecord::GetDateAddedLocal() const
{
    return UtcToLocalOrZero(m_dateAdded);
}

const QString& CSongRecord::GetTraditionalText() const
{
    return ::GetTraditionalText(m_traditional);
}

int CSongRecord::Compare(const CSongRecord& a, const CSongRecord& b, int field)
{
    switch (field) {
    case songFieldId:
        return CompareNumbers(a.m_id, b.m_id);
    case songFieldTitle:
        return CompareTexts(a.m_title, b.m_title);
    case songFieldArtist:
        return CompareTexts(a.m_artist, b.m_artist);
    case songFieldAlbum:
        return CompareTexts(a.m_album, b.m_album);
    case songFieldYear:
        return CompareNumbers(a.m_year, b.m_year);
    case songFieldTraditional:
        return CompareNumbers<int>(a.m_traditional, b.m_traditional);
    case songFieldComposer:
        return CompareTexts(a.m_composer, b.m_composer);
    case songFieldLyricist:
        return CompareTexts(a.m_lyricist, b.m_lyricist);
    case songFieldArranger:
        return CompareTexts(a.m_arranger, b.m_arranger);
    case songFieldTranscriber:
        return CompareTexts(a.m_transcriber, b.m_transcriber);
    case songFieldCopyright:
        return CompareTexts(a.m_copyright, b.m_copyright);
    case songFieldPath:
        return ComparePaths(a.m_path, b.m_path);
    case songFieldDateAdded:
        return CompareDates(a.m_dateAdded, b.m_dateAdded);
    case songFieldLastWriteTime:
        return CompareFileTime(a.m_lastWriteTime, b.m_lastWriteTime);
    case songFieldChecksum:
        return CompareTexts(a.m_checksum, b.m_checksum);
    case songFieldRating:
        return CompareNumbers(a.m_rating, b.m_rating);
    default:
        return 0;
    }
}
