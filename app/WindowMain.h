#pragma once

#include <QStringList>

namespace quillora {

// The program's window from its start to its close, once the command line
// asked for no more than that (and the files to load): claims the single
// instance, shows Form1, loads the files once it is up. Returns the exit status.
int RunWindow(int& argc, char** argv, const QStringList& files);

// The whole command line as Qt's parser reads it: --help, --version and usage
// errors printed, --calc run, otherwise the window, when a display answers.
// Returns the exit status.
int RunCommandLine(int& argc, char** argv);

}  // namespace quillora
