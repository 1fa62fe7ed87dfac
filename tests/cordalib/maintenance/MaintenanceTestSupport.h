#pragma once
// Shared by the synchronization and backup scenario tests: a writer of small tablature
// files, a scripted progress window and a library fixture over a temporary folder.

#include "TestSupport.h"

#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/maintenance/ProgressWindow.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace maintenance_test {

// A version 4 header, written byte for byte as the file format lays it out.
class CrdWriter {
public:
    static QByteArray Song(const std::string& title, const std::string& artist = "Artist",
                           const std::string& album = "Album", uint16_t year = 1999,
                           const QByteArray& body = QByteArray("song body"))
    {
        QByteArray bytes = Start(0);
        bytes.append('\0'); // content byte
        Text(bytes, title);
        Text(bytes, artist);
        bytes.append('\0');   // release type 0: an album
        bytes.append('\x02'); // kind byte
        Text(bytes, album);
        U16(bytes, year);
        bytes.append('\0'); // flag byte
        bytes.append('\0'); // composer and lyricist given
        Text(bytes, "Composer");
        Text(bytes, "Lyricist");
        for (const char* text : {"Arranger", "", "", "Copyright", "", "", ""})
            Text(bytes, text);
        return bytes + body;
    }

    static QByteArray Lesson(const std::string& title, uint16_t style = 9, uint8_t level = 1,
                             const QByteArray& body = QByteArray("lesson body"))
    {
        QByteArray bytes = Start(1);
        Text(bytes, title);
        Text(bytes, "Subtitle");
        U16(bytes, style);
        bytes.append(static_cast<char>(level));
        Text(bytes, "Author");
        Text(bytes, "");
        Text(bytes, "Copyright");
        return bytes + body;
    }

    // The title as a header read back from the file gives it (song or lesson).
    static std::string TitleOf(const QByteArray& file)
    {
        const int type = static_cast<unsigned char>(file.at(6));
        const int offset = type == 0 ? 8 : 7;
        const int length = static_cast<unsigned char>(file.at(offset));
        return file.mid(offset + 1, length).toStdString();
    }

private:
    static QByteArray Start(uint8_t fileType)
    {
        QByteArray bytes("crda");
        U16(bytes, 4);
        bytes.append(static_cast<char>(fileType));
        return bytes;
    }
    static void Text(QByteArray& bytes, const std::string& text)
    {
        bytes.append(static_cast<char>(text.size())); // short texts only
        bytes.append(text.data(), static_cast<qsizetype>(text.size()));
    }
    static void U16(QByteArray& bytes, uint16_t value)
    {
        bytes.append(static_cast<char>(value & 0xFF));
        bytes.append(static_cast<char>(value >> 8));
    }
};

// A progress window that records what the run asked of it and answers Cancel as told.
class ScriptedWindow : public IProgressWindow {
public:
    bool Create() override
    {
        calls.push_back("Create");
        return true;
    }
    void SetStatus(const QString& text) override { statuses.append(text); }
    void Hide() override { calls.push_back("Hide"); }
    bool CheckCancelButton() override
    {
        ++cancelChecks;
        if (onCheck)
            onCheck(cancelChecks);
        return cancelAtCheck > 0 && cancelChecks >= cancelAtCheck;
    }
    void Destroy() override { calls.push_back("Destroy"); }
    void SetCaption(const QString& caption) override { captions.append(caption); }
    void SetRange(int lower, int upper) override
    {
        rangeLower = lower;
        rangeUpper = upper;
    }
    void StepIt() override { ++steps; }
    int ShowMessage(const QString& text, unsigned) override
    {
        calls.push_back("ShowMessage");
        messages.append(text);
        return 1;
    }

    int cancelAtCheck = 0; // 0: never
    int cancelChecks = 0;
    std::function<void(int)> onCheck;
    std::vector<std::string> calls;
    QStringList statuses;
    QStringList messages;
    QStringList captions;
    int rangeLower = -1;
    int rangeUpper = -1;
    int steps = 0;
};

// A library over a temporary folder of synchronized folders.
class LibraryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        CLibraryDatabase::SetActive(&m_database);
    }
    void TearDown() override { CLibraryDatabase::SetActive(nullptr); }

    QString Root() const { return m_temp.path(); }
    // A folder below the temporary root, created with its parents.
    QString Folder(const QString& relative) const
    {
        const QString path = Root() + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return path;
    }
    QString Path(const QString& relative) const { return Root() + QLatin1Char('/') + relative; }

    QString Write(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        corda::test::WriteAll(path, bytes);
        return path;
    }

    // Sets a file's modification time to whole seconds since 1970.
    static void SetModified(const QString& path, time_t seconds)
    {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }

    CSongRecord* FindSong(const QString& path) const
    {
        for (CSongRecord* song : m_database.GetSongs())
            if (song->GetPath() == path)
                return song;
        return nullptr;
    }
    CLessonRecord* FindLesson(const QString& path) const
    {
        for (CLessonRecord* lesson : m_database.GetLessons())
            if (lesson->GetPath() == path)
                return lesson;
        return nullptr;
    }
    QStringList SongPaths() const
    {
        QStringList paths;
        for (const CSongRecord* song : m_database.GetSongs())
            paths.append(song->GetPath());
        paths.sort();
        return paths;
    }

    QTemporaryDir m_temp;
    CLibraryDatabase m_database;
};

} // namespace maintenance_test

// Readable failure messages for paths.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
