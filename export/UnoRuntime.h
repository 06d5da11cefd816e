#pragma once

#include <QString>
#include <QStringList>

namespace quillora {

// LibreOffice's public UNO libraries (libuno_sal, libuno_cppu,
// libuno_cppuhelpergcc3) need private ones (libreglo.so and others) that
// exist only in LibreOffice's program folder, and find them through their own
// search path, $ORIGIN. That holds only when they are opened from that
// folder, not through their links in the system library folder. So they are
// opened by full path before the Calc plugin: the plugin's references to them
// are then met by the libraries already loaded, and it needs no search path
// into LibreOffice of its own.

// The public UNO libraries the plugin links, in LibreOffice's program folder.
QStringList UnoRuntimeLibraries(const QString& programFolder);

// Loads them for the rest of the process; empty on success, else why not
// (LibreOffice is not installed, for instance).
QString LoadUnoRuntime();

}  // namespace quillora
