#include "cordalib/ui/EditSongDlg.h"

CEditSongDlg::CEditSongDlg(CCordaLibrarianApp& app, CSongRecordset& recordset, std::vector<int> selectedRows,
                           int focusedRow, QWidget* parent)
    : CEditRecordDlg(app, std::move(selectedRows), focusedRow, parent), m_recordset(recordset)
{
    setWindowTitle(tr("Edit Song"));
}

CEditSongDlg::~CEditSongDlg() = default;
