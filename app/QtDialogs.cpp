#include "app/QtDialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "app/ApplicationTitle.h"

namespace quillora {

namespace {

QString TitleOrApplicationTitle(const QString& title) {
    return title.isEmpty() ? ApplicationTitle() : title;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString DisplayedText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void QtDialogs::message(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), TitleOrApplicationTitle(title), DisplayedText(text),
                    QMessageBox::Ok, parent_);
    // File names and list entries must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtDialogs::inputBox(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, TitleOrApplicationTitle(title), prompt,
                                                 QLineEdit::Normal, QString(), &ok);
    return ok ? answer : QString();
}

QStringList QtDialogs::openFiles(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent_, TitleOrApplicationTitle(title), QString(),
                                         filter);
}

QString QtDialogs::saveFile(const QString& title, const QString& filter) {
    // The file is written as named: no overwrite question and no suffix added.
    return QFileDialog::getSaveFileName(parent_, TitleOrApplicationTitle(title), QString(), filter,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

}  // namespace quillora
