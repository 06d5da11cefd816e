#include "app/CaptionProgressBar.h"

#include <climits>

#include <QLocale>

namespace quillora {

QString EscapedCaption(const QString& caption) {
    QString escaped = caption;
    escaped.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escaped;
}

QString CaptionProgressBar::text() const {
    // QProgressBar shows nothing before its range starts, and so does this.
    if ((maximum() == 0 && minimum() == 0) || value() < minimum() ||
        (value() == INT_MIN && minimum() == INT_MIN)) {
        return QString();
    }
    QLocale numbers = locale();
    numbers.setNumberOptions(numbers.numberOptions() | QLocale::OmitGroupSeparator);
    const qint64 steps = qint64(maximum()) - minimum();
    const int percent =
        steps == 0 ? 100 : static_cast<int>((qint64(value()) - minimum()) * 100.0 / steps);

    // One pass from left to right, so that what one placeholder writes is
    // never read as another.
    const QString format = this->format();
    QString shown;
    shown.reserve(format.size());
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar next = i + 1 < format.size() ? format[i + 1] : QChar();
        if (format[i] != QLatin1Char('%')) {
            shown += format[i];
        } else if (next == QLatin1Char('%')) {
            shown += QLatin1Char('%');
            ++i;
        } else if (next == QLatin1Char('p')) {
            shown += numbers.toString(percent);
            ++i;
        } else if (next == QLatin1Char('v')) {
            shown += numbers.toString(value());
            ++i;
        } else if (next == QLatin1Char('m')) {
            shown += numbers.toString(steps);
            ++i;
        } else {
            shown += format[i];
        }
    }
    return shown;
}

}  // namespace quillora
