#include "app/CalcArguments.h"

#include <string_view>

namespace quillora {

namespace {

// Where an option's value goes; nothing for an option this reading leaves to Qt.
std::optional<std::string>* ValueOf(CalcValues& values, std::string_view name) {
    if (name == "base") {
        return &values.base;
    }
    if (name == "word") {
        return &values.word;
    }
    if (name == "format") {
        return &values.format;
    }
    if (name == "rows") {
        return &values.rows;
    }
    return nullptr;
}

bool* FlagOf(CalcValues& values, bool& calc, std::string_view name) {
    if (name == "calc") {
        return &calc;
    }
    if (name == "exact") {
        return &values.exact;
    }
    if (name == "group") {
        return &values.group;
    }
    if (name == "strict") {
        return &values.strict;
    }
    return nullptr;
}

}  // namespace

std::optional<CalcOptions> ReadCalcArguments(const std::vector<std::string>& arguments) {
    CalcValues values;
    bool calc = false;
    // The word after an option that takes it, as Qt's parser takes it
    // whatever it is; false when there is none.
    std::size_t i = 1;
    const auto next = [&](std::optional<std::string>& value) {
        if (++i >= arguments.size()) {
            return false;
        }
        value = arguments[i];
        return true;
    };
    for (; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--") {
            values.files.insert(values.files.end(), arguments.begin() + static_cast<long>(i) + 1,
                                arguments.end());
            break;
        }
        if (argument.size() < 2 || argument[0] != '-') {
            values.files.emplace_back(argument);  // "-" included: standard input
        } else if (argument.starts_with("--")) {
            const std::string_view option = argument.substr(2);
            const std::size_t equals = option.find('=');
            const std::string_view name = option.substr(0, equals);
            if (bool* flag = FlagOf(values, calc, name); flag != nullptr && equals == option.npos) {
                *flag = true;
            } else if (std::optional<std::string>* value = ValueOf(values, name)) {
                if (equals != option.npos) {
                    *value = std::string(option.substr(equals + 1));
                } else if (!next(*value)) {
                    return std::nullopt;
                }
            } else {
                return std::nullopt;
            }
        } else if (argument[1] == 'b') {
            std::string_view joined = argument.substr(2);
            if (joined.starts_with('=')) {
                joined.remove_prefix(1);
                values.base = std::string(joined);
            } else if (!joined.empty()) {
                values.base = std::string(joined);
            } else if (!next(values.base)) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (!calc) {
        return std::nullopt;
    }
    return ReadCalcValues(values).options;
}

}  // namespace quillora
