#include "qvsystem/system/FileUtilities.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <boost/regex.hpp>

#include <cerrno>
#include <exception>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QStringView kForbiddenCharacters = u"\\/:*?\"<>|";

bool IsSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

std::optional<boost::wregex> Compile(const QString& pattern, bool caseSensitive)
{
    try {
        boost::regex_constants::syntax_option_type flags = boost::regex_constants::perl;
        if (!caseSensitive)
            flags |= boost::regex_constants::icase;
        return boost::wregex(pattern.toStdWString(), flags);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool Search(const QString& text, const boost::wregex& expression)
{
    try {
        return boost::regex_search(text.toStdWString(), expression);
    } catch (const std::exception&) {
        // Too complex to search (the engine's own limit): no match rather than a hang.
        return false;
    }
}

// The name's bytes for a system call; nothing for a path that the file system cannot name
// (an embedded null would silently cut it short and name another file).
std::optional<QByteArray> SystemPath(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return std::nullopt;
    return QFile::encodeName(path);
}

QString WithForwardSlashes(const QString& path)
{
    QString result = path;
    result.replace(u'\\', u'/');
    return result;
}

} // namespace

bool AfxMatchText(const QString& text, const QString& pattern, bool caseSensitive)
{
    if (text.isNull() || pattern.isNull())
        return false;
    const std::optional<boost::wregex> expression = Compile(pattern, caseSensitive);
    return expression && Search(text, *expression);
}

bool AfxIsValidFileName(const QString& fileName)
{
    if (fileName.isNull())
        return false;

    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString stem = dot < 0 ? fileName : fileName.left(dot);
    if (stem.trimmed().isEmpty())
        return false;

    // Compiled once: rename dialogs validate on every OK, synchronization may validate many.
    static const std::optional<boost::wregex> leadingBlankOrPeriod =
        Compile(QStringLiteral("^[\\ \\.]"), true);
    static const std::optional<boost::wregex> reservedDevice =
        Compile(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]|CLOCK\\$)([\\ \\.].*)?$"), false);
    static const std::optional<boost::wregex> trailingBlankBarOrPeriod =
        Compile(QStringLiteral(".*[\\ |\\.]$"), true);
    if (!leadingBlankOrPeriod || !reservedDevice || !trailingBlankBarOrPeriod)
        return false;

    if (Search(stem, *leadingBlankOrPeriod))
        return false;
    if (Search(stem, *reservedDevice))
        return false;
    if (Search(fileName, *trailingBlankBarOrPeriod))
        return false;
    for (QChar c : fileName) {
        if (kForbiddenCharacters.contains(c))
            return false;
    }
    return true;
}

bool AfxValidateFileName(const QString& fileName, bool replace, QString& cleanedFileName)
{
    cleanedFileName.clear();
    if (fileName.isNull())
        return false;
    cleanedFileName.reserve(fileName.size());
    for (QChar c : fileName) {
        if (!kForbiddenCharacters.contains(c))
            cleanedFileName.append(c);
        else if (replace)
            cleanedFileName.append(u' ');
    }
    return true;
}

bool AfxDoesFileExist(const QString& path)
{
    const std::optional<QByteArray> name = SystemPath(path);
    if (!name)
        return false;
    if (::access(name->constData(), F_OK) == 0)
        return true;
    // Only "not there" means missing; a path we may not look into still exists.
    return errno != ENOENT && errno != ENOTDIR;
}

bool AfxIsExistingFile(const QString& path)
{
    const std::optional<QByteArray> name = SystemPath(path);
    if (!name)
        return false;
    struct stat status {};
    return ::stat(name->constData(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool AfxIsParentFolder(const QString& parentFolder, const QString& childPath)
{
    if (parentFolder.isNull() || childPath.isNull() || parentFolder.size() >= childPath.size())
        return false;

    QString parent = WithForwardSlashes(parentFolder);
    const QString child = WithForwardSlashes(childPath);
    // A trailing separator names the same folder; the root keeps its own.
    while (parent.size() > 1 && parent.endsWith(u'/'))
        parent.chop(1);
    // An empty parent names no folder at all.
    if (parent.isEmpty() || !child.startsWith(parent, Qt::CaseInsensitive))
        return false;

    qsizetype rest = parent.size();
    if (!parent.endsWith(u'/')) {
        if (child.at(rest) != u'/')
            return false; // "/Music" is not the parent of "/Musicals/..."
        ++rest;
    }
    // Something must follow: "/Music/" is the folder itself, not a path inside it.
    while (rest < child.size() && child.at(rest) == u'/')
        ++rest;
    return rest < child.size();
}

bool AfxIsSubfolder(const QString& parentFolder, const QString& childPath)
{
    return AfxIsParentFolder(parentFolder, childPath);
}

bool AfxExtractFolderPathAndFileNameFromPath(const QString& path, QString& folderPath, QString& fileName)
{
    folderPath.clear();
    fileName.clear();
    if (path.isNull())
        return false;
    qsizetype split = path.size();
    while (split > 0 && !IsSeparator(path.at(split - 1)))
        --split;
    folderPath = path.left(split);
    fileName = path.mid(split);
    return true;
}

bool AfxExtractFolderPathFromPath(const QString& path, QString& folderPath)
{
    QString fileName;
    return AfxExtractFolderPathAndFileNameFromPath(path, folderPath, fileName);
}

bool AfxRecycleFile(const QString& path, bool deletePermanently, uint16_t flags)
{
    // The remaining shell flags (silent, no confirmation, no error display) describe what
    // the trash does anyway; only the choice between trash and removal matters.
    (void)flags;
    if (!SystemPath(path))
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    if (!deletePermanently) {
        QFile file(path);
        return file.moveToTrash();
    }
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

bool AfxOpenFile(const QString& file, const QString& parameters, const QString& folder, int showCommand)
{
    (void)parameters;
    (void)folder;
    (void)showCommand;
    if (!AfxDoesFileExist(file))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}
