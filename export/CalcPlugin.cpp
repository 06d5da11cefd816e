#include "export/CalcPlugin.h"

#include "export/UnoRuntime.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace quillora {

QStringList CalcPluginSearchPaths(const QString& programFolder) {
    const QDir folder(programFolder);
    return {folder.filePath(kCalcPluginFile),
            QDir::cleanPath(folder.filePath(kInstalledPluginFolder + '/' + kCalcPluginFile))};
}

CalcPlugin& CalcPlugin::instance() {
    static CalcPlugin plugin = [] {
        const QString chosen = qEnvironmentVariable("QUILLORA_CALC_PLUGIN");
        if (!chosen.isEmpty()) {
            return CalcPlugin({chosen});
        }
        if (QCoreApplication::instance() == nullptr) {
            return CalcPlugin(QStringList());  // no program folder to look in
        }
        return CalcPlugin(CalcPluginSearchPaths(QCoreApplication::applicationDirPath()));
    }();
    return plugin;
}

CalcPlugin::CalcPlugin(const QStringList& candidates) {
    // Without the UNO runtime the plugin cannot load; its own message would
    // name a library of LibreOffice's that the user never heard of.
    const QString runtimeError = LoadUnoRuntime();
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
            error_ = runtimeError.isEmpty() ? library.errorString() : runtimeError;
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
