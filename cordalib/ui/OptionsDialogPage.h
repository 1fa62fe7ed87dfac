#pragma once
// What every page of the Options dialog shares: the heading at the top (a group header), the
// page's help topic, the application whose settings it shows, the life cycle (the page loads
// its controls when it is first shown, validates and saves on OK) and the control states
// that follow the page's check boxes (updated at idle time and at once when a box changes).
//
// Number fields: COptionsNumberBox is an edit with its up and down arrows in one control.
// Typing is not held to the field's range (only digits are taken), so that OK can refuse a
// number out of range with the validation balloon; the arrows keep to the range.

#include "qvsystem/controls/QVDialog.h"

#include <QSize>
#include <QSpinBox>
#include <QString>

class CCordaLibrarianApp;
class CGroupHeaderCtrl;
class CKeyboardSettings;
class CMainFrame;
class QCheckBox;
class QHBoxLayout;
class QVBoxLayout;

// Dialog units of the widget's font in pixels: a quarter of the average character width
// across, an eighth of the character height down.
QSize OptionsDialogUnitsToPixels(const QWidget* widget, int horizontalUnits, int verticalUnits);

// Where the pages find the settings and the main window.
struct COptionsContext {
    CCordaLibrarianApp& app;
    // The main window whose icon and keys follow the options (null: none to update).
    CMainFrame* frame = nullptr;
    // The user's keyboard shortcuts (null: the program has none to edit).
    CKeyboardSettings* keyboard = nullptr;
};

class COptionsNumberBox : public QSpinBox {
    Q_OBJECT

public:
    // Fields never take more digits than this (no number of the options comes near it).
    static constexpr int MAX_DIGITS = 6;

    COptionsNumberBox(int minimum, int maximum, QWidget* parent = nullptr);
    ~COptionsNumberBox() override;

    int GetRangeMinimum() const { return m_nMinimum; }
    int GetRangeMaximum() const { return m_nMaximum; }

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_nMinimum;
    int m_nMaximum;
};

class COptionsDialogPage : public CQVDialog {
    Q_OBJECT

public:
    // Every page is this large (dialog units) or larger when its controls need it.
    static constexpr int PAGE_WIDTH_UNITS = 280;
    static constexpr int PAGE_HEIGHT_UNITS = 183;

    COptionsDialogPage(unsigned templateId, const QString& heading, const QString& helpTopic,
                       const COptionsContext& context, QWidget* parent = nullptr);
    ~COptionsDialogPage() override;

    QString GetHelpTopic() const override { return m_strHelpTopic; }
    // The base initialisation, then LoadData and the control states.
    bool OnInitDialog() override;
    void OnIdle() override;
    // Enables the controls that follow a check box; nothing here.
    virtual void UpdateControlStates();

    CGroupHeaderCtrl* GetHeading() const { return m_pHeading; }

    // A decimal number (digits only, surrounding blanks allowed) within the range.
    static bool ParseNumber(const QString& text, int minimum, int maximum, int& value);

protected:
    CCordaLibrarianApp& App() const { return m_context.app; }
    CMainFrame* Frame() const { return m_context.frame; }
    CKeyboardSettings* KeyboardSettings() const { return m_context.keyboard; }

    // The page's controls go below the heading, indented, in this layout.
    QVBoxLayout* Body() const { return m_pBody; }
    // A check box with the id; changing it updates the control states.
    QCheckBox* AddCheckBox(int id, const QString& text);
    // A row for a label and its fields, in the body.
    QHBoxLayout* AddRow();
    // Fills the balloon's text ("... a number between %1 and %2") and rectangle for the
    // control and gives it the focus; always false, for ValidateData to return.
    bool RefuseNumber(QWidget* control, int minimum, int maximum, QString& text, QRect& rect);
    // The same with a text of its own.
    bool RefuseControl(QWidget* control, const QString& message, QString& text, QRect& rect);

private:
    QString m_strHelpTopic;
    COptionsContext m_context;
    CGroupHeaderCtrl* m_pHeading = nullptr;
    QVBoxLayout* m_pBody = nullptr;
};
