#pragma once
// The commands on the selected rows of the song and the lesson list: open the tablature
// file through the desktop (locating it first when it has moved), open its folder, edit
// the records, delete them from the library (and move their files to the trash when the
// user asks), rename the file, select the record's values in the summary boxes, and the
// list's context menu that offers them. Both lists run the same code; only the record
// type, the texts and the summary boxes differ.
//
// InstallRecordListCommands gives each list of the main window its commands (a child
// object of the list, found with GetRecordListCommands), connects the double click, Enter
// and the context-menu request, and makes Edit.Delete and File.Properties work.

#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CCordaLibrarianApp;
class CLessonListCtrl;
class CMainFrame;
class CRecordListCtrl;
class CSongListCtrl;
class QAction;
class QFileDialog;
class QMenu;
class QWidget;

// Renames oldPath to newPath and never replaces a file that is there: the move fails with
// EEXIST when newPath exists, also when it appears at the same moment. Where the file
// system cannot refuse by itself, a hard link stands in; a new path that names the same
// file (another letter case on a file system that ignores case) is renamed. On failure
// *error is the errno value.
bool MoveFileWithoutReplacing(const QString& oldPath, const QString& newPath, int* error = nullptr);

class CRecordListCommands : public QObject {
    Q_OBJECT

public:
    // Menu 226 and its commands (also the actions' object names).
    static constexpr int IDR_LIST_CONTEXT_MENU = 226;
    static constexpr int ID_LIST_OPEN = 33100;
    static constexpr int ID_LIST_OPEN_FOLDER = 33101;
    static constexpr int ID_LIST_SELECT_FIRST = 33102;
    static constexpr int ID_LIST_SELECT_SECOND = 33103;
    static constexpr int ID_LIST_EDIT = 33104;
    static constexpr int ID_LIST_RENAME = 33105;
    static constexpr int ID_LIST_DELETE = 33106;
    // The shell flags of the recycling: silent, no confirmation, no error display.
    static constexpr uint16_t RECYCLE_FLAGS = 0x414;

    ~CRecordListCommands() override;

    // The Open File dialog that locates a moved file: the runner shows the prepared dialog
    // and gives the chosen file, or an empty text when cancelled. Null restores the default.
    using OpenFileDialogRunner = std::function<QString(QFileDialog& dialog)>;
    static void SetOpenFileDialogRunner(OpenFileDialogRunner runner);
    // The context menu's tracking: the runner shows the menu at the screen position and
    // gives the chosen action or null. Null restores the default.
    using ContextMenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPosition)>;
    static void SetContextMenuRunner(ContextMenuRunner runner);

    CRecordListCtrl& GetList() const { return m_list; }

    // Opens the single selected row's file with the desktop (after the missing-file check
    // and the open-file warning); minimizes the window when both settings ask for it.
    // True when the file was opened.
    bool OpenSelectedFile();
    // True when the single selected row's file exists or the user located it.
    bool LocateMissingFile();
    // Opens the folder of the single selected row's file.
    void OpenSelectedFolder();
    // The edit dialog for the selected rows; true when it ended with OK (the library is
    // then saved and the list searched again).
    bool EditSelectedItems();
    // Deletes the selected rows' records from the list and the library, after the
    // confirmation and the keep-or-trash question; selects the row after the deleted block.
    void DeleteSelectedItems();
    // Renames the single selected row's file in its folder.
    void RenameSelectedItem();
    // The double-click action of the settings: open (exactly one row) or edit (any rows).
    void OnDefaultAction();
    // The context menu, when rows are selected and the position is over a row.
    void OnContextMenu(const QPoint& globalPosition);
    // Menu 226 as it is for the current selection (default entry, greyed entries, the
    // Select entries' titles).
    std::unique_ptr<QMenu> CreateContextMenu(QWidget* parent) const;
    // What a menu command does.
    void RunContextCommand(int commandId);

    bool HasSelection() const;
    // The single selected row, or -1 (none, several, or a row beyond the records).
    int GetSingleSelectedRow() const;

protected:
    CRecordListCommands(CCordaLibrarianApp& app, CRecordListCtrl& list, CMainFrame* frame);

    // --- What each kind supplies
    virtual bool IsSongList() const = 0;
    // A row's record: its file, its title as the user reads it, a new file for it.
    virtual bool HasRecord(int row) const = 0;
    virtual QString GetRecordPath(int row) const = 0;
    virtual QString GetRecordTitle(int row) const = 0;
    virtual bool SetRecordPath(int row, const QString& path) = 0;
    virtual int GetFileNameColumn() const = 0;
    // Texts: the "could not be opened" question, the plural noun, the Select entries.
    virtual unsigned GetLocateTextId() const = 0;
    virtual unsigned GetPluralTextId() const = 0;
    virtual unsigned GetSelectTextId(int which) const = 0;
    // Shows the edit dialog (rows ascending); true when it ended with OK.
    virtual bool RunEditDialog(std::vector<int> rows, int focusedRow) = 0;
    // The list's search again with its own text and field, forced.
    virtual void ApplySearchAgain() = 0;
    // Takes the rows' records out of the record set and the library, sending each file to
    // the trash first when asked. The number of records removed.
    virtual int RemoveRecords(const std::vector<int>& rows, bool recycle) = 0;
    virtual void RebuildSummaries() = 0;
    // Selects the row's record's first (artist, style) or second (album, level) value in
    // the header pane's box.
    virtual void SelectInSummaryBox(int row, int which) = 0;

    CCordaLibrarianApp& m_app;
    CRecordListCtrl& m_list;
    CMainFrame* m_pFrame;

private:
    QWidget* GetDialogParent() const;
    void RefreshFooter();
    bool ConfirmOpenCordaFile();
};

// The commands of a list (the kind's own), owned by the list.
CRecordListCommands* CreateRecordListCommands(CCordaLibrarianApp& app, CSongListCtrl& list,
                                              CMainFrame* frame);
CRecordListCommands* CreateRecordListCommands(CCordaLibrarianApp& app, CLessonListCtrl& list,
                                              CMainFrame* frame);
// The commands that a list was given, or null.
CRecordListCommands* GetRecordListCommands(const CRecordListCtrl* list);

// Sets up the list commands, Edit.Delete and File.Properties in the main window.
void InstallRecordListCommands(CMainFrame& frame, CCordaLibrarianApp& app);
