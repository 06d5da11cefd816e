#include "app/SoleInstance.h"

#include <QDir>
#include <QFileInfo>

namespace quillora {

QString InstanceLockPath(const QString& settingsFile) {
    return QFileInfo(settingsFile).dir().filePath(QStringLiteral("Quillora.instance.lock"));
}

std::unique_ptr<SoleInstance> SoleInstance::claim(const QString& settingsFile) {
    QDir().mkpath(QFileInfo(settingsFile).path());
    auto instance = std::make_unique<SoleInstance>(InstanceLockPath(settingsFile));
    // However long the window stays open, only a gone process loses the claim.
    instance->lock_.setStaleLockTime(0);
    if (instance->lock_.tryLock(0) || instance->lock_.error() != QLockFile::LockFailedError) {
        return instance;
    }
    return nullptr;
}

std::unique_ptr<SoleInstance> ClaimOrTell(const QString& settingsFile, Dialogs& dialogs) {
    auto instance = SoleInstance::claim(settingsFile);
    if (!instance) {
        dialogs.message(kAlreadyRunningText, {}, MessageIcon::Warning);
    }
    return instance;
}

}  // namespace quillora
