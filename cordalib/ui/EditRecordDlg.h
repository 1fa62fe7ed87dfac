#pragma once
// What the song and lesson edit dialogs share: the information bar, the field rows with
// their multi-edit check boxes, the file name and folder, the navigation row, and the two
// ways of saving.
//
// The mode is fixed at construction: one selected row is single mode (the record is shown,
// the user can step through the recordset's visible list, each step saving first); two or
// more are multi-edit mode (a check box beside each field picks what is applied to every
// selected item, with a progress window and an error report).

#include "qvsystem/controls/QVDialog.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

class CAutoCompleteEdit;
class CCordaLibrarianApp;
class CFieldRewrite;
class CInformationBar;
class CProgressDlg;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

// Check boxes of the multi-edit mode (the fields' own controls carry ids of their own).
inline constexpr int IDC_CHECK_ARTIST = 23025;
inline constexpr int IDC_CHECK_ALBUM = 23026;
inline constexpr int IDC_CHECK_YEAR = 23027;
inline constexpr int IDC_CHECK_COMPOSER = 23031;
inline constexpr int IDC_CHECK_LYRICIST = 23033;
inline constexpr int IDC_CHECK_ARRANGER = 23035;
inline constexpr int IDC_CHECK_TRADITIONAL = 23036;
inline constexpr int IDC_CHECK_TITLE = 23047;
inline constexpr int IDC_CHECK_SUBTITLE = 23048;
inline constexpr int IDC_CHECK_STYLE = 23049;
inline constexpr int IDC_CHECK_LEVEL = 23050;
inline constexpr int IDC_CHECK_AUTHOR = 23051;
inline constexpr int IDC_CHECK_COPYRIGHT = 23052;

// The shared controls.
inline constexpr int IDC_EDIT_INFORMATION_BAR = 1040;
inline constexpr int IDC_EDIT_FILE_NAME = 1020;
inline constexpr int IDC_EDIT_FOLDER = 1021;
inline constexpr int IDC_EDIT_NAV_LABEL = 1029;
inline constexpr int IDC_EDIT_NAV_FIRST = 1030;
inline constexpr int IDC_EDIT_NAV_PREVIOUS = 1031;
inline constexpr int IDC_EDIT_NAV_POSITION = 1032;
inline constexpr int IDC_EDIT_NAV_OF = 1033;
inline constexpr int IDC_EDIT_NAV_TOTAL = 1034;
inline constexpr int IDC_EDIT_NAV_NEXT = 1035;
inline constexpr int IDC_EDIT_NAV_LAST = 1036;

class CEditRecordDlg : public CQVDialog {
    Q_OBJECT

public:
    // What became of one item of a multi-edit.
    enum itemResult { itemSkipped, itemWritten, itemFailed };

    CEditRecordDlg(unsigned templateId, CCordaLibrarianApp& app, std::vector<int> selectedRows,
                   int focusedRow, QWidget* parent);
    ~CEditRecordDlg() override;

    bool IsMultiEdit() const { return m_bMultiEdit; }
    // The current position in the recordset's visible list (single mode).
    int GetPosition() const { return m_nPosition; }
    const std::vector<int>& GetSelectedRows() const { return m_selectedRows; }
    // The columns written so far (bit 1 << column), over every save of this dialog.
    unsigned GetChangedColumns() const { return m_nChangedColumns; }
    // Single mode: a control differs from the record. Multi-edit: a box is ticked.
    bool IsModified() const;
    // The error lines of the last multi-edit.
    const QStringList& GetErrorLines() const { return m_errorLines; }

    CInformationBar* GetInformationBar() const { return m_pInformationBar; }
    // The progress window while a multi-edit runs; null otherwise.
    CProgressDlg* GetProgressWindow() const { return m_pProgress; }

    // The navigation row (single mode): each validates and saves first, then moves and
    // loads; false when the move is not possible or the save failed.
    bool MoveFirst();
    bool MovePrevious();
    bool MoveNext();
    bool MoveLast();
    bool MoveTo(int position);

    // Puts the record back into the controls, dropping the edits (a click on the bar).
    void UndoChanges();

    bool OnInitDialog() override;
    bool LoadData() override;
    bool SaveData() override;
    void OnIdle() override;
    QString GetHelpTopic() const override;
    using CQVDialogCommon::GetStateAutoCompleteEditCtrls;
    void GetStateAutoCompleteEditCtrls(CAutoCompleteEditSubKeyMap& map, bool saving) override;

signals:
    // After each item of a multi-edit, with its index among the selected rows.
    void ItemProcessed(int item, int result);

protected:
    // ---- What each record kind supplies ----

    virtual int GetRecordCount() const = 0;
    virtual bool HasRecord(int position) const = 0;
    virtual QString GetRecordPath(int position) const = 0;
    // Fills the fields from the record (single mode).
    virtual void LoadRecord(int position) = 0;
    // A field control differs from the record (single mode).
    virtual bool IsRecordModified() const = 0;
    // Single mode's save of the current record, once it is known to be modified.
    virtual bool SaveRecord() = 0;
    // Multi-edit, one item in two steps, so that the disk takes one item's file on a helper
    // thread while the next item's file is read and written. PrepareItem writes the ticked
    // fields over the item's file into rewrite without touching the record: itemWritten when
    // it is ready for its commit, itemSkipped when nothing is ticked, itemFailed with
    // errorText. FinishItem, after the commit, hands the record what its file now holds:
    // itemWritten, or itemFailed with errorText and the record as it was.
    virtual itemResult PrepareItem(int position, CFieldRewrite& rewrite, QString& errorText) = 0;
    virtual itemResult FinishItem(int position, CFieldRewrite& rewrite, QString& errorText) = 0;
    // "Updating song %1!d! of %2!d!..." or the lesson's text.
    virtual unsigned GetProgressTextID() const = 0;
    virtual QString GetSingleHelpTopic() const = 0;
    virtual QString GetMultiHelpTopic() const = 0;
    // The auto-complete edits and their keys.
    virtual void GetAutoCompleteEdits(CAutoCompleteEditSubKeyMap& map) const = 0;

    // ---- Building the rows (from the derived constructor) ----

    // A row of the field grid: the multi-edit check box, the label (its mnemonic goes to
    // the first control) and the controls, placed in cell when given (otherwise the
    // single control fills the row). The controls are enabled with the box in multi-edit.
    QCheckBox* AddFieldRow(int checkId, const QString& label, const std::vector<QWidget*>& controls,
                           QLayout* cell = nullptr);
    QLineEdit* CreateTextEdit(int id);
    CAutoCompleteEdit* CreateAutoCompleteEdit(int id);
    void SetNavigationLabel(const QString& text);

    // ---- Helpers for the derived saves ----

    // The busy cursor over the dialog while a file is written; a message box shown
    // meanwhile keeps its normal cursor.
    class CBusyScope {
    public:
        explicit CBusyScope(CQVDialogCommon& dialog) : m_dialog(dialog) { m_dialog.SetBusy(true); }
        ~CBusyScope() { m_dialog.SetBusy(false); }
        CBusyScope(const CBusyScope&) = delete;
        CBusyScope& operator=(const CBusyScope&) = delete;

    private:
        CQVDialogCommon& m_dialog;
    };

    bool IsTicked(int checkId) const;
    void SetTicked(int checkId, bool ticked);
    QCheckBox* GetCheck(int checkId) const;
    // Adds the edit's text to its list when auto-completion is on for it.
    static void AddToAutoComplete(CAutoCompleteEdit* edit);
    void MarkLibraryModified();
    void SetChangedColumns(unsigned columns) { m_nChangedColumns = columns; }

    CCordaLibrarianApp& m_app;

private:
    bool RunMultiEdit();
    // The end of one item of a multi-edit: its error line, and the signal.
    void EndItem(int item, int row, itemResult result, const QString& errorText);
    void ShowErrorReport();
    void UpdateNavigation();
    void UpdateInformationBar();
    void GoToTypedPosition();
    void SetTabOrder();
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::vector<int> m_selectedRows;
    int m_nPosition = -1;
    bool m_bMultiEdit = false;
    unsigned m_nChangedColumns = 0;
    QStringList m_errorLines;
    CProgressDlg* m_pProgress = nullptr;
    std::map<int, QCheckBox*> m_checks;
    // The rows' check boxes and controls in the order of the rows, for the tab order.
    std::vector<QWidget*> m_fieldWidgets;
    QWidget* m_pFirstField = nullptr;
    QWidget* m_pFirstCheck = nullptr;
    QPushButton* m_pOK = nullptr;
    QPushButton* m_pCancel = nullptr;

    CInformationBar* m_pInformationBar = nullptr;
    QGridLayout* m_pFieldGrid = nullptr;
    int m_nFieldRows = 0;
    QLineEdit* m_pFileName = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QLabel* m_pNavLabel = nullptr;
    QPushButton* m_pFirst = nullptr;
    QPushButton* m_pPrevious = nullptr;
    QLineEdit* m_pPosition = nullptr;
    QLabel* m_pTotal = nullptr;
    QPushButton* m_pNext = nullptr;
    QPushButton* m_pLast = nullptr;
};

// The record accessors over the dialog's recordset, alike for songs and lessons.
template <class Recordset> class CEditRecordsetDlg : public CEditRecordDlg {
protected:
    CEditRecordsetDlg(unsigned templateId, CCordaLibrarianApp& app, Recordset& recordset,
                      std::vector<int> selectedRows, int focusedRow, QWidget* parent)
        : CEditRecordDlg(templateId, app, std::move(selectedRows), focusedRow, parent), m_recordset(recordset)
    {
    }

    int GetRecordCount() const override { return static_cast<int>(m_recordset.GetCount()); }
    bool HasRecord(int position) const override { return Record(position) != nullptr; }
    QString GetRecordPath(int position) const override
    {
        const auto* record = Record(position);
        return record ? record->GetPath() : QString();
    }
    // The record at a position of the recordset's visible list; null outside it.
    auto* Record(int position) const
    {
        return position >= 0 ? m_recordset.Get(static_cast<size_t>(position)) : nullptr;
    }

    Recordset& m_recordset;
};
