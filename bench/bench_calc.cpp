// A calculation run over a list of a million and of ten million entries,
// decimal and hexadecimal, with a pump that does nothing but note when it was called:
// the run's time, the longest stretch the window would go without answering,
// and what the list costs per entry.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <optional>

#include "app/Form1.h"

#include "calc/CalculationRun.h"
#include "calc/EntryReading.h"
#include "calc/ExactFold.h"
#include "calc/FourOperations.h"
#include "engine/EngineError.h"
#include "input/NumberListModel.h"
#include "support/QuietPorts.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace quillora;
using namespace quillora::testing;

constexpr int kMillion = 1'000'000;

// Deterministic spread of values, so neither list is a row of repeats.
std::uint64_t Next(std::uint64_t& state) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return state;
}

// The entries go straight into one batch: ten million separate strings would
// cost the benchmark more memory than the list it measures.
EntryBatch DecimalEntries(int count) {
    EntryBatch entries;
    std::uint64_t state = 1;
    for (int i = 0; i < count; ++i) {
        entries.add(std::to_string(Next(state) % 1'000'000'000));
    }
    return entries;
}

EntryBatch HexadecimalEntries(int count) {
    EntryBatch entries;
    std::uint64_t state = 7;
    char digits[17];
    for (int i = 0; i < count; ++i) {
        // The top nibble is at least 1, so every entry has all 16 digits.
        const std::uint64_t value = Next(state) | (std::uint64_t{1} << 60);
        std::snprintf(digits, sizeof digits, "%016llX", static_cast<unsigned long long>(value));
        entries.add(digits);
    }
    return entries;
}

// exact: the run folds exactly beside its doubles, as the window's runs do.
void RunOver(benchmark::State& state, Base base, const EntryBatch& entries, bool exact = false) {
    NumberListModel list;
    list.appendMany(entries);
    const FakeBaseFlags flags(base);
    ResultsTableModel results;
    QuietPointer pointer;
    BusyState busy{pointer};
    QuietProgress progress;
    GapPump pump;
    QuietDialogs dialogs;
    CountingReport report;
    int exactRuns = 0;
    CalculationContext context{
        list, flags, results, {dialogs, pointer, busy, progress, pump, report}};
    if (exact) {
        context.exactResults = [&](const ExactResults&) { ++exactRuns; };
    }
    double longest = 0;
    for (auto _ : state) {
        pump.start();
        RunCalculation(context);
        longest = std::max(longest, pump.longestMs());
    }
    if (results.count() != 4 || (exact && exactRuns == 0)) {
        state.SkipWithError("the run did not fill the results table");
    }
    state.counters["longest_pump_gap_ms"] = longest;
    state.counters["list_bytes_per_entry"] =
        static_cast<double>(list.memoryBytes()) / static_cast<double>(list.count());
    state.counters["reports"] = report.count;
    state.SetItemsProcessed(state.iterations() * list.count());
}

void BM_RunDecimalMillion(benchmark::State& state) {
    RunOver(state, Base::Decimal, DecimalEntries(kMillion));
}

void BM_RunHexadecimalMillion(benchmark::State& state) {
    RunOver(state, Base::Hexadecimal, HexadecimalEntries(kMillion));
}

void BM_RunDecimalTenMillion(benchmark::State& state) {
    RunOver(state, Base::Decimal, DecimalEntries(10 * kMillion));
}

void BM_RunHexadecimalTenMillion(benchmark::State& state) {
    RunOver(state, Base::Hexadecimal, HexadecimalEntries(10 * kMillion));
}

// The same runs with the exact fold beside the doubles, as the window runs
// them: what it costs shows against the runs above, in the same program.
void BM_RunExactDecimalMillion(benchmark::State& state) {
    RunOver(state, Base::Decimal, DecimalEntries(kMillion), true);
}

void BM_RunExactHexadecimalMillion(benchmark::State& state) {
    RunOver(state, Base::Hexadecimal, HexadecimalEntries(kMillion), true);
}

void BM_RunExactDecimalTenMillion(benchmark::State& state) {
    RunOver(state, Base::Decimal, DecimalEntries(10 * kMillion), true);
}

void BM_RunExactHexadecimalTenMillion(benchmark::State& state) {
    RunOver(state, Base::Hexadecimal, HexadecimalEntries(10 * kMillion), true);
}

BENCHMARK(BM_RunDecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RunHexadecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RunDecimalTenMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RunHexadecimalTenMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RunExactDecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RunExactHexadecimalMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_RunExactDecimalTenMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_RunExactHexadecimalTenMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The exact fold alone, entry by entry as the run would call it: what it adds to
// a run's time per entry. Beside it the double fold alone, read the way the run
// reads, for the scale.
void ExactFoldOver(benchmark::State& state, Base base, const EntryBatch& entries) {
    NumberListModel list;
    list.appendMany(entries);
    const NumberSource& source = list;
    bool productOver = false;
    for (auto _ : state) {
        ExactFold fold(ReadExact(source.entry(0), base).value());
        for (int i = 1; i < source.count(); ++i) {
            if (const std::optional<ExactNumber> x = ReadExact(source.entry(i), base)) {
                fold.fold(*x);
            }
        }
        const ExactResults results = fold.results();
        productOver = results.product.overBound();
        benchmark::DoNotOptimize(results);
    }
    state.counters["product_over_bound"] = productOver;
    state.counters["ns_per_entry"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * source.count(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(state.iterations() * source.count());
}

void DoubleFoldOver(benchmark::State& state, Base base, const EntryBatch& entries) {
    NumberListModel list;
    list.appendMany(entries);
    const NumberSource& source = list;
    for (auto _ : state) {
        Accumulators acc;
        acc.sum = acc.difference = acc.product = acc.quotient = ReadEntry(source.entry(0), base);
        for (int i = 1; i < source.count(); ++i) {
            const double x = ReadWorkingValue(source.entry(i), base).value();
            AddTo(acc.sum, x);
            SubtractFrom(acc.difference, x);
            try {
                MultiplyInto(acc.product, x);  // the product overflows early and for good
            } catch (const EngineError&) {
            }
            if (DividesQuotient(x)) {
                try {
                    DivideInto(acc.quotient, x);
                } catch (const EngineError&) {
                }
            }
        }
        benchmark::DoNotOptimize(acc);
    }
    state.counters["ns_per_entry"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * source.count(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A million threes: the product passes the bound two thirds of the way along, and
// every factor leaves its size half known (log2 3 between its bounds 1 and 2), so
// the size is measured as often as the bound check ever needs it.
EntryBatch Threes(int count) {
    EntryBatch entries;
    for (int i = 0; i < count; ++i) {
        entries.add("3");
    }
    return entries;
}

void BM_ExactFoldHexadecimalMillion(benchmark::State& state) {
    ExactFoldOver(state, Base::Hexadecimal, HexadecimalEntries(kMillion));
}
void BM_ExactFoldHexadecimalTenMillion(benchmark::State& state) {
    ExactFoldOver(state, Base::Hexadecimal, HexadecimalEntries(10 * kMillion));
}
void BM_ExactFoldDecimalMillion(benchmark::State& state) {
    ExactFoldOver(state, Base::Decimal, DecimalEntries(kMillion));
}
void BM_ExactFoldProductPastBoundMillion(benchmark::State& state) {
    ExactFoldOver(state, Base::Decimal, Threes(kMillion));
}
void BM_DoubleFoldHexadecimalMillion(benchmark::State& state) {
    DoubleFoldOver(state, Base::Hexadecimal, HexadecimalEntries(kMillion));
}
void BM_DoubleFoldDecimalMillion(benchmark::State& state) {
    DoubleFoldOver(state, Base::Decimal, DecimalEntries(kMillion));
}

// The worst of the bound check in a whole run: a million entries whose
// product passes the bound early on, beside the same run without it.
void BM_RunProductPastBoundMillion(benchmark::State& state) {
    RunOver(state, Base::Decimal, Threes(kMillion));
}
void BM_RunExactProductPastBoundMillion(benchmark::State& state) {
    RunOver(state, Base::Decimal, Threes(kMillion), true);
}

BENCHMARK(BM_ExactFoldHexadecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExactFoldHexadecimalTenMillion)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ExactFoldDecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ExactFoldProductPastBoundMillion)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DoubleFoldHexadecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DoubleFoldDecimalMillion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RunProductPastBoundMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_RunExactProductPastBoundMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The real window, shown, with ten million decimal entries: the longest gap
// between two turns of its event loop while Start Calculating runs, seen by a
// zero timer that fires at every turn. Run it under Xvfb (QT_QPA_PLATFORM=xcb)
// for the painting of a real screen; offscreen by default. Every run folds
// exactly too; exactOpen shows the Exact Results window throughout.
void WindowRunTenMillion(benchmark::State& state, bool exactOpen) {
    const QTemporaryDir store;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, store.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, store.path());
    QuietDialogs dialogs;
    Form1Setup setup;
    setup.dialogs = &dialogs;
    setup.programFolder = store.path();
    setup.endProgram = [] {};
    auto form = std::make_unique<Form1>(setup);
    form->show();
    form->Option1_Click();
    form->numbers().appendMany(DecimalEntries(10 * kMillion));
    if (exactOpen) {
        form->exactResults().open();
    }
    QCoreApplication::processEvents();
    Clock::time_point last;
    Clock::duration longest{};
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    double worst = 0;
    for (auto _ : state) {
        turn.start();
        last = Clock::now();
        longest = {};
        form->PushButton3_Click();
        turn.stop();
        worst = std::max(worst, std::chrono::duration<double, std::milli>(longest).count());
    }
    if (form->results().count() != 4) {
        state.SkipWithError("the run did not fill the results table");
    }
    state.counters["longest_turn_gap_ms"] = worst;
    form.reset();
}

void BM_WindowRunTenMillion(benchmark::State& state) {
    WindowRunTenMillion(state, false);
}
void BM_WindowRunTenMillionExactResultsOpen(benchmark::State& state) {
    WindowRunTenMillion(state, true);
}

BENCHMARK(BM_WindowRunTenMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_WindowRunTenMillionExactResultsOpen)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
