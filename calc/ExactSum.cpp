#include "calc/ExactSum.h"

#include <algorithm>
#include <cstdint>

namespace quillora::detail {

void SetPending(mpz_t z, ExactPending v) {
    __extension__ typedef unsigned __int128 Unsigned;
    const bool negative = v < 0;
    const Unsigned magnitude = negative ? Unsigned{0} - static_cast<Unsigned>(v) : Unsigned(v);
    const std::uint64_t words[2] = {static_cast<std::uint64_t>(magnitude),
                                    static_cast<std::uint64_t>(magnitude >> 64)};
    mpz_import(z, 2, -1, sizeof words[0], 0, 0, words);
    if (negative) {
        mpz_neg(z, z);
    }
}

void RunningSum::reset(const ExactNumber& seed) {
    over_ = seed.overBound();
    nearBound_ = false;
    hasFraction_ = false;
    pending_ = 0;
    pendingCount_ = 0;
    whole_ = 0;
    if (over_) {
        return;
    }
    if (seed.isWord()) {
        const auto magnitude = static_cast<ExactPending>(seed.magnitude());
        pending_ = seed.negative() ? -magnitude : magnitude;
    } else if (seed.isWhole()) {
        whole_ = seed.big().get_num();
    } else {
        hasFraction_ = true;
        fraction_ = seed.big();
    }
    checkBound();
}

void RunningSum::addSlowly(const ExactNumber& x) {
    if (over_) {
        return;
    }
    if (x.overBound()) {
        over_ = true;
        whole_ = 0;
        fraction_ = 0;
        return;
    }
    // Every step past the quick one is measured as it stands, pending total included, so
    // that a value passing the bound for one step only is still seen.
    flush();
    if (x.isWord()) {
        SetPending(scratch_.get_mpz_t(), static_cast<ExactPending>(x.magnitude()));
        if (x.negative() != subtracts_) {
            mpz_neg(scratch_.get_mpz_t(), scratch_.get_mpz_t());
        }
        if (hasFraction_) {
            mpz_addmul(fraction_.get_num_mpz_t(), fraction_.get_den_mpz_t(), scratch_.get_mpz_t());
        } else {
            whole_ += scratch_;
        }
    } else if (!hasFraction_ && x.isWhole()) {
        if (subtracts_) {
            whole_ -= x.big().get_num();
        } else {
            whole_ += x.big().get_num();
        }
    } else {
        if (!hasFraction_) {
            mpq_set_z(fraction_.get_mpq_t(), whole_.get_mpz_t());
            whole_ = 0;
            hasFraction_ = true;
        }
        if (subtracts_) {
            fraction_ -= x.big();
        } else {
            fraction_ += x.big();
        }
    }
    checkBound();
}

void RunningSum::flush() {
    pendingCount_ = 0;
    if (pending_ == 0) {
        return;
    }
    SetPending(scratch_.get_mpz_t(), pending_);
    pending_ = 0;
    if (hasFraction_) {
        // Adding a whole number leaves the fraction in lowest terms.
        mpz_addmul(fraction_.get_num_mpz_t(), fraction_.get_den_mpz_t(), scratch_.get_mpz_t());
    } else {
        whole_ += scratch_;
    }
    checkBound();
}

void RunningSum::checkBound() {
    const long long numerator =
        BitLength(hasFraction_ ? fraction_.get_num_mpz_t() : whole_.get_mpz_t());
    const long long denominator = hasFraction_ ? BitLength(fraction_.get_den_mpz_t()) : 1;
    if (numerator > kExactBoundBits || denominator > kExactBoundBits) {
        over_ = true;
        whole_ = 0;
        fraction_ = 0;
        return;
    }
    // The pending total stays below 2^96 and adds at most 2^96 times the denominator to
    // the numerator: with this much room, no pending total can take the sum past the bound.
    nearBound_ = std::max(numerator, denominator + 127) + 1 > kExactBoundBits;
}

ExactNumber RunningSum::value() const {
    if (over_) {
        return ExactNumber::OverBound();
    }
    if (!hasFraction_ && sgn(whole_) == 0) {
        if (pending_ >= 0 && pending_ <= static_cast<ExactPending>(UINT64_MAX)) {
            return ExactNumber::Word(static_cast<std::uint64_t>(pending_), false);
        }
        if (pending_ < 0 && pending_ >= -static_cast<ExactPending>(UINT64_MAX)) {
            return ExactNumber::Word(static_cast<std::uint64_t>(-pending_), true);
        }
    }
    mpz_class pending;
    SetPending(pending.get_mpz_t(), pending_);
    if (hasFraction_) {
        mpq_class q = fraction_;
        mpz_addmul(q.get_num_mpz_t(), q.get_den_mpz_t(), pending.get_mpz_t());
        return ExactNumber::Canonical(std::move(q));
    }
    return ExactNumber::Whole(whole_ + pending);
}

}  // namespace quillora::detail
