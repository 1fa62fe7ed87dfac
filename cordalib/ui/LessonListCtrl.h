#pragma once
// The lesson list: twelve columns over the library's lessons, narrowed by the search text
// and field and by the style and level boxes, sorted by its sort column. The twin of the
// song list (SongListCtrl.h), with style and level numbers as the summary keys:
// LESSON_STYLE_ALL / LESSON_LEVEL_ALL for any, 65535 / 255 for no selection.

#include "cordalib/app/RecordSearch.h"
#include "cordalib/ui/ListRecordset.h"
#include "cordalib/ui/RecordListCtrl.h"

#include <QString>

#include <cstdint>

class CLessonStyleSummaryListBox;
class CLessonLevelSummaryListBox;

class CLessonListCtrl : public CRecordListCtrl {
    Q_OBJECT

public:
    // True columns.
    enum lessonColumns {
        lessonColumnNumber = 0,
        lessonColumnTitle,
        lessonColumnSubtitle,
        lessonColumnStyle,
        lessonColumnLevel,
        lessonColumnAuthor,
        lessonColumnCopyright,
        lessonColumnFileName,
        lessonColumnDateAdded,
        lessonColumnLastModified,
        lessonColumnChecksum,
        lessonColumnRating,
        LESSON_COLUMN_COUNT
    };

    // database: the library the rows point into; null takes the running application's.
    explicit CLessonListCtrl(QWidget* parent = nullptr, CLibraryDatabase* database = nullptr);
    ~CLessonListCtrl() override;

    // The boxes whose style and level narrow the list (the lesson header pane's). Null for
    // either detaches both.
    void SetSummaryBoxes(CLessonStyleSummaryListBox* styles, CLessonLevelSummaryListBox* levels);
    CLessonStyleSummaryListBox* GetStyleBox() const { return m_pStyles; }
    CLessonLevelSummaryListBox* GetLevelBox() const { return m_pLevels; }

    // As the song list's, with the lesson search fields (lessonSearchFields).
    bool ApplySearch(const QString& text, int field, bool force);
    // Narrows the base set to a style (below 19, or LESSON_STYLE_ALL) and a level (below 3,
    // or LESSON_LEVEL_ALL); other values are refused.
    bool ApplySummaryFilter(unsigned style, unsigned level, bool force);
    // Rebuilds both boxes from the base set, the level box after the style box; when the
    // style box falls back to "All styles", the level box does too. False without boxes.
    bool RebuildSummaries();
    bool IsSearching() const { return m_bSearching; }

    const QString& GetSearchText() const { return m_strSearchText; }
    int GetSearchField() const { return m_nSearchField; }

    CLessonListRecordset& GetRecordset() { return m_recordset; }
    const CLessonListRecordset& GetRecordset() const { return m_recordset; }
    const std::vector<CLessonRecord*>& GetBaseSet() const { return m_recordset.GetAllEntries(); }
    CLessonRecord* GetRecord(int row) const;
    const CRecordSearchIndex& GetSearchIndex() const { return m_searchIndex; }

    // --- CRecordListCtrl
    int GetRecordCount() const override;
    const void* GetRecordKey(int row) const override { return GetRecord(row); }
    QString GetRecordText(int row, int trueColumn) const override;
    int GetRatingColumn() const override { return lessonColumnRating; }
    int GetRating(int row) const override;
    int GetColumnTotal() const override { return LESSON_COLUMN_COUNT; }
    std::span<const CRecordColumnDefinition> GetColumnDefinitions() const override;
    QString GetStateKey() const override;

protected:
    void SortRecordset(int trueColumn, bool ascending) override;
    QString GetTypeAheadText(int row, int trueColumn, int length) const override;
    bool SetRecordRating(int row, int rating, CLibraryDatabase* database) override;

private:
    CLessonListRecordset m_recordset;
    CRecordSearchIndex m_searchIndex;
    CLessonStyleSummaryListBox* m_pStyles = nullptr;
    CLessonLevelSummaryListBox* m_pLevels = nullptr;
    QString m_strSearchText;
    int m_nSearchField = lessonSearchAll;
    bool m_bSearched = false;
    bool m_bSearching = false;
    const CLibraryDatabase* m_pSearchedDatabase = nullptr;
    uint64_t m_searchedRevision = 0;
};
