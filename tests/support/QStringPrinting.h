#pragma once

// Failing expectations name QStrings by their text, not their bytes; long
// texts are cut, so a megabyte-long entry does not flood the log.
#include <ostream>

#include <QString>

inline void PrintTo(const QString& text, std::ostream* out) {
    constexpr qsizetype kShown = 300;
    *out << '"' << text.left(kShown).toStdString() << '"';
    if (text.size() > kShown) {
        *out << "... (" << text.size() << " characters)";
    }
}
