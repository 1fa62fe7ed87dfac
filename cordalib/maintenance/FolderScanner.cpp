#include "cordalib/maintenance/FolderScanner.h"

#include "cordalib/maintenance/MaintenanceStrings.h"
#include "qvsystem/platform/ErrorText.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace {

enum class EntryKind : unsigned char { file, folder, link, unknown, other };

EntryKind KindOf(unsigned char type)
{
    switch (type) {
    case DT_REG:
        return EntryKind::file;
    case DT_DIR:
        return EntryKind::folder;
    case DT_LNK:
        return EntryKind::link;
    case DT_UNKNOWN:
        return EntryKind::unknown;
    default:
        return EntryKind::other;
    }
}

EntryKind KindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::file;
    if (S_ISDIR(mode))
        return EntryKind::folder;
    if (S_ISLNK(mode))
        return EntryKind::link;
    return EntryKind::other;
}

QByteArray JoinNative(const QByteArray& folder, const QByteArray& name)
{
    QByteArray path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (!path.endsWith('/'))
        path += '/';
    path += name;
    return path;
}

// Closes the descriptor on every path out.
class FolderHandle {
public:
    explicit FolderHandle(int fd) : m_fd(fd) {}
    ~FolderHandle() { Close(); }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    void Close()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

// Whether the permission bits alone let this process read the file. Only a yes is sure
// (an access control list could still refuse); for a no, the kernel is asked.
bool BitsPermitReading(const struct stat& info, uid_t user)
{
    if (user == 0)
        return true;
    if (info.st_uid == user)
        return (info.st_mode & S_IRUSR) != 0;
    // Group or not, a reader who is not the owner may read when both classes may.
    return (info.st_mode & S_IRGRP) != 0 && (info.st_mode & S_IROTH) != 0;
}

} // namespace

CFolderScanner::CFolderScanner(IProgressWindow* window, QStringList& errors, FileFound fileFound)
    : m_pWindow(window), m_errors(errors), m_fileFound(std::move(fileFound)), m_user(geteuid())
{
}

bool CFolderScanner::IsTablatureFileName(const char* name, size_t length)
{
    if (length < 4)
        return false;
    const char* extension = name + length - 4;
    return extension[0] == '.' && (extension[1] | 0x20) == 'c' && (extension[2] | 0x20) == 'r' &&
           (extension[3] | 0x20) == 'd';
}

bool CFolderScanner::CheckCancel()
{
    if (!m_bCancelled && m_pWindow && m_pWindow->CheckCancelButton())
        m_bCancelled = true;
    return m_bCancelled;
}

void CFolderScanner::AddError(const QByteArray& nativePath, int error)
{
    QString text;
    if (!AfxGetPlatformErrorText(error, text))
        text = QString::number(error);
    m_errors.append(MaintenanceStrings::FormatErrorLine(QFile::decodeName(nativePath), text));
}

void CFolderScanner::MarkIncomplete(const QByteArray& nativePath)
{
    m_incompleteFolders.append(NormalizeFolderPath(QFile::decodeName(nativePath)));
}

bool CFolderScanner::ScanFolder(const QString& folder)
{
    if (CheckCancel())
        return false;
    return Walk(QFile::encodeName(NormalizeFolderPath(folder)), true);
}

bool CFolderScanner::ScanLinks()
{
    while (!m_pendingLinks.empty()) {
        if (CheckCancel())
            return false;
        const QByteArray link = std::move(m_pendingLinks.front());
        m_pendingLinks.pop_front();
        if (!Walk(link, true))
            return false;
    }
    return true;
}

bool CFolderScanner::Walk(const QByteArray& nativePath, bool followLink)
{
    const int fd =
        open(nativePath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int error = errno;
        // A link that points nowhere (or at itself) is skipped; anything else that keeps
        // the folder from being read is reported, and what lies below it is kept.
        if (followLink && (error == ENOENT || error == ELOOP)) {
            struct stat linkInfo;
            if (lstat(nativePath.constData(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode))
                return true;
        }
        AddError(nativePath, error);
        MarkIncomplete(nativePath);
        return true;
    }
    FolderHandle handle(fd);
    struct stat info;
    if (fstat(fd, &info) != 0) {
        AddError(nativePath, errno);
        MarkIncomplete(nativePath);
        return true;
    }
    if (!m_visited.insert(FolderId{info.st_dev, info.st_ino}).second)
        return true; // reached before in this run: its files are handled already
    // The entries straight from the kernel, in large blocks: a directory stream would
    // cost two more calls per folder to set up.
    m_listing.resize(LISTING_BUFFER_SIZE);
    std::vector<QByteArray> subfolders;
    for (;;) {
        if (CheckCancel())
            return false;
        const ssize_t got = getdents64(fd, m_listing.data(), m_listing.size());
        if (got <= 0) {
            if (got < 0) {
                AddError(nativePath, errno);
                MarkIncomplete(nativePath);
            }
            break;
        }
        for (ssize_t offset = 0; offset < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(m_listing.data() + offset);
            if (entry->d_reclen == 0 || entry->d_reclen > got - offset)
                break; // a record the kernel never gives; the next block is asked for
            offset += entry->d_reclen;
            if (CheckCancel())
                return false;
            HandleEntry(fd, nativePath, entry->d_name, entry->d_type, subfolders);
        }
    }
    handle.Close();

    for (const QByteArray& subfolder : subfolders) {
        if (CheckCancel())
            return false;
        if (!Walk(subfolder, false))
            return false;
    }
    return true;
}

void CFolderScanner::HandleEntry(int folder, const QByteArray& nativePath, const char* name,
                                 unsigned char type, std::vector<QByteArray>& subfolders)
{
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
        return;
    EntryKind kind = KindOf(type);
    if (kind == EntryKind::other)
        return;
    const size_t length = std::strlen(name);
    const bool tablature = IsTablatureFileName(name, length);
    if (kind == EntryKind::file && !tablature)
        return;
    if (kind == EntryKind::unknown) {
        // File systems that give no type in the listing: ask for it.
        struct stat entryInfo;
        if (fstatat(folder, name, &entryInfo, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;
            const QByteArray path = JoinNative(nativePath, QByteArray(name));
            AddError(path, error);
            MarkIncomplete(path);
            return;
        }
        kind = KindOfMode(entryInfo.st_mode);
    }
    if (kind == EntryKind::link) {
        struct stat target;
        if (fstatat(folder, name, &target, 0) != 0) {
            const int error = errno;
            if (error == ENOENT || error == ELOOP || error == ENOTDIR)
                return; // dangling
            const QByteArray path = JoinNative(nativePath, QByteArray(name));
            AddError(path, error);
            MarkIncomplete(path);
            return;
        }
        if (S_ISDIR(target.st_mode)) {
            m_pendingLinks.push_back(JoinNative(nativePath, QByteArray(name)));
            return;
        }
        if (!S_ISREG(target.st_mode))
            return;
        kind = EntryKind::file;
    }
    if (kind == EntryKind::folder)
        subfolders.push_back(JoinNative(nativePath, QByteArray(name)));
    else if (kind == EntryKind::file && tablature)
        m_fileFound(QFile::decodeName(JoinNative(
                        nativePath, QByteArray::fromRawData(name, static_cast<qsizetype>(length)))),
                    CScannedFile(folder, name, m_user));
}

bool CScannedFile::GetState(FILETIME& time, bool& readable) const
{
    struct stat info;
    if (fstatat(m_folder, m_name, &info, 0) != 0)
        return false;
    time = AfxTimespecToFileTime(info.st_mtim);
    readable = BitsPermitReading(info, m_user) || faccessat(m_folder, m_name, R_OK, AT_EACCESS) == 0;
    return true;
}

bool CFolderScanner::IsInIncompleteFolder(const QString& path) const
{
    for (const QString& folder : m_incompleteFolders) {
        if (path == folder || IsPathInFolder(folder, path))
            return true;
    }
    return false;
}

QString NormalizeFolderPath(const QString& folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool IsPathInFolder(const QString& folder, const QString& path)
{
    const QString parent = NormalizeFolderPath(folder);
    if (parent.isEmpty() || path.size() <= parent.size() || !path.startsWith(parent))
        return false;
    if (parent.endsWith(QLatin1Char('/'))) // the root
        return true;
    return path.at(parent.size()) == QLatin1Char('/');
}
