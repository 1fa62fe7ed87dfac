// Helpers of the comparison script, built on the library's own code:
//
//   benchtool dbpath
//       the database path that cordalib-cli uses in the current environment
//   benchtool export LIBRARY.cordb FOLDER
//       writes the baselines' inputs for that library into FOLDER:
//       searched.tsv  the seven searched song fields, tab-separated, one song a line (UTF-8)
//       titles.txt    the song titles, one a line (UTF-8)
//       library.sqlite  tables songs and lessons with every stored field of every record
//       and prints "songs N lessons M"
#include "cordalib/app/CordaLibrarianApp.h"
#include "cordalib/app/DatabaseFile.h"
#include "cordalib/library/LibraryDatabase.h"
#include "qvsystem/platform/CodePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

int Fail(const QString& text)
{
    std::fprintf(stderr, "benchtool: %s\n", text.toLocal8Bit().constData());
    return 1;
}

// A field as one UTF-8 cell: a tab or line break inside a text would split the row and
// change what grep counts, so they become spaces.
QByteArray Cell(std::string_view text)
{
    QByteArray utf8 = AfxAnsiToUnicode(text).toUtf8();
    for (char& c : utf8) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return utf8;
}

int PrintDatabasePath()
{
    CCordaLibrarianApp app;
    app.SetApplicationDataFolderNames();
    if (!app.SetRegistryLocation() || !app.LoadFileLocations())
        return Fail(QStringLiteral("the file locations cannot be set up"));
    std::printf("%s\n", app.GetDefaultDatabasePath().toLocal8Bit().constData());
    return 0;
}

class CSqliteWriter {
public:
    explicit CSqliteWriter(const QString& path)
    {
        QFile::remove(path);
        if (sqlite3_open(path.toLocal8Bit().constData(), &m_db) != SQLITE_OK)
            m_failed = true;
    }
    ~CSqliteWriter()
    {
        sqlite3_finalize(m_statement);
        sqlite3_close(m_db);
    }
    CSqliteWriter(const CSqliteWriter&) = delete;
    CSqliteWriter& operator=(const CSqliteWriter&) = delete;

    bool Execute(const char* sql)
    {
        if (!m_failed && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            m_failed = true;
        return !m_failed;
    }
    bool Prepare(const char* sql)
    {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        if (!m_failed && sqlite3_prepare_v2(m_db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_failed = true;
        m_column = 0;
        return !m_failed;
    }
    void Bind(std::string_view text)
    {
        const QByteArray utf8 = AfxAnsiToUnicode(text).toUtf8();
        sqlite3_bind_text(m_statement, ++m_column, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }
    void Bind(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, ++m_column, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }
    void Bind(int64_t value) { sqlite3_bind_int64(m_statement, ++m_column, value); }
    void Bind(double value) { sqlite3_bind_double(m_statement, ++m_column, value); }
    bool Step()
    {
        if (!m_failed && sqlite3_step(m_statement) != SQLITE_DONE)
            m_failed = true;
        sqlite3_reset(m_statement);
        m_column = 0;
        return !m_failed;
    }
    QString Error() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("no database");
    }
    bool Failed() const { return m_failed; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    int m_column = 0;
    bool m_failed = false;
};

bool WriteSqlite(const CLibraryDatabase& database, const QString& path, QString& error)
{
    CSqliteWriter db(path);
    db.Execute("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;");
    db.Execute("CREATE TABLE songs (id INTEGER PRIMARY KEY, title TEXT, artist TEXT, album TEXT, year "
               "INTEGER, traditional INTEGER, composer TEXT, lyricist TEXT, arranger TEXT, transcriber "
               "TEXT, copyright TEXT, path TEXT, dateAddedStatus INTEGER, dateAdded REAL, lastWriteTime "
               "INTEGER, checksum TEXT, rating INTEGER)");
    db.Execute("CREATE TABLE lessons (id INTEGER PRIMARY KEY, title TEXT, subtitle TEXT, style INTEGER, "
               "level INTEGER, author TEXT, copyright TEXT, path TEXT, dateAddedStatus INTEGER, dateAdded "
               "REAL, lastWriteTime INTEGER, checksum TEXT, rating INTEGER)");
    db.Prepare("INSERT INTO songs VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (const CSongRecord* s : database.GetSongs()) {
        if (db.Failed())
            break;
        db.Bind(static_cast<int64_t>(s->m_id));
        db.Bind(s->m_title);
        db.Bind(s->m_artist);
        db.Bind(s->m_album);
        db.Bind(int64_t{s->m_year});
        db.Bind(int64_t{s->m_traditional ? 1 : 0});
        db.Bind(s->m_composer);
        db.Bind(s->m_lyricist);
        db.Bind(s->m_arranger);
        db.Bind(s->m_transcriber);
        db.Bind(s->m_copyright);
        db.Bind(s->m_path);
        db.Bind(int64_t{s->m_dateAdded.GetStatus()});
        db.Bind(s->m_dateAdded.m_dt);
        db.Bind(static_cast<int64_t>(s->m_lastWriteTime));
        db.Bind(s->m_checksum);
        db.Bind(int64_t{s->m_rating});
        db.Step();
    }
    db.Prepare("INSERT INTO lessons VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (const CLessonRecord* l : database.GetLessons()) {
        if (db.Failed())
            break;
        db.Bind(static_cast<int64_t>(l->m_id));
        db.Bind(l->m_title);
        db.Bind(l->m_subtitle);
        db.Bind(int64_t{l->m_style});
        db.Bind(int64_t{l->m_level});
        db.Bind(l->m_author);
        db.Bind(l->m_copyright);
        db.Bind(l->m_path);
        db.Bind(int64_t{l->m_dateAdded.GetStatus()});
        db.Bind(l->m_dateAdded.m_dt);
        db.Bind(static_cast<int64_t>(l->m_lastWriteTime));
        db.Bind(l->m_checksum);
        db.Bind(int64_t{l->m_rating});
        db.Step();
    }
    db.Execute("COMMIT;");
    if (db.Failed()) {
        error = db.Error();
        return false;
    }
    return true;
}

bool WriteText(const QString& path, const QByteArray& bytes, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

int Export(const QString& libraryPath, const QString& folder)
{
    CLibraryDatabase database;
    QString error;
    if (!DatabaseFile::Load(database, libraryPath, DatabaseFile::ErrorSink{false, &error}))
        return Fail(error.isEmpty() ? libraryPath + QStringLiteral(": no such file") : error);
    QDir().mkpath(folder);
    const QDir dir(folder);

    QByteArray searched;
    QByteArray titles;
    for (const CSongRecord* s : database.GetSongs()) {
        const std::string_view fields[] = {s->m_title,    s->m_artist,   s->m_album,      s->m_composer,
                                           s->m_lyricist, s->m_arranger, s->m_transcriber};
        for (size_t i = 0; i < std::size(fields); ++i) {
            if (i > 0)
                searched += '\t';
            searched += Cell(fields[i]);
        }
        searched += '\n';
        titles += Cell(s->m_title);
        titles += '\n';
    }
    if (!WriteText(dir.filePath(QStringLiteral("searched.tsv")), searched, error) ||
        !WriteText(dir.filePath(QStringLiteral("titles.txt")), titles, error) ||
        !WriteSqlite(database, dir.filePath(QStringLiteral("library.sqlite")), error))
        return Fail(error);
    std::printf("songs %zu lessons %zu\n", database.GetSongCount(), database.GetLessonCount());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && arguments[1] == QLatin1String("dbpath"))
        return PrintDatabasePath();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("export"))
        return Export(arguments[2], arguments[3]);
    std::fprintf(stderr, "usage: benchtool dbpath | benchtool export LIBRARY.cordb FOLDER\n");
    return 2;
}
