// The hand cursor file, whatever lies beside the program: loading it gives
// a cursor whose hot spot lies inside its image, or fails with "Invalid
// picture" (or the platform's text for a file it cannot open); nothing else.
#include <cstdint>
#include <stdexcept>
#include <string>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include "app/HandCursor.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"

using namespace quillora;
using namespace quillora::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 300000) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = WriteScratchFile(QStringLiteral("HAND-M.CUR"), bytes);
    const std::optional<QPoint> hotSpot = CursorHotSpot(bytes);
    if (hotSpot) {
        Require(bytes.size() >= 22, "a hot spot read from " + std::to_string(size) + " bytes");
    }
    try {
        const QCursor cursor = LoadCursorFile(path);
        const QPixmap image = cursor.pixmap();
        Require(!image.isNull(), "a cursor without an image");
        Require(QRect(QPoint(0, 0), image.size()).contains(cursor.hotSpot()),
                "the hot spot lies outside the image");
    } catch (const std::runtime_error& e) {
        Require(std::string(e.what()) == "Invalid picture",
                std::string("an unexpected failure: ") + e.what());
    }
    return 0;
}
