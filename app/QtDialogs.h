#pragma once

#include <QPointer>
#include <QWidget>

#include "core/UiPorts.h"

namespace quillora {

// The real boxes: QMessageBox, QInputDialog and QFileDialog, modal to the
// main window once it is known. A box without a title of its own shows the
// application title.
class QtDialogs : public Dialogs {
  public:
    void setParentWindow(QWidget* window) { parent_ = window; }

    void message(const QString& text, const QString& title, MessageIcon icon) override;
    QString inputBox(const QString& prompt, const QString& title) override;
    QStringList openFiles(const QString& title, const QString& filter) override;
    QString saveFile(const QString& title, const QString& filter) override;

  private:
    QPointer<QWidget> parent_;
};

// The text as a Qt box shows it: every CR LF and bare CR becomes a line break.
QString DisplayedText(const QString& text);

}  // namespace quillora
