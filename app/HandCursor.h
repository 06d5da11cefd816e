#pragma once

#include <optional>

#include <QCursor>
#include <QPoint>
#include <QString>

namespace quillora {

// "HAND-M.CUR" in the program's folder: the pointer shown over push buttons.
inline const QString kHandCursorFile = QStringLiteral("HAND-M.CUR");

// The hand cursor file in that folder.
QString HandCursorPath(const QString& folder);

// The hot spot of the first image of a Windows cursor (.cur) file, read from
// its directory entry; nothing for anything else (an icon file has none).
std::optional<QPoint> CursorHotSpot(const QByteArray& fileBytes);

// Loads a .cur (or .ico) file as a pointer. Throws "Invalid picture" when the
// file cannot be read as one.
QCursor LoadCursorFile(const QString& path);

}  // namespace quillora
