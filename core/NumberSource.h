#pragma once

#include <string_view>

namespace quillora {

// Read access to the number list, as the calculation run needs it: it reads
// the count and each entry afresh, since the list may change while it yields.
class NumberSource {
  public:
    virtual ~NumberSource() = default;
    virtual int count() const = 0;
    // Valid until the list changes.
    virtual std::string_view entry(int row) const = 0;
};

}  // namespace quillora
