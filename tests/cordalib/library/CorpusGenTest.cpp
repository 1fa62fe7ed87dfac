// The readers against files that this code did not write: the corpus generator encodes
// tablature files and databases on its own and lists what a reader must find in them.

#include "TestSupport.h"

#include "cordalib/library/CordaFileHeader.h"
#include "cordalib/library/LessonRecord.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/SongRecord.h"

#include "qvsystem/platform/Archive.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/File.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <vector>

namespace {

const QString GENERATOR = QStringLiteral(CORDA_SOURCE_DIR "/tools/corpusgen.py");

// Runs the generator; false (the test skips) when it or Python is not there.
bool Generate(const QString& arguments)
{
    if (!QFileInfo::exists(GENERATOR))
        return false;
    int exitCode = -1;
    corda::test::RunCommand(QStringLiteral("python3 '%1' %2").arg(GENERATOR, arguments), &exitCode);
    EXPECT_EQ(exitCode, 0) << arguments.toStdString();
    return exitCode == 0;
}

std::vector<QJsonObject> ReadManifest(const QString& path)
{
    std::vector<QJsonObject> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no manifest " << path.toStdString();
        return entries;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty())
            entries.push_back(QJsonDocument::fromJson(line).object());
    }
    return entries;
}

QString Wide(const std::string& text)
{
    return AfxAnsiToUnicode(text);
}

QByteArray Md5Of(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

} // namespace

// Every header field the manifest lists, as the reader must report it, plus the
// whole-file checksum; then a rewrite of each file keeps its version and its body.
TEST(CorpusGenTest, ReadsAndRewritesGeneratedTablatureFiles)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("crd"));
    const QString manifestPath = dir.filePath(QStringLiteral("manifest.jsonl"));
    if (!Generate(QStringLiteral("crd --out '%1' --count 80 --seed 11 --lessons-ratio 0.25 --body-min 10 "
                                 "--body-max 20000 --manifest '%2'")
                      .arg(out, manifestPath)))
        GTEST_SKIP() << "tools/corpusgen.py is not available";
    const std::vector<QJsonObject> entries = ReadManifest(manifestPath);
    ASSERT_EQ(entries.size(), 80u);

    int legacy = 0, lessons = 0;
    for (const QJsonObject& e : entries) {
        const QString path = out + QLatin1Char('/') + e[QStringLiteral("path")].toString();
        SCOPED_TRACE(path.toStdString());
        CCordaFileHeader h;
        std::string checksum;
        QString error;
        ASSERT_TRUE(ReadHeaderFromFile(path, h, nullptr, &checksum, &error)) << error.toStdString();
        EXPECT_EQ(QString::fromStdString(checksum), e[QStringLiteral("fileMd5")].toString());

        const auto number = [&](const char* key) { return e[QLatin1String(key)].toInt(); };
        EXPECT_EQ(h.GetVersion(), number("version"));
        EXPECT_EQ(h.GetFileType(), number("fileType"));
        EXPECT_EQ(h.GetContentByte(), number("contentByte"));
        EXPECT_EQ(h.GetReleaseType(), number("releaseType"));
        EXPECT_EQ(h.GetAuthorshipType(), number("authorshipType"));
        EXPECT_EQ(h.GetAlbumKind(), number("albumKind"));
        EXPECT_EQ(h.GetAlbumFlag(), number("albumFlag"));
        EXPECT_EQ(h.GetRelease1Flag(), number("release1Flag"));
        EXPECT_EQ(h.GetLessonStyle(), number("lessonStyle"));
        EXPECT_EQ(h.GetLessonLevel(), number("lessonLevel"));
        EXPECT_EQ(h.GetLegacyCode(), number("legacyCode"));
        EXPECT_EQ(h.GetLegacyFlag(), number("legacyFlag"));
        EXPECT_EQ(h.GetLegacyYear(), number("legacyYear"));
        if (!e[QStringLiteral("albumYear")].isNull()) {
            EXPECT_EQ(h.GetAlbumYear(), number("albumYear"));
        }
        if (e[QStringLiteral("release2Date")].isArray()) {
            const QJsonArray date = e[QStringLiteral("release2Date")].toArray();
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(h.GetRelease2Date(i), date[i].toInt());
        }
        const std::pair<const char*, std::string> texts[] = {
            {"title", h.GetTitle()},
            {"artist", h.GetArtist()},
            {"album", h.GetAlbum()},
            {"composer", h.GetComposer()},
            {"lyricist", h.GetLyricist()},
            {"arranger", h.GetArranger()},
            {"transcriberA", h.GetTranscriberA()},
            {"transcriberB", h.GetTranscriberB()},
            {"transcriber", h.GetTranscriber()},
            {"copyright", h.GetCopyright()},
            {"albumTitle", h.GetAlbumTitle()},
            {"release1Title", h.GetRelease1Title()},
            {"release2Title", h.GetRelease2Title()},
            {"extraText1", h.GetExtraText(0)},
            {"extraText2", h.GetExtraText(1)},
            {"extraText3", h.GetExtraText(2)},
            {"lessonTitle", h.GetLessonTitle()},
            {"lessonSubtitle", h.GetLessonSubtitle()},
            {"lessonAuthor", h.GetLessonAuthor()},
            {"lessonExtraText", h.GetLessonExtraText()},
            {"lessonCopyright", h.GetLessonCopyright()},
            {"legacyTitle", h.GetLegacyTitle()},
        };
        for (const auto& [key, value] : texts)
            EXPECT_EQ(Wide(value), e[QLatin1String(key)].toString()) << key;

        // A rewrite with a new title keeps the version and every byte of the body.
        const qint64 bodySize = e[QStringLiteral("bodySize")].toInteger();
        bool written = false;
        if (h.GetFileType() == cordaFileLesson) {
            ++lessons;
            CLessonRecord lesson;
            lesson.SetPath(path);
            ASSERT_TRUE(lesson.ReadFromFile(false));
            EXPECT_EQ(Wide(lesson.GetTitle()), e[QStringLiteral("lessonTitle")].toString());
            lesson.SetTitle("Rewritten \xe9");
            written = lesson.WriteToFile(false, &error);
        } else {
            legacy += h.GetVersion() < 4;
            CSongRecord song;
            song.SetPath(path);
            ASSERT_TRUE(song.ReadFromFile(false));
            EXPECT_EQ(Wide(song.GetTranscriber()), e[QStringLiteral("transcriber")].toString());
            EXPECT_EQ(song.IsTraditional(), e[QStringLiteral("traditional")].toBool());
            song.SetTitle("Rewritten \xe9");
            written = song.WriteToFile(false, &error);
        }
        ASSERT_TRUE(written) << error.toStdString();
        const QByteArray bytes = corda::test::ReadAll(path);
        EXPECT_EQ(Md5Of(bytes.right(bodySize)), e[QStringLiteral("bodyMd5")].toString().toLatin1());
        CCordaFileHeader reread;
        ASSERT_TRUE(ReadHeaderFromFile(path, reread, nullptr, nullptr, nullptr));
        EXPECT_EQ(reread.GetVersion(), h.GetVersion());
        EXPECT_EQ(reread.GetFileType() == cordaFileLesson ? reread.GetLessonTitle() : reread.GetTitle(),
                  "Rewritten \xe9");
    }
    EXPECT_GT(legacy, 0);
    EXPECT_GT(lessons, 0);
}

// A database the generator encoded loads with every record as listed.
TEST(CorpusGenTest, LoadsGeneratedDatabase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("library.cordb"));
    const QString manifestPath = dir.filePath(QStringLiteral("library.jsonl"));
    if (!Generate(QStringLiteral("cordb --out '%1' --songs 400 --lessons 60 --seed 5 --manifest '%2'")
                      .arg(path, manifestPath)))
        GTEST_SKIP() << "tools/corpusgen.py is not available";
    const std::vector<QJsonObject> entries = ReadManifest(manifestPath);
    ASSERT_EQ(entries.size(), 1u + 400u + 60u);

    CLibraryDatabase database;
    CFile file(path, CFile::modeRead);
    CArchive archive(&file, CArchive::load);
    database.Load(archive);
    archive.Close();
    const QJsonObject& head = entries[0];
    EXPECT_EQ(database.GetEncodingSoftware(), head[QStringLiteral("encodingSoftware")].toString());
    EXPECT_EQ(database.GetCreated().m_dt, head[QStringLiteral("created")].toArray()[1].toDouble());
    ASSERT_EQ(database.GetSongCount(), 400u);
    ASSERT_EQ(database.GetLessonCount(), 60u);

    const auto date = [](const QJsonObject& e) { return e[QStringLiteral("dateAdded")].toArray(); };
    for (size_t i = 0; i < 400; ++i) {
        const QJsonObject& e = entries[1 + i];
        const CSongRecord& s = *database.GetSongs()[i];
        SCOPED_TRACE(e[QStringLiteral("path")].toString().toStdString());
        EXPECT_EQ(s.GetId(), i + 1);
        EXPECT_EQ(Wide(s.GetTitle()), e[QStringLiteral("title")].toString());
        EXPECT_EQ(Wide(s.GetArtist()), e[QStringLiteral("artist")].toString());
        EXPECT_EQ(Wide(s.GetAlbum()), e[QStringLiteral("album")].toString());
        EXPECT_EQ(s.GetYear(), e[QStringLiteral("year")].toInt());
        EXPECT_EQ(s.IsTraditional(), e[QStringLiteral("traditional")].toInt() != 0);
        EXPECT_EQ(Wide(s.GetTranscriber()), e[QStringLiteral("transcriber")].toString());
        EXPECT_EQ(Wide(s.GetCopyright()), e[QStringLiteral("copyright")].toString());
        EXPECT_EQ(s.GetPath(), e[QStringLiteral("path")].toString());
        EXPECT_EQ(s.GetDateAdded().m_status, date(e)[0].toInt());
        EXPECT_EQ(s.GetDateAdded().m_dt, date(e)[1].toDouble());
        EXPECT_EQ(s.GetLastWriteTime(),
                  static_cast<FILETIME>(e[QStringLiteral("lastWriteTime")].toInteger()));
        EXPECT_EQ(QString::fromStdString(s.GetChecksum()), e[QStringLiteral("checksum")].toString());
        EXPECT_EQ(s.GetRating(), e[QStringLiteral("rating")].toInt());
    }
    for (size_t i = 0; i < 60; ++i) {
        const QJsonObject& e = entries[1 + 400 + i];
        const CLessonRecord& l = *database.GetLessons()[i];
        EXPECT_EQ(l.GetId(), i + 1);
        EXPECT_EQ(Wide(l.GetTitle()), e[QStringLiteral("title")].toString());
        EXPECT_EQ(Wide(l.GetSubtitle()), e[QStringLiteral("subtitle")].toString());
        EXPECT_EQ(l.GetStyle(), e[QStringLiteral("style")].toInt());
        EXPECT_EQ(l.GetLevel(), e[QStringLiteral("level")].toInt());
        EXPECT_EQ(Wide(l.GetCopyright()), e[QStringLiteral("copyright")].toString());
        EXPECT_EQ(l.GetPath(), e[QStringLiteral("path")].toString());
    }
}
