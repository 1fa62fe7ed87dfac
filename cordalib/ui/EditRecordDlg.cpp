#include "cordalib/ui/EditRecordDlg.h"

CEditRecordDlg::CEditRecordDlg(CCordaLibrarianApp& app, std::vector<int> selectedRows, int focusedRow,
                               QWidget* parent)
    : CQVDialog(0, parent), m_app(app), m_selectedRows(std::move(selectedRows)), m_position(focusedRow)
{
}

CEditRecordDlg::~CEditRecordDlg() = default;
