#include "app/ApplicationTitle.h"

namespace quillora {

namespace {

constexpr qsizetype kLongestTitle = 40;

// One title for the whole process, like the window system's own task name.
QString& TitleStorage() {
    static QString title = kProductTitle;
    return title;
}

}  // namespace

QString ShortApplicationTitle(const QString& productTitle) {
    QString title = productTitle;
    while (title.size() > kLongestTitle) {
        const qsizetype lastSpace = title.lastIndexOf(QLatin1Char(' '));
        if (lastSpace < 0) {
            break;
        }
        title.truncate(lastSpace);
    }
    return title;
}

void SetApplicationTitle(const QString& productTitle) {
    TitleStorage() = ShortApplicationTitle(productTitle);
}

QString ApplicationTitle() {
    return TitleStorage();
}

}  // namespace quillora
