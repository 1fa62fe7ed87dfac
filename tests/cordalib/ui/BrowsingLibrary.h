#pragma once
// Libraries for the browsing tests, built in memory through the database's own API: a few
// named songs and lessons where a test needs to know them, and generated ones (accented
// Windows-1252 names among them) where it needs many.

#include "TestSupport.h"

#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/system/ApplicationRegistryKey.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace corda::test {

inline CSongRecord* AddSong(CLibraryDatabase& database, const std::string& title, const std::string& artist,
                            const std::string& album = std::string(), uint8_t rating = 0,
                            uint16_t year = 1990)
{
    auto song = std::make_unique<CSongRecord>();
    song->SetTitle(title);
    song->SetArtist(artist);
    song->SetAlbum(album);
    song->SetYear(year);
    song->SetRating(rating);
    song->SetComposer(artist);
    song->SetPath(QStringLiteral("/music/%1/%2.crd")
                      .arg(QString::number(database.GetSongCount()), QString::fromLatin1(title.c_str())));
    song->SetChecksum(std::string(32, 'a'));
    return database.AddSong(std::move(song));
}

inline CLessonRecord* AddLesson(CLibraryDatabase& database, const std::string& title, uint16_t style,
                                uint8_t level, const std::string& author = std::string(), uint8_t rating = 0)
{
    auto lesson = std::make_unique<CLessonRecord>();
    lesson->SetTitle(title);
    lesson->SetSubtitle("Part " + std::to_string(database.GetLessonCount() + 1));
    lesson->SetStyle(style);
    lesson->SetLevel(level);
    lesson->SetAuthor(author);
    lesson->SetRating(rating);
    lesson->SetPath(QStringLiteral("/lessons/%1.crd").arg(database.GetLessonCount()));
    return database.AddLesson(std::move(lesson));
}

// Words with accented letters as the tablature files carry them (Windows-1252 bytes).
inline const char* const* AccentedWords()
{
    static const char* const words[] = {
        "Caf\xe9",     "\xc9toile",      "Se\xf1or", "M\xfcller", "Fran\xe7oise", "Bj\xf6rk", "Na\xefve",
        "Jalape\xf1o", "\xc5ngstr\xf6m", "Cr\xe8me", "Gar\xe7on", "Blues",        "Night",    "River",
        "Stone",       "Abba",           "Ab Fab",   "abstract",  "Zephyr",       "\x8arka"};
    return words;
}
inline constexpr int ACCENTED_WORD_COUNT = 20;

// Songs by a few dozen artists with a few albums each, ratings 0..5 spread over them.
inline void GenerateSongs(CLibraryDatabase& database, int count, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    const char* const* words = AccentedWords();
    for (int i = 0; i < count; ++i) {
        const std::string title = std::string(words[rng() % ACCENTED_WORD_COUNT]) + " " +
                                  words[rng() % ACCENTED_WORD_COUNT] + " " + std::to_string(i);
        const std::string artist =
            std::string(words[rng() % ACCENTED_WORD_COUNT]) + " " + words[rng() % ACCENTED_WORD_COUNT];
        const std::string album =
            std::string(words[rng() % ACCENTED_WORD_COUNT]) + " Vol. " + std::to_string(rng() % 3);
        AddSong(database, title, artist, album, static_cast<uint8_t>(rng() % 6),
                static_cast<uint16_t>(1950 + rng() % 70));
    }
}

inline void GenerateLessons(CLibraryDatabase& database, int count, unsigned seed = 11)
{
    std::mt19937 rng(seed);
    const char* const* words = AccentedWords();
    for (int i = 0; i < count; ++i)
        AddLesson(database, std::string(words[rng() % ACCENTED_WORD_COUNT]) + " lesson " + std::to_string(i),
                  static_cast<uint16_t>(rng() % 19), static_cast<uint8_t>(rng() % 3),
                  words[rng() % ACCENTED_WORD_COUNT], static_cast<uint8_t>(rng() % 6));
}

// A settings store of the test's own and the program's registry key, so that list state
// can be saved and loaded.
class CBrowsingSettings {
public:
    CBrowsingSettings()
    {
        AfxSetSettingsStorePath(m_dir.path() + QStringLiteral("/registry.db"));
        AfxSetApplicationRegistryKey(QStringLiteral("Software\\Corda Software\\Corda Librarian\\1.0"));
    }
    ~CBrowsingSettings()
    {
        AfxSetApplicationRegistryKey(QString());
        AfxSetSettingsStorePath(QString());
    }
    CBrowsingSettings(const CBrowsingSettings&) = delete;
    CBrowsingSettings& operator=(const CBrowsingSettings&) = delete;

private:
    QTemporaryDir m_dir;
};

} // namespace corda::test
