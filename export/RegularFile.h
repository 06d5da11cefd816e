#pragma once

#include <QFile>
#include <QString>

namespace quillora {

// Opens path for reading or writing only when it names a regular file (or,
// for writing, nothing yet, which is then created). A pipe would block the
// open or the first read for ever, a device could be written or read without
// end, so neither is ever opened: stat tells first, and the descriptor is
// opened without blocking and checked again, so a file swapped in between is
// refused as well. Throws std::runtime_error with the platform's text
// ("Not a regular file" for a pipe, a device or a socket).
void OpenRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode);

// What a refused non-regular file is reported as.
inline constexpr const char* kNotRegularFile = "Not a regular file";

}  // namespace quillora
