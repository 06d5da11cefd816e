#pragma once

#include <stdexcept>
#include <string>

namespace quillora {

// Every failure of the number engine is one of these. what() is exactly the
// description the error report shows, so callers never translate it.
class EngineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class OverflowError : public EngineError {
  public:
    OverflowError() : EngineError("Overflow") {}
};

class DivisionByZeroError : public EngineError {
  public:
    DivisionByZeroError() : EngineError("Division by zero") {}
};

class TypeMismatchError : public EngineError {
  public:
    TypeMismatchError() : EngineError("Type mismatch") {}
};

}  // namespace quillora
