#pragma once
// The small status window of a short operation: an icon and one status line, no buttons.
// Create shows it at once over its disabled owner and paints it before returning, because
// the operation that follows runs on the UI thread without letting events through;
// DestroyWindow gives the owner back. The user cannot close it: it goes with its operation.
//
//     CFlashBox box;
//     box.Create(mainWindow);
//     box.SetStatus(LoadString(IDS_SAVING_DATABASE));
//     SaveDatabase();
//     box.DestroyWindow();

#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

class CEllipsisLabel;
class QLabel;

inline constexpr unsigned IDD_QV_FLASH_BOX = 24021;
// Control ids, also the controls' object names.
inline constexpr int IDC_QV_FLASH_ICON = 24040;
inline constexpr int IDC_QV_FLASH_STATUS = 24041;

class QVSYSTEM_EXPORT CFlashBox : public CQVDialog {
    Q_OBJECT

public:
    // 0 for the default icon (24019) and the default caption (the program's title, 57344).
    explicit CFlashBox(unsigned iconId = 0, unsigned captionId = 0);
    ~CFlashBox() override;

    // Disables the top-level window of the parent (when it is enabled), then shows the box
    // centred over it and paints it. False, with the owner as it was, when the box cannot
    // be shown.
    bool Create(QWidget* parent);
    // Enables the owner again when the box disabled it, then closes the box.
    bool DestroyWindow();

    // Replaces the status line and repaints it at once.
    void SetStatus(const QString& text);
    QString GetStatus() const;
    // SS_ENDELLIPSIS, SS_PATHELLIPSIS or SS_WORDELLIPSIS (EllipsisLabel.h); 0 for none.
    void SetStatusEllipsisStyle(unsigned style);
    void SetIconID(unsigned iconId);
    unsigned GetIconID() const { return m_nIconID; }

    QLabel* GetIconControl() const { return m_pIcon; }
    CEllipsisLabel* GetStatusControl() const { return m_pStatus; }

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void LoadIcon();

    unsigned m_nIconID;
    QLabel* m_pIcon = nullptr;
    CEllipsisLabel* m_pStatus = nullptr;
};
