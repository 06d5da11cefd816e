#include "app/SkinFramework.h"

#include <cstdio>
#include <stdexcept>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "export/RegularFile.h"

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

// A style sheet is a few kilobytes; one far beyond that is no skin.
constexpr qint64 kLargestSkinFile = qint64{8} << 20;

// Qt opens the images a sheet names (url(...)) as it draws, on this thread: a
// pipe or a device named there would freeze the window. Resources and
// missing files are harmless (Qt draws nothing for them).
void RefuseNonRegularImages(const QString& sheet) {
    static const QRegularExpression url(QStringLiteral(R"(url\(\s*(["']?)([^"')]*)\1\s*\))"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (auto match = url.globalMatch(sheet); match.hasNext();) {
        const QString name = match.next().captured(2).trimmed();
        if (name.startsWith(QLatin1Char(':')) || name.startsWith(QLatin1String("qrc:"))) {
            continue;
        }
        const QFileInfo image(name);
        if (image.exists() && !image.isFile() && !image.isDir()) {
            throw std::runtime_error("Invalid skin file");
        }
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
    QFile file;
    OpenRegularFile(file, path, QIODevice::ReadOnly);
    if (file.size() > kLargestSkinFile) {
        throw std::runtime_error("Invalid skin file");
    }
    const QString sheet = QString::fromUtf8(file.read(kLargestSkinFile));
    RefuseNonRegularImages(sheet);
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
