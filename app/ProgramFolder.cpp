#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/ApplySkin.h"
#include "app/HandCursor.h"

namespace quillora {

QString ProgramFolder(const QString& executableFolder) {
    const QDir beside(executableFolder);
    if (QFileInfo(SkinFilePath(executableFolder)).isFile() ||
        QFileInfo(beside.filePath(kHandCursorFile)).isFile()) {
        return executableFolder;
    }
    const QString installed = QDir::cleanPath(beside.filePath(kInstalledDataFolder));
    if (QFileInfo(installed).isDir()) {
        return installed;
    }
    return executableFolder;
}

QString ProgramFolder() {
    return ProgramFolder(QCoreApplication::applicationDirPath());
}

}  // namespace quillora
