#pragma once
// A fixture for the edit dialogs' tests: a private settings store and data folder, an
// application core, and real tablature files (header built byte by byte, followed by
// music data of its own) whose records sit in the database and in a list's recordset.

#include "TestSupport.h"

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/Recordset.h"
#include "cordalib/library/SongRecord.h"
#include "cordalib/ui/ListRecordset.h"
#include "qvsystem/controls/QVValidationBalloon.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/FileUtilities.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace corda::test {

// The archive's 8-bit text: a length byte (these texts are short) and the characters.
inline QByteArray CrdText(const std::string& text)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(text.size()));
    bytes.append(text.data(), static_cast<qsizetype>(text.size()));
    return bytes;
}

inline QByteArray CrdU16(uint16_t value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
    return bytes;
}

struct SongFields {
    std::string title = "Title";
    std::string artist = "Artist";
    std::string album = "Album";
    uint16_t year = 1990;
    bool traditional = false;
    std::string composer = "Composer";
    std::string lyricist = "Lyricist";
    std::string arranger = "Arranger";
    std::string copyright = "(c) 1990";
};

// A version 4 song header with a release of type 0.
inline QByteArray SongHeaderBytes(const SongFields& f)
{
    QByteArray b("crda");
    b += CrdU16(4);
    b += '\0'; // song
    b += '\x05';
    b += CrdText(f.title) + CrdText(f.artist);
    b += '\0'; // release type 0
    b += '\x02';
    b += CrdText(f.album) + CrdU16(f.year);
    b += '\0';
    b += f.traditional ? '\x01' : '\0';
    if (!f.traditional)
        b += CrdText(f.composer) + CrdText(f.lyricist);
    b += CrdText(f.arranger) + CrdText("Tab") + CrdText("") + CrdText(f.copyright);
    b += CrdText("e1") + CrdText("e2") + CrdText("e3");
    return b;
}

struct LessonFields {
    std::string title = "Lesson";
    std::string subtitle = "Subtitle";
    uint16_t style = 9;
    uint8_t level = 0;
    std::string author = "Author";
    std::string copyright = "(c) L";
};

inline QByteArray LessonHeaderBytes(const LessonFields& f)
{
    QByteArray b("crda");
    b += CrdU16(4);
    b += '\x01'; // lesson
    b += CrdText(f.title) + CrdText(f.subtitle) + CrdU16(f.style);
    b += static_cast<char>(f.level);
    b += CrdText(f.author) + CrdText("extra") + CrdText(f.copyright);
    return b;
}

// Music data that differs from file to file.
inline QByteArray MusicBytes(int seed)
{
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.append(static_cast<char>((i * 31 + seed * 17) & 0xFF));
    return bytes;
}

// The header as the library reads it.
inline CCordaFileHeader HeaderOf(const QString& path)
{
    CCordaFileHeader header;
    QString error;
    EXPECT_TRUE(ReadHeaderFromFile(path, header, nullptr, nullptr, &error)) << error.toStdString();
    return header;
}

inline FILETIME WriteTimeOf(const QString& path)
{
    FILETIME time = 0;
    EXPECT_TRUE(AfxGetFileLastWriteTime(path, time));
    return time;
}

class EditDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_dataHome = m_dir.path() + QStringLiteral("/data");
        QDir().mkpath(m_dataHome);
        QDir().mkpath(MusicFolder());
        setenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome).constData(), 1);
        AfxSetSettingsStorePath(m_dir.path() + QStringLiteral("/config/registry.db"));
        m_app = std::make_unique<CCordaLibrarianApp>();
        ASSERT_TRUE(m_app->InitCore(false));
        // The offscreen platform cannot raise windows (balloons, progress windows) and says
        // so; fixed-size windows get the size-hint note.
        AllowQtWarning(QStringLiteral("does not support raise"));
        AllowQtWarning(QStringLiteral("^This plugin does not support propagateSizeHints\\(\\)$"));
        // The suggestion drop-down of the auto-complete edits grabs the keyboard.
        AllowQtWarning(QStringLiteral("^This plugin does not support grabbing the keyboard$"));
    }
    void TearDown() override
    {
        m_songs.Clear();
        m_lessons.Clear();
        m_app.reset();
        AfxSetSettingsStorePath(QString());
        setenv("XDG_DATA_HOME", m_oldDataHome.constData(), 1);
    }

    CCordaLibrarianApp& App() { return *m_app; }
    QString MusicFolder() const { return m_dir.path() + QStringLiteral("/music"); }
    QString LogFolder() const
    {
        QString folder;
        m_app->GetFileLocation(2, folder);
        return folder;
    }

    // A song file and its record (read from the file), in the database and the list.
    CSongRecord* AddSong(const SongFields& fields, int seed)
    {
        const QString path = MusicFolder() + QStringLiteral("/song %1.crd").arg(seed);
        WriteAll(path, SongHeaderBytes(fields) + MusicBytes(seed));
        auto song = std::make_unique<CSongRecord>();
        song->SetPath(path);
        EXPECT_TRUE(song->ReadFromFile(false));
        CSongRecord* record = m_app->GetLibraryDatabase().AddSong(std::move(song));
        m_songs.Add(record);
        return record;
    }

    std::vector<CSongRecord*> AddSongs(int count)
    {
        std::vector<CSongRecord*> songs;
        for (int i = 0; i < count; ++i) {
            SongFields fields;
            fields.title = "Song " + std::to_string(i);
            fields.artist = "Artist " + std::to_string(i);
            fields.album = "Album " + std::to_string(i);
            fields.year = static_cast<uint16_t>(1970 + i);
            songs.push_back(AddSong(fields, i));
        }
        return songs;
    }

    CLessonRecord* AddLesson(const LessonFields& fields, int seed)
    {
        const QString path = MusicFolder() + QStringLiteral("/lesson %1.crd").arg(seed);
        WriteAll(path, LessonHeaderBytes(fields) + MusicBytes(seed));
        auto lesson = std::make_unique<CLessonRecord>();
        lesson->SetPath(path);
        EXPECT_TRUE(lesson->ReadFromFile(false));
        CLessonRecord* record = m_app->GetLibraryDatabase().AddLesson(std::move(lesson));
        m_lessons.Add(record);
        return record;
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/ced-XXXXXX")};
    QByteArray m_oldDataHome;
    QString m_dataHome;
    std::unique_ptr<CCordaLibrarianApp> m_app;
    CSongListRecordset m_songs;
    CLessonListRecordset m_lessons;
};

} // namespace corda::test
