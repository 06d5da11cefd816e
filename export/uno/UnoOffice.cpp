#include "UnoOffice.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

extern char** environ;

namespace quillora::calc_plugin {

namespace fs = std::filesystem;

std::string ProgramDirectory() {
    return QUILLORA_LIBREOFFICE_PROGRAM_DIR;
}

bool OfficeInstalled() {
    const fs::path program = ProgramDirectory();
    std::error_code ignored;
    if (!fs::exists(program / "soffice", ignored) ||
        !fs::exists(program / "soffice.bin", ignored) ||
        !fs::exists(program / "libsclo.so", ignored)) {
        return false;
    }
    // The GUI-less office has no window system plugin, and showing a window
    // there brings the whole office down.
    for (const auto& entry : fs::directory_iterator(program, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("libvclplug_") && name.ends_with("lo.so")) {
            return true;
        }
    }
    return false;
}

css::uno::Reference<css::uno::XComponentContext> LocalContext() {
    // Deliberately never destroyed (see the header).
    static auto* const context = [] {
        // Writing to an office that has just died must fail the call, not end
        // the program; a desktop program has no use for SIGPIPE anyway.
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            signal(SIGPIPE, SIG_IGN);
        }
        rtl::Bootstrap::set(
            rtl::OUString("URE_BOOTSTRAP"),
            FromUtf8("vnd.sun.star.pathname:" + ProgramDirectory() + "/fundamentalrc"));
        auto made = std::make_unique<css::uno::Reference<css::uno::XComponentContext>>(
            Guarded("Preparing the connection to LibreOffice",
                    [] { return cppu::defaultBootstrap_InitialComponentContext(); }));
        return made.release();
    }();
    return *context;
}

int LaunchOffice(const std::string& pipeName) {
    const std::string program = ProgramDirectory() + "/soffice";
    std::vector<std::string> args{
        program,         "--nologo",
        "--nodefault",   "--norestore",
        "--nolockcheck", "--accept=pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext"};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: the office outlives Quillora and its terminal.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        throw std::runtime_error("Starting LibreOffice: " + std::string(std::strerror(failed)));
    }
    return pid;
}

int ExitStatusIfEnded(int pid) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done != pid) {
        return done == 0 ? -1 : 0;  // not ours to wait for: treat it as handed over
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ReapInBackground(int pid) {
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

std::string ToUtf8(const rtl::OUString& text) {
    const rtl::OString bytes = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

rtl::OUString FromUtf8(const std::string& text) {
    return rtl::OStringToOUString(rtl::OString(text.data(), static_cast<sal_Int32>(text.size())),
                                  RTL_TEXTENCODING_UTF8);
}

}  // namespace quillora::calc_plugin
