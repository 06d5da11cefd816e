#include "export/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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

bool SystemClipboard::setTextAndHtml(const QString& text, const QString& html) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    auto* data = new QMimeData;  // the clipboard takes it over
    data->setText(text);
    data->setHtml(html);
    clipboard->setMimeData(data);
    return clipboard->text() == text;
}

}  // namespace quillora
