#pragma once

#include <QString>

#include "calc/ResultsTableModel.h"
#include "core/StepReport.h"
#include "core/UiPorts.h"
#include "export/ExportContext.h"

// "Save Results As Text File": the results table as a text file whose columns
// line up in a fixed-width font and also split on TABs.
namespace quillora {

// The part of a path after its last "/" or "\"; the whole path without one.
QString FileNameFromPath(const QString& path);

// Writes the header line and the ticked rows, every cell padded with spaces to
// its column's width (over the headers and all rows, ticked or not) and ended
// by a TAB, every line by CR LF, one byte per character and no byte-order
// mark. Failing steps are reported under Main.SaveListviewProperlySpaced and
// the writer goes on; progress may be null.
void SaveListviewProperlySpaced(const ResultsTableModel& table, const QString& fileName,
                                ProgressPort* progress, EventPump& pump, FailureReport& report);

// Form1.PushButton4_Click: asks for the file name, then writes the file under
// the busy pointer. Cancelling writes nothing.
void SaveResultsAsTextFile(const ExportContext& context);

// The save dialog's caption and filter.
inline const QString kTextSaveTitle = QStringLiteral("Save");
// "*", not "*.*": that would hide every file without an extension, which
// then could not be picked to be replaced.
inline const QString kTextSaveFilter = QStringLiteral("Text Files (*.txt);;All Files (*)");

}  // namespace quillora
