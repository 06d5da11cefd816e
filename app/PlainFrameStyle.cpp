#include "app/PlainFrameStyle.h"

#include <QPainter>
#include <QStyleOption>

namespace quillora {

void PlainFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // The outline is the text colour faded, so it reads on any background.
    QColor line = option->palette.color(QPalette::WindowText);
    line.setAlphaF(0.35);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(line, 1.0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2.0, 2.0);
    painter->restore();
}

}  // namespace quillora
