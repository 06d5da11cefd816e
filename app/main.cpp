#include <cstdio>

#include "app/CalcCommand.h"
#include "app/CommandLine.h"
#include "app/WindowModule.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

// The program itself links Qt Core and what the fold and the printing need;
// the window comes from its module (app/WindowModule.h), loaded only here at
// the end, so --help, --version and --calc start like a small tool.
int main(int argc, char** argv) {
    // Read before any application object: --help, --version and --calc need
    // no display, and Qt aborts when it finds none.
    const quillora::CommandLine command = quillora::ParseCommandLine(Arguments(argc, argv));
    std::fputs(command.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(command.standardError.toLocal8Bit().constData(), stderr);
    if (command.exitStatus) {
        return *command.exitStatus;
    }
    // No display, no settings file, no single-instance lock.
    if (command.calc) {
        return quillora::RunCalcCommand(*command.calc, stdout, stderr);
    }
    if (const auto problem = quillora::DisplayProblem()) {
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
        return 1;
    }
    return quillora::RunWindowModule(argc, argv, command.files);
}
