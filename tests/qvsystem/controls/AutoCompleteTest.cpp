// The most-recently-used list, its place in the settings store, the edit that suggests from
// it, and the dialog framework that loads and saves it.
#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/controls/AutoCompleteMRUList.h"
#include "qvsystem/controls/QVDialog.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/ApplicationRegistryKey.h"
#include "qvsystem/system/ProfileValues.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <array>

namespace {

using List = CAutoCompleteMRUList;

const QString APP_KEY = QStringLiteral("Software\\Corda Software\\Corda Librarian Test\\1.0");

class AutoCompleteTest : public testing::Test {
protected:
    void SetUp() override
    {
        AfxSetApplicationRegistryKey(APP_KEY);
        RegDeleteTree(HKEY_CURRENT_USER, APP_KEY);
    }
    void TearDown() override
    {
        RegDeleteTree(HKEY_CURRENT_USER, APP_KEY);
        AfxSetApplicationRegistryKey(QString());
    }

    // The text value as the settings store holds it, read without the list's help.
    static QString StoredValue(const QString& subKey, const QString& name, uint32_t* type = nullptr)
    {
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, APP_KEY + QLatin1Char('\\') + subKey, &key) != ERROR_SUCCESS)
            return QStringLiteral("<no key>");
        uint32_t valueType = REG_NONE;
        QByteArray data;
        const LSTATUS status = RegQueryValueEx(key, name, &valueType, &data);
        RegCloseKey(key);
        if (type)
            *type = valueType;
        return status == ERROR_SUCCESS ? AfxRegistryStringFromBytes(data) : QStringLiteral("<none>");
    }
    static QStringList StoredNames(const QString& subKey)
    {
        QStringList names;
        HKEY key = 0;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, APP_KEY + QLatin1Char('\\') + subKey, &key) != ERROR_SUCCESS)
            return names;
        QString name;
        for (uint32_t i = 0; RegEnumValue(key, i, name) == ERROR_SUCCESS; ++i)
            names.append(name);
        RegCloseKey(key);
        return names;
    }
};

// The list's invariants: distinct entries, most recent first, never above the limit, exact
// (case-sensitive) comparison, blanks refused but surrounding blanks kept.
TEST_F(AutoCompleteTest, ListKeepsTheMostRecentDistinctEntries)
{
    List list;
    EXPECT_EQ(list.GetSizeLimit(), List::DEFAULT_SIZE_LIMIT);
    for (int i = 1; i <= 21; ++i)
        ASSERT_TRUE(list.AddElement(QStringLiteral("Artist %1").arg(i)));
    EXPECT_EQ(list.GetElementCount(), 20u);
    EXPECT_EQ(list.GetElements().front(), QStringLiteral("Artist 21"));
    EXPECT_EQ(list.GetElements().back(), QStringLiteral("Artist 2"));

    List genres;
    EXPECT_TRUE(genres.AddElement(QStringLiteral("Rock")));
    EXPECT_TRUE(genres.AddElement(QStringLiteral("rock")));
    EXPECT_TRUE(genres.AddElement(QStringLiteral("Jazz")));
    EXPECT_EQ(genres.GetElementList(), (QStringList{"Jazz", "rock", "Rock"}));
    EXPECT_TRUE(genres.AddElement(QStringLiteral("Rock")));
    EXPECT_EQ(genres.GetElementList(), (QStringList{"Rock", "Jazz", "rock"}));

    EXPECT_FALSE(genres.AddElement(QStringLiteral("   ")));
    EXPECT_FALSE(genres.AddElement(QStringLiteral("\t\n")));
    EXPECT_FALSE(genres.AddElement(QString()));
    EXPECT_FALSE(genres.AddElement(QStringLiteral("")));
    EXPECT_TRUE(genres.AddElement(QStringLiteral("  Blues ")));
    EXPECT_EQ(genres.GetElements().front(), QStringLiteral("  Blues "));
    EXPECT_EQ(genres.GetElementCount(), 4u);

    EXPECT_TRUE(genres.RemoveElement(QStringLiteral("rock")));
    EXPECT_FALSE(genres.RemoveElement(QStringLiteral("rock")));
    EXPECT_FALSE(genres.RemoveElement(QString()));
    EXPECT_EQ(genres.GetElementList(), (QStringList{"  Blues ", "Rock", "Jazz"}));
}

// Limits: lowering keeps the most recent entries; values outside 1 to 50 change nothing;
// copies carry entries and limit.
TEST_F(AutoCompleteTest, SizeLimitKeepsTheMostRecentAndRefusesOutOfRange)
{
    List list;
    for (int i = 1; i <= 20; ++i)
        list.AddElement(QString::number(i));
    EXPECT_FALSE(list.SetSizeLimit(0));
    EXPECT_FALSE(list.SetSizeLimit(51));
    EXPECT_EQ(list.GetSizeLimit(), 20u);
    EXPECT_EQ(list.GetElementCount(), 20u);
    EXPECT_TRUE(list.SetSizeLimit(5));
    EXPECT_EQ(list.GetElementList(), (QStringList{"20", "19", "18", "17", "16"}));
    EXPECT_TRUE(list.SetSizeLimit(50));
    EXPECT_EQ(list.GetElementCount(), 5u);
    EXPECT_TRUE(list.SetSizeLimit(1));
    EXPECT_EQ(list.GetElementList(), (QStringList{"20"}));
    list.AddElement(QStringLiteral("21"));
    EXPECT_EQ(list.GetElementList(), (QStringList{"21"}));

    EXPECT_TRUE(List::IsValidSizeLimit(1));
    EXPECT_TRUE(List::IsValidSizeLimit(50));
    EXPECT_FALSE(List::IsValidSizeLimit(0));
    EXPECT_FALSE(List::IsValidSizeLimit(51));

    List copy(list);
    EXPECT_EQ(copy.GetSizeLimit(), 1u);
    EXPECT_EQ(copy.GetElementList(), list.GetElementList());
    List assigned;
    assigned = list;
    EXPECT_EQ(assigned.GetSizeLimit(), 1u);
    EXPECT_EQ(assigned.GetElementList(), list.GetElementList());
}

// The enumeration contract the suggestions are read through, with its result codes.
TEST_F(AutoCompleteTest, EnumerationFollowsTheStringEnumeratorContract)
{
    List list;
    std::array<QString, 4> out;
    uint32_t fetched = 99;
    EXPECT_EQ(list.Next(1, out.data(), &fetched), List::E_FAIL);
    list.AddElement(QStringLiteral("c"));
    list.AddElement(QStringLiteral("b"));
    list.AddElement(QStringLiteral("a"));

    EXPECT_EQ(list.Next(0, out.data(), &fetched), List::E_INVALIDARG);
    EXPECT_EQ(list.Next(1, nullptr, &fetched), List::E_POINTER);
    EXPECT_EQ(list.Next(2, out.data(), nullptr), List::E_POINTER);
    EXPECT_EQ(list.GetRemainingElements(), 3u);

    EXPECT_EQ(list.Next(1, out.data(), nullptr), List::S_OK);
    EXPECT_EQ(out[0], QStringLiteral("a"));
    EXPECT_EQ(list.GetCurrentElement(), QStringLiteral("b"));
    EXPECT_EQ(list.Next(4, out.data(), &fetched), List::S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(out[0], QStringLiteral("b"));
    EXPECT_EQ(out[1], QStringLiteral("c"));
    EXPECT_EQ(list.Next(1, out.data(), &fetched), List::S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(list.GetCurrentElement(), QString());

    EXPECT_EQ(list.Reset(), List::S_OK);
    EXPECT_EQ(list.Skip(0), List::E_INVALIDARG);
    EXPECT_EQ(list.Skip(2), List::S_OK);
    EXPECT_EQ(list.GetCurrentElement(), QStringLiteral("c"));
    EXPECT_EQ(list.Skip(5), List::S_FALSE);
    EXPECT_EQ(list.GetRemainingElements(), 0u);

    std::unique_ptr<List> clone;
    EXPECT_EQ(list.Clone(nullptr), List::E_POINTER);
    ASSERT_EQ(list.Clone(&clone), List::S_OK);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetElementList(), list.GetElementList());
    EXPECT_EQ(clone->Next(3, out.data(), &fetched), List::S_OK);
    EXPECT_EQ(fetched, 3u);
}

// The stored layout is "MRU 1" (most recent) to "MRU n" as text values, which the Windows
// program's settings share; reading back gives the same list, and the limit caps what is read.
TEST_F(AutoCompleteTest, StateIsStoredAsNumberedTextValues)
{
    const QString subKey = QStringLiteral("AutoComplete\\Data\\Artists");
    List list;
    list.AddElement(QStringLiteral("Tom Waits"));
    list.AddElement(QStringLiteral(" Nina Simone "));
    list.AddElement(QStringLiteral("Ümlaut Band"));
    ASSERT_TRUE(list.SaveState(subKey));

    uint32_t type = REG_NONE;
    EXPECT_EQ(StoredValue(subKey, QStringLiteral("MRU 1"), &type), QStringLiteral("Ümlaut Band"));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(StoredValue(subKey, QStringLiteral("MRU 2")), QStringLiteral(" Nina Simone "));
    EXPECT_EQ(StoredValue(subKey, QStringLiteral("MRU 3")), QStringLiteral("Tom Waits"));
    EXPECT_EQ(StoredNames(subKey), (QStringList{"MRU 1", "MRU 2", "MRU 3"}));

    List read;
    ASSERT_TRUE(read.LoadState(subKey));
    EXPECT_EQ(read.GetElementList(), list.GetElementList());
    List small;
    small.SetSizeLimit(2);
    ASSERT_TRUE(small.LoadState(subKey));
    EXPECT_EQ(small.GetElementList(), (QStringList{"Ümlaut Band", " Nina Simone "}));

    // Values written by hand: blanks, a value of another type and a repeat of a newer entry
    // (left by an earlier, longer list) are not taken.
    CRegistryPath path;
    ASSERT_TRUE(AfxGetApplicationRegistryPath(QStringLiteral("AutoComplete\\Data\\Albums"), path));
    AfxWriteProfileString(path, QStringLiteral("MRU 1"), QStringLiteral("Blue"));
    AfxWriteProfileString(path, QStringLiteral("MRU 2"), QStringLiteral("   "));
    AfxWriteProfileDWord(path, QStringLiteral("MRU 3"), 7);
    AfxWriteProfileString(path, QStringLiteral("MRU 4"), QStringLiteral("Kind of Blue"));
    AfxWriteProfileString(path, QStringLiteral("MRU 5"), QStringLiteral("Blue"));
    List albums;
    ASSERT_TRUE(albums.LoadState(QStringLiteral("AutoComplete\\Data\\Albums")));
    EXPECT_EQ(albums.GetElementList(), (QStringList{"Blue", "Kind of Blue"}));
    HKEY key = 0;
    ASSERT_EQ(path.OpenSubKey(&key), ERROR_SUCCESS);
    List keyed;
    ASSERT_TRUE(keyed.LoadState(key, true));
    EXPECT_EQ(keyed.GetElementList(), (QStringList{"Blue", "Kind of Blue"}));

    // The key form writes the same layout.
    ASSERT_EQ(path.CreateSubKey(&key), ERROR_SUCCESS);
    List replaced;
    replaced.AddElement(QStringLiteral("Horses"));
    ASSERT_TRUE(replaced.SaveState(key, true));
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Albums"), QStringLiteral("MRU 1")),
              QStringLiteral("Horses"));

    // Without a place to go, nothing is written and the list stays as it was.
    EXPECT_FALSE(list.SaveState(QString()));
    EXPECT_FALSE(read.LoadState(QStringLiteral("")));
    EXPECT_EQ(read.GetElementCount(), 3u);
    EXPECT_FALSE(list.SaveState(0, true));
    AfxSetApplicationRegistryKey(QString());
    EXPECT_FALSE(list.SaveState(subKey));
    EXPECT_FALSE(read.LoadState(subKey));
    EXPECT_EQ(read.GetElementCount(), 3u);
}

// The edit offers the remembered values that begin with what is typed, in either case,
// opens the list on the arrow keys, and stops suggesting when switched off.
TEST_F(AutoCompleteTest, EditSuggestsRememberedValuesByPrefix)
{
    // The drop-down is a popup window; the offscreen platform can neither raise it nor grab
    // the keyboard for it.
    corda::test::AllowQtWarning(QStringLiteral("does not support (raise|grabbing the keyboard)"));
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new CAutoCompleteEdit(&window);
    layout->addWidget(edit);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();

    EXPECT_TRUE(edit->IsAutoCompleteObjectValid());
    EXPECT_TRUE(edit->IsMRUListValid());
    EXPECT_EQ(edit->GetOptions(), 33u);
    EXPECT_TRUE(edit->IsAutoCompletionEnabled());
    EXPECT_TRUE(edit->AddMRUListEntry(QStringLiteral("Rock")));
    EXPECT_TRUE(edit->AddMRUListEntry(QStringLiteral("rockabilly")));
    EXPECT_TRUE(edit->AddMRUListEntry(QStringLiteral("Jazz")));
    EXPECT_FALSE(edit->AddMRUListEntry(QString()));

    QCompleter* completer = edit->GetCompleter();
    QTest::keyClicks(edit, QStringLiteral("ro"));
    QTRY_VERIFY_WITH_TIMEOUT(completer->popup()->isVisible(), 5000);
    EXPECT_EQ(completer->completionCount(), 2);
    QStringList offered;
    for (int i = 0; completer->setCurrentRow(i); ++i)
        offered.append(completer->currentCompletion());
    EXPECT_EQ(offered, (QStringList{"rockabilly", "Rock"}));
    QTest::keyClick(completer->popup(), Qt::Key_Escape);
    EXPECT_FALSE(completer->popup()->isVisible());

    // A list changed behind the edit's back is offered as it is now.
    edit->clear();
    edit->GetMRUList()->AddElement(QStringLiteral("Reggae"));
    QTest::keyClick(edit, Qt::Key_Down);
    QTRY_VERIFY_WITH_TIMEOUT(completer->popup()->isVisible(), 5000);
    EXPECT_EQ(completer->completionCount(), 4);
    QTest::keyClick(completer->popup(), Qt::Key_Escape);

    // Switched off: no drop-down, and the stored options come back when switched on.
    EXPECT_TRUE(edit->EnableAutoCompletion(false));
    EXPECT_FALSE(edit->IsAutoCompletionEnabled());
    EXPECT_EQ(edit->GetOptions(), 0u);
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("ja"));
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_FALSE(completer->popup()->isVisible());
    EXPECT_TRUE(edit->EnableAutoCompletion(true));
    EXPECT_EQ(edit->GetOptions(), 33u);
    EXPECT_TRUE(edit->SetOptions(ACO_AUTOSUGGEST));
    EXPECT_TRUE(edit->EnableAutoCompletion(false));
    EXPECT_TRUE(edit->EnableAutoCompletion(true));
    EXPECT_EQ(edit->GetOptions(), ACO_AUTOSUGGEST);

    // The field's text goes to the front of the list; an empty field adds nothing.
    edit->setText(QStringLiteral("Jazz"));
    EXPECT_TRUE(edit->AddActiveTextToMRUList());
    EXPECT_EQ(edit->GetMRUList()->GetElements().front(), QStringLiteral("Jazz"));
    edit->clear();
    EXPECT_FALSE(edit->AddActiveTextToMRUList());
    EXPECT_EQ(edit->GetMRUList()->GetElementCount(), 4u);
}

constexpr int IDC_ARTIST = 1010;
constexpr int IDC_ALBUM = 1011;

// A dialog with two auto-complete fields: one kept under a sub key, one under a key the
// dialog opens itself.
class CArtistDialog : public CQVDialog {
public:
    explicit CArtistDialog(bool autoComplete) : CQVDialog(200), m_bAutoComplete(autoComplete)
    {
        auto* layout = new QVBoxLayout(this);
        m_pArtist = new CAutoCompleteEdit(this);
        m_pArtist->setObjectName(QString::number(IDC_ARTIST));
        m_pAlbum = new CAutoCompleteEdit(this);
        m_pAlbum->setObjectName(QString::number(IDC_ALBUM));
        auto* ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("1"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("2"));
        layout->addWidget(m_pArtist);
        layout->addWidget(m_pAlbum);
        layout->addWidget(ok);
        layout->addWidget(cancel);
    }

    using CQVDialog::GetStateAutoCompleteEditCtrls;
    void GetStateAutoCompleteEditCtrls(CAutoCompleteEditSubKeyMap& map, bool) override
    {
        map[m_pArtist] = QStringLiteral("AutoComplete\\Data\\Artists");
    }
    void GetStateAutoCompleteEditCtrls(CAutoCompleteEditKeyMap& map, bool) override
    {
        CRegistryPath path;
        HKEY key = 0;
        if (AfxGetApplicationRegistryPath(QStringLiteral("AutoComplete\\Data\\Albums"), path) &&
            path.CreateSubKey(&key) == ERROR_SUCCESS)
            map[m_pAlbum] = key;
    }
    bool OnInitDialog() override
    {
        CQVDialog::OnInitDialog();
        if (m_bAutoComplete)
            EnableAutoCompleteControls(true, 3);
        else
            EnableAutoCompleteControls(false, 3);
        return true;
    }
    void OnOK() override
    {
        m_pArtist->AddActiveTextToMRUList();
        m_pAlbum->AddActiveTextToMRUList();
        CQVDialog::OnOK();
    }

    bool m_bAutoComplete;
    CAutoCompleteEdit* m_pArtist;
    CAutoCompleteEdit* m_pAlbum;
};

// What was remembered must reach the store however the dialog closes, Cancel included; a
// dialog that never switched its fields on must not overwrite the stored lists.
TEST_F(AutoCompleteTest, DialogSavesTheListsWhenClosedWithCancel)
{
    {
        CArtistDialog seed(true);
        seed.show();
        seed.m_pArtist->setText(QStringLiteral("Old Artist"));
        seed.m_pAlbum->setText(QStringLiteral("Old Album"));
        seed.accept();
        EXPECT_FALSE(seed.isVisible());
    }
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 1")),
              QStringLiteral("Old Artist"));
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Albums"), QStringLiteral("MRU 1")),
              QStringLiteral("Old Album"));

    {
        CArtistDialog dialog(true);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        // Loaded at initialisation, with the dialog's size limit.
        EXPECT_EQ(dialog.m_pArtist->GetMRUList()->GetElementList(), (QStringList{"Old Artist"}));
        EXPECT_EQ(dialog.m_pAlbum->GetMRUList()->GetElementList(), (QStringList{"Old Album"}));
        EXPECT_EQ(dialog.m_pArtist->GetMRUListSizeLimit(), 3u);
        dialog.m_pArtist->AddMRUListEntry(QStringLiteral("New Artist"));
        dialog.m_pAlbum->AddMRUListEntry(QStringLiteral("New Album"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 1")),
              QStringLiteral("New Artist"));
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 2")),
              QStringLiteral("Old Artist"));
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Albums"), QStringLiteral("MRU 1")),
              QStringLiteral("New Album"));

    {
        // Closing the window and deleteLater both count as the dialog's end.
        auto* dialog = new CArtistDialog(true);
        dialog->show();
        dialog->m_pArtist->AddMRUListEntry(QStringLiteral("Closed Artist"));
        dialog->close();
        dialog->deleteLater();
        QTRY_COMPARE_WITH_TIMEOUT(
            StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 1")),
            QStringLiteral("Closed Artist"), 5000);
        auto* later = new CArtistDialog(true);
        later->show();
        later->m_pArtist->AddMRUListEntry(QStringLiteral("Deleted Artist"));
        QPointer<CArtistDialog> watch(later);
        later->deleteLater();
        QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), 5000);
        EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 1")),
                  QStringLiteral("Deleted Artist"));
    }

    {
        CArtistDialog off(false);
        off.show();
        EXPECT_FALSE(off.m_pArtist->IsAutoCompletionEnabled());
        EXPECT_EQ(off.m_pArtist->GetMRUList()->GetElementCount(), 0u);
        off.m_pArtist->setText(QStringLiteral("Typed Without Completion"));
        off.accept();
    }
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 1")),
              QStringLiteral("Deleted Artist"));
    EXPECT_EQ(StoredValue(QStringLiteral("AutoComplete\\Data\\Artists"), QStringLiteral("MRU 2")),
              QStringLiteral("Closed Artist"));
}

} // namespace
