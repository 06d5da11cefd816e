#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include <QFile>
#include <QTemporaryDir>

#include "input/ListFileLoading.h"
#include "input/NumberListModel.h"
#include "support/QuietPorts.h"

// Loading big number list files of a million and of ten million lines,
// decimal and hexadecimal of 16 digits, lines no base takes, and a sparse file
// of 2 GB that holds nothing but zeros.
namespace {

using quillora::Base;
using quillora::testing::GapPump;
using quillora::testing::QuietDialogs;

constexpr int kMillion = 1'000'000;

QString WriteListFile(const QTemporaryDir& dir, const char* name, Base base, int lines) {
    std::mt19937_64 random(42);
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * 20);
    char line[32];
    for (int i = 0; i < lines; ++i) {
        const unsigned long long value = random();
        if (name[0] == 'x') {  // lines no base takes: the cost of rejecting
            text.append("x1y2z3\r\n");
            continue;
        }
        const int n = base == Base::Hexadecimal
                          ? std::snprintf(line, sizeof line, "%016llx\r\n", value)
                          : std::snprintf(line, sizeof line, "%llu\r\n", value % 1'000'000'000ULL);
        text.append(line, static_cast<std::size_t>(n));
    }
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size())) {
        std::abort();
    }
    return path;
}

void LoadLines(benchmark::State& state, Base base, int lines, const char* name = "list.txt",
               bool accepted = true) {
    const QTemporaryDir dir;
    const QString path = WriteListFile(dir, name, base, lines);
    const int expected = accepted ? lines : 0;
    QuietDialogs dialogs;
    std::size_t bytesPerEntry = 0;
    for (auto _ : state) {
        quillora::NumberListModel list;
        const int loaded = quillora::LoadListFile(list, path, base, dialogs);
        if (loaded != expected) {
            state.SkipWithError("not every line loaded");
            break;
        }
        bytesPerEntry = loaded == 0 ? 0 : list.memoryBytes() / static_cast<std::size_t>(loaded);
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["list_bytes_per_entry"] = static_cast<double>(bytesPerEntry);
    state.counters["lines_per_second"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadDecimalFile(benchmark::State& state) {
    LoadLines(state, Base::Decimal, kMillion);
}
void BM_LoadHexadecimalFile(benchmark::State& state) {
    LoadLines(state, Base::Hexadecimal, kMillion);
}
void BM_LoadRejectedLines(benchmark::State& state) {
    LoadLines(state, Base::Decimal, kMillion, "x.txt", false);
}
void BM_LoadDecimalFileTenMillion(benchmark::State& state) {
    LoadLines(state, Base::Decimal, 10 * kMillion);
}
void BM_LoadHexadecimalFileTenMillion(benchmark::State& state) {
    LoadLines(state, Base::Hexadecimal, 10 * kMillion);
}

// A 2 GB file of zeros that takes no disk: nothing to load, but every byte to read.
void BM_LoadSparseTwoGigabyteFile(benchmark::State& state) {
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sparse.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64{2} << 30)) {
            state.SkipWithError("cannot make the sparse file");
            return;
        }
    }
    QuietDialogs dialogs;
    GapPump pump;
    quillora::ListLoadOptions options;
    options.pump = &pump;
    double longest = 0;
    for (auto _ : state) {
        quillora::NumberListModel list;
        pump.start();
        benchmark::DoNotOptimize(
            quillora::LoadListFile(list, path, Base::Decimal, dialogs, options));
        pump.processEvents();  // the load's end counts as the window's next turn
        longest = std::max(longest, pump.longestMs());
    }
    state.counters["longest_pump_gap_ms"] = longest;
}

BENCHMARK(BM_LoadDecimalFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadHexadecimalFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadRejectedLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadDecimalFileTenMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_LoadHexadecimalFileTenMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_LoadSparseTwoGigabyteFile)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
