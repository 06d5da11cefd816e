#include <cstdio>

#include <QApplication>
#include <QTimer>

#include "app/CalcCommand.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/QtDialogs.h"
#include "app/SoleInstance.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    // Read before the QApplication: --help, --version and --calc need no
    // display, and Qt aborts when it finds none.
    const quillora::CommandLine command = quillora::ParseCommandLine(Arguments(argc, argv));
    std::fputs(command.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(command.standardError.toLocal8Bit().constData(), stderr);
    if (command.exitStatus) {
        return *command.exitStatus;
    }
    // Before anything of Qt's application starts: no display, no settings
    // file, no single-instance lock.
    if (command.calc) {
        return quillora::RunCalcCommand(*command.calc, stdout, stderr);
    }
    if (const auto problem = quillora::DisplayProblem()) {
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
        return 1;
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tolvenrix.Quillora"));
    quillora::QtDialogs dialogs;
    const auto sole = quillora::ClaimOrTell(quillora::SettingsStore::filePath(), dialogs);
    if (!sole) {
        return 1;
    }
    // Creating the window runs its start-up; closing it ends the program.
    quillora::Form1 form;
    form.show();
    // The files named load once the window is up, so that what they report
    // stands over it, and after the stored list, as files dropped on it would.
    if (!command.files.isEmpty()) {
        QTimer::singleShot(0, &form,
                           [&form, files = command.files] { form.LoadCommandLineFiles(files); });
    }
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
