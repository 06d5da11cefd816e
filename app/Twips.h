#pragma once

#include <QRect>
#include <QtGlobal>

namespace quillora {

// Converts the design's twips (1/1440 inch; 15 per pixel at 96 dpi) into
// pixels at the screen's logical resolution.
class Twips {
  public:
    explicit Twips(qreal dpiX = 96.0, qreal dpiY = 96.0) : dpiX_(dpiX), dpiY_(dpiY) {}

    int x(int twips) const { return qRound(twips * dpiX_ / 1440.0); }
    int y(int twips) const { return qRound(twips * dpiY_ / 1440.0); }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(x(left), y(top), x(width), y(height));
    }

  private:
    qreal dpiX_;
    qreal dpiY_;
};

}  // namespace quillora
