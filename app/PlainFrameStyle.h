#pragma once

#include <QProxyStyle>

namespace quillora {

// Draws a group box frame as a thin outline without a fill of its own, so
// the frame shows the background its box paints (the design's white) instead
// of the shaded panel some styles lay over it. Everything else is the
// application's style.
class PlainFrameStyle : public QProxyStyle {
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace quillora
