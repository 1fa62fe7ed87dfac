// The Edit Lesson dialog on real files: the style and level lists and their validation,
// single-mode edits that keep what changed outside, and multi-edit of ticked fields.

#include "EditDialogTestLibrary.h"
#include "TestSupport.h"

#include "cordalib/app/SettingsGroups.h"
#include "cordalib/ui/EditLessonDlg.h"
#include "cordalib/ui/InformationBar.h"
#include "qvsystem/controls/AutoCompleteEdit.h"
#include "qvsystem/controls/AutoCompleteMRUList.h"
#include "qvsystem/controls/QVMessageBoxFunctions.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corda::test;

namespace {

class EditLessonDlgTest : public EditDialogTest {
protected:
    std::unique_ptr<CEditLessonDlg> Open(std::vector<int> rows)
    {
        const int focused = rows.empty() ? 0 : rows.front();
        auto dialog = std::make_unique<CEditLessonDlg>(App(), m_lessons, std::move(rows), focused, nullptr);
        dialog->show();
        EXPECT_TRUE(dialog->IsInitialized());
        return dialog;
    }

    template <typename T = QWidget> static T* Control(const CEditLessonDlg& dialog, int id)
    {
        T* control = dialog.GetDlgItem<T>(id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    static void Type(const CEditLessonDlg& dialog, int id, const QString& text)
    {
        auto* edit = Control<QLineEdit>(dialog, id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        EXPECT_EQ(edit->text(), text);
    }

    static void ClickOk(const CEditLessonDlg& dialog)
    {
        QTest::mouseClick(Control(dialog, IDOK), Qt::LeftButton);
    }
};

// The lists hold the 19 styles and 3 levels in value order with the record's selected; a
// record whose style is beyond the list selects nothing and cannot be saved until one is
// chosen; the subtitle another program changed survives an edit of the author.
TEST_F(EditLessonDlgTest, SingleModeListsValidationAndOutsideChanges)
{
    LessonFields fields;
    fields.style = 17;
    fields.level = 2;
    AddLesson(fields, 0);
    LessonFields odd;
    odd.title = "Odd";
    odd.style = 40;
    // The file's style 40 is not taken from the header; a library may still hold one.
    AddLesson(odd, 1)->SetStyle(40);
    const QString path = m_lessons.Get(0)->GetPath();

    auto dialog = Open({0});
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edit Lesson"));
    EXPECT_EQ(dialog->GetHelpTopic(), QStringLiteral("editingalessonsinformation.htm"));
    auto* style = Control<QComboBox>(*dialog, IDC_LESSON_STYLE);
    auto* level = Control<QComboBox>(*dialog, IDC_LESSON_LEVEL);
    ASSERT_EQ(style->count(), 19);
    EXPECT_EQ(style->itemText(0), QStringLiteral("Alternative"));
    EXPECT_EQ(style->itemText(18), QStringLiteral("Swing"));
    ASSERT_EQ(level->count(), 3);
    EXPECT_EQ(level->itemText(1), QStringLiteral("Intermediate"));
    EXPECT_EQ(style->currentText(), QStringLiteral("Rock"));
    EXPECT_EQ(level->currentText(), QStringLiteral("Advanced"));
    EXPECT_FALSE(dialog->IsModified());

    // Another program changes the subtitle; the user changes the author.
    LessonFields outside = fields;
    outside.subtitle = "Changed Elsewhere";
    WriteAll(path, LessonHeaderBytes(outside) + MusicBytes(0));
    Type(*dialog, IDC_LESSON_AUTHOR, QStringLiteral("Teacher"));
    dialog->RunIdle();
    EXPECT_TRUE(dialog->GetInformationBar()->isVisible());
    ASSERT_TRUE(dialog->MoveNext());
    outside.author = "Teacher";
    EXPECT_EQ(ReadAll(path), LessonHeaderBytes(outside) + MusicBytes(0));
    EXPECT_EQ(m_lessons.Get(0)->GetSubtitle(), "Changed Elsewhere");
    EXPECT_EQ(m_lessons.Get(0)->GetChecksum(), Md5sumOf(path));
    EXPECT_EQ(Control<CAutoCompleteEdit>(*dialog, IDC_LESSON_AUTHOR)->GetMRUList()->GetElementList(),
              QStringList({QStringLiteral("Teacher")}));

    // The second record: style 40 shows no selection, which is no edit by itself...
    EXPECT_EQ(style->currentIndex(), -1);
    EXPECT_FALSE(dialog->IsModified());
    // ...but an edited record needs a style before it is saved.
    Type(*dialog, IDC_LESSON_TITLE, QStringLiteral("Odd One"));
    const QByteArray before = ReadAll(m_lessons.Get(1)->GetPath());
    ClickOk(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(dialog->IsValidationErrorMessageActive());
    EXPECT_EQ(
        dialog->GetValidationToolTipWindow()->GetText(),
        QStringLiteral("You must select an item from this field's drop-down list.\nTo display the drop-down "
                       "list, click the down arrow button at the end of the field"));
    EXPECT_EQ(ReadAll(m_lessons.Get(1)->GetPath()), before);
    dialog->HideValidationErrorMessage();
    style->setCurrentIndex(style->findText(QStringLiteral("Blues")));
    ClickOk(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const CCordaFileHeader header = HeaderOf(m_lessons.Get(1)->GetPath());
    EXPECT_EQ(header.GetLessonTitle(), "Odd One");
    EXPECT_EQ(header.GetLessonStyle(), 2);
    EXPECT_EQ(m_lessons.Get(1)->GetStyle(), 2);
    dialog.reset();
    CAutoCompleteMRUList stored;
    ASSERT_TRUE(stored.LoadState(QString::fromLatin1(CAutoCompleteSettings::AUTHORS_KEY)));
    EXPECT_EQ(stored.GetElementList(), QStringList({QStringLiteral("Teacher")}));
}

// Multi-edit: a ticked style or level needs a selection (an unticked one does not), and
// only the ticked fields reach the files.
TEST_F(EditLessonDlgTest, MultiEditTickedFieldsOnly)
{
    for (int i = 0; i < 3; ++i) {
        LessonFields fields;
        fields.title = "Lesson " + std::to_string(i);
        fields.style = static_cast<uint16_t>(i);
        fields.level = static_cast<uint8_t>(i);
        AddLesson(fields, i);
    }
    auto dialog = Open({0, 1, 2});
    EXPECT_TRUE(dialog->IsMultiEdit());
    EXPECT_EQ(dialog->GetHelpTopic(), QStringLiteral("editingmultiplelessonsinformation.htm"));
    auto* style = Control<QComboBox>(*dialog, IDC_LESSON_STYLE);
    auto* level = Control<QComboBox>(*dialog, IDC_LESSON_LEVEL);
    EXPECT_EQ(style->currentIndex(), -1);
    EXPECT_EQ(level->currentIndex(), -1);
    EXPECT_FALSE(style->isEnabled());
    Control<QCheckBox>(*dialog, IDC_CHECK_STYLE)->click();
    EXPECT_TRUE(style->isEnabled());
    EXPECT_EQ(dialog->focusWidget(), style);
    ClickOk(*dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->IsValidationErrorMessageActive());
    dialog->HideValidationErrorMessage();
    style->setCurrentIndex(style->findText(QStringLiteral("Jazz")));
    Control<QCheckBox>(*dialog, IDC_CHECK_SUBTITLE)->click();
    Type(*dialog, IDC_LESSON_SUBTITLE, QStringLiteral("Part Two"));
    ClickOk(*dialog);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        LessonFields expected;
        expected.title = "Lesson " + std::to_string(i);
        expected.subtitle = "Part Two";
        expected.style = lessonStyleJazz;
        expected.level = static_cast<uint8_t>(i);
        EXPECT_EQ(ReadAll(m_lessons.Get(static_cast<size_t>(i))->GetPath()),
                  LessonHeaderBytes(expected) + MusicBytes(i));
        EXPECT_EQ(m_lessons.Get(static_cast<size_t>(i))->GetLevel(), i);
    }
    EXPECT_EQ(dialog->GetChangedColumns(),
              CLessonRecord::FieldBit(lessonFieldSubtitle) | CLessonRecord::FieldBit(lessonFieldStyle));
}

} // namespace
