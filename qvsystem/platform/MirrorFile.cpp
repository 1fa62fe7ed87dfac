#include "qvsystem/platform/MirrorFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Keeps the temporary name within NAME_MAX even for a target with a long name.
constexpr qsizetype MAX_STEM = 200;

mode_t CurrentUmask()
{
    // umask() can only be read by changing it, which races with other threads; the
    // kernel reports it here since Linux 4.7.
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                std::fclose(status);
                return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8) & 0777);
            }
        }
        std::fclose(status);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

void FillError(CFileException* error, int osError, const QString& path)
{
    if (!error)
        return;
    error->m_cause = CFileException::OsErrorToException(osError);
    error->m_lOsError = osError;
    error->m_strFileName = path;
}

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

// A safe save through a symbolic link replaces the file it points to, not the link.
QByteArray ResolveTarget(const QByteArray& native)
{
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return native;
    char* resolved = ::realpath(native.constData(), nullptr);
    if (!resolved)
        return native;
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

CMirrorFile::~CMirrorFile()
{
    if (IsOpen())
        CMirrorFile::Abort();
}

bool CMirrorFile::Open(const QString& path, unsigned openFlags, CFileException* error)
{
    // Without creation (or when the old content is to be kept) there is nothing to
    // replace: a plain file.
    const bool writes = (openFlags & (modeWrite | modeReadWrite)) != 0;
    if (!(openFlags & modeCreate) || (openFlags & modeNoTruncate) || !writes || IsOpen())
        return CFile::Open(path, openFlags, error);

    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty()) {
        FillError(error, ENOENT, path);
        return false;
    }
    const QByteArray target = ResolveTarget(native);
    struct stat st;
    bool existed = false;
    if (::stat(target.constData(), &st) == 0) {
        existed = true;
        if (S_ISDIR(st.st_mode)) {
            FillError(error, EISDIR, path);
            return false;
        }
        // Replacing by rename would bypass a read-only target's protection.
        if (::access(target.constData(), W_OK) != 0) {
            FillError(error, errno, path);
            return false;
        }
    } else if (errno != ENOENT) {
        FillError(error, errno, path);
        return false;
    }

    const QByteArray folder = FolderOf(target);
    QByteArray stem = target.mid(target.lastIndexOf('/') + 1);
    if (stem.size() > MAX_STEM)
        stem.truncate(MAX_STEM);
    QByteArray mirror = folder + "/." + stem + ".XXXXXX";
    int fd;
    do {
        fd = ::mkostemp(mirror.data(), O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FillError(error, errno, path);
        return false;
    }

    m_hFile = fd;
    m_strFileName = path;
    m_openFlags = openFlags;
    m_nativeMirror = mirror;
    m_nativeTarget = target;
    m_strMirrorName = QFile::decodeName(mirror);
    m_targetExisted = existed;
    m_targetMode = existed ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    m_targetOwner = existed ? st.st_uid : 0;
    m_targetGroup = existed ? st.st_gid : 0;
    return true;
}

void CMirrorFile::DiscardMirror()
{
    if (m_hFile != hFileNull) {
        ::close(m_hFile);
        m_hFile = hFileNull;
    }
    if (!m_nativeMirror.isEmpty())
        ::unlink(m_nativeMirror.constData());
    m_nativeMirror.clear();
    m_nativeTarget.clear();
    m_strMirrorName.clear();
}

void CMirrorFile::FailClose(int osError)
{
    DiscardMirror();
    CFileException::ThrowOsError(osError, m_strFileName);
}

void CMirrorFile::Close()
{
    if (m_strMirrorName.isEmpty()) {
        CFile::Close();
        return;
    }
    const int fd = m_hFile;
    // The data must be on the disk before the name points to it, or a crash could leave
    // an empty file where the old one was.
    if (::fsync(fd) != 0 && errno != EINVAL)
        FailClose(errno);
    if (m_targetExisted) {
        // Keeps the group where the user may; another owner needs privileges we lack.
        if (::fchown(fd, m_targetOwner, m_targetGroup) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), m_targetGroup);
    }
    if (::fchmod(fd, static_cast<mode_t>(m_targetMode)) != 0)
        FailClose(errno);
    m_hFile = hFileNull;
    if (::close(fd) != 0 && errno != EINTR)
        FailClose(errno);
    if (::rename(m_nativeMirror.constData(), m_nativeTarget.constData()) != 0)
        FailClose(errno);
    const QByteArray folder = FolderOf(m_nativeTarget);
    m_nativeMirror.clear();
    m_nativeTarget.clear();
    m_strMirrorName.clear();
    if (CMirrorFileBatch* batch = CMirrorFileBatch::GetCurrent()) {
        batch->AddFolder(folder);
        return;
    }
    // Makes the rename itself durable.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        const int result = ::fsync(dirFd);
        const int syncError = errno;
        ::close(dirFd);
        if (result != 0 && syncError != EINVAL)
            CFileException::ThrowOsError(syncError, m_strFileName);
    }
}

void CMirrorFile::Abort()
{
    if (m_strMirrorName.isEmpty()) {
        CFile::Abort();
        return;
    }
    DiscardMirror();
}

namespace {
thread_local CMirrorFileBatch* t_pBatch = nullptr;
}

CMirrorFileBatch::CMirrorFileBatch() : m_pPrevious(t_pBatch)
{
    t_pBatch = this;
}

CMirrorFileBatch::~CMirrorFileBatch()
{
    Finish();
    t_pBatch = m_pPrevious;
}

CMirrorFileBatch* CMirrorFileBatch::GetCurrent()
{
    return t_pBatch;
}

void CMirrorFileBatch::AddFolder(const QByteArray& nativeFolder)
{
    std::lock_guard lock(m_mutex);
    if (!m_lastFolder.isNull() && nativeFolder == m_lastFolder)
        return;
    m_lastFolder = nativeFolder;
    struct stat info {};
    if (::stat(nativeFolder.constData(), &info) != 0)
        info.st_dev = 0; // synced on its own at the end
    for (const Folder& folder : m_folders) {
        if (info.st_dev != 0 && folder.device == info.st_dev)
            return;
        if (folder.path == nativeFolder)
            return;
    }
    m_folders.push_back({info.st_dev, nativeFolder});
}

bool CMirrorFileBatch::Finish(QString* failedFolder, int* osError)
{
    std::lock_guard lock(m_mutex);
    bool synced = true;
    for (const Folder& folder : m_folders) {
        const int fd = ::open(folder.path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue; // removed meanwhile: nothing of ours is left to make durable there
        const int result = ::syncfs(fd);
        const int syncError = errno;
        ::close(fd);
        if (result != 0 && synced) {
            synced = false;
            if (failedFolder)
                *failedFolder = QFile::decodeName(folder.path);
            if (osError)
                *osError = syncError;
        }
    }
    m_folders.clear();
    m_lastFolder = QByteArray();
    return synced;
}

CMirrorFileCloser::CMirrorFileCloser() : m_pBatch(CMirrorFileBatch::GetCurrent()) {}

CMirrorFileCloser::~CMirrorFileCloser()
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_nNext == m_jobs.size(); });
        m_bStop = true;
    }
    m_changed.notify_all();
    if (m_helper.joinable())
        m_helper.join();
}

void CMirrorFileCloser::Start(CMirrorFile& file)
{
    // Made at the first close, before the job is queued: a thread that cannot be had
    // throws here with nothing left waiting for it.
    if (!m_helper.joinable())
        m_helper = std::thread([this] { Work(); });
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{&file, false, nullptr});
    }
    m_changed.notify_all();
}

void CMirrorFileCloser::Wait(CMirrorFile& file)
{
    std::exception_ptr failure;
    {
        std::unique_lock lock(m_mutex);
        const auto job = [&] {
            return std::find_if(m_jobs.begin(), m_jobs.end(), [&](const Job& j) { return j.file == &file; });
        };
        if (job() == m_jobs.end())
            return; // never started here, or already waited for
        m_changed.wait(lock, [&] { return job()->done; });
        const auto found = job();
        failure = found->failure;
        m_jobs.erase(found);
        --m_nNext; // every job before the helper's next one is done, this one too
    }
    if (failure)
        std::rethrow_exception(failure);
}

void CMirrorFileCloser::Work()
{
    // The closes go to the batch of the thread that made the closer.
    t_pBatch = m_pBatch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_bStop || m_nNext < m_jobs.size(); });
        if (m_nNext == m_jobs.size())
            break;
        CMirrorFile* file = m_jobs[m_nNext].file;
        lock.unlock();
        std::exception_ptr failure;
        try {
            file->Close();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        // Wait erases only finished jobs, which all lie before m_nNext: this one is still there.
        Job& job = m_jobs[m_nNext];
        job.done = true;
        job.failure = failure;
        ++m_nNext;
        m_changed.notify_all();
    }
    t_pBatch = nullptr;
}
