#include "cordalib/ui/EditLessonDlg.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/library/FieldRewrite.h"
#include "cordalib/library/LessonTypes.h"

#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/StringTable.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>

namespace {

constexpr int MIN_LIST_CHARACTERS = 18; // "Progressive Rock" and a little room

constexpr unsigned Bit(int field)
{
    return CLessonRecord::FieldBit(field);
}

std::string Ansi(const QLineEdit* edit)
{
    return AfxUnicodeToAnsi(edit->text());
}

QString Unicode(const std::string& text)
{
    return AfxAnsiToUnicode(text);
}

QComboBox* DropDownList(int id, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    combo->setEditable(false);
    // Both lists as wide as the longest style name, also while nothing is selected.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(MIN_LIST_CHARACTERS);
    return combo;
}

// The item holding the value, or -1 (a value the list does not have selects nothing).
int IndexOfValue(const QComboBox* combo, unsigned value)
{
    return combo->findData(value);
}

} // namespace

CEditLessonDlg::CEditLessonDlg(CCordaLibrarianApp& app, CLessonRecordset& recordset,
                               std::vector<int> selectedRows, int focusedRow, QWidget* parent)
    : CEditRecordsetDlg(IDD_EDIT_LESSON, app, recordset, std::move(selectedRows), focusedRow, parent)
{
    setWindowTitle(tr("Edit Lesson"));
    SetNavigationLabel(tr("L&esson:"));

    m_pTitle = CreateTextEdit(IDC_LESSON_TITLE);
    m_pSubtitle = CreateTextEdit(IDC_LESSON_SUBTITLE);
    m_pStyle = DropDownList(IDC_LESSON_STYLE, this);
    m_pLevel = DropDownList(IDC_LESSON_LEVEL, this);
    m_pAuthor = CreateAutoCompleteEdit(IDC_LESSON_AUTHOR);
    m_pCopyright = CreateTextEdit(IDC_LESSON_COPYRIGHT);

    auto* styleCell = new QHBoxLayout;
    styleCell->addWidget(m_pStyle);
    styleCell->addStretch(1);
    auto* levelCell = new QHBoxLayout;
    levelCell->addWidget(m_pLevel);
    levelCell->addStretch(1);
    AddFieldRow(IDC_CHECK_TITLE, tr("&Title:"), {m_pTitle});
    AddFieldRow(IDC_CHECK_SUBTITLE, tr("S&ubtitle:"), {m_pSubtitle});
    AddFieldRow(IDC_CHECK_STYLE, tr("St&yle:"), {m_pStyle}, styleCell);
    AddFieldRow(IDC_CHECK_LEVEL, tr("Le&vel:"), {m_pLevel}, levelCell);
    AddFieldRow(IDC_CHECK_AUTHOR, tr("&Author:"), {m_pAuthor});
    AddFieldRow(IDC_CHECK_COPYRIGHT, tr("&Copyright:"), {m_pCopyright});
}

CEditLessonDlg::~CEditLessonDlg() = default;

bool CEditLessonDlg::OnInitDialog()
{
    m_pStyle->clear();
    for (unsigned style = 0; style < LESSON_STYLE_COUNT; ++style)
        m_pStyle->addItem(GetLessonStyleName(style), style);
    m_pLevel->clear();
    for (unsigned level = 0; level < LESSON_LEVEL_COUNT; ++level)
        m_pLevel->addItem(GetLessonLevelName(level), level);
    m_pStyle->setCurrentIndex(-1);
    m_pLevel->setCurrentIndex(-1);
    return CEditRecordDlg::OnInitDialog();
}

unsigned CEditLessonDlg::GetProgressTextID() const
{
    return IDS_UPDATING_LESSON;
}

QString CEditLessonDlg::GetSingleHelpTopic() const
{
    return QStringLiteral("editingalessonsinformation.htm");
}

QString CEditLessonDlg::GetMultiHelpTopic() const
{
    return QStringLiteral("editingmultiplelessonsinformation.htm");
}

void CEditLessonDlg::GetAutoCompleteEdits(CAutoCompleteEditSubKeyMap& map) const
{
    map[m_pAuthor] = QString::fromLatin1(CAutoCompleteSettings::AUTHORS_KEY);
}

void CEditLessonDlg::LoadRecord(int position)
{
    const CLessonRecord& record = *Record(position);
    m_pTitle->setText(Unicode(record.GetTitle()));
    m_pSubtitle->setText(Unicode(record.GetSubtitle()));
    m_pStyle->setCurrentIndex(IndexOfValue(m_pStyle, record.GetStyle()));
    m_pLevel->setCurrentIndex(IndexOfValue(m_pLevel, record.GetLevel()));
    m_pAuthor->setText(Unicode(record.GetAuthor()));
    m_pCopyright->setText(Unicode(record.GetCopyright()));
}

int CEditLessonDlg::SelectedStyle() const
{
    return m_pStyle->currentIndex() < 0 ? -1 : m_pStyle->currentData().toInt();
}

int CEditLessonDlg::SelectedLevel() const
{
    return m_pLevel->currentIndex() < 0 ? -1 : m_pLevel->currentData().toInt();
}

unsigned CEditLessonDlg::ChangedFields(const CLessonRecord& record) const
{
    unsigned fields = 0;
    if (Ansi(m_pTitle) != record.GetTitle())
        fields |= Bit(lessonFieldTitle);
    if (Ansi(m_pSubtitle) != record.GetSubtitle())
        fields |= Bit(lessonFieldSubtitle);
    // A value beyond the lists shows no selection; that alone is no change.
    const int style = record.GetStyle() < LESSON_STYLE_COUNT ? record.GetStyle() : -1;
    const int level = record.GetLevel() < LESSON_LEVEL_COUNT ? record.GetLevel() : -1;
    if (SelectedStyle() != style)
        fields |= Bit(lessonFieldStyle);
    if (SelectedLevel() != level)
        fields |= Bit(lessonFieldLevel);
    if (Ansi(m_pAuthor) != record.GetAuthor())
        fields |= Bit(lessonFieldAuthor);
    if (Ansi(m_pCopyright) != record.GetCopyright())
        fields |= Bit(lessonFieldCopyright);
    return fields;
}

bool CEditLessonDlg::IsRecordModified() const
{
    return ChangedFields(*Record(GetPosition())) != 0;
}

void CEditLessonDlg::AssignFields(CLessonRecord& record, unsigned fields) const
{
    if (fields & Bit(lessonFieldTitle))
        record.SetTitle(Ansi(m_pTitle));
    if (fields & Bit(lessonFieldSubtitle))
        record.SetSubtitle(Ansi(m_pSubtitle));
    if ((fields & Bit(lessonFieldStyle)) && SelectedStyle() >= 0)
        record.SetStyle(static_cast<uint16_t>(SelectedStyle()));
    if ((fields & Bit(lessonFieldLevel)) && SelectedLevel() >= 0)
        record.SetLevel(static_cast<uint8_t>(SelectedLevel()));
    if (fields & Bit(lessonFieldAuthor))
        record.SetAuthor(Ansi(m_pAuthor));
    if (fields & Bit(lessonFieldCopyright))
        record.SetCopyright(Ansi(m_pCopyright));
}

bool CEditLessonDlg::ValidateData(int& icon, QString& caption, QString& text, QRect& rect)
{
    (void)icon;
    (void)caption;
    for (QComboBox* list : {m_pStyle, m_pLevel}) {
        const int check = list == m_pStyle ? IDC_CHECK_STYLE : IDC_CHECK_LEVEL;
        if (IsMultiEdit() && !IsTicked(check))
            continue;
        if (list->currentIndex() >= 0)
            continue;
        text = LoadAppString(IDS_VALIDATE_SELECT_ITEM);
        rect = AfxGetScreenRect(list);
        list->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

bool CEditLessonDlg::SaveRecord()
{
    CLessonRecord& record = *Record(GetPosition());
    const unsigned fields = ChangedFields(record);
    if (fields == 0)
        return true;
    CBusyScope busy(*this);
    const CLessonRecord copy = record;
    const unsigned changed = GetChangedColumns();
    AssignFields(record, fields);
    SetChangedColumns(changed | fields);
    if (!record.WriteFieldsToFile(fields, true)) {
        record = copy;
        SetChangedColumns(changed);
        return false;
    }
    MarkLibraryModified();
    if (fields & Bit(lessonFieldAuthor))
        AddToAutoComplete(m_pAuthor);
    return true;
}

unsigned CEditLessonDlg::TickedFields() const
{
    unsigned fields = 0;
    const std::pair<int, int> ticks[] = {
        {IDC_CHECK_TITLE, lessonFieldTitle},   {IDC_CHECK_SUBTITLE, lessonFieldSubtitle},
        {IDC_CHECK_STYLE, lessonFieldStyle},   {IDC_CHECK_LEVEL, lessonFieldLevel},
        {IDC_CHECK_AUTHOR, lessonFieldAuthor}, {IDC_CHECK_COPYRIGHT, lessonFieldCopyright}};
    for (const auto& [check, field] : ticks) {
        if (IsTicked(check))
            fields |= Bit(field);
    }
    return fields;
}

CEditRecordDlg::itemResult CEditLessonDlg::PrepareItem(int position, CFieldRewrite& rewrite,
                                                       QString& errorText)
{
    const unsigned fields = TickedFields();
    if (fields == 0)
        return itemSkipped;
    CLessonRecord values = *Record(position);
    AssignFields(values, fields);
    return rewrite.Prepare(values, fields, false, &errorText) ? itemWritten : itemFailed;
}

CEditRecordDlg::itemResult CEditLessonDlg::FinishItem(int position, CFieldRewrite& rewrite,
                                                      QString& errorText)
{
    CLessonRecord* record = Record(position);
    if (!record)
        return itemSkipped;
    const unsigned fields = rewrite.GetFields();
    const CLessonRecord copy = *record;
    AssignFields(*record, fields);
    if (!rewrite.Finish(*record, false, &errorText)) {
        *record = copy;
        return itemFailed;
    }
    SetChangedColumns(GetChangedColumns() | fields);
    MarkLibraryModified();
    if (fields & Bit(lessonFieldAuthor))
        AddToAutoComplete(m_pAuthor);
    return itemWritten;
}
