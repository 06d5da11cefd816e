#include "export/ClipboardHtml.h"

#include <optional>

#include <QLocale>

#include "export/TableCells.h"

namespace quillora {

namespace {

QString TextCell(const QString& text) {
    return QStringLiteral("<td sdnum=\"1033;0;@\" style=\"mso-number-format:'\\@'\">%1</td>")
        .arg(text.toHtmlEscaped());
}

QString NumberCell(const QString& text, double value) {
    // The shortest text that reads back as the very same double.
    const QString exact = QString::number(value, 'g', QLocale::FloatingPointShortest);
    return QStringLiteral("<td sdval=\"%1\" sdnum=\"1033;0;General\" x:num=\"%1\">%2</td>")
        .arg(exact, text.toHtmlEscaped());
}

}  // namespace

QString ClipboardHtml(const ResultsTableModel& table) {
    QString html = QStringLiteral(
        "<html xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><head>"
        "<meta charset=\"utf-8\"></head><body><table>");
    for (int r = 0; r < table.count(); ++r) {
        const ResultRow& row = table.row(r);
        if (!row.checked) {
            continue;
        }
        html += QStringLiteral("<tr>") + TextCell(table.text(r, 0));
        const bool decimal = row.writtenIn == Base::Decimal;
        for (int c = 1; c < ResultsTableModel::kColumnCount; ++c) {
            const QString cell = table.text(r, c);
            const std::optional<double> number = decimal ? CellNumber(cell) : std::nullopt;
            html += number ? NumberCell(cell, *number) : TextCell(cell);
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table></body></html>");
    return html;
}

}  // namespace quillora
