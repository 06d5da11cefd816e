#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include "app/SkinFramework.h"

namespace quillora {

// The skin file: "o.cjs" in the sub-folder "x" of the program's folder.
QString SkinFilePath(const QString& programFolder);

// The system's button-face colour, which skinned windows wear.
QColor ButtonFaceColour();

// Without the skin file nothing changes. With it the window and its option
// buttons, check boxes, frames and labels take the button-face colour, then
// the framework loads the skin and applies it to the window. A failing step
// throws and leaves the colours already switched as they are.
void ApplySkin(QWidget& window, const QString& programFolder, SkinFramework& framework);

}  // namespace quillora
