#include "app/CommandLine.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace quillora {

namespace {

const QString kProgram = QStringLiteral("quillora");

QString VersionText() {
    return kProgram + QLatin1Char(' ') + QStringLiteral(QUILLORA_VERSION) + QLatin1Char('\n');
}

// Whether a local socket at this path (a leading '@' for the abstract
// namespace) takes a connection: connecting to a local socket never blocks
// long, unlike a TCP display on another host.
bool SocketAnswers(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof(address.sun_path)) {
        ::close(fd);
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
    if (path.startsWith('@')) {
        address.sun_path[0] = '\0';
    } else {
        length += 1;
    }
    const bool answers =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;  // NOLINT
    ::close(fd);
    return answers;
}

// DISPLAY as [host]:number[.screen]. Only a local display is probed; one on
// another host is left for Qt to reach.
bool X11DisplayAnswers() {
    const QString display = qEnvironmentVariable("DISPLAY");
    static const QRegularExpression form(QStringLiteral("^(.*):(\\d+)(\\.\\d+)?$"));
    const QRegularExpressionMatch match = form.match(display);
    if (!match.hasMatch()) {
        return false;
    }
    const QString host = match.captured(1);
    if (!host.isEmpty() && host != QStringLiteral("unix") && !host.startsWith(QLatin1Char('/'))) {
        return true;
    }
    if (host.startsWith(QLatin1Char('/'))) {  // a launchd-style socket path
        return SocketAnswers(display.left(display.lastIndexOf(QLatin1Char(':'))).toLocal8Bit());
    }
    const QByteArray socket = "/tmp/.X11-unix/X" + match.captured(2).toLatin1();
    return SocketAnswers(socket) || SocketAnswers("@" + socket);
}

bool WaylandDisplayAnswers() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty()) {
        return false;
    }
    const QString path = QDir::isAbsolutePath(name)
                             ? name
                             : QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(name);
    return SocketAnswers(QFile::encodeName(path));
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Adds, subtracts, multiplies and divides a list of numbers written in "
                       "decimal, hexadecimal, octal or binary."));
    // Long options only, but for --calc's -b.
    const QCommandLineOption help(QStringLiteral("help"),
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Number list files, one number a line: loaded after the stored list, "
                       "or with --calc folded in the order given."),
        QStringLiteral("[FILE...]"));
    const CalcOptionSet calc;
    calc.addTo(parser);

    CommandLine command;
    // The window's start ends with status 1 on a wrong option, as it always
    // has; --calc, for scripts, tells usage errors by status 2.
    const auto usageError = [&](const QString& error, bool forCalc) {
        command.standardError = kProgram + QStringLiteral(": ") + error +
                                QStringLiteral("\nTry 'quillora --help' for more information.\n");
        command.exitStatus = forCalc ? 2 : 1;
        return command;
    };
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), arguments.contains(QStringLiteral("--calc")));
    }
    if (parser.isSet(help)) {
        // The parser names the program by its path; the page names it by its name.
        command.standardOutput = parser.helpText().replace(
            QRegularExpression(QStringLiteral("^Usage: \\S+")), QStringLiteral("Usage: quillora"));
        command.standardOutput += CalcHelpExamples();
        command.exitStatus = 0;
        return command;
    }
    if (parser.isSet(version)) {
        command.standardOutput = VersionText();
        command.exitStatus = 0;
        return command;
    }
    if (calc.calcAsked(parser)) {
        CalcOptionSet::Read read = calc.read(parser);
        if (!read.options) {
            return usageError(read.error, true);
        }
        command.calc = std::move(read.options);
        return command;
    }
    command.files = parser.positionalArguments();
    return command;
}

std::optional<QString> DisplayProblem() {
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM").section(QLatin1Char(';'), 0, 0);
    const QString platform = chosen.section(QLatin1Char(':'), 0, 0);
    if (platform == QStringLiteral("xcb")) {
        if (X11DisplayAnswers()) {
            return std::nullopt;
        }
    } else if (platform.startsWith(QStringLiteral("wayland"))) {
        if (WaylandDisplayAnswers()) {
            return std::nullopt;
        }
    } else if (!platform.isEmpty()) {
        return std::nullopt;  // offscreen, vnc, eglfs and the like bring their own screen
    } else if (WaylandDisplayAnswers() || X11DisplayAnswers()) {
        return std::nullopt;
    }
    return kProgram + QStringLiteral(
                          ": cannot open a display (set DISPLAY or WAYLAND_DISPLAY "
                          "to a running X or Wayland server)");
}

}  // namespace quillora
