#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include "qvsystem/controls/QVMessageBox.h"
#include "qvsystem/platform/ErrorText.h"
#include "qvsystem/platform/Exceptions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QThread>
#include <QUrl>

#include <cstdio>
#include <mutex>
#include <typeinfo>
#include <utility>

namespace {

constexpr qsizetype MAX_EXCEPTION_TEXT = 255;
const QLatin1String HELP_FILE("cordalib.chm");
const QLatin1String HELP_TOPIC_SEPARATOR("::/");

std::mutex g_hookMutex;
std::function<void(const QString&)> g_topicHandler;
std::function<void(unsigned)> g_contextHandler;
std::function<int(const CQVMessageBoxRequest&)> g_consoleHandler;

template <typename T> T CopyHook(const T& hook)
{
    std::lock_guard lock(g_hookMutex);
    return hook;
}

int WriteToStandardError(const CQVMessageBoxRequest& request)
{
    QString message = QCoreApplication::applicationName();
    if (!message.isEmpty())
        message += QLatin1String(": ");
    if (!request.heading.isEmpty())
        message += request.heading + QLatin1Char('\n');
    message += request.text;
    message.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QByteArray bytes = message.toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
    return 0;
}

// Widgets exist only with a QApplication and only on its thread.
bool CanShowWindows()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

QWidget* BoxParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

bool LoadText(unsigned id, QString& text)
{
    return AfxLoadString(id, text);
}

// qvsystem's fixed texts: a program's table may use the same ids for texts of its own.
int LoadQVSystemText(unsigned id, QString& text)
{
    return AfxGetQVSystemStringTable().Load(id, text) ? 1 : 0;
}

bool FormatHasInsert(const QString& format, int insert)
{
    const QString marker = QLatin1Char('%') + QString::number(insert);
    for (qsizetype at = format.indexOf(marker); at >= 0; at = format.indexOf(marker, at + 1)) {
        // "%%2" is a percent sign followed by a 2; "%21" is insert 21.
        qsizetype percents = 0;
        for (qsizetype i = at; i >= 0 && format[i] == QLatin1Char('%'); --i)
            ++percents;
        const qsizetype after = at + marker.size();
        if (percents % 2 == 1 && (after >= format.size() || !format[after].isDigit()))
            return true;
    }
    return false;
}

} // namespace

// The Help button's reach into the hooks (declared in QVMessageBox.cpp).
bool QVMessageBoxHasHelpContextHandler()
{
    return static_cast<bool>(CopyHook(g_contextHandler));
}

void QVMessageBoxCallHelpContextHandler(unsigned helpContext)
{
    if (auto handler = CopyHook(g_contextHandler))
        handler(helpContext);
}

int AfxShowQVMessageBox(const CQVMessageBoxRequest& request)
{
    if (request.text.isNull())
        return 0;
    if (request.hasCheckBox && !request.checkState)
        return 0;
    if (!CanShowWindows()) {
        auto handler = CopyHook(g_consoleHandler);
        return handler ? handler(request) : WriteToStandardError(request);
    }

    CQVMessageBox box(BoxParent());
    if (!request.caption.isNull())
        box.setWindowTitle(request.caption);
    box.SetHeading(request.heading);
    if (request.hasCheckBox)
        box.SetCheckBox(request.checkText, *request.checkState);
    box.SetHelpTarget(request.helpTarget);
    box.SetHelpContext(request.helpContext);
    const int result = box.DoModal(request.text, request.type);
    if (request.hasCheckBox)
        *request.checkState = box.GetCheckState();
    return result;
}

CQVMessageBoxRequest QVMessageBoxDetail::MakeRequest(const QString& heading, const QString& text,
                                                     bool hasCheckBox, const QString& checkText,
                                                     int* checkState, unsigned type,
                                                     const QString& helpTarget, bool addHelp)
{
    CQVMessageBoxRequest request;
    request.heading = heading;
    request.text = text;
    request.hasCheckBox = hasCheckBox;
    request.checkText = checkText;
    request.checkState = checkState;
    request.type = type;
    request.helpTarget = helpTarget;
    if (addHelp && !helpTarget.isEmpty())
        request.type |= MB_HELP;
    return request;
}

int AfxQVMessageBox(const QString& text, unsigned type, const QString& helpTarget)
{
    return AfxShowQVMessageBox(
        QVMessageBoxDetail::MakeRequest(QString(), text, false, QString(), nullptr, type, helpTarget, true));
}

int AfxQVMessageBox(unsigned textId, unsigned type, const QString& helpTarget)
{
    QString text;
    if (!LoadText(textId, text))
        return 0;
    return AfxQVMessageBox(text, type, helpTarget);
}

int AfxQVMessageBox(const QString& heading, const QString& text, unsigned type, const QString& helpTarget)
{
    return AfxShowQVMessageBox(
        QVMessageBoxDetail::MakeRequest(heading, text, false, QString(), nullptr, type, helpTarget, true));
}

int AfxQVMessageBox(unsigned headingId, unsigned textId, unsigned type, const QString& helpTarget)
{
    QString heading, text;
    if (!LoadText(headingId, heading) || !LoadText(textId, text))
        return 0;
    return AfxQVMessageBox(heading, text, type, helpTarget);
}

int AfxQVMessageBox(const QString& text, const QString& checkText, int* checkState, unsigned type,
                    const QString& helpTarget)
{
    return AfxShowQVMessageBox(QVMessageBoxDetail::MakeRequest(QString(), text, true, checkText, checkState,
                                                               type, helpTarget, false));
}

int AfxQVMessageBox(unsigned textId, unsigned checkTextId, int* checkState, unsigned type,
                    const QString& helpTarget)
{
    QString text, checkText;
    if (!LoadText(textId, text) || !LoadText(checkTextId, checkText))
        return 0;
    return AfxQVMessageBox(text, checkText, checkState, type, helpTarget);
}

int AfxQVMessageBox(const QString& heading, const QString& text, const QString& checkText, int* checkState,
                    unsigned type, const QString& helpTarget)
{
    return AfxShowQVMessageBox(
        QVMessageBoxDetail::MakeRequest(heading, text, true, checkText, checkState, type, helpTarget, false));
}

int AfxQVMessageBox(unsigned headingId, unsigned textId, unsigned checkTextId, int* checkState, unsigned type,
                    const QString& helpTarget)
{
    QString heading, text, checkText;
    if (!LoadText(headingId, heading) || !LoadText(textId, text) || !LoadText(checkTextId, checkText))
        return 0;
    return AfxQVMessageBox(heading, text, checkText, checkState, type, helpTarget);
}

int AfxFormatStringQVMessageBoxV(const CQVMessageBoxRequest& request, std::span<const CMessageArg> args)
{
    if (request.text.isNull())
        return 0;
    CQVMessageBoxRequest formatted = request;
    formatted.text = AfxFormatMessageV(request.text, args);
    return AfxShowQVMessageBox(formatted);
}

int AfxFormatStringQVMessageBoxIdsV(unsigned headingId, unsigned textId, unsigned checkTextId,
                                    const CQVMessageBoxRequest& request, std::span<const CMessageArg> args)
{
    CQVMessageBoxRequest loaded = request;
    if (headingId != 0 && !LoadText(headingId, loaded.heading))
        return 0;
    if (!LoadText(textId, loaded.text))
        return 0;
    if (loaded.hasCheckBox && !LoadText(checkTextId, loaded.checkText))
        return 0;
    return AfxFormatStringQVMessageBoxV(loaded, args);
}

int AfxErrorMessageBox(const QString& text, unsigned type, unsigned helpContext)
{
    CQVMessageBoxRequest request;
    request.text = text;
    request.type = type;
    request.helpContext = helpContext;
    return AfxShowQVMessageBox(request);
}

int AfxErrorMessageBox(unsigned textId, unsigned type, unsigned helpContext)
{
    QString text;
    if (!LoadText(textId, text))
        return 0;
    return AfxErrorMessageBox(text, type, helpContext);
}

QString AfxFormatPrintfV(const QString& format, std::span<const CMessageArg> args)
{
    QString result;
    result.reserve(format.size());
    size_t next = 0;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        if (format[i] != QLatin1Char('%')) {
            result.append(format[i++]);
            continue;
        }
        if (i + 1 < n && format[i + 1] == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            i += 2;
            continue;
        }
        // A conversion: flags, width, precision, length modifiers, then the letter.
        qsizetype end = i + 1;
        while (end < n && QStringView(u"-+ #0").contains(format[end]))
            ++end;
        while (end < n && format[end].isDigit())
            ++end;
        if (end < n && format[end] == QLatin1Char('.')) {
            ++end;
            while (end < n && format[end].isDigit())
                ++end;
        }
        while (end < n && QStringView(u"hlLqjztIw0123456789").contains(format[end]))
            ++end;
        if (end >= n || !QStringView(u"diuxXocCsSeEfFgGaA").contains(format[end]) || next >= args.size()) {
            // Not a conversion we can fill (or no value left): kept as written.
            const qsizetype stop = end < n ? end + 1 : n;
            result.append(QStringView(format).mid(i, stop - i));
            i = stop;
            continue;
        }
        result.append(args[next++].Format(format.mid(i + 1, end - i)));
        i = end + 1;
    }
    return result;
}

int AfxFormatErrorMessageBoxV(const QString& format, unsigned type, unsigned helpContext,
                              std::span<const CMessageArg> args)
{
    if (format.isNull())
        return 0;
    return AfxErrorMessageBox(AfxFormatPrintfV(format, args), type, helpContext);
}

int AfxFormatErrorMessageBoxV(unsigned formatId, unsigned type, unsigned helpContext,
                              std::span<const CMessageArg> args)
{
    QString format;
    if (!LoadText(formatId, format))
        return 0;
    return AfxFormatErrorMessageBoxV(format, type, helpContext, args);
}

int AfxFormatStringErrorMessageBoxV(const QString& format, unsigned type, unsigned helpContext,
                                    std::span<const CMessageArg> args)
{
    if (format.isNull())
        return 0;
    return AfxErrorMessageBox(AfxFormatMessageV(format, args), type, helpContext);
}

int AfxFormatStringErrorMessageBoxV(unsigned formatId, unsigned type, unsigned helpContext,
                                    std::span<const CMessageArg> args)
{
    QString format;
    if (!LoadText(formatId, format))
        return 0;
    return AfxFormatStringErrorMessageBoxV(format, type, helpContext, args);
}

int AfxGetSystemErrorText(long error, QString& text)
{
    if (!AfxGetPlatformErrorText(error, text)) {
        text.clear();
        return 0;
    }
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text.isEmpty() ? 0 : 1;
}

int AfxSystemErrorMessageBox(long error, unsigned type, unsigned helpContext)
{
    QString errorText, format;
    if (!AfxGetSystemErrorText(error, errorText) || !LoadQVSystemText(IDS_QV_SYSTEM_ERROR, format))
        return 0;
    return AfxErrorMessageBox(AfxFormatMessage(format, errorText), type, helpContext);
}

int AfxGetExceptionText(const CException& exception, QString& text)
{
    if (!exception.GetErrorMessage(text) || text.isEmpty()) {
        text.clear();
        return 0;
    }
    if (text.size() > MAX_EXCEPTION_TEXT) {
        // Never cut a surrogate pair in two.
        qsizetype length = MAX_EXCEPTION_TEXT;
        if (text[length - 1].isHighSurrogate())
            --length;
        text.truncate(length);
    }
    return 1;
}

int AfxGetFileExceptionErrorMessage(int cause, QString& text)
{
    text = AfxGetFileExceptionCauseText(cause);
    return text.isEmpty() ? 0 : 1;
}

int AfxGetArchiveExceptionErrorMessage(int cause, QString& text)
{
    text = AfxGetArchiveExceptionCauseText(cause);
    return text.isEmpty() ? 0 : 1;
}

int AfxGetResourceExceptionErrorMessage(QString& text)
{
    return LoadQVSystemText(IDS_QV_RESOURCE_EXCEPTION, text);
}

int AfxGetMemoryExceptionErrorMessage(QString& text)
{
    return LoadQVSystemText(IDS_QV_MEMORY_EXCEPTION, text);
}

int AfxGetNotSupportedExceptionErrorMessage(QString& text)
{
    return LoadQVSystemText(IDS_QV_NOT_SUPPORTED_EXCEPTION, text);
}

int AfxGetUserExceptionErrorMessage(QString& text)
{
    return LoadQVSystemText(IDS_QV_USER_EXCEPTION, text);
}

QString AfxGetExceptionCauseText(const CException& exception)
{
    QString text;
    if (const auto* file = dynamic_cast<const CFileException*>(&exception)) {
        // A derived file exception (the tablature header's) has causes and texts of its own;
        // the file-cause table would name the wrong error for them.
        if (typeid(exception) != typeid(CFileException) && AfxGetExceptionText(exception, text))
            return text;
        AfxGetFileExceptionErrorMessage(file->m_cause, text);
    } else if (const auto* archive = dynamic_cast<const CArchiveException*>(&exception)) {
        if (typeid(exception) != typeid(CArchiveException) && AfxGetExceptionText(exception, text))
            return text;
        AfxGetArchiveExceptionErrorMessage(archive->m_cause, text);
    } else if (dynamic_cast<const CResourceException*>(&exception)) {
        AfxGetResourceExceptionErrorMessage(text);
    } else if (dynamic_cast<const CMemoryException*>(&exception)) {
        AfxGetMemoryExceptionErrorMessage(text);
    } else if (dynamic_cast<const CNotSupportedException*>(&exception)) {
        AfxGetNotSupportedExceptionErrorMessage(text);
    } else if (dynamic_cast<const CUserException*>(&exception)) {
        AfxGetUserExceptionErrorMessage(text);
    } else if (!AfxGetExceptionText(exception, text)) {
        // An exception without a message of its own still says that something failed.
        AfxGetUserExceptionErrorMessage(text);
    }
    return text;
}

int AfxExceptionMessageBox(const CException& exception, unsigned formatId, unsigned type,
                           unsigned helpContext)
{
    QString format;
    if (!LoadText(formatId, format))
        return 0;
    const QString cause = AfxGetExceptionCauseText(exception);
    QString text;
    if (const auto* file = dynamic_cast<const CFileException*>(&exception)) {
        text = AfxFormatMessage(format, file->m_strFileName, cause);
    } else if (const auto* archive = dynamic_cast<const CArchiveException*>(&exception);
               archive && !archive->m_strFileName.isEmpty() && FormatHasInsert(format, 2)) {
        // The file-error texts want the file name first; without this an archive error
        // would show its cause as the file name and a bare "%2".
        text = AfxFormatMessage(format, archive->m_strFileName, cause);
    } else {
        text = AfxFormatMessage(format, cause);
    }
    return AfxErrorMessageBox(text, type, helpContext);
}

int AfxFileIOExceptionMessageBox(const CException& exception, const QString& fileName, unsigned formatId,
                                 unsigned type, unsigned helpContext)
{
    if (fileName.isNull())
        return 0;
    QString format;
    if (!LoadText(formatId, format))
        return 0;
    return AfxErrorMessageBox(AfxFormatMessage(format, fileName, AfxGetExceptionCauseText(exception)), type,
                              helpContext);
}

void AfxSetHtmlHelpTopicHandler(std::function<void(const QString&)> handler)
{
    std::lock_guard lock(g_hookMutex);
    g_topicHandler = std::move(handler);
}

void AfxSetHelpContextHandler(std::function<void(unsigned)> handler)
{
    std::lock_guard lock(g_hookMutex);
    g_contextHandler = std::move(handler);
}

void AfxSetMessageBoxConsoleHandler(std::function<int(const CQVMessageBoxRequest&)> handler)
{
    std::lock_guard lock(g_hookMutex);
    g_consoleHandler = std::move(handler);
}

void AfxOpenHelpTarget(const QString& helpTarget)
{
    const QString target = helpTarget.trimmed();
    if (target.isEmpty())
        return;
    const QUrl url(target, QUrl::StrictMode);
    if (url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
        !url.host().isEmpty()) {
        QDesktopServices::openUrl(url);
        return;
    }
    QString topic = target;
    if (!topic.contains(HELP_TOPIC_SEPARATOR)) {
        while (topic.startsWith(QLatin1Char('/')))
            topic.remove(0, 1);
        topic = HELP_FILE + HELP_TOPIC_SEPARATOR + topic;
    }
    if (auto handler = CopyHook(g_topicHandler)) {
        handler(topic);
        return;
    }
    // Until the help viewer installs its handler: whoever handles "cordalib.chm" URLs.
    QDesktopServices::openUrl(QUrl(topic, QUrl::TolerantMode));
}
