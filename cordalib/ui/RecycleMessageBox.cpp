#include "cordalib/ui/RecycleMessageBox.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The text wraps at about the width of a message box.
constexpr int TEXT_WIDTH = 340;

} // namespace

CRecycleMessageBox::CRecycleMessageBox(QWidget* parent) : CQVDialog(IDD_RECYCLE_MESSAGE_BOX, parent)
{
    setObjectName(QString::number(IDD_RECYCLE_MESSAGE_BOX));
    setWindowTitle(LoadAppString(IDS_APPLICATION_TITLE));

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QString::number(IDC_RECYCLE_ICON));
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = RecycleBinIcon().pixmap(QSize(ICON_SIZE, ICON_SIZE), ratio);
    m_pIcon->setPixmap(pixmap);
    m_pIcon->setFixedSize(ICON_SIZE, ICON_SIZE);
    m_pIcon->setAlignment(Qt::AlignCenter);
    m_pText = new QLabel(tr("Do you want to move the Corda files associated with the deleted items to the "
                            "Recycle Bin, or keep them where they are?"),
                         this);
    m_pText->setObjectName(QString::number(IDC_RECYCLE_TEXT));
    m_pText->setWordWrap(true);
    m_pText->setFixedWidth(TEXT_WIDTH);
    m_pText->setTextInteractionFlags(Qt::NoTextInteraction);

    m_pMove = new QPushButton(tr("&Move to Recycle Bin"), this);
    m_pMove->setObjectName(QString::number(IDC_MOVE_TO_RECYCLE_BIN));
    m_pKeep = new QPushButton(tr("&Keep Files"), this);
    m_pKeep->setObjectName(QString::number(IDC_KEEP_FILES));
    m_pCancel = new QPushButton(AfxLoadString(IDS_QV_SHEET_CANCEL), this);
    m_pCancel->setObjectName(QString::number(IDC_CANCEL));
    for (QPushButton* button : {m_pMove, m_pCancel})
        button->setAutoDefault(false);
    m_pKeep->setAutoDefault(true);
    m_pKeep->setDefault(true);
    connect(m_pMove, &QPushButton::clicked, this, [this] { done(IDYES); });
    connect(m_pKeep, &QPushButton::clicked, this, [this] { done(IDNO); });
    // Button "2" is Cancel for the dialog base, which rejects.

    auto* message = new QHBoxLayout;
    message->setSpacing(14);
    message->addWidget(m_pIcon, 0, Qt::AlignTop);
    message->addWidget(m_pText, 1);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addStretch(1);
    row->addWidget(m_pMove);
    row->addWidget(m_pKeep);
    row->addWidget(m_pCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 16, 14, 12);
    layout->setSpacing(18);
    layout->addLayout(message);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CRecycleMessageBox::~CRecycleMessageBox() = default;

QIcon CRecycleMessageBox::RecycleBinIcon()
{
    QIcon icon = QIcon::fromTheme(QStringLiteral("user-trash"));
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_TrashIcon);
    return icon;
}

QString CRecycleMessageBox::GetHelpTopic() const
{
    return QStringLiteral("deletingsongsandlessons.htm");
}

int CRecycleMessageBox::DoModal()
{
    const int result = exec();
    // Closing the window or Escape is Cancel.
    return result == IDYES || result == IDNO ? result : IDCANCEL;
}
