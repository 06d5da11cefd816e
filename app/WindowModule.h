#pragma once

#include <QString>
#include <QStringList>

// The window lives in a module of its own, loaded only when a window is to be
// shown: `quillora --calc`, --help and --version then start without Qt's
// widget, GUI and SVG libraries, whose loading and binding would cost more
// than a million lines of folding. The module lies in the private library
// folder beside the LibreOffice plugin and is found the same way: beside the
// program, then in <prefix>/lib/<multiarch>/quillora.
namespace quillora {

inline constexpr char kWindowModuleFile[] = "libquillora_window.so";

// The one symbol the module exports, and its type: shows the window, loads
// the files once it is up and returns the exit status when it closes. argc
// stays referenced by the application object for the life of the window.
inline constexpr char kWindowMainSymbol[] = "quillora_window_main";
using WindowMainFunction = int (*)(int& argc, char** argv, const QStringList& files);

// Where the module may lie, first choice first.
QStringList WindowModuleSearchPaths(const QString& programFolder);

// Loads the module from the running program's folder and runs its window;
// without it, a message on standard error and status 1.
int RunWindowModule(int& argc, char** argv, const QStringList& files);

}  // namespace quillora
