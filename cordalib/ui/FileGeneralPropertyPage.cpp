#include "cordalib/ui/FileGeneralPropertyPage.h"

#include "cordalib/app/AppStrings.h"
#include "qvsystem/controls/EllipsisLabel.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/platform/FileTime.h"
#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/system/FileUtilities.h"
#include "qvsystem/system/FormatUtilities.h"

#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMimeDatabase>
#include <QVBoxLayout>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// What the file system says about the file; the creation time is not known everywhere.
struct CFileStatus {
    int64_t size = 0;
    bool hasCreated = false;
    FILETIME created{};
    FILETIME modified{};
    FILETIME accessed{};
};

FILETIME ToFileTime(const struct statx_timestamp& stamp)
{
    timespec time{};
    time.tv_sec = static_cast<time_t>(stamp.tv_sec);
    time.tv_nsec = static_cast<long>(stamp.tv_nsec);
    return AfxTimespecToFileTime(time);
}

bool GetFileStatus(const QString& path, CFileStatus& status)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct statx info {};
    if (statx(AT_FDCWD, native.constData(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return false;
    status.size = static_cast<int64_t>(info.stx_size);
    status.hasCreated = (info.stx_mask & STATX_BTIME) != 0;
    if (status.hasCreated)
        status.created = ToFileTime(info.stx_btime);
    status.modified = ToFileTime(info.stx_mtime);
    status.accessed = ToFileTime(info.stx_atime);
    return true;
}

QString LocalLongDateTime(FILETIME time)
{
    COleDateTime local;
    if (!AfxUTCToLocalTime(COleDateTime::FromFileTime(time), local))
        return LoadAppString(IDS_UNKNOWN);
    const QString text = AfxGetLocaleLongDateTime(local);
    return text.isEmpty() ? LoadAppString(IDS_UNKNOWN) : text;
}

// The icon that the desktop shows for the database file, or the program's own.
QIcon DatabaseFileIcon(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(
        path.isEmpty() ? QStringLiteral("library.cordb") : path, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = AfxLoadResourceIcon(IDR_MAINFRAME_ICON);
    return icon;
}

QFrame* Separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

constexpr int ICON_SIZE = 32;
constexpr int VALUE_WIDTH = 300;

} // namespace

CFileGeneralPropertyPage::CFileGeneralPropertyPage(const QString& path, uint16_t formatVersion,
                                                   QWidget* parent)
    : CQVPropertyPage(IDD_FILE_GENERAL, 0, parent), m_strPath(path), m_nFormatVersion(formatVersion)
{
    setObjectName(QString::number(IDD_FILE_GENERAL));
    setWindowTitle(tr("General"));

    m_pIcon = new QLabel(this);
    m_pIcon->setObjectName(QString::number(IDC_FILE_ICON));
    m_pIcon->setFixedSize(ICON_SIZE, ICON_SIZE);
    auto* name = new QLabel(this);
    name->setObjectName(QString::number(IDC_FILE_NAME));
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 14, 12, 12);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_pIcon, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(name, 0, 1);
    int row = 1;
    grid->addWidget(Separator(this), row++, 0, 1, 2);
    const auto addValue = [&](const QString& label, int id) {
        auto* caption = new QLabel(label, this);
        caption->setObjectName(QString::number(id + 100));
        QLabel* value = nullptr;
        if (id == IDC_FILE_LOCATION) {
            m_pLocation = new CEllipsisLabel(this);
            m_pLocation->SetEllipsisStyle(SS_PATHELLIPSIS);
            value = m_pLocation;
        } else {
            value = new QLabel(this);
        }
        value->setObjectName(QString::number(id));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setMinimumWidth(VALUE_WIDTH);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row++, 1);
    };
    addValue(tr("Type of file:"), IDC_FILE_TYPE);
    addValue(tr("Version:"), IDC_FILE_VERSION);
    grid->addWidget(Separator(this), row++, 0, 1, 2);
    addValue(tr("Location:"), IDC_FILE_LOCATION);
    addValue(tr("Size:"), IDC_FILE_SIZE);
    grid->addWidget(Separator(this), row++, 0, 1, 2);
    addValue(tr("Created:"), IDC_FILE_CREATED);
    addValue(tr("Modified:"), IDC_FILE_MODIFIED);
    addValue(tr("Accessed:"), IDC_FILE_ACCESSED);
    grid->setRowStretch(row, 1);
}

CFileGeneralPropertyPage::~CFileGeneralPropertyPage() = default;

QString CFileGeneralPropertyPage::GetHelpTopic() const
{
    return QStringLiteral("viewingthelibraryfileproperties.htm");
}

void CFileGeneralPropertyPage::GetBoldControlIDs(std::vector<int>& ids) const
{
    ids.push_back(IDC_FILE_NAME);
}

bool CFileGeneralPropertyPage::OnInitDialog()
{
    CQVPropertyPage::OnInitDialog();
    LoadData();
    return true;
}

QLabel* CFileGeneralPropertyPage::Value(int id) const
{
    return findChild<QLabel*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QString CFileGeneralPropertyPage::GetValueText(int id) const
{
    if (id == IDC_FILE_LOCATION && m_pLocation)
        return m_pLocation->GetText();
    const QLabel* value = Value(id);
    return value ? value->text() : QString();
}

bool CFileGeneralPropertyPage::LoadData()
{
    QString folder;
    QString fileName;
    AfxExtractFolderPathAndFileNameFromPath(m_strPath, folder, fileName);
    if (m_strPath.isEmpty() || fileName.isEmpty())
        fileName = LoadAppString(IDS_NEW_DATABASE);
    const qreal ratio = devicePixelRatioF();
    m_pIcon->setPixmap(DatabaseFileIcon(m_strPath).pixmap(QSize(ICON_SIZE, ICON_SIZE), ratio));
    Value(IDC_FILE_NAME)->setText(fileName);
    Value(IDC_FILE_TYPE)->setText(LoadAppString(IDS_DATABASE_FILE_TYPE));
    Value(IDC_FILE_VERSION)
        ->setText(m_nFormatVersion == 0 ? QStringLiteral("1.0") : LoadAppString(IDS_UNKNOWN));

    CFileStatus status;
    const QString unknown = LoadAppString(IDS_UNKNOWN);
    if (GetFileStatus(m_strPath, status)) {
        m_pLocation->SetText(m_strPath);
        Value(IDC_FILE_SIZE)->setText(AfxFormatExtendedFileSize(status.size));
        Value(IDC_FILE_CREATED)->setText(status.hasCreated ? LocalLongDateTime(status.created) : unknown);
        Value(IDC_FILE_MODIFIED)->setText(LocalLongDateTime(status.modified));
        Value(IDC_FILE_ACCESSED)->setText(LocalLongDateTime(status.accessed));
    } else {
        m_pLocation->SetText(unknown);
        Value(IDC_FILE_SIZE)->setText(AfxFormatFileSize(0));
        for (int id : {IDC_FILE_CREATED, IDC_FILE_MODIFIED, IDC_FILE_ACCESSED})
            Value(id)->setText(unknown);
    }
    return true;
}
