// The skin file, whatever lies in x/o.cjs: loading it either takes the
// sheet exactly as written and puts it on a window whose controls then
// polish and draw, or fails with "Invalid skin file"; nothing else. Images
// the sheet names are drawn as Qt finds them (the working folder is a
// scratch folder holding the skin alone).
#include <cstdint>
#include <stdexcept>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "app/SkinFramework.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"

using namespace quillora;
using namespace quillora::fuzz;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 20000) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString path = WriteScratchFile(QStringLiteral("o.cjs"), bytes);
    SkinFramework framework;
    try {
        framework.loadSkin(path, QString());
    } catch (const std::runtime_error& e) {
        Require(std::string(e.what()) == "Invalid skin file",
                std::string("an unexpected failure: ") + e.what());
        return 0;
    }
    Require(framework.styleSheet() == QString::fromUtf8(bytes),
            "the sheet was not taken as written");
    QWidget window;
    auto* frame = new QGroupBox(QStringLiteral("Base"), &window);
    new QRadioButton(QStringLiteral("Decimal"), frame);
    new QPushButton(QStringLiteral("Help"), &window);
    framework.setOptions(framework.options() | SkinFramework::kPolishControls);
    framework.setEnabled(true);
    framework.setRepaintOnApply(true);
    framework.applyWindow(window);
    window.resize(200, 120);
    (void)window.grab();
    return 0;
}
