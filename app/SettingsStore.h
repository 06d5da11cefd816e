#pragma once

#include <utility>
#include <vector>

#include <QString>

#include "calc/Base.h"

namespace quillora {

// The per-user settings store: organisation "Tolvenrix" (its file), group
// "Quillora". Values are plain texts, as the program has always kept them.
class SettingsStore {
  public:
    static inline const QString kOrganisation = QStringLiteral("Tolvenrix");
    static inline const QString kGroup = QStringLiteral("Quillora");
    static inline const QString kListKey = QStringLiteral("Zip Codes");

    // The stored text, or defaultText when the key is absent.
    QString read(const QString& key, const QString& defaultText) const;

    // Writes every pair and flushes them to disk together. Throws
    // SettingsWriteError when the store refuses them (a read-only folder, a
    // full disk); the file then still holds what it held before.
    void write(const std::vector<std::pair<QString, QString>>& values);
    void write(const QString& key, const QString& text) { write({{key, text}}); }
};

// "Option1" ... "Option4": the settings key of each base's option.
QString OptionKey(Base base);
// "1" for Decimal, "0" for the others: what an absent option key reads as.
QString OptionDefault(Base base);

// The stored form of a truth value: "True" or "False".
QString TruthText(bool value);
// Reads a stored option value back: True or False in any case, or a number
// (zero is false, any other number true). Throws TypeMismatchError otherwise.
bool TruthValue(const QString& text);

}  // namespace quillora
