#include "export/ClipboardExport.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "export/ClipboardHtml.h"
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
    std::vector<int> widths;
    const int columns = ColumnCount(table);
    for (int c = 1; c <= columns; ++c) {
        int width = 0;
        const int rows = table.count();
        for (int r = 1; r <= rows; ++r) {
            step(106, [&] { pump.processEvents(); });
            step(108,
                 [&] { width = std::max(width, static_cast<int>(CellText(table, r, c).size())); });
        }
        widths.push_back(width);
    }

    QString text;
    const int rows = table.count();
    for (int r = 1; r <= rows; ++r) {
        step(116, [&] { pump.processEvents(); });
        bool ticked = false;
        step(118, [&] { ticked = IsTicked(table, r); });
        if (!ticked) {
            continue;
        }
        for (int c = 1; c <= columns; ++c) {
            step(120, [&] { pump.processEvents(); });
            step(122, [&] {
                const QString cell = CellText(table, r, c);
                text += cell;
                if (widths.at(c - 1) > cell.size()) {
                    text +=
                        QString(widths.at(c - 1) - static_cast<int>(cell.size()), QLatin1Char(' '));
                }
                text += QLatin1Char('\t');
            });
        }
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
