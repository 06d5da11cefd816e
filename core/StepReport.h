#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace quillora {

// Where a reporting handler sends a failed step. The window shows it as the
// "Application Error" box; tests record it.
class FailureReport {
  public:
    virtual ~FailureReport() = default;
    virtual void Report(const std::string& description, const std::string& location, int label) = 0;
};

// "in Marrowfen2021/08/31.Form1.Form_Load ": the fixed name a handler reports under.
std::string LocationName(std::string_view object, std::string_view handler);

// The full text of the error report box, CR LF after the description and two
// bare CRs before the closing request.
std::string ApplicationErrorText(std::string_view description, std::string_view location, int label,
                                 std::string_view supportAddress);

// Runs a handler's labelled steps. A step that throws is reported with the
// handler's location and the step's label, and the handler goes on with its
// next step: no handler is aborted by a failure.
class Steps {
  public:
    Steps(FailureReport& report, std::string location)
        : report_(report), location_(std::move(location)) {}

    // Returns true when the step ran to its end, false when it failed and was reported.
    template <class Step>
    bool operator()(int label, Step&& step) {
        try {
            std::forward<Step>(step)();
            return true;
        } catch (const std::exception& failure) {
            report_.Report(failure.what(), location_, label);
        } catch (...) {
            report_.Report("Unknown failure", location_, label);
        }
        return false;
    }

    const std::string& location() const { return location_; }

  private:
    FailureReport& report_;
    std::string location_;
};

}  // namespace quillora
