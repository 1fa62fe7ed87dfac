#include "qvsystem/controls/QVAboutDlg.h"

#include "qvsystem/controls/QVListCtrl.h"
#include "qvsystem/controls/QVTreeCtrl.h"
#include "qvsystem/controls/ResourceImages.h"
#include "qvsystem/platform/StringTable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <link.h>
#include <unistd.h>

namespace {

// Tree item data: the module's index, or one of these.
constexpr int ROLE_MODULE = Qt::UserRole + 1;
constexpr int ITEM_LOADED_MODULES = -1;
constexpr int ITEM_ACKNOWLEDGEMENTS = -2;

constexpr int PAGE_DETAILS = 0;
constexpr int PAGE_ACKNOWLEDGEMENTS = 1;
constexpr int PAGE_MODULE_LIST = 2;

QString IdName(int id)
{
    return QString::number(id);
}

int CollectModule(dl_phdr_info* info, size_t, void* data)
{
    auto* paths = static_cast<QStringList*>(data);
    // The main program has no name here and the vDSO no file: both have no path.
    if (info->dlpi_name && info->dlpi_name[0] == '/')
        paths->append(QFile::decodeName(info->dlpi_name));
    return 0;
}

// Another process's modules: the files it maps executable. A file is listed once, in the
// order of its first mapping.
QStringList ModulesFromMaps(qint64 processId)
{
    QStringList paths;
    QFile maps(QStringLiteral("/proc/%1/maps").arg(processId));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return paths;
    QSet<QString> seen;
    // A maps file of a real process stays far below this; the bound keeps a strange one
    // from filling memory.
    constexpr int MAX_LINES = 200000;
    // The file reports no size, so it is read until a read gives nothing.
    for (int line = 0; line < MAX_LINES; ++line) {
        const QByteArray raw = maps.readLine(8192);
        if (raw.isEmpty())
            break;
        const QByteArray text = raw.trimmed();
        // address perms offset device inode path
        const QList<QByteArray> fields = text.split(' ');
        QList<QByteArray> parts;
        for (const QByteArray& field : fields) {
            if (!field.isEmpty())
                parts.append(field);
        }
        if (parts.size() < 6 || parts.at(1).size() < 3 || parts.at(1).at(2) != 'x')
            continue;
        // The path is everything after the inode (it may hold blanks).
        const qsizetype at = text.indexOf('/');
        if (at < 0)
            continue;
        const QString path = QFile::decodeName(text.mid(at));
        if (path.endsWith(QLatin1String(" (deleted)")) || seen.contains(path))
            continue;
        seen.insert(path);
        paths.append(path);
    }
    return paths;
}

QString VersionValue(CModuleVersion& version, const char* name)
{
    QString value;
    if (version.IsLoaded())
        version.GetSubBlockValue(QString::fromLatin1(name), value);
    return value;
}

QString VersionLine(CModuleVersion& version)
{
    QString line = VersionValue(version, "FileVersion");
    const QString buildDate = VersionValue(version, "BuildDate");
    if (!buildDate.isEmpty())
        line += QStringLiteral(" (") + buildDate + QLatin1Char(')');
    return line;
}

QString CanonicalOrSelf(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QPlainTextEdit* ReadOnlyText(QWidget* parent, int id)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(IdName(id));
    edit->setReadOnly(true);
    return edit;
}

QLabel* DetailLabel(QWidget* parent, int id)
{
    auto* label = new QLabel(parent);
    label->setObjectName(IdName(id));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

QStringList AfxEnumerateProcessModules(qint64 processId)
{
    if (processId != 0 && processId != static_cast<qint64>(getpid()))
        return ModulesFromMaps(processId);
    QStringList paths;
    paths.append(CModuleVersion::GetModuleFilePath(nullptr));
    dl_iterate_phdr(CollectModule, &paths);
    paths.removeAll(QString());
    paths.removeDuplicates();
    return paths;
}

CQVAboutDlg::CQVAboutDlg(const QString& caption, qint64 processId, const QString& programModulePath,
                         unsigned bannerBitmapId, const QString& acknowledgements, QWidget* parent)
    : CQVDialog(IDD_QV_ABOUT, parent), m_strCaption(caption.isNull() ? AfxLoadString(IDS_QV_ABOUT) : caption),
      m_nProcessId(processId),
      m_strProgramModulePath(programModulePath.isEmpty() ? CModuleVersion::GetModuleFilePath(nullptr)
                                                         : programModulePath),
      m_nBannerBitmapId(bannerBitmapId), m_strAcknowledgements(acknowledgements)
{
    setObjectName(IdName(IDD_QV_ABOUT));
    setWindowTitle(m_strCaption);

    m_pBanner = new QLabel(this);
    m_pBanner->setObjectName(IdName(IDC_QV_ABOUT_BANNER));
    m_pBanner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pBannerLine = new QFrame(this);
    m_pBannerLine->setObjectName(IdName(IDC_QV_ABOUT_BANNER_LINE));
    m_pBannerLine->setFrameShape(QFrame::HLine);
    m_pBannerLine->setFrameShadow(QFrame::Sunken);

    m_pTree = new CQVTreeCtrl(this);
    m_pTree->setObjectName(IdName(IDC_QV_ABOUT_TREE));
    m_pTree->setIconSize(QSize(16, 16));
    m_pTree->setMinimumWidth(200);
    // Long library names scroll rather than end in an ellipsis.
    m_pTree->header()->setStretchLastSection(false);
    m_pTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    // Details of one module.
    m_pDetailsPage = new QWidget(this);
    m_pName = DetailLabel(m_pDetailsPage, IDC_QV_ABOUT_NAME);
    m_pVersion = DetailLabel(m_pDetailsPage, IDC_QV_ABOUT_VERSION);
    m_pCopyright = DetailLabel(m_pDetailsPage, IDC_QV_ABOUT_COPYRIGHT);
    m_pSpecialBuild = DetailLabel(m_pDetailsPage, IDC_QV_ABOUT_SPECIAL_BUILD);
    QPalette red = m_pSpecialBuild->palette();
    red.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    m_pSpecialBuild->setPalette(red);
    auto* pathLabel = new QLabel(AfxLoadString(IDS_QV_ABOUT_FILE_PATH), m_pDetailsPage);
    pathLabel->setObjectName(IdName(IDC_QV_ABOUT_FILE_PATH_LABEL));
    m_pFilePath = new QLineEdit(m_pDetailsPage);
    m_pFilePath->setObjectName(IdName(IDC_QV_ABOUT_FILE_PATH));
    m_pFilePath->setReadOnly(true);
    pathLabel->setBuddy(m_pFilePath);
    auto* commentsLabel = new QLabel(AfxLoadString(IDS_QV_ABOUT_COMMENTS), m_pDetailsPage);
    commentsLabel->setObjectName(IdName(IDC_QV_ABOUT_COMMENTS_LABEL));
    m_pComments = ReadOnlyText(m_pDetailsPage, IDC_QV_ABOUT_COMMENTS);
    commentsLabel->setBuddy(m_pComments);
    auto* details = new QVBoxLayout(m_pDetailsPage);
    details->setContentsMargins(0, 0, 0, 0);
    details->addWidget(m_pName);
    details->addWidget(m_pVersion);
    details->addSpacing(6);
    details->addWidget(m_pCopyright);
    details->addWidget(m_pSpecialBuild);
    details->addSpacing(6);
    details->addWidget(pathLabel);
    details->addWidget(m_pFilePath);
    details->addWidget(commentsLabel);
    details->addWidget(m_pComments, 1);

    // The acknowledgements in the same place.
    m_pAcknowledgementsPage = new QWidget(this);
    auto* heading = new QLabel(AfxLoadString(IDS_QV_ABOUT_ACKNOWLEDGEMENTS), m_pAcknowledgementsPage);
    heading->setObjectName(IdName(IDC_QV_ABOUT_ACKNOWLEDGEMENTS_HEADING));
    m_pAcknowledgements = ReadOnlyText(m_pAcknowledgementsPage, IDC_QV_ABOUT_ACKNOWLEDGEMENTS);
    auto* thanks = new QVBoxLayout(m_pAcknowledgementsPage);
    thanks->setContentsMargins(0, 0, 0, 0);
    thanks->addWidget(heading);
    thanks->addWidget(m_pAcknowledgements, 1);

    // Every module at a glance.
    m_pModuleList = new CQVListCtrl(this);
    m_pModuleList->setObjectName(IdName(IDC_QV_ABOUT_MODULE_LIST));
    m_pModuleList->InsertColumn(COLUMN_NAME, AfxLoadString(IDS_QV_ABOUT_COLUMN_NAME), LVCFMT_LEFT, 150);
    m_pModuleList->InsertColumn(COLUMN_VERSION, AfxLoadString(IDS_QV_ABOUT_COLUMN_VERSION), LVCFMT_LEFT, 80);
    m_pModuleList->InsertColumn(COLUMN_PATH, AfxLoadString(IDS_QV_ABOUT_COLUMN_PATH), LVCFMT_LEFT, 300);
    m_pModuleList->setSelectionMode(QAbstractItemView::SingleSelection);

    m_pPages = new QStackedWidget(this);
    m_pPages->insertWidget(PAGE_DETAILS, m_pDetailsPage);
    m_pPages->insertWidget(PAGE_ACKNOWLEDGEMENTS, m_pAcknowledgementsPage);
    m_pPages->insertWidget(PAGE_MODULE_LIST, m_pModuleList);

    auto* separator = new QFrame(this);
    separator->setObjectName(IdName(IDC_QV_ABOUT_SEPARATOR));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(IdName(1));
    ok->setText(AfxLoadString(IDS_QV_ABOUT_OK));

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(10, 8, 10, 0);
    middle->setSpacing(10);
    middle->addWidget(m_pTree, 1);
    middle->addWidget(m_pPages, 2);
    auto* bottom = new QVBoxLayout;
    bottom->setContentsMargins(10, 0, 10, 10);
    bottom->addWidget(separator);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_pBanner);
    layout->addWidget(m_pBannerLine);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    resize(700, 460);

    connect(m_pTree, &CQVTreeCtrl::SelectionChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnSelectionChanged(current); });
    // A module picked in the list is shown in the tree.
    connect(m_pModuleList, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        const QVariant module = m_pModuleList->GetItemData(index.row());
        for (int i = 0; m_pModulesItem && i < m_pModulesItem->childCount(); ++i) {
            if (m_pModulesItem->child(i)->data(0, ROLE_MODULE) == module)
                m_pTree->SelectItem(m_pModulesItem->child(i), false);
        }
    });
}

CQVAboutDlg::~CQVAboutDlg() = default;

void CQVAboutDlg::GetBoldControlIDs(std::vector<int>& ids) const
{
    ids.push_back(IDC_QV_ABOUT_NAME);
    ids.push_back(IDC_QV_ABOUT_ACKNOWLEDGEMENTS_HEADING);
}

bool CQVAboutDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    setWindowTitle(m_strCaption);
    LoadWatermark();
    LoadModules();
    if (HasAcknowledgements()) {
        m_pAcknowledgementsItem = m_pTree->InsertItem(AfxLoadString(IDS_QV_ABOUT_ACKNOWLEDGEMENTS));
        m_pAcknowledgementsItem->setData(0, ROLE_MODULE, ITEM_ACKNOWLEDGEMENTS);
        m_pAcknowledgementsItem->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxInformation));
        m_pAcknowledgements->setPlainText(m_strAcknowledgements);
    }
    // Loaded Modules stays closed, so that the three items show at once.
    m_pTree->collapseAll();
    m_pTree->SelectItem(m_pProductItem, false);
    OnSelectionChanged(m_pProductItem);
    return true;
}

bool CQVAboutDlg::LoadWatermark()
{
    const QPixmap banner =
        m_nBannerBitmapId ? AfxLoadResourceBitmap(m_nBannerBitmapId, devicePixelRatioF()) : QPixmap();
    m_pBanner->setPixmap(banner);
    m_pBanner->setVisible(!banner.isNull());
    m_pBannerLine->setVisible(!banner.isNull());
    if (!banner.isNull()) {
        // The dialog is never narrower than its banner.
        m_pBanner->setFixedHeight(qRound(banner.height() / banner.devicePixelRatio()));
        m_pBanner->setMinimumWidth(qRound(banner.width() / banner.devicePixelRatio()));
    }
    return !banner.isNull();
}

void CQVAboutDlg::DeleteModuleVersionArrayContents()
{
    m_modules.clear();
}

int CQVAboutDlg::AddModule(const QString& path)
{
    auto entry = std::make_unique<CModuleEntry>();
    entry->strPath = path;
    entry->version.Load(path);
    m_modules.push_back(std::move(entry));
    return static_cast<int>(m_modules.size()) - 1;
}

bool CQVAboutDlg::LoadModules()
{
    m_pTree->clear();
    m_pModuleList->DeleteAllItems();
    m_pProductItem = m_pModulesItem = m_pAcknowledgementsItem = nullptr;
    DeleteModuleVersionArrayContents();

    const int product = AddModule(m_strProgramModulePath);
    m_pProductItem = m_pTree->InsertItem(AfxLoadString(IDS_QV_ABOUT_PRODUCT_INFORMATION));
    m_pProductItem->setData(0, ROLE_MODULE, product);
    m_pProductItem->setIcon(0, QApplication::windowIcon().isNull()
                                   ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                   : QApplication::windowIcon());

    m_pModulesItem = m_pTree->InsertItem(AfxLoadString(IDS_QV_ABOUT_LOADED_MODULES));
    m_pModulesItem->setData(0, ROLE_MODULE, ITEM_LOADED_MODULES);
    m_pModulesItem->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    const QString program = CanonicalOrSelf(m_strProgramModulePath);
    const QIcon moduleIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const QString& path : AfxEnumerateProcessModules(m_nProcessId)) {
        // Linux file names are case-sensitive: only the program's own file is left out.
        if (CanonicalOrSelf(path) == program)
            continue;
        const int index = AddModule(path);
        const QString name = QFileInfo(path).fileName();
        QTreeWidgetItem* item = m_pTree->InsertItem(name, m_pModulesItem, true);
        item->setData(0, ROLE_MODULE, index);
        item->setIcon(0, moduleIcon);
        item->setToolTip(0, path);
        // The list in the same order as the tree.
        const int row = m_pModulesItem->indexOfChild(item);
        m_pModuleList->InsertItem(row, name);
        m_pModuleList->SetItemText(
            row, COLUMN_VERSION, VersionValue(m_modules[static_cast<size_t>(index)]->version, "FileVersion"));
        m_pModuleList->SetItemText(row, COLUMN_PATH, path);
        m_pModuleList->SetItemData(row, index);
    }
    for (int column : {COLUMN_NAME, COLUMN_VERSION, COLUMN_PATH})
        m_pModuleList->SetColumnWidth(column, LVSCW_AUTOSIZE_USEHEADER);
    return true;
}

QTreeWidgetItem* CQVAboutDlg::FindModuleItem(const QString& fileName) const
{
    for (int i = 0; m_pModulesItem && i < m_pModulesItem->childCount(); ++i) {
        if (m_pModulesItem->child(i)->text(0) == fileName)
            return m_pModulesItem->child(i);
    }
    return nullptr;
}

void CQVAboutDlg::ShowAcknowledgements(bool show)
{
    m_pPages->setCurrentIndex(show ? PAGE_ACKNOWLEDGEMENTS : PAGE_DETAILS);
}

void CQVAboutDlg::ClearDetails()
{
    for (QLabel* label : {m_pName, m_pVersion, m_pCopyright, m_pSpecialBuild})
        label->clear();
    m_pFilePath->clear();
    m_pComments->clear();
}

void CQVAboutDlg::ShowModule(int index, bool product)
{
    ShowAcknowledgements(false);
    ClearDetails();
    if (index < 0 || index >= static_cast<int>(m_modules.size()))
        return;
    CModuleEntry& module = *m_modules[static_cast<size_t>(index)];
    m_pName->setText(VersionValue(module.version, product ? "ProductName" : "FileDescription"));
    m_pVersion->setText(VersionLine(module.version));
    m_pCopyright->setText(VersionValue(module.version, "LegalCopyright"));
    m_pSpecialBuild->setText(VersionValue(module.version, "SpecialBuild"));
    m_pFilePath->setText(module.strPath);
    m_pFilePath->setCursorPosition(0);
    m_pComments->setPlainText(VersionValue(module.version, "Comments"));
    // Empty lines take no room, so the details stay together.
    for (QLabel* label : {m_pName, m_pVersion, m_pCopyright, m_pSpecialBuild})
        label->setVisible(!label->text().isEmpty());
}

void CQVAboutDlg::ShowModuleList()
{
    m_pPages->setCurrentIndex(PAGE_MODULE_LIST);
}

void CQVAboutDlg::OnSelectionChanged(QTreeWidgetItem* current)
{
    if (!current)
        return;
    const int module = current->data(0, ROLE_MODULE).toInt();
    if (module == ITEM_ACKNOWLEDGEMENTS)
        ShowAcknowledgements(true);
    else if (module == ITEM_LOADED_MODULES)
        ShowModuleList();
    else
        ShowModule(module, current == m_pProductItem);
}
