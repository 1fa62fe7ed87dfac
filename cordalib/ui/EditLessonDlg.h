#pragma once
// "Edit Lesson": the descriptive fields of one lesson (single mode, with navigation through
// the list) or of several lessons at once (multi-edit mode, a check box per field).

#include "cordalib/ui/EditRecordDlg.h"

#include "cordalib/library/Recordset.h"

#include <vector>

class CCordaLibrarianApp;

class CEditLessonDlg : public CEditRecordDlg {
    Q_OBJECT

public:
    CEditLessonDlg(CCordaLibrarianApp& app, CLessonRecordset& recordset, std::vector<int> selectedRows,
                   int focusedRow, QWidget* parent);
    ~CEditLessonDlg() override;

private:
    CLessonRecordset& m_recordset;
};
