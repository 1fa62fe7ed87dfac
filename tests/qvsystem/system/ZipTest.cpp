#include "TestSupport.h"

#include "qvsystem/platform/CodePage.h"
#include "qvsystem/platform/Exceptions.h"
#include "qvsystem/system/Zip.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

// Python's zipfile reads the archive on its own: every entry's raw name (hex), the MD5
// of its contents, its method and time, and whether testzip found a bad CRC.
const char kInspector[] = R"PY(
import hashlib, json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    entries = []
    for info in z.infolist():
        raw = info.filename.encode('utf-8' if info.flag_bits & 0x800 else 'cp437')
        data = z.read(info)
        entries.append({'name': raw.hex(), 'md5': hashlib.md5(data).hexdigest(),
                        'method': info.compress_type, 'time': list(info.date_time)})
    print(json.dumps({'bad': z.testzip(), 'entries': entries}))
)PY";

QString ShellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QByteArray Pattern(qsizetype size, uint32_t seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    uint32_t x = seed;
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        // Half text, half noise: deflate has something to do and something it cannot.
        bytes[i] = (i / 4096) % 2 ? static_cast<char>(x >> 24) : "Corda tablature "[i % 16];
    }
    return bytes;
}

struct Entry {
    QByteArray name; // as stored
    QString md5;
    int method = -1;
    QJsonArray time;
};

class ZipTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_inspector = m_dir.filePath(QStringLiteral("inspect.py"));
        corda::test::WriteAll(m_inspector, QByteArray(kInspector));
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    QString Source(const QString& name, const QByteArray& bytes)
    {
        const QString path = Path(name);
        corda::test::WriteAll(path, bytes);
        return path;
    }

    // The entries as Python's zipfile sees them; fails the test when it cannot read them.
    std::vector<Entry> Inspect(const QString& archive)
    {
        int exitCode = -1;
        const QByteArray out = corda::test::RunCommand(
            QStringLiteral("python3 %1 %2").arg(ShellQuote(m_inspector), ShellQuote(archive)), &exitCode);
        EXPECT_EQ(exitCode, 0) << "zipfile could not read " << archive.toStdString();
        const QJsonObject root = QJsonDocument::fromJson(out).object();
        EXPECT_TRUE(root.value(QStringLiteral("bad")).isNull()) << "zipfile found a damaged entry";
        std::vector<Entry> entries;
        for (const QJsonValue& value : root.value(QStringLiteral("entries")).toArray()) {
            const QJsonObject object = value.toObject();
            Entry entry;
            entry.name = QByteArray::fromHex(object.value(QStringLiteral("name")).toString().toLatin1());
            entry.md5 = object.value(QStringLiteral("md5")).toString();
            entry.method = object.value(QStringLiteral("method")).toInt();
            entry.time = object.value(QStringLiteral("time")).toArray();
            entries.push_back(entry);
        }
        return entries;
    }

    bool UnzipTestPasses(const QString& archive)
    {
        int exitCode = -1;
        corda::test::RunCommand(QStringLiteral("unzip -tqq %1").arg(ShellQuote(archive)), &exitCode);
        return exitCode == 0;
    }

    QTemporaryDir m_dir;
    QString m_inspector;
};

QByteArray Ansi(const QString& text)
{
    return QByteArray::fromStdString(AfxUnicodeToAnsi(text));
}

} // namespace

// Guards the archive as a whole: an empty entry, a large compressed one, code-page
// names, every compression level, and an archive path outside ASCII, all readable by
// two independent readers with the exact contents.
TEST_F(ZipTest, ArchivePassesIndependentReaders)
{
    const QString archive = Path(QStringLiteral("Sicherung \u00e4\u00df.zip"));
    struct Item {
        QString source;
        QString name;
        int level;
    };
    const Item items[] = {
        {Source(QStringLiteral("empty.crd"), QByteArray()), QStringLiteral("empty.crd"), -1},
        {Source(QStringLiteral("mega.bin"), Pattern(1024 * 1024, 7)), QStringLiteral("Music/Rock/mega.bin"),
         9},
        {Source(QStringLiteral("Caf\u00e9 Se\u00f1or.crd"), Pattern(5000, 3)),
         QStringLiteral("Caf\u00e9 Se\u00f1or.crd"), 0},
        // Outside the code page: stored with its replacement characters.
        {Source(QStringLiteral("nihon.crd"), Pattern(100, 5)), QStringLiteral("\u65e5\u672c.crd"), 6},
    };

    void* zip = AfxOpenZipFile(archive);
    ASSERT_NE(zip, nullptr);
    for (const Item& item : items) {
        QString error = QStringLiteral("stale");
        EXPECT_EQ(AfxAddFileToZipFile(zip, item.source, item.name, item.level, error), 0)
            << item.name.toStdString() << ": " << error.toStdString();
        EXPECT_TRUE(error.isEmpty());
    }
    ASSERT_EQ(AfxCloseZipFile(zip), 0);

    EXPECT_TRUE(UnzipTestPasses(archive));
    const std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), std::size(items));
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, Ansi(items[i].name));
        EXPECT_EQ(entries[i].md5.toStdString(), corda::test::Md5sumOf(items[i].source)) << i;
        EXPECT_EQ(entries[i].method, 8) << "deflate";
    }
    EXPECT_EQ(entries[3].name, QByteArray("??.crd"));
    EXPECT_EQ(entries[2].name, QByteArray("Caf\xe9 Se\xf1or.crd"));
}

// Guards the entry time: the moment of writing in UTC, not local time (the zone is
// moved far from UTC for the test).
TEST_F(ZipTest, EntryTimeIsTheCurrentUtcTime)
{
    const QByteArray oldTz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "XYZ-05:45"); // local time 5 h 45 min ahead of UTC
    tzset();

    const QString archive = Path(QStringLiteral("time.zip"));
    const QString source = Source(QStringLiteral("a.crd"), QByteArray("abc"));
    void* zip = AfxOpenZipFile(archive);
    ASSERT_NE(zip, nullptr);
    const time_t before = std::time(nullptr);
    QString error;
    EXPECT_EQ(AfxAddFileToZipFile(zip, source, QStringLiteral("a.crd"), -1, error), 0);
    const time_t after = std::time(nullptr);
    ASSERT_EQ(AfxCloseZipFile(zip), 0);

    if (hadTz)
        qputenv("TZ", oldTz);
    else
        qunsetenv("TZ");
    tzset();

    const std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), 1u);
    const QJsonArray t = entries[0].time;
    ASSERT_EQ(t.size(), 6);
    tm stamp = {};
    stamp.tm_year = t[0].toInt() - 1900;
    stamp.tm_mon = t[1].toInt() - 1;
    stamp.tm_mday = t[2].toInt();
    stamp.tm_hour = t[3].toInt();
    stamp.tm_min = t[4].toInt();
    stamp.tm_sec = t[5].toInt();
    const time_t written = timegm(&stamp);
    // Zip times count in steps of two seconds.
    EXPECT_GE(written, before - before % 2);
    EXPECT_LE(written, after);
}

// Guards against a missing source leaving an empty entry that would pass for a backed-up
// empty file, and checks that its error is the file error's text.
TEST_F(ZipTest, MissingSourceIsReportedAndAddsNothing)
{
    const QString archive = Path(QStringLiteral("missing.zip"));
    void* zip = AfxOpenZipFile(archive);
    ASSERT_NE(zip, nullptr);
    QString error;
    EXPECT_EQ(AfxAddFileToZipFile(zip, Path(QStringLiteral("nowhere.crd")), QStringLiteral("nowhere.crd"), -1,
                                  error),
              QV_ZIP_INTERNALERROR);
    QString expected;
    CFileException(CFileException::fileNotFound).GetErrorMessage(expected);
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(error, expected);

    // The archive stays usable after the failed entry.
    const QString source = Source(QStringLiteral("there.crd"), QByteArray("there"));
    EXPECT_EQ(AfxAddFileToZipFile(zip, source, QStringLiteral("there.crd"), -1, error), 0);
    ASSERT_EQ(AfxCloseZipFile(zip), 0);
    const std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QByteArray("there.crd"));
    EXPECT_TRUE(UnzipTestPasses(archive));
}

// Guards null handles, levels outside 0..9 and unusable archive paths.
TEST_F(ZipTest, InvalidArguments)
{
    const QString source = Source(QStringLiteral("a.crd"), QByteArray("abc"));
    QString error;
    EXPECT_EQ(AfxAddFileToZipFile(nullptr, source, QString(), -1, error), QV_ZIP_PARAMERROR);
    EXPECT_EQ(error, QStringLiteral("One or more parameters are invalid."));
    EXPECT_EQ(AfxCloseZipFile(nullptr), QV_ZIP_PARAMERROR);

    EXPECT_EQ(AfxOpenZipFile(QString()), nullptr);
    EXPECT_EQ(AfxOpenZipFile(Path(QStringLiteral("no/such/folder/a.zip"))), nullptr);
    EXPECT_EQ(AfxOpenZipFile(Path(QStringLiteral("a.zip")), 7), nullptr);
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("a.zip"))));

    void* zip = AfxOpenZipFile(Path(QStringLiteral("levels.zip")));
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(AfxAddFileToZipFile(zip, source, QString(), 10, error), QV_ZIP_PARAMERROR);
    EXPECT_EQ(AfxAddFileToZipFile(zip, source, QString(), -2, error), QV_ZIP_PARAMERROR);
    EXPECT_EQ(AfxCloseZipFile(zip), 0);
}

// Guards the fixed texts, and the runtime's text for -1 taken from errno at the time.
TEST(ZipErrorTextTest, Texts)
{
    EXPECT_EQ(AfxGetZipErrorText(0), QStringLiteral("OK."));
    EXPECT_EQ(AfxGetZipErrorText(-102), QStringLiteral("One or more parameters are invalid."));
    EXPECT_EQ(AfxGetZipErrorText(-103), QStringLiteral("Invalid zip file."));
    EXPECT_EQ(AfxGetZipErrorText(-104), QStringLiteral("Internal error."));
    EXPECT_EQ(AfxGetZipErrorText(-2), QStringLiteral("Unknown error."));
    EXPECT_EQ(AfxGetZipErrorText(1), QStringLiteral("Unknown error."));
    errno = ENOSPC;
    const QString noSpace = AfxGetZipErrorText(-1);
    errno = ENOENT;
    const QString noEntry = AfxGetZipErrorText(-1);
    EXPECT_EQ(noSpace, QString::fromLocal8Bit(std::strerror(ENOSPC)));
    EXPECT_EQ(noEntry, QString::fromLocal8Bit(std::strerror(ENOENT)));
}

// Guards the safe save: an archive that replaces an older one must not touch it until
// it is closed, and then replaces it rather than extending it.
TEST_F(ZipTest, NewArchiveReplacesTheOldOneOnlyWhenClosed)
{
    const QString archive = Path(QStringLiteral("backup.zip"));
    const QString first = Source(QStringLiteral("first.crd"), Pattern(3000, 1));
    const QString second = Source(QStringLiteral("second.crd"), Pattern(3000, 2));
    QString error;
    ASSERT_TRUE(AfxCompressFileToZipFile(first, archive, -1, error)) << error.toStdString();
    const QByteArray old = corda::test::ReadAll(archive);

    void* zip = AfxOpenZipFile(archive);
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(AfxAddFileToZipFile(zip, second, QStringLiteral("second.crd"), -1, error), 0);
    EXPECT_EQ(corda::test::ReadAll(archive), old) << "the old archive changed before the close";
    ASSERT_EQ(AfxCloseZipFile(zip), 0);

    const std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QByteArray("second.crd"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 4) << "a temporary file was left behind";
}

// Guards the one-file archive: the entry takes the file name without its folder, a
// missing source creates no archive, and a failure leaves an existing archive alone.
TEST_F(ZipTest, CompressFileToZipFile)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("Songs/Rock"));
    const QString source = Source(QStringLiteral("Songs/Rock/song.crd"), Pattern(20000, 9));
    const QString archive = Path(QStringLiteral("song.zip"));
    QString error;
    ASSERT_TRUE(AfxCompressFileToZipFile(source, archive, 5, error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(UnzipTestPasses(archive));
    std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QByteArray("song.crd"));
    EXPECT_EQ(entries[0].md5.toStdString(), corda::test::Md5sumOf(source));

    const QString other = Path(QStringLiteral("other.zip"));
    EXPECT_FALSE(AfxCompressFileToZipFile(Path(QStringLiteral("gone.crd")), other, -1, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(other));

    const QByteArray before = corda::test::ReadAll(archive);
    EXPECT_FALSE(AfxCompressFileToZipFile(Path(QStringLiteral("Songs")), archive, -1, error)); // a folder
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(corda::test::ReadAll(archive), before);
}

// Guards the append mode: entries added to an existing archive keep the old ones.
TEST_F(ZipTest, AddToExistingArchive)
{
    const QString archive = Path(QStringLiteral("grow.zip"));
    const QString first = Source(QStringLiteral("first.crd"), Pattern(7000, 11));
    const QString second = Source(QStringLiteral("second.crd"), Pattern(9000, 12));
    QString error;
    ASSERT_TRUE(AfxCompressFileToZipFile(first, archive, -1, error));

    void* zip = AfxOpenZipFile(archive, QV_ZIP_APPEND_ADDINZIP);
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(AfxAddFileToZipFile(zip, second, QStringLiteral("second.crd"), -1, error), 0);
    ASSERT_EQ(AfxCloseZipFile(zip), 0);

    EXPECT_TRUE(UnzipTestPasses(archive));
    const std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].md5.toStdString(), corda::test::Md5sumOf(first));
    EXPECT_EQ(entries[1].md5.toStdString(), corda::test::Md5sumOf(second));

    // Appending to something that is not an archive fails and leaves it as it was.
    const QString text = Source(QStringLiteral("notes.txt"), QByteArray("not a zip file"));
    EXPECT_EQ(AfxOpenZipFile(text, QV_ZIP_APPEND_ADDINZIP), nullptr);
    EXPECT_EQ(corda::test::ReadAll(text), QByteArray("not a zip file"));
}

// Files deflated ahead of their entry, on several threads at once, then written in raw
// mode: a wrong CRC or size in the entry, a stream cut short, a level that differs from
// the plain path's, or a file too large to hold that is lost instead of streamed would
// each show up against the same files added the plain way.
TEST_F(ZipTest, DeflatedAheadGivesTheSameEntriesAsThePlainPath)
{
    struct Item {
        QString source;
        QString name;
        int level;
    };
    std::vector<Item> items = {
        {Source(QStringLiteral("empty.crd"), QByteArray()), QStringLiteral("a/empty.crd"), -1},
        {Source(QStringLiteral("big.bin"), Pattern(300 * 1024, 9)), QStringLiteral("b/big.bin"), 9},
        {Source(QStringLiteral("stored.crd"), Pattern(7000, 4)), QStringLiteral("stored.crd"), 0},
        // Larger than the 64 KB the caller holds: added from its source.
        {Source(QStringLiteral("held-back.bin"), Pattern(200 * 1024, 2)), QStringLiteral("c/held.bin"), -1},
    };
    for (int i = 0; i < 24; ++i)
        items.push_back({Source(QStringLiteral("f%1.crd").arg(i), Pattern(1000 + i * 1500, 20 + i)),
                         QStringLiteral("many/f%1.crd").arg(i), i % 10 - 1});

    // Each file deflated on one of four threads, as the backup's helpers do.
    std::vector<CZipDeflatedFile> files(items.size());
    std::vector<int> results(items.size(), -1);
    std::vector<QString> errors(items.size());
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (size_t i = t; i < items.size(); i += 4)
                results[i] =
                    AfxDeflateFileForZip(items[i].source, items[i].level, 64 * 1024, files[i], errors[i]);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < items.size(); ++i) {
        ASSERT_EQ(results[i], 0) << items[i].name.toStdString() << ": " << errors[i].toStdString();
        EXPECT_EQ(files[i].m_bDeflated, QFileInfo(items[i].source).size() <= 64 * 1024) << i;
    }
    EXPECT_EQ(files[2].m_size, 7000u);

    const QString raw = Path(QStringLiteral("raw.zip"));
    const QString plain = Path(QStringLiteral("plain.zip"));
    void* rawZip = AfxOpenZipFile(raw);
    void* plainZip = AfxOpenZipFile(plain);
    ASSERT_NE(rawZip, nullptr);
    ASSERT_NE(plainZip, nullptr);
    for (size_t i = 0; i < items.size(); ++i) {
        QString error;
        EXPECT_EQ(AfxAddDeflatedFileToZipFile(rawZip, files[i], items[i].name, error), 0)
            << error.toStdString();
        EXPECT_EQ(AfxAddFileToZipFile(plainZip, items[i].source, items[i].name, items[i].level, error), 0);
    }
    ASSERT_EQ(AfxCloseZipFile(rawZip), 0);
    ASSERT_EQ(AfxCloseZipFile(plainZip), 0);

    EXPECT_TRUE(UnzipTestPasses(raw));
    const std::vector<Entry> rawEntries = Inspect(raw);
    const std::vector<Entry> plainEntries = Inspect(plain);
    ASSERT_EQ(rawEntries.size(), items.size());
    ASSERT_EQ(plainEntries.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(rawEntries[i].name, Ansi(items[i].name)) << i;
        EXPECT_EQ(rawEntries[i].md5.toStdString(), corda::test::Md5sumOf(items[i].source)) << i;
        EXPECT_EQ(rawEntries[i].method, 8);
        EXPECT_EQ(rawEntries[i].name, plainEntries[i].name);
    }
    // The compressed bytes are deflate's with the same parameters: the same sizes.
    int exitCode = -1;
    const QByteArray sizes = corda::test::RunCommand(
        QStringLiteral("python3 -c \"import sys, zipfile\nfor p in sys.argv[1:]: print([(i.compress_size, "
                       "i.flag_bits) for i in zipfile.ZipFile(p).infolist()])\" %1 %2")
            .arg(ShellQuote(raw), ShellQuote(plain)),
        &exitCode);
    ASSERT_EQ(exitCode, 0);
    const QList<QByteArray> lines = sizes.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], lines[1]);
}

// What cannot be deflated: a missing source is the internal error with the file's text,
// a bad level or handle the invalid-parameter code, and neither leaves an entry behind.
TEST_F(ZipTest, DeflatedAheadRefusesWhatCannotBeRead)
{
    CZipDeflatedFile file;
    QString error;
    EXPECT_EQ(AfxDeflateFileForZip(Path(QStringLiteral("missing.crd")), -1, 1 << 20, file, error), -104);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(file.m_bDeflated);
    const QString source = Source(QStringLiteral("one.crd"), Pattern(100, 1));
    EXPECT_EQ(AfxDeflateFileForZip(source, 10, 1 << 20, file, error), -102);
    EXPECT_EQ(AfxAddDeflatedFileToZipFile(nullptr, file, QStringLiteral("x"), error), -102);

    const QString archive = Path(QStringLiteral("one.zip"));
    void* zip = AfxOpenZipFile(archive);
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(AfxDeflateFileForZip(source, 6, 1 << 20, file, error), 0);
    EXPECT_EQ(AfxAddDeflatedFileToZipFile(zip, file, QString(), error), 0);
    ASSERT_EQ(AfxCloseZipFile(zip), 0);
    const std::vector<Entry> entries = Inspect(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, Ansi(source)) << "an empty name stands for the source path";
}
