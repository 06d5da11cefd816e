#include "app/ApplySkin.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace quillora {

namespace {

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

void ApplySkin(QWidget& window, const QString& programFolder, SkinFramework& framework) {
    const QString path = SkinFilePath(programFolder);
    if (!QFileInfo(path).isFile()) {
        return;
    }
    WearButtonFace(window);
    // findChildren walks the controls in the order the window made them.
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (TakesButtonFace(control)) {
            WearButtonFace(*control);
        }
    }
    framework.loadSkin(path, QString());
    framework.setOptions(framework.options() | SkinFramework::kPolishControls);
    framework.setEnabled(true);
    framework.setRepaintOnApply(true);
    framework.applyWindow(window);
}

}  // namespace quillora
