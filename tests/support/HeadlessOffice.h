#pragma once

// A LibreOffice of the test's own: headless, with its own profile, pipe,
// HOME and TMPDIR, started by process id and always reaped. A watchdog kills
// it when a test runs past its limit, so a hung office fails the test instead
// of stalling the suite.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QTemporaryDir>

extern char** environ;

namespace quillora::testing {

class HeadlessOffice {
  public:
    static constexpr const char* kProgram = "/usr/lib/libreoffice/program/soffice.bin";
    static bool Installed() { return std::filesystem::exists(kProgram); }

    explicit HeadlessOffice(std::chrono::seconds watchdog)
        : pipe_("quillora-test-" + std::to_string(getpid()) + "-" + std::to_string(++serial_)) {
        start();
        watchdog_ = std::thread([this, watchdog] {
            std::unique_lock lock(mutex_);
            if (!done_.wait_for(lock, watchdog, [this] { return finished_; })) {
                killNow();
            }
        });
    }

    ~HeadlessOffice() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        watchdog_.join();
        killNow();
    }

    const std::string& pipe() const { return pipe_; }
    int pid() const { return pid_; }

    // -1 while it runs, else its exit status (128 + signal when killed).
    int exitStatusIfEnded() {
        std::lock_guard lock(killMutex_);
        if (pid_ <= 0) {
            return lastStatus_;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_) {
            return -1;
        }
        pid_ = -1;
        lastStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return lastStatus_;
    }

    // As a crash would end it.
    void crash() { killNow(); }

    // A fresh profile makes the first start end with 81, asking for a restart.
    void restart() { start(); }

    // Waits for the exit the office was asked for; SIGKILL after the limit.
    int waitForExit(std::chrono::seconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            const int status = exitStatusIfEnded();
            if (status >= 0) {
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        killNow();
        return lastStatus_;
    }

  private:
    void start() {
        const std::string root = dir_.path().toStdString();
        std::filesystem::create_directories(root + "/tmp");
        std::vector<std::string> args{
            kProgram,
            "--headless",
            "--invisible",
            "--nologo",
            "--norestore",
            "--nodefault",
            "--nolockcheck",
            "-env:UserInstallation=file://" + root + "/profile",
            "--accept=pipe,name=" + pipe_ + ";urp;StarOffice.ComponentContext"};
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (!entry.starts_with("HOME=") && !entry.starts_with("TMPDIR=")) {
                env.push_back(entry);
            }
        }
        env.push_back("HOME=" + root);
        env.push_back("TMPDIR=" + root + "/tmp");
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            // Should the test die before it can stop the office, the office
            // goes with it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            execve(kProgram, argv.data(), envp.data());
            _exit(127);
        }
        pid_ = child;
    }

    void killNow() {
        std::lock_guard lock(killMutex_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
            lastStatus_ = 128 + SIGKILL;
        }
    }

    static inline int serial_ = 0;
    QTemporaryDir dir_;
    std::string pipe_;
    pid_t pid_ = -1;
    int lastStatus_ = -1;
    std::mutex mutex_;
    std::mutex killMutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread watchdog_;
};

}  // namespace quillora::testing
