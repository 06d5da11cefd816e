#include "export/ResultsPrinting.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace quillora {

namespace {

constexpr std::size_t kResultColumns = 4;
using RowCells = std::array<std::string_view, kResultCaptions.size()>;

// A row's five cells: its base's name and its four results.
RowCells CellsOf(const ResultTexts& texts, Base row) {
    RowCells cells{BaseNameText(row)};
    for (std::size_t k = 0; k < kResultColumns; ++k) {
        cells.at(k + 1) = ResultCell(texts, row, k);
    }
    return cells;
}

// A text's length as the window's file measures it, in UTF-16 code units: the
// "…" of a rounded exact result counts one, as it does there.
std::size_t WindowLength(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;  // a four-byte character is a surrogate pair
        }
    }
    return units;
}

std::string AlignedText(const PrintedResults& results) {
    // As wide as the window's file makes them: over the headers and every
    // row of the table, printed or not.
    std::array<std::size_t, kResultCaptions.size()> widths{};
    for (std::size_t c = 0; c < widths.size(); ++c) {
        widths.at(c) = WindowLength(kResultCaptions.at(c));
        for (Base row : kAllBases) {
            widths.at(c) = std::max(widths.at(c), WindowLength(CellsOf(results.texts, row).at(c)));
        }
    }
    std::string out;
    const auto line = [&](const RowCells& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            out += cells.at(c);
            const std::size_t length = WindowLength(cells.at(c));
            out.append(widths.at(c) > length ? widths.at(c) - length : 0, ' ');
            out += '\t';
        }
        out += '\n';
    };
    line(kResultCaptions);
    for (Base row : results.rows) {
        line(CellsOf(results.texts, row));
    }
    return out;
}

std::string TabSeparated(const PrintedResults& results) {
    std::string out;
    const auto line = [&](const RowCells& cells) {
        for (std::size_t c = 0; c < cells.size(); ++c) {
            out += c == 0 ? "" : "\t";
            out += cells.at(c);
        }
        out += '\n';
    };
    line(kResultCaptions);
    for (Base row : results.rows) {
        line(CellsOf(results.texts, row));
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04x", byte);
            out += escaped.data();
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Written by hand, keeping the rows in the order asked for.
std::string Json(const PrintedResults& results) {
    std::string out = "{\n";
    out += "  \"base\": " + JsonString(BaseNameText(results.listBase)) + ",\n";
    out += "  \"entries\": " + std::to_string(results.entries) + ",\n";
    out += "  \"skipped\": " + std::to_string(results.skipped) + ",\n";
    out += std::string("  \"exact\": ") + (results.exact ? "true" : "false") + ",\n";
    out += "  \"results\": {";
    for (std::size_t r = 0; r < results.rows.size(); ++r) {
        const Base row = results.rows.at(r);
        out += (r == 0 ? "\n    " : ",\n    ") + JsonString(BaseNameText(row)) + ": {";
        for (std::size_t k = 0; k < kResultColumns; ++k) {
            out += (k == 0 ? "" : ", ") + JsonString(kResultCaptions.at(k + 1)) + ": " +
                   JsonString(ResultCell(results.texts, row, k));
        }
        out += "}";
    }
    out += results.rows.empty() ? "}\n}\n" : "\n  }\n}\n";
    return out;
}

}  // namespace

std::string PrintResults(const PrintedResults& results, ResultsFormat format) {
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
