#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "app/CalcOptionSet.h"

// What the program is asked on its command line, read before any window or
// display exists: quillora [--help] [--version] [FILE...], or
// quillora --calc [options] [FILE...] for the results without a window.
namespace quillora {

struct CommandLine {
    QStringList files;              // to load once start-up has restored the stored list
    std::optional<int> exitStatus;  // set: end at once with this status, no window
    QString standardOutput;         // what to print before that end
    QString standardError;
    std::optional<CalcOptions> calc;  // set: fold the files without a window
};

CommandLine ParseCommandLine(const QStringList& arguments);

// Why no window can be shown here, as one line for standard error; nothing
// when a display (or a platform needing none, such as offscreen) is there.
// Qt aborts the process when its platform cannot start, so this is asked first.
std::optional<QString> DisplayProblem();

}  // namespace quillora
