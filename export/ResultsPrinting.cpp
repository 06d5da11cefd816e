#include "export/ResultsPrinting.h"

#include <algorithm>

#include <QString>
#include <QStringList>

#include "calc/ResultsTableModel.h"
#include "export/PaddedCells.h"

namespace quillora {

namespace {

constexpr std::size_t kResultColumns = 4;

// The header's captions: "Base" and the four operations.
const QStringList& Captions() {
    return ResultsTableModel::columnCaptions();
}

// A row's five cells: its base's name and its four results.
QStringList RowCells(const ResultTexts& texts, Base row) {
    QStringList cells{BaseName(row)};
    for (std::size_t k = 0; k < kResultColumns; ++k) {
        cells << ResultCell(texts, row, k);
    }
    return cells;
}

QByteArray AlignedText(const PrintedResults& results) {
    // As wide as the window's file makes them: over the headers and every
    // row of the table, printed or not.
    std::vector<int> widths;
    for (qsizetype c = 0; c < Captions().size(); ++c) {
        int width = static_cast<int>(Captions().at(c).size());
        for (Base row : kAllBases) {
            width = std::max(width, static_cast<int>(RowCells(results.texts, row).at(c).size()));
        }
        widths.push_back(width);
    }
    const auto line = [&](const QStringList& cells) {
        QString text;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            AppendPaddedCell(text, cells.at(c), widths.at(static_cast<std::size_t>(c)));
        }
        return text.toUtf8() + '\n';
    };
    QByteArray out = line(Captions());
    for (Base row : results.rows) {
        out += line(RowCells(results.texts, row));
    }
    return out;
}

QByteArray TabSeparated(const PrintedResults& results) {
    QByteArray out = Captions().join(QLatin1Char('\t')).toUtf8() + '\n';
    for (Base row : results.rows) {
        out += RowCells(results.texts, row).join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    return out;
}

QByteArray JsonString(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += QByteArray("\\u00") + QByteArray::number(byte, 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Written by hand rather than through QJsonObject, which would sort the rows
// by name instead of keeping the order asked for.
QByteArray Json(const PrintedResults& results) {
    QByteArray out = "{\n";
    out += "  \"base\": " + JsonString(BaseName(results.listBase)) + ",\n";
    out += "  \"entries\": " + QByteArray::number(results.entries) + ",\n";
    out += "  \"skipped\": " + QByteArray::number(results.skipped) + ",\n";
    out += QByteArray("  \"exact\": ") + (results.exact ? "true" : "false") + ",\n";
    out += "  \"results\": {";
    for (std::size_t r = 0; r < results.rows.size(); ++r) {
        const Base row = results.rows.at(r);
        out += (r == 0 ? "\n    " : ",\n    ") + JsonString(BaseName(row)) + ": {";
        for (std::size_t k = 0; k < kResultColumns; ++k) {
            out += (k == 0 ? "" : ", ") + JsonString(Captions().at(static_cast<qsizetype>(k) + 1)) +
                   ": " + JsonString(ResultCell(results.texts, row, k));
        }
        out += "}";
    }
    out += results.rows.empty() ? "}\n}\n" : "\n  }\n}\n";
    return out;
}

}  // namespace

QByteArray PrintResults(const PrintedResults& results, ResultsFormat format) {
    switch (format) {
        case ResultsFormat::Text:
            return AlignedText(results);
        case ResultsFormat::Tsv:
            return TabSeparated(results);
        case ResultsFormat::Json:
            return Json(results);
    }
    return {};
}

}  // namespace quillora
