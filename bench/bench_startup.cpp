// What a user waits for: the real quillora started as a process of its own
// on the offscreen platform, with a settings folder of its own holding an
// empty list, a million and ten million stored entries, closing itself once
// the window is up (QUILLORA_SMOKE_CLOSE_MS=0, the close a user makes, which
// finds the list unchanged). Each start's wall time and peak resident memory,
// their growth over the empty store, and beside them `cat` of the same file:
// reading it once is what no start-up can do without.
//
//   bench_startup [--rounds N] [PROGRAM]
//
// PROGRAM defaults to the quillora built beside this benchmark.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
    double seconds = 0;
    long peakKiB = 0;
};

struct Case {
    const char* name;
    long entries;
    fs::path folder;  // the XDG_CONFIG_HOME of its runs
    std::vector<Run> program, cat;
};

// A stored list as closing writes it: the group, and the entries, eight
// decimal digits each, joined by ";" in quotes.
void WriteStore(const fs::path& folder, long entries) {
    fs::create_directories(folder);
    std::ofstream out(folder / "Tolvenrix.conf", std::ios::binary);
    out << "[Quillora]\nOption1=true\nOption2=false\nOption3=false\nOption4=false\n"
        << "Zip%20Codes=";
    // Written a block at a time: the kernel counts the peak memory of this
    // process into each child it starts, so it must stay small itself.
    if (entries > 0) {
        std::string block = "\"";
        char digits[16];
        for (long i = 0; i < entries; ++i) {
            const long value = 10'000'000 + (i * 7'919 + 12'345) % 90'000'000;
            const int n = std::snprintf(digits, sizeof digits, "%s%ld", i > 0 ? ";" : "", value);
            block.append(digits, static_cast<std::size_t>(n));
            if (block.size() > 60'000) {
                out << block;
                block.clear();
            }
        }
        out << block << '"';
    }
    out << '\n';
}

// Runs argv with the extra environment, stdout to /dev/null; its wall time
// and the peak resident memory of that child alone.
Run Measure(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env(extraEnv);
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const bool overridden = std::any_of(extraEnv.begin(), extraEnv.end(), [&](const auto& x) {
            return entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
        });
        if (!overridden) {
            env.push_back(entry);
        }
    }
    std::vector<char*> args, envp;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
        std::perror(args[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s ended with status %d\n", args[0], status);
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

Run Median(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run middle = runs[runs.size() / 2];
    // Peak memory hardly varies; the highest seen is the honest one.
    for (const Run& r : runs)
        middle.peakKiB = std::max(middle.peakKiB, r.peakKiB);
    return middle;
}

}  // namespace

int main(int argc, char** argv) {
    std::string program = QUILLORA_PROGRAM;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            program = arg;
        }
    }
    char scratchName[] = "/tmp/quillora-startup-XXXXXX";
    const fs::path scratch = mkdtemp(scratchName);
    std::vector<Case> cases{{"empty", 0, scratch / "empty", {}, {}},
                            {"1,000,000", 1'000'000, scratch / "million", {}, {}},
                            {"10,000,000", 10'000'000, scratch / "tenmillion", {}, {}}};
    for (Case& c : cases) {
        WriteStore(c.folder, c.entries);
    }
    // Rounds go over every case in turn, so a slower spell of a shared
    // machine falls on all of them alike.
    for (int round = 0; round <= rounds; ++round) {
        for (Case& c : cases) {
            const fs::path file = c.folder / "Tolvenrix.conf";
            const auto stamp = fs::last_write_time(file);
            const Run started =
                Measure({program}, {"QT_QPA_PLATFORM=offscreen", "QUILLORA_SMOKE_CLOSE_MS=0",
                                    "XDG_CONFIG_HOME=" + c.folder.string(),
                                    "XDG_RUNTIME_DIR=" + scratch.string()});
            const Run read = Measure({"/bin/cat", file.string()}, {});
            if (fs::last_write_time(file) != stamp) {
                std::fprintf(stderr, "%s: the unchanged list was written at close\n", c.name);
            }
            if (round > 0) {  // the first round only warms the caches
                c.program.push_back(started);
                c.cat.push_back(read);
            }
        }
    }
    const Run empty = Median(cases[0].program);
    std::printf("quillora start, first paint and close, median of %d (%s)\n", rounds,
                program.c_str());
    std::printf("%-11s %9s %9s %10s %10s %10s %9s %9s\n", "stored", "file MB", "wall ms", "peak MB",
                "+wall ms", "+peak MB", "B/entry", "cat ms");
    for (Case& c : cases) {
        const Run run = Median(c.program);
        const Run read = Median(c.cat);
        const double fileMB = static_cast<double>(fs::file_size(c.folder / "Tolvenrix.conf")) / 1e6;
        // Megabytes of 10^6 bytes, as the goals are put.
        const double morePeak = static_cast<double>(run.peakKiB - empty.peakKiB) * 1024.0;
        const std::string perEntry =
            c.entries > 0 ? std::to_string(morePeak / static_cast<double>(c.entries)).substr(0, 4)
                          : "-";
        std::printf("%-11s %9.1f %9.1f %10.1f %10.1f %10.1f %9s %9.1f\n", c.name, fileMB,
                    run.seconds * 1e3, static_cast<double>(run.peakKiB) * 1024.0 / 1e6,
                    (run.seconds - empty.seconds) * 1e3, morePeak / 1e6, perEntry.c_str(),
                    read.seconds * 1e3);
    }
    fs::remove_all(scratch);
    return 0;
}
