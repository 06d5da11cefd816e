// The window module's one exported function (app/WindowModule.h): what the
// program runs for every command line it does not read on its own.
#include "app/WindowMain.h"
#include "app/WindowModule.h"

extern "C" __attribute__((visibility("default"))) int quillora_module_main(int& argc, char** argv) {
    return quillora::RunCommandLine(argc, argv);
}

// The exported name is the one the program looks up.
static_assert(sizeof(quillora::kModuleMainSymbol) == sizeof("quillora_module_main"));
