#include "qvsystem/controls/HelpViewer.h"

#include "qvsystem/controls/HtmlHelp.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/StringTable.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int TOPIC_ROLE = Qt::UserRole;
constexpr QSize DEFAULT_SIZE(960, 680);
constexpr int NAVIGATION_WIDTH = 300;

QPointer<CHelpViewer> g_viewer;

QString LoadQVText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

QString Id(int id)
{
    return QString::number(id);
}

QString WithoutAnchor(const QString& topic)
{
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    return hash < 0 ? topic : topic.left(hash);
}

bool IsWebAddress(const QUrl& url)
{
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

} // namespace

CHelpBrowser::CHelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setObjectName(Id(IDC_QV_HELP_BROWSER));
    // Every link goes through the viewer, which decides what may be opened.
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name)
{
    (void)type;
    if (!m_pCollection)
        return QVariant();
    return m_pCollection->LoadResource(name, source());
}

CHelpViewer* CHelpViewer::GetViewer(bool create)
{
    if (!g_viewer && create) {
        g_viewer = new CHelpViewer;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &CHelpViewer::DestroyViewer);
    }
    return g_viewer;
}

void CHelpViewer::DestroyViewer()
{
    delete g_viewer.data();
}

CHelpViewer::CHelpViewer() : QWidget(nullptr, Qt::Window)
{
    const QString program = QGuiApplication::applicationDisplayName().isEmpty()
                                ? QCoreApplication::applicationName()
                                : QGuiApplication::applicationDisplayName();
    setWindowTitle(AfxFormatMessage(LoadQVText(IDS_QV_HELP_CAPTION), program));

    // Navigation buttons above the page.
    // The desktop theme's navigation icons where it has them.
    const auto makeTool = [this](int id, unsigned textId, const char* themeIcon,
                                 QStyle::StandardPixmap icon) {
        auto* button = new QToolButton(this);
        button->setObjectName(Id(id));
        button->setText(LoadQVText(textId));
        button->setIcon(
            QIcon::fromTheme(QLatin1String(themeIcon), style()->standardIcon(icon, nullptr, this)));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        return button;
    };
    m_pBack = makeTool(IDC_QV_HELP_BACK, IDS_QV_HELP_BACK, "go-previous", QStyle::SP_ArrowBack);
    m_pForward = makeTool(IDC_QV_HELP_FORWARD, IDS_QV_HELP_FORWARD, "go-next", QStyle::SP_ArrowForward);
    m_pHome = makeTool(IDC_QV_HELP_HOME, IDS_QV_HELP_HOME, "go-home", QStyle::SP_DirHomeIcon);
    m_pBack->setShortcut(QKeySequence::Back);
    m_pForward->setShortcut(QKeySequence::Forward);
    m_pBack->setEnabled(false);
    m_pForward->setEnabled(false);
    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(m_pBack);
    tools->addWidget(m_pForward);
    tools->addWidget(m_pHome);
    tools->addStretch();

    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(Id(IDC_QV_HELP_TABS));

    // Contents.
    m_pContents = new QTreeWidget(m_pTabs);
    m_pContents->setObjectName(Id(IDC_QV_HELP_CONTENTS_TREE));
    m_pContents->setHeaderHidden(true);
    m_pContents->setColumnCount(1);
    m_pContents->setRootIsDecorated(true);
    m_pTabs->addTab(m_pContents, LoadQVText(IDS_QV_HELP_CONTENTS));

    // Index.
    auto* indexPage = new QWidget(m_pTabs);
    auto* indexLabel = new QLabel(LoadQVText(IDS_QV_HELP_KEYWORD), indexPage);
    m_pIndexEdit = new QLineEdit(indexPage);
    m_pIndexEdit->setObjectName(Id(IDC_QV_HELP_INDEX_EDIT));
    m_pIndexEdit->setClearButtonEnabled(true);
    indexLabel->setBuddy(m_pIndexEdit);
    m_pIndexList = new QTreeWidget(indexPage);
    m_pIndexList->setObjectName(Id(IDC_QV_HELP_INDEX_LIST));
    m_pIndexList->setHeaderHidden(true);
    m_pIndexList->setColumnCount(1);
    m_pIndexDisplay = new QPushButton(LoadQVText(IDS_QV_HELP_DISPLAY), indexPage);
    m_pIndexDisplay->setObjectName(Id(IDC_QV_HELP_INDEX_DISPLAY));
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(indexLabel);
    indexLayout->addWidget(m_pIndexEdit);
    indexLayout->addWidget(m_pIndexList, 1);
    auto* indexButtons = new QHBoxLayout;
    indexButtons->addStretch();
    indexButtons->addWidget(m_pIndexDisplay);
    indexLayout->addLayout(indexButtons);
    m_pTabs->addTab(indexPage, LoadQVText(IDS_QV_HELP_INDEX));

    // Search.
    auto* searchPage = new QWidget(m_pTabs);
    auto* searchLabel = new QLabel(LoadQVText(IDS_QV_HELP_QUERY), searchPage);
    m_pSearchEdit = new QLineEdit(searchPage);
    m_pSearchEdit->setObjectName(Id(IDC_QV_HELP_SEARCH_EDIT));
    m_pSearchEdit->setClearButtonEnabled(true);
    searchLabel->setBuddy(m_pSearchEdit);
    m_pSearchListTopics = new QPushButton(LoadQVText(IDS_QV_HELP_LIST_TOPICS), searchPage);
    m_pSearchListTopics->setObjectName(Id(IDC_QV_HELP_SEARCH_LIST_TOPICS));
    auto* resultsLabel = new QLabel(LoadQVText(IDS_QV_HELP_SELECT_TOPIC), searchPage);
    m_pSearchResults = new QTreeWidget(searchPage);
    m_pSearchResults->setObjectName(Id(IDC_QV_HELP_SEARCH_RESULTS));
    m_pSearchResults->setColumnCount(2);
    m_pSearchResults->setHeaderLabels(
        {LoadQVText(IDS_QV_HELP_TITLE_COLUMN), LoadQVText(IDS_QV_HELP_RANK_COLUMN)});
    m_pSearchResults->setRootIsDecorated(false);
    m_pSearchResults->header()->setStretchLastSection(false);
    m_pSearchResults->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_pSearchResults->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    resultsLabel->setBuddy(m_pSearchResults);
    m_pSearchFound = new QLabel(searchPage);
    m_pSearchFound->setObjectName(Id(IDC_QV_HELP_SEARCH_FOUND));
    m_pSearchDisplay = new QPushButton(LoadQVText(IDS_QV_HELP_DISPLAY), searchPage);
    m_pSearchDisplay->setObjectName(Id(IDC_QV_HELP_SEARCH_DISPLAY));
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(searchLabel);
    auto* queryRow = new QHBoxLayout;
    queryRow->addWidget(m_pSearchEdit, 1);
    queryRow->addWidget(m_pSearchListTopics);
    searchLayout->addLayout(queryRow);
    searchLayout->addWidget(resultsLabel);
    searchLayout->addWidget(m_pSearchResults, 1);
    auto* searchButtons = new QHBoxLayout;
    searchButtons->addWidget(m_pSearchFound);
    searchButtons->addStretch();
    searchButtons->addWidget(m_pSearchDisplay);
    searchLayout->addLayout(searchButtons);
    m_pTabs->addTab(searchPage, LoadQVText(IDS_QV_HELP_SEARCH));

    m_pBrowser = new CHelpBrowser(this);
    m_pBrowser->SetCollection(&m_collection);

    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->addWidget(m_pTabs);
    m_pSplitter->addWidget(m_pBrowser);
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setChildrenCollapsible(false);
    m_pSplitter->setSizes({NAVIGATION_WIDTH, DEFAULT_SIZE.width() - NAVIGATION_WIDTH});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(tools);
    layout->addWidget(m_pSplitter, 1);
    resize(DEFAULT_SIZE);

    connect(m_pBack, &QToolButton::clicked, m_pBrowser, &QTextBrowser::backward);
    connect(m_pForward, &QToolButton::clicked, m_pBrowser, &QTextBrowser::forward);
    connect(m_pHome, &QToolButton::clicked, this, [this]() { ShowTopic(QString(), nullptr); });
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, m_pBack, &QWidget::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, m_pForward, &QWidget::setEnabled);
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &CHelpViewer::OnSourceChanged);
    connect(m_pBrowser, &QTextBrowser::anchorClicked, this, &CHelpViewer::OnLinkClicked);
    connect(m_pContents, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { OnContentsItemChanged(item); });
    connect(m_pContents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { OnContentsItemChanged(item); });
    connect(m_pIndexEdit, &QLineEdit::textChanged, this, &CHelpViewer::FilterIndex);
    connect(m_pIndexEdit, &QLineEdit::returnPressed, this, &CHelpViewer::DisplaySelectedIndexTopic);
    connect(m_pIndexList, &QTreeWidget::itemActivated, this, &CHelpViewer::DisplaySelectedIndexTopic);
    connect(m_pIndexDisplay, &QPushButton::clicked, this, &CHelpViewer::DisplaySelectedIndexTopic);
    connect(m_pSearchEdit, &QLineEdit::returnPressed, this, &CHelpViewer::RunSearch);
    connect(m_pSearchListTopics, &QPushButton::clicked, this, &CHelpViewer::RunSearch);
    connect(m_pSearchResults, &QTreeWidget::itemActivated, this, &CHelpViewer::DisplaySelectedSearchTopic);
    connect(m_pSearchDisplay, &QPushButton::clicked, this, &CHelpViewer::DisplaySelectedSearchTopic);
    connect(m_pBrowser, &QTextBrowser::highlighted, this, [this](const QUrl& url) {
        m_pBrowser->setToolTip(url.isEmpty() ? QString() : url.toString(QUrl::PreferLocalFile));
    });
}

CHelpViewer::~CHelpViewer()
{
    if (m_pOwner)
        m_pOwner->removeEventFilter(this);
}

bool CHelpViewer::OpenHelpFile(const QString& helpFile, const QString& folder, QString* error)
{
    if (m_collection.IsLoaded() && QFileInfo(folder).canonicalFilePath() == m_collection.GetFolder() &&
        helpFile.compare(m_strHelpFile, Qt::CaseInsensitive) == 0)
        return true;
    CHelpCollection collection;
    if (!collection.Load(folder, error))
        return false;
    m_collection = std::move(collection);
    m_strHelpFile = helpFile;
    m_highlightWords.clear();
    m_pBrowser->clearHistory();
    m_pBrowser->clear();
    BuildContents();
    BuildIndex();
    m_pSearchResults->clear();
    m_pSearchFound->clear();
    return true;
}

void CHelpViewer::AddContentsEntries(QTreeWidgetItem* parent, const std::vector<CHelpContentsEntry>& entries)
{
    for (const CHelpContentsEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_pContents);
        item->setText(0, entry.title);
        item->setData(0, TOPIC_ROLE, entry.topic);
        item->setIcon(
            0, style()->standardIcon(entry.isBook ? QStyle::SP_DirIcon : QStyle::SP_FileIcon, nullptr, this));
        AddContentsEntries(item, entry.children);
    }
}

void CHelpViewer::BuildContents()
{
    m_pContents->clear();
    AddContentsEntries(nullptr, m_collection.GetContents());
}

void CHelpViewer::BuildIndex()
{
    m_pIndexList->clear();
    const auto& index = m_collection.GetIndex();
    for (const CHelpIndexEntry& entry : index) {
        auto* item = new QTreeWidgetItem(m_pIndexList);
        item->setText(0, entry.keyword);
        if (entry.topics.size() == 1) {
            item->setData(0, TOPIC_ROLE, entry.topics.front().topic);
            item->setToolTip(0, entry.topics.front().title);
            continue;
        }
        // A keyword of several pages lists them below it.
        for (const CHelpIndexTopic& topic : entry.topics) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, topic.title);
            child->setData(0, TOPIC_ROLE, topic.topic);
        }
    }
    FilterIndex(m_pIndexEdit->text());
}

bool CHelpViewer::ShowContents(QString* error)
{
    if (!m_collection.GetContentsError().isEmpty()) {
        if (error)
            *error = m_collection.GetContentsError();
        return false;
    }
    m_pTabs->setCurrentIndex(contentsTab);
    ShowFirstPageIfNone();
    m_pContents->setFocus();
    return true;
}

bool CHelpViewer::ShowIndex(const QString& keyword, QString* error)
{
    if (!m_collection.GetIndexError().isEmpty()) {
        if (error)
            *error = m_collection.GetIndexError();
        return false;
    }
    m_pTabs->setCurrentIndex(indexTab);
    if (m_pIndexEdit->text() == keyword)
        FilterIndex(keyword);
    else
        m_pIndexEdit->setText(keyword);
    ShowFirstPageIfNone();
    m_pIndexEdit->setFocus();
    m_pIndexEdit->selectAll();
    return true;
}

bool CHelpViewer::ShowSearch(const QString& query, QString* error)
{
    (void)error;
    m_pTabs->setCurrentIndex(searchTab);
    m_pSearchEdit->setText(query);
    if (!query.trimmed().isEmpty())
        RunSearch();
    ShowFirstPageIfNone();
    m_pSearchEdit->setFocus();
    m_pSearchEdit->selectAll();
    return true;
}

bool CHelpViewer::ShowTopic(const QString& topic, QString* error)
{
    const QString wanted = topic.trimmed().isEmpty() ? m_collection.GetDefaultTopic() : topic;
    QString path, anchor;
    if (!m_collection.ResolveTopic(wanted, path, anchor)) {
        const QString description = AfxFormatMessage(LoadQVText(IDS_QV_HELP_NO_TOPIC),
                                                     wanted.isEmpty() ? topic : wanted, m_strHelpFile);
        if (error)
            *error = description;
        else
            ReportRefusal(description);
        return false;
    }
    m_highlightWords.clear();
    ShowPage(path, anchor);
    return true;
}

void CHelpViewer::ShowFirstPageIfNone()
{
    if (GetCurrentTopic().isEmpty())
        ShowTopic(QString(), nullptr);
}

void CHelpViewer::ShowPage(const QString& path, const QString& anchor)
{
    const QUrl url = m_collection.GetPageUrl(path, anchor);
    if (url == m_pBrowser->source()) {
        // The same address again: show the place again (the reader may have scrolled away).
        if (anchor.isEmpty())
            m_pBrowser->verticalScrollBar()->setValue(0);
        else
            m_pBrowser->scrollToAnchor(anchor);
        HighlightSearchWords();
        return;
    }
    m_pBrowser->setSource(url, QTextDocument::HtmlResource);
    HighlightSearchWords();
}

QString CHelpViewer::GetCurrentTopic() const
{
    const QUrl source = m_pBrowser->source();
    return source.isLocalFile() ? m_collection.GetTopicOfPath(source.toLocalFile()) : QString();
}

int CHelpViewer::GetCurrentTab() const
{
    return m_pTabs->currentIndex();
}

void CHelpViewer::OnContentsItemChanged(QTreeWidgetItem* item)
{
    if (!item || m_bSyncingContents)
        return;
    const QString topic = item->data(0, TOPIC_ROLE).toString();
    if (topic.isEmpty()) {
        item->setExpanded(true);
        return;
    }
    ShowTopic(topic, nullptr);
}

void CHelpViewer::OnSourceChanged(const QUrl& url)
{
    const QString topic = url.isLocalFile() ? m_collection.GetTopicOfPath(url.toLocalFile()) : QString();
    // The contents follow the page, without showing it a second time.
    QTreeWidgetItem* match = nullptr;
    for (QTreeWidgetItemIterator it(m_pContents); *it && !topic.isEmpty(); ++it) {
        if (WithoutAnchor((*it)->data(0, TOPIC_ROLE).toString()).compare(topic, Qt::CaseInsensitive) == 0) {
            match = *it;
            break;
        }
    }
    if (match) {
        m_bSyncingContents = true;
        for (QTreeWidgetItem* parent = match->parent(); parent; parent = parent->parent())
            parent->setExpanded(true);
        m_pContents->setCurrentItem(match);
        m_pContents->scrollToItem(match);
        m_bSyncingContents = false;
    }
    emit TopicShown(topic);
}

void CHelpViewer::OnLinkClicked(const QUrl& url)
{
    if (IsWebAddress(url)) {
        AfxOpenHelpTarget(url.toString(QUrl::FullyEncoded));
        return;
    }
    QString path, anchor;
    if (url.isRelative() || url.isLocalFile()) {
        if (m_collection.ResolveLink(url, m_pBrowser->source(), path, anchor)) {
            m_highlightWords.clear();
            ShowPage(path, anchor);
            return;
        }
        // A link into the folder that names no page is a missing topic; anything else leaves it.
        const QUrl target = url.isRelative() ? m_pBrowser->source().resolved(url) : url;
        const QString topic = m_collection.GetTopicOfPath(target.toLocalFile());
        if (!topic.isEmpty()) {
            ReportRefusal(AfxFormatMessage(LoadQVText(IDS_QV_HELP_NO_TOPIC), topic, m_strHelpFile));
            return;
        }
    }
    ReportRefusal(AfxFormatMessage(LoadQVText(IDS_QV_HELP_BAD_LINK), url.toString()));
}

void CHelpViewer::ReportRefusal(const QString& description)
{
    AfxHtmlHelpSetLastError(description);
    AfxHtmlHelpErrorMessageBox(MB_OK | MB_ICONEXCLAMATION);
}

void CHelpViewer::FilterIndex(const QString& text)
{
    const QString wanted = text.trimmed();
    QTreeWidgetItem* first = nullptr;
    QTreeWidgetItem* prefix = nullptr;
    for (int i = 0; i < m_pIndexList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_pIndexList->topLevelItem(i);
        const QString keyword = item->text(0);
        const bool shown = wanted.isEmpty() || keyword.contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (!shown)
            continue;
        if (!first)
            first = item;
        if (!prefix && keyword.startsWith(wanted, Qt::CaseInsensitive))
            prefix = item;
    }
    QTreeWidgetItem* selected = prefix ? prefix : first;
    m_pIndexList->setCurrentItem(selected);
    if (selected)
        m_pIndexList->scrollToItem(selected, QAbstractItemView::PositionAtTop);
    m_pIndexDisplay->setEnabled(selected != nullptr);
}

bool CHelpViewer::DisplaySelectedIndexTopic()
{
    QTreeWidgetItem* item = m_pIndexList->currentItem();
    if (!item || item->isHidden())
        return false;
    if (item->childCount() > 0) {
        // Several pages: the list shows them, and the first is shown.
        item->setExpanded(true);
        item = item->child(0);
        m_pIndexList->setCurrentItem(item);
    }
    return ShowTopic(item->data(0, TOPIC_ROLE).toString(), nullptr);
}

void CHelpViewer::RunSearch()
{
    const QString query = m_pSearchEdit->text();
    const std::vector<CHelpSearchHit> hits = m_collection.Search(query);
    m_pSearchResults->clear();
    int rank = 0;
    for (const CHelpSearchHit& hit : hits) {
        auto* item = new QTreeWidgetItem(m_pSearchResults);
        item->setText(0, hit.title);
        item->setText(1, QString::number(++rank));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, TOPIC_ROLE, hit.topic);
    }
    if (m_pSearchResults->topLevelItemCount() > 0)
        m_pSearchResults->setCurrentItem(m_pSearchResults->topLevelItem(0));
    m_pSearchDisplay->setEnabled(!hits.empty());
    m_pSearchFound->setText(AfxFormatMessage(LoadQVText(IDS_QV_HELP_FOUND), static_cast<int>(hits.size())));
}

bool CHelpViewer::DisplaySelectedSearchTopic()
{
    QTreeWidgetItem* item = m_pSearchResults->currentItem();
    if (!item)
        return false;
    if (!ShowTopic(item->data(0, TOPIC_ROLE).toString(), nullptr))
        return false;
    // The words that found the page are marked on it.
    m_highlightWords.clear();
    for (const QString& part : m_pSearchEdit->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList words = CHelpCollection::SplitWords(part);
        for (qsizetype i = 0; i < words.size(); ++i) {
            const bool prefix = i + 1 == words.size() && part.endsWith(QLatin1Char('*'));
            m_highlightWords.append(QRegularExpression::escape(words[i]) +
                                    (prefix ? QStringLiteral("\\w*") : QString()));
        }
    }
    HighlightSearchWords();
    return true;
}

void CHelpViewer::HighlightSearchWords()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (!m_highlightWords.isEmpty()) {
        const QRegularExpression words(
            QStringLiteral("\\b(%1)\\b").arg(m_highlightWords.join(QLatin1Char('|'))),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(QColor(255, 232, 120));
        mark.format.setForeground(QColor(0, 0, 0));
        QTextDocument* document = m_pBrowser->document();
        for (QTextCursor found = document->find(words); !found.isNull();
             found = document->find(words, found)) {
            mark.cursor = found;
            selections.append(mark);
        }
    }
    m_pBrowser->setExtraSelections(selections);
}

void CHelpViewer::Present()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this && !isAncestorOf(modal))
        AttachToOwner(modal);
    if (isMinimized())
        showNormal();
    else
        show();
    m_bPlaced = true;
    raise();
    activateWindow();
}

void CHelpViewer::AttachToOwner(QWidget* owner)
{
    if (parentWidget() == owner)
        return;
    const QRect geometry = this->geometry();
    const bool visible = isVisible();
    if (m_pOwner)
        m_pOwner->removeEventFilter(this);
    // A window of the modal dialog is not blocked by it.
    setParent(owner, windowFlags() | Qt::Window);
    m_pOwner = owner;
    owner->installEventFilter(this);
    if (m_bPlaced)
        setGeometry(geometry);
    if (visible)
        show();
}

void CHelpViewer::DetachFromOwner()
{
    if (m_pOwner)
        m_pOwner->removeEventFilter(this);
    m_pOwner = nullptr;
    const QRect geometry = this->geometry();
    const bool visible = isVisible();
    setParent(nullptr, windowFlags() | Qt::Window);
    setGeometry(geometry);
    if (visible)
        show();
}

bool CHelpViewer::eventFilter(QObject* watched, QEvent* event)
{
    // The dialog goes (closed, or deleted, which hides it first): the window stays, with
    // the desktop as its parent again, or with the modal dialog that is still open.
    if (watched == m_pOwner && event->type() == QEvent::Hide) {
        DetachFromOwner();
        QTimer::singleShot(0, this, [this]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (isVisible() && modal && modal != this && !isAncestorOf(modal))
                AttachToOwner(modal);
        });
    }
    return QWidget::eventFilter(watched, event);
}
