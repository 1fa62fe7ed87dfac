#include "qvsystem/online/UpdateListing.h"

#include "qvsystem/online/HttpFileSocket.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

namespace {

constexpr qint64 READ_BLOCK_SIZE = 1024;

int ErrnoOf(const QFile& file)
{
    switch (file.error()) {
    case QFileDevice::OpenError:
        return QFile::exists(file.fileName()) ? EACCES : ENOENT;
    case QFileDevice::PermissionsError:
        return EACCES;
    default:
        return EIO;
    }
}

} // namespace

bool AfxParseUpdateListing(const QString& text, CVersionNumber& version)
{
    version = CVersionNumber();
    if (!std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return false;
    uint32_t major = 0, minor = 0, revision = 0, build = 0;
    if (!CVersionNumber::ParseVersionNumberString(text, major, minor, revision, build))
        return false;
    version.SetNumber(major, minor, revision, build);
    return true;
}

int AfxReadHttpResponseBody(const QString& fileName, const CHttpHeader& header, qint64 maxBytes,
                            QByteArray& body)
{
    body.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return ErrnoOf(file);
    if (!file.seek(header.GetLength()))
        return EIO;
    qint64 limit = std::max<qint64>(maxBytes, 0);
    if (!header.IsChunked() && header.HasContentLength())
        limit = std::min<qint64>(limit, header.GetContentLength());
    char block[READ_BLOCK_SIZE];
    while (body.size() < limit) {
        const qint64 count = file.read(block, std::min<qint64>(READ_BLOCK_SIZE, limit - body.size()));
        if (count < 0)
            return EIO;
        if (count == 0)
            break;
        body.append(block, count);
    }
    if (header.IsChunked()) {
        QByteArray decoded;
        if (!CHttpFileSocket::DecodeChunkedBody(body, decoded))
            return EBADMSG;
        body = decoded;
    }
    return 0;
}
