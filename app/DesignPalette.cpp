#include "app/DesignPalette.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

namespace quillora {

namespace {

const QColor kDesignWhite(Qt::white);
const QColor kDesignText(Qt::black);

// Which of the user's colours a control took, so a change of scheme can
// dress it again.
const char* const kWorn = "quilloraWornColours";
enum class Worn { Nothing, UserWindow, ButtonFace };

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
    control.setProperty(kWorn, static_cast<int>(Worn::UserWindow));
    const QPalette user = QApplication::palette(&control);
    QPalette palette;
    palette.setColor(QPalette::Window, user.color(QPalette::Window));
    palette.setColor(QPalette::WindowText, user.color(QPalette::WindowText));
    control.setPalette(palette);
}

void WearButtonFace(QWidget& area) {
    area.setProperty(kWorn, static_cast<int>(Worn::ButtonFace));
    const QPalette user = QApplication::palette(&area);
    QPalette palette;
    palette.setColor(QPalette::Window, user.color(QPalette::Button));
    palette.setColor(QPalette::WindowText, user.color(QPalette::ButtonText));
    Wear(area, palette);
}

namespace {

void WearAgain(QWidget& widget) {
    switch (static_cast<Worn>(widget.property(kWorn).toInt())) {
        case Worn::UserWindow:
            WearUserWindow(widget);
            break;
        case Worn::ButtonFace:
            WearButtonFace(widget);
            break;
        case Worn::Nothing:
            break;
    }
}

// The roles a control set itself are copies of the user's colours; every
// other role follows the new palette by itself.
class SchemeFollower : public QObject {
  public:
    explicit SchemeFollower(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::ApplicationPaletteChange) {
            WearAgain(window_);
            for (QWidget* control : window_.findChildren<QWidget*>()) {
                WearAgain(*control);
            }
            // A style sheet reads palette() roles when it polishes.
            if (!window_.styleSheet().isEmpty()) {
                window_.setStyleSheet(window_.styleSheet());
            }
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void FollowSchemeChanges(QWidget& window) {
    new SchemeFollower(window);  // owned by the window
}

QColor ButtonFaceColour() {
    return QApplication::palette().color(QPalette::Button);
}

}  // namespace quillora
