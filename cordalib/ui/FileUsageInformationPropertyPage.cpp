#include "cordalib/ui/FileUsageInformationPropertyPage.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LibraryDatabase.h"
#include "qvsystem/controls/QVTreeCtrl.h"
#include "qvsystem/system/FormatUtilities.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace {

// A time the library stores in UTC, in local time; no text for the zero time.
QString UsageTimeText(const COleDateTime& utc)
{
    if (utc.GetStatus() == COleDateTime::valid && utc == COleDateTime())
        return QString();
    COleDateTime local;
    if (!AfxUTCToLocalTime(utc, local))
        return QString();
    return AfxFormatLocaleDateTime(local);
}

} // namespace

CFileUsageInformationPropertyPage::CFileUsageInformationPropertyPage(const CLibraryDatabase& database,
                                                                     const QString& fileName, QWidget* parent)
    : CQVPropertyPage(IDD_FILE_USAGE_INFORMATION, 0, parent), m_database(database), m_strFileName(fileName)
{
    setObjectName(QString::number(IDD_FILE_USAGE_INFORMATION));
    setWindowTitle(tr("Usage Information"));
    m_pTree = new CQVTreeCtrl(this);
    m_pTree->setObjectName(QString::number(IDC_USAGE_TREE));
    m_pTree->setHeaderHidden(true);
    m_pTree->setColumnCount(1);
    m_pTree->header()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(m_pTree);
}

CFileUsageInformationPropertyPage::~CFileUsageInformationPropertyPage() = default;

QString CFileUsageInformationPropertyPage::GetHelpTopic() const
{
    return QStringLiteral("viewingthelibraryfileproperties.htm");
}

bool CFileUsageInformationPropertyPage::OnInitDialog()
{
    CQVPropertyPage::OnInitDialog();
    LoadData();
    return true;
}

bool CFileUsageInformationPropertyPage::LoadData()
{
    m_pTree->clear();
    const QString numberFormat = LoadAppString(IDS_USAGE_NUMBER_OF_FILES);
    const auto songs = static_cast<unsigned long long>(m_database.GetSongCount());
    const auto lessons = static_cast<unsigned long long>(m_database.GetLessonCount());

    QTreeWidgetItem* root =
        m_pTree->InsertItem(m_strFileName.isEmpty() ? LoadAppString(IDS_NEW_DATABASE) : m_strFileName);
    m_pTree->BoldItem(root, true);
    m_pTree->InsertItem(
        AfxFormatMessage(LoadAppString(IDS_USAGE_CREATED), UsageTimeText(m_database.GetCreated())), root);
    m_pTree->InsertItem(
        AfxFormatMessage(LoadAppString(IDS_USAGE_MODIFIED), UsageTimeText(m_database.GetModified())), root);
    const QString software = m_database.GetEncodingSoftware();
    m_pTree->InsertItem(AfxFormatMessage(LoadAppString(IDS_USAGE_ENCODING_SOFTWARE),
                                         software.isEmpty() ? LoadAppString(IDS_UNKNOWN) : software),
                        root);
    m_pTree->InsertItem(AfxFormatMessage(numberFormat, songs + lessons), root);
    QTreeWidgetItem* songItem = m_pTree->InsertItem(LoadAppString(IDS_SONGS), root);
    m_pTree->BoldItem(songItem, true);
    m_pTree->InsertItem(AfxFormatMessage(numberFormat, songs), songItem);
    QTreeWidgetItem* lessonItem = m_pTree->InsertItem(LoadAppString(IDS_LESSONS), root);
    m_pTree->BoldItem(lessonItem, true);
    m_pTree->InsertItem(AfxFormatMessage(numberFormat, lessons), lessonItem);
    m_pTree->expandItem(root);
    return true;
}
