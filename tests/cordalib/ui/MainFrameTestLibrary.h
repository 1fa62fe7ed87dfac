#pragma once
// A fixture for the main window's tests: a private settings store and data folder, an
// application core, and a generated library of songs and lessons whose texts carry
// Windows-1252 accents and quotes. Some records point at real files in the test's folder
// (so the footer can show a size); the others at files that do not exist.

#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>

class MainFrameLibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldDataHome = qgetenv("XDG_DATA_HOME");
        m_dataHome = m_dir.path() + QStringLiteral("/data");
        QDir().mkpath(m_dataHome);
        QDir().mkpath(m_dir.path() + QStringLiteral("/music"));
        setenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome).constData(), 1);
        AfxSetSettingsStorePath(m_dir.path() + QStringLiteral("/config/registry.db"));
        m_app = std::make_unique<CCordaLibrarianApp>();
        ASSERT_TRUE(m_app->InitCore(false));
    }
    void TearDown() override
    {
        m_app.reset();
        AfxSetSettingsStorePath(QString());
        setenv("XDG_DATA_HOME", m_oldDataHome.constData(), 1);
    }

    CCordaLibrarianApp& App() { return *m_app; }

    QString DatabaseFile() const
    {
        return m_dataHome + QStringLiteral("/Corda Software/Corda Librarian/Database Files/library.cordb");
    }
    QString MusicFolder() const { return m_dir.path() + QStringLiteral("/music"); }

    // A file of the given size in the music folder.
    QString MakeFile(const QString& name, int size) const
    {
        const QString path = MusicFolder() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
        return path;
    }

    CSongRecord* AddSong(const std::string& title, const std::string& artist, const std::string& album,
                         const QString& path)
    {
        auto song = std::make_unique<CSongRecord>();
        song->SetTitle(title);
        song->SetArtist(artist);
        song->SetAlbum(album);
        song->SetYear(1990);
        song->SetPath(path);
        return m_app->GetLibraryDatabase().AddSong(std::move(song));
    }

    CLessonRecord* AddLesson(const std::string& title, const std::string& author, unsigned style,
                             unsigned level, const QString& path)
    {
        auto lesson = std::make_unique<CLessonRecord>();
        lesson->SetTitle(title);
        lesson->SetSubtitle("Exercises");
        lesson->SetAuthor(author);
        lesson->SetStyle(static_cast<uint16_t>(style));
        lesson->SetLevel(static_cast<uint8_t>(level));
        lesson->SetPath(path);
        return m_app->GetLibraryDatabase().AddLesson(std::move(lesson));
    }

    // songs songs by six artists on three albums each and lessons lessons; the first song
    // and the first lesson have real files of 2048 and 100 bytes.
    void GenerateLibrary(int songs, int lessons)
    {
        static const char* const artists[] = {"Bj\xf6rk",
                                              "Jos\xe9 Gonz\xe1lez",
                                              "Mot\xf6rhead",
                                              "Sigur R\xf3s",
                                              "\xc9"
                                              "dith Piaf",
                                              "Caf\xe9 Tacvba"};
        static const char* const albums[] = {"D\xe9j\xe0 Vu", "Na\xefve", "\x93Live\x94"};
        static const char* const titles[] = {"\xc0 bient\xf4t",
                                             "Stra\xdf"
                                             "e",
                                             "Se\xf1or",
                                             "Fa\xe7"
                                             "ade",
                                             "\xdc"
                                             "ber alles"};
        for (int i = 0; i < songs; ++i) {
            const std::string title = std::string(titles[i % 5]) + " " + std::to_string(i);
            const QString path = i == 0 ? MakeFile(QStringLiteral("first song.crd"), 2048)
                                        : QStringLiteral("/nowhere/song %1.crd").arg(i);
            AddSong(title, artists[i % 6], albums[(i / 6) % 3], path);
        }
        for (int i = 0; i < lessons; ++i) {
            const std::string title = std::string("\xc9tude ") + std::to_string(i);
            const QString path = i == 0 ? MakeFile(QStringLiteral("first lesson.crd"), 100)
                                        : QStringLiteral("/nowhere/lesson %1.crd").arg(i);
            AddLesson(title, "Fran\xe7ois", static_cast<unsigned>(i % 19), static_cast<unsigned>(i % 3),
                      path);
        }
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/clf-XXXXXX")};
    QByteArray m_oldDataHome;
    QString m_dataHome;
    std::unique_ptr<CCordaLibrarianApp> m_app;
};
