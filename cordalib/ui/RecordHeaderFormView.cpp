#include "cordalib/ui/RecordHeaderFormView.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

CHeaderCaption::CHeaderCaption(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void CHeaderCaption::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CHeaderCaption::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a click as well.
    mousePressEvent(event);
}

CRecordHeaderFormView::CRecordHeaderFormView(int templateId, int firstCaptionId, const QString& firstCaption,
                                             int firstBoxId, int secondCaptionId,
                                             const QString& secondCaption, int secondBoxId, QWidget* parent)
    : QWidget(parent), m_nFirstBoxId(firstBoxId), m_nSecondBoxId(secondBoxId)
{
    setObjectName(QString::number(templateId));
    m_pFirstCaption = new CHeaderCaption(firstCaption, this);
    m_pFirstCaption->setObjectName(QString::number(firstCaptionId));
    m_pSecondCaption = new CHeaderCaption(secondCaption, this);
    m_pSecondCaption->setObjectName(QString::number(secondCaptionId));
    // Both captions in a bold version of the pane's font, with their height fixed by it.
    m_boldFont = font();
    m_boldFont.setBold(true);
    const int captionHeight = QFontMetrics(m_boldFont).height() + CAPTION_PADDING;
    for (CHeaderCaption* caption : {m_pFirstCaption, m_pSecondCaption}) {
        caption->setFont(m_boldFont);
        caption->resize(caption->width(), captionHeight);
    }
    connect(m_pFirstCaption, &CHeaderCaption::clicked, this, [this] {
        if (m_pFirstBox)
            emit SelectAllRequested(m_pFirstBox, m_nFirstBoxId);
    });
    connect(m_pSecondCaption, &CHeaderCaption::clicked, this, [this] {
        if (m_pSecondBox)
            emit SelectAllRequested(m_pSecondBox, m_nSecondBoxId);
    });
}

CRecordHeaderFormView::~CRecordHeaderFormView() = default;

void CRecordHeaderFormView::SetSummaryBoxes(QWidget* firstBox, QWidget* secondBox)
{
    m_pFirstBox = firstBox;
    m_pSecondBox = secondBox;
    if (firstBox) {
        firstBox->setParent(this);
        firstBox->setObjectName(QString::number(m_nFirstBoxId));
        firstBox->show();
    }
    if (secondBox) {
        secondBox->setParent(this);
        secondBox->setObjectName(QString::number(m_nSecondBoxId));
        secondBox->show();
    }
    LayoutControls();
}

int CRecordHeaderFormView::GetSeparatorColumn() const
{
    return m_pFirstCaption->geometry().right() + 1;
}

int CRecordHeaderFormView::GetSeparatorRow() const
{
    return m_pFirstCaption->geometry().bottom() + 1;
}

void CRecordHeaderFormView::LayoutControls()
{
    const int w = width();
    const int h = height();
    const int half = w / 2;
    const int c1 = m_pFirstCaption->height();
    const int c2 = m_pSecondCaption->height();
    m_pFirstCaption->setGeometry(0, 0, half, c1);
    if (m_pFirstBox)
        m_pFirstBox->setGeometry(0, c1 + 1, half, std::max(0, h - c1 - 1));
    m_pSecondCaption->setGeometry(half + 1, 0, std::max(0, w - half - 1), c2);
    if (m_pSecondBox)
        m_pSecondBox->setGeometry(half + 1, c2 + 1, std::max(0, w - half - 1), std::max(0, h - c2 - 1));
}

void CRecordHeaderFormView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutControls();
}

void CRecordHeaderFormView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Qt's own palette for Windows takes the button-shadow colour as Dark.
    const QColor line = palette().color(QPalette::Dark);
    painter.fillRect(QRect(GetSeparatorColumn(), 0, 1, height()), line);
    painter.fillRect(QRect(0, GetSeparatorRow(), width(), 1), line);
}

QSize CRecordHeaderFormView::sizeHint() const
{
    return QSize(200, 175);
}

QSize CRecordHeaderFormView::minimumSizeHint() const
{
    return QSize(0, std::max(m_pFirstCaption->height(), m_pSecondCaption->height()) + 1);
}

CSongHeaderFormView::CSongHeaderFormView(QWidget* parent)
    : CRecordHeaderFormView(TEMPLATE_ID, IDC_ARTISTS_CAPTION, tr(" Artists"), IDC_ARTIST_SUMMARY,
                            IDC_ALBUMS_CAPTION, tr(" Albums"), IDC_ALBUM_SUMMARY, parent)
{
}

CLessonHeaderFormView::CLessonHeaderFormView(QWidget* parent)
    : CRecordHeaderFormView(TEMPLATE_ID, IDC_STYLES_CAPTION, tr(" Styles"), IDC_STYLE_SUMMARY,
                            IDC_LEVELS_CAPTION, tr(" Levels"), IDC_LEVEL_SUMMARY, parent)
{
}
