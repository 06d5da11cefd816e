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
        addToSums(magnitude);
        foldIntoFactors(magnitude);
    }

    // Nonnegative words folded in a stretch, the usual long list: their sum
    // is kept apart, in registers, and added to both sums at the end; and
    // once the product and quotient are past the bound, as they soon are,
    // a word costs them one test. Nothing else may fold until finish().
    class Words {
      public:
        explicit Words(ExactFold& fold)
            : fold_(&fold),
              sumsApart_(fold.sum_.takesWords() && fold.difference_.takesWords()),
              productsOver_(fold.productsOver()) {}

        [[gnu::always_inline]] void take(std::uint64_t magnitude) {
            if (sumsApart_) {
                total_ += magnitude;
                ++count_;
            } else {
                fold_->addToSums(magnitude);
            }
            if (!productsOver_ || magnitude == 0) {
                fold_->foldIntoFactors(magnitude);
                productsOver_ = fold_->productsOver();
            }
        }
        void finish() {
            if (sumsApart_) {
                fold_->sum_.addWords(total_, count_);
                fold_->difference_.addWords(total_, count_);
            }
        }

      private:
        ExactFold* fold_;
        bool sumsApart_;
        bool productsOver_;
        detail::WordTotal total_ = 0;
        unsigned long long count_ = 0;
    };

    // Multiplies out a product or quotient held as its factors (milliseconds
    // near the bound): asked for once, at the end of a run.
    ExactResults results() const;

  private:
    void addToSums(std::uint64_t magnitude) {
        sum_.addWord(magnitude);
        difference_.addWord(magnitude);
    }
    // The product, and the quotient when the word is nonzero.
    void foldIntoFactors(std::uint64_t magnitude) {
        product_.foldWord(magnitude);
        if (magnitude != 0) {
            quotient_.foldWord(magnitude);
        }
    }
    bool productsOver() const { return product_.over() && quotient_.over(); }

    detail::RunningSum sum_{false};
    detail::RunningSum difference_{true};
    detail::RunningProduct product_{false};
    detail::RunningProduct quotient_{true};
};

}  // namespace quillora
