#include "qvsystem/controls/LinkComboBox.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class LinkComboBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_combo.setObjectName(QStringLiteral("1031"));
        m_combo.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_combo));
        m_combo.setFocus();
    }
    void TearDown() override { CLinkComboBox::SetFileDialogRunner(nullptr); }

    // Picks the entry by keyboard, as a user stepping through the list does: each step is
    // a selection of its own.
    void StepTo(int index)
    {
        while (m_combo.currentIndex() < index)
            QTest::keyClick(&m_combo, Qt::Key_Down);
    }

    CLinkComboBox m_combo;
};

} // namespace

// Guards against the schemes being listed in another order or missing.
TEST_F(LinkComboBoxTest, ListsTheSchemesInOrder)
{
    QStringList items;
    for (int i = 0; i < m_combo.count(); ++i)
        items << m_combo.itemText(i);
    EXPECT_EQ(items.join(QLatin1Char(' ')).toStdString(),
              "http:// mailto: file:// https:// ftp:// news: gopher://");
    EXPECT_TRUE(m_combo.isEditable());
    // A bare scheme from the list is not yet an address.
    m_combo.setCurrentIndex(0);
    EXPECT_FALSE(m_combo.IsValidURL());
    m_combo.setEditText(QStringLiteral("http://updates.example.com/list.xml"));
    EXPECT_TRUE(m_combo.IsValidURL());
}

// Guards against a cancelled dialog swallowing the selection change or changing the text,
// and against the dialog accepting names of files that do not exist.
TEST_F(LinkComboBoxTest, CancelledFileDialogGivesTheOrdinarySelectionChange)
{
    QSignalSpy spy(&m_combo, &CLinkComboBox::CommandNotification);
    int dialogs = 0;
    CLinkComboBox::SetFileDialogRunner([&](QFileDialog& dialog) {
        ++dialogs;
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("All Files (*)")});
        return int(QDialog::Rejected);
    });
    StepTo(2);
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(spy.count(), 3);
    for (const QList<QVariant>& notification : spy) {
        EXPECT_EQ(notification[0].toInt(), CBN_SELCHANGE);
        EXPECT_EQ(notification[1].toInt(), 1031);
    }
    QTest::qWait(20);
    EXPECT_EQ(spy.count(), 3);
    EXPECT_EQ(m_combo.currentText(), QStringLiteral("file://"));
}

// Guards against the chosen file's address not reaching the text, the parent getting the
// selection change as well, or the file notification missing its id.
TEST_F(LinkComboBoxTest, ChosenFileSetsTheAddressAndSendsTheFileNotification)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Song List.txt"));
    corda::test::WriteAll(path, "x");
    CLinkComboBox::SetFileDialogRunner([&](QFileDialog& dialog) {
        dialog.selectFile(path);
        return int(QDialog::Accepted);
    });
    StepTo(1);
    QSignalSpy spy(&m_combo, &CLinkComboBox::CommandNotification);
    StepTo(2);
    ASSERT_TRUE(spy.wait(2000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), CBN_QV_LINKFILECHOSEN);
    EXPECT_EQ(spy[0][0].toInt(), 0x83F8);
    EXPECT_EQ(spy[0][1].toInt(), 1031);
    EXPECT_EQ(m_combo.currentText(), QStringLiteral("file://") + path);

    // The next entry is an ordinary selection again, and the address is not set twice.
    StepTo(3);
    QTest::qWait(20);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[1][0].toInt(), CBN_SELCHANGE);
    EXPECT_EQ(m_combo.currentText(), QStringLiteral("https://"));
}

// Guards against the scheme being compared with its case, which would leave "FILE://"
// without its dialog.
TEST_F(LinkComboBoxTest, FileEntryIsFoundWithoutRegardToCase)
{
    int dialogs = 0;
    CLinkComboBox::SetFileDialogRunner([&](QFileDialog&) {
        ++dialogs;
        return int(QDialog::Rejected);
    });
    m_combo.setItemText(2, QStringLiteral("FILE://"));
    StepTo(2);
    EXPECT_EQ(dialogs, 1);
}

// Guards against filters that Qt misreads: "*.*" would hide files without a dot, and a
// description's own parenthesised patterns would be taken instead of the real ones.
TEST(LinkComboBoxFilterTest, WindowsFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(AfxConvertFileDialogFilter(QStringLiteral("All Files (*.*)|*.*||")),
              QStringList{QStringLiteral("All Files (*)")});
    EXPECT_EQ(AfxConvertFileDialogFilter(QStringLiteral("Texts (*.txt)|*.txt;*.log|All Files (*.*)|*.*||")),
              (QStringList{QStringLiteral("Texts (*.txt *.log)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(AfxConvertFileDialogFilter(QStringLiteral("Tablature|*.crd")),
              QStringList{QStringLiteral("Tablature (*.crd)")});
    EXPECT_TRUE(AfxConvertFileDialogFilter(QString()).isEmpty());
    EXPECT_TRUE(AfxConvertFileDialogFilter(QStringLiteral("||")).isEmpty());
}
