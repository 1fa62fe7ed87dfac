#include "cordalib/ui/EditRecordDlg.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/FileLocations.h"
#include "cordalib/library/FieldRewrite.h"
#include "cordalib/library/RecordSupport.h"
#include "cordalib/maintenance/MaintenanceStrings.h"
#include "cordalib/maintenance/SyncReport.h"
#include "cordalib/ui/InformationBar.h"

#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/controls/ProgressDlg.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/MirrorFile.h"
#include "qvsystem/system/FileUtilities.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int FIELD_MIN_WIDTH = 340;
constexpr int NAV_BUTTON_WIDTH = 30;
constexpr int POSITION_WIDTH = 56;
// How often a multi-edit lets the window repaint and take a Cancel.
constexpr qint64 PUMP_INTERVAL_MS = 30;

QPushButton* NavigationButton(const QString& text, int id, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    button->setFixedWidth(NAV_BUTTON_WIDTH);
    return button;
}

QLineEdit* ReadOnlyEdit(int id, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

} // namespace

CEditRecordDlg::CEditRecordDlg(unsigned templateId, CCordaLibrarianApp& app, std::vector<int> selectedRows,
                               int focusedRow, QWidget* parent)
    : CQVDialog(templateId, parent), m_app(app), m_selectedRows(std::move(selectedRows))
{
    setObjectName(QString::number(templateId));
    m_bMultiEdit = m_selectedRows.size() > 1;
    // One selected row is the record shown; without a selection the focused row stands in.
    m_nPosition = m_selectedRows.empty() ? focusedRow : m_selectedRows.front();

    m_pInformationBar = new CInformationBar(this);
    m_pInformationBar->setObjectName(QString::number(IDC_EDIT_INFORMATION_BAR));
    m_pInformationBar->SetIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    // The bar comes and goes in single mode; the fields must not move when it does.
    QSizePolicy barPolicy = m_pInformationBar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_pInformationBar->setSizePolicy(barPolicy);
    connect(m_pInformationBar, &CInformationBar::Clicked, this, &CEditRecordDlg::UndoChanges);

    m_pFieldGrid = new QGridLayout;
    m_pFieldGrid->setHorizontalSpacing(8);
    m_pFieldGrid->setVerticalSpacing(6);
    m_pFieldGrid->setColumnStretch(2, 1);
    m_pFieldGrid->setColumnMinimumWidth(2, FIELD_MIN_WIDTH);

    m_pFileName = ReadOnlyEdit(IDC_EDIT_FILE_NAME, this);
    m_pFolder = ReadOnlyEdit(IDC_EDIT_FOLDER, this);
    auto* fileGrid = new QGridLayout;
    fileGrid->setHorizontalSpacing(8);
    fileGrid->setVerticalSpacing(6);
    fileGrid->setColumnStretch(1, 1);
    fileGrid->addWidget(new QLabel(tr("File name:"), this), 0, 0);
    fileGrid->addWidget(m_pFileName, 0, 1);
    fileGrid->addWidget(new QLabel(tr("Folder:"), this), 1, 0);
    fileGrid->addWidget(m_pFolder, 1, 1);

    m_pNavLabel = new QLabel(this);
    m_pNavLabel->setObjectName(QString::number(IDC_EDIT_NAV_LABEL));
    m_pFirst = NavigationButton(QStringLiteral("|<"), IDC_EDIT_NAV_FIRST, this);
    m_pPrevious = NavigationButton(QStringLiteral("<"), IDC_EDIT_NAV_PREVIOUS, this);
    m_pPosition = new QLineEdit(this);
    m_pPosition->setObjectName(QString::number(IDC_EDIT_NAV_POSITION));
    m_pPosition->setFixedWidth(POSITION_WIDTH);
    m_pPosition->setAlignment(Qt::AlignRight);
    m_pPosition->installEventFilter(this);
    m_pNavLabel->setBuddy(m_pPosition);
    auto* of = new QLabel(tr("of"), this);
    of->setObjectName(QString::number(IDC_EDIT_NAV_OF));
    m_pTotal = new QLabel(this);
    m_pTotal->setObjectName(QString::number(IDC_EDIT_NAV_TOTAL));
    m_pNext = NavigationButton(QStringLiteral(">"), IDC_EDIT_NAV_NEXT, this);
    m_pLast = NavigationButton(QStringLiteral(">|"), IDC_EDIT_NAV_LAST, this);
    connect(m_pFirst, &QPushButton::clicked, this, &CEditRecordDlg::MoveFirst);
    connect(m_pPrevious, &QPushButton::clicked, this, &CEditRecordDlg::MovePrevious);
    connect(m_pNext, &QPushButton::clicked, this, &CEditRecordDlg::MoveNext);
    connect(m_pLast, &QPushButton::clicked, this, &CEditRecordDlg::MoveLast);
    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(4);
    navigation->addWidget(m_pNavLabel);
    navigation->addSpacing(4);
    navigation->addWidget(m_pFirst);
    navigation->addWidget(m_pPrevious);
    navigation->addWidget(m_pPosition);
    navigation->addWidget(of);
    navigation->addWidget(m_pTotal);
    navigation->addWidget(m_pNext);
    navigation->addWidget(m_pLast);
    navigation->addStretch(1);

    auto* buttons = new QDialogButtonBox(this);
    m_pOK = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    m_pOK->setObjectName(QString::number(IDOK));
    m_pOK->setDefault(true);
    m_pCancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    m_pCancel->setObjectName(QString::number(IDCANCEL));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(CreateHelpButton(this));
    buttonRow->addStretch(1);
    buttonRow->addWidget(buttons);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(m_pInformationBar);
    layout->addSpacing(2);
    layout->addLayout(m_pFieldGrid);
    layout->addSpacing(2);
    layout->addWidget(line);
    layout->addLayout(fileGrid);
    layout->addSpacing(2);
    layout->addLayout(navigation);
    layout->addWidget(CreateHelpSeparator(this));
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CEditRecordDlg::~CEditRecordDlg() = default;

QCheckBox* CEditRecordDlg::AddFieldRow(int checkId, const QString& label,
                                       const std::vector<QWidget*>& controls, QLayout* cell)
{
    auto* check = new QCheckBox(this);
    check->setObjectName(QString::number(checkId));
    QString name = label;
    check->setAccessibleName(name.remove(QLatin1Char('&')));
    check->setVisible(m_bMultiEdit);
    auto* caption = new QLabel(label, this);
    if (!controls.empty())
        caption->setBuddy(controls.front());
    const int row = m_nFieldRows++;
    m_pFieldGrid->addWidget(check, row, 0);
    m_pFieldGrid->addWidget(caption, row, 1);
    if (cell)
        m_pFieldGrid->addLayout(cell, row, 2);
    else if (!controls.empty())
        m_pFieldGrid->addWidget(controls.front(), row, 2);
    m_checks[checkId] = check;
    m_fieldWidgets.push_back(check);
    m_fieldWidgets.insert(m_fieldWidgets.end(), controls.begin(), controls.end());
    if (!m_pFirstCheck)
        m_pFirstCheck = check;
    if (!m_pFirstField && !controls.empty())
        m_pFirstField = controls.front();
    if (m_bMultiEdit) {
        for (QWidget* control : controls)
            control->setEnabled(false);
        connect(check, &QCheckBox::toggled, this, [controls](bool on) {
            for (QWidget* control : controls)
                control->setEnabled(on);
        });
        connect(check, &QCheckBox::clicked, this, [controls](bool on) {
            if (on && !controls.empty())
                controls.front()->setFocus(Qt::OtherFocusReason);
        });
    }
    return check;
}

QLineEdit* CEditRecordDlg::CreateTextEdit(int id)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    return edit;
}

CAutoCompleteEdit* CEditRecordDlg::CreateAutoCompleteEdit(int id)
{
    auto* edit = new CAutoCompleteEdit(this);
    edit->setObjectName(QString::number(id));
    return edit;
}

void CEditRecordDlg::SetNavigationLabel(const QString& text)
{
    m_pNavLabel->setText(text);
}

bool CEditRecordDlg::IsTicked(int checkId) const
{
    const QCheckBox* check = GetCheck(checkId);
    return m_bMultiEdit && check && check->isChecked();
}

void CEditRecordDlg::SetTicked(int checkId, bool ticked)
{
    if (QCheckBox* check = GetCheck(checkId))
        check->setChecked(ticked);
}

QCheckBox* CEditRecordDlg::GetCheck(int checkId) const
{
    const auto found = m_checks.find(checkId);
    return found == m_checks.end() ? nullptr : found->second;
}

void CEditRecordDlg::AddToAutoComplete(CAutoCompleteEdit* edit)
{
    if (edit && edit->IsAutoCompletionEnabled())
        edit->AddActiveTextToMRUList();
}

void CEditRecordDlg::MarkLibraryModified()
{
    m_app.GetLibraryDatabase().SetModified();
}

bool CEditRecordDlg::OnInitDialog()
{
    CQVDialog::OnInitDialog();
    CAutoCompleteSettings& autoComplete = m_app.GetAutoCompleteSettings();
    if (autoComplete.IsEnabled()) {
        EnableAutoCompleteControls(true, autoComplete.GetMRUListSize());
    } else {
        // Plain fields: no suggestions, and lists that were never loaded are not written.
        CAutoCompleteEditSubKeyMap edits;
        GetAutoCompleteEdits(edits);
        for (const auto& [edit, key] : edits)
            edit->EnableAutoCompletion(false);
    }
    LoadData();
    SetTabOrder();
    // Single mode starts in the first field, multi-edit on its first check box.
    if (QWidget* start = m_bMultiEdit ? m_pFirstCheck : m_pFirstField)
        start->setFocus(Qt::OtherFocusReason);
    return true;
}

void CEditRecordDlg::SetTabOrder()
{
    // The fields come first, although the shared controls were made before them.
    std::vector<QWidget*> order = m_fieldWidgets;
    for (QWidget* widget : {static_cast<QWidget*>(m_pFirst), static_cast<QWidget*>(m_pPrevious),
                            static_cast<QWidget*>(m_pPosition), static_cast<QWidget*>(m_pNext),
                            static_cast<QWidget*>(m_pLast), static_cast<QWidget*>(m_pOK),
                            static_cast<QWidget*>(m_pCancel), static_cast<QWidget*>(GetHelpButton())})
        if (widget)
            order.push_back(widget);
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void CEditRecordDlg::GetStateAutoCompleteEditCtrls(CAutoCompleteEditSubKeyMap& map, bool)
{
    GetAutoCompleteEdits(map);
}

bool CEditRecordDlg::LoadData()
{
    if (m_bMultiEdit) {
        for (const auto& [id, check] : m_checks)
            check->setChecked(false);
        const QString multiple = LoadAppString(IDS_MULTIPLE_FILES_SELECTED);
        m_pFileName->setText(multiple);
        m_pFolder->setText(multiple);
        m_pInformationBar->SetText(LoadAppString(IDS_MULTI_EDIT_MODE));
        m_pInformationBar->SetClickable(false);
        m_pInformationBar->setVisible(true);
    } else {
        if (HasRecord(m_nPosition))
            LoadRecord(m_nPosition);
        const QString path = GetRecordPath(m_nPosition);
        m_pFileName->setText(QFileInfo(path).fileName());
        m_pFolder->setText(path.isEmpty() ? QString() : RecordSupport::RemoveFileSpec(path));
        m_pFileName->setCursorPosition(0);
        m_pFolder->setCursorPosition(0);
        m_pInformationBar->SetText(LoadAppString(IDS_RECORD_MODIFIED));
        m_pInformationBar->SetClickable(true);
    }
    UpdateNavigation();
    UpdateInformationBar();
    return true;
}

bool CEditRecordDlg::IsModified() const
{
    if (m_bMultiEdit) {
        for (const auto& [id, check] : m_checks) {
            if (check->isChecked())
                return true;
        }
        return false;
    }
    return HasRecord(m_nPosition) && IsRecordModified();
}

void CEditRecordDlg::UndoChanges()
{
    if (m_bMultiEdit || !HasRecord(m_nPosition))
        return;
    HideValidationErrorMessage();
    LoadRecord(m_nPosition);
    UpdateInformationBar();
}

bool CEditRecordDlg::SaveData()
{
    if (m_bMultiEdit)
        return RunMultiEdit();
    if (!HasRecord(m_nPosition) || !IsRecordModified())
        return true;
    const bool saved = SaveRecord();
    UpdateInformationBar();
    return saved;
}

void CEditRecordDlg::OnIdle()
{
    UpdateInformationBar();
}

void CEditRecordDlg::UpdateInformationBar()
{
    if (m_bMultiEdit)
        return;
    m_pInformationBar->setVisible(IsModified());
}

QString CEditRecordDlg::GetHelpTopic() const
{
    return m_bMultiEdit ? GetMultiHelpTopic() : GetSingleHelpTopic();
}

// Navigation.

bool CEditRecordDlg::MoveTo(int position)
{
    if (m_bMultiEdit || position < 0 || position >= GetRecordCount() || position == m_nPosition)
        return false;
    if (!ValidateAndSaveData())
        return false;
    m_nPosition = position;
    LoadData();
    return true;
}

bool CEditRecordDlg::MoveFirst()
{
    return MoveTo(0);
}

bool CEditRecordDlg::MovePrevious()
{
    return MoveTo(m_nPosition - 1);
}

bool CEditRecordDlg::MoveNext()
{
    return MoveTo(m_nPosition + 1);
}

bool CEditRecordDlg::MoveLast()
{
    return MoveTo(GetRecordCount() - 1);
}

void CEditRecordDlg::UpdateNavigation()
{
    const int count = m_bMultiEdit ? static_cast<int>(m_selectedRows.size()) : GetRecordCount();
    m_pTotal->setText(QString::number(count));
    if (m_bMultiEdit) {
        m_pPosition->clear();
        for (QWidget* control : {static_cast<QWidget*>(m_pFirst), static_cast<QWidget*>(m_pPrevious),
                                 static_cast<QWidget*>(m_pPosition), static_cast<QWidget*>(m_pNext),
                                 static_cast<QWidget*>(m_pLast)})
            control->setEnabled(false);
        return;
    }
    m_pPosition->setText(QString::number(m_nPosition + 1));
    m_pFirst->setEnabled(m_nPosition > 0);
    m_pPrevious->setEnabled(m_nPosition > 0);
    m_pNext->setEnabled(m_nPosition + 1 < count);
    m_pLast->setEnabled(m_nPosition + 1 < count);
}

void CEditRecordDlg::GoToTypedPosition()
{
    bool number = false;
    const int typed = m_pPosition->text().trimmed().toInt(&number);
    // Anything but another valid position shows the current one again.
    if (!number || !MoveTo(typed - 1))
        m_pPosition->setText(QString::number(m_nPosition + 1));
    m_pPosition->selectAll();
}

bool CEditRecordDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the position field goes there; it must not reach OK.
    if (watched == m_pPosition && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GoToTypedPosition();
            return true;
        }
    }
    return CQVDialog::eventFilter(watched, event);
}

// Multi-edit.

bool CEditRecordDlg::RunMultiEdit()
{
    m_errorLines.clear();
    if (!IsModified())
        return true;
    const int count = static_cast<int>(m_selectedRows.size());
    CProgressDlg progress;
    progress.CreateProgressStyle(this);
    progress.SetRange(0, count);
    progress.ShowProgressStyle();
    m_pProgress = &progress;
    bool cancelled = false;
    CMirrorFileBatch batch;
    // While the disk takes one item's file on the closer's thread, the next item's file is
    // read and written here. The records change here only, each once its file is in place,
    // in the order of the list.
    CMirrorFileCloser closer;
    struct CPending {
        int item = -1;
        int row = -1;
        std::unique_ptr<CFieldRewrite> rewrite;
    } pending;
    const auto finishPending = [&] {
        if (!pending.rewrite)
            return;
        QString errorText;
        const itemResult result = FinishItem(pending.row, *pending.rewrite, errorText);
        pending.rewrite.reset();
        EndItem(pending.item, pending.row, result, errorText);
    };
    QElapsedTimer sincePump;
    for (int item = 0; item < count; ++item) {
        // A Cancel is taken between any two files; the window repaints a few dozen times a
        // second, as pumping at every file would cost more than writing it.
        const bool pump = item == 0 || sincePump.elapsed() >= PUMP_INTERVAL_MS;
        if (pump)
            sincePump.start();
        if (pump ? progress.CheckCancelButton() : progress.TakeCancelPress()) {
            cancelled = true;
            break;
        }
        const int row = m_selectedRows[static_cast<size_t>(item)];
        auto rewrite = std::make_unique<CFieldRewrite>();
        QString errorText;
        const itemResult result = HasRecord(row) ? PrepareItem(row, *rewrite, errorText) : itemSkipped;
        if (pending.rewrite) {
            finishPending();
            // A Cancel while the last item ended: this file stays as it was.
            if (progress.TakeCancelPress()) {
                cancelled = true;
                break;
            }
        }
        if (result == itemWritten)
            rewrite->Commit(&closer);
        progress.SetStatus(AfxFormatMessage(LoadAppString(GetProgressTextID()), item + 1, count));
        // The bar repaints at once when it moves, so it moves when the window repaints.
        if (pump)
            progress.SetPos(item + 1);
        if (result == itemWritten)
            pending = CPending{item, row, std::move(rewrite)};
        else
            EndItem(item, row, result, errorText);
    }
    finishPending();
    QString folder;
    int syncError = 0;
    if (!batch.Finish(&folder, &syncError)) {
        QString cause;
        AfxGetSystemErrorText(syncError, cause);
        m_errorLines << MaintenanceStrings::FormatErrorLine(folder, cause);
    }
    progress.SetStatus(LoadAppString(IDS_UPDATE_COMPLETE));
    progress.SetPos(count);
    if (!m_errorLines.isEmpty()) {
        progress.HideProgressStyle();
        ShowErrorReport();
    }
    m_pProgress = nullptr;
    progress.DestroyWindow();
    return !cancelled && m_errorLines.isEmpty();
}

void CEditRecordDlg::EndItem(int item, int row, itemResult result, const QString& errorText)
{
    if (result == itemFailed)
        m_errorLines << MaintenanceStrings::FormatErrorLine(GetRecordPath(row), errorText);
    emit ItemProcessed(item, result);
}

void CEditRecordDlg::ShowErrorReport()
{
    if (AfxQVMessageBox(LoadAppString(IDS_VIEW_ERROR_REPORT), MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    QString folder;
    m_app.GetFileLocation(fileLocationLogFiles, folder);
    // The folder may have been removed since start-up.
    QDir().mkpath(folder);
    QString logPath;
    CFileException error;
    if (!WriteErrorLog(m_errorLines, folder, logPath, &error)) {
        AfxFileIOExceptionMessageBox(error, logPath, IDS_QV_CREATE_FILE_ERROR, MB_OK | MB_ICONWARNING);
        return;
    }
    AfxOpenFile(logPath);
}
