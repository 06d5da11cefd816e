#include "app/SettingsStore.h"

#include <filesystem>
#include <stdexcept>
#include <string>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "engine/EngineError.h"
#include "engine/NumberText.h"

namespace quillora {

namespace {

// The texts the platform gives these failures, as the error report shows them.
class SettingsWriteError : public std::runtime_error {
  public:
    explicit SettingsWriteError(QSettings::Status status)
        : std::runtime_error(status == QSettings::FormatError ? "Bad file format"
                                                              : "Path/File access error") {}
};

void ThrowOnFailure(QSettings::Status status) {
    if (status != QSettings::NoError) {
        throw SettingsWriteError(status);
    }
}

// A name never used before in this process: QSettings caches files by name,
// and a scratch file must be read from disk, not from that cache.
QString ScratchName(const QString& target, const char* role) {
    static int written = 0;
    return QStringLiteral("%1.%2-%3-%4")
        .arg(target, QLatin1String(role))
        .arg(QCoreApplication::applicationPid())
        .arg(++written);
}

void SetAll(QSettings& settings, const std::vector<std::pair<QString, QString>>& values) {
    settings.beginGroup(SettingsStore::kGroup);
    for (const auto& [key, text] : values) {
        settings.setValue(key, text);
    }
    settings.endGroup();
}

// True when the file on disk reads back with every value as written.
bool Holds(const QString& path, const std::vector<std::pair<QString, QString>>& values) {
    QSettings written(path, QSettings::IniFormat);
    if (written.status() != QSettings::NoError) {
        return false;
    }
    written.beginGroup(SettingsStore::kGroup);
    for (const auto& [key, text] : values) {
        const QVariant value = written.value(key);
        if (!value.isValid() || value.toString() != text) {
            return false;
        }
    }
    return true;
}

// A second name for the file's contents: a hard link where the file system
// has them (no copy, no space), a copy elsewhere.
bool LinkOrCopy(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::create_hard_link(QFile::encodeName(from).toStdString(),
                                      QFile::encodeName(to).toStdString(), error);
    return !error || QFile::copy(from, to);
}

// Puts from in place of to in one step, as rename(2) does.
bool ReplaceFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(),
                            QFile::encodeName(to).toStdString(), error);
    return !error;
}

}  // namespace

QString SettingsStore::read(const QString& key, const QString& defaultText) const {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation);
    store.beginGroup(kGroup);
    const QVariant value = store.value(key, defaultText);
    // A hand-edited file may hold an unquoted text with commas, which the
    // store reads back as a list: it was one text all the same.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

void SettingsStore::write(const std::vector<std::pair<QString, QString>>& values) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation);
    // The new file must replace the old one whole, never be written into it:
    // the backup below shares the old file's contents.
    store.setAtomicSyncRequired(true);
    const QString target = store.fileName();
    const QString earlier = QFileInfo(target).canonicalFilePath();  // empty when there is none
    // Scratch names beside the real file, so that links and renames stay on its file system.
    const QString beside = earlier.isEmpty() ? target : earlier;
    const QString backup = ScratchName(beside, "backup");
    const QString check = ScratchName(beside, "check");
    struct Scratch {
        QString backup, check;
        ~Scratch() {
            QFile::remove(backup);
            QFile::remove(check);
        }
    } scratch{backup, check};

    if (!earlier.isEmpty() && !LinkOrCopy(earlier, backup)) {
        throw SettingsWriteError(QSettings::AccessError);
    }
    SetAll(store, values);
    store.sync();
    ThrowOnFailure(store.status());

    // QSettings does not notice a write cut short by a full disk once the
    // file outgrows its buffer: it reports success and the stump replaces the
    // good file. So the file is read back from disk, under a name QSettings
    // has not cached, and the earlier one put back when it falls short.
    const QString written = QFileInfo(target).canonicalFilePath();
    if (written.isEmpty() || !LinkOrCopy(written, check) || !Holds(check, values)) {
        if (earlier.isEmpty()) {
            QFile::remove(target);
        } else {
            ReplaceFile(backup, earlier);
        }
        throw SettingsWriteError(QSettings::AccessError);
    }
}

QString OptionKey(Base base) {
    return QStringLiteral("Option%1").arg(static_cast<int>(base) + 1);
}

QString OptionDefault(Base base) {
    return base == Base::Decimal ? QStringLiteral("1") : QStringLiteral("0");
}

QString TruthText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool TruthValue(const QString& text) {
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    // Throws "Type mismatch" for anything that is not a number either.
    return TextToNumber(text.toStdString()) != 0.0;
}

}  // namespace quillora
