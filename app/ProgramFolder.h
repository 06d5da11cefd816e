#pragma once

#include <QString>

namespace quillora {

// Where an installed Quillora keeps the skin and the hand cursor, relative to
// the folder of its executable: <prefix>/bin and <prefix>/share/quillora.
// (The LibreOffice plugin has its own search, CalcPluginSearchPaths.)
inline const QString kInstalledDataFolder = QStringLiteral("../share/quillora");

// Names one of the program's own files within a folder: SkinFilePath, or the
// hand cursor's path.
using FileInFolder = QString (*)(const QString& folder);

// The folder to take one of the program's own files from: the executable's
// folder when the file is there (a build tree, or a copy run where it lies),
// else the installed data folder when the file is there, else the
// executable's folder (where the missing file is then not found). Each file
// is looked for on its own, so a hand cursor put beside an installed program
// leaves it its skin in the data folder, and the other way round.
QString FolderHolding(const QString& executableFolder, FileInFolder file);

// The folder of the running program's executable.
QString ExecutableFolder();

}  // namespace quillora
