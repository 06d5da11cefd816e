#include "calc/ExactNumber.h"

#include <utility>

namespace quillora {

long long BitLength(const mpz_t z) {
    return mpz_sgn(z) == 0 ? 0 : static_cast<long long>(mpz_sizeinbase(z, 2));
}

ExactNumber ExactNumber::Rational(mpq_class q) {
    q.canonicalize();
    return Canonical(std::move(q));
}

ExactNumber ExactNumber::Canonical(mpq_class q) {
    if (BitLength(q.get_num()) > kExactBoundBits || BitLength(q.get_den()) > kExactBoundBits) {
        return OverBound();
    }
    if (q.get_den() == 1 && BitLength(q.get_num()) <= 64) {
        std::uint64_t magnitude = 0;
        mpz_export(&magnitude, nullptr, -1, sizeof magnitude, 0, 0, q.get_num_mpz_t());
        return Word(magnitude, sgn(q) < 0);
    }
    ExactNumber n;
    n.kind_ = Kind::Big;
    n.big_ = std::make_shared<const mpq_class>(std::move(q));
    return n;
}

ExactNumber ExactNumber::Whole(mpz_class z) {
    mpq_class q;
    mpq_set_z(q.get_mpq_t(), z.get_mpz_t());
    return Rational(std::move(q));
}

bool ExactNumber::isWhole() const {
    switch (kind_) {
        case Kind::Word:
            return true;
        case Kind::Big:
            return big_->get_den() == 1;
        case Kind::OverBound:
            break;
    }
    return false;
}

mpq_class ExactNumber::toRational() const {
    if (kind_ == Kind::Big) {
        return *big_;
    }
    mpz_class z;
    mpz_import(z.get_mpz_t(), 1, 1, sizeof magnitude_, 0, 0, &magnitude_);
    if (negative_) {
        z = -z;
    }
    mpq_class q;
    mpq_set_z(q.get_mpq_t(), z.get_mpz_t());
    return q;
}

bool operator==(const ExactNumber& a, const ExactNumber& b) {
    if (a.kind_ != b.kind_) {
        return false;
    }
    switch (a.kind_) {
        case ExactNumber::Kind::Word:
            return a.magnitude_ == b.magnitude_ && a.negative_ == b.negative_;
        case ExactNumber::Kind::Big:
            return *a.big_ == *b.big_;
        case ExactNumber::Kind::OverBound:
            break;
    }
    return true;
}

}  // namespace quillora
