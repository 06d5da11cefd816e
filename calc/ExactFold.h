#pragma once

#include <cstdint>

#include "calc/ExactNumber.h"
#include "calc/ExactProduct.h"
#include "calc/ExactSum.h"

// The four operations of a calculation run, folded exactly beside the run's
// doubles: one fold() per entry after the first, in the same order.
namespace quillora {

// Each result is a value or ExactNumber::OverBound(). Copies share the digits
// of long values, so handing the results on costs a few words.
struct ExactResults {
    ExactNumber sum;
    ExactNumber difference;
    ExactNumber product;
    ExactNumber quotient;
};

class ExactFold {
  public:
    // All four results 0: what the run holds when the first entry has no value.
    ExactFold();
    // All four results the first entry's value.
    explicit ExactFold(const ExactNumber& first);

    void seed(const ExactNumber& first);
    // sum = x + sum; difference = difference - x; product = x * product;
    // quotient = quotient / x when x is nonzero (negative divisors too).
    // A value past the bound makes sum, difference and quotient past it for
    // good, and the product until a zero comes.
    void fold(const ExactNumber& x) {
        sum_.add(x);
        difference_.add(x);
        product_.fold(x);
        if (!x.isZero()) {
            quotient_.fold(x);
        }
    }

    // fold() of an entry read as the nonnegative whole number a word holds:
    // the usual entry of a long list, folded with no number made for it.
    void foldWord(std::uint64_t magnitude) {
        sum_.addWord(magnitude);
        difference_.addWord(magnitude);
        product_.foldWord(magnitude);
        if (magnitude != 0) {
            quotient_.foldWord(magnitude);
        }
    }

    // Multiplies out a product or quotient held as its factors (milliseconds
    // near the bound): asked for once, at the end of a run.
    ExactResults results() const;

  private:
    detail::RunningSum sum_{false};
    detail::RunningSum difference_{true};
    detail::RunningProduct product_{false};
    detail::RunningProduct quotient_{true};
};

}  // namespace quillora
