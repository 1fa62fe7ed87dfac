#include "cordalib/ui/SongSummaryListBox.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"
#include "cordalib/ui/RecordListCtrl.h"
#include "cordalib/ui/SongListCtrl.h"

namespace {

std::string KeyOrAll(const std::string& key)
{
    return key == SUMMARY_KEY_NONE ? std::string(SUMMARY_KEY_ALL) : key;
}

bool IsSpecificKey(const std::string& key)
{
    return key != SUMMARY_KEY_ALL && key != SUMMARY_KEY_NONE;
}

} // namespace

CSongSummaryListBox::CSongSummaryListBox(int controlId, unsigned allTextId, QWidget* parent)
    : CVirtualListBox(parent), m_nAllTextId(allTextId)
{
    setObjectName(QString::number(controlId));
}

CSongSummaryListBox::~CSongSummaryListBox()
{
    // A box that goes before its list (the panes are torn down in any order) takes both
    // boxes off the list, so that neither the list nor the partner keeps a dangling box.
    if (m_pList)
        m_pList->SetSummaryBoxes(nullptr, nullptr);
}

void CSongSummaryListBox::Attach(CSongListCtrl* list, CSongSummaryListBox* first, CSongSummaryListBox* second)
{
    m_pList = list;
    m_pFirst = list ? first : nullptr;
    m_pSecond = list ? second : nullptr;
}

CSongValueGroups* CSongSummaryListBox::GetValueGroups() const
{
    return m_pList ? m_pList->GetValueGroups() : nullptr;
}

bool CSongSummaryListBox::PrepareRebuild(const std::vector<CSongRecord*>& songs,
                                         CSongValueGroups* groups) noexcept
{
    try {
        BuildValues(songs, groups, true);
    } catch (...) {
        // The spare summaries are shown by nothing: the next Rebuild counts as usual.
        return false;
    }
    return true;
}

std::string CSongSummaryListBox::GetKey() const
{
    const int row = GetSelectedRow();
    if (row < 0)
        return SUMMARY_KEY_NONE;
    if (row == 0)
        return SUMMARY_KEY_ALL;
    const size_t index = static_cast<size_t>(row - 1);
    return index < GetValueCount() ? GetValue(index) : std::string(SUMMARY_KEY_NONE);
}

int CSongSummaryListBox::FindValueRow(const std::string& value) const
{
    const size_t count = GetValueCount();
    for (size_t index = 0; index < count; ++index) {
        if (GetValue(index) == value)
            return static_cast<int>(index) + 1;
    }
    return -1;
}

int CSongSummaryListBox::SelectKey(const std::string& key, bool makeVisible)
{
    const int row = key == SUMMARY_KEY_ALL ? 0 : FindValueRow(key);
    if (row < 0 || !SelectRow(row, hasFocus(), makeVisible))
        return -1;
    return row;
}

void CSongSummaryListBox::Rebuild()
{
    const std::string noted = GetKey();
    SetSelectionHandlingBlocked(true);
    BeginRebuild();
    if (m_pList) {
        const std::vector<CSongRecord*>& base = m_pList->GetBaseSet();
        const std::string firstKey = m_pFirst ? m_pFirst->GetKey() : std::string(SUMMARY_KEY_ALL);
        if (!m_pFirst || !IsSpecificKey(firstKey)) {
            if (m_bPrepared)
                ShowSpareValues();
            else
                BuildValues(base, GetValueGroups(), false);
        } else {
            // Only the songs of the first box's choice; the list is one pass over the base.
            std::vector<CSongRecord*> chosen;
            for (CSongRecord* song : base) {
                if (m_pFirst->GetSongValue(*song) == firstKey)
                    chosen.push_back(song);
            }
            BuildValues(chosen, GetValueGroups(), false);
        }
    } else {
        BuildValues({}, nullptr, false);
    }
    m_bPrepared = false;
    EndRebuild(static_cast<int>(GetValueCount()) + 1);
    const int row = noted == SUMMARY_KEY_NONE ? 0 : (noted == SUMMARY_KEY_ALL ? 0 : FindValueRow(noted));
    if (row < 0)
        SelectRow(0, false, true);
    else
        SelectRow(row, false, false);
    SetSelectionHandlingBlocked(false);
    FitColumnToClient();
    viewport()->update();
    // A kept choice selected again filters nothing new; a choice that had to fall back
    // to "All" must narrow the list to what the box now says.
    const bool changed = KeyOrAll(GetKey()) != KeyOrAll(noted);
    if (changed || !m_bSuppressSelectionHandling)
        OnRowSelected(GetSelectedRow());
}

void CSongSummaryListBox::OnRowSelected(int)
{
    if (!m_pList)
        return;
    if (m_pSecond) {
        const std::string first = KeyOrAll(GetKey());
        const std::string second = m_pSecond->GetKey();
        const CLibraryDatabase* database = m_pList->GetDatabase();
        const bool kept =
            IsSpecificKey(second) && database && database->ContainsSong(first.c_str(), second.c_str());
        m_pList->ApplySummaryFilter(first, kept ? second : std::string(SUMMARY_KEY_ALL), false);
        // A search rebuilds the second box itself once this box is done.
        if (!m_pList->IsSearching()) {
            const bool suppressed = m_pSecond->IsSuppressSelectionHandling();
            m_pSecond->SetSuppressSelectionHandling(kept);
            m_pSecond->Rebuild();
            m_pSecond->SetSuppressSelectionHandling(suppressed);
        }
    } else if (m_pFirst) {
        m_pList->ApplySummaryFilter(KeyOrAll(m_pFirst->GetKey()), KeyOrAll(GetKey()), false);
    }
}

QString CSongSummaryListBox::GetRowText(int row) const
{
    static const QString format = LoadAppString(IDS_SUMMARY_ROW_FORMAT);
    if (row == 0)
        return AfxFormatMessage(format, LoadAppString(m_nAllTextId),
                                static_cast<unsigned long long>(GetValueCount()));
    const size_t index = static_cast<size_t>(row - 1);
    if (row < 0 || index >= GetValueCount())
        return QString();
    return AfxFormatMessage(format, CRecordListCtrl::RecordText(GetValue(index)),
                            static_cast<unsigned long long>(GetValueRecordCount(index)));
}

QString CSongSummaryListBox::GetFindText(int row, int length) const
{
    const size_t index = static_cast<size_t>(row - 1);
    if (row < 1 || index >= GetValueCount())
        return QString();
    return CRecordListCtrl::RecordText(GetValue(index), length);
}

// --- Artists

CArtistSummaryListBox::CArtistSummaryListBox(QWidget* parent)
    : CSongSummaryListBox(CONTROL_ID, IDS_ALL_ARTISTS, parent)
{
}

CArtistSummaryListBox::~CArtistSummaryListBox() = default;

const std::string& CArtistSummaryListBox::GetValue(size_t index) const
{
    return GetSummary().Get(index)->m_artist;
}

uint64_t CArtistSummaryListBox::GetValueRecordCount(size_t index) const
{
    return GetSummary().Get(index)->m_count;
}

const std::string& CArtistSummaryListBox::GetSongValue(const CSongRecord& song) const
{
    return song.GetArtist();
}

// --- Albums

CAlbumSummaryListBox::CAlbumSummaryListBox(QWidget* parent)
    : CSongSummaryListBox(CONTROL_ID, IDS_ALL_ALBUMS, parent)
{
}

CAlbumSummaryListBox::~CAlbumSummaryListBox() = default;

const std::string& CAlbumSummaryListBox::GetValue(size_t index) const
{
    return GetSummary().Get(index)->m_album;
}

uint64_t CAlbumSummaryListBox::GetValueRecordCount(size_t index) const
{
    return GetSummary().Get(index)->m_count;
}

const std::string& CAlbumSummaryListBox::GetSongValue(const CSongRecord& song) const
{
    return song.GetAlbum();
}
