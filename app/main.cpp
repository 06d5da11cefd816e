#include <QApplication>

#include "app/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Creating the window runs its start-up; closing it ends the program.
    quillora::Form1 form;
    form.show();
    return QApplication::exec();
}
