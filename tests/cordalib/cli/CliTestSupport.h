#pragma once
// End-to-end support: runs the built cordalib-cli in a home of its own (settings store,
// database, runtime folder) and builds tablature files byte by byte from the file layout,
// independently of the program's own header writer.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>

namespace clitest {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline QString CliPath()
{
#ifdef CORDALIB_CLI_PATH
    return QStringLiteral(CORDALIB_CLI_PATH);
#else
    return QStringLiteral(CORDA_BINARY_DIR "/cordalib/cordalib-cli");
#endif
}

// An 8-bit text: one length byte below 255, else 0xFF and a 16-bit length.
inline QByteArray Text(const QByteArray& bytes)
{
    QByteArray out;
    if (bytes.size() < 255) {
        out.append(static_cast<char>(bytes.size()));
    } else {
        out.append(static_cast<char>(0xFF));
        const auto n = static_cast<uint16_t>(bytes.size());
        out.append(static_cast<char>(n & 0xFF));
        out.append(static_cast<char>(n >> 8));
    }
    return out + bytes;
}

inline QByteArray U16(unsigned value)
{
    QByteArray out;
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
    return out;
}

inline QByteArray Body(int size, char seed)
{
    QByteArray body(size, '\0');
    for (int i = 0; i < size; ++i)
        body[i] = static_cast<char>(seed + i * 31);
    return body;
}

struct Song {
    QByteArray title, artist, album;
    unsigned year = 1999;
    QByteArray composer, lyricist, arranger, transcriber, copyright;
    int bodySize = 3000;
    char seed = 1;
};

// A version-4 song with release type 0 (album) and authorship 0 (composer and lyricist).
inline QByteArray SongFile(const Song& song)
{
    QByteArray data("crda");
    data += U16(4);
    data.append('\0'); // file type: song
    data.append('\0'); // content byte
    data += Text(song.title) + Text(song.artist);
    data.append('\0'); // release type 0
    data.append('\2'); // kind byte
    data += Text(song.album) + U16(song.year);
    data.append('\0'); // flag byte
    data.append('\0'); // authorship: composer and lyricist
    data += Text(song.composer) + Text(song.lyricist);
    data += Text(song.arranger) + Text(song.transcriber) + Text(QByteArray()) + Text(song.copyright);
    data += Text(QByteArray()) + Text(QByteArray()) + Text(QByteArray());
    return data + Body(song.bodySize, song.seed);
}

struct Lesson {
    QByteArray title, subtitle;
    unsigned style = 9;
    unsigned level = 0;
    QByteArray author, copyright;
    int bodySize = 2000;
    char seed = 2;
};

inline QByteArray LessonFile(const Lesson& lesson)
{
    QByteArray data("crda");
    data += U16(4);
    data.append('\1'); // file type: lesson
    data += Text(lesson.title) + Text(lesson.subtitle) + U16(lesson.style);
    data.append(static_cast<char>(lesson.level));
    data += Text(lesson.author) + Text(QByteArray()) + Text(lesson.copyright);
    return data + Body(lesson.bodySize, lesson.seed);
}

// One test's world: its own home with config, data and runtime folders, and a music folder.
class CliTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* sub : {"config", "data", "runtime", "home", "music"})
            QDir().mkpath(m_dir.path() + QLatin1Char('/') + QLatin1String(sub));
        QFile::setPermissions(Path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString Path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    QString Music(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? Path(QStringLiteral("music")) : Path(QStringLiteral("music/") + relative);
    }
    QString DatabasePath() const
    {
        return Path(QStringLiteral("data/Corda Software/Corda Librarian/Database Files/library.cordb"));
    }

    void Write(const QString& path, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        corda::test::WriteAll(path, bytes);
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
        return environment;
    }

    Result Cli(const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(CliPath(), arguments);
        Result result;
        if (!process.waitForStarted(-1)) {
            ADD_FAILURE() << "cannot start " << CliPath().toStdString();
            return result;
        }
        process.closeWriteChannel();
        process.waitForFinished(-1);
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // Runs and expects the exit code, reporting the output when it differs.
    Result Expect(int exitCode, const QStringList& arguments) const
    {
        Result result = Cli(arguments);
        EXPECT_EQ(result.exitCode, exitCode)
            << "cordalib-cli " << arguments.join(QLatin1Char(' ')).toStdString()
            << "\nstdout: " << result.out.toStdString() << "\nstderr: " << result.err.toStdString();
        return result;
    }

    QTemporaryDir m_dir;
};

} // namespace clitest
