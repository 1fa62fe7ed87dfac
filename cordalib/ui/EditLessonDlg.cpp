#include "cordalib/ui/EditLessonDlg.h"

CEditLessonDlg::CEditLessonDlg(CCordaLibrarianApp& app, CLessonRecordset& recordset,
                               std::vector<int> selectedRows, int focusedRow, QWidget* parent)
    : CEditRecordDlg(app, std::move(selectedRows), focusedRow, parent), m_recordset(recordset)
{
    setWindowTitle(tr("Edit Lesson"));
}

CEditLessonDlg::~CEditLessonDlg() = default;
