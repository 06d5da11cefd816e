#include "app/DesignFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace quillora {

namespace {

const QString kArial = QStringLiteral("Arial");

}  // namespace

void SubstituteMetricCompatibleArial() {
    // Once, before anything asks for Arial: Qt caches a resolved font, so a
    // substitution made after the first lookup would not be seen.
    static const bool substituted = [] {
        const QStringList installed = QFontDatabase::families();
        if (installed.contains(kArial, Qt::CaseInsensitive)) {
            return false;
        }
        QStringList twins;
        for (const QString& family : {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")}) {
            if (installed.contains(family, Qt::CaseInsensitive)) {
                twins << family;
            }
        }
        if (twins.isEmpty()) {
            return false;
        }
        QFont::insertSubstitutions(kArial, twins);
        return true;
    }();
    (void)substituted;
}

QFont DesignFont(qreal points) {
    SubstituteMetricCompatibleArial();
    QFont font(kArial);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

}  // namespace quillora
