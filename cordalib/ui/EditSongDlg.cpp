#include "cordalib/ui/EditSongDlg.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/SettingsGroups.h"
#include "cordalib/library/FieldRewrite.h"

#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/StringTable.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace {

constexpr int YEAR_WIDTH = 70;
constexpr int YEAR_MAX_LENGTH = 9; // any number the field can hold fits an int

constexpr unsigned Bit(int field)
{
    return CSongRecord::FieldBit(field);
}

std::string Ansi(const QLineEdit* edit)
{
    return AfxUnicodeToAnsi(edit->text());
}

QString Unicode(const std::string& text)
{
    return AfxAnsiToUnicode(text);
}

} // namespace

CEditSongDlg::CEditSongDlg(CCordaLibrarianApp& app, CSongRecordset& recordset, std::vector<int> selectedRows,
                           int focusedRow, QWidget* parent)
    : CEditRecordsetDlg(IDD_EDIT_SONG, app, recordset, std::move(selectedRows), focusedRow, parent)
{
    setWindowTitle(tr("Edit Song"));
    SetNavigationLabel(tr("&Song:"));

    m_pTitle = CreateTextEdit(IDC_SONG_TITLE);
    m_pArtist = CreateAutoCompleteEdit(IDC_SONG_ARTIST);
    m_pAlbum = CreateAutoCompleteEdit(IDC_SONG_ALBUM);
    m_pYear = CreateTextEdit(IDC_SONG_YEAR);
    m_pYear->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pYear));
    m_pYear->setMaxLength(YEAR_MAX_LENGTH);
    m_pYear->setFixedWidth(YEAR_WIDTH);
    m_pYes = new QRadioButton(tr("&Yes"), this);
    m_pYes->setObjectName(QString::number(IDC_SONG_TRADITIONAL_YES));
    m_pNo = new QRadioButton(tr("&No"), this);
    m_pNo->setObjectName(QString::number(IDC_SONG_TRADITIONAL_NO));
    auto* group = new QButtonGroup(this);
    group->addButton(m_pYes);
    group->addButton(m_pNo);
    m_pComposer = CreateAutoCompleteEdit(IDC_SONG_COMPOSER);
    m_pLyricist = CreateAutoCompleteEdit(IDC_SONG_LYRICIST);
    m_pArranger = CreateTextEdit(IDC_SONG_ARRANGER);
    m_pCopyright = CreateTextEdit(IDC_SONG_COPYRIGHT);

    AddFieldRow(IDC_CHECK_TITLE, tr("&Title:"), {m_pTitle});
    AddFieldRow(IDC_CHECK_ARTIST, tr("&Artist:"), {m_pArtist});
    AddFieldRow(IDC_CHECK_ALBUM, tr("Al&bum:"), {m_pAlbum});
    auto* yearCell = new QHBoxLayout;
    yearCell->addWidget(m_pYear);
    yearCell->addStretch(1);
    AddFieldRow(IDC_CHECK_YEAR, tr("Y&ear:"), {m_pYear}, yearCell);
    auto* traditionalCell = new QHBoxLayout;
    traditionalCell->setSpacing(16);
    traditionalCell->addWidget(m_pYes);
    traditionalCell->addWidget(m_pNo);
    traditionalCell->addStretch(1);
    QCheckBox* traditional =
        AddFieldRow(IDC_CHECK_TRADITIONAL, tr("Traditional:"), {m_pYes, m_pNo}, traditionalCell);
    QCheckBox* composer = AddFieldRow(IDC_CHECK_COMPOSER, tr("&Composer:"), {m_pComposer});
    QCheckBox* lyricist = AddFieldRow(IDC_CHECK_LYRICIST, tr("&Lyricist:"), {m_pLyricist});
    AddFieldRow(IDC_CHECK_ARRANGER, tr("&Arranger:"), {m_pArranger});
    AddFieldRow(IDC_CHECK_COPYRIGHT, tr("&Copyright:"), {m_pCopyright});

    if (IsMultiEdit()) {
        // The user's clicks only: the boxes that these handlers tick themselves must not
        // set off the other rules.
        connect(m_pYes, &QRadioButton::clicked, this, [this] { OnTraditionalChosen(true); });
        connect(m_pNo, &QRadioButton::clicked, this, [this] { OnTraditionalChosen(false); });
        connect(traditional, &QCheckBox::clicked, this, &CEditSongDlg::OnTraditionalTicked);
        connect(composer, &QCheckBox::clicked, this,
                [this](bool ticked) { OnAuthorTicked(IDC_CHECK_COMPOSER, ticked); });
        connect(lyricist, &QCheckBox::clicked, this,
                [this](bool ticked) { OnAuthorTicked(IDC_CHECK_LYRICIST, ticked); });
    } else {
        connect(m_pNo, &QRadioButton::toggled, this, &CEditSongDlg::UpdateComposerLyricist);
    }
}

CEditSongDlg::~CEditSongDlg() = default;

unsigned CEditSongDlg::GetProgressTextID() const
{
    return IDS_UPDATING_SONG;
}

QString CEditSongDlg::GetSingleHelpTopic() const
{
    return QStringLiteral("editingasongsinformation.htm");
}

QString CEditSongDlg::GetMultiHelpTopic() const
{
    return QStringLiteral("editingmultiplesongsinformation.htm");
}

void CEditSongDlg::GetAutoCompleteEdits(CAutoCompleteEditSubKeyMap& map) const
{
    map[m_pArtist] = QString::fromLatin1(CAutoCompleteSettings::ARTISTS_KEY);
    map[m_pAlbum] = QString::fromLatin1(CAutoCompleteSettings::ALBUMS_KEY);
    map[m_pComposer] = QString::fromLatin1(CAutoCompleteSettings::COMPOSERS_KEY);
    map[m_pLyricist] = QString::fromLatin1(CAutoCompleteSettings::LYRICISTS_KEY);
}

void CEditSongDlg::LoadRecord(int position)
{
    const CSongRecord& record = *Record(position);
    m_pTitle->setText(Unicode(record.GetTitle()));
    m_pArtist->setText(Unicode(record.GetArtist()));
    m_pAlbum->setText(Unicode(record.GetAlbum()));
    m_pYear->setText(QString::number(record.GetYear()));
    const bool traditional = record.IsTraditional();
    (traditional ? m_pYes : m_pNo)->setChecked(true);
    // A traditional song has no composer or lyricist to show.
    m_pComposer->setText(traditional ? QString() : Unicode(record.GetComposer()));
    m_pLyricist->setText(traditional ? QString() : Unicode(record.GetLyricist()));
    m_pArranger->setText(Unicode(record.GetArranger()));
    m_pCopyright->setText(Unicode(record.GetCopyright()));
    UpdateComposerLyricist();
}

bool CEditSongDlg::IsYesSelected() const
{
    return m_pYes->isChecked();
}

uint16_t CEditSongDlg::YearValue() const
{
    return static_cast<uint16_t>(m_pYear->text().toInt());
}

unsigned CEditSongDlg::ChangedFields(const CSongRecord& record) const
{
    unsigned fields = 0;
    if (Ansi(m_pTitle) != record.GetTitle())
        fields |= Bit(songFieldTitle);
    if (Ansi(m_pArtist) != record.GetArtist())
        fields |= Bit(songFieldArtist);
    if (Ansi(m_pAlbum) != record.GetAlbum())
        fields |= Bit(songFieldAlbum);
    if (YearValue() != record.GetYear())
        fields |= Bit(songFieldYear);
    if (IsYesSelected() != record.IsTraditional())
        fields |= Bit(songFieldTraditional);
    // With "Yes" the composer and lyricist fields are out of play (disabled, and a
    // traditional song names neither), so what they hold is no change.
    if (!IsYesSelected()) {
        if (Ansi(m_pComposer) != record.GetComposer())
            fields |= Bit(songFieldComposer);
        if (Ansi(m_pLyricist) != record.GetLyricist())
            fields |= Bit(songFieldLyricist);
    }
    if (Ansi(m_pArranger) != record.GetArranger())
        fields |= Bit(songFieldArranger);
    if (Ansi(m_pCopyright) != record.GetCopyright())
        fields |= Bit(songFieldCopyright);
    return fields;
}

bool CEditSongDlg::IsRecordModified() const
{
    const CSongRecord& record = *Record(GetPosition());
    // The year as the text typed: "0123" over 123 is an edit the user sees.
    if (m_pYear->text() != QString::number(record.GetYear()))
        return true;
    return ChangedFields(record) != 0;
}

void CEditSongDlg::AssignFields(CSongRecord& record, unsigned fields) const
{
    if (fields & Bit(songFieldTitle))
        record.SetTitle(Ansi(m_pTitle));
    if (fields & Bit(songFieldArtist))
        record.SetArtist(Ansi(m_pArtist));
    if (fields & Bit(songFieldAlbum))
        record.SetAlbum(Ansi(m_pAlbum));
    if (fields & Bit(songFieldYear))
        record.SetYear(YearValue());
    if (fields & Bit(songFieldTraditional))
        record.SetTraditional(IsYesSelected());
    if (fields & Bit(songFieldComposer))
        record.SetComposer(Ansi(m_pComposer));
    if (fields & Bit(songFieldLyricist))
        record.SetLyricist(Ansi(m_pLyricist));
    if (fields & Bit(songFieldArranger))
        record.SetArranger(Ansi(m_pArranger));
    if (fields & Bit(songFieldCopyright))
        record.SetCopyright(Ansi(m_pCopyright));
}

void CEditSongDlg::AddAutoCompleteValues(unsigned fields)
{
    if (fields & Bit(songFieldArtist))
        AddToAutoComplete(m_pArtist);
    if (fields & Bit(songFieldAlbum))
        AddToAutoComplete(m_pAlbum);
    if (fields & Bit(songFieldComposer))
        AddToAutoComplete(m_pComposer);
    if (fields & Bit(songFieldLyricist))
        AddToAutoComplete(m_pLyricist);
}

bool CEditSongDlg::ValidateData(int& icon, QString& caption, QString& text, QRect& rect)
{
    (void)icon;
    (void)caption;
    if (IsMultiEdit() && !IsTicked(IDC_CHECK_YEAR))
        return true;
    const QString typed = m_pYear->text().trimmed();
    bool number = !typed.isEmpty();
    for (QChar c : typed)
        number = number && c >= u'0' && c <= u'9';
    const int year = number ? typed.toInt(&number) : -1;
    if (number && year >= MIN_YEAR && year <= MAX_YEAR)
        return true;
    text = AfxFormatMessage(LoadAppString(IDS_VALIDATE_NUMBER_RANGE), MIN_YEAR, MAX_YEAR);
    rect = AfxGetScreenRect(m_pYear);
    m_pYear->setFocus(Qt::OtherFocusReason);
    m_pYear->selectAll();
    return false;
}

bool CEditSongDlg::SaveRecord()
{
    const int position = GetPosition();
    CSongRecord& record = *Record(position);
    const unsigned fields = ChangedFields(record);
    if (fields == 0) {
        // Only the way the year was typed differs.
        LoadRecord(position);
        return true;
    }
    CBusyScope busy(*this);
    const CSongRecord copy = record;
    const unsigned changed = GetChangedColumns();
    AssignFields(record, fields);
    SetChangedColumns(changed | fields);
    if (!record.WriteFieldsToFile(fields, true)) {
        record = copy;
        SetChangedColumns(changed);
        return false;
    }
    MarkLibraryModified();
    AddAutoCompleteValues(fields);
    return true;
}

unsigned CEditSongDlg::TickedFields() const
{
    unsigned fields = 0;
    const std::pair<int, int> ticks[] = {{IDC_CHECK_TITLE, songFieldTitle},
                                         {IDC_CHECK_ARTIST, songFieldArtist},
                                         {IDC_CHECK_ALBUM, songFieldAlbum},
                                         {IDC_CHECK_YEAR, songFieldYear},
                                         {IDC_CHECK_TRADITIONAL, songFieldTraditional},
                                         {IDC_CHECK_COMPOSER, songFieldComposer},
                                         {IDC_CHECK_LYRICIST, songFieldLyricist},
                                         {IDC_CHECK_ARRANGER, songFieldArranger},
                                         {IDC_CHECK_COPYRIGHT, songFieldCopyright}};
    for (const auto& [check, field] : ticks) {
        if (IsTicked(check))
            fields |= Bit(field);
    }
    // Traditional ticked with neither answer chosen says nothing about the songs.
    if (!m_pYes->isChecked() && !m_pNo->isChecked())
        fields &= ~Bit(songFieldTraditional);
    return fields;
}

CEditRecordDlg::itemResult CEditSongDlg::PrepareItem(int position, CFieldRewrite& rewrite, QString& errorText)
{
    const unsigned fields = TickedFields();
    if (fields == 0)
        return itemSkipped;
    CSongRecord values = *Record(position);
    AssignFields(values, fields);
    return rewrite.Prepare(values, fields, false, &errorText) ? itemWritten : itemFailed;
}

CEditRecordDlg::itemResult CEditSongDlg::FinishItem(int position, CFieldRewrite& rewrite, QString& errorText)
{
    CSongRecord* record = Record(position);
    if (!record)
        return itemSkipped;
    const unsigned fields = rewrite.GetFields();
    const CSongRecord copy = *record;
    AssignFields(*record, fields);
    if (!rewrite.Finish(*record, false, &errorText)) {
        *record = copy;
        return itemFailed;
    }
    SetChangedColumns(GetChangedColumns() | fields);
    MarkLibraryModified();
    AddAutoCompleteValues(fields);
    return itemWritten;
}

// Traditional, composer and lyricist.

void CEditSongDlg::UpdateComposerLyricist()
{
    if (IsMultiEdit())
        return;
    const bool named = m_pNo->isChecked();
    m_pComposer->setEnabled(named);
    m_pLyricist->setEnabled(named);
}

void CEditSongDlg::OnTraditionalChosen(bool yes)
{
    SetTicked(IDC_CHECK_COMPOSER, !yes);
    SetTicked(IDC_CHECK_LYRICIST, !yes);
}

void CEditSongDlg::OnTraditionalTicked(bool ticked)
{
    if (!ticked)
        return;
    if (m_pYes->isChecked())
        OnTraditionalChosen(true);
    else if (m_pNo->isChecked())
        OnTraditionalChosen(false);
}

void CEditSongDlg::OnAuthorTicked(int checkId, bool ticked)
{
    if (ticked) {
        SetTicked(IDC_CHECK_TRADITIONAL, true);
        m_pNo->setChecked(true);
        (checkId == IDC_CHECK_COMPOSER ? m_pComposer : m_pLyricist)->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!IsTicked(IDC_CHECK_COMPOSER) && !IsTicked(IDC_CHECK_LYRICIST))
        SetTicked(IDC_CHECK_TRADITIONAL, false);
}
