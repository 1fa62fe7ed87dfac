#pragma once
// What the song and lesson edit dialogs share: the navigation row, the information bar, the
// file name and folder, the single and multi-edit modes.

#include "qvsystem/controls/QVDialog.h"

#include <vector>

class CCordaLibrarianApp;

class CEditRecordDlg : public CQVDialog {
    Q_OBJECT

public:
    CEditRecordDlg(CCordaLibrarianApp& app, std::vector<int> selectedRows, int focusedRow, QWidget* parent);
    ~CEditRecordDlg() override;

    bool IsMultiEdit() const { return m_selectedRows.size() > 1; }

protected:
    CCordaLibrarianApp& m_app;
    std::vector<int> m_selectedRows;
    int m_position;
};
