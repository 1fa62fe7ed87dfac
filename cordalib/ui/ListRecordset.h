#pragma once
// The record set of a song or lesson list, with the two changes a list makes that the
// record set's own interface has no call for: taking a search's records as the base set
// without copying them, and leaving the order unsorted.

#include "cordalib/library/Recordset.h"

#include <utility>
#include <vector>

template <typename Base, typename Record> class CListRecordset : public Base {
public:
    // The base set becomes the records, in their order; the filtered subset is emptied.
    void SetBaseSet(std::vector<Record*>&& records)
    {
        this->m_all = std::move(records);
        this->m_filtered.clear();
        this->m_filterActive = false;
    }
    // No sort column from now on: the order stays as it is, also when a filter re-sorts.
    void ClearSortColumn()
    {
        this->m_sortColumn = -1;
        this->m_sortAscending = true;
    }
};

using CSongListRecordset = CListRecordset<CSongRecordset, CSongRecord>;
using CLessonListRecordset = CListRecordset<CLessonRecordset, CLessonRecord>;
