#pragma once
// The message box with the three additions: a bold heading line above the text, a check box
// whose state goes back to the caller whatever button was pressed, and a Help button that
// opens a web address or a help topic without closing the box.
//
// The box is Qt's own QMessageBox; the heading and check box are inserted into its grid
// when it is shown. Tests and tools find the box that is running with GetActive() (or
// QApplication::activeModalWidget()), the heading and check box by their object names
// "23000" and "23001", and the buttons with QMessageBox::button().

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/qvsystem_export.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <functional>

// Control ids of the additions, also their object names.
inline constexpr int IDC_QV_MESSAGEBOX_HEADING = 23000;
inline constexpr int IDC_QV_MESSAGEBOX_CHECKBOX = 23001;

class QVSYSTEM_EXPORT CQVMessageBox : public QMessageBox {
    Q_OBJECT

public:
    explicit CQVMessageBox(QWidget* parent = nullptr);
    ~CQVMessageBox() override;

    // A null heading means none.
    void SetHeading(const QString& heading);
    // Adds the check box; an initial state other than 0 or 1 starts unchecked.
    void SetCheckBox(const QString& text, int initialState);
    // A web address or a help topic; the Help button appears when the type asks for it.
    void SetHelpTarget(const QString& helpTarget);
    // A help context id for the help-context handler (plain boxes).
    void SetHelpContext(unsigned helpContext);

    // Shows the box modally with the text and the message-box type; returns IDOK ... or 0
    // when the box was closed without an answer.
    int DoModal(const QString& text, unsigned type);

    // The check box's state when the box closed (or its current state while shown).
    int GetCheckState() const { return m_nCheckState; }
    bool HasHeading() const { return m_bHasHeading; }
    bool HasCheckBox() const { return m_bHasCheckBox; }
    QLabel* GetHeadingControl() const { return m_pHeading; }
    QCheckBox* GetCheckBoxControl() const { return m_pCheckBox; }

    // The innermost box that is running DoModal, or null.
    static CQVMessageBox* GetActive();
    // Runs the action on the next box once it is visible, from inside its own event loop:
    // what tests use to answer a modal box through the real widget.
    static void OnNextShown(std::function<void(CQVMessageBox&)> action);

    // The result for a standard button, or 0 for none.
    static int ResultFromButton(QMessageBox::StandardButton button);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpButtons(unsigned type);
    void ArrangeAdditions();
    void OnButtonClicked(QAbstractButton* button);
    void ShowHelp();
    bool CanEscape() const;

    bool m_bHasHeading = false;
    QString m_strHeading;
    bool m_bHasCheckBox = false;
    QString m_strCheckBoxText;
    int m_nCheckState = 0;
    QString m_strHelpTarget;
    unsigned m_nHelpContext = 0;
    QFont m_boldFont;
    QPointer<QLabel> m_pHeading;
    QPointer<QCheckBox> m_pCheckBox;

    unsigned m_nType = MB_OK;
    QAbstractButton* m_pHelpButton = nullptr;
    bool m_bOwnButtonDispatch = false;
    CQVMessageBox* m_pPreviousActive = nullptr;
};
