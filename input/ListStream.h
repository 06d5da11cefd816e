#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "core/Base.h"
#include "core/ByteScan.h"
#include "engine/EntryValidation.h"
#include "engine/PlainWordReading.h"
#include "input/ListFileSplitter.h"
#include "input/NumberListEditing.h"

// A number list read as "Load Numbers From File" reads it, but streamed: each
// accepted entry is handed on as it passes and nothing of the list is kept,
// so an input of any length (a pipe, a FIFO, a terminal, a file of gigabytes)
// takes the same small memory.
namespace quillora {

// The size of one read: large enough that the system calls cost next to
// nothing beside the lines, small enough to stay in the processor's caches.
inline constexpr std::size_t kStreamBlock = std::size_t{256} << 10;

// The most lines one run of words takes: a run some step of which would fail
// comes again line by line, so its length bounds that cost.
inline constexpr std::size_t kRunLines = 1024;

// What one input held: the entries accepted, the lines skipped (blank lines
// are gaps, not skipped lines), and the line of the first skipped one.
struct StreamTally {
    unsigned long long accepted = 0;
    unsigned long long skipped = 0;
    unsigned long long firstSkippedLine = 0;  // 0: none skipped
};

// Reads one input through its file descriptor until its end. Lines are cut
// and tested exactly as a list file's are (ListFileSplitter, IsAcceptedEntry).
// accept(entry, word) gets each accepted entry, hexadecimal ones upper-cased
// as the list would store them, in a buffer of the stream's own; the view
// lives until accept returns. The usual entry of a power-of-two base, plain
// digits that fit a machine word, is tested and read in one pass: it comes
// with the word its digits make (a pointer valid while accept runs; its
// double is PlainWordValue's) and as it stands in the input, letters in
// either case. Every other entry comes with a null word.
//
// An accept that can fold plain words by itself may also offer runs:
// accept.beginWords() gives a run or nothing (an empty optional),
// run->take(value) takes the value of one line: its word, or the word's double
// (PlainWordValue's), as the run's Value is std::uint64_t or double; and accept.endWords(run,
// count) takes the run back with the count of words it took, true if it keeps them. Lines of one
// width then go to runs with nothing counted per line. A run not kept is void: its lines go to
// accept one by one, as ever, so that each line is handed on once. While endWords runs, line()
// is the line of the run's first.
class ListStream {
  public:
    explicit ListStream(Base base)
        : radix_(Radix(base)), block_(std::make_unique<char[]>(kStreamBlock)) {}

    // Fails with std::system_error carrying the system's reason when a read
    // fails (a folder, an I/O error); what was accepted before stays accepted.
    template <class Accept>
    void read(int fd, Accept&& accept) {
        switch (radix_) {
            case 2:
                return readAs<1>(fd, accept);
            case 8:
                return readAs<3>(fd, accept);
            case 16:
                return readAs<4>(fd, accept);
            default:
                return readAs<0>(fd, accept);
        }
    }

    const StreamTally& tally() const { return tally_; }
    // The line of the entry being handed to accept, counted from 1.
    unsigned long long line() const { return splitter_.line(); }

  private:
    // read() for digits of `bits` bits, 0 for decimal: the base is chosen once
    // per input, so each line costs no call or dispatch on it. Flattened, so
    // that accept and what it calls are inlined too: an entry's optional word
    // handed through a call went through memory in two halves and was read
    // back whole, a stall that cost more than reading the line.
    template <unsigned bits, class Accept>
    [[gnu::flatten]] void readAs(int fd, Accept& accept) {
        const auto take = [&](std::string_view candidate) {
            if constexpr (bits != 0) {
                if (std::uint64_t word = 0; ReadPlainWordAs<bits>(candidate, word)) {
                    width_ = candidate.size();
                    ++tally_.accepted;
                    accept(candidate, &word);
                    return;
                }
            }
            if (!IsAcceptedEntry(candidate, radix_)) {
                skip();
                return;
            }
            ++tally_.accepted;
            if constexpr (bits != 4) {
                accept(candidate, static_cast<const std::uint64_t*>(nullptr));
            } else {
                // The list stores hexadecimal entries upper-cased; the fold reads them so.
                char* const upper = upper_.data();
                std::memcpy(upper, candidate.data(), candidate.size());
                bytescan::UpperCaseAscii(upper, candidate.size());
                accept(std::string_view(upper, candidate.size()),
                       static_cast<const std::uint64_t*>(nullptr));
            }
        };
        const auto drop = [&] { skip(); };
        for (;;) {
            const std::size_t got = readBlock(fd);
            if (got == 0) {
                break;
            }
            std::string_view rest(block_.get(), got);
            if constexpr (bits != 0) {
                rest = takeSameWidthLines<bits>(rest, take, drop, accept);
            }
            splitter_.feed(rest, take, drop);
        }
        splitter_.finish(take, drop);
    }

    // Lists of addresses, masks or hashes are written one width a line: such
    // a line is read where it stands, its width guessed from the line before
    // and proved by its LF and its digits (no digit is a CR or an LF), with
    // no search for its end. The line the block starts inside goes through
    // the splitter first, to its end; the rest of the block from the first
    // line of another width or end on, as ever. Returns that rest.
    template <unsigned bits, class Take, class Drop, class Accept>
    std::string_view takeSameWidthLines(std::string_view rest, Take& take, Drop& drop,
                                        Accept& accept) {
        if (width_ == 0) {
            return rest;
        }
        if (!splitter_.betweenLines()) {
            const std::size_t end = bytescan::FirstOf(rest, 0, '\r', '\n');
            if (end == rest.size()) {
                return rest;
            }
            // Fed through its end, the line leaves nothing carried over.
            splitter_.feed(rest.substr(0, end + 1), take, drop);
            rest.remove_prefix(end + 1);
        }
        const std::size_t width = width_;
        std::uint64_t word = 0;
        const auto sameWidth = [&] {
            return rest.size() > width && rest[width] == '\n' &&
                   ReadPlainWordAs<bits>(rest.substr(0, width), word);
        };
        for (;;) {
            // Lines to hand on one by one before a run is offered again.
            std::size_t alone = std::numeric_limits<std::size_t>::max();
            if constexpr (requires { accept.beginWords(); }) {
                alone = 1;
                if (auto run = accept.beginWords()) {
                    const std::size_t taken = TakeRun<bits>(rest, width, *run);
                    if (accept.endWords(*run, taken)) {
                        tally_.accepted += taken;
                        splitter_.passLines(taken);
                        rest.remove_prefix(taken * (width + 1));
                        if (taken < kRunLines) {
                            return rest;
                        }
                        continue;
                    }
                    alone = taken;  // the run is void: its lines again, one by one
                }
            }
            for (std::size_t line = 0; line < alone; ++line) {
                if (!sameWidth()) {
                    return rest;
                }
                splitter_.passLine(rest.substr(0, width), [&](std::string_view text) {
                    ++tally_.accepted;
                    accept(text, &word);
                });
                rest.remove_prefix(width + 1);
            }
        }
    }

    // Hands run the values of the lines of `width` plain digits and an LF
    // that lines starts with, at most kRunLines; returns how many it took.
    template <unsigned bits, class Run>
    static std::size_t TakeRun(std::string_view lines, std::size_t width, Run& run) {
        const std::size_t stride = width + 1;
        const char* const first = lines.data();
        const char* const end = first + std::min(lines.size(), kRunLines * stride);
        const char* line = first;
        typename Run::Value value{};
        while (static_cast<std::size_t>(end - line) >= stride && line[width] == '\n' &&
               ReadPlainWordAs<bits>(std::string_view(line, width), value)) {
            run.take(value);
            line += stride;
        }
        return static_cast<std::size_t>(line - first) / stride;
    }

    void skip() {
        if (tally_.skipped++ == 0) {
            tally_.firstSkippedLine = splitter_.line();
        }
    }

    // The bytes read into the block, 0 at the end; throws on a failed read.
    std::size_t readBlock(int fd);

    int radix_;
    std::size_t width_ = 0;  // of the last plain word a line held whole, or 0
    std::unique_ptr<char[]> block_;
    std::array<char, kLongestEntry> upper_{};
    ListFileSplitter splitter_;
    StreamTally tally_;
};

}  // namespace quillora
