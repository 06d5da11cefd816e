#include "export/CalcPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace quillora {

namespace {

QStringList Candidates() {
    QStringList paths;
    const QString chosen = qEnvironmentVariable("QUILLORA_CALC_PLUGIN");
    if (!chosen.isEmpty()) {
        return {chosen};
    }
    const QString name = QStringLiteral("libquillora_calc_uno.so");
    if (QCoreApplication::instance() != nullptr) {
        const QString programDir = QCoreApplication::applicationDirPath();
        paths << QDir(programDir).filePath(name)
              << QDir(programDir).filePath(QStringLiteral("../lib/quillora/") + name);
    }
    paths << QDir(QStringLiteral(QUILLORA_PLUGIN_DIR)).filePath(name);
    return paths;
}

}  // namespace

CalcPlugin& CalcPlugin::instance() {
    static CalcPlugin plugin(Candidates());
    return plugin;
}

CalcPlugin::CalcPlugin(const QStringList& candidates) {
    error_ = QStringLiteral("No LibreOffice plugin");
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path)) {
            error_ = QStringLiteral("No LibreOffice plugin at ") + path;
            continue;
        }
        // Never unloaded: see the class comment.
        QLibrary library(path);
        library.setLoadHints(QLibrary::PreventUnloadHint);
        if (!library.load()) {
            error_ = library.errorString();
            continue;
        }
        auto version = reinterpret_cast<calc_plugin::ApiVersionFunction>(
            library.resolve(calc_plugin::kApiVersionSymbol));
        auto installed = reinterpret_cast<calc_plugin::OfficeInstalledFunction>(
            library.resolve(calc_plugin::kOfficeInstalledSymbol));
        auto create = reinterpret_cast<calc_plugin::NewSessionFunction>(
            library.resolve(calc_plugin::kNewSessionSymbol));
        if (version == nullptr || installed == nullptr || create == nullptr ||
            version() != calc_plugin::kApiVersion) {
            error_ = path + QStringLiteral(" is not a plugin of this Quillora");
            continue;
        }
        officeInstalled_ = installed;
        newSession_ = create;
        error_.clear();
        return;
    }
}

bool CalcPlugin::officeInstalled() const {
    return officeInstalled_ != nullptr && officeInstalled_();
}

std::unique_ptr<calc_plugin::CalcSession> CalcPlugin::newSession() const {
    if (newSession_ == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<calc_plugin::CalcSession>(newSession_());
}

}  // namespace quillora
