#include "store/SettingsKeys.h"

#include "engine/NumberText.h"

namespace quillora {

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
