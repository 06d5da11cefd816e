#pragma once

#include <QString>
#include <QWidget>

#include "app/DesignPalette.h"
#include "app/SkinFramework.h"

namespace quillora {

// The skin file: "o.cjs" in the sub-folder "x" of the program's folder.
QString SkinFilePath(const QString& programFolder);

// Without the skin file nothing changes. With it the window and its option
// buttons, check boxes, frames and labels take the button-face colour, then
// the framework loads the skin and applies it to the window. A failing step
// throws and leaves the colours already switched as they are.
void ApplySkin(QWidget& window, const QString& programFolder, SkinFramework& framework);

}  // namespace quillora
