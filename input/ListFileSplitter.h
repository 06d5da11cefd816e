#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/ByteScan.h"
#include "input/NumberListEditing.h"

namespace quillora {

// Position of the first CR or LF in block from `from` on, or block.size(). Sixteen bytes are
// tested at a time, so a line of megabytes, or a file of zeros, streams past quickly. Inline
// into the splitting loop: a list of short lines makes a search per line.
[[gnu::always_inline]] inline std::size_t FindLineEnd(std::string_view block, std::size_t from) {
    return bytescan::FirstOf(block, from, '\r', '\n');
}

// Cuts a number list file, fed in blocks of any size, into candidates. A line
// ends at CR or CR LF and a bare LF inside a line also ends a candidate; the
// empty candidates these conventions leave between them pass no base's test,
// so every run of CR and LF is simply a gap. Candidates are handed on whole,
// untrimmed, as views into the block (or into the one line carried over from
// the block before): nothing is allocated per line. One longer than any entry
// the list takes is dropped as it streams past, so a single line of any size
// costs no memory. A UTF-8 byte order mark at the start of the file is no part
// of the first number.
class ListFileSplitter {
  public:
    template <class Take>
    void feed(std::string_view block, Take&& take) {
        feed(block, take, [] {});
    }

    // The same, telling drop() of every candidate dropped for its length.
    template <class Take, class Drop>
    void feed(std::string_view block, Take&& take, Drop&& drop) {
        if (atStart_) {
            block = skipByteOrderMark(block);
            if (block.empty()) {
                return;
            }
        }
        std::size_t begin = 0;
        for (;;) {
            const std::size_t end = FindLineEnd(block, begin);
            if (end == block.size()) {
                break;
            }
            deliver(block.substr(begin, end - begin), take, drop);
            countLineEnd(block[end], end > begin);
            begin = end + 1;
        }
        keep(block.substr(begin));
    }

    // The last line needs no line end.
    template <class Take>
    void finish(Take&& take) {
        finish(take, [] {});
    }

    template <class Take, class Drop>
    void finish(Take&& take, Drop&& drop) {
        deliver({}, take, drop);
        pendingMark_.clear();
    }

    // Whether the text fed so far ended at a line's end, nothing carried over:
    // a reader that recognises a whole line by itself may then hand it on
    // through passLine instead of feeding it.
    bool betweenLines() const { return carry_.empty() && !overlong_ && !atStart_; }

    // A line fed whole and taken as feed would take it: its text (not
    // empty, no longer than any entry, with no CR or LF), then its LF.
    template <class Take>
    void passLine(std::string_view text, Take&& take) {
        take(text);
        countLineEnd('\n', true);
    }

    // Lines passed as passLine passes them, each taken already.
    void passLines(unsigned long long count) {
        if (count > 0) {
            lineEnds_ += count;
            afterCR_ = false;
        }
    }

    // The line the candidate being handed on (or dropped) stands on,
    // counted from 1 as an editor counts them: CR LF, a lone CR and a lone
    // LF each end one line.
    unsigned long long line() const { return lineEnds_ + 1; }

  private:
    template <class Take, class Drop>
    void deliver(std::string_view tail, Take& take, Drop& drop) {
        if (overlong_ || carry_.size() + tail.size() > kLongestEntry) {
            overlong_ = false;
            carry_.clear();
            drop();
            return;
        }
        if (carry_.empty()) {
            if (!tail.empty()) {
                take(tail);
            }
            return;
        }
        carry_.append(tail);
        take(std::string_view(carry_));
        carry_.clear();
    }

    // An LF straight after a CR ends no line of its own.
    void countLineEnd(char end, bool textBefore) {
        if (end != '\n' || !afterCR_ || textBefore) {
            ++lineEnds_;
        }
        afterCR_ = end == '\r';
    }

    // The unfinished candidate at the end of a block waits for the next one.
    void keep(std::string_view rest) {
        if (!rest.empty()) {
            afterCR_ = false;
        }
        if (overlong_ || carry_.size() + rest.size() > kLongestEntry) {
            overlong_ = true;
            carry_.clear();
            return;
        }
        carry_.append(rest);
    }

    // The mark may itself arrive split over the first blocks.
    std::string_view skipByteOrderMark(std::string_view block) {
        static constexpr std::string_view kMark = "\xEF\xBB\xBF";
        while (!block.empty() && pendingMark_.size() < kMark.size()) {
            if (block.front() != kMark[pendingMark_.size()]) {
                atStart_ = false;
                carry_ = pendingMark_;  // those bytes were text after all
                pendingMark_.clear();
                return block;
            }
            pendingMark_.push_back(block.front());
            block.remove_prefix(1);
        }
        if (pendingMark_.size() == kMark.size()) {
            atStart_ = false;
            pendingMark_.clear();
        }
        return block;
    }

    std::string carry_;
    std::string pendingMark_;
    unsigned long long lineEnds_ = 0;
    bool overlong_ = false;
    bool atStart_ = true;
    bool afterCR_ = false;
};

}  // namespace quillora
