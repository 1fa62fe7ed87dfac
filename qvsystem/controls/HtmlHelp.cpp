#include "qvsystem/controls/HtmlHelp.h"

#include "qvsystem/controls/HelpViewer.h"
#include "qvsystem/platform/StringTable.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <map>
#include <mutex>

namespace {

const QLatin1String TOPIC_SEPARATOR("::");
// The program's own help file, whose pages the source tree holds.
const QLatin1String PROGRAM_HELP_FILE("cordalib.chm");

std::mutex g_mutex;
QString g_lastError;
std::map<QString, QString> g_folders; // lower-cased help file name -> folder

QString LoadQVText(unsigned id)
{
    QString text;
    AfxGetQVSystemStringTable().Load(id, text);
    return text;
}

QString HelpFileKey(const QString& helpFile)
{
    return QFileInfo(helpFile.trimmed()).fileName().toLower();
}

bool HoldsHelp(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(QDir(folder).filePath(CHelpCollection::CONTENTS_FILE)).isFile();
}

// Widgets exist only with a QApplication and only on its thread.
bool CanShowWindows()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

// "file::/page.htm#x" -> file and topic; a path without "::" is the file alone.
void SplitHelpPath(const QString& path, QString& file, QString& topic)
{
    const qsizetype separator = path.indexOf(TOPIC_SEPARATOR);
    if (separator < 0) {
        file = path.trimmed();
        topic.clear();
        return;
    }
    file = path.left(separator).trimmed();
    topic = path.mid(separator + TOPIC_SEPARATOR.size()).trimmed();
    while (topic.startsWith(QLatin1Char('/')))
        topic.remove(0, 1);
}

int Refuse(const QString& description)
{
    AfxHtmlHelpSetLastError(description);
    AfxHtmlHelpErrorMessageBox(MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

enum class helpRequest { contents, index, search, topic };

int ShowHelp(const QString& helpPath, helpRequest request, const QString& argument)
{
    AfxHtmlHelpSetLastError(QString());
    if (!CanShowWindows())
        return Refuse(LoadQVText(IDS_QV_HELP_NO_WINDOW));
    QString file, topic;
    SplitHelpPath(helpPath, file, topic);
    if (request == helpRequest::topic && topic.isEmpty())
        topic = argument;
    const QString folder = AfxGetHtmlHelpFolder(file);
    if (folder.isEmpty()) {
        const QStringList looked = AfxGetHtmlHelpSearchFolders(file);
        return Refuse(AfxFormatMessage(LoadQVText(IDS_QV_HELP_NO_FILE), file,
                                       QDir::toNativeSeparators(looked.join(QStringLiteral("\r\n")))));
    }

    CHelpViewer* viewer = CHelpViewer::GetViewer(true);
    QString error;
    if (!viewer->OpenHelpFile(QFileInfo(file).fileName(), folder, &error))
        return Refuse(error);
    bool shown = false;
    switch (request) {
    case helpRequest::contents:
        shown = viewer->ShowContents(&error);
        break;
    case helpRequest::index:
        shown = viewer->ShowIndex(argument, &error);
        break;
    case helpRequest::search:
        shown = viewer->ShowSearch(argument, &error);
        break;
    case helpRequest::topic:
        shown = viewer->ShowTopic(topic, &error);
        break;
    }
    if (!shown)
        return Refuse(error);
    viewer->Present();
    return 1;
}

} // namespace

int AfxHtmlHelpDisplayContents(const QString& helpFile)
{
    return ShowHelp(helpFile, helpRequest::contents, QString());
}

int AfxHtmlHelpDisplayIndex(const QString& helpFile, const QString& keyword)
{
    return ShowHelp(helpFile, helpRequest::index, keyword);
}

int AfxHtmlHelpDisplaySearch(const QString& helpFile, const QString& query)
{
    return ShowHelp(helpFile, helpRequest::search, query);
}

int AfxHtmlHelpDisplayTopic(const QString& helpPath)
{
    return ShowHelp(helpPath, helpRequest::topic, QString());
}

int AfxHtmlHelpDisplayTopic(const QString& helpFile, const QString& topic)
{
    return ShowHelp(QStringLiteral("%1::/%2").arg(helpFile, topic), helpRequest::topic, QString());
}

bool AfxHtmlHelpGetLastError(QString& description)
{
    std::lock_guard lock(g_mutex);
    description = g_lastError;
    return !description.isEmpty();
}

void AfxHtmlHelpSetLastError(const QString& description)
{
    std::lock_guard lock(g_mutex);
    g_lastError = description;
}

int AfxHtmlHelpErrorMessageBox(unsigned type)
{
    QString description;
    if (!AfxHtmlHelpGetLastError(description))
        return 0;
    return AfxQVMessageBox(AfxFormatMessage(LoadQVText(IDS_QV_HTML_HELP_ERROR), description), type);
}

QStringList AfxGetHtmlHelpSearchFolders(const QString& helpFile)
{
    const QString key = HelpFileKey(helpFile);
    {
        std::lock_guard lock(g_mutex);
        if (const auto set = g_folders.find(key); set != g_folders.end())
            return {set->second};
    }
    QStringList folders;
    const QString name = QFileInfo(key).completeBaseName();
    if (name.isEmpty())
        return folders;
    const QString relative = name + QStringLiteral("/help");
    if (QCoreApplication::instance())
        folders.append(QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") +
                                       relative));
#ifdef CORDA_SOURCE_HELP_DIR
    if (key == PROGRAM_HELP_FILE)
        folders.append(QStringLiteral(CORDA_SOURCE_HELP_DIR));
#endif
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir::cleanPath(data + QLatin1Char('/') + relative);
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

QString AfxGetHtmlHelpFolder(const QString& helpFile)
{
    for (const QString& folder : AfxGetHtmlHelpSearchFolders(helpFile)) {
        if (HoldsHelp(folder))
            return folder;
    }
    return QString();
}

void AfxSetHtmlHelpFolder(const QString& helpFile, const QString& folder)
{
    const QString key = HelpFileKey(helpFile);
    if (key.isEmpty())
        return;
    std::lock_guard lock(g_mutex);
    if (folder.isEmpty())
        g_folders.erase(key);
    else
        g_folders[key] = folder;
}

void AfxInstallHtmlHelpViewer()
{
    AfxSetHtmlHelpTopicHandler([](const QString& helpPath) { AfxHtmlHelpDisplayTopic(helpPath); });
}
