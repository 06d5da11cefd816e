// ConvertNumber beside GMP (mpz_set_str + mpz_get_str) for the same conversions, and the
// conversions one calculation run makes per entry and per result. After the runs a table of
// nanoseconds per conversion and the ratio to GMP is printed.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/NumberSystem.h"
#include "engine/NumberText.h"

namespace {

constexpr int kBases[] = {2, 8, 10, 16};
constexpr int kBits[] = {64, 256, 1020};

// A fixed whole number of exactly this many bits, written in base (upper-case letters).
std::string SampleText(int bits, int base) {
    std::mt19937_64 random(static_cast<unsigned>(bits) * 7919u);
    mpz_t value;
    mpz_init(value);
    for (int i = 0; i < bits; i += 64) {
        mpz_mul_2exp(value, value, 64);
        mpz_add_ui(value, value, static_cast<unsigned long>(random()));
    }
    mpz_fdiv_r_2exp(value, value, static_cast<mp_bitcnt_t>(bits));
    mpz_setbit(value, static_cast<mp_bitcnt_t>(bits - 1));
    std::string text(mpz_sizeinbase(value, base) + 2, '\0');
    mpz_get_str(text.data(), -base, value);
    text.resize(text.find('\0'));
    mpz_clear(value);
    return text;
}

void Quillora(benchmark::State& state, int bits, int from, int to) {
    const std::string text = SampleText(bits, from);
    const std::string fromBase = std::to_string(from), toBase = std::to_string(to);
    for (auto _ : state)
        benchmark::DoNotOptimize(quillora::ConvertNumber(text, fromBase, toBase));
}

void Gmp(benchmark::State& state, int bits, int from, int to) {
    const std::string text = SampleText(bits, from);
    mpz_t value;
    mpz_init(value);
    std::vector<char> out(static_cast<std::size_t>(bits) + 2);
    for (auto _ : state) {
        mpz_set_str(value, text.c_str(), from);
        benchmark::DoNotOptimize(mpz_get_str(out.data(), -to, value));
    }
    mpz_clear(value);
}

// One list entry of a hexadecimal run: into decimal, then read as a double.
void RunEntry(benchmark::State& state) {
    const std::string entry = "FEDCBA9876543210";
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            quillora::TextToNumber(quillora::ConvertNumber(entry, "16", "10")));
    }
}

// One result cell set: decimal text, then into the other three bases.
void RunResult(benchmark::State& state) {
    const double result = -1234567.8125;
    for (auto _ : state) {
        const std::string decimal = quillora::NumberToText(result);
        for (const char* base : {"16", "8", "2"}) {
            benchmark::DoNotOptimize(quillora::ConvertNumber(decimal, "10", base));
        }
    }
}

std::string Key(int bits, int from, int to) {
    return std::to_string(from) + "->" + std::to_string(to) + "/" + std::to_string(bits);
}

class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // CPU time, which other work on the machine disturbs least; with
        // --benchmark_repetitions the table takes the medians.
        for (const auto& run : runs) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times_[name] = run.GetAdjustedCPUTime();
                medians_.insert(name);
            } else if (run.run_type == Run::RT_Iteration && !medians_.count(name)) {
                times_[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintTable() const {
        std::printf("\n%-8s %-6s %12s %12s %8s\n", "bits", "bases", "Quillora ns", "GMP ns",
                    "ratio");
        double worst = 0;
        for (int bits : kBits) {
            for (int from : kBases) {
                for (int to : kBases) {
                    if (from == to)
                        continue;
                    const auto q = times_.find("Quillora/" + Key(bits, from, to));
                    const auto g = times_.find("GMP/" + Key(bits, from, to));
                    if (q == times_.end() || g == times_.end())
                        continue;
                    const double ratio = q->second / g->second;
                    worst = std::max(worst, ratio);
                    std::printf("%-8d %2d->%-2d %12.1f %12.1f %8.2f\n", bits, from, to, q->second,
                                g->second, ratio);
                }
            }
        }
        if (worst > 0)
            std::printf("slowest ratio to GMP: %.2f\n", worst);
    }

  private:
    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    for (int bits : kBits) {
        for (int from : kBases) {
            for (int to : kBases) {
                if (from == to)
                    continue;
                benchmark::RegisterBenchmark(("Quillora/" + Key(bits, from, to)).c_str(), Quillora,
                                             bits, from, to);
                benchmark::RegisterBenchmark(("GMP/" + Key(bits, from, to)).c_str(), Gmp, bits,
                                             from, to);
            }
        }
    }
    benchmark::RegisterBenchmark("CalculationRun/HexEntryToNumber", RunEntry);
    benchmark::RegisterBenchmark("CalculationRun/ResultIntoThreeBases", RunResult);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintTable();
    benchmark::Shutdown();
    return 0;
}
