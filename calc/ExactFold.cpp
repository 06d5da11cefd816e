#include "calc/ExactFold.h"

namespace quillora {

ExactFold::ExactFold() : ExactFold(ExactNumber()) {}

ExactFold::ExactFold(const ExactNumber& first) {
    seed(first);
}

void ExactFold::seed(const ExactNumber& first) {
    sum_.reset(first);
    difference_.reset(first);
    product_.reset(first);
    quotient_.reset(first);
}

ExactResults ExactFold::results() const {
    return {sum_.value(), difference_.value(), product_.value(), quotient_.value()};
}

}  // namespace quillora
