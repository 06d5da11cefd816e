#include "export/UnoRuntime.h"

#include <QDir>
#include <QLibrary>

namespace quillora {

QStringList UnoRuntimeLibraries(const QString& programFolder) {
    const QDir folder(programFolder);
    return {folder.filePath(QStringLiteral("libuno_sal.so.3")),
            folder.filePath(QStringLiteral("libuno_cppu.so.3")),
            folder.filePath(QStringLiteral("libuno_cppuhelpergcc3.so.3"))};
}

QString LoadUnoRuntime() {
    for (const QString& path :
         UnoRuntimeLibraries(QStringLiteral(QUILLORA_LIBREOFFICE_PROGRAM_DIR))) {
        // Kept for the life of the process, like the plugin that uses them.
        QLibrary library(path);
        library.setLoadHints(QLibrary::PreventUnloadHint);
        if (!library.load()) {
            return library.errorString();
        }
    }
    return QString();
}

}  // namespace quillora
