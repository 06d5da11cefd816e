#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include <QFile>
#include <QTemporaryDir>

#include "input/ListFileLoading.h"
#include "input/NumberListModel.h"

// Loading big number list files: 1,000,000 decimal lines must load in under
// a second, 1,000,000 hexadecimal lines of 16 digits in under 1.5 seconds.
namespace {

using quillora::Base;

class SilentDialogs : public quillora::Dialogs {
  public:
    void message(const QString&, const QString&, quillora::MessageIcon) override {}
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList openFiles(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&) override { return {}; }
};

constexpr int kLines = 1'000'000;

QString WriteListFile(const QTemporaryDir& dir, const char* name, Base base) {
    std::mt19937_64 random(42);
    std::string text;
    text.reserve(kLines * 20);
    char line[32];
    for (int i = 0; i < kLines; ++i) {
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

void LoadMillionLines(benchmark::State& state, Base base, const char* name = "list.txt",
                      int expected = kLines) {
    const QTemporaryDir dir;
    const QString path = WriteListFile(dir, name, base);
    SilentDialogs dialogs;
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
        static_cast<double>(kLines), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LoadDecimalFile(benchmark::State& state) {
    LoadMillionLines(state, Base::Decimal);
}
void BM_LoadHexadecimalFile(benchmark::State& state) {
    LoadMillionLines(state, Base::Hexadecimal);
}
void BM_LoadRejectedLines(benchmark::State& state) {
    LoadMillionLines(state, Base::Decimal, "x.txt", 0);
}

BENCHMARK(BM_LoadDecimalFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadHexadecimalFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadRejectedLines)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
