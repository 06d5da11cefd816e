#include "app/WindowMain.h"

#include <cstdio>

#include <QApplication>
#include <QTimer>

#include "app/CalcCommand.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/QtDialogs.h"
#include "app/SoleInstance.h"

namespace quillora {

int RunWindow(int& argc, char** argv, const QStringList& files) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tolvenrix.Quillora"));
    QtDialogs dialogs;
    const auto sole = ClaimOrTell(SettingsStore::filePath(), dialogs);
    if (!sole) {
        return 1;
    }
    // Creating the window runs its start-up; closing it ends the program.
    Form1 form;
    form.show();
    // The files named load once the window is up, so that what they report
    // stands over it, and after the stored list, as files dropped on it would.
    if (!files.isEmpty()) {
        QTimer::singleShot(0, &form, [&form, files] { form.LoadCommandLineFiles(files); });
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

int RunCommandLine(int& argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // Read before any application object: --help, --version and --calc need
    // no display, and Qt aborts when it finds none.
    const CommandLine command = ParseCommandLine(arguments);
    std::fputs(command.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(command.standardError.toLocal8Bit().constData(), stderr);
    if (command.exitStatus) {
        return *command.exitStatus;
    }
    // No display, no settings file, no single-instance lock.
    if (command.calc) {
        return RunCalcCommand(*command.calc, stdout, stderr);
    }
    if (const auto problem = DisplayProblem()) {
        std::fprintf(stderr, "%s\n", problem->toLocal8Bit().constData());
        return 1;
    }
    return RunWindow(argc, argv, command.files);
}

}  // namespace quillora
