#pragma once
// "Edit Song": the descriptive fields of one song (single mode, with navigation through the
// list) or of several songs at once (multi-edit mode, a check box per field).

#include "cordalib/ui/EditRecordDlg.h"

#include "cordalib/library/Recordset.h"

#include <vector>

class CCordaLibrarianApp;

class CEditSongDlg : public CEditRecordDlg {
    Q_OBJECT

public:
    // selectedRows: ascending indices into the recordset's visible list; focusedRow: the
    // focused one (the record shown first in single mode).
    CEditSongDlg(CCordaLibrarianApp& app, CSongRecordset& recordset, std::vector<int> selectedRows,
                 int focusedRow, QWidget* parent);
    ~CEditSongDlg() override;

private:
    CSongRecordset& m_recordset;
};
