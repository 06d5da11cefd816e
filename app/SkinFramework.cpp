#include "app/SkinFramework.h"

#include <cstdio>
#include <stdexcept>

#include <QFile>

namespace quillora {

namespace {

// Qt tells of a style sheet it cannot parse only through a warning, so the
// check listens for that warning while it polishes a scratch widget.
bool* gParseFailed = nullptr;
QtMessageHandler gPreviousHandler = nullptr;

void ParseWarningTrap(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (gParseFailed != nullptr && type == QtWarningMsg &&
        message.startsWith(QLatin1String("Could not parse"))) {
        *gParseFailed = true;
        return;
    }
    if (gPreviousHandler != nullptr) {
        gPreviousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

}  // namespace

bool IsValidStyleSheet(const QString& sheet) {
    bool failed = false;
    gParseFailed = &failed;
    gPreviousHandler = qInstallMessageHandler(ParseWarningTrap);
    {
        QWidget probe;
        probe.setStyleSheet(sheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(gPreviousHandler);
    gParseFailed = nullptr;
    gPreviousHandler = nullptr;
    return !failed;
}

void SkinFramework::loadSkin(const QString& path, const QString& /*scheme*/) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(file.errorString().toStdString());
    }
    const QString sheet = QString::fromUtf8(file.readAll());
    if (!IsValidStyleSheet(sheet)) {
        throw std::runtime_error("Invalid skin file");
    }
    styleSheet_ = sheet;
    loaded_ = true;
}

void SkinFramework::applyWindow(QWidget& window) {
    if (!loaded_) {
        throw std::runtime_error("No skin loaded");
    }
    if (!enabled_) {
        return;
    }
    window.setStyleSheet(styleSheet_);
    if ((options_ & kPolishControls) != 0) {
        for (QWidget* control : window.findChildren<QWidget*>()) {
            control->ensurePolished();
        }
    }
    if (repaintOnApply_) {
        window.update();
    }
}

}  // namespace quillora
