#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>

#include <QString>

#include "core/Base.h"
#include "core/UiPorts.h"
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

// The most memory loading lets the list grow to: 1 GiB. Each entry counts its
// text and kRowBytes more, for its place in the list and the row the list view
// lays out for it, so a file of a hundred million one-digit lines stops
// loading long before the window runs short of memory.
inline constexpr std::size_t kListMemoryBudget = std::size_t{1} << 30;
inline constexpr std::size_t kRowBytes = 48;

// What the list of this many entries holding that many text bytes counts against the budget.
constexpr std::size_t ListBudgetUse(std::size_t entries, std::size_t textBytes) {
    return textBytes + entries * kRowBytes;
}

// How a load keeps the window alive. With a pump, a load that takes longer
// than yieldInterval lets the event loop run about that often, and shows its
// progress ("Loading file: " and the file's name) when it has a progress bar.
struct ListLoadOptions {
    ProgressPort* progress = nullptr;
    EventPump* pump = nullptr;
    std::chrono::nanoseconds yieldInterval = std::chrono::milliseconds(15);
    std::size_t memoryBudget = kListMemoryBudget;
};

// Reads the file as 8-bit text and appends every candidate that passes the
// base's test. A line ends at CR, CR LF or a bare LF; a candidate is taken
// whole, untrimmed. A missing file shows "File not found" and appends
// nothing. Anything that cannot be opened or read, or is no plain file (a
// folder, a device, a pipe), throws for the caller to report; so does a file
// that would take the list past its memory budget. Only the size the file had
// when it was opened is read, so one that keeps growing still ends. Entries
// accepted before a failure are kept, and nothing already in the list is ever
// dropped, also when memory runs short. Returns how many entries were appended.
int LoadListFile(NumberListModel& list, const QString& path, std::optional<Base> base,
                 Dialogs& dialogs);
int LoadListFile(NumberListModel& list, const QString& path, std::optional<Base> base,
                 Dialogs& dialogs, const ListLoadOptions& options);

// PushButton1_Click: the open dialog, several files at once, each loaded in
// the order the dialog returns them, as the dialog spells them, under the busy
// pointer; failures are reported under Form1.PushButton1_Click and the next
// file still loads. Inside an export's yield it loads too and leaves that
// export its hourglass. Long loads yield through the context's pump and show
// their progress on its progress bar.
void LoadNumbersFromFiles(const InputContext& context);

// Steps 104 to 110 of every handler that loads files: the busy pointer, each
// file in turn at step 108 (a failure is reported and the next file still
// loads), then the pointer found at the start. path(i) names the i-th file,
// or throws why it names none.
void LoadFilesInTurn(const InputContext& context, Steps& steps, qsizetype count,
                     const std::function<QString(qsizetype)>& path);

}  // namespace quillora
