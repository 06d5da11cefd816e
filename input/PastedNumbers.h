#pragma once

#include <optional>
#include <string>

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include "core/Base.h"
#include "input/InputContext.h"
#include "input/NumberListModel.h"

// Numbers that arrive as pasted or dropped text, and files that arrive by drop
// or on the command line.
namespace quillora {

// Splits the text at CR, LF, CR LF, commas and TABs, trims each piece of
// surrounding white space and appends every piece that passes the base's test
// as a typed entry does (AcceptEntry: hexadecimal upper-cased, rejects
// skipped). The entries join the list in batches, never one row at a time,
// and all of one batch or none of it joins. Returns how many were appended.
int AddPastedText(NumberListModel& list, std::optional<Base> base, QStringView text);

// Ctrl+V, or text dropped on the window, reported under `handler` of Form1.
// Like typed numbers it is added inside an export's yield too (the window
// keeps it out of a calculation run); shows the busy pointer while a long text
// is added.
void AddTextAsNumbers(const InputContext& context, QStringView text, std::string_view handler);

// Files dropped on the window or named on the command line, loaded in the
// order given as "Load Numbers From File" loads the chosen ones: the busy
// pointer meanwhile, "File not found" for a missing one, a report for one that
// cannot be read (a folder, a device, a pipe, a URL that is no local file),
// and the next one still loads. Like chosen files they load inside an
// export's yield too, leaving it its hourglass.
void LoadFilesAsNumbers(const InputContext& context, const QList<QUrl>& files,
                        std::string_view handler);

// A command-line argument as the file it names, relative to the working folder.
QUrl CommandLineFile(const QString& argument);

}  // namespace quillora
