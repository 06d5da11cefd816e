#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "export/uno/CalcPluginApi.h"

namespace quillora {

// The plugin's file name, and its folder relative to the program's folder in
// an installed tree (<prefix>/bin, <prefix>/lib/<multiarch>/quillora on
// Debian). The build tree keeps the same layout: build/lib/<multiarch>/quillora
// beside build/app.
inline const QString kCalcPluginFile = QStringLiteral("libquillora_calc_uno.so");
inline const QString kInstalledPluginFolder = QStringLiteral("../" QUILLORA_PLUGIN_RELDIR);

// Where the plugin may lie, first choice first: beside the program, then in
// the installed plugin folder.
QStringList CalcPluginSearchPaths(const QString& programFolder);

// The LibreOffice Calc plugin, loaded on first use and kept for the life of
// the process (threads that gave up on a hung office may still be inside
// it). Where it, or the UNO libraries it needs, cannot be loaded, Quillora
// simply has no spreadsheet export.
class CalcPlugin {
  public:
    // The one plugin of this process: $QUILLORA_CALC_PLUGIN when set, else
    // the first of CalcPluginSearchPaths(the program's folder) that loads.
    static CalcPlugin& instance();
    // The first of these paths that loads.
    explicit CalcPlugin(const QStringList& candidates);

    bool loaded() const { return newSession_ != nullptr; }
    // Why it could not be loaded.
    QString errorString() const { return error_; }
    // LibreOffice with Calc and a window system is installed.
    bool officeInstalled() const;
    std::unique_ptr<calc_plugin::CalcSession> newSession() const;

  private:
    QString error_;
    calc_plugin::OfficeInstalledFunction officeInstalled_ = nullptr;
    calc_plugin::NewSessionFunction newSession_ = nullptr;
};

}  // namespace quillora
