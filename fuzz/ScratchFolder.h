#pragma once

#include <memory>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include "fuzz/FuzzCheck.h"

// The folder the file-reading targets write each input into. One for the
// whole process, made on first use and removed when the process ends; in
// memory where there is a memory file system, since some targets sync every
// file they write.
namespace quillora::fuzz {

inline const QTemporaryDir& ScratchFolder() {
    static const std::unique_ptr<QTemporaryDir> folder =
        QFileInfo(QStringLiteral("/dev/shm")).isDir()
            ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quillora-fuzz-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    return *folder;
}

inline QString ScratchPath(const QString& name) {
    return QDir(ScratchFolder().path()).filePath(name);
}

// Writes the input as the file `name` and answers its path.
inline QString WriteScratchFile(const QString& name, const QByteArray& bytes) {
    const QString path = ScratchPath(name);
    QFile file(path);
    Require(
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
        "the input could not be written as " + name.toStdString());
    return path;
}

}  // namespace quillora::fuzz
