#include "export/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace quillora {

bool SystemClipboard::clear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->clear();
    return true;
}

bool SystemClipboard::setText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->setText(text);
    return clipboard->text() == text;
}

}  // namespace quillora
