// The window module's one exported function (app/WindowModule.h): what the
// program runs once it knows a window is to be shown.
#include "app/WindowMain.h"
#include "app/WindowModule.h"

extern "C" __attribute__((visibility("default"))) int quillora_window_main(
    int& argc, char** argv, const QStringList& files) {
    return quillora::RunWindow(argc, argv, files);
}

// The exported name is the one the program looks up.
static_assert(sizeof(quillora::kWindowMainSymbol) == sizeof("quillora_window_main"));
