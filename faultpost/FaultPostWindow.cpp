#include "faultpost/FaultPostWindow.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Every text here may come from the report or the command line, which anyone can write:
// plain text always, never the rich text a QLabel would guess from a '<'.
QLabel* MakeLabel(const QString& text, int id, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::number(id));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* MakeButton(unsigned textId, int id, QWidget* parent)
{
    auto* button = new QPushButton(LoadAppString(textId), parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

// RFC 6068: every character outside the unreserved set percent-encoded, blanks as %20.
QString MailQueryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

CFaultPostWindow::CFaultPostWindow(const CFaultPostCommandLine& commandLine, const CErrorReport& report,
                                   const QString& warning, QWidget* parent)
    : QDialog(parent), m_commandLine(commandLine), m_report(report),
      m_strReportPath(QFileInfo(commandLine.log).absoluteFilePath())
{
    setWindowTitle(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_TITLE), m_commandLine.app));
    setSizeGripEnabled(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QString::number(IDC_FAULTPOST_ICON));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this)
                        .pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* heading = MakeLabel(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_HEADING), m_commandLine.app),
                              IDC_FAULTPOST_HEADING, this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.25);
    heading->setFont(headingFont);
    auto* intro = MakeLabel(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_INTRO), m_commandLine.contact),
                            IDC_FAULTPOST_INTRO, this);

    auto* headerText = new QVBoxLayout;
    headerText->addWidget(heading);
    headerText->addWidget(intro);
    headerText->addStretch();
    auto* header = new QHBoxLayout;
    header->addWidget(icon);
    header->addSpacing(8);
    header->addLayout(headerText, 1);

    // The summary, in a frame of its own so that it reads as one block. A grid rather than a
    // form layout: wrapped values get the height their width needs.
    auto* summaryFrame = new QFrame(this);
    summaryFrame->setFrameShape(QFrame::StyledPanel);
    auto* summary = new QGridLayout(summaryFrame);
    summary->setColumnStretch(1, 1);
    summary->setHorizontalSpacing(10);
    const auto addRow = [&](unsigned captionId, QWidget* value) {
        const int row = summary->rowCount();
        auto* caption = new QLabel(LoadAppString(captionId), summaryFrame);
        summary->addWidget(caption, row, 0, Qt::AlignRight | Qt::AlignTop);
        summary->addWidget(value, row, 1);
    };
    const QString program =
        m_report.GetProductName().isEmpty() ? m_commandLine.app : m_report.GetProductName();
    addRow(IDS_FAULTPOST_PROGRAM,
           MakeLabel(program + QLatin1Char('\n') + m_commandLine.path, IDC_FAULTPOST_PROGRAM, summaryFrame));
    addRow(IDS_FAULTPOST_FAULT,
           MakeLabel(SummaryValue(m_report.GetFaultText()), IDC_FAULTPOST_FAULT, summaryFrame));
    addRow(IDS_FAULTPOST_MODULE,
           MakeLabel(SummaryValue(m_report.GetFaultingModule()), IDC_FAULTPOST_MODULE, summaryFrame));
    addRow(IDS_FAULTPOST_TIME,
           MakeLabel(SummaryValue(m_report.GetLocalTimeText()), IDC_FAULTPOST_TIME, summaryFrame));
    // A line of its own, read-only: a long path scrolls and can be selected whole.
    auto* path = new QLineEdit(m_strReportPath, summaryFrame);
    path->setObjectName(QString::number(IDC_FAULTPOST_REPORT_PATH));
    path->setReadOnly(true);
    path->setCursorPosition(0);
    addRow(IDS_FAULTPOST_REPORT, path);

    auto* warningLabel = MakeLabel(warning, IDC_FAULTPOST_WARNING, this);
    warningLabel->setVisible(!warning.isEmpty());
    auto* note = MakeLabel(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_MAIL_NOTE), m_commandLine.mailto),
                           IDC_FAULTPOST_MAIL_NOTE, this);
    m_pStatus = MakeLabel(QString(), IDC_FAULTPOST_STATUS, this);

    auto* send = MakeButton(IDS_FAULTPOST_SEND, IDC_FAULTPOST_SEND, this);
    send->setDefault(true);
    auto* copy = MakeButton(IDS_FAULTPOST_COPY_PATH, IDC_FAULTPOST_COPY_PATH, this);
    auto* show = MakeButton(IDS_FAULTPOST_SHOW_FOLDER, IDC_FAULTPOST_SHOW_FOLDER, this);
    auto* close = MakeButton(IDS_FAULTPOST_CLOSE, IDC_FAULTPOST_CLOSE, this);
    connect(send, &QPushButton::clicked, this, &CFaultPostWindow::OnSend);
    connect(copy, &QPushButton::clicked, this, &CFaultPostWindow::OnCopyPath);
    connect(show, &QPushButton::clicked, this, &CFaultPostWindow::OnShowFolder);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send);
    buttons->addWidget(copy);
    buttons->addWidget(show);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addSpacing(6);
    layout->addWidget(summaryFrame);
    layout->addSpacing(4);
    layout->addWidget(warningLabel);
    layout->addWidget(note);
    layout->addWidget(m_pStatus);
    layout->addStretch();
    layout->addLayout(buttons);
    send->setFocus();

    // Wide enough for a report's path and a fault's message on one line or two; the height
    // then follows from the wrapped texts.
    setMinimumWidth(fontMetrics().averageCharWidth() * 104);
    resize(minimumWidth(), layout->heightForWidth(minimumWidth()));
}

QString CFaultPostWindow::SummaryValue(const QString& value) const
{
    return value.isEmpty() ? LoadAppString(IDS_FAULTPOST_NOT_IN_REPORT) : value;
}

QUrl CFaultPostWindow::GetMailUrl() const
{
    const QString id =
        m_report.GetId().isEmpty() ? QFileInfo(m_strReportPath).completeBaseName() : m_report.GetId();
    const QString subject =
        AfxFormatMessage(LoadAppString(IDS_FAULTPOST_MAIL_SUBJECT), m_commandLine.app, id);
    const QString body =
        AfxFormatMessage(LoadAppString(IDS_FAULTPOST_MAIL_BODY), m_commandLine.app,
                         SummaryValue(m_report.GetFaultText()), SummaryValue(m_report.GetFaultingModule()),
                         SummaryValue(m_report.GetLocalTimeText()), SummaryValue(id), m_strReportPath);
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(m_commandLine.mailto);
    url.setQuery(QStringLiteral("subject=") + MailQueryValue(subject) + QStringLiteral("&body=") +
                     MailQueryValue(body),
                 QUrl::StrictMode);
    return url;
}

void CFaultPostWindow::OnSend()
{
    const bool opened = QDesktopServices::openUrl(GetMailUrl());
    if (!opened) {
        AfxQVMessageBox(
            AfxFormatMessage(LoadAppString(IDS_FAULTPOST_MAIL_FAILED), m_commandLine.mailto, m_strReportPath),
            MB_OK | MB_ICONEXCLAMATION);
    }
    emit MailOpened(opened);
}

void CFaultPostWindow::OnCopyPath()
{
    QGuiApplication::clipboard()->setText(m_strReportPath);
    ShowStatus(LoadAppString(IDS_FAULTPOST_PATH_COPIED));
}

void CFaultPostWindow::OnShowFolder()
{
    const QString folder = QFileInfo(m_strReportPath).absolutePath();
    const bool shown = QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    if (!shown)
        AfxQVMessageBox(AfxFormatMessage(LoadAppString(IDS_FAULTPOST_FOLDER_FAILED), folder),
                        MB_OK | MB_ICONEXCLAMATION);
    emit FolderShown(shown);
}

void CFaultPostWindow::ShowStatus(const QString& text)
{
    m_pStatus->setText(text);
}
