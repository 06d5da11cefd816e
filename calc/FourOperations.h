#pragma once

#include "engine/EngineError.h"

// The four folds of a calculation run, one step each. Every step stores its
// result first and only then fails when that result is a fresh infinity or
// not-a-number value, so the table can still show what the accumulator holds.
namespace quillora {

// A result that is not a number although neither operand was one (infinity
// times zero, for example).
class InvalidOperationError : public EngineError {
  public:
    InvalidOperationError() : EngineError("Invalid floating-point operation") {}
};

// The run's four accumulators; all 0 before the seed.
struct Accumulators {
    double sum = 0;
    double difference = 0;
    double product = 0;
    double quotient = 0;
};

void AddTo(double& sum, double x);                // sum = x + sum
void SubtractFrom(double& difference, double x);  // difference = difference - x
void MultiplyInto(double& product, double x);     // product = x * product
void DivideInto(double& quotient, double x);      // quotient = quotient / x

// Whether x divides the quotient: every nonzero value does, so negative
// divisors count; only a zero leaves the quotient as it is.
inline bool DividesQuotient(double x) {
    return x != 0;
}

}  // namespace quillora
