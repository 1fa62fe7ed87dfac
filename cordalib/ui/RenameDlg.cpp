#include "cordalib/ui/RenameDlg.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/FileUtilities.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Wide enough for a long tablature file name ("Artist - Title (live version).crd").
constexpr int NAME_FIELD_WIDTH = 360;

} // namespace

CRenameDlg::CRenameDlg(bool song, const QString& fileName, QWidget* parent)
    : CQVDialog(IDD_RENAME, parent), m_bSong(song), m_strCurrentFileName(fileName), m_strNewFileName(fileName)
{
    setObjectName(QString::number(IDD_RENAME));
    setWindowTitle(tr("Rename"));

    auto* currentLabel = new QLabel(tr("&Current file name:"), this);
    currentLabel->setObjectName(QString::number(IDC_CURRENT_FILE_NAME_LABEL));
    m_pCurrent = new QLineEdit(this);
    m_pCurrent->setObjectName(QString::number(IDC_CURRENT_FILE_NAME));
    m_pCurrent->setReadOnly(true);
    m_pCurrent->setMinimumWidth(NAME_FIELD_WIDTH);
    currentLabel->setBuddy(m_pCurrent);
    auto* newLabel = new QLabel(tr("&New file name:"), this);
    newLabel->setObjectName(QString::number(IDC_NEW_FILE_NAME_LABEL));
    m_pNew = new QLineEdit(this);
    m_pNew->setObjectName(QString::number(IDC_NEW_FILE_NAME));
    m_pNew->setMinimumWidth(NAME_FIELD_WIDTH);
    newLabel->setBuddy(m_pNew);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(AfxLoadString(IDS_QV_SHEET_OK), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QString::number(IDOK));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(AfxLoadString(IDS_QV_SHEET_CANCEL), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QString::number(IDCANCEL));
    QPushButton* help = CreateHelpButton(this);
    help->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(help);
    row->addStretch(1);
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(6);
    layout->addWidget(currentLabel);
    layout->addWidget(m_pCurrent);
    layout->addSpacing(8);
    layout->addWidget(newLabel);
    layout->addWidget(m_pNew);
    layout->addSpacing(14);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CRenameDlg::~CRenameDlg() = default;

QString CRenameDlg::GetHelpTopic() const
{
    return m_bSong ? QStringLiteral("renamingasongsfilename.htm")
                   : QStringLiteral("renamingalessonsfilename.htm");
}

bool CRenameDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    LoadData();
    m_pNew->setFocus(Qt::OtherFocusReason);
    return true;
}

bool CRenameDlg::LoadData()
{
    m_pCurrent->setText(m_strCurrentFileName);
    m_pCurrent->setCursorPosition(0);
    m_pNew->setText(m_strCurrentFileName);
    // The stem is what one usually changes; the extension stays unless typed over.
    const qsizetype dot = m_strCurrentFileName.lastIndexOf(QLatin1Char('.'));
    m_pNew->setSelection(0, dot > 0 ? static_cast<int>(dot) : static_cast<int>(m_strCurrentFileName.size()));
    return true;
}

bool CRenameDlg::ValidateData(int& icon, QString& caption, QString& text, QRect& rect)
{
    (void)icon;
    (void)caption;
    if (!AfxIsValidFileName(m_pNew->text())) {
        text = LoadAppString(IDS_VALIDATE_FILE_NAME);
        rect = AfxGetScreenRect(m_pNew);
        m_pNew->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

bool CRenameDlg::SaveData()
{
    m_strNewFileName = m_pNew->text();
    return true;
}
