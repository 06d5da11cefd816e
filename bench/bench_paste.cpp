#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include <QString>

#include "input/NumberListModel.h"
#include "input/PastedNumbers.h"

// Pasting or dropping a million lines of numbers must take under a second,
// from the clipboard's text to the entries in the list.
namespace {

using quillora::Base;

constexpr int kLines = 1'000'000;

QString MillionLines(Base base, const char* lineEnd) {
    std::mt19937_64 random(7);
    QString text;
    text.reserve(kLines * 20);
    char line[40];
    for (int i = 0; i < kLines; ++i) {
        const unsigned long long value = random();
        const int n =
            base == Base::Hexadecimal
                ? std::snprintf(line, sizeof line, "%016llx%s", value, lineEnd)
                : std::snprintf(line, sizeof line, "%llu%s", value % 1'000'000'000ULL, lineEnd);
        text.append(QLatin1String(line, n));
    }
    return text;
}

void PasteMillionLines(benchmark::State& state, Base base, const char* lineEnd) {
    const QString text = MillionLines(base, lineEnd);
    for (auto _ : state) {
        quillora::NumberListModel list;
        if (quillora::AddPastedText(list, base, text) != kLines) {
            state.SkipWithError("not every line was added");
            break;
        }
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["lines_per_second"] = benchmark::Counter(
        static_cast<double>(kLines), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PasteDecimalLines(benchmark::State& state) {
    PasteMillionLines(state, Base::Decimal, "\r\n");
}
void BM_PasteHexadecimalLines(benchmark::State& state) {
    PasteMillionLines(state, Base::Hexadecimal, "\n");
}
void BM_PasteDecimalCommaSeparated(benchmark::State& state) {
    PasteMillionLines(state, Base::Decimal, ", ");
}

BENCHMARK(BM_PasteDecimalLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PasteHexadecimalLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PasteDecimalCommaSeparated)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
