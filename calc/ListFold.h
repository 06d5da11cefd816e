#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "calc/EntryReading.h"
#include "calc/FourOperations.h"
#include "calc/ResultTexts.h"
#include "core/Base.h"
#include "core/StepReport.h"

// The fold of "Start Calculating" on its own: the seed from the first entry,
// each further entry folded into the four accumulators, and the texts of the
// results table. The window's run drives it over the number list between its
// yields; the command line drives it over lines as they stream in, so both
// give the same results cell for cell. Every step reports through the steps
// it is given, under the run's labels.
namespace quillora {

// A further set of accumulators folded beside the doubles from each entry's
// text, as it stands when the doubles read it (the exact results).
class EntryTextFold {
  public:
    virtual ~EntryTextFold() = default;
    virtual void seed(std::string_view entry, Base base) = 0;
    virtual void fold(std::string_view entry, Base base) = 0;
};

class ListFold {
  public:
    // The flags are tested again for every entry, as the window's may change
    // while its run yields.
    ListFold(const BaseFlags& flags, Steps& steps) : flags_(&flags), steps_(steps) {}
    // A list whose base cannot change: no flag is tested, which can neither
    // fail nor give another base, so the results are the same.
    ListFold(Base base, Steps& steps) : fixed_(base), steps_(steps) {}

    void alsoFold(EntryTextFold* extra) { extra_ = extra; }

    // The first entry seeds all four accumulators (labels 106 to 156).
    // entry() gives its text or throws why there is none; a failure is
    // reported at each of the four seeds, which then stay 0.
    template <class Entry>
    void seed(Entry&& entry) {
        const std::optional<Base> base = chosenBase(Phase::Seed);
        if (!base) {
            return;  // nothing to read the list in: the accumulators stay 0
        }
        const WorkingValue first = WorkingValue::Capture([&] {
            const std::string_view text = entry();
            if (extra_ != nullptr) {
                extra_->seed(text, *base);
            }
            return ReadEntry(text, *base);
        });
        seedWith(first, *base);
    }

    // One later entry (labels 160 to 196). An entry whose reading fails is
    // reported and left out of all four results.
    template <class Entry>
    void fold(Entry&& entry) {
        const std::optional<Base> base = chosenBase(Phase::Loop);
        if (!base) {
            return;  // no base to read the entry in: it is left out of all four results
        }
        WorkingValue x;
        steps_(WorkingLabel(*base), [&] {
            const std::string_view text = entry();
            x = ReadWorkingValue(text, *base);
            if (extra_ != nullptr) {
                extra_->fold(text, *base);
            }
        });
        if (x.present()) {
            foldWorking(x);
        }
    }

    // For a fold of one fixed base: seed and fold with an entry already read
    // in that base, which cannot fail; text is handed only to a further fold.
    void seedRead(std::string_view text, double value) {
        if (extra_ != nullptr) {
            extra_->seed(text, *fixed_);
        }
        seedWith(WorkingValue::Capture([&] { return value; }), *fixed_);
    }
    void foldRead(std::string_view text, double value) {
        if (extra_ != nullptr) {
            extra_->fold(text, *fixed_);
        }
        if (!foldQuickly(value)) {
            foldInSteps(WorkingValue::Capture([&] { return value; }));
        }
    }

    // The accumulators after entries of the fixed base were folded apart
    // (StretchFold), none of whose steps would fail.
    void resume(const Accumulators& acc) { acc_ = acc; }

    // The four results written in each base (labels 208 to 250). A cell whose
    // text fails is reported and stays empty.
    ResultTexts texts();

    const Accumulators& accumulators() const { return acc_; }

  private:
    enum class Phase { Seed, Loop };

    // The label of the step that reads a later entry in this base.
    static int WorkingLabel(Base base);

    // The base of the first flag that is on. A failed flag test counts as
    // passed, so its block runs.
    std::optional<Base> chosenBase(Phase phase) {
        return flags_ == nullptr ? fixed_ : testFlags(phase);
    }
    std::optional<Base> testFlags(Phase phase);
    void seedWith(const WorkingValue& first, Base base);

    void foldWorking(const WorkingValue& x) {
        if (x.failed() || !foldQuickly(x.value())) {
            foldInSteps(x);
        }
    }

    // The four steps at once, for a list of millions of entries: when no
    // result is a fresh infinity or not-a-number value no step can fail, and
    // the steps would store just these values. Otherwise nothing is stored,
    // and the steps do it again, each reporting its own failure. Inline into
    // the caller's loop: a call per entry costs as much as the four operations.
    [[gnu::always_inline]] bool foldQuickly(double x) {
        using detail::FreshNonFinite;
        const Accumulators& a = acc_;
        const double sum = x + a.sum;
        const double difference = a.difference - x;
        const double product = x * a.product;
        const bool divides = DividesQuotient(x);
        const double quotient = divides ? a.quotient / x : a.quotient;
        if (FreshNonFinite(x, a.sum, sum) || FreshNonFinite(a.difference, x, difference) ||
            FreshNonFinite(x, a.product, product) ||
            (divides && FreshNonFinite(a.quotient, x, quotient))) {
            return false;
        }
        acc_ = {sum, difference, product, quotient};
        return true;
    }

    // Labels 188 to 196, one step each.
    void foldInSteps(const WorkingValue& x);

    const BaseFlags* flags_ = nullptr;
    std::optional<Base> fixed_;
    Steps& steps_;
    Accumulators acc_;
    EntryTextFold* extra_ = nullptr;
};

}  // namespace quillora
