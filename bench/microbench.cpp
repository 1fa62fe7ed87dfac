// The in-process operations of the library timed with Google Benchmark: loading and
// saving a library database, sorting and filtering its songs, a search keystroke as the
// lists run it, and MD5 of one large file.
//
// Inputs come from the environment so that the same binary serves any corpus:
//   CORDA_BENCH_LIBRARY   a library.cordb (the database benchmarks)
//   CORDA_BENCH_WORK      a folder for the saved copies (default: the system temp folder)
//   CORDA_BENCH_SEARCH    the search text (default "the")
//   CORDA_BENCH_MD5_FILE  the file of the MD5 benchmark
// A benchmark whose input is not given is not registered. Every benchmark runs its
// operation once untimed first, so each repetition sees warm caches and a built collation.
#include "cordalib/app/DatabaseFile.h"
#include "cordalib/app/HeapSetup.h"
#include "cordalib/app/RecordSearch.h"
#include "cordalib/library/LibraryDatabase.h"
#include "cordalib/library/Recordset.h"
#include "cordalib/library/SongSortOrder.h"
#include "cordalib/library/SongValueGroups.h"
#include "qvsystem/platform/CodePage.h"
#include "qvsystem/system/MD5.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

double Now()
{
    timespec t = {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

QString Env(const char* name, const char* fallback = "")
{
    const char* value = std::getenv(name);
    return QString::fromLocal8Bit(value && *value ? value : fallback);
}

void Fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "microbench: %s: %s\n", what, detail.toLocal8Bit().constData());
    std::exit(1);
}

// The library every browsing benchmark works on, loaded once.
CLibraryDatabase& Library()
{
    static std::unique_ptr<CLibraryDatabase> database;
    if (!database) {
        database = std::make_unique<CLibraryDatabase>();
        QString error;
        if (!DatabaseFile::Load(*database, Env("CORDA_BENCH_LIBRARY"),
                                DatabaseFile::ErrorSink{false, &error}))
            Fail("cannot load the library", error);
    }
    return *database;
}

// Runs the setup (untimed) and the timed operation once per iteration, after one untimed
// warm-up round the first time a benchmark is called.
void Measure(benchmark::State& state, const char* key, const std::function<void()>& setup,
             const std::function<void()>& operation)
{
    static std::set<std::string> warmed;
    if (warmed.insert(key).second) {
        setup();
        operation();
    }
    for (auto _ : state) {
        setup();
        const double start = Now();
        operation();
        state.SetIterationTime(Now() - start);
    }
}

void DatabaseLoad(benchmark::State& state)
{
    const QString path = Env("CORDA_BENCH_LIBRARY");
    std::unique_ptr<CLibraryDatabase> database;
    size_t records = 0;
    Measure(
        state, "load",
        [&] {
            // The previous copy is freed before the clock starts.
            database.reset();
            database = std::make_unique<CLibraryDatabase>();
        },
        [&] {
            QString error;
            if (!DatabaseFile::Load(*database, path, DatabaseFile::ErrorSink{false, &error}))
                Fail("load failed", error);
            records = database->GetSongCount() + database->GetLessonCount();
        });
    state.counters["records"] = static_cast<double>(records);
}

void DatabaseSave(benchmark::State& state)
{
    const QString target = QDir(Env("CORDA_BENCH_WORK", QDir::tempPath().toLocal8Bit().constData()))
                               .filePath(QStringLiteral("microbench-save.cordb"));
    CLibraryDatabase& database = Library();
    Measure(
        state, "save", [] {},
        [&] {
            QString error;
            if (!DatabaseFile::Save(database, target, QStringLiteral("Corda Librarian benchmark"),
                                    DatabaseFile::ErrorSink{false, &error}))
                Fail("save failed", error);
        });
    state.counters["bytes"] = static_cast<double>(QFile(target).size());
    QFile::remove(target);
}

void SortSongs(benchmark::State& state, const char* name, int column)
{
    CLibraryDatabase& database = Library();
    CSongRecordset recordset;
    Measure(
        state, name,
        [&] {
            // Every sort starts from the library's own order, as a list's first sort does.
            recordset.Clear();
            for (CSongRecord* song : database.GetSongs())
                recordset.Add(song);
        },
        [&] { recordset.Sort(column, true, true); });
    state.counters["rows"] = static_cast<double>(recordset.GetCount());
}

// The artist that most songs share, so that the filter has a real subset to sort.
std::string CommonArtist(const CLibraryDatabase& database)
{
    std::map<std::string, size_t> counts;
    for (const CSongRecord* song : database.GetSongs())
        ++counts[song->GetArtist()];
    std::string best;
    size_t bestCount = 0;
    for (const auto& [artist, count] : counts) {
        if (count > bestCount) {
            best = artist;
            bestCount = count;
        }
    }
    return best;
}

void FilterArtist(benchmark::State& state)
{
    CLibraryDatabase& database = Library();
    const std::string artist = CommonArtist(database);
    CSongRecordset recordset;
    for (CSongRecord* song : database.GetSongs())
        recordset.Add(song);
    recordset.Sort(songFieldTitle, true, true);
    Measure(
        state, "filter", [&] { recordset.Filter(SUMMARY_KEY_ALL, SUMMARY_KEY_ALL, true); },
        [&] { recordset.Filter(artist.c_str(), SUMMARY_KEY_ALL, true); });
    state.counters["rows"] = static_cast<double>(recordset.GetCount());
}

// One keystroke in the song list's search: the base set rebuilt from the whole library,
// both summary boxes rebuilt from it (their keys stay "all", so no summary filter) and
// the rows re-sorted by title. The list keeps its search index between keystrokes; with
// fresh, every keystroke first makes the index anew, as the first one after the library
// changed does.
void SearchKeystroke(benchmark::State& state, const char* key, bool fresh)
{
    CLibraryDatabase& database = Library();
    const std::string text = AfxUnicodeToAnsi(Env("CORDA_BENCH_SEARCH", "the"));
    // Google Benchmark calls this once per repetition: the list's index outlives them.
    // So does the list's order of all songs by its sort column.
    static std::map<std::string, std::unique_ptr<CRecordSearchIndex>> indexes;
    static std::map<std::string, std::unique_ptr<CSongSortOrder>> orders;
    static std::map<std::string, std::unique_ptr<CSongValueGroups>> groupings;
    std::unique_ptr<CRecordSearchIndex>& index = indexes[key];
    std::unique_ptr<CSongSortOrder>& order = orders[key];
    std::unique_ptr<CSongValueGroups>& groups = groupings[key];
    if (!index)
        index = std::make_unique<CRecordSearchIndex>();
    if (!order)
        order = std::make_unique<CSongSortOrder>();
    if (!groups)
        groups = std::make_unique<CSongValueGroups>();
    std::vector<CSongRecord*> matches;
    CSongRecordset recordset;
    CArtistSummaryRecordset artists;
    CAlbumSummaryRecordset albums;
    Measure(
        state, key,
        [&] {
            recordset.Clear();
            if (fresh) {
                index = std::make_unique<CRecordSearchIndex>();
                order = std::make_unique<CSongSortOrder>();
                groups = std::make_unique<CSongValueGroups>();
            }
            order->SetDatabase(&database);
            groups->SetDatabase(&database);
            recordset.SetOrderSource(order.get());
        },
        [&] {
            index->FindSongs(database, text, songSearchAll, matches);
            for (CSongRecord* song : matches)
                recordset.Add(song);
            artists.Build(recordset.GetAllEntries(), groups.get());
            albums.Build(recordset.GetAllEntries(), groups.get());
            recordset.Sort(songFieldTitle, true, true);
        });
    state.counters["matches"] = static_cast<double>(recordset.GetCount());
    state.counters["artists"] = static_cast<double>(artists.GetCount());
    state.counters["albums"] = static_cast<double>(albums.GetCount());
}

// The first keystroke after one record was edited: before each timed keystroke one song's
// title changes (alternately gaining and losing a suffix that holds no search text) and
// the database is told which record changed, as an edit does; the list keeps its index.
// Afterwards the matches are checked against the record-by-record search.
void SearchKeystrokeAfterEdit(benchmark::State& state)
{
    CLibraryDatabase& database = Library();
    const std::string text = AfxUnicodeToAnsi(Env("CORDA_BENCH_SEARCH", "the"));
    static CRecordSearchIndex index;
    static CSongSortOrder order;
    static CSongValueGroups groups;
    std::vector<CSongRecord*> matches;
    CSongRecordset recordset;
    CArtistSummaryRecordset artists;
    CAlbumSummaryRecordset albums;
    order.SetDatabase(&database);
    groups.SetDatabase(&database);
    recordset.SetOrderSource(&order);
    if (database.GetSongCount() == 0)
        Fail("edit benchmark", QStringLiteral("the library has no songs"));
    CSongRecord* edited = database.GetSongs()[database.GetSongCount() / 2];
    const std::string original = edited->GetTitle();
    bool suffixed = false;
    Measure(
        state, "search/edited",
        [&] {
            recordset.Clear();
            suffixed = !suffixed;
            edited->SetTitle(suffixed ? original + " (live)" : original);
            database.NoteSongChanged(edited);
        },
        [&] {
            index.FindSongs(database, text, songSearchAll, matches);
            for (CSongRecord* song : matches)
                recordset.Add(song);
            artists.Build(recordset.GetAllEntries(), &groups);
            albums.Build(recordset.GetAllEntries(), &groups);
            recordset.Sort(songFieldTitle, true, true);
        });
    size_t expected = 0;
    bool same = true;
    for (CSongRecord* song : database.GetSongs()) {
        if (SongMatchesSearch(*song, text, songSearchAll))
            same = same && expected < matches.size() && matches[expected++] == song;
    }
    same = same && expected == matches.size();
    edited->SetTitle(original);
    database.NoteSongChanged(edited);
    state.counters["matches"] = static_cast<double>(recordset.GetCount());
    state.counters["same"] = same ? 1 : 0;
    state.counters["builds"] = static_cast<double>(index.GetBuildCount());
    state.counters["updates"] = static_cast<double>(index.GetUpdateCount());
    state.counters["order_builds"] = static_cast<double>(order.GetBuildCount());
    state.counters["order_updates"] = static_cast<double>(order.GetUpdateCount());
}

void FileMD5(benchmark::State& state)
{
    const QString path = Env("CORDA_BENCH_MD5_FILE");
    std::string checksum;
    Measure(
        state, "md5", [] {},
        [&] {
            if (!AfxGenerateFileMD5Checksum(path, checksum))
                Fail("cannot read", path);
        });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * QFile(path).size());
    state.SetLabel(checksum);
}

void Register(const char* name, const std::function<void(benchmark::State&)>& function)
{
    benchmark::RegisterBenchmark(name, function)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    // As the programs do, so that loading measures what they see.
    PrepareHeapForLibrary();
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    if (!Env("CORDA_BENCH_LIBRARY").isEmpty()) {
        Register("DatabaseLoad", DatabaseLoad);
        Register("DatabaseSave", DatabaseSave);
        Register("SortSongs/title",
                 [](benchmark::State& state) { SortSongs(state, "sort/title", songFieldTitle); });
        Register("SortSongs/artist",
                 [](benchmark::State& state) { SortSongs(state, "sort/artist", songFieldArtist); });
        Register("SortSongs/year",
                 [](benchmark::State& state) { SortSongs(state, "sort/year", songFieldYear); });
        Register("FilterArtist", FilterArtist);
        Register("SearchKeystroke", [](benchmark::State& state) { SearchKeystroke(state, "search", false); });
        Register("SearchKeystrokeFirst",
                 [](benchmark::State& state) { SearchKeystroke(state, "search/first", true); });
        Register("SearchKeystrokeAfterEdit", SearchKeystrokeAfterEdit);
    }
    if (!Env("CORDA_BENCH_MD5_FILE").isEmpty())
        Register("FileMD5", FileMD5);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
