#include <QApplication>
#include <QTimer>

#include "app/Form1.h"
#include "app/QtDialogs.h"
#include "app/SoleInstance.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillora::QtDialogs dialogs;
    const auto sole = quillora::ClaimOrTell(quillora::SettingsStore::filePath(), dialogs);
    if (!sole) {
        return 1;
    }
    // Creating the window runs its start-up; closing it ends the program.
    quillora::Form1 form;
    form.show();
    // For the installed package's smoke test (packaging/): with
    // QUILLORA_SMOKE_CLOSE_MS=N in the environment the window closes itself
    // after N milliseconds, through the same close a user makes, so the list
    // is stored as usual. Nobody sets it in normal use.
    bool smoke = false;
    const int closeAfterMs = qEnvironmentVariableIntValue("QUILLORA_SMOKE_CLOSE_MS", &smoke);
    if (smoke && closeAfterMs >= 0) {
        QTimer::singleShot(closeAfterMs, &form, &QWidget::close);
    }
    return QApplication::exec();
}
