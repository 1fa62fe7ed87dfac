#pragma once
// The Columns dialog of a list: a check-box list of the declared columns (ticked = shown) in
// display order, Move Up and Move Down to re-order them, Reset to the declared order with
// default widths, and the width of the selected column. OK shows and hides the columns,
// applies the widths and the order; at least one column must stay ticked.

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/qvsystem_export.h"

#include <map>

class CQVListCtrl;
class QLabel;
class QLineEdit;
class QPushButton;

inline constexpr unsigned IDD_QV_COLUMNS = 20700;
// Control ids, also the widgets' object names.
inline constexpr int IDC_QV_COLUMNS_INSTRUCTION = 23200;
inline constexpr int IDC_QV_COLUMNS_LIST = 23201;
inline constexpr int IDC_QV_COLUMNS_MOVE_UP = 23202;
inline constexpr int IDC_QV_COLUMNS_MOVE_DOWN = 23203;
inline constexpr int IDC_QV_COLUMNS_RESET = 23204;
inline constexpr int IDC_QV_COLUMNS_WIDTH_LABEL = 23205;
inline constexpr int IDC_QV_COLUMNS_WIDTH = 23206;

class QVSYSTEM_EXPORT CColumnsDlg : public CQVDialog {
    Q_OBJECT

public:
    // The list whose columns the dialog edits; it must outlive the dialog.
    explicit CColumnsDlg(CQVListCtrl* listCtrl, QWidget* parent = nullptr);
    ~CColumnsDlg() override;

    bool OnInitDialog() override;
    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;

    // Declared order, all ticked, default widths; the first row selected.
    void Reset();
    bool MoveUp();
    bool MoveDown();

    CQVListCtrl* GetColumnsList() const { return m_pColumns; }
    // The width the dialog holds for a true column (-1 when it lists no such column).
    int GetColumnWidth(int trueColumn) const;

private:
    int TrueColumnOfRow(int row) const;
    void AddRow(int trueColumn, bool ticked);
    void SelectRow(int row);
    // Takes the number field's value, as a number from 0 to 9999, for the column it shows.
    void StoreWidth();
    void OnSelectionChanged();
    void UpdateButtons();

    CQVListCtrl* m_pListCtrl;
    CQVListCtrl* m_pColumns = nullptr;
    QLabel* m_pInstruction = nullptr;
    QPushButton* m_pMoveUp = nullptr;
    QPushButton* m_pMoveDown = nullptr;
    QPushButton* m_pReset = nullptr;
    QLabel* m_pWidthLabel = nullptr;
    QLineEdit* m_pWidth = nullptr;
    std::map<int, int> m_mapWidths; // true column -> width
    int m_nWidthColumn = -1;        // the true column whose width the field shows
};
