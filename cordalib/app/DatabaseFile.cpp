#include "cordalib/app/DatabaseFile.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/StringTable.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString DatabaseFile::DescribeException(const CException& exception)
{
    QString text;
    if (exception.GetErrorMessage(text) && !text.isEmpty())
        return text;
    return AfxGetExceptionCauseText(exception);
}

void DatabaseFile::Report(unsigned formatId, const QString& path, const QString& cause, const ErrorSink& sink)
{
    const QString text = AfxFormatMessage(LoadAppString(formatId), path, cause);
    if (sink.showErrors)
        AfxQVMessageBox(text, MB_OK | MB_ICONWARNING);
    else if (sink.errorText)
        *sink.errorText = text;
}

namespace {

QString SystemErrorText(int error)
{
    QString text;
    if (AfxGetSystemErrorText(error, text) && !text.isEmpty())
        return text;
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes the kept name last before the original is replaced by a rename in the same folder.
void SyncFolderOf(const QByteArray& nativePath)
{
    const int slash = nativePath.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? nativePath.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Copies source to a new file target (never an existing one). Returns 0 or the errno.
int CopyToNewFile(const QByteArray& source, const QByteArray& target)
{
    const int in = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0) {
                error = errno;
                break;
            }
            done += put;
        }
        if (error != 0)
            break;
    }
    if (error == 0 && ::fsync(out) != 0 && errno != EINVAL)
        error = errno;
    if (::close(out) != 0 && error == 0)
        error = errno;
    ::close(in);
    if (error != 0)
        ::unlink(target.constData());
    return error;
}

} // namespace

bool DatabaseFile::KeepDamagedFile(const QString& path, QString* keptPath, QString* errorText)
{
    if (keptPath)
        keptPath->clear();
    if (errorText)
        errorText->clear();
    if (path.isEmpty())
        return false;
    const QByteArray source = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(source.constData(), &status) != 0)
        return errno == ENOENT;
    constexpr int kMaxCopies = 10000;
    QString candidate;
    int lastError = EEXIST;
    for (int number = 1; number <= kMaxCopies; ++number) {
        candidate = path + QStringLiteral(".damaged");
        if (number > 1)
            candidate += QLatin1Char('.') + QString::number(number);
        const QByteArray target = QFile::encodeName(candidate);
        // A copy of its own, not a second name of the same file: whatever later writes to
        // the path must not reach the kept bytes.
        const int error = CopyToNewFile(source, target);
        if (error == 0) {
            SyncFolderOf(target);
            if (keptPath)
                *keptPath = candidate;
            return true;
        }
        lastError = error;
        if (error != EEXIST)
            break;
    }
    if (errorText)
        *errorText = AfxFormatMessage(LoadAppString(IDS_DAMAGED_DATABASE_NOT_KEPT), candidate,
                                      SystemErrorText(lastError));
    return false;
}
