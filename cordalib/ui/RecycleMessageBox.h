#pragma once
// The question after a delete confirmation: move the deleted items' tablature files to the
// desktop trash, keep them where they are, or cancel the delete. "&Keep Files" is the
// default button, so Enter keeps the files; Escape and the window's close button cancel.
// The caption is the application's name; the icon is the desktop's trash icon.

#include "qvsystem/controls/QVDialog.h"

class QLabel;
class QPushButton;

class CRecycleMessageBox : public CQVDialog {
    Q_OBJECT

public:
    static constexpr unsigned IDD_RECYCLE_MESSAGE_BOX = 234;
    // Control ids, also the object names; the buttons are the results they give.
    static constexpr int IDC_RECYCLE_ICON = 1110;
    static constexpr int IDC_RECYCLE_TEXT = 1111;
    static constexpr int IDC_MOVE_TO_RECYCLE_BIN = 6; // IDYES
    static constexpr int IDC_KEEP_FILES = 7;          // IDNO
    static constexpr int IDC_CANCEL = 2;              // IDCANCEL
    static constexpr int ICON_SIZE = 32;

    explicit CRecycleMessageBox(QWidget* parent = nullptr);
    ~CRecycleMessageBox() override;

    // Shows the box modally: IDYES (move to the trash), IDNO (keep) or IDCANCEL.
    int DoModal();

    QPushButton* GetMoveButton() const { return m_pMove; }
    QPushButton* GetKeepButton() const { return m_pKeep; }
    QPushButton* GetCancelButton() const { return m_pCancel; }
    QLabel* GetIconControl() const { return m_pIcon; }
    QLabel* GetTextControl() const { return m_pText; }

    // The desktop theme's trash icon, or the style's when the theme has none.
    static QIcon RecycleBinIcon();

    QString GetHelpTopic() const override;

private:
    QLabel* m_pIcon = nullptr;
    QLabel* m_pText = nullptr;
    QPushButton* m_pMove = nullptr;
    QPushButton* m_pKeep = nullptr;
    QPushButton* m_pCancel = nullptr;
};
