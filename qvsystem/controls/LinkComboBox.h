#pragma once
// The Internet-address combo box: an editable combo whose list holds the schemes
// "http://", "mailto:", "file://", "https://", "ftp://", "news:" and "gopher://".
//
// Choosing an entry from the list emits CommandNotification with CBN_SELCHANGE and the
// control id (the object name as a number), except for "file://": that opens a file dialog,
// and when a file is chosen the text becomes "file://" followed by its path and the
// notification is CBN_QV_LINKFILECHOSEN instead. A cancelled dialog leaves the entry's text
// and gives the ordinary selection change. (QComboBox's own signals are not filtered; a
// parent that follows the address listens to CommandNotification.)

#include "qvsystem/qvsystem_export.h"

#include <QComboBox>
#include <QString>

#include <functional>

class QFileDialog;

// The selection of the list changed.
inline constexpr int CBN_SELCHANGE = 1;
// A file was chosen for the "file://" entry and its address set as the text.
inline constexpr int CBN_QV_LINKFILECHOSEN = 0x83F8;
// The file dialog's filter, "All Files (*.*)|*.*||".
inline constexpr unsigned IDS_QV_ALL_FILES_FILTER = 21272;

// Converts a filter of "description|patterns|...|" pairs ("*.txt;*.log" patterns) into
// QFileDialog name filters; "*.*" becomes "*", which on Linux also matches names without a
// dot, as "*.*" does on Windows.
QVSYSTEM_EXPORT QStringList AfxConvertFileDialogFilter(const QString& filter);

class QVSYSTEM_EXPORT CLinkComboBox : public QComboBox {
    Q_OBJECT

public:
    // Runs the configured dialog and returns its result (QDialog::Accepted or Rejected).
    // The default executes it; tests put a function in its place.
    using FileDialogRunner = std::function<int(QFileDialog& dialog)>;

    explicit CLinkComboBox(QWidget* parent = nullptr);
    ~CLinkComboBox() override;

    // Null restores the default.
    static void SetFileDialogRunner(FileDialogRunner runner);

    // Whether the text in the box is a usable Internet address (AfxIsValidURL).
    bool IsValidURL() const;

signals:
    // The parent's command: the notification code and the control id.
    void CommandNotification(int notificationCode, int controlId);

private:
    void OnActivated(int index);
    void OnFileChosen();

    QString m_strFilePath; // the path chosen in the file dialog, empty between uses
};
