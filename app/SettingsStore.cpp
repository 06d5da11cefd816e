#include "app/SettingsStore.h"

#include <stdexcept>
#include <string>

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
    store.beginGroup(kGroup);
    for (const auto& [key, text] : values) {
        store.setValue(key, text);
    }
    store.endGroup();
    // Without this a refused write would pass unnoticed until the object dies.
    store.sync();
    if (store.status() != QSettings::NoError) {
        throw SettingsWriteError(store.status());
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
