#pragma once
// String tables from numeric id to text, one per deliverable, and the message formatter
// with the inserts %1, %2!d!, %1!s! and %%.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <unordered_map>
#include <utility>
#include <variant>

class QVSYSTEM_EXPORT CStringTable {
public:
    CStringTable() = default;
    CStringTable(std::initializer_list<std::pair<unsigned, const char*>> entries); // UTF-8 texts

    void Add(unsigned id, const QString& text);
    // False (and an empty text) when the id has no entry.
    bool Load(unsigned id, QString& text) const;
    bool Contains(unsigned id) const { return m_strings.count(id) != 0; }

private:
    std::unordered_map<unsigned, QString> m_strings;
};

// Ids of qvsystem's own texts. Format texts take %1 = file name, %2 = cause text
// (the rename text: %1 old name, %2 new name, %3 cause text).
inline constexpr unsigned IDS_QV_READ_FILE_ERROR = 22500;
inline constexpr unsigned IDS_QV_WRITE_FILE_ERROR = 22501;
inline constexpr unsigned IDS_QV_OPEN_FILE_ERROR = 22502;
inline constexpr unsigned IDS_QV_SAVE_FILE_ERROR = 22503;
inline constexpr unsigned IDS_QV_LOAD_FILE_ERROR = 22504;
inline constexpr unsigned IDS_QV_CREATE_FILE_ERROR = 22505;
inline constexpr unsigned IDS_QV_DELETE_FILE_ERROR = 22506;
inline constexpr unsigned IDS_QV_COPY_FILE_ERROR = 22507;
inline constexpr unsigned IDS_QV_RENAME_FILE_ERROR = 22508;
// Cause texts: base + CFileException cause (0..14), base + CArchiveException cause (0..7).
inline constexpr unsigned IDS_QV_FILE_CAUSE_BASE = 22520;
inline constexpr unsigned IDS_QV_ARCHIVE_CAUSE_BASE = 22542;
// Fixed texts of the message-box functions.
inline constexpr unsigned IDS_QV_SYSTEM_ERROR = 22560;       // "A system error has occurred.\r\n\r\n%1"
// The warning before an external link opens: caption, text (%1 program, %2 "link", %3 the
// address) and its check box.
inline constexpr unsigned IDS_QV_SECURITY_WARNING = 21500;
inline constexpr unsigned IDS_QV_OPEN_EXTERNAL_LINK_WARNING = 21501;
inline constexpr unsigned IDS_QV_DO_NOT_SHOW_THIS_AGAIN = 21150;
inline constexpr unsigned IDS_QV_DO_NOT_SHOW_AGAIN = 22561;  // "&Do not show this message again"
inline constexpr unsigned IDS_QV_RESOURCE_EXCEPTION = 22562; // "A required resource was unavailable."
inline constexpr unsigned IDS_QV_MEMORY_EXCEPTION = 22563;   // "Out of memory."
inline constexpr unsigned IDS_QV_NOT_SUPPORTED_EXCEPTION = 22564;
inline constexpr unsigned IDS_QV_USER_EXCEPTION = 22565;
inline constexpr unsigned IDS_QV_HTML_HELP_ERROR = 22566;     // "An html help error has occurred.\r\n\r\n%1"
// Dialog framework: the validation balloon's caption and the property sheet's buttons.
inline constexpr unsigned IDS_QV_VALIDATION_ERROR = 22650;  // "Validation Error"
inline constexpr unsigned IDS_QV_SHEET_OK = 22651;          // "OK"
inline constexpr unsigned IDS_QV_SHEET_CANCEL = 22652;      // "Cancel"
inline constexpr unsigned IDS_QV_SHEET_APPLY = 22653;       // "&Apply"
inline constexpr unsigned IDS_QV_SHEET_HELP = 22654;        // "Help"
inline constexpr unsigned IDS_QV_WIZARD_NEXT = 22655;       // "&Next >"
inline constexpr unsigned IDS_QV_WIZARD_FINISH = 22656;     // "&Finish"
inline constexpr unsigned IDS_QV_WIZARD_BACK = 22657;       // "< &Back"
inline constexpr unsigned IDS_QV_WIZARD_CANCEL = 22658;     // "Cancel"
// The list control's header menu and its Columns dialog.
inline constexpr unsigned IDS_QV_COLUMNS_MENU = 22700;           // "&Columns..."
inline constexpr unsigned IDS_QV_COLUMNS_CAPTION = 22701;        // "Columns"
inline constexpr unsigned IDS_QV_COLUMNS_INSTRUCTION = 22702;
inline constexpr unsigned IDS_QV_COLUMNS_MOVE_UP = 22703;        // "Move &Up"
inline constexpr unsigned IDS_QV_COLUMNS_MOVE_DOWN = 22704;      // "Move &Down"
inline constexpr unsigned IDS_QV_COLUMNS_RESET = 22705;          // "&Reset"
inline constexpr unsigned IDS_QV_COLUMNS_WIDTH = 22706;          // "&Selected column width:"
inline constexpr unsigned IDS_QV_COLUMNS_NONE_CHECKED = 22707;
// Field validation texts of dialogs and options pages.
inline constexpr unsigned IDS_QV_VALIDATE_NUMBER_RANGE = 21401; // "... a number between %1!d! and %2!d!"
inline constexpr unsigned IDS_QV_VALIDATE_URL = 21403; // "... a valid URL prefixed with a scheme ..."
inline constexpr unsigned IDS_QV_VALIDATE_SELECT_ITEM = 21405; // "You must select an item from ... drop-down list..."
// The update check, its reminder and settings dialogs, and the socket layer.
inline constexpr unsigned IDS_QV_UPDATE_CHECK_ERROR = 22850; // "An error has occurred while checking ...%1"
inline constexpr unsigned IDS_QV_UPDATE_SOCKET_ACTIVE = 22851;
inline constexpr unsigned IDS_QV_UPDATE_INVALID_URL = 22852;
inline constexpr unsigned IDS_QV_UPDATE_WAIT = 22853; // "You must wait at least %1!d! seconds ..."
inline constexpr unsigned IDS_QV_SOCKET_NOT_INITIALIZED = 22854;
inline constexpr unsigned IDS_QV_UPDATE_NEWER_AVAILABLE = 22855; // %1 = our version, %2 = listed version
inline constexpr unsigned IDS_QV_UPDATE_LATEST = 22856;
inline constexpr unsigned IDS_QV_UPDATE_NEWER_THAN_LATEST = 22857;
inline constexpr unsigned IDS_QV_UPDATE_INVALID_VERSION = 22858;
inline constexpr unsigned IDS_QV_UPDATE_CHECKING = 22859; // "Checking for updates. Please wait..."
inline constexpr unsigned IDS_QV_SOCKET_INITIALIZE_ERROR = 22860;
inline constexpr unsigned IDS_QV_SOCKET_ALREADY_INITIALIZED = 22861;
inline constexpr unsigned IDS_QV_SOCKET_DEINITIALIZE_ERROR = 22862;
inline constexpr unsigned IDS_QV_REMINDER_CAPTION = 22870; // "Check For Updates Reminder"
inline constexpr unsigned IDS_QV_REMINDER_YES = 22871;
inline constexpr unsigned IDS_QV_REMINDER_NO = 22872;
inline constexpr unsigned IDS_QV_REMINDER_DISMISS = 22873;
inline constexpr unsigned IDS_QV_REMINDER_SETTINGS = 22874;
inline constexpr unsigned IDS_QV_UPDATE_SETTINGS_CAPTION = 22880; // "Check For Updates Settings"
inline constexpr unsigned IDS_QV_UPDATE_SETTINGS_URL = 22881;
inline constexpr unsigned IDS_QV_UPDATE_SETTINGS_REMINDER = 22882;
inline constexpr unsigned IDS_QV_UPDATE_SETTINGS_DAYS = 22883;
inline constexpr unsigned IDS_QV_UPDATE_SETTINGS_OK = 22884;
inline constexpr unsigned IDS_QV_UPDATE_SETTINGS_CANCEL = 22885;
// Texts by code: base + HTTP status code (the base itself: an unknown code), and base +
// Windows Sockets error code or socket-layer error code (the base itself: an unknown one).
inline constexpr unsigned IDS_QV_HTTP_STATUS_BASE = 25000;
inline constexpr unsigned IDS_QV_WINSOCK_ERROR_BASE = 30000;

// The help viewer: its window, its tabs and the descriptions of its errors.
inline constexpr unsigned IDS_QV_HELP_CAPTION = 22780;          // "%1 Help"
inline constexpr unsigned IDS_QV_HELP_CONTENTS = 22781;         // "&Contents"
inline constexpr unsigned IDS_QV_HELP_INDEX = 22782;            // "I&ndex"
inline constexpr unsigned IDS_QV_HELP_SEARCH = 22783;           // "&Search"
inline constexpr unsigned IDS_QV_HELP_KEYWORD = 22784;          // "Type in the &keyword to find:"
inline constexpr unsigned IDS_QV_HELP_QUERY = 22785;            // "Type in the &word(s) to search for:"
inline constexpr unsigned IDS_QV_HELP_LIST_TOPICS = 22786;      // "&List Topics"
inline constexpr unsigned IDS_QV_HELP_DISPLAY = 22787;          // "&Display"
inline constexpr unsigned IDS_QV_HELP_SELECT_TOPIC = 22788;     // "Select &topic to display:"
inline constexpr unsigned IDS_QV_HELP_TITLE_COLUMN = 22789;     // "Title"
inline constexpr unsigned IDS_QV_HELP_RANK_COLUMN = 22790;      // "Rank"
inline constexpr unsigned IDS_QV_HELP_BACK = 22791;             // "&Back"
inline constexpr unsigned IDS_QV_HELP_FORWARD = 22792;          // "&Forward"
inline constexpr unsigned IDS_QV_HELP_HOME = 22793;             // "&Home"
inline constexpr unsigned IDS_QV_HELP_FOUND = 22794;            // "Found: %1!d!"
inline constexpr unsigned IDS_QV_HELP_NO_FILE = 22795;          // %1 help file, %2 folders looked in
inline constexpr unsigned IDS_QV_HELP_NO_TOPIC = 22796;         // %1 topic, %2 help file
inline constexpr unsigned IDS_QV_HELP_BAD_FILE = 22797;         // %1 file, %2 what is wrong
inline constexpr unsigned IDS_QV_HELP_BAD_LINK = 22798;         // %1 address
inline constexpr unsigned IDS_QV_HELP_NO_WINDOW = 22799;
inline constexpr unsigned IDS_QV_HELP_MISSING_FILE = 22800;     // "the file does not exist"

// The program's title in the program's table (windows without a caption of their own).
inline constexpr unsigned AFX_IDS_APP_TITLE = 57344;

// qvsystem's own table (its message texts, ids 22500 and up, and the rest).
QVSYSTEM_EXPORT const CStringTable& AfxGetQVSystemStringTable();
// The running program registers its table at start-up; the table must outlive its use.
QVSYSTEM_EXPORT void AfxSetApplicationStringTable(const CStringTable* table);
QVSYSTEM_EXPORT const CStringTable* AfxGetApplicationStringTable();
// Looks in the program's table, then in qvsystem's. False and empty text when absent.
QVSYSTEM_EXPORT bool AfxLoadString(unsigned id, QString& text);
QVSYSTEM_EXPORT QString AfxLoadString(unsigned id);

// One insert value of the message formatter.
class QVSYSTEM_EXPORT CMessageArg {
public:
    CMessageArg(const QString& text) : m_value(text) {}
    CMessageArg(const char* utf8) : m_value(QString::fromUtf8(utf8)) {}
    CMessageArg(int value) : m_value(static_cast<int64_t>(value)) {}
    CMessageArg(long value) : m_value(static_cast<int64_t>(value)) {}
    CMessageArg(long long value) : m_value(static_cast<int64_t>(value)) {}
    CMessageArg(unsigned value) : m_value(static_cast<uint64_t>(value)) {}
    CMessageArg(unsigned long value) : m_value(static_cast<uint64_t>(value)) {}
    CMessageArg(unsigned long long value) : m_value(static_cast<uint64_t>(value)) {}
    CMessageArg(double value) : m_value(value) {}

    // The value as %n!s! (or a bare %n) shows it; numbers in decimal.
    QString ToText() const;
    // The value as %n!d! (or !u!, !x!, ...) with a printf conversion shows it.
    QString Format(const QString& printfSpec) const;

private:
    std::variant<QString, int64_t, uint64_t, double> m_value;
};

// FormatMessage-style: %1..%99 with an optional !printf directive!, %% for a percent sign.
// An insert without a value is kept as written.
QVSYSTEM_EXPORT QString AfxFormatMessageV(const QString& format, std::span<const CMessageArg> args);

template <typename... Args> QString AfxFormatMessage(const QString& format, const Args&... args)
{
    const CMessageArg values[] = {CMessageArg(args)..., CMessageArg(QString())};
    return AfxFormatMessageV(format, std::span<const CMessageArg>(values, sizeof...(Args)));
}
