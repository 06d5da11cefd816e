#pragma once

#include <QString>

namespace quillora {

// Where an installed Quillora keeps the skin and the hand cursor, relative to
// the folder of its executable: <prefix>/bin and <prefix>/share/quillora.
// (The LibreOffice plugin has its own search, CalcPluginSearchPaths.)
inline const QString kInstalledDataFolder = QStringLiteral("../share/quillora");

// The folder holding the program's own files ("HAND-M.CUR", the skin's
// "x/o.cjs"): the executable's folder when either file is there (a build
// tree, or a copy run where it lies), else the installed data folder when
// it exists, else the executable's folder.
QString ProgramFolder(const QString& executableFolder);

// ProgramFolder of the running program.
QString ProgramFolder();

}  // namespace quillora
