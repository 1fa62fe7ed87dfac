#include "cordalib/ui/LessonSummaryListBox.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LessonTypes.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/ui/LessonListCtrl.h"

CLessonSummaryListBox::CLessonSummaryListBox(int controlId, unsigned allTextId, unsigned allKey,
                                             unsigned noneKey, unsigned valueLimit, QWidget* parent)
    : CVirtualListBox(parent), m_nAllTextId(allTextId), m_nAllKey(allKey), m_nNoneKey(noneKey),
      m_nValueLimit(valueLimit)
{
    setObjectName(QString::number(controlId));
}

CLessonSummaryListBox::~CLessonSummaryListBox()
{
    // A box that goes before its list (the panes are torn down in any order) takes both
    // boxes off the list, so that neither the list nor the partner keeps a dangling box.
    if (m_pList)
        m_pList->SetSummaryBoxes(nullptr, nullptr);
}

void CLessonSummaryListBox::Attach(CLessonListCtrl* list, CLessonSummaryListBox* first,
                                   CLessonSummaryListBox* second)
{
    m_pList = list;
    m_pFirst = list ? first : nullptr;
    m_pSecond = list ? second : nullptr;
}

unsigned CLessonSummaryListBox::GetKey() const
{
    const int row = GetSelectedRow();
    if (row < 0)
        return m_nNoneKey;
    if (row == 0)
        return m_nAllKey;
    const size_t index = static_cast<size_t>(row - 1);
    return index < GetValueCount() ? GetValue(index) : m_nNoneKey;
}

int CLessonSummaryListBox::FindValueRow(unsigned value) const
{
    const size_t count = GetValueCount();
    for (size_t index = 0; index < count; ++index) {
        if (GetValue(index) == value)
            return static_cast<int>(index) + 1;
    }
    return -1;
}

int CLessonSummaryListBox::SelectKey(unsigned key, bool makeVisible)
{
    int row = -1;
    if (key == m_nAllKey)
        row = 0;
    else if (IsSpecificKey(key))
        row = FindValueRow(key);
    if (row < 0 || !SelectRow(row, hasFocus(), makeVisible))
        return -1;
    return row;
}

void CLessonSummaryListBox::Rebuild()
{
    const unsigned noted = GetKey();
    SetSelectionHandlingBlocked(true);
    BeginRebuild();
    if (m_pList) {
        const std::vector<CLessonRecord*>& base = m_pList->GetBaseSet();
        const unsigned firstKey = m_pFirst ? m_pFirst->GetKey() : m_nAllKey;
        if (!m_pFirst || !m_pFirst->IsSpecificKey(firstKey)) {
            BuildValues(base);
        } else {
            std::vector<CLessonRecord*> chosen;
            for (CLessonRecord* lesson : base) {
                if (m_pFirst->GetLessonValue(*lesson) == firstKey)
                    chosen.push_back(lesson);
            }
            BuildValues(chosen);
        }
    } else {
        BuildValues({});
    }
    EndRebuild(static_cast<int>(GetValueCount()) + 1);
    const int row = IsSpecificKey(noted) ? FindValueRow(noted) : 0;
    if (row < 0)
        SelectRow(0, false, true);
    else
        SelectRow(row, false, false);
    SetSelectionHandlingBlocked(false);
    FitColumnToClient();
    viewport()->update();
    const bool changed = KeyOrAll(GetKey(), m_nAllKey) != KeyOrAll(noted, m_nAllKey);
    if (changed || !m_bSuppressSelectionHandling)
        OnRowSelected(GetSelectedRow());
}

void CLessonSummaryListBox::OnRowSelected(int)
{
    if (!m_pList)
        return;
    if (m_pSecond) {
        const unsigned first = KeyOrAll(GetKey(), m_nAllKey);
        const unsigned second = m_pSecond->GetKey();
        const CLibraryDatabase* database = m_pList->GetDatabase();
        const bool kept =
            m_pSecond->IsSpecificKey(second) && database && database->ContainsLesson(first, second);
        m_pList->ApplySummaryFilter(first, kept ? second : m_pSecond->GetAllKey(), false);
        if (!m_pList->IsSearching()) {
            const bool suppressed = m_pSecond->IsSuppressSelectionHandling();
            m_pSecond->SetSuppressSelectionHandling(kept);
            m_pSecond->Rebuild();
            m_pSecond->SetSuppressSelectionHandling(suppressed);
        }
    } else if (m_pFirst) {
        m_pList->ApplySummaryFilter(KeyOrAll(m_pFirst->GetKey(), m_pFirst->GetAllKey()),
                                    KeyOrAll(GetKey(), m_nAllKey), false);
    }
}

QString CLessonSummaryListBox::GetRowText(int row) const
{
    static const QString format = LoadAppString(IDS_SUMMARY_ROW_FORMAT);
    if (row == 0)
        return AfxFormatMessage(format, LoadAppString(m_nAllTextId),
                                static_cast<unsigned long long>(GetValueCount()));
    const size_t index = static_cast<size_t>(row - 1);
    if (row < 0 || index >= GetValueCount())
        return QString();
    return AfxFormatMessage(format, GetValueName(GetValue(index)),
                            static_cast<unsigned long long>(GetValueRecordCount(index)));
}

QString CLessonSummaryListBox::GetFindText(int row, int) const
{
    const size_t index = static_cast<size_t>(row - 1);
    if (row < 1 || index >= GetValueCount())
        return QString();
    return GetValueName(GetValue(index));
}

// --- Styles

CLessonStyleSummaryListBox::CLessonStyleSummaryListBox(QWidget* parent)
    : CLessonSummaryListBox(CONTROL_ID, IDS_ALL_STYLES, LESSON_STYLE_ALL, NO_STYLE, LESSON_STYLE_COUNT,
                            parent)
{
}

CLessonStyleSummaryListBox::~CLessonStyleSummaryListBox() = default;

unsigned CLessonStyleSummaryListBox::GetValue(size_t index) const
{
    return m_summary.Get(index)->m_style;
}

uint64_t CLessonStyleSummaryListBox::GetValueRecordCount(size_t index) const
{
    return m_summary.Get(index)->m_count;
}

QString CLessonStyleSummaryListBox::GetValueName(unsigned value) const
{
    return GetLessonStyleName(value);
}

unsigned CLessonStyleSummaryListBox::GetLessonValue(const CLessonRecord& lesson) const
{
    return lesson.GetStyle();
}

// --- Levels

CLessonLevelSummaryListBox::CLessonLevelSummaryListBox(QWidget* parent)
    : CLessonSummaryListBox(CONTROL_ID, IDS_ALL_LEVELS, LESSON_LEVEL_ALL, NO_LEVEL, LESSON_LEVEL_COUNT,
                            parent)
{
}

CLessonLevelSummaryListBox::~CLessonLevelSummaryListBox() = default;

unsigned CLessonLevelSummaryListBox::GetValue(size_t index) const
{
    return m_summary.Get(index)->m_level;
}

uint64_t CLessonLevelSummaryListBox::GetValueRecordCount(size_t index) const
{
    return m_summary.Get(index)->m_count;
}

QString CLessonLevelSummaryListBox::GetValueName(unsigned value) const
{
    return GetLessonLevelName(value);
}

unsigned CLessonLevelSummaryListBox::GetLessonValue(const CLessonRecord& lesson) const
{
    return lesson.GetLevel();
}
