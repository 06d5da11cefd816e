#include "app/WindowModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace quillora {

namespace {

namespace fs = std::filesystem;

// The program's folder, asked of the kernel.
std::string ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::canonical("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
}

}  // namespace

std::vector<std::string> WindowModuleSearchPaths(const std::string& programFolder) {
    const fs::path folder(programFolder);
    return {
        (folder / kWindowModuleFile).string(),
        (folder / ".." / QUILLORA_PLUGIN_RELDIR / kWindowModuleFile).lexically_normal().string()};
}

int RunWindowModule(int& argc, char** argv) {
    std::string why = "not found";
    for (const std::string& path : WindowModuleSearchPaths(ProgramFolder())) {
        std::error_code error;
        if (!fs::exists(path, error)) {
            why = path + ": not found";
            continue;
        }
        // Never closed: the window's objects and their exit handlers live in it.
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            why = ::dlerror();
            continue;
        }
        auto moduleMain = reinterpret_cast<ModuleMainFunction>(::dlsym(module, kModuleMainSymbol));
        if (moduleMain == nullptr) {
            why = path + " is not a window of this Quillora";
            continue;
        }
        return moduleMain(argc, argv);
    }
    std::fprintf(stderr, "quillora: cannot load the window (%s)\n", why.c_str());
    return 1;
}

}  // namespace quillora
