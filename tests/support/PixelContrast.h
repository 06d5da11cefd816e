#pragma once

// How readable text on a control is, from its pixels: the commonest pixel of
// an area is what the text stands on, the one that stands out most from it
// is its ink, and their contrast ratio is the WCAG one. And the dark scheme
// the looks are tried in.
#include <algorithm>
#include <cmath>
#include <map>

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRect>

namespace quillora::testing {

// The usual dark Fusion scheme: only the main roles set, as most dark
// palettes handed to Qt programs are.
inline QPalette DarkFusionPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(25, 25, 25));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    return dark;
}

inline double Luminance(QRgb rgb) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

inline double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Reading {
    QRgb ground = 0;  // the commonest pixel: what the text is drawn on
    QRgb ink = 0;     // the pixel that stands out most from it
    double ratio = 1.0;
};

inline Reading Read(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            ++counts[image.pixel(x, y) | 0xff000000u];
        }
    }
    Reading reading;
    if (counts.empty()) {
        return reading;
    }
    reading.ground =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    reading.ink = reading.ground;
    for (const auto& [pixel, count] : counts) {
        if (Contrast(pixel, reading.ground) > reading.ratio) {
            reading.ratio = Contrast(pixel, reading.ground);
            reading.ink = pixel;
        }
    }
    return reading;
}

}  // namespace quillora::testing
