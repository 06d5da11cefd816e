#include "app/WindowModule.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include <QDir>
#include <QFileInfo>

namespace quillora {

namespace {

// The program's folder, asked of the kernel: no QCoreApplication exists yet.
QString ProgramFolder() {
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

}  // namespace

QStringList WindowModuleSearchPaths(const QString& programFolder) {
    const QDir folder(programFolder);
    const QString file = QString::fromLatin1(kWindowModuleFile);
    return {
        folder.filePath(file),
        QDir::cleanPath(folder.filePath(QStringLiteral("../" QUILLORA_PLUGIN_RELDIR "/") + file))};
}

int RunWindowModule(int& argc, char** argv, const QStringList& files) {
    std::string why = "not found";
    for (const QString& path : WindowModuleSearchPaths(ProgramFolder())) {
        if (!QFileInfo::exists(path)) {
            why = QFile::encodeName(path).toStdString() + ": not found";
            continue;
        }
        // Never closed: the window's objects and their exit handlers live in it.
        void* module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            why = ::dlerror();
            continue;
        }
        auto windowMain = reinterpret_cast<WindowMainFunction>(::dlsym(module, kWindowMainSymbol));
        if (windowMain == nullptr) {
            why = QFile::encodeName(path).toStdString() + " is not a window of this Quillora";
            continue;
        }
        return windowMain(argc, argv, files);
    }
    std::fprintf(stderr, "quillora: cannot load the window (%s)\n", why.c_str());
    return 1;
}

}  // namespace quillora
