#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

// `quillora --calc` as a whole process, as a script runs it, beside two peers
// in the same run: awk adding a million decimal lines, and wc -l counting the
// same hexadecimal lines. Each round reports its wall time and the peak
// resident memory of the child; the table at the end gives the ratios the
// command is held to.
namespace {

namespace fs = std::filesystem;

extern "C" char** environ;  // NOLINT

fs::path ScratchFolder() {
    static const fs::path folder = [] {
        std::string name = (fs::temp_directory_path() / "bench_cli.XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) {
            std::abort();
        }
        return fs::path(name);
    }();
    return folder;
}

// lines of 16 hexadecimal digits, or of 9 decimal digits, LF-ended.
fs::path ListFile(const char* name, long long lines, bool hexadecimal) {
    const fs::path path = ScratchFolder() / name;
    if (fs::exists(path)) {
        return path;
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::abort();
    }
    std::mt19937_64 random(42);
    for (long long i = 0; i < lines; ++i) {
        const unsigned long long value = random();
        if (hexadecimal) {
            std::fprintf(out, "%016llX\n", value);
        } else {
            std::fprintf(out, "%09llu\n", value % 1'000'000'000ULL);
        }
    }
    std::fclose(out);
    return path;
}

std::string ProgramPath() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / ".." / "app" / "quillora").string();
}

struct Child {
    double seconds = 0;
    long peakKiB = 0;
};

// Runs the command with standard output and error thrown away, the way a
// pipeline's last stage would discard them.
Child RunChild(std::vector<std::string> command) {
    std::vector<char*> argv;
    for (std::string& word : command) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::abort();
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

// The fastest round of each benchmark, for the ratio table.
std::map<std::string, Child>& Best() {
    static std::map<std::string, Child> best;
    return best;
}

void Measure(benchmark::State& state, const std::string& name,
             const std::vector<std::string>& command) {
    long peak = 0;
    for (auto _ : state) {
        const Child child = RunChild(command);
        state.SetIterationTime(child.seconds);
        peak = std::max(peak, child.peakKiB);
        Child& best = Best()[name];
        if (best.seconds == 0 || child.seconds < best.seconds) {
            best = child;
        }
    }
    state.counters["peak_RSS_MiB"] = static_cast<double>(peak) / 1024.0;
}

constexpr long long kMillion = 1'000'000;

void BM_QuilloraCalcHex1M(benchmark::State& state) {
    const fs::path hex = ListFile("hex1m.txt", kMillion, true);
    Measure(state, "quillora 1M", {ProgramPath(), "--calc", "--base=hex", hex.string()});
}

void BM_QuilloraCalcHex10M(benchmark::State& state) {
    const fs::path hex = ListFile("hex10m.txt", 10 * kMillion, true);
    Measure(state, "quillora 10M", {ProgramPath(), "--calc", "--base=hex", hex.string()});
}

void BM_QuilloraCalcHex10MExact(benchmark::State& state) {
    const fs::path hex = ListFile("hex10m.txt", 10 * kMillion, true);
    Measure(state, "quillora 10M exact",
            {ProgramPath(), "--calc", "--base=hex", "--exact", hex.string()});
}

void BM_AwkSumDecimal1M(benchmark::State& state) {
    const fs::path decimal = ListFile("dec1m.txt", kMillion, false);
    Measure(state, "awk 1M", {"awk", "{s+=$1} END{print s}", decimal.string()});
}

void BM_WcLinesHex1M(benchmark::State& state) {
    const fs::path hex = ListFile("hex1m.txt", kMillion, true);
    Measure(state, "wc -l 1M", {"wc", "-l", hex.string()});
}

// Interleaved, so that a machine busy with something else weighs on all alike.
BENCHMARK(BM_QuilloraCalcHex1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_AwkSumDecimal1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_WcLinesHex1M)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_QuilloraCalcHex10M)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_QuilloraCalcHex10MExact)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);

void PrintRatios() {
    const auto& best = Best();
    const auto at = [&](const char* name) {
        const auto found = best.find(name);
        return found == best.end() ? Child{} : found->second;
    };
    const Child one = at("quillora 1M");
    const Child ten = at("quillora 10M");
    const Child exact = at("quillora 10M exact");
    const Child awk = at("awk 1M");
    const Child wc = at("wc -l 1M");
    std::printf("\nFastest rounds (wall ms, peak RSS MiB):\n");
    for (const auto& [name, child] : best) {
        std::printf("  %-14s %9.2f ms %8.1f MiB\n", name.c_str(), child.seconds * 1e3,
                    static_cast<double>(child.peakKiB) / 1024.0);
    }
    const auto ratio = [](const char* what, double have, double goal) {
        if (have > 0) {
            std::printf("  %-34s %6.2f (goal at most %.1f)%s\n", what, have, goal,
                        have <= goal ? "" : "  MISSED");
        }
    };
    std::printf("Ratios:\n");
    if (awk.seconds > 0) {
        ratio("quillora 1M hex / awk 1M decimal", one.seconds / awk.seconds, 1.0);
    }
    if (wc.seconds > 0) {
        ratio("quillora 1M hex / wc -l 1M hex", one.seconds / wc.seconds, 5.0);
    }
    if (one.seconds > 0) {
        ratio("quillora 10M / quillora 1M", ten.seconds / one.seconds, 10.5);
    }
    if (ten.seconds > 0) {
        ratio("quillora 10M --exact / quillora 10M", exact.seconds / ten.seconds, 1.5);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    std::error_code ignored;
    fs::remove_all(ScratchFolder(), ignored);
    return 0;
}
