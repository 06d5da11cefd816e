#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quillora {

QString FolderHolding(const QString& executableFolder, FileInFolder file) {
    if (QFileInfo(file(executableFolder)).isFile()) {
        return executableFolder;
    }
    const QString installed =
        QDir::cleanPath(QDir(executableFolder).filePath(kInstalledDataFolder));
    if (QFileInfo(file(installed)).isFile()) {
        return installed;
    }
    return executableFolder;
}

QString ExecutableFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace quillora
