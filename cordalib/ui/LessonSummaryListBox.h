#pragma once
// The style and level boxes above the lesson list: the twins of the artist and album boxes
// (SongSummaryListBox.h) over numbers. Row 0 is "All styles (n)" / "All levels (n)"; row i
// shows "name (lessons)", styles ordered by their names, levels by number.
//
// Keys: the all key (LESSON_STYLE_ALL = 65534, LESSON_LEVEL_ALL = 254) for row 0, the style
// or level number for a row, the none key (65535, 255) when no row is selected.

#include "cordalib/library/Recordset.h"
#include "cordalib/ui/VirtualListBox.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CLessonListCtrl;
class CLessonRecord;

class CLessonSummaryListBox : public CVirtualListBox {
    Q_OBJECT

public:
    static constexpr unsigned NO_STYLE = 0xFFFF;
    static constexpr unsigned NO_LEVEL = 0xFF;

    ~CLessonSummaryListBox() override;

    // As the song boxes': rows from the owning list's base set, the key selected again.
    void Rebuild();
    // The all key selects row 0; a value (accepted only below the box's value limit, 19
    // styles or 3 levels) its row. The row, or -1 (nothing changed).
    int SelectKey(unsigned key, bool makeVisible);
    unsigned GetKey() const;
    unsigned GetAllKey() const { return m_nAllKey; }
    unsigned GetNoneKey() const { return m_nNoneKey; }
    // The none key counts as the all key.
    static unsigned KeyOrAll(unsigned key, unsigned allKey) { return key > allKey ? allKey : key; }

    void SetSuppressSelectionHandling(bool suppress) { m_bSuppressSelectionHandling = suppress; }
    bool IsSuppressSelectionHandling() const { return m_bSuppressSelectionHandling; }

    virtual size_t GetValueCount() const = 0;
    virtual unsigned GetValue(size_t index) const = 0;
    virtual uint64_t GetValueRecordCount(size_t index) const = 0;
    virtual QString GetValueName(unsigned value) const = 0;
    int FindValueRow(unsigned value) const;

    void Attach(CLessonListCtrl* list, CLessonSummaryListBox* first, CLessonSummaryListBox* second);
    CLessonListCtrl* GetOwnerList() const { return m_pList; }

    QString GetRowText(int row) const override;
    QString GetFindText(int row, int length) const override;

protected:
    CLessonSummaryListBox(int controlId, unsigned allTextId, unsigned allKey, unsigned noneKey,
                          unsigned valueLimit, QWidget* parent);

    virtual void BuildValues(const std::vector<CLessonRecord*>& lessons) = 0;
    virtual unsigned GetLessonValue(const CLessonRecord& lesson) const = 0;

    void OnRowSelected(int row) override;

private:
    bool IsSpecificKey(unsigned key) const { return key < m_nValueLimit; }

    CLessonListCtrl* m_pList = nullptr;
    CLessonSummaryListBox* m_pFirst = nullptr;
    CLessonSummaryListBox* m_pSecond = nullptr;
    unsigned m_nAllTextId;
    unsigned m_nAllKey;
    unsigned m_nNoneKey;
    unsigned m_nValueLimit;
    bool m_bSuppressSelectionHandling = false;
};

class CLessonStyleSummaryListBox : public CLessonSummaryListBox {
    Q_OBJECT

public:
    static constexpr int CONTROL_ID = 75;

    explicit CLessonStyleSummaryListBox(QWidget* parent = nullptr);
    ~CLessonStyleSummaryListBox() override;

    size_t GetValueCount() const override { return m_summary.GetCount(); }
    unsigned GetValue(size_t index) const override;
    uint64_t GetValueRecordCount(size_t index) const override;
    QString GetValueName(unsigned value) const override;
    const CLessonStyleSummaryRecordset& GetSummary() const { return m_summary; }

protected:
    void BuildValues(const std::vector<CLessonRecord*>& lessons) override { m_summary.Build(lessons); }
    unsigned GetLessonValue(const CLessonRecord& lesson) const override;

private:
    CLessonStyleSummaryRecordset m_summary;
};

class CLessonLevelSummaryListBox : public CLessonSummaryListBox {
    Q_OBJECT

public:
    static constexpr int CONTROL_ID = 76;

    explicit CLessonLevelSummaryListBox(QWidget* parent = nullptr);
    ~CLessonLevelSummaryListBox() override;

    size_t GetValueCount() const override { return m_summary.GetCount(); }
    unsigned GetValue(size_t index) const override;
    uint64_t GetValueRecordCount(size_t index) const override;
    QString GetValueName(unsigned value) const override;
    const CLessonLevelSummaryRecordset& GetSummary() const { return m_summary; }

protected:
    void BuildValues(const std::vector<CLessonRecord*>& lessons) override { m_summary.Build(lessons); }
    unsigned GetLessonValue(const CLessonRecord& lesson) const override;

private:
    CLessonLevelSummaryRecordset m_summary;
};
