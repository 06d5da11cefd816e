#pragma once

#include <QString>

#include "calc/ResultsTableModel.h"
#include "core/StepReport.h"
#include "core/UiPorts.h"
#include "export/ExportContext.h"

// "Copy Results To Clipboard": the ticked rows as padded, TAB-separated lines.
namespace quillora {

// The system clipboard, one attempt at a time. An attempt that fails (another
// program holds the clipboard) answers false or throws.
class ClipboardPort {
  public:
    virtual ~ClipboardPort() = default;
    virtual bool clear() = 0;
    virtual bool setText(const QString& text) = 0;
    // The same text with an HTML flavour beside it, for programs that paste
    // tables; a clipboard without flavours takes the text alone.
    virtual bool setTextAndHtml(const QString& text, const QString& /*html*/) {
        return setText(text);
    }
};

// Another program may hold the clipboard for a moment, so each routine tries
// up to this many times, at once, stopping at the first success.
inline constexpr int kClipboardAttempts = 1000;

// True when an attempt succeeded.
bool ClearClipboardWithRetry(ClipboardPort& clipboard);
bool SetClipboardTextWithRetry(ClipboardPort& clipboard, const QString& text);
bool SetClipboardTextWithRetry(ClipboardPort& clipboard, const QString& text, const QString& html);

// The lines of the ticked rows: cells joined by TABs, every cell but the last
// padded to its column's widest cell over all rows (headers not counted),
// trailing spaces dropped, CR LF after each line.
QString ClipboardText(const ResultsTableModel& table, EventPump& pump, Steps& step);

enum class ClipboardCopy {
    Copied,         // the text is on the clipboard
    EmptyTable,     // nothing to copy; the clipboard is as it was
    ClipboardBusy,  // the clipboard stayed busy; nothing was copied
};

// Main.CopyListViewToClipboardTab: builds the text and puts it on the
// clipboard, with the same ticked rows as an HTML table beside it (ClipboardHtml.h).
ClipboardCopy CopyListViewToClipboardTab(const ResultsTableModel& table, ClipboardPort& clipboard,
                                         EventPump& pump, FailureReport& report);

// Form1.PushButton8_Click: copies, then tells the user what happened.
void CopyResultsToClipboard(const ExportContext& context, ClipboardPort& clipboard);

inline const QString kCopiedMessage = QStringLiteral(
    "Results have been copied to the clipboard.\r\rClick a text area where you "
    "normally type and press Ctrl+V to paste the clipboard.");
inline const QString kClipboardBusyMessage =
    QStringLiteral("The clipboard is in use by another program. Nothing was copied.");
inline const QString kNothingToCopyMessage =
    QStringLiteral("The results table is empty. Nothing was copied.");

}  // namespace quillora
