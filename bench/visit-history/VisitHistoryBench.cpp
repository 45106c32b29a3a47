// One visit-history question at growing table sizes, with and without the index on taskid.
// Run: bench_visit_history [--benchmark_filter=...]

#include "Clock.h"
#include "Database.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <random>

namespace {

constexpr int kVisitsPerTask = 3;

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A history file of the given size as years of use leave it: every task visited a few times.
QString historyFile(int rows, bool bIndexed)
{
    const QString file = workDir().filePath(QStringLiteral("data-%1-%2.db").arg(rows).arg(bIndexed));
    if (QFile::exists(file))
        return file;
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "create table TaskInfo(ID integer PRIMARY KEY AUTOINCREMENT,  taskid integer,  lastclicktime string);"
                 "BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO TaskInfo (taskid,lastclicktime) VALUES(?,'2015-10-24 09:05:07')", -1, &insert,
                       nullptr);
    std::mt19937 random(7);
    const int tasks = std::max(1, rows / kVisitsPerTask);
    for (int row = 0; row < rows; ++row) {
        sqlite3_bind_int(insert, 1, int(random() % unsigned(tasks)));
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (bIndexed) {
        SystemClock clock;
        Tdm_Database store(file, clock);
        store.CheckDb();
    }
    return file;
}

void BM_HasViewedInTaskInterval(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const bool bIndexed = state.range(1) != 0;
    SystemClock clock;
    Tdm_Database store(historyFile(rows, bIndexed), clock);
    store.ConnectDb();
    std::mt19937 random(11);
    const int tasks = std::max(1, rows / kVisitsPerTask);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.bHasViewedInTaskInterval(int(random() % unsigned(tasks))));
    state.SetLabel(bIndexed ? "with index" : "without index");
}

BENCHMARK(BM_HasViewedInTaskInterval)
    ->ArgsProduct({{1'000, 100'000, 1'000'000}, {0, 1}})
    ->ArgNames({"rows", "indexed"})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
