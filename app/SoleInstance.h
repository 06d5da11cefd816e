#pragma once

#include <memory>

#include <QLockFile>
#include <QString>

#include "core/UiPorts.h"

namespace quillora {

// Told to the user who starts Quillora while it already runs.
inline const QString kAlreadyRunningText = QStringLiteral(
    "Quillora is already running.\n\nUse the window that is open: when two of them close, the "
    "number list of the one closed last replaces the other's.");

// One Quillora per settings file: two windows would each store their own
// number list at close, and the later one would silently replace the
// other's. The claim is a lock file beside the settings file that lives as
// long as the window; a killed Quillora's lock is taken over, since its
// process is gone.
class SoleInstance {
  public:
    // The claim, or nothing when another running Quillora holds it. A folder
    // where no lock can be made does not keep Quillora from starting: the
    // store then reports what it cannot write.
    static std::unique_ptr<SoleInstance> claim(const QString& settingsFile);

    explicit SoleInstance(const QString& lockPath) : lock_(lockPath) {}

  private:
    QLockFile lock_;
};

// main()'s first step: the claim, or the message above (and nothing).
std::unique_ptr<SoleInstance> ClaimOrTell(const QString& settingsFile, Dialogs& dialogs);

// The lock file of settingsFile's Quillora.
QString InstanceLockPath(const QString& settingsFile);

}  // namespace quillora
