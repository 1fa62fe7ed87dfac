#include "cordalib/ui/RecordListCommands.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/ui/EditLessonDlg.h"
#include "cordalib/ui/EditSongDlg.h"
#include "cordalib/ui/FilePropertySheet.h"
#include "cordalib/ui/LessonListCtrl.h"
#include "cordalib/ui/LessonSummaryListBox.h"
#include "cordalib/ui/MainFooterFormView.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/RecycleMessageBox.h"
#include "cordalib/ui/RenameDlg.h"
#include "cordalib/ui/SongListCtrl.h"
#include "cordalib/ui/SongSummaryListBox.h"
#include "cordalib/ui/WaitCursor.h"
#include "qvsystem/controls/LinkComboBox.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/system/FileUtilities.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// --- Moving without replacing

namespace {

bool SameFile(const QByteArray& a, const QByteArray& b)
{
    struct stat first {};
    struct stat second {};
    return ::lstat(a.constData(), &first) == 0 && ::lstat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

bool MoveFileWithoutReplacing(const QString& oldPath, const QString& newPath, int* error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    if (oldPath.isEmpty() || newPath.isEmpty())
        return fail(EINVAL);
    const QByteArray from = QFile::encodeName(oldPath);
    const QByteArray to = QFile::encodeName(newPath);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int code = errno;
    if (code == EEXIST) {
        // Only the same file under another spelling may be renamed over itself.
        if (from != to && SameFile(from, to)) {
            if (::rename(from.constData(), to.constData()) == 0)
                return true;
            code = errno;
        }
        return fail(code);
    }
    if (code != EINVAL && code != ENOSYS && code != EOPNOTSUPP)
        return fail(code);
    // A file system that cannot refuse a rename by itself: a hard link to a new name never
    // replaces one either, and the old name goes once the new one is there.
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return true;
        code = errno;
        ::unlink(to.constData());
        return fail(code);
    }
    code = errno;
    if (code == EEXIST)
        return fail(code);
    // Neither is possible there (no hard links either): look just before renaming.
    struct stat existing {};
    if (::lstat(to.constData(), &existing) == 0 && !SameFile(from, to))
        return fail(EEXIST);
    if (::rename(from.constData(), to.constData()) == 0)
        return true;
    return fail(errno);
}

// --- Runners that tests replace

namespace {

QString RunOpenFileDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QAction* RunContextMenu(QMenu& menu, const QPoint& globalPosition)
{
    return menu.exec(globalPosition);
}

CRecordListCommands::OpenFileDialogRunner& OpenFileDialogRunnerSlot()
{
    static CRecordListCommands::OpenFileDialogRunner runner = RunOpenFileDialog;
    return runner;
}

CRecordListCommands::ContextMenuRunner& ContextMenuRunnerSlot()
{
    static CRecordListCommands::ContextMenuRunner runner = RunContextMenu;
    return runner;
}

// Yes/No with the "do not show again" box; a ticked box turns the setting off.
int AskWithCheckBox(const QString& text, unsigned type, const QString& caption, bool* keepShowing)
{
    int checked = 0;
    CQVMessageBoxRequest request;
    request.text = text;
    request.hasCheckBox = true;
    request.checkText = AfxLoadString(IDS_QV_DO_NOT_SHOW_AGAIN);
    request.checkState = &checked;
    request.type = type;
    request.caption = caption;
    const int result = AfxShowQVMessageBox(request);
    *keepShowing = checked != 1;
    return result;
}

} // namespace

void CRecordListCommands::SetOpenFileDialogRunner(OpenFileDialogRunner runner)
{
    OpenFileDialogRunnerSlot() = runner ? std::move(runner) : OpenFileDialogRunner(RunOpenFileDialog);
}

void CRecordListCommands::SetContextMenuRunner(ContextMenuRunner runner)
{
    ContextMenuRunnerSlot() = runner ? std::move(runner) : ContextMenuRunner(RunContextMenu);
}

// --- The commands

CRecordListCommands::CRecordListCommands(CCordaLibrarianApp& app, CRecordListCtrl& list, CMainFrame* frame)
    : QObject(&list), m_app(app), m_list(list), m_pFrame(frame)
{
    setObjectName(QStringLiteral("RecordListCommands"));
}

CRecordListCommands::~CRecordListCommands() = default;

QWidget* CRecordListCommands::GetDialogParent() const
{
    return m_pFrame ? static_cast<QWidget*>(m_pFrame) : m_list.window();
}

void CRecordListCommands::RefreshFooter()
{
    if (m_pFrame && m_pFrame->GetFooter())
        m_pFrame->GetFooter()->ShowCurrentSelection();
}

bool CRecordListCommands::HasSelection() const
{
    const QItemSelectionModel* selection = m_list.selectionModel();
    return selection && selection->hasSelection();
}

int CRecordListCommands::GetSingleSelectedRow() const
{
    const int row = m_list.GetSingleSelectionItem();
    return HasRecord(row) ? row : -1;
}

bool CRecordListCommands::LocateMissingFile()
{
    const int row = GetSingleSelectedRow();
    if (row < 0)
        return false;
    const QString path = GetRecordPath(row);
    if (AfxDoesFileExist(path))
        return true;
    if (AfxFormatStringQVMessageBox(LoadAppString(GetLocateTextId()), MB_YESNO | MB_ICONINFORMATION,
                                    QString(), GetRecordTitle(row)) != IDYES)
        return false;

    QFileDialog dialog(GetDialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(AfxConvertFileDialogFilter(LoadAppString(IDS_CORDA_FILE_FILTER)));
    // The dialog starts at the file's old place, or with its old name where the folder went.
    const QFileInfo start(path);
    if (start.dir().exists()) {
        dialog.setDirectory(start.dir());
        dialog.selectFile(start.fileName());
    } else {
        dialog.selectFile(path);
    }
    const QString chosen = OpenFileDialogRunnerSlot()(dialog);
    if (chosen.isEmpty())
        return false;
    const QString located = QFileInfo(chosen).absoluteFilePath();
    if (CLibraryDatabase* database = m_list.GetDatabase(); database && database->ContainsPath(located)) {
        AfxFormatStringQVMessageBox(LoadAppString(IDS_FILE_ALREADY_IN_LIBRARY), MB_OK | MB_ICONEXCLAMATION,
                                    QString(), located);
        return false;
    }
    if (!SetRecordPath(row, located))
        return false;
    RefreshFooter();
    if (CLibraryDatabase* database = m_list.GetDatabase())
        database->SetModified(true);
    m_list.viewport()->update();
    return true;
}

bool CRecordListCommands::ConfirmOpenCordaFile()
{
    CMessageBoxSettings& settings = m_app.GetMessageBoxSettings();
    if (!settings.GetShowOpenCordaFileWarning())
        return true;
    bool keepShowing = true;
    const int answer =
        AskWithCheckBox(LoadAppString(IDS_OPEN_CORDA_FILE_WARNING), MB_YESNO | MB_ICONEXCLAMATION,
                        LoadAppString(IDS_WARNING), &keepShowing);
    if (!keepShowing)
        settings.SetShowOpenCordaFileWarning(false, true);
    return answer == IDYES;
}

bool CRecordListCommands::OpenSelectedFile()
{
    const int row = GetSingleSelectedRow();
    if (row < 0 || !LocateMissingFile() || !ConfirmOpenCordaFile())
        return false;
    if (!AfxOpenFile(GetRecordPath(row)))
        return false;
    if (m_pFrame && m_app.GetGeneralSettings().GetMinimizeOnOpenCordaFile() &&
        m_app.GetSystemTraySettings().GetMinimizeToSystemTray())
        // The frame hides itself into the notification area when it is minimized.
        m_pFrame->showMinimized();
    return true;
}

void CRecordListCommands::OpenSelectedFolder()
{
    const int row = GetSingleSelectedRow();
    if (row < 0)
        return;
    QString folder;
    if (AfxExtractFolderPathFromPath(GetRecordPath(row), folder) && !folder.isEmpty())
        AfxOpenFile(folder);
}

bool CRecordListCommands::EditSelectedItems()
{
    std::vector<int> rows = m_list.GetSelectedItems();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int row) { return !HasRecord(row); }),
               rows.end());
    if (rows.empty())
        return false;
    CMessageBoxSettings& settings = m_app.GetMessageBoxSettings();
    if (rows.size() > 1 && settings.GetShowEditMultipleItemsWarning()) {
        bool keepShowing = true;
        const int answer = AskWithCheckBox(LoadAppString(IDS_EDIT_MULTIPLE_ITEMS),
                                           MB_YESNO | MB_ICONINFORMATION, QString(), &keepShowing);
        if (!keepShowing)
            settings.SetShowEditMultipleItemsWarning(false, true);
        if (answer != IDYES)
            return false;
    }
    if (rows.size() == 1 && !LocateMissingFile())
        return false;
    const QModelIndex current = m_list.currentIndex();
    const int focused = current.isValid() && std::binary_search(rows.begin(), rows.end(), current.row())
                            ? current.row()
                            : rows.front();
    if (!RunEditDialog(rows, focused))
        return false;
    m_app.SaveDatabase(true, false);
    ApplySearchAgain();
    RefreshFooter();
    return true;
}

void CRecordListCommands::DeleteSelectedItems()
{
    std::vector<int> rows = m_list.GetSelectedItems();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int row) { return !HasRecord(row); }),
               rows.end());
    if (rows.empty())
        return;
    CMessageBoxSettings& settings = m_app.GetMessageBoxSettings();
    if (settings.GetShowDeleteItemConfirmation()) {
        bool keepShowing = true;
        const QString text = AfxFormatMessage(LoadAppString(IDS_DELETE_CONFIRMATION),
                                              LoadAppString(GetPluralTextId()).toLower());
        const int answer = AskWithCheckBox(text, MB_YESNO | MB_ICONEXCLAMATION, QString(), &keepShowing);
        if (!keepShowing)
            settings.SetShowDeleteItemConfirmation(false, true);
        if (answer != IDYES)
            return;
    }
    const int highest = rows.back();
    CRecycleMessageBox question(GetDialogParent());
    const int recycle = question.DoModal();
    if (recycle != IDYES && recycle != IDNO)
        return;

    const CWaitCursor wait;
    const bool hadFocus = m_list.currentIndex().isValid();
    m_list.BeginRecordsetChange();
    const int deleted = RemoveRecords(rows, recycle == IDYES);
    m_app.SaveDatabase(true, false);
    RebuildSummaries();
    m_list.EndRecordsetChange();

    const int count = m_list.GetItemCount();
    if (count > 0) {
        const int row = std::clamp(highest + 1 - deleted, 0, count - 1);
        m_list.SelectItem(row, hadFocus);
        m_list.scrollTo(m_list.model()->index(row, 0));
    }
    m_list.viewport()->update();
    RefreshFooter();
}

void CRecordListCommands::RenameSelectedItem()
{
    const int row = GetSingleSelectedRow();
    if (row < 0)
        return;
    const QString oldPath = GetRecordPath(row);
    QString folder;
    QString fileName;
    AfxExtractFolderPathAndFileNameFromPath(oldPath, folder, fileName);
    CRenameDlg dialog(IsSongList(), fileName, GetDialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A change of letter case alone is a new name.
    const QString newName = dialog.GetNewFileName();
    if (newName == fileName)
        return;
    const QString newPath = folder + newName;
    int error = 0;
    if (!MoveFileWithoutReplacing(oldPath, newPath, &error)) {
        QString cause;
        AfxGetSystemErrorText(error, cause);
        AfxFormatStringErrorMessageBox(IDS_QV_RENAME_FILE_ERROR, MB_OK | MB_ICONEXCLAMATION, 0, oldPath,
                                       newPath, cause);
        return;
    }
    SetRecordPath(row, newPath);
    if (CLibraryDatabase* database = m_list.GetDatabase())
        database->SetModified(true);
    RefreshFooter();
    m_app.SaveDatabase(true, false);
    if (m_list.GetSortColumn() == GetFileNameColumn())
        m_list.SortItemsByColumn(GetFileNameColumn(), true);
    else
        m_list.viewport()->update();
}

void CRecordListCommands::OnDefaultAction()
{
    const int selected = m_list.GetSelectedCount();
    if (m_app.GetGeneralSettings().GetDefaultDoubleClickAction() == 1) {
        if (selected >= 1)
            EditSelectedItems();
    } else if (selected == 1) {
        OpenSelectedFile();
    }
}

std::unique_ptr<QMenu> CRecordListCommands::CreateContextMenu(QWidget* parent) const
{
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QString::number(IDR_LIST_CONTEXT_MENU));
    const auto add = [](QMenu* to, const QString& text, int id) {
        QAction* action = to->addAction(text);
        action->setObjectName(QString::number(id));
        action->setData(id);
        return action;
    };
    const bool single = GetSingleSelectedRow() >= 0;
    QAction* open = add(menu.get(), tr("&Open"), ID_LIST_OPEN);
    QAction* folder = add(menu.get(), tr("Open &Folder"), ID_LIST_OPEN_FOLDER);
    menu->addSeparator();
    QMenu* select = menu->addMenu(tr("&Select"));
    select->setObjectName(QStringLiteral("Select"));
    QAction* first = add(select, LoadAppString(GetSelectTextId(0)), ID_LIST_SELECT_FIRST);
    QAction* second = add(select, LoadAppString(GetSelectTextId(1)), ID_LIST_SELECT_SECOND);
    menu->addSeparator();
    QAction* edit = add(menu.get(), tr("&Edit..."), ID_LIST_EDIT);
    menu->addSeparator();
    QAction* rename = add(menu.get(), tr("&Rename..."), ID_LIST_RENAME);
    menu->addSeparator();
    add(menu.get(), tr("&Delete"), ID_LIST_DELETE);
    menu->setDefaultAction(m_app.GetGeneralSettings().GetDefaultDoubleClickAction() == 1 ? edit : open);
    for (QAction* action : {open, folder, rename, first, second})
        action->setEnabled(single);
    return menu;
}

void CRecordListCommands::OnContextMenu(const QPoint& globalPosition)
{
    if (!HasSelection() || !m_list.HitTestOnItem(m_list.viewport()->mapFromGlobal(globalPosition)))
        return;
    std::unique_ptr<QMenu> menu = CreateContextMenu(&m_list);
    QAction* chosen = ContextMenuRunnerSlot()(*menu, globalPosition);
    const int command = chosen ? chosen->data().toInt() : 0;
    menu.reset();
    if (command != 0)
        RunContextCommand(command);
}

void CRecordListCommands::RunContextCommand(int commandId)
{
    switch (commandId) {
    case ID_LIST_OPEN:
        OpenSelectedFile();
        break;
    case ID_LIST_OPEN_FOLDER:
        OpenSelectedFolder();
        break;
    case ID_LIST_SELECT_FIRST:
    case ID_LIST_SELECT_SECOND:
        if (const int row = GetSingleSelectedRow(); row >= 0)
            SelectInSummaryBox(row, commandId == ID_LIST_SELECT_FIRST ? 0 : 1);
        break;
    case ID_LIST_EDIT:
        EditSelectedItems();
        break;
    case ID_LIST_RENAME:
        RenameSelectedItem();
        break;
    case ID_LIST_DELETE:
        DeleteSelectedItems();
        break;
    default:
        break;
    }
}

// --- The two kinds

namespace {

struct CSongListKind {
    using List = CSongListCtrl;
    using Record = CSongRecord;
    using EditDialog = CEditSongDlg;
    static constexpr bool IS_SONG = true;
    static constexpr int FILE_NAME_COLUMN = CSongListCtrl::songColumnFileName;
    static constexpr unsigned LOCATE_TEXT = IDS_LOCATE_MISSING_SONG;
    static constexpr unsigned PLURAL_TEXT = IDS_SONGS;
    static constexpr unsigned SELECT_TEXTS[2] = {IDS_COLUMN_ARTIST, IDS_COLUMN_ALBUM};

    static bool RemoveFromLibrary(CLibraryDatabase& database, Record* record)
    {
        return database.RemoveSong(record);
    }
    static void SelectInBox(List& list, const Record& record, int which)
    {
        if (CSongSummaryListBox* box = which == 0 ? static_cast<CSongSummaryListBox*>(list.GetArtistBox())
                                                  : static_cast<CSongSummaryListBox*>(list.GetAlbumBox()))
            box->SelectKey(which == 0 ? record.GetArtist() : record.GetAlbum(), true);
    }
};

struct CLessonListKind {
    using List = CLessonListCtrl;
    using Record = CLessonRecord;
    using EditDialog = CEditLessonDlg;
    static constexpr bool IS_SONG = false;
    static constexpr int FILE_NAME_COLUMN = CLessonListCtrl::lessonColumnFileName;
    static constexpr unsigned LOCATE_TEXT = IDS_LOCATE_MISSING_LESSON;
    static constexpr unsigned PLURAL_TEXT = IDS_LESSONS;
    static constexpr unsigned SELECT_TEXTS[2] = {IDS_COLUMN_STYLE, IDS_COLUMN_LEVEL};

    static bool RemoveFromLibrary(CLibraryDatabase& database, Record* record)
    {
        return database.RemoveLesson(record);
    }
    static void SelectInBox(List& list, const Record& record, int which)
    {
        if (CLessonSummaryListBox* box = which == 0 ? static_cast<CLessonSummaryListBox*>(list.GetStyleBox())
                                                    : static_cast<CLessonSummaryListBox*>(list.GetLevelBox()))
            box->SelectKey(which == 0 ? unsigned(record.GetStyle()) : unsigned(record.GetLevel()), true);
    }
};

template <typename Kind> class CKindListCommands final : public CRecordListCommands {
public:
    using List = typename Kind::List;
    using Record = typename Kind::Record;

    CKindListCommands(CCordaLibrarianApp& app, List& list, CMainFrame* frame)
        : CRecordListCommands(app, list, frame), m_typedList(list)
    {
    }

protected:
    bool IsSongList() const override { return Kind::IS_SONG; }
    bool HasRecord(int row) const override { return m_typedList.GetRecord(row) != nullptr; }
    QString GetRecordPath(int row) const override
    {
        const Record* record = m_typedList.GetRecord(row);
        return record ? record->GetPath() : QString();
    }
    QString GetRecordTitle(int row) const override
    {
        const Record* record = m_typedList.GetRecord(row);
        return record ? CRecordListCtrl::RecordText(record->GetTitle()) : QString();
    }
    bool SetRecordPath(int row, const QString& path) override
    {
        Record* record = m_typedList.GetRecord(row);
        return record && record->SetPath(path);
    }
    int GetFileNameColumn() const override { return Kind::FILE_NAME_COLUMN; }
    unsigned GetLocateTextId() const override { return Kind::LOCATE_TEXT; }
    unsigned GetPluralTextId() const override { return Kind::PLURAL_TEXT; }
    unsigned GetSelectTextId(int which) const override { return Kind::SELECT_TEXTS[which == 0 ? 0 : 1]; }

    bool RunEditDialog(std::vector<int> rows, int focusedRow) override
    {
        typename Kind::EditDialog dialog(m_app, m_typedList.GetRecordset(), std::move(rows), focusedRow,
                                         m_pFrame ? static_cast<QWidget*>(m_pFrame) : m_typedList.window());
        return dialog.exec() == QDialog::Accepted;
    }
    void ApplySearchAgain() override
    {
        m_typedList.ApplySearch(m_typedList.GetSearchText(), m_typedList.GetSearchField(), true);
    }
    int RemoveRecords(const std::vector<int>& rows, bool recycle) override
    {
        // The records first: every removal moves the rows after it.
        std::vector<Record*> records;
        records.reserve(rows.size());
        for (int row : rows) {
            if (Record* record = m_typedList.GetRecord(row))
                records.push_back(record);
        }
        CLibraryDatabase* database = m_typedList.GetDatabase();
        int removed = 0;
        for (Record* record : records) {
            m_typedList.GetRecordset().Remove(record);
            // Whatever the trash says, the record goes.
            if (recycle)
                AfxRecycleFile(record->GetPath(), false, RECYCLE_FLAGS);
            if (database)
                Kind::RemoveFromLibrary(*database, record);
            ++removed;
        }
        return removed;
    }
    void RebuildSummaries() override { m_typedList.RebuildSummaries(); }
    void SelectInSummaryBox(int row, int which) override
    {
        if (const Record* record = m_typedList.GetRecord(row))
            Kind::SelectInBox(m_typedList, *record, which);
    }

private:
    List& m_typedList;
};

} // namespace

CRecordListCommands* CreateRecordListCommands(CCordaLibrarianApp& app, CSongListCtrl& list, CMainFrame* frame)
{
    return new CKindListCommands<CSongListKind>(app, list, frame);
}

CRecordListCommands* CreateRecordListCommands(CCordaLibrarianApp& app, CLessonListCtrl& list,
                                              CMainFrame* frame)
{
    return new CKindListCommands<CLessonListKind>(app, list, frame);
}

CRecordListCommands* GetRecordListCommands(const CRecordListCtrl* list)
{
    return list ? list->findChild<CRecordListCommands*>(QStringLiteral("RecordListCommands"),
                                                        Qt::FindDirectChildrenOnly)
                : nullptr;
}

// --- The main window

namespace {

void ConnectList(CRecordListCommands* commands)
{
    CRecordListCtrl& list = commands->GetList();
    QObject::connect(&list, &CRecordListCtrl::DefaultActionRequested, commands,
                     &CRecordListCommands::OnDefaultAction);
    QObject::connect(&list, &CRecordListCtrl::ContextMenuRequested, commands,
                     &CRecordListCommands::OnContextMenu);
}

} // namespace

void InstallRecordListCommands(CMainFrame& frame, CCordaLibrarianApp& app)
{
    if (CSongListCtrl* songs = frame.GetSongList())
        ConnectList(CreateRecordListCommands(app, *songs, &frame));
    if (CLessonListCtrl* lessons = frame.GetLessonList())
        ConnectList(CreateRecordListCommands(app, *lessons, &frame));

    frame.SetCommandHandler(
        int(CordaCommands::ID_EDIT_DELETE),
        [&frame] {
            if (CRecordListCommands* commands = GetRecordListCommands(frame.GetCurrentList()))
                commands->DeleteSelectedItems();
        },
        // As for Unselect All: the list has the focus and rows are selected.
        [&frame] {
            const CRecordListCtrl* list = frame.GetCurrentList();
            return list && list->hasFocus() && list->selectionModel() &&
                   list->selectionModel()->hasSelection();
        });
    frame.SetCommandHandler(int(CordaCommands::ID_FILE_PROPERTIES), [&frame, &app] {
        CFilePropertySheet sheet(app.GetLibraryDatabase(), CFilePropertySheet::GetDatabaseFilePath(app),
                                 &frame);
        sheet.exec();
    });
}
