#pragma once
// The message-box functions of qvsystem and the texts of exceptions and system errors.
// This header includes no QtWidgets header: the library, maintenance and command-line
// layers show their messages through it. The box itself is CQVMessageBox
// (qvsystem/controls/QVMessageBox.h).
//
// Results are the button pressed (IDOK ...), or 0 when nothing was shown (a text id that
// does not load, a null text). Where no window can be shown (no QApplication, as in the
// command-line program, or a thread other than the user-interface thread) the message goes
// to the console handler (AfxSetMessageBoxConsoleHandler), which gives the result; the
// default handler writes to standard error and returns 0.

#include "qvsystem/platform/StringTable.h"
#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <functional>
#include <span>

class CException;

// Message-box types: button set, icon, default button and the Help flag. The values are
// those of the Windows message box, so stored and shared values keep their meaning.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_TYPEMASK = 0xF;

inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONERROR = MB_ICONHAND;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0xF0;

inline constexpr unsigned MB_DEFBUTTON1 = 0x0;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFBUTTON4 = 0x300;
inline constexpr unsigned MB_DEFMASK = 0xF00;

inline constexpr unsigned MB_HELP = 0x4000;

// Results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Everything one box shows; what the console handler receives when no window can be shown.
struct QVSYSTEM_EXPORT CQVMessageBoxRequest {
    QString heading;           // null: no heading line
    QString text;              // the message
    QString checkText;         // the check box text (used when hasCheckBox)
    bool hasCheckBox = false;  // the box has the check box
    int* checkState = nullptr; // in: initial state (0 or 1, else unchecked); out: final state
    unsigned type = MB_OK;
    QString helpTarget;       // a web address or a help topic; empty: none
    unsigned helpContext = 0; // a help context id of the plain boxes; 0: none
    QString caption;          // the window title; null: the application's name
};

// Shows one box as described by the request (the functions below build requests).
QVSYSTEM_EXPORT int AfxShowQVMessageBox(const CQVMessageBoxRequest& request);

// Plain box; a non-empty help target adds the Help button.
QVSYSTEM_EXPORT int AfxQVMessageBox(const QString& text, unsigned type = MB_OK,
                                    const QString& helpTarget = QString());
QVSYSTEM_EXPORT int AfxQVMessageBox(unsigned textId, unsigned type = MB_OK,
                                    const QString& helpTarget = QString());
// With a bold heading line above the text; a non-empty help target adds the Help button.
QVSYSTEM_EXPORT int AfxQVMessageBox(const QString& heading, const QString& text, unsigned type,
                                    const QString& helpTarget = QString());
QVSYSTEM_EXPORT int AfxQVMessageBox(unsigned headingId, unsigned textId, unsigned type,
                                    const QString& helpTarget = QString());
// With the check box; the type is used as given (MB_HELP for a Help button). A null
// checkState shows nothing and returns 0.
QVSYSTEM_EXPORT int AfxQVMessageBox(const QString& text, const QString& checkText, int* checkState,
                                    unsigned type = MB_OK, const QString& helpTarget = QString());
QVSYSTEM_EXPORT int AfxQVMessageBox(unsigned textId, unsigned checkTextId, int* checkState,
                                    unsigned type = MB_OK, const QString& helpTarget = QString());
// Heading and check box.
QVSYSTEM_EXPORT int AfxQVMessageBox(const QString& heading, const QString& text, const QString& checkText,
                                    int* checkState, unsigned type = MB_OK,
                                    const QString& helpTarget = QString());
QVSYSTEM_EXPORT int AfxQVMessageBox(unsigned headingId, unsigned textId, unsigned checkTextId,
                                    int* checkState, unsigned type = MB_OK,
                                    const QString& helpTarget = QString());

// The FormatString variants format the message text with %1, %2!d! ... (AfxFormatMessage)
// from the trailing values; the heading and check box texts are used as they are.
QVSYSTEM_EXPORT int AfxFormatStringQVMessageBoxV(const CQVMessageBoxRequest& request,
                                                 std::span<const CMessageArg> args);
// Loads the ids of the request's texts (0 = none) and then formats and shows as above.
QVSYSTEM_EXPORT int AfxFormatStringQVMessageBoxIdsV(unsigned headingId, unsigned textId, unsigned checkTextId,
                                                    const CQVMessageBoxRequest& request,
                                                    std::span<const CMessageArg> args);

namespace QVMessageBoxDetail {
template <typename... Args> int FormatString(const CQVMessageBoxRequest& request, const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatStringQVMessageBoxV(request, std::span<const CMessageArg>(values, sizeof...(Args)));
}
template <typename... Args>
int FormatStringIds(unsigned headingId, unsigned textId, unsigned checkTextId,
                    const CQVMessageBoxRequest& request, const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatStringQVMessageBoxIdsV(headingId, textId, checkTextId, request,
                                           std::span<const CMessageArg>(values, sizeof...(Args)));
}
QVSYSTEM_EXPORT CQVMessageBoxRequest MakeRequest(const QString& heading, const QString& text,
                                                 bool hasCheckBox, const QString& checkText, int* checkState,
                                                 unsigned type, const QString& helpTarget, bool addHelp);
} // namespace QVMessageBoxDetail

template <typename... Args>
int AfxFormatStringQVMessageBox(const QString& text, unsigned type, const QString& helpTarget,
                                const Args&... args)
{
    return QVMessageBoxDetail::FormatString(
        QVMessageBoxDetail::MakeRequest(QString(), text, false, QString(), nullptr, type, helpTarget, true),
        args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(unsigned textId, unsigned type, const QString& helpTarget,
                                const Args&... args)
{
    return QVMessageBoxDetail::FormatStringIds(0, textId, 0,
                                               QVMessageBoxDetail::MakeRequest(QString(), QString(), false,
                                                                               QString(), nullptr, type,
                                                                               helpTarget, true),
                                               args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(const QString& heading, const QString& text, unsigned type,
                                const QString& helpTarget, const Args&... args)
{
    return QVMessageBoxDetail::FormatString(
        QVMessageBoxDetail::MakeRequest(heading, text, false, QString(), nullptr, type, helpTarget, true),
        args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(unsigned headingId, unsigned textId, unsigned type, const QString& helpTarget,
                                const Args&... args)
{
    return QVMessageBoxDetail::FormatStringIds(headingId, textId, 0,
                                               QVMessageBoxDetail::MakeRequest(QString(), QString(), false,
                                                                               QString(), nullptr, type,
                                                                               helpTarget, true),
                                               args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(const QString& text, const QString& checkText, int* checkState, unsigned type,
                                const QString& helpTarget, const Args&... args)
{
    return QVMessageBoxDetail::FormatString(QVMessageBoxDetail::MakeRequest(QString(), text, true, checkText,
                                                                            checkState, type, helpTarget,
                                                                            false),
                                            args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(unsigned textId, unsigned checkTextId, int* checkState, unsigned type,
                                const QString& helpTarget, const Args&... args)
{
    return QVMessageBoxDetail::FormatStringIds(0, textId, checkTextId,
                                               QVMessageBoxDetail::MakeRequest(QString(), QString(), true,
                                                                               QString(), checkState, type,
                                                                               helpTarget, false),
                                               args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(const QString& heading, const QString& text, const QString& checkText,
                                int* checkState, unsigned type, const QString& helpTarget,
                                const Args&... args)
{
    return QVMessageBoxDetail::FormatString(
        QVMessageBoxDetail::MakeRequest(heading, text, true, checkText, checkState, type, helpTarget, false),
        args...);
}
template <typename... Args>
int AfxFormatStringQVMessageBox(unsigned headingId, unsigned textId, unsigned checkTextId, int* checkState,
                                unsigned type, const QString& helpTarget, const Args&... args)
{
    return QVMessageBoxDetail::FormatStringIds(headingId, textId, checkTextId,
                                               QVMessageBoxDetail::MakeRequest(QString(), QString(), true,
                                                                               QString(), checkState, type,
                                                                               helpTarget, false),
                                               args...);
}

// The plain message box (no heading, no check box). With MB_HELP and a help context id the
// Help button (and F1) go to the help-context handler.
QVSYSTEM_EXPORT int AfxErrorMessageBox(const QString& text, unsigned type = MB_OK, unsigned helpContext = 0);
QVSYSTEM_EXPORT int AfxErrorMessageBox(unsigned textId, unsigned type = MB_OK, unsigned helpContext = 0);

// printf-style formatting (%d, %5.2f, %s, %%) of the text with the trailing values, then the
// plain box. A conversion without a value is kept as written; a value never reads past the
// values given.
QVSYSTEM_EXPORT QString AfxFormatPrintfV(const QString& format, std::span<const CMessageArg> args);
QVSYSTEM_EXPORT int AfxFormatErrorMessageBoxV(const QString& format, unsigned type, unsigned helpContext,
                                              std::span<const CMessageArg> args);
QVSYSTEM_EXPORT int AfxFormatErrorMessageBoxV(unsigned formatId, unsigned type, unsigned helpContext,
                                              std::span<const CMessageArg> args);
template <typename... Args> QString AfxFormatPrintf(const QString& format, const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatPrintfV(format, std::span<const CMessageArg>(values, sizeof...(Args)));
}
template <typename Text, typename... Args>
int AfxFormatErrorMessageBox(const Text& format, unsigned type, unsigned helpContext, const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatErrorMessageBoxV(format, type, helpContext,
                                     std::span<const CMessageArg>(values, sizeof...(Args)));
}

// The same with the message-style inserts %1, %2!d! ... (AfxFormatMessage).
QVSYSTEM_EXPORT int AfxFormatStringErrorMessageBoxV(const QString& format, unsigned type,
                                                    unsigned helpContext, std::span<const CMessageArg> args);
QVSYSTEM_EXPORT int AfxFormatStringErrorMessageBoxV(unsigned formatId, unsigned type, unsigned helpContext,
                                                    std::span<const CMessageArg> args);
template <typename Text, typename... Args>
int AfxFormatStringErrorMessageBox(const Text& format, unsigned type, unsigned helpContext,
                                   const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatStringErrorMessageBoxV(format, type, helpContext,
                                           std::span<const CMessageArg>(values, sizeof...(Args)));
}

// "A system error has occurred.\r\n\r\n%1" with the system's text for the code (an errno
// value); 0 without showing anything when the code has no text.
QVSYSTEM_EXPORT int AfxSystemErrorMessageBox(long error, unsigned type = MB_OK | MB_ICONERROR,
                                             unsigned helpContext = 0);
// The system's text for the code without trailing line breaks; 0 when there is none.
QVSYSTEM_EXPORT int AfxGetSystemErrorText(long error, QString& text);

// The exception's own message, at most 255 characters; 0 when it has none.
QVSYSTEM_EXPORT int AfxGetExceptionText(const CException& exception, QString& text);

// Shows the format text (an id of the program's or qvsystem's table; qvsystem's own
// "An error has occurred while reading the file '%1'..." are 22500 to 22508) with %1 = the file name and %2 =
// the cause text for a file exception (and for an archive exception that carries a file name when the format
// has a %2), or %1 = the cause text for every other exception. 0 when the format does not load.
QVSYSTEM_EXPORT int AfxExceptionMessageBox(const CException& exception, unsigned formatId,
                                           unsigned type = MB_OK | MB_ICONEXCLAMATION,
                                           unsigned helpContext = 0);
// The same with %1 = fileName and %2 = the cause text; a null fileName shows nothing and
// returns 0.
QVSYSTEM_EXPORT int AfxFileIOExceptionMessageBox(const CException& exception, const QString& fileName,
                                                 unsigned formatId,
                                                 unsigned type = MB_OK | MB_ICONEXCLAMATION,
                                                 unsigned helpContext = 0);

// The cause texts that the exception boxes show. A cause out of range counts as 1.
QVSYSTEM_EXPORT int AfxGetFileExceptionErrorMessage(int cause, QString& text);
QVSYSTEM_EXPORT int AfxGetArchiveExceptionErrorMessage(int cause, QString& text);
QVSYSTEM_EXPORT int AfxGetResourceExceptionErrorMessage(QString& text);
QVSYSTEM_EXPORT int AfxGetMemoryExceptionErrorMessage(QString& text);
QVSYSTEM_EXPORT int AfxGetNotSupportedExceptionErrorMessage(QString& text);
QVSYSTEM_EXPORT int AfxGetUserExceptionErrorMessage(QString& text);
// The cause text of any exception as the exception boxes show it.
QVSYSTEM_EXPORT QString AfxGetExceptionCauseText(const CException& exception);

// Help. A help target that is a valid http or https address is opened with
// QDesktopServices::openUrl; any other target is a topic page of the help file and goes to
// the topic handler as the help path "cordalib.chm::/<topic>" (a target that already holds
// "::/" is passed as it is). The default topic handler opens that path with
// QDesktopServices::openUrl until the help viewer installs its own; a null handler
// restores the default.
QVSYSTEM_EXPORT void AfxSetHtmlHelpTopicHandler(std::function<void(const QString&)> handler);
QVSYSTEM_EXPORT void AfxOpenHelpTarget(const QString& helpTarget);
// Help context ids of the plain boxes; without a handler those boxes show no Help button.
QVSYSTEM_EXPORT void AfxSetHelpContextHandler(std::function<void(unsigned)> handler);

// Where messages go when no window can be shown (no QApplication, e.g. the command-line
// program). The handler's result is the box's result; a null handler restores the default,
// which writes the texts to standard error and returns 0.
QVSYSTEM_EXPORT void AfxSetMessageBoxConsoleHandler(std::function<int(const CQVMessageBoxRequest&)> handler);
