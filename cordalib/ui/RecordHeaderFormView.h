#pragma once
// The header panes above the lists: two captioned summary boxes side by side, artists and
// albums above the songs (CSongHeaderFormView), styles and levels above the lessons
// (CLessonHeaderFormView).
//
// With client width w, height h and half = w / 2: the left caption at (0, 0) with width
// half, the left box below it from its height + 1 down to the bottom; the right caption and
// box from half + 1 with width w - half - 1. The one-pixel gaps carry two lines in the
// button-shadow colour: down the whole height at x = half, across the whole width under the
// captions. The boxes come from the frame; the pane only places them and, when a caption is
// clicked, asks for that box's "All" row (SelectAllRequested), which the box's normal
// selection handling turns into the list's filter.

#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

// A caption of a header pane: a bold one-line text, vertically centred, that reports
// presses of the left button.
class CHeaderCaption : public QLabel {
    Q_OBJECT

public:
    explicit CHeaderCaption(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class CRecordHeaderFormView : public QWidget {
    Q_OBJECT

public:
    // The captions' height: the bold font's line and this much space around it.
    static constexpr int CAPTION_PADDING = 6;

    ~CRecordHeaderFormView() override;

    // Takes the two boxes (the pane becomes their parent) and gives them their control ids
    // as object names. A null box leaves its place empty.
    void SetSummaryBoxes(QWidget* firstBox, QWidget* secondBox);
    QWidget* GetFirstSummaryBox() const { return m_pFirstBox; }
    QWidget* GetSecondSummaryBox() const { return m_pSecondBox; }
    CHeaderCaption* GetFirstCaption() const { return m_pFirstCaption; }
    CHeaderCaption* GetSecondCaption() const { return m_pSecondCaption; }
    int GetFirstBoxId() const { return m_nFirstBoxId; }
    int GetSecondBoxId() const { return m_nSecondBoxId; }

    // Where the lines go, in client coordinates: the column of the vertical one and the
    // row of the horizontal one.
    int GetSeparatorColumn() const;
    int GetSeparatorRow() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A caption was clicked: select the "All" row of this box and scroll it into view.
    void SelectAllRequested(QWidget* box, int boxId);

protected:
    CRecordHeaderFormView(int templateId, int firstCaptionId, const QString& firstCaption, int firstBoxId,
                          int secondCaptionId, const QString& secondCaption, int secondBoxId,
                          QWidget* parent);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutControls();

    CHeaderCaption* m_pFirstCaption = nullptr;
    CHeaderCaption* m_pSecondCaption = nullptr;
    QPointer<QWidget> m_pFirstBox;
    QPointer<QWidget> m_pSecondBox;
    int m_nFirstBoxId = 0;
    int m_nSecondBoxId = 0;
    QFont m_boldFont;
};

class CSongHeaderFormView : public CRecordHeaderFormView {
    Q_OBJECT

public:
    static constexpr int TEMPLATE_ID = 16;
    static constexpr int IDC_ARTISTS_CAPTION = 23074;
    static constexpr int IDC_ALBUMS_CAPTION = 23075;
    static constexpr int IDC_ARTIST_SUMMARY = 73;
    static constexpr int IDC_ALBUM_SUMMARY = 74;

    explicit CSongHeaderFormView(QWidget* parent = nullptr);
};

class CLessonHeaderFormView : public CRecordHeaderFormView {
    Q_OBJECT

public:
    static constexpr int TEMPLATE_ID = 99;
    static constexpr int IDC_STYLES_CAPTION = 23076;
    static constexpr int IDC_LEVELS_CAPTION = 23077;
    static constexpr int IDC_STYLE_SUMMARY = 75;
    static constexpr int IDC_LEVEL_SUMMARY = 76;

    explicit CLessonHeaderFormView(QWidget* parent = nullptr);
};
