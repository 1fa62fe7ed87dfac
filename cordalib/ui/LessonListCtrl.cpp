#include "cordalib/ui/LessonListCtrl.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/ui/LessonSummaryListBox.h"
#include "cordalib/ui/WaitCursor.h"
#include "qvsystem/platform/CodePage.h"

#include <iterator>

namespace {

constexpr CRecordColumnDefinition LESSON_COLUMNS[] = {
    {CLessonListCtrl::lessonColumnNumber, IDS_COLUMN_NUMBER, 32, LVCFMT_CENTER},
    {CLessonListCtrl::lessonColumnTitle, IDS_COLUMN_TITLE, 220, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnSubtitle, IDS_COLUMN_SUBTITLE, 170, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnStyle, IDS_COLUMN_STYLE, 100, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnLevel, IDS_COLUMN_LEVEL, 100, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnAuthor, IDS_COLUMN_AUTHOR, 150, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnCopyright, IDS_COLUMN_COPYRIGHT, 200, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnFileName, IDS_COLUMN_FILE_NAME, 220, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnDateAdded, IDS_COLUMN_DATE_ADDED, 130, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnLastModified, IDS_COLUMN_LAST_MODIFIED, 130, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnChecksum, IDS_COLUMN_CHECKSUM, 100, LVCFMT_LEFT},
    {CLessonListCtrl::lessonColumnRating, IDS_COLUMN_RATING, 70, LVCFMT_LEFT},
};
static_assert(std::size(LESSON_COLUMNS) == CLessonListCtrl::LESSON_COLUMN_COUNT);

const std::string* TextField(const CLessonRecord& lesson, int trueColumn)
{
    switch (trueColumn) {
    case CLessonListCtrl::lessonColumnTitle:
        return &lesson.GetTitle();
    case CLessonListCtrl::lessonColumnSubtitle:
        return &lesson.GetSubtitle();
    case CLessonListCtrl::lessonColumnAuthor:
        return &lesson.GetAuthor();
    case CLessonListCtrl::lessonColumnCopyright:
        return &lesson.GetCopyright();
    case CLessonListCtrl::lessonColumnChecksum:
        return &lesson.GetChecksum();
    default:
        return nullptr;
    }
}

} // namespace

CLessonListCtrl::CLessonListCtrl(QWidget* parent, CLibraryDatabase* database)
    : CRecordListCtrl(database, parent)
{
}

CLessonListCtrl::~CLessonListCtrl()
{
    SetSummaryBoxes(nullptr, nullptr);
}

void CLessonListCtrl::SetSummaryBoxes(CLessonStyleSummaryListBox* styles, CLessonLevelSummaryListBox* levels)
{
    if (m_pStyles)
        m_pStyles->Attach(nullptr, nullptr, nullptr);
    if (m_pLevels)
        m_pLevels->Attach(nullptr, nullptr, nullptr);
    m_pStyles = styles && levels ? styles : nullptr;
    m_pLevels = styles && levels ? levels : nullptr;
    if (m_pStyles) {
        m_pStyles->Attach(this, nullptr, m_pLevels);
        m_pLevels->Attach(this, m_pStyles, nullptr);
    }
}

CLessonRecord* CLessonListCtrl::GetRecord(int row) const
{
    return row < 0 ? nullptr : m_recordset.Get(static_cast<size_t>(row));
}

int CLessonListCtrl::GetRecordCount() const
{
    return static_cast<int>(m_recordset.GetCount());
}

int CLessonListCtrl::GetRating(int row) const
{
    const CLessonRecord* lesson = GetRecord(row);
    return lesson ? lesson->GetRating() : -1;
}

bool CLessonListCtrl::SetRecordRating(int row, int rating, CLibraryDatabase* database)
{
    CLessonRecord* lesson = GetRecord(row);
    if (!lesson)
        return false;
    lesson->SetRating(static_cast<uint8_t>(rating));
    if (database)
        database->NoteLessonChanged(lesson);
    return true;
}

QString CLessonListCtrl::GetRecordText(int row, int trueColumn) const
{
    const CLessonRecord* lesson = GetRecord(row);
    if (!lesson)
        return QString();
    if (const std::string* text = TextField(*lesson, trueColumn))
        return RecordText(*text);
    switch (trueColumn) {
    case lessonColumnNumber:
        return QString::number(row + 1);
    case lessonColumnStyle:
        return lesson->GetStyleName();
    case lessonColumnLevel:
        return lesson->GetLevelName();
    case lessonColumnFileName:
        return lesson->GetPath().left(MAX_DISPLAY_TEXT);
    case lessonColumnDateAdded:
        return DateText(lesson->GetDateAdded());
    case lessonColumnLastModified:
        return FileTimeText(lesson->GetLastWriteTime());
    case lessonColumnRating:
        return QString::number(lesson->GetRating());
    default:
        return QString();
    }
}

QString CLessonListCtrl::GetTypeAheadText(int row, int trueColumn, int length) const
{
    const CLessonRecord* lesson = GetRecord(row);
    if (!lesson)
        return QString();
    if (const std::string* text = TextField(*lesson, trueColumn))
        return RecordText(*text, length);
    return GetRecordText(row, trueColumn);
}

std::span<const CRecordColumnDefinition> CLessonListCtrl::GetColumnDefinitions() const
{
    return LESSON_COLUMNS;
}

QString CLessonListCtrl::GetStateKey() const
{
    return QStringLiteral("Window Settings\\Lesson List View");
}

void CLessonListCtrl::SortRecordset(int trueColumn, bool ascending)
{
    if (trueColumn < 0)
        m_recordset.ClearSortColumn();
    else
        m_recordset.Sort(trueColumn, ascending, true);
}

bool CLessonListCtrl::RebuildSummaries()
{
    if (!m_pStyles || !m_pLevels)
        return false;
    const bool suppressed = IsRestoreSuppressed();
    SetRestoreSuppressed(true);
    const unsigned before = m_pStyles->GetKey();
    m_pStyles->Rebuild();
    if (m_pStyles->GetKey() == LESSON_STYLE_ALL && before != LESSON_STYLE_ALL)
        m_pLevels->SelectKey(LESSON_LEVEL_ALL, false);
    m_pLevels->Rebuild();
    SetRestoreSuppressed(suppressed);
    return true;
}

bool CLessonListCtrl::ApplySearch(const QString& text, int field, bool force)
{
    if (field < 0 || field >= LESSON_SEARCH_FIELD_COUNT)
        return false;
    CLibraryDatabase* database = GetDatabase();
    const uint64_t revision = database ? database->GetRevision() : 0;
    // The rows point into the library: once it changed they are taken again.
    if (!force && m_bSearched && text == m_strSearchText && field == m_nSearchField &&
        database == m_pSearchedDatabase && revision == m_searchedRevision)
        return true;

    const CWaitCursor wait;
    SaveSelection();
    BeginRebuild();
    m_bSearching = true;
    std::vector<CLessonRecord*> found;
    if (database)
        m_searchIndex.FindLessons(*database, AfxUnicodeToAnsi(text), field, found);
    m_recordset.SetBaseSet(std::move(found));

    const bool boxes = RebuildSummaries();
    unsigned style = LESSON_STYLE_ALL;
    unsigned level = LESSON_LEVEL_ALL;
    if (boxes) {
        style = CLessonSummaryListBox::KeyOrAll(m_pStyles->GetKey(), LESSON_STYLE_ALL);
        level = CLessonSummaryListBox::KeyOrAll(m_pLevels->GetKey(), LESSON_LEVEL_ALL);
    }
    m_recordset.ClearSortColumn();
    m_recordset.Filter(style, level, true);
    SortRecordset(GetSortColumn(), IsSortAscending());

    m_strSearchText = text;
    m_nSearchField = field;
    m_bSearched = true;
    m_pSearchedDatabase = database;
    m_searchedRevision = revision;
    m_bSearching = false;
    EndRebuild();
    if (!IsRestoreSuppressed() && !IsRebuilding())
        RestoreSelection(true, true);
    viewport()->update();
    return boxes;
}

bool CLessonListCtrl::ApplySummaryFilter(unsigned style, unsigned level, bool force)
{
    if (m_bSearching)
        return true;
    const CWaitCursor wait;
    SaveSelection();
    BeginRebuild();
    const bool filtered = m_recordset.Filter(style, level, force);
    EndRebuild();
    if (!IsRestoreSuppressed() && !IsRebuilding())
        RestoreSelection(true, true);
    viewport()->update();
    return filtered;
}
