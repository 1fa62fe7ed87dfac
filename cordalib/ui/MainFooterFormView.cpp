#include "cordalib/ui/MainFooterFormView.h"

#include "cordalib/ui/MainFrame.h"
#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/MemDC.h"
#include "qvsystem/system/FormatUtilities.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>

#include <algorithm>

CMainFooterFormView::CMainFooterFormView(QWidget* parent)
    : QWidget(parent), m_gradient(QColor::fromRgb(GRADIENT_START), QColor::fromRgb(GRADIENT_END))
{
    setObjectName(QString::number(TEMPLATE_ID));
    const struct {
        const char* label;
        int labelId;
        int valueId;
        unsigned ellipsis;
    } rows[] = {
        {"File name:", IDC_FILE_NAME_LABEL, IDC_FILE_NAME, SS_ENDELLIPSIS},
        {"In folder:", IDC_FOLDER_LABEL, IDC_FOLDER, SS_PATHELLIPSIS},
        {"Size:", IDC_SIZE_LABEL, IDC_SIZE, SS_ENDELLIPSIS},
    };
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    for (int i = 0; i < 3; ++i) {
        m_pLabels[i] = new QLabel(tr(rows[i].label), this);
        m_pLabels[i]->setObjectName(QString::number(rows[i].labelId));
        m_pValues[i] = new CEllipsisLabel(this);
        m_pValues[i]->setObjectName(QString::number(rows[i].valueId));
        m_pValues[i]->SetEllipsisStyle(rows[i].ellipsis);
        // Texts are drawn white straight onto the gradient.
        for (QLabel* label : {m_pLabels[i], static_cast<QLabel*>(m_pValues[i])}) {
            label->setPalette(white);
            label->setAutoFillBackground(false);
            label->setAttribute(Qt::WA_TranslucentBackground);
            label->setTextFormat(Qt::PlainText);
        }
    }
    UpdateFonts();
}

CMainFooterFormView::~CMainFooterFormView() = default;

void CMainFooterFormView::UpdateFonts()
{
    m_bUpdatingFonts = true;
    QFont bold = font();
    bold.setBold(true);
    for (QLabel* label : m_pLabels)
        label->setFont(bold);
    m_bUpdatingFonts = false;
    LayoutControls();
}

QSize CMainFooterFormView::sizeHint() const
{
    return QSize(200, 80);
}

void CMainFooterFormView::LayoutControls()
{
    if (!m_pLabels[0])
        return;
    int labelWidth = 0;
    int rowHeight = 0;
    for (int i = 0; i < 3; ++i) {
        labelWidth = std::max(labelWidth, m_pLabels[i]->sizeHint().width());
        rowHeight =
            std::max({rowHeight, m_pLabels[i]->sizeHint().height(), m_pValues[i]->sizeHint().height()});
    }
    // The three rows share the height evenly, centred when there is more than they need.
    const int pitch = std::max(rowHeight, height() / 3 - 2);
    const int top = std::max(0, (height() - 2 * pitch - rowHeight) / 2);
    const int valueLeft = LEFT_MARGIN + labelWidth + LABEL_GAP;
    const int valueWidth = std::max(0, width() - RIGHT_MARGIN - valueLeft);
    for (int i = 0; i < 3; ++i) {
        const int y = top + i * pitch;
        m_pLabels[i]->setGeometry(LEFT_MARGIN, y, labelWidth, rowHeight);
        m_pValues[i]->setGeometry(valueLeft, y, valueWidth, rowHeight);
    }
}

void CMainFooterFormView::SetValue(CEllipsisLabel* value, const QString& text)
{
    if (value->GetText() == text)
        return;
    ++m_nValueChanges;
    value->SetText(text);
    // The old text's place shows the gradient again.
    update(value->geometry());
}

void CMainFooterFormView::ShowFile(const QString& path)
{
    QString name, folder, size;
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        name = info.fileName();
        folder = info.path();
        if (name.isEmpty()) {
            // A path that ends in a separator names no file within it.
            folder = path;
        }
        QFile file(path);
        if (!name.isEmpty() && file.open(QIODevice::ReadOnly))
            size = AfxFormatFileSize(file.size());
    }
    SetValue(m_pValues[0], name);
    SetValue(m_pValues[1], folder);
    SetValue(m_pValues[2], size);
}

void CMainFooterFormView::ShowCurrentSelection()
{
    auto* frame = qobject_cast<CMainFrame*>(window());
    ShowFile(frame ? frame->GetCurrentSelectionPath() : QString());
}

QString CMainFooterFormView::GetFileName() const
{
    return m_pValues[0]->GetText();
}

QString CMainFooterFormView::GetFolder() const
{
    return m_pValues[1]->GetText();
}

QString CMainFooterFormView::GetFileSize() const
{
    return m_pValues[2]->GetText();
}

void CMainFooterFormView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_surface = QImage();
    LayoutControls();
}

void CMainFooterFormView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_bUpdatingFonts)
        UpdateFonts();
}

void CMainFooterFormView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (QSizeF(size()) * ratio).toSize();
    // The off-screen picture follows the client size and the screen's density.
    if (m_surface.size() != deviceSize || m_surface.devicePixelRatio() != ratio) {
        m_surface = QImage(deviceSize, QImage::Format_ARGB32_Premultiplied);
        m_surface.setDevicePixelRatio(ratio);
    }
    CMemDC dc(&painter, rect(), &m_surface, m_gradient, rect());
}
