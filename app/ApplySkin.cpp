#include "app/ApplySkin.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

namespace quillora {

namespace {

void PaintBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool TakesButtonFace(const QWidget* control) {
    return qobject_cast<const QRadioButton*>(control) != nullptr ||
           qobject_cast<const QCheckBox*>(control) != nullptr ||
           qobject_cast<const QGroupBox*>(control) != nullptr ||
           qobject_cast<const QLabel*>(control) != nullptr;
}

}  // namespace

QString SkinFilePath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("x/o.cjs"));
}

QColor ButtonFaceColour() {
    return QApplication::palette().color(QPalette::Button);
}

void ApplySkin(QWidget& window, const QString& programFolder, SkinFramework& framework) {
    const QString path = SkinFilePath(programFolder);
    if (!QFileInfo(path).isFile()) {
        return;
    }
    const QColor face = ButtonFaceColour();
    PaintBackground(window, face);
    // findChildren walks the controls in the order the window made them.
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (TakesButtonFace(control)) {
            PaintBackground(*control, face);
        }
    }
    framework.loadSkin(path, QString());
    framework.setOptions(framework.options() | SkinFramework::kPolishControls);
    framework.setEnabled(true);
    framework.setRepaintOnApply(true);
    framework.applyWindow(window);
}

}  // namespace quillora
