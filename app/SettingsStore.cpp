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
    const QString target = store.fileName();
    const QString probe = ScratchName(target, "probe");
    const QString check = ScratchName(target, "check");
    // Whatever happens below, no scratch copy is left behind.
    struct Scratch {
        QString probe, check;
        ~Scratch() {
            QFile::remove(probe);
            QFile::remove(check);
        }
    } scratch{probe, check};

    // QSettings does not notice a write cut short by a full disk once the
    // file outgrows its buffer: it reports success and replaces the good
    // file with the stump. So the whole new store is first written under a
    // scratch name and read back (under a second name, past QSettings' cache)
    // before the real file is touched.
    {
        QSettings staged(probe, QSettings::IniFormat);
        for (const QString& key : store.allKeys()) {
            staged.setValue(key, store.value(key));
        }
        SetAll(staged, values);
        staged.sync();
        ThrowOnFailure(staged.status());
    }
    if (!QFile::rename(probe, check) || !Holds(check, values)) {
        throw SettingsWriteError(QSettings::AccessError);
    }

    // The real file gets the same content, so it must come out the same size;
    // if it does not, the checked copy takes its place.
    SetAll(store, values);
    store.sync();
    ThrowOnFailure(store.status());
    if (QFileInfo(target).size() != QFileInfo(check).size() && !ReplaceFile(check, target)) {
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
