#include "export/ClipboardExport.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "export/ClipboardHtml.h"
#include "export/PaddedCells.h"
#include "export/TableCells.h"

namespace quillora {

namespace {

bool Retry(const std::function<bool()>& attempt) {
    for (int count = 0; count < kClipboardAttempts; ++count) {
        try {
            if (attempt()) {
                return true;
            }
        } catch (...) {
            // A busy clipboard is expected; the next attempt follows at once.
        }
    }
    return false;
}

}  // namespace

bool ClearClipboardWithRetry(ClipboardPort& clipboard) {
    return Retry([&] { return clipboard.clear(); });
}

bool SetClipboardTextWithRetry(ClipboardPort& clipboard, const QString& text) {
    return Retry([&] { return clipboard.setText(text); });
}

bool SetClipboardTextWithRetry(ClipboardPort& clipboard, const QString& text, const QString& html) {
    return Retry([&] { return clipboard.setTextAndHtml(text, html); });
}

QString ClipboardText(const ResultsTableModel& table, EventPump& pump, Steps& step) {
    const std::vector<int> widths =
        ColumnWidths(table, pump, step, {.header = 0, .yield = 106, .cell = 108});

    QString text;
    const int rows = table.count();
    for (int r = 0; r < rows; ++r) {
        step(116, [&] { pump.processEvents(); });
        bool ticked = false;
        step(118, [&] { ticked = IsTicked(table, r); });
        if (!ticked) {
            continue;
        }
        AppendPaddedCells(text, widths, [&](int c) { return CellText(table, r, c); }, pump, step,
                          {.yield = 120, .cell = 122});
        text.chop(1);
        // Spaces only: a TAB before an empty last cell stays.
        while (text.endsWith(QLatin1Char(' '))) {
            text.chop(1);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

ClipboardCopy CopyListViewToClipboardTab(const ResultsTableModel& table, ClipboardPort& clipboard,
                                         EventPump& pump, FailureReport& report) {
    Steps step(report, LocationName("Main", "CopyListViewToClipboardTab"));
    if (table.count() == 0) {
        return ClipboardCopy::EmptyTable;
    }
    const QString text = ClipboardText(table, pump, step);
    QString html;
    step(124, [&] { html = ClipboardHtml(table); });
    ClearClipboardWithRetry(clipboard);
    return SetClipboardTextWithRetry(clipboard, text, html) ? ClipboardCopy::Copied
                                                            : ClipboardCopy::ClipboardBusy;
}

void CopyResultsToClipboard(const ExportContext& context, ClipboardPort& clipboard) {
    Steps step(context.window.report, LocationName("Form1", "PushButton8_Click"));
    std::optional<ClipboardCopy> outcome;
    step(100, [&] {
        outcome = CopyListViewToClipboardTab(context.table, clipboard, context.window.pump,
                                             context.window.report);
    });
    // Only a copy that happened is announced as one.
    step(102, [&] {
        if (!outcome) {
            return;  // the failure has been reported; claim nothing
        }
        switch (*outcome) {
            case ClipboardCopy::Copied:
                context.window.dialogs.message(kCopiedMessage);
                break;
            case ClipboardCopy::EmptyTable:
                context.window.dialogs.message(kNothingToCopyMessage);
                break;
            case ClipboardCopy::ClipboardBusy:
                context.window.dialogs.message(kClipboardBusyMessage);
                break;
        }
    });
}

}  // namespace quillora
