#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "export/uno/CalcPluginApi.h"

namespace quillora {

// The LibreOffice Calc plugin, loaded on first use and kept for the life of
// the process (threads that gave up on a hung office may still be inside
// it). Where it, or the UNO libraries it needs, cannot be loaded, Quillora
// simply has no spreadsheet export.
class CalcPlugin {
  public:
    // The one plugin of this process. Looks in $QUILLORA_CALC_PLUGIN when
    // set, else beside the program, else in the build's plugin directory.
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
