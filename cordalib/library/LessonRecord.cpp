#include "cordalib/library/LessonRecord.h"

#include "cordalib/library/RecordSupport.h"

using namespace RecordSupport;

CLessonRecord::CLessonRecord(uint64_t id, const char* title, const char* subtitle, uint16_t style,
                             uint8_t level, const char* author, const char* copyright, const QString& path,
                             const COleDateTime& dateAdded, FILETIME lastWriteTime, const char* checksum,
                             uint8_t rating)
    : m_id(id), m_title(TextOrEmpty(title)), m_subtitle(TextOrEmpty(subtitle)), m_style(style),
      m_level(level), m_author(TextOrEmpty(author)), m_copyright(TextOrEmpty(copyright)),
      m_path(path.isNull() ? QString(QLatin1String("")) : path), m_dateAdded(dateAdded),
      m_lastWriteTime(lastWriteTime), m_checksum(TextOrEmpty(checksum)), m_rating(rating)
{
}

bool CLessonRecord::SetPath(const QString& path)
{
    if (path.isNull())
        return false;
    m_path = path;
    return true;
}

bool CLessonRecord::SetChecksum(const char* checksum)
{
    if (!checksum)
        return false;
    m_checksum = checksum;
    return true;
}

bool CLessonRecord::SetChecksum(const std::string& checksum)
{
    m_checksum = checksum;
    return true;
}

COleDateTime CLessonRecord::GetDateAddedLocal() const
{
    return UtcToLocalOrZero(m_dateAdded);
}

int CLessonRecord::Compare(const CLessonRecord& a, const CLessonRecord& b, int field)
{
    switch (field) {
    case lessonFieldId:
        return CompareNumbers(a.m_id, b.m_id);
    case lessonFieldTitle:
        return CompareTexts(a.m_title, b.m_title);
    case lessonFieldSubtitle:
        return CompareTexts(a.m_subtitle, b.m_subtitle);
    case lessonFieldStyle:
        return CompareNumbers(GetLessonStyleSortRank(a.m_style), GetLessonStyleSortRank(b.m_style));
    case lessonFieldLevel:
        return CompareNumbers(a.m_level, b.m_level);
    case lessonFieldAuthor:
        return CompareTexts(a.m_author, b.m_author);
    case lessonFieldCopyright:
        return CompareTexts(a.m_copyright, b.m_copyright);
    case lessonFieldPath:
        return ComparePaths(a.m_path, b.m_path);
    case lessonFieldDateAdded:
        return CompareDates(a.m_dateAdded, b.m_dateAdded);
    case lessonFieldLastWriteTime:
        return CompareFileTime(a.m_lastWriteTime, b.m_lastWriteTime);
    case lessonFieldChecksum:
        return CompareTexts(a.m_checksum, b.m_checksum);
    case lessonFieldRating:
        return CompareNumbers(a.m_rating, b.m_rating);
    default:
        return 0;
    }
}
