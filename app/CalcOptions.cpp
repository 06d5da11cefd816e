#include "app/CalcOptions.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace quillora {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::optional<ResultsFormat> FormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "text") {
        return ResultsFormat::Text;
    }
    if (lower == "tsv") {
        return ResultsFormat::Tsv;
    }
    if (lower == "json") {
        return ResultsFormat::Json;
    }
    return std::nullopt;
}

std::optional<int> WordSizeNamed(std::string_view bits) {
    for (int size : {8, 16, 32, 64, 128}) {
        if (bits == std::to_string(size)) {
            return size;
        }
    }
    return std::nullopt;
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace

std::optional<Base> BaseNamed(std::string_view name) {
    const std::string lower = Lower(name);
    for (Base base : kAllBases) {
        const std::string full = Lower(BaseNameText(base));
        if (lower == full || lower == full.substr(0, 3)) {
            return base;
        }
    }
    return std::nullopt;
}

CalcOptionsRead ReadCalcValues(const CalcValues& values) {
    CalcOptionsRead read;
    const auto fail = [&](std::string error) {
        read.error = std::move(error);
        return read;
    };
    CalcOptions options;
    if (values.base) {
        const std::optional<Base> base = BaseNamed(*values.base);
        if (!base) {
            return fail("invalid base " + Quoted(*values.base) +
                        " (decimal, hexadecimal, octal or binary)");
        }
        options.base = *base;
    }
    options.exact = values.exact;
    options.group = values.group;
    if (values.word) {
        options.word = WordSizeNamed(*values.word);
        if (!options.word) {
            return fail("invalid word size " + Quoted(*values.word) + " (8, 16, 32, 64 or 128)");
        }
    }
    if ((options.word || options.group) && !options.exact) {
        return fail(std::string("--") + (options.word ? "word" : "group") + " needs --exact");
    }
    if (values.format) {
        const std::optional<ResultsFormat> format = FormatNamed(*values.format);
        if (!format) {
            return fail("invalid format " + Quoted(*values.format) + " (text, tsv or json)");
        }
        options.format = *format;
    }
    if (values.rows) {
        options.rows.clear();
        std::string_view rest = *values.rows;
        for (;;) {
            const std::size_t comma = rest.find(',');
            const std::string_view name = rest.substr(0, comma);
            const std::optional<Base> row = BaseNamed(name);
            if (!row) {
                return fail("invalid row " + Quoted(name) +
                            " (decimal, hexadecimal, octal or binary, separated by commas)");
            }
            if (std::find(options.rows.begin(), options.rows.end(), *row) != options.rows.end()) {
                return fail("row " + Quoted(name) + " named twice");
            }
            options.rows.push_back(*row);
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    options.strict = values.strict;
    options.files = values.files;
    read.options = std::move(options);
    return read;
}

}  // namespace quillora
