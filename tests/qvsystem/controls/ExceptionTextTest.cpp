#include "MessageBoxDriver.h"

#include "qvsystem/controls/QVMessageBoxFunctions.h"
#include "qvsystem/platform/Exceptions.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

#include <cerrno>

using corda::test::CloseAnyBox;
using corda::test::CMessageBoxDriver;

namespace {

// Shows the box through show(), records its text and closes it with OK.
template <typename Show> QString ShownText(Show show, int* result = nullptr)
{
    QString text;
    CMessageBoxDriver driver([&](QMessageBox& box) {
        text = box.text();
        box.button(QMessageBox::Ok)->click();
    });
    const int r = show();
    if (result)
        *result = r;
    EXPECT_TRUE(driver.Seen());
    return text;
}

// The tablature header's exception: a file exception with causes and texts of its own.
class HeaderException : public CFileException {
public:
    HeaderException(int cause, const QString& file) : CFileException(cause, -1, file) {}
    bool GetErrorMessage(QString& text) const override
    {
        if (m_cause != 2)
            return false;
        text = QStringLiteral("The file contains an invalid file header tag.");
        return true;
    }
};

class MessageException : public CException {
public:
    explicit MessageException(QString message) : m_message(std::move(message)) {}
    bool GetErrorMessage(QString& text) const override
    {
        text = m_message;
        return !m_message.isEmpty();
    }
    QString m_message;
};

class ProgramTable : public testing::Test {
protected:
    void SetUp() override
    {
        m_table.Add(1000, QStringLiteral("The operation failed: %1"));
        AfxSetApplicationStringTable(&m_table);
    }
    void TearDown() override { AfxSetApplicationStringTable(nullptr); }
    CStringTable m_table;
};

} // namespace

// Guards against indexing the cause table with an unchecked cause: an unknown or negative
// cause must read as the unspecified error, never as another text or garbage.
TEST(ExceptionTextTest, CausesOutOfRangeCountAsUnspecified)
{
    QString text;
    EXPECT_TRUE(AfxGetFileExceptionErrorMessage(CFileException::fileNotFound, text));
    EXPECT_EQ(text, QStringLiteral("The file could not be located."));
    EXPECT_TRUE(AfxGetFileExceptionErrorMessage(CFileException::endOfFile, text));
    EXPECT_EQ(text, QStringLiteral("The end of file was reached."));
    for (int cause : {15, 16, 1000, -1}) {
        EXPECT_TRUE(AfxGetFileExceptionErrorMessage(cause, text));
        EXPECT_EQ(text, QStringLiteral("An unspecified error occurred.")) << cause;
    }
    EXPECT_TRUE(AfxGetArchiveExceptionErrorMessage(CArchiveException::badSchema, text));
    EXPECT_EQ(text, QStringLiteral("Tried to read an object with a different version of the class."));
    EXPECT_TRUE(AfxGetArchiveExceptionErrorMessage(8, text));
    EXPECT_EQ(text, QStringLiteral("Unspecified error."));

    EXPECT_EQ(AfxGetExceptionCauseText(CResourceException()),
              QStringLiteral("A required resource was unavailable."));
    EXPECT_EQ(AfxGetExceptionCauseText(CMemoryException()), QStringLiteral("Out of memory."));
    EXPECT_EQ(AfxGetExceptionCauseText(CNotSupportedException()),
              QStringLiteral("An unsupported operation was attempted."));
    EXPECT_EQ(AfxGetExceptionCauseText(CUserException()), QStringLiteral("An unknown error has occurred."));
    EXPECT_EQ(AfxGetExceptionCauseText(MessageException(QStringLiteral("Own words."))),
              QStringLiteral("Own words."));
}

// Guards against the file name and cause being swapped or missing in the file-error texts,
// and against a cause of 15 or more showing anything but the unspecified error.
TEST(ExceptionTextTest, FileExceptionBoxShowsFileNameAndCause)
{
    int result = 0;
    const QString text = ShownText(
        [] {
            return AfxExceptionMessageBox(CFileException(15, -1, QStringLiteral("/music/a.crd")),
                                          IDS_QV_READ_FILE_ERROR);
        },
        &result);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(text, QStringLiteral("An error has occurred while reading the file '/music/a.crd'.\n\nAn "
                                   "unspecified error occurred."));

    EXPECT_EQ(ShownText([] {
                  return AfxFileIOExceptionMessageBox(CArchiveException(CArchiveException::badIndex),
                                                      QStringLiteral("library.cordb"),
                                                      IDS_QV_LOAD_FILE_ERROR);
              }),
              QStringLiteral(
                  "An error has occurred while loading the file 'library.cordb'.\n\nInvalid file format."));
    EXPECT_EQ(ShownText([] {
                  return AfxFileIOExceptionMessageBox(CFileException(CFileException::diskFull),
                                                      QStringLiteral("b.crd"), IDS_QV_SAVE_FILE_ERROR);
              }),
              QStringLiteral("An error has occurred while saving the file 'b.crd'.\n\nThe disk is full."));
}

// Guards against the header exception showing the platform's text for its cause number
// ("The file could not be located.") instead of its own.
TEST(ExceptionTextTest, DerivedFileExceptionKeepsItsOwnText)
{
    EXPECT_EQ(ShownText([] {
                  return AfxExceptionMessageBox(HeaderException(2, QStringLiteral("c.crd")),
                                                IDS_QV_OPEN_FILE_ERROR);
              }),
              QStringLiteral("An error has occurred while opening the file 'c.crd'.\n\nThe file contains an "
                             "invalid file header tag."));
    // Without a text of its own the cause table still answers.
    EXPECT_EQ(AfxGetExceptionCauseText(HeaderException(5, QString())),
              QStringLiteral("The file could not be accessed."));
}

// Guards against an archive error in a file-error text showing its cause as the file name
// and a bare "%2".
TEST(ExceptionTextTest, ArchiveExceptionWithFileNameFillsFileErrorText)
{
    EXPECT_EQ(ShownText([] {
                  return AfxExceptionMessageBox(
                      CArchiveException(CArchiveException::endOfFile, QStringLiteral("lib.cordb")),
                      IDS_QV_LOAD_FILE_ERROR);
              }),
              QStringLiteral("An error has occurred while loading the file 'lib.cordb'.\n\nReached end of "
                             "file while reading an object."));
}

// Guards against other exceptions filling %1 with anything but their cause text.
TEST_F(ProgramTable, OtherExceptionsFillTheCauseAsFirstInsert)
{
    EXPECT_EQ(ShownText([] { return AfxExceptionMessageBox(CMemoryException(), 1000); }),
              QStringLiteral("The operation failed: Out of memory."));
    EXPECT_EQ(
        ShownText([] {
            return AfxExceptionMessageBox(CArchiveException(CArchiveException::badClass, QStringLiteral("x")),
                                          1000);
        }),
        QStringLiteral("The operation failed: Tried to read an object into an object of the wrong type."));
}

// Guards against a box with a null file name or a missing format being shown anyway.
TEST(ExceptionTextTest, NullFileNameOrMissingFormatShowsNothing)
{
    CMessageBoxDriver driver(CloseAnyBox());
    EXPECT_EQ(AfxFileIOExceptionMessageBox(CFileException(2), QString(), IDS_QV_READ_FILE_ERROR), 0);
    EXPECT_EQ(AfxFileIOExceptionMessageBox(CFileException(2), QStringLiteral("a"), 4000000000u), 0);
    EXPECT_EQ(AfxExceptionMessageBox(CFileException(2), 4000000000u), 0);
    EXPECT_EQ(AfxSystemErrorMessageBox(-12345), 0);
    EXPECT_FALSE(driver.Seen());
}

// Guards against an over-long message being passed on whole, and against cutting it in the
// middle of a character that needs two UTF-16 units.
TEST(ExceptionTextTest, ExceptionTextIsCutAt255WithoutSplittingCharacters)
{
    QString text;
    EXPECT_EQ(AfxGetExceptionText(MessageException(QString()), text), 0);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(AfxGetExceptionText(MessageException(QString(300, QLatin1Char('a'))), text), 1);
    EXPECT_EQ(text.size(), 255);
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    EXPECT_EQ(AfxGetExceptionText(
                  MessageException(QString(254, QLatin1Char('b')) + clef + QStringLiteral("tail")), text),
              1);
    EXPECT_EQ(text, QString(254, QLatin1Char('b')));
}

// Guards against system error texts with trailing line breaks or invented texts for codes
// the system does not know, and the box showing anything but its documented layout.
TEST(ExceptionTextTest, SystemErrorTextAndBox)
{
    QString text;
    EXPECT_EQ(AfxGetSystemErrorText(-12345, text), 0);
    EXPECT_TRUE(text.isEmpty());
    ASSERT_EQ(AfxGetSystemErrorText(ENOENT, text), 1);
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')));
    EXPECT_EQ(ShownText([] { return AfxSystemErrorMessageBox(ENOENT); }),
              QStringLiteral("A system error has occurred.\n\n") + text);
}
