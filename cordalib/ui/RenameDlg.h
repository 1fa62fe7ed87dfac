#pragma once
// "Rename": a new name for the tablature file of one song or lesson, in the same folder.
// The current name is shown read-only; the new one starts as the current one, its stem
// selected, and must be a usable file name (AfxIsValidFileName) for OK to close the dialog.
// A change of letter case alone is a new name.

#include "qvsystem/controls/QVDialog.h"

#include <QString>

class QLineEdit;

class CRenameDlg : public CQVDialog {
    Q_OBJECT

public:
    static constexpr unsigned IDD_RENAME = 233;
    // Control ids, also the controls' object names; OK and Cancel are 1 and 2.
    static constexpr int IDC_CURRENT_FILE_NAME_LABEL = 1100;
    static constexpr int IDC_CURRENT_FILE_NAME = 1101;
    static constexpr int IDC_NEW_FILE_NAME_LABEL = 1102;
    static constexpr int IDC_NEW_FILE_NAME = 1103;

    // song: the file belongs to a song (else to a lesson); fileName: its name without folder.
    CRenameDlg(bool song, const QString& fileName, QWidget* parent = nullptr);
    ~CRenameDlg() override;

    bool IsSong() const { return m_bSong; }
    // The name given to the constructor, and after OK the name the user chose.
    const QString& GetCurrentFileName() const { return m_strCurrentFileName; }
    const QString& GetNewFileName() const { return m_strNewFileName; }

    QLineEdit* GetCurrentFileNameControl() const { return m_pCurrent; }
    QLineEdit* GetNewFileNameControl() const { return m_pNew; }

    QString GetHelpTopic() const override;
    bool OnInitDialog() override;
    bool LoadData() override;
    bool ValidateData(int& icon, QString& caption, QString& text, QRect& rect) override;
    bool SaveData() override;

private:
    bool m_bSong;
    QString m_strCurrentFileName;
    QString m_strNewFileName;
    QLineEdit* m_pCurrent = nullptr;
    QLineEdit* m_pNew = nullptr;
};
