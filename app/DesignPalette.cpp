#include "app/DesignPalette.h"

#include <QApplication>
#include <QPalette>

namespace quillora {

namespace {

const QColor kDesignWhite(Qt::white);
const QColor kDesignText(Qt::black);

// A fresh QPalette sets no role, so every role not named here keeps
// following the parent and the application palette.
void Wear(QWidget& widget, const QPalette& palette) {
    widget.setPalette(palette);
    widget.setBackgroundRole(QPalette::Window);
    widget.setAutoFillBackground(true);
}

}  // namespace

void WearDesignWhite(QWidget& area) {
    QPalette palette;
    palette.setColor(QPalette::Window, kDesignWhite);
    palette.setColor(QPalette::WindowText, kDesignText);
    Wear(area, palette);
}

void WearDesignWhiteFields(QWidget& area) {
    QPalette palette;
    palette.setColor(QPalette::Window, kDesignWhite);
    palette.setColor(QPalette::WindowText, kDesignText);
    palette.setColor(QPalette::Base, kDesignWhite);
    palette.setColor(QPalette::Text, kDesignText);
    Wear(area, palette);
}

void WearUserWindow(QWidget& control) {
    const QPalette user = QApplication::palette(&control);
    QPalette palette;
    palette.setColor(QPalette::Window, user.color(QPalette::Window));
    palette.setColor(QPalette::WindowText, user.color(QPalette::WindowText));
    control.setPalette(palette);
}

void WearButtonFace(QWidget& area) {
    const QPalette user = QApplication::palette(&area);
    QPalette palette;
    palette.setColor(QPalette::Window, user.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, user.color(QPalette::ButtonText));
    Wear(area, palette);
}

QColor ButtonFaceColour() {
    return QApplication::palette().color(QPalette::Button);
}

}  // namespace quillora
