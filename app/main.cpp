#include <cstdio>
#include <string>
#include <vector>

#include "app/CalcArguments.h"
#include "app/CalcCommand.h"
#include "app/WindowModule.h"

// The program itself links no Qt: an ordinary `quillora --calc` is read,
// folded and printed here. Every other command line (the window, --help,
// --version, a usage error) goes to the module (app/WindowModule.h), where
// Qt's parser reads it whole.
int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    if (const auto calc = quillora::ReadCalcArguments(arguments)) {
        return quillora::RunCalcCommand(*calc, stdout, stderr);
    }
    return quillora::RunWindowModule(argc, argv);
}
