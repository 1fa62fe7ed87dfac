#pragma once
// "Edit Song": the descriptive fields of one song (single mode, with navigation through the
// list) or of several songs at once (multi-edit mode, a check box per field).

#include "cordalib/ui/EditRecordDlg.h"

#include "cordalib/library/Recordset.h"

#include <vector>

class CAutoCompleteEdit;
class CCordaLibrarianApp;
class QLineEdit;
class QRadioButton;

inline constexpr unsigned IDD_EDIT_SONG = 9201;
// The fields.
inline constexpr int IDC_SONG_TITLE = 1000;
inline constexpr int IDC_SONG_ARTIST = 1001;
inline constexpr int IDC_SONG_ALBUM = 1002;
inline constexpr int IDC_SONG_YEAR = 1003;
inline constexpr int IDC_SONG_TRADITIONAL_YES = 1004;
inline constexpr int IDC_SONG_TRADITIONAL_NO = 1005;
inline constexpr int IDC_SONG_COMPOSER = 1006;
inline constexpr int IDC_SONG_LYRICIST = 1007;
inline constexpr int IDC_SONG_ARRANGER = 1008;
inline constexpr int IDC_SONG_COPYRIGHT = 1009;

class CEditSongDlg : public CEditRecordsetDlg<CSongRecordset> {
    Q_OBJECT

public:
    static constexpr int MIN_YEAR = 0;
    static constexpr int MAX_YEAR = 9999;

    // selectedRows: ascending indices into the recordset's visible list; focusedRow: the
    // focused one (it stands for the record when no row is selected).
    CEditSongDlg(CCordaLibrarianApp& app, CSongRecordset& recordset, std::vector<int> selectedRows,
                 int focusedRow, QWidget* parent);
    ~CEditSongDlg() override;

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
    // The fields whose controls differ from the record (bits 1 << songField).
    unsigned ChangedFields(const CSongRecord& record) const;
    // Multi-edit: the fields whose boxes are ticked (bits 1 << songField).
    unsigned TickedFields() const;
    // The controls' values into the record, for the fields given.
    void AssignFields(CSongRecord& record, unsigned fields) const;
    void AddAutoCompleteValues(unsigned fields);
    uint16_t YearValue() const;
    bool IsYesSelected() const;

    // Enabling and the multi-edit interlocks of traditional, composer and lyricist.
    void UpdateComposerLyricist();
    void OnTraditionalChosen(bool yes);
    void OnTraditionalTicked(bool ticked);
    void OnAuthorTicked(int checkId, bool ticked);

    QLineEdit* m_pTitle = nullptr;
    CAutoCompleteEdit* m_pArtist = nullptr;
    CAutoCompleteEdit* m_pAlbum = nullptr;
    QLineEdit* m_pYear = nullptr;
    QRadioButton* m_pYes = nullptr;
    QRadioButton* m_pNo = nullptr;
    CAutoCompleteEdit* m_pComposer = nullptr;
    CAutoCompleteEdit* m_pLyricist = nullptr;
    QLineEdit* m_pArranger = nullptr;
    QLineEdit* m_pCopyright = nullptr;
};
