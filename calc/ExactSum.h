#pragma once

#include <cstdint>

#include <gmpxx.h>

#include "calc/ExactNumber.h"

// The exact sum and difference of a fold (part of ExactFold, not used on its own).
namespace quillora::detail {

__extension__ typedef __int128 ExactPending;
// A sum of words added apart: fewer than 2^63 of them, so below 2^127.
__extension__ typedef unsigned __int128 WordTotal;

// seed + x + y + ... (or seed - x - y - ...). Word entries go into a 128-bit
// pending total, which reaches the big part every 2^32 entries, far before
// words below 2^64 could overflow it; the big part is a whole number until a
// fraction comes.
class RunningSum {
  public:
    void reset(const ExactNumber& seed);
    void add(const ExactNumber& x) {
        if (x.isWord()) {
            addWord(x.magnitude(), x.negative());
        } else {
            addSlowly(x);
        }
    }
    // add() of a word's value, with no number made for it.
    void addWord(std::uint64_t magnitude, bool negative = false) {
        if (takesWords()) {
            addPending(static_cast<ExactPending>(magnitude), negative, 1);
        } else {
            addSlowly(ExactNumber::Word(magnitude, negative));
        }
    }
    // Whether words may be summed apart and added with addWords: until the
    // sum is past the bound or near it, when each word is checked alone.
    bool takesWords() const { return !over_ && !nearBound_; }
    // count words whose sum is total, as count addWord calls would add them.
    void addWords(WordTotal total, unsigned long long count) {
        addPending(static_cast<ExactPending>(total), false, count);
    }
    ExactNumber value() const;

    explicit RunningSum(bool subtracts) : subtracts_(subtracts) {}

  private:
    static constexpr unsigned long long kFlushEvery = 1ULL << 32;

    // The magnitude of count words into the pending total, flushed every 2^32 words.
    void addPending(ExactPending magnitude, bool negative, unsigned long long count) {
        pending_ += negative != subtracts_ ? -magnitude : magnitude;
        pendingCount_ += count;
        if (pendingCount_ >= kFlushEvery) {
            flush();
        }
    }
    void addSlowly(const ExactNumber& x);
    // pending_ into the big part, which is then checked against the bound.
    void flush();
    void checkBound();

    bool subtracts_;
    bool over_ = false;
    // The big part is so close to the bound that a pending total could take it
    // past unseen: every entry is then added and checked on its own.
    bool nearBound_ = false;
    bool hasFraction_ = false;
    ExactPending pending_ = 0;
    unsigned long long pendingCount_ = 0;
    mpz_class whole_;
    mpq_class fraction_;
    mpz_class scratch_;
};

// A 128-bit value into z.
void SetPending(mpz_t z, ExactPending v);

}  // namespace quillora::detail
