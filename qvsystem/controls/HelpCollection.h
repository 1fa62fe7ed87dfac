#pragma once
// The pages of one help file: a folder of HTML pages that stands in for a compiled help file,
// with its table of contents (contents.xml), its keyword index (index.xml) and a full-text
// search over the text of the pages.
//
// contents.xml:
//   <contents default="welcome.htm">
//     <topic title="Welcome" page="welcome.htm"/>
//     <book title="Options" page="options.htm"> <topic .../> ... </book>
//   </contents>
// index.xml:
//   <index>
//     <keyword text="backing up"> <topic page="backup.htm"/> <topic page="b.htm#x" title="..."/> </keyword>
//   </index>
// A topic without a title in the index takes the title of its page.
//
// A topic ("page.htm" or "page.htm#anchor") resolves only to an existing page inside the
// folder: no absolute path, no climbing out with "..", no link that leaves the folder.

#include "qvsystem/qvsystem_export.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <map>
#include <vector>

struct QVSYSTEM_EXPORT CHelpContentsEntry {
    QString title;
    QString topic; // may be empty for a book without a page of its own
    std::vector<CHelpContentsEntry> children;
    bool isBook = false;
};

struct QVSYSTEM_EXPORT CHelpIndexTopic {
    QString title;
    QString topic;
};

struct QVSYSTEM_EXPORT CHelpIndexEntry {
    QString keyword;
    std::vector<CHelpIndexTopic> topics;
};

struct QVSYSTEM_EXPORT CHelpSearchHit {
    QString topic; // the page
    QString title;
    int score = 0;
};

class QVSYSTEM_EXPORT CHelpCollection {
public:
    static const QString CONTENTS_FILE;
    static const QString INDEX_FILE;

    CHelpCollection() = default;

    // Reads the contents and index files of the folder. False (with the reason) when the
    // folder holds no contents file; a damaged contents or index file is kept as that file's
    // error (GetContentsError, GetIndexError) and loading still succeeds, so that topics show.
    bool Load(const QString& folder, QString* error = nullptr);
    bool IsLoaded() const { return !m_strFolder.isEmpty(); }
    const QString& GetFolder() const { return m_strFolder; }

    const std::vector<CHelpContentsEntry>& GetContents() const { return m_contents; }
    const std::vector<CHelpIndexEntry>& GetIndex() const { return m_index; }
    // Empty when the file was read; otherwise what is wrong with it.
    const QString& GetContentsError() const { return m_strContentsError; }
    const QString& GetIndexError() const { return m_strIndexError; }
    // The page the help opens with: the contents' default, else its first page.
    QString GetDefaultTopic() const;

    // Splits "page.htm#anchor" and finds the page inside the folder (exact name first, then
    // ignoring letter case). False when there is no such page or the topic leaves the folder.
    bool ResolveTopic(const QString& topic, QString& path, QString& anchor) const;
    // The same for a link of a page: relative to the page it is on, or a file URL.
    bool ResolveLink(const QUrl& link, const QUrl& base, QString& path, QString& anchor) const;
    // The page name of a path inside the folder ("page.htm"), or empty.
    QString GetTopicOfPath(const QString& path) const;
    // The file:// URL the viewer shows a page under.
    QUrl GetPageUrl(const QString& path, const QString& anchor = QString()) const;

    // The bytes of a page, stylesheet or image addressed relative to the base page; an
    // invalid variant for anything outside the folder.
    QVariant LoadResource(const QUrl& name, const QUrl& base) const;

    // Every page of the folder ("page.htm"), sorted.
    QStringList GetPages() const;
    QString GetPageTitle(const QString& topic) const;

    // Pages that hold every word of the query (letters compared without regard to case; a
    // word ending in "*" matches every word it begins), best first: words in the title weigh
    // more than words in the body. An empty query finds nothing.
    std::vector<CHelpSearchHit> Search(const QString& query) const;
    // The words of a text as the search sees them.
    static QStringList SplitWords(const QString& text);

private:
    struct CPageText {
        QString title;
        QHash<QString, int> titleWords;
        QHash<QString, int> bodyWords;
    };

    bool IsInside(const QString& path) const;
    QString FindFile(const QString& relative) const;
    const CPageText* GetPageText(const QString& topic) const;
    void LoadContents(const QString& path);
    void LoadIndex(const QString& path);

    QString m_strFolder; // absolute, canonical
    std::vector<CHelpContentsEntry> m_contents;
    std::vector<CHelpIndexEntry> m_index;
    QString m_strDefaultTopic;
    QString m_strContentsError;
    QString m_strIndexError;
    mutable std::map<QString, CPageText> m_pageTexts; // filled on first use
};
