#pragma once
// "Edit Lesson": the descriptive fields of one lesson (single mode, with navigation through
// the list) or of several lessons at once (multi-edit mode, a check box per field).

#include "cordalib/ui/EditRecordDlg.h"

#include "cordalib/library/Recordset.h"

#include <vector>

class CAutoCompleteEdit;
class CCordaLibrarianApp;
class QComboBox;
class QLineEdit;

inline constexpr unsigned IDD_EDIT_LESSON = 9202;
// The fields.
inline constexpr int IDC_LESSON_TITLE = 1000;
inline constexpr int IDC_LESSON_SUBTITLE = 1010;
inline constexpr int IDC_LESSON_STYLE = 1011;
inline constexpr int IDC_LESSON_LEVEL = 1012;
inline constexpr int IDC_LESSON_AUTHOR = 1013;
inline constexpr int IDC_LESSON_COPYRIGHT = 1009;

class CEditLessonDlg : public CEditRecordsetDlg<CLessonRecordset> {
    Q_OBJECT

public:
    CEditLessonDlg(CCordaLibrarianApp& app, CLessonRecordset& recordset, std::vector<int> selectedRows,
                   int focusedRow, QWidget* parent);
    ~CEditLessonDlg() override;

    bool OnInitDialog() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;

protected:
    void LoadRecord(int position) override;
    bool IsRecordModified() const override;
    bool SaveRecord() override;
    itemResult PrepareItem(int position, CFieldRewrite& rewrite, QString& errorText) override;
    itemResult FinishItem(int position, CFieldRewrite& rewrite, QString& errorText) override;
    unsigned GetProgressTextID() const override;
    QString GetSingleHelpTopic() const override;
    QString GetMultiHelpTopic() const override;
    void GetAutoCompleteEdits(CAutoCompleteEditSubKeyMap& map) const override;

private:
    // The fields whose controls differ from the record (bits 1 << lessonField).
    unsigned ChangedFields(const CLessonRecord& record) const;
    // Multi-edit: the fields whose boxes are ticked (bits 1 << lessonField).
    unsigned TickedFields() const;
    void AssignFields(CLessonRecord& record, unsigned fields) const;
    // The selected style or level value; -1 without a selection.
    int SelectedStyle() const;
    int SelectedLevel() const;

    QLineEdit* m_pTitle = nullptr;
    QLineEdit* m_pSubtitle = nullptr;
    QComboBox* m_pStyle = nullptr;
    QComboBox* m_pLevel = nullptr;
    CAutoCompleteEdit* m_pAuthor = nullptr;
    QLineEdit* m_pCopyright = nullptr;
};
