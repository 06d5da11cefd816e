#pragma once

#include <exception>
#include <string_view>
#include <utility>

#include "core/Base.h"
#include "core/NumberSource.h"

// How the run reads one entry of the number list as a double.
namespace quillora {

// The entry at a 1-based position; fails with "Subscript out of range" when the
// list no longer holds that many entries (it may shrink while the run yields).
std::string_view RequireEntry(const NumberSource& list, long long position);

// The value every fold step of one entry reads. Reading the same text again
// would give the same value or the same failure, so it is read once and each
// step that uses it sees that outcome again, failures included.
class WorkingValue {
  public:
    // Nothing to fold: no entry has been read for this position.
    WorkingValue() = default;

    template <class Read>
    static WorkingValue Capture(Read&& read) {
        WorkingValue working;
        working.present_ = true;
        try {
            working.value_ = std::forward<Read>(read)();
        } catch (...) {
            working.failure_ = std::current_exception();
        }
        return working;
    }

    bool present() const { return present_; }
    bool failed() const { return static_cast<bool>(failure_); }
    // The value read, or the failure of reading it thrown again.
    double value() const {
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        return value_;
    }

  private:
    bool present_ = false;
    double value_ = 0;
    std::exception_ptr failure_;
};

// The entry written in base, as the double nearest to the exact decimal text
// that ConvertNumber gives for it: every entry at full double precision, none
// rounded through a 15-digit text on the way.
double ReadEntry(std::string_view entry, Base base);

// ReadEntry in two stages, as the run's loop needs them: a failure to turn the
// entry into decimal text is thrown here (the loop's working step reports it and
// leaves the entry out), while a failure to read that text as a double is kept
// in the value for every fold step to report.
WorkingValue ReadWorkingValue(std::string_view entry, Base base);

}  // namespace quillora
