#pragma once

#include <optional>

#include <QString>

#include "calc/Base.h"
#include "calc/UiPorts.h"
#include "input/InputContext.h"
#include "input/NumberListModel.h"

// "Load Numbers From File": the open dialog and the reading of number list files.
namespace quillora {

// The open dialog's title and its Qt filter: text files first, then all files.
QString ListFileDialogTitle();
QString ListFileDialogFilter();

// Collapses every run of separators ("/" and "\" alike) into its first
// character. A path that starts with two or more separators is a network
// path: it keeps two of them (\\server\share), while a path that starts with
// one stays an ordinary absolute path. Meant for a folder joined with a file
// name; never for a path the open dialog answered, whose backslashes are
// characters of its file names.
QString NormalizeListPath(const QString& path);

// True when the path names something that exists (a folder counts, so that
// choosing one is reported as unreadable rather than as missing).
bool FileExists(const QString& path);

// Reads the file as 8-bit text and appends every candidate that passes the
// base's test. A line ends at CR, CR LF or a bare LF; a candidate is taken
// whole, untrimmed. A missing file shows "File not found" and appends
// nothing. Anything that cannot be opened or read, or is no plain file (a
// folder, a device, a pipe), throws for the caller to report; entries
// accepted before a read failure are kept, and nothing already in the list is
// ever dropped. Returns how many entries were appended.
int LoadListFile(NumberListModel& list, const QString& path, std::optional<Base> base,
                 Dialogs& dialogs);

// PushButton1_Click: the open dialog, several files at once, each loaded in
// the order the dialog returns them, as the dialog spells them, under the busy
// pointer; failures are reported under Form1.PushButton1_Click and the next
// file still loads. Inside an export's yield it loads too and leaves that
// export its hourglass.
void LoadNumbersFromFiles(const InputContext& context);

}  // namespace quillora
