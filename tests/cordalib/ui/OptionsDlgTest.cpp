// The Options dialog over a real main window: the page tree, every page's validation and
// saving, the keyboard page's keys reaching the menus, and the database folder change.
#include "TestSupport.h"

#include "cordalib/app/AppStrings.h"
#include "cordalib/app/CommandTable.h"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/KeyboardSettings.h"
#include "cordalib/ui/MainFrame.h"
#include "cordalib/ui/MainHeaderFormView.h"
#include "cordalib/ui/OptionsDialogPages.h"
#include "cordalib/ui/OptionsDlg.h"
#include "cordalib/ui/OptionsFileLocationsDialogPage.h"
#include "cordalib/ui/OptionsKeyboardDialogPage.h"
#include "qvsystem/controls/CaptureShortcutKeyDlg.h"
#include "qvsystem/controls/GroupHeaderCtrl.h"
#include "qvsystem/controls/LinkComboBox.h"
#include "qvsystem/controls/MessageBoxDriver.h"
#include "qvsystem/controls/QVDialogPageTreeCtrl.h"
#include "qvsystem/controls/QVMessageBox.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/controls/SearchEdit.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/ProfileValues.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <functional>
#include <memory>

using corda::test::CModalDriver;

namespace {

constexpr uint16_t VK_F7 = 0x76;
constexpr uint16_t VK_F8 = 0x77;

// Receives the folder addresses that the shell would open.
class COpenCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> m_urls;

public slots:
    void Open(const QUrl& url) { m_urls.append(url); }
};

template <typename T> T* Control(QWidget* page, int id)
{
    return page ? page->findChild<T*>(QString::number(id)) : nullptr;
}

void Click(QWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    // A check box stretched across the page answers only on its box and text.
    const QPoint point =
        qobject_cast<QCheckBox*>(widget) ? QPoint(6, widget->height() / 2) : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, point);
}

// Replaces the field's text the way the user does: select all, delete, type.
void TypeInto(QWidget* field, const QString& text)
{
    ASSERT_NE(field, nullptr);
    field->setFocus();
    if (auto* box = qobject_cast<QAbstractSpinBox*>(field))
        box->selectAll();
    else if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    if (!text.isEmpty())
        QTest::keyClicks(field, text);
}

class OptionsDlgTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        corda::test::AllowQtWarning(QStringLiteral("does not support (raise|propagateSizeHints)"));
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_dataHome = m_dir.path() + QStringLiteral("/data");
        QDir().mkpath(m_dataHome);
        setenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome).constData(), 1);
        AfxSetSettingsStorePath(m_dir.path() + QStringLiteral("/config/registry.db"));
        m_app = std::make_unique<CCordaLibrarianApp>();
        m_keyboard = std::make_unique<CKeyboardSettings>(m_app->GetProfile());
        InstallKeyboardSettings(*m_app, *m_keyboard);
        ASSERT_TRUE(m_app->InitCore(false));
        m_frame = std::make_unique<CMainFrame>(*m_app);
        ASSERT_TRUE(m_frame->Create());
        m_frame->ApplyKeyboardScheme(m_keyboard->GetKeyboardMappingScheme());
    }
    void TearDown() override
    {
        m_dialog.reset();
        m_frame.reset();
        m_app.reset();
        m_keyboard.reset();
        AfxSetSettingsStorePath(QString());
        setenv("XDG_DATA_HOME", m_oldDataHome.constData(), 1);
    }

public:
    CCordaLibrarianApp& App() { return *m_app; }

    // Shows a new dialog, active, as the user sees it after Tools > Options....
    COptionsDlg& Open()
    {
        m_dialog = std::make_unique<COptionsDlg>(*m_app, m_frame.get());
        m_dialog->move(40, 40);
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
        return *m_dialog;
    }
    // Clicks the page's tree item; the page now shown.
    QWidget* ShowPage(int index)
    {
        CQVDialogPageTreeCtrl* tree = m_dialog->GetPageTree();
        QTreeWidgetItem* item = m_dialog->GetPageItem(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualItemRect(item).center());
        EXPECT_EQ(tree->GetCurrentDialogPage(), m_dialog->GetPage(index));
        return m_dialog->GetPage(index);
    }
    void ClickOK() { Click(m_dialog->findChild<QPushButton*>(QStringLiteral("1"))); }
    void ClickCancel() { Click(m_dialog->findChild<QPushButton*>(QStringLiteral("2"))); }

    uint32_t StoredInt(const char* section, const char* entry)
    {
        return App().GetProfile().GetProfileInt(QString::fromLatin1(section), QString::fromLatin1(entry),
                                                0xDEADBEEFu);
    }
    // Every value the options write, as stored (or "-" when absent).
    QStringList StoredOptions()
    {
        const CApplicationProfile& profile = App().GetProfile();
        QStringList values;
        auto read = [&](const QString& key, const QString& entry) {
            QByteArray data;
            const bool found = CApplicationProfile::ReadValue(key, entry, REG_DWORD, data) ||
                               CApplicationProfile::ReadValue(key, entry, REG_SZ, data);
            values.append(key + QLatin1Char('|') + entry + QLatin1Char('=') +
                          (found ? QString::fromLatin1(data.toHex()) : QStringLiteral("-")));
        };
        const std::pair<const char*, std::vector<const char*>> sections[] = {
            {"General", {"Default Double Click Action", "Minimize On Open Corda File"}},
            {"Message Boxes",
             {"Show Open Corda File Warning", "Show Edit Mulitple Items Warning",
              "Show Delete Item Confirmation"}},
            {"Search", {"Enable AutoResults", "AutoResults Delay"}},
            {"Security", {"Show Open External Link Warning"}},
            {"Startup", {"Show Splash Screen"}},
            {"System Tray", {"Minimize To System Tray"}},
            {"AutoComplete", {"Enabled", "MRU List Size"}},
            {"File Locations", {"Database Files", "Backup Files", "Log Files", "Temporary Files"}},
            {"Keyboard\\Mapping Schemes\\Main View", {"Shortcut Count"}},
        };
        for (const auto& [section, entries] : sections) {
            for (const char* entry : entries)
                read(profile.GetSectionKey(QString::fromLatin1(section)), QString::fromLatin1(entry));
        }
        for (int index = 0; index < 30; ++index) {
            for (const char* entry : {"Command ID", "Key", "Flags", "Extended Key"})
                read(profile.GetSectionKey(KeyboardSettingsLayout::ShortcutKey(index)),
                     QString::fromLatin1(entry));
        }
        const QString updates = profile.GetProductRootKey() + QStringLiteral("\\Check For Updates");
        read(updates, QStringLiteral("URL"));
        read(updates, QStringLiteral("Reminder"));
        return values;
    }
    QString MenuText(uint32_t commandId) const { return m_frame->FindCommand(int(commandId))->text(); }
    // The key name a fresh load of the stored shortcuts gives the command.
    QString StoredKeyName(uint32_t commandId)
    {
        CKeyboardSettings fresh(App().GetProfile());
        EXPECT_TRUE(fresh.Load());
        CKeyboardShortcut shortcut;
        EXPECT_TRUE(fresh.GetKeyboardMappingScheme().GetKeyboardShortcutUsingCommandID(commandId, shortcut));
        return shortcut.GetShortcutKey().GetShortcutKeyName(true);
    }
    // The shown row of the command on the keyboard page.
    int KeyboardRow(COptionsKeyboardDialogPage* page, uint32_t commandId)
    {
        return page->GetListControl()->FindShownCommand(commandId);
    }
    QString DatabaseFile() const
    {
        return m_dataHome + QStringLiteral("/Corda Software/Corda Librarian/Database Files/library.cordb");
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/clo-XXXXXX")};
    QByteArray m_oldDataHome;
    QString m_dataHome;
    std::unique_ptr<CCordaLibrarianApp> m_app;
    std::unique_ptr<CKeyboardSettings> m_keyboard;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<COptionsDlg> m_dialog;
};

// The tree must hold the ten pages under their two bold headings in the documented order,
// each page with its heading and help topic, created only when first shown; F1 opens the
// shown page's topic.
TEST_F(OptionsDlgTest, TreeHoldsTheTenPagesWithTheirHeadingsAndTopics)
{
    QStringList opened;
    AfxSetHtmlHelpTopicHandler([&opened](const QString& path) { opened.append(path); });
    COptionsDlg& dialog = Open();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Options"));
    CQVDialogPageTreeCtrl* tree = dialog.GetPageTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Environment"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Online"));
    EXPECT_TRUE(tree->IsItemBold(tree->topLevelItem(0)));
    EXPECT_TRUE(tree->IsItemBold(tree->topLevelItem(1)));
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(tree->topLevelItem(1)->isExpanded());
    EXPECT_TRUE(tree->hasFocus());
    EXPECT_EQ(tree->currentItem(), dialog.GetEnvironmentItem());

    struct Expected {
        QString label;
        unsigned templateId;
        QString heading;
        QString topic;
    };
    const Expected pages[COptionsDlg::PAGE_COUNT] = {
        {"AutoComplete", 96, "AutoComplete settings", "changingtheautocompletesettings.htm"},
        {"File Locations", 25, "File locations", "changingthefilelocations.htm"},
        {"General", 20591, "General settings", "changingthegeneralsettings.htm"},
        {"Keyboard", 20613, "Keyboard settings", "changingthekeyboardsettings.htm"},
        {"Message Boxes", 20589, "Message box settings", "changingthemessageboxsettings.htm"},
        {"Search", 101, "Search settings", "changingthesearchsettings.htm"},
        {"Security", 97, "Security settings", "changingthesecuritysettings.htm"},
        {"Startup", 21, "Startup settings", "changingthestartupsettings.htm"},
        {"System Tray", 20588, "System tray settings", "changingthesystemtraysettings.htm"},
        {"Check For Updates", 20590, "Check for updates settings", "thecheckforupdatesservice.htm"},
    };
    QTreeWidgetItem* environment = tree->topLevelItem(0);
    ASSERT_EQ(environment->childCount(), 9);
    ASSERT_EQ(tree->topLevelItem(1)->childCount(), 1);
    // The heading shows its first child's page; the others wait until chosen.
    EXPECT_TRUE(dialog.GetPage(COptionsDlg::pageAutoComplete)->IsInitialized());
    for (int index = 1; index < COptionsDlg::PAGE_COUNT; ++index)
        EXPECT_FALSE(dialog.GetPage(index)->IsInitialized()) << index;

    for (int index = 0; index < COptionsDlg::PAGE_COUNT; ++index) {
        SCOPED_TRACE(pages[index].label.toStdString());
        QTreeWidgetItem* item = index < 9 ? environment->child(index) : tree->topLevelItem(1)->child(0);
        EXPECT_EQ(item, dialog.GetPageItem(index));
        EXPECT_EQ(item->text(0), pages[index].label);
        COptionsDialogPage* page = dialog.GetPage(index);
        EXPECT_EQ(page->GetTemplateID(), pages[index].templateId);
        ShowPage(index);
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(page->geometry(), dialog.GetPageArea()->geometry());
        EXPECT_EQ(page->GetHeading()->GetText(), pages[index].heading);
        EXPECT_EQ(page->GetHeading()->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(dialog.GetHelpTopic(), pages[index].topic);
        QTest::keyClick(&dialog, Qt::Key_F1);
        ASSERT_FALSE(opened.isEmpty());
        EXPECT_EQ(opened.back(), QStringLiteral("cordalib.chm::/") + pages[index].topic);
        // No control of the page reaches past the page area.
        for (QWidget* child : page->findChildren<QWidget*>()) {
            if (child->isVisible() && child->parentWidget() == page) {
                EXPECT_TRUE(page->rect().contains(child->geometry())) << child->metaObject()->className();
            }
        }
        // Every control draws: one that kept the pause of updates it took while the page was
        // being built (the window's updates were off then) stays blank for good.
        for (QWidget* child : page->findChildren<QWidget*>()) {
            EXPECT_TRUE(child->updatesEnabled()) << child->metaObject()->className();
        }
    }
    AfxSetHtmlHelpTopicHandler(nullptr);
}

// A value out of range must be refused on OK with the page's balloon at the offending
// control, the dialog must stay open, and nothing may reach the store.
TEST_F(OptionsDlgTest, ValuesOutOfRangeAreRefusedWithTheirBalloonAndNothingIsSaved)
{
    const QString range = QStringLiteral("The value in this field must be a number between %1 and %2");
    struct Case {
        const char* name;
        int page;
        std::function<void(OptionsDlgTest&)> prepare;
        std::function<void(QWidget*)> act;
        int control;
        QString text;
    };
    const Case cases[] = {
        {"too few items to track",
         COptionsDlg::pageAutoComplete,
         {},
         [](QWidget* page) { TypeInto(Control<QWidget>(page, 43), QStringLiteral("0")); },
         43,
         range.arg(1).arg(50)},
        {"too many items to track",
         COptionsDlg::pageAutoComplete,
         {},
         [](QWidget* page) { TypeInto(Control<QWidget>(page, 43), QStringLiteral("51")); },
         43,
         range.arg(1).arg(50)},
        {"a search delay over 5000 with AutoResults off",
         COptionsDlg::pageSearch,
         {},
         [](QWidget* page) {
             // Typed while AutoResults is on, then AutoResults turned off.
             TypeInto(Control<QWidget>(page, 86), QStringLiteral("6000"));
             Click(Control<QCheckBox>(page, 64));
             EXPECT_FALSE(Control<QCheckBox>(page, 64)->isChecked());
             EXPECT_FALSE(Control<QWidget>(page, 86)->isEnabled());
         },
         86,
         range.arg(0).arg(5000)},
        {"an unknown double-click action", COptionsDlg::pageGeneral,
         [](OptionsDlgTest& test) { test.App().GetGeneralSettings().SetDefaultDoubleClickAction(7, true); },
         [](QWidget* page) { EXPECT_EQ(Control<QComboBox>(page, 23070)->currentIndex(), -1); }, 23070,
         QStringLiteral(
             "You must select an item from this field's drop-down list.\nTo display the drop-down list, "
             "click the down arrow button at the end of the field")},
        {"an address without a scheme",
         COptionsDlg::pageCheckForUpdates,
         {},
         [](QWidget* page) {
             Control<CLinkComboBox>(page, 23064)->setCurrentText(QStringLiteral("example.com"));
         },
         23064,
         AfxLoadString(IDS_QV_VALIDATE_URL)},
        {"a reminder after 91 days",
         COptionsDlg::pageCheckForUpdates,
         {},
         [](QWidget* page) {
             if (!Control<QCheckBox>(page, 23066)->isChecked())
                 Click(Control<QCheckBox>(page, 23066));
             TypeInto(Control<QWidget>(page, 23065), QStringLiteral("91"));
         },
         23065,
         range.arg(1).arg(90)},
        {"an empty file location",
         COptionsDlg::pageFileLocations,
         {},
         [](QWidget* page) {
             auto* list = Control<CQVListCtrl>(page, 61);
             list->SetItemText(2, COptionsFileLocationsDialogPage::COLUMN_LOCATION, QString());
         },
         61,
         QStringLiteral("One or more file locations are invalid")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.prepare)
            c.prepare(*this);
        AfxWriteProfileCheckForUpdatesURL(App().GetProductRegistryPath(),
                                          QStringLiteral("http://updates.example.invalid/cordalib.xml"));
        App().GetGeneralSettings().Load();
        const QStringList before = StoredOptions();
        Open();
        QWidget* page = ShowPage(c.page);
        c.act(page);
        ClickOK();
        EXPECT_TRUE(m_dialog->isVisible());
        auto* shown = qobject_cast<COptionsDialogPage*>(page);
        ASSERT_TRUE(shown->IsValidationErrorMessageActive());
        EXPECT_EQ(shown->GetValidationToolTipWindow()->GetText(), c.text);
        EXPECT_EQ(shown->GetValidationToolTipWindow()->GetTitle(), QStringLiteral("Validation Error"));
        QWidget* control = Control<QWidget>(page, c.control);
        const QRect rect = AfxGetScreenRect(control);
        EXPECT_EQ(shown->GetValidationToolTipWindow()->GetTipPoint().x(), rect.left() + rect.width() / 2);
        EXPECT_EQ(StoredOptions(), before);
        ClickCancel();
        EXPECT_FALSE(m_dialog->isVisible());
        EXPECT_EQ(StoredOptions(), before);
        // The setting in the application is as it was too.
        App().GetGeneralSettings().SetDefaultDoubleClickAction(0, true);
    }
}

// A valid change on each page must be stored at once with OK as the documented value,
// including the values stored for switched-off features.
TEST_F(OptionsDlgTest, ValidChangesAreSavedToTheDocumentedValues)
{
    struct Case {
        const char* name;
        int page;
        std::function<void(QWidget*)> act;
        std::function<void(OptionsDlgTest&)> check;
    };
    const Case cases[] = {
        {"items to track", COptionsDlg::pageAutoComplete,
         [](QWidget* page) { TypeInto(Control<QWidget>(page, 43), QStringLiteral("35")); },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("AutoComplete", "Enabled"), 1u);
             EXPECT_EQ(t.StoredInt("AutoComplete", "MRU List Size"), 35u);
             EXPECT_EQ(t.App().GetAutoCompleteSettings().GetMRUListSize(), 35u);
         }},
        {"AutoComplete off keeps 20 items", COptionsDlg::pageAutoComplete,
         [](QWidget* page) {
             Click(Control<QCheckBox>(page, 66));
             EXPECT_FALSE(Control<QWidget>(page, 43)->isEnabled());
             TypeInto(Control<QWidget>(page, 43), QStringLiteral("0"));
         },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("AutoComplete", "Enabled"), 0u);
             EXPECT_EQ(t.StoredInt("AutoComplete", "MRU List Size"), 20u);
             EXPECT_FALSE(t.App().GetAutoCompleteSettings().IsEnabled());
         }},
        {"double click edits", COptionsDlg::pageGeneral,
         [](QWidget* page) {
             auto* action = Control<QComboBox>(page, 23070);
             action->setFocus();
             QTest::keyClick(action, Qt::Key_Down);
             EXPECT_EQ(action->currentText(), QStringLiteral("Edit"));
             Click(Control<QCheckBox>(page, 23071));
         },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("General", "Default Double Click Action"), 1u);
             EXPECT_EQ(t.StoredInt("General", "Minimize On Open Corda File"), 0u);
         }},
        {"message boxes off", COptionsDlg::pageMessageBoxes,
         [](QWidget* page) {
             for (int id : {23056, 51, 23058})
                 Click(Control<QCheckBox>(page, id));
         },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("Message Boxes", "Show Open Corda File Warning"), 0u);
             EXPECT_EQ(t.StoredInt("Message Boxes", "Show Edit Mulitple Items Warning"), 0u);
             EXPECT_EQ(t.StoredInt("Message Boxes", "Show Delete Item Confirmation"), 0u);
             EXPECT_FALSE(t.App().GetMessageBoxSettings().GetShowDeleteItemConfirmation());
         }},
        {"a search delay", COptionsDlg::pageSearch,
         [](QWidget* page) { TypeInto(Control<QWidget>(page, 86), QStringLiteral("250")); },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("Search", "Enable AutoResults"), 1u);
             EXPECT_EQ(t.StoredInt("Search", "AutoResults Delay"), 250u);
         }},
        {"AutoResults off stores no delay", COptionsDlg::pageSearch,
         [](QWidget* page) {
             Click(Control<QCheckBox>(page, 64));
             EXPECT_FALSE(Control<QWidget>(page, 86)->isEnabled());
         },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("Search", "Enable AutoResults"), 0u);
             EXPECT_EQ(t.StoredInt("Search", "AutoResults Delay"), 0u);
         }},
        {"no external link warning", COptionsDlg::pageSecurity,
         [](QWidget* page) { Click(Control<QCheckBox>(page, 50)); },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("Security", "Show Open External Link Warning"), 0u);
         }},
        {"no splash screen", COptionsDlg::pageStartup,
         [](QWidget* page) { Click(Control<QCheckBox>(page, 63)); },
         [](OptionsDlgTest& t) { EXPECT_EQ(t.StoredInt("Startup", "Show Splash Screen"), 0u); }},
        {"no system tray", COptionsDlg::pageSystemTray,
         [](QWidget* page) { Click(Control<QCheckBox>(page, 23043)); },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(t.StoredInt("System Tray", "Minimize To System Tray"), 0u);
             EXPECT_FALSE(t.m_frame->IsTrayIconAdded());
         }},
        {"an updates address and a reminder", COptionsDlg::pageCheckForUpdates,
         [](QWidget* page) {
             Control<CLinkComboBox>(page, 23064)
                 ->setCurrentText(QStringLiteral("https://example.invalid/u.xml"));
             if (!Control<QCheckBox>(page, 23066)->isChecked())
                 Click(Control<QCheckBox>(page, 23066));
             TypeInto(Control<QWidget>(page, 23065), QStringLiteral("45"));
         },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(AfxGetProfileCheckForUpdatesURL(t.App().GetProductRegistryPath()),
                       QStringLiteral("https://example.invalid/u.xml"));
             EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(t.App().GetProductRegistryPath()), 45u);
         }},
        {"no reminder", COptionsDlg::pageCheckForUpdates,
         [](QWidget* page) {
             EXPECT_TRUE(Control<QCheckBox>(page, 23066)->isChecked());
             EXPECT_EQ(Control<COptionsNumberBox>(page, 23065)->value(), 45);
             Click(Control<QCheckBox>(page, 23066));
             EXPECT_FALSE(Control<QWidget>(page, 23065)->isEnabled());
         },
         [](OptionsDlgTest& t) {
             EXPECT_EQ(AfxGetProfileCheckForUpdatesReminder(t.App().GetProductRegistryPath()), 0u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        c.act(ShowPage(c.page));
        ClickOK();
        ASSERT_FALSE(m_dialog->isVisible());
        EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
        c.check(*this);
    }
}

// Each check box of the yes/no pages must show its own setting and write it back to its own
// value: a box bound to a neighbour's getter or setter shows or stores the wrong switch.
TEST_F(OptionsDlgTest, SwitchPagesShowTheirOwnStoredValuesAndWriteThemBack)
{
    CMessageBoxSettings& boxes = App().GetMessageBoxSettings();
    ASSERT_TRUE(boxes.SetShowOpenCordaFileWarning(false, true));
    ASSERT_TRUE(boxes.SetShowEditMultipleItemsWarning(true, true));
    ASSERT_TRUE(boxes.SetShowDeleteItemConfirmation(false, true));
    ASSERT_TRUE(App().GetSecuritySettings().SetShowOpenExternalLinkWarning(false, true));
    ASSERT_TRUE(App().GetStartupSettings().SetShowSplashScreen(false, true));
    ASSERT_TRUE(App().GetSystemTraySettings().SetMinimizeToSystemTray(true, true));

    Open();
    const std::pair<int, std::vector<std::pair<int, bool>>> shown[] = {
        {COptionsDlg::pageMessageBoxes, {{23056, false}, {51, true}, {23058, false}}},
        {COptionsDlg::pageSecurity, {{50, false}}},
        {COptionsDlg::pageStartup, {{63, false}}},
        {COptionsDlg::pageSystemTray, {{23043, true}}},
    };
    for (const auto& [index, boxStates] : shown) {
        QWidget* page = ShowPage(index);
        for (const auto& [id, checked] : boxStates) {
            ASSERT_NE(Control<QCheckBox>(page, id), nullptr) << id;
            EXPECT_EQ(Control<QCheckBox>(page, id)->isChecked(), checked) << id;
        }
    }
    // One box changed: only its own value may change.
    Click(Control<QCheckBox>(m_dialog->GetPage(COptionsDlg::pageMessageBoxes), 23056));
    ClickOK();
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(StoredInt("Message Boxes", "Show Open Corda File Warning"), 1u);
    EXPECT_EQ(StoredInt("Message Boxes", "Show Edit Mulitple Items Warning"), 1u);
    EXPECT_EQ(StoredInt("Message Boxes", "Show Delete Item Confirmation"), 0u);
    EXPECT_EQ(StoredInt("Security", "Show Open External Link Warning"), 0u);
    EXPECT_EQ(StoredInt("Startup", "Show Splash Screen"), 0u);
    EXPECT_EQ(StoredInt("System Tray", "Minimize To System Tray"), 1u);
    EXPECT_TRUE(boxes.GetShowOpenCordaFileWarning());
    EXPECT_FALSE(boxes.GetShowDeleteItemConfirmation());
}

// Reset All (answered Yes) must only change the list: Cancel afterwards leaves the user's
// key in the scheme, in the store and on the menu. Answered No it changes nothing at all.
TEST_F(OptionsDlgTest, ResetAllThenCancelChangesNothing)
{
    CKeyboardMappingScheme scheme = m_keyboard->GetKeyboardMappingScheme();
    ASSERT_TRUE(scheme.SetShortcutKey(CordaCommands::ID_TOOLS_SYNCHRONIZE, CShortcutKey(VK_F8, 0)));
    ASSERT_TRUE(m_keyboard->SetKeyboardMappingScheme(scheme, true));
    m_frame->ApplyKeyboardScheme(m_keyboard->GetKeyboardMappingScheme());
    const QString f8 = CShortcutKey(VK_F8, 0).GetShortcutKeyName(true);
    const QString f7 = CShortcutKey(VK_F7, 0).GetShortcutKeyName(true);
    ASSERT_TRUE(MenuText(CordaCommands::ID_TOOLS_SYNCHRONIZE).endsWith(QLatin1Char('\t') + f8));

    Open();
    auto* page = static_cast<COptionsKeyboardDialogPage*>(ShowPage(COptionsDlg::pageKeyboard));
    auto* list = page->GetListControl();
    const int row = KeyboardRow(page, CordaCommands::ID_TOOLS_SYNCHRONIZE);
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->GetItemText(row, CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY), f8);
    QString question;
    {
        CModalDriver<QMessageBox> no([&](QMessageBox& box) {
            question = box.text();
            box.button(QMessageBox::No)->click();
        });
        Click(Control<QPushButton>(page, COptionsKeyboardDialogPage::IDC_RESET_ALL));
        EXPECT_TRUE(no.Seen());
    }
    EXPECT_EQ(question, QStringLiteral("Are you sure you want to reset the keyboard shortcuts?"));
    EXPECT_EQ(list->GetItemText(KeyboardRow(page, CordaCommands::ID_TOOLS_SYNCHRONIZE),
                                CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY),
              f8);
    {
        CModalDriver<QMessageBox> yes([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
        Click(Control<QPushButton>(page, COptionsKeyboardDialogPage::IDC_RESET_ALL));
        EXPECT_TRUE(yes.Seen());
    }
    EXPECT_EQ(list->GetItemText(KeyboardRow(page, CordaCommands::ID_TOOLS_SYNCHRONIZE),
                                CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY),
              f7);
    const QStringList before = StoredOptions();
    ClickCancel();
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    CKeyboardShortcut kept;
    ASSERT_TRUE(m_keyboard->GetKeyboardMappingScheme().GetKeyboardShortcutUsingCommandID(
        CordaCommands::ID_TOOLS_SYNCHRONIZE, kept));
    EXPECT_EQ(kept.GetShortcutKey(), CShortcutKey(VK_F8, 0));
    EXPECT_EQ(StoredKeyName(CordaCommands::ID_TOOLS_SYNCHRONIZE), f8);
    EXPECT_EQ(StoredOptions(), before);
    EXPECT_TRUE(MenuText(CordaCommands::ID_TOOLS_SYNCHRONIZE).endsWith(QLatin1Char('\t') + f8));
}

// A key assigned on the keyboard page (taking it from the command that had it) and a key
// removed there must reach the menus and the store with OK; the buttons follow the
// selection and the filter narrows the list.
TEST_F(OptionsDlgTest, KeysChangedOnTheKeyboardPageReachTheMenus)
{
    Open();
    auto* page = static_cast<COptionsKeyboardDialogPage*>(ShowPage(COptionsDlg::pageKeyboard));
    auto* list = page->GetListControl();
    auto* assign = Control<QPushButton>(page, COptionsKeyboardDialogPage::IDC_ASSIGN);
    auto* remove = Control<QPushButton>(page, COptionsKeyboardDialogPage::IDC_REMOVE);
    EXPECT_EQ(Control<QComboBox>(page, COptionsKeyboardDialogPage::IDC_SCHEME)->currentText(),
              QStringLiteral("Main View"));
    EXPECT_EQ(list->GetItemCount(), 26);
    // Sorted by command name when no sort is stored.
    EXPECT_EQ(list->GetSortColumn(), CKeyboardShortcutListCtrl::COLUMN_COMMAND);
    EXPECT_EQ(list->GetItemText(0, CKeyboardShortcutListCtrl::COLUMN_COMMAND), QStringLiteral("Edit.Copy"));
    list->clearSelection();
    page->UpdateControlStates();
    EXPECT_FALSE(assign->isEnabled());
    EXPECT_FALSE(remove->isEnabled());

    // Ctrl+F goes from File.Folders to Tools.Backup.
    QTest::keyClicks(page->GetFilterControl(), QStringLiteral("tools.backup"));
    ASSERT_EQ(list->GetItemCount(), 1);
    list->SelectItem(0, true);
    EXPECT_TRUE(assign->isEnabled());
    EXPECT_FALSE(remove->isEnabled()); // Tools.Backup has no key yet
    {
        CModalDriver<CCaptureShortcutKeyDlg> capture([](CCaptureShortcutKeyDlg& dialog) {
            // A key for a widget of the capture dialog, wherever the focus is now.
            QTest::keyClick(dialog.GetCancelButton(), Qt::Key_F, Qt::ControlModifier);
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the key was not captured";
                dialog.reject();
            }
        });
        Click(assign);
        EXPECT_TRUE(capture.Seen());
    }
    const QString ctrlF = CShortcutKey('F', SKM_CONTROL).GetShortcutKeyName(true);
    EXPECT_EQ(list->GetItemText(0, CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY), ctrlF);
    EXPECT_TRUE(remove->isEnabled());

    // F1 taken from Help.Contents with Remove.
    Click(page->GetFilterControl());
    TypeInto(page->GetFilterControl(), QStringLiteral("Help.Contents"));
    ASSERT_EQ(list->GetItemCount(), 1);
    list->SelectItem(0, true);
    Click(remove);
    EXPECT_TRUE(list->GetItemText(0, CKeyboardShortcutListCtrl::COLUMN_SHORTCUT_KEY).isEmpty());
    EXPECT_FALSE(remove->isEnabled());
    // The scheme is unchanged until OK.
    EXPECT_TRUE(MenuText(CordaCommands::ID_FILE_FOLDERS).endsWith(QLatin1Char('\t') + ctrlF));
    ClickOK();
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);

    EXPECT_TRUE(MenuText(CordaCommands::ID_TOOLS_BACKUP).endsWith(QLatin1Char('\t') + ctrlF))
        << MenuText(CordaCommands::ID_TOOLS_BACKUP).toStdString();
    EXPECT_FALSE(MenuText(CordaCommands::ID_FILE_FOLDERS).contains(QLatin1Char('\t')));
    EXPECT_FALSE(MenuText(CordaCommands::ID_HELP_CONTENTS).contains(QLatin1Char('\t')));
    EXPECT_EQ(m_frame->FindCommand(int(CordaCommands::ID_TOOLS_BACKUP))->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_F));
    EXPECT_EQ(StoredKeyName(CordaCommands::ID_TOOLS_BACKUP), ctrlF);
    EXPECT_TRUE(StoredKeyName(CordaCommands::ID_FILE_FOLDERS).isEmpty());
    EXPECT_TRUE(StoredKeyName(CordaCommands::ID_HELP_CONTENTS).isEmpty());
}

// Changing the Database Files folder must copy library.cordb there (the old file stays),
// and the next save must go to the new folder. A library database already there is
// replaced only when the user says so, and a copy that fails leaves the folder as it was.
TEST_F(OptionsDlgTest, DatabaseFolderChangeCopiesTheLibraryAndTheNextSaveGoesThere)
{
    auto song = std::make_unique<CSongRecord>();
    song->SetTitle("Caf\xe9");
    song->SetPath(QStringLiteral("/music/a.crd"));
    App().GetLibraryDatabase().AddSong(std::move(song));
    App().GetLibraryDatabase().SetModified(true);
    ASSERT_TRUE(App().SaveDatabase(true, false));
    const QString oldFile = DatabaseFile();
    const QString oldFolder = QFileInfo(oldFile).absolutePath();
    const std::string oldSum = corda::test::Md5sumOf(oldFile);

    // Chooses the folder in the browser that Modify... opens.
    auto changeDatabaseFolder = [this](const QString& folder) {
        Open();
        QWidget* page = ShowPage(COptionsDlg::pageFileLocations);
        auto* list = Control<CQVListCtrl>(page, COptionsFileLocationsDialogPage::IDC_LOCATIONS);
        EXPECT_EQ(list->GetSingleSelectionItem(), 0);
        QString title;
        CModalDriver<QFileDialog> browser([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            dialog.setDirectory(folder);
            static_cast<QDialog&>(dialog).accept();
        });
        Click(Control<QPushButton>(page, COptionsFileLocationsDialogPage::IDC_MODIFY));
        EXPECT_TRUE(browser.Seen());
        EXPECT_EQ(title, QStringLiteral("Select the folder where Database Files will be stored"));
        EXPECT_EQ(QDir::fromNativeSeparators(list->GetItemText(0, 1)), folder);
        ClickOK();
    };
    auto storedFolder = [this] {
        return App().GetProfile().GetProfileString(QStringLiteral("File Locations"),
                                                   QStringLiteral("Database Files"));
    };

    // A folder that already holds a library: No keeps both files and the folder.
    const QString occupied = m_dir.path() + QStringLiteral("/Occupied");
    QDir().mkpath(occupied);
    corda::test::WriteAll(occupied + QStringLiteral("/library.cordb"), "another library");
    {
        QString question;
        CModalDriver<QMessageBox> no([&](QMessageBox& box) {
            question = box.text();
            box.button(QMessageBox::No)->click();
        });
        changeDatabaseFolder(occupied);
        EXPECT_TRUE(no.Seen());
        EXPECT_TRUE(question.contains(occupied)) << question.toStdString();
    }
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(corda::test::ReadAll(occupied + QStringLiteral("/library.cordb")),
              QByteArray("another library"));
    EXPECT_EQ(App().GetDefaultDatabasePath(), oldFile);
    EXPECT_EQ(storedFolder(), oldFolder);

    // A copy that cannot be written (the name is taken by a folder) is reported.
    const QString blocked = m_dir.path() + QStringLiteral("/Blocked");
    QDir().mkpath(blocked + QStringLiteral("/library.cordb"));
    {
        // The replace question, then the error: one box after the other.
        QStringList texts;
        CQVMessageBox::OnNextShown([&](CQVMessageBox& box) {
            texts.append(box.text());
            box.button(QMessageBox::Yes)->click();
        });
        CQVMessageBox::OnNextShown([&](CQVMessageBox& box) {
            texts.append(box.text());
            box.button(QMessageBox::Ok)->click();
        });
        changeDatabaseFolder(blocked);
        ASSERT_EQ(texts.size(), 2);
        EXPECT_TRUE(texts[1].startsWith(QStringLiteral("The library database could not be copied to")))
            << texts[1].toStdString();
    }
    EXPECT_EQ(App().GetDefaultDatabasePath(), oldFile);
    EXPECT_EQ(storedFolder(), oldFolder);

    // A new folder: the file is copied and stays in the old folder too.
    const QString moved = m_dir.path() + QStringLiteral("/Moved Library");
    QDir().mkpath(moved);
    {
        CModalDriver<QMessageBox> none(corda::test::CloseAnyBox());
        changeDatabaseFolder(moved);
    }
    const QString newFile = moved + QStringLiteral("/library.cordb");
    ASSERT_TRUE(QFileInfo::exists(newFile));
    EXPECT_EQ(corda::test::Md5sumOf(newFile), oldSum);
    EXPECT_EQ(corda::test::Md5sumOf(oldFile), oldSum);
    EXPECT_EQ(App().GetDefaultDatabasePath(), newFile);
    EXPECT_EQ(storedFolder(), moved);

    // The next save goes to the new folder only.
    auto second = std::make_unique<CSongRecord>();
    second->SetTitle("Second");
    second->SetPath(QStringLiteral("/music/b.crd"));
    App().GetLibraryDatabase().AddSong(std::move(second));
    App().GetLibraryDatabase().SetModified(true);
    ASSERT_TRUE(App().SaveDatabase(true, false));
    EXPECT_NE(corda::test::Md5sumOf(newFile), oldSum);
    EXPECT_EQ(corda::test::Md5sumOf(oldFile), oldSum);

    // Open shows the selected row's folder through the shell.
    COpenCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    Open();
    QWidget* page = ShowPage(COptionsDlg::pageFileLocations);
    Click(Control<QPushButton>(page, COptionsFileLocationsDialogPage::IDC_OPEN));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.m_urls.size(), 1);
    EXPECT_EQ(QDir::cleanPath(catcher.m_urls[0].toLocalFile()), moved);
    // Open and Modify need exactly one row.
    auto* list = Control<CQVListCtrl>(page, COptionsFileLocationsDialogPage::IDC_LOCATIONS);
    list->SelectAllItems();
    static_cast<COptionsDialogPage*>(page)->UpdateControlStates();
    EXPECT_FALSE(Control<QPushButton>(page, COptionsFileLocationsDialogPage::IDC_OPEN)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(page, COptionsFileLocationsDialogPage::IDC_MODIFY)->isEnabled());
}

// The menu command must open the dialog over the main window, and after OK the search bar
// shows its Search button exactly while AutoResults is off.
TEST_F(OptionsDlgTest, ToolsOptionsRunsTheDialogAndTheSearchBarFollowsAutoResults)
{
    QAction* options = m_frame->FindCommand(int(CordaCommands::ID_TOOLS_OPTIONS));
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(m_frame->HasCommandHandler(int(CordaCommands::ID_TOOLS_OPTIONS)));
    m_frame->UpdateCommandStates();
    EXPECT_TRUE(options->isEnabled());
    QPushButton* search = m_frame->GetSearchBar()->GetSearchButton();
    EXPECT_TRUE(search->isHidden());
    {
        CModalDriver<COptionsDlg> driver([this](COptionsDlg& dialog) {
            EXPECT_EQ(dialog.parentWidget(), m_frame.get());
            dialog.SelectPage(COptionsDlg::pageSearch);
            Click(Control<QCheckBox>(dialog.GetPage(COptionsDlg::pageSearch), 64));
            Click(dialog.findChild<QPushButton*>(QStringLiteral("1")));
        });
        options->trigger();
        EXPECT_TRUE(driver.Seen());
    }
    EXPECT_FALSE(App().GetSearchSettings().GetEnableAutoResults());
    EXPECT_FALSE(search->isHidden());
    {
        CModalDriver<COptionsDlg> driver([](COptionsDlg& dialog) {
            dialog.SelectPage(COptionsDlg::pageSearch);
            Click(Control<QCheckBox>(dialog.GetPage(COptionsDlg::pageSearch), 64));
            Click(dialog.findChild<QPushButton*>(QStringLiteral("2")));
        });
        options->trigger();
        EXPECT_TRUE(driver.Seen());
    }
    EXPECT_FALSE(App().GetSearchSettings().GetEnableAutoResults());
    EXPECT_FALSE(search->isHidden());
    // The setter refuses a delay the options never offer.
    EXPECT_FALSE(App().GetSearchSettings().SetAutoResultsDelay(5001, true));
    EXPECT_TRUE(App().GetSearchSettings().SetAutoResultsDelay(5000, true));
    EXPECT_EQ(App().GetSearchSettings().GetAutoResultsDelay(), 5000u);
}

} // namespace

#include "OptionsDlgTest.moc"
