#pragma once

#include <array>
#include <cstddef>
#include <cstring>
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
        while (rest.size() > width && rest[width] == '\n' &&
               ReadPlainWordAs<bits>(rest.substr(0, width), word)) {
            splitter_.passLine(rest.substr(0, width), [&](std::string_view line) {
                ++tally_.accepted;
                accept(line, &word);
            });
            rest.remove_prefix(width + 1);
        }
        return rest;
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
