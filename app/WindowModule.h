#pragma once

#include <string>
#include <vector>

// Everything of the program that needs Qt lives in a module of its own: the
// window, and Qt's reading of the command line for --help, --version, usage
// errors and the rarer forms of --calc's options. An ordinary `quillora
// --calc` then starts without Qt at all, whose loading and binding would cost
// more than folding a million lines. The module lies in the private library
// folder beside the LibreOffice plugin and is found the same way: beside the
// program, then in <prefix>/lib/<multiarch>/quillora.
namespace quillora {

inline constexpr char kWindowModuleFile[] = "libquillora_window.so";

// The one symbol the module exports, and its type: the program's main() from
// the command line on, returning the exit status. argc stays referenced by
// the application object for the life of the window.
inline constexpr char kModuleMainSymbol[] = "quillora_module_main";
using ModuleMainFunction = int (*)(int& argc, char** argv);

// Where the module may lie, first choice first.
std::vector<std::string> WindowModuleSearchPaths(const std::string& programFolder);

// Loads the module from the running program's folder and hands it the
// command line; without it, a message on standard error and status 1.
int RunWindowModule(int& argc, char** argv);

}  // namespace quillora
