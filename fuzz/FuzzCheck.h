#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "engine/EngineError.h"

// What every fuzz target shares: a broken property aborts with a readable
// account, which libFuzzer turns into a saved crash input.
namespace quillora::fuzz {

// Non-printable bytes as \xNN, so the account survives any terminal.
inline std::string Printable(std::string_view text, std::size_t limit = 300) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    if (text.size() > limit) {
        out += "... (" + std::to_string(text.size()) + " bytes)";
    }
    return out;
}

[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "\n*** property broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool holds, const std::string& what) {
    if (!holds) {
        Fail(what);
    }
}

// The outcome of one engine call: its value, or the description of the
// engine failure it raised. Any other exception is a fault in itself.
template <class T>
struct Outcome {
    T value{};
    std::string failure;  // empty when the call succeeded
    bool failed() const { return !failure.empty(); }
};

template <class T, class Call>
Outcome<T> Attempt(Call&& call, std::string_view context) {
    Outcome<T> outcome;
    try {
        outcome.value = call();
    } catch (const EngineError& e) {
        outcome.failure = e.what();
        Require(!outcome.failure.empty(),
                "an engine failure without a description: " + std::string(context));
    } catch (const std::exception& e) {
        Fail("not an engine failure (" + std::string(e.what()) + "): " + std::string(context));
    }
    return outcome;
}

}  // namespace quillora::fuzz
