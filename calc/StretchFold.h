#pragma once

#include <cfenv>
#include <cmath>
#include <optional>

#include "calc/FourOperations.h"

// A stretch of entries folded with no test per entry, for lists of millions:
// the steps that fail are exactly those that raise the processor's overflow
// or invalid-operation flag (a fresh infinity or not-a-number value; an
// infinity or not-a-number value carried on raises nothing), so the flags,
// cleared before the stretch and read after it, tell whether any step of it
// would have failed. Then its results are void, and its entries are folded
// again one step at a time, each failure reported at its own entry. Four
// tests of every result cost as much as the operations themselves.
namespace quillora {

class StretchFold {
  public:
    // Whether this processor keeps the flags: one that emulates it may not
    // (valgrind does not), and a stretch whose steps fail would then be
    // kept. Where it does not, every entry is folded step by step.
    static bool FlagsKept();

    explicit StretchFold(const Accumulators& acc) {
        std::feclearexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
        Accumulators start = acc;
        // Neither the start nor any operation on it comes before the clearing.
        asm volatile("" : "+m"(start) : : "memory");
        acc_ = start;
    }

    // Inline into the reader's loop, with the accumulators in registers:
    // stored and loaded again for every entry, they lengthened each entry's
    // chain of operations by a round trip through memory.
    [[gnu::always_inline]] void fold(double x) {
        // A zero divided by a positive divisor stays as it is: a quotient
        // that has sunk to zero, as in most long lists, spends no division,
        // whose latency would otherwise bound each entry. The comparisons
        // are quiet ones: a not-a-number value raises no flag here.
        const bool divides = DividesQuotient(x) && (acc_.quotient != 0 || !std::isgreater(x, 0.0));
        acc_ = {x + acc_.sum, acc_.difference - x, x * acc_.product,
                divides ? acc_.quotient / x : acc_.quotient};
    }

    // The accumulators after the stretch, or nothing when a step of it would
    // have failed.
    std::optional<Accumulators> finish() const {
        Accumulators done = acc_;
        // Every operation is done before the flags are read.
        asm volatile("" : "+m"(done) : : "memory");
        if (std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO) != 0) {
            return std::nullopt;
        }
        return done;
    }

  private:
    Accumulators acc_;
};

}  // namespace quillora
