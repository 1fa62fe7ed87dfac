#pragma once
// The footer: the bottom row of the main window, telling the name, folder and size of the
// file of the single selected record, white on the blue-green gradient of the search bar.
//
// Three label/value pairs, the labels bold. The values reach to 10 pixels before the right
// edge; a value too long for its place is shortened with an ellipsis (the folder keeps its
// end) and shows the whole text as its tooltip. ShowFile touches only the values whose text
// changed, so moving the selection across rows of one folder repaints just the name and
// the size.

#include "qvsystem/controls/Gradient.h"

#include <QImage>
#include <QString>
#include <QWidget>

class CEllipsisLabel;
class QLabel;

class CMainFooterFormView : public QWidget {
    Q_OBJECT

public:
    static constexpr int TEMPLATE_ID = 14;
    // Control ids of the labels and values (also their object names).
    static constexpr int IDC_FILE_NAME_LABEL = 23080;
    static constexpr int IDC_FOLDER_LABEL = 23081;
    static constexpr int IDC_SIZE_LABEL = 23082;
    static constexpr int IDC_FILE_NAME = 23083;
    static constexpr int IDC_FOLDER = 23084;
    static constexpr int IDC_SIZE = 23085;
    static constexpr int RIGHT_MARGIN = 10;
    static constexpr int LEFT_MARGIN = 10;
    static constexpr int LABEL_GAP = 8;
    static constexpr QRgb GRADIENT_START = 0xFF006699; // RGB(0, 102, 153)
    static constexpr QRgb GRADIENT_END = 0xFF009999;   // RGB(0, 153, 153)

    explicit CMainFooterFormView(QWidget* parent = nullptr);
    ~CMainFooterFormView() override;

    // Shows the file: name, folder and, when the file can be read, its size; an empty path
    // empties all three.
    void ShowFile(const QString& path);
    // Shows the file of the current list's single selected record, or nothing when no row
    // or several rows are selected.
    void ShowCurrentSelection();

    QString GetFileName() const;
    QString GetFolder() const;
    QString GetFileSize() const;
    // How many times a value's text was replaced since the footer was made.
    int GetValueChangeCount() const { return m_nValueChanges; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void LayoutControls();
    void UpdateFonts();
    void SetValue(CEllipsisLabel* value, const QString& text);

    QLabel* m_pLabels[3] = {};
    CEllipsisLabel* m_pValues[3] = {};
    CGradient m_gradient;
    QImage m_surface;
    int m_nValueChanges = 0;
    bool m_bUpdatingFonts = false;
};
