#include "qvsystem/controls/HelpCollection.h"

#include "qvsystem/platform/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QXmlStreamReader>

#include <algorithm>

const QString CHelpCollection::CONTENTS_FILE = QStringLiteral("contents.xml");
const QString CHelpCollection::INDEX_FILE = QStringLiteral("index.xml");

namespace {

// Words of a page's title count this many times a word of its body.
constexpr int TITLE_WEIGHT = 10;
// Nothing the help shows is anywhere near this; a larger file is not read.
constexpr qint64 MAX_RESOURCE_SIZE = 16 * 1024 * 1024;

QString LoadQVText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

QString XmlError(const QXmlStreamReader& reader)
{
    return QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber());
}

bool IsPageName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("htm") || suffix == QLatin1String("html");
}

bool ReadSmallFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MAX_RESOURCE_SIZE)
        return false;
    bytes = file.readAll();
    return true;
}

// A contents element and everything below it; false (with the reader's error raised) on
// anything that is not a topic or a book with a title.
bool ReadContentsEntries(QXmlStreamReader& reader, std::vector<CHelpContentsEntry>& entries)
{
    while (reader.readNextStartElement()) {
        const bool isBook = reader.name() == QLatin1String("book");
        if (!isBook && reader.name() != QLatin1String("topic")) {
            reader.raiseError(QStringLiteral("unexpected element <%1>").arg(reader.name()));
            return false;
        }
        CHelpContentsEntry entry;
        entry.isBook = isBook;
        entry.title = reader.attributes().value(QLatin1String("title")).toString().trimmed();
        entry.topic = reader.attributes().value(QLatin1String("page")).toString().trimmed();
        if (entry.title.isEmpty() || (!isBook && entry.topic.isEmpty())) {
            reader.raiseError(QStringLiteral("a <%1> without its %2")
                                  .arg(reader.name(), entry.title.isEmpty() ? QStringLiteral("title")
                                                                            : QStringLiteral("page")));
            return false;
        }
        if (isBook) {
            if (!ReadContentsEntries(reader, entry.children))
                return false;
        } else if (reader.readNextStartElement()) {
            reader.raiseError(QStringLiteral("a <topic> holds no elements"));
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return !reader.hasError();
}

QString FirstPage(const std::vector<CHelpContentsEntry>& entries)
{
    for (const CHelpContentsEntry& entry : entries) {
        if (!entry.topic.isEmpty())
            return entry.topic;
        const QString child = FirstPage(entry.children);
        if (!child.isEmpty())
            return child;
    }
    return QString();
}

} // namespace

bool CHelpCollection::Load(const QString& folder, QString* error)
{
    *this = CHelpCollection();
    const QFileInfo info(folder);
    const QString contents = QDir(folder).filePath(CONTENTS_FILE);
    if (!info.isDir() || !QFileInfo(contents).isFile()) {
        if (error)
            *error = AfxFormatMessage(LoadQVText(IDS_QV_HELP_BAD_FILE), QDir::toNativeSeparators(contents),
                                      LoadQVText(IDS_QV_HELP_MISSING_FILE));
        return false;
    }
    m_strFolder = info.canonicalFilePath();
    LoadContents(QDir(m_strFolder).filePath(CONTENTS_FILE));
    LoadIndex(QDir(m_strFolder).filePath(INDEX_FILE));
    return true;
}

void CHelpCollection::LoadContents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_strContentsError = AfxFormatMessage(LoadQVText(IDS_QV_HELP_BAD_FILE), path, file.errorString());
        return;
    }
    QXmlStreamReader reader(&file);
    std::vector<CHelpContentsEntry> entries;
    if (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("contents")) {
            reader.raiseError(QStringLiteral("the root element is <%1>, not <contents>").arg(reader.name()));
        } else {
            m_strDefaultTopic = reader.attributes().value(QLatin1String("default")).toString().trimmed();
            ReadContentsEntries(reader, entries);
        }
    }
    if (reader.hasError()) {
        m_strContentsError = AfxFormatMessage(LoadQVText(IDS_QV_HELP_BAD_FILE), path, XmlError(reader));
        m_strDefaultTopic.clear();
        return;
    }
    m_contents = std::move(entries);
}

void CHelpCollection::LoadIndex(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_strIndexError = AfxFormatMessage(LoadQVText(IDS_QV_HELP_BAD_FILE), path,
                                           QFileInfo::exists(path) ? file.errorString()
                                                                   : LoadQVText(IDS_QV_HELP_MISSING_FILE));
        return;
    }
    QXmlStreamReader reader(&file);
    std::vector<CHelpIndexEntry> entries;
    if (reader.readNextStartElement() && reader.name() != QLatin1String("index"))
        reader.raiseError(QStringLiteral("the root element is <%1>, not <index>").arg(reader.name()));
    while (!reader.hasError() && reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("keyword")) {
            reader.raiseError(QStringLiteral("unexpected element <%1>").arg(reader.name()));
            break;
        }
        CHelpIndexEntry entry;
        entry.keyword = reader.attributes().value(QLatin1String("text")).toString().trimmed();
        while (!reader.hasError() && reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("topic")) {
                reader.raiseError(QStringLiteral("unexpected element <%1>").arg(reader.name()));
                break;
            }
            CHelpIndexTopic topic;
            topic.topic = reader.attributes().value(QLatin1String("page")).toString().trimmed();
            topic.title = reader.attributes().value(QLatin1String("title")).toString().trimmed();
            reader.skipCurrentElement();
            if (topic.topic.isEmpty()) {
                reader.raiseError(QStringLiteral("a <topic> without its page"));
                break;
            }
            entry.topics.push_back(std::move(topic));
        }
        if (!reader.hasError() && (entry.keyword.isEmpty() || entry.topics.empty()))
            reader.raiseError(QStringLiteral("a <keyword> without its text or its topics"));
        entries.push_back(std::move(entry));
    }
    if (reader.hasError()) {
        m_strIndexError = AfxFormatMessage(LoadQVText(IDS_QV_HELP_BAD_FILE), path, XmlError(reader));
        return;
    }
    for (CHelpIndexEntry& entry : entries) {
        for (CHelpIndexTopic& topic : entry.topics) {
            if (topic.title.isEmpty())
                topic.title = GetPageTitle(topic.topic);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const CHelpIndexEntry& a, const CHelpIndexEntry& b) {
        return QString::compare(a.keyword, b.keyword, Qt::CaseInsensitive) < 0;
    });
    m_index = std::move(entries);
}

QString CHelpCollection::GetDefaultTopic() const
{
    return m_strDefaultTopic.isEmpty() ? FirstPage(m_contents) : m_strDefaultTopic;
}

bool CHelpCollection::IsInside(const QString& path) const
{
    return !m_strFolder.isEmpty() && path.startsWith(m_strFolder + QLatin1Char('/'));
}

QString CHelpCollection::FindFile(const QString& relative) const
{
    const QFileInfo exact(QDir(m_strFolder).filePath(relative));
    if (exact.isFile()) {
        const QString canonical = exact.canonicalFilePath();
        return IsInside(canonical) ? canonical : QString();
    }
    // Topic names of help files are not case-sensitive; the folder's may be.
    QString current = m_strFolder;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QDir dir(current);
        const QDir::Filters filter = i + 1 == parts.size() ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot;
        const QStringList names = dir.entryList(filter);
        const auto found = std::find_if(names.begin(), names.end(), [&](const QString& name) {
            return name.compare(parts[i], Qt::CaseInsensitive) == 0;
        });
        if (found == names.end())
            return QString();
        current = dir.filePath(*found);
    }
    const QString canonical = QFileInfo(current).canonicalFilePath();
    return IsInside(canonical) && QFileInfo(canonical).isFile() ? canonical : QString();
}

bool CHelpCollection::ResolveTopic(const QString& topic, QString& path, QString& anchor) const
{
    path.clear();
    anchor.clear();
    if (m_strFolder.isEmpty())
        return false;
    QString page = topic.trimmed();
    // A window name after '>' chooses a window type of the compiled help; there is one here.
    if (const qsizetype window = page.indexOf(QLatin1Char('>')); window >= 0)
        page.truncate(window);
    if (const qsizetype hash = page.indexOf(QLatin1Char('#')); hash >= 0) {
        anchor = page.mid(hash + 1);
        page.truncate(hash);
    }
    page.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (page.startsWith(QLatin1Char('/')))
        page.remove(0, 1);
    const QString clean = QDir::cleanPath(page);
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String("..") ||
        clean.startsWith(QLatin1String("../")) || !IsPageName(clean)) {
        anchor.clear();
        return false;
    }
    path = FindFile(clean);
    if (path.isEmpty() || !IsPageName(path)) {
        path.clear();
        anchor.clear();
        return false;
    }
    return true;
}

bool CHelpCollection::ResolveLink(const QUrl& link, const QUrl& base, QString& path, QString& anchor) const
{
    path.clear();
    anchor.clear();
    const QUrl url = link.isRelative() ? base.resolved(link) : link;
    if (!url.isLocalFile())
        return false;
    const QString topic = GetTopicOfPath(QFileInfo(url.toLocalFile()).absoluteFilePath());
    if (topic.isEmpty())
        return false;
    return ResolveTopic(url.hasFragment() ? topic + QLatin1Char('#') + url.fragment() : topic, path, anchor);
}

QString CHelpCollection::GetTopicOfPath(const QString& path) const
{
    if (m_strFolder.isEmpty())
        return QString();
    // A page that does not exist has no canonical path; its folder does.
    const QFileInfo info(path);
    const QString canonicalFolder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString full = canonicalFolder + QLatin1Char('/') + info.fileName();
    if (canonicalFolder.isEmpty() || !IsInside(full))
        return QString();
    return full.mid(m_strFolder.size() + 1);
}

QUrl CHelpCollection::GetPageUrl(const QString& path, const QString& anchor) const
{
    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

QVariant CHelpCollection::LoadResource(const QUrl& name, const QUrl& base) const
{
    const QUrl url = name.isRelative() ? base.resolved(name) : name;
    if (!url.isLocalFile() || m_strFolder.isEmpty())
        return QVariant();
    const QString canonical = QFileInfo(url.toLocalFile()).canonicalFilePath();
    QByteArray bytes;
    if (!IsInside(canonical) || !ReadSmallFile(canonical, bytes))
        return QVariant();
    return bytes;
}

QStringList CHelpCollection::GetPages() const
{
    QStringList pages;
    if (m_strFolder.isEmpty())
        return pages;
    const QDir dir(m_strFolder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files)) {
        // A link that points out of the folder is not one of its pages.
        if (IsInside(QFileInfo(dir.filePath(name)).canonicalFilePath()))
            pages.append(name);
    }
    pages.sort();
    return pages;
}

QString CHelpCollection::GetPageTitle(const QString& topic) const
{
    QString path, anchor;
    QByteArray bytes;
    if (!ResolveTopic(topic, path, anchor) || !ReadSmallFile(path, bytes))
        return QString();
    static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = title.match(QString::fromUtf8(bytes));
    if (!match.hasMatch())
        return QFileInfo(path).completeBaseName();
    return QTextDocumentFragment::fromHtml(match.captured(1)).toPlainText().simplified();
}

QStringList CHelpCollection::SplitWords(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            word.append(c);
        } else if (!word.isEmpty()) {
            words.append(word.toCaseFolded());
            word.clear();
        }
    }
    if (!word.isEmpty())
        words.append(word.toCaseFolded());
    return words;
}

const CHelpCollection::CPageText* CHelpCollection::GetPageText(const QString& topic) const
{
    if (const auto known = m_pageTexts.find(topic); known != m_pageTexts.end())
        return &known->second;
    QString path, anchor;
    QByteArray bytes;
    if (!ResolveTopic(topic, path, anchor) || !ReadSmallFile(path, bytes))
        return nullptr;
    // The text the viewer shows, not the markup: tag and attribute names are not words of it.
    QTextDocument document;
    document.setHtml(QString::fromUtf8(bytes));
    CPageText text;
    text.title = document.metaInformation(QTextDocument::DocumentTitle).simplified();
    if (text.title.isEmpty())
        text.title = QFileInfo(path).completeBaseName();
    for (const QString& word : SplitWords(text.title))
        ++text.titleWords[word];
    for (const QString& word : SplitWords(document.toPlainText()))
        ++text.bodyWords[word];
    return &m_pageTexts.emplace(topic, std::move(text)).first->second;
}

std::vector<CHelpSearchHit> CHelpCollection::Search(const QString& query) const
{
    struct CTerm {
        QString word;
        bool prefix;
    };
    std::vector<CTerm> terms;
    for (const QString& part : query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        const QStringList words = SplitWords(part);
        for (qsizetype i = 0; i < words.size(); ++i)
            terms.push_back({words[i], i + 1 == words.size() && part.endsWith(QLatin1Char('*'))});
    }
    std::vector<CHelpSearchHit> hits;
    if (terms.empty())
        return hits;

    const auto count = [](const QHash<QString, int>& words, const CTerm& term) {
        if (!term.prefix)
            return words.value(term.word);
        int total = 0;
        for (auto it = words.cbegin(); it != words.cend(); ++it) {
            if (it.key().startsWith(term.word))
                total += it.value();
        }
        return total;
    };
    for (const QString& page : GetPages()) {
        const CPageText* text = GetPageText(page);
        if (!text)
            continue;
        int score = 0;
        bool all = true;
        for (const CTerm& term : terms) {
            const int found = TITLE_WEIGHT * count(text->titleWords, term) + count(text->bodyWords, term);
            if (found == 0) {
                all = false;
                break;
            }
            score += found;
        }
        if (all)
            hits.push_back({page, text->title, score});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const CHelpSearchHit& a, const CHelpSearchHit& b) {
        if (a.score != b.score)
            return a.score > b.score;
        return a.title.localeAwareCompare(b.title) < 0;
    });
    return hits;
}
